#pragma once

#include <QByteArray>
#include <QString>

#include <optional>
#include <utility>
#include <vector>

#include "picture/picture.h"
#include "picture/plane_data.h"
#include "picture/slot_table.h"

namespace blx52 {

// The folder of all picture files, with a trailing separator: "C:\Users\BLX52_Settings\" on
// Windows, "$HOME/BLX52_Settings/" elsewhere. The program never creates it.
QString SettingsFolder();
// Why there can be no picture folder: on POSIX without a home ($HOME unset or empty) it would
// be made at the file system's root. Nothing when there is a home.
std::optional<QString> settingsFolderProblem();

QString bitmapFilePath(const PictureSlot& slot, const QString& folder = SettingsFolder());
QString devicePictureFilePath(const PictureSlot& slot, const QString& folder = SettingsFolder());

// Failures come back as a short German message naming the file; nothing means success.
using FileError = std::optional<QString>;

// Writes the picture as a 24-bit BMP. The old file is replaced only once the new one is
// completely written; after a failure it is untouched.
FileError saveBitmap(const Picture& picture, const QString& path);
// The bytes saveBitmap() writes; false only when the encoder fails.
bool encodeBitmap(const Picture& picture, QByteArray& bytes);

// Replaces several files together, as saveBitmap() replaces one: every new file is written
// before the first old one is replaced, so a crash leaves no half-written file. A file that
// cannot be written replaces none; a failed rename stops there. The message names the file that
// failed; `replaced` tells how many files from the front hold their new content.
FileError saveFiles(const std::vector<std::pair<QString, QByteArray>>& files,
                    std::size_t* replaced = nullptr);

// Reads a BMP of exactly 32 × 32 pixels into `picture`, colours as they are. A file that is
// missing, unreadable, truncated, no BMP or of another size is refused and `picture` keeps its
// content. Only a regular file is read: a folder, FIFO or device under the name is refused at
// once.
FileError loadBitmap(const QString& path, Picture& picture);

// Decodes the bytes of a BMP file as loadBitmap() does; `picture` changes only when Loaded.
enum class BitmapResult { Loaded, Unreadable, WrongSize };
BitmapResult decodeBitmap(QByteArray bytes, Picture& picture);

// The device picture file: 1024 codes, row 0 first, no header. Replaced like the bitmap.
QByteArray devicePictureBytes(const CodeGrid& grid);
FileError writeDevicePictureFile(const CodeGrid& grid, const QString& path);

// Larger files are no 32 × 32 bitmap and are not read at all.
inline constexpr qint64 MaxBitmapFileSize = 1 << 20;

}  // namespace blx52
