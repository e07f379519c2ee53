#pragma once

#include <string>

namespace blx52 {

// Per-user folder that maps port names to devices: ${XDG_CONFIG_HOME:-$HOME/.config}/blx52/ports.
std::string portsFolder();

// The device path a port name opens. "COMn" is the folder's entry COMn when there is one (usually
// a symbolic link to an adapter), else /dev/ttyS<n-1>; any other name is used as it stands, so an
// absolute device path works too. On Windows the result is a COM name: COM1 … COM9 as the
// mapping file (port_map.h) says, every other name as it stands.
std::string resolvePortPath(const std::string& portName);

}  // namespace blx52
