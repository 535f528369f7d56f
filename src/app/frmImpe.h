#pragma once

#include "toolkit/AppContext.h"

#include <QDialog>

namespace kalmora {

class CellGrid;
struct ImportRun;

// The result table of the last import run: one row per file, and its copy to the clipboard.
class frmImpe : public QDialog {
    Q_OBJECT

public:
    frmImpe(AppContext& context, const ImportRun& run, QWidget* parent = nullptr);

private:
    void OnButton(int index);
    void CopyTable();

    AppContext& m_context;
    const ImportRun& m_run;
    CellGrid* m_grid = nullptr;
};

}  // namespace kalmora
