#pragma once

#include <QString>

class QLabel;

namespace kalmora {

// A plain-text label that tests and later windows find by its control name.
QLabel* NamedLabel(const QString& objectName, const QString& text);

}  // namespace kalmora
