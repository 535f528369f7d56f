#include "app/frmAbta.h"

#include "toolkit/ButtonArray.h"
#include "toolkit/CellGrid.h"
#include "toolkit/ChartAxes.h"
#include "toolkit/HandbookKey.h"
#include "toolkit/QtText.h"
#include "toolkit/WindowPlaces.h"

#include <qcustomplot.h>

#include <QHBoxLayout>
#include <QPushButton>
#include <QScrollBar>
#include <QVBoxLayout>

#include <algorithm>
#include <array>
#include <utility>

namespace kalmora {

namespace {

enum AbtaButton { kKopieren = 0, kBeenden = 1 };

constexpr std::array<int, kAnalysisColumnCount> kColumnWidthsInX{24, 40, 6, 8, 17};
// More months than this turn their labels upright, so that they do not run into each other.
constexpr int kUprightLabelMonths = 12;
// At most this many steps on the count axis.
constexpr std::int64_t kCountTicks = 5;

}  // namespace

frmAbta::frmAbta(AppContext& context, std::vector<std::string> lines, QWidget* parent)
    : QDialog(parent), m_context(context)
{
    setObjectName("frmAbta");
    setWindowTitle(" Abteilung - Analyse");
    AddHandbookKey(*this, m_context, "analyse");

    m_grid = new CellGrid("grd_abta");
    m_grid->SetFixedRows(1);
    m_grid->SetColumns(static_cast<int>(kAnalysisColumnCount));
    m_grid->SetRows(1);
    int gridWidth = 0;
    for (int column = 0; column < m_grid->Columns(); ++column) {
        m_grid->SetColumnWidthInX(column, kColumnWidthsInX[static_cast<std::size_t>(column)]);
        m_grid->SetCellText(0, column, ToQt(kAnalysisTitles[static_cast<std::size_t>(column)]));
        gridWidth += m_grid->columnWidth(column);
    }

    m_chart = new QCustomPlot;
    m_chart->setObjectName("cht_abta");
    m_chart->setAntialiasedElements(QCP::aeAll);
    m_chart->setMinimumHeight(260);

    auto* buttons = new ButtonArray("cmd_abta", this);
    QPushButton* copy = buttons->AddButton(kKopieren, "&Kopieren");
    QPushButton* close = buttons->AddButton(kBeenden, "B&eenden");
    close->setDefault(true);
    connect(buttons, &ButtonArray::Clicked, this, &frmAbta::OnButton);
    auto* buttonRow = new QHBoxLayout;
    buttonRow->addStretch();
    buttonRow->addWidget(copy);
    buttonRow->addWidget(close);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_grid, 1);
    layout->addWidget(m_chart, 1);
    layout->addLayout(buttonRow);

    ResizeWithinScreen(
        *this, {gridWidth + 2 * m_grid->frameWidth() + m_grid->verticalScrollBar()->sizeHint().width() + 32, 620});

    m_analyses = AnalyseDepartments(m_context.Config, lines, m_context.Ui);
    m_rows = AnalysisRows(m_analyses);
    FillGrid();
    FillChart();
}

void frmAbta::FillGrid()
{
    m_grid->SetRows(static_cast<int>(m_rows.size()) + 1);
    for (std::size_t row = 0; row < m_rows.size(); ++row) {
        for (std::size_t column = 0; column < kAnalysisColumnCount; ++column) {
            m_grid->SetCellText(static_cast<int>(row) + 1, static_cast<int>(column), ToQt(m_rows[row][column]));
        }
    }
}

void frmAbta::FillChart()
{
    const AnalysisChart chartData = AnalysisChartOf(m_analyses);
    m_chart->plotLayout()->insertRow(0);
    auto* title = new QCPTextElement(m_chart, "INT-Patienten je Entlassungsmonat");
    title->setFont(QFont(font().family(), font().pointSize() + 2, QFont::Bold));
    m_chart->plotLayout()->addElement(0, 0, title);

    // The departments' bars of a month stand side by side, centred on the month's tick.
    auto* group = new QCPBarsGroup(m_chart);
    group->setSpacingType(QCPBarsGroup::stAbsolute);
    group->setSpacing(1);
    const double groupWidth = 0.8;
    const double barWidth = groupWidth / static_cast<double>(std::max<std::size_t>(chartData.Departments.size(), 1));
    std::int64_t highest = 0;
    int colour = 0;
    for (const auto& department : chartData.Departments) {
        auto* bars = new QCPBars(m_chart->xAxis, m_chart->yAxis);
        bars->setName(ToQt(department.Name));
        bars->setWidth(barWidth);
        bars->setBarsGroup(group);
        const QColor fill = QColor::fromHsv((210 + 47 * colour++) % 360, 150, 210);
        bars->setBrush(fill);
        bars->setPen(QPen(fill.darker(130)));
        for (std::size_t month = 0; month < department.IntStays.size(); ++month) {
            bars->addData(static_cast<double>(month + 1), static_cast<double>(department.IntStays[month]));
            highest = std::max(highest, department.IntStays[month]);
        }
    }

    std::vector<QString> months;
    for (const auto& month : chartData.Months)
        months.push_back(ToQt(month));
    SetCategoryAxis(*m_chart->xAxis, months);
    if (static_cast<int>(months.size()) > kUprightLabelMonths) m_chart->xAxis->setTickLabelRotation(-90);
    // Whole stays only: round steps of whole numbers.
    SetCountAxis(*m_chart->yAxis, highest, kCountTicks);

    m_chart->legend->setVisible(!chartData.Departments.empty());
    // The legend below the plot, its entries side by side.
    auto* legendRow = new QCPLayoutGrid;
    m_chart->plotLayout()->addElement(2, 0, legendRow);
    legendRow->setMargins(QMargins(0, 0, 0, 0));
    legendRow->addElement(0, 0, m_chart->legend);
    // Two departments a row, so that long names are not cut.
    m_chart->legend->setWrap(2);
    m_chart->legend->setFillOrder(QCPLegend::foColumnsFirst);
    m_chart->legend->setBorderPen(Qt::NoPen);
    m_chart->plotLayout()->setRowStretchFactor(2, 0.001);
    m_chart->replot();
}

void frmAbta::OnButton(int index)
{
    if (index == kKopieren) {
        CopyGrid();
        return;
    }
    reject();
}

void frmAbta::CopyGrid()
{
    m_grid->SelectCells(CellRange{1, 0, m_grid->Rows() - 1, m_grid->Columns() - 1});
    m_context.Ui.SetClipboardText(AnalysisClipboardText(m_rows));
}

}  // namespace kalmora
