#pragma once

#include "toolkit/AppContext.h"
#include "reports/ReportDetail.h"

#include <QDialog>

#include <array>
#include <string>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QTabWidget;
class QWidget;

namespace kalmora {

// The ICU report of the selected stay: base data on the first page, the TISS-28 items of a chosen
// survey day on the second. It only shows; nothing typed or ticked here is ever stored.
class frmInt : public QDialog {
    Q_OBJECT

public:
    // `departmentLine` is the department list's current line; the stay is the context's selection.
    frmInt(AppContext& context, std::string departmentLine, QWidget* parent = nullptr);

private:
    QWidget* CreateBaseDataPage();
    QWidget* CreateTissPage();
    void FillReportStay();
    void FillReportDay();
    void OnPageChanged(int page);

    AppContext& m_context;
    std::string m_departmentLine;
    ReportDetail m_detail;

    QTabWidget* m_tabs = nullptr;
    std::array<QWidget*, 2> m_pageFrames{};
    QGroupBox* m_dayFrame = nullptr;
    QListWidget* m_days = nullptr;

    QLabel* m_hospital = nullptr;
    QLabel* m_department = nullptr;
    QLabel* m_kisId = nullptr;
    QLabel* m_dob = nullptr;
    QLabel* m_admDate = nullptr;
    QLineEdit* m_disDate = nullptr;
    QComboBox* m_icuOutcome = nullptr;
    QLineEdit* m_hospDisDate = nullptr;
    QComboBox* m_hospMort = nullptr;

    // In the order of the TISS-28 item table, not in the order shown.
    std::array<QCheckBox*, 28> m_items{};
    QLabel* m_score = nullptr;
};

}  // namespace kalmora
