#include "link/parent_console.h"

namespace blx52 {

// A program started from a terminal has it already.
void attachParentConsole() {}

}  // namespace blx52
