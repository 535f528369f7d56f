#include "toolkit/NamedLabel.h"

#include <QLabel>

namespace kalmora {

QLabel* NamedLabel(const QString& objectName, const QString& text)
{
    auto* label = new QLabel(text);
    label->setObjectName(objectName);
    label->setTextFormat(Qt::PlainText);
    return label;
}

}  // namespace kalmora
