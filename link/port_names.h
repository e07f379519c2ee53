#pragma once

#include <string>

namespace blx52 {

// Per-user folder that maps port names to devices: ${XDG_CONFIG_HOME:-$HOME/.config}/blx52/ports.
std::string portsFolder();

// Whether the tools take `name` as a port: COM1 … COM9, or a device path (on Windows
// \\.\NAME). "COM01" or "COM10" are none: they would open another port than the one meant.
bool isPortName(const std::string& name);
// What isPortName() accepts, for a refusal.
std::string acceptedPortNames();

// The device path a port name opens. "COMn" is the folder's entry COMn when there is one (usually
// a symbolic link to an adapter), else /dev/ttyS<n-1>; a device path is used as it stands; any
// other name opens nothing (empty). On Windows the result is a COM name: COM1 … COM9 as the
// mapping file (port_map.h) says, a device path as it stands.
std::string resolvePortPath(const std::string& portName);

}  // namespace blx52
