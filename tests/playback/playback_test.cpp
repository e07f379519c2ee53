// Timelines, tones, LED drawing, picture sources and the exports of the preview.
#include <gif_lib.h>
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QLocale>
#include <QTemporaryDir>
#include <QtEndian>
#include <cmath>

#include "picture/picture_files.h"
#include "picture/plane_data.h"
#include "picture/slot_table.h"
#include "playback/gif_export.h"
#include "playback/led_panel.h"
#include "playback/picture_source.h"
#include "playback/playback.h"
#include "playback/preview_export.h"
#include "playback/sound.h"
#include "playback/timeline.h"
#include "settings/sound_time.h"
#include "sync/settings_store.h"

namespace blx52 {
namespace {

const Setting& settingOf(FieldKind kind, Section section, int index = 0) {
    for (const Setting& s : allSettings()) {
        if (s.kind == kind && s.section == section && s.index == index)
            return s;
    }
    throw std::logic_error("no such setting");
}

void set(SettingsStore& store, FieldKind kind, Section section, int index, const QString& value) {
    store.setValue(settingOf(kind, section, index), value);
}

// Frequency from the zero crossings: half periods between the first and the last crossing.
double measuredFrequency(const std::int16_t* samples, std::size_t count) {
    std::vector<std::size_t> crossings;
    for (std::size_t i = 1; i < count; ++i) {
        if ((samples[i] > 0) != (samples[i - 1] > 0))
            crossings.push_back(i);
    }
    if (crossings.size() < 3)
        return 0;
    const double span = static_cast<double>(crossings.back() - crossings.front()) / SampleRate;
    return static_cast<double>(crossings.size() - 1) / 2 / span;
}

struct TimelineCase {
    const char* name;
    std::function<void(SettingsStore&)> edit;
    Section section;
    std::vector<std::pair<int, std::int64_t>> pictures;     // slot, start ms
    std::vector<std::tuple<int, int, std::int64_t>> tones;  // index, pitch, start ms
    std::int64_t soundMs;
};

class TimelineTable : public testing::TestWithParam<TimelineCase> {};

TEST_P(TimelineTable, StepsAsPlayed) {
    const TimelineCase& c = GetParam();
    SettingsStore store;
    if (c.edit)
        c.edit(store);
    // The window and the command line read through a SyncView; both roads must agree.
    const PlaybackSettings direct = readPlaybackSettings(store);
    StoreSyncView view(store);
    const Timeline t = buildTimeline(readPlaybackSettings(view), c.section);
    const Timeline fromStore = buildTimeline(direct, c.section);
    ASSERT_EQ(t.pictures.size(), c.pictures.size());
    for (std::size_t i = 0; i < c.pictures.size(); ++i) {
        EXPECT_EQ(t.pictures[i].slotCode, c.pictures[i].first) << i;
        EXPECT_EQ(t.pictures[i].startMs, c.pictures[i].second) << i;
        EXPECT_EQ(t.slotAt(c.pictures[i].second), c.pictures[i].first) << i;
        EXPECT_EQ(fromStore.pictures[i].slotCode, c.pictures[i].first);
    }
    ASSERT_EQ(t.tones.size(), c.tones.size());
    for (std::size_t i = 0; i < c.tones.size(); ++i) {
        const auto [index, pitch, start] = c.tones[i];
        EXPECT_EQ(t.tones[i].index, index);
        EXPECT_EQ(t.tones[i].pitch, pitch);
        EXPECT_EQ(t.tones[i].startMs, start);
        ASSERT_NE(t.toneAt(start), nullptr);
        EXPECT_EQ(t.toneAt(start)->index, index);
    }
    EXPECT_EQ(t.soundMs(), c.soundMs);
    EXPECT_EQ(t.toneAt(c.soundMs), nullptr);
    if (c.soundMs > 0) {
        EXPECT_NE(t.toneAt(c.soundMs - 1), nullptr);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Situations, TimelineTable,
    testing::Values(
        TimelineCase{"in0_defaults",
                     nullptr,
                     Section::In0,
                     {{100, 0}, {101, 2000}, {102, 3000}, {103, 5000}},
                     {{0, 13, 0}},
                     100},
        TimelineCase{"zero_durations_skipped",
                     [](SettingsStore& s) {
                         set(s, FieldKind::PictureDuration, Section::In2, 1, "0");
                         set(s, FieldKind::PictureDuration, Section::In2, 3, "0");
                         set(s, FieldKind::ToneDuration, Section::In2, 0, "0");
                         set(s, FieldKind::ToneDuration, Section::In2, 2, "50");
                         set(s, FieldKind::Repeats, Section::In2, 0, "2");
                     },
                     Section::In2,
                     {{120, 0}, {122, 2000}},
                     {{1, 13, 0}, {2, 0, 100}},
                     300},
        TimelineCase{"none_and_pause_keep_their_time",
                     [](SettingsStore& s) {
                         set(s, FieldKind::Pitch, Section::In1, 0, "0");
                         set(s, FieldKind::Pitch, Section::In1, 1, "16");
                     },
                     Section::In1,
                     {{110, 0}, {111, 2000}, {112, 3000}, {113, 5000}},
                     {{0, 0, 0}, {1, 16, 100}, {2, 13, 200}},
                     300'000},
        TimelineCase{"repeats_then_silence",
                     [](SettingsStore& s) { set(s, FieldKind::Repeats, Section::In3, 0, "3"); },
                     Section::In3,
                     {{130, 0}, {131, 2000}, {132, 3000}, {133, 5000}},
                     {{0, 9, 0}, {1, 11, 100}, {2, 9, 200}, {3, 13, 300}},
                     1200},
        TimelineCase{"device_start_once_with_keys_a_and_b",
                     nullptr,
                     Section::Res,
                     {{140, 0}, {141, 200}, {142, 400}, {143, 600}, {144, 800}, {145, 1500}},
                     {{0, 5, 0},
                      {1, 8, 70},
                      {2, 10, 140},
                      {3, 12, 210},
                      {4, 15, 280},
                      {5, 12, 350},
                      {6, 10, 420},
                      {7, 8, 490},
                      {8, 5, 560},
                      {9, 3, 630},
                      {10, 16, 700},
                      {11, 13, 1200}},
                     1300},
        TimelineCase{"standby_still",
                     [](SettingsStore& s) { set(s, FieldKind::Standby, Section::Sby, 0, "2"); },
                     Section::Sby,
                     {{152, 0}},
                     {},
                     0},
        TimelineCase{
            "unreadable_duration_counts_as_zero",
            [](SettingsStore& s) { set(s, FieldKind::PictureDuration, Section::In0, 0, "2x0"); },
            Section::In0,
            {{101, 0}, {102, 1000}, {103, 3000}},
            {{0, 13, 0}},
            100}),
    [](const testing::TestParamInfo<TimelineCase>& info) { return std::string(info.param.name); });

TEST(Timeline, PicturesLoopWhileTheSoundStopsAndDeviceStartKeepsItsLastPicture) {
    const PlaybackSettings settings = readPlaybackSettings(SettingsStore());
    const Timeline in1 = buildTimeline(settings, Section::In1);
    EXPECT_EQ(in1.cycleMs(), 6000);
    EXPECT_EQ(in1.slotAt(300'000 + 2500), 111);  // sound over, pictures go on
    EXPECT_EQ(in1.toneAt(300'000 + 50), nullptr);
    const Timeline res = buildTimeline(settings, Section::Res);
    EXPECT_EQ(res.endMs(), 3500);
    EXPECT_EQ(res.slotAt(3499), 145);
    EXPECT_EQ(res.slotAt(60'000), 145);
    EXPECT_EQ(res.toneAt(1300), nullptr);
    const Timeline sby = buildTimeline(settings, Section::Sby);
    EXPECT_EQ(sby.slotAt(0), 151);
    EXPECT_EQ(sby.slotAt(1'000'000), 151);
    EXPECT_FALSE(in1.endMs().has_value());
}

TEST(Timeline, InputsSelectTheSituation) {
    struct Row {
        bool i0, i1, i2;
        Section expected;
    };
    const Row rows[] = {{false, false, false, Section::Sby}, {true, false, false, Section::In0},
                        {false, true, false, Section::In1},  {false, false, true, Section::In2},
                        {false, true, true, Section::In3},   {true, true, false, Section::In0},
                        {true, false, true, Section::In0},   {true, true, true, Section::In0}};
    for (const Row& r : rows)
        EXPECT_EQ(situationForInputs(r.i0, r.i1, r.i2), r.expected) << r.i0 << r.i1 << r.i2;
}

Timeline oneTone(int pitch, std::int64_t ms, int volume = 3) {
    Timeline t;
    t.section = Section::In0;
    t.tones.push_back({0, pitch, 0, ms});
    t.repeats = 1;
    t.volume = volume;
    return t;
}

TEST(Sound, EveryPitchSoundsAtItsEqualTemperedFrequency) {
    EXPECT_NEAR(pitchFrequency(1), 1046.50, 0.01);   // C6
    EXPECT_NEAR(pitchFrequency(6), 1760.00, 0.01);   // A6
    EXPECT_NEAR(pitchFrequency(7), 1975.53, 0.01);   // H6 is B6
    EXPECT_NEAR(pitchFrequency(15), 4186.01, 0.01);  // C8
    for (int pitch = 1; pitch <= 15; ++pitch) {
        const auto samples = renderSound(oneTone(pitch, 200));
        const double f = measuredFrequency(samples.data(), samples.size());
        EXPECT_NEAR(f / pitchFrequency(pitch), 1.0, 0.005) << pitchName(pitch).toStdString();
    }
}

TEST(Sound, StepsLastExactlyTheirSamplesAndNoneAndPauseAreSilent) {
    Timeline t;
    t.section = Section::In1;
    t.tones = {{0, 13, 0, 100}, {1, 16, 100, 70}, {2, 1, 170, 2500}, {3, 0, 2670, 10}};
    t.repeats = 2;
    const auto samples = renderSound(t);
    ASSERT_EQ(samples.size(), 2u * 2680 * 441 / 10);
    // Sample ranges of the first pass: tone, pause, tone, none.
    const std::pair<std::size_t, std::size_t> ranges[] = {
        {0, 4410}, {4410, 4410 + 3087}, {7497, 7497 + 110250}, {117747, 117747 + 441}};
    for (int i : {1, 3}) {
        for (std::size_t n = ranges[i].first; n < ranges[i].second; ++n)
            ASSERT_EQ(samples[n], 0) << i << " " << n;
    }
    for (int i : {0, 2}) {
        for (std::size_t n = ranges[i].first; n < ranges[i].second; ++n)
            ASSERT_NE(samples[n], 0) << i << " " << n;
        EXPECT_EQ(samples[ranges[i].second], 0) << "tone " << i << " runs long";
    }
    // The second pass starts the first tone again right after the none step.
    EXPECT_NE(samples[118188], 0);
    EXPECT_EQ(samples[118187], 0);
}

TEST(Sound, WholeSoundLastsTheMainWindowsSoundTime) {
    struct Row {
        std::array<QString, 4> durations;
        QString repeats;
    };
    const Row rows[] = {{{"100", "100", "100", "0"}, "1000"},
                        {{"100", "0", "0", "0"}, "1"},
                        {{"250", "70", "0", "30"}, "7"}};
    for (const Row& r : rows) {
        SettingsStore store;
        for (int i = 0; i < 4; ++i)
            set(store, FieldKind::ToneDuration, Section::In2, i, r.durations[i]);
        set(store, FieldKind::Repeats, Section::In2, 0, r.repeats);
        const Timeline t = buildTimeline(readPlaybackSettings(store), Section::In2);
        const SoundTimeText shown = soundTime(r.durations, r.repeats, QLocale::c());
        const double seconds = shown.value.toDouble() * (shown.unit == "min" ? 60 : 1);
        const ToneRenderer renderer(t);
        EXPECT_NEAR(static_cast<double>(renderer.totalSamples()) / SampleRate, seconds, 1e-4)
            << r.repeats.toStdString();
    }
}

TEST(Sound, VolumeLevelsAreDistinctAndOrdered) {
    double previous = 0;
    for (int volume = 0; volume <= 3; ++volume) {
        const auto samples = renderSound(oneTone(8, 100, volume));
        double sum = 0;
        for (const std::int16_t s : samples)
            sum += static_cast<double>(s) * s;
        const double rms = std::sqrt(sum / static_cast<double>(samples.size()));
        EXPECT_GT(rms, previous * 1.5) << volume;  // audibly apart, volume 0 not silent
        previous = rms;
    }
}

TEST(Sound, StreamedBlocksEqualTheWholeRendering) {
    Timeline t = oneTone(4, 33);
    t.tones.push_back({1, 11, 33, 47});
    t.repeats = 3;
    const auto whole = renderSound(t);
    const ToneRenderer renderer(t);
    std::vector<std::int16_t> streamed(whole.size() + 100);
    for (std::size_t at = 0; at < streamed.size(); at += 777) {
        renderer.render(static_cast<std::int64_t>(at), streamed.data() + at,
                        std::min<std::size_t>(777, streamed.size() - at));
    }
    EXPECT_TRUE(std::equal(whole.begin(), whole.end(), streamed.begin()));
    EXPECT_TRUE(std::all_of(streamed.begin() + static_cast<std::ptrdiff_t>(whole.size()),
                            streamed.end(), [](std::int16_t s) { return s == 0; }));
}

// The colour at an LED's centre.
QRgb ledAt(const QImage& image, int x, int y, int ledPixels) {
    return image.pixel(x * ledPixels + ledPixels / 2, y * ledPixels + ledPixels / 2) | 0xff000000u;
}

TEST(LedPanel, PixelsLightByTheirDeviceCode) {
    Picture p;
    p.setPixel(0, 0, qRgb(0, 255, 255));  // no LED colour: dark, as the device shows it
    p.setPixel(1, 0, qRgb(0, 128, 128));  // cyan: green and blue fully
    p.setPixel(2, 0, qRgb(255, 0, 0));
    p.setPixel(3, 0, qRgb(254, 0, 0));
    for (int brightness : {0, 9}) {
        const QImage image = ledPanelImage(p, 10, brightness);
        EXPECT_EQ(ledAt(image, 0, 0, 10), UnlitLed);
        EXPECT_EQ(ledAt(image, 3, 0, 10), UnlitLed);
        const QRgb cyan = ledAt(image, 1, 0, 10);
        EXPECT_EQ(qRed(cyan), 0);
        EXPECT_EQ(qGreen(cyan), qBlue(cyan));
        EXPECT_GT(qGreen(cyan), qRed(UnlitLed) + 40);
        EXPECT_EQ(ledAt(image, 2, 0, 10), qRgb(qGreen(cyan), 0, 0));
    }
    EXPECT_EQ(qGreen(ledColour(6, 9)), 255);
    EXPECT_LT(qGreen(ledColour(6, 0)), qGreen(ledColour(6, 5)));
    EXPECT_LT(qGreen(ledColour(6, 5)), qGreen(ledColour(6, 9)));
}

class PictureFolder : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        folder_ = dir_.path() + '/';
    }
    void saveSlot(int slot, QRgb colour) {
        Picture p;
        p.fill(colour);
        ASSERT_FALSE(saveBitmap(p, bitmapFilePath(*findSlot(slot), folder_)).has_value());
    }
    QTemporaryDir dir_;
    QString folder_;
};

TEST_F(PictureFolder, SourcesTakeTheEditorsPictureOrWhatWasLastSent) {
    saveSlot(100, ledRgb(LedColor::Red));
    Picture sent;
    sent.fill(LedColor::Blue);
    ASSERT_FALSE(
        writeDevicePictureFile(makeCodeGrid(sent), devicePictureFilePath(*findSlot(100), folder_))
            .has_value());
    FolderPictures source(folder_, PictureOrigin::AsSent);
    EXPECT_EQ(source.picture(100).code(5, 5), 1);
    EXPECT_EQ(source.picture(101).code(5, 5), 0);  // no file: dark
    Picture drawing;
    drawing.fill(LedColor::Green);
    source.setOverride([&](int slot) -> std::optional<Picture> {
        return slot == 100 ? std::optional<Picture>(drawing) : std::nullopt;
    });
    EXPECT_EQ(source.picture(100).code(5, 5), 2);
    drawing.setPixel(5, 5, LedColor::White);  // unsaved drawing shows at once
    EXPECT_EQ(source.picture(100).code(5, 5), 7);
    source.setOrigin(PictureOrigin::LastSent);
    EXPECT_EQ(source.picture(100).code(5, 5), 4);
    saveSlot(100, ledRgb(LedColor::Yellow));
    source.setOrigin(PictureOrigin::AsSent);
    source.setOverride(nullptr);
    EXPECT_EQ(source.picture(100).code(5, 5), 3);  // a saved file is read again
}

struct ReadGif {
    std::vector<int> delays;  // hundredths
    std::vector<QRgb> firstLed;
    bool loops = false;
    int width = 0;
};

int readFromBuffer(GifFileType* gif, GifByteType* out, int length) {
    auto* data = static_cast<QByteArray*>(gif->UserData);
    const int n = std::min<int>(length, static_cast<int>(data->size()));
    std::memcpy(out, data->constData(), static_cast<std::size_t>(n));
    data->remove(0, n);
    return n;
}

ReadGif readGif(QByteArray bytes) {
    ReadGif out;
    int error = 0;
    GifFileType* gif = DGifOpen(&bytes, readFromBuffer, &error);
    EXPECT_NE(gif, nullptr);
    if (gif == nullptr)
        return out;
    EXPECT_EQ(DGifSlurp(gif), GIF_OK);
    out.width = gif->SWidth;
    for (int i = 0; i < gif->ImageCount; ++i) {
        GraphicsControlBlock gcb{};
        EXPECT_EQ(DGifSavedExtensionToGCB(gif, i, &gcb), GIF_OK);
        out.delays.push_back(gcb.DelayTime);
        const SavedImage& image = gif->SavedImages[i];
        const int centre = DefaultLedPixels / 2;
        const GifColorType c =
            gif->SColorMap->Colors[image.RasterBits[centre * image.ImageDesc.Width + centre]];
        out.firstLed.push_back(qRgb(c.Red, c.Green, c.Blue));
        for (int e = 0; e < image.ExtensionBlockCount; ++e) {
            const ExtensionBlock& block = image.ExtensionBlocks[e];
            if (block.Function == APPLICATION_EXT_FUNC_CODE && block.ByteCount == 11 &&
                std::memcmp(block.Bytes, "NETSCAPE2.0", 11) == 0)
                out.loops = true;
        }
    }
    DGifCloseFile(gif, &error);
    return out;
}

TEST_F(PictureFolder, GifHoldsOneCycleWithItsDelays) {
    saveSlot(110, ledRgb(LedColor::Red));
    saveSlot(112, ledRgb(LedColor::Green));
    saveSlot(113, qRgb(0, 128, 128));
    SettingsStore store;
    set(store, FieldKind::PictureDuration, Section::In1, 1, "0");
    set(store, FieldKind::PictureDuration, Section::In1, 2, "1235");
    store.setValue(*findSettingByControl("TrackBar1"), "9");
    const Timeline t = buildTimeline(readPlaybackSettings(store), Section::In1);
    const QString path = folder_ + "cycle.gif";
    ASSERT_TRUE(exportGif(t, FolderPictures(folder_, PictureOrigin::AsSent), path).error.isEmpty());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const ReadGif gif = readGif(file.readAll());
    EXPECT_EQ(gif.width, 32 * DefaultLedPixels);
    // 2000, 1235, 1000 ms: rounded on the running total, the cycle keeps its 4.235 s (423.5)
    EXPECT_EQ(gif.delays, (std::vector<int>{200, 124, 100}));
    EXPECT_EQ(gif.firstLed, (std::vector<QRgb>{ledColour(1, 9), ledColour(2, 9), ledColour(6, 9)}));
    EXPECT_TRUE(gif.loops);
    const Timeline res = buildTimeline(readPlaybackSettings(store), Section::Res);
    QString error;
    const ReadGif once =
        readGif(gifBytes(cycleFrames(res, FolderPictures(folder_, PictureOrigin::AsSent)), 9, false,
                         DefaultLedPixels, &error));
    EXPECT_EQ(once.delays, (std::vector<int>{20, 20, 20, 20, 70, 200}));
    EXPECT_FALSE(once.loops);
}

TEST_F(PictureFolder, WavHoldsTheWholeSoundAndIsCutAtTenMinutes) {
    SettingsStore store;
    set(store, FieldKind::Repeats, Section::In1, 0, "4");
    const Timeline t = buildTimeline(readPlaybackSettings(store), Section::In1);  // D7 F7 A7
    const QString path = folder_ + "sound.wav";
    const ExportOutcome outcome = exportWav(t, path);
    ASSERT_TRUE(outcome.error.isEmpty()) << outcome.error.toStdString();
    EXPECT_FALSE(outcome.soundCut);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    file.close();  // Windows replaces no file that is open
    ASSERT_GE(bytes.size(), 44);
    EXPECT_EQ(bytes.left(4), "RIFF");
    EXPECT_EQ(bytes.mid(8, 8), "WAVEfmt ");
    EXPECT_EQ(qFromLittleEndian<quint32>(bytes.constData() + 24), 44100u);
    EXPECT_EQ(qFromLittleEndian<quint16>(bytes.constData() + 34), 16u);
    const quint32 dataBytes = qFromLittleEndian<quint32>(bytes.constData() + 40);
    EXPECT_EQ(dataBytes, 4u * 300 * 441 / 10 * 2);
    EXPECT_EQ(bytes.size(), 44 + static_cast<qsizetype>(dataBytes));
    std::vector<std::int16_t> samples(dataBytes / 2);
    for (std::size_t i = 0; i < samples.size(); ++i)
        samples[i] = qFromLittleEndian<qint16>(bytes.constData() + 44 + 2 * i);
    // The third step of the second pass: A7.
    const std::size_t at = 300 * 441 / 10 + 200 * 441 / 10;
    EXPECT_NEAR(measuredFrequency(samples.data() + at, 4410), 3520.0, 3520 * 0.005);

    set(store, FieldKind::Repeats, Section::In1, 0, "2001");  // 600.3 s
    const ExportOutcome cut =
        exportWav(buildTimeline(readPlaybackSettings(store), Section::In1), path);
    EXPECT_TRUE(cut.error.isEmpty()) << cut.error.toStdString();
    EXPECT_TRUE(cut.soundCut);
    EXPECT_EQ(QFileInfo(path).size(), 44 + 2 * 44100 * 600);
}

// Takes what a sound device would pull, on the caller's thread.
class RecordingOutput final : public SoundOutput {
  public:
    explicit RecordingOutput(bool* running) : running_(running) {}
    bool start(Fill fill) override {
        fill_ = std::move(fill);
        *running_ = true;
        return true;
    }
    void stop() override { *running_ = false; }
    std::vector<std::int16_t> pull(std::size_t count) {
        std::vector<std::int16_t> out(count);
        fill_(out.data(), count);
        return out;
    }

  private:
    Fill fill_;
    bool* running_;
};

TEST(Playback, DeviceStartThenTheInputsSituationAndSoundFromThePosition) {
    std::int64_t now = 1000;
    Playback playback([&now] { return now; });
    playback.setSettings(readPlaybackSettings(SettingsStore()));
    bool running = false;
    auto output = std::make_unique<RecordingOutput>(&running);
    RecordingOutput* recorder = output.get();
    playback.setSoundOutput(std::move(output));
    playback.setInputs(false, true, true);
    playback.powerOn();
    playback.play();
    EXPECT_TRUE(running);
    EXPECT_EQ(playback.slotShown(), 140);
    // The first tone of device start, G6, from the first sample.
    const auto first = recorder->pull(3087);
    EXPECT_NEAR(measuredFrequency(first.data(), first.size()) / pitchFrequency(5), 1, 0.005);
    now += 3499;
    playback.update();
    EXPECT_EQ(playback.slotShown(), 145);
    now += 1;
    playback.update();
    EXPECT_EQ(playback.timeline().section, Section::In3);  // inputs 1 and 2
    EXPECT_EQ(playback.position(), 0);
    EXPECT_EQ(playback.slotShown(), 130);
    playback.setInputs(true, true, true);
    EXPECT_EQ(playback.timeline().section, Section::In0);
    playback.pause();
    EXPECT_FALSE(running);
    now += 5000;
    EXPECT_EQ(playback.position(), 0);
    playback.seek(2500);
    playback.play();
    EXPECT_EQ(playback.slotShown(), 101);
    // in0 has 100 ms of sound: past it, silence.
    const auto late = recorder->pull(100);
    EXPECT_TRUE(std::all_of(late.begin(), late.end(), [](std::int16_t v) { return v == 0; }));
    playback.setSoundEnabled(false);
    EXPECT_FALSE(running);
}

}  // namespace
}  // namespace blx52

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
