#pragma once

#include <map>
#include <string>

namespace blx52 {

// The names COM1 … COM9 can be mapped to any port of the system. On POSIX the mapping is the
// port folder (portsFolder()): an entry COMn, usually a symbolic link to the device. On Windows
// it is the per-user file portMapFile(), lines "COM3=COM14". A name without an entry means what
// it always meant.
inline constexpr int MappableNameCount = 9;

// n for "COM1" … "COM9", else 0.
int mappableNumber(const std::string& portName);

// Windows: %APPDATA%\blx52\ports.ini (empty when APPDATA is not set).
std::string portMapFile();

// Where the mapping lives, to tell the user: POSIX portsFolder(), Windows portMapFile().
std::string portMapPlace();

// The mapping file's lines, "COMn=PORT", n from 1 to 9; other lines (comments, sections,
// malformed ones) are left out.
std::map<int, std::string> parsePortMap(const std::string& text);
std::string formatPortMap(const std::map<int, std::string>& map);

// What COMn is mapped to: POSIX the entry's link target (the entry itself when it is not a link),
// Windows the file's value. Empty without an entry.
std::string mappedTarget(int number);

// The link in `byIdFolder` that leads to the same device as `device`, so that a mapping survives
// replugging; `device` itself when there is none.
std::string stablePortPath(const std::string& device,
                           const std::string& byIdFolder = "/dev/serial/by-id");

// Maps COMn to `port` (a device path, a by-id path or a bare device name such as ttyUSB0 on
// POSIX; a COM name, with or without \\.\, on Windows). On POSIX the link goes to the device
// the path resolves to (past links and /proc/self/fd), or to its by-id path where there is one.
// What probePort calls "not a serial port" (a file, a FIFO, a device that is no terminal) is
// refused unless `force` is given. False with the reason in `error` when it is refused or
// cannot be written.
bool assignPort(int number, const std::string& port, std::string& error, bool force = false);
// Removes COMn's entry; having none is no error. POSIX: only a link is removed.
bool unassignPort(int number, std::string& error);

}  // namespace blx52
