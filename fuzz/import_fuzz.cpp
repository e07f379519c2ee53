// Arbitrary bytes as an image file for the canvas's import and the command-line tool's picture.
// A taken image must decode to the same pixels every time, and a BMP or GIF also with bytes
// appended after its end (see below): a pixel taken from beyond a cut file, or left unwritten,
// would change.
// Its import to the picture must give LED codes only.
#include <QByteArray>
#include <QImage>
#include <QString>
#include <QtGlobal>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "picture/picture.h"
#include "picture/picture_import.h"

namespace {

void require(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "import_fuzz: %s\n", what);
        std::abort();
    }
}

// The decoders' complaints about broken data are expected here.
void quiet(QtMsgType, const QMessageLogContext&, const QString&) {}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    qInstallMessageHandler(quiet);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace blx52;
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));

    QString why;
    const QImage first = decodeImage(bytes, &why);
    require(first.isNull() != why.isEmpty(), "a refusal without a reason, or a reason for none");
    require(decodeImage(bytes) == first, "two decodes of the same bytes disagree");
    require(readImageForImport(bytes) == readImageForImport(bytes),
            "two reads for the import disagree");
    if (first.isNull())
        return 0;
    // Bytes after a taken file's end change none of its pixels. A GIF's reader may refuse the
    // longer file (its blocks read on past a broken frame), but never shows other pixels. A JPEG
    // is checked for its end marker only: data that is corrupt, not cut, can make the decoder
    // read on past that marker.
    const bool bitmap = bytes.startsWith("BM");
    if (bitmap || bytes.startsWith("GIF8")) {
        for (char fill : {'\x00', '\x5a'}) {
            const QImage longer = decodeImage(bytes + QByteArray(4096, fill));
            require(longer == first || (!bitmap && longer.isNull()),
                    "bytes after the file's end changed the image");
        }
    }
    const Picture picture = importImage(first, {});
    for (int y = 0; y < Picture::Height; ++y) {
        for (int x = 0; x < Picture::Width; ++x) {
            const int code = picture.code(x, y);
            require(code >= 0 && code <= 7, "a pixel has no LED code");
        }
    }
    return 0;
}
