#pragma once

#include "toolkit/AppContext.h"
#include "import/ImportRun.h"

#include <QDateTime>
#include <QMainWindow>
#include <QPointer>

class QAction;
class QTimer;

namespace kalmora {

class PanelStatusBar;

inline constexpr const char* kReadyText = " Bereit";
// What the import dialog leaves in the main window's Tag when there are results to show.
inline constexpr const char* kImportResultTag = "Ergebnis";

// Panel 4 of the main window: two blanks, the date, a comma and a blank, the time, two blanks.
QString ClockText(const QDateTime& now);

// The main window: the menus that open every other window, the four status panels and the clock.
// It lives from the end of the start-up to the end of the program.
class frmMain : public QMainWindow {
    Q_OBJECT
    Q_PROPERTY(QString Tag READ Tag WRITE SetTag)

public:
    // Loads the settings. `startupWindow`, when given, is closed on the first tick of tmr_frmTop.
    explicit frmMain(AppContext& context, QWidget* startupWindow = nullptr, QWidget* parent = nullptr);
    ~frmMain() override;

    // The handshake with the import dialog.
    QString Tag() const { return m_tag; }
    void SetTag(const QString& tag) { m_tag = tag; }

    PanelStatusBar& StatusPanels() const { return *m_statusBar; }

    // Menu commands, by the index of the item in its menu.
    void OnDatei(int index);
    void OnExtras(int index);
    void OnIntensivbericht();
    void OnInfo();

protected:
    bool event(QEvent* event) override;

private:
    void CreateMenus();
    void OnClockTick();
    void OnStartupTimer();
    // The export and the classification need imported data. Shows Notice::NoDataImported when the admin database
    // lists no department yet, or the reason when it can't be read; true when the command may go on.
    bool DepartmentsRegistered();

    AppContext& m_context;
    QPointer<QWidget> m_startupWindow;
    PanelStatusBar* m_statusBar = nullptr;
    QTimer* m_clock = nullptr;
    QTimer* m_startupTimer = nullptr;
    QString m_tag;
    // The state and result rows of the last import run, kept for the next showing of its results.
    ImportRun m_importRun;
};

}  // namespace kalmora
