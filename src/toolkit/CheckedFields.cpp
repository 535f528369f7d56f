#include "toolkit/CheckedFields.h"

#include "toolkit/ReentryGuard.h"

#include <QFocusEvent>
#include <QLineEdit>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <utility>

namespace kalmora {

CheckedFields::CheckedFields(QWidget& window) : QObject(&window), m_window(window) {}

void CheckedFields::SelectOnFocus(QLineEdit& field)
{
    field.installEventFilter(this);
}

void CheckedFields::CheckOnLeaving(QLineEdit& field, FieldCheck check)
{
    m_checks[&field] = std::move(check);
    SelectOnFocus(field);
}

bool CheckedFields::Check(QLineEdit& field)
{
    // The report may open a message box, whose event loop may run a check that was waiting.
    if (m_reporting) return false;
    const auto found = m_checks.find(&field);
    if (found == m_checks.end()) return true;
    const ReentryGuard reporting(m_reporting);
    if (found->second(field)) return true;
    field.setFocus(Qt::OtherFocusReason);
    return false;
}

bool CheckedFields::eventFilter(QObject* watched, QEvent* event)
{
    auto* field = qobject_cast<QLineEdit*>(watched);
    if (field == nullptr) return false;
    if (event->type() == QEvent::FocusIn) {
        // Later, so that the click that brought the focus does not undo the selection.
        QTimer::singleShot(0, field, [field] { field->selectAll(); });
    } else if (event->type() == QEvent::FocusOut && m_checks.count(field) != 0) {
        const auto reason = static_cast<QFocusEvent*>(event)->reason();
        // Another window coming to the front is no leaving of the field, and neither is the focus
        // going back into a refused field: else two refused fields would take it from each other.
        if (!m_reporting && reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) {
            // Checked once the click that moved the focus is done: a button that takes the text
            // checks the field itself, and one that closes the window goes without a check.
            QTimer::singleShot(0, this, [this, left = QPointer<QLineEdit>(field)] {
                if (left && m_window.isVisible() && !left->hasFocus()) Check(*left);
            });
        }
    }
    return false;
}

}  // namespace kalmora
