#include "picture_files.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QImageWriter>
#include <QSaveFile>

#include <cstdint>
#include <cstdlib>

namespace blx52 {

namespace {

QString shown(const QString& path) {
    return QDir::toNativeSeparators(path);
}

// A missing picture folder is the usual first-start failure: say so, and how to make it.
QString withFolderHint(const QString& message, const QString& path) {
    const QString folder = QFileInfo(path).absolutePath();
    if (QFileInfo(folder).isDir())
        return message;
    return message + QStringLiteral(
                         "\n\nDer Bilderordner %1 fehlt. Anlegen mit den "
                         "Startbildern: blx52 --init-pictures")
                         .arg(shown(folder));
}

QString cannotWrite(const QString& path) {
    return withFolderHint(
        QStringLiteral("Datei kann nicht geschrieben werden: %1").arg(shown(path)), path);
}

QString cannotRead(const QString& path) {
    return withFolderHint(QStringLiteral("Datei kann nicht gelesen werden: %1").arg(shown(path)),
                          path);
}

QString wrongSize(const QString& path) {
    return QStringLiteral("Bild ist nicht 32 × 32 Pixel groß: %1").arg(shown(path));
}

// A temporary file next to the target is renamed over it only after everything was written.
// Unbuffered: with Qt's write buffer a short write while flushing (a full disk) goes unnoticed
// and commit() would rename the cut-off file over the old one.
FileError writeAtomically(const QString& path, const QByteArray& data) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return cannotWrite(path);
    if (file.write(data) != data.size()) {
        file.cancelWriting();
        return cannotWrite(path);
    }
    if (!file.commit())
        return cannotWrite(path);
    return std::nullopt;
}

std::uint32_t u16(const QByteArray& d, qsizetype at) {
    return static_cast<std::uint8_t>(d[at]) | static_cast<std::uint8_t>(d[at + 1]) << 8;
}

std::uint32_t u32(const QByteArray& d, qsizetype at) {
    return u16(d, at) | u16(d, at + 2) << 16;
}

enum class Layout { Fine, Unreadable, WrongSize };

// Qt's BMP reader accepts a file whose pixel rows stop early and fills in the rest, so the
// header is checked against the file length here first. Only uncompressed rows (plain or with
// bit masks) are taken; for them the length of the pixel data follows from the header.
Layout checkLayout(const QByteArray& d) {
    constexpr qsizetype fileHeader = 14;
    if (d.size() < fileHeader + 12 || d[0] != 'B' || d[1] != 'M')
        return Layout::Unreadable;
    const std::uint32_t pixelOffset = u32(d, 10);
    const std::uint32_t infoSize = u32(d, 14);
    std::int64_t width = 0;
    std::int64_t height = 0;
    std::uint32_t bitsPerPixel = 0;
    std::uint32_t compression = 0;
    if (infoSize == 12) {  // OS/2 core header
        width = u16(d, 18);
        height = static_cast<std::int16_t>(u16(d, 20));
        bitsPerPixel = u16(d, 24);
    } else if (infoSize >= 40 && infoSize <= 124) {
        if (d.size() < fileHeader + 40)
            return Layout::Unreadable;
        width = static_cast<std::int32_t>(u32(d, 18));
        height = static_cast<std::int32_t>(u32(d, 22));
        bitsPerPixel = u16(d, 28);
        compression = u32(d, 30);
    } else {
        return Layout::Unreadable;
    }
    if (width != Picture::Width || std::llabs(height) != Picture::Height)
        return Layout::WrongSize;
    const bool plain =
        compression == 0 && (bitsPerPixel == 1 || bitsPerPixel == 4 || bitsPerPixel == 8 ||
                             bitsPerPixel == 16 || bitsPerPixel == 24 || bitsPerPixel == 32);
    const bool masked = compression == 3 && (bitsPerPixel == 16 || bitsPerPixel == 32);
    if (!plain && !masked)
        return Layout::Unreadable;
    const std::int64_t rowBytes = (width * bitsPerPixel + 31) / 32 * 4;
    if (pixelOffset < fileHeader + infoSize ||
        static_cast<std::int64_t>(pixelOffset) + rowBytes * Picture::Height > d.size()) {
        return Layout::Unreadable;
    }
    return Layout::Fine;
}

}  // namespace

QString SettingsFolder() {
#ifdef Q_OS_WIN
    return QStringLiteral("C:\\Users\\BLX52_Settings\\");
#else
    return QDir::homePath() + QStringLiteral("/BLX52_Settings/");
#endif
}

QString bitmapFilePath(const PictureSlot& slot, const QString& folder) {
    return folder + QString::fromStdString(slot.bitmapFile);
}

QString devicePictureFilePath(const PictureSlot& slot, const QString& folder) {
    return folder + QString::fromStdString(slot.devicePictureFile);
}

FileError saveBitmap(const Picture& picture, const QString& path) {
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "bmp");
    if (!writer.write(picture.image()))
        return cannotWrite(path);
    buffer.close();
    return writeAtomically(path, data);
}

FileError loadBitmap(const QString& path, Picture& picture) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > MaxBitmapFileSize) {
        return cannotRead(path);
    }
    QByteArray data = file.read(MaxBitmapFileSize + 1);
    if (file.error() != QFileDevice::NoError || data.size() > MaxBitmapFileSize) {
        return cannotRead(path);
    }
    switch (checkLayout(data)) {
        case Layout::Unreadable:
            return cannotRead(path);
        case Layout::WrongSize:
            return wrongSize(path);
        case Layout::Fine:
            break;
    }
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "bmp");
    reader.setAutoDetectImageFormat(false);
    QImage image;
    if (!reader.read(&image))
        return cannotRead(path);
    auto loaded = Picture::fromImage(image);
    if (!loaded)
        return wrongSize(path);
    picture = *loaded;
    return std::nullopt;
}

QByteArray devicePictureBytes(const CodeGrid& grid) {
    return QByteArray(reinterpret_cast<const char*>(grid.codes.data()),
                      static_cast<qsizetype>(grid.codes.size()));
}

FileError writeDevicePictureFile(const CodeGrid& grid, const QString& path) {
    return writeAtomically(path, devicePictureBytes(grid));
}

}  // namespace blx52
