#include "app/frmMain.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    // The program is German whatever the machine's locale is.
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    QTranslator qtTranslations;
    if (qtTranslations.load(QLocale(QLocale::German), "qtbase", "_", QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QApplication::installTranslator(&qtTranslations);
    }

    kalmora::frmMain mainWindow;
    mainWindow.showMaximized();
    return QApplication::exec();
}
