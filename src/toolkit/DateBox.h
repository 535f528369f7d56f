#pragma once

#include <QString>

class QLineEdit;

namespace kalmora {

class UserInterface;

// A text box for a date, as wide as ten digits and their points.
QLineEdit* DateBox(const QString& objectName);

// Shows the box's date as TT.MM.JJJJ, or reports it as no date. False when it was refused; the
// focus is the caller's to put back.
bool ApplyDateBox(QLineEdit& box, UserInterface& ui);

}  // namespace kalmora
