#pragma once

#include <cstdio>
#include <memory>

#include "tools/devsim/device_simulator.h"

namespace blx52::bench {

// A simulated device answering at the real 115200 baud (each reply held `latencyMs` as a USB
// adapter's timer does), started; nothing, after saying so, when it cannot start.
inline std::unique_ptr<devsim::DeviceSimulator> startPacedSimulator(int latencyMs = 0) {
    devsim::Options options;
    options.paced = true;
    options.latencyMs = latencyMs;
    auto simulator = std::make_unique<devsim::DeviceSimulator>(options);
    if (!simulator->start()) {
        std::fprintf(stderr, "blx52-bench: cannot start the simulator\n");
        return nullptr;
    }
    return simulator;
}

}  // namespace blx52::bench
