#include "port_names.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "port_map.h"

namespace blx52 {

namespace {

// The number of "COMn" (n from 1), or 0 when the name has another form.
int comNumber(const std::string& portName) {
    if (portName.size() < 4 || portName.size() > 6 || portName.compare(0, 3, "COM") != 0)
        return 0;
    int number = 0;
    for (std::size_t i = 3; i < portName.size(); ++i) {
        const char c = portName[i];
        if (c < '0' || c > '9')
            return 0;
        number = number * 10 + (c - '0');
    }
    return number;
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
        return portName;
    const std::filesystem::path entry = std::filesystem::path(portsFolder()) / portName;
    std::error_code error;
    // A dangling link still names the device the user meant; opening it reports the failure.
    if (std::filesystem::exists(std::filesystem::symlink_status(entry, error))) {
        return entry.string();
    }
    return "/dev/ttyS" + std::to_string(number - 1);
}

}  // namespace blx52
