// The base data of a department, opened from the classification dialog on an imported department.
#include "app/frmAbtB.h"

#include "app/frmEin.h"
#include "foundation/ScriptedUserInterface.h"
#include "import/ImportRun.h"
#include "storage/Database.h"
#include "storage/Schema.h"
#include "storage/Setup.h"
#include "support/ScriptedWindowOpener.h"
#include "support/TempDir.h"
#include "support/WindowContext.h"
#include "support/ImportedInstallation.h"
#include "support/WindowDriving.h"

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
using test::Find;
using test::Q;

namespace fs = std::filesystem;

// Characters 30 to 62 of an entry: DGKP, beds, DGKP per bed and pre-classification in their columns.
QString Figures(const QString& entry)
{
    return entry.mid(29, 33);
}

QString FiguresOf(const QString& dgkp, const QString& beds, const QString& perBed, const QString& pre)
{
    return dgkp.rightJustified(6) + "    " + beds.rightJustified(3) + "     " + perBed.rightJustified(5) + "        " +
           pre.leftJustified(2);
}

// The department's stored figures.
struct StoredFigures {
    double Dgkp = 0;
    double Beds = 0;
    std::string Pre;
};

// An installation with one imported department made for the classification, with 12,40 DGKP on
// 8 beds, pre-classified "E2".
struct Installation : test::WindowContext {
    Installation()
    {
        test::SetUpImportedInstallation(Dir, IniFile, Config,
                                        {fs::path(KALMORA_TEST_DATA_DIR) / "classification" / "A2100101X002.txt"});
        Admin().Prepare(R"(UPDATE "Dateiverwaltung" SET "DGKP" = 12.4, "SBETT" = 8, "VOREINSTUFUNG" = 'E2')").Execute();
    }

    Database Admin() const { return Database(Dir / "system" / std::string(kAdminDatabaseFile)); }

    StoredFigures Stored() const
    {
        Database admin = Admin();
        auto row = admin.Prepare(R"(SELECT "DGKP", "SBETT", "VOREINSTUFUNG" FROM "Dateiverwaltung")");
        if (!row.Step()) return {};
        return {row.Double(0), row.Double(1), row.Text(2)};
    }

    QStringList MessageTexts() const
    {
        QStringList texts;
        for (const auto& message : Ui.Messages())
            texts << Q(message.Text);
        return texts;
    }
};

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

}  // namespace

class frmAbtBTest : public QObject {
    Q_OBJECT

private slots:
    // Both ways into the window show the current entry's figures.
    void opensOnTheCurrentEntry()
    {
        Installation inst;
        frmEin classification(inst.Context);
        QStringList shown;
        inst.Windows.WhileOpen = [&](QDialog& dialog) {
            shown << dialog.windowTitle() << Find<QLabel>(dialog, "lbl_ka")->text()
                  << Find<QLabel>(dialog, "lbl_abt")->text() << Find<QLineEdit>(dialog, "txt_dgkp")->text()
                  << Find<QLineEdit>(dialog, "txt_sBett")->text() << Find<QLabel>(dialog, "lbl_faktor")->text()
                  << Find<QComboBox>(dialog, "cmbVoreinstufung")->currentText();
            Click(dialog, "cmd_extras_1");
            return dialog.result();
        };
        const QStringList expected{" Extras - Einstufung",
                                   "K002 - Krankenhaus Nordstad",
                                   "12100101 - Anästhesiologische Intensivstation",
                                   "12,40",
                                   "8",
                                   "0,00",
                                   "E2"};

        Click(classification, "cmd_ein_0");
        QCOMPARE(shown, expected);

        shown.clear();
        auto* list = Find<QListWidget>(classification, "lst_abteilung");
        emit list->itemDoubleClicked(list->item(0));
        QCOMPARE(shown, expected);
        QCOMPARE(inst.Windows.Opened(), QStringList({"frmAbtB", "frmAbtB"}));
    }

    void leavingAFieldChecksItAndShowsTheQuotient_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("quotient");
        QTest::addColumn<bool>("refused");
        QTest::newRow("DGKP") << "txt_dgkp"
                              << "12,5"
                              << "12,50"
                              << "1,56" << false;
        QTest::newRow("beds") << "txt_sBett"
                              << "10"
                              << "10"
                              << "1,24" << false;
        QTest::newRow("empty DGKP") << "txt_dgkp"
                                    << ""
                                    << ""
                                    << "0,00" << false;
        // Without beds the quotient keeps what it showed.
        QTest::newRow("no beds") << "txt_sBett"
                                 << "0"
                                 << ""
                                 << "0,00" << false;
        QTest::newRow("DGKP not a number") << "txt_dgkp"
                                           << "zwoelf"
                                           << "zwoelf"
                                           << "0,00" << true;
        QTest::newRow("too many beds") << "txt_sBett"
                                       << "1000"
                                       << "1000"
                                       << "0,01" << true;
    }
    void leavingAFieldChecksItAndShowsTheQuotient()
    {
        QFETCH(QString, field);
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        QFETCH(QString, quotient);
        QFETCH(bool, refused);
        Installation inst;
        frmEin classification(inst.Context);
        frmAbtB dialog(inst.Context, classification.Departments().front(), &classification);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        auto* box = Find<QLineEdit>(dialog, field);
        box->setFocus(Qt::TabFocusReason);
        QTRY_COMPARE(box->selectedText(), box->text());

        TypeAndLeave(*box, typed, *Find<QComboBox>(dialog, "cmbVoreinstufung"));

        QCOMPARE(box->text(), shown);
        QCOMPARE(Find<QLabel>(dialog, "lbl_faktor")->text(), quotient);
        QCOMPARE(inst.Ui.Messages().size(), std::size_t(refused ? 1 : 0));
        if (refused) {
            QCOMPARE(Q(inst.Ui.Messages().front().Title), QString(" Dorvan - Error "));
            QVERIFY(box->hasFocus());
        }
    }

    void okSavesTheFiguresAndRewritesTheEntry_data()
    {
        QTest::addColumn<QString>("dgkp");
        QTest::addColumn<QString>("beds");
        QTest::addColumn<int>("pre");  // index of the pre-classification entry
        QTest::addColumn<double>("storedDgkp");
        QTest::addColumn<double>("storedBeds");
        QTest::addColumn<QString>("storedPre");
        QTest::addColumn<QString>("figures");
        QTest::newRow("new figures") << "12,5"
                                     << "10" << 2 << 12.5 << 10.0 << "E1" << FiguresOf("12,50", "10", "1,25", "E1");
        QTest::newRow("no pre-classification") << "12,40"
                                               << "8" << 0 << 12.4 << 8.0 << "" << FiguresOf("12,40", "8", "1,55", "");
        QTest::newRow("empty DGKP counts as 0")
            << ""
            << "8" << 3 << 0.0 << 8.0 << "E2" << FiguresOf("0,00", "8", "0,00", "E2");
        QTest::newRow("no beds") << "3"
                                 << "0" << 4 << 3.0 << 0.0 << "E3" << FiguresOf("3,00", "0", "0,00", "E3");
    }
    void okSavesTheFiguresAndRewritesTheEntry()
    {
        QFETCH(QString, dgkp);
        QFETCH(QString, beds);
        QFETCH(int, pre);
        QFETCH(double, storedDgkp);
        QFETCH(double, storedBeds);
        QFETCH(QString, storedPre);
        QFETCH(QString, figures);
        Installation inst;
        frmEin classification(inst.Context);
        auto* list = Find<QListWidget>(classification, "lst_abteilung");
        const QString before = list->item(0)->text();
        inst.Windows.WhileOpen = [&](QDialog& dialog) {
            Find<QLineEdit>(dialog, "txt_dgkp")->setText(dgkp);
            Find<QLineEdit>(dialog, "txt_sBett")->setText(beds);
            Find<QComboBox>(dialog, "cmbVoreinstufung")->setCurrentIndex(pre);
            Click(dialog, "cmd_extras_0");
            return dialog.result();
        };

        Click(classification, "cmd_ein_0");

        QVERIFY2(inst.Ui.Messages().empty(), qPrintable(inst.MessageTexts().join('\n')));
        const StoredFigures stored = inst.Stored();
        QCOMPARE(stored.Dgkp, storedDgkp);
        QCOMPARE(stored.Beds, storedBeds);
        QCOMPARE(Q(stored.Pre), storedPre);
        const QString after = list->item(0)->text();
        QCOMPARE(Figures(after), figures);
        QCOMPARE(after.size(), 191);
        QCOMPARE(after.left(29), before.left(29));
        QCOMPARE(after.mid(62), before.mid(62));
        QVERIFY(list->item(0)->isSelected());
        // The classification that follows uses what was saved.
        QCOMPARE(Q(classification.Departments().front().Text), after);
    }

    // An invalid number is not saved: the window says why and stays open.
    void okRefusesAnInvalidNumber()
    {
        Installation inst;
        frmEin classification(inst.Context);
        const QString before = Find<QListWidget>(classification, "lst_abteilung")->item(0)->text();
        bool stillOpen = false;
        inst.Windows.WhileOpen = [&](QDialog& dialog) {
            dialog.show();
            Find<QLineEdit>(dialog, "txt_dgkp")->setText("1234567");
            Click(dialog, "cmd_extras_0");
            stillOpen = dialog.isVisible();
            Click(dialog, "cmd_extras_1");
            return dialog.result();
        };

        Click(classification, "cmd_ein_0");

        QVERIFY(stillOpen);
        QCOMPARE(inst.Ui.Messages().size(), std::size_t(1));
        QCOMPARE(Q(inst.Ui.Messages().front().Title), QString(" Dorvan - Error "));
        QCOMPARE(inst.Stored().Dgkp, 12.4);
        QCOMPARE(Find<QListWidget>(classification, "lst_abteilung")->item(0)->text(), before);
    }

    void cancelChangesNothing()
    {
        Installation inst;
        frmEin classification(inst.Context);
        const QString before = Find<QListWidget>(classification, "lst_abteilung")->item(0)->text();
        inst.Windows.WhileOpen = [&](QDialog& dialog) {
            Find<QLineEdit>(dialog, "txt_dgkp")->setText("20");
            Find<QComboBox>(dialog, "cmbVoreinstufung")->setCurrentIndex(0);
            Click(dialog, "cmd_extras_1");
            return dialog.result();
        };

        Click(classification, "cmd_ein_0");

        QCOMPARE(inst.Stored().Dgkp, 12.4);
        QCOMPARE(Q(inst.Stored().Pre), QString("E2"));
        QCOMPARE(Find<QListWidget>(classification, "lst_abteilung")->item(0)->text(), before);
        QVERIFY(inst.Ui.Messages().empty());
    }

    // A department removed meanwhile is not saved and not reported; its entry shows the new figures.
    void departmentGoneMeanwhileStillUpdatesTheEntry()
    {
        Installation inst;
        frmEin classification(inst.Context);
        inst.Admin().Prepare(R"(DELETE FROM "Dateiverwaltung")").Execute();
        inst.Windows.WhileOpen = [&](QDialog& dialog) {
            Find<QLineEdit>(dialog, "txt_sBett")->setText("4");
            Click(dialog, "cmd_extras_0");
            return dialog.result();
        };

        Click(classification, "cmd_ein_0");

        QVERIFY(inst.Ui.Messages().empty());
        QCOMPARE(Figures(Find<QListWidget>(classification, "lst_abteilung")->item(0)->text()),
                 FiguresOf("12,40", "4", "3,10", "E2"));
    }
};

}  // namespace kalmora

QTEST_MAIN(kalmora::frmAbtBTest)
#include "frmAbtBTest.moc"
