#pragma once

#include "toolkit/AppContext.h"
#include "scoring/ClassificationList.h"

#include <QDialog>

#include <vector>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QWidget;

namespace kalmora {

class CheckedFields;
class FixedColumnList;

// The classification dialog: lists the departments with classifiable stays and their staffing, takes
// the period, the minimum hours and the two TISS options, and opens the base data of a department,
// the options and the classification result.
class frmEin : public QDialog {
    Q_OBJECT

public:
    explicit frmEin(AppContext& context, QWidget* parent = nullptr);

    // The listed departments, in list order, with their entries as the list shows them.
    const std::vector<DepartmentEntry>& Departments() const { return m_departments; }

private:
    void LoadList();
    // Shows the classification settings in the fields.
    void ShowSettings();
    void OnButton(int index);
    void EditDepartment();
    void ChangeSettings();
    void Classify();

    AppContext& m_context;
    std::vector<DepartmentEntry> m_departments;
    FixedColumnList* m_list = nullptr;
    QWidget* m_headings = nullptr;
    QLineEdit* m_vonDatum = nullptr;
    QLineEdit* m_bisDatum = nullptr;
    QComboBox* m_mindestStunden = nullptr;
    QCheckBox* m_multipleTiss = nullptr;
    QCheckBox* m_mTiss = nullptr;
    CheckedFields* m_fields = nullptr;
};

}  // namespace kalmora
