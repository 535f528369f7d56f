#pragma once

#include <QObject>
#include <QPointer>

class QAction;
class QKeySequence;
class QMenuBar;
class QWidget;

namespace kalmora {

// Access keys of a menu bar as desktop menu bars handle them. A key that one title holds opens it
// at once (the toolkit does that). A key that several titles share only moves the highlight to the
// next of them, and Enter or Space opens the highlighted title; Escape, a click or any other key
// drops the highlight. Without this each press would open one of them, in turn.
class MenuAccessKeys : public QObject {
    Q_OBJECT

public:
    // Watches `bar` and lives as long as it does.
    explicit MenuAccessKeys(QMenuBar& bar);

    // The title a shared key has highlighted, or null.
    QAction* Highlighted() const { return m_highlighted; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QList<QAction*> TitlesWithKey(const QKeySequence& key) const;
    void MoveHighlight(const QKeySequence& key);
    void DropHighlight();

    QMenuBar& m_bar;
    QPointer<QAction> m_highlighted;
    QPointer<QWidget> m_focusBefore;
};

}  // namespace kalmora
