#pragma once

#include "toolkit/PanelStatusBar.h"
#include "foundation/UserInterface.h"

#include <QPointer>

class QWidget;

namespace kalmora {

// The user interface on Qt Widgets: real message boxes with German buttons, the application's
// override cursor, the main window's four status panels and the system clipboard.
class QtUserInterface : public UserInterface {
public:
    QtUserInterface() = default;

    // The window message boxes belong to when no dialog is active, normally the main window.
    void SetMainWindow(QWidget* window) { m_mainWindow = window; }
    // Status texts go nowhere until the main window has given its panels.
    void SetStatusBar(PanelStatusBar* statusBar) { m_statusBar = statusBar; }

    MessageAnswer ShowMessage(std::string_view text, std::string_view title, MessageIcon icon,
                              MessageButtons buttons) override;
    void SetBusy(bool busy) override;
    void SetStatusText(int panel, std::string_view text) override;
    void SetClipboardText(std::string_view text) override;
    void ProcessPendingEvents() override;
    void Beep() override;
    bool OpenAddress(std::string_view address) override;

private:
    QPointer<QWidget> m_mainWindow;
    QPointer<PanelStatusBar> m_statusBar;
};

}  // namespace kalmora
