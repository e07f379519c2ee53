#include "bitmap_check.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

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
                      qsizetype width, qsizetype rows, std::uint32_t bits, std::uint32_t entries) {
    const std::uint32_t perByte = 8 / bits;
    const std::uint32_t mask = (1u << bits) - 1;
    for (qsizetype row = 0; row < rows; ++row) {
        const qsizetype start = pixelOffset + row * rowBytes;
        for (qsizetype x = 0; x < width; ++x) {
            const auto byte = static_cast<std::uint8_t>(d[start + x / perByte]);
            const std::uint32_t shift = 8 - bits * (static_cast<std::uint32_t>(x) % perByte + 1);
            if (((byte >> shift) & mask) >= entries)
                return false;
        }
    }
    return true;
}

// The checks of checkBitmap(), for a picture's 32 × 32 or for any size.
BitmapLayout checkLayout(QByteArray& d, bool pictureSize) {
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
    const qsizetype rows = h.height < 0 ? -h.height : h.height;
    if (pictureSize && (h.width != Picture::Width || rows != Picture::Height))
        return BitmapLayout::WrongSize;
    if (h.width <= 0 || rows == 0)
        return BitmapLayout::Unreadable;

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
    // Every row must lie inside the file: the reader leaves the rows it cannot read as they were
    // in memory. Divided, not multiplied, so that no size of a header overflows.
    const qsizetype pixelOffset = u32(d, 10);
    const qsizetype rowBytes = (h.width * static_cast<qsizetype>(h.bits) + 31) / 32 * 4;
    if (tablesEnd > pixelOffset || pixelOffset > size || (size - pixelOffset) / rowBytes < rows)
        return BitmapLayout::Unreadable;
    if (indexed && !indexesInPalette(d, pixelOffset, rowBytes, h.width, rows, h.bits, entries))
        return BitmapLayout::Unreadable;

    if (h.infoSize == 52 || h.infoSize == 56) {
        // With the shorter header the reader would look for the palette 12 or 16 bytes early.
        if (indexed)
            return BitmapLayout::Unreadable;
        d[14] = 40;
    }
    return BitmapLayout::Fine;
}

std::uint32_t byteAt(const QByteArray& d, qsizetype at) {
    return static_cast<std::uint8_t>(d[at]);
}

// Skips a run of GIF sub-blocks from `at`; false when the data ends before their terminator.
bool skipSubBlocks(const QByteArray& d, qsizetype& at) {
    while (at < d.size()) {
        const qsizetype length = byteAt(d, at++);
        if (length == 0)
            return true;
        at += length;
    }
    return false;
}

// How many pixels the LZW codes of a GIF frame give, up to the end code or the data's end; each
// code stands for as many pixels as its table entry's string is long.
qsizetype lzwPixels(const QByteArray& data, std::uint32_t minimum) {
    const std::uint32_t clear = 1u << minimum;
    std::vector<qsizetype> lengths(4096, 1);
    std::uint32_t width = minimum + 1;
    std::uint32_t next = clear + 2;
    qsizetype previous = -1;
    qsizetype pixels = 0;
    std::uint64_t bits = 0;
    std::uint32_t held = 0;
    qsizetype at = 0;
    for (;;) {
        while (held < width && at < data.size()) {
            bits |= static_cast<std::uint64_t>(byteAt(data, at++)) << held;
            held += 8;
        }
        if (held < width)
            return pixels;
        const std::uint32_t code = static_cast<std::uint32_t>(bits & ((1u << width) - 1));
        bits >>= width;
        held -= width;
        if (code == clear) {
            width = minimum + 1;
            next = clear + 2;
            previous = -1;
            continue;
        }
        if (code == clear + 1 || code > next || (previous < 0 && code > clear))
            return pixels;
        const qsizetype length =
            code < next ? lengths[code] : lengths[static_cast<std::size_t>(previous)] + 1;
        pixels += length;
        if (previous >= 0 && next < 4096) {
            lengths[next] = lengths[static_cast<std::size_t>(previous)] + 1;
            if (++next == 1u << width && width < 12)
                ++width;
        }
        previous = code;
    }
}

// The reader shows a frame cut short with the pixels it did not get in the background colour,
// so the first frame's data must end inside the file and give all of its pixels.
bool gifFirstFrameComplete(const QByteArray& d) {
    constexpr qsizetype ScreenEnd = 13;  // signature and logical screen descriptor
    if (d.size() < ScreenEnd)
        return false;
    const auto tableSize = [](std::uint32_t packed) {
        return (packed & 0x80) != 0 ? qsizetype{3} << ((packed & 7) + 1) : 0;
    };
    qsizetype at = ScreenEnd + tableSize(byteAt(d, 10));
    while (at < d.size()) {
        const std::uint32_t block = byteAt(d, at++);
        if (block == 0x21) {  // an extension: its label, then sub-blocks
            ++at;
            if (!skipSubBlocks(d, at))
                return false;
        } else if (block == 0x2C) {  // an image: descriptor, colour table, code size, data
            if (at + 9 > d.size())
                return false;
            // The reader moves or clips a frame that leaves the screen, and what it shows of such a
            // frame depends on bytes after the file's end: the frame must lie on the screen.
            const auto le16 = [&d](qsizetype from) {
                return static_cast<qsizetype>(byteAt(d, from) | byteAt(d, from + 1) << 8);
            };
            if (le16(at) + le16(at + 4) > le16(6) || le16(at + 2) + le16(at + 6) > le16(8))
                return false;
            const qsizetype pixels = le16(at + 4) * le16(at + 6);
            at += 9 + tableSize(byteAt(d, at + 8));
            if (at >= d.size())
                return false;
            const std::uint32_t codeSize = byteAt(d, at++);
            QByteArray data;
            while (at < d.size()) {
                const qsizetype length = byteAt(d, at++);
                if (length == 0)
                    return pixels > 0 && codeSize >= 1 && codeSize <= 11 &&
                           lzwPixels(data, codeSize) >= pixels;
                data += d.mid(at, length);
                at += length;
            }
            return false;
        } else {
            return false;  // the trailer or garbage before any image
        }
    }
    return false;
}

// The JPEG decoder fills what is missing at a cut with grey and only warns, so the data must
// reach its end marker. Segments before a scan are skipped by their lengths (a thumbnail inside
// one holds an end marker of its own); inside a scan a marker is 0xFF followed by anything but a
// stuffed zero or a restart marker.
bool jpegReachesItsEnd(const QByteArray& d) {
    qsizetype at = 2;
    bool scanned = false;
    while (at < d.size()) {
        // As the decoder does, whatever stands before the next marker is skipped.
        at = d.indexOf('\xFF', at);
        if (at < 0)
            return false;
        while (at < d.size() && byteAt(d, at) == 0xFF)
            ++at;
        if (at >= d.size())
            return false;
        const std::uint32_t marker = byteAt(d, at++);
        if (marker == 0xD9)
            return scanned;
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7))
            continue;
        if (at + 2 > d.size())
            return false;
        at += static_cast<qsizetype>(byteAt(d, at) << 8 | byteAt(d, at + 1));
        if (marker != 0xDA)
            continue;
        scanned = true;
        for (;;) {  // the entropy-coded data up to the next marker
            at = d.indexOf('\xFF', at);
            if (at < 0)
                return false;
            qsizetype next = at + 1;
            while (next < d.size() && byteAt(d, next) == 0xFF)
                ++next;
            if (next >= d.size())
                return false;
            const std::uint32_t after = byteAt(d, next);
            if (after != 0 && (after < 0xD0 || after > 0xD7))
                break;
            at = next + 1;
        }
    }
    return false;
}

// The XBM reader leaves the rows after a cut blank: all the bytes its size asks for must be there.
bool xbmComplete(const QByteArray& d) {
    const auto defined = [&d](const char* suffix) -> qsizetype {
        const qsizetype at = d.indexOf(suffix);
        if (at < 0)
            return -1;
        const qsizetype from = at + static_cast<qsizetype>(std::strlen(suffix));
        const qsizetype end = d.indexOf('\n', from);
        bool ok = false;
        const qsizetype value = d.mid(from, end < 0 ? -1 : end - from).trimmed().toLongLong(&ok);
        return ok ? value : -1;
    };
    const qsizetype width = defined("_width");
    const qsizetype height = defined("_height");
    const qsizetype data = d.indexOf('{');
    constexpr qsizetype Largest = 1 << 20;  // far beyond what the reader takes
    if (width <= 0 || height <= 0 || width > Largest || height > Largest || data < 0)
        return false;
    qsizetype values = 0;
    for (qsizetype at = data; (at = d.indexOf('x', at + 1)) > 0;)
        values += d[at - 1] == '0';
    return values >= (width + 7) / 8 * height;
}

}  // namespace

BitmapLayout checkBitmap(QByteArray& d) {
    return checkLayout(d, true);
}

std::optional<QString> incompleteImage(QByteArray& bytes) {
    if (bytes.startsWith("BM")) {
        if (checkLayout(bytes, false) != BitmapLayout::Fine)
            return QStringLiteral(
                "a bitmap whose rows do not all lie in the file, or of a kind "
                "this program does not read");
    } else if (bytes.startsWith("GIF8")) {
        if (!gifFirstFrameComplete(bytes))
            return QStringLiteral("the image data ends before the picture does (a cut file?)");
    } else if (bytes.startsWith("\xFF\xD8")) {
        if (!jpegReachesItsEnd(bytes))
            return QStringLiteral("the image data ends before the picture does (a cut file?)");
    } else if (bytes.startsWith("#define")) {
        if (!xbmComplete(bytes))
            return QStringLiteral("the image data ends before the picture does (a cut file?)");
    }
    return std::nullopt;
}

}  // namespace blx52
