#include <csignal>
#include <cstdlib>
#include <initializer_list>

#include "platform/parent_console.h"
#include "stop_signals.h"

namespace blx52 {

namespace {

volatile std::sig_atomic_t caught = 0;

void onStopSignal(int signal) {
    caught = signal;
    std::signal(signal, onStopSignal);  // the handler is reset before each call
}

}  // namespace

void catchStopSignals() {
    for (const int signal : {SIGINT, SIGTERM, SIGBREAK})
        std::signal(signal, onStopSignal);
}

int caughtStopSignal() {
    return caught;
}

void endBySignal(int signal) {
    restoreConsoleOutput();
    // A console program ended by Ctrl+C exits with STATUS_CONTROL_C_EXIT.
    std::_Exit(signal == SIGINT ? static_cast<int>(0xC000013AL) : 128 + signal);
}

}  // namespace blx52
