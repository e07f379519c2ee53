#include "picture/picture_import.h"

#include <QBuffer>
#include <QImageReader>
#include <algorithm>
#include <cmath>
#include <optional>
#include <vector>

#include "platform/system_image.h"
#include "picture/bitmap_check.h"
#include "picture/color_match.h"
#include "picture/regular_file.h"

namespace blx52 {

namespace {

// The part of the image that is used and the size it gets in the matrix.
struct Placement {
    QRect source;
    QSize target;
};

Placement placementOf(QSize size, ImportFit fit) {
    const int w = size.width();
    const int h = size.height();
    if (fit == ImportFit::Crop) {
        const int side = std::min(w, h);
        return {QRect((w - side) / 2, (h - side) / 2, side, side),
                QSize(Picture::Width, Picture::Height)};
    }
    const int longer = std::max(w, h);
    auto along = [longer](int length, int matrix) {
        return std::clamp(static_cast<int>(std::lround(double(matrix) * length / longer)), 1,
                          matrix);
    };
    return {QRect(QPoint(0, 0), size), QSize(along(w, Picture::Width), along(h, Picture::Height))};
}

// The used part at its matrix size, each pixel as it shows over black (premultiplied).
QImage scaledOverBlack(const QImage& image, const Placement& place) {
    // Premultiplied before scaling, so a transparent pixel's hidden colour does not bleed into
    // its neighbours; an opaque image needs no conversion.
    QImage used = image.hasAlphaChannel()
                      ? image.convertToFormat(QImage::Format_ARGB32_Premultiplied)
                      : image.convertToFormat(QImage::Format_RGB32);
    if (place.source != used.rect()) {
        // A view of the square inside the image instead of a copy of it; `used` outlives it.
        const QRect r = place.source;
        const QImage square(used.constBits() + r.y() * used.bytesPerLine() + r.x() * 4, r.width(),
                            r.height(), used.bytesPerLine(), used.format());
        return square.scaled(place.target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
            .convertToFormat(QImage::Format_ARGB32_Premultiplied);
    }
    if (used.size() != place.target) {
        used = used.scaled(place.target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    return used.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

void mapNearest(const QImage& scaled, Picture& picture, QPoint at) {
    for (int y = 0; y < scaled.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(scaled.constScanLine(y));
        for (int x = 0; x < scaled.width(); ++x)
            picture.setPixel(at.x() + x, at.y() + y, nearestLedColor(line[x]));
    }
}

// Floyd–Steinberg: the difference between a pixel and its LED colour goes on to the pixels not
// yet mapped, 7/16 right, 3/16 down left, 5/16 down, 1/16 down right.
void mapDithered(const QImage& scaled, Picture& picture, QPoint at) {
    const int w = scaled.width();
    const int h = scaled.height();
    std::vector<float> rgb(static_cast<std::size_t>(w * h * 3));
    for (int y = 0; y < h; ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(scaled.constScanLine(y));
        for (int x = 0; x < w; ++x) {
            float* p = &rgb[static_cast<std::size_t>((y * w + x) * 3)];
            p[0] = float(qRed(line[x]));
            p[1] = float(qGreen(line[x]));
            p[2] = float(qBlue(line[x]));
        }
    }
    auto spread = [&](int x, int y, const float* error, float share) {
        if (x < 0 || x >= w || y >= h)
            return;
        float* p = &rgb[static_cast<std::size_t>((y * w + x) * 3)];
        for (int c = 0; c < 3; ++c)
            p[c] += error[c] * share;
    };
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const float* p = &rgb[static_cast<std::size_t>((y * w + x) * 3)];
            // Kept within the channel range, so a run of errors cannot push a colour without end.
            const int r = std::clamp(static_cast<int>(std::lround(p[0])), 0, 255);
            const int g = std::clamp(static_cast<int>(std::lround(p[1])), 0, 255);
            const int b = std::clamp(static_cast<int>(std::lround(p[2])), 0, 255);
            const LedColor color = nearestLedColor(r, g, b);
            const QRgb led = ledRgb(color);
            const float error[3] = {float(r - qRed(led)), float(g - qGreen(led)),
                                    float(b - qBlue(led))};
            spread(x + 1, y, error, 7.0f / 16);
            spread(x - 1, y + 1, error, 3.0f / 16);
            spread(x, y + 1, error, 5.0f / 16);
            spread(x + 1, y + 1, error, 1.0f / 16);
            picture.setPixel(at.x() + x, at.y() + y, color);
        }
    }
}

}  // namespace

Picture importImage(const QImage& image, ImportOptions options) {
    Picture picture;
    if (image.isNull() || image.width() <= 0 || image.height() <= 0)
        return picture;
    const Placement place = placementOf(image.size(), options.fit);
    const QImage scaled = scaledOverBlack(image, place);
    const QPoint at((Picture::Width - scaled.width()) / 2, (Picture::Height - scaled.height()) / 2);
    if (options.colors == ImportColors::Nearest) {
        mapNearest(scaled, picture, at);
    } else {
        mapDithered(scaled, picture, at);
    }
    return picture;
}

namespace {

// Enough pixels for the matrix and for the preview beside it.
constexpr int DecodedSide = 512;
// Decoding at a reduced size pays from twice that on.
constexpr int ReduceAbove = 2 * DecodedSide;

// Far above any photo; the decoders refuse more than 256 MB of pixels anyway.
constexpr qint64 MaxImportFileSize = 256 * 1024 * 1024;

QImage decode(QByteArray bytes, bool reduce, QString* error) {
    // Checked before any decoder sees it, the system's too: a cut file must not be decoded.
    if (const std::optional<QString> why = incompleteImage(bytes)) {
        if (error)
            *error = *why;
        return {};
    }
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    const QSize full = reader.size();
    if (reduce && full.isValid() && std::min(full.width(), full.height()) > ReduceAbove &&
        reader.supportsOption(QImageIOHandler::ScaledSize)) {
        reader.setScaledSize(full.scaled(DecodedSide, DecodedSide, Qt::KeepAspectRatioByExpanding));
    }
    QImage image = reader.read();
    if (!image.isNull() || reader.error() != QImageReader::UnsupportedFormatError) {
        if (image.isNull() && error)
            *error = reader.errorString();
        return image;
    }
    // A format this Qt has no reader for (JPEG in the static Windows build) may still be one
    // the system reads.
    std::string why;
    const std::optional<SystemImage> system = decodeWithSystemCodecs(
        reinterpret_cast<const unsigned char*>(bytes.constData()),
        static_cast<std::size_t>(bytes.size()), reduce ? ReduceAbove : 0, DecodedSide, &why);
    if (!system) {
        if (error)
            *error = QString::fromStdString(why);
        return {};
    }
    // A view of the decoded words, copied so that the image owns its pixels.
    QImage copy =
        QImage(reinterpret_cast<const uchar*>(system->argb.data()), system->width, system->height,
               static_cast<qsizetype>(system->width) * 4, QImage::Format_ARGB32)
            .copy();
    if (copy.isNull() && error)
        *error = QStringLiteral("image too large");
    return copy;
}

}  // namespace

QImage decodeImage(const QByteArray& bytes, QString* error) {
    return decode(bytes, false, error);
}

QImage readImageForImport(const QByteArray& bytes, QString* error) {
    return decode(bytes, true, error);
}

QImage readImageForImport(const QString& path, QString* error) {
    // Only a regular file: a FIFO or a device under the name would hold the window.
    FileFault fault;
    const std::optional<QByteArray> bytes = readRegularFile(path, MaxImportFileSize, &fault);
    if (!bytes) {
        if (error)
            *error = fileFaultText(fault);
        return {};
    }
    return readImageForImport(*bytes, error);
}

bool isLedPicture(const QImage& image) {
    if (image.width() != Picture::Width || image.height() != Picture::Height)
        return false;
    for (int y = 0; y < Picture::Height; ++y) {
        for (int x = 0; x < Picture::Width; ++x) {
            const QRgb shown = overBlack(image.pixel(x, y)) | 0xff000000u;
            if (ledRgb(nearestLedColor(shown)) != shown)
                return false;
        }
    }
    return true;
}

QImage exportImage(const Picture& picture, int scale) {
    scale = std::max(scale, 1);
    return picture.image().scaled(Picture::Width * scale, Picture::Height * scale,
                                  Qt::IgnoreAspectRatio, Qt::FastTransformation);
}

QString savePictureImage(const Picture& picture, int scale, const QString& path) {
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (!exportImage(picture, scale).save(&buffer, "PNG"))
        return QStringLiteral("%1: the image could not be written").arg(path);
    const FileFault fault = saveRegularFile(path, png);
    if (fault)
        return QStringLiteral("%1 cannot be written: %2").arg(path, fileFaultText(fault));
    return {};
}

}  // namespace blx52
