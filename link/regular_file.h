#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace blx52 {

// The whole content of a regular file of at most `maxBytes` bytes; `path` is UTF-8 on Windows and
// the file system's own encoding elsewhere. Anything else found under the name (a folder, a FIFO,
// a device) is refused without waiting for a writer or a line; so is a larger file and one that
// cannot be opened or read.
std::optional<std::string> readRegularFileBytes(const std::string& path, std::int64_t maxBytes);

}  // namespace blx52
