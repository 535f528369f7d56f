#pragma once

#include <QTableWidget>

namespace kalmora {

// Width in pixels of `count` capital X in the font: the unit in which grid columns are sized.
int XRunWidth(const QFont& font, int count);

// The first and last row and column of a selected rectangle of cells, rows counted with the fixed row.
struct CellRange {
    int FirstRow = 0;
    int FirstColumn = 0;
    int LastRow = -1;
    int LastColumn = -1;

    bool IsEmpty() const { return LastRow < FirstRow || LastColumn < FirstColumn; }
};

// A read-only grid of text cells. Rows are counted as the windows count them: with a fixed title row,
// row 0 holds the titles (shown as the column header, so it stays in view) and the data start at
// row 1. One rectangle of cells can be selected; its text separates cells by TAB and rows by CR.
class CellGrid : public QTableWidget {
    Q_OBJECT

public:
    explicit CellGrid(const QString& name, QWidget* parent = nullptr);

    // 0 or 1 fixed rows.
    void SetFixedRows(int fixedRows);
    int FixedRows() const { return m_fixedRows; }
    // Row count including the fixed row.
    void SetRows(int rows);
    int Rows() const { return rowCount() + m_fixedRows; }
    void SetColumns(int columns) { setColumnCount(columns); }
    int Columns() const { return columnCount(); }

    void SetCellText(int row, int column, const QString& text);
    QString CellText(int row, int column) const;

    // Sizes a column to `count` capital X in the grid's font, plus the cell's margins.
    void SetColumnWidthInX(int column, int count);

    // Selects the rectangle (a fixed row in it is left out: titles are not data).
    void SelectCells(const CellRange& range);
    CellRange SelectedCells() const;
    // The selected cells, TAB between the cells of a row and CR between rows, no CR at the end.
    QString SelectedText() const;

private:
    int m_fixedRows = 0;
};

}  // namespace kalmora
