// blx52-bench-read: times the 89 exchanges of a full settings read against a device paced at
// 115200 baud and compares them with the time the bytes need on the wire. Without --port it
// starts the simulator itself (not on Windows: there the simulator runs beside Wine).
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "link/command_keys.h"
#include "link/device_link.h"
#include "settings/settings_table.h"
#include "tools/bench-common/wire_time.h"
#ifndef _WIN32
#include "tools/devsim/device_simulator.h"
#endif

namespace {

int usage(std::FILE* to = stderr, int status = 2) {
    std::fprintf(to,
                 "usage: blx52-bench-read [--port PORT | --latency MS]\n"
                 "  --port PORT   a device (or simulator) already answering at 115200 baud\n"
                 "  --latency MS  the started simulator holds each reply as a USB adapter would\n");
    return status;
}

}  // namespace

int main(int argc, char** argv) {
    std::string port;
    int latencyMs = 0;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--help" || arg == "-h")
            return usage(stdout, 0);
        if (arg == "--port" && i + 1 < argc) {
            port = argv[++i];
        } else if (arg == "--latency" && i + 1 < argc) {
            char* end = nullptr;
            const long value = std::strtol(argv[++i], &end, 10);
            if (*end != '\0' || value < 0 || value > 10000)
                return usage();
            latencyMs = static_cast<int>(value);
        } else {
            return usage();
        }
    }
    if (!port.empty() && latencyMs != 0)
        return usage();

#ifndef _WIN32
    std::optional<blx52::devsim::DeviceSimulator> simulator;
    if (port.empty()) {
        blx52::devsim::Options options;
        options.paced = true;
        options.latencyMs = latencyMs;
        simulator.emplace(options);
        if (!simulator->start()) {
            std::fprintf(stderr, "blx52-bench-read: cannot start the simulator\n");
            return 1;
        }
        port = simulator->devicePath();
    }
#endif
    if (port.empty())
        return usage();

    std::vector<std::string> keys{std::string(blx52::FirmwareKey)};
    for (const auto& setting : blx52::allSettings())
        keys.push_back(setting.getKey);

    blx52::DeviceLink link;
    link.PortName = port;
    std::size_t wireBytes = 0;
    int failures = 0;
    const auto start = std::chrono::steady_clock::now();
    for (const auto& key : keys) {
        link.Exchange(key, static_cast<int>(key.size()));
        wireBytes += key.size() + 2;
        if (link.LinkErrorCode != blx52::link_code::Ok) {
            ++failures;
            continue;
        }
        wireBytes += link.LastReply.size() + 2;
    }
    const std::chrono::duration<double, std::milli> total =
        std::chrono::steady_clock::now() - start;

    const double wireMs = blx52::bench::wireTimeMs(wireBytes);
    std::printf("exchanges:           %zu (%d failed)\n", keys.size(), failures);
    std::printf("total:               %.1f ms\n", total.count());
    std::printf("per exchange:        %.2f ms\n", total.count() / static_cast<double>(keys.size()));
    std::printf("bytes on the wire:   %zu\n", wireBytes);
    std::printf("wire-time limit:     %.1f ms\n", wireMs);
    std::printf("total / wire limit:  %.2f\n", total.count() / wireMs);
    return failures == 0 ? 0 : 1;
}
