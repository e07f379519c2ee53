#pragma once

#include <cstddef>

namespace blx52::bench {

// The time `bytes` need on the line at 115200 baud, 10 bits a byte (8N1), in milliseconds.
inline double wireTimeMs(std::size_t bytes) {
    return static_cast<double>(bytes) * 10.0 / 115200.0 * 1000.0;
}

}  // namespace blx52::bench
