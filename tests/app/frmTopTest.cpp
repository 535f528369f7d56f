#include "app/frmTop.h"

#include "app/frmInst.h"
#include "app/frmMain.h"
#include "foundation/ScriptedUserInterface.h"
#include "storage/Schema.h"
#include "support/ScriptedWindowOpener.h"
#include "support/TempDir.h"
#include "support/WindowContext.h"
#include "support/WindowDriving.h"

#include <QComboBox>
#include <QDir>
#include <QFileSystemModel>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QTreeView>
#include <QtTest>

#include <filesystem>
#include <fstream>
#include <set>
#include <string>

namespace kalmora {

namespace {

using test::Find;
using test::Q;

namespace fs = std::filesystem;

// A program started in a fresh test directory: an empty program directory, no settings file
// anywhere, and the user's configuration directory where the next start looks.
struct FirstStart : test::WindowContext {
    FirstStartPlaces Places;

    FirstStart()
    {
        IniFile.ProgramDirectory = Dir / "program";
        IniFile.UserConfigDirectory = Dir / "config" / "kalmora";
        fs::create_directories(IniFile.ProgramDirectory);
        Places.Directory = Dir / "home" / "Kalmora";
        Places.ReferenceDirectory = fs::path(KALMORA_SOURCE_DIR) / "data" / "reference";
        Places.Year = 2026;
    }

    // Starts the program as main does and waits until its main window stands; the settings are then
    // loaded.
    QPointer<frmMain> Start(const std::string& commandLine = "")
    {
        QPointer<frmTop> startup = new frmTop(Context, commandLine, Places);
        startup->show();
        if (!QTest::qWaitFor([&] { return startup.isNull() || startup->MainWindow() != nullptr; }, 5000)) return {};
        QPointer<frmMain> mainWindow = startup ? startup->MainWindow() : nullptr;
        // The start-up window closes once the main window has loaded.
        if (!QTest::qWaitFor([&] { return startup.isNull(); }, 5000)) return {};
        return mainWindow;
    }

    // Every path in the test directory.
    std::set<fs::path> Tree() const
    {
        std::set<fs::path> paths;
        for (const auto& entry : fs::recursive_directory_iterator(Dir.Path()))
            paths.insert(entry.path());
        return paths;
    }
};

}  // namespace

class frmTopTest : public QObject {
    Q_OBJECT

private slots:
    void noticeNamesThisProgramAndItsLicence()
    {
        FirstStart start;
        frmTop startup(start.Context, "");
        startup.show();
        QVERIFY(QTest::qWaitForWindowExposed(&startup));
        const auto* notice = Find<QLabel>(startup, "Label3_3");
        QCOMPARE(notice->text(), QString("© 2026 Kalmora-Entwickler · Apache-Lizenz 2.0"));
        // Nothing of the notice is cut.
        QVERIFY(notice->width() >= notice->sizeHint().width());
    }

    // "Ja" and a folder: the installation is made as `setup` makes it, the settings file goes where
    // the next start finds it, and the program starts on it.
    void yesSetsUpAndStartsOnIt_data()
    {
        QTest::addColumn<QString>("commandLine");   // %1: the settings file's full path
        QTest::addColumn<QString>("settingsFile");  // relative to the test directory
        QTest::newRow("default name") << ""
                                      << "config/kalmora/Kalmora11_0.ini";
        QTest::newRow("bare name") << "/i:station.ini"
                                   << "config/kalmora/station.ini";
        // A missing file named in full is the file the user means: it is made, folders and all.
        QTest::newRow("full path") << "/i:%1"
                                   << "elsewhere/new/k.ini";
    }
    void yesSetsUpAndStartsOnIt()
    {
        QFETCH(QString, commandLine);
        QFETCH(QString, settingsFile);
        FirstStart start;
        const fs::path expectedFile = (start.Dir / settingsFile.toStdString()).make_preferred();
        if (commandLine.contains("%1")) commandLine = commandLine.arg(Q(expectedFile.string()));
        start.Ui.ScriptAnswer(MessageAnswer::Yes);
        QString offered;
        start.Windows.WhileOpen = [&](QDialog& dialog) {
            offered = Find<QLineEdit>(dialog, "txt_ordner")->text();
            Find<QLineEdit>(dialog, "txt_ordner")->setText(Q((start.Dir / "Daten" / "Kalmora").string()));
            test::Click(dialog, "cmd_ok");
            return dialog.result();
        };

        QPointer<frmMain> mainWindow = start.Start(commandLine.toStdString());
        QVERIFY(mainWindow);
        QCOMPARE(offered, Q(start.Places.Directory.string()));
        QCOMPARE(start.Windows.Opened(), QStringList({"frmInst"}));
        QCOMPARE(start.Ui.Messages().size(), std::size_t{1});
        const auto& question = start.Ui.Messages().front();
        QCOMPARE(question.Buttons, MessageButtons::YesNo);
        QVERIFY2(Q(question.Text).contains(Q(expectedFile.string())), question.Text.c_str());

        const fs::path root = start.Dir / "Daten" / "Kalmora";
        QVERIFY(fs::is_regular_file(expectedFile));
        QVERIFY(fs::is_directory(root / "import"));
        QVERIFY(fs::is_directory(root / "export"));
        QVERIFY(fs::is_regular_file(root / "system" / kAdminDatabaseFile));
        QVERIFY(fs::is_regular_file(root / "system" / kTemplateDatabaseFile));
        QVERIFY(!fs::exists(start.Places.Directory));
        // The program runs on the new settings, and so does the next start.
        QCOMPARE(Q(start.Config.SystemDataPath), Q((root / "system").string()));
        QCOMPARE(Q(start.Config.Erhebungvon.str()), QString("20260101"));
        QCOMPARE(start.Ui.BusyDepth(), 0);
        QVERIFY(mainWindow->isVisible());
        delete mainWindow;

        FirstStart next;
        next.IniFile.ProgramDirectory = start.IniFile.ProgramDirectory;
        next.IniFile.UserConfigDirectory = start.IniFile.UserConfigDirectory;
        QPointer<frmMain> nextWindow = next.Start(commandLine.toStdString());
        QVERIFY(nextWindow);
        QVERIFY(next.Ui.Messages().empty());
        QCOMPARE(Q(next.Config.SystemDataPath), Q((root / "system").string()));
        delete nextWindow;
    }

    // "Nein", or cancelling the folder: nothing is made and the program starts as it did without one.
    void refusedStartsWithoutSettings_data()
    {
        QTest::addColumn<bool>("yes");
        QTest::newRow("Nein") << false;
        QTest::newRow("Ja, then Abbrechen") << true;
    }
    void refusedStartsWithoutSettings()
    {
        QFETCH(bool, yes);
        FirstStart start;
        start.Ui.ScriptAnswer(yes ? MessageAnswer::Yes : MessageAnswer::No);
        start.Windows.WhileOpen = [](QDialog&) { return int(QDialog::Rejected); };
        const auto before = start.Tree();

        QPointer<frmMain> mainWindow = start.Start();
        QVERIFY(mainWindow);
        QCOMPARE(start.Windows.Opened(), yes ? QStringList({"frmInst"}) : QStringList());
        QCOMPARE(start.Ui.Messages().size(), std::size_t{1});
        QCOMPARE(start.Tree(), before);
        QCOMPARE(Q(start.Config.SystemDataPath), QString("unknown"));
        QCOMPARE(start.Ui.BusyDepth(), 0);
        QVERIFY(mainWindow->isVisible());
        delete mainWindow;
    }

    // A folder that can't be used is reported, leaves nothing behind and is offered again.
    void failedFolderIsOfferedAgain()
    {
        FirstStart start;
        std::ofstream(start.Dir / "blocker") << "a file";
        start.Ui.ScriptAnswer(MessageAnswer::Yes);
        QStringList offered;
        start.Windows.WhileOpen = [&](QDialog& dialog) {
            offered << Find<QLineEdit>(dialog, "txt_ordner")->text();
            const fs::path folder = offered.size() == 1 ? start.Dir / "blocker" / "Kalmora" : start.Dir / "Kalmora";
            Find<QLineEdit>(dialog, "txt_ordner")->setText(Q(folder.string()));
            test::Click(dialog, "cmd_ok");
            return dialog.result();
        };

        QPointer<frmMain> mainWindow = start.Start();
        QVERIFY(mainWindow);
        QCOMPARE(offered,
                 QStringList({Q(start.Places.Directory.string()), Q((start.Dir / "blocker" / "Kalmora").string())}));
        QCOMPARE(start.Ui.Messages().size(), std::size_t{2});
        const auto& failure = start.Ui.Messages().back();
        QCOMPARE(failure.Icon, MessageIcon::Critical);
        QVERIFY2(Q(failure.Text).contains("Kalmora kann nicht eingerichtet werden"), failure.Text.c_str());
        QVERIFY2(Q(failure.Text).contains("blocker"), failure.Text.c_str());
        QCOMPARE(Q(start.Config.SystemDataPath), Q((start.Dir / "Kalmora" / "system").string()));
        delete mainWindow;
    }

    void settingsFileThereAsksNothing()
    {
        FirstStart start;
        std::ofstream(start.IniFile.ProgramDirectory / "Kalmora11_0.ini") << "[Path]\nSystemDataPath=/srv/kalmora\n";
        const auto before = start.Tree();
        QPointer<frmMain> mainWindow = start.Start();
        QVERIFY(mainWindow);
        QVERIFY(start.Ui.Messages().empty());
        QVERIFY(start.Windows.Opened().isEmpty());
        QCOMPARE(start.Tree(), before);
        QCOMPARE(Q(start.Config.SystemDataPath), QString("/srv/kalmora"));
        delete mainWindow;
    }

    // The folder box takes a folder picked in the lists, and "~" for the home directory.
    void folderDialogTakesPickedFolderAndHome()
    {
        FirstStart start;
        fs::create_directories(start.Dir / "shares" / "icu");
        frmInst dialog(start.Context, start.Places.Directory);
        QCOMPARE(dialog.Directory(), start.Places.Directory);

        auto* list = Find<QTreeView>(dialog, "lst_dir");
        list->setCurrentIndex(
            static_cast<QFileSystemModel*>(list->model())->index(Q((start.Dir / "shares" / "icu").string())));
        QCOMPARE(dialog.Directory(), start.Dir / "shares" / "icu");

        Find<QLineEdit>(dialog, "txt_ordner")->setText("  ~/Kalmora ");
        QCOMPARE(dialog.Directory(), fs::path(QDir::homePath().toStdString()) / "Kalmora");
        Find<QLineEdit>(dialog, "txt_ordner")->setText("Kalmora");
        QCOMPARE(dialog.Directory(), fs::path("Kalmora"));
    }
};

}  // namespace kalmora

QTEST_MAIN(kalmora::frmTopTest)
#include "frmTopTest.moc"
