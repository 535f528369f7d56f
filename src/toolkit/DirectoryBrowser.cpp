#include "toolkit/DirectoryBrowser.h"

#include "toolkit/PathLabel.h"
#include "toolkit/QtText.h"
#include "toolkit/ReentryGuard.h"
#include "shell/OptionsValues.h"
#include "foundation/Utf8Path.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QStorageInfo>
#include <QTimer>
#include <QTreeView>
#include <QVBoxLayout>

#include <utility>

namespace kalmora {

namespace {

// The mounted volumes offered as drives, the system's root first.
std::vector<std::string> MountedVolumeRoots()
{
    std::vector<std::string> roots;
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        // Single files can be mounted too; only directories are drives.
        if (volume.isValid() && volume.isReady() && QFileInfo(volume.rootPath()).isDir()) {
            roots.push_back(FromQt(volume.rootPath()));
        }
    }
    return OrderVolumeRoots(std::move(roots), FromQt(QDir::rootPath()));
}

}  // namespace

DirectoryBrowser::DirectoryBrowser(const QString& driveListName, const QString& directoryListName, Acceptance accepts,
                                   const QString& pathLabelName, QWidget* parent)
    : QWidget(parent), m_accepts(std::move(accepts)), m_volumeRoots(MountedVolumeRoots())
{
    m_driveList = new QComboBox(this);
    m_driveList->setObjectName(driveListName);
    for (const auto& root : m_volumeRoots)
        m_driveList->addItem(ToQt(root));

    m_directoryModel = new QFileSystemModel(this);
    m_directoryModel->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot);
    m_directoryModel->setReadOnly(true);
    m_directoryModel->setRootPath(QDir::rootPath());
    m_directoryList = new QTreeView;
    m_directoryList->setObjectName(directoryListName);
    m_directoryList->setModel(m_directoryModel);
    for (int column = 1; column < m_directoryModel->columnCount(); ++column)
        m_directoryList->hideColumn(column);
    m_directoryList->setHeaderHidden(true);
    // A long folder name widens the column and the list scrolls sideways, instead of cutting it.
    m_directoryList->header()->setStretchLastSection(false);
    m_directoryList->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    if (!pathLabelName.isEmpty()) {
        // The tree alone hides where the user is once the path is longer than the list is high.
        m_path = new PathLabel(pathLabelName);
        layout->addWidget(m_path);
    }
    layout->addWidget(m_directoryList);

    connect(m_directoryList->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) { OnDirectoryChosen(current); });
    connect(m_driveList, &QComboBox::activated, this, &DirectoryBrowser::OnDriveChosen);
    // The directories around the current one arrive later: keep the current one in sight.
    connect(m_directoryModel, &QFileSystemModel::directoryLoaded, this, [this](const QString& path) {
        // Rows are sorted after they arrive, which moves them: scroll once that is done.
        if (QDir::fromNativeSeparators(PathToQt(m_directory)).startsWith(path))
            QTimer::singleShot(0, this, &DirectoryBrowser::ShowCurrentDirectory);
    });
}

void DirectoryBrowser::MoveTo(const std::filesystem::path& directory)
{
    const ReentryGuard moving(m_moving);
    m_directory = directory;
    if (m_path != nullptr) m_path->SetPath(PathToQt(m_directory));
    const QModelIndex index = m_directoryModel->index(QDir::fromNativeSeparators(PathToQt(m_directory)));
    m_directoryList->setCurrentIndex(index);
    // The directories on the way are opened too, so that the current one shows among its neighbours.
    for (QModelIndex open = index; open.isValid(); open = open.parent())
        m_directoryList->expand(open);
    if (index.isValid()) m_directoryList->scrollTo(index);
    m_driveList->setCurrentIndex(m_driveList->findText(ToQt(VolumeOf(Utf8Of(m_directory), m_volumeRoots))));
    emit Moved(m_directory);
}

void DirectoryBrowser::Choose(const std::filesystem::path& directory)
{
    if (!m_accepts(directory)) {
        MoveTo(m_directory);
        return;
    }
    MoveTo(directory);
    emit Chosen(m_directory);
}

void DirectoryBrowser::OnDirectoryChosen(const QModelIndex& index)
{
    if (m_moving || !index.isValid()) return;
    Choose(PathFromQt(m_directoryModel->filePath(index)));
}

void DirectoryBrowser::OnDriveChosen(int row)
{
    if (row < 0 || row >= static_cast<int>(m_volumeRoots.size())) return;
    Choose(PathFromQt(ToQt(m_volumeRoots[static_cast<std::size_t>(row)])));
}

void DirectoryBrowser::ShowCurrentDirectory()
{
    m_directoryList->scrollTo(m_directoryList->currentIndex(), QAbstractItemView::PositionAtCenter);
}

void DirectoryBrowser::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    // A hidden list can't scroll: the directories may have arrived while it was hidden.
    QTimer::singleShot(0, this, &DirectoryBrowser::ShowCurrentDirectory);
}

}  // namespace kalmora
