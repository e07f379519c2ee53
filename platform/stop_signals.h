#pragma once

namespace blx52 {

// A command-line tool's way to end a long run cleanly: after catchStopSignals(), SIGINT, SIGTERM
// and SIGHUP (on Windows Ctrl+C, Ctrl+Break and SIGTERM) only mark the run as stopped; the tool
// finishes the exchange in flight, sends nothing more, says what the device holds, and then
// ends with endBySignal().
void catchStopSignals();
// The signal that asked to stop, or 0.
int caughtStopSignal();
// Ends the process as the signal would have ended it.
[[noreturn]] void endBySignal(int signal);

}  // namespace blx52
