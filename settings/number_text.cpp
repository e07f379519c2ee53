#include "number_text.h"

#include <array>
#include <charconv>
#include <cmath>
#include <limits>
#include <string>

#include "settings/conversion_error.h"

namespace blx52 {

namespace {

// Unicode characters of the codes 0x80 … 0x9F; 0 marks a code the code page leaves undefined,
// which round-trips as the control character of the same number.
constexpr std::array<char16_t, 32> highControlRange = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

bool forbiddenCode(int code) {
    if (code >= 32 && code <= 47)
        return true;
    if (code >= 58 && code <= 126)
        return true;
    switch (code) {
        case 128:  // €
        case 167:  // §
        case 176:  // °
        case 196:  // Ä
        case 214:  // Ö
        case 220:  // Ü
        case 223:  // ß
        case 228:  // ä
        case 246:  // ö
        case 252:  // ü
            return true;
        default:
            return false;
    }
}

}  // namespace

int windows1252Code(QChar c) {
    const char16_t u = c.unicode();
    if (u < 0x80 || (u >= 0xA0 && u <= 0xFF))
        return u;
    for (int i = 0; i < 32; ++i) {
        if (highControlRange[i] == 0 && u == 0x80 + i)
            return u;
        if (highControlRange[i] != 0 && highControlRange[i] == u)
            return 0x80 + i;
    }
    return -1;
}

bool hasForbiddenCharacter(const QString& text) {
    for (QChar c : text) {
        const int code = windows1252Code(c);
        if (code < 0 || forbiddenCode(code))
            return true;
    }
    return false;
}

float textToFloat(const QString& text, const QLocale& locale) {
    const auto fail = [&]() -> float { throw ConversionError(text.toStdString()); };
    const QString decimal = locale.decimalPoint();
    // Checked here and rebuilt with a point for from_chars, which alone would accept more than
    // the toolkit does ("inf", "nan", a leading "+" missing, another separator).
    std::string plain;
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && text[i] == u' ')
        ++i;
    if (i < n && (text[i] == u'+' || text[i] == u'-')) {
        if (text[i] == u'-')
            plain += '-';  // from_chars takes no "+"
        ++i;
    }
    int digits = 0;
    while (i < n && text[i] >= u'0' && text[i] <= u'9') {
        plain += static_cast<char>(text[i++].unicode());
        ++digits;
    }
    if (i < n && !decimal.isEmpty() && text.mid(i, decimal.size()) == decimal) {
        i += decimal.size();
        plain += '.';
        while (i < n && text[i] >= u'0' && text[i] <= u'9') {
            plain += static_cast<char>(text[i++].unicode());
            ++digits;
        }
    }
    if (digits == 0)
        return fail();
    if (i < n && (text[i] == u'e' || text[i] == u'E')) {
        plain += 'e';
        ++i;
        if (i < n && (text[i] == u'+' || text[i] == u'-'))
            plain += static_cast<char>(text[i++].unicode());
        int expDigits = 0;
        while (i < n && text[i] >= u'0' && text[i] <= u'9') {
            plain += static_cast<char>(text[i++].unicode());
            ++expDigits;
        }
        if (expDigits == 0)
            return fail();
    }
    while (i < n && text[i] == u' ')
        ++i;
    if (i != n)
        return fail();
    double value = 0;
    const auto [end, error] = std::from_chars(plain.data(), plain.data() + plain.size(), value);
    if (error != std::errc() || end != plain.data() + plain.size())
        return fail();
    if (!std::isfinite(value) || std::fabs(value) > std::numeric_limits<float>::max()) {
        return fail();
    }
    return static_cast<float>(value);
}

}  // namespace blx52
