#pragma once

#include <ostream>

#include "picture/picture.h"

namespace blx52 {

// Failure output as a map of codes, one row per line, instead of the object's bytes.
inline void PrintTo(const Picture& picture, std::ostream* os) {
    for (int y = 0; y < Picture::Height; ++y) {
        *os << "\n";
        for (int x = 0; x < Picture::Width; ++x) {
            *os << "-RGYBMCW"[picture.code(x, y)];
        }
    }
}

}  // namespace blx52
