#pragma once

#include "toolkit/AppContext.h"
#include "scoring/ClassificationList.h"
#include "scoring/ClassificationTable.h"

#include <QDialog>

#include <vector>

namespace kalmora {

class CellGrid;

// The classification result: classifies the selected departments when it opens, one row each, and
// copies the table to the clipboard.
class frmEine : public QDialog {
    Q_OBJECT

public:
    frmEine(AppContext& context, std::vector<DepartmentEntry> selected, QWidget* parent = nullptr);

private:
    void Classify();
    void FillGrid();
    void OnButton(int index);
    void CopyTable();

    AppContext& m_context;
    std::vector<DepartmentEntry> m_selected;
    std::vector<ClassifiedDepartment> m_rows;
    CellGrid* m_grid = nullptr;
};

}  // namespace kalmora
