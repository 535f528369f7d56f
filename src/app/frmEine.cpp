#include "app/frmEine.h"

#include "toolkit/ButtonArray.h"
#include "toolkit/CellGrid.h"
#include "toolkit/HandbookKey.h"
#include "toolkit/QtText.h"
#include "toolkit/ReportLayout.h"
#include "foundation/FailureText.h"
#include "foundation/Messages.h"
#include "scoring/Classification.h"
#include "storage/FileSafety.h"

#include <algorithm>
#include <exception>
#include <string>
#include <string_view>
#include <utility>

namespace kalmora {

namespace {

// No column is narrower than this many capital X.
constexpr int kColumnWidthInX = 15;

}  // namespace

frmEine::frmEine(AppContext& context, std::vector<DepartmentEntry> selected, QWidget* parent)
    : QDialog(parent), m_context(context), m_selected(std::move(selected))
{
    setObjectName("frmEine");
    setWindowTitle(" Extras - Einstufungsergebnis");
    AddHandbookKey(*this, m_context, "einstufung-ergebnis");

    m_grid = new CellGrid("grd_erg");
    m_grid->SetFixedRows(1);
    m_grid->SetColumns(static_cast<int>(kClassificationColumnCount));
    m_grid->SetRows(1);
    for (int column = 0; column < m_grid->Columns(); ++column) {
        m_grid->SetColumnWidthInX(column, kColumnWidthInX);
        m_grid->SetCellText(0, column, ToQt(kClassificationTitles[static_cast<std::size_t>(column)]));
    }

    ButtonArray* buttons = LayOutReport(*this, *m_grid, "Frame1");
    connect(buttons, &ButtonArray::Clicked, this, &frmEine::OnButton);

    Classify();
    FillGrid();
    // Titles and cells whole; as large as the screen allows, the grid scrolls the rest.
    m_grid->FitColumnsToTexts(kColumnWidthInX);
    FitReportToContent(*this, *m_grid);
}

void frmEine::Classify()
{
    try {
        m_rows = ClassifyDepartments(m_selected, m_context.Config, m_context.Ui);
    } catch (const std::exception& error) {
        // Failures of single departments are reported by the classification itself; what reaches here
        // stopped the whole run: another run busy with the data (a notice), or the lock file could not
        // be made. The window still opens, with an empty table.
        ShowFailure(m_context.Ui, error, " Einstufung nicht möglich: ");
    }
}

void frmEine::FillGrid()
{
    const ClassificationSettings settings = ClassificationSettingsOf(m_context.Config);
    m_grid->SetRows(static_cast<int>(m_rows.size()) + 1);
    for (std::size_t row = 0; row < m_rows.size(); ++row) {
        const auto cells = ClassificationCells(m_rows[row], settings);
        for (std::size_t column = 0; column < cells.size(); ++column) {
            m_grid->SetCellText(static_cast<int>(row) + 1, static_cast<int>(column), ToQt(cells[column]));
        }
    }
}

void frmEine::OnButton(int index)
{
    if (index == kReportCopy) {
        CopyTable();
        return;
    }
    accept();
}

void frmEine::CopyTable()
{
    m_grid->SelectCells(CellRange{1, 0, m_grid->Rows() - 1, m_grid->Columns() - 1});
    m_context.Ui.SetClipboardText(ClassificationClipboardText(m_rows, ClassificationSettingsOf(m_context.Config)));
}

}  // namespace kalmora
