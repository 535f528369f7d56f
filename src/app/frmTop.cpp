#include "app/frmTop.h"

#include "foundation/Version.h"
#include "toolkit/HandbookKey.h"
#include "toolkit/NamedLabel.h"
#include "toolkit/QtText.h"
#include "toolkit/ProductPicture.h"
#include "app/frmInst.h"
#include "app/frmMain.h"
#include "foundation/FailureText.h"
#include "foundation/Messages.h"
#include "shell/FirstInstallation.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

#include <exception>
#include <utility>

namespace kalmora {

namespace {

constexpr int kTimerIntervalMs = 1000;

// Sets up an installation in the folder the user chooses. A failed attempt leaves nothing behind and
// offers the folder again, until one works or the user cancels.
void SetUpInChosenFolder(AppContext& context, const FirstStartPlaces& places, const std::filesystem::path& settingsFile)
{
    if (places.ReferenceDirectory.empty()) {
        ShowGeneralError(context.Ui, " Kalmora kann nicht eingerichtet werden: die mitgelieferten Referenzdaten "
                                     "wurden nicht gefunden.");
        return;
    }
    std::filesystem::path directory = places.Directory;
    while (true) {
        frmInst chooser(context, directory);
        if (context.Windows.ShowModal(chooser) != QDialog::Accepted) return;
        directory = chooser.Directory();
        try {
            SetUpFirstInstallation(directory, settingsFile, places.ReferenceDirectory, places.Year);
            return;
        } catch (const std::exception& failure) {
            ShowFailure(context.Ui, failure, " Kalmora kann nicht eingerichtet werden: ");
        }
    }
}

}  // namespace

frmTop::frmTop(AppContext& context, std::string_view commandLine, std::optional<FirstStartPlaces> firstStart,
               QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint), m_context(context),
      m_firstStart(std::move(firstStart))
{
    setObjectName("frmTop");
    setWindowTitle(" Kalmora");
    AddHandbookKey(*this, m_context, "hauptfenster");
    setAttribute(Qt::WA_DeleteOnClose);
    m_context.IniFile.SettingsFileName = SettingsFileNameFromCommandLine(commandLine);
    m_busy.emplace(m_context.Ui);

    // A frame of its own: the window has no border from the window manager.
    auto* frame = new QFrame;
    frame->setObjectName("frmTopFrame");
    frame->setStyleSheet("#frmTopFrame { background: white; border: 1px solid #5b7f95; }");

    auto* picture = NamedLabel("Image1", {});
    picture->setPixmap(ProductPicture(128, devicePixelRatioF()));
    picture->setAlignment(Qt::AlignCenter);

    auto* name = NamedLabel("Label1", "Kalmora");
    name->setStyleSheet("color: #0b3d5c; font-size: 30pt; font-weight: bold;");
    auto* version = NamedLabel("Label2", ToQt(kVersionText));
    version->setStyleSheet("color: #1f5f80; font-size: 14pt;");
    auto* servicePack = NamedLabel("lbl_SP", ToQt(kServicePack));
    servicePack->setStyleSheet("color: #1f5f80; font-size: 11pt;");
    auto* notice = NamedLabel("Label3_3", "© 2026 Kalmora-Entwickler · Apache-Lizenz 2.0");
    notice->setStyleSheet("color: #555555;");
    auto* publisher = NamedLabel("Label4", "Dorvan – Dokumentation und Auswertung für die Intensivmedizin");
    publisher->setStyleSheet("color: #555555;");

    auto* text = new QVBoxLayout;
    text->setSpacing(2);
    text->addStretch();
    text->addWidget(name);
    text->addWidget(version);
    text->addWidget(servicePack);
    text->addStretch();

    auto* top = new QHBoxLayout;
    top->setSpacing(24);
    top->addWidget(picture);
    top->addLayout(text, 1);

    auto* rule = new QFrame;
    rule->setFrameShape(QFrame::HLine);
    rule->setStyleSheet("color: #c8d6df;");

    auto* inner = new QVBoxLayout(frame);
    inner->setContentsMargins(28, 28, 28, 18);
    inner->addLayout(top);
    inner->addSpacing(18);
    inner->addWidget(rule);
    inner->addSpacing(6);
    inner->addWidget(notice);
    inner->addWidget(publisher);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(frame);
    setFixedSize(sizeHint().expandedTo(QSize(540, 0)));
    if (const QScreen* shownOn = screen()) move(shownOn->availableGeometry().center() - rect().center());

    m_timer = new QTimer(this);
    m_timer->setObjectName("Timer1");
    m_timer->setInterval(kTimerIntervalMs);
    connect(m_timer, &QTimer::timeout, this, &frmTop::OnTimer);
    m_timer->start();
}

void frmTop::OnTimer()
{
    // Loaded once: should the main window be closed while this window still stands, the program ends
    // with it instead of starting anew.
    if (m_mainWindowShown) {
        if (m_mainWindow) m_mainWindow->show();
        return;
    }
    m_mainWindowShown = true;
    if (m_firstStart) OfferInstallation(*m_firstStart);
    m_mainWindow = new frmMain(m_context, this);
    m_mainWindow->setAttribute(Qt::WA_DeleteOnClose);
    connect(m_mainWindow, &QObject::destroyed, this, &QWidget::close);
    m_mainWindow->show();
    // Maximising may have moved the main window in front; this window stays on top until it goes.
    raise();
}

void frmTop::OfferInstallation(const FirstStartPlaces& places)
{
    if (ExistingSettingsFile(m_context.IniFile)) return;
    const auto settingsFile = NewSettingsFilePath(m_context.IniFile);
    if (!settingsFile) return;

    // The questions must not open behind this window, which stays on top, nor under a busy pointer.
    // While it is hidden, closing a box leaves no window standing, which must not end the program.
    const bool quitOnLastWindowClosed = QApplication::quitOnLastWindowClosed();
    QApplication::setQuitOnLastWindowClosed(false);
    hide();
    m_busy.reset();

    if (AskFirstInstallation(m_context.Ui, settingsFile->string()) == MessageAnswer::Yes) {
        SetUpInChosenFolder(m_context, places, *settingsFile);
    }

    m_busy.emplace(m_context.Ui);
    show();
    QApplication::setQuitOnLastWindowClosed(quitOnLastWindowClosed);
}

void frmTop::closeEvent(QCloseEvent* event)
{
    m_timer->stop();
    m_busy.reset();
    QWidget::closeEvent(event);
}

}  // namespace kalmora
