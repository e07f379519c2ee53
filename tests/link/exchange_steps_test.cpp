// The steps of an exchange against a scripted port: every failure code, the order of the status
// texts and what survives an exchange.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "link/device_link.h"
#include "link_test_support.h"

namespace blx52 {
namespace {

using test::CountText;
using test::OpenFailedText;
using test::ReadFailedText;
using test::RecordingSink;
using Entry = RecordingSink::Entry;

struct Script {
    bool open = true;
    bool readSettings = true;
    bool applyLineSettings = true;
    bool applyTimeouts = true;
    bool writeFails = false;
    std::optional<std::size_t> writeCount;  // reported count; default: everything
    bool readFails = false;
    std::string reply;  // bytes the read delivers (up to its capacity)

    // What the link did with the port.
    std::vector<std::string> calls;
    std::string openedName;
    std::string written;
    std::size_t readCapacity = 0;
};

class ScriptedPort final : public SerialPort {
  public:
    explicit ScriptedPort(Script& script) : s_(script) {}
    bool open(const std::string& name) override {
        s_.calls.push_back("open");
        s_.openedName = name;
        return s_.open;
    }
    bool readSettings() override {
        s_.calls.push_back("readSettings");
        return s_.readSettings;
    }
    bool applyLineSettings() override {
        s_.calls.push_back("applyLineSettings");
        return s_.applyLineSettings;
    }
    bool applyTimeouts() override {
        s_.calls.push_back("applyTimeouts");
        return s_.applyTimeouts;
    }
    void discardInput() override { s_.calls.push_back("discardInput"); }
    std::optional<std::size_t> write(const std::uint8_t* data, std::size_t length) override {
        s_.calls.push_back("write");
        if (s_.writeFails)
            return std::nullopt;
        s_.written.assign(reinterpret_cast<const char*>(data), length);
        return s_.writeCount.value_or(length);
    }
    std::optional<std::size_t> read(std::uint8_t* buffer, std::size_t capacity) override {
        s_.calls.push_back("read");
        s_.readCapacity = capacity;
        if (s_.readFails)
            return std::nullopt;
        const std::size_t n = std::min(capacity, s_.reply.size());
        std::copy_n(s_.reply.begin(), n, buffer);
        return n;
    }
    void close() override { s_.calls.push_back("close"); }

  private:
    Script& s_;
};

class ExchangeSteps : public ::testing::Test {
  protected:
    ExchangeSteps() : link_(&sink_, [this] { return std::make_unique<ScriptedPort>(script_); }) {
        sink_.watch(&link_);
    }
    void exchange(std::string_view command) {
        link_.Exchange(command, static_cast<int>(command.size()));
    }

    Script script_;
    RecordingSink sink_;
    DeviceLink link_;
};

TEST_F(ExchangeSteps, StartStateAndSuccessfulExchange) {
    EXPECT_EQ(link_.PortName, "COM1");
    EXPECT_EQ(link_.LinkErrorCode, 0);
    EXPECT_EQ(link_.LastReply, "0");

    script_.reply = "42\r\n";
    exchange("getin0tonr");
    EXPECT_EQ(script_.calls, (std::vector<std::string>{"open", "readSettings", "applyLineSettings",
                                                       "applyTimeouts", "discardInput", "write",
                                                       "read", "close"}));
    EXPECT_EQ(script_.openedName, "COM1");
    EXPECT_EQ(script_.written, "getin0tonr\r\n");
    EXPECT_EQ(script_.readCapacity, 22u);
    EXPECT_EQ(link_.LastReply, "42");
    EXPECT_EQ(link_.LinkErrorCode, link_code::Ok);
    EXPECT_TRUE(sink_.entries.empty());

    // A new port name is used by the next exchange.
    link_.PortName = "COM4";
    exchange("getin0tonr");
    EXPECT_EQ(script_.openedName, "COM4");
}

TEST_F(ExchangeSteps, OnlyAWholeLineIsAnAnswer) {
    struct Case {
        std::string reply;
        std::string lastReply;
        std::int32_t code;
    };
    const std::vector<Case> cases = {
        {"1500\r\n", "1500", link_code::Ok},
        {"\r\n", "", link_code::Ok},
        {std::string("1\0"
                     "2\r\n",
                     5),
         std::string("1\0"
                     "2",
                     3),
         link_code::Ok},
        // Cut or over-long lines: the last two bytes are still dropped, but the code says the
        // text is no answer.
        {"7", "", link_code::BrokenReply},
        {"OK", "", link_code::BrokenReply},
        {"1500", "15", link_code::BrokenReply},
        {"1500\n\r", "1500", link_code::BrokenReply},
        {"123456789012345678901234567890\r\n", "12345678901234567890", link_code::BrokenReply},
        {"", "", link_code::NoAnswer},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reply);
        script_.reply = c.reply;
        sink_.entries.clear();
        link_.LastReply = "previous";
        exchange("getin0pic0t");
        EXPECT_EQ(link_.LastReply, c.lastReply);
        EXPECT_EQ(link_.LinkErrorCode, c.code);
        if (c.code == link_code::BrokenReply) {
            const std::vector<Entry> broken = {{3, "Antwort vom Modul unvollständig", 0},
                                               {4, "Fehler 9", 9}};
            EXPECT_EQ(sink_.entries, broken);
        } else {
            // Neither a whole reply nor silence is a transport failure.
            EXPECT_TRUE(sink_.entries.empty());
        }
    }
}

TEST_F(ExchangeSteps, LengthDecidesWhatIsSent) {
    script_.reply = "OK\r\n";
    const std::string binary("setin0pic0d_\0\n\r\xff", 16);
    exchange(binary);
    EXPECT_EQ(script_.written, binary + "\r\n");

    link_.Exchange("setin0pic0t2000garbage", 15);
    EXPECT_EQ(script_.written, "setin0pic0t2000\r\n");
    EXPECT_EQ(link_.LinkErrorCode, link_code::Ok);

    // A length beyond the command is never read past its end; the short line is reported.
    link_.Exchange("getdatafw", 20);
    EXPECT_EQ(script_.written, "getdatafw\r\n");
    EXPECT_EQ(sink_.texts(),
              (std::vector<std::pair<int, std::string>>{{3, CountText}, {4, "Fehler 6"}}));
}

// Each failing step: its status texts with the code at the moment of writing, whether the line
// still went out, and what is left at the end of the exchange.
TEST_F(ExchangeSteps, FailingStepsReportInOrderAndLeaveOnlyTheReadOutcome) {
    const std::string blanks(38, ' ');
    const std::string notRead = "Com Port-Einstelungen konnten nicht gelesen werden";
    const std::string notSet = "Com Port konnte nicht eingestellt werden";
    const std::string noTimeout = "Com Port Timeout konnte nicht eingestellt werden";
    const std::string notWritten = "Fehler beim beschreiben vom Com Port";
    struct Case {
        const char* name;
        std::function<void(Script&)> fail;
        std::string reply;
        std::vector<Entry> entries;
        bool lineSent;
        std::int32_t code;
        std::string lastReply;
    };
    // clang-format off
    const std::vector<Case> cases = {
        // The port panel is blanked and the exchange ends as a read failure; nothing to close.
        {"open", [](Script& s) { s.open = false; }, "",
         {{3, OpenFailedText, 0}, {2, blanks, 0}, {4, "Fehler 1", 1}, {3, CountText, 1},
          {4, "Fehler 6", 6}, {3, ReadFailedText, 6}, {4, "Fehler 7", 7}},
         false, link_code::ReadFailed, ""},
        // Line settings that cannot be read or applied stay in the status bar only.
        {"line settings", [](Script& s) { s.readSettings = s.applyLineSettings = false; }, "1000\r\n",
         {{3, notRead, 0}, {4, "Fehler 2", 2}, {3, notSet, 2}, {4, "Fehler 3", 3}},
         true, link_code::Ok, "1000"},
        // Without time-outs nothing is written, but the port is still read and closed.
        {"time-outs", [](Script& s) { s.applyTimeouts = false; }, "",
         {{3, noTimeout, 0}, {4, "Fehler 4", 4}, {3, CountText, 4}, {4, "Fehler 6", 6}},
         false, link_code::NoAnswer, ""},
        {"write", [](Script& s) { s.writeFails = true; }, "OK\r\n",
         {{3, notWritten, 0}, {4, "Fehler 5", 5}, {3, CountText, 5}, {4, "Fehler 6", 6}},
         true, link_code::Ok, "OK"},
        // A line that never went out and no answer: the write failure is what the exchange reports.
        {"write, no answer", [](Script& s) { s.writeFails = true; }, "",
         {{3, notWritten, 0}, {4, "Fehler 5", 5}, {3, CountText, 5}, {4, "Fehler 6", 6},
          {3, notWritten, 6}, {4, "Fehler 5", 5}},
         true, link_code::WriteFailed, ""},
        {"short write", [](Script& s) { s.writeCount = 5; }, "OK\r\n",
         {{3, CountText, 0}, {4, "Fehler 6", 6}}, true, link_code::Ok, "OK"},
        {"read", [](Script& s) { s.readFails = true; }, "12\r\n",
         {{3, ReadFailedText, 0}, {4, "Fehler 7", 7}}, true, link_code::ReadFailed, ""},
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        script_ = Script{};
        c.fail(script_);
        script_.reply = c.reply;
        sink_.entries.clear();
        link_.LastReply = "previous";
        exchange("getin1tonr");
        EXPECT_EQ(sink_.entries, c.entries);
        EXPECT_EQ(std::count(script_.calls.begin(), script_.calls.end(), "write"), c.lineSent);
        if (script_.open) {
            EXPECT_EQ(script_.calls.back(), "close");
        } else {
            EXPECT_EQ(script_.calls, std::vector<std::string>{"open"});
        }
        EXPECT_EQ(link_.LinkErrorCode, c.code);
        EXPECT_EQ(link_.LastReply, c.lastReply);
    }
}

TEST_F(ExchangeSteps, CodesOneToSixNeverSurviveAnExchange) {
    for (int failing = 0; failing < 7; ++failing) {
        for (bool answered : {true, false}) {
            SCOPED_TRACE(testing::Message() << "step " << failing << " answered " << answered);
            script_ = Script{};
            script_.open = failing != 0;
            script_.readSettings = failing != 1;
            script_.applyLineSettings = failing != 2;
            script_.applyTimeouts = failing != 3;
            script_.writeFails = failing == 4;
            if (failing == 5)
                script_.writeCount = 3;
            script_.readFails = failing == 6;
            script_.reply = answered ? "1\r\n" : "";
            exchange("getin0tonv");
            // Only an unanswered line that could not be written keeps its write failure.
            const bool writeFailure = failing == 4 && !answered;
            EXPECT_TRUE(link_.LinkErrorCode == link_code::Ok ||
                        link_.LinkErrorCode == link_code::ReadFailed ||
                        (link_.LinkErrorCode == link_code::NoAnswer && !writeFailure) ||
                        (link_.LinkErrorCode == link_code::WriteFailed && writeFailure))
                << link_.LinkErrorCode;
        }
    }
}

TEST(ExchangeWithoutSink, FailuresNeedNoStatusBar) {
    Script script;
    script.open = false;
    DeviceLink link(nullptr, [&] { return std::make_unique<ScriptedPort>(script); });
    link.Exchange("getdatafw", 9);
    EXPECT_EQ(link.LinkErrorCode, link_code::ReadFailed);
    EXPECT_EQ(link.LastReply, "");
}

}  // namespace
}  // namespace blx52
