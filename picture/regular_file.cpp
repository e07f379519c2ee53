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

FilesFault saveRegularFiles(const std::vector<std::pair<QString, QByteArray>>& files) {
    std::vector<FileReplacement> replacements;
    replacements.reserve(files.size());
    for (const auto& [path, bytes] : files)
        replacements.push_back(
            {nativeFileName(path),
             std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size()))});
    return replaceRegularFiles(replacements);
}

FileFault checkSaveTarget(const QString& path) {
    return checkSaveTarget(nativeFileName(path));
}

QString fileFaultText(const FileFault& fault) {
    return QString::fromStdString(describeFileFault(fault));
}

}  // namespace blx52
