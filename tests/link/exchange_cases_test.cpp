// The shared exchange cases through this system's serial port: on Linux against the simulator on
// a pseudo-terminal in this process; on Windows against the simulator that the test runner starts
// beside Wine and maps to a COM port (BLX52_CASE_PORT, default COM1).
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <string>

#include "exchange_cases.h"
#include "link/device_link.h"
#include "link_test_support.h"
#ifndef _WIN32
#include "tools/devsim/device_simulator.h"
#endif

namespace blx52 {
namespace {

using test::ExchangeCase;

// Only catches hangs: one exchange is bounded by its read time-outs.
constexpr auto HangBound = std::chrono::milliseconds(900);

class SharedExchangeCase : public ::testing::TestWithParam<ExchangeCase> {
  protected:
    void SetUp() override {
#ifdef _WIN32
        const char* port = std::getenv("BLX52_CASE_PORT");
        devicePort_ = port != nullptr ? port : "COM1";
#else
        devsim::Options options;
        options.rawReplies = test::exchangeCaseReplies();
        sim_ = std::make_unique<devsim::DeviceSimulator>(options);
        ASSERT_TRUE(sim_->start());
        devicePort_ = sim_->devicePath();
#endif
    }

    std::string devicePort_;
#ifndef _WIN32
    std::unique_ptr<devsim::DeviceSimulator> sim_;
#endif
};

TEST_P(SharedExchangeCase, GivesTheSameReplyCodeAndTexts) {
    const ExchangeCase& c = GetParam();
    test::RecordingSink sink;
    DeviceLink link(&sink);
    link.PortName = c.portName.empty() ? devicePort_ : c.portName;
    if (!c.before.empty()) {
        link.Exchange(c.before, static_cast<int>(c.before.size()));
        sink.entries.clear();
    }
    link.LastReply = "previous";
    const auto start = std::chrono::steady_clock::now();
    link.Exchange(c.command, static_cast<int>(c.command.size()));
    EXPECT_LT(std::chrono::steady_clock::now() - start, HangBound);
    EXPECT_EQ(link.LastReply, c.lastReply);
    EXPECT_EQ(link.LinkErrorCode, c.code);
    EXPECT_EQ(sink.texts(), c.texts);
#ifndef _WIN32
    if (c.portName.empty()) {
        // The command crossed the wire as one line, whatever bytes it holds.
        ASSERT_FALSE(sim_->receivedLines().empty());
        EXPECT_EQ(sim_->receivedLines().back(), c.command);
    }
#endif
}

TEST(SharedExchangeCases, AnswerEveryCommandTheyUse) {
    for (const auto& c : test::exchangeCases()) {
        SCOPED_TRACE(c.name);
        if (c.portName.empty()) {
            EXPECT_EQ(test::exchangeCaseReplies().count(c.command), 1u);
        }
        if (!c.before.empty()) {
            EXPECT_EQ(test::exchangeCaseReplies().count(c.before), 1u);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, SharedExchangeCase, ::testing::ValuesIn(test::exchangeCases()),
                         [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace blx52
