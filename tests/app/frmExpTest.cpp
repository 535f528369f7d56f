// The export dialog, opened from the main window's "&Export".
#include "app/frmExp.h"

#include "app/frmMain.h"
#include "foundation/ScriptedUserInterface.h"
#include "storage/Database.h"
#include "storage/Schema.h"
#include "support/DepartmentRows.h"
#include "support/Files.h"
#include "support/ImportedInstallation.h"
#include "support/ScriptedWindowOpener.h"
#include "support/TempDir.h"
#include "support/WindowContext.h"
#include "support/WindowDriving.h"

#include <QAction>
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QtTest>

#include <filesystem>
#include <string>

namespace kalmora {

namespace {

using test::Click;
using test::Entries;
using test::Find;
using test::Q;
using test::SelectedRows;

namespace fs = std::filesystem;

const QString kFirst =
    "K002 - Krankenhaus Nordstad  12100101 - Anästhesiologische Intensivstation" + QString(7, ' ') + "   12100101X002";
const QString kSecond = "K002 - Krankenhaus Nordstad  12510101 - " +
                        QString("Internistische Intensivstation").leftJustified(41) + "   12510101X002";

// An installation with two departments: the one of the append case, imported, and a copy of it under
// another department code that keeps only its first stay.
struct Installation : test::WindowContext {
    Installation()
    {
        const fs::path fixtures = fs::path(KALMORA_TEST_DATA_DIR) / "import" / "append";
        test::SetUpImportedInstallation(Dir, IniFile, Config,
                                        {fixtures / "A2100101X002.txt", fixtures / "B2100101X002.txt"});
        test::AddFirstStayCopy(System());
    }

    fs::path System() const { return Dir / "system"; }
    fs::path Export() const { return Dir / "export"; }

    std::int64_t Stays(const fs::path& file) const
    {
        Database database(file, OpenMode::ReadOnly);
        return test::CountRows(database, kStaysTable);
    }

    QStringList MessageTexts() const
    {
        QStringList texts;
        for (const auto& message : Ui.Messages())
            texts << Q(message.Text);
        return texts;
    }
};

}  // namespace

class frmExpTest : public QObject {
    Q_OBJECT

private slots:
    void menuOpensTheListWithTheFirstLineSelected()
    {
        Installation inst;
        frmMain mainWindow(inst.Context);
        QString title;
        QStringList entries;
        QList<int> selected;
        QStringList texts;
        inst.Windows.WhileOpen = [&](QDialog& dialog) {
            title = dialog.windowTitle();
            const auto* list = Find<QListWidget>(dialog, "lst_abteilung");
            entries = Entries(*list);
            selected = SelectedRows(*list);
            texts << Find<QLabel>(dialog, "Label1_0")->text() << Find<QLabel>(dialog, "Label1_1")->text()
                  << Find<QLabel>(dialog, "lbl_export")->text() << Find<QLineEdit>(dialog, "output_file")->text()
                  << Find<QPushButton>(dialog, "cmd_export_0")->text()
                  << Find<QPushButton>(dialog, "cmd_export_1")->text();
            for (const QGroupBox* frame : dialog.findChildren<QGroupBox*>())
                texts << frame->title();
            Click(dialog, "cmd_export_1");
            return dialog.result();
        };

        mainWindow.findChild<QAction*>("datei_1")->trigger();

        QCOMPARE(inst.Windows.Opened(), QStringList({"frmExp"}));
        QCOMPARE(title, QString(" Export"));
        QCOMPARE(entries, QStringList({kFirst, kSecond}));
        QCOMPARE(selected, QList<int>({0}));
        QCOMPARE(texts, QStringList({" &Krankenanstalt ", " Abteilung ", Q(inst.Config.ExportDataPath), "gesamt.mdb",
                                     "&Export", "Beenden", "Ausgabeverzeichnis", "Ausgabedatei"}));
        QCOMPARE(Q(inst.Ui.StatusHistory(1).front()), QString(" Intensivberichte vorbereiten..."));
        QCOMPARE(Q(inst.Ui.StatusText(1)), QString());
        QCOMPARE(inst.Ui.BusyDepth(), 0);
        QVERIFY(!fs::exists(inst.Export() / "gesamt.mdb"));
    }

    // The selected departments, under the name typed, with the beep and the success message.
    void exportWritesTheSelectedDepartments_data()
    {
        QTest::addColumn<QList<int>>("selected");
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("stays");

        QTest::newRow("first") << QList<int>({0}) << "gesamt.mdb" << 3;
        QTest::newRow("second, own name") << QList<int>({1}) << "zweite.db" << 1;
        // The second department's stay is the first's first stay: there once.
        QTest::newRow("both") << QList<int>({0, 1}) << "gesamt.mdb" << 3;
        QTest::newRow("none: the empty template") << QList<int>() << "leer.mdb" << 0;
    }
    void exportWritesTheSelectedDepartments()
    {
        QFETCH(QList<int>, selected);
        QFETCH(QString, name);
        QFETCH(int, stays);
        Installation inst;
        frmExp window(inst.Context);
        auto* list = Find<QListWidget>(window, "lst_abteilung");
        list->clearSelection();
        for (int row : selected)
            list->item(row)->setSelected(true);
        Find<QLineEdit>(window, "output_file")->setText(name);

        Click(window, "cmd_export_0");

        QCOMPARE(inst.MessageTexts(), QStringList({" Daten erfolgreich exportiert!"}));
        QCOMPARE(Q(inst.Ui.Messages().front().Title), QString(" Programmhinweis "));
        QCOMPARE(inst.Ui.Beeps(), 1);
        QCOMPARE(inst.Ui.BusyDepth(), 0);
        QCOMPARE(inst.Stays(inst.Export() / name.toStdString()), std::int64_t(stays));
        QCOMPARE(Q(inst.Ui.StatusText(1)), QString(" Bereit"));
        QCOMPARE(Q(inst.Ui.StatusText(2)), QString(" "));
    }

    void anInvalidFileNameShowsNotice1AndWritesNothing()
    {
        Installation inst;
        frmExp window(inst.Context);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        auto* name = Find<QLineEdit>(window, "output_file");
        name->setText("../gesamt.mdb");
        Find<QPushButton>(window, "cmd_export_0")->setFocus();

        Click(window, "cmd_export_0");

        QCOMPARE(inst.MessageTexts(), QStringList({" Ungültiger Dateiname!"}));
        QCOMPARE(inst.Ui.Beeps(), 0);
        QCOMPARE(inst.Ui.BusyDepth(), 0);
        QVERIFY(name->hasFocus());
        QVERIFY(!fs::exists(inst.Dir / "gesamt.mdb"));
        QVERIFY(!fs::exists(inst.Export() / "gesamt.mdb"));
    }

    void aFailedExportIsReportedInsteadOfSuccess()
    {
        Installation inst;
        frmExp window(inst.Context);
        test::WriteText(inst.Export() / "gesamt.mdb", "earlier export");
        // A template that can neither be used nor made anew: a folder of its name.
        fs::remove(inst.System() / "ibds.mdb");
        fs::create_directories(inst.System() / "ibds.mdb" / "Ordner");

        Click(window, "cmd_export_0");

        QCOMPARE(inst.Ui.Messages().size(), std::size_t(1));
        QCOMPARE(Q(inst.Ui.Messages().front().Title), QString(" Dorvan - Error "));
        QVERIFY2(Q(inst.Ui.Messages().front().Text).startsWith(" Export nicht möglich: Die Vorlagendatenbank "),
                 inst.Ui.Messages().front().Text.c_str());
        QCOMPARE(inst.Ui.Beeps(), 0);
        QCOMPARE(Q(test::ReadText(inst.Export() / "gesamt.mdb")), QString("earlier export"));
    }

    void doubleClickOnTheDirectoryOpensTheOptions()
    {
        Installation inst;
        frmExp window(inst.Context);
        const std::string changed = (inst.Dir / "elsewhere").string();
        QString page;
        QString edited;
        inst.Windows.WhileOpen = [&](QDialog& dialog) {
            const auto* tabs = Find<QTabWidget>(dialog, "tab_opt");
            page = tabs->tabText(tabs->currentIndex());
            edited = Find<QRadioButton>(dialog, "opt_verzeichnis_1")->isChecked() ? "export" : "import";
            // What the options dialog does on "OK" with another export directory chosen.
            inst.Config.ExportDataPath = changed;
            return dialog.result();
        };

        QTest::mouseDClick(Find<QLabel>(window, "lbl_export"), Qt::LeftButton);

        QCOMPARE(inst.Windows.Opened(), QStringList({"frmOpt"}));
        // The options open where the export directory is changed.
        QCOMPARE(page, QString("&Verzeichnisse"));
        QCOMPARE(edited, QString("export"));
        QCOMPARE(Find<QLabel>(window, "lbl_export")->text(), Q(changed));
    }

    void theFileNameIsSelectedWhenItGetsTheFocus()
    {
        Installation inst;
        frmExp window(inst.Context);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        auto* name = Find<QLineEdit>(window, "output_file");
        Find<QListWidget>(window, "lst_abteilung")->setFocus();

        name->setFocus(Qt::TabFocusReason);
        QTRY_COMPARE(name->selectedText(), QString("gesamt.mdb"));
    }
};

}  // namespace kalmora

QTEST_MAIN(kalmora::frmExpTest)
#include "frmExpTest.moc"
