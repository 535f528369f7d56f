#include "toolkit/CellGrid.h"

#include <QFontMetrics>
#include <QHeaderView>
#include <QStyle>

#include <algorithm>

namespace kalmora {

namespace {

// Room a cell leaves around its text, on both sides together.
constexpr int kCellMargin = 8;

// Where a cell keeps its text as given.
constexpr int kFullTextRole = Qt::UserRole;

// A cell's text as far as it shows: fixed-width texts end in blanks that need no room.
QString VisibleText(const QString& text)
{
    qsizetype end = text.size();
    while (end > 0 && text.at(end - 1).isSpace())
        --end;
    return text.left(end);
}

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
    connect(horizontalHeader(), &QHeaderView::sectionResized, this, [this](int column) { UpdateCutTextTips(column); });
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
        title->setToolTip(TitleTextWidth(column) > columnWidth(column) ? text : QString());
        return;
    }
    auto* cell = item(row - m_fixedRows, column);
    if (cell == nullptr) {
        cell = new QTableWidgetItem;
        setItem(row - m_fixedRows, column, cell);
    }
    // Shown without its trailing blanks, which would only make the view cut the text short; the
    // text itself is kept as given.
    cell->setData(kFullTextRole, text);
    cell->setText(VisibleText(text));
    cell->setToolTip(CellTextWidth(cell->text()) > columnWidth(column) ? cell->text() : QString());
}

QString CellGrid::CellText(int row, int column) const
{
    if (column < 0 || column >= columnCount() || row < 0 || row >= Rows()) return {};
    const QTableWidgetItem* cell = row < m_fixedRows ? horizontalHeaderItem(column) : item(row - m_fixedRows, column);
    if (cell == nullptr) return {};
    const QVariant full = cell->data(kFullTextRole);
    return full.isValid() ? full.toString() : cell->text();
}

void CellGrid::SetColumnWidthInX(int column, int count)
{
    setColumnWidth(column, XRunWidth(font(), count) + kCellMargin);
}

void CellGrid::FitColumnsToTexts(int count)
{
    for (int column = 0; column < columnCount(); ++column) {
        int width = XRunWidth(font(), count) + kCellMargin;
        if (m_fixedRows == 1) width = std::max(width, TitleTextWidth(column));
        for (int row = 0; row < rowCount(); ++row) {
            if (const QTableWidgetItem* cell = item(row, column)) width = std::max(width, CellTextWidth(cell->text()));
        }
        setColumnWidth(column, width);
    }
}

QSize CellGrid::ContentSize() const
{
    int width = 2 * frameWidth();
    for (int column = 0; column < columnCount(); ++column)
        width += columnWidth(column);
    if (!verticalHeader()->isHidden()) width += verticalHeader()->width();
    int height = 2 * frameWidth();
    for (int row = 0; row < rowCount(); ++row)
        height += rowHeight(row);
    if (!horizontalHeader()->isHidden()) height += horizontalHeader()->sizeHint().height();
    return {width, height};
}

int CellGrid::CellTextWidth(const QString& text) const
{
    // The item views leave a focus frame's margin and a pixel on either side of a cell's text.
    const int margin = 2 * (style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1);
    return QFontMetrics(font()).horizontalAdvance(VisibleText(text)) + std::max(margin, kCellMargin);
}

int CellGrid::TitleTextWidth(int column) const
{
    return horizontalHeader()->sectionSizeHint(column);
}

void CellGrid::UpdateCutTextTips(int column)
{
    if (column < 0 || column >= columnCount()) return;
    const int width = columnWidth(column);
    if (QTableWidgetItem* title = horizontalHeaderItem(column))
        title->setToolTip(m_fixedRows == 1 && TitleTextWidth(column) > width ? title->text() : QString());
    for (int row = 0; row < rowCount(); ++row) {
        if (QTableWidgetItem* cell = item(row, column))
            cell->setToolTip(CellTextWidth(cell->text()) > width ? cell->text() : QString());
    }
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
