// The classification result table, opened on an installation with one imported department.
#include "app/frmEine.h"

#include "toolkit/CellGrid.h"
#include "foundation/Messages.h"
#include "foundation/ScriptedUserInterface.h"
#include "foundation/Settings.h"
#include "scoring/Classification.h"
#include "scoring/ClassificationTable.h"
#include "scoring/DepartmentBaseData.h"
#include "storage/FileSafety.h"
#include "support/ImportedInstallation.h"
#include "support/ScriptedWindowOpener.h"
#include "support/TempDir.h"
#include "support/WindowContext.h"
#include "support/WindowDriving.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QHeaderView>
#include <QScreen>
#include <QtTest>

#include <filesystem>
#include <string>
#include <vector>

namespace kalmora {

namespace {

using test::Click;
using test::Find;
using test::Q;

namespace fs = std::filesystem;

QStringList GridRow(const CellGrid& grid, int row)
{
    QStringList cells;
    for (int column = 0; column < grid.Columns(); ++column)
        cells << grid.CellText(row, column);
    return cells;
}

QStringList Titles()
{
    QStringList titles;
    for (const auto title : kClassificationTitles)
        titles << Q(title);
    return titles;
}

// Every title and cell fits its column (a cell's trailing blanks take no room) and so has no tooltip.
void ShowsEveryTextWhole(const CellGrid& grid)
{
    const QFontMetrics titles(grid.horizontalHeader()->font());
    const QFontMetrics cells(grid.font());
    for (int column = 0; column < grid.Columns(); ++column) {
        const QString where = QString("column %1").arg(column);
        const QTableWidgetItem* title = grid.horizontalHeaderItem(column);
        QVERIFY2(grid.columnWidth(column) > titles.horizontalAdvance(title->text()), qPrintable(where));
        QVERIFY2(title->toolTip().isEmpty(), qPrintable(where));
        for (int row = 1; row < grid.Rows(); ++row) {
            const QString text = grid.CellText(row, column);
            QVERIFY2(grid.columnWidth(column) > cells.horizontalAdvance(text.trimmed()),
                     qPrintable(where + ": " + text));
            QVERIFY2(grid.item(row - 1, column)->toolTip().isEmpty(), qPrintable(where + ": " + text));
        }
    }
}

// An installation with the test department imported and its base data saved (4,6 DGKP, 2 beds).
struct Installation : test::WindowContext {
    DepartmentEntry Department;

    Installation()
    {
        test::SetUpImportedInstallation(Dir, IniFile, Config,
                                        {fs::path(KALMORA_TEST_DATA_DIR) / "classification" / "A2100101X002.txt"});
        ScriptedUserInterface setupUi;
        auto entries = ClassifiableDepartments(Config, setupUi);
        if (entries.size() != 1) qFatal("expected one classifiable department");
        if (!SaveDepartmentBaseData(Config, entries[0], {"4,6", "2", ""}).Saved) qFatal("base data not saved");
        entries = ClassifiableDepartments(Config, setupUi);
        Department = entries.at(0);
        if (!setupUi.Messages().empty()) qFatal("setup showed a message: %s", setupUi.Messages().front().Text.c_str());
    }

    // What the core makes of the entries, to compare the window with.
    std::vector<ClassifiedDepartment> Classified(const std::vector<DepartmentEntry>& entries)
    {
        ScriptedUserInterface ui;
        return ClassifyDepartments(entries, Config, ui);
    }

    QStringList ExpectedRow(const ClassifiedDepartment& row) const
    {
        QStringList cells;
        for (const auto& cell : ClassificationCells(row, ClassificationSettingsOf(Config)))
            cells << Q(cell);
        return cells;
    }

    QString Copy(const frmEine& window)
    {
        Click(window, "cmd_erg_0");
        return Q(Ui.Clipboard());
    }
};

}  // namespace

class frmEineTest : public QObject {
    Q_OBJECT

private slots:
    void ShowsAndCopiesTheClassification()
    {
        Installation inst;
        const auto expected = inst.Classified({inst.Department});
        QCOMPARE(expected.size(), std::size_t(1));

        frmEine window(inst.Context, {inst.Department});
        window.show();

        QCOMPARE(window.windowTitle(), QString(" Extras - Einstufungsergebnis"));
        QCOMPARE(Find<QGroupBox>(window, "Frame1")->title(), QString("Bericht"));
        QCOMPARE(Find<QAbstractButton>(window, "cmd_erg_0")->text(), QString("&Kopieren"));
        QCOMPARE(Find<QAbstractButton>(window, "cmd_erg_1")->text(), QString("Schließen"));
        const auto& grid = *Find<CellGrid>(window, "grd_erg");
        QCOMPARE(grid.FixedRows(), 1);
        QCOMPARE(grid.Columns(), 24);
        QCOMPARE(grid.Rows(), 2);
        QCOMPARE(GridRow(grid, 0), Titles());
        const QStringList row = GridRow(grid, 1);
        QCOMPARE(row, inst.ExpectedRow(expected[0]));
        // A few cells by value, so that the row is not merely consistent with itself.
        QCOMPARE(row[0], QString("K002 - Krankenhaus Nordstad"));
        QCOMPARE(row[2].trimmed(), QString("Stufe 1"));
        QCOMPARE(row[7], QString("2,30"));
        QCOMPARE(row[20], QString("2"));
        QCOMPARE(row[21], QString("4,6"));
        for (int column = 0; column < grid.Columns(); ++column) {
            QVERIFY2(grid.columnWidth(column) >= XRunWidth(grid.font(), 15), qPrintable(QString::number(column)));
        }
        ShowsEveryTextWhole(grid);

        QVERIFY(inst.Ui.Messages().empty());
        QCOMPARE(inst.Ui.BusyDepth(), 0);
        QCOMPARE(Q(inst.Ui.StatusText(1)), QString(" Bereit"));
        QVERIFY(inst.Ui.StatusHistory(1).size() >= 2);
        QCOMPARE(Q(inst.Ui.StatusHistory(1).front()), QString(" Einstufung..."));

        const QString copied = inst.Copy(window);
        QCOMPARE(copied, Q(ClassificationClipboardText(expected, ClassificationSettingsOf(inst.Config))));
        QCOMPARE(copied.split('\r'), QStringList({Titles().join('\t'), row.join('\t')}));
        // The copied rows are shown selected.
        const CellRange selected = grid.SelectedCells();
        QCOMPARE(selected.FirstRow, 1);
        QCOMPARE(selected.LastRow, 1);
        QCOMPARE(selected.FirstColumn, 0);
        QCOMPARE(selected.LastColumn, 23);

        Click(window, "cmd_erg_1");
        QVERIFY(!window.isVisible());
    }

    // Titles such as "TISS-Mittelwert (>=16) (ehemals für Einstufung)" and comments such as "Keine
    // Einstufung möglich ..." show whole; the window opens as large as the screen allows and its
    // table takes what the window gains.
    void TheTableIsReadableAndGrowsWithTheWindow()
    {
        Installation inst;
        // Fewer than 1,5 DGKP per bed: "Keine Einstufung möglich".
        QVERIFY(SaveDepartmentBaseData(inst.Config, inst.Department, {"1", "2", ""}).Saved);
        ScriptedUserInterface ui;
        const DepartmentEntry understaffed = ClassifiableDepartments(inst.Config, ui).at(0);
        frmEine window(inst.Context, {understaffed, understaffed});
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        auto& grid = *Find<CellGrid>(window, "grd_erg");

        QCOMPARE(grid.Rows(), 3);
        QVERIFY2(grid.CellText(1, 2).startsWith("Keine Einstufung möglich"), qPrintable(grid.CellText(1, 2)));
        ShowsEveryTextWhole(grid);

        // The 24 columns are wider than the test screen: the window takes its whole width, and no more.
        const int everyColumn = grid.ContentSize().width();
        const QRect available = window.screen()->availableGeometry();
        QVERIFY2(everyColumn > available.width(), qPrintable(QString::number(everyColumn)));
        QVERIFY2(window.frameGeometry().width() <= available.width(), qPrintable(QString::number(window.width())));
        QVERIFY2(window.width() >= available.width() * 9 / 10, qPrintable(QString::number(window.width())));
        QVERIFY(window.frameGeometry().height() <= available.height());
        // Every row in sight.
        QVERIFY(grid.viewport()->height() >= grid.rowHeight(0) * 2);

        const QSize before = grid.size();
        window.resize(window.size() + QSize(200, 150));
        QTRY_COMPARE(grid.size(), before + QSize(200, 150));

        // Narrowed by the user, a column cuts its texts, which then show whole as tooltips.
        grid.horizontalHeader()->resizeSection(4, XRunWidth(grid.font(), 3));
        QCOMPARE(grid.horizontalHeaderItem(4)->toolTip(), QString("TISS-Mittelwert (>=16) (ehemals für Einstufung)"));
        QVERIFY(grid.horizontalHeaderItem(3)->toolTip().isEmpty());
        grid.horizontalHeader()->resizeSection(2, XRunWidth(grid.font(), 3));
        QCOMPARE(grid.item(0, 2)->toolTip(), QString("Keine Einstufung möglich"));
        QCOMPARE(grid.item(1, 2)->toolTip(), QString("Keine Einstufung möglich"));
        QVERIFY(grid.item(0, 3)->toolTip().isEmpty());
        // Widened again, they need none.
        grid.horizontalHeader()->resizeSection(2, XRunWidth(grid.font(), 40));
        QVERIFY(grid.item(0, 2)->toolTip().isEmpty());
    }

    void NoDepartmentCopiesTheTitlesAlone()
    {
        Installation inst;
        frmEine window(inst.Context, {});

        const auto& grid = *Find<CellGrid>(window, "grd_erg");
        QCOMPARE(grid.Rows(), 1);
        QCOMPARE(GridRow(grid, 0), Titles());
        QCOMPARE(inst.Copy(window), Titles().join('\t'));
        QVERIFY(inst.Ui.Messages().empty());
    }

    void MissingDatabaseLeavesTheOtherRows()
    {
        Installation inst;
        DepartmentEntry missing = inst.Department;
        missing.DatabaseFile = "FEHLT";
        const auto expected = inst.Classified({inst.Department});
        QCOMPARE(expected.size(), std::size_t(1));

        frmEine window(inst.Context, {inst.Department, missing, inst.Department});

        QCOMPARE(inst.Ui.Messages().size(), std::size_t(1));
        QCOMPARE(Q(inst.Ui.Messages().front().Title), Q(kErrorTitle));
        QVERIFY2(Q(inst.Ui.Messages().front().Text).contains("FEHLT"), inst.Ui.Messages().front().Text.c_str());
        const auto& grid = *Find<CellGrid>(window, "grd_erg");
        QCOMPARE(grid.Rows(), 3);
        QCOMPARE(GridRow(grid, 1), inst.ExpectedRow(expected[0]));
        QCOMPARE(GridRow(grid, 2), inst.ExpectedRow(expected[0]));
        QCOMPARE(inst.Copy(window).split('\r').size(), 3);
        QCOMPARE(inst.Ui.BusyDepth(), 0);
        QCOMPARE(Q(inst.Ui.StatusText(1)), QString(" Bereit"));
    }

    void LockHeldIsANotice()
    {
        Installation inst;
        const ExclusiveLock importRunning(SystemDataLockFile(inst.Config));

        frmEine window(inst.Context, {inst.Department});

        QCOMPARE(inst.Ui.Messages().size(), std::size_t(1));
        QCOMPARE(Q(inst.Ui.Messages().front().Title), Q(kNoticeTitle));
        QVERIFY2(Q(inst.Ui.Messages().front().Text).startsWith(" Ein anderer Import"),
                 inst.Ui.Messages().front().Text.c_str());
        const auto& grid = *Find<CellGrid>(window, "grd_erg");
        QCOMPARE(grid.Rows(), 1);
        QCOMPARE(inst.Copy(window), Titles().join('\t'));
        QCOMPARE(inst.Ui.BusyDepth(), 0);
    }
};

}  // namespace kalmora

QTEST_MAIN(kalmora::frmEineTest)
#include "frmEineTest.moc"
