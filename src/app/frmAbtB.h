#pragma once

#include "toolkit/AppContext.h"
#include "scoring/ClassificationList.h"

#include <QDialog>

class QComboBox;
class QLabel;
class QLineEdit;

namespace kalmora {

class CheckedFields;

// The base data of one department of the classification list: DGKP, systemised beds and the
// pre-classification. "OK" saves them and rebuilds the department's list entry.
class frmAbtB : public QDialog {
    Q_OBJECT

public:
    frmAbtB(AppContext& context, DepartmentEntry entry, QWidget* parent = nullptr);

    // The entry with the figures confirmed by "OK", to replace the list's current entry; the entry
    // as given until then.
    const DepartmentEntry& Entry() const { return m_entry; }

private:
    // Reformats a number field and shows the quotient, or reports the field. False when it was refused.
    bool CheckField(QLineEdit& field);
    void ShowQuotient();
    void OnButton(int index);
    void OnOk();

    AppContext& m_context;
    DepartmentEntry m_entry;
    QLineEdit* m_dgkp = nullptr;
    QLineEdit* m_beds = nullptr;
    QLabel* m_quotient = nullptr;
    QComboBox* m_preClassification = nullptr;
    CheckedFields* m_fields = nullptr;
};

}  // namespace kalmora
