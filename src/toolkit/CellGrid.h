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
// A title or cell whose text its column cuts shows the whole text as its tooltip.
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
    // Widens every column to its title and its widest cell, but never below `count` capital X.
    void FitColumnsToTexts(int count);
    // The size the grid needs to show every row and column without scrolling.
    QSize ContentSize() const;

    // Selects the rectangle (a fixed row in it is left out: titles are not data).
    void SelectCells(const CellRange& range);
    CellRange SelectedCells() const;
    // The selected cells, TAB between the cells of a row and CR between rows, no CR at the end.
    QString SelectedText() const;

private:
    // Width a column needs to show the text of a cell whole.
    int CellTextWidth(const QString& text) const;
    int TitleTextWidth(int column) const;
    // Gives the cut texts of a column their tooltip, and takes it from those that fit.
    void UpdateCutTextTips(int column);

    int m_fixedRows = 0;
};

}  // namespace kalmora
