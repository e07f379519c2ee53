#pragma once

#include <string>
#include <vector>

namespace blx52 {

// What an open of a port would do right now.
enum class PortState {
    Free,          // it opens
    Missing,       // no such device (an adapter unplugged, a link that leads nowhere)
    NoPermission,  // this user may not open it
    Busy,          // another program holds it
    NotATerminal,  // it opens, but it is no serial port (a folder, a file)
};

struct PortProbe {
    PortState state = PortState::Missing;
    std::string detail;  // why, for people; may be empty
};

// Opens the port as the exchange does (the name resolved the same way), closes it again at once,
// and sends nothing. A port name or a device path.
PortProbe probePort(const std::string& portName);

// What tells the device behind `portName` (resolved as probePort resolves it) from any other
// that may come there later, such as a replugged adapter; empty where probePort opens nothing
// (no device there, a folder, a FIFO) or the system cannot tell.
std::string portIdentity(const std::string& portName);

// One serial port as the system describes it.
struct SystemPortInfo {
    std::string device;      // what to open: /dev/ttyUSB0, COM14
    std::string stablePath;  // a name that survives replugging (/dev/serial/by-id/…), or empty
    std::string description;
    std::string manufacturer;
    std::string serialNumber;
    std::string vidPid;  // "0403:6001", or empty
};

// Windows: the Ports device class of SetupAPI, completed by the registry's SERIALCOMM list.
// POSIX: the devices behind /dev/serial/by-id (Qt Serial Port, where there is one, knows more).
std::vector<SystemPortInfo> systemPorts();

}  // namespace blx52
