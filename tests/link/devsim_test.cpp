// The simulated device: how it splits lines and what it answers.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "link/command_keys.h"
#include "link/port_names.h"
#include "tests/link/link_test_support.h"
#include "tools/devsim/device_simulator.h"

namespace blx52::devsim {
namespace {

std::string pictureLine(const std::string& key, char fill) {
    std::string data(512, fill);
    data[0] = '\r';
    data[1] = '\n';
    data[100] = '\0';
    data[510] = '\r';
    data[511] = '\n';
    return key + data;
}

TEST(LineSplitter, PictureDataMayHoldLineEnds) {
    const std::string picture2 = pictureLine("setsbypic2d_", '\x07');
    const std::string stream = "getdatafw\r\n" + picture2 + "\r\nsetin0tonv2\r\ngetin";
    // Fed in pieces of every size from 1 to 13 bytes, the result is the same.
    for (std::size_t piece = 1; piece <= 13; ++piece) {
        SCOPED_TRACE(piece);
        LineSplitter splitter;
        std::vector<std::string> lines;
        for (std::size_t at = 0; at < stream.size(); at += piece) {
            const auto chunk = stream.substr(at, piece);
            for (auto& line : splitter.feed(chunk.data(), chunk.size()))
                lines.push_back(line);
        }
        EXPECT_EQ(lines, (std::vector<std::string>{"getdatafw", picture2, "setin0tonv2"}));
        EXPECT_FALSE(splitter.empty());  // "getin" waits for its line end
    }
}

TEST(LineSplitter, ShortLinesAreNotMistakenForPictures) {
    LineSplitter splitter;
    const std::string stream = "outin0_1\r\n\r\nsetsbypic_2\r\n";
    EXPECT_EQ(splitter.feed(stream.data(), stream.size()),
              (std::vector<std::string>{"outin0_1", "", "setsbypic_2"}));
    EXPECT_TRUE(splitter.empty());
}

TEST(DeviceAnswers, SettingsRoundTripAndAcknowledgements) {
    DeviceSimulator sim;
    EXPECT_EQ(sim.answer("setin0pic0t2000"), "OK");
    EXPECT_EQ(sim.value("in0pic0t"), "2000");
    EXPECT_EQ(sim.answer("getin0pic0t"), "2000");
    EXPECT_EQ(sim.answer("setsbypic_0"), "OK");
    EXPECT_EQ(sim.answer("getsbypic"), "0");
    EXPECT_EQ(sim.answer("set_brightness9"), "OK");
    EXPECT_EQ(sim.answer("get_brightness"), "9");
    EXPECT_EQ(sim.answer("setrestonbp16"), "OK");
    EXPECT_EQ(sim.answer("getrestonbp"), "16");
    EXPECT_EQ(sim.answer("set_wt_flag123"), "OK");
    EXPECT_EQ(sim.answer("outin2_1"), "OK");
    EXPECT_EQ(sim.value("outin2"), "1");
    EXPECT_EQ(sim.answer("getdatafw"), FirmwareVersion);
    EXPECT_EQ(sim.answer("nonsense"), "OK");
}

TEST(DeviceAnswers, EveryGetKeyHasADecimalStartValue) {
    DeviceSimulator sim;
    int gets = 0;
    for (const auto& key : allCommandKeys()) {
        if (key.rfind("get", 0) != 0 || key == FirmwareKey)
            continue;
        ++gets;
        const auto reply = sim.answer(key);
        ASSERT_TRUE(reply.has_value()) << key;
        EXPECT_FALSE(reply->empty()) << key;
        EXPECT_EQ(reply->find_first_not_of("0123456789"), std::string::npos)
            << key << " " << *reply;
    }
    EXPECT_EQ(gets, 88);
}

TEST(DeviceAnswers, PicturesAreKeptOnlyWhenComplete) {
    DeviceSimulator sim;
    const std::string line = pictureLine("setin3pic2d_", '\x55');
    EXPECT_EQ(sim.answer(line), "OK");
    const auto stored = sim.picture("in3pic2");
    ASSERT_TRUE(stored.has_value());
    EXPECT_EQ(std::string(stored->begin(), stored->end()), line.substr(12));

    EXPECT_EQ(sim.answer(line.substr(0, 200)), "OK");
    EXPECT_EQ(sim.picture("in3pic2"), stored);  // the short one did not replace it
    EXPECT_FALSE(sim.picture("in3pic1").has_value());
}

TEST(DeviceAnswers, FaultOptions) {
    Options options;
    options.ignoredKeys = {"setin0tonr"};
    options.replyOverrides = {{"getin0tonv", "x"}};
    DeviceSimulator sim(options);
    EXPECT_FALSE(sim.answer("setin0tonr5").has_value());
    EXPECT_EQ(sim.answer("getin0tonv"), "x");
    options.silent = true;
    sim.setOptions(options);
    EXPECT_FALSE(sim.answer("getin1tonv").has_value());
}

// A user's mapping of a port name to an adapter survives a simulator started on that name; the
// link a stopped simulator left behind is taken over.
TEST(DeviceRegistration, KeepsTheUsersMappingAndReplacesAStaleSimulatorLink) {
    namespace fs = std::filesystem;
    const test::TempConfigHome config;
    const fs::path folder = portsFolder();
    fs::create_directories(folder);
    fs::create_symlink("/dev/ttyUSB0", folder / "COM4");
    fs::create_symlink("/dev/pts/999999", folder / "COM5");

    DeviceSimulator sim;
    ASSERT_TRUE(sim.start());
    EXPECT_FALSE(sim.registerPort("COM4"));
    EXPECT_EQ(fs::read_symlink(folder / "COM4"), fs::path("/dev/ttyUSB0"));
    EXPECT_TRUE(sim.registerPort("COM5"));
    EXPECT_EQ(fs::read_symlink(folder / "COM5").string(), sim.devicePath());
}

}  // namespace
}  // namespace blx52::devsim
