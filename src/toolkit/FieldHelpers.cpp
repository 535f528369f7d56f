#include "toolkit/FieldHelpers.h"

#include "foundation/FieldColours.h"
#include "foundation/Messages.h"
#include "foundation/NumberFormat.h"

#include <QApplication>
#include <QLineEdit>
#include <QPalette>

namespace kalmora {

void ApplyFieldColours(QWidget& field, std::string_view dataOrigin)
{
    const FieldColours colours = FieldColoursFor(dataOrigin);
    QPalette palette = field.palette();
    const QColor background = colours.Background == FieldBackground::ButtonFace
                                  ? QApplication::palette().color(QPalette::Button)
                                  : QColor(Qt::white);
    palette.setColor(QPalette::Base, background);
    palette.setColor(QPalette::Window, background);
    // A closed combo box draws its text as a button does.
    palette.setColor(QPalette::Button, background);
    const QColor text = QColor::fromRgb(colours.TextRgb);
    palette.setColor(QPalette::Text, text);
    palette.setColor(QPalette::WindowText, text);
    palette.setColor(QPalette::ButtonText, text);
    field.setAutoFillBackground(true);
    field.setPalette(palette);
}

void KeepNormalColoursWhileDisabled(QWidget& frame)
{
    QPalette palette = frame.palette();
    for (int role = 0; role < QPalette::NColorRoles; ++role) {
        const auto colourRole = static_cast<QPalette::ColorRole>(role);
        palette.setBrush(QPalette::Disabled, colourRole, palette.brush(QPalette::Active, colourRole));
    }
    // The controls inherit it; a field coloured by origin keeps its colours in every state.
    frame.setPalette(palette);
}

bool ValidateNumberInput(QLineEdit& field, UserInterface& ui, int decimals, int maxDigits, bool rejectNegative)
{
    const NumberInputDecision decision =
        ValidateNumberInput(field.text().toStdString(), decimals, maxDigits, rejectNegative);
    if (decision.NewText) field.setText(QString::fromStdString(*decision.NewText));
    if (!decision.ErrorText) return true;
    ShowGeneralError(ui, *decision.ErrorText);
    field.setFocus();
    return false;
}

}  // namespace kalmora
