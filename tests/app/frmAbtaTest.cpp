// The department analysis, opened from the department level's "&Analyse".
#include "app/frmAbta.h"

#include "toolkit/CellGrid.h"
#include "app/frmAbt.h"
#include "foundation/ScriptedUserInterface.h"
#include "reports/DepartmentLines.h"
#include "storage/Database.h"
#include "storage/Schema.h"
#include "support/ImportedInstallation.h"
#include "support/ScriptedWindowOpener.h"
#include "support/TempDir.h"
#include "support/WindowContext.h"
#include "support/WindowDriving.h"

#include <qcustomplot.h>

#include <QListWidget>
#include <QPushButton>
#include <QtTest>

#include <filesystem>
#include <string>

namespace kalmora {

namespace {

using test::Click;
using test::Find;
using test::Q;

namespace fs = std::filesystem;

QStringList TickLabels(const QCPAxis& axis)
{
    const auto ticker = axis.ticker().dynamicCast<QCPAxisTickerText>();
    return ticker ? QStringList(ticker->ticks().values()) : QStringList();
}

// An installation with two departments: the imported one, whose stays are replaced by November 2023
// three "INT" stays, December 2023 two of no type and January 2024 one "INT" stay; and a second one
// without stays.
struct Installation : test::WindowContext {
    Installation()
    {
        const fs::path fixtures = fs::path(KALMORA_TEST_DATA_DIR) / "import" / "append";
        test::SetUpImportedInstallation(Dir, IniFile, Config, {fixtures / "A2100101X002.txt"});

        Database department(System() / "12100101X002");
        department.Execute("DELETE FROM \"Gesamt - Patientenadministration\"");
        int number = 0;
        for (const auto& [month, typ] : std::vector<std::pair<const char*, const char*>>{{"202311", "INT"},
                                                                                         {"202401", "INT"},
                                                                                         {"202312", ""},
                                                                                         {"202311", "INT"},
                                                                                         {"202312", ""},
                                                                                         {"202311", "INT"}}) {
            department
                .Prepare("INSERT INTO \"Gesamt - Patientenadministration\" (\"KIS_ID\", \"DOB\", \"ADM_DATE\", "
                         "\"DIS_YEARMONTH\", \"TYP\", \"FLAG\") VALUES (?, '19600101', '202301011200', ?, ?, 'O')")
                .BindAll(std::to_string(++number), month, typ)
                .Execute();
        }
        fs::copy_file(System() / "ibds.mdb", System() / "12510101X002");
        Database(System() / std::string(kAdminDatabaseFile))
            .Execute("INSERT INTO \"Dateiverwaltung\" (\"KANR\", \"ABTEILUNG\", \"MDB_DATEI\", \"Status\") "
                     "VALUES ('K002', '12510101', '12510101X002', 'EXTERN')");
    }

    fs::path System() const { return Dir / "system"; }

    bool AnyAnalysisQuery() const
    {
        for (const char* file : {"12100101X002", "12510101X002"}) {
            Database department(System() / file, OpenMode::ReadOnly);
            auto view = department.Prepare("SELECT 1 FROM sqlite_schema WHERE name = 'Abteilungsanalyse'");
            if (view.Step()) return true;
        }
        return false;
    }
};

QList<QStringList> GridRows(const CellGrid& grid)
{
    QList<QStringList> rows;
    for (int row = 0; row < grid.Rows(); ++row) {
        QStringList cells;
        for (int column = 0; column < grid.Columns(); ++column)
            cells << grid.CellText(row, column);
        rows << cells;
    }
    return rows;
}

const QString kHospital = "K002 - Krankenhaus Nordstad";
const QString kFirst = "12100101 - Anästhesiologische Intensivstation";
const QString kSecond = "12510101 - Internistische Intensivstation";

}  // namespace

class frmAbtaTest : public QObject {
    Q_OBJECT

private slots:
    void analyseShowsTheSelectedDepartmentsInListOrder()
    {
        Installation inst;
        frmAbt departments(inst.Context);
        auto* list = Find<QListWidget>(departments, "lst_abteilung");
        list->selectAll();
        QString title;
        QList<QStringList> rows;
        QStringList buttons;
        QStringList months;
        QStringList counts;
        QStringList series;
        QList<QList<qreal>> values;
        QString clipboard;
        inst.Windows.WhileOpen = [&](QDialog& dialog) {
            title = dialog.windowTitle();
            rows = GridRows(*Find<CellGrid>(dialog, "grd_abta"));
            for (int index : {0, 1})
                buttons << Find<QPushButton>(dialog, QString("cmd_abta_%1").arg(index))->text();
            auto* chart = Find<QCustomPlot>(dialog, "cht_abta");
            for (int i = 0; i < chart->plottableCount(); ++i) {
                const auto* bars = qobject_cast<QCPBars*>(chart->plottable(i));
                series << bars->name();
                QList<qreal> counts;
                for (auto bar = bars->data()->constBegin(); bar != bars->data()->constEnd(); ++bar)
                    counts << bar->value;
                values << counts;
            }
            months = TickLabels(*chart->xAxis);
            counts = TickLabels(*chart->yAxis);
            Click(dialog, "cmd_abta_0");
            clipboard = Q(inst.Ui.Clipboard());
            Click(dialog, "cmd_abta_1");
            return dialog.result();
        };

        Click(departments, "cmd_abteilung_4");

        QCOMPARE(inst.Windows.Opened(), QStringList({"frmAbta"}));
        QCOMPARE(title, QString(" Abteilung - Analyse"));
        // The name to its 38th character; in the single row of a department without stays to its 41st.
        const QString first = kFirst + QString(4, ' ');
        const QString second = kSecond + QString(11, ' ');
        QCOMPARE(rows, QList<QStringList>({{"KA", "Abteilung", "Jahr", "Monat", "#Intensiv-Patienten"},
                                           {kHospital, first, "2023", "11", "3"},
                                           {kHospital, first, "2023", "12", "0"},
                                           {kHospital, first, "2024", "01", "1"},
                                           {kHospital, second, " ", " ", "0"}}));
        QCOMPARE(buttons, QStringList({"&Kopieren", "B&eenden"}));
        QCOMPARE(clipboard, "KA\tAbteilung\tJahr\tMonat\tINT-Patienten\r" + kHospital + "\t" + first +
                                "\t2023\t11\t3\r" + kHospital + "\t" + first + "\t2023\t12\t0\r" + kHospital + "\t" +
                                first + "\t2024\t01\t1\r" + kHospital + "\t" + second + "\t \t \t0");
        QCOMPARE(months, QStringList({"11.2023", "12.2023", "01.2024"}));
        QCOMPARE(counts, QStringList({"0", "1", "2", "3"}));
        QCOMPARE(series, QStringList({"K002 " + kFirst, "K002 " + kSecond}));
        QCOMPARE(values, QList<QList<qreal>>({{3, 0, 1}, {0, 0, 0}}));
        QVERIFY(inst.Ui.Messages().empty());
        QVERIFY(!inst.AnyAnalysisQuery());
        QCOMPARE(Q(inst.Ui.StatusHistory(1).front()), QString(" Analyse..."));
        QCOMPARE(Q(inst.Ui.StatusText(1)), QString(" Bereit"));
        QCOMPARE(Q(inst.Ui.StatusText(3)), QString(" "));
        QCOMPARE(inst.Ui.BusyDepth(), 0);
    }

    void kopierenSelectsTheDataRows()
    {
        Installation inst;
        frmAbta window(inst.Context, {ReadDepartmentLines(inst.Config).front().Text});
        Click(window, "cmd_abta_0");
        const CellRange selected = Find<CellGrid>(window, "grd_abta")->SelectedCells();
        QCOMPARE(selected.FirstRow, 1);
        QCOMPARE(selected.LastRow, 3);
        QCOMPARE(selected.FirstColumn, 0);
        QCOMPARE(selected.LastColumn, 4);
    }

    // Nothing selected in the department list: the titles alone, in the grid and on the clipboard.
    void withoutSelectionOnlyTheTitles()
    {
        Installation inst;
        frmAbt departments(inst.Context);
        Find<QListWidget>(departments, "lst_abteilung")->clearSelection();
        int rows = -1;
        int bars = -1;
        QString clipboard;
        inst.Windows.WhileOpen = [&](QDialog& dialog) {
            rows = Find<CellGrid>(dialog, "grd_abta")->Rows();
            bars = Find<QCustomPlot>(dialog, "cht_abta")->plottableCount();
            Click(dialog, "cmd_abta_0");
            clipboard = Q(inst.Ui.Clipboard());
            return dialog.result();
        };

        Click(departments, "cmd_abteilung_4");

        QCOMPARE(inst.Windows.Opened(), QStringList({"frmAbta"}));
        QCOMPARE(rows, 1);
        QCOMPARE(bars, 0);
        QCOMPARE(clipboard, QString("KA\tAbteilung\tJahr\tMonat\tINT-Patienten"));
    }

    // A department whose database is gone is reported; the other one is still analysed.
    void aMissingDepartmentDatabaseIsReported()
    {
        Installation inst;
        frmAbt departments(inst.Context);
        Find<QListWidget>(departments, "lst_abteilung")->selectAll();
        fs::remove(inst.System() / "12100101X002");
        int rows = -1;
        inst.Windows.WhileOpen = [&](QDialog& dialog) {
            rows = Find<CellGrid>(dialog, "grd_abta")->Rows();
            return dialog.result();
        };

        Click(departments, "cmd_abteilung_4");

        QCOMPARE(rows, 2);
        QCOMPARE(inst.Ui.Messages().size(), std::size_t(1));
        QVERIFY2(Q(inst.Ui.Messages().front().Text).startsWith(" Analyse der Abteilung " + kFirst),
                 inst.Ui.Messages().front().Text.c_str());
    }
};

}  // namespace kalmora

QTEST_MAIN(kalmora::frmAbtaTest)
#include "frmAbtaTest.moc"
