#include "pen_text.h"

#include <limits>

#include "picture/picture.h"
#include "settings/number_text.h"

namespace blx52 {

PenTextOutcome evaluatePenText(const QString& text) {
    if (text.isEmpty()) {
        return {PenTextVerdict::Empty, 0, QStringLiteral("0"), {}};
    }
    if (hasForbiddenCharacter(text)) {
        return {PenTextVerdict::Forbidden, Pen::Last, QStringLiteral("31"), {}};
    }
    // What passes the check may still hold control characters or other non-digits; the
    // value must also fit an int.
    long long value = 0;
    bool valid = true;
    for (const QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9')) {
            valid = false;
            break;
        }
        value = value * 10 + (c.unicode() - '0');
        if (value > std::numeric_limits<int>::max()) {
            valid = false;
            break;
        }
    }
    if (!valid) {
        return {PenTextVerdict::NotANumber,
                std::nullopt,
                {},
                QStringLiteral("'%1' ist kein gültiger Integerwert").arg(text)};
    }
    return {PenTextVerdict::Number, static_cast<int>(value), {}, {}};
}

}  // namespace blx52
