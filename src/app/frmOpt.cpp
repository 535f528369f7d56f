#include "app/frmOpt.h"

#include "toolkit/CheckedFields.h"
#include "toolkit/DateBox.h"
#include "toolkit/DirectoryBrowser.h"
#include "toolkit/Frame.h"
#include "toolkit/HandbookKey.h"
#include "toolkit/QtText.h"
#include "foundation/Messages.h"
#include "foundation/Utf8Path.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTreeView>
#include <QVBoxLayout>

namespace kalmora {

namespace {

constexpr int kDirectoriesPage = 1;

// The label being edited is white, the other one has the colour of button faces.
void MarkEdited(QLabel& label, bool edited)
{
    QPalette palette = label.palette();
    palette.setColor(QPalette::Window, edited ? QColor(Qt::white) : QApplication::palette().color(QPalette::Button));
    palette.setColor(QPalette::WindowText, QColor(Qt::black));
    label.setAutoFillBackground(true);
    label.setPalette(palette);
}

QLabel* DirectoryLabel(const QString& objectName)
{
    auto* label = new QLabel;
    label->setObjectName(objectName);
    label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    label->setMinimumHeight(label->fontMetrics().height() + 8);
    label->setMargin(2);
    return label;
}

}  // namespace

frmOpt::frmOpt(AppContext& context, QWidget* parent) : QDialog(parent), m_context(context)
{
    setObjectName("frmOpt");
    setWindowTitle(" Extras - Optionen");
    AddHandbookKey(*this, m_context, "optionen");
    m_fields = new CheckedFields(*this);

    m_tabs = new QTabWidget;
    m_tabs->setObjectName("tab_opt");
    m_tabs->addTab(CreateSettingsPage(), "&Einstellungen");
    m_tabs->addTab(CreateDirectoriesPage(), "&Verzeichnisse");

    auto* ok = new QPushButton("OK");
    ok->setObjectName("cmd_verzeichnis_0");
    ok->setDefault(true);
    auto* cancel = new QPushButton("Abbrechen");
    cancel->setObjectName("cmd_verzeichnis_1");
    connect(ok, &QPushButton::clicked, this, &frmOpt::OnOk);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_tabs);
    layout->addLayout(buttons);

    LoadValues();

    for (int index = 0; index < 2; ++index) {
        connect(m_directoryOption[index], &QRadioButton::toggled, this, [this, index](bool checked) {
            if (checked) ChooseDirectoryOption(index);
        });
    }
    connect(m_directories, &DirectoryBrowser::Chosen, this,
            [this](const std::filesystem::path& directory) { EditedLabel().setText(PathToQt(directory)); });
}

void frmOpt::ShowDirectoriesPage()
{
    m_tabs->setCurrentIndex(kDirectoriesPage);
}

QWidget* frmOpt::CreateSettingsPage()
{
    auto* page = new QWidget;
    auto* grid = new QGridLayout(page);

    const auto datePeriod = [](const QString& frameName, const QString& caption, const QString& labelName,
                               const QString& labelText, QLineEdit* box) {
        auto* frame = Frame(frameName, caption);
        auto* label = new QLabel(labelText);
        label->setObjectName(labelName);
        label->setBuddy(box);
        auto* row = new QHBoxLayout(frame);
        row->addWidget(label);
        row->addStretch();
        row->addWidget(box);
        return frame;
    };
    m_vonDatum = DateBox("txt_vondatum");
    m_bisDatum = DateBox("txt_bisdatum");
    for (QLineEdit* box : {m_vonDatum, m_bisDatum})
        m_fields->CheckOnLeaving(*box, [this](QLineEdit& left) { return CheckDateBox(left); });
    grid->addWidget(datePeriod("fra_tab_8", "Einstufung von", "Label4_0", "Erhebungszeitraum - Beginn", m_vonDatum), 0,
                    0);
    grid->addWidget(datePeriod("fra_tab_9", "Einstufung bis", "Label4_1", "Erhebungszeitraum - Ende", m_bisDatum), 0,
                    1);

    auto* plausibility = Frame("fra_tab_5", "Basisplausibilität");
    m_plaus[0] = new QRadioButton(" Strenge Prüfung (Error)");
    m_plaus[1] = new QRadioButton(" Weniger strenge Prüfung (Warning)");
    auto* plausibilityRows = new QVBoxLayout(plausibility);
    for (int index : {1, 0}) {
        m_plaus[index]->setObjectName(QString("opt_plaus_%1").arg(index));
        plausibilityRows->addWidget(m_plaus[index]);
    }
    grid->addWidget(plausibility, 1, 0, 1, 2);

    auto* minimumHours = Frame("fra_tab_7", "Einstufung - Mindeststunden");
    auto* minimumHoursText = new QLabel("Mindeststunden für 0-Tagespatienten mit normaler Entlassung zur Einstufung");
    minimumHoursText->setObjectName("Label3");
    minimumHoursText->setWordWrap(true);
    m_mindestStunden = new QComboBox;
    m_mindestStunden->setObjectName("cmb_mindeststunden");
    for (int hours = 0; hours < kMindestStdEntries; ++hours)
        m_mindestStunden->addItem(QString::number(hours));
    minimumHoursText->setBuddy(m_mindestStunden);
    auto* minimumHoursRow = new QHBoxLayout(minimumHours);
    minimumHoursRow->addWidget(minimumHoursText, 1);
    minimumHoursRow->addWidget(m_mindestStunden);
    grid->addWidget(minimumHours, 2, 0, 1, 2);

    m_multipleTiss = new QCheckBox("nur einen TISS-Wert zählen (Maximum)");
    m_multipleTiss->setObjectName("chk_multipletiss");
    grid->addWidget(Frame("Frame1", "MehrfachTISS an einem Erhebungstag", m_multipleTiss), 3, 0);

    m_mTiss = new QCheckBox("fehlende TISS-Tage auffüllen");
    m_mTiss->setObjectName("chk_mtiss");
    grid->addWidget(Frame("Frame14", "Einstufung - TISS-Ersatzpunkte", m_mTiss), 3, 1);

    grid->setRowStretch(4, 1);
    return page;
}

QWidget* frmOpt::CreateDirectoriesPage()
{
    auto* page = new QWidget;
    auto* grid = new QGridLayout(page);

    m_importLabel = DirectoryLabel("lbl_import");
    grid->addWidget(Frame("fra_tab_3", "Importverzeichnis", m_importLabel), 0, 0, 1, 2);
    m_exportLabel = DirectoryLabel("lbl_export");
    grid->addWidget(Frame("fra_tab_2", "Export-/Protokollverzeichnis", m_exportLabel), 1, 0, 1, 2);

    auto* change = Frame("fra_tab_4", "Ändern");
    m_directoryOption[0] = new QRadioButton(" Einstellung - Importverzeichnis");
    m_directoryOption[1] = new QRadioButton(" Einstellung - Export-/Protokollverzeichnis");
    auto* changeRows = new QVBoxLayout(change);
    for (int index = 0; index < 2; ++index) {
        m_directoryOption[index]->setObjectName(QString("opt_verzeichnis_%1").arg(index));
        changeRows->addWidget(m_directoryOption[index]);
    }

    m_directories = new DirectoryBrowser(
        "lst_drive", "lst_dir", [this](const std::filesystem::path& directory) { return AcceptDirectory(directory); });
    m_directories->DirectoryList().setMinimumSize(320, 220);

    auto* leftColumn = new QVBoxLayout;
    leftColumn->addWidget(change);
    leftColumn->addWidget(Frame("fra_tab_1", "Laufwerk", &m_directories->DriveList()));
    leftColumn->addStretch();
    grid->addLayout(leftColumn, 2, 0);

    grid->addWidget(Frame("fra_tab_0", "Auswahl", m_directories), 2, 1);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(2, 1);
    return page;
}

void frmOpt::LoadValues()
{
    const OptionsValues values = LoadOptions(m_context.Config);

    MarkEdited(*m_importLabel, false);
    MarkEdited(*m_exportLabel, true);
    m_directoryOption[1]->setChecked(true);
    m_exportLabel->setText(ToQt(values.ExportDirectory));
    PointListsAt(m_exportLabel->text());
    m_importLabel->setText(ToQt(values.ImportDirectory));

    m_plaus[values.StrictPlausibility ? 0 : 1]->setChecked(true);
    m_mindestStunden->setCurrentIndex(values.MindestStdIndex);
    m_vonDatum->setText(ToQt(values.Erhebungvon));
    m_bisDatum->setText(ToQt(values.Erhebungbis));
    m_multipleTiss->setChecked(values.MehrfachTISS);
    m_mTiss->setChecked(values.ErsatzTISS);
}

OptionsValues frmOpt::CurrentValues() const
{
    OptionsValues values;
    values.ImportDirectory = FromQt(m_importLabel->text());
    values.ExportDirectory = FromQt(m_exportLabel->text());
    values.StrictPlausibility = m_plaus[0]->isChecked();
    values.MindestStdIndex = m_mindestStunden->currentIndex();
    values.Erhebungvon = FromQt(m_vonDatum->text());
    values.Erhebungbis = FromQt(m_bisDatum->text());
    values.MehrfachTISS = m_multipleTiss->isChecked();
    values.ErsatzTISS = m_mTiss->isChecked();
    return values;
}

void frmOpt::ChooseDirectoryOption(int index)
{
    MarkEdited(*m_importLabel, index == 0);
    MarkEdited(*m_exportLabel, index == 1);
    PointListsAt(EditedLabel().text());
}

QLabel& frmOpt::EditedLabel() const
{
    return m_directoryOption[0]->isChecked() ? *m_importLabel : *m_exportLabel;
}

void frmOpt::PointListsAt(const QString& labelText)
{
    m_directories->MoveTo(DirectoryToBrowse(FromQt(labelText), PathFromQt(QDir::homePath())));
}

bool frmOpt::AcceptDirectory(const std::filesystem::path& directory)
{
    if (!DirectoryReadable(directory)) {
        ShowNotice(m_context.Ui, Notice::UnreadableDirectory);
        return false;
    }
    // The settings file would cut a longer path, and the program would then look somewhere else.
    if (const auto tooLong = PathTooLongForSettings(Utf8Of(directory))) {
        ShowGeneralError(m_context.Ui, " " + *tooLong);
        return false;
    }
    return true;
}

bool frmOpt::CheckDateBox(QLineEdit& box)
{
    if (ApplyDateBox(box, m_context.Ui)) return true;
    m_tabs->setCurrentIndex(0);
    return false;
}

void frmOpt::OnOk()
{
    // A date typed and confirmed with Enter never left its box; it must not be stored unchecked.
    if (!m_fields->Check(*m_vonDatum) || !m_fields->Check(*m_bisDatum)) return;
    if (AskConfirmation(m_context.Ui, Question::SaveChanges) != MessageAnswer::Yes) {
        reject();
        return;
    }
    SaveOptions(CurrentValues(), m_context.Config, m_context.IniFile, m_context.Ui);
    accept();
}

}  // namespace kalmora
