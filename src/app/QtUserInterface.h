#pragma once

#include "foundation/UserInterface.h"

class QStatusBar;
class QWidget;

namespace kalmora {

// The user interface on Qt Widgets: real message boxes, the application's override cursor, the main
// window's status bar and the system clipboard.
class QtUserInterface : public UserInterface {
public:
    explicit QtUserInterface(QWidget* parent = nullptr) : m_parent(parent) {}

    void SetStatusBar(QStatusBar* statusBar) { m_statusBar = statusBar; }

    MessageAnswer ShowMessage(std::string_view text, std::string_view title, MessageIcon icon,
                              MessageButtons buttons) override;
    void SetBusy(bool busy) override;
    void SetStatusText(int panel, std::string_view text) override;
    void SetClipboardText(std::string_view text) override;
    void ProcessPendingEvents() override;

private:
    QWidget* m_parent;
    QStatusBar* m_statusBar = nullptr;
};

}  // namespace kalmora
