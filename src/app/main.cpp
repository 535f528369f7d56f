#include "toolkit/AppContext.h"
#include "toolkit/GermanLanguage.h"
#include "toolkit/ProductPicture.h"
#include "toolkit/QtUserInterface.h"
#include "toolkit/QtWindowOpener.h"
#include "app/frmTop.h"
#include "foundation/Settings.h"

#include <QApplication>
#include <QIcon>
#include <QWidget>

#include <vector>

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    QApplication::setApplicationName("Kalmora");
    QApplication::setWindowIcon(QIcon(kalmora::ProductPicture(64)));
    const auto dataDirectory = kalmora::DataDirectoryOf(kalmora::ProgramDirectoryOfProcess());
    kalmora::UseGermanLanguage(application, dataDirectory.empty()
                                                ? QString()
                                                : QString::fromStdString((dataDirectory / "translations").string()));

    kalmora::SettingsFile settingsFile = kalmora::SettingsFileForProcess();
    kalmora::Settings settings;
    kalmora::QtUserInterface ui;
    kalmora::QtWindowOpener windows;
    kalmora::AppContext context{settingsFile, settings, ui, windows};

    auto* startup = new kalmora::frmTop(context, kalmora::CommandLineFromArguments(argc, argv));
    startup->show();
    const int status = QApplication::exec();

    // "Beenden" leaves the windows standing; they go before the context they refer to.
    std::vector<QWidget*> windowsLeft;
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window->parentWidget() == nullptr) windowsLeft.push_back(window);
    }
    for (QWidget* window : windowsLeft) {
        delete window;
    }
    return status;
}
