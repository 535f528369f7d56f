#include "app/frmAbt.h"

#include "toolkit/ButtonArray.h"
#include "toolkit/FixedColumnList.h"
#include "toolkit/HandbookKey.h"
#include "toolkit/NamedLabel.h"
#include "app/frmAbta.h"
#include "app/frmPat.h"
#include "app/frmPats.h"
#include "foundation/FailureText.h"
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

enum AbtButton { kWeiter = 0, kSuchen = 1, kEntfernen = 3, kAnalyse = 4, kAbbrechen = 5 };

// The line up to its status, without scrolling.
constexpr int kVisibleCharacters = 105;

constexpr std::array<ColumnHeading, 2> kHeadings{{{" &Krankenanstalt ", 0}, {" Abteilung ", 29}}};

}  // namespace

frmAbt::frmAbt(AppContext& context, QWidget* parent) : QDialog(parent), m_context(context)
{
    setObjectName("frmAbt");
    setWindowTitle(" Intensivbericht - Abteilungsebene");
    AddHandbookKey(*this, m_context, "intensivbericht-abteilungen");

    m_list = new FixedColumnList("lst_abteilung");
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_list->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    m_list->setMinimumWidth(m_list->WidthForCharacters(kVisibleCharacters));
    m_list->setMinimumHeight(m_list->fontMetrics().height() * 14);
    connect(m_list, &QListWidget::itemDoubleClicked, this, [this] { OnButton(kWeiter); });

    auto* buttons = new ButtonArray("cmd_abteilung", this);
    QPushButton* weiter = buttons->AddButton(kWeiter, "&Weiter");
    QPushButton* suchen = buttons->AddButton(kSuchen, "&Suchen");
    QPushButton* entfernen = buttons->AddButton(kEntfernen, "E&ntfernen");
    QPushButton* analyse = buttons->AddButton(kAnalyse, "&Analyse");
    QPushButton* abbrechen = buttons->AddButton(kAbbrechen, "Abbrechen");
    weiter->setDefault(true);
    connect(buttons, &ButtonArray::Clicked, this, &frmAbt::OnButton);
    auto* buttonRow = new QHBoxLayout;
    buttonRow->addStretch();
    for (QPushButton* button : {weiter, suchen, entfernen, analyse, abbrechen})
        buttonRow->addWidget(button);

    auto* layout = new QVBoxLayout(this);
    layout->setSpacing(2);
    layout->addWidget(CreateColumnHeadings(*m_list, kHeadings));
    layout->addWidget(m_list, 1);
    layout->addSpacing(8);
    layout->addLayout(buttonRow);

    LoadList();
}

void frmAbt::LoadList()
{
    m_context.Reports.SearchKey = {};
    std::vector<std::string> lines;
    try {
        for (const DepartmentLine& department : ReadDepartmentLines(m_context.Config))
            lines.push_back(department.Text);
    } catch (const std::exception& failure) {
        ShowFailure(m_context.Ui, failure, "");
    }
    ShowLines(lines);
}

void frmAbt::ShowLines(const std::vector<std::string>& lines)
{
    m_list->clear();
    for (const std::string& line : lines)
        m_list->AddLine(line);
    if (m_list->LineCount() > 0) m_list->setCurrentRow(0);
}

std::string frmAbt::CurrentLine() const
{
    return m_list->Line(m_list->currentRow());
}

std::vector<int> frmAbt::SelectedLines() const
{
    return m_list->SelectedLines();
}

int frmAbt::LineCount() const
{
    return m_list->LineCount();
}

void frmAbt::OnButton(int index)
{
    if (index == kAbbrechen) {
        reject();
        return;
    }
    try {
        if (!CheckDataImported(m_context.Config, m_context.Ui)) return;
        switch (index) {
        case kWeiter:
            OpenStays();
            break;
        case kSuchen: {
            frmPats search(m_context, *m_list, "Abteilungsebene", this);
            m_context.Windows.ShowModal(search);
            break;
        }
        case kEntfernen:
            DeleteSelected();
            break;
        case kAnalyse:
            OpenAnalysis();
            break;
        default:
            break;
        }
    } catch (const std::exception& failure) {
        ShowFailure(m_context.Ui, failure, "");
    }
}

void frmAbt::OpenStays()
{
    if (m_list->SelectedLines().size() >= 2) {
        ShowNotice(m_context.Ui, Notice::OnlyOneReport);
        return;
    }
    // Without a selection the current line is the department; a list read before the first import
    // has none.
    const std::string line = CurrentLine();
    if (line.empty()) return;
    frmPat stays(m_context, line, this);
    m_context.Windows.ShowModal(stays);
}

void frmAbt::OpenAnalysis()
{
    // Whatever is selected, also nothing: the analysis then shows its titles alone.
    std::vector<std::string> lines;
    for (int row : m_list->SelectedLines())
        lines.push_back(m_list->Line(row));
    frmAbta analysis(m_context, std::move(lines), this);
    m_context.Windows.ShowModal(analysis);
}

void frmAbt::DeleteSelected()
{
    std::vector<std::string> lines;
    std::vector<bool> selected;
    for (int row = 0; row < m_list->LineCount(); ++row) {
        lines.push_back(m_list->Line(row));
        selected.push_back(m_list->IsLineSelected(row));
    }
    const std::vector<std::string> before = lines;
    try {
        DeleteDepartments(m_context.Config, lines, selected, m_context.Ui);
    } catch (const std::exception& failure) {
        // What was deleted before the failure is gone from the list all the same.
        ShowFailure(m_context.Ui, failure, "");
    }
    // Nothing deleted (question answered No, the data locked): the selection stays as the user left it.
    if (lines != before) ShowLines(lines);
}

}  // namespace kalmora
