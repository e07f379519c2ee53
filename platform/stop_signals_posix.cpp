#include <signal.h>
#include <unistd.h>

#include <cstdlib>
#include <initializer_list>

#include "stop_signals.h"

namespace blx52 {

namespace {

volatile sig_atomic_t caught = 0;

void onStopSignal(int signal) {
    caught = signal;
}

}  // namespace

void catchStopSignals() {
    struct sigaction action {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    // Interrupted system calls are restarted or retried by the port code, so the exchange in
    // flight runs to its end.
    action.sa_flags = SA_RESTART;
    for (const int signal : {SIGINT, SIGTERM, SIGHUP})
        ::sigaction(signal, &action, nullptr);
}

int caughtStopSignal() {
    return caught;
}

void endBySignal(int signal) {
    struct sigaction action {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    ::sigaction(signal, &action, nullptr);
    ::raise(signal);
    std::_Exit(128 + signal);
}

}  // namespace blx52
