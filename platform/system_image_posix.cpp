#include "platform/system_image.h"

namespace blx52 {

// Qt's own readers are all there is here.
std::optional<SystemImage> decodeWithSystemCodecs(const unsigned char*, std::size_t, int, int,
                                                  std::string* error) {
    if (error)
        *error = "unsupported image format";
    return std::nullopt;
}

}  // namespace blx52
