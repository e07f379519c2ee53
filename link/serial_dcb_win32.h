#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

namespace blx52 {

// The device's line settings written into a DCB read from the port; the fields not named there
// keep what the port had.
void setLineSettings(DCB& dcb);

}  // namespace blx52
