#include "app/frmPat.h"

#include "toolkit/ButtonArray.h"
#include "toolkit/FixedColumnList.h"
#include "toolkit/HandbookKey.h"
#include "toolkit/NamedLabel.h"
#include "app/frmInt.h"
#include "app/frmPats.h"
#include "foundation/FailureText.h"
#include "foundation/FixedText.h"
#include "foundation/Messages.h"
#include "reports/DepartmentLines.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include <array>
#include <exception>
#include <utility>

namespace kalmora {

namespace {

enum PatButton { kWeiter = 0, kSuchen = 1, kAbbrechen = 4 };

constexpr int kVisibleCharacters = 84;

constexpr std::array<ColumnHeading, 6> kHeadings{{
    {" &Aufnahmezahl ", 0},
    {" Geburtsdatum ", 13},
    {" Aufnahmezeitpunkt ", 26},
    {" Entlassungszeitpunkt ", 46},
    {" Typ ", 66},
    {" Status", 72},
}};

}  // namespace

frmPat::frmPat(AppContext& context, std::string departmentLine, QWidget* parent)
    : QDialog(parent), m_context(context), m_departmentLine(std::move(departmentLine))
{
    setObjectName("frmPat");
    setWindowTitle(" Intensivbericht - Patientenebene");
    AddHandbookKey(*this, m_context, "intensivbericht-patienten");

    m_list = new FixedColumnList("lst_patient");
    m_list->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    m_list->setMinimumWidth(m_list->WidthForCharacters(kVisibleCharacters));
    m_list->setMinimumHeight(m_list->fontMetrics().height() * 14);
    connect(m_list, &QListWidget::itemDoubleClicked, this, [this] { OnButton(kWeiter); });

    auto* buttons = new ButtonArray("cmd_patient", this);
    QPushButton* weiter = buttons->AddButton(kWeiter, "&Weiter");
    QPushButton* suchen = buttons->AddButton(kSuchen, "&Suchen");
    QPushButton* abbrechen = buttons->AddButton(kAbbrechen, "Abbrechen");
    weiter->setDefault(true);
    connect(buttons, &ButtonArray::Clicked, this, &frmPat::OnButton);
    auto* buttonRow = new QHBoxLayout;
    buttonRow->addStretch();
    for (QPushButton* button : {weiter, suchen, abbrechen})
        buttonRow->addWidget(button);

    auto* layout = new QVBoxLayout(this);
    layout->setSpacing(2);
    layout->addWidget(CreateColumnHeadings(*m_list, kHeadings));
    layout->addWidget(m_list, 1);
    layout->addSpacing(8);
    layout->addLayout(buttonRow);

    LoadList();
}

void frmPat::LoadList()
{
    m_context.Reports.Stay.Origin = IsExternal(m_departmentLine) ? "EXTERN" : "INTERN";
    m_list->clear();
    try {
        for (const std::string& line : ReadStayLines(m_context.Config, m_departmentLine))
            m_list->AddLine(line);
    } catch (const std::exception& failure) {
        ShowFailure(m_context.Ui, failure, "");
    }
    if (m_list->LineCount() > 0) m_list->setCurrentRow(0);
    m_context.Ui.SetStatusText(2, std::string(HospitalTextOf(m_departmentLine)) + " ");
    m_context.Ui.SetStatusText(3, std::string(MidCharacters(m_departmentLine, 30, 44)) + " ");
}

void frmPat::OnButton(int index)
{
    switch (index) {
    case kWeiter:
        ChooseStay();
        break;
    case kSuchen: {
        frmPats search(m_context, *m_list, "Patientenebene", this);
        m_context.Windows.ShowModal(search);
        break;
    }
    case kAbbrechen:
        reject();
        break;
    default:
        break;
    }
}

void frmPat::ChooseStay()
{
    // An empty list has no stay to show.
    const std::string line = m_list->Line(m_list->currentRow());
    if (line.empty()) return;
    m_context.Reports.Stay = SelectedStayOf(line, m_departmentLine);
    if (!HasReport(line)) return;
    frmInt report(m_context, m_departmentLine, this);
    m_context.Windows.ShowModal(report);
}

void frmPat::reject()
{
    // Closing by Esc or the window frame also leaves the department out of the status bar.
    m_context.Ui.SetStatusText(2, " ");
    m_context.Ui.SetStatusText(3, " ");
    QDialog::reject();
}

}  // namespace kalmora
