#include "app/frmOpt.h"

#include "toolkit/QtText.h"
#include "foundation/ScriptedUserInterface.h"
#include "foundation/Settings.h"
#include "support/Files.h"
#include "support/ScriptedWindowOpener.h"
#include "support/TempDir.h"
#include "support/WindowDriving.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFileSystemModel>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTreeView>
#include <QtTest>

#include <filesystem>
#include <memory>
#include <string>

namespace kalmora {

namespace {

using test::Q;

namespace fs = std::filesystem;

std::string SettingsText(const fs::path& importPath, const fs::path& exportPath)
{
    return "[Path]\n"
           "ImportDataPath=" +
           importPath.string() +
           "\n"
           "ExportDataPath=" +
           exportPath.string() +
           "/\n"
           "SystemDataPath=/kalmora/system\n"
           "[Plausibilitaet]\n"
           "PlausLevel=Warning\n"
           "[Einstufung]\n"
           "Erhebungvon=20120101\n"
           "Erhebungbis=20121231\n"
           "MindestStd=6\n"
           "MehrfachTISS=J\n"
           "ErsatzTISS=N\n";
}

// A settings file in a test directory, loaded as at start-up, and the dialog opened on it.
struct OpenDialog {
    test::TempDir dir;
    fs::path importDir = dir / "import";
    fs::path exportDir = dir / "export";
    SettingsFile iniFile;
    Settings config;
    ScriptedUserInterface ui;
    test::ScriptedWindowOpener windows;
    AppContext context{iniFile, config, ui, windows};
    std::string storedText;
    std::unique_ptr<frmOpt> dialog;

    explicit OpenDialog(bool withSettingsFile = true)
    {
        fs::create_directories(importDir);
        fs::create_directories(exportDir / "sub");
        iniFile.ProgramDirectory = dir / "program";
        iniFile.UserConfigDirectory = dir / "config";
        if (withSettingsFile) {
            storedText = SettingsText(importDir, exportDir);
            test::WriteText(SettingsPath(), storedText);
        }
        LoadSettings(iniFile, ui, config);
        dialog = std::make_unique<frmOpt>(context);
        dialog->show();
        dialog->activateWindow();
    }

    fs::path SettingsPath() const { return iniFile.ProgramDirectory / kDefaultSettingsFileName; }
    std::string RawFile() const { return test::ReadText(SettingsPath()); }

    template <typename T> T* Find(const char* name) const { return test::Find<T>(*dialog, name); }

    QString ListDirectory() const
    {
        auto* list = Find<QTreeView>("lst_dir");
        return QDir::toNativeSeparators(static_cast<QFileSystemModel*>(list->model())->filePath(list->currentIndex()));
    }

    void ChooseDirectory(const fs::path& directory) const
    {
        auto* list = Find<QTreeView>("lst_dir");
        list->setCurrentIndex(static_cast<QFileSystemModel*>(list->model())->index(Q(directory.string())));
    }

    void TypeDate(const char* box, const QString& text) const
    {
        auto* field = Find<QLineEdit>(box);
        field->setFocus(Qt::MouseFocusReason);
        field->selectAll();
        QTest::keyClick(field, Qt::Key_Delete);
        QTest::keyClicks(field, text);
    }

    // Leaves the box with Tab and lets the check that follows run.
    void LeaveBox(const char* box) const
    {
        Find<QLineEdit>(box)->setFocus(Qt::TabFocusReason);
        QTest::keyClick(Find<QLineEdit>(box), Qt::Key_Tab);
        QCoreApplication::processEvents();
    }

    // Near the left edge, where a check box or option button has its mark.
    void Click(const char* name) const
    {
        auto* button = Find<QAbstractButton>(name);
        QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(8, button->height() / 2));
    }

    QStringList MessageTexts() const
    {
        QStringList texts;
        for (const auto& message : ui.Messages())
            texts << Q(message.Text);
        return texts;
    }
};

QColor Background(const QLabel& label)
{
    return label.palette().color(QPalette::Window);
}

const QColor kWhite(Qt::white);

QColor ButtonFace()
{
    return QApplication::palette().color(QPalette::Button);
}

}  // namespace

class frmOptTest : public QObject {
    Q_OBJECT

private slots:
    void loadShowsTheSettings()
    {
        OpenDialog d;
        QVERIFY(QTest::qWaitForWindowActive(d.dialog.get()));
        QCOMPARE(d.dialog->windowTitle(), QString(" Extras - Optionen"));
        auto* tabs = d.Find<QTabWidget>("tab_opt");
        QCOMPARE(tabs->count(), 2);
        QCOMPARE(tabs->tabText(0), QString("&Einstellungen"));
        QCOMPARE(tabs->tabText(1), QString("&Verzeichnisse"));

        QCOMPARE(d.Find<QLineEdit>("txt_vondatum")->text(), QString("01.01.2012"));
        QCOMPARE(d.Find<QLineEdit>("txt_bisdatum")->text(), QString("31.12.2012"));
        QVERIFY(d.Find<QRadioButton>("opt_plaus_1")->isChecked());
        QVERIFY(!d.Find<QRadioButton>("opt_plaus_0")->isChecked());
        QCOMPARE(d.Find<QComboBox>("cmb_mindeststunden")->count(), 25);
        QCOMPARE(d.Find<QComboBox>("cmb_mindeststunden")->currentText(), QString("6"));
        QVERIFY(d.Find<QCheckBox>("chk_multipletiss")->isChecked());
        QVERIFY(!d.Find<QCheckBox>("chk_mtiss")->isChecked());

        // The export directory is being edited, its trailing separator gone.
        QVERIFY(d.Find<QRadioButton>("opt_verzeichnis_1")->isChecked());
        QCOMPARE(d.Find<QLabel>("lbl_export")->text(), Q(d.exportDir.string()));
        QCOMPARE(d.Find<QLabel>("lbl_import")->text(), Q(d.importDir.string()));
        QCOMPARE(Background(*d.Find<QLabel>("lbl_export")), kWhite);
        QCOMPARE(Background(*d.Find<QLabel>("lbl_import")), ButtonFace());
        QCOMPARE(d.ListDirectory(), Q(d.exportDir.string()));
        QCOMPARE(d.Find<QComboBox>("lst_drive")->itemText(0), QDir::rootPath());
        QVERIFY(d.Find<QComboBox>("lst_drive")->currentIndex() >= 0);
        QVERIFY(d.ui.Messages().empty());
    }

    void withoutSettingsFileTheListsOpenElsewhereAndTheLabelsWait()
    {
        OpenDialog d(false);
        QCOMPARE(d.Find<QLineEdit>("txt_vondatum")->text(), QString());
        QCOMPARE(d.Find<QLineEdit>("txt_bisdatum")->text(), QString());
        QVERIFY(d.Find<QRadioButton>("opt_plaus_1")->isChecked());
        QCOMPARE(d.Find<QComboBox>("cmb_mindeststunden")->currentText(), QString("0"));
        QVERIFY(!d.Find<QCheckBox>("chk_multipletiss")->isChecked());
        QVERIFY(!d.Find<QCheckBox>("chk_mtiss")->isChecked());

        const QString opened = Q(DirectoryToBrowse("unknown", PathFromQt(QDir::homePath())).string());
        QCOMPARE(d.Find<QLabel>("lbl_export")->text(), QString("unknown"));
        QCOMPARE(d.ListDirectory(), opened);
        d.Click("opt_verzeichnis_0");
        QCOMPARE(d.Find<QLabel>("lbl_import")->text(), QString("unknown"));
        QCOMPARE(d.ListDirectory(), opened);

        d.ChooseDirectory(d.importDir);
        QCOMPARE(d.Find<QLabel>("lbl_import")->text(), Q(d.importDir.string()));
        QCOMPARE(d.Find<QLabel>("lbl_export")->text(), QString("unknown"));
        QVERIFY(d.ui.Messages().empty());
    }

    void okWritesTheSettingsFile()
    {
        OpenDialog d;
        QVERIFY(QTest::qWaitForWindowActive(d.dialog.get()));
        d.Click("opt_plaus_0");
        d.TypeDate("txt_vondatum", "");
        d.LeaveBox("txt_vondatum");
        d.TypeDate("txt_bisdatum", "20130630");
        d.LeaveBox("txt_bisdatum");
        QCOMPARE(d.Find<QLineEdit>("txt_bisdatum")->text(), QString("30.06.2013"));
        d.Find<QComboBox>("cmb_mindeststunden")->setCurrentIndex(24);
        d.Click("chk_multipletiss");
        d.Click("chk_mtiss");
        d.ui.ScriptAnswer(MessageAnswer::Yes);

        d.Click("cmd_verzeichnis_0");

        QCOMPARE(d.MessageTexts(), QStringList{" Änderungen speichern ?"});
        QCOMPARE(d.dialog->result(), int(QDialog::Accepted));
        QVERIFY(!d.dialog->isVisible());
        const std::string expected = "[Path]\n"
                                     "ImportDataPath=" +
                                     d.importDir.string() +
                                     "\n"
                                     "ExportDataPath=" +
                                     d.exportDir.string() +
                                     "\n"
                                     "SystemDataPath=/kalmora/system\n"
                                     "[Plausibilitaet]\n"
                                     "PlausLevel=Error  \n"
                                     "[Einstufung]\n"
                                     "Erhebungvon=        \n"
                                     "Erhebungbis=20130630\n"
                                     "MindestStd=24\n"
                                     "MehrfachTISS=N\n"
                                     "ErsatzTISS=J\n";
        QCOMPARE(Q(d.RawFile()), Q(expected));
        QCOMPARE(Q(d.config.PlausLevel.str()), QString("Error  "));
        QCOMPARE(Q(d.config.Erhebungvon.str()), QString("        "));
        QCOMPARE(Q(d.config.Erhebungbis.str()), QString("20130630"));
        QCOMPARE(Q(d.config.MindestStd.str()), QString("24"));
        QCOMPARE(Q(d.config.MehrfachTISS.str()), QString("N"));
        QCOMPARE(Q(d.config.ErsatzTISS.str()), QString("J"));
        QCOMPARE(Q(d.config.ExportDataPath), Q(d.exportDir.string()));
    }

    void refusingTheQuestionOrCancellingChangesNothing_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<bool>("asked");
        QTest::newRow("No to the question") << "cmd_verzeichnis_0" << true;
        QTest::newRow("Abbrechen") << "cmd_verzeichnis_1" << false;
    }
    void refusingTheQuestionOrCancellingChangesNothing()
    {
        QFETCH(QString, button);
        QFETCH(bool, asked);
        OpenDialog d;
        QVERIFY(QTest::qWaitForWindowActive(d.dialog.get()));
        const Settings before = d.config;
        d.Click("opt_plaus_0");
        d.TypeDate("txt_vondatum", "1.2.24");
        d.Click("opt_verzeichnis_0");
        d.ChooseDirectory(d.exportDir / "sub");
        d.Click("chk_mtiss");
        if (asked) d.ui.ScriptAnswer(MessageAnswer::No);

        d.Click(button.toUtf8().constData());

        QCOMPARE(d.MessageTexts(), asked ? QStringList{" Änderungen speichern ?"} : QStringList{});
        QVERIFY(!d.dialog->isVisible());
        QCOMPARE(d.dialog->result(), int(QDialog::Rejected));
        QCOMPARE(Q(d.RawFile()), Q(d.storedText));
        QCOMPARE(Q(d.config.ImportDataPath), Q(before.ImportDataPath));
        QCOMPARE(Q(d.config.PlausLevel.str()), Q(before.PlausLevel.str()));
        QCOMPARE(Q(d.config.Erhebungvon.str()), Q(before.Erhebungvon.str()));
        QCOMPARE(Q(d.config.ErsatzTISS.str()), Q(before.ErsatzTISS.str()));
    }

    void dateBoxIsCheckedWhenLeft_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<bool>("refused");
        // clang-format off
        QTest::newRow("compact date") << "20121231" << "31.12.2012" << false;
        QTest::newRow("display date") << "31.12.2012" << "31.12.2012" << false;
        QTest::newRow("short parts") << "1.2.24" << "01.02.2024" << false;
        QTest::newRow("empty") << "" << "" << false;
        QTest::newRow("no such day") << "31.02.2012" << "31.02.2012" << true;
        QTest::newRow("no date") << "abc" << "abc" << true;
        // clang-format on
    }
    void dateBoxIsCheckedWhenLeft()
    {
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        QFETCH(bool, refused);
        OpenDialog d;
        QVERIFY(QTest::qWaitForWindowActive(d.dialog.get()));
        d.TypeDate("txt_vondatum", typed);
        d.LeaveBox("txt_vondatum");

        auto* box = d.Find<QLineEdit>("txt_vondatum");
        QCOMPARE(box->text(), shown);
        QCOMPARE(box->hasFocus(), refused);
        QCOMPARE(d.MessageTexts(),
                 refused ? QStringList{"Ungültiges Datum (JJJJMMTT) oder (TT.MM.JJJJ)!"} : QStringList{});
        if (refused) QCOMPARE(Q(d.ui.Messages().front().Title), QString(" Dorvan - Error "));
    }

    // Putting the focus back must not count as leaving the other box, which may hold a refused date too.
    void twoRefusedDatesAreReportedOneAtATime()
    {
        OpenDialog d;
        QVERIFY(QTest::qWaitForWindowActive(d.dialog.get()));
        d.Find<QLineEdit>("txt_bisdatum")->setText("31.02.2012");
        d.TypeDate("txt_vondatum", "31.02.2012");
        d.LeaveBox("txt_vondatum");
        for (int round = 0; round < 5; ++round)
            QCoreApplication::processEvents();

        QCOMPARE(d.MessageTexts(), QStringList{"Ungültiges Datum (JJJJMMTT) oder (TT.MM.JJJJ)!"});
        QVERIFY(d.Find<QLineEdit>("txt_vondatum")->hasFocus());
    }

    void dateBoxSelectsItsTextOnFocus()
    {
        OpenDialog d;
        QVERIFY(QTest::qWaitForWindowActive(d.dialog.get()));
        auto* box = d.Find<QLineEdit>("txt_bisdatum");
        box->setFocus(Qt::TabFocusReason);
        QCoreApplication::processEvents();
        QCOMPARE(box->selectedText(), QString("31.12.2012"));
    }

    // Enter confirms the dialog without leaving the date box; its text is checked all the same.
    void okChecksADateThatNeverLeftItsBox()
    {
        OpenDialog d;
        QVERIFY(QTest::qWaitForWindowActive(d.dialog.get()));
        d.TypeDate("txt_vondatum", "31.02.2012");
        QTest::keyClick(d.Find<QLineEdit>("txt_vondatum"), Qt::Key_Return);
        QCoreApplication::processEvents();

        QCOMPARE(d.MessageTexts(), QStringList{"Ungültiges Datum (JJJJMMTT) oder (TT.MM.JJJJ)!"});
        QVERIFY(d.dialog->isVisible());
        QVERIFY(d.Find<QLineEdit>("txt_vondatum")->hasFocus());
        QCOMPARE(Q(d.RawFile()), Q(d.storedText));

        d.TypeDate("txt_vondatum", "1.2.24");
        d.ui.ScriptAnswer(MessageAnswer::Yes);
        QTest::keyClick(d.Find<QLineEdit>("txt_vondatum"), Qt::Key_Return);
        QVERIFY(!d.dialog->isVisible());
        QCOMPARE(Q(d.config.Erhebungvon.str()), QString("20240201"));
        QVERIFY(d.RawFile().find("\nErhebungvon=20240201\n") != std::string::npos);
    }

    void chosenDirectoriesGoToTheirLabelsAndTheFile()
    {
        OpenDialog d;
        auto* importLabel = d.Find<QLabel>("lbl_import");
        auto* exportLabel = d.Find<QLabel>("lbl_export");

        d.Click("opt_verzeichnis_0");
        QCOMPARE(Background(*importLabel), kWhite);
        QCOMPARE(Background(*exportLabel), ButtonFace());
        QCOMPARE(d.ListDirectory(), Q(d.importDir.string()));

        d.ChooseDirectory(d.exportDir / "sub");
        QCOMPARE(importLabel->text(), Q((d.exportDir / "sub").string()));
        QCOMPARE(exportLabel->text(), Q(d.exportDir.string()));

        d.Click("opt_verzeichnis_1");
        QCOMPARE(Background(*importLabel), ButtonFace());
        QCOMPARE(Background(*exportLabel), kWhite);
        QCOMPARE(d.ListDirectory(), Q(d.exportDir.string()));

        // The system's root ("/", or the drive "C:\\" held as "C:"), written with its separator.
        const QString root = QDir::toNativeSeparators(QDir::rootPath());
        const std::string heldRoot = WithoutTrailingSeparator(FromQt(root));
        auto* drives = d.Find<QComboBox>("lst_drive");
        drives->setCurrentIndex(0);
        emit drives->activated(0);
        QCOMPARE(exportLabel->text(), root);
        QCOMPARE(d.ListDirectory(), root);

        d.ui.ScriptAnswer(MessageAnswer::Yes);
        d.Click("cmd_verzeichnis_0");
        QCOMPARE(Q(d.config.ImportDataPath), Q((d.exportDir / "sub").string()));
        QCOMPARE(Q(d.config.ExportDataPath), Q(heldRoot));
        const std::string raw = d.RawFile();
        QVERIFY(raw.find("\nImportDataPath=" + (d.exportDir / "sub").string() + "\n") != std::string::npos);
        QVERIFY2(raw.find("\nExportDataPath=" + FromQt(root) + "\n") != std::string::npos, raw.c_str());
        QVERIFY(raw.find("\nSystemDataPath=/kalmora/system\n") != std::string::npos);
    }

    void unreadableDirectoryIsRefused()
    {
        OpenDialog d;
        const fs::path gone = d.exportDir / "sub";
        auto* list = d.Find<QTreeView>("lst_dir");
        const QModelIndex goneIndex = static_cast<QFileSystemModel*>(list->model())->index(Q(gone.string()));
        QVERIFY(goneIndex.isValid());
        fs::remove(gone);

        list->setCurrentIndex(goneIndex);

        QCOMPARE(d.MessageTexts(), QStringList{" Das Laufwerk oder Verzeichnis kann nicht gelesen werden!"});
        QCOMPARE(d.Find<QLabel>("lbl_export")->text(), Q(d.exportDir.string()));
        QCOMPARE(d.ListDirectory(), Q(d.exportDir.string()));
    }

    void directoryTooLongForTheSettingsFileIsRefused()
    {
        OpenDialog d;
        const fs::path tooLong = d.exportDir / std::string(254 - d.exportDir.string().size(), 'x');
        QCOMPARE(tooLong.string().size(), std::size_t{255});
        fs::create_directories(tooLong);

        d.ChooseDirectory(tooLong);

        QCOMPARE(
            d.MessageTexts(),
            QStringList{Q(" Der Pfad ist zu lang: ein Eintrag der Einstellungsdatei fasst höchstens 254 Zeichen (" +
                          tooLong.string() + ").")});
        QCOMPARE(d.Find<QLabel>("lbl_export")->text(), Q(d.exportDir.string()));
        QCOMPARE(d.ListDirectory(), Q(d.exportDir.string()));
        d.ui.ScriptAnswer(MessageAnswer::Yes);
        d.Click("cmd_verzeichnis_0");
        QCOMPARE(Q(d.config.ExportDataPath), Q(d.exportDir.string()));
        QVERIFY(d.RawFile().find(tooLong.filename().string()) == std::string::npos);
    }
};

}  // namespace kalmora

QTEST_MAIN(kalmora::frmOptTest)
#include "frmOptTest.moc"
