#include "toolkit/Frame.h"

#include <QGroupBox>
#include <QVBoxLayout>

namespace kalmora {

QGroupBox* Frame(const QString& objectName, const QString& caption)
{
    auto* frame = new QGroupBox(caption);
    frame->setObjectName(objectName);
    return frame;
}

QGroupBox* Frame(const QString& objectName, const QString& caption, QLayout* content)
{
    QGroupBox* frame = Frame(objectName, caption);
    frame->setLayout(content);
    return frame;
}

QGroupBox* Frame(const QString& objectName, const QString& caption, QWidget* content)
{
    QGroupBox* frame = Frame(objectName, caption);
    (new QVBoxLayout(frame))->addWidget(content);
    return frame;
}

}  // namespace kalmora
