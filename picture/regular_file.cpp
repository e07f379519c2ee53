#include "regular_file.h"

#include <QFile>

namespace blx52 {

std::string nativeFileName(const QString& path) {
#ifdef Q_OS_WIN
    return path.toStdString();  // UTF-8
#else
    return QFile::encodeName(path).toStdString();
#endif
}

std::optional<QByteArray> readRegularFile(const QString& path, qint64 maxBytes, FileFault* fault) {
    const std::optional<std::string> bytes =
        readRegularFileBytes(nativeFileName(path), maxBytes, fault);
    if (!bytes)
        return std::nullopt;
    return QByteArray(bytes->data(), static_cast<qsizetype>(bytes->size()));
}

FileFault saveRegularFile(const QString& path, const QByteArray& bytes) {
    return replaceRegularFile(
        nativeFileName(path),
        std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
}

FileFault checkSaveTarget(const QString& path) {
    return checkSaveTarget(nativeFileName(path));
}

QString fileFaultText(const FileFault& fault) {
    return QString::fromStdString(describeFileFault(fault));
}

}  // namespace blx52
