#include "bitmap_check.h"

#include <algorithm>
#include <cstdint>

#include "picture/picture.h"

namespace blx52 {

namespace {

constexpr qsizetype FileHeaderSize = 14;
constexpr qsizetype CoreHeaderSize = 12;
constexpr std::uint32_t Uncompressed = 0;
constexpr std::uint32_t BitFields = 3;

// Callers make sure the bytes exist.
std::uint32_t u16(const QByteArray& d, qsizetype at) {
    return static_cast<std::uint8_t>(d[at]) |
           static_cast<std::uint32_t>(static_cast<std::uint8_t>(d[at + 1])) << 8;
}

std::uint32_t u32(const QByteArray& d, qsizetype at) {
    return u16(d, at) | u16(d, at + 2) << 16;
}

struct Header {
    std::uint32_t infoSize = 0;
    qsizetype width = 0;
    qsizetype height = 0;
    std::uint32_t planes = 0;
    std::uint32_t bits = 0;
    std::uint32_t compression = Uncompressed;
    std::uint32_t colorsUsed = 0;
};

bool knownInfoSize(std::uint32_t size) {
    return size == CoreHeaderSize || size == 40 || size == 52 || size == 56 || size == 108 ||
           size == 124;
}

// Every palette index of the 32 rows must name a palette entry; the reader maps others to black
// and complains about each one.
bool indexesInPalette(const QByteArray& d, qsizetype pixelOffset, qsizetype rowBytes,
                      std::uint32_t bits, std::uint32_t entries) {
    const std::uint32_t perByte = 8 / bits;
    const std::uint32_t mask = (1u << bits) - 1;
    for (qsizetype row = 0; row < Picture::Height; ++row) {
        const qsizetype start = pixelOffset + row * rowBytes;
        for (std::uint32_t x = 0; x < Picture::Width; ++x) {
            const auto byte = static_cast<std::uint8_t>(d[start + x / perByte]);
            const std::uint32_t shift = 8 - bits * (x % perByte + 1);
            if (((byte >> shift) & mask) >= entries)
                return false;
        }
    }
    return true;
}

}  // namespace

BitmapLayout checkBitmap(QByteArray& d) {
    const qsizetype size = d.size();
    if (size < FileHeaderSize + 4 || d[0] != 'B' || d[1] != 'M')
        return BitmapLayout::Unreadable;
    Header h;
    h.infoSize = u32(d, 14);
    if (!knownInfoSize(h.infoSize) || size < FileHeaderSize + h.infoSize)
        return BitmapLayout::Unreadable;
    const bool core = h.infoSize == CoreHeaderSize;
    if (core) {
        h.width = static_cast<std::int16_t>(u16(d, 18));
        h.height = static_cast<std::int16_t>(u16(d, 20));
        h.planes = u16(d, 22);
        h.bits = u16(d, 24);
    } else {
        h.width = static_cast<std::int32_t>(u32(d, 18));
        h.height = static_cast<std::int32_t>(u32(d, 22));
        h.planes = u16(d, 26);
        h.bits = u16(d, 28);
        h.compression = u32(d, 30);
        h.colorsUsed = u32(d, 46);
    }
    const bool indexed = h.bits == 1 || h.bits == 4 || h.bits == 8;
    if (h.planes != 1 || !(indexed || h.bits == 16 || h.bits == 24 || h.bits == 32))
        return BitmapLayout::Unreadable;
    if (h.width != Picture::Width || (h.height != Picture::Height && h.height != -Picture::Height))
        return BitmapLayout::WrongSize;

    // Run-length data is not taken: its decoder leaves skipped pixels uninitialised.
    const bool masked = h.compression == BitFields && (h.bits == 16 || h.bits == 32);
    if (h.compression != Uncompressed && !masked)
        return BitmapLayout::Unreadable;

    // Whatever the headers put before the pixels must end where the pixels begin.
    qsizetype tablesEnd = FileHeaderSize + h.infoSize;
    std::uint32_t entries = 0;
    if (indexed) {
        const std::uint32_t addressable = 1u << h.bits;
        entries = h.colorsUsed == 0 ? addressable : h.colorsUsed;
        if (entries > addressable)
            return BitmapLayout::Unreadable;
        tablesEnd += static_cast<qsizetype>(entries) * (core ? 3 : 4);
    } else if (masked && h.infoSize == 40) {
        tablesEnd += 12;  // red, green and blue masks follow the header
    }
    const qsizetype pixelOffset = u32(d, 10);
    const qsizetype rowBytes = (Picture::Width * static_cast<qsizetype>(h.bits) + 31) / 32 * 4;
    if (tablesEnd > pixelOffset || pixelOffset + rowBytes * Picture::Height > size)
        return BitmapLayout::Unreadable;
    if (indexed && !indexesInPalette(d, pixelOffset, rowBytes, h.bits, entries))
        return BitmapLayout::Unreadable;

    if (h.infoSize == 52 || h.infoSize == 56) {
        // With the shorter header the reader would look for the palette 12 or 16 bytes early.
        if (indexed)
            return BitmapLayout::Unreadable;
        d[14] = 40;
    }
    return BitmapLayout::Fine;
}

}  // namespace blx52
