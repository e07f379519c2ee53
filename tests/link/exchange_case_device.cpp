// blx52-exchange-case-device: the simulator answering the shared exchange cases, as a process of
// its own, so that a Windows test program under Wine can reach it through a COM port. Prints its
// device path and runs until SIGINT or SIGTERM.
#include <pthread.h>
#include <signal.h>

#include <cstdio>

#include "exchange_cases.h"
#include "tools/devsim/device_simulator.h"

int main() {
    // The answering thread must not take the stop signals; this thread waits for them.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    blx52::devsim::Options options;
    options.rawReplies = blx52::test::exchangeCaseReplies();
    blx52::devsim::DeviceSimulator simulator(options);
    if (!simulator.start()) {
        std::fprintf(stderr, "blx52-exchange-case-device: cannot open a pseudo-terminal\n");
        return 1;
    }
    std::printf("device: %s\n", simulator.devicePath().c_str());
    std::fflush(stdout);
    int signal = 0;
    sigwait(&stopSignals, &signal);
    return 0;
}
