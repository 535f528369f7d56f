#include "app/frmImp.h"

#include "toolkit/ButtonArray.h"
#include "toolkit/DirectoryLists.h"
#include "toolkit/PathLabel.h"
#include "shell/OptionsValues.h"
#include "app/frmMain.h"
#include "foundation/Settings.h"
#include "import/ImportRun.h"
#include "import/ImportStart.h"

#include <QComboBox>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QTreeView>
#include <QVBoxLayout>

namespace kalmora {

namespace {

enum ImpButton { kImport = 0, kAbbrechen = 1 };

QGroupBox* Frame(const QString& objectName, const QString& caption, QWidget* content)
{
    auto* frame = new QGroupBox(caption);
    frame->setObjectName(objectName);
    (new QVBoxLayout(frame))->addWidget(content);
    return frame;
}

}  // namespace

frmImp::frmImp(AppContext& context, ImportRun& run, frmMain& mainWindow)
    : QDialog(&mainWindow), m_context(context), m_run(run), m_mainWindow(mainWindow)
{
    setObjectName("frmImp");
    setWindowTitle(" Datei - Import");

    m_fileList = new QListWidget;
    m_fileList->setObjectName("lst_file");
    m_fileList->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_fileList->setMinimumSize(260, 280);
    connect(m_fileList, &QListWidget::itemDoubleClicked, this, [this] { OnImport(); });

    m_volumeRoots = MountedVolumeRoots();
    m_driveList = CreateDriveList("lst_drive", m_volumeRoots);
    connect(m_driveList, &QComboBox::activated, this, &frmImp::OnDriveChosen);

    m_directoryList = CreateDirectoryList("lst_dir", m_directoryModel, this);
    m_directoryList->setMinimumSize(300, 200);
    // The tree alone hides where the user is once the path is longer than the list is high.
    m_directoryPath = new PathLabel("lbl_dir");
    connect(m_directoryList->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) { OnDirectoryChosen(current); });
    // The directories around the current one arrive later: keep the current one in sight.
    connect(m_directoryModel, &QFileSystemModel::directoryLoaded, this, [this](const QString& path) {
        // Rows are sorted after they arrive, which moves them: scroll once that is done.
        if (ToQt(m_listDirectory.string()).startsWith(path)) QTimer::singleShot(0, this, &frmImp::ShowCurrentDirectory);
    });

    m_protocol = new QLineEdit(ToQt(kDefaultProtocolFileName));
    m_protocol->setObjectName("txt_protocol");
    m_protocol->installEventFilter(this);

    auto* options = new QGroupBox("Bei bereits im System bestehenden Daten");
    options->setObjectName("fra_import");
    auto* optionRows = new QVBoxLayout(options);
    const std::array<QString, 2> optionTexts{"Neudaten anfügen, bestehende Daten aktualisieren",
                                             "Gesamten Datenbestand der Abteilung initialisieren"};
    for (int index = 0; index < 2; ++index) {
        m_importOption[index] = new QRadioButton(optionTexts[index]);
        m_importOption[index]->setObjectName(ArrayElementName("opt_import", index));
        optionRows->addWidget(m_importOption[index]);
    }
    m_importOption[0]->setChecked(true);

    auto* buttons = new ButtonArray("cmd_imp", this);
    QPushButton* import = buttons->AddButton(kImport, "Import");
    QPushButton* cancel = buttons->AddButton(kAbbrechen, "Abbrechen");
    import->setDefault(true);
    connect(buttons, &ButtonArray::Clicked, this, &frmImp::OnButton);

    auto* grid = new QGridLayout;
    grid->addWidget(Frame("fra_file", "&Dateiname", m_fileList), 0, 0, 2, 1);
    auto* directoryFrame = Frame("fra_dir", "&Verzeichnis", m_directoryList);
    qobject_cast<QBoxLayout*>(directoryFrame->layout())->insertWidget(0, m_directoryPath);
    grid->addWidget(directoryFrame, 0, 1);
    grid->addWidget(Frame("fra_drive", "&Laufwerk", m_driveList), 1, 1);
    grid->addWidget(Frame("fra_protocol", "&Protokolldatei", m_protocol), 2, 0);
    grid->addWidget(options, 2, 1);
    grid->setColumnStretch(0, 2);
    grid->setColumnStretch(1, 3);
    grid->setRowStretch(0, 1);

    auto* buttonRow = new QHBoxLayout;
    buttonRow->addStretch();
    buttonRow->addWidget(import);
    buttonRow->addWidget(cancel);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(buttonRow);

    OpenLists();
}

void frmImp::OpenLists()
{
    if (auto directory = OpenImportDirectory(m_context.Config, m_context.IniFile, m_context.Ui)) {
        MoveListsTo(*directory);
        return;
    }
    // Neither the import nor the system data directory is there: the user chooses one.
    MoveListsTo(DirectoryToBrowse("", FromQt(QDir::homePath())));
}

void frmImp::MoveListsTo(const std::filesystem::path& directory)
{
    m_movingLists = true;
    m_listDirectory = directory;
    m_directoryPath->SetPath(QDir::toNativeSeparators(ToQt(directory.string())));
    const QModelIndex index = m_directoryModel->index(ToQt(directory.string()));
    m_directoryList->setCurrentIndex(index);
    // The directories on the way are opened too, so that the current one shows among its neighbours.
    for (QModelIndex open = index; open.isValid(); open = open.parent())
        m_directoryList->expand(open);
    if (index.isValid()) m_directoryList->scrollTo(index);
    m_driveList->setCurrentIndex(m_driveList->findText(ToQt(VolumeOf(directory.string(), m_volumeRoots))));
    FillFileList();
    m_movingLists = false;
}

void frmImp::ShowCurrentDirectory()
{
    m_directoryList->scrollTo(m_directoryList->currentIndex(), QAbstractItemView::PositionAtCenter);
}

void frmImp::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    // A hidden list can't scroll: the directories may have arrived before the dialog was shown.
    QTimer::singleShot(0, this, &frmImp::ShowCurrentDirectory);
}

void frmImp::FillFileList()
{
    m_fileList->clear();
    for (const auto& name : ImportFileEntries(m_listDirectory))
        m_fileList->addItem(ToQt(name));
}

void frmImp::OnDirectoryChosen(const QModelIndex& index)
{
    if (m_movingLists || !index.isValid()) return;
    const std::filesystem::path directory = FromQt(m_directoryModel->filePath(index));
    // A directory that can't be listed has no files to offer; the lists stay where they were.
    MoveListsTo(ImportDirectoryAvailable(directory) ? directory : m_listDirectory);
}

void frmImp::OnDriveChosen(int row)
{
    if (row < 0 || row >= static_cast<int>(m_volumeRoots.size())) return;
    const std::filesystem::path root = m_volumeRoots[static_cast<std::size_t>(row)];
    // A drive that is not ready puts the drive list back, without a word.
    MoveListsTo(ImportDirectoryAvailable(root) ? root : m_listDirectory);
}

std::vector<std::filesystem::path> frmImp::SelectedFiles() const
{
    std::vector<std::filesystem::path> files;
    for (int row = 0; row < m_fileList->count(); ++row) {
        const QListWidgetItem* entry = m_fileList->item(row);
        if (entry->isSelected()) files.push_back(DataFilePath(m_listDirectory.string(), FromQt(entry->text())));
    }
    return files;
}

void frmImp::OnButton(int index)
{
    if (index == kImport) {
        OnImport();
        return;
    }
    m_mainWindow.SetTag("");
    QDialog::reject();
}

void frmImp::OnImport()
{
    if (m_running) return;
    m_mainWindow.SetTag("");
    const auto files = SelectedFiles();
    const std::string protocolName = FromQt(m_protocol->text());
    const bool initialise = !m_importOption[0]->isChecked();
    const ImportStart start = CheckImportStart(files.size(), protocolName, initialise, m_context.Config, m_context.Ui);
    if (start == ImportStart::StopAtProtocolName) m_protocol->setFocus(Qt::OtherFocusReason);
    if (start != ImportStart::Go) return;

    m_mainWindow.SetTag(kImportResultTag);
    m_running = true;
    const bool completed =
        RunImport(m_run, files, protocolName, initialise, ImportEnvironment{m_context.Config, m_context.Ui});
    m_running = false;
    if (!completed) {
        // The reason has been shown; a stopped run has no results to show, and the user may try again.
        m_mainWindow.SetTag("");
        return;
    }
    accept();
}

void frmImp::reject()
{
    // The close box or Escape during a run would leave the run without its window.
    if (m_running) return;
    QDialog::reject();
}

bool frmImp::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_protocol && event->type() == QEvent::FocusIn) {
        // Later, so that the click that brought the focus does not undo the selection.
        QTimer::singleShot(0, m_protocol, [box = m_protocol] { box->selectAll(); });
    }
    return QDialog::eventFilter(watched, event);
}

}  // namespace kalmora
