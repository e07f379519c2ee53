#pragma once

#include <QtGui/qrgb.h>

#include "picture/picture.h"

namespace blx52 {

// The LED colour nearest to an RGB colour (smallest squared distance; ties go to the lower
// code). Channels beyond 0 … 255 are taken as they are, so error diffusion can use it on
// colours it has pushed past the ends. Alpha is not looked at.
LedColor nearestLedColor(int red, int green, int blue);
inline LedColor nearestLedColor(QRgb rgb) {
    return nearestLedColor(qRed(rgb), qGreen(rgb), qBlue(rgb));
}

// The colour a pixel shows over black: each channel times its opacity, so fully transparent
// is black and opaque stays as it is.
QRgb overBlack(QRgb argb);

}  // namespace blx52
