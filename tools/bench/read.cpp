// read: the 89 exchanges of a full settings read through the link alone, against a device paced
// at 115200 baud, compared with the time the bytes need on the wire. Without --port it starts the
// simulator itself (not on Windows: there the simulator runs beside Wine).
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "link/command_keys.h"
#include "link/device_link.h"
#include "settings/settings_table.h"
#include "tools/bench/bench.h"
#ifdef BLX52_BENCH_SIMULATOR
#include "tools/bench/paced_simulator.h"
#endif

namespace blx52::bench {

double linkExchangesMs(const std::string& port, const std::vector<std::string>& lines,
                       int* failures, std::size_t* wireBytes) {
    DeviceLink link;
    link.PortName = port;
    std::size_t bytes = 0;
    int failed = 0;
    const double ms = timedMs([&] {
        for (const std::string& line : lines) {
            link.Exchange(line, static_cast<int>(line.size()));
            bytes += line.size() + 2;
            if (link.LinkErrorCode != link_code::Ok) {
                ++failed;
                continue;
            }
            bytes += link.LastReply.size() + 2;
        }
    });
    if (failures != nullptr)
        *failures = failed;
    if (wireBytes != nullptr)
        *wireBytes = bytes;
    return ms;
}

int measureRead(const Run& run) {
    std::string port;
    int latencyMs = 0;
    for (std::size_t i = 0; i < run.args.size(); ++i) {
        const std::string& arg = run.args[i];
        if (arg == "--port" && i + 1 < run.args.size()) {
            port = run.args[++i];
        } else if (arg == "--latency" && i + 1 < run.args.size()) {
            const std::optional<int> value = intArgument(run.args[++i], 0, 10000);
            if (!value)
                return 2;
            latencyMs = *value;
        } else {
            return 2;
        }
    }
    if (!port.empty() && latencyMs != 0)
        return 2;

#ifdef BLX52_BENCH_SIMULATOR
    std::unique_ptr<devsim::DeviceSimulator> simulator;
    if (port.empty()) {
        simulator = startPacedSimulator(latencyMs);
        if (!simulator)
            return 1;
        port = simulator->devicePath();
    }
#endif
    if (port.empty())
        return 2;

    std::vector<std::string> keys{std::string(FirmwareKey)};
    for (const auto& setting : allSettings())
        keys.push_back(setting.getKey);

    int failures = 0;
    std::size_t wireBytes = 0;
    const double total = linkExchangesMs(port, keys, &failures, &wireBytes);
    const double wireMs = wireTimeMs(wireBytes);
    std::printf("full read through the link alone\n");
    std::printf("  exchanges:           %zu (%d failed)\n", keys.size(), failures);
    std::printf("  total:               %.1f ms\n", total);
    std::printf("  per exchange:        %.2f ms\n", total / static_cast<double>(keys.size()));
    std::printf("  bytes on the wire:   %zu\n", wireBytes);
    std::printf("  wire-time limit:     %.1f ms\n", wireMs);
    std::printf("  total / wire limit:  %.2f\n", total / wireMs);
    run.add({latencyMs != 0 ? "read, link alone, adapter latency" : "read, link alone", total,
             "wire time", wireMs, 0});
    return failures == 0 ? 0 : 1;
}

}  // namespace blx52::bench
