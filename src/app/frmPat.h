#pragma once

#include "toolkit/AppContext.h"

#include <QDialog>

#include <string>

class QWidget;

namespace kalmora {

class FixedColumnList;

// The patient level of the ICU reports: the stays of the department on the department list's current
// line, from which the report of a stay is opened.
class frmPat : public QDialog {
    Q_OBJECT

public:
    // `departmentLine` is the department list's line, read back by its columns.
    frmPat(AppContext& context, std::string departmentLine, QWidget* parent = nullptr);

public slots:
    void reject() override;

private:
    void LoadList();
    void OnButton(int index);
    void ChooseStay();

    AppContext& m_context;
    std::string m_departmentLine;
    FixedColumnList* m_list = nullptr;
};

}  // namespace kalmora
