#pragma once

#include <QString>

namespace blx52 {

class PictureSource;
struct Timeline;

struct ExportOutcome {
    QString error;          // empty: written
    bool soundCut = false;  // the sound ran past MaxExportSoundMs and stops there
};

// One picture cycle as an animated GIF and the sound, every repeat, as a WAV, each through the
// one safe save. An empty path skips that file.
ExportOutcome exportGif(const Timeline& timeline, const PictureSource& source, const QString& path);
ExportOutcome exportWav(const Timeline& timeline, const QString& path);

}  // namespace blx52
