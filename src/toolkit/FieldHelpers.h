#pragma once

#include <string_view>

class QLineEdit;
class QWidget;

namespace kalmora {

class UserInterface;

// Colours a report field by the origin of its data ("EXTERN" or "INTERN").
void ApplyFieldColours(QWidget& field, std::string_view dataOrigin);

// Draws a frame and what it holds in their normal colours while the frame is disabled: a page that
// only shows its data is to be read, not greyed out. Disabled, its controls still take no input.
void KeepNormalColoursWhileDisabled(QWidget& frame);

// Checks a numeric text box when the user leaves it: reformats its text, or shows the error and
// puts the focus back. Returns false when the input was refused.
bool ValidateNumberInput(QLineEdit& field, UserInterface& ui, int decimals, int maxDigits, bool rejectNegative);

}  // namespace kalmora
