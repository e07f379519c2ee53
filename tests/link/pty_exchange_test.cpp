// Exchanges through the system's port (termios, or Win32 under Wine) against the simulated
// device on a pseudo-terminal: what the shared exchange cases cannot show with fixed replies
// (late replies, a device that stops taking data or hangs up, a held port, a port name change).
#ifndef _WIN32
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#endif

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "link/device_link.h"
#include "link/port_names.h"
#include "link/serial_port.h"
#include "link_test_support.h"
#include "tests/common/simulated_device.h"
#include "tools/devsim/options.h"

namespace blx52 {
namespace {

using devsim::Options;
using test::CountText;
using test::OpenFailedText;
using test::ReadFailedText;
using test::RecordingSink;

using Texts = std::vector<std::pair<int, std::string>>;
const Texts openFailureTexts = {{3, OpenFailedText}, {2, std::string(38, ' ')}, {4, "Fehler 1"},
                                {3, CountText},      {4, "Fehler 6"},           {3, ReadFailedText},
                                {4, "Fehler 7"}};

// Only catches hangs: one exchange is bounded by its read time-outs.
constexpr auto HangBound = std::chrono::milliseconds(900);

class PtyExchange : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string why;
        sim_ = test::startSimulatedDevice("COM1", &why);
        ASSERT_TRUE(sim_) << why;
        link_.PortName = sim_->portName();
        sink_.watch(&link_);
    }
    void exchange(const std::string& command) {
        link_.Exchange(command, static_cast<int>(command.size()));
    }
    std::chrono::steady_clock::duration timedExchange(const std::string& command) {
        const auto start = std::chrono::steady_clock::now();
        exchange(command);
        return std::chrono::steady_clock::now() - start;
    }
    void setOptions(const std::function<void(Options&)>& change) {
        Options options;
        change(options);
        sim_->setOptions(options);
    }

#ifndef _WIN32
    test::TempConfigHome home_;  // the port folder of a device in this process
#endif
    std::unique_ptr<test::SimulatedDevice> sim_;
    RecordingSink sink_;
    DeviceLink link_{&sink_};
};

TEST_F(PtyExchange, GarbageRepeatsWithItsSeed) {
    const auto replies = [&](unsigned seed) {
        setOptions([&](Options& o) {
            o.garbage = true;
            o.garbageSeed = seed;
        });
        std::vector<std::string> out;
        for (int i = 0; i < 4; ++i) {
            exchange("getin0tonr");
            out.push_back(link_.LastReply + "/" + std::to_string(link_.LinkErrorCode));
        }
        return out;
    };
    const auto first = replies(7);
    EXPECT_EQ(replies(7), first);
    EXPECT_NE(replies(8), first);
}

TEST_F(PtyExchange, LateReplyIsNotTakenAsTheNextOne) {
    setOptions([](Options& o) { o.delayMs = 300; });
    exchange("getin0pic0t");
    EXPECT_EQ(link_.LinkErrorCode, link_code::NoAnswer);
    // The late "1500" reaches the port while no one listens.
    ASSERT_TRUE(sim_->waitForHandled(1, 3000));

    setOptions([](Options&) {});
    exchange("getin1tonr");
    EXPECT_EQ(link_.LastReply, "12");
    EXPECT_EQ(link_.LinkErrorCode, link_code::Ok);
}

TEST_F(PtyExchange, MissingPortFailsAsOpenFailure) {
    std::vector<std::string> names = {sim_->missingPortName()};
#ifndef _WIN32
    // A port folder entry that leads nowhere, and a device path that does not exist.
    std::filesystem::create_symlink(home_.path() + "/no-such-tty", portsFolder() + "/COM5");
    names.push_back("COM5");
    names.push_back(home_.path() + "/no-such-device");
#endif
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        sink_.entries.clear();
        link_.PortName = name;
        exchange("getin0pic0t");
        EXPECT_EQ(sink_.texts(), openFailureTexts);
        EXPECT_EQ(link_.LinkErrorCode, link_code::ReadFailed);
        EXPECT_EQ(link_.LastReply, "");
    }
}

TEST_F(PtyExchange, PortHeldByAnotherProgramCannotBeOpened) {
    if (sim_->inOtherProcess())
        GTEST_SKIP() << "the pseudo-terminal cannot be held from a Windows program";
#ifndef _WIN32
    const int other = ::open(sim_->devicePath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(other, 0);
    ASSERT_EQ(::flock(other, LOCK_EX | LOCK_NB), 0);
    exchange("getin0pic0t");
    EXPECT_EQ(sink_.texts(), openFailureTexts);
    EXPECT_EQ(link_.LinkErrorCode, link_code::ReadFailed);
    EXPECT_TRUE(sim_->receivedLines().empty());
    ::close(other);

    // Released, the port works; the link does not keep it after its exchange either.
    exchange("getin0pic0t");
    EXPECT_EQ(link_.LastReply, "1500");
    const int again = ::open(sim_->devicePath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(again, 0);
    EXPECT_EQ(::flock(again, LOCK_EX | LOCK_NB), 0);
    ::close(again);
#endif
}

TEST_F(PtyExchange, HangUpDuringAnExchangeIsAReadFailure) {
    if (sim_->inOtherProcess())
        GTEST_SKIP() << "Wine reports a hang-up as a time-out";
    setOptions([](Options& o) { o.hangUpAfter = 2; });
    exchange("getin0tonr");
    exchange("getin1tonr");
    EXPECT_EQ(link_.LastReply, "12");
    EXPECT_TRUE(sink_.entries.empty());

    EXPECT_LT(timedExchange("getin2tonr"), HangBound);
    ASSERT_TRUE(sim_->waitForHandled(3, 2000));
    EXPECT_TRUE(sim_->hungUp());
    EXPECT_EQ(sink_.texts(), (Texts{{3, ReadFailedText}, {4, "Fehler 7"}}));
    EXPECT_EQ(link_.LinkErrorCode, link_code::ReadFailed);
    EXPECT_EQ(link_.LastReply, "");

    // The device is gone: the next exchange cannot open the port.
    sink_.entries.clear();
    EXPECT_LT(timedExchange("getin3tonr"), HangBound);
    EXPECT_EQ(sink_.texts(), openFailureTexts);
}

TEST_F(PtyExchange, DeviceThatStopsTakingDataEndsTheWriteAfterItsTimeOut) {
    setOptions([](Options& o) { o.stopReadingAfter = 1; });
    exchange("getin0tonr");
    EXPECT_EQ(link_.LastReply, "3");
    ASSERT_TRUE(sim_->waitForHandled(1, 2000));

    // A short line and a whole picture: each waits its write time-out, then reports the write.
    const Texts writeFailure = {{3, "Fehler beim beschreiben vom Com Port"},
                                {4, "Fehler 5"},
                                {3, CountText},
                                {4, "Fehler 6"},
                                {3, "Fehler beim beschreiben vom Com Port"},
                                {4, "Fehler 5"}};
    for (const std::string& command :
         {std::string("getin1tonr"), "setin0pic0d_" + std::string(512, '\x5a')}) {
        SCOPED_TRACE(command.size());
        sink_.entries.clear();
        const auto took = timedExchange(command);
        EXPECT_GE(took, std::chrono::milliseconds(WriteTimeoutConstantMs));
        EXPECT_LT(took, std::chrono::seconds(3));
        EXPECT_EQ(sink_.texts(), writeFailure);
        EXPECT_EQ(link_.LinkErrorCode, link_code::WriteFailed);
        EXPECT_EQ(link_.LastReply, "");
    }
    EXPECT_TRUE(sim_->readingStopped());
    EXPECT_EQ(sim_->receivedLines().size(), 1u);

    // Taking data again: the port works, nothing of the dropped lines is left in it.
    setOptions([](Options&) {});
    exchange("getin2tonr");
    EXPECT_EQ(link_.LinkErrorCode, link_code::Ok);
    EXPECT_EQ(link_.LastReply, "25");
    EXPECT_EQ(sim_->receivedLines(), (std::vector<std::string>{"getin0tonr", "getin2tonr"}));
}

TEST_F(PtyExchange, PortNameChangeTakesEffectWithTheNextExchange) {
    const std::string device = link_.PortName;
    exchange("getin0tonr");
    EXPECT_EQ(link_.LastReply, "3");
    link_.PortName = sim_->missingPortName();
    exchange("getin0tonr");
    EXPECT_EQ(link_.LinkErrorCode, link_code::ReadFailed);
    link_.PortName = device;
    exchange("getin1tonr");
    EXPECT_EQ(link_.LastReply, "12");
    EXPECT_EQ(sim_->receivedLines(), (std::vector<std::string>{"getin0tonr", "getin1tonr"}));
}

}  // namespace
}  // namespace blx52
