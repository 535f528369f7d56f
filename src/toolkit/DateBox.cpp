#include "toolkit/DateBox.h"

#include "toolkit/QtText.h"
#include "foundation/Messages.h"
#include "shell/OptionsValues.h"

#include <QLineEdit>

namespace kalmora {

QLineEdit* DateBox(const QString& objectName)
{
    auto* box = new QLineEdit;
    box->setObjectName(objectName);
    box->setMaxLength(10);
    box->setFixedWidth(box->fontMetrics().horizontalAdvance("00.00.00000") + 16);
    return box;
}

bool ApplyDateBox(QLineEdit& box, UserInterface& ui)
{
    if (const auto shown = ValidateDateBox(FromQt(box.text()))) {
        if (ToQt(*shown) != box.text()) box.setText(ToQt(*shown));
        return true;
    }
    ShowGeneralError(ui, kInvalidDateText);
    return false;
}

}  // namespace kalmora
