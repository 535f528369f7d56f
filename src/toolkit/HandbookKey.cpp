#include "toolkit/HandbookKey.h"

#include "toolkit/AppContext.h"
#include "shell/Handbook.h"

#include <QKeySequence>
#include <QShortcut>
#include <QWidget>

namespace kalmora {

void AddHandbookKey(QWidget& window, AppContext& context, std::string section)
{
    auto* key = new QShortcut(QKeySequence(Qt::Key_F1), &window);
    key->setObjectName("key_handbuch");
    // Each window answers for itself: a dialog over the main window opens its own section.
    key->setContext(Qt::WindowShortcut);
    QObject::connect(key, &QShortcut::activated, &window, [&context, section = std::move(section)] {
        OpenHandbook(context.Ui, context.IniFile.ProgramDirectory, section);
    });
}

}  // namespace kalmora
