#pragma once

#include <QSize>
#include <QString>

#include <utility>

class QWidget;

namespace kalmora {

// "kalmora/fenster.ini" in the user's configuration directory; empty when the system names none.
QString UserWindowPlacesFile();

// Where each window stood and how large it was, per user, keyed by the window's object name. The
// places have a file of their own: the program's settings file keeps exactly its keys. A missing,
// unreadable or broken file only means that windows open at their own size.
class WindowPlaces {
public:
    explicit WindowPlaces(QString file) : m_file(std::move(file)) {}

    // Puts the window where it was last; false when nothing usable is remembered for it.
    bool Restore(QWidget& window) const;
    void Remember(const QWidget& window) const;

private:
    QString m_file;
};

// The available area of the screen the window is on (or will open on), less a margin at each edge.
QSize AvailableScreenSize(const QWidget& window);

// Resizes the window to `wanted`, as far as the available area of the screen it is on allows.
void ResizeWithinScreen(QWidget& window, QSize wanted);

}  // namespace kalmora
