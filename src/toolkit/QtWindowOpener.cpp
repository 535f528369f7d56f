#include "toolkit/QtWindowOpener.h"

#include <QDialog>

namespace kalmora {

QtWindowOpener::QtWindowOpener() : m_places(UserWindowPlacesFile()) {}

QtWindowOpener::QtWindowOpener(QString placesFile) : m_places(std::move(placesFile)) {}

int QtWindowOpener::ShowModal(QDialog& dialog)
{
    m_places.Restore(dialog);
    const int result = dialog.exec();
    m_places.Remember(dialog);
    return result;
}

bool QtWindowOpener::RestorePlace(QWidget& window)
{
    return m_places.Restore(window);
}

void QtWindowOpener::RememberPlace(const QWidget& window)
{
    m_places.Remember(window);
}

}  // namespace kalmora
