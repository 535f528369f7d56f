#pragma once

#include "toolkit/AppContext.h"

#include <QDialog>

#include <filesystem>

class QLineEdit;

namespace kalmora {

class DirectoryBrowser;

// Asks a program started without a settings file for the folder of its new installation: a box
// with the folder's full path, and the lists of drives and directories to pick an existing one.
class frmInst : public QDialog {
    Q_OBJECT

public:
    frmInst(AppContext& context, const std::filesystem::path& directory, QWidget* parent = nullptr);

    // The folder as entered, with a leading "~" standing for the home directory.
    std::filesystem::path Directory() const;

private:
    bool AcceptDirectory(const std::filesystem::path& directory);

    AppContext& m_context;
    QLineEdit* m_folder = nullptr;
    DirectoryBrowser* m_directories = nullptr;
};

}  // namespace kalmora
