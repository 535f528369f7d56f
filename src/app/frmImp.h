#pragma once

#include "toolkit/AppContext.h"

#include <QDialog>

#include <array>
#include <filesystem>
#include <string>
#include <vector>

class QComboBox;
class QFileSystemModel;
class QLineEdit;
class QListWidget;
class QModelIndex;
class QRadioButton;
class QTreeView;

namespace kalmora {

class PathLabel;
class frmMain;
struct ImportRun;

// The import dialog: picks the import files, names the protocol and runs the import of the chosen
// files. The main window learns through its Tag whether there are results to show.
class frmImp : public QDialog {
    Q_OBJECT

public:
    // `run` keeps the state and result rows of the last run, for the result window.
    frmImp(AppContext& context, ImportRun& run, frmMain& mainWindow);

    // The full paths of the selected files, in list order.
    std::vector<std::filesystem::path> SelectedFiles() const;
    // Where the file list stands.
    const std::filesystem::path& FileListDirectory() const { return m_listDirectory; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void reject() override;

private:
    void OpenLists();
    // Moves the three lists to the directory, which must be available.
    void MoveListsTo(const std::filesystem::path& directory);
    void FillFileList();
    void ShowCurrentDirectory();
    void OnDirectoryChosen(const QModelIndex& index);
    void OnDriveChosen(int row);
    void OnButton(int index);
    void OnImport();

    AppContext& m_context;
    ImportRun& m_run;
    frmMain& m_mainWindow;
    QListWidget* m_fileList = nullptr;
    QComboBox* m_driveList = nullptr;
    QFileSystemModel* m_directoryModel = nullptr;
    QTreeView* m_directoryList = nullptr;
    PathLabel* m_directoryPath = nullptr;
    QLineEdit* m_protocol = nullptr;
    std::array<QRadioButton*, 2> m_importOption{};

    std::vector<std::string> m_volumeRoots;
    std::filesystem::path m_listDirectory;
    bool m_movingLists = false;
    bool m_running = false;
};

}  // namespace kalmora
