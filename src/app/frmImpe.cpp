#include "app/frmImpe.h"

#include "toolkit/ButtonArray.h"
#include "toolkit/CellGrid.h"
#include "toolkit/HandbookKey.h"
#include "toolkit/QtText.h"
#include "toolkit/ReportLayout.h"
#include "import/ImportResults.h"
#include "import/ImportRun.h"

namespace kalmora {

namespace {

constexpr std::array<int, 6> kColumnWidthsInX{12, 24, 40, 11, 14, 31};

}  // namespace

frmImpe::frmImpe(AppContext& context, const ImportRun& run, QWidget* parent)
    : QDialog(parent), m_context(context), m_run(run)
{
    setObjectName("frmImpe");
    setWindowTitle(" Datei - ImportErgebnis");
    AddHandbookKey(*this, m_context, "import-ergebnis");

    m_grid = new CellGrid("grd_erg");
    m_grid->SetFixedRows(1);
    m_grid->SetColumns(static_cast<int>(kResultTitles.size()));
    const auto rows = ResultGridRows(m_run.ResultRows, m_run.CurrentFileIndex);
    m_grid->SetRows(static_cast<int>(rows.size()) + 1);
    for (int column = 0; column < m_grid->Columns(); ++column) {
        m_grid->SetColumnWidthInX(column, kColumnWidthsInX[static_cast<std::size_t>(column)]);
        m_grid->SetCellText(0, column, ToQt(kResultTitles[static_cast<std::size_t>(column)]));
    }
    for (std::size_t row = 0; row < rows.size(); ++row) {
        for (std::size_t column = 0; column < rows[row].size(); ++column) {
            m_grid->SetCellText(static_cast<int>(row) + 1, static_cast<int>(column), ToQt(rows[row][column]));
        }
    }

    ButtonArray* buttons = LayOutReport(*this, *m_grid, "fra_erg");
    connect(buttons, &ButtonArray::Clicked, this, &frmImpe::OnButton);
    // Wide enough for every column where the screen allows it.
    FitReportToContent(*this, *m_grid);
}

void frmImpe::OnButton(int index)
{
    if (index == kReportCopy) {
        CopyTable();
        return;
    }
    accept();
}

void frmImpe::CopyTable()
{
    const int fileCount = m_grid->Rows() - 1;
    m_grid->SelectCells(CellRange{1, 0, fileCount, m_grid->Columns() - 1});
    m_context.Ui.SetClipboardText(ResultClipboardText(m_run.ResultRows, fileCount));
}

}  // namespace kalmora
