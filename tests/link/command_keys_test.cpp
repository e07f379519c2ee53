// The command keys the program sends: exactly the device's 209, each family at its length.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "link/command_keys.h"

namespace blx52 {
namespace {

// clang-format off
const std::vector<std::string> deviceKeys = {
    // Read, device (2)
    "getdatafw", "get_brightness",
    // Read, picture durations (22)
    "getin0pic0t", "getin0pic1t", "getin0pic2t", "getin0pic3t", "getin1pic0t", "getin1pic1t",
    "getin1pic2t", "getin1pic3t", "getin2pic0t", "getin2pic1t", "getin2pic2t", "getin2pic3t",
    "getin3pic0t", "getin3pic1t", "getin3pic2t", "getin3pic3t", "getrespic0t", "getrespic1t",
    "getrespic2t", "getrespic3t", "getrespic4t", "getrespic5t",
    // Read, tone durations (28)
    "getin0ton0t", "getin0ton1t", "getin0ton2t", "getin0ton3t", "getin1ton0t", "getin1ton1t",
    "getin1ton2t", "getin1ton3t", "getin2ton0t", "getin2ton1t", "getin2ton2t", "getin2ton3t",
    "getin3ton0t", "getin3ton1t", "getin3ton2t", "getin3ton3t", "getreston0t", "getreston1t",
    "getreston2t", "getreston3t", "getreston4t", "getreston5t", "getreston6t", "getreston7t",
    "getreston8t", "getreston9t", "getrestonat", "getrestonbt",
    // Read, tone pitches (28)
    "getin0ton0p", "getin0ton1p", "getin0ton2p", "getin0ton3p", "getin1ton0p", "getin1ton1p",
    "getin1ton2p", "getin1ton3p", "getin2ton0p", "getin2ton1p", "getin2ton2p", "getin2ton3p",
    "getin3ton0p", "getin3ton1p", "getin3ton2p", "getin3ton3p", "getreston0p", "getreston1p",
    "getreston2p", "getreston3p", "getreston4p", "getreston5p", "getreston6p", "getreston7p",
    "getreston8p", "getreston9p", "getrestonap", "getrestonbp",
    // Read, repeats (4)
    "getin0tonr", "getin1tonr", "getin2tonr", "getin3tonr",
    // Read, volumes (4)
    "getin0tonv", "getin1tonv", "getin2tonv", "getin3tonv",
    // Read, standby picture choice (1)
    "getsbypic",
    // Write, device (2)
    "set_brightness", "set_wt_flag",
    // Write, picture durations (22)
    "setin0pic0t", "setin0pic1t", "setin0pic2t", "setin0pic3t", "setin1pic0t", "setin1pic1t",
    "setin1pic2t", "setin1pic3t", "setin2pic0t", "setin2pic1t", "setin2pic2t", "setin2pic3t",
    "setin3pic0t", "setin3pic1t", "setin3pic2t", "setin3pic3t", "setrespic0t", "setrespic1t",
    "setrespic2t", "setrespic3t", "setrespic4t", "setrespic5t",
    // Write, tone durations (28)
    "setin0ton0t", "setin0ton1t", "setin0ton2t", "setin0ton3t", "setin1ton0t", "setin1ton1t",
    "setin1ton2t", "setin1ton3t", "setin2ton0t", "setin2ton1t", "setin2ton2t", "setin2ton3t",
    "setin3ton0t", "setin3ton1t", "setin3ton2t", "setin3ton3t", "setreston0t", "setreston1t",
    "setreston2t", "setreston3t", "setreston4t", "setreston5t", "setreston6t", "setreston7t",
    "setreston8t", "setreston9t", "setrestonat", "setrestonbt",
    // Write, tone pitches (28)
    "setin0ton0p", "setin0ton1p", "setin0ton2p", "setin0ton3p", "setin1ton0p", "setin1ton1p",
    "setin1ton2p", "setin1ton3p", "setin2ton0p", "setin2ton1p", "setin2ton2p", "setin2ton3p",
    "setin3ton0p", "setin3ton1p", "setin3ton2p", "setin3ton3p", "setreston0p", "setreston1p",
    "setreston2p", "setreston3p", "setreston4p", "setreston5p", "setreston6p", "setreston7p",
    "setreston8p", "setreston9p", "setrestonap", "setrestonbp",
    // Write, repeats (4)
    "setin0tonr", "setin1tonr", "setin2tonr", "setin3tonr",
    // Write, volumes (4)
    "setin0tonv", "setin1tonv", "setin2tonv", "setin3tonv",
    // Write, standby picture choice (1)
    "setsbypic_",
    // Picture data (25)
    "setin0pic0d_", "setin0pic1d_", "setin0pic2d_", "setin0pic3d_", "setin1pic0d_", "setin1pic1d_",
    "setin1pic2d_", "setin1pic3d_", "setin2pic0d_", "setin2pic1d_", "setin2pic2d_", "setin2pic3d_",
    "setin3pic0d_", "setin3pic1d_", "setin3pic2d_", "setin3pic3d_", "setrespic0d_", "setrespic1d_",
    "setrespic2d_", "setrespic3d_", "setrespic4d_", "setrespic5d_", "setsbypic0d_", "setsbypic1d_",
    "setsbypic2d_",
    // Test outputs (6)
    "outin0_0", "outin0_1", "outin1_0", "outin1_1", "outin2_0", "outin2_1",
};
// clang-format on
TEST(CommandKeys, ExactlyTheDeviceKeys) {
    const auto keys = allCommandKeys();
    EXPECT_EQ(keys.size(), 209u);
    const std::set<std::string> produced(keys.begin(), keys.end());
    EXPECT_EQ(produced.size(), keys.size()) << "duplicate keys";
    const std::set<std::string> expected(deviceKeys.begin(), deviceKeys.end());
    ASSERT_EQ(expected.size(), 209u);
    std::vector<std::string> missing;
    std::vector<std::string> extra;
    std::set_difference(expected.begin(), expected.end(), produced.begin(), produced.end(),
                        std::back_inserter(missing));
    std::set_difference(produced.begin(), produced.end(), expected.begin(), expected.end(),
                        std::back_inserter(extra));
    EXPECT_TRUE(missing.empty()) << "missing " << testing::PrintToString(missing);
    EXPECT_TRUE(extra.empty()) << "extra " << testing::PrintToString(extra);
}

// The list fixes every key and so every family's length; the builders the program calls directly
// must give the same keys, index characters "a" and "b" included.
TEST(CommandKeys, BuildersGiveTheListedKeys) {
    const std::pair<std::string, const char*> cases[] = {
        {toneDurationKey(Verb::Set, "res", 10), "setrestonat"},
        {toneDurationKey(Verb::Set, "res", 11), "setrestonbt"},
        {tonePitchKey(Verb::Get, "res", 9), "getreston9p"},
        {pictureDurationKey(Verb::Get, "in3", 2), "getin3pic2t"},
        {repeatsKey(Verb::Set, "in1"), "setin1tonr"},
        {volumeKey(Verb::Get, "in2"), "getin2tonv"},
        {brightnessKey(Verb::Set), "set_brightness"},
        {standbyPictureKey(Verb::Get), "getsbypic"},
        {standbyPictureKey(Verb::Set), "setsbypic_"},
        {pictureDataKey("sby", 2), "setsbypic2d_"},
        {testOutputKey(1, true), "outin1_1"},
        {testOutputKey(2, false), "outin2_0"},
        {std::string(FirmwareKey), "getdatafw"},
        {std::string(WriteFlagKey), "set_wt_flag"},
    };
    for (const auto& [built, key] : cases)
        EXPECT_EQ(built, key);
}

}  // namespace
}  // namespace blx52
