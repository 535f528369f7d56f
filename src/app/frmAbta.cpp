#include "app/frmAbta.h"

#include "toolkit/ButtonArray.h"
#include "toolkit/CellGrid.h"
#include "toolkit/HandbookKey.h"
#include "toolkit/QtText.h"
#include "toolkit/WindowPlaces.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QHBoxLayout>
#include <QPushButton>
#include <QScrollBar>
#include <QValueAxis>
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

    m_chart = new QChartView;
    m_chart->setObjectName("cht_abta");
    m_chart->setRenderHint(QPainter::Antialiasing);
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
    auto* chart = new QChart;
    chart->setTitle("INT-Patienten je Entlassungsmonat");
    chart->setAnimationOptions(QChart::NoAnimation);
    chart->legend()->setAlignment(Qt::AlignBottom);

    auto* series = new QBarSeries;
    std::int64_t highest = 0;
    for (const auto& department : chartData.Departments) {
        auto* bars = new QBarSet(ToQt(department.Name));
        for (std::int64_t count : department.IntStays) {
            *bars << static_cast<qreal>(count);
            highest = std::max(highest, count);
        }
        series->append(bars);
    }
    chart->addSeries(series);

    auto* months = new QBarCategoryAxis;
    for (const auto& month : chartData.Months)
        months->append(ToQt(month));
    if (static_cast<int>(chartData.Months.size()) > kUprightLabelMonths) months->setLabelsAngle(-90);
    chart->addAxis(months, Qt::AlignBottom);
    series->attachAxis(months);

    // Whole stays only: the axis counts in steps of whole numbers.
    auto* counts = new QValueAxis;
    counts->setLabelFormat("%d");
    const std::int64_t step = std::max<std::int64_t>(1, (highest + kCountTicks - 1) / kCountTicks);
    counts->setTickType(QValueAxis::TicksDynamic);
    counts->setTickAnchor(0);
    counts->setTickInterval(static_cast<qreal>(step));
    counts->setRange(0, static_cast<qreal>(std::max<std::int64_t>((highest + step - 1) / step, 1) * step));
    chart->addAxis(counts, Qt::AlignLeft);
    series->attachAxis(counts);

    m_chart->setChart(chart);
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
