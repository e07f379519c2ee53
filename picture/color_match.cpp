#include "picture/color_match.h"

namespace blx52 {

LedColor nearestLedColor(int red, int green, int blue) {
    LedColor best = LedColor::Black;
    long bestDistance = -1;
    for (const LedColorInfo& c : ledColors()) {
        const long dr = red - qRed(c.rgb);
        const long dg = green - qGreen(c.rgb);
        const long db = blue - qBlue(c.rgb);
        const long distance = dr * dr + dg * dg + db * db;
        if (bestDistance < 0 || distance < bestDistance) {
            bestDistance = distance;
            best = c.color;
        }
    }
    return best;
}

QRgb overBlack(QRgb argb) {
    const int a = qAlpha(argb);
    if (a == 255)
        return argb;
    auto times = [a](int channel) { return (channel * a + 127) / 255; };
    return qRgb(times(qRed(argb)), times(qGreen(argb)), times(qBlue(argb)));
}

}  // namespace blx52
