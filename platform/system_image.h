#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace blx52 {

// The system's own image codecs, for formats the Qt this program is built with cannot read
// (the static Windows Qt has no JPEG reader; Windows has one in its Imaging Component). Where the
// system offers none, nothing is decoded.

// An image as 32-bit ARGB words (0xAARRGGBB, not premultiplied), row after row.
struct SystemImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> argb;
};

// The first frame of the image held in `data`. An image whose shorter side is longer than
// `reduceAbove` (0: never) comes at the size where that side is `reducedTo`, its aspect kept,
// which is all an import needs. Nothing and a reason on failure, also where the system has no
// codecs.
std::optional<SystemImage> decodeWithSystemCodecs(const unsigned char* data, std::size_t size,
                                                  int reduceAbove, int reducedTo,
                                                  std::string* error = nullptr);

}  // namespace blx52
