#pragma once

namespace blx52 {

// A window program on Windows starts without a console, so what it prints for --help,
// --version or --init-pictures would be lost when it is started from a command prompt. This
// attaches standard output and error to the console of the calling process, unless they already
// lead somewhere (a redirection, a pipe). True when standard output leads somewhere now; on
// other systems it does nothing and is always true.
bool attachParentConsole();

}  // namespace blx52
