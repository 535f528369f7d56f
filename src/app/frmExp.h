#pragma once

#include "toolkit/AppContext.h"

#include <QDialog>

class QLabel;
class QLineEdit;

namespace kalmora {

class FixedColumnList;

// The export: writes the chosen departments into one combined database in the export directory. A
// double click on the directory opens the options, where it is changed.
class frmExp : public QDialog {
    Q_OBJECT

public:
    explicit frmExp(AppContext& context, QWidget* parent = nullptr);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void LoadList();
    void ShowExportDirectory();
    void ChangeExportDirectory();
    void OnButton(int index);
    void OnExport();

    AppContext& m_context;
    FixedColumnList* m_list = nullptr;
    QLabel* m_exportDirectory = nullptr;
    QLineEdit* m_outputFile = nullptr;
};

}  // namespace kalmora
