#pragma once

#include <QPixmap>

namespace kalmora {

// The product picture of the start-up and info windows: a heart-rate line on a rounded square,
// drawn for a square of `size` logical pixels at the screen's pixel ratio.
QPixmap ProductPicture(int size, qreal devicePixelRatio = 1.0);

}  // namespace kalmora
