#include "playback/preview_export.h"

#include "picture/regular_file.h"
#include "playback/gif_export.h"
#include "playback/sound.h"
#include "playback/timeline.h"

namespace blx52 {

namespace {

QString saveFault(const QString& path, const QByteArray& bytes) {
    const FileFault fault = saveRegularFile(path, bytes);
    return fault ? fileFaultText(fault) : QString();
}

}  // namespace

ExportOutcome exportGif(const Timeline& timeline, const PictureSource& source,
                        const QString& path) {
    ExportOutcome outcome;
    QString error;
    const QByteArray gif =
        gifBytes(cycleFrames(timeline, source), timeline.brightness,
                 timeline.picturesLoop && timeline.pictures.size() > 1, DefaultLedPixels, &error);
    outcome.error = gif.isEmpty() ? error : saveFault(path, gif);
    return outcome;
}

ExportOutcome exportWav(const Timeline& timeline, const QString& path) {
    ExportOutcome outcome;
    outcome.soundCut = timeline.soundMs() > MaxExportSoundMs;
    outcome.error = saveFault(path, wavBytes(renderSound(timeline, MaxExportSoundMs)));
    return outcome;
}

}  // namespace blx52
