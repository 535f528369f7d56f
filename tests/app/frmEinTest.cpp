// The classification dialog, opened from the main window's "&Einstufung" on an imported department.
#include "app/frmEin.h"

#include "toolkit/CellGrid.h"
#include "app/frmMain.h"
#include "foundation/ScriptedUserInterface.h"
#include "import/ImportRun.h"
#include "storage/Database.h"
#include "storage/Schema.h"
#include "storage/Setup.h"
#include "support/Files.h"
#include "support/ScriptedWindowOpener.h"
#include "support/TempDir.h"
#include "support/WindowContext.h"
#include "support/ImportedInstallation.h"
#include "support/WindowDriving.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QtTest>

#include <filesystem>
#include <functional>
#include <string>

namespace kalmora {

namespace {

using test::Click;
using test::Entries;
using test::Find;
using test::Q;

namespace fs = std::filesystem;

// The entry of the imported department: 12,40 DGKP on 8 beds, not pre-classified.
const QString kEntry = QString("K002 - Krankenhaus Nordstad   12,40      8      1,55                12100101 - "
                               "Anästhesiologische Intensivstation") +
                       QString(66, ' ') + "12100101X002";

// Types into a box and leaves it for another control, as a user would.
void TypeAndLeave(QLineEdit& box, const QString& text, QWidget& next)
{
    box.setFocus(Qt::TabFocusReason);
    box.selectAll();
    QTest::keyClick(&box, Qt::Key_Backspace);
    QTest::keyClicks(&box, text);
    next.setFocus(Qt::TabFocusReason);
    QCoreApplication::processEvents();
}

// An installation with one imported department made for the classification, its staffing figures
// set, and the main window on it.
struct Installation : test::WindowContext {
    Installation()
    {
        test::SetUpImportedInstallation(Dir, IniFile, Config,
                                        {fs::path(KALMORA_TEST_DATA_DIR) / "classification" / "A2100101X002.txt"});
        Admin().Prepare(R"(UPDATE "Dateiverwaltung" SET "DGKP" = 12.4, "SBETT" = 8)").Execute();
        ChooseSettings();
    }

    // The classification settings the dialog opens with.
    void ChooseSettings()
    {
        Config.Erhebungvon = "20240101";
        Config.Erhebungbis = "20241231";
        Config.MindestStd = "4 ";
        Config.MehrfachTISS = "J";
        Config.ErsatzTISS = "N";
    }

    Database Admin() const { return Database(Dir / "system" / std::string(kAdminDatabaseFile)); }
    Database Department() const { return Database(Dir / "system" / "12100101X002"); }

    QStringList MessageTexts() const
    {
        QStringList texts;
        for (const auto& message : Ui.Messages())
            texts << Q(message.Text);
        return texts;
    }
};

}  // namespace

class frmEinTest : public QObject {
    Q_OBJECT

private slots:
    void menuOpensTheDialogWithTheDepartmentAndTheSettings()
    {
        Installation inst;
        frmMain mainWindow(inst.Context);
        // The main window has read the settings file.
        inst.ChooseSettings();
        QStringList entries;
        QStringList headings;
        QString selected;
        QString title;
        QString von;
        QString bis;
        QString hours;
        bool multiple = false;
        bool filled = true;
        inst.Windows.WhileOpen = [&](QDialog& dialog) {
            title = dialog.windowTitle();
            auto* list = Find<QListWidget>(dialog, "lst_abteilung");
            entries = Entries(*list);
            if (list->currentItem() != nullptr && list->currentItem()->isSelected())
                selected = list->currentItem()->text();
            for (int index = 0; index < 6; ++index)
                headings << Find<QLabel>(dialog, QString("Label1_%1").arg(index))->text();
            von = Find<QLineEdit>(dialog, "txt_vondatum")->text();
            bis = Find<QLineEdit>(dialog, "txt_bisdatum")->text();
            hours = Find<QComboBox>(dialog, "cmb_mindeststunden")->currentText();
            multiple = Find<QCheckBox>(dialog, "chk_multipletiss")->isChecked();
            filled = Find<QCheckBox>(dialog, "chk_mtiss")->isChecked();
            Click(dialog, "cmd_ein_3");
            return dialog.result();
        };

        mainWindow.findChild<QAction*>("extras_0")->trigger();

        QCOMPARE(inst.Windows.Opened(), QStringList({"frmEin"}));
        QCOMPARE(title, QString(" Extras - Einstufung"));
        QCOMPARE(entries, QStringList({kEntry}));
        QCOMPARE(entries.front().size(), 191);
        QCOMPARE(selected, kEntry);
        QCOMPARE(headings, QStringList({" Krankenanstalt ", " DGKP ", " sBetten ", " DGKP/sBett ", " Voreinstufung ",
                                        " Abteilung "}));
        QCOMPARE(von, QString("01.01.2024"));
        QCOMPARE(bis, QString("31.12.2024"));
        QCOMPARE(hours, QString("4"));
        QVERIFY(multiple);
        QVERIFY(!filled);
        QVERIFY(inst.Ui.Messages().empty());
        QCOMPARE(Q(inst.Ui.StatusText(1)), QString(" Bereit"));
        QCOMPARE(inst.Ui.BusyDepth(), 0);
    }

    // Without a classifiable stay the list stays empty, the notice says why, and the buttons that need
    // a department do nothing harmful.
    void departmentWithoutClassifiableStaysGivesNotice37()
    {
        Installation inst;
        inst.Department().Prepare(R"(UPDATE "Gesamt - Patientenadministration" SET "FLAG" = 'U')").Execute();
        frmEin dialog(inst.Context);

        QCOMPARE(Find<QListWidget>(dialog, "lst_abteilung")->count(), 0);
        QCOMPARE(inst.MessageTexts(), QStringList({" Intensivberichte enthalten keine entlassenen TISS-Patienten!"}));
        QCOMPARE(Q(inst.Ui.Messages().front().Title), QString(" Programmhinweis "));

        Click(dialog, "cmd_ein_0");
        QVERIFY(inst.Windows.Opened().isEmpty());
        // The result table opens on no department.
        int rows = -1;
        inst.Windows.WhileOpen = [&](QDialog& result) {
            rows = Find<CellGrid>(result, "grd_erg")->Rows();
            return QDialog::Rejected;
        };
        Click(dialog, "cmd_ein_2");
        QCOMPARE(inst.Windows.Opened(), QStringList({"frmEine"}));
        QCOMPARE(rows, 1);
    }

    void unreadableAdminDatabaseIsReportedNotAsAnEmptyList()
    {
        Installation inst;
        fs::remove(inst.Dir / "system" / std::string(kAdminDatabaseFile));
        test::WriteText(inst.Dir / "system" / std::string(kAdminDatabaseFile), "keine Datenbank");
        frmEin dialog(inst.Context);

        QCOMPARE(inst.Ui.Messages().size(), std::size_t(1));
        QCOMPARE(Q(inst.Ui.Messages().front().Title), QString(" Dorvan - Error "));
        QCOMPARE(Q(inst.Ui.StatusText(1)), QString(" Bereit"));
        QCOMPARE(inst.Ui.BusyDepth(), 0);
    }

    void dateFieldsAreNormalisedOrRefusedWhenLeft_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<bool>("refused");
        QTest::newRow("short date") << "1.2.24"
                                    << "01.02.2024" << false;
        QTest::newRow("compact date") << "20240315"
                                      << "15.03.2024" << false;
        QTest::newRow("no such day") << "30.02.2024"
                                     << "30.02.2024" << true;
        QTest::newRow("not a date") << "Mai"
                                    << "Mai" << true;
        QTest::newRow("empty") << ""
                               << "" << false;
    }
    void dateFieldsAreNormalisedOrRefusedWhenLeft()
    {
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        QFETCH(bool, refused);
        for (const char* name : {"txt_vondatum", "txt_bisdatum"}) {
            Installation inst;
            frmEin dialog(inst.Context);
            dialog.show();
            QVERIFY(QTest::qWaitForWindowActive(&dialog));
            auto* box = Find<QLineEdit>(dialog, name);

            box->setFocus(Qt::TabFocusReason);
            QTRY_COMPARE(box->selectedText(), box->text());
            TypeAndLeave(*box, typed, *Find<QComboBox>(dialog, "cmb_mindeststunden"));

            QCOMPARE(box->text(), shown);
            if (refused) {
                QCOMPARE(inst.MessageTexts(), QStringList({"Ungültiges Datum (JJJJMMTT) oder (TT.MM.JJJJ)!"}));
                QCOMPARE(Q(inst.Ui.Messages().front().Title), QString(" Dorvan - Error "));
                QVERIFY(box->hasFocus());
            } else {
                QVERIFY(inst.Ui.Messages().empty());
            }
        }
    }

    // "Einstufung" takes the fields into the settings, not into the settings file, and classifies the
    // selected departments.
    void classificationTakesTheFieldsIntoTheSettings()
    {
        Installation inst;
        const std::string iniBefore = test::ReadText(inst.Dir / "Kalmora11_0.ini");
        frmEin dialog(inst.Context);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        auto* von = Find<QLineEdit>(dialog, "txt_vondatum");
        auto* bis = Find<QLineEdit>(dialog, "txt_bisdatum");
        auto* hours = Find<QComboBox>(dialog, "cmb_mindeststunden");
        TypeAndLeave(*von, "1.2.24", *bis);
        TypeAndLeave(*bis, "30.4.24", *hours);
        hours->setCurrentIndex(12);
        Find<QCheckBox>(dialog, "chk_multipletiss")->setChecked(false);
        Find<QCheckBox>(dialog, "chk_mtiss")->setChecked(true);
        QStringList resultRows;
        inst.Windows.WhileOpen = [&](QDialog& result) {
            auto* grid = Find<CellGrid>(result, "grd_erg");
            for (int row = 1; row < grid->Rows(); ++row)
                resultRows << grid->CellText(row, 0) + "|" + grid->CellText(row, 17);
            return QDialog::Rejected;
        };

        Click(dialog, "cmd_ein_2");

        QCOMPARE(inst.Windows.Opened(), QStringList({"frmEine"}));
        QCOMPARE(resultRows, QStringList({"K002 - Krankenhaus Nordstad|12"}));
        QCOMPARE(Q(inst.Config.Erhebungvon.str()), QString("20240201"));
        QCOMPARE(Q(inst.Config.Erhebungbis.str()), QString("20240430"));
        QCOMPARE(Q(inst.Config.MindestStd.str()), QString("12"));
        QCOMPARE(Q(inst.Config.MehrfachTISS.str()), QString("N"));
        QCOMPARE(Q(inst.Config.ErsatzTISS.str()), QString("J"));
        QVERIFY(test::ReadText(inst.Dir / "Kalmora11_0.ini") == iniBefore);
        QVERIFY(inst.Ui.Messages().empty());

        // A single digit is stored with its blank; nothing selected classifies nothing.
        hours->setCurrentIndex(4);
        Find<QListWidget>(dialog, "lst_abteilung")->clearSelection();
        resultRows.clear();
        Click(dialog, "cmd_ein_2");
        QCOMPARE(Q(inst.Config.MindestStd.str()), QString("4 "));
        QVERIFY(resultRows.isEmpty());
    }

    // A date typed and never left is checked before anything is taken.
    void classificationRefusesAnInvalidDate()
    {
        Installation inst;
        frmEin dialog(inst.Context);
        auto* bis = Find<QLineEdit>(dialog, "txt_bisdatum");
        bis->setText("31.13.2024");

        Click(dialog, "cmd_ein_2");

        QVERIFY(inst.Windows.Opened().isEmpty());
        QCOMPARE(inst.MessageTexts(), QStringList({"Ungültiges Datum (JJJJMMTT) oder (TT.MM.JJJJ)!"}));
        QCOMPARE(Q(inst.Config.Erhebungbis.str()), QString("20241231"));
        QCOMPARE(Q(inst.Config.MehrfachTISS.str()), QString("J"));
    }

    // The options may change the classification settings; the dialog shows them afterwards.
    void changedOptionsAreShownAfterwards()
    {
        Installation inst;
        frmEin dialog(inst.Context);
        Find<QLineEdit>(dialog, "txt_vondatum")->setText("05.05.2024");
        inst.Windows.WhileOpen = [&](QDialog&) {
            inst.Config.Erhebungvon = "20230101";
            inst.Config.Erhebungbis = "20230630";
            inst.Config.MindestStd = "24";
            inst.Config.MehrfachTISS = "N";
            inst.Config.ErsatzTISS = "J";
            return QDialog::Accepted;
        };

        Click(dialog, "cmd_ein_1");

        QCOMPARE(inst.Windows.Opened(), QStringList({"frmOpt"}));
        QCOMPARE(Find<QLineEdit>(dialog, "txt_vondatum")->text(), QString("01.01.2023"));
        QCOMPARE(Find<QLineEdit>(dialog, "txt_bisdatum")->text(), QString("30.06.2023"));
        QCOMPARE(Find<QComboBox>(dialog, "cmb_mindeststunden")->currentText(), QString("24"));
        QVERIFY(!Find<QCheckBox>(dialog, "chk_multipletiss")->isChecked());
        QVERIFY(Find<QCheckBox>(dialog, "chk_mtiss")->isChecked());
    }
};

}  // namespace kalmora

QTEST_MAIN(kalmora::frmEinTest)
#include "frmEinTest.moc"
