// preview: the preview's CPU share while playing at 60 frames a second, how late each picture
// change lands over 60 s of playing, how soon the sound starts after Play, and the time of a
// GIF export of one picture cycle.
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <vector>

#include "picture/picture_files.h"
#include "picture/presets.h"
#include "picture/slot_table.h"
#include "playback/picture_source.h"
#include "playback/preview_export.h"
#include "playback/sound_output.h"
#include "sync/settings_store.h"
#include "tools/bench/bench.h"
#include "ui/preview_window.h"

namespace blx52::bench {

namespace {

using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// Short pictures, so a minute holds several hundred changes.
PlaybackSettings benchSettings() {
    SettingsStore store;
    const char* durations[] = {"100", "150", "200", "250"};
    for (const Setting& s : allSettings()) {
        if (s.kind == FieldKind::PictureDuration && s.section == Section::In1)
            store.setValue(s, QString::fromLatin1(durations[s.index]));
    }
    return readPlaybackSettings(store);
}

// Plays for `seconds` with the window's own frames: the process's CPU share, and with `watch`
// the lateness of every picture change (the watcher's own wake-ups then count in the CPU).
std::vector<double> play(PreviewWindow& window, int seconds, bool watching, double& cpuShare) {
    QElapsedTimer clock;
    clock.start();
    std::vector<double> late;
    int lastSlot = window.shownSlot();
    const Timeline& t = window.playback().timeline();
    const std::clock_t cpuStart = std::clock();
    const auto wallStart = Clock::now();
    QTimer watch;
    watch.setTimerType(Qt::PreciseTimer);
    watch.setInterval(1);
    // Looks right after each frame of the window: when the shown picture changed, how long
    // after its scheduled start.
    QObject::connect(&watch, &QTimer::timeout, [&] {
        const int slot = window.shownSlot();
        if (slot == lastSlot)
            return;
        lastSlot = slot;
        const std::int64_t at = window.playback().position();
        const std::int64_t inCycle = at % t.cycleMs();
        const int step = t.pictureStepAt(at);
        late.push_back(
            static_cast<double>(inCycle - t.pictures[static_cast<std::size_t>(step)].startMs));
    });
    if (watching)
        watch.start();
    // A loop of its own: the application's quit would close the window.
    QEventLoop loop;
    QTimer::singleShot(seconds * 1000, &loop, &QEventLoop::quit);
    loop.exec();
    watch.stop();
    const double cpuMs = 1000.0 * static_cast<double>(std::clock() - cpuStart) / CLOCKS_PER_SEC;
    cpuShare = cpuMs / msSince(wallStart);
    return late;
}

}  // namespace

int measurePreview(const Run& run) {
    if (!run.args.empty())
        return 2;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    AppArguments arguments;
    QApplication app(arguments.argc, arguments.argv);
    QTemporaryDir dir;
    const QString folder = dir.path() + u'/';
    const Picture pictures[] = {warningTrianglePicture(), prohibitionSignPicture(),
                                blueDiscPicture(), initialPicture()};
    for (int i = 0; i < 4; ++i)
        saveBitmap(pictures[i], bitmapFilePath(*findSlot(110 + i), folder));

    PreviewWindow::Sources sources;
    const PlaybackSettings settings = benchSettings();
    sources.settings = [settings] { return settings; };
    sources.pictureFolder = folder;
    PreviewWindow window(sources, {}, makeSystemSoundOutput());
    window.show();
    window.playback().setSituation(Section::In1);

    // Sound start: from Play to the first samples handed to the output.
    double firstSamplesMs = -1;
    {
        class Timing final : public SoundOutput {
          public:
            Timing(Clock::time_point from, double& ms) : from_(from), ms_(ms) {}
            bool start(Fill fill) override {
                std::vector<std::int16_t> buffer(1764);  // 40 ms, as the sink asks for
                fill(buffer.data(), buffer.size());
                ms_ = msSince(from_);
                return true;
            }
            void stop() override {}

          private:
            Clock::time_point from_;
            double& ms_;
        };
        Playback timed([] { return std::int64_t(0); });
        timed.setSettings(settings);
        timed.setSituation(Section::In1);
        timed.setSoundOutput(std::make_unique<Timing>(Clock::now(), firstSamplesMs));
        timed.play();
    }

    window.playback().play();
    double cpuShare = 0;
    play(window, 20, false, cpuShare);
    double watchedShare = 0;
    std::vector<double> late = play(window, 60, true, watchedShare);
    std::sort(late.begin(), late.end());
    const double p99 =
        late.empty() ? -1 : late[static_cast<std::size_t>(0.99 * double(late.size() - 1))];

    std::vector<double> gifMs;
    const Timeline cycle = buildTimeline(settings, Section::In1);
    FolderPictures source(folder, PictureOrigin::AsSent);
    for (int i = 0; i < 20; ++i) {
        const auto start = Clock::now();
        const ExportOutcome outcome = exportGif(cycle, source, folder + "cycle.gif");
        gifMs.push_back(msSince(start));
        if (!outcome.error.isEmpty()) {
            std::fprintf(stderr, "GIF export failed: %s\n", qPrintable(outcome.error));
            return 1;
        }
    }
    std::sort(gifMs.begin(), gifMs.end());

    std::printf("preview CPU while playing at 60 frames/s   %.2f %% of one core (20 s)\n",
                100 * cpuShare);
    std::printf("picture change lateness, 99th percentile   %.1f ms (%zu changes, max %.1f ms)\n",
                p99, late.size(), late.empty() ? -1.0 : late.back());
    std::printf("sound: Play to first samples rendered      %.2f ms (output: %s)\n", firstSamplesMs,
                window.playback().soundAvailable() ? "system" : "none here; model only");
    std::printf("GIF export of one picture cycle            median %.1f ms, max %.1f ms\n",
                gifMs[gifMs.size() / 2], gifMs.back());
    // As figures against their limits: a share of one core as ms of CPU per s of playing.
    run.add({"preview playing, CPU ms per s", 1000 * cpuShare, "2 % of one core", 20, 1.0});
    run.add({"preview picture change, p99 late", p99, "one frame at 60 Hz", 16, 1.0});
    run.add({"preview Play to first samples", firstSamplesMs, "sound start limit", 50, 1.0});
    run.add({"preview GIF export, one cycle", gifMs[gifMs.size() / 2], "export limit", 200, 1.0});
    return 0;
}

}  // namespace blx52::bench
