#include "app/frmMain.h"

#include <QStatusBar>

namespace kalmora {

frmMain::frmMain(QWidget* parent) : QMainWindow(parent)
{
    setObjectName("frmMain");
    setWindowTitle("Kalmora");
    statusBar()->showMessage(" Bereit");
}

}  // namespace kalmora
