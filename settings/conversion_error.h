#pragma once

#include <stdexcept>
#include <string>

namespace blx52 {

// A text that the toolkit's number conversion refuses. The message is the one the user sees:
// "'<text>' ist kein gültiger Gleitkommawert" (UTF-8).
class ConversionError : public std::runtime_error {
public:
    explicit ConversionError(const std::string& text)
        : std::runtime_error("'" + text + "' ist kein g\u00fcltiger Gleitkommawert") {}
};

}  // namespace blx52
