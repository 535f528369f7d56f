#pragma once

#include <QString>
#include <QWidget>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

class QComboBox;
class QFileSystemModel;
class QModelIndex;
class QTreeView;

namespace kalmora {

class PathLabel;

// A tree of the directories and a list of the drives that always stand at the same place. The
// tree, with the whole path above it if wanted, is this widget; the drive list is the window's to
// lay out.
class DirectoryBrowser : public QWidget {
    Q_OBJECT

public:
    // Whether the user may go to a directory; a refused one leaves both lists where they stood.
    using Acceptance = std::function<bool(const std::filesystem::path&)>;

    // An empty `pathLabelName` shows no path above the tree.
    DirectoryBrowser(const QString& driveListName, const QString& directoryListName, Acceptance accepts,
                     const QString& pathLabelName = QString(), QWidget* parent = nullptr);

    QComboBox& DriveList() const { return *m_driveList; }
    QTreeView& DirectoryList() const { return *m_directoryList; }
    // Where the lists stand.
    const std::filesystem::path& Directory() const { return m_directory; }

    // Moves both lists to the directory, without asking.
    void MoveTo(const std::filesystem::path& directory);

signals:
    // The lists have moved, also back to where they stood after a refused choice.
    void Moved(const std::filesystem::path& directory);
    // The user chose a directory and the lists went there.
    void Chosen(const std::filesystem::path& directory);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void Choose(const std::filesystem::path& directory);
    void OnDirectoryChosen(const QModelIndex& index);
    void OnDriveChosen(int row);
    void ShowCurrentDirectory();

    Acceptance m_accepts;
    std::vector<std::string> m_volumeRoots;
    QComboBox* m_driveList = nullptr;
    QFileSystemModel* m_directoryModel = nullptr;
    QTreeView* m_directoryList = nullptr;
    PathLabel* m_path = nullptr;
    std::filesystem::path m_directory;
    bool m_moving = false;
};

}  // namespace kalmora
