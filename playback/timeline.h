#pragma once

#include <QString>
#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "settings/settings_table.h"

namespace blx52 {

class SyncView;
class SettingsStore;

// One tone step as the settings hold it.
struct ToneSetting {
    int pitch = 0;  // PitchCode; 0 "None", 16 "Pause"
    std::int64_t durationMs = 0;
};

// What the device plays, taken from the settings. A duration or repeats text that is no whole
// number counts as 0, so the step is skipped.
struct PlaybackSettings {
    struct Situation {
        std::vector<std::int64_t> pictureMs;  // 4, or 6 for device start, none for standby
        std::vector<ToneSetting> tones;       // 4, or 12 for device start
        std::int64_t repeats = 0;             // device start: 1
        int volume = 3;                       // 0 … 3; device start has none and plays at 3
    };
    std::array<Situation, 6> situations;  // by Section number
    int standbyPicture = 1;
    int brightness = BrightnessStart;
    const Situation& operator[](Section s) const { return situations[static_cast<std::size_t>(s)]; }
};

// The values as a write would send them; a value it would refuse counts as 0.
PlaybackSettings readPlaybackSettings(const SyncView& view);
PlaybackSettings readPlaybackSettings(const SettingsStore& store);

// Equal temperament with A4 = 440 Hz; 0 for "None" and "Pause" (silence).
double pitchFrequency(int pitchCode);
QString pitchName(int pitchCode);

// Which situation the inputs select. Inputs 1 and 2 together give in3 and input 0 goes before
// every other: with input 0 on, in0 plays whatever else is on (it is the first input the
// window lists, and the only one whose pairing the settings do not name). None on: standby.
Section situationForInputs(bool input0, bool input1, bool input2);
// The one-line statement of that rule, for windows and the command line.
QString inputRuleText();
// What the preview follows, said once where it is shown.
QString previewBasisText();

struct PictureStep {
    int slotCode = 0;
    std::int64_t startMs = 0;
    std::int64_t durationMs = 0;
};

struct ToneStep {
    int index = 0;  // step of the section, 0 … 11
    int pitch = 0;
    std::int64_t startMs = 0;  // within one pass
    std::int64_t durationMs = 0;
};

// A situation as played: the picture steps of one cycle (or the one still picture), the tone
// steps of one pass and how often the pass plays.
struct Timeline {
    Section section = Section::Sby;
    std::vector<PictureStep> pictures;  // steps with duration 0 left out
    bool picturesLoop = true;           // input situations; device start plays them once
    std::vector<ToneStep> tones;        // steps with duration 0 left out
    std::int64_t repeats = 0;           // passes of the tone steps
    int volume = 3;
    int brightness = BrightnessStart;

    std::int64_t cycleMs() const;  // one picture cycle; 0 for standby and for no pictures
    std::int64_t passMs() const;   // one pass of the tone steps
    std::int64_t soundMs() const;  // every pass, as the main window's sound time counts it
    // Device start ends when its pictures and its tones are both done; the others never end.
    std::optional<std::int64_t> endMs() const;
    // The slot shown at a time from the start; -1 when nothing is (every duration 0).
    int slotAt(std::int64_t ms) const;
    // The picture step at a time; -1 when nothing is shown. For device start past its pictures
    // the last one stays.
    int pictureStepAt(std::int64_t ms) const;
    // The tone sounding at a time (nullptr: silent: past the sound, or no steps).
    const ToneStep* toneAt(std::int64_t ms) const;
};

Timeline buildTimeline(const PlaybackSettings& settings, Section section);

// Text for a situation: its group box caption ("Input 0:" …).
QString situationCaption(Section section);
std::optional<Section> sectionByKey(const QString& key);

}  // namespace blx52
