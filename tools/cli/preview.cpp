// blx52-cli preview: what the device shows and plays with a profile's or a device's settings.
#include "preview.h"

#include <QFile>
#include <QFileInfo>
#include <cstdio>
#include <optional>

#include "link/device_link.h"
#include "link/port_names.h"
#include "picture/picture_files.h"
#include "picture/regular_file.h"
#include "picture/slot_table.h"
#include "playback/picture_source.h"
#include "playback/preview_export.h"
#include "playback/sound.h"
#include "playback/timeline.h"
#include "settings/sound_time.h"
#include "sync/device_sync.h"
#include "sync/profile.h"
#include "sync/sequences.h"
#include "sync/settings_store.h"
#include "sync/shown_text.h"

namespace blx52::cli {

const char* const PreviewUsageText =
    "  preview PROFILE|COMn [--situation in0|in1|in2|in3|res|sby] [--pictures FOLDER]\n"
    "          [--wav FILE] [--gif FILE]\n"
    "                             the timeline of a situation (all six without --situation):\n"
    "                             start ms, end ms, picture and slot, or tone with pitch, Hz,\n"
    "                             volume and repeat; --gif writes one picture cycle (pictures\n"
    "                             of FOLDER, else the picture folder), --wav the sound\n";

namespace {

constexpr int Success = 0;
constexpr int DeviceFailed = 1;
constexpr int BadUsage = 2;

void say(const QString& text) {
    std::fputs(shownText(text, text.size()).toLocal8Bit().constData(), stderr);
    std::fputc('\n', stderr);
}

int usage(const QString& text) {
    say(text);
    say(QStringLiteral("Try blx52-cli --help."));
    return BadUsage;
}

std::optional<SettingsStore> profileStore(const QString& path) {
    FileFault fault;
    const auto bytes = readRegularFile(path, MaxProfileSize, &fault);
    if (!bytes) {
        say(QStringLiteral("%1: cannot read: %2").arg(shownText(path), fileFaultText(fault)));
        return std::nullopt;
    }
    ParsedProfile parsed = parseProfile(*bytes);
    if (!parsed.ok()) {
        say(QStringLiteral("%1: not a usable profile:").arg(shownText(path)));
        for (const QString& line : parsed.errorTexts())
            say(QStringLiteral("  ") + line);
        return std::nullopt;
    }
    return parsed.store;
}

std::optional<SettingsStore> deviceStore(const QString& port) {
    SettingsStore store;
    StoreSyncView view(store);
    DeviceLink link;
    link.PortName = port.toStdString();
    DeviceSync sync(link, view);
    sync.readTriggerChanged(QStringLiteral("5"));
    if (sync.lastRead().successes == static_cast<int>(readSequence().size()) &&
        view.messages().isEmpty())
        return store;
    say(QStringLiteral("read: ") + view.messageText());
    for (const QString& message : view.messages())
        say(message);
    return std::nullopt;
}

QString slotName(int slotCode) {
    const PictureSlot* slot = findSlot(slotCode);
    return slot != nullptr ? QString::fromStdString(slot->comboEntry) : QString::number(slotCode);
}

void printTimeline(const Timeline& t) {
    const QString sound =
        t.section == Section::In0 || t.section == Section::In1 || t.section == Section::In2 ||
                t.section == Section::In3
            ? QStringLiteral(", sound %1 ms in %2 repeats").arg(t.soundMs()).arg(t.repeats)
            : QString();
    std::printf("# %s picture cycle %lld ms%s\n", qPrintable(situationCaption(t.section)),
                static_cast<long long>(t.cycleMs()), qPrintable(sound));
    if (t.section == Section::Sby) {
        std::printf("0\t-\tpicture\t%s\n", qPrintable(slotName(t.pictures.front().slotCode)));
        return;
    }
    // Rows in time order: the picture cycle's steps among the tones that sound meanwhile.
    std::size_t p = 0;
    auto picturesUpTo = [&](std::int64_t ms) {
        for (; p < t.pictures.size() && t.pictures[p].startMs <= ms; ++p) {
            const PictureStep& s = t.pictures[p];
            std::printf("%lld\t%lld\tpicture\t%s\n", static_cast<long long>(s.startMs),
                        static_cast<long long>(s.startMs + s.durationMs),
                        qPrintable(slotName(s.slotCode)));
        }
    };
    for (std::int64_t pass = 0; pass < t.repeats; ++pass) {
        for (const ToneStep& s : t.tones) {
            const std::int64_t start = pass * t.passMs() + s.startMs;
            picturesUpTo(start);
            const double hz = pitchFrequency(s.pitch);
            std::printf("%lld\t%lld\ttone\t%s\t%s\t%d\t%lld\n", static_cast<long long>(start),
                        static_cast<long long>(start + s.durationMs),
                        qPrintable(pitchName(s.pitch)),
                        hz > 0 ? qPrintable(QString::number(hz, 'f', 2)) : "-", t.volume,
                        static_cast<long long>(pass + 1));
        }
    }
    picturesUpTo(t.cycleMs());
}

}  // namespace

int runPreviewCommand(const QStringList& args) {
    QString source;
    QString situation;
    QString folder;
    QString wav;
    QString gif;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if (a == QStringLiteral("--help") || a == QStringLiteral("-h")) {
            std::fputs("usage: blx52-cli\n", stdout);
            std::fputs(PreviewUsageText, stdout);
            return Success;
        }
        QString* value = a == QStringLiteral("--situation")  ? &situation
                         : a == QStringLiteral("--pictures") ? &folder
                         : a == QStringLiteral("--wav")      ? &wav
                         : a == QStringLiteral("--gif")      ? &gif
                                                             : nullptr;
        if (value != nullptr) {
            if (i + 1 >= args.size() || args[i + 1].isEmpty())
                return usage(QStringLiteral("preview: %1 needs a value").arg(a));
            *value = args[++i];
        } else if (a.startsWith(u'-') && a.size() > 1) {
            return usage(QStringLiteral("preview: unknown option %1").arg(shownText(a)));
        } else if (source.isEmpty()) {
            source = a;
        } else {
            return usage(QStringLiteral("preview: wrong number of arguments"));
        }
    }
    if (source.isEmpty())
        return usage(QStringLiteral("preview: give a profile or a port"));
    std::optional<Section> only;
    if (!situation.isEmpty()) {
        only = sectionByKey(situation);
        if (!only)
            return usage(
                QStringLiteral("preview: no situation \"%1\" (in0, in1, in2, in3, res, sby)")
                    .arg(shownText(situation)));
    }
    if ((!wav.isEmpty() || !gif.isEmpty()) && !only)
        return usage(QStringLiteral("preview: --wav and --gif need --situation"));

    // A regular file is a profile; a COM name or a device that is there is a port; anything
    // else is a profile that cannot be read.
    const QFileInfo info(source);
    const bool comName = source.size() == 4 && source.startsWith(QStringLiteral("COM")) &&
                         source[3] >= u'1' && source[3] <= u'9';
    const bool port = !info.isFile() && isPortName(QFile::encodeName(source).toStdString()) &&
                      (comName || info.exists());
    const std::optional<SettingsStore> store = port ? deviceStore(source) : profileStore(source);
    if (!store)
        return port ? DeviceFailed : BadUsage;
    const PlaybackSettings settings = readPlaybackSettings(*store);

    std::printf("# %s\n# %s\n", qPrintable(previewBasisText()), qPrintable(inputRuleText()));
    for (int s = 0; s < 6; ++s) {
        if (only && static_cast<int>(*only) != s)
            continue;
        printTimeline(buildTimeline(settings, static_cast<Section>(s)));
    }
    if (!only)
        return Success;
    const Timeline timeline = buildTimeline(settings, *only);
    int status = Success;
    if (!gif.isEmpty()) {
        const FolderPictures pictures(folder.isEmpty() ? SettingsFolder() : folder + u'/',
                                      PictureOrigin::AsSent);
        const ExportOutcome outcome = exportGif(timeline, pictures, gif);
        if (!outcome.error.isEmpty()) {
            say(QStringLiteral("%1: %2").arg(shownText(gif), outcome.error));
            status = BadUsage;
        }
    }
    if (!wav.isEmpty()) {
        const ExportOutcome outcome = exportWav(timeline, wav);
        if (!outcome.error.isEmpty()) {
            say(QStringLiteral("%1: %2").arg(shownText(wav), outcome.error));
            status = BadUsage;
        } else if (outcome.soundCut) {
            say(QStringLiteral("%1: the sound is cut at %2 minutes")
                    .arg(shownText(wav))
                    .arg(MaxExportSoundMs / 60000));
        }
    }
    return status;
}

}  // namespace blx52::cli
