#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace blx52 {

// The whole content of a regular file of at most `maxBytes` bytes. Anything else found under the
// name (a folder, a FIFO, a device) is refused without waiting for a writer or a line; so is a
// larger file and one that cannot be opened or read.
std::optional<QByteArray> readRegularFile(const QString& path, qint64 maxBytes);

}  // namespace blx52
