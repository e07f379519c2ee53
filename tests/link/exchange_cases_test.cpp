// The shared exchange cases through this system's serial port, against the simulator answering
// them: in this process on Linux, beside Wine under Windows.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>

#include "exchange_cases.h"
#include "link/device_link.h"
#include "link_test_support.h"
#include "tests/common/simulated_device.h"
#include "tools/devsim/options.h"

namespace blx52 {
namespace {

using test::ExchangeCase;

// Only catches hangs: one exchange is bounded by its read time-outs.
constexpr auto HangBound = std::chrono::milliseconds(900);

class SharedExchangeCase : public ::testing::TestWithParam<ExchangeCase> {
  protected:
    void SetUp() override {
        std::string why;
        sim_ = test::startSimulatedDevice("COM1", &why);
        ASSERT_TRUE(sim_) << why;
        devsim::Options options;
        options.rawReplies = test::exchangeCaseReplies();
        sim_->setOptions(options);
    }

#ifndef _WIN32
    test::TempConfigHome home_;  // the port folder of a device in this process
#endif
    std::unique_ptr<test::SimulatedDevice> sim_;
};

TEST_P(SharedExchangeCase, GivesTheSameReplyCodeAndTexts) {
    const ExchangeCase& c = GetParam();
    test::RecordingSink sink;
    DeviceLink link(&sink);
    link.PortName = c.portName.empty() ? sim_->portName() : c.portName;
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
    if (c.portName.empty()) {
        // The command crossed the wire as one line, whatever bytes it holds.
        ASSERT_FALSE(sim_->receivedLines().empty());
        EXPECT_EQ(sim_->receivedLines().back(), c.command);
    }
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
