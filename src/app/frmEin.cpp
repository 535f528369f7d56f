#include "app/frmEin.h"

#include "toolkit/ButtonArray.h"
#include "toolkit/CheckedFields.h"
#include "toolkit/DateBox.h"
#include "toolkit/FixedColumnList.h"
#include "toolkit/Frame.h"
#include "toolkit/HandbookKey.h"
#include "toolkit/NamedLabel.h"
#include "toolkit/QtText.h"
#include "shell/OptionsValues.h"
#include "app/frmAbtB.h"
#include "app/frmEine.h"
#include "app/frmOpt.h"
#include "foundation/FailureText.h"
#include "foundation/Conversions.h"
#include "foundation/Messages.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <array>
#include <exception>

namespace kalmora {

namespace {

enum EinButton { kAbteilung = 0, kVoreinstellungen = 1, kEinstufung = 2, kAbbrechen = 3 };

// Characters of an entry the list shows without scrolling: up to a long department name.
constexpr int kVisibleCharacters = 130;

constexpr std::array<ColumnHeading, 6> kHeadings{{
    {" Krankenanstalt ", 0, 26, false},
    {" DGKP ", 29, 34, true},
    {" sBetten ", 39, 41, true},
    {" DGKP/sBett ", 47, 51, true},
    {" Voreinstufung ", 60, 61, true},
    {" Abteilung ", 68, 178, false},
}};

}  // namespace

frmEin::frmEin(AppContext& context, QWidget* parent) : QDialog(parent), m_context(context)
{
    setObjectName("frmEin");
    setWindowTitle(" Extras - Einstufung");
    AddHandbookKey(*this, m_context, "einstufung-dialog");

    m_list = new FixedColumnList("lst_abteilung");
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_list->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    m_list->setMinimumWidth(m_list->WidthForCharacters(kVisibleCharacters));
    m_list->setMinimumHeight(m_list->fontMetrics().height() * 12);
    connect(m_list, &QListWidget::itemDoubleClicked, this, [this] { EditDepartment(); });
    m_headings = CreateColumnHeadings(*m_list, kHeadings);

    m_vonDatum = DateBox("txt_vondatum");
    m_bisDatum = DateBox("txt_bisdatum");
    m_fields = new CheckedFields(*this);
    for (QLineEdit* box : {m_vonDatum, m_bisDatum})
        m_fields->CheckOnLeaving(*box, [this](QLineEdit& left) { return ApplyDateBox(left, m_context.Ui); });

    m_mindestStunden = new QComboBox;
    m_mindestStunden->setObjectName("cmb_mindeststunden");
    for (int hours = 0; hours < kMindestStdEntries; ++hours)
        m_mindestStunden->addItem(QString::number(hours));
    auto* hoursLabel = NamedLabel("Label3", "Mindeststunden für 0-Tagespatienten");
    hoursLabel->setBuddy(m_mindestStunden);
    auto* hoursFrame = Frame("fra_tab", "Einstufung - Mindeststunden");
    auto* hoursRow = new QHBoxLayout(hoursFrame);
    hoursRow->addWidget(hoursLabel);
    hoursRow->addStretch();
    hoursRow->addWidget(m_mindestStunden);

    m_multipleTiss = new QCheckBox("nur einen TISS-Wert zählen (Maximum)");
    m_multipleTiss->setObjectName("chk_multipletiss");
    m_mTiss = new QCheckBox("fehlende TISS-Tage auffüllen");
    m_mTiss->setObjectName("chk_mtiss");

    auto* fields = new QGridLayout;
    fields->addWidget(Frame("Frame2", "Zeitraum von", m_vonDatum), 0, 0);
    fields->addWidget(Frame("Frame3", "Zeitraum bis", m_bisDatum), 0, 1);
    fields->addWidget(hoursFrame, 0, 2);
    fields->addWidget(Frame("Frame1", "MehrfachTISS an einem Erhebungstag", m_multipleTiss), 1, 0, 1, 2);
    fields->addWidget(Frame("Frame14", "Einstufung - TISS-Ersatzpunkte", m_mTiss), 1, 2);

    auto* buttons = new ButtonArray("cmd_ein", this);
    QPushButton* edit = buttons->AddButton(kAbteilung, "Abteilung bearbeiten");
    QPushButton* settings = buttons->AddButton(kVoreinstellungen, "Voreinstellungen ändern");
    QPushButton* classify = buttons->AddButton(kEinstufung, "Einstufung");
    QPushButton* cancel = buttons->AddButton(kAbbrechen, "Abbrechen");
    classify->setDefault(true);
    connect(buttons, &ButtonArray::Clicked, this, &frmEin::OnButton);
    auto* buttonColumn = new QVBoxLayout;
    for (QPushButton* button : {edit, settings, classify, cancel})
        buttonColumn->addWidget(button);
    buttonColumn->addStretch();

    auto* lower = new QHBoxLayout;
    lower->addLayout(fields, 1);
    lower->addSpacing(12);
    lower->addLayout(buttonColumn);

    auto* layout = new QVBoxLayout(this);
    layout->setSpacing(2);
    layout->addWidget(m_headings);
    layout->addWidget(m_list, 1);
    layout->addSpacing(8);
    layout->addLayout(lower);

    LoadList();
    ShowSettings();
}

void frmEin::LoadList()
{
    m_list->clear();
    m_departments.clear();
    try {
        m_departments = ClassifiableDepartments(m_context.Config, m_context.Ui);
    } catch (const std::exception& failure) {
        // The admin database could not be read: that, not an empty list, is what the user learns.
        ShowFailure(m_context.Ui, failure, "");
        m_context.Ui.SetStatusText(1, " Bereit");
        return;
    }
    for (const DepartmentEntry& department : m_departments)
        m_list->AddLine(department.Text);
    if (m_departments.empty()) {
        ShowNotice(m_context.Ui, Notice::NoDischargedPatients);
        return;
    }
    m_list->setCurrentRow(0);
}

void frmEin::ShowSettings()
{
    const OptionsValues values = LoadOptions(m_context.Config);
    m_mindestStunden->setCurrentIndex(values.MindestStdIndex);
    m_vonDatum->setText(ToQt(values.Erhebungvon));
    m_bisDatum->setText(ToQt(values.Erhebungbis));
    m_multipleTiss->setChecked(values.MehrfachTISS);
    m_mTiss->setChecked(values.ErsatzTISS);
}

void frmEin::OnButton(int index)
{
    switch (index) {
    case kAbteilung:
        EditDepartment();
        break;
    case kVoreinstellungen:
        ChangeSettings();
        break;
    case kEinstufung:
        Classify();
        break;
    default:
        reject();
        break;
    }
}

void frmEin::EditDepartment()
{
    // An empty list has no department to edit.
    const int row = m_list->currentRow();
    if (row < 0 || row >= static_cast<int>(m_departments.size())) return;
    frmAbtB baseData(m_context, m_departments[static_cast<std::size_t>(row)], this);
    if (m_context.Windows.ShowModal(baseData) != QDialog::Accepted) return;
    m_departments[static_cast<std::size_t>(row)] = baseData.Entry();
    // The selection stays on the entry: only its text changes.
    m_list->item(row)->setText(ToQt(baseData.Entry().Text));
}

void frmEin::ChangeSettings()
{
    // This window stays open behind the options: hiding a running modal dialog would end it.
    frmOpt options(m_context, this);
    m_context.Windows.ShowModal(options);
    // The options may have changed the classification settings.
    ShowSettings();
}

void frmEin::Classify()
{
    // A date typed and confirmed with Enter never left its box; it must not be taken unchecked.
    if (!m_fields->Check(*m_vonDatum) || !m_fields->Check(*m_bisDatum)) return;
    Settings& config = m_context.Config;
    config.Erhebungvon = ParseDisplayDate(FromQt(m_vonDatum->text()), 8);
    config.Erhebungbis = ParseDisplayDate(FromQt(m_bisDatum->text()), 8);
    config.MindestStd = FromQt(m_mindestStunden->currentText().trimmed());
    config.MehrfachTISS = m_multipleTiss->isChecked() ? "J" : "N";
    config.ErsatzTISS = m_mTiss->isChecked() ? "J" : "N";

    std::vector<DepartmentEntry> selected;
    for (int row : m_list->SelectedLines())
        selected.push_back(m_departments[static_cast<std::size_t>(row)]);
    frmEine result(m_context, std::move(selected), this);
    m_context.Windows.ShowModal(result);
}

}  // namespace kalmora
