#pragma once

#include <QAbstractButton>
#include <QString>
#include <QTest>
#include <QWidget>

#include <string_view>

namespace kalmora::test {

inline QString Q(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// The control of the window with this object name; a missing one ends the test program.
template <typename T>
T* Find(const QWidget& window, const QString& name)
{
    auto* widget = window.findChild<T*>(name);
    if (widget == nullptr) qFatal("no control %s", qPrintable(name));
    return widget;
}

inline void Click(const QWidget& window, const QString& name)
{
    QTest::mouseClick(Find<QAbstractButton>(window, name), Qt::LeftButton);
}

}  // namespace kalmora::test
