#pragma once

#include <QString>
#include <optional>
#include <string>
#include <vector>

#include "settings/settings_table.h"

namespace blx52 {

class SyncView;

// One exchange of the read: a get key and the setting whose read target takes the reply. The
// firmware query comes first and has no setting; its reply goes to the firmware panel.
struct ReadStep {
    std::string key;
    const Setting* setting = nullptr;
};

// The 89 steps of a read: the firmware query, then every setting in table order.
const std::vector<ReadStep>& readSequence();

// How a write entry takes its value from the window.
enum class ValueForm {
    EditText,    // the edit's text as it stands
    RadioDigit,  // position of the first checked button of the group
    PitchIndex,  // the pitch box's selected item in decimal
    Brightness,  // the brightness mirror memo, or the track bar while the mirror is empty
    Fixed,       // the write flag's "123"
};

struct WriteEntry {
    std::string key;
    const Setting* setting = nullptr;  // none for the closing write flag
    ValueForm form;
};

// The 89 entries of a write: every setting in table order, then the write flag.
const std::vector<WriteEntry>& writeSequence();

// A command line holds key and value together in at most this many characters.
inline constexpr std::size_t MaxLineLength = 15;

// The setting in plain words, e.g. "Input 0, picture 2 duration" or "Device Start, tone 10 pitch".
QString settingName(const Setting& setting);

// The command line of one entry as the window holds it now. When the value cannot be sent as
// it stands (not a whole number, too long for the line, nothing selected), `refusal` says why
// and names the setting.
struct ComposedLine {
    std::string line;
    QString refusal;
    bool ok() const { return refusal.isEmpty(); }
};
ComposedLine composeLine(const WriteEntry& entry, const SyncView& view);

// All 89 lines of a write, or the first refusal (then `lines` is left empty).
QString composeWrite(const SyncView& view, std::vector<std::string>& lines);

// Why a reply of the device cannot be taken as the value of its setting.
enum class ReplyFault {
    None,
    NotANumber,  // empty, or anything but the digits 0 … 9
    TooLong,     // more digits than a write could send back on one line
    OutOfRange,  // a choice (standby picture, volume, pitch, brightness) it does not have
};
// A reply taken as it came (the link's LastReply): digits only; for an edit as many as fit
// behind its set key on one line; for a choice a value it offers.
ReplyFault checkReply(const Setting& setting, std::string_view reply);

// Whether a reply to "getdatafw" is a firmware version as the device gives it: digits, with
// single dots between them ("4", "4.1"). An echo, "OK" or line noise is no BLX52.
bool isFirmwareReply(std::string_view reply);

// The one reading of a choice value (standby picture, volume, pitch, brightness) for the
// window's read, the settings store, profiles and compares: digits read as their number,
// leading zeros included; nothing when the text is no digits or not one of the setting's
// values. Durations and repeats are no choices and keep their text.
std::optional<int> choiceNumber(const Setting& setting, std::string_view digits);
std::optional<int> choiceNumber(const Setting& setting, const QString& text);
// The highest value a choice offers.
int highestChoice(const Setting& setting);
// A value as the store keeps it: a choice as its plain number, anything else as it stands.
QString storedValue(const Setting& setting, const QString& text);

// A reply as the window's controls see it: one character per byte, Windows-1252.
QString replyText(const std::string& bytes);

}  // namespace blx52
