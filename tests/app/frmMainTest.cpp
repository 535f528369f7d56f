#include "app/frmMain.h"

#include "toolkit/PanelStatusBar.h"
#include "app/frmTop.h"
#include "foundation/Messages.h"
#include "foundation/ScriptedUserInterface.h"
#include "storage/Database.h"
#include "storage/Schema.h"
#include "support/Files.h"
#include "support/ScriptedWindowOpener.h"
#include "support/TempDir.h"
#include "support/WindowContext.h"
#include "support/WindowDriving.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QTimer>
#include <QtTest>

#include <filesystem>
#include <string>

namespace kalmora {

namespace {

using test::Q;

namespace fs = std::filesystem;

enum class AdminDatabase { Missing, NoDepartment, OneDepartment, NotADatabase };

// The shared state of the windows, on a settings file in a fresh directory. The settings file exists
// only once WriteSettings has been called.
struct Shell : test::WindowContext {
    Shell() { IniFile.SettingsFileName = SettingsPath().string(); }

    fs::path SettingsPath() const { return Dir / "Kalmora11_0.ini"; }
    fs::path SystemDirectory() const { return Dir / "system"; }

    void WriteSettings()
    {
        Settings stored;
        stored.ImportDataPath = (Dir / "import").string();
        stored.ExportDataPath = (Dir / "export").string();
        stored.SystemDataPath = SystemDirectory().string() + "/";
        stored.PlausLevel = "Error";
        stored.Erhebungvon = "20240101";
        stored.Erhebungbis = "20241231";
        stored.MindestStd = "6";
        stored.MehrfachTISS = "J";
        stored.ErsatzTISS = "N";
        WriteSettingsFile(SettingsPath(), stored);
    }

    void MakeAdminDatabase(AdminDatabase state)
    {
        const fs::path file = SystemDirectory() / kAdminDatabaseFile;
        fs::create_directories(SystemDirectory());
        switch (state) {
        case AdminDatabase::Missing:
            return;
        case AdminDatabase::NotADatabase:
            test::WriteText(file, "[Path]\nSystemDataPath=/tmp\n");
            return;
        case AdminDatabase::NoDepartment:
            CreateAdminDatabase(file);
            return;
        case AdminDatabase::OneDepartment: {
            CreateAdminDatabase(file);
            Database admin(file);
            admin.Prepare(R"(INSERT INTO "Dateiverwaltung" ("KANR", "ABTEILUNG", "MDB_DATEI") VALUES (?, ?, ?))")
                .BindAll("K001", "125101  ", "K001125.mdb")
                .Execute();
            return;
        }
        }
    }
};

// "objectName text" of every entry of a menu, "-" as the text of a separator.
QStringList Entries(const QList<QAction*>& actions)
{
    QStringList entries;
    for (const QAction* action : actions) {
        const QString name = action->menu() ? action->menu()->objectName() : action->objectName();
        entries << name + " " + (action->isSeparator() ? QString("-") : action->text());
    }
    return entries;
}

}  // namespace

class frmMainTest : public QObject {
    Q_OBJECT

private slots:
    void startupWindowHandsOverToTheMaximisedMainWindow()
    {
        Shell shell;
        shell.WriteSettings();
        QPointer<frmTop> startup = new frmTop(shell.Context, "/i: " + shell.SettingsPath().string() + " ");
        startup->show();

        QCOMPARE(Q(shell.IniFile.SettingsFileName), Q(shell.SettingsPath().string()));
        QVERIFY(startup->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        QCOMPARE(shell.Ui.BusyDepth(), 1);
        QCOMPARE(startup->findChild<QTimer*>("Timer1")->interval(), 1000);
        QVERIFY(startup->MainWindow() == nullptr);
        QCOMPARE(startup->findChild<QLabel*>("Label2")->text(), QString("Version 11.0"));
        QCOMPARE(startup->findChild<QLabel*>("lbl_SP")->text(), QString("SP-1"));

        QTRY_VERIFY_WITH_TIMEOUT(startup && startup->MainWindow() && startup->MainWindow()->isVisible(), 3000);
        QPointer<frmMain> mainWindow = startup->MainWindow();
        QVERIFY(mainWindow->windowState().testFlag(Qt::WindowMaximized));
        QCOMPARE(mainWindow->windowTitle(), QString(" Kalmora Version 11.0"));
        QCOMPARE(mainWindow->StatusPanels().PanelText(1), QString(" Bereit"));
        // The settings are loaded, the directory without its trailing separator.
        QCOMPARE(Q(shell.Config.SystemDataPath), Q(shell.SystemDirectory().string()));
        QVERIFY(StrictChecks(shell.Config));

        QTRY_VERIFY_WITH_TIMEOUT(startup.isNull(), 3000);
        QCOMPARE(shell.Ui.BusyDepth(), 0);
        QVERIFY(mainWindow->isVisible());
        QVERIFY(!mainWindow->findChild<QTimer*>("tmr_frmTop")->isActive());
        QVERIFY(shell.Ui.Messages().empty());
        delete mainWindow;
    }

    void startsWithoutAnySettingsFile()
    {
        Shell shell;
        frmMain mainWindow(shell.Context);
        QCOMPARE(Q(shell.Config.SystemDataPath), QString("unknown"));
        QCOMPARE(Q(shell.Config.MindestStd.str()), QString("un"));
        QVERIFY(!IsSet(shell.Config.MehrfachTISS));
        QCOMPARE(mainWindow.StatusPanels().PanelText(1), QString(" Bereit"));
        QVERIFY(shell.Ui.Messages().empty());
    }

    void clockText_data()
    {
        QTest::addColumn<QDateTime>("now");
        QTest::addColumn<QString>("shown");
        QTest::newRow("evening") << QDateTime(QDate(2026, 12, 8), QTime(21, 5)) << "  08.12.2026, 21:05  ";
        QTest::newRow("single digits get their zero")
            << QDateTime(QDate(2027, 1, 2), QTime(7, 3, 59)) << "  02.01.2027, 07:03  ";
        QTest::newRow("midnight") << QDateTime(QDate(2024, 2, 29), QTime(0, 0)) << "  29.02.2024, 00:00  ";
    }
    void clockText()
    {
        QFETCH(QDateTime, now);
        QFETCH(QString, shown);
        QCOMPARE(ClockText(now), shown);
    }

    void clockKeepsPanelFour()
    {
        Shell shell;
        frmMain mainWindow(shell.Context);
        auto& panels = mainWindow.StatusPanels();
        panels.SetPanelText(4, "");
        QTRY_VERIFY_WITH_TIMEOUT(!panels.PanelText(4).isEmpty(), 2000);
        static const QRegularExpression format(R"(^  \d\d\.\d\d\.\d{4}, \d\d:\d\d  $)");
        QVERIFY2(format.match(panels.PanelText(4)).hasMatch(), qPrintable(panels.PanelText(4)));
        const QDateTime now = QDateTime::currentDateTime();
        QVERIFY(panels.PanelText(4) == ClockText(now) || panels.PanelText(4) == ClockText(now.addSecs(-60)));
    }

    void menusInTheirOrderWithAccessKeys()
    {
        Shell shell;
        frmMain mainWindow(shell.Context);
        QCOMPARE(Entries(mainWindow.menuBar()->actions()),
                 QStringList({"mainDatei &Datei", "mainIntensivbericht &Intensivbericht", "mainExtras &Extras",
                              "mainInfo &Info"}));
        QCOMPARE(Entries(mainWindow.findChild<QMenu*>("mainDatei")->actions()),
                 QStringList({"datei_0 &Import", "datei_1 &Export", "datei_2 -", "datei_3 &Beenden"}));
        QCOMPARE(Entries(mainWindow.findChild<QMenu*>("mainExtras")->actions()),
                 QStringList({"extras_0 &Einstufung", "extras_1 -", "extras_2 &Optionen"}));
    }

    // Alt+I is shared by "&Intensivbericht" and "&Info": it moves the highlight, Enter or Space opens.
    // A key of one title opens it at once.
    void sharedAccessKeyMovesTheHighlightAndEnterOpens()
    {
        Shell shell;
        shell.WriteSettings();
        frmMain mainWindow(shell.Context);
        mainWindow.show();
        QVERIFY(QTest::qWaitForWindowActive(&mainWindow));
        QMenuBar* bar = mainWindow.menuBar();
        const auto highlighted = [bar] { return bar->activeAction() ? bar->activeAction()->objectName() : QString(); };

        QTest::keyClick(&mainWindow, Qt::Key_I, Qt::AltModifier);
        QCOMPARE(highlighted(), QString("mainIntensivbericht"));
        QTest::keyClick(&mainWindow, Qt::Key_I, Qt::AltModifier);
        QCOMPARE(highlighted(), QString("mainInfo"));
        QVERIFY(shell.Windows.Opened().isEmpty());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCOMPARE(shell.Windows.Opened(), QStringList({"frmInfo"}));
        QCOMPARE(highlighted(), QString());

        // The highlight goes round; Escape drops it and opens nothing.
        for (const char* expected : {"mainIntensivbericht", "mainInfo", "mainIntensivbericht"}) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_I, Qt::AltModifier);
            QCOMPARE(highlighted(), QString(expected));
        }
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        QCOMPARE(highlighted(), QString());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_I, Qt::AltModifier);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
        QCOMPARE(shell.Windows.Opened(), QStringList({"frmInfo", "frmAbt"}));

        QMenu* datei = mainWindow.findChild<QMenu*>("mainDatei");
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_D, Qt::AltModifier);
        QTRY_VERIFY(datei->isVisible());
        datei->close();
        QCOMPARE(shell.Windows.Opened(), QStringList({"frmInfo", "frmAbt"}));
    }

    // Export and classification need a registered department; the admin database is only looked at.
    void exportAndClassificationNeedImportedData_data()
    {
        QTest::addColumn<AdminDatabase>("admin");
        QTest::addColumn<bool>("settingsFile");
        QTest::addColumn<QString>("menu");
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("text");   // the start of the box's text; empty for no box
        QTest::addColumn<QString>("opens");  // the window the command opens; empty for none

        const auto row = [](const char* name, AdminDatabase admin, bool settingsFile, const QString& menu, int index,
                            const QString& title, const QString& text, const QString& opens = "") {
            QTest::newRow(name) << admin << settingsFile << menu << index << title << text << opens;
        };
        const QString notice = " Programmhinweis ";
        const QString noData = " Es wurden noch keine Daten importiert!";
        const QString error = " Dorvan - Error ";
        const QString admin = "Die Verwaltungsdatenbank ";
        row("no department: Export", AdminDatabase::NoDepartment, true, "datei", 1, notice, noData);
        row("no department: Einstufung", AdminDatabase::NoDepartment, true, "extras", 0, notice, noData);
        row("department: Export", AdminDatabase::OneDepartment, true, "datei", 1, "", "", "frmExp");
        row("department: Einstufung", AdminDatabase::OneDepartment, true, "extras", 0, "", "", "frmEin");
        row("admin database missing", AdminDatabase::Missing, true, "datei", 1, error, admin);
        row("not a database", AdminDatabase::NotADatabase, true, "extras", 0, error, admin);
        row("no settings file", AdminDatabase::Missing, false, "datei", 1, error,
            admin + "iadmin.mdb kann nicht gefunden werden: Der Pfad SystemDataPath=unknown der Einstellungsdatei ist "
                    "kein vollständiger Pfad");
    }
    void exportAndClassificationNeedImportedData()
    {
        QFETCH(AdminDatabase, admin);
        QFETCH(bool, settingsFile);
        QFETCH(QString, menu);
        QFETCH(int, index);
        QFETCH(QString, title);
        QFETCH(QString, text);
        QFETCH(QString, opens);
        Shell shell;
        if (settingsFile) shell.WriteSettings();
        shell.MakeAdminDatabase(admin);
        frmMain mainWindow(shell.Context);

        if (menu == "datei") {
            mainWindow.OnDatei(index);
        } else {
            mainWindow.OnExtras(index);
        }

        QCOMPARE(shell.Windows.Opened(), opens.isEmpty() ? QStringList() : QStringList({opens}));
        // What the opened window shows is its own affair.
        if (!opens.isEmpty()) return;
        if (text.isEmpty()) {
            QVERIFY(shell.Ui.Messages().empty());
            return;
        }
        QCOMPARE(shell.Ui.Messages().size(), std::size_t(1));
        const auto& shown = shell.Ui.Messages().front();
        QCOMPARE(Q(shown.Title), title);
        QVERIFY2(Q(shown.Text).startsWith(text), shown.Text.c_str());
        QVERIFY(shown.Buttons == MessageButtons::Ok);
        if (title == Q(std::string(kErrorTitle))) {
            QVERIFY(shown.Icon == MessageIcon::Critical);
            QVERIFY2(Q(shown.Text).contains("iadmin.mdb"), shown.Text.c_str());
        } else {
            QVERIFY(shown.Icon == MessageIcon::Exclamation);
        }
        // Nothing is left behind where no database was.
        if (admin == AdminDatabase::Missing) QVERIFY(!fs::exists(shell.SystemDirectory() / kAdminDatabaseFile));
    }

    void optionsAndInfoOpenWithoutImportedData()
    {
        Shell shell;
        shell.WriteSettings();
        shell.MakeAdminDatabase(AdminDatabase::NoDepartment);
        frmMain mainWindow(shell.Context);

        mainWindow.findChild<QAction*>("extras_2")->trigger();
        QCOMPARE(shell.Windows.Opened(), QStringList({"frmOpt"}));

        int infoResult = -1;
        QString infoTitle;
        QStringList infoVersion;
        shell.Windows.WhileOpen = [&](QDialog& dialog) {
            infoTitle = dialog.windowTitle();
            infoVersion = {dialog.findChild<QLabel*>("Label2")->text(), dialog.findChild<QLabel*>("Label3_0")->text()};
            QTest::mouseClick(dialog.findChild<QPushButton*>("cmd_info_ok"), Qt::LeftButton);
            infoResult = dialog.result();
            return dialog.result();
        };
        mainWindow.findChild<QAction*>("mainInfo")->trigger();
        QCOMPARE(shell.Windows.Opened(), QStringList({"frmOpt", "frmInfo"}));
        QCOMPARE(infoTitle, QString(" Kalmora"));
        QCOMPARE(infoVersion, QStringList({"Version 11.0", "SP-1"}));
        QCOMPARE(infoResult, int(QDialog::Accepted));
        QVERIFY(shell.Ui.Messages().empty());
    }
};

}  // namespace kalmora

QTEST_MAIN(kalmora::frmMainTest)
#include "frmMainTest.moc"
