#include "toolkit/GermanLanguage.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QStringList>
#include <QTranslator>

namespace kalmora {

bool UseGermanLanguage(QCoreApplication& application, const QString& shippedTranslations)
{
    const QLocale german(QLocale::German, QLocale::Germany);
    QLocale::setDefault(german);
    QStringList folders;
    if (!shippedTranslations.isEmpty()) folders << shippedTranslations;
    folders << QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    for (const QString& folder : folders) {
        auto* translator = new QTranslator(&application);
        if (translator->load(german, "qtbase", "_", folder)) {
            QCoreApplication::installTranslator(translator);
            return true;
        }
        delete translator;
    }
    return false;
}

}  // namespace kalmora
