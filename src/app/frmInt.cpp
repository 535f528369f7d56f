#include "app/frmInt.h"

#include "toolkit/ButtonArray.h"
#include "toolkit/FieldHelpers.h"
#include "toolkit/Frame.h"
#include "toolkit/HandbookKey.h"
#include "toolkit/NamedLabel.h"
#include "toolkit/QtText.h"
#include "foundation/FailureText.h"
#include "foundation/FieldColours.h"
#include "foundation/Messages.h"
#include "scoring/Tiss28Items.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <exception>
#include <utility>

namespace kalmora {

namespace {

constexpr int kRowsPerColumn = 14;

// The items as the page shows them: two columns of 14, each sorted by its caption.
constexpr std::array<std::string_view, 28> kShownItems{
    "T28_LUNG",     "T28_SUPP_VENT",  "T28_MECH_VENT", "T28_MET_SUPP", "T28_DIAG_EX_ICU", "T28_ACT_DIU", "T28_DRAIN",
    "T28_NUT_ENT",  "T28_NUT_PARENT", "T28_L_FLUID",   "T28_URINARY",  "T28_ICP",         "T28_S_INT",   "T28_M_INT",
    "T28_CPR",      "T28_ART",        "T28_CVL",       "T28_LAB",      "T28_S_MED",       "T28_M_MED",   "T28_S_VASODR",
    "T28_M_VASODR", "T28_RENAL",      "T28_PCL",       "T28_R_DRESS",  "T28_STAND_MON",   "T28_TUBUS",   "T28_F_DRESS",
};

// First shown position of each pair of items that exclude each other; the bracket joins it with
// the next row.
constexpr std::array<int, 4> kBracketedPairs{1, 12, 18, 20};

std::size_t ItemIndexOf(std::string_view column)
{
    const auto found = std::find_if(kTiss28Items.begin(), kTiss28Items.end(),
                                    [column](const Tiss28Item& item) { return item.Column == column; });
    return static_cast<std::size_t>(found - kTiss28Items.begin());
}

QString ObjectNameOf(std::string_view column)
{
    return "chk_" + ToQt(column).toLower();
}

// The bracket that marks two items which exclude each other: a vertical stroke with short arms
// towards the check boxes on its left.
class Bracket : public QWidget {
public:
    explicit Bracket(QWidget* parent = nullptr) : QWidget(parent) { setFixedWidth(10); }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.setPen(QPen(palette().color(QPalette::WindowText), 1));
        const int top = height() / 4;
        const int bottom = height() - height() / 4;
        const int right = width() - 3;
        painter.drawLine(1, top, right, top);
        painter.drawLine(right, top, right, bottom);
        painter.drawLine(1, bottom, right, bottom);
    }
};

}  // namespace

frmInt::frmInt(AppContext& context, std::string departmentLine, QWidget* parent)
    : QDialog(parent), m_context(context), m_departmentLine(std::move(departmentLine))
{
    setObjectName("frmInt");
    setWindowTitle(" Intensivbericht - Detailansicht");
    AddHandbookKey(*this, m_context, "intensivbericht-detail");

    m_tabs = new QTabWidget;
    m_tabs->setObjectName("tab_int");
    m_tabs->addTab(CreateBaseDataPage(), "&Basisdaten");
    m_tabs->addTab(CreateTissPage(), "&TISS-28");

    m_days = new QListWidget;
    m_days->setObjectName("lst_erhebung_tiss");
    // A column of dates: the window's extra width goes to the pages, its extra height to the days.
    m_days->setFixedWidth(m_days->fontMetrics().horizontalAdvance("00.00.0000") + 40);
    auto* dayLayout = new QVBoxLayout;
    dayLayout->addWidget(m_days);
    m_dayFrame = Frame("fra_erhebung", "&Erhebungstag", dayLayout);

    auto* buttons = new ButtonArray("cmd_int", this);
    QPushButton* schliessen = buttons->AddButton(0, "Schließen");
    schliessen->setDefault(true);
    connect(buttons, &ButtonArray::Clicked, this, [this] { accept(); });

    auto* top = new QHBoxLayout;
    top->addWidget(m_tabs, 1);
    top->addWidget(m_dayFrame);
    auto* buttonRow = new QHBoxLayout;
    buttonRow->addStretch();
    buttonRow->addWidget(schliessen);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top, 1);
    layout->addLayout(buttonRow);

    // Both pages stay disabled until a page switch for a department of this installation; disabled,
    // they are still drawn as a report is read.
    for (QWidget* frame : m_pageFrames) {
        KeepNormalColoursWhileDisabled(*frame);
        frame->setEnabled(false);
    }
    for (std::string_view item : kIcuOutcomeItems)
        m_icuOutcome->addItem(ToQt(item));
    for (std::string_view item : kHospMortItems)
        m_hospMort->addItem(ToQt(item));
    m_icuOutcome->setCurrentIndex(0);
    m_hospMort->setCurrentIndex(0);

    try {
        m_detail = ReadReportDetail(m_context.Config, m_departmentLine, m_context.Reports.Stay);
    } catch (const std::exception& failure) {
        // The report shows what it has: the department, and empty fields.
        ShowFailure(m_context.Ui, failure, "");
        m_detail.Base.HospitalText = MidCharacters(m_departmentLine, 1, 28);
        m_detail.Base.DepartmentText = MidCharacters(m_departmentLine, 30, 44);
    }
    FillReportStay();

    for (const ReportDay& day : m_detail.Days)
        m_days->addItem(ToQt(day.DateText));
    connect(m_days, &QListWidget::currentRowChanged, this, [this] { FillReportDay(); });
    connect(m_days, &QListWidget::itemClicked, this, [this] { FillReportDay(); });
    if (m_days->count() > 0)
        m_days->setCurrentRow(0);
    else
        FillReportDay();

    m_dayFrame->hide();
    m_tabs->setCurrentIndex(0);
    connect(m_tabs, &QTabWidget::currentChanged, this, &frmInt::OnPageChanged);
}

QWidget* frmInt::CreateBaseDataPage()
{
    m_hospital = NamedLabel("lbl_int_ka_id", "");
    m_department = NamedLabel("lbl_int_icu_fun_id", "");
    auto* departmentLayout = new QVBoxLayout;
    departmentLayout->addWidget(m_hospital);
    departmentLayout->addWidget(m_department);

    m_kisId = NamedLabel("lbl_int_kis_id", "");
    m_dob = NamedLabel("lbl_int_dob", "");
    m_admDate = NamedLabel("lbl_int_adm_date", "");
    auto* admissionLayout = new QFormLayout;
    admissionLayout->addRow("Aufnahmezahl", m_kisId);
    admissionLayout->addRow("Geburtsdatum", m_dob);
    admissionLayout->addRow("Aufnahmezeitpunkt", m_admDate);

    m_disDate = new QLineEdit;
    m_disDate->setObjectName("txt_int_dis_date");
    m_icuOutcome = new QComboBox;
    m_icuOutcome->setObjectName("cmb_int_icu_outcome");
    auto* departmentDischarge = new QFormLayout;
    departmentDischarge->addRow("Zeitpunkt", m_disDate);
    departmentDischarge->addRow("Zustand", m_icuOutcome);

    m_hospDisDate = new QLineEdit;
    m_hospDisDate->setObjectName("txt_int_hosp_dis_date");
    m_hospMort = new QComboBox;
    m_hospMort->setObjectName("cmb_int_hosp_mort");
    auto* hospitalDischarge = new QFormLayout;
    hospitalDischarge->addRow("Datum", m_hospDisDate);
    hospitalDischarge->addRow("Zustand", m_hospMort);

    auto* frame = new QWidget;
    frame->setObjectName("fra_tab_0");
    auto* layout = new QVBoxLayout(frame);
    layout->addWidget(Frame(QString(), "Krankenanstalt / Abteilung", departmentLayout));
    layout->addWidget(Frame(QString(), "Aufnahmedaten", admissionLayout));
    auto* discharges = new QHBoxLayout;
    discharges->addWidget(Frame(QString(), "Entlassung - Abteilung", departmentDischarge));
    discharges->addWidget(Frame(QString(), "Entlassung - Krankenanstalt", hospitalDischarge));
    layout->addLayout(discharges);
    layout->addStretch();
    m_pageFrames[0] = frame;
    return frame;
}

QWidget* frmInt::CreateTissPage()
{
    // Per column: caption, check box, bracket; the columns stand side by side.
    auto* grid = new QGridLayout;
    grid->setVerticalSpacing(2);
    for (std::size_t shown = 0; shown < kShownItems.size(); ++shown) {
        const std::size_t item = ItemIndexOf(kShownItems[shown]);
        const int row = static_cast<int>(shown) % kRowsPerColumn;
        const int column = static_cast<int>(shown) / kRowsPerColumn * 4;
        auto* box = new QCheckBox;
        box->setObjectName(ObjectNameOf(kShownItems[shown]));
        auto* caption = new QLabel(ToQt(kTiss28Items[item].ReportLabel));
        caption->setBuddy(box);
        grid->addWidget(caption, row, column);
        grid->addWidget(box, row, column + 1);
        m_items[item] = box;
    }
    for (int first : kBracketedPairs)
        grid->addWidget(new Bracket, first % kRowsPerColumn, first / kRowsPerColumn * 4 + 2, 2, 1);
    grid->setColumnMinimumWidth(2, 10);
    grid->setColumnMinimumWidth(3, 24);
    grid->setColumnMinimumWidth(6, 10);

    m_score = NamedLabel("lbl_int_tiss28_score", "999");
    auto* scoreRow = new QHBoxLayout;
    scoreRow->addStretch();
    scoreRow->addWidget(new QLabel("TISS28-Score"));
    scoreRow->addSpacing(12);
    scoreRow->addWidget(m_score);
    grid->addLayout(scoreRow, kRowsPerColumn, 4, 1, 3);

    auto* legend = new QHBoxLayout;
    auto* legendBracket = new Bracket;
    legendBracket->setFixedHeight(2 * fontMetrics().height());
    legend->addWidget(legendBracket);
    legend->addWidget(new QLabel("... TISS28-Items schließen einander aus"));
    legend->addStretch();

    auto* frame = new QWidget;
    frame->setObjectName("fra_tab_1");
    auto* layout = new QVBoxLayout(frame);
    layout->addLayout(grid);
    layout->addStretch();
    layout->addLayout(legend);
    m_pageFrames[1] = frame;
    return frame;
}

void frmInt::FillReportStay()
{
    const ReportBaseData& base = m_detail.Base;
    const std::string_view origin = m_context.Reports.Stay.Origin;
    m_hospital->setText(ToQt(base.HospitalText));
    m_department->setText(ToQt(base.DepartmentText));
    m_kisId->setText(ToQt(base.KisId));
    m_dob->setText(ToQt(base.Dob));
    m_admDate->setText(ToQt(base.AdmDate));
    ApplyFieldColours(*m_disDate, origin);
    m_disDate->setText(ToQt(base.DisDate));
    ApplyFieldColours(*m_icuOutcome, origin);
    m_icuOutcome->setCurrentIndex(base.IcuOutcomeItem);
    ApplyFieldColours(*m_hospDisDate, origin);
    m_hospDisDate->setText(ToQt(base.HospDisDate));
    ApplyFieldColours(*m_hospMort, origin);
    m_hospMort->setCurrentIndex(base.HospMortItem);
}

void frmInt::FillReportDay()
{
    // No survey day: no box ticked and no score.
    const int row = m_days->currentRow();
    const ReportDay none;
    const ReportDay& day = row >= 0 && static_cast<std::size_t>(row) < m_detail.Days.size() ? m_detail.Days[row] : none;
    for (std::size_t item = 0; item < m_items.size(); ++item)
        m_items[item]->setChecked(day.Ticked[item]);
    m_score->setText(ToQt(day.ScoreText));
}

void frmInt::OnPageChanged(int page)
{
    for (QWidget* frame : m_pageFrames)
        frame->setEnabled(false);
    if (m_context.Reports.Stay.Origin == kInternalOrigin) m_pageFrames[page]->setEnabled(true);
    m_dayFrame->setVisible(page == 1);
}

}  // namespace kalmora
