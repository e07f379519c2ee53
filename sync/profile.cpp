#include "sync/profile.h"

#include <QHash>
#include <QStringDecoder>
#include <optional>

#include "sync/sequences.h"
#include "sync/shown_text.h"
#include "sync/sync_view.h"

namespace blx52 {

namespace {

QString fromView(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

const QHash<QString, int>& profileKeys() {
    static const QHash<QString, int> keys = [] {
        QHash<QString, int> out;
        const auto& settings = allSettings();
        for (std::size_t i = 0; i < settings.size(); ++i)
            out.insert(profileKey(settings[i]), static_cast<int>(i));
        return out;
    }();
    return keys;
}

// The write's entry of each setting, by the setting's table index.
const WriteEntry& writeEntryOf(int index) {
    return writeSequence().at(static_cast<std::size_t>(index));
}

// A line's text, or nothing when its bytes are no UTF-8 text.
std::optional<QString> decodeLine(const QByteArray& bytes) {
    if (bytes.contains('\0'))
        return std::nullopt;
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder.decode(bytes);
    if (decoder.hasError())
        return std::nullopt;
    return text;
}

class ErrorList {
  public:
    explicit ErrorList(ParsedProfile& parsed) : parsed_(parsed) {}
    void add(int line, const QString& reason) {
        if (static_cast<int>(parsed_.errors.size()) < MaxProfileErrors) {
            parsed_.errors.push_back({line, reason});
        } else {
            ++parsed_.moreErrors;
        }
    }

  private:
    ParsedProfile& parsed_;
};

}  // namespace

QString profileKey(const Setting& setting) {
    QString key = QString::fromStdString(setting.setKey);
    if (key.startsWith(QStringLiteral("set")))
        key.remove(0, 3);
    // The standby picture's write key ends in "_" where its read key does not.
    if (key.endsWith(u'_'))
        key.chop(1);
    return key;
}

const Setting* findSettingByProfileKey(const QString& key) {
    const auto it = profileKeys().constFind(key);
    if (it == profileKeys().constEnd())
        return nullptr;
    return &allSettings()[static_cast<std::size_t>(*it)];
}

QString profileComment(const Setting& setting) {
    QString name = settingName(setting);
    if (setting.kind == FieldKind::PictureDuration || setting.kind == FieldKind::ToneDuration)
        name += QStringLiteral(" (ms)");
    if (setting.kind == FieldKind::Pitch)
        name += QStringLiteral(" (0 None, 1 C6 \u2026 15 C8, 16 Pause)");
    return name;
}

QString composeProfile(const SyncView& view, QByteArray& text,
                       const std::vector<ProfilePicture>& pictures) {
    text.clear();
    std::vector<std::string> lines;
    const QString refusal = composeWrite(view, lines);
    if (!refusal.isEmpty())
        return refusal;

    QString out = fromView(pictures.empty() ? ProfileFormatLine : BundleFormatLine) + u'\n';
    const auto& settings = allSettings();
    for (std::size_t i = 0; i < settings.size(); ++i) {
        const WriteEntry& entry = writeEntryOf(static_cast<int>(i));
        const QString value = QString::fromStdString(lines[i].substr(entry.key.size()));
        out += profileKey(settings[i]) + QStringLiteral(" = ") + value + QStringLiteral("  # ") +
               profileComment(settings[i]) + u'\n';
    }
    text = out.toUtf8();
    for (const ProfilePicture& picture : pictures)
        text += '\n' + composePictureSection(picture);
    return {};
}

QStringList ParsedProfile::errorTexts() const {
    QStringList texts;
    for (const ProfileError& e : errors)
        texts << QStringLiteral("line %1: %2").arg(e.line).arg(e.reason);
    if (moreErrors > 0)
        texts << QStringLiteral("... and %1 more errors").arg(moreErrors);
    return texts;
}

ParsedProfile parseProfile(const QByteArray& bytes) {
    ParsedProfile parsed;
    ErrorList errors(parsed);
    const QString format = fromView(ProfileFormatLine);

    if (bytes.isEmpty()) {
        errors.add(1, QStringLiteral("empty file; a profile starts with \"%1\"").arg(format));
        return parsed;
    }
    if (bytes.size() > MaxProfileSize) {
        errors.add(1, QStringLiteral("file too large for a profile (%1 bytes)").arg(bytes.size()));
        return parsed;
    }

    QList<QByteArray> rawLines = bytes.split('\n');
    if (bytes.endsWith('\n'))
        rawLines.removeLast();
    if (!rawLines.isEmpty() && rawLines.front().startsWith("\xEF\xBB\xBF"))
        rawLines.front().remove(0, 3);

    const int settingCount = SettingsStore::count();
    std::vector<int> givenOn(static_cast<std::size_t>(settingCount), 0);
    const int lineCount = static_cast<int>(rawLines.size());
    PictureSectionReader pictures(
        [&errors](int line, const QString& reason) { errors.add(line, reason); });

    for (int n = 1; n <= lineCount; ++n) {
        QByteArray raw = rawLines[n - 1];
        if (raw.endsWith('\r'))
            raw.chop(1);
        // A CR alone ends a line on old Macs; taken as text it would glue lines together.
        if (raw.contains('\r')) {
            errors.add(n, n == 1 ? QStringLiteral("the lines end with CR alone; a profile's lines "
                                                  "end with LF or CR LF")
                                 : QStringLiteral("mixed line ends: a CR alone ends a line here; "
                                                  "a profile's lines end with LF or CR LF"));
            if (n == 1)
                return parsed;
            continue;
        }
        const std::optional<QString> decoded = decodeLine(raw);
        if (!decoded) {
            errors.add(n, QStringLiteral("not UTF-8 text (binary data?)"));
            if (n == 1)
                return parsed;  // no profile at all: its missing keys would be mere noise
            continue;
        }
        const QString line = decoded->trimmed();
        if (n == 1) {
            if (line == fromView(BundleFormatLine)) {
                parsed.version = 2;
                continue;
            }
            if (line != format) {
                errors.add(n, line.startsWith(QStringLiteral("# blx52-profile"))
                                  ? QStringLiteral("unsupported format \"%1\"; expected \"%2\"")
                                        .arg(shownText(line), format)
                                  : QStringLiteral("not a settings profile; the first line must "
                                                   "be \"%1\"")
                                        .arg(format));
                return parsed;
            }
            continue;
        }
        const qsizetype hash = line.indexOf(u'#');
        const QString content = (hash >= 0 ? line.left(hash) : line).trimmed();
        if (content.isEmpty())
            continue;
        if (parsed.version == 2 && pictures.take(n, content))
            continue;
        if (parsed.version == 1 && content.startsWith(u'[')) {
            errors.add(n, QStringLiteral("picture sections need the format line \"%1\"")
                              .arg(fromView(BundleFormatLine)));
            continue;
        }
        const qsizetype eq = content.indexOf(u'=');
        if (eq < 0) {
            errors.add(n, QStringLiteral("expected \"key = value\""));
            continue;
        }
        const QString key = content.left(eq).trimmed();
        const QString value = content.mid(eq + 1).trimmed();
        const Setting* setting = findSettingByProfileKey(key);
        if (setting == nullptr) {
            errors.add(n, QStringLiteral("unknown key \"%1\"").arg(shownText(key)));
            continue;
        }
        const int index = SettingsStore::indexOf(*setting);
        int& first = givenOn[static_cast<std::size_t>(index)];
        if (first != 0) {
            errors.add(n, QStringLiteral("%1 given twice (first on line %2)").arg(key).arg(first));
            continue;
        }
        first = n;

        if (value.isEmpty()) {
            errors.add(n, QStringLiteral("%1 has no value").arg(key));
            continue;
        }
        if (!setting->isEdit()) {
            // One reading of a choice everywhere: "02" is 2, as the write sends it.
            if (const std::optional<int> number = choiceNumber(*setting, value)) {
                parsed.store.setValue(index, QString::number(*number));
            } else {
                errors.add(n, QStringLiteral("%1 = %2 refused: not one of its values (0 \u2026 %3)")
                                  .arg(key, shownText(value))
                                  .arg(highestChoice(*setting)));
            }
            continue;
        }
        // The write's own check decides: a value it would refuse is refused here.
        parsed.store.setValue(index, value);
        StoreSyncView view(parsed.store);
        const ComposedLine composed = composeLine(writeEntryOf(index), view);
        if (!composed.ok()) {
            // The refusal quotes the value; a message shows it escaped and cut.
            errors.add(
                n,
                QStringLiteral("%1 = %2 refused: %3")
                    .arg(key, shownText(value),
                         QString(composed.refusal).replace(value, shownText(value)).simplified()));
        } else if (QString::fromStdString(composed.line.substr(writeEntryOf(index).key.size())) !=
                   value) {
            errors.add(n, QStringLiteral("%1 = %2 refused: the write would send it differently")
                              .arg(key, shownText(value)));
        }
    }

    const int end = std::max(lineCount, 1);
    pictures.finish(end);
    parsed.pictures = pictures.pictures();
    const auto& settings = allSettings();
    for (int i = 0; i < settingCount; ++i) {
        if (givenOn[static_cast<std::size_t>(i)] == 0) {
            const Setting& s = settings[static_cast<std::size_t>(i)];
            errors.add(end,
                       QStringLiteral("missing key %1 (%2)").arg(profileKey(s), settingName(s)));
        }
    }
    return parsed;
}

}  // namespace blx52
