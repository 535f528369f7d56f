#include "toolkit/CellGrid.h"

#include <QFontMetrics>
#include <QHeaderView>

#include <algorithm>

namespace kalmora {

namespace {

// Room a cell leaves around its text, on both sides together.
constexpr int kCellMargin = 8;

}  // namespace

int XRunWidth(const QFont& font, int count)
{
    return QFontMetrics(font).horizontalAdvance(QString(std::max(count, 0), QChar('X')));
}

CellGrid::CellGrid(const QString& name, QWidget* parent) : QTableWidget(parent)
{
    setObjectName(name);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::ContiguousSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setWordWrap(false);
    setAlternatingRowColors(true);
    verticalHeader()->setVisible(false);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(QFontMetrics(font()).height() + 6);
    horizontalHeader()->setVisible(false);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    horizontalHeader()->setHighlightSections(false);
}

void CellGrid::SetFixedRows(int fixedRows)
{
    m_fixedRows = std::clamp(fixedRows, 0, 1);
    horizontalHeader()->setVisible(m_fixedRows == 1);
}

void CellGrid::SetRows(int rows)
{
    setRowCount(std::max(rows - m_fixedRows, 0));
}

void CellGrid::SetCellText(int row, int column, const QString& text)
{
    if (column < 0 || column >= columnCount() || row < 0 || row >= Rows()) return;
    if (row < m_fixedRows) {
        auto* title = horizontalHeaderItem(column);
        if (title == nullptr) {
            title = new QTableWidgetItem;
            setHorizontalHeaderItem(column, title);
        }
        title->setText(text);
        return;
    }
    auto* cell = item(row - m_fixedRows, column);
    if (cell == nullptr) {
        cell = new QTableWidgetItem;
        setItem(row - m_fixedRows, column, cell);
    }
    cell->setText(text);
}

QString CellGrid::CellText(int row, int column) const
{
    if (column < 0 || column >= columnCount() || row < 0 || row >= Rows()) return {};
    const QTableWidgetItem* cell = row < m_fixedRows ? horizontalHeaderItem(column) : item(row - m_fixedRows, column);
    return cell ? cell->text() : QString();
}

void CellGrid::SetColumnWidthInX(int column, int count)
{
    setColumnWidth(column, XRunWidth(font(), count) + kCellMargin);
}

void CellGrid::SelectCells(const CellRange& range)
{
    clearSelection();
    const int firstRow = std::max(range.FirstRow, m_fixedRows) - m_fixedRows;
    const int lastRow = std::min(range.LastRow, Rows() - 1) - m_fixedRows;
    const int firstColumn = std::max(range.FirstColumn, 0);
    const int lastColumn = std::min(range.LastColumn, columnCount() - 1);
    if (lastRow < firstRow || lastColumn < firstColumn) return;
    setRangeSelected(QTableWidgetSelectionRange(firstRow, firstColumn, lastRow, lastColumn), true);
}

CellRange CellGrid::SelectedCells() const
{
    const auto ranges = selectedRanges();
    if (ranges.isEmpty()) return {};
    // The selection is contiguous; should a program select more, the rectangle spans them all.
    CellRange cells{ranges.front().topRow(), ranges.front().leftColumn(), ranges.front().bottomRow(),
                    ranges.front().rightColumn()};
    for (const auto& range : ranges) {
        cells.FirstRow = std::min(cells.FirstRow, range.topRow());
        cells.FirstColumn = std::min(cells.FirstColumn, range.leftColumn());
        cells.LastRow = std::max(cells.LastRow, range.bottomRow());
        cells.LastColumn = std::max(cells.LastColumn, range.rightColumn());
    }
    cells.FirstRow += m_fixedRows;
    cells.LastRow += m_fixedRows;
    return cells;
}

QString CellGrid::SelectedText() const
{
    const CellRange cells = SelectedCells();
    if (cells.IsEmpty()) return {};
    QStringList rows;
    for (int row = cells.FirstRow; row <= cells.LastRow; ++row) {
        QStringList line;
        for (int column = cells.FirstColumn; column <= cells.LastColumn; ++column) {
            // A separator inside a cell would shift the cells after it when the text is pasted.
            QString text = CellText(row, column);
            text.replace('\t', ' ').replace('\r', ' ').replace('\n', ' ');
            line << text;
        }
        rows << line.join('\t');
    }
    return rows.join('\r');
}

}  // namespace kalmora
