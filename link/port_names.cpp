#include "port_names.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "port_map.h"

namespace blx52 {

namespace {

// The number of "COMn" (n from 1 to 9), or 0 when the name has another form.
int comNumber(const std::string& portName) {
    if (portName.size() != 4 || portName.compare(0, 3, "COM") != 0 || portName[3] < '1' ||
        portName[3] > '9')
        return 0;
    return portName[3] - '0';
}

bool isDevicePath(const std::string& name) {
#ifdef _WIN32
    return name.size() > 4 && name.compare(0, 4, "\\\\.\\") == 0;
#else
    return name.find('/') != std::string::npos;
#endif
}

}  // namespace

std::string portsFolder() {
    std::string base;
    if (const char* config = std::getenv("XDG_CONFIG_HOME"); config != nullptr && *config != '\0') {
        base = config;
    } else if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') {
        base = std::string(home) + "/.config";
    } else {
        base = ".config";
    }
    return base + "/blx52/ports";
}

bool isPortName(const std::string& name) {
    return comNumber(name) > 0 || isDevicePath(name);
}

std::string acceptedPortNames() {
#ifdef _WIN32
    return "the port names are COM1 ... COM9, or a device path such as \\\\.\\COM12";
#else
    return "the port names are COM1 ... COM9, or a device path such as /dev/ttyUSB0";
#endif
}

std::string resolvePortPath(const std::string& portName) {
#ifdef _WIN32
    // COM1 … COM9 may stand for another port (often a USB adapter at COM10 or above).
    if (const int mapped = mappableNumber(portName); mapped > 0) {
        if (std::string target = mappedTarget(mapped); !target.empty())
            return target;
    }
    return portName;
#endif
    const int number = comNumber(portName);
    if (number < 1)
        return isDevicePath(portName) ? portName : std::string();
    const std::filesystem::path entry = std::filesystem::path(portsFolder()) / portName;
    std::error_code error;
    // A dangling link still names the device the user meant; opening it reports the failure.
    if (std::filesystem::exists(std::filesystem::symlink_status(entry, error))) {
        return entry.string();
    }
    return "/dev/ttyS" + std::to_string(number - 1);
}

}  // namespace blx52
