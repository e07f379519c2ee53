#include "sound_time.h"

#include <charconv>
#include <cmath>
#include <limits>

#include "settings/conversion_error.h"

#include "settings/number_text.h"

namespace blx52 {

SoundTimeText soundTime(const std::array<QString, 4>& durations, const QString& repeats,
                        const QLocale& locale) {
    std::array<float, 4> d{};
    for (int i = 0; i < 4; ++i)
        d[i] = textToFloat(durations[i], locale);
    const float r = textToFloat(repeats, locale);
    // The products are formed wider and only the results are held as floats: that is what makes
    // 6000 ms show as "6" rather than with the error of a float 0.001.
    const double sum = static_cast<double>(d[0]) + d[1] + d[2] + d[3];
    const double product = sum * r * 0.001;
    // Long digit strings multiply beyond what a float holds; converting that is undefined and
    // would show a garbled "inf".
    if (!(std::fabs(product) <= std::numeric_limits<float>::max()))
        throw FloatOverflowError();
    const float seconds = static_cast<float>(product);
    if (seconds > 60.0f) {
        const float minutes = static_cast<float>(static_cast<double>(seconds) * (1.0 / 60.0));
        return {formatGeneral(minutes, locale), QStringLiteral("min")};
    }
    return {formatGeneral(seconds, locale), QStringLiteral("sec")};
}

QString formatGeneral(double value, const QLocale& locale) {
    if (value == 0)
        return QStringLiteral("0");
    constexpr int precision = 15;
    // Independent of the C library's locale: [-]d.dddddddddddddde[+-]xx
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value,
                                      std::chars_format::scientific, precision - 1);
    QString text = QString::fromLatin1(buffer, result.ptr - buffer);
    const bool negative = text.startsWith(u'-');
    if (negative)
        text.remove(0, 1);
    const qsizetype e = text.indexOf(u'e');
    QString digits = text.left(e);
    digits.remove(u'.');
    const int exponent = text.mid(e + 1).toInt();  // value = d.ddd × 10^exponent
    while (digits.size() > 1 && digits.endsWith(u'0'))
        digits.chop(1);

    const QString point = locale.decimalPoint();
    QString out;
    if (exponent >= precision || exponent < -4) {
        out = digits.left(1);
        if (digits.size() > 1)
            out += point + digits.mid(1);
        out += u'E' + QString::number(exponent);
    } else if (exponent < 0) {
        out = u'0' + point + QString(-exponent - 1, u'0') + digits;
    } else if (digits.size() <= exponent + 1) {
        out = digits + QString(exponent + 1 - digits.size(), u'0');
    } else {
        out = digits.left(exponent + 1) + point + digits.mid(exponent + 1);
    }
    return negative ? u'-' + out : out;
}

}  // namespace blx52
