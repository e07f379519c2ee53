#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

#include "picture/picture.h"

namespace blx52 {

// How an image of another size becomes 32 × 32.
enum class ImportFit {
    Letterbox,  // all of the image, aspect kept, the rest black
    Crop,       // the largest centred square, filling the matrix
};

// How its colours become the eight.
enum class ImportColors {
    Nearest,         // each pixel to its nearest LED colour
    FloydSteinberg,  // nearest colour with the error diffused to the neighbours
};

struct ImportOptions {
    ImportFit fit = ImportFit::Letterbox;
    ImportColors colors = ImportColors::FloydSteinberg;
};

// Any image Qt reads, brought to the picture. Transparent pixels count as black (each pixel is
// taken as it shows over black). A null image gives an all-black picture.
Picture importImage(const QImage& image, ImportOptions options);

// The first frame of an image in any format Qt reads, or failing that the system (JPEG in the
// Windows build), at its full size. A null image and the reason on failure.
QImage decodeImage(const QByteArray& bytes, QString* error = nullptr);

// The same for an import. A large image is decoded at a reduced size where the format can do
// that itself (JPEG), far larger than the matrix still, which saves most of the decoding time.
// A file is read only when it is a regular one, so nothing waits on a FIFO or a device.
QImage readImageForImport(const QByteArray& bytes, QString* error = nullptr);
QImage readImageForImport(const QString& path, QString* error = nullptr);

// Whether `image` is a 32 × 32 picture in the eight colours already (after transparency), so
// that taking it needs no choice of fit or colours.
bool isLedPicture(const QImage& image);

// The picture as an image, each device pixel a `scale` × `scale` block.
QImage exportImage(const Picture& picture, int scale);
// Writes the export as PNG, replacing the file only once it is complete; an error text or empty.
QString savePictureImage(const Picture& picture, int scale, const QString& path);

}  // namespace blx52
