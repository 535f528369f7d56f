#include "toolkit/MenuAccessKeys.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QKeySequence>
#include <QMenuBar>
#include <QShortcutEvent>

namespace kalmora {

MenuAccessKeys::MenuAccessKeys(QMenuBar& bar) : QObject(&bar), m_bar(bar)
{
    m_bar.installEventFilter(this);
}

QList<QAction*> MenuAccessKeys::TitlesWithKey(const QKeySequence& key) const
{
    QList<QAction*> titles;
    for (QAction* title : m_bar.actions()) {
        if (title->isVisible() && title->isEnabled() && QKeySequence::mnemonic(title->text()) == key) titles << title;
    }
    return titles;
}

void MenuAccessKeys::MoveHighlight(const QKeySequence& key)
{
    const QList<QAction*> titles = TitlesWithKey(key);
    if (titles.isEmpty()) return;
    const qsizetype current = titles.indexOf(m_highlighted.data());
    QAction* next = titles.at((current + 1) % titles.size());
    if (m_highlighted.isNull()) m_focusBefore = QApplication::focusWidget();
    m_highlighted = next;
    // The bar takes the keys while a title is highlighted, so that Enter reaches it.
    m_bar.setFocus(Qt::ShortcutFocusReason);
    m_bar.setActiveAction(next);
}

void MenuAccessKeys::DropHighlight()
{
    if (m_highlighted.isNull()) return;
    m_highlighted = nullptr;
    m_bar.setActiveAction(nullptr);
    if (!m_focusBefore.isNull()) m_focusBefore->setFocus(Qt::OtherFocusReason);
    m_focusBefore = nullptr;
}

bool MenuAccessKeys::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != &m_bar) return false;
    switch (event->type()) {
    case QEvent::Shortcut: {
        const auto* shortcut = static_cast<QShortcutEvent*>(event);
        if (!shortcut->isAmbiguous() || TitlesWithKey(shortcut->key()).size() < 2) {
            DropHighlight();
            return false;
        }
        MoveHighlight(shortcut->key());
        return true;
    }
    case QEvent::KeyPress: {
        if (m_highlighted.isNull()) return false;
        const int key = static_cast<QKeyEvent*>(event)->key();
        // Alt alone comes before the next Alt+I, which moves the highlight on.
        if (key == Qt::Key_Alt || key == Qt::Key_Shift || key == Qt::Key_Control || key == Qt::Key_Meta ||
            key == Qt::Key_AltGr)
            return false;
        QAction* title = m_highlighted;
        DropHighlight();
        if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space) {
            if (title->menu() != nullptr) {
                m_bar.setActiveAction(title);
            } else {
                title->trigger();
            }
            return true;
        }
        return key == Qt::Key_Escape;
    }
    case QEvent::MouseButtonPress:
    case QEvent::FocusOut:
        DropHighlight();
        return false;
    default:
        return false;
    }
}

}  // namespace kalmora
