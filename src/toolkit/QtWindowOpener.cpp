#include "toolkit/QtWindowOpener.h"

#include <QDialog>

namespace kalmora {

int QtWindowOpener::ShowModal(QDialog& dialog)
{
    return dialog.exec();
}

}  // namespace kalmora
