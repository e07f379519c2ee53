#pragma once

#include "picture/picture.h"

namespace blx52 {

// The editor's three preset pictures, exactly as the device documentation shows them. They are
// also the glyphs of the preset buttons.
Picture warningTrianglePicture();
Picture prohibitionSignPicture();
Picture blueDiscPicture();

}  // namespace blx52
