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

// A result too large for the 32-bit float it is held in. The toolkit reports it with this text
// instead of carrying on with an infinite value.
class FloatOverflowError : public std::runtime_error {
  public:
    FloatOverflowError() : std::runtime_error("Gleitkomma\u00fcberlauf") {}
};

}  // namespace blx52
