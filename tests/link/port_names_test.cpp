// How a port name becomes a device path.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "link/port_names.h"
#include "link_test_support.h"

namespace blx52 {
namespace {

TEST(PortNames, FolderFollowsTheConfigHome) {
    test::TempConfigHome home;
    EXPECT_EQ(portsFolder(), home.path() + "/blx52/ports");

    ::unsetenv("XDG_CONFIG_HOME");
    const char* oldHome = std::getenv("HOME");
    const std::string saved = oldHome != nullptr ? oldHome : "";
    ::setenv("HOME", "/home/tech", 1);
    EXPECT_EQ(portsFolder(), "/home/tech/.config/blx52/ports");
    ::setenv("XDG_CONFIG_HOME", "", 1);  // empty counts as unset
    EXPECT_EQ(portsFolder(), "/home/tech/.config/blx52/ports");
    if (oldHome != nullptr) {
        ::setenv("HOME", saved.c_str(), 1);
    } else {
        ::unsetenv("HOME");
    }
}

TEST(PortNames, ComNamesUseTheFolderEntryOrTheSerialDevice) {
    test::TempConfigHome home;
    EXPECT_EQ(resolvePortPath("COM1"), "/dev/ttyS0");
    EXPECT_EQ(resolvePortPath("COM9"), "/dev/ttyS8");

    std::filesystem::create_directories(portsFolder());
    std::filesystem::create_symlink("/dev/ttyUSB0", portsFolder() + "/COM3");
    EXPECT_EQ(resolvePortPath("COM3"), portsFolder() + "/COM3");  // even while unplugged
    EXPECT_EQ(resolvePortPath("COM4"), "/dev/ttyS3");

    // A device path stands as it is; any other name opens nothing, not a port it resembles.
    EXPECT_EQ(resolvePortPath("/dev/ttyACM0"), "/dev/ttyACM0");
    for (const char* other : {"COM", "COM0", "COMx", "COM01", "COM001", "COM10", "com1", "ttyS0"}) {
        EXPECT_EQ(resolvePortPath(other), "") << other;
        EXPECT_FALSE(isPortName(other)) << other;
    }
    EXPECT_TRUE(isPortName("COM1"));
    EXPECT_TRUE(isPortName("COM9"));
    EXPECT_TRUE(isPortName("/dev/ttyACM0"));
}

}  // namespace
}  // namespace blx52
