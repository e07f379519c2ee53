// The simulator's remote control, as the Windows tests under Wine use it: a simulator served in
// this process on a local TCP port, driven through the test device interface, reached by the
// real serial path through its port link.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "link/device_link.h"
#include "tests/common/simulated_device.h"
#include "tests/link/link_test_support.h"
#include "tools/devsim/control_protocol.h"
#include "tools/devsim/control_server.h"

namespace blx52::devsim {
namespace {

TEST(ControlProtocol, OptionsAndBinaryTextsSurviveTheTrip) {
    Options o;
    o.silent = true;
    o.delayMs = 230;
    o.paced = true;
    o.garbage = true;
    o.garbageSeed = 4000000000u;
    o.hangUpAfter = 44;
    o.stopReadingAfter = 0;
    o.latencyMs = 16;
    o.ignoredKeys = {"getin2pic1t", std::string("a b\0c", 5)};
    o.replyOverrides = {{"getin2pic1t", "x7"}, {"setin2pic1t", ""}};
    o.rawReplies = {{"getdatafw", std::string("4.1\r\n\r\n\xff", 8)}};
    const auto back = control::decodeOptions(control::words(control::encodeOptions(o)));
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(control::encodeOptions(*back), control::encodeOptions(o));
    EXPECT_EQ(back->garbageSeed, o.garbageSeed);
    EXPECT_EQ(back->ignoredKeys, o.ignoredKeys);
    EXPECT_EQ(back->replyOverrides, o.replyOverrides);
    EXPECT_EQ(back->rawReplies, o.rawReplies);
    EXPECT_EQ(back->stopReadingAfter, 0);

    for (const char* bad :
         {"silent", "delay=x", "what=1", "ignore=7a", "ignore=x7", "reply=x61", "raw=x61:x6"}) {
        EXPECT_FALSE(control::decodeOptions({bad}).has_value()) << bad;
    }
    EXPECT_EQ(control::fromToken("x"), std::string());
    EXPECT_FALSE(control::fromToken("").has_value());
    EXPECT_FALSE(control::fromToken("xAB").has_value());  // lower-case hex only
}

// Points the test device at the server while it lives.
class RemoteControl : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(server.listen());
        ASSERT_TRUE(server.resetDevice());
        serving = std::thread([this] { server.serve(); });
        ::setenv("BLX52_SIM_CONTROL", std::to_string(server.port()).c_str(), 1);
        ::setenv("BLX52_SIM_PORT", "COM5", 1);
        link.PortName = "COM5";
    }
    void TearDown() override {
        ::unsetenv("BLX52_SIM_CONTROL");
        ::unsetenv("BLX52_SIM_PORT");
        server.stop();
        if (serving.joinable())
            serving.join();
    }

    test::TempConfigHome config;  // before the server: its port link goes there
    ControlServer server{Options{}, "COM5"};
    std::thread serving;
    DeviceLink link;
};

TEST_F(RemoteControl, DrivesAFreshDeviceBehindTheSamePortName) {
    std::string why;
    auto device = test::startSimulatedDevice("COM1", &why);
    ASSERT_TRUE(device) << why;
    EXPECT_TRUE(device->inOtherProcess());
    EXPECT_EQ(device->portName(), "COM5");

    device->setValue("in0pic0t", "2750");
    link.Exchange("getin0pic0t", 11);
    EXPECT_EQ(link.LastReply, "2750");
    const std::string picture = "setin1pic0d_" + std::string(510, '\x03') + "\r\n";
    link.Exchange(picture, static_cast<int>(picture.size()));
    EXPECT_EQ(link.LastReply, "OK");
    ASSERT_TRUE(device->waitForHandled(2, 2000));
    EXPECT_EQ(device->receivedLines(), (std::vector<std::string>{"getin0pic0t", picture}));
    const auto stored = device->picture("in1pic0");
    ASSERT_TRUE(stored.has_value());
    EXPECT_EQ(std::string(stored->begin(), stored->end()), picture.substr(12));
    EXPECT_FALSE(device->picture("in2pic0").has_value());
    device->clearReceived();
    EXPECT_TRUE(device->receivedLines().empty());

    Options silent;
    silent.silent = true;
    device->setOptions(silent);
    link.Exchange("getin0pic0t", 11);
    EXPECT_EQ(link.LinkErrorCode, 8);

    // A second test program gets its own device at power-up, at the same port name.
    device.reset();
    auto next = test::startSimulatedDevice("COM1", &why);
    ASSERT_TRUE(next) << why;
    EXPECT_TRUE(next->receivedLines().empty());
    EXPECT_EQ(next->value("in0pic0t"), "1500");
    link.Exchange("getin0pic0t", 11);
    EXPECT_EQ(link.LastReply, "1500");
    EXPECT_FALSE(next->hungUp());
    EXPECT_FALSE(next->readingStopped());
}

TEST_F(RemoteControl, RefusalsAndAMissingServerAreErrorsNotEmptyAnswers) {
    EXPECT_EQ(server.handle("value 7a"), "error bad name");
    EXPECT_EQ(server.handle("options delay=soon"), "error bad options");
    EXPECT_EQ(server.handle("waithandled 1"), "error bad count or time");
    EXPECT_EQ(server.handle("explode"), "error unknown request explode");
    EXPECT_EQ(server.handle(""), "error empty request");

    ::setenv("BLX52_SIM_CONTROL", "1", 1);  // nobody listens on port 1
    std::string why;
    EXPECT_FALSE(test::startSimulatedDevice("COM1", &why));
    EXPECT_NE(why.find("no simulator answers"), std::string::npos) << why;
}

}  // namespace
}  // namespace blx52::devsim
