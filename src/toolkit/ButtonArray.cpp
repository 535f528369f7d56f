#include "toolkit/ButtonArray.h"

#include <QAbstractButton>
#include <QPushButton>

#include <stdexcept>

namespace kalmora {

QString ArrayElementName(const QString& arrayName, int index)
{
    return QString("%1_%2").arg(arrayName).arg(index);
}

ButtonArray::ButtonArray(const QString& name, QObject* parent) : QObject(parent)
{
    setObjectName(name);
}

QPushButton* ButtonArray::AddButton(int index, const QString& text, QWidget* parent)
{
    auto* button = new QPushButton(text, parent);
    Add(index, button);
    return button;
}

void ButtonArray::Add(int index, QAbstractButton* button)
{
    // Two elements with one index would both answer to it; that is a fault of the window's code.
    if (m_buttons.contains(index)) {
        throw std::logic_error("element " + ArrayElementName(objectName(), index).toStdString() + " exists twice");
    }
    button->setObjectName(ArrayElementName(objectName(), index));
    m_buttons.emplace(index, button);
    connect(button, &QAbstractButton::clicked, this, [this, index] { emit Clicked(index); });
    connect(button, &QObject::destroyed, this, [this, index] { m_buttons.erase(index); });
}

QAbstractButton* ButtonArray::Button(int index) const
{
    const auto found = m_buttons.find(index);
    return found == m_buttons.end() ? nullptr : found->second;
}

}  // namespace kalmora
