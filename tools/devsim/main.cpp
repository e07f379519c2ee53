// blx52-devsim: a simulated BLX52 Glowpanel on a pseudo-terminal, for trying the configurator
// without a device. Prints its device path and every line it receives and sends.
#include <pthread.h>
#include <signal.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <thread>

#include "blx52_version.h"
#include "link/port_names.h"
#include "tools/devsim/control_server.h"
#ifdef BLX52_DEVSIM_PANEL
#include "tools/devsim/panel.h"
#endif

namespace {

constexpr char UsageText[] =
    "usage: blx52-devsim [--port COMn] [--silent] [--delay MS] [--latency MS] [--paced]\n"
    "                    [--long] [--no-crlf] [--garbage] [--hang-up-after N]\n"
    "                    [--stop-reading-after N] [--ignore KEY] [--reply KEY=TEXT]\n"
    "                    [--quiet] [--control] [--panel]\n"
    "       blx52-devsim --help | --version\n"
    "A simulated BLX52 Glowpanel on a pseudo-terminal; runs until interrupted.\n"
    "  --port COMn          register as COMn in the port folder (removed at the end)\n"
    "  --paced              answer at the real 115200 baud\n"
    "  --delay MS           wait MS milliseconds before each reply\n"
    "  --latency MS         hold each reply MS milliseconds, as a USB adapter's latency timer\n"
    "  --silent             never answer\n"
    "  --long               replies longer than 22 bytes\n"
    "  --no-crlf            replies without CR LF\n"
    "  --garbage            random bytes instead of replies\n"
    "  --hang-up-after N    answer N lines, then hang up\n"
    "  --stop-reading-after N  take N lines, then stop taking data\n"
    "  --ignore KEY         never answer KEY (without its value); may be repeated\n"
    "  --reply KEY=TEXT     answer KEY with TEXT; may be repeated\n"
    "  --quiet              do not print the traffic\n"
    "  --control            take requests on a local TCP port (printed as \"control: PORT\"):\n"
    "                       for test programs in another process, such as under Wine\n"
    "  --panel              show the device in a window: its LEDs play the stored settings\n"
    "                       and received pictures, input tests switch its inputs, and it\n"
    "                       lists the lines it receives (without a display: no window)\n";

int usage() {
    std::fputs(UsageText, stderr);
    return 2;
}

bool parseCount(const char* text, int& out) {
    char* end = nullptr;
    const long value = std::strtol(text, &end, 10);
    if (end == text || *end != '\0' || value < 0 || value > 1000000)
        return false;
    out = static_cast<int>(value);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    blx52::devsim::Options options;
    options.printTraffic = true;
    std::string port;
    bool control = false;
    bool panel = false;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--help" || arg == "-h") {
            std::fputs(UsageText, stdout);
            return 0;
        }
        if (arg == "--version" || arg == "-v") {
            std::printf("blx52-devsim %s\n", BLX52_VERSION);
            return 0;
        }
        if (arg == "--port" && hasValue) {
            port = argv[++i];
        } else if (arg == "--quiet") {
            options.printTraffic = false;
        } else if (arg == "--control") {
            control = true;
        } else if (arg == "--panel") {
            panel = true;
        } else if (arg == "--silent") {
            options.silent = true;
        } else if (arg == "--delay" && hasValue) {
            if (!parseCount(argv[++i], options.delayMs))
                return usage();
        } else if (arg == "--latency" && hasValue) {
            if (!parseCount(argv[++i], options.latencyMs))
                return usage();
        } else if (arg == "--paced") {
            options.paced = true;
        } else if (arg == "--long") {
            options.longReplies = true;
        } else if (arg == "--no-crlf") {
            options.noLineEnd = true;
        } else if (arg == "--garbage") {
            options.garbage = true;
        } else if (arg == "--hang-up-after" && hasValue) {
            if (!parseCount(argv[++i], options.hangUpAfter))
                return usage();
        } else if (arg == "--stop-reading-after" && hasValue) {
            if (!parseCount(argv[++i], options.stopReadingAfter))
                return usage();
        } else if (arg == "--ignore" && hasValue) {
            options.ignoredKeys.insert(argv[++i]);
        } else if (arg == "--reply" && hasValue) {
            const std::string_view pair = argv[++i];
            const auto eq = pair.find('=');
            if (eq == std::string_view::npos || eq == 0)
                return usage();
            options.replyOverrides[std::string(pair.substr(0, eq))] =
                std::string(pair.substr(eq + 1));
        } else {
            return usage();
        }
    }

    // The answering thread must not take the stop signals; this thread waits for them.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

#ifdef BLX52_DEVSIM_PANEL
    const auto window = panel ? blx52::devsim::Panel::make(argc, argv, options) : nullptr;
#else
    (void)panel;  // a build without windows runs as without --panel
#endif
    blx52::devsim::ControlServer server(options, port);
    if (!server.resetDevice()) {
        std::fprintf(stderr,
                     "blx52-devsim: cannot start the device: no pseudo-terminal, or %s is taken "
                     "in %s by an entry that is not a simulator's (it is left as it is)\n",
                     port.empty() ? "the port" : port.c_str(), blx52::portsFolder().c_str());
        return 1;
    }
    std::printf("device: %s\n", server.device().devicePath().c_str());
    if (!port.empty()) {
        std::printf("port: %s -> %s/%s\n", port.c_str(), blx52::portsFolder().c_str(),
                    port.c_str());
    }
    std::thread serving;
    if (control) {
        if (!server.listen()) {
            std::fprintf(stderr, "blx52-devsim: cannot listen on a local TCP port\n");
            return 1;
        }
        std::printf("control: %d\n", server.port());
        serving = std::thread([&server] { server.serve(); });
    }
    std::fflush(stdout);

#ifdef BLX52_DEVSIM_PANEL
    if (window) {
        window->run(server, stopSignals);
    } else
#endif
    {
        int signal = 0;
        sigwait(&stopSignals, &signal);
    }
    server.stop();
    if (serving.joinable())
        serving.join();
    return 0;  // the simulator's destructor removes the port link
}
