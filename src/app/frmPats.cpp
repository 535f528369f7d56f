#include "app/frmPats.h"

#include "toolkit/ButtonArray.h"
#include "toolkit/CheckedFields.h"
#include "toolkit/FixedColumnList.h"
#include "toolkit/HandbookKey.h"
#include "toolkit/QtText.h"
#include "foundation/FailureText.h"
#include "foundation/Conversions.h"
#include "foundation/Messages.h"
#include "foundation/UserInterface.h"
#include "reports/PatientSearch.h"

#include <QDate>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <string>
#include <vector>

namespace kalmora {

namespace {

enum PatsButton { kBeginnen = 0, kFortsetzen = 1, kAbbrechen = 2 };

// The caller's list makes line `row` its current one and its only selected line.
void MarkLine(FixedColumnList& list, int row)
{
    if (row < 0 || row >= list.LineCount()) return;
    list.setCurrentRow(row, QItemSelectionModel::ClearAndSelect);
}

}  // namespace

frmPats::frmPats(AppContext& context, FixedColumnList& callerList, QString tag, QWidget* parent)
    : QDialog(parent), m_context(context), m_callerList(callerList), m_tag(std::move(tag))
{
    setObjectName("frmPats");
    setWindowTitle(" Patientensuche");
    AddHandbookKey(*this, m_context, "intensivbericht-suche");

    m_kisId = new QLineEdit;
    m_kisId->setObjectName("txt_pats_kis_id");
    m_kisId->setMaxLength(10);
    m_dob = new QLineEdit;
    m_dob->setObjectName("txt_pats_dob");
    for (QLineEdit* field : {m_kisId, m_dob})
        field->setMinimumWidth(field->fontMetrics().horizontalAdvance(QString(12, '0')));
    m_fields = new CheckedFields(*this);
    m_fields->SelectOnFocus(*m_kisId);
    m_fields->CheckOnLeaving(*m_dob, [this](QLineEdit&) { return ApplyDateField(); });
    auto* kisIdLabel = new QLabel("Aufnahmezahl");
    kisIdLabel->setBuddy(m_kisId);
    auto* dobLabel = new QLabel("Geburtsdatum");
    dobLabel->setBuddy(m_dob);

    auto* buttons = new ButtonArray("cmd_pats", this);
    QPushButton* beginnen = buttons->AddButton(kBeginnen, "&Beginnen");
    QPushButton* fortsetzen = buttons->AddButton(kFortsetzen, "Fortsetzen");
    QPushButton* abbrechen = buttons->AddButton(kAbbrechen, "Abbrechen");
    fortsetzen->setDefault(true);
    connect(buttons, &ButtonArray::Clicked, this, &frmPats::OnButton);

    auto* fields = new QGridLayout;
    fields->addWidget(kisIdLabel, 0, 0);
    fields->addWidget(m_kisId, 0, 1);
    fields->addWidget(dobLabel, 1, 0);
    fields->addWidget(m_dob, 1, 1);
    auto* buttonColumn = new QVBoxLayout;
    for (QPushButton* button : {beginnen, fortsetzen, abbrechen})
        buttonColumn->addWidget(button);
    buttonColumn->addStretch();
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(fields);
    layout->addSpacing(12);
    layout->addLayout(buttonColumn);

    // The fields keep the last search while the reports are open.
    const PatientSearchKey& key = m_context.Reports.SearchKey;
    m_kisId->setText(ToQt(key.KisId.str()));
    m_dob->setText(ToQt(FormatCompactDate(key.Dob.str(), 8)));
}

bool frmPats::ApplyDateField()
{
    const std::string typed = FromQt(m_dob->text());
    if (TrimBlanks(typed).empty()) return true;
    const std::string shown = NormalizeBirthDateInput(typed, QDate::currentDate().year());
    if (!TrimBlanks(shown).empty()) {
        if (ToQt(shown) != m_dob->text()) m_dob->setText(ToQt(shown));
        return true;
    }
    m_dob->clear();
    ShowNotice(m_context.Ui, Notice::InvalidBirthDate);
    return false;
}

void frmPats::OnButton(int index)
{
    switch (index) {
    case kBeginnen:
        Search(true);
        break;
    case kFortsetzen:
        Search(false);
        break;
    case kAbbrechen:
        reject();
        break;
    default:
        break;
    }
}

void frmPats::Search(bool fromBeginning)
{
    // A date confirmed with Enter, or one whose field a click on a button just left, has not been
    // checked yet; a refused one has been reported and ends the search.
    if (!m_fields->Check(*m_dob)) return;
    PatientSearchKey& key = m_context.Reports.SearchKey;
    key = SearchKeyOf(FromQt(m_kisId->text()), FromQt(m_dob->text()));
    if (SearchModeOf(key) == 0) {
        ShowNotice(m_context.Ui, Notice::NoSearchTerm);
        m_kisId->setFocus(Qt::OtherFocusReason);
        return;
    }

    hide();
    bool found = false;
    try {
        found = m_tag == "Patientenebene" ? SearchStays(fromBeginning) : SearchDepartments(fromBeginning);
    } catch (const std::exception& failure) {
        ShowFailure(m_context.Ui, failure, "");
    }
    ShowNotice(m_context.Ui, found ? Notice::PatientFound : Notice::PatientNotFound);
    accept();
}

bool frmPats::SearchDepartments(bool fromBeginning)
{
    std::vector<std::string> lines;
    std::vector<bool> selected;
    for (int row = 0; row < m_callerList.LineCount(); ++row) {
        lines.push_back(m_callerList.Line(row));
        selected.push_back(m_callerList.IsLineSelected(row));
    }
    DepartmentSearchResult result;
    {
        BusyPointer busy(m_context.Ui);
        result = kalmora::SearchDepartments(m_context.Config, lines, selected,
                                            fromBeginning ? SearchStart::FromBeginning : SearchStart::AfterAnchor,
                                            m_context.Reports.SearchKey);
    }
    m_callerList.clearSelection();
    MarkLine(m_callerList, static_cast<int>(result.Current));
    if (!result.Unsearchable.empty()) {
        std::string text = "Diese Abteilungsdatenbanken konnten nicht durchsucht werden:";
        for (const std::string& failure : result.Unsearchable)
            text += "\n" + failure;
        ShowGeneralError(m_context.Ui, text);
    }
    return result.Found;
}

bool frmPats::SearchStays(bool fromBeginning)
{
    std::vector<std::string> lines;
    for (int row = 0; row < m_callerList.LineCount(); ++row)
        lines.push_back(m_callerList.Line(row));
    const int anchor = m_callerList.currentRow();
    // Without a current line "Fortsetzen" starts at the first one.
    const std::size_t anchorIndex = anchor < 0 ? 0 : static_cast<std::size_t>(anchor);
    const SearchStart start = fromBeginning || anchor < 0 ? SearchStart::FromBeginning : SearchStart::AfterAnchor;
    const auto found = SearchStayLines(lines, anchorIndex, start, m_context.Reports.SearchKey);
    MarkLine(m_callerList, found ? static_cast<int>(*found) : anchor);
    return found.has_value();
}

}  // namespace kalmora
