#include "sync/sequences.h"

#include <array>

#include "link/command_keys.h"
#include "sync/sync_texts.h"
#include "sync/sync_view.h"

namespace blx52 {

namespace {

QString utf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

ValueForm formOf(const Setting& setting) {
    switch (setting.kind) {
        case FieldKind::PictureDuration:
        case FieldKind::ToneDuration:
        case FieldKind::Repeats:
            return ValueForm::EditText;
        case FieldKind::Standby:
        case FieldKind::Volume:
            return ValueForm::RadioDigit;
        case FieldKind::Pitch:
            return ValueForm::PitchIndex;
        case FieldKind::Brightness:
            return ValueForm::Brightness;
    }
    return ValueForm::Fixed;
}

QString sectionCaption(Section section) {
    switch (section) {
        case Section::In0:
            return QStringLiteral("Input 0");
        case Section::In1:
            return QStringLiteral("Input 1");
        case Section::In2:
            return QStringLiteral("Input 2");
        case Section::In3:
            return QStringLiteral("Inputs 1 and 2");
        case Section::Res:
            return QStringLiteral("Device Start");
        case Section::Sby:
            return QStringLiteral("No Inputs");
    }
    return {};
}

bool allAsciiDigits(const QString& text) {
    if (text.isEmpty())
        return false;
    for (QChar c : text) {
        if (c < u'0' || c > u'9')
            return false;
    }
    return true;
}

QString notAWholeNumber(const Setting& setting, const QString& value, std::size_t maxDigits) {
    const QString digits = maxDigits == 1
                               ? utf8(sync_text::OneDigit)
                               : utf8(sync_text::Digits).arg(static_cast<qulonglong>(maxDigits));
    return settingName(setting) + QStringLiteral(": ") + value + QStringLiteral("\n\n") +
           utf8(sync_text::NotAWholeNumber).arg(digits);
}

QString nothingSelected(const Setting& setting) {
    return settingName(setting) + QStringLiteral("\n\n") + utf8(sync_text::NothingSelected);
}

// A digit text that must fit behind the key on one line.
ComposedLine digitsLine(const WriteEntry& entry, const QString& value) {
    const std::size_t maxDigits = MaxLineLength - entry.key.size();
    if (!allAsciiDigits(value) || static_cast<std::size_t>(value.size()) > maxDigits) {
        return {{}, notAWholeNumber(*entry.setting, value, maxDigits)};
    }
    return {entry.key + value.toStdString(), {}};
}

}  // namespace

const std::vector<ReadStep>& readSequence() {
    static const std::vector<ReadStep> steps = [] {
        std::vector<ReadStep> out;
        out.push_back({std::string(FirmwareKey), nullptr});
        for (const auto& s : allSettings())
            out.push_back({s.getKey, &s});
        return out;
    }();
    return steps;
}

const std::vector<WriteEntry>& writeSequence() {
    static const std::vector<WriteEntry> entries = [] {
        std::vector<WriteEntry> out;
        for (const auto& s : allSettings())
            out.push_back({s.setKey, &s, formOf(s)});
        out.push_back({std::string(WriteFlagKey), nullptr, ValueForm::Fixed});
        return out;
    }();
    return entries;
}

QString settingName(const Setting& setting) {
    const QString section = sectionCaption(setting.section);
    switch (setting.kind) {
        case FieldKind::PictureDuration:
            return section + QStringLiteral(", picture %1 duration").arg(setting.index);
        case FieldKind::ToneDuration:
            return section + QStringLiteral(", tone %1 duration").arg(setting.index);
        case FieldKind::Repeats:
            return section + QStringLiteral(", repeats");
        case FieldKind::Standby:
            return section + QStringLiteral(", standby picture");
        case FieldKind::Volume:
            return section + QStringLiteral(", volume");
        case FieldKind::Pitch:
            return section + QStringLiteral(", tone %1 pitch").arg(setting.index);
        case FieldKind::Brightness:
            return QStringLiteral("Brightness");
    }
    return section;
}

ComposedLine composeLine(const WriteEntry& entry, const SyncView& view) {
    switch (entry.form) {
        case ValueForm::EditText:
            return digitsLine(entry, view.editText(entry.setting->control));
        case ValueForm::RadioDigit: {
            const auto& buttons = entry.setting->buttons;
            for (std::size_t i = 0; i < buttons.size(); ++i) {
                if (view.isChecked(buttons[i]))
                    return {entry.key + std::to_string(i), {}};
            }
            return {{}, nothingSelected(*entry.setting)};
        }
        case ValueForm::PitchIndex: {
            const int index = view.pitchIndex(entry.setting->control);
            if (index < 0 || index >= static_cast<int>(PitchNames.size())) {
                return {{}, nothingSelected(*entry.setting)};
            }
            return {entry.key + std::to_string(index), {}};
        }
        case ValueForm::Brightness: {
            // The mirror memo is filled only by the track bar's first change; until then the
            // track bar itself holds the brightness the user sees.
            QString value = view.memoText(std::string(BrightnessMirrorMemo));
            if (value.isEmpty())
                value = QString::number(view.trackBarPosition());
            return digitsLine(entry, value);
        }
        case ValueForm::Fixed:
            return {entry.key + std::string(WriteFlagValue), {}};
    }
    return {};
}

QString composeWrite(const SyncView& view, std::vector<std::string>& lines) {
    lines.clear();
    std::vector<std::string> out;
    out.reserve(writeSequence().size());
    for (const auto& entry : writeSequence()) {
        ComposedLine composed = composeLine(entry, view);
        if (!composed.ok())
            return composed.refusal;
        out.push_back(std::move(composed.line));
    }
    lines = std::move(out);
    return {};
}

int highestChoice(const Setting& setting) {
    switch (setting.kind) {
        case FieldKind::Standby:
        case FieldKind::Volume:
            return static_cast<int>(setting.buttons.size()) - 1;
        case FieldKind::Pitch:
            return static_cast<int>(PitchNames.size()) - 1;
        case FieldKind::Brightness:
            return BrightnessMax;
        default:
            return -1;
    }
}

std::optional<int> choiceNumber(const Setting& setting, std::string_view digits) {
    if (setting.isEdit() || digits.empty())
        return std::nullopt;
    int value = 0;
    for (char c : digits) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
        if (value > highestChoice(setting))  // also keeps a long digit text from overflowing
            return std::nullopt;
    }
    return value;
}

std::optional<int> choiceNumber(const Setting& setting, const QString& text) {
    for (QChar c : text) {
        if (c.unicode() > 0x7f)
            return std::nullopt;
    }
    const std::string digits = text.toLatin1().toStdString();
    return choiceNumber(setting, std::string_view(digits));
}

QString storedValue(const Setting& setting, const QString& text) {
    const std::optional<int> number = choiceNumber(setting, text);
    return number ? QString::number(*number) : text;
}

ReplyFault checkReply(const Setting& setting, std::string_view reply) {
    if (reply.empty())
        return ReplyFault::NotANumber;
    for (char c : reply) {
        if (c < '0' || c > '9')
            return ReplyFault::NotANumber;
    }
    if (setting.isEdit()) {
        return reply.size() + setting.setKey.size() > MaxLineLength ? ReplyFault::TooLong
                                                                    : ReplyFault::None;
    }
    return choiceNumber(setting, reply) ? ReplyFault::None : ReplyFault::OutOfRange;
}

bool isFirmwareReply(std::string_view reply) {
    bool digitBefore = false;
    for (const char c : reply) {
        if (c >= '0' && c <= '9') {
            digitBefore = true;
        } else if (c == '.' && digitBefore) {
            digitBefore = false;
        } else {
            return false;
        }
    }
    return digitBefore;
}

QString replyText(const std::string& bytes) {
    // 0x80 … 0x9F of Windows-1252; the five unassigned codes keep their own value.
    static constexpr std::array<char16_t, 32> high = {
        0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
    QString text;
    text.reserve(static_cast<qsizetype>(bytes.size()));
    for (char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        text.append(b >= 0x80 && b < 0xA0 ? QChar(high[b - 0x80]) : QChar(b));
    }
    return text;
}

}  // namespace blx52
