#pragma once

namespace blx52 {

// A window program on Windows starts without a console, so what it prints for --help,
// --version or --init-pictures would be lost when it is started from a command prompt. This
// attaches standard output and error to the console of the calling process, unless they already
// lead somewhere (a redirection, a pipe). True when standard output leads somewhere now; on
// other systems it does nothing and is always true.
bool attachParentConsole();

// A Windows console shows what a program writes in its output code page (437 or 850 in
// Western Europe), but the tools write UTF-8: a profile's "…" would show as three other
// characters. While an instance lives, the console's output code page is UTF-8; the one before
// comes back when it goes. Without a console, and on other systems, it does nothing.
class Utf8ConsoleOutput {
  public:
    Utf8ConsoleOutput();
    ~Utf8ConsoleOutput();
    Utf8ConsoleOutput(const Utf8ConsoleOutput&) = delete;
    Utf8ConsoleOutput& operator=(const Utf8ConsoleOutput&) = delete;
};

// Puts back the code page a living Utf8ConsoleOutput changed, for an end that skips destructors
// (the end by Ctrl+C).
void restoreConsoleOutput();

}  // namespace blx52
