// The profile format on its own: what is written, and every way a file is refused.
#include <gtest/gtest.h>

#include <QByteArray>
#include <QString>

#include "sync/profile.h"
#include "sync/sequences.h"
#include "sync/settings_store.h"

namespace blx52 {
namespace {

// A store whose every value differs from its start value and is still one the write sends.
SettingsStore otherValues() {
    SettingsStore store;
    const auto& settings = allSettings();
    for (int i = 0; i < SettingsStore::count(); ++i) {
        const Setting& s = settings[static_cast<std::size_t>(i)];
        const int start = store.value(i).toInt();
        switch (s.kind) {
            case FieldKind::Pitch:
                store.setValue(i, QString::number((start + 5) % 17));
                break;
            case FieldKind::Volume:
            case FieldKind::Standby:
                store.setValue(i,
                               QString::number((start + 1) % static_cast<int>(s.buttons.size())));
                break;
            case FieldKind::Brightness:
                store.setValue(i, QStringLiteral("9"));
                break;
            default:
                // A leading zero is sent as typed and must survive the file.
                store.setValue(i, QStringLiteral("0") + QString::number(start % 97 + 3));
        }
    }
    return store;
}

QByteArray profileOf(const SettingsStore& store) {
    SettingsStore copy = store;
    StoreSyncView view(copy);
    QByteArray text;
    EXPECT_TRUE(composeProfile(view, text).isEmpty());
    return text;
}

TEST(Profile, WritesEveryValueOnceInWriteOrderAndReadsItBack) {
    const SettingsStore store = otherValues();
    const QByteArray text = profileOf(store);
    const QList<QByteArray> lines = text.split('\n');
    ASSERT_EQ(lines.size(), 1 + 88 + 1);  // format line, values, empty rest after the last '\n'
    EXPECT_EQ(lines[0], "# blx52-profile 1");
    // The same lines a write of the store would send, key for key.
    SettingsStore copy = store;
    StoreSyncView view(copy);
    std::vector<std::string> write;
    ASSERT_TRUE(composeWrite(view, write).isEmpty());
    for (int i = 0; i < 88; ++i) {
        const auto at = static_cast<std::size_t>(i);
        const Setting& s = allSettings()[at];
        const QString line = QString::fromUtf8(lines[i + 1]);
        // The key is the device's read key without "get"; the value what the write sends.
        const QString key = QString::fromStdString(s.getKey.substr(3));
        const std::string value = write[at].substr(writeSequence()[at].key.size());
        EXPECT_TRUE(line.startsWith(key + QStringLiteral(" = ") + QString::fromStdString(value) +
                                    QStringLiteral("  # ") + settingName(s)))
            << line.toStdString();
    }
    EXPECT_TRUE(text.contains("\nsbypic = "));
    EXPECT_TRUE(text.contains("\n_brightness = 9  # Brightness\n"));

    const ParsedProfile parsed = parseProfile(text);
    ASSERT_TRUE(parsed.ok()) << parsed.errorTexts().join(u'\n').toStdString();
    EXPECT_EQ(parsed.store.values(), store.values());
}

TEST(Profile, ToleratesCommentsBlankLinesCrLfAndAnyOrder) {
    QList<QByteArray> lines = profileOf(otherValues()).split('\n');
    lines.removeLast();
    QByteArray text = lines.takeFirst() + "\r\n\r\n# a technician's note\r\n";
    for (qsizetype i = lines.size() - 1; i >= 0; --i)  // reversed order
        text += "   " + lines[i] + "\r\n  \t\n";
    const ParsedProfile parsed = parseProfile(text);
    ASSERT_TRUE(parsed.ok()) << parsed.errorTexts().join(u'\n').toStdString();
    EXPECT_EQ(parsed.store.values(), otherValues().values());
}

// Replaces the value line of `key` in a valid profile (or appends when `line` names no key).
QByteArray edited(const QByteArray& key, const QByteArray& line) {
    QList<QByteArray> lines = profileOf(SettingsStore()).split('\n');
    for (QByteArray& l : lines) {
        if (l.startsWith(key + " = "))
            l = line;
    }
    return lines.join('\n');
}

struct BadFile {
    const char* what;
    QByteArray bytes;
    int line;
    const char* reason;
};

TEST(Profile, RefusesEveryKindOfBadFileNamingLineAndReason) {
    const QByteArray good = profileOf(SettingsStore());
    const BadFile cases[] = {
        {"empty", QByteArray(), 1, "empty file"},
        {"another format", "[settings]\nin0pic0t=1\n", 1, "not a settings profile"},
        {"another version", "# blx52-profile 2\n" + good.mid(good.indexOf('\n') + 1), 1,
         "unsupported format"},
        {"binary", QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16), 1, "not UTF-8"},
        {"binary line", edited("in1pic2t", QByteArray("in1pic2t = \xff\xfe", 13)), 8, "not UTF-8"},
        {"unknown key", edited("in0pic1t", "in0pic9t = 100"), 3, "unknown key \"in0pic9t\""},
        {"write key of standby", edited("sbypic", "sbypic_ = 1"), 56, "unknown key"},
        {"missing key", edited("in3tonv", "# in3tonv removed"), 89, "missing key in3tonv"},
        {"duplicate", good + "in0ton0p = 4\n", 90, "given twice (first on line 61)"},
        {"letters", edited("in0pic0t", "in0pic0t = 12a"), 2, "in0pic0t = 12a refused"},
        {"too long", edited("in0pic0t", "in0pic0t = 12345"), 2, "4 Ziffern"},
        {"empty value", edited("reston3t", "reston3t ="), 43, "reston3t has no value"},
        {"pitch out of range", edited("in0ton0p", "in0ton0p = 17"), 61,
         "in0ton0p = 17 refused: not one of its values (0 \u2026 16)"},
        {"volume out of range", edited("in1tonv", "in1tonv = 004"), 58,
         "not one of its values (0 \u2026 3)"},
        {"empty brightness", edited("_brightness", "_brightness = "), 89,
         "_brightness has no value"},
        {"no equals sign", edited("in0pic3t", "in0pic3t 600"), 5, "key = value"},
        // What a message quotes is escaped and cut: it must not act on a terminal.
        {"terminal control", edited("in0pic1t", "in0pic1t = 1\x1b[2J"), 3,
         "in0pic1t = 1\\x1b[2J refused"},
        {"endless value", edited("in0pic1t", "in0pic1t = " + QByteArray(200000, '9')), 3,
         "in0pic1t = 9999999999999999999999999999999999999999\u2026 refused"},
        {"CR line ends", QByteArray(good).replace('\n', '\r'), 1, "the lines end with CR alone"},
        {"mixed line ends", edited("in0pic3t", "in0pic3t = 600\rin0pic4t = 600"), 5,
         "mixed line ends"},
    };
    for (const BadFile& c : cases) {
        SCOPED_TRACE(c.what);
        const ParsedProfile parsed = parseProfile(c.bytes);
        ASSERT_FALSE(parsed.ok());
        EXPECT_EQ(parsed.errors.front().line, c.line);
        EXPECT_TRUE(parsed.errors.front().reason.contains(QString::fromUtf8(c.reason)))
            << parsed.errors.front().reason.toStdString();
        EXPECT_LT(parsed.errors.front().reason.size(), 300);
        EXPECT_FALSE(parsed.errors.front().reason.contains(QChar(0x1b)));
    }
}

// One reading of a choice for store and profile: digits are their number, leading
// zeros included; durations keep their text.
TEST(Profile, ChoicesAreTheirNumbersLeadingZerosIncluded) {
    QList<QByteArray> lines = profileOf(SettingsStore()).split('\n');
    for (QByteArray& l : lines) {
        for (const char* line : {"in0ton0p = 05", "in1tonv = 002", "sbypic = 01",
                                 "_brightness = 04", "in0pic0t = 0150"}) {
            const QByteArray key = QByteArray(line).left(QByteArray(line).indexOf(' '));
            if (l.startsWith(key + " = "))
                l = line;
        }
    }
    const QByteArray text = lines.join('\n');
    const ParsedProfile parsed = parseProfile(text);
    ASSERT_TRUE(parsed.ok()) << parsed.errorTexts().join(u'\n').toStdString();
    const auto valueOf = [&](const char* key) {
        return parsed.store.value(
            SettingsStore::indexOf(*findSettingByProfileKey(QString::fromLatin1(key))));
    };
    EXPECT_EQ(valueOf("in0ton0p"), "5");
    EXPECT_EQ(valueOf("in1tonv"), "2");
    EXPECT_EQ(valueOf("sbypic"), "1");
    EXPECT_EQ(valueOf("_brightness"), "4");
    EXPECT_EQ(valueOf("in0pic0t"), "0150");  // a duration is sent as typed

    // The reply check: SequencesTest. The store keeps a choice reply as its number.
    const Setting& volume = *findSettingByProfileKey("in0tonv");
    const Setting& duration = *findSettingByProfileKey("in0pic0t");
    SettingsStore store;
    StoreSyncView view(store);
    view.storeReply(volume, QStringLiteral("02"));
    view.storeReply(duration, QStringLiteral("0150"));
    EXPECT_TRUE(view.isChecked(volume.buttons[2]));
    EXPECT_EQ(store.value(SettingsStore::indexOf(volume)), "2");
    EXPECT_EQ(store.value(SettingsStore::indexOf(duration)), "0150");
}

// Several faults in one file are all listed (ProfileWindowTest, CliTest), up to a cap.
TEST(Profile, ListsErrorsUpToTheCap) {
    QByteArray many = profileOf(SettingsStore());
    for (int i = 0; i < 120; ++i)
        many += "nosuchkey" + QByteArray::number(i) + " = 1\n";
    const ParsedProfile capped = parseProfile(many);
    EXPECT_EQ(static_cast<int>(capped.errors.size()), MaxProfileErrors);
    EXPECT_EQ(capped.moreErrors, 120 - MaxProfileErrors);
    EXPECT_TRUE(capped.errorTexts().last().contains(QStringLiteral("70 more")));
}

// A value the write refuses gives no profile (ProfileWindowTest); nor is a read reply that is no
// code of its kind turned into a start value.
TEST(Profile, RefusedReplyIsNoStartValue) {
    SettingsStore read;
    StoreSyncView readView(read);
    for (const Setting& s : allSettings()) {
        if (s.kind == FieldKind::Brightness || s.kind == FieldKind::Volume) {
            readView.storeReply(s, QString());
            EXPECT_FALSE(
                composeLine(writeSequence()[static_cast<std::size_t>(SettingsStore::indexOf(s))],
                            readView)
                    .ok());
        }
    }
}

}  // namespace
}  // namespace blx52
