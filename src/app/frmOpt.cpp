#include "app/frmOpt.h"

#include "toolkit/DirectoryLists.h"
#include "foundation/Messages.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QFocusEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTimer>
#include <QTreeView>
#include <QVBoxLayout>

namespace kalmora {

namespace {

constexpr int kDirectoriesPage = 1;

QGroupBox* Frame(const QString& objectName, const QString& caption)
{
    auto* frame = new QGroupBox(caption);
    frame->setObjectName(objectName);
    return frame;
}

QLineEdit* DateBox(const QString& objectName)
{
    auto* box = new QLineEdit;
    box->setObjectName(objectName);
    box->setMaxLength(10);
    box->setFixedWidth(box->fontMetrics().horizontalAdvance("00.00.00000") + 16);
    return box;
}

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
    connect(m_directoryList->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) { OnDirectoryChosen(current); });
    connect(m_driveList, &QComboBox::activated, this, &frmOpt::OnDriveChosen);
    // The directories around the current one arrive later, and a hidden list can't scroll: keep the
    // current one in sight when either changes.
    const auto showCurrent = [this] {
        m_directoryList->scrollTo(m_directoryList->currentIndex(), QAbstractItemView::PositionAtCenter);
    };
    connect(m_directoryModel, &QFileSystemModel::directoryLoaded, this, [this, showCurrent](const QString& path) {
        if (QFileInfo(ToQt(m_listDirectory)).absolutePath() == path) showCurrent();
    });
    connect(m_tabs, &QTabWidget::currentChanged, this, showCurrent);
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
        box->installEventFilter(this);
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

    auto* multiple = Frame("Frame1", "MehrfachTISS an einem Erhebungstag");
    m_multipleTiss = new QCheckBox("nur einen TISS-Wert zählen (Maximum)");
    m_multipleTiss->setObjectName("chk_multipletiss");
    (new QVBoxLayout(multiple))->addWidget(m_multipleTiss);
    grid->addWidget(multiple, 3, 0);

    auto* replacement = Frame("Frame14", "Einstufung - TISS-Ersatzpunkte");
    m_mTiss = new QCheckBox("fehlende TISS-Tage auffüllen");
    m_mTiss->setObjectName("chk_mtiss");
    (new QVBoxLayout(replacement))->addWidget(m_mTiss);
    grid->addWidget(replacement, 3, 1);

    grid->setRowStretch(4, 1);
    return page;
}

QWidget* frmOpt::CreateDirectoriesPage()
{
    auto* page = new QWidget;
    auto* grid = new QGridLayout(page);

    auto* importFrame = Frame("fra_tab_3", "Importverzeichnis");
    m_importLabel = DirectoryLabel("lbl_import");
    (new QVBoxLayout(importFrame))->addWidget(m_importLabel);
    grid->addWidget(importFrame, 0, 0, 1, 2);

    auto* exportFrame = Frame("fra_tab_2", "Export-/Protokollverzeichnis");
    m_exportLabel = DirectoryLabel("lbl_export");
    (new QVBoxLayout(exportFrame))->addWidget(m_exportLabel);
    grid->addWidget(exportFrame, 1, 0, 1, 2);

    auto* change = Frame("fra_tab_4", "Ändern");
    m_directoryOption[0] = new QRadioButton(" Einstellung - Importverzeichnis");
    m_directoryOption[1] = new QRadioButton(" Einstellung - Export-/Protokollverzeichnis");
    auto* changeRows = new QVBoxLayout(change);
    for (int index = 0; index < 2; ++index) {
        m_directoryOption[index]->setObjectName(QString("opt_verzeichnis_%1").arg(index));
        changeRows->addWidget(m_directoryOption[index]);
    }

    auto* drive = Frame("fra_tab_1", "Laufwerk");
    m_volumeRoots = MountedVolumeRoots();
    m_driveList = CreateDriveList("lst_drive", m_volumeRoots);
    (new QVBoxLayout(drive))->addWidget(m_driveList);

    auto* leftColumn = new QVBoxLayout;
    leftColumn->addWidget(change);
    leftColumn->addWidget(drive);
    leftColumn->addStretch();
    grid->addLayout(leftColumn, 2, 0);

    auto* choice = Frame("fra_tab_0", "Auswahl");
    m_directoryList = CreateDirectoryList("lst_dir", m_directoryModel, this);
    m_directoryList->setMinimumSize(320, 220);
    (new QVBoxLayout(choice))->addWidget(m_directoryList);
    grid->addWidget(choice, 2, 1);
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
    MoveListsTo(DirectoryToBrowse(FromQt(labelText), FromQt(QDir::homePath())).string());
}

void frmOpt::MoveListsTo(const std::string& directory)
{
    m_movingLists = true;
    m_listDirectory = directory;
    const QModelIndex index = m_directoryModel->index(ToQt(directory));
    m_directoryList->setCurrentIndex(index);
    if (index.isValid()) {
        m_directoryList->expand(index);
        m_directoryList->scrollTo(index);
    }
    const auto volume = VolumeOf(directory, m_volumeRoots);
    m_driveList->setCurrentIndex(m_driveList->findText(ToQt(volume)));
    m_movingLists = false;
}

void frmOpt::OnDirectoryChosen(const QModelIndex& index)
{
    if (m_movingLists || !index.isValid()) return;
    const std::string directory = FromQt(m_directoryModel->filePath(index));
    if (!DirectoryReadable(directory)) {
        ShowNotice(m_context.Ui, kUnreadableDirectoryNotice);
        MoveListsTo(m_listDirectory);
        return;
    }
    MoveListsTo(directory);
    EditedLabel().setText(ToQt(directory));
}

void frmOpt::OnDriveChosen(int row)
{
    if (row < 0 || row >= static_cast<int>(m_volumeRoots.size())) return;
    const std::string root = m_volumeRoots[static_cast<std::size_t>(row)];
    if (!DirectoryReadable(root)) {
        ShowNotice(m_context.Ui, kUnreadableDirectoryNotice);
        MoveListsTo(m_listDirectory);
        return;
    }
    MoveListsTo(root);
    EditedLabel().setText(ToQt(root));
}

bool frmOpt::eventFilter(QObject* watched, QEvent* event)
{
    auto* box = qobject_cast<QLineEdit*>(watched);
    if (box == nullptr || (box != m_vonDatum && box != m_bisDatum)) return QDialog::eventFilter(watched, event);

    if (event->type() == QEvent::FocusIn) {
        // Later, so that the click that brought the focus does not undo the selection.
        QTimer::singleShot(0, box, [box] { box->selectAll(); });
    } else if (event->type() == QEvent::FocusOut) {
        const auto reason = static_cast<QFocusEvent*>(event)->reason();
        // Another window coming to the front is no leaving of the box, and neither is the focus
        // going back into a refused box: else two refused boxes would take it from each other.
        if (!m_reportingDate && reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) {
            // Checked once the click that moved the focus is done: a click on "OK" checks the box
            // itself, and one on "Abbrechen" closes the dialog without it.
            QTimer::singleShot(0, this, [this, box] {
                if (isVisible() && !box->hasFocus()) ApplyDateBox(*box);
            });
        }
    }
    return QDialog::eventFilter(watched, event);
}

bool frmOpt::ApplyDateBox(QLineEdit& box)
{
    if (m_reportingDate) return false;
    if (const auto shown = ValidateDateBox(FromQt(box.text()))) {
        if (ToQt(*shown) != box.text()) box.setText(ToQt(*shown));
        return true;
    }
    m_reportingDate = true;
    ShowGeneralError(m_context.Ui, kInvalidDateText);
    m_tabs->setCurrentIndex(0);
    box.setFocus(Qt::OtherFocusReason);
    m_reportingDate = false;
    return false;
}

void frmOpt::OnOk()
{
    // A date typed and confirmed with Enter never left its box; it must not be stored unchecked.
    if (!ApplyDateBox(*m_vonDatum) || !ApplyDateBox(*m_bisDatum)) return;
    if (AskConfirmation(m_context.Ui, 3) != kAnswerYes) {
        reject();
        return;
    }
    SaveOptions(CurrentValues(), m_context.Config, m_context.IniFile, m_context.Ui);
    accept();
}

}  // namespace kalmora
