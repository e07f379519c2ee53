#pragma once

#include <QByteArray>
#include <QString>

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/regular_file.h"

namespace blx52 {

// The one way this program opens a file the user names and saves any file; the Qt side of
// platform/regular_file.h.

// The name as the system's file functions take it (UTF-8 on Windows).
std::string nativeFileName(const QString& path);

// The whole content of a regular file of at most `maxBytes` bytes. Anything else found under the
// name (a folder, a FIFO, a device) is refused without waiting for a writer or a line; so is a
// larger file and one that cannot be opened or read.
std::optional<QByteArray> readRegularFile(const QString& path, qint64 maxBytes,
                                          FileFault* fault = nullptr);

// Replaces the file atomically, refusing anything but a regular file (see replaceRegularFile).
FileFault saveRegularFile(const QString& path, const QByteArray& bytes);
FileFault checkSaveTarget(const QString& path);
// Replaces the files together: all are written before the first is renamed (see
// replaceRegularFiles).
FilesFault saveRegularFiles(const std::vector<std::pair<QString, QByteArray>>& files);

QString fileFaultText(const FileFault& fault);

}  // namespace blx52
