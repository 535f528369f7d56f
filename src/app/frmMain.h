#pragma once

#include <QMainWindow>

namespace kalmora {

class UserInterface;

// The main window. Its menus, status panels and clock come with the application shell.
class frmMain : public QMainWindow {
    Q_OBJECT

public:
    explicit frmMain(QWidget* parent = nullptr);
};

}  // namespace kalmora
