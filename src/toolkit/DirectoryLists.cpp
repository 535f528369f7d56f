#include "toolkit/DirectoryLists.h"

#include "shell/OptionsValues.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QStorageInfo>
#include <QTreeView>

namespace kalmora {

std::vector<std::string> MountedVolumeRoots()
{
    std::vector<std::string> roots;
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        // Single files can be mounted too; only directories are drives.
        if (volume.isValid() && volume.isReady() && QFileInfo(volume.rootPath()).isDir()) {
            roots.push_back(FromQt(volume.rootPath()));
        }
    }
    return OrderVolumeRoots(std::move(roots));
}

QComboBox* CreateDriveList(const QString& objectName, const std::vector<std::string>& volumeRoots)
{
    auto* list = new QComboBox;
    list->setObjectName(objectName);
    for (const auto& root : volumeRoots)
        list->addItem(ToQt(root));
    return list;
}

QTreeView* CreateDirectoryList(const QString& objectName, QFileSystemModel*& model, QWidget* modelOwner)
{
    model = new QFileSystemModel(modelOwner);
    model->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot);
    model->setReadOnly(true);
    model->setRootPath(QDir::rootPath());
    auto* list = new QTreeView;
    list->setObjectName(objectName);
    list->setModel(model);
    for (int column = 1; column < model->columnCount(); ++column)
        list->hideColumn(column);
    list->setHeaderHidden(true);
    // A long folder name widens the column and the list scrolls sideways, instead of cutting it.
    list->header()->setStretchLastSection(false);
    list->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    return list;
}

}  // namespace kalmora
