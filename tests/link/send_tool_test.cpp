// blx52-send run as a program against the simulated device.
#include <sys/wait.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "link_test_support.h"
#include "tools/devsim/device_simulator.h"

namespace blx52 {
namespace {

struct ToolRun {
    std::string output;
    int status = -1;
};

ToolRun runSend(const std::string& arguments) {
    ToolRun run;
    const std::string command = std::string(BLX52_SEND_PATH) + " " + arguments + " 2>/dev/null";
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr)
        return run;
    char buffer[256];
    std::size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
        run.output.append(buffer, n);
    const int status = ::pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

TEST(SendTool, RunsOneExchangeAndReportsIt) {
    test::TempConfigHome home;  // inherited by the program
    devsim::DeviceSimulator sim;
    ASSERT_TRUE(sim.start());
    ASSERT_TRUE(sim.registerPort("COM2"));

    ToolRun run = runSend("COM2 getin0tonr");
    EXPECT_EQ(run.output, "reply: 3\ncode: 0\n");
    EXPECT_EQ(run.status, 0);

    // A reply without its line end: code 9 and its texts.
    sim.setOptions([] {
        devsim::Options o;
        o.noLineEnd = true;
        return o;
    }());
    run = runSend("COM2 getin0pic0t");
    EXPECT_EQ(
        run.output,
        "reply: 15\ncode: 9\npanel 3: Antwort vom Modul unvollst\u00e4ndig\npanel 4: Fehler 9\n");
    EXPECT_EQ(run.status, 1);
    sim.setOptions({});

    // Escapes give binary bytes, sent whole.
    run = runSend("COM2 'setin0pic0d_\\x00\\x0d\\x0a\\\\'");
    EXPECT_EQ(run.output, "reply: \ncode: 8\n");  // the device still waits for its 512 bytes
    ASSERT_EQ(sim.receivedLines().size(), 2u);    // the picture line is not complete yet

    run = runSend("COM6 getin0tonr");  // nothing behind COM6 here
    EXPECT_EQ(run.output,
              "reply: \ncode: 7\n"
              "panel 3: Com Port konnte nicht geöffnet werden\n"
              "panel 2: " +
                  std::string(38, ' ') +
                  "\n"
                  "panel 4: Fehler 1\n"
                  "panel 3:  Anzahl der gesendeten Zeichen fehlerhaft\n"
                  "panel 4: Fehler 6\n"
                  "panel 3: Fehler beim lesen vom Com Port\n"
                  "panel 4: Fehler 7\n");
    EXPECT_EQ(run.status, 1);
}

TEST(SendTool, EscapedBytesReachTheDevice) {
    test::TempConfigHome home;
    devsim::DeviceSimulator sim;
    ASSERT_TRUE(sim.start());
    ASSERT_TRUE(sim.registerPort("COM3"));
    std::string escaped;
    std::string data;
    for (int i = 0; i < 512; ++i) {
        const int byte = (i * 13) % 256;
        char hex[8];
        std::snprintf(hex, sizeof hex, "\\x%02X", byte);
        escaped += hex;
        data += static_cast<char>(byte);
    }
    const ToolRun run = runSend("COM3 'setrespic5d_" + escaped + "'");
    EXPECT_EQ(run.output, "reply: OK\ncode: 0\n");
    const auto stored = sim.picture("respic5");
    ASSERT_TRUE(stored.has_value());
    EXPECT_EQ(std::string(stored->begin(), stored->end()), data);
}

TEST(SendTool, BadArgumentsGiveUsage) {
    for (const std::string arguments : {"", "COM1", "COM1 a b", "COM1 ''", "'' getdatafw",
                                        "COM1 'get\\xZZ'", "COM1 'get\\x4'", "COM1 'get\\n'"}) {
        SCOPED_TRACE(arguments);
        const ToolRun run = runSend(arguments);
        EXPECT_EQ(run.status, 2);
        EXPECT_EQ(run.output, "");
    }
}

}  // namespace
}  // namespace blx52
