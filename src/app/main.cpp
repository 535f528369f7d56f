#include "toolkit/AppContext.h"
#include "toolkit/GermanLanguage.h"
#include "toolkit/ProductPicture.h"
#include "toolkit/QtUserInterface.h"
#include "toolkit/QtText.h"
#include "toolkit/QtWindowOpener.h"
#include "app/frmTop.h"
#include "foundation/Platform.h"
#include "foundation/Settings.h"
#include "storage/ReferenceData.h"

#include <QApplication>
#include <QDir>
#include <QIcon>
#include <QWidget>

#include <ctime>
#include <filesystem>
#include <vector>

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    QApplication::setApplicationName("Kalmora");
    QApplication::setWindowIcon(QIcon(kalmora::ProductPicture(64)));
    const auto dataDirectory = kalmora::DataDirectoryOf(kalmora::ProgramDirectoryOfProcess());
    kalmora::UseGermanLanguage(application, dataDirectory.empty()
                                                ? QString()
                                                : kalmora::PathToQt(dataDirectory / "translations"));

    kalmora::SettingsFile settingsFile = kalmora::SettingsFileForProcess();
    kalmora::Settings settings;
    kalmora::QtUserInterface ui;
    kalmora::QtWindowOpener windows;
    kalmora::AppContext context{settingsFile, settings, ui, windows};

    // A start without a settings file offers to set up an installation, as `kalmora-cli setup` does.
    kalmora::FirstStartPlaces firstStart;
    const std::filesystem::path documents = kalmora::platform::UserDocumentsFolder();
    firstStart.Directory =
        (documents.empty() ? kalmora::PathFromQt(QDir::homePath()) : documents) / "Kalmora";
    firstStart.ReferenceDirectory =
kalmora::ShippedReferenceDirectory(dataDirectory).value_or("");
    firstStart.Year = kalmora::platform::LocalTime(std::time(nullptr)).tm_year + 1900;

    auto* startup = new kalmora::frmTop(context, kalmora::CommandLineFromArguments(kalmora::platform::ProgramArguments(argc, argv)), firstStart);
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
