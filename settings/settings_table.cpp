#include "settings_table.h"

#include "link/command_keys.h"

namespace blx52 {

std::string_view sectionKey(Section section) {
    static constexpr std::array<std::string_view, 6> keys = {"in0", "in1", "in2",
                                                             "in3", "res", "sby"};
    return keys[static_cast<int>(section)];
}

namespace {

std::string name(const char* prefix, int number) { return prefix + std::to_string(number); }

struct InputSection {
    Section section;
    std::array<int, 4> pictureEdits;
    std::array<int, 4> toneEdits;
    std::array<const char*, 4> toneStarts;
    std::array<int, 4> pitchBoxes;
    std::array<int, 4> pitchMemos;
    std::array<int, 4> pitchStarts;
    int repeatsEdit;
    const char* repeatsStart;
    int firstVolumeButton;
    int volumeMemo;
    int volumeStart;
};

// Control numbers of the four input sections, in0 … in3.
constexpr std::array<InputSection, 4> inputSections = {{
    {Section::In0, {19, 20, 21, 22}, {25, 26, 27, 28}, {"100", "0", "0", "0"}, {1, 2, 3, 4},
     {6, 7, 8, 9}, {13, 0, 0, 0}, 43, "1", 16, 2, 0},
    {Section::In1, {23, 24, 29, 30}, {31, 32, 33, 34}, {"100", "100", "100", "0"}, {5, 6, 7, 8},
     {10, 11, 12, 13}, {9, 11, 13, 0}, 35, "1000", 4, 3, 3},
    {Section::In2, {37, 38, 39, 40}, {41, 42, 45, 46}, {"100", "100", "0", "0"}, {9, 10, 11, 12},
     {14, 15, 16, 17}, {11, 13, 0, 0}, 47, "1500", 12, 4, 3},
    {Section::In3, {59, 60, 61, 62}, {63, 64, 65, 66}, {"100", "100", "100", "100"},
     {17, 18, 19, 20}, {18, 19, 20, 21}, {9, 11, 9, 13}, 67, "750", 8, 5, 3},
}};
constexpr std::array<const char*, 4> inputPictureStarts = {"2000", "1000", "2000", "1000"};

// Device start section: six pictures, twelve tone steps.
constexpr std::array<int, 6> resPictureEdits = {2, 3, 4, 5, 6, 18};
constexpr std::array<const char*, 6> resPictureStarts = {"200", "200", "200", "200", "700", "2000"};
constexpr std::array<int, 12> resToneEdits = {1, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17};
constexpr std::array<const char*, 12> resToneStarts = {"70", "70", "70", "70", "70",  "70",
                                                       "70", "70", "70", "70", "500", "100"};
constexpr std::array<int, 12> resPitchStarts = {5, 8, 10, 12, 15, 12, 10, 8, 5, 3, 16, 13};
constexpr int resFirstPitchBox = 22;  // ComboBox22 … ComboBox33 with Memo22 … Memo33

Setting edit(FieldKind kind, Section section, int index, int editNumber, const char* start,
             EditFamily family, std::string pitchBox, std::string getKey, std::string setKey) {
    Setting s{kind, section, index, name("Edit", editNumber), {}, {}, start, -1, family,
              std::move(pitchBox), std::move(getKey), std::move(setKey)};
    return s;
}

std::vector<Setting> buildSettings() {
    std::vector<Setting> out;
    out.reserve(88);
    // Picture durations.
    for (const auto& in : inputSections) {
        const auto key = sectionKey(in.section);
        for (int i = 0; i < 4; ++i) {
            out.push_back(edit(FieldKind::PictureDuration, in.section, i, in.pictureEdits[i],
                               inputPictureStarts[i], EditFamily::PictureDuration, {},
                               pictureDurationKey(Verb::Get, key, i),
                               pictureDurationKey(Verb::Set, key, i)));
        }
    }
    for (int i = 0; i < 6; ++i) {
        out.push_back(edit(FieldKind::PictureDuration, Section::Res, i, resPictureEdits[i],
                           resPictureStarts[i], EditFamily::PictureDuration, {},
                           pictureDurationKey(Verb::Get, "res", i),
                           pictureDurationKey(Verb::Set, "res", i)));
    }
    // Tone durations.
    for (const auto& in : inputSections) {
        const auto key = sectionKey(in.section);
        for (int i = 0; i < 4; ++i) {
            out.push_back(edit(FieldKind::ToneDuration, in.section, i, in.toneEdits[i],
                               in.toneStarts[i], EditFamily::InputToneDuration,
                               name("ComboBox", in.pitchBoxes[i]),
                               toneDurationKey(Verb::Get, key, i),
                               toneDurationKey(Verb::Set, key, i)));
        }
    }
    for (int i = 0; i < 12; ++i) {
        out.push_back(edit(FieldKind::ToneDuration, Section::Res, i, resToneEdits[i],
                           resToneStarts[i], EditFamily::StartToneDuration,
                           name("ComboBox", resFirstPitchBox + i),
                           toneDurationKey(Verb::Get, "res", i),
                           toneDurationKey(Verb::Set, "res", i)));
    }
    // Repeats.
    for (const auto& in : inputSections) {
        const auto key = sectionKey(in.section);
        out.push_back(edit(FieldKind::Repeats, in.section, 0, in.repeatsEdit, in.repeatsStart,
                           EditFamily::Repeats, {}, repeatsKey(Verb::Get, key),
                           repeatsKey(Verb::Set, key)));
    }
    // Standby picture.
    {
        Setting s{FieldKind::Standby, Section::Sby, 0, {}, {}, "Memo1", {}, 1,
                  EditFamily::None, {}, {}, {}};
        for (int b = 1; b <= 3; ++b) s.buttons.push_back(name("RadioButton", b));
        s.getKey = standbyPictureKey(Verb::Get);
        s.setKey = standbyPictureKey(Verb::Set);
        out.push_back(std::move(s));
    }
    // Volumes.
    for (const auto& in : inputSections) {
        const auto key = sectionKey(in.section);
        Setting s{FieldKind::Volume, in.section, 0, {}, {}, name("Memo", in.volumeMemo), {},
                  in.volumeStart, EditFamily::None, {}, {}, {}};
        for (int b = 0; b < 4; ++b) s.buttons.push_back(name("RadioButton", in.firstVolumeButton + b));
        s.getKey = volumeKey(Verb::Get, key);
        s.setKey = volumeKey(Verb::Set, key);
        out.push_back(std::move(s));
    }
    // Pitches.
    auto pitch = [&](Section section, int index, int box, int memo, int start) {
        const auto key = sectionKey(section);
        Setting s{FieldKind::Pitch, section, index, name("ComboBox", box), {},
                  name("Memo", memo), {}, start, EditFamily::None, {}, {}, {}};
        s.getKey = tonePitchKey(Verb::Get, key, index);
        s.setKey = tonePitchKey(Verb::Set, key, index);
        out.push_back(std::move(s));
    };
    for (const auto& in : inputSections) {
        for (int i = 0; i < 4; ++i) pitch(in.section, i, in.pitchBoxes[i], in.pitchMemos[i], in.pitchStarts[i]);
    }
    for (int i = 0; i < 12; ++i) {
        pitch(Section::Res, i, resFirstPitchBox + i, resFirstPitchBox + i, resPitchStarts[i]);
    }
    // Brightness.
    {
        Setting s{FieldKind::Brightness, Section::Sby, 0, "TrackBar1", {}, "Memo35", {},
                  BrightnessStart, EditFamily::None, {}, {}, {}};
        s.getKey = brightnessKey(Verb::Get);
        s.setKey = brightnessKey(Verb::Set);
        out.push_back(std::move(s));
    }
    return out;
}

}  // namespace

const EditFamilyRule& editFamilyRule(EditFamily family) {
    static constexpr std::array<EditFamilyRule, 5> rules = {{
        {EditFamily::None, "", false, false},
        {EditFamily::PictureDuration, "2500", false, false},
        {EditFamily::InputToneDuration, "2500", true, true},
        {EditFamily::Repeats, "255", true, false},
        {EditFamily::StartToneDuration, "2500", false, true},
    }};
    return rules[static_cast<int>(family)];
}

std::string_view replacementText(const Setting& setting) {
    // The in0 picture 0 duration has always fallen back to its start value instead.
    if (setting.control == "Edit19") return "2000";
    return editFamilyRule(setting.family).replacement;
}

const std::vector<Setting>& allSettings() {
    static const std::vector<Setting> settings = buildSettings();
    return settings;
}

const Setting* findSettingByControl(std::string_view control) {
    for (const auto& s : allSettings()) {
        if (s.control == control) return &s;
        for (const auto& b : s.buttons) {
            if (b == control) return &s;
        }
    }
    return nullptr;
}

const std::vector<SoundTimeDisplay>& soundTimeDisplays() {
    static const std::vector<SoundTimeDisplay> displays = [] {
        struct Row {
            Section section;
            int display, unit;
            const char *start, *startUnit;
        };
        constexpr std::array<Row, 4> rows = {{{Section::In0, 44, 45, "0,1", "sec"},
                                              {Section::In1, 36, 44, "5", "min"},
                                              {Section::In2, 48, 47, "5", "min"},
                                              {Section::In3, 68, 46, "5", "min"}}};
        std::vector<SoundTimeDisplay> out;
        for (int i = 0; i < 4; ++i) {
            const auto& in = inputSections[i];
            SoundTimeDisplay d{rows[i].section, name("Edit", rows[i].display),
                               name("Memo", rows[i].unit), rows[i].start, rows[i].startUnit, {},
                               name("Edit", in.repeatsEdit)};
            for (int t = 0; t < 4; ++t) d.toneEdits[t] = name("Edit", in.toneEdits[t]);
            out.push_back(std::move(d));
        }
        return out;
    }();
    return displays;
}

const SoundTimeDisplay* findSoundTimeDisplay(Section section) {
    for (const auto& d : soundTimeDisplays()) {
        if (d.section == section) return &d;
    }
    return nullptr;
}

}  // namespace blx52
