#include "app/frmImp.h"

#include "toolkit/ButtonArray.h"
#include "toolkit/CheckedFields.h"
#include "toolkit/DirectoryBrowser.h"
#include "toolkit/Frame.h"
#include "toolkit/HandbookKey.h"
#include "toolkit/QtText.h"
#include "toolkit/ReentryGuard.h"
#include "shell/OptionsValues.h"
#include "app/frmMain.h"
#include "foundation/Settings.h"
#include "import/ImportRun.h"
#include "import/ImportStart.h"
#include "foundation/Utf8Path.h"

#include <QComboBox>
#include <QDir>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeView>
#include <QVBoxLayout>

namespace kalmora {

namespace {

enum ImpButton { kImport = 0, kAbbrechen = 1 };

}  // namespace

frmImp::frmImp(AppContext& context, ImportRun& run, frmMain& mainWindow)
    : QDialog(&mainWindow), m_context(context), m_run(run), m_mainWindow(mainWindow)
{
    setObjectName("frmImp");
    setWindowTitle(" Datei - Import");
    AddHandbookKey(*this, m_context, "import-dialog");

    m_fileList = new QListWidget;
    m_fileList->setObjectName("lst_file");
    m_fileList->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_fileList->setMinimumSize(260, 280);
    connect(m_fileList, &QListWidget::itemDoubleClicked, this, [this] { OnImport(); });

    // A directory or drive that can't be listed has no files to offer: the lists stay, without a word.
    m_directories = new DirectoryBrowser("lst_drive", "lst_dir", &ImportDirectoryAvailable, "lbl_dir");
    m_directories->DirectoryList().setMinimumSize(300, 200);
    connect(m_directories, &DirectoryBrowser::Moved, this, &frmImp::FillFileList);

    m_protocol = new QLineEdit(ToQt(kDefaultProtocolFileName));
    m_protocol->setObjectName("txt_protocol");
    m_fields = new CheckedFields(*this);
    m_fields->SelectOnFocus(*m_protocol);

    auto* options = Frame("fra_import", "Bei bereits im System bestehenden Daten");
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
    grid->addWidget(Frame("fra_dir", "&Verzeichnis", m_directories), 0, 1);
    grid->addWidget(Frame("fra_drive", "&Laufwerk", &m_directories->DriveList()), 1, 1);
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
        m_directories->MoveTo(*directory);
        return;
    }
    // Neither the import nor the system data directory is there: the user chooses one.
    m_directories->MoveTo(DirectoryToBrowse("", PathFromQt(QDir::homePath())));
}

const std::filesystem::path& frmImp::FileListDirectory() const
{
    return m_directories->Directory();
}

void frmImp::FillFileList()
{
    m_fileList->clear();
    for (const auto& name : ImportFileEntries(FileListDirectory()))
        m_fileList->addItem(ToQt(name));
}

std::vector<std::filesystem::path> frmImp::SelectedFiles() const
{
    std::vector<std::filesystem::path> files;
    for (int row = 0; row < m_fileList->count(); ++row) {
        const QListWidgetItem* entry = m_fileList->item(row);
        if (entry->isSelected()) files.push_back(DataFilePath(Utf8Of(FileListDirectory()), FromQt(entry->text())));
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
    bool completed = false;
    {
        const ReentryGuard running(m_running);
        completed =
            RunImport(m_run, files, protocolName, initialise, ImportEnvironment{m_context.Config, m_context.Ui});
    }
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

}  // namespace kalmora
