#include "app/frmAbtB.h"

#include "toolkit/ButtonArray.h"
#include "toolkit/CheckedFields.h"
#include "toolkit/Frame.h"
#include "toolkit/HandbookKey.h"
#include "toolkit/NamedLabel.h"
#include "toolkit/QtText.h"
#include "foundation/FailureText.h"
#include "foundation/Messages.h"
#include "scoring/DepartmentBaseData.h"

#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>
#include <exception>
#include <utility>

namespace kalmora {

namespace {

enum ExtrasButton { kOk = 0, kAbbrechen = 1 };

// Where the hospital and the department stand in a list entry (characters, not bytes).
constexpr int kHospitalLength = 27;
constexpr int kDepartmentStart = 68;
constexpr int kDepartmentLength = 111;

QLineEdit* NumberBox(const QString& objectName, const std::string& text, int characters)
{
    auto* box = new QLineEdit(ToQt(text));
    box->setObjectName(objectName);
    box->setAlignment(Qt::AlignRight);
    box->setMaxLength(characters + 4);
    return box;
}

}  // namespace

frmAbtB::frmAbtB(AppContext& context, DepartmentEntry entry, QWidget* parent)
    : QDialog(parent), m_context(context), m_entry(std::move(entry))
{
    setObjectName("frmAbtB");
    setWindowTitle(" Extras - Einstufung");
    AddHandbookKey(*this, m_context, "einstufung-basisdaten");

    const QString text = ToQt(m_entry.Text);
    auto* hospital = NamedLabel("lbl_ka", text.left(kHospitalLength).trimmed());
    auto* department = NamedLabel("lbl_abt", text.mid(kDepartmentStart, kDepartmentLength).trimmed());
    auto* names = Frame("Frame31", "Krankenanstalt / Abteilung");
    auto* nameRows = new QVBoxLayout(names);
    nameRows->addWidget(hospital);
    nameRows->addWidget(department);

    const BaseDataInput input = BaseDataInputOf(m_entry);
    m_dgkp = NumberBox("txt_dgkp", *input.DgkpText, 6);
    m_beds = NumberBox("txt_sBett", *input.BedsText, 3);
    m_fields = new CheckedFields(*this);
    for (QLineEdit* box : {m_dgkp, m_beds})
        m_fields->CheckOnLeaving(*box, [this](QLineEdit& left) { return CheckField(left); });
    m_quotient = NamedLabel("lbl_faktor", "0,00");
    m_quotient->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_quotient->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    m_quotient->setMargin(2);

    m_preClassification = new QComboBox;
    m_preClassification->setObjectName("cmbVoreinstufung");
    m_preClassification->addItems({"", "E0", "E1", "E2", "E3"});
    // Sized for the entries, not for the empty one that is often current.
    m_preClassification->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_preClassification->setMinimumContentsLength(3);
    m_preClassification->setCurrentIndex(std::max(0, m_preClassification->findText(ToQt(*input.PreClassification))));
    auto* explanation = NamedLabel("Label1", "Bei Bedarf kann eine Einstufung vorgegeben werden. Die Zusatzpunkte "
                                             "werden dann innerhalb der vorgegebenen Stufe rechnerisch ermittelt.");
    explanation->setWordWrap(true);
    auto* preFrame = Frame("Frame4", "Voreinstufung (LGF)");
    auto* preRow = new QHBoxLayout(preFrame);
    preRow->addWidget(m_preClassification, 0, Qt::AlignTop);
    preRow->addWidget(explanation, 1);

    auto* figures = new QHBoxLayout;
    figures->addWidget(Frame("Frame1", "DGKP", m_dgkp));
    figures->addWidget(Frame("Frame2", "systemisierte Betten", m_beds));
    figures->addWidget(Frame("Frame3", "DGKP/system.Bett", m_quotient));

    auto* buttons = new ButtonArray("cmd_extras", this);
    QPushButton* ok = buttons->AddButton(kOk, "OK");
    QPushButton* cancel = buttons->AddButton(kAbbrechen, "Abbrechen");
    ok->setDefault(true);
    connect(buttons, &ButtonArray::Clicked, this, &frmAbtB::OnButton);
    auto* buttonRow = new QHBoxLayout;
    buttonRow->addStretch();
    buttonRow->addWidget(ok);
    buttonRow->addWidget(cancel);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(names);
    layout->addLayout(figures);
    layout->addWidget(preFrame);
    layout->addLayout(buttonRow);
    setMinimumWidth(480);
}

bool frmAbtB::CheckField(QLineEdit& field)
{
    const std::string text = FromQt(field.text());
    const NumberInputDecision decision = &field == m_dgkp ? ValidateDgkpInput(text) : ValidateBedsInput(text);
    if (decision.NewText && ToQt(*decision.NewText) != field.text()) field.setText(ToQt(*decision.NewText));
    ShowQuotient();
    if (!decision.ErrorText) return true;
    ShowGeneralError(m_context.Ui, *decision.ErrorText);
    return false;
}

void frmAbtB::ShowQuotient()
{
    // Without beds, or with a field that holds no number, the last quotient stays.
    if (const auto quotient = DgkpPerBedText(FromQt(m_dgkp->text()), FromQt(m_beds->text())))
        m_quotient->setText(ToQt(*quotient));
}

void frmAbtB::OnButton(int index)
{
    if (index == kOk) {
        OnOk();
        return;
    }
    reject();
}

void frmAbtB::OnOk()
{
    // A field typed and confirmed with Enter never left its box: an invalid number is not saved.
    if (!m_fields->Check(*m_dgkp) || !m_fields->Check(*m_beds)) return;
    // Only what the user changed is written, so a field stored meanwhile by someone else stays.
    const BaseDataInput input =
        ChangedBaseData(BaseDataInputOf(m_entry),
                        {FromQt(m_dgkp->text()), FromQt(m_beds->text()), FromQt(m_preClassification->currentText())});
    try {
        const BaseDataOutcome outcome = SaveDepartmentBaseData(m_context.Config, m_entry, input);
        if (outcome.ErrorText) {
            ShowGeneralError(m_context.Ui, *outcome.ErrorText);
            return;
        }
        m_entry = outcome.Entry;
    } catch (const std::exception& failure) {
        // Nothing was saved; the user may try again or leave with "Abbrechen".
        ShowFailure(m_context.Ui, failure, "");
        return;
    }
    accept();
}

}  // namespace kalmora
