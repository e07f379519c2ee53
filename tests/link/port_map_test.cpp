// COM1 … COM9 mapped to any port: the mapping file's form, and one table of cases that the real
// serial code opens against the simulated device (termios on Linux; Win32 under Wine, where the
// device also sits behind a high COM port).
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <random>
#include <string>

#ifdef _WIN32
#include "link/serial_dcb_win32.h"
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "link/device_link.h"
#include "link/port_map.h"
#include "link/port_names.h"
#include "link/system_ports.h"
#include "link_test_support.h"
#include "tests/common/simulated_device.h"

namespace blx52 {
namespace {

namespace fs = std::filesystem;

void setVariable(const char* name, const std::string& value) {
#ifdef _WIN32
    _putenv_s(name, value.c_str());
#else
    ::setenv(name, value.c_str(), 1);
#endif
}

// A private place for the mapping: XDG_CONFIG_HOME (the port folder) on POSIX, APPDATA on
// Windows, pointing at a fresh folder while it lives.
class TempMappingHome {
  public:
    TempMappingHome()
        : variable_(
#ifdef _WIN32
              "APPDATA"
#else
              "XDG_CONFIG_HOME"
#endif
          ) {
        static int made = 0;
        path_ = fs::temp_directory_path() / ("blx52-map-" + std::to_string(std::random_device{}()) +
                                             "-" + std::to_string(++made));
        fs::create_directories(path_);
        if (const char* old = std::getenv(variable_))
            old_ = old;
        setVariable(variable_, path_.string());
    }
    ~TempMappingHome() {
        setVariable(variable_, old_.value_or(""));
        std::error_code ec;
        fs::remove_all(path_, ec);
    }
    TempMappingHome(const TempMappingHome&) = delete;
    TempMappingHome& operator=(const TempMappingHome&) = delete;

  private:
    const char* variable_;
    fs::path path_;
    std::optional<std::string> old_;
};

TEST(PortMap, FileLinesAreNameEqualsPort) {
    const struct {
        const char* text;
        std::map<int, std::string> map;
    } cases[] = {
        {"COM3=COM14\r\n", {{3, "COM14"}}},
        {"; comment\n[ports]\n com3 = \\\\.\\COM14 \nCOM9=COM200\n", {{3, "COM14"}, {9, "COM200"}}},
        {"COM10=COM3\nCOM0=COM4\nCOM=COM5\nCOM4=\nCOM5\nCOM6=COM7=x\n", {{6, "COM7=x"}}},
        {"COM2=COM11\nCOM2=COM12\n", {{2, "COM12"}}},  // the last line counts
        {"", {}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(parsePortMap(c.text), c.map) << c.text;
        EXPECT_EQ(parsePortMap(formatPortMap(c.map)), c.map) << c.text;
    }
}

TEST(PortMap, OnlyTheNineNamesAreMappable) {
    for (int n = 1; n <= 9; ++n)
        EXPECT_EQ(mappableNumber("COM" + std::to_string(n)), n);
    for (const char* name : {"COM0", "COM10", "COM", "com3", "COM3 ", "/dev/ttyS2", ""})
        EXPECT_EQ(mappableNumber(name), 0) << name;
    std::string error;
    EXPECT_FALSE(assignPort(10, "COM14", error));
    EXPECT_FALSE(error.empty());
}

#ifndef _WIN32
TEST(PortMap, TheLinkGoesToTheStablePathOfTheDevice) {
    const fs::path dir = fs::temp_directory_path() / ("blx52-byid-" + std::to_string(::getpid()));
    fs::create_directories(dir / "by-id");
    std::ofstream(dir / "ttyUSB7").put('x');
    fs::create_symlink(dir / "ttyUSB7", dir / "by-id" / "usb-FTDI_FT232R_A50285BI-if00-port0");
    const std::string stable = (dir / "by-id" / "usb-FTDI_FT232R_A50285BI-if00-port0").string();
    EXPECT_EQ(stablePortPath((dir / "ttyUSB7").string(), (dir / "by-id").string()), stable);
    EXPECT_EQ(stablePortPath(stable, (dir / "by-id").string()), stable);
    EXPECT_EQ(stablePortPath((dir / "other").string(), (dir / "by-id").string()),
              (dir / "other").string());
    fs::remove_all(dir);
}
#endif

// The device behind a name other than COM1 … COM9: the pseudo-terminal on Linux, a high COM port
// that Wine maps to the simulator (BLX52_SIM_HIGH_PORT) on Windows.
std::string directDevicePort(const test::SimulatedDevice& sim) {
    if (!sim.inOtherProcess())
        return sim.devicePath();
    // With the device namespace prefix, as a port other than the nine is named.
    const char* high = std::getenv("BLX52_SIM_HIGH_PORT");
    return high != nullptr && *high != '\0' ? std::string("\\\\.\\") + high : "";
}

TEST(PortMap, TheSerialCodeOpensWhatTheNameIsMappedTo) {
    TempMappingHome simulatorHome;  // where the simulator puts its own link
    std::string why;
    auto sim = test::startSimulatedDevice("COM1", &why);
    ASSERT_TRUE(sim) << why;
    const std::string device = directDevicePort(*sim);
    if (device.empty())
        GTEST_SKIP() << "no high COM port leads to the simulator (BLX52_SIM_HIGH_PORT)";
#ifdef _WIN32
    const std::string missing = "COM98";
#else
    const std::string missing = "/nonexistent/blx52-no-device";
#endif
    enum class Map { Device, Missing, None, Unassigned };
    // Each case starts from an empty mapping.
    const struct {
        const char* what;
        std::string name;    // what the exchange opens
        Map map;             // what COM3 is set to first
        bool reachesDevice;  // else the exchange does not reach the simulator
    } cases[] = {
        {"a mapped name opens the mapped port", "COM3", Map::Device, true},
        {"a mapping to a port that is gone fails to open", "COM3", Map::Missing, false},
        {"a mapping leaves the other names alone", "COM4", Map::Device, false},
        {"no entry: COM3 is its own port again", "COM3", Map::Unassigned, false},
        {"the device's own name is opened as it stands", device, Map::None, true},
        {"so is it with a mapping in place", device, Map::Missing, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TempMappingHome home;
        std::string error;
        switch (c.map) {
            case Map::Device:
                ASSERT_TRUE(assignPort(3, device, error)) << error;
                break;
            case Map::Unassigned:
                ASSERT_TRUE(assignPort(3, device, error)) << error;
                ASSERT_TRUE(unassignPort(3, error)) << error;
                break;
            case Map::Missing:
#ifdef _WIN32
                ASSERT_TRUE(assignPort(3, missing, error)) << error;
#else
                // assignPort refuses a device that is not there; an adapter unplugged later
                // leaves such a link.
                fs::create_directories(portsFolder());
                fs::create_symlink(missing, fs::path(portsFolder()) / "COM3");
#endif
                break;
            case Map::None:
                break;
        }
        EXPECT_EQ(mappedTarget(3).empty(), c.map == Map::None || c.map == Map::Unassigned);
        test::RecordingSink sink;
        DeviceLink link(&sink);
        sink.watch(&link);
        link.PortName = c.name;
        link.Exchange("getdatafw", 9);
        const std::string opened = c.name + " -> " + resolvePortPath(c.name);
        // The port list's look at the port agrees with the open.
        EXPECT_EQ(probePort(c.name).state == PortState::Free, c.reachesDevice) << opened;
        if (c.reachesDevice) {
            EXPECT_EQ(link.LinkErrorCode, link_code::Ok) << opened;
            EXPECT_EQ(link.LastReply, "4.1") << opened;
        } else if (c.map == Map::Missing) {
            ASSERT_FALSE(sink.entries.empty()) << opened;
            EXPECT_EQ(sink.entries.front().text, test::OpenFailedText) << opened;
        } else {
            // The name's own port: absent on a test machine, or at least not the simulator.
            EXPECT_NE(link.LinkErrorCode, link_code::Ok) << opened;
        }
    }
}

#ifndef _WIN32
// What --assign (and the Ports dialog) takes: a port, stored as the device it resolves to; what
// is no serial port only when forced; never a name whose meaning changes from one process to
// the next.
TEST(PortMap, AssignTakesSerialPortsAndStoresWhereTheyLead) {
    TempMappingHome home;
    std::string why;
    auto sim = test::startSimulatedDevice("COM1", &why);
    ASSERT_TRUE(sim) << why;
    const fs::path dir = fs::temp_directory_path() / ("blx52-assign-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    std::ofstream(dir / "file").put('x');
    ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
    fs::create_symlink(sim->devicePath(), dir / "to-device");
    fs::create_symlink(dir / "loop", dir / "loop");
    const std::string device = fs::canonical(sim->devicePath()).string();
    const struct {
        std::string port;
        bool force;
        std::string stored;  // empty: refused
        const char* reason;  // in the refusal
    } cases[] = {
        {sim->devicePath(), false, device, ""},
        {(dir / "to-device").string(), false, device, ""},
        {(dir / "file").string(), false, "", "is not a serial port: a regular file"},
        {(dir / "file").string(), true, (dir / "file").string(), ""},
        {(dir / "fifo").string(), false, "", "is not a serial port: a FIFO"},
        {"/dev/null", false, "", "is not a serial port: a device that is no terminal"},
        {"/proc/self/fd/0", true, "", ""},  // a pipe or a terminal of this process only
        {(dir / "loop").string(), true, "", "a link that leads nowhere (a loop)"},
        {(dir / "missing").string(), true, "", "does not exist"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.port + (c.force ? " --force" : ""));
        std::string error;
        ASSERT_TRUE(unassignPort(3, error)) << error;
        const bool assigned = assignPort(3, c.port, error, c.force);
        if (c.port == "/proc/self/fd/0") {
            // Whatever standard input is, the stored name is not this process's own.
            EXPECT_NE(mappedTarget(3), c.port);
            continue;
        }
        EXPECT_EQ(assigned, !c.stored.empty()) << error;
        EXPECT_EQ(mappedTarget(3), c.stored);
        if (!c.stored.empty())
            EXPECT_EQ(probePort("COM3").state, c.force ? PortState::NotATerminal : PortState::Free);
        else
            EXPECT_NE(error.find(c.reason), std::string::npos) << error;
    }
    EXPECT_EQ(probePort((dir / "loop").string()).detail, "a link that leads nowhere (a loop)");
    fs::remove_all(dir);
}
#endif

#ifdef _WIN32
// What FTDI's driver needs to hand a reply over at its line end; Wine's serial driver keeps no
// event character, so no test here can show the shorter wait itself.
TEST(PortMap, TheLineSettingsSetLfAsEventCharacterAndKeepTheRest) {
    DCB dcb;
    std::memset(&dcb, 0x5a, sizeof dcb);
    DCB expected = dcb;
    setLineSettings(dcb);
    EXPECT_EQ(dcb.EvtChar, '\n');
    EXPECT_EQ(dcb.BaudRate, static_cast<DWORD>(CBR_115200));
    EXPECT_EQ(dcb.ByteSize, 8);
    EXPECT_EQ(dcb.Parity, NOPARITY);
    EXPECT_EQ(dcb.StopBits, ONESTOPBIT);
    EXPECT_EQ(dcb.fOutxCtsFlow, 0u);
    EXPECT_EQ(dcb.fOutX, 0u);
    EXPECT_EQ(dcb.fInX, 0u);
    EXPECT_EQ(dcb.XonChar, 0x11);
    EXPECT_EQ(dcb.XoffChar, 0x13);
    EXPECT_EQ(dcb.ErrorChar, 0);
    EXPECT_EQ(dcb.EofChar, 0);
    // The driver's own limits stay.
    EXPECT_EQ(dcb.XonLim, expected.XonLim);
    EXPECT_EQ(dcb.XoffLim, expected.XoffLim);
}
#endif

}  // namespace
}  // namespace blx52
