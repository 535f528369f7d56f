#pragma once

#include "toolkit/AppContext.h"

namespace kalmora {

// Opens windows modally by running their own event loop until they close.
class QtWindowOpener : public WindowOpener {
public:
    int ShowModal(QDialog& dialog) override;
};

}  // namespace kalmora
