#include "toolkit/WindowPlaces.h"

#include <QDir>
#include <QScreen>
#include <QSettings>
#include <QStandardPaths>
#include <QWidget>

namespace kalmora {

namespace {

// Room left between a window and the edges of the screen's available area.
constexpr int kScreenMargin = 24;

QString GeometryKey(const QWidget& window)
{
    return window.objectName() + "/geometry";
}

}  // namespace

QString UserWindowPlacesFile()
{
    const QString directory = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    if (directory.isEmpty()) return {};
    return QDir(directory).filePath("kalmora/fenster.ini");
}

bool WindowPlaces::Restore(QWidget& window) const
{
    if (m_file.isEmpty() || window.objectName().isEmpty()) return false;
    const QSettings places(m_file, QSettings::IniFormat);
    // A damaged value is refused by restoreGeometry itself; the window then keeps its own size.
    const QByteArray geometry = places.value(GeometryKey(window)).toByteArray();
    return !geometry.isEmpty() && window.restoreGeometry(geometry);
}

void WindowPlaces::Remember(const QWidget& window) const
{
    if (m_file.isEmpty() || window.objectName().isEmpty()) return;
    // A place that can't be written is no reason to trouble the user: the window opens at its own size.
    QSettings places(m_file, QSettings::IniFormat);
    places.setValue(GeometryKey(window), window.saveGeometry());
    places.sync();
}

QSize AvailableScreenSize(const QWidget& window)
{
    const QScreen* screen = window.screen();
    if (screen == nullptr) return {QWIDGETSIZE_MAX, QWIDGETSIZE_MAX};
    return screen->availableGeometry().size() - QSize(2 * kScreenMargin, 2 * kScreenMargin);
}

void ResizeWithinScreen(QWidget& window, QSize wanted)
{
    window.resize(wanted.boundedTo(AvailableScreenSize(window)).expandedTo(window.minimumSizeHint()));
}

}  // namespace kalmora
