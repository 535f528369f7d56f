#pragma once

#include "toolkit/AppContext.h"
#include "app/frmMain.h"
#include "foundation/UserInterface.h"

#include <QPointer>
#include <QWidget>

#include <optional>
#include <string_view>

class QTimer;

namespace kalmora {

// The start-up window: names the settings file from the command line, shows the busy pointer and
// stays above all other windows until the main window, which it shows, has loaded and closes it.
class frmTop : public QWidget {
    Q_OBJECT

public:
    // `commandLine` is the program's arguments joined by blanks.
    frmTop(AppContext& context, std::string_view commandLine, QWidget* parent = nullptr);

    // Null until Timer1 has shown the main window.
    frmMain* MainWindow() const { return m_mainWindow; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void OnTimer();

    AppContext& m_context;
    std::optional<BusyPointer> m_busy;
    QTimer* m_timer = nullptr;
    QPointer<frmMain> m_mainWindow;
    bool m_mainWindowShown = false;
};

}  // namespace kalmora
