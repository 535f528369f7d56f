#pragma once

#include <QAbstractButton>
#include <QList>
#include <QListWidget>
#include <QString>
#include <QStringList>
#include <QTest>
#include <QWidget>

#include <string_view>

namespace kalmora::test {

inline QString Q(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// The control of the window with this object name; a missing one ends the test program.
template <typename T> T* Find(const QWidget& window, const QString& name)
{
    auto* widget = window.findChild<T*>(name);
    if (widget == nullptr) qFatal("no control %s", qPrintable(name));
    return widget;
}

// The lines of a list, and the indexes of its selected lines, in list order.
inline QStringList Entries(const QListWidget& list)
{
    QStringList entries;
    for (int row = 0; row < list.count(); ++row)
        entries << list.item(row)->text();
    return entries;
}

inline QList<int> SelectedRows(const QListWidget& list)
{
    QList<int> rows;
    for (int row = 0; row < list.count(); ++row)
        if (list.item(row)->isSelected()) rows << row;
    return rows;
}

inline void Click(const QWidget& window, const QString& name)
{
    QTest::mouseClick(Find<QAbstractButton>(window, name), Qt::LeftButton);
}

}  // namespace kalmora::test
