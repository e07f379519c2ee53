#include <gtest/gtest.h>

#include <QStringList>
#include <map>
#include <set>
#include <string>

#include "sync/device_compare.h"
#include "sync/exchange_log.h"
#include "sync/sequences.h"
#include "sync/sync_view.h"
#include "tests/common/expected_tables.h"

// Readable QStrings in assertion messages.
inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}

namespace blx52 {
namespace {

using test::expectedRead;
using test::expectedWrite;

// The values a write reads from the window, starting as the window starts; nothing is shown.
class ValuesView : public SyncView {
  public:
    ValuesView() {
        for (const auto& s : allSettings()) {
            if (s.isEdit())
                edits[s.control] = QString::fromStdString(s.startText);
            if (s.kind == FieldKind::Pitch)
                pitch[s.control] = s.startIndex;
            for (std::size_t b = 0; b < s.buttons.size(); ++b)
                checked[s.buttons[b]] = static_cast<int>(b) == s.startIndex;
        }
    }
    std::map<std::string, QString> edits;
    std::map<std::string, bool> checked;
    std::map<std::string, int> pitch;
    std::map<std::string, QString> memos;
    int trackBar = BrightnessStart;

    QString editText(const std::string& edit) const override { return edits.at(edit); }
    bool isChecked(const std::string& radio) const override { return checked.at(radio); }
    int pitchIndex(const std::string& box) const override { return pitch.at(box); }
    QString memoText(const std::string& memo) const override {
        auto it = memos.find(memo);
        return it == memos.end() ? QString() : it->second;
    }
    int trackBarPosition() const override { return trackBar; }
    void storeReply(const Setting&, const QString&) override {}
    void setTriggerText(const std::string&, const QString&) override {}
    void setStatusPanel(int, const QString&) override {}
    void setStrip(const std::string&, Strip) override {}
    void setProgress(int) override {}
    void beginBusy() override {}
    void endBusy() override {}
    bool settingsChanged() const override { return false; }
    void setSettingsChanged(bool) override {}
    bool portWarningShown() const override { return false; }
    void setPortWarningShown() override {}
    bool warningOkCancel(const QString&) override { return true; }
    void warningOk(const QString&) override {}
    void errorOk(const QString&) override {}
    void beep() override {}
};

const WriteEntry& entryFor(const std::string& key) {
    for (const auto& e : writeSequence()) {
        if (e.key == key)
            return e;
    }
    throw std::runtime_error("no write entry " + key);
}

std::string lineFor(const std::string& key, const ValuesView& view) {
    return composeLine(entryFor(key), view).line;
}

QString refusalFor(const std::string& key, const ValuesView& view) {
    return composeLine(entryFor(key), view).refusal;
}

TEST(Sequences, ReadStepsInSendingOrderWithTheirTargets) {
    const auto& steps = readSequence();
    ASSERT_EQ(steps.size(), expectedRead.size());
    EXPECT_EQ(steps[0].setting, nullptr);
    for (std::size_t i = 0; i < steps.size(); ++i) {
        SCOPED_TRACE(i + 1);
        EXPECT_EQ(steps[i].key, expectedRead[i].key);
        const std::string target = steps[i].setting ? steps[i].setting->readTarget() : "";
        EXPECT_EQ(target, expectedRead[i].target);
    }
}

TEST(Sequences, WriteEntriesInSendingOrderWithSourcesAndForms) {
    const auto& entries = writeSequence();
    ASSERT_EQ(entries.size(), expectedWrite.size());
    for (std::size_t i = 0; i < entries.size(); ++i) {
        SCOPED_TRACE(i + 1);
        const auto& e = entries[i];
        EXPECT_EQ(e.key, expectedWrite[i].key);
        std::string source;
        if (e.form == ValueForm::Brightness) {
            source = "Memo34";
        } else if (e.setting != nullptr && !e.setting->buttons.empty()) {
            for (const auto& b : e.setting->buttons)
                source += (source.empty() ? "" : ",") + b;
        } else if (e.setting != nullptr) {
            source = e.setting->control;
        }
        EXPECT_EQ(source, expectedWrite[i].source);
        const char forms[] = {'A', 'B', 'C', 'D', 'E'};
        EXPECT_EQ(forms[static_cast<int>(e.form)], expectedWrite[i].form);
    }
}

TEST(Sequences, ValueFormsComposeKeyAndValueWithoutSeparator) {
    ValuesView view;
    view.edits["Edit19"] = "2000";
    EXPECT_EQ(lineFor("setin0pic0t", view), "setin0pic0t2000");
    view.edits["Edit43"] = "50000";
    EXPECT_EQ(lineFor("setin0tonr", view), "setin0tonr50000");
    view.edits["Edit17"] = "0050";  // sent as typed, never reformatted
    EXPECT_EQ(lineFor("setrestonbt", view), "setrestonbt0050");

    for (int index : {8, 16, 0}) {
        view.pitch["ComboBox1"] = index;
        EXPECT_EQ(lineFor("setin0ton0p", view), "setin0ton0p" + std::to_string(index));
    }

    for (auto b : {"RadioButton16", "RadioButton17", "RadioButton18", "RadioButton19"}) {
        view.checked[b] = false;
    }
    view.checked["RadioButton18"] = true;
    EXPECT_EQ(lineFor("setin0tonv", view), "setin0tonv2");
    view.checked["RadioButton19"] = true;  // the first checked button counts
    EXPECT_EQ(lineFor("setin0tonv", view), "setin0tonv2");

    view.checked["RadioButton1"] = true;
    view.checked["RadioButton2"] = false;
    view.checked["RadioButton3"] = false;
    EXPECT_EQ(lineFor("setsbypic_", view), "setsbypic_0");

    EXPECT_EQ(lineFor("set_wt_flag", view), "set_wt_flag123");
}

TEST(Sequences, BrightnessFollowsTheTrackBarUntilItsMirrorIsFilled) {
    ValuesView view;
    ASSERT_TRUE(view.memoText("Memo34").isEmpty());
    EXPECT_EQ(lineFor("set_brightness", view), "set_brightness6");
    view.trackBar = 0;
    EXPECT_EQ(lineFor("set_brightness", view), "set_brightness0");
    view.memos["Memo34"] = "3";
    EXPECT_EQ(lineFor("set_brightness", view), "set_brightness3");
}

TEST(Sequences, EditValuesMustBeDigitsThatFitTheLine) {
    ValuesView view;
    view.edits["Edit21"] = "1234";
    EXPECT_EQ(lineFor("setin0pic2t", view), "setin0pic2t1234");
    view.edits["Edit21"] = "12345678";
    EXPECT_EQ(
        refusalFor("setin0pic2t", view),
        QString::fromUtf8("Input 0, picture 2 duration: 12345678\n\n"
                          "Der Wert muss eine ganze Zahl mit h\u00f6chstens 4 Ziffern sein."));
    view.edits["Edit67"] = "123456";
    EXPECT_TRUE(refusalFor("setin3tonr", view).startsWith("Inputs 1 and 2, repeats: 123456\n\n"));
    EXPECT_TRUE(refusalFor("setin3tonr", view).contains("5 Ziffern"));

    const QStringList bad = {"",
                             "1.5",
                             "-5",
                             "1 0",
                             QString("12") + QChar(0x01),
                             QString::fromUtf8("\u0661\u0662"),
                             QString::fromUtf8("1\u00b2")};
    for (const QString& text : bad) {
        SCOPED_TRACE(text.toStdString());
        view.edits["Edit1"] = text;
        const ComposedLine composed = composeLine(entryFor("setreston0t"), view);
        EXPECT_FALSE(composed.ok());
        EXPECT_TRUE(composed.line.empty());
        EXPECT_TRUE(composed.refusal.startsWith("Device Start, tone 0 duration: " + text));
    }
}

TEST(Sequences, GroupsAndPitchBoxesWithoutAChoiceAreRefused) {
    ValuesView view;
    for (auto b : {"RadioButton4", "RadioButton5", "RadioButton6", "RadioButton7"}) {
        view.checked[b] = false;
    }
    EXPECT_TRUE(refusalFor("setin1tonv", view).startsWith("Input 1, volume\n\n"));
    view.pitch["ComboBox32"] = -1;
    EXPECT_TRUE(refusalFor("setrestonap", view).startsWith("Device Start, tone 10 pitch\n\n"));
    view.pitch["ComboBox32"] = 17;
    EXPECT_FALSE(composeLine(entryFor("setrestonap"), view).ok());
}

// All 89 lines of an untouched window are what SyncWindowTest sends byte for byte.
TEST(Sequences, ComposeWriteGivesTheFirstRefusalAndNoLines) {
    ValuesView view;
    view.edits["Edit2"] = "99999";
    view.edits["Edit43"] = "x";
    std::vector<std::string> lines = {"from an earlier write"};
    EXPECT_TRUE(composeWrite(view, lines).startsWith("Device Start, picture 0 duration: 99999"));
    EXPECT_TRUE(lines.empty());
}

TEST(Sequences, SettingNamesInPlainWords) {
    std::set<QString> names;
    for (const auto& s : allSettings())
        names.insert(settingName(s));
    EXPECT_EQ(names.size(), allSettings().size());  // every setting named apart
    EXPECT_EQ(settingName(*findSettingByControl("Edit62")), "Inputs 1 and 2, picture 3 duration");
    EXPECT_EQ(settingName(*findSettingByControl("Edit16")), "Device Start, tone 10 duration");
    EXPECT_EQ(settingName(*findSettingByControl("Edit35")), "Input 1, repeats");
    EXPECT_EQ(settingName(*findSettingByControl("RadioButton2")), "No Inputs, standby picture");
    EXPECT_EQ(settingName(*findSettingByControl("ComboBox12")), "Input 2, tone 3 pitch");
    EXPECT_EQ(settingName(*findSettingByControl("TrackBar1")), "Brightness");
}

TEST(Sequences, RepliesAreWindows1252Text) {
    EXPECT_EQ(replyText("2500"), "2500");
    EXPECT_EQ(replyText(""), "");
    EXPECT_EQ(replyText(std::string("\x80\xe4\x9f\x81", 4)),
              QString::fromUtf8("\u20ac\u00e4\u0178") + QChar(0x81));
    EXPECT_EQ(replyText(std::string("1\0"
                                    "2",
                                    3))
                  .size(),
              3);
}

// A reply is taken only as a value its setting can hold and a write can send back.
TEST(Sequences, RepliesAreCheckedAgainstTheirSetting) {
    const auto& all = allSettings();
    const auto find = [&](std::string_view key) -> const Setting& {
        for (const auto& s : all) {
            if (s.getKey == key)
                return s;
        }
        ADD_FAILURE() << key;
        return all.front();
    };
    struct Case {
        std::string_view key;
        std::string reply;
        ReplyFault fault;
    };
    const Case cases[] = {
        {"getin0pic0t", "1500", ReplyFault::None},
        {"getin0pic0t", "0", ReplyFault::None},
        {"getin0pic0t", "9999", ReplyFault::None},
        {"getin0pic0t", "10000", ReplyFault::TooLong},  // 11-character key: four digits
        {"getin0tonr", "99999", ReplyFault::None},      // 10-character key: five digits
        {"getin0tonr", "100000", ReplyFault::TooLong},
        {"getin0pic0t", "", ReplyFault::NotANumber},
        {"getin0pic0t", "OK", ReplyFault::NotANumber},
        {"getin0pic0t", "15*0", ReplyFault::NotANumber},
        {"getin0pic0t", " 15", ReplyFault::NotANumber},
        {"getin0pic0t", "-1", ReplyFault::NotANumber},
        {"getin0pic0t", "1.5", ReplyFault::NotANumber},
        {"getin0pic0t", std::string("1\0", 2), ReplyFault::NotANumber},
        {"getin0pic0t", "\xb2", ReplyFault::NotANumber},  // a superscript two is no digit
        {"getsbypic", "2", ReplyFault::None},
        {"getsbypic", "3", ReplyFault::OutOfRange},
        {"getin1tonv", "3", ReplyFault::None},
        {"getin1tonv", "4", ReplyFault::OutOfRange},
        {"getin1tonv", "03", ReplyFault::None},
        {"getreston0p", "16", ReplyFault::None},
        {"getreston0p", "17", ReplyFault::OutOfRange},
        // A choice is its number, leading zeros included.
        {"getreston0p", "016", ReplyFault::None},
        {"getreston0p", "006", ReplyFault::None},
        {"getreston0p", "0000000000000000000000016", ReplyFault::None},
        {"getreston0p", "0017", ReplyFault::OutOfRange},
        {"getin1tonv", "004", ReplyFault::OutOfRange},
        {"get_brightness", "04", ReplyFault::None},
        {"getreston0p", "99999999999", ReplyFault::OutOfRange},
        {"get_brightness", "9", ReplyFault::None},
        {"get_brightness", "10", ReplyFault::OutOfRange},
        {"get_brightness", "", ReplyFault::NotANumber},
        {"get_brightness", "2e0", ReplyFault::NotANumber},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.key) + " <- " + c.reply);
        EXPECT_EQ(checkReply(find(c.key), c.reply), c.fault);
    }
    // The firmware query has no setting: a reply counts as a BLX52's only as a version.
    const std::pair<std::string, bool> firmware[] = {
        {"4", true},   {"4.1", true},   {"12.03.7", true},    {"", false},
        {"OK", false}, {"ERR", false},  {"getdatafw", false}, {".4", false},
        {"4.", false}, {"4..1", false}, {"\x1b[2J", false},   {"4.1\r", false},
    };
    for (const auto& [reply, version] : firmware)
        EXPECT_EQ(isFirmwareReply(reply), version) << "getdatafw <- " << reply;
}

const Setting& firstOfKind(FieldKind kind) {
    for (const Setting& s : allSettings()) {
        if (s.kind == kind)
            return s;
    }
    throw std::runtime_error("no setting of that kind");
}

TEST(CompareValues, ChoicesAsNumbersDurationsAsText) {
    const struct {
        FieldKind kind;
        const char* a;
        const char* b;
        bool same;
    } cases[] = {
        {FieldKind::Pitch, "3", "03", true},
        {FieldKind::Pitch, "3", "4", false},
        {FieldKind::Standby, "0", "00", true},
        {FieldKind::Brightness, "6", "6", true},
        {FieldKind::Volume, "", "0", false},
        {FieldKind::PictureDuration, "150", "0150", false},
        {FieldKind::ToneDuration, "2000", "2000", true},
        {FieldKind::Repeats, "3", "03", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(sameSettingValue(firstOfKind(c.kind), QString::fromLatin1(c.a),
                                   QString::fromLatin1(c.b)),
                  c.same)
            << c.a << " / " << c.b;
    }
}

// Exchanges as a link reports them to its observer.
void exchange(ExchangeLog& log, const std::string& sent, std::int32_t code,
              const std::string& reply, std::vector<std::pair<int, std::string>> texts = {}) {
    log.exchangeStarted();
    for (const auto& [panel, text] : texts)
        log.statusWritten(panel, text);
    log.exchangeDone(sent, code, reply);
}

TEST(ExchangeLog, RowsCarryTheOperationAndReadAsOneLineEach) {
    ExchangeLog log;
    exchange(log, "getdatafw", 0, "4.1");
    log.beginOperation(QStringLiteral("compare"));
    log.beginOperation(QStringLiteral("read"));  // nested: the compare names the rows
    exchange(log, std::string("setin0pic0d_") + std::string(512, '\x07'), 0, "OK");
    exchange(log, "get\x01\"x\\", 7, "", {{3, "Fehler beim lesen vom Com Port"}, {4, "Fehler 7"}});
    log.endOperation(QStringLiteral("Read stopped"));
    log.endOperation(QStringLiteral("1 setting differs."));
    exchange(log, "outin0_1", 0, "OK");

    QStringList lines;
    for (std::size_t i = 0; i < log.size(); ++i)
        lines << logLine(log.row(i)).section(u' ', 1);  // without the time
    EXPECT_EQ(lines, (QStringList{
                         QStringLiteral("- sent \"getdatafw\" reply \"4.1\" code 0"),
                         QStringLiteral("compare sent \"setin0pic0d_ + 512 picture bytes\" reply "
                                        "\"OK\" code 0"),
                         QStringLiteral("compare sent \"get\\x01\\\"x\\\\\" reply \"\" code 7 [3] "
                                        "\"Fehler beim lesen vom Com Port\" [4] \"Fehler 7\""),
                         QStringLiteral("compare: 1 setting differs."),
                         QStringLiteral("- sent \"outin0_1\" reply \"OK\" code 0"),
                     }));
    ASSERT_TRUE(log.firstFailure().has_value());
    EXPECT_EQ(linkFailureText(*log.firstFailure()),
              QStringLiteral("Fehler beim lesen vom Com Port (Fehler 7)"));
}

TEST(ExchangeLog, KeepsTheLastTwentyThousandRows) {
    ExchangeLog log;
    for (std::size_t i = 0; i < ExchangeLog::Capacity + 5; ++i)
        exchange(log, "get" + std::to_string(i), 0, "0");
    EXPECT_EQ(log.size(), ExchangeLog::Capacity);
    EXPECT_EQ(log.added(), ExchangeLog::Capacity + 5);
    EXPECT_EQ(log.row(0).sent, "get5");
    log.clear();
    EXPECT_EQ(log.size(), 0u);
}

}  // namespace
}  // namespace blx52
