#pragma once

#include "toolkit/AppContext.h"
#include "toolkit/WindowPlaces.h"

namespace kalmora {

// Opens windows modally by running their own event loop until they close. Each window opens where
// the user had it last and at the size the user gave it.
class QtWindowOpener : public WindowOpener {
public:
    // The places are kept in the user's configuration directory.
    QtWindowOpener();
    explicit QtWindowOpener(QString placesFile);

    int ShowModal(QDialog& dialog) override;
    bool RestorePlace(QWidget& window) override;
    void RememberPlace(const QWidget& window) override;

private:
    WindowPlaces m_places;
};

}  // namespace kalmora
