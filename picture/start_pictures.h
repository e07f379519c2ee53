#pragma once

#include <QString>
#include <QStringList>

#include "picture/picture_files.h"

namespace blx52 {

// The 25 start pictures are shipped as bitmap files named like the slot bitmaps; this folder
// holds them next to an installed program (<prefix>/share/blx52/start-pictures) and in the build
// tree alike, as seen from the folder of the program.
QString startPicturesFolder(const QString& programFolder);

struct StartPicturesResult {
    QStringList copied;  // file names copied into the picture folder
    QStringList kept;    // file names that were there already and were left alone
    QString error;       // empty on success; otherwise what went wrong, in German like file errors
    bool ok() const { return error.isEmpty(); }
};

// Creates the picture folder if needed and copies every start picture into it that is not there
// yet. A file that exists is never replaced. The source must hold all 25 pictures; if one is
// missing nothing is created at all.
StartPicturesResult installStartPictures(const QString& sourceFolder,
                                         const QString& pictureFolder = SettingsFolder());

// The one-line outcome of setting up the picture folder, for the command lines.
QString startPicturesSummary(const StartPicturesResult& result, const QString& pictureFolder);

}  // namespace blx52
