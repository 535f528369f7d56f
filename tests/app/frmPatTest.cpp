// The patient level of the ICU reports, on a department imported from the append case.
#include "app/frmPat.h"

#include "foundation/ScriptedUserInterface.h"
#include "import/ImportRun.h"
#include "reports/DepartmentLines.h"
#include "storage/Database.h"
#include "storage/Schema.h"
#include "storage/Setup.h"
#include "support/ScriptedWindowOpener.h"
#include "support/TempDir.h"
#include "support/WindowContext.h"
#include "support/ImportedInstallation.h"
#include "support/WindowDriving.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QtTest>

#include <filesystem>
#include <string>

namespace kalmora {

namespace {

using test::Click;
using test::Entries;
using test::Find;
using test::Q;

namespace fs = std::filesystem;

struct Installation : test::WindowContext {
    Installation()
    {
        const fs::path fixtures = fs::path(KALMORA_TEST_DATA_DIR) / "import" / "append";
        test::SetUpImportedInstallation(Dir, IniFile, Config,
                                        {fixtures / "A2100101X002.txt", fixtures / "B2100101X002.txt"});
    }

    fs::path System() const { return Dir / "system"; }
    Database Admin() const { return Database(System() / std::string(kAdminDatabaseFile)); }

    // The department list's line of the imported department.
    std::string DepartmentLine() const { return ReadDepartmentLines(Config).front().Text; }
};

}  // namespace

class frmPatTest : public QObject {
    Q_OBJECT

private slots:
    void listsTheStaysOfTheDepartment()
    {
        Installation inst;
        frmPat window(inst.Context, inst.DepartmentLine());

        QCOMPARE(window.windowTitle(), QString(" Intensivbericht - Patientenebene"));
        const auto* list = Find<QListWidget>(window, "lst_patient");
        const QStringList entries = Entries(*list);
        QCOMPARE(entries.size(), 3);
        for (const QString& entry : entries) {
            QCOMPARE(entry.size(), 82);
            QCOMPARE(entry.mid(66, 3), QString("INT"));
        }
        QCOMPARE(list->currentRow(), 0);
        QVERIFY(list->item(0)->isSelected());
        QStringList headings;
        for (int index = 0; index < 6; ++index)
            headings << Find<QLabel>(window, QString("Label1_%1").arg(index))->text();
        QCOMPARE(headings, QStringList({" &Aufnahmezahl ", " Geburtsdatum ", " Aufnahmezeitpunkt ",
                                        " Entlassungszeitpunkt ", " Typ ", " Status"}));
        QVERIFY(Find<QPushButton>(window, "cmd_patient_0")->isDefault());
        QCOMPARE(Q(inst.Ui.StatusText(2)), QString("K002 - Krankenhaus Nordstad  "));
        // Columns 30-73 cut the department name.
        QCOMPARE(Q(inst.Ui.StatusText(3)), QString("12100101 - Anästhesiologische Intensivstatio "));

        Click(window, "cmd_patient_4");
        QCOMPARE(window.result(), int(QDialog::Rejected));
        QCOMPARE(Q(inst.Ui.StatusText(2)), QString(" "));
        QCOMPARE(Q(inst.Ui.StatusText(3)), QString(" "));
        QVERIFY(inst.Ui.Messages().empty());
    }

    void statusTextFollowsTheFlagAndABlankDischargeKeepsTheColumns()
    {
        Installation inst;
        Database(inst.System() / "12100101X002")
            .Execute("UPDATE \"Gesamt - Patientenadministration\" SET \"DIS_DATE\" = '', \"FLAG\" = 'U' "
                     "WHERE rowid = (SELECT min(rowid) FROM \"Gesamt - Patientenadministration\")");
        frmPat window(inst.Context, inst.DepartmentLine());
        const QString first = Find<QListWidget>(window, "lst_patient")->item(0)->text();
        QCOMPARE(first.mid(46, 17), QString(17, ' '));
        QCOMPARE(first.mid(66, 3), QString("INT"));
        QCOMPARE(first.mid(72), QString("In Arbeit "));
    }

    // A double-click on a stay rebuilds its stored key from the shown dates, with the department's origin.
    void doubleClickRebuildsTheStoredKey_data()
    {
        QTest::addColumn<QString>("status");
        QTest::addColumn<QString>("origin");
        QTest::newRow("external") << "EXTERN"
                                  << "EXTERN";
        QTest::newRow("internal") << "INTERN"
                                  << "INTERN";
    }
    void doubleClickRebuildsTheStoredKey()
    {
        QFETCH(QString, status);
        QFETCH(QString, origin);
        Installation inst;
        inst.Admin().Prepare("UPDATE \"Dateiverwaltung\" SET \"Status\" = ?").Bind(1, status.toStdString()).Execute();
        frmPat window(inst.Context, inst.DepartmentLine());
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        auto* list = Find<QListWidget>(window, "lst_patient");
        Database department(inst.System() / "12100101X002", OpenMode::ReadOnly);
        for (int row = 0; row < list->count(); ++row) {
            const QPoint point = list->visualItemRect(list->item(row)).center();
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, point);
            QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, point);
            QCOMPARE(Q(inst.Context.Reports.Stay.Origin.str()), origin);
            const auto stored = FindStay(department, inst.Context.Reports.Stay);
            QVERIFY2(stored.has_value(), qPrintable(list->item(row)->text()));
            QCOMPARE(Q(StayLineText(*stored)), list->item(row)->text());
        }
        // Every stay of the case is an intensive stay with a report.
        QCOMPARE(inst.Windows.Opened(), QStringList(list->count(), "frmInt"));
    }

    void missingDepartmentDatabaseIsReportedWithAnEmptyList()
    {
        Installation inst;
        fs::remove(inst.System() / "12100101X002");
        frmPat window(inst.Context, inst.DepartmentLine());
        QCOMPARE(Find<QListWidget>(window, "lst_patient")->count(), 0);
        QCOMPARE(inst.Ui.Messages().size(), std::size_t(1));
        QCOMPARE(Q(inst.Ui.Messages().front().Title), QString(" Dorvan - Error "));
    }
};

}  // namespace kalmora

QTEST_MAIN(kalmora::frmPatTest)
#include "frmPatTest.moc"
