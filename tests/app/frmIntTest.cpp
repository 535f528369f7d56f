// The report detail of a stay of the append case's department.
#include "app/frmInt.h"

#include "app/frmPat.h"
#include "foundation/ScriptedUserInterface.h"
#include "reports/DepartmentLines.h"
#include "reports/StayLines.h"
#include "scoring/Tiss28Items.h"
#include "storage/Database.h"
#include "storage/Schema.h"
#include "support/DepartmentRows.h"
#include "support/ImportedInstallation.h"
#include "support/ScriptedWindowOpener.h"
#include "support/TempDir.h"
#include "support/WindowContext.h"
#include "support/WindowDriving.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QtTest>

#include <algorithm>
#include <filesystem>
#include <string>

namespace kalmora {

namespace {

using test::Click;
using test::Entries;
using test::Find;
using test::Q;

namespace fs = std::filesystem;

// The stay 1000000001 of the append case: born 01.01.1960, admitted 10.01.2024, 12:00, discharged
// 11.01.2024, 09:00 (died), from hospital 20.01.2024; survey days 10. and 11.01.2024.
const test::StayKey kStay{"1000000001", "19600101", "202401101200"};

struct Installation : test::WindowContext {
    explicit Installation(std::string_view origin = "EXTERN")
    {
        const fs::path fixtures = fs::path(KALMORA_TEST_DATA_DIR) / "import" / "append";
        test::SetUpImportedInstallation(Dir, IniFile, Config,
                                        {fixtures / "A2100101X002.txt", fixtures / "B2100101X002.txt"});
        Database(Dir / "system" / std::string(kAdminDatabaseFile))
            .Prepare("UPDATE \"Dateiverwaltung\" SET \"Status\" = ?")
            .Bind(1, origin)
            .Execute();
        Context.Reports.Stay.Origin = origin;
        Context.Reports.Stay.KisId = kStay.KisId;
        Context.Reports.Stay.Dob = kStay.Dob;
        Context.Reports.Stay.AdmDate = kStay.AdmDate;
    }

    Database Department() const { return Database(Dir / "system" / "12100101X002"); }
    std::string DepartmentLine() const { return ReadDepartmentLines(Config).front().Text; }

    // Sets a field of the stay's type-1 row, or of its survey days on `recDate`.
    void SetStayField(std::string_view column, std::string_view value) const
    {
        Department()
            .Prepare("UPDATE \"Satzart 1 - Patientenadministration Intensiv\" SET " + QuoteIdentifier(column) +
                     " = ? WHERE \"KIS_ID\" = ?")
            .BindAll(value, kStay.KisId)
            .Execute();
    }
    void SetDayField(std::string_view recDate, std::string_view column, std::string_view value) const
    {
        Department()
            .Prepare("UPDATE \"Satzart 3 - TISS28\" SET " + QuoteIdentifier(column) +
                     " = ? WHERE \"KIS_ID\" = ? AND \"REC_DATE\" = ?")
            .BindAll(value, kStay.KisId, recDate)
            .Execute();
    }
};

QStringList TickedBoxes(const QWidget& window)
{
    QStringList ticked;
    for (const auto* box : window.findChildren<QCheckBox*>())
        if (box->isChecked()) ticked << box->objectName();
    ticked.sort();
    return ticked;
}

void ChooseDay(QListWidget& list, int row)
{
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, list.visualItemRect(list.item(row)).center());
}

}  // namespace

class frmIntTest : public QObject {
    Q_OBJECT

private slots:
    void patientLevelOpensTheReportOnlyForIntensiveStays()
    {
        Installation inst;
        Database department = inst.Department();
        department.Execute("UPDATE \"Gesamt - Patientenadministration\" SET \"TYP\" = 'NIV' WHERE \"KIS_ID\" = "
                           "'1000000003'");
        frmPat stays(inst.Context, inst.DepartmentLine());
        auto* list = Find<QListWidget>(stays, "lst_patient");
        QString reported;
        inst.Windows.WhileOpen = [&](QDialog& dialog) {
            reported = Find<QLabel>(dialog, "lbl_int_kis_id")->text();
            Click(dialog, "cmd_int_0");
            return dialog.result();
        };

        for (int row = 0; row < list->count(); ++row) {
            list->setCurrentRow(row);
            Click(stays, "cmd_patient_0");
        }

        // The third stay is no intensive stay: its key is chosen, but no report opens.
        QCOMPARE(inst.Windows.Opened(), QStringList({"frmInt", "frmInt"}));
        QCOMPARE(reported, QString("1000000001"));
        QCOMPARE(Q(inst.Context.Reports.Stay.KisId.str()), QString("1000000003"));
    }

    void theBaseDataPageShowsTheStay()
    {
        Installation inst;
        frmInt window(inst.Context, inst.DepartmentLine());

        QCOMPARE(window.windowTitle(), QString(" Intensivbericht - Detailansicht"));
        auto* tabs = Find<QTabWidget>(window, "tab_int");
        QCOMPARE(tabs->currentIndex(), 0);
        QCOMPARE(tabs->tabText(0), QString("&Basisdaten"));
        QCOMPARE(tabs->tabText(1), QString("&TISS-28"));
        QCOMPARE(Find<QLabel>(window, "lbl_int_ka_id")->text(), QString("K002 - Krankenhaus Nordstad "));
        QCOMPARE(Find<QLabel>(window, "lbl_int_icu_fun_id")->text(),
                 QString("12100101 - Anästhesiologische Intensivstatio"));
        QCOMPARE(Find<QLabel>(window, "lbl_int_kis_id")->text(), QString("1000000001"));
        QCOMPARE(Find<QLabel>(window, "lbl_int_dob")->text(), QString("01.01.1960"));
        QCOMPARE(Find<QLabel>(window, "lbl_int_adm_date")->text(), QString("10.01.2024, 12:00"));
        QCOMPARE(Find<QLineEdit>(window, "txt_int_dis_date")->text(), QString("11.01.2024, 09:00"));
        QCOMPARE(Find<QComboBox>(window, "cmb_int_icu_outcome")->currentText(), QString("Gestorben"));
        QCOMPARE(Find<QLineEdit>(window, "txt_int_hosp_dis_date")->text(), QString("20.01.2024"));
        QCOMPARE(Find<QComboBox>(window, "cmb_int_hosp_mort")->currentText(), QString("Entlassen"));
        QStringList outcomes;
        for (int item = 0; item < Find<QComboBox>(window, "cmb_int_icu_outcome")->count(); ++item)
            outcomes << Find<QComboBox>(window, "cmb_int_icu_outcome")->itemText(item);
        QCOMPARE(outcomes, QStringList({"", "Lebend", "Lebend mit Therapiereduktion", "Gestorben",
                                        "Gestorben mit Therapiereduktion"}));
        QCOMPARE(Find<QComboBox>(window, "cmb_int_hosp_mort")->count(), 3);
        QVERIFY(inst.Ui.Messages().empty());

        Click(window, "cmd_int_0");
        QVERIFY(!window.isVisible());
    }

    // Stored values outside an outcome list's items, and blank dates, show empty fields.
    void outcomesAndDatesShowTheStoredValue_data()
    {
        QTest::addColumn<QString>("icuOutcome");
        QTest::addColumn<QString>("hospMort");
        QTest::addColumn<QString>("disDate");
        QTest::addColumn<QString>("icuShown");
        QTest::addColumn<QString>("hospShown");
        QTest::addColumn<QString>("disShown");

        QTest::newRow("0 and 3") << "0"
                                 << "3"
                                 << "            "
                                 << ""
                                 << ""
                                 << "";
        QTest::newRow("5 and blank") << "5"
                                     << ""
                                     << ""
                                     << ""
                                     << ""
                                     << "";
        QTest::newRow("blank and 1") << ""
                                     << "1"
                                     << "202401121000"
                                     << ""
                                     << "Gestorben"
                                     << "12.01.2024, 10:00";
        QTest::newRow("3 and 2") << "3"
                                 << "2"
                                 << "202401121000"
                                 << "Gestorben"
                                 << "Entlassen"
                                 << "12.01.2024, 10:00";
    }
    void outcomesAndDatesShowTheStoredValue()
    {
        QFETCH(QString, icuOutcome);
        QFETCH(QString, hospMort);
        QFETCH(QString, disDate);
        QFETCH(QString, icuShown);
        QFETCH(QString, hospShown);
        QFETCH(QString, disShown);
        Installation inst;
        inst.SetStayField("ICU_OUTCOME", icuOutcome.toStdString());
        inst.SetStayField("HOSP_MORT", hospMort.toStdString());
        inst.SetStayField("DIS_DATE", disDate.toStdString());
        inst.SetStayField("HOSP_DIS_DATE", "");

        frmInt window(inst.Context, inst.DepartmentLine());

        QCOMPARE(Find<QComboBox>(window, "cmb_int_icu_outcome")->currentText(), icuShown);
        QCOMPARE(Find<QComboBox>(window, "cmb_int_hosp_mort")->currentText(), hospShown);
        QCOMPARE(Find<QLineEdit>(window, "txt_int_dis_date")->text(), disShown);
        QCOMPARE(Find<QLineEdit>(window, "txt_int_hosp_dis_date")->text(), QString());
    }

    void theTissPageShowsTheChosenDaysStoredValues()
    {
        Installation inst;
        {
            // Days the TISS day preparation added are no survey days of the report.
            Database department = inst.Department();
            for (const auto& [recDate, qualifier] : {std::pair{"20240113", "E"}, std::pair{"20240109", "M"}})
                test::AddTissDay(department, kStay, recDate, qualifier);
        }
        for (const char* recDate : {"20240110", "20240111"}) {
            for (const auto& item : kTiss28Items)
                inst.SetDayField(recDate, item.Column, "0");
        }
        inst.SetDayField("20240110", "T28_LUNG", "1");
        inst.SetDayField("20240110", "T28_ART", "2");
        inst.SetDayField("20240110", "T28_SCORE", "");
        inst.SetDayField("20240111", "T28_CVL", "1");
        inst.SetDayField("20240111", "T28_LAB", "");
        inst.SetDayField("20240111", "T28_SCORE", "017");

        frmInt window(inst.Context, inst.DepartmentLine());
        auto* days = Find<QListWidget>(window, "lst_erhebung_tiss");
        QCOMPARE(Entries(*days), QStringList({"10.01.2024", "11.01.2024"}));
        QCOMPARE(days->currentRow(), 0);
        QCOMPARE(TickedBoxes(window), QStringList({"chk_t28_lung"}));
        QCOMPARE(Find<QLabel>(window, "lbl_int_tiss28_score")->text(), QString());

        // Ticks made on one day are gone when another day is chosen.
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        Find<QTabWidget>(window, "tab_int")->setCurrentIndex(1);
        Find<QCheckBox>(window, "chk_t28_tubus")->setChecked(true);
        ChooseDay(*days, 1);
        QCOMPARE(TickedBoxes(window), QStringList({"chk_t28_cvl"}));
        QCOMPARE(Find<QLabel>(window, "lbl_int_tiss28_score")->text(), QString("17"));
        Find<QCheckBox>(window, "chk_t28_tubus")->setChecked(true);
        ChooseDay(*days, 1);
        QCOMPARE(TickedBoxes(window), QStringList({"chk_t28_cvl"}));
    }

    void aStayWithoutSurveyDaysShowsAnEmptyPage()
    {
        Installation inst;
        inst.Department().Execute("DELETE FROM \"Satzart 3 - TISS28\"");
        frmInt window(inst.Context, inst.DepartmentLine());
        QCOMPARE(Find<QListWidget>(window, "lst_erhebung_tiss")->count(), 0);
        QCOMPARE(TickedBoxes(window), QStringList());
        QCOMPARE(Find<QLabel>(window, "lbl_int_tiss28_score")->text(), QString());
    }

    void aStayWithoutItsTypeOneRowShowsEmptyBaseData()
    {
        Installation inst;
        inst.Department().Execute("DELETE FROM \"Satzart 1 - Patientenadministration Intensiv\"");
        frmInt window(inst.Context, inst.DepartmentLine());
        QCOMPARE(Find<QLabel>(window, "lbl_int_ka_id")->text(), QString("K002 - Krankenhaus Nordstad "));
        for (const char* name : {"lbl_int_kis_id", "lbl_int_dob", "lbl_int_adm_date"})
            QCOMPARE(Find<QLabel>(window, name)->text(), QString());
        QCOMPARE(Find<QLineEdit>(window, "txt_int_dis_date")->text(), QString());
        QCOMPARE(Find<QComboBox>(window, "cmb_int_icu_outcome")->currentIndex(), 0);
        QCOMPARE(Find<QListWidget>(window, "lst_erhebung_tiss")->count(), 2);
    }

    // Imported data are never editable; data of this installation become so at the first page switch.
    void pagesAreEnabledOnlyForInternalData_data()
    {
        QTest::addColumn<QString>("origin");
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<QColor>("text");
        QTest::newRow("external") << "EXTERN" << false << QColor(Qt::blue);
        QTest::newRow("internal") << "INTERN" << true << QColor(Qt::black);
    }
    void pagesAreEnabledOnlyForInternalData()
    {
        QFETCH(QString, origin);
        QFETCH(bool, enabled);
        QFETCH(QColor, text);
        Installation inst(origin.toStdString());
        frmInt window(inst.Context, inst.DepartmentLine());
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        auto* tabs = Find<QTabWidget>(window, "tab_int");
        auto* basePage = Find<QWidget>(window, "fra_tab_0");
        auto* tissPage = Find<QWidget>(window, "fra_tab_1");
        auto* dayFrame = Find<QGroupBox>(window, "fra_erhebung");

        QVERIFY(!basePage->isEnabled());
        QVERIFY(!tissPage->isEnabled());
        QVERIFY(!dayFrame->isVisible());
        for (const char* name :
             {"txt_int_dis_date", "cmb_int_icu_outcome", "txt_int_hosp_dis_date", "cmb_int_hosp_mort"})
            QCOMPARE(Find<QWidget>(window, name)->palette().color(QPalette::Text), text);

        tabs->setCurrentIndex(1);
        QCOMPARE(tissPage->isEnabled(), enabled);
        QVERIFY(!basePage->isEnabled());
        QVERIFY(dayFrame->isVisible());
        tabs->setCurrentIndex(0);
        QCOMPARE(basePage->isEnabled(), enabled);
        QVERIFY(!tissPage->isEnabled());
        QVERIFY(!dayFrame->isVisible());
    }

    // A page that takes no input is still drawn to be read: every control in its normal colours (the
    // fields in those of their origin), none greyed out.
    void disabledPagesAreDrawnInTheirNormalColours_data()
    {
        QTest::addColumn<QString>("origin");
        QTest::addColumn<QColor>("fieldText");
        QTest::newRow("external") << "EXTERN" << QColor(Qt::blue);
        QTest::newRow("internal") << "INTERN" << QColor(Qt::black);
    }
    void disabledPagesAreDrawnInTheirNormalColours()
    {
        QFETCH(QString, origin);
        QFETCH(QColor, fieldText);
        Installation inst(origin.toStdString());
        frmInt window(inst.Context, inst.DepartmentLine());
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        const QPalette normal = QApplication::palette();

        for (const char* name : {"fra_tab_0", "fra_tab_1"}) {
            auto* page = Find<QWidget>(window, name);
            QVERIFY(!page->isEnabled());
            for (const QWidget* control : page->findChildren<QWidget*>()) {
                const QPalette& shown = control->palette();
                const QString what = control->objectName() + " " + control->metaObject()->className();
                QVERIFY2(!control->isEnabled(), qPrintable(what));
                for (const auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText, QPalette::Base,
                                        QPalette::Window, QPalette::Button}) {
                    QVERIFY2(shown.color(QPalette::Disabled, role) == shown.color(QPalette::Active, role),
                             qPrintable(what + " " + QString::number(role)));
                }
            }
        }
        for (const char* name :
             {"lbl_int_ka_id", "lbl_int_kis_id", "lbl_int_dob", "lbl_int_adm_date", "lbl_int_tiss28_score"}) {
            QCOMPARE(Find<QLabel>(window, name)->palette().color(QPalette::Disabled, QPalette::WindowText),
                     normal.color(QPalette::Active, QPalette::WindowText));
        }
        QCOMPARE(Find<QCheckBox>(window, "chk_t28_lung")->palette().color(QPalette::Disabled, QPalette::WindowText),
                 normal.color(QPalette::Active, QPalette::WindowText));
        for (const char* name :
             {"txt_int_dis_date", "cmb_int_icu_outcome", "txt_int_hosp_dis_date", "cmb_int_hosp_mort"}) {
            const QPalette field = Find<QWidget>(window, name)->palette();
            QCOMPARE(field.color(QPalette::Disabled, QPalette::Text), fieldText);
            QCOMPARE(field.color(QPalette::Disabled, QPalette::Base), field.color(QPalette::Active, QPalette::Base));
        }
    }

    // Two columns of 14 items in the order of the printed form, each caption left of its box.
    void theItemsStandInTwoSortedColumns()
    {
        Installation inst;
        frmInt window(inst.Context, inst.DepartmentLine());
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        Find<QTabWidget>(window, "tab_int")->setCurrentIndex(1);

        QList<std::pair<QPoint, QString>> shown;  // box position, caption
        for (auto* label : window.findChildren<QLabel*>()) {
            auto* box = qobject_cast<QCheckBox*>(label->buddy());
            if (box == nullptr) continue;
            QVERIFY(label->x() < box->x());
            QVERIFY(qAbs(label->geometry().center().y() - box->geometry().center().y()) <= 4);
            shown.append({box->pos(), label->text()});
        }
        QCOMPARE(shown.size(), 28);
        std::sort(shown.begin(), shown.end(), [](const auto& a, const auto& b) {
            return a.first.x() != b.first.x() ? a.first.x() < b.first.x() : a.first.y() < b.first.y();
        });
        QStringList captions;
        for (const auto& [position, caption] : shown)
            captions << caption;
        QCOMPARE(captions, QStringList({"Atemtherapie",
                                        "Atemunterstützung",
                                        "Beatmung mechanisch",
                                        "Beh.metabolischer Entgl.",
                                        "Diagn./Therapie außer IBS",
                                        "Diurese aktiv",
                                        "Drainagenpflege",
                                        "Ernährung enteral",
                                        "Ernährung parenteral",
                                        "Flüssigkeitsersatz massiv",
                                        "Harnbilanzierung",
                                        "Hirndruckmessung",
                                        "Intervention einfach",
                                        "Interventionen mehrfach",
                                        "Kardiopulm.Reanimation",
                                        "Katheter arteriell",
                                        "Katheter zentralvenös ",
                                        "Labor",
                                        "Medikation einmalig",
                                        "Medikation mehrfach",
                                        "Medikation einm.vasoaktiv",
                                        "Medikation mehrf.vasoaktiv",
                                        "Nierenersatztherapie",
                                        "Pulmonaliskatheter",
                                        "Routineverbandswechsel ",
                                        "Standard-Monitoring",
                                        "Tubuspflege",
                                        "Verbandswechsel häufig"}));
        // Each caption names the field its box shows.
        for (auto* label : window.findChildren<QLabel*>()) {
            if (label->text() == "Katheter zentralvenös ")
                QCOMPARE(label->buddy()->objectName(), QString("chk_t28_cvl"));
            if (label->text() == "Medikation einm.vasoaktiv")
                QCOMPARE(label->buddy()->objectName(), QString("chk_t28_s_vasodr"));
        }
        bool legend = false;
        for (auto* label : window.findChildren<QLabel*>())
            legend |= label->text() == "... TISS28-Items schließen einander aus";
        QVERIFY(legend);
    }
};

}  // namespace kalmora

QTEST_MAIN(kalmora::frmIntTest)
#include "frmIntTest.moc"
