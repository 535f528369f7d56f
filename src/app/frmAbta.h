#pragma once

#include "analysis/DepartmentAnalysis.h"
#include "toolkit/AppContext.h"

#include <QDialog>

#include <string>
#include <vector>

class QCustomPlot;

namespace kalmora {

class CellGrid;

// The department analysis: counts the "INT" stays per discharge month of the departments selected in
// the report list when it opens, shows them in a grid and, below it, as a bar chart, and copies the
// grid to the clipboard.
class frmAbta : public QDialog {
    Q_OBJECT

public:
    // `lines` are the selected department lines of the report list, in list order.
    frmAbta(AppContext& context, std::vector<std::string> lines, QWidget* parent = nullptr);

private:
    void FillGrid();
    void FillChart();
    void OnButton(int index);
    void CopyGrid();

    AppContext& m_context;
    std::vector<DepartmentAnalysis> m_analyses;
    std::vector<AnalysisCells> m_rows;
    CellGrid* m_grid = nullptr;
    QCustomPlot* m_chart = nullptr;
};

}  // namespace kalmora
