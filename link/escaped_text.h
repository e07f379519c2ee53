#pragma once

#include <string>
#include <string_view>

namespace blx52 {

// Line bytes as one printable line: text as it stands, the characters in `quoted` behind a
// backslash, every other byte as \xHH.
inline std::string escapedText(std::string_view bytes, std::string_view quoted = "\\") {
    static constexpr char hex[] = "0123456789abcdef";
    std::string out;
    for (const char ch : bytes) {
        const auto c = static_cast<unsigned char>(ch);
        if (quoted.find(ch) != std::string_view::npos) {
            out += '\\';
            out += ch;
        } else if (c >= 0x20 && c < 0x7f) {
            out += ch;
        } else {
            out += "\\x";
            out += hex[c >> 4];
            out += hex[c & 15];
        }
    }
    return out;
}

}  // namespace blx52
