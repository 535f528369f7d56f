#include "toolkit/CellGrid.h"

#include <QHeaderView>
#include <QHelpEvent>
#include <QToolTip>
#include <QtTest>

namespace kalmora {

namespace {

// A result table as the windows build it: one title row, then the data.
void Fill(CellGrid& grid, const QList<QStringList>& rows)
{
    grid.SetFixedRows(1);
    grid.SetColumns(static_cast<int>(rows.front().size()));
    grid.SetRows(static_cast<int>(rows.size()));
    for (int row = 0; row < rows.size(); ++row) {
        for (int column = 0; column < rows[row].size(); ++column) {
            grid.SetCellText(row, column, rows[row][column]);
        }
    }
}

const QList<QStringList> kResultTable{
    {"Datei", "KA", "Abteilung", "#Patienten"},
    {"K001_24.txt", "K001 - Nord", "125101 - Intensiv", "    12"},
    {"K002_24.txt", "", "", ""},
    {"K003_24.txt", "K003 - Süd", "125103 - IMC", "     7"},
};

}  // namespace

class CellGridTest : public QObject {
    Q_OBJECT

private slots:
    void titleRowCountsAsRowZero()
    {
        CellGrid grid("grd_erg");
        Fill(grid, kResultTable);
        QCOMPARE(grid.Rows(), 4);
        QCOMPARE(grid.rowCount(), 3);  // the titles are the header, not a data row
        QCOMPARE(grid.CellText(0, 1), QString("KA"));
        QCOMPARE(grid.CellText(3, 1), QString("K003 - Süd"));
        QCOMPARE(grid.CellText(4, 1), QString());

        // Growing by one row keeps what is there, as the result tables add row after row.
        grid.SetRows(grid.Rows() + 1);
        grid.SetCellText(4, 0, "K004_24.txt");
        QCOMPARE(grid.CellText(3, 0), QString("K003_24.txt"));
        QCOMPARE(grid.CellText(4, 0), QString("K004_24.txt"));
    }

    void selectedRectangleCopiesAsTabAndCarriageReturn_data()
    {
        QTest::addColumn<int>("firstRow");
        QTest::addColumn<int>("firstColumn");
        QTest::addColumn<int>("lastRow");
        QTest::addColumn<int>("lastColumn");
        QTest::addColumn<QString>("text");
        QTest::newRow("all data rows") << 1 << 0 << 3 << 3
                                       << "K001_24.txt\tK001 - Nord\t125101 - Intensiv\t    12\r"
                                          "K002_24.txt\t\t\t\r"
                                          "K003_24.txt\tK003 - Süd\t125103 - IMC\t     7";
        QTest::newRow("one cell") << 2 << 0 << 2 << 0 << "K002_24.txt";
        QTest::newRow("inner rectangle") << 1 << 1 << 3 << 2
                                         << "K001 - Nord\t125101 - Intensiv\r\t\rK003 - Süd\t125103 - IMC";
        QTest::newRow("the title row is not data") << 0 << 0 << 1 << 1 << "K001_24.txt\tK001 - Nord";
        QTest::newRow("beyond the grid is cut off") << 3 << 2 << 9 << 9 << "125103 - IMC\t     7";
        QTest::newRow("no data row") << 1 << 0 << 0 << 3 << "";
    }
    void selectedRectangleCopiesAsTabAndCarriageReturn()
    {
        QFETCH(int, firstRow);
        QFETCH(int, firstColumn);
        QFETCH(int, lastRow);
        QFETCH(int, lastColumn);
        QFETCH(QString, text);
        CellGrid grid("grd_erg");
        Fill(grid, kResultTable);
        grid.SelectCells({firstRow, firstColumn, lastRow, lastColumn});
        QCOMPARE(grid.SelectedText(), text);
    }

    void separatorsInsideACellCannotSplitTheRow()
    {
        CellGrid grid("grd_erg");
        Fill(grid, {{"Datei", "Kommentar"}, {"K001_24.txt", "Satz\tfehlerhaft\r\nsiehe Protokoll"}});
        grid.SelectCells({1, 0, 1, 1});
        QCOMPARE(grid.SelectedText(), QString("K001_24.txt\tSatz fehlerhaft  siehe Protokoll"));
    }

    void userSelectsOneRectangleWithTheMouse()
    {
        CellGrid grid("grd_erg");
        Fill(grid, kResultTable);
        grid.resize(800, 300);
        grid.show();
        QVERIFY(QTest::qWaitForWindowExposed(&grid));
        const auto centre = [&grid](int row, int column) {
            return grid.visualItemRect(grid.item(row - 1, column)).center();
        };
        QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, centre(1, 1));
        QTest::mouseClick(grid.viewport(), Qt::LeftButton, Qt::ShiftModifier, centre(2, 2));
        // A ctrl-click adds no second rectangle; the selection stays one block.
        QTest::mouseClick(grid.viewport(), Qt::LeftButton, Qt::ControlModifier, centre(3, 3));
        const CellRange cells = grid.SelectedCells();
        QCOMPARE(grid.selectedRanges().size(), 1);
        QVERIFY(!cells.IsEmpty());
        QCOMPARE(grid.SelectedText().count('\r') + 1, cells.LastRow - cells.FirstRow + 1);
    }

    // Columns fitted to their texts show every title and cell whole, never narrower than the run of
    // X they are given; trailing blanks of fixed-width texts take no room and are kept.
    void fittedColumnsShowEveryTextWhole()
    {
        CellGrid grid("grd_erg");
        Fill(grid, {{"KA", "TISS-Mittelwert (>=16) (ehemals für Einstufung)", "Kommentar"},
                    {"K001", "28,0", "Keine Einstufung möglich: zu wenige TISS-Tage"},
                    {"K002 - Krankenhaus Nordstad", "", "12100101 - Intensiv" + QString(80, ' ')}});
        grid.FitColumnsToTexts(6);

        const QFontMetrics titles(grid.horizontalHeader()->font());
        const QFontMetrics cells(grid.font());
        for (int column = 0; column < grid.Columns(); ++column) {
            QVERIFY(grid.columnWidth(column) > XRunWidth(grid.font(), 6));
            QVERIFY(grid.columnWidth(column) > titles.horizontalAdvance(grid.CellText(0, column)));
            for (int row = 1; row < grid.Rows(); ++row) {
                QVERIFY(grid.columnWidth(column) > cells.horizontalAdvance(grid.CellText(row, column).trimmed()));
                QVERIFY(grid.item(row - 1, column)->toolTip().isEmpty());
            }
        }
        QCOMPARE(grid.columnWidth(1), grid.horizontalHeader()->sectionSizeHint(1));
        QVERIFY(grid.columnWidth(2) < cells.horizontalAdvance(grid.CellText(2, 2)));
        QCOMPARE(grid.CellText(2, 2), "12100101 - Intensiv" + QString(80, ' '));
        grid.SelectCells({2, 2, 2, 2});
        QCOMPARE(grid.SelectedText(), "12100101 - Intensiv" + QString(80, ' '));

        // Short titles and cells keep the run of X (of 60, so that no font makes a text of 44 wider).
        grid.FitColumnsToTexts(60);
        for (int column = 0; column < grid.Columns(); ++column)
            QCOMPARE(grid.columnWidth(column), grid.columnWidth(0));
        QCOMPARE(grid.ContentSize().width(), 3 * grid.columnWidth(0) + 2 * grid.frameWidth());
        QCOMPARE(grid.ContentSize().height(),
                 grid.horizontalHeader()->sizeHint().height() + 2 * grid.rowHeight(0) + 2 * grid.frameWidth());
    }

    // A title or cell its column cuts shows whole as its tooltip, for as long as it is cut.
    void cutTextsShowWholeAsTooltips()
    {
        CellGrid grid("grd_erg");
        grid.SetFixedRows(1);
        grid.SetColumns(2);
        grid.SetRows(3);
        grid.SetColumnWidthInX(0, 4);
        grid.SetColumnWidthInX(1, 30);
        grid.SetCellText(0, 0, "Abteilung");
        grid.SetCellText(0, 1, "Kommentar");
        grid.SetCellText(1, 0, "12100101 - Intensiv   ");
        grid.SetCellText(2, 0, "K1");
        grid.SetCellText(1, 1, "* Auslastung <35% *");

        QCOMPARE(grid.horizontalHeaderItem(0)->toolTip(), QString("Abteilung"));
        QCOMPARE(grid.item(0, 0)->toolTip(), QString("12100101 - Intensiv"));
        QVERIFY(grid.item(1, 0)->toolTip().isEmpty());
        QVERIFY(grid.horizontalHeaderItem(1)->toolTip().isEmpty());
        QVERIFY(grid.item(0, 1)->toolTip().isEmpty());

        // Widened by the user, nothing is cut; narrowed, the comment is.
        grid.horizontalHeader()->resizeSection(0, XRunWidth(grid.font(), 30));
        QVERIFY(grid.horizontalHeaderItem(0)->toolTip().isEmpty());
        QVERIFY(grid.item(0, 0)->toolTip().isEmpty());
        grid.horizontalHeader()->resizeSection(1, XRunWidth(grid.font(), 2));
        QCOMPARE(grid.item(0, 1)->toolTip(), QString("* Auslastung <35% *"));
        QCOMPARE(grid.horizontalHeaderItem(1)->toolTip(), QString("Kommentar"));

        // What the view shows on the pointer's question is that tooltip.
        grid.resize(400, 200);
        grid.show();
        QVERIFY(QTest::qWaitForWindowExposed(&grid));
        const QPoint cell = grid.visualItemRect(grid.item(0, 1)).center();
        QHelpEvent help(QEvent::ToolTip, cell, grid.viewport()->mapToGlobal(cell));
        QApplication::sendEvent(grid.viewport(), &help);
        QTRY_COMPARE(QToolTip::text(), QString("* Auslastung <35% *"));
        QToolTip::hideText();
    }

    void widthsFromRunsOfXGrowWithTheRun_data()
    {
        QTest::addColumn<QFont>("font");
        QFont bold = QApplication::font();
        bold.setBold(true);
        QFont large = QApplication::font();
        large.setPointSizeF(large.pointSizeF() * 1.5);
        QTest::newRow("window font") << QApplication::font();
        QTest::newRow("bold") << bold;
        QTest::newRow("large") << large;
    }
    void widthsFromRunsOfXGrowWithTheRun()
    {
        QFETCH(QFont, font);
        QCOMPARE(XRunWidth(font, 0), 0);
        for (int count = 1; count <= 40; ++count) {
            QVERIFY2(XRunWidth(font, count) > XRunWidth(font, count - 1), qPrintable(QString::number(count)));
        }
        CellGrid grid("grd_erg");
        grid.setFont(font);
        grid.SetColumns(2);
        grid.SetColumnWidthInX(0, 12);
        grid.SetColumnWidthInX(1, 24);
        // Room for the run itself, and the longer run gets the wider column.
        QVERIFY(grid.columnWidth(0) > XRunWidth(font, 12));
        QVERIFY(grid.columnWidth(1) > grid.columnWidth(0));
    }
};

}  // namespace kalmora

QTEST_MAIN(kalmora::CellGridTest)
#include "CellGridTest.moc"
