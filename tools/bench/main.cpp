// blx52-bench-read: times the 89 exchanges of a full settings read against the simulator paced
// at 115200 baud and compares them with the time the bytes need on the wire.
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "link/command_keys.h"
#include "link/device_link.h"
#include "settings/settings_table.h"
#include "tools/bench-common/wire_time.h"
#include "tools/devsim/device_simulator.h"

int main() {
    blx52::devsim::Options options;
    options.paced = true;
    blx52::devsim::DeviceSimulator simulator(options);
    if (!simulator.start()) {
        std::fprintf(stderr, "blx52-bench-read: cannot start the simulator\n");
        return 1;
    }

    std::vector<std::string> keys{std::string(blx52::FirmwareKey)};
    for (const auto& setting : blx52::allSettings())
        keys.push_back(setting.getKey);

    blx52::DeviceLink link;
    link.PortName = simulator.devicePath();
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
