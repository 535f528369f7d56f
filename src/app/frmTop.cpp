#include "app/frmTop.h"

#include "foundation/Version.h"
#include "toolkit/HandbookKey.h"
#include "toolkit/NamedLabel.h"
#include "toolkit/QtText.h"
#include "toolkit/ProductPicture.h"
#include "app/frmMain.h"

#include <QCloseEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

namespace kalmora {

namespace {

constexpr int kTimerIntervalMs = 1000;

}  // namespace

frmTop::frmTop(AppContext& context, std::string_view commandLine, QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint), m_context(context)
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
    auto* notice = NamedLabel("Label3_3", "Copyright © 2009–2013 Dorvan. Alle Rechte vorbehalten.");
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
    m_mainWindow = new frmMain(m_context, this);
    m_mainWindow->setAttribute(Qt::WA_DeleteOnClose);
    connect(m_mainWindow, &QObject::destroyed, this, &QWidget::close);
    m_mainWindow->show();
    // Maximising may have moved the main window in front; this window stays on top until it goes.
    raise();
}

void frmTop::closeEvent(QCloseEvent* event)
{
    m_timer->stop();
    m_busy.reset();
    QWidget::closeEvent(event);
}

}  // namespace kalmora
