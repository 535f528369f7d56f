#pragma once

#include <QObject>
#include <QString>

#include <map>

class QAbstractButton;
class QPushButton;
class QWidget;

namespace kalmora {

// The object name of element `index` of a control array: "cmd_erg" index 0 is "cmd_erg_0".
QString ArrayElementName(const QString& arrayName, int index);

// Buttons that share one name and one click handler, told apart by their index (which need not be
// contiguous). Push buttons, option buttons and check boxes can all be elements.
class ButtonArray : public QObject {
    Q_OBJECT

public:
    explicit ButtonArray(const QString& name, QObject* parent = nullptr);

    // Creates a push button as element `index`; it belongs to `parent` until a layout takes it.
    QPushButton* AddButton(int index, const QString& text, QWidget* parent = nullptr);
    // Takes an existing button as element `index`, renaming it after the array.
    void Add(int index, QAbstractButton* button);

    // The element, or null when the index has none.
    QAbstractButton* Button(int index) const;
    int Count() const { return static_cast<int>(m_buttons.size()); }
    QString Name() const { return objectName(); }

signals:
    void Clicked(int index);

private:
    std::map<int, QAbstractButton*> m_buttons;
};

}  // namespace kalmora
