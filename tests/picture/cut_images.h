#pragma once

#include <QtGui/qrgb.h>
#include <QByteArray>

#include <functional>
#include <utility>
#include <vector>

#include "tests/picture/bmp_builder.h"
#include "tests/picture/jpeg_sample.h"

namespace blx52::test {

// A GIF of one frame over a palette of up to eight colours. The LZW data starts its table anew
// every four pixels, so every code has four bits and no encoder is needed.
inline QByteArray buildGif(int width, int height, const std::vector<QRgb>& palette,
                           const std::function<int(int x, int y)>& index) {
    QByteArray d("GIF89a");
    const auto put16 = [&d](int v) {
        d.append(static_cast<char>(v & 0xFF));
        d.append(static_cast<char>((v >> 8) & 0xFF));
    };
    put16(width);
    put16(height);
    d.append(static_cast<char>(0xA2));  // a global table of 8 entries
    d.append('\0');
    d.append('\0');
    for (std::size_t i = 0; i < 8; ++i) {
        const QRgb c = i < palette.size() ? palette[i] : qRgb(0, 0, 0);
        d.append(static_cast<char>(qRed(c)));
        d.append(static_cast<char>(qGreen(c)));
        d.append(static_cast<char>(qBlue(c)));
    }
    d.append(',');
    put16(0);
    put16(0);
    put16(width);
    put16(height);
    d.append('\0');
    d.append('\3');  // the smallest code size: 4-bit codes, clear 8, end 9

    QByteArray codes;
    int nibbles = 0;
    const auto code = [&](int c) {
        if (nibbles++ % 2 == 0)
            codes.append(static_cast<char>(c));
        else
            codes[codes.size() - 1] = static_cast<char>(codes.back() | c << 4);
    };
    int count = 0;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            if (count++ % 4 == 0)
                code(8);
            code(index(x, y) & 7);
        }
    }
    code(9);
    for (qsizetype at = 0; at < codes.size(); at += 255) {
        const QByteArray block = codes.mid(at, 255);
        d.append(static_cast<char>(block.size()));
        d += block;
    }
    d.append('\0');
    d.append(';');
    return d;
}

struct ImageFile {
    const char* name;
    QByteArray whole;
    qsizetype cutAt;  // the length of the cut copy
    QByteArray cut() const { return whole.left(cutAt); }
};

// Image files that decoders took cut short, filling the rest from memory or with a colour of
// their own, each with the whole file it was cut from.
inline std::vector<ImageFile> cutImageFiles() {
    std::vector<ImageFile> files;
    BmpSpec mono;
    mono.bits = 1;
    mono.palette = {qRgb(0, 0, 0), qRgb(255, 255, 255)};
    mono.pixel = [](int x, int y) { return static_cast<std::uint32_t>((x ^ y) & 1); };
    const QByteArray oneBit = buildBmp(mono);
    files.push_back({"cut-1bit.bmp", oneBit, 14 + 40 + 8 + 10 * 4});  // 10 of 32 rows
    BmpSpec colour;
    colour.pixel = [](int x, int y) { return x < 16 ? 0xFF0000u : y < 16 ? 0xFFu : 0xFFFFFFu; };
    const QByteArray full = buildBmp(colour);
    files.push_back({"cut-24bit.bmp", full, full.size() - 1000});
    const QByteArray gif = buildGif(32, 32, {qRgb(0, 0, 0), qRgb(255, 0, 0), qRgb(0, 0, 255)},
                                    [](int x, int y) { return (x / 4 + y / 4) % 3; });
    files.push_back({"cut.gif", gif, gif.size() / 2});
    const QByteArray jpeg(reinterpret_cast<const char*>(RedBlueJpeg), sizeof RedBlueJpeg);
    files.push_back({"cut.jpg", jpeg, jpeg.size() - 60});  // inside the scan's data
    return files;
}

}  // namespace blx52::test
