#include "platform/parent_console.h"

namespace blx52 {

// A program started from a terminal has it already.
bool attachParentConsole() {
    return true;
}

}  // namespace blx52
