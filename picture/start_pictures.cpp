#include "picture/start_pictures.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace blx52 {

QString startPicturesFolder(const QString& programFolder) {
    return QDir::cleanPath(programFolder + QStringLiteral("/../share/blx52/start-pictures"));
}

StartPicturesResult installStartPictures(const QString& sourceFolder,
                                         const QString& pictureFolder) {
    StartPicturesResult result;
    const QDir source(sourceFolder);
    for (const PictureSlot& slot : pictureSlots()) {
        const QString name = QString::fromStdString(slot.bitmapFile);
        if (!QFileInfo(source.filePath(name)).isFile()) {
            result.error = QStringLiteral("Startbild fehlt: %1")
                               .arg(QDir::toNativeSeparators(source.filePath(name)));
            return result;
        }
    }

    const QFileInfo folderInfo(pictureFolder);
    if (folderInfo.exists() && !folderInfo.isDir()) {
        result.error =
            QStringLiteral("Kein Ordner: %1").arg(QDir::toNativeSeparators(pictureFolder));
        return result;
    }
    if (!QDir().mkpath(pictureFolder)) {
        result.error = QStringLiteral("Ordner kann nicht angelegt werden: %1")
                           .arg(QDir::toNativeSeparators(pictureFolder));
        return result;
    }

    const QDir target(pictureFolder);
    for (const PictureSlot& slot : pictureSlots()) {
        const QString name = QString::fromStdString(slot.bitmapFile);
        const QString to = target.filePath(name);
        // exists() follows links; a dangling link is an entry of the user's too.
        if (QFileInfo(to).exists() || QFileInfo(to).isSymLink()) {
            result.kept << name;
            continue;
        }
        // QFile::copy refuses to replace a file that appeared meanwhile.
        if (!QFile::copy(source.filePath(name), to)) {
            result.error = QStringLiteral("Datei kann nicht geschrieben werden: %1")
                               .arg(QDir::toNativeSeparators(to));
            return result;
        }
        // The copy takes the mode of the shipped file, which may be read-only; the pictures are
        // the user's to overwrite.
        QFile::setPermissions(
            to, QFile::permissions(to) | QFileDevice::WriteOwner | QFileDevice::ReadOwner);
        result.copied << name;
    }
    return result;
}

QString startPicturesSummary(const StartPicturesResult& result, const QString& pictureFolder) {
    if (!result.ok())
        return result.error;
    return QStringLiteral("%1: %2 start pictures copied, %3 files already there were kept.")
        .arg(QDir::toNativeSeparators(pictureFolder))
        .arg(result.copied.size())
        .arg(result.kept.size());
}

}  // namespace blx52
