#pragma once

#include <QString>

class QCoreApplication;

namespace kalmora {

// Makes the program German whatever the machine's locale is: dates and numbers in German form, and
// Qt's own texts (standard buttons, context menus) from its German translation, taken from
// `shippedTranslations` (the copy installed with the program) or else from Qt's own folder. Returns
// false when neither holds it; the program's own texts are German regardless.
bool UseGermanLanguage(QCoreApplication& application, const QString& shippedTranslations = {});

}  // namespace kalmora
