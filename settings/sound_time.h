#pragma once

#include <array>

#include <QLocale>
#include <QString>

namespace blx52 {

// What a sound time display and its unit memo show.
struct SoundTimeText {
    QString value;
    QString unit;  // "sec" or "min"
};

// The playing time of a tone sequence: four durations in ms and the repeat count, as their texts.
// Throws ConversionError for the first text that is no number, FloatOverflowError when the time
// is too large for a float.
SoundTimeText soundTime(const std::array<QString, 4>& durations, const QString& repeats,
                        const QLocale& locale);

// The toolkit's general number form: at most 15 significant digits, trailing zeros dropped,
// fixed notation unless the number is very large or very small.
QString formatGeneral(double value, const QLocale& locale);

}  // namespace blx52
