#pragma once

class QCoreApplication;

namespace kalmora {

// Makes the program German whatever the machine's locale is: dates and numbers in German form, and
// Qt's own texts (standard buttons, context menus) from its German translation. Returns false when
// that translation is not installed; the program's own texts are German regardless.
bool UseGermanLanguage(QCoreApplication& application);

}  // namespace kalmora
