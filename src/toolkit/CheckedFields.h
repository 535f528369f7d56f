#pragma once

#include <QObject>

#include <functional>
#include <map>

class QLineEdit;
class QWidget;

namespace kalmora {

// The text fields of a window that select their whole text when they get the focus, and those of
// them that are checked when the user leaves them. A refused field gets the focus back; while one
// is being reported, no other field of the window is checked.
class CheckedFields : public QObject {
    Q_OBJECT

public:
    // Takes the field's text, reformatting it where needed, or reports why not and returns false.
    using FieldCheck = std::function<bool(QLineEdit&)>;

    // The window holds the fields and owns this object; its fields are checked only while it shows.
    explicit CheckedFields(QWidget& window);

    void SelectOnFocus(QLineEdit& field);
    // Selects on focus too.
    void CheckOnLeaving(QLineEdit& field, FieldCheck check);

    // Checks the field now, as the button that takes its text must: a field confirmed with Enter
    // was never left. False when it was refused, or while another one is being reported.
    bool Check(QLineEdit& field);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget& m_window;
    std::map<const QLineEdit*, FieldCheck> m_checks;
    bool m_reporting = false;
};

}  // namespace kalmora
