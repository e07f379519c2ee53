// The profile format on its own: what is written, and every way a file is refused.
#include <gtest/gtest.h>

#include <QByteArray>
#include <QString>

#include "picture/slot_table.h"
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

// The whole file is refused; its first error names the line and reason, short and escaped.
void expectRefused(const BadFile& c) {
    SCOPED_TRACE(c.what);
    const ParsedProfile parsed = parseProfile(c.bytes);
    ASSERT_FALSE(parsed.ok());
    EXPECT_EQ(parsed.errors.front().line, c.line);
    EXPECT_TRUE(parsed.errors.front().reason.contains(QString::fromUtf8(c.reason)))
        << parsed.errors.front().reason.toStdString();
    EXPECT_LT(parsed.errors.front().reason.size(), 300);
    EXPECT_FALSE(parsed.errors.front().reason.contains(QChar(0x1b)));
}

TEST(Profile, RefusesEveryKindOfBadFileNamingLineAndReason) {
    const QByteArray good = profileOf(SettingsStore());
    const BadFile cases[] = {
        {"empty", QByteArray(), 1, "empty file"},
        {"another format", "[settings]\nin0pic0t=1\n", 1, "not a settings profile"},
        {"another version", "# blx52-profile 3\n" + good.mid(good.indexOf('\n') + 1), 1,
         "unsupported format"},
        {"picture in format 1", good + "[picture In0_Pic0]\n", 90, "need the format line"},
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
    for (const BadFile& c : cases)
        expectRefused(c);
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

// A picture whose every code differs from its neighbour's, so a swapped row or column shows.
ProfilePicture patterned(int slotCode) {
    ProfilePicture p;
    p.slotCode = slotCode;
    for (std::size_t i = 0; i < p.codes.size(); ++i)
        p.codes[i] =
            static_cast<std::uint8_t>((i * 5 + i / 32 + static_cast<std::size_t>(slotCode)) % 8);
    return p;
}

QByteArray bundleOf(const std::vector<ProfilePicture>& pictures) {
    SettingsStore copy = otherValues();
    StoreSyncView view(copy);
    QByteArray text;
    EXPECT_TRUE(composeProfile(view, text, pictures).isEmpty());
    return text;
}

TEST(Profile, BundleKeepsSettingsAndPicturesAndIsFormatOneBesideThem) {
    // Given out of slot order; read back in slot order.
    const std::vector<ProfilePicture> given = {patterned(152), patterned(100), patterned(131)};
    const QByteArray text = bundleOf(given);
    EXPECT_TRUE(text.startsWith("# blx52-profile 2\n"));
    const qsizetype at = text.indexOf("[picture In0_Pic0]\n");
    ASSERT_GE(at, 0);
    // Row 0 as the device picture file holds it: codes of x = 0 ... 31.
    QByteArray row0;
    for (int x = 0; x < 32; ++x)
        row0 += static_cast<char>('0' + patterned(100).codes[static_cast<std::size_t>(x)]);
    EXPECT_EQ(text.mid(at + 19, 33), row0 + '\n');
    EXPECT_TRUE(text.contains("[picture In12_Pic1]\n"));
    EXPECT_TRUE(text.contains("[picture StandBy_Pic2]\n"));

    const ParsedProfile parsed = parseProfile(text);
    ASSERT_TRUE(parsed.ok()) << parsed.errorTexts().join(u'\n').toStdString();
    EXPECT_EQ(parsed.version, 2);
    EXPECT_EQ(parsed.store.values(), otherValues().values());
    ASSERT_EQ(parsed.pictures.size(), 3u);
    EXPECT_EQ(parsed.pictures[0].slotCode, 100);
    EXPECT_EQ(parsed.pictures[0].codes, patterned(100).codes);
    EXPECT_EQ(parsed.pictures[1].codes, patterned(131).codes);
    EXPECT_EQ(parsed.pictures[2].codes, patterned(152).codes);

    // Without pictures the settings are written as format 1; with format 2's line they still
    // read, with no pictures.
    const QByteArray plain = profileOf(otherValues());
    const ParsedProfile asTwo = parseProfile("# blx52-profile 2" + plain.mid(plain.indexOf('\n')));
    ASSERT_TRUE(asTwo.ok());
    EXPECT_EQ(asTwo.version, 2);
    EXPECT_TRUE(asTwo.pictures.empty());
    EXPECT_EQ(parseProfile(plain).version, 1);

    // All 25 pictures fit well inside the size limit.
    std::vector<ProfilePicture> all;
    for (const PictureSlot& slot : pictureSlots())
        all.push_back(patterned(slot.code));
    const QByteArray full = bundleOf(all);
    EXPECT_LT(full.size(), MaxProfileSize / 4);
    const ParsedProfile fullParsed = parseProfile(full);
    ASSERT_TRUE(fullParsed.ok());
    EXPECT_EQ(fullParsed.pictures.size(), 25u);
}

TEST(Profile, RefusesEveryKindOfBadPictureSection) {
    const QByteArray good = bundleOf({patterned(100)});  // header on line 91, rows 92 ... 123
    const qsizetype header = good.indexOf("[picture ");
    const QByteArray settings = good.left(header);
    const QByteArray rows = good.mid(good.indexOf('\n', header) + 1);
    QByteArray badDigit = good;
    badDigit[header + 19 + 33 * 3 + 7] = '8';
    QByteArray shortRow = good;
    shortRow.remove(header + 19 + 33 * 5, 1);
    const BadFile cases[] = {
        {"digit outside 0-7", badDigit, 95, "row 4: \"8\" is no colour code"},
        {"row too short", shortRow, 97, "row 6: 31 codes"},
        {"doubled slot", good + "[picture In0_Pic0]\n" + rows, 124,
         "given twice (first on line 91)"},
        {"unknown slot", settings + "[picture In0_Pic7]\n" + rows, 91,
         "unknown picture slot \"In0_Pic7\""},
        {"unknown section", settings + "[pictures In0_Pic0]\n", 91, "unknown section"},
        {"short at a setting",
         settings + "[picture In0_Pic1]\n" + rows.left(33 * 2) + "in0pic0t = 5\n", 94,
         "In0_Pic1 (line 91) has 2 rows"},
        {"row too many", good + rows.left(33), 124, "row outside a picture section"},
        {"short at the end", settings + "[picture In0_Pic1]\n" + rows.left(33 * 31), 122,
         "has 31 rows"},
    };
    for (const BadFile& c : cases)
        expectRefused(c);
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
