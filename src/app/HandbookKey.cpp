#include "app/HandbookKey.h"

#include "foundation/UserInterface.h"

#include <QKeySequence>
#include <QShortcut>
#include <QWidget>

#include <string>

namespace kalmora {

void AddHandbookKey(QWidget& window, UserInterface& ui)
{
    const std::string name = window.objectName().toStdString();
    std::string_view section;
    for (const auto& [windowName, anchor] : kHandbookSections) {
        if (windowName == name) section = anchor;
    }
    auto* key = new QShortcut(QKeySequence(Qt::Key_F1), &window);
    QObject::connect(key, &QShortcut::activated, &window, [&ui, section] { ui.OpenHandbook(section); });
}

}  // namespace kalmora
