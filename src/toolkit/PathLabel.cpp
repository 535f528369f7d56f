#include "toolkit/PathLabel.h"

#include <QFontMetrics>

namespace kalmora {

PathLabel::PathLabel(const QString& objectName, QWidget* parent) : QLabel(parent)
{
    setObjectName(objectName);
    setTextFormat(Qt::PlainText);
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
}

void PathLabel::SetPath(const QString& path)
{
    m_path = path;
    ShowPath();
}

void PathLabel::resizeEvent(QResizeEvent* event)
{
    QLabel::resizeEvent(event);
    ShowPath();
}

void PathLabel::ShowPath()
{
    // Half an x of room for the indent a framed label gives its text.
    const int room = contentsRect().width() - 2 * margin() - fontMetrics().horizontalAdvance('x') / 2;
    const QString shown = fontMetrics().elidedText(m_path, Qt::ElideMiddle, room);
    setText(shown);
    setToolTip(shown == m_path ? QString() : m_path);
}

}  // namespace kalmora
