#include "platform/parent_console.h"

#include <io.h>
#include <windows.h>

#include <atomic>
#include <cstdio>

namespace blx52 {

namespace {

bool leadsSomewhere(DWORD which) {
    const HANDLE handle = GetStdHandle(which);
    return handle != nullptr && handle != INVALID_HANDLE_VALUE &&
           GetFileType(handle) != FILE_TYPE_UNKNOWN;
}

}  // namespace

bool attachParentConsole() {
    const bool out = leadsSomewhere(STD_OUTPUT_HANDLE);
    const bool err = leadsSomewhere(STD_ERROR_HANDLE);
    if (out && err)
        return true;
    if (!AttachConsole(ATTACH_PARENT_PROCESS))
        return out;
    // Only the streams that had nowhere to go are pointed at the console.
    if (!out && std::freopen("CONOUT$", "w", stdout) != nullptr)
        SetStdHandle(STD_OUTPUT_HANDLE, reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stdout))));
    if (!err && std::freopen("CONOUT$", "w", stderr) != nullptr)
        SetStdHandle(STD_ERROR_HANDLE, reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stderr))));
    return true;
}

namespace {
// The code page to restore; 0: none was changed. One per process, as the console is.
std::atomic<UINT> previousCodePage{0};
}  // namespace

Utf8ConsoleOutput::Utf8ConsoleOutput() {
    // 0: no console (output to a file or pipe of a program started without one).
    const UINT current = GetConsoleOutputCP();
    if (current != 0 && current != CP_UTF8 && SetConsoleOutputCP(CP_UTF8))
        previousCodePage = current;
}

Utf8ConsoleOutput::~Utf8ConsoleOutput() {
    restoreConsoleOutput();
}

void restoreConsoleOutput() {
    if (const UINT previous = previousCodePage.exchange(0); previous != 0) {
        std::fflush(stdout);
        std::fflush(stderr);
        SetConsoleOutputCP(previous);
    }
}

}  // namespace blx52
