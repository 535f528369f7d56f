#pragma once

#include "foundation/Settings.h"
#include "reports/ReportSelection.h"

class QDialog;
class QWidget;

namespace kalmora {

class UserInterface;

// Opens a window modally. The program runs the window's event loop; tests drive the window through
// its object names while it is open and close it themselves.
class WindowOpener {
public:
    virtual ~WindowOpener() = default;
    // Returns the dialog's result code (QDialog::Accepted or QDialog::Rejected).
    virtual int ShowModal(QDialog& dialog) = 0;
    // Puts a window that is not shown modally (the main window) where this user had it last, and
    // remembers where it stands. By default nothing is remembered: tests and pictures see every
    // window at its own size.
    virtual bool RestorePlace(QWidget&) { return false; }
    virtual void RememberPlace(const QWidget&) {}
};

// The program-wide state the windows share: the settings file, the loaded settings, the ways to
// reach the screen, and the report windows' selection. The program, and each test, makes its own.
struct AppContext {
    SettingsFile& IniFile;
    Settings& Config;
    UserInterface& Ui;
    WindowOpener& Windows;
    ReportSelection Reports{};
};

}  // namespace kalmora
