// Arbitrary bytes as a picture's bitmap file. A refused file must leave the picture alone; a
// taken one must decode to the same picture every time, also with bytes appended after its end
// (a pixel taken from beyond the file, or left unwritten, would change), and our own writer's
// copy of it must be taken and give it back.
#include <QBuffer>
#include <QByteArray>
#include <QImageWriter>
#include <QtGlobal>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "picture/picture.h"
#include "picture/picture_files.h"

namespace {

void require(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "bitmap_fuzz: %s\n", what);
        std::abort();
    }
}

// The toolkit warns where it maps a pixel it cannot read (a palette index beyond the palette):
// a file that makes it warn should have been refused.
void noWarnings(QtMsgType, const QMessageLogContext&, const QString& message) {
    std::fprintf(stderr, "bitmap_fuzz: toolkit message: %s\n", qPrintable(message));
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    qInstallMessageHandler(noWarnings);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace blx52;
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));

    Picture first = initialPicture();
    Picture second;
    const BitmapResult firstResult = decodeBitmap(bytes, first);
    const BitmapResult secondResult = decodeBitmap(bytes, second);
    require(firstResult == secondResult, "two decodes of the same bytes disagree");
    if (firstResult != BitmapResult::Loaded) {
        require(first == initialPicture() && second == Picture(),
                "a refused file changed the picture");
        return 0;
    }
    require(first == second, "two decodes of the same bytes gave different pictures");
    for (char fill : {'\x00', '\x5a'}) {
        Picture padded;
        require(decodeBitmap(bytes + QByteArray(4096, fill), padded) == BitmapResult::Loaded,
                "the file with bytes appended is refused");
        require(padded == first, "bytes after the file's end changed the picture");
    }
    for (int y = 0; y < Picture::Height; ++y) {
        for (int x = 0; x < Picture::Width; ++x) {
            const int code = first.code(x, y);
            require(code >= 0 && code <= 7, "a pixel has no LED code");
        }
    }

    QByteArray written;
    QBuffer buffer(&written);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "bmp");
    require(writer.write(first.image()), "the picture cannot be written");
    Picture reread;
    require(decodeBitmap(written, reread) == BitmapResult::Loaded, "our own file is refused");
    require(reread == first, "our own file gives another picture");
    return 0;
}
