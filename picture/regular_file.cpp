#include "regular_file.h"

#include <QFile>

#include "link/regular_file.h"

namespace blx52 {

std::optional<QByteArray> readRegularFile(const QString& path, qint64 maxBytes) {
#ifdef Q_OS_WIN
    const std::string name = path.toStdString();  // UTF-8
#else
    const std::string name = QFile::encodeName(path).toStdString();
#endif
    const std::optional<std::string> bytes = readRegularFileBytes(name, maxBytes);
    if (!bytes)
        return std::nullopt;
    return QByteArray(bytes->data(), static_cast<qsizetype>(bytes->size()));
}

}  // namespace blx52
