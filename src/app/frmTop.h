#pragma once

#include "toolkit/AppContext.h"
#include "app/frmMain.h"
#include "foundation/UserInterface.h"

#include <QPointer>
#include <QWidget>

#include <filesystem>
#include <optional>
#include <string_view>

class QTimer;

namespace kalmora {

// What a start without a settings file needs to offer setting up an installation.
struct FirstStartPlaces {
    // Offered as the installation's folder.
    std::filesystem::path Directory;
    // The reference lists shipped with the program; empty when none were found.
    std::filesystem::path ReferenceDirectory;
    // The calendar year of today: the survey period the new settings file gets.
    int Year = 0;
};

// The start-up window: names the settings file from the command line, shows the busy pointer and
// stays above all other windows until the main window, which it shows, has loaded and closes it.
// Given `firstStart`, a start that finds no settings file first offers to set up an installation.
class frmTop : public QWidget {
    Q_OBJECT

public:
    // `commandLine` is the program's arguments joined by blanks.
    frmTop(AppContext& context, std::string_view commandLine, std::optional<FirstStartPlaces> firstStart = {},
           QWidget* parent = nullptr);

    // Null until Timer1 has shown the main window.
    frmMain* MainWindow() const { return m_mainWindow; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void OnTimer();
    // Asks whether to set up an installation when no settings file exists, and sets it up.
    void OfferInstallation(const FirstStartPlaces& places);

    AppContext& m_context;
    std::optional<FirstStartPlaces> m_firstStart;
    std::optional<BusyPointer> m_busy;
    QTimer* m_timer = nullptr;
    QPointer<frmMain> m_mainWindow;
    bool m_mainWindowShown = false;
};

}  // namespace kalmora
