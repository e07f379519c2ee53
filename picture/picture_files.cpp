#include "picture_files.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QImageWriter>

#include "picture/bitmap_check.h"
#include "picture/regular_file.h"

namespace blx52 {

namespace {

QString shown(const QString& path) {
    return QDir::toNativeSeparators(path);
}

// A missing picture folder is the usual first-start failure: say so, and how to make it. The
// menu item comes first: a user who started the program from the desktop has no terminal.
QString withFolderHint(const QString& message, const QString& path) {
    const QString folder = QFileInfo(path).absolutePath();
    if (QFileInfo(folder).isDir())
        return message;
    return message + QStringLiteral(
                         "\n\nDer Bilderordner %1 fehlt. Anlegen mit den Startbildern: "
                         "Menü File, \u201eCreate picture folder\u2026\u201c, oder "
                         "blx52 --init-pictures")
                         .arg(shown(folder));
}

QString cannotWrite(const QString& path, const FileFault& fault = {}) {
    QString message = QStringLiteral("Datei kann nicht geschrieben werden: %1").arg(shown(path));
    if (fault.kind == FileFault::NotRegular)
        message += QStringLiteral(
            "\n\nUnter diesem Namen steht keine gewöhnliche Datei (ein Ordner, FIFO oder "
            "Gerät); sie bleibt unverändert.");
    else if (fault.kind == FileFault::NoSpace)
        message +=
            QStringLiteral("\n\nDer Datenträger ist voll; die alte Datei bleibt unverändert.");
    return withFolderHint(message, path);
}

QString cannotRead(const QString& path) {
    return withFolderHint(QStringLiteral("Datei kann nicht gelesen werden: %1").arg(shown(path)),
                          path);
}

QString wrongSize(const QString& path) {
    return QStringLiteral("Bild ist nicht 32 × 32 Pixel groß: %1").arg(shown(path));
}

// The one safe save: a regular file is replaced only once the new one is completely written.
FileError writeAtomically(const QString& path, const QByteArray& data) {
    if (const FileFault fault = saveRegularFile(path, data))
        return cannotWrite(path, fault);
    return std::nullopt;
}

}  // namespace

QString SettingsFolder() {
#ifdef Q_OS_WIN
    return QStringLiteral("C:\\Users\\BLX52_Settings\\");
#else
    return QDir::homePath() + QStringLiteral("/BLX52_Settings/");
#endif
}

std::optional<QString> settingsFolderProblem() {
#ifdef Q_OS_WIN
    return std::nullopt;
#else
    if (qEnvironmentVariableIsEmpty("HOME"))
        return QStringLiteral(
            "HOME ist nicht gesetzt: ohne Home-Ordner gibt es keinen Bilderordner "
            "(er entstünde als /BLX52_Settings im Wurzelverzeichnis).");
    return std::nullopt;
#endif
}

namespace {

// A folder named without its closing separator ("~/pics") still holds the file.
QString inFolder(const QString& folder, const std::string& name) {
    const QString file = QString::fromStdString(name);
    if (folder.isEmpty() || folder.endsWith(u'/') || folder.endsWith(u'\\'))
        return folder + file;
    return folder + u'/' + file;
}

}  // namespace

QString bitmapFilePath(const PictureSlot& slot, const QString& folder) {
    return inFolder(folder, slot.bitmapFile);
}

QString devicePictureFilePath(const PictureSlot& slot, const QString& folder) {
    return inFolder(folder, slot.devicePictureFile);
}

bool encodeBitmap(const Picture& picture, QByteArray& bytes) {
    bytes.clear();
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "bmp");
    return writer.write(picture.image());
}

FileError saveBitmap(const Picture& picture, const QString& path) {
    QByteArray data;
    if (!encodeBitmap(picture, data))
        return cannotWrite(path);
    return writeAtomically(path, data);
}

FileError saveFiles(const std::vector<std::pair<QString, QByteArray>>& files,
                    std::size_t* replaced) {
    const FilesFault fault = saveRegularFiles(files);
    if (replaced != nullptr)
        *replaced = fault ? fault.replaced : files.size();
    if (fault)
        return cannotWrite(files[fault.failed].first, fault.fault);
    return std::nullopt;
}

BitmapResult decodeBitmap(QByteArray bytes, Picture& picture) {
    switch (checkBitmap(bytes)) {
        case BitmapLayout::Unreadable:
            return BitmapResult::Unreadable;
        case BitmapLayout::WrongSize:
            return BitmapResult::WrongSize;
        case BitmapLayout::Fine:
            break;
    }
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "bmp");
    reader.setAutoDetectImageFormat(false);
    QImage image;
    if (!reader.read(&image))
        return BitmapResult::Unreadable;
    auto loaded = Picture::fromImage(image);
    if (!loaded)
        return BitmapResult::WrongSize;
    picture = *loaded;
    return BitmapResult::Loaded;
}

FileError loadBitmap(const QString& path, Picture& picture) {
    const std::optional<QByteArray> data = readRegularFile(path, MaxBitmapFileSize);
    if (!data)
        return cannotRead(path);
    switch (decodeBitmap(*data, picture)) {
        case BitmapResult::Unreadable:
            return cannotRead(path);
        case BitmapResult::WrongSize:
            return wrongSize(path);
        case BitmapResult::Loaded:
            break;
    }
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
