#include "playback/timeline.h"

#include <algorithm>
#include <cmath>
#include <functional>

#include "sync/sequences.h"
#include "sync/settings_store.h"
#include "sync/sync_view.h"

namespace blx52 {

namespace {

// Durations and repeats beyond this are far past anything the device takes; holding them there
// keeps every sum of milliseconds well inside 64 bits.
constexpr std::int64_t MaxCount = 100'000'000;

std::int64_t wholeNumber(const QString& text) {
    if (text.isEmpty())
        return 0;
    std::int64_t value = 0;
    for (const QChar c : text) {
        if (c < u'0' || c > u'9')
            return 0;
        value = std::min(value * 10 + (c.unicode() - u'0'), MaxCount);
    }
    return value;
}

PlaybackSettings readWith(const std::function<QString(const Setting&)>& valueOf) {
    PlaybackSettings out;
    for (Section s : {Section::In0, Section::In1, Section::In2, Section::In3, Section::Res}) {
        auto& situation = out.situations[static_cast<std::size_t>(s)];
        const bool start = s == Section::Res;
        situation.pictureMs.assign(start ? 6 : 4, 0);
        situation.tones.assign(start ? 12 : 4, {});
        situation.repeats = start ? 1 : 0;
        situation.volume = 3;
    }
    for (const Setting& setting : allSettings()) {
        auto& situation = out.situations[static_cast<std::size_t>(setting.section)];
        const QString value = valueOf(setting);
        const auto index = static_cast<std::size_t>(setting.index);
        switch (setting.kind) {
            case FieldKind::PictureDuration:
                situation.pictureMs.at(index) = wholeNumber(value);
                break;
            case FieldKind::ToneDuration:
                situation.tones.at(index).durationMs = wholeNumber(value);
                break;
            case FieldKind::Pitch:
                situation.tones.at(index).pitch = choiceNumber(setting, value).value_or(0);
                break;
            case FieldKind::Repeats:
                situation.repeats = wholeNumber(value);
                break;
            case FieldKind::Volume:
                situation.volume = choiceNumber(setting, value).value_or(3);
                break;
            case FieldKind::Standby:
                out.standbyPicture = choiceNumber(setting, value).value_or(1);
                break;
            case FieldKind::Brightness:
                out.brightness = choiceNumber(setting, value).value_or(BrightnessStart);
                break;
        }
    }
    return out;
}

}  // namespace

PlaybackSettings readPlaybackSettings(const SyncView& view) {
    std::vector<const WriteEntry*> entries(allSettings().size(), nullptr);
    for (const WriteEntry& entry : writeSequence()) {
        if (entry.setting != nullptr)
            entries.at(static_cast<std::size_t>(SettingsStore::indexOf(*entry.setting))) = &entry;
    }
    return readWith([&](const Setting& setting) {
        const WriteEntry* entry =
            entries.at(static_cast<std::size_t>(SettingsStore::indexOf(setting)));
        const ComposedLine line = composeLine(*entry, view);
        if (!line.ok())
            return QString();
        return QString::fromStdString(line.line.substr(entry->key.size()));
    });
}

PlaybackSettings readPlaybackSettings(const SettingsStore& store) {
    return readWith([&](const Setting& setting) { return store.value(setting); });
}

double pitchFrequency(int pitchCode) {
    // Semitones of C D E F G A H above C, by position in the octave's seven names.
    static constexpr std::array<int, 7> semitone = {0, 2, 4, 5, 7, 9, 11};
    if (pitchCode < 1 || pitchCode > 15)
        return 0;
    const int octave = 6 + (pitchCode - 1) / 7;
    const int step = (pitchCode - 1) % 7;
    // A4 is note 69 in MIDI numbering; C of octave o is 12 × (o + 1).
    const int note = 12 * (octave + 1) + semitone[static_cast<std::size_t>(step)];
    return 440.0 * std::pow(2.0, (note - 69) / 12.0);
}

QString pitchName(int pitchCode) {
    if (pitchCode < 0 || pitchCode >= static_cast<int>(PitchNames.size()))
        return QStringLiteral("?");
    return QString::fromLatin1(PitchNames[static_cast<std::size_t>(pitchCode)]);
}

Section situationForInputs(bool input0, bool input1, bool input2) {
    if (input0)
        return Section::In0;
    if (input1 && input2)
        return Section::In3;
    if (input1)
        return Section::In1;
    if (input2)
        return Section::In2;
    return Section::Sby;
}

QString inputRuleText() {
    return QStringLiteral(
        "Input 0 goes first: with input 0 on, Input 0 plays whatever else is on.");
}

QString previewBasisText() {
    return QStringLiteral(
        "Plays the settings as they read; what the real device does beyond them is the "
        "device's.");
}

std::int64_t Timeline::cycleMs() const {
    if (pictures.empty() || section == Section::Sby)
        return 0;
    return pictures.back().startMs + pictures.back().durationMs;
}

std::int64_t Timeline::passMs() const {
    return tones.empty() ? 0 : tones.back().startMs + tones.back().durationMs;
}

std::int64_t Timeline::soundMs() const {
    return passMs() * repeats;
}

std::optional<std::int64_t> Timeline::endMs() const {
    if (section != Section::Res)
        return std::nullopt;
    return std::max(cycleMs(), soundMs());
}

int Timeline::pictureStepAt(std::int64_t ms) const {
    if (pictures.empty() || ms < 0)
        return -1;
    if (section == Section::Sby)
        return 0;
    const std::int64_t cycle = cycleMs();
    if (picturesLoop)
        ms %= cycle;
    else if (ms >= cycle)
        return static_cast<int>(pictures.size()) - 1;
    const auto it =
        std::upper_bound(pictures.begin(), pictures.end(), ms,
                         [](std::int64_t t, const PictureStep& p) { return t < p.startMs; });
    return static_cast<int>(it - pictures.begin()) - 1;
}

int Timeline::slotAt(std::int64_t ms) const {
    const int step = pictureStepAt(ms);
    return step < 0 ? -1 : pictures[static_cast<std::size_t>(step)].slotCode;
}

const ToneStep* Timeline::toneAt(std::int64_t ms) const {
    if (tones.empty() || ms < 0 || ms >= soundMs())
        return nullptr;
    const std::int64_t inPass = ms % passMs();
    const auto it =
        std::upper_bound(tones.begin(), tones.end(), inPass,
                         [](std::int64_t t, const ToneStep& s) { return t < s.startMs; });
    return &*(it - 1);
}

Timeline buildTimeline(const PlaybackSettings& settings, Section section) {
    Timeline t;
    t.section = section;
    t.brightness = settings.brightness;
    const int base = 100 + 10 * static_cast<int>(section);
    if (section == Section::Sby) {
        t.pictures.push_back({base + settings.standbyPicture, 0, 0});
        t.picturesLoop = false;
        return t;
    }
    const auto& situation = settings[section];
    std::int64_t at = 0;
    for (std::size_t i = 0; i < situation.pictureMs.size(); ++i) {
        if (situation.pictureMs[i] <= 0)
            continue;
        t.pictures.push_back({base + static_cast<int>(i), at, situation.pictureMs[i]});
        at += situation.pictureMs[i];
    }
    at = 0;
    for (std::size_t i = 0; i < situation.tones.size(); ++i) {
        const ToneSetting& tone = situation.tones[i];
        if (tone.durationMs <= 0)
            continue;
        t.tones.push_back({static_cast<int>(i), tone.pitch, at, tone.durationMs});
        at += tone.durationMs;
    }
    t.picturesLoop = section != Section::Res;
    t.repeats = situation.repeats;
    t.volume = situation.volume;
    return t;
}

QString situationCaption(Section section) {
    switch (section) {
        case Section::In0:
            return QStringLiteral("Input 0:");
        case Section::In1:
            return QStringLiteral("Input 1:");
        case Section::In2:
            return QStringLiteral("Input 2:");
        case Section::In3:
            return QStringLiteral("Inputs 1 and 2:");
        case Section::Res:
            return QStringLiteral("Device Start:");
        case Section::Sby:
            return QStringLiteral("No Inputs:");
    }
    return {};
}

std::optional<Section> sectionByKey(const QString& key) {
    for (int i = 0; i < 6; ++i) {
        const auto s = static_cast<Section>(i);
        if (key ==
            QString::fromLatin1(sectionKey(s).data(), static_cast<qsizetype>(sectionKey(s).size())))
            return s;
    }
    return std::nullopt;
}

}  // namespace blx52
