#pragma once

#include <QtGui/qrgb.h>
#include <QByteArray>

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace blx52::test {

// Describes a BMP file field by field, so that tests can build well-formed files and the broken
// ones that other programs produce.
struct BmpSpec {
    int infoSize = 40;  // 12, 40, 52, 56, 108 or 124; masks go inside headers of 52 bytes or more
    int width = 32;
    int height = 32;  // negative: rows top-down
    int bits = 24;
    std::uint32_t compression = 0;
    std::uint32_t colorsUsed = 0;
    std::vector<QRgb> palette;                 // the entries actually written
    std::vector<std::uint32_t> masks;          // red, green, blue (, alpha)
    std::optional<std::uint32_t> pixelOffset;  // default: right after header, masks and palette
    // The raw value of a pixel: a palette index, or the packed value of its `bits` bits.
    std::function<std::uint32_t(int x, int y)> pixel = [](int, int) { return 0u; };
};

inline void putLe(QByteArray& d, qsizetype at, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        d[at + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

inline QByteArray buildBmp(const BmpSpec& s) {
    const bool core = s.infoSize == 12;
    const bool masksAfter = s.infoSize == 40 && !s.masks.empty();
    QByteArray d(14 + s.infoSize, '\0');
    d[0] = 'B';
    d[1] = 'M';
    putLe(d, 14, static_cast<std::uint32_t>(s.infoSize), 4);
    if (core) {
        putLe(d, 18, static_cast<std::uint32_t>(s.width), 2);
        putLe(d, 20, static_cast<std::uint32_t>(s.height), 2);
        putLe(d, 22, 1, 2);
        putLe(d, 24, static_cast<std::uint32_t>(s.bits), 2);
    } else {
        putLe(d, 18, static_cast<std::uint32_t>(s.width), 4);
        putLe(d, 22, static_cast<std::uint32_t>(s.height), 4);
        putLe(d, 26, 1, 2);
        putLe(d, 28, static_cast<std::uint32_t>(s.bits), 2);
        putLe(d, 30, s.compression, 4);
        putLe(d, 46, s.colorsUsed, 4);
        if (!masksAfter) {
            for (std::size_t i = 0; i < s.masks.size() && 54 + 4 * i + 4 <= std::size_t(d.size());
                 ++i)
                putLe(d, static_cast<qsizetype>(54 + 4 * i), s.masks[i], 4);
        }
    }
    if (masksAfter) {
        for (std::uint32_t m : s.masks) {
            d.append(4, '\0');
            putLe(d, d.size() - 4, m, 4);
        }
    }
    for (QRgb c : s.palette) {
        d.append(static_cast<char>(qBlue(c)));
        d.append(static_cast<char>(qGreen(c)));
        d.append(static_cast<char>(qRed(c)));
        if (!core)
            d.append('\0');
    }
    const std::uint32_t offset = s.pixelOffset.value_or(static_cast<std::uint32_t>(d.size()));
    d.resize(offset, '\0');
    putLe(d, 10, offset, 4);

    const int rows = s.height < 0 ? -s.height : s.height;
    const int rowBytes = (s.width * s.bits + 31) / 32 * 4;
    for (int r = 0; r < rows; ++r) {
        const int y = s.height < 0 ? r : rows - 1 - r;
        QByteArray row(rowBytes, '\0');
        for (int x = 0; x < s.width; ++x) {
            const std::uint32_t v = s.pixel(x, y);
            if (s.bits >= 8) {
                putLe(row, x * s.bits / 8, v, s.bits / 8);
            } else {
                const int bit = x * s.bits;
                const int shift = 8 - s.bits - bit % 8;
                row[bit / 8] = static_cast<char>(row[bit / 8] | static_cast<char>(v << shift));
            }
        }
        d += row;
    }
    putLe(d, 2, static_cast<std::uint32_t>(d.size()), 4);
    return d;
}

}  // namespace blx52::test
