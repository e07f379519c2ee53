#include "platform/parent_console.h"

namespace blx52 {

// A program started from a terminal has it already.
bool attachParentConsole() {
    return true;
}

// Terminals here take UTF-8 as it comes.
Utf8ConsoleOutput::Utf8ConsoleOutput() = default;
Utf8ConsoleOutput::~Utf8ConsoleOutput() = default;
void restoreConsoleOutput() {}

}  // namespace blx52
