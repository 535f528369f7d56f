#pragma once

#include "toolkit/AppContext.h"

#include <QDialog>
#include <QString>

class QLineEdit;
class QWidget;

namespace kalmora {

class CheckedFields;
class FixedColumnList;

// The patient search of the ICU reports. Opened from the department level it searches the stay
// tables of the listed departments and marks the first department holding the patient; opened from
// the patient level it makes the first matching stay line current. It closes after every search.
class frmPats : public QDialog {
    Q_OBJECT

public:
    // The caller marks with `tag` which list it hands over: "Patientenebene" for the stay lines,
    // anything else ("Abteilungsebene") for the department lines.
    frmPats(AppContext& context, FixedColumnList& callerList, QString tag, QWidget* parent = nullptr);

    const QString& Tag() const { return m_tag; }

private:
    void OnButton(int index);
    void Search(bool fromBeginning);
    bool SearchDepartments(bool fromBeginning);
    bool SearchStays(bool fromBeginning);
    // Normalises the date of birth; a refused one empties the field and is reported.
    bool ApplyDateField();

    AppContext& m_context;
    FixedColumnList& m_callerList;
    QString m_tag;
    QLineEdit* m_kisId = nullptr;
    QLineEdit* m_dob = nullptr;
    CheckedFields* m_fields = nullptr;
};

}  // namespace kalmora
