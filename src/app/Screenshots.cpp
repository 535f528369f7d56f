// Writes one picture of every window into a folder, to look at the windows without a display:
//   kalmora-screenshots FOLDER [/i:SETTINGSFILE]
#include "app/AppContext.h"
#include "app/GermanLanguage.h"
#include "app/QtUserInterface.h"
#include "app/frmInfo.h"
#include "app/frmMain.h"
#include "app/frmOpt.h"
#include "app/frmTop.h"
#include "foundation/Settings.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QMenu>
#include <QMenuBar>
#include <QTabWidget>
#include <QEventLoop>
#include <QTimer>

#include <iostream>
#include <string>

namespace {

// The windows are only looked at: nothing is run modally.
class NoWindowOpener : public kalmora::WindowOpener {
public:
    int ShowModal(QDialog&) override { return QDialog::Rejected; }
};

bool Save(QWidget& window, const QDir& folder, const QString& name)
{
    window.show();
    QEventLoop settling;
    QTimer::singleShot(100, &settling, &QEventLoop::quit);
    settling.exec();
    const QString file = folder.filePath(name + ".png");
    if (!window.grab().save(file)) {
        std::cerr << "kalmora-screenshots: " << file.toStdString() << " kann nicht geschrieben werden.\n";
        return false;
    }
    std::cout << file.toStdString() << '\n';
    return true;
}

// Offscreen, Qt tells of every window feature it has no screen for; that is no news here.
void DropPlatformNotes(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (message.startsWith("This plugin does not support")) return;
    std::cerr << qPrintable(qFormatLogMessage(type, context, message)) << '\n';
}

}  // namespace

int main(int argc, char* argv[])
{
    qInstallMessageHandler(DropPlatformNotes);
    QApplication application(argc, argv);
    kalmora::UseGermanLanguage(application);
    if (argc < 2) {
        std::cerr << "Aufruf: kalmora-screenshots ORDNER [/i:EINSTELLUNGSDATEI]\n";
        return 1;
    }
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    if (!folder.mkpath(".")) {
        std::cerr << "kalmora-screenshots: der Ordner " << argv[1] << " kann nicht angelegt werden.\n";
        return 2;
    }
    const std::string commandLine = argc > 2 ? argv[2] : "";

    kalmora::SettingsFile settingsFile = kalmora::SettingsFileForProcess();
    kalmora::Settings settings;
    kalmora::QtUserInterface ui;
    NoWindowOpener windows;
    kalmora::AppContext context{settingsFile, settings, ui, windows};

    bool saved = true;
    auto* startup = new kalmora::frmTop(context, commandLine);
    saved &= Save(*startup, folder, "frmTop");
    // Gone before its timer could open a main window of its own.
    delete startup;

    {
        kalmora::frmMain mainWindow(context);
        // A size a reader can take in; maximised, it would be the whole virtual screen.
        mainWindow.setWindowState(Qt::WindowNoState);
        mainWindow.resize(1024, 640);
        saved &= Save(mainWindow, folder, "frmMain");
        for (const char* menuName : {"mainDatei", "mainExtras"}) {
            auto* menu = mainWindow.findChild<QMenu*>(menuName);
            menu->popup(mainWindow.mapToGlobal(QPoint(0, 0)));
            saved &= Save(*menu, folder, QString("frmMain_%1").arg(menuName));
            menu->close();
        }

        kalmora::frmInfo info(&mainWindow);
        saved &= Save(info, folder, "frmInfo");
        info.close();

        kalmora::frmOpt options(context, &mainWindow);
        auto* tabs = options.findChild<QTabWidget*>("tab_opt");
        for (int page = 0; page < tabs->count(); ++page) {
            tabs->setCurrentIndex(page);
            saved &= Save(options, folder, QString("frmOpt_%1").arg(page));
        }
        options.close();
    }
    return saved ? 0 : 2;
}
