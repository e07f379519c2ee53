#pragma once

#include <array>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace blx52 {

// The six operating situations, numbered as in slot codes (100 + 10 × number + picture).
enum class Section { In0 = 0, In1 = 1, In2 = 2, In3 = 3, Res = 4, Sby = 5 };

std::string_view sectionKey(Section section);  // "in0" … "in3", "res", "sby"

enum class FieldKind { PictureDuration, ToneDuration, Repeats, Standby, Volume, Pitch, Brightness };

// How a duration or repeats edit reacts to a change of its text.
enum class EditFamily { None, PictureDuration, InputToneDuration, Repeats, StartToneDuration };

// What the change rule of each family does besides checking the characters.
struct EditFamilyRule {
    EditFamily family;
    std::string_view replacement;  // replaces a text that fails the character check
    bool recomputesSoundTime;      // of the edit's own section
    bool clearsPitchOnZero;        // "0" selects "None" in the same step's pitch box
};
const EditFamilyRule& editFamilyRule(EditFamily family);

// One setting of the device and the main-window control that owns it.
struct Setting {
    FieldKind kind;
    Section section;
    int index;  // picture or tone step; 0 for single settings

    // Owning control: an edit (durations, repeats), a pitch combo box, "TrackBar1", or empty for
    // the radio groups, whose buttons are listed instead (in value order "0", "1", …).
    std::string control;
    std::vector<std::string> buttons;
    // Hidden memo that a read stores into (pitch, volume, standby, brightness); empty for edits.
    std::string landingMemo;

    std::string startText;  // edits: the start text
    int startIndex = -1;    // pitch: start PitchCode; radio groups: start button; brightness: 6

    EditFamily family = EditFamily::None;
    std::string pitchBox;  // tone durations: the pitch box of the same step

    std::string getKey;
    std::string setKey;

    bool isEdit() const {
        return kind == FieldKind::PictureDuration || kind == FieldKind::ToneDuration ||
               kind == FieldKind::Repeats;
    }
    // The control a read stores the reply into: the edit, or the landing memo.
    const std::string& readTarget() const { return isEdit() ? control : landingMemo; }
};

// The 88 settings in the order the device is read and written: picture durations, tone
// durations, repeats, standby picture, volumes, pitches, brightness; within a kind in0 … in3, res.
const std::vector<Setting>& allSettings();
const Setting* findSettingByControl(std::string_view control);
// The family's replacement text, except for the one edit that has its own.
std::string_view replacementText(const Setting& setting);

// Items of every pitch box; the PitchCode is the index.
inline constexpr std::array<std::string_view, 17> PitchNames = {
    "None", "C6", "D6", "E6", "F6", "G6", "A6", "H6", "C7",
    "D7",   "E7", "F7", "G7", "A7", "H7", "C8", "Pause"};

// Sound time of an input section: display edit, unit memo and the texts it is computed from.
struct SoundTimeDisplay {
    Section section;
    std::string display;
    std::string unitMemo;
    std::string startText;
    std::string startUnit;
    std::array<std::string, 4> toneEdits;
    std::string repeatsEdit;
};
const std::vector<SoundTimeDisplay>& soundTimeDisplays();
const SoundTimeDisplay* findSoundTimeDisplay(Section section);

inline constexpr int BrightnessStart = 6;
inline constexpr int BrightnessMax = 9;
inline constexpr std::string_view BrightnessValueMemo = "Memo34";
inline constexpr int PortCount = 9;  // COM1 … COM9

}  // namespace blx52
