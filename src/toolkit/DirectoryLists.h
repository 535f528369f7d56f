#pragma once

#include "toolkit/QtText.h"

#include <QString>

#include <string>
#include <string_view>
#include <vector>

class QComboBox;
class QFileSystemModel;
class QTreeView;
class QWidget;

namespace kalmora {

// The mounted volumes offered as drives, "/" first.
std::vector<std::string> MountedVolumeRoots();

// The drive list: one entry per volume root.
QComboBox* CreateDriveList(const QString& objectName, const std::vector<std::string>& volumeRoots);

// The directory list: a tree of the directories below the root, with no other column than the name.
QTreeView* CreateDirectoryList(const QString& objectName, QFileSystemModel*& model, QWidget* modelOwner);

}  // namespace kalmora
