#pragma once

#include "toolkit/AppContext.h"

#include <QDialog>

#include <array>
#include <filesystem>
#include <string>
#include <vector>

class QLineEdit;
class QListWidget;
class QRadioButton;

namespace kalmora {

class CheckedFields;
class DirectoryBrowser;
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
    const std::filesystem::path& FileListDirectory() const;

protected:
    void reject() override;

private:
    void OpenLists();
    void FillFileList();
    void OnButton(int index);
    void OnImport();

    AppContext& m_context;
    ImportRun& m_run;
    frmMain& m_mainWindow;
    QListWidget* m_fileList = nullptr;
    DirectoryBrowser* m_directories = nullptr;
    QLineEdit* m_protocol = nullptr;
    CheckedFields* m_fields = nullptr;
    std::array<QRadioButton*, 2> m_importOption{};
    bool m_running = false;
};

}  // namespace kalmora
