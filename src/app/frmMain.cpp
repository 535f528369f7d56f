#include "app/frmMain.h"

#include "shell/AdminState.h"
#include "toolkit/ButtonArray.h"
#include "toolkit/HandbookKey.h"
#include "toolkit/MenuAccessKeys.h"
#include "toolkit/PanelStatusBar.h"
#include "toolkit/ProductPicture.h"
#include "toolkit/QtText.h"
#include "toolkit/QtUserInterface.h"
#include "app/frmAbt.h"
#include "app/frmEin.h"
#include "app/frmExp.h"
#include "app/frmImp.h"
#include "app/frmImpe.h"
#include "app/frmInfo.h"
#include "app/frmOpt.h"
#include "foundation/FailureText.h"
#include "foundation/Messages.h"
#include "foundation/Version.h"

#include <QCoreApplication>
#include <QEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QTimer>
#include <QVBoxLayout>

#include <exception>

namespace kalmora {

namespace {

constexpr int kClockIntervalMs = 500;
constexpr int kStartupIntervalMs = 500;

enum DateiItem { kImport = 0, kExport = 1, kBeenden = 3 };
enum ExtrasItem { kEinstufung = 0, kOptionen = 2 };

// The empty area under the menus: the product and its name, quietly, in the middle.
QWidget* CreateBackground()
{
    auto* background = new QWidget;
    background->setObjectName("MainBackground");
    background->setStyleSheet("#MainBackground { background: qlineargradient(x1:0, y1:0, x2:0, y2:1, "
                              "stop:0 #eef3f6, stop:1 #d9e3ea); }");
    auto* picture = new QLabel;
    picture->setPixmap(ProductPicture(96, background->devicePixelRatioF()));
    picture->setAlignment(Qt::AlignHCenter);
    auto* name = new QLabel("Kalmora");
    name->setAlignment(Qt::AlignHCenter);
    name->setStyleSheet("color: #7d93a3; font-size: 26pt; font-weight: 600;");
    auto* version = new QLabel(ToQt(kVersionText));
    version->setAlignment(Qt::AlignHCenter);
    version->setStyleSheet("color: #8fa3b1; font-size: 11pt;");

    auto* layout = new QVBoxLayout(background);
    layout->addStretch();
    layout->addWidget(picture);
    layout->addSpacing(8);
    layout->addWidget(name);
    layout->addWidget(version);
    layout->addStretch();
    return background;
}

}  // namespace

QString ClockText(const QDateTime& now)
{
    return "  " + now.toString("dd.MM.yyyy") + ", " + now.toString("HH:mm") + "  ";
}

frmMain::frmMain(AppContext& context, QWidget* startupWindow, QWidget* parent)
    : QMainWindow(parent), m_context(context), m_startupWindow(startupWindow)
{
    setObjectName("frmMain");
    setWindowTitle(" Kalmora " + ToQt(kVersionText));
    AddHandbookKey(*this, m_context, "hauptfenster");
    setMinimumSize(640, 400);
    setCentralWidget(CreateBackground());
    CreateMenus();

    m_statusBar = new PanelStatusBar("MainStatusBar");
    // The clock stays whole down to the window's smallest width; the other panels give way.
    m_statusBar->KeepPanelWide(4, ClockText(QDateTime(QDate(2088, 8, 28), QTime(20, 58))));
    setStatusBar(m_statusBar);
    if (auto* qtUi = dynamic_cast<QtUserInterface*>(&m_context.Ui)) {
        qtUi->SetMainWindow(this);
        qtUi->SetStatusBar(m_statusBar);
    }

    // Where the user left it, else maximised.
    if (!m_context.Windows.RestorePlace(*this)) setWindowState(windowState() | Qt::WindowMaximized);
    LoadSettings(m_context.IniFile, m_context.Ui, m_context.Config);
    m_statusBar->SetPanelText(1, kReadyText);

    m_clock = new QTimer(this);
    m_clock->setObjectName("tmr_main");
    m_clock->setInterval(kClockIntervalMs);
    connect(m_clock, &QTimer::timeout, this, &frmMain::OnClockTick);
    m_clock->start();
    OnClockTick();

    m_startupTimer = new QTimer(this);
    m_startupTimer->setObjectName("tmr_frmTop");
    m_startupTimer->setInterval(kStartupIntervalMs);
    connect(m_startupTimer, &QTimer::timeout, this, &frmMain::OnStartupTimer);
    m_startupTimer->start();
}

frmMain::~frmMain()
{
    // Closed or ended by "Beenden": either way the window goes here, before the context it uses.
    m_context.Windows.RememberPlace(*this);
}

void frmMain::CreateMenus()
{
    // An item of a menu's control array calls the menu's handler with its index.
    const auto addItem = [this](QMenu* menu, const QString& array, int index, const QString& text,
                                void (frmMain::*handler)(int)) {
        QAction* item = menu->addAction(text);
        item->setObjectName(ArrayElementName(array, index));
        connect(item, &QAction::triggered, this, [this, handler, index] { (this->*handler)(index); });
        return item;
    };
    const auto addSeparator = [](QMenu* menu, const QString& array, int index) {
        menu->addSeparator()->setObjectName(ArrayElementName(array, index));
    };

    QMenu* datei = menuBar()->addMenu("&Datei");
    datei->setObjectName("mainDatei");
    addItem(datei, "datei", kImport, "&Import", &frmMain::OnDatei);
    addItem(datei, "datei", kExport, "&Export", &frmMain::OnDatei);
    addSeparator(datei, "datei", 2);
    addItem(datei, "datei", kBeenden, "&Beenden", &frmMain::OnDatei);

    QAction* intensivbericht = menuBar()->addAction("&Intensivbericht");
    intensivbericht->setObjectName("mainIntensivbericht");
    connect(intensivbericht, &QAction::triggered, this, &frmMain::OnIntensivbericht);

    QMenu* extras = menuBar()->addMenu("&Extras");
    extras->setObjectName("mainExtras");
    addItem(extras, "extras", kEinstufung, "&Einstufung", &frmMain::OnExtras);
    addSeparator(extras, "extras", 1);
    addItem(extras, "extras", kOptionen, "&Optionen", &frmMain::OnExtras);

    QAction* info = menuBar()->addAction("&Info");
    info->setObjectName("mainInfo");
    connect(info, &QAction::triggered, this, &frmMain::OnInfo);

    // "&Intensivbericht" and "&Info" share Alt+I.
    new MenuAccessKeys(*menuBar());
}

void frmMain::OnDatei(int index)
{
    switch (index) {
    case kImport: {
        {
            frmImp dialog(m_context, m_importRun, *this);
            m_context.Windows.ShowModal(dialog);
        }
        // The dialog leaves "Ergebnis" after a run, and keeps it when it is closed without a button.
        if (m_tag == kImportResultTag) {
            frmImpe result(m_context, m_importRun, this);
            m_context.Windows.ShowModal(result);
        }
        break;
    }
    case kExport: {
        if (!DepartmentsRegistered()) return;
        frmExp exportDialog(m_context, this);
        m_context.Windows.ShowModal(exportDialog);
        break;
    }
    case kBeenden:
        QCoreApplication::quit();
        break;
    default:
        break;
    }
}

void frmMain::OnExtras(int index)
{
    switch (index) {
    case kEinstufung: {
        if (!DepartmentsRegistered()) return;
        frmEin classification(m_context, this);
        m_context.Windows.ShowModal(classification);
        break;
    }
    case kOptionen: {
        frmOpt options(m_context, this);
        m_context.Windows.ShowModal(options);
        break;
    }
    default:
        break;
    }
}

void frmMain::OnIntensivbericht()
{
    // Also without imported data: the list shows that there is none.
    frmAbt departments(m_context, this);
    m_context.Windows.ShowModal(departments);
}

void frmMain::OnInfo()
{
    frmInfo info(m_context, this);
    m_context.Windows.ShowModal(info);
}

bool frmMain::DepartmentsRegistered()
{
    try {
        if (!AdminListsNoDepartment(m_context.Config)) return true;
        ShowNotice(m_context.Ui, Notice::NoDataImported);
    } catch (const std::exception& failure) {
        ShowFailure(m_context.Ui, failure, "");
    }
    return false;
}

void frmMain::OnClockTick()
{
    m_statusBar->SetPanelText(4, ClockText(QDateTime::currentDateTime()));
}

void frmMain::OnStartupTimer()
{
    m_startupTimer->stop();
    // Closing the start-up window ends its busy pointer.
    if (m_startupWindow) m_startupWindow->close();
}

bool frmMain::event(QEvent* event)
{
    // Menu hints would cover the four panels with a temporary message.
    if (event->type() == QEvent::StatusTip) return true;
    return QMainWindow::event(event);
}

}  // namespace kalmora
