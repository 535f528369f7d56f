// The patient search, opened from the department level and from the patient level.
#include "app/frmPats.h"

#include "toolkit/FixedColumnList.h"
#include "app/frmAbt.h"
#include "app/frmPat.h"
#include "foundation/ScriptedUserInterface.h"
#include "reports/DepartmentLines.h"
#include "support/ImportedInstallation.h"
#include "support/ScriptedWindowOpener.h"
#include "support/TempDir.h"
#include "support/WindowContext.h"
#include "support/WindowDriving.h"

#include <QApplication>
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
using test::SelectedRows;

namespace fs = std::filesystem;

const QString kFound = " Entsprechenden Patienten gefunden, Suchergebnis markiert!";
const QString kNotFound = " Keinen entsprechenden Patienten gefunden!";

// The append case imported: department 0 holds the stays 1000000002 (born 05.05.1970), 1000000001
// (01.01.1960) and 1000000003 (08.08.1980), in this order; department 1 only the first of them.
struct Installation : test::WindowContext {
    Installation()
    {
        const fs::path fixtures = fs::path(KALMORA_TEST_DATA_DIR) / "import" / "append";
        test::SetUpImportedInstallation(Dir, IniFile, Config,
                                        {fixtures / "A2100101X002.txt", fixtures / "B2100101X002.txt"});
        test::AddFirstStayCopy(Dir / "system");
    }

    QStringList MessageTexts() const
    {
        QStringList texts;
        for (const auto& message : Ui.Messages())
            texts << Q(message.Text);
        return texts;
    }
};

// While the search is open: types the two fields and clicks button `index`.
std::function<int(QDialog&)> TypeAndClick(const QString& kisId, const QString& dob, int index, QString* tag = nullptr)
{
    return [=](QDialog& dialog) {
        if (tag != nullptr) *tag = static_cast<frmPats&>(dialog).Tag();
        Find<QLineEdit>(dialog, "txt_pats_kis_id")->setText(kisId);
        Find<QLineEdit>(dialog, "txt_pats_dob")->setText(dob);
        Click(dialog, QString("cmd_pats_%1").arg(index));
        return dialog.result();
    };
}

}  // namespace

class frmPatsTest : public QObject {
    Q_OBJECT

private slots:
    void opensWithTheLastSearchAndCancelsWithoutSearching()
    {
        Installation inst;
        FixedColumnList list("lst_patient");
        inst.Context.Reports.SearchKey = SearchKeyOf("4711", "05.03.1950");
        frmPats window(inst.Context, list, "Patientenebene");

        QCOMPARE(window.windowTitle(), QString(" Patientensuche"));
        QCOMPARE(Find<QLineEdit>(window, "txt_pats_kis_id")->text(), QString("4711      "));
        QCOMPARE(Find<QLineEdit>(window, "txt_pats_kis_id")->maxLength(), 10);
        QCOMPARE(Find<QLineEdit>(window, "txt_pats_dob")->text(), QString("05.03.1950"));
        QVERIFY(Find<QPushButton>(window, "cmd_pats_1")->isDefault());
        QCOMPARE(Find<QPushButton>(window, "cmd_pats_0")->text(), QString("&Beginnen"));

        Click(window, "cmd_pats_2");
        QCOMPARE(window.result(), int(QDialog::Rejected));
        QVERIFY(inst.Ui.Messages().empty());

        inst.Context.Reports.SearchKey = {};
        frmPats blank(inst.Context, list, "Patientenebene");
        QCOMPARE(Find<QLineEdit>(blank, "txt_pats_kis_id")->text(), QString(10, ' '));
        QCOMPARE(Find<QLineEdit>(blank, "txt_pats_dob")->text(), QString(10, ' '));
    }

    void withoutASearchTermTheWindowStaysOpen()
    {
        Installation inst;
        frmAbt departments(inst.Context);
        auto* list = Find<QListWidget>(departments, "lst_abteilung");
        list->item(1)->setSelected(true);
        frmPats window(inst.Context, *static_cast<FixedColumnList*>(list), "Abteilungsebene");
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QApplication::setActiveWindow(&window);
        Find<QLineEdit>(window, "txt_pats_dob")->setFocus();

        Click(window, "cmd_pats_0");

        QCOMPARE(inst.MessageTexts(), QStringList({" Geben Sie mindestens einen Suchbegriff ein!"}));
        QVERIFY(window.isVisible());
        QCOMPARE(window.result(), int(QDialog::Rejected));
        QVERIFY(Find<QLineEdit>(window, "txt_pats_kis_id")->hasFocus());
        QCOMPARE(SelectedRows(*list), QList<int>({0, 1}));
    }

    // From the department level "&Suchen" searches the departments' stay tables.
    void fortsetzenWalksTheDepartmentsHoldingThePatient()
    {
        Installation inst;
        frmAbt departments(inst.Context);
        const auto* list = Find<QListWidget>(departments, "lst_abteilung");
        QString tag;

        struct Step {
            int button;
            int marked;
            QString notice;
        };
        const Step steps[] = {{0, 0, kFound}, {1, 1, kFound}, {1, 1, kNotFound}, {0, 0, kFound}};
        for (const Step& step : steps) {
            const auto before = inst.MessageTexts().size();
            inst.Windows.WhileOpen = TypeAndClick("1000000002", "", step.button, &tag);
            Click(departments, "cmd_abteilung_1");
            QCOMPARE(tag, QString("Abteilungsebene"));
            QCOMPARE(list->currentRow(), step.marked);
            QCOMPARE(SelectedRows(*list), QList<int>({step.marked}));
            QCOMPARE(inst.MessageTexts().mid(before), QStringList({step.notice}));
        }
        // The key outlives the window, and the department level clears it when it loads.
        QCOMPARE(Q(inst.Context.Reports.SearchKey.KisId.str()), QString("1000000002"));
        frmAbt again(inst.Context);
        QCOMPARE(Q(inst.Context.Reports.SearchKey.KisId.str()), QString(10, ' '));
    }

    void aMissingDepartmentDatabaseIsReportedAndPassedOver()
    {
        Installation inst;
        fs::remove(inst.Dir / "system" / "12100101X002");
        frmAbt departments(inst.Context);
        inst.Windows.WhileOpen = TypeAndClick("1000000002", "05.05.1970", 0);

        Click(departments, "cmd_abteilung_1");

        QCOMPARE(Find<QListWidget>(departments, "lst_abteilung")->currentRow(), 1);
        const QStringList texts = inst.MessageTexts();
        QCOMPARE(texts.size(), 2);
        QVERIFY2(texts[0].contains("12100101X002"), qPrintable(texts[0]));
        QCOMPARE(texts[1], kFound);
    }

    // From the patient level the search walks the stay lines on screen.
    void thePatientLevelSearchMovesTheCurrentStay_data()
    {
        QTest::addColumn<int>("current");
        QTest::addColumn<QString>("kisId");
        QTest::addColumn<QString>("dob");
        QTest::addColumn<int>("button");
        QTest::addColumn<int>("after");
        QTest::addColumn<QString>("notice");

        QTest::newRow("by admission number") << 0 << "1000000003"
                                             << "" << 0 << 2 << kFound;
        QTest::newRow("by birth date") << 0 << ""
                                       << "1.1.1960" << 1 << 1 << kFound;
        QTest::newRow("both must match") << 0 << "1000000003"
                                         << "01.01.1960" << 0 << 0 << kNotFound;
        QTest::newRow("two-digit year") << 0 << ""
                                        << "8.8.80" << 0 << 2 << kFound;
        QTest::newRow("Fortsetzen on the last line") << 2 << "1000000003"
                                                     << "" << 1 << 2 << kNotFound;
    }
    void thePatientLevelSearchMovesTheCurrentStay()
    {
        QFETCH(int, current);
        QFETCH(QString, kisId);
        QFETCH(QString, dob);
        QFETCH(int, button);
        QFETCH(int, after);
        QFETCH(QString, notice);
        Installation inst;
        frmPat stays(inst.Context, ReadDepartmentLines(inst.Config).front().Text);
        auto* list = Find<QListWidget>(stays, "lst_patient");
        list->setCurrentRow(current);
        QString tag;
        inst.Windows.WhileOpen = TypeAndClick(kisId, dob, button, &tag);

        Click(stays, "cmd_patient_1");

        QCOMPARE(tag, QString("Patientenebene"));
        QCOMPARE(list->currentRow(), after);
        QCOMPARE(inst.MessageTexts(), QStringList({notice}));
    }

    // Leaving the date field normalises it; an invalid date empties it and keeps the focus.
    void theBirthDateIsCheckedWhenTheFieldIsLeft_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<bool>("refused");

        QTest::newRow("short day and month") << "5.3.1950"
                                             << "05.03.1950" << false;
        QTest::newRow("two-digit year") << "5.3.50"
                                        << "05.03.1950" << false;
        QTest::newRow("compact") << "19500305"
                                 << "05.03.1950" << false;
        QTest::newRow("no such day") << "31.2.1950"
                                     << "" << true;
        QTest::newRow("three-digit year") << "5.3.950"
                                          << "" << true;
        QTest::newRow("blank") << "   "
                               << "   " << false;
    }
    void theBirthDateIsCheckedWhenTheFieldIsLeft()
    {
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        QFETCH(bool, refused);
        Installation inst;
        FixedColumnList list("lst_patient");
        frmPats window(inst.Context, list, "Patientenebene");
        window.show();
        QApplication::setActiveWindow(&window);
        QVERIFY(QTest::qWaitForWindowActive(&window));
        auto* dob = Find<QLineEdit>(window, "txt_pats_dob");
        dob->setFocus();
        dob->setText(typed);

        QTest::keyClick(dob, Qt::Key_Backtab);
        QTest::qWait(20);

        QCOMPARE(dob->text(), shown);
        QCOMPARE(dob->hasFocus(), refused);
        QCOMPARE(inst.MessageTexts(), refused ? QStringList({" Ungültiges Geburtsdatum!"}) : QStringList());
    }

    // Enter in the date field starts the search without leaving it: a refused date stops it.
    void anInvalidDateConfirmedWithEnterIsNotSearched()
    {
        Installation inst;
        frmPat stays(inst.Context, ReadDepartmentLines(inst.Config).front().Text);
        auto* stayList = Find<FixedColumnList>(stays, "lst_patient");
        frmPats window(inst.Context, *stayList, "Patientenebene");
        window.show();
        QApplication::setActiveWindow(&window);
        QVERIFY(QTest::qWaitForWindowActive(&window));
        auto* dob = Find<QLineEdit>(window, "txt_pats_dob");
        dob->setFocus();
        dob->setText("30.02.1960");

        QTest::keyClick(dob, Qt::Key_Return);

        QVERIFY(window.isVisible());
        QCOMPARE(dob->text(), QString());
        QCOMPARE(inst.MessageTexts(), QStringList({" Ungültiges Geburtsdatum!"}));
        QCOMPARE(stayList->currentRow(), 0);
    }
};

}  // namespace kalmora

QTEST_MAIN(kalmora::frmPatsTest)
#include "frmPatsTest.moc"
