#pragma once

#include <QString>

namespace blx52 {

// Text from a file or a device as a message shows it: control characters as \xHH (an ESC
// sequence must not act on the technician's terminal), and at most `limit` characters, the rest
// cut off with "…".
inline QString shownText(const QString& text, qsizetype limit = 40) {
    static constexpr char hex[] = "0123456789abcdef";
    QString out;
    qsizetype count = 0;
    for (const QChar c : text) {
        if (count == limit) {
            out += QChar(0x2026);
            break;
        }
        ++count;
        const char16_t u = c.unicode();
        if (u < 0x20 || u == 0x7f || (u >= 0x80 && u < 0xa0)) {
            out += QStringLiteral("\\x");
            out += QLatin1Char(hex[(u >> 4) & 15]);
            out += QLatin1Char(hex[u & 15]);
        } else {
            out += c;
        }
    }
    return out;
}

}  // namespace blx52
