#pragma once

#include "toolkit/AppContext.h"
#include "shell/OptionsValues.h"

#include <QDialog>

#include <array>
#include <filesystem>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QRadioButton;
class QTabWidget;

namespace kalmora {

class CheckedFields;
class DirectoryBrowser;

// The options dialog: edits the directories, the plausibility level and the classification defaults,
// and writes them to the settings when it is confirmed.
class frmOpt : public QDialog {
    Q_OBJECT

public:
    explicit frmOpt(AppContext& context, QWidget* parent = nullptr);

    // Brings the page with the directories to the front.
    void ShowDirectoriesPage();

private:
    QWidget* CreateSettingsPage();
    QWidget* CreateDirectoriesPage();
    void LoadValues();
    OptionsValues CurrentValues() const;

    void ChooseDirectoryOption(int index);
    QLabel& EditedLabel() const;
    // Points the lists at a label's directory, or somewhere sensible when it names none.
    void PointListsAt(const QString& labelText);
    // Whether the lists may go to a directory the user chose; an unreadable one is reported.
    bool AcceptDirectory(const std::filesystem::path& directory);

    // Normalises a date box, or reports it on the page that holds it. False when it was refused.
    bool CheckDateBox(QLineEdit& box);
    void OnOk();

    AppContext& m_context;
    QTabWidget* m_tabs = nullptr;
    QLineEdit* m_vonDatum = nullptr;
    QLineEdit* m_bisDatum = nullptr;
    std::array<QRadioButton*, 2> m_plaus{};
    QComboBox* m_mindestStunden = nullptr;
    QCheckBox* m_multipleTiss = nullptr;
    QCheckBox* m_mTiss = nullptr;
    QLabel* m_importLabel = nullptr;
    QLabel* m_exportLabel = nullptr;
    std::array<QRadioButton*, 2> m_directoryOption{};
    DirectoryBrowser* m_directories = nullptr;
    CheckedFields* m_fields = nullptr;
};

}  // namespace kalmora
