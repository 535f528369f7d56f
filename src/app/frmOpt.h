#pragma once

#include "toolkit/AppContext.h"
#include "shell/OptionsValues.h"

#include <QDialog>

#include <array>
#include <string>
#include <vector>

class QCheckBox;
class QComboBox;
class QFileSystemModel;
class QLabel;
class QLineEdit;
class QModelIndex;
class QRadioButton;
class QTabWidget;
class QTreeView;

namespace kalmora {

// The options dialog: edits the directories, the plausibility level and the classification defaults,
// and writes them to the settings when it is confirmed.
class frmOpt : public QDialog {
    Q_OBJECT

public:
    explicit frmOpt(AppContext& context, QWidget* parent = nullptr);

    // Brings the page with the directories to the front.
    void ShowDirectoriesPage();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* CreateSettingsPage();
    QWidget* CreateDirectoriesPage();
    void LoadValues();
    OptionsValues CurrentValues() const;

    void ChooseDirectoryOption(int index);
    QLabel& EditedLabel() const;
    // Points the lists at a label's directory, or somewhere sensible when it names none.
    void PointListsAt(const QString& labelText);
    // Moves both lists without taking the directory into a label.
    void MoveListsTo(const std::string& directory);
    void OnDirectoryChosen(const QModelIndex& index);
    void OnDriveChosen(int row);

    // Normalises a date box, or reports it and puts the focus back. False when it was refused.
    bool ApplyDateBox(QLineEdit& box);
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
    QFileSystemModel* m_directoryModel = nullptr;
    QTreeView* m_directoryList = nullptr;
    QComboBox* m_driveList = nullptr;

    std::vector<std::string> m_volumeRoots;
    std::string m_listDirectory;  // where the directory list stands
    bool m_movingLists = false;
    bool m_reportingDate = false;
};

}  // namespace kalmora
