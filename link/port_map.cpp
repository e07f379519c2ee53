#include "port_map.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>

#include "port_names.h"
#include "system_ports.h"

#ifndef _WIN32
#include <unistd.h>
#else
#include <process.h>
#endif

namespace blx52 {

namespace fs = std::filesystem;

namespace {

std::string trimmed(const std::string& s) {
    const auto begin = s.find_first_not_of(" \t\r");
    if (begin == std::string::npos)
        return {};
    const auto end = s.find_last_not_of(" \t\r");
    return s.substr(begin, end - begin + 1);
}

bool equalsNoCase(const std::string& a, const char* b) {
    std::size_t i = 0;
    for (; i < a.size() && b[i] != '\0'; ++i) {
        char c = a[i];
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
        if (c != b[i])
            return false;
    }
    return i == a.size() && b[i] == '\0';
}

// "\\.\COM14" and "COM14" name the same port.
std::string withoutDevicePrefix(const std::string& port) {
    return port.rfind("\\\\.\\", 0) == 0 ? port.substr(4) : port;
}

int processId() {
#ifdef _WIN32
    return _getpid();
#else
    return static_cast<int>(::getpid());
#endif
}

#ifdef _WIN32
std::map<int, std::string> readMapFile() {
    const std::string file = portMapFile();
    if (file.empty())
        return {};
    std::ifstream in(file, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return parsePortMap(text.str());
}

// The whole file is replaced at once, so a reader never sees half of it.
bool writeMapFile(const std::map<int, std::string>& map, std::string& error) {
    const std::string file = portMapFile();
    if (file.empty()) {
        error = "APPDATA is not set, so there is no place for the mapping";
        return false;
    }
    std::error_code ec;
    fs::create_directories(fs::path(file).parent_path(), ec);
    const std::string temporary = file + ".tmp" + std::to_string(processId());
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out << formatPortMap(map);
        out.close();
        if (!out) {
            fs::remove(temporary, ec);
            error = "cannot write " + file;
            return false;
        }
    }
    fs::rename(temporary, file, ec);
    if (ec) {
        fs::remove(temporary, ec);
        error = "cannot replace " + file;
        return false;
    }
    return true;
}
#endif

}  // namespace

int mappableNumber(const std::string& portName) {
    if (portName.size() != 4 || portName.compare(0, 3, "COM") != 0)
        return 0;
    const char digit = portName[3];
    return digit >= '1' && digit <= '9' ? digit - '0' : 0;
}

std::string portMapFile() {
    const char* appData = std::getenv("APPDATA");
    if (appData == nullptr || *appData == '\0')
        return {};
    return std::string(appData) + "\\blx52\\ports.ini";
}

std::string portMapPlace() {
#ifdef _WIN32
    return portMapFile();
#else
    return portsFolder();
#endif
}

std::map<int, std::string> parsePortMap(const std::string& text) {
    std::map<int, std::string> map;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        const auto equals = line.find('=');
        if (equals == std::string::npos)
            continue;
        const std::string key = trimmed(line.substr(0, equals));
        const std::string value = withoutDevicePrefix(trimmed(line.substr(equals + 1)));
        if (key.size() != 4 || !equalsNoCase(key.substr(0, 3), "COM") || value.empty())
            continue;
        const int number = mappableNumber("COM" + key.substr(3));
        if (number > 0)
            map[number] = value;
    }
    return map;
}

std::string formatPortMap(const std::map<int, std::string>& map) {
    std::string text = "; COM names of the BLX52 configurator: COMn=the port it opens\r\n";
    for (const auto& [number, port] : map)
        text += "COM" + std::to_string(number) + "=" + port + "\r\n";
    return text;
}

std::string stablePortPath(const std::string& device, const std::string& byIdFolder) {
    std::error_code ec;
    if (fs::path(device).parent_path() == fs::path(byIdFolder))
        return device;
    const fs::path wanted = fs::canonical(device, ec);
    if (ec)
        return device;
    for (const auto& entry : fs::directory_iterator(byIdFolder, ec)) {
        std::error_code entryError;
        if (fs::canonical(entry.path(), entryError) == wanted && !entryError)
            return entry.path().string();
    }
    return device;
}

#ifdef _WIN32

std::string mappedTarget(int number) {
    const auto map = readMapFile();
    const auto it = map.find(number);
    return it == map.end() ? std::string() : it->second;
}

bool assignPort(int number, const std::string& port, std::string& error, bool force) {
    const std::string name = withoutDevicePrefix(trimmed(port));
    if (number < 1 || number > MappableNameCount) {
        error = "only COM1 to COM9 can be mapped";
        return false;
    }
    if (name.empty() || name.find_first_of("\r\n=") != std::string::npos) {
        error = "\"" + port + "\" is no port name";
        return false;
    }
    if (!force) {
        // The port itself, past any mapping of the nine names.
        const PortProbe probe = probePort("\\\\.\\" + name);
        if (probe.state == PortState::NotATerminal) {
            error = name + " is not a serial port: " + probe.detail;
            return false;
        }
    }
    auto map = readMapFile();
    map[number] = name;
    return writeMapFile(map, error);
}

bool unassignPort(int number, std::string& error) {
    auto map = readMapFile();
    if (map.erase(number) == 0)
        return true;
    return writeMapFile(map, error);
}

#else

std::string mappedTarget(int number) {
    if (number < 1 || number > MappableNameCount)
        return {};
    const fs::path entry = fs::path(portsFolder()) / ("COM" + std::to_string(number));
    std::error_code ec;
    const auto status = fs::symlink_status(entry, ec);
    if (ec || !fs::exists(status))
        return {};
    if (!fs::is_symlink(status))
        return entry.string();
    const fs::path target = fs::read_symlink(entry, ec);
    if (ec)
        return entry.string();
    return target.is_absolute() ? target.string() : (entry.parent_path() / target).string();
}

bool assignPort(int number, const std::string& port, std::string& error, bool force) {
    if (number < 1 || number > MappableNameCount) {
        error = "only COM1 to COM9 can be mapped";
        return false;
    }
    const std::string given = trimmed(port);
    if (given.empty()) {
        error = "no port given";
        return false;
    }
    // A bare name is a device in /dev.
    const std::string device = given.find('/') == std::string::npos ? "/dev/" + given : given;
    std::error_code ec;
    const auto found = fs::status(device, ec);
    if (ec == std::errc::too_many_symbolic_link_levels) {
        error = device + " is a link that leads nowhere (a loop)";
        return false;
    }
    if (!fs::exists(found)) {
        error = device + " does not exist";
        return false;
    }
    if (fs::is_directory(found)) {
        error = device + " is a folder, not a port";
        return false;
    }
    if (!force) {
        const PortProbe probe = probePort(device);
        if (probe.state == PortState::NotATerminal) {
            error = device + " is not a serial port: " + probe.detail;
            return false;
        }
    }
    // The device itself is stored: a link may be changed later, and /proc/self/fd/0 means
    // something else in every process.
    const fs::path resolved = fs::canonical(device, ec);
    if (ec) {
        error = device + " leads to no file that can be named: " + ec.message();
        return false;
    }
    const std::string target = stablePortPath(resolved.string());
    const fs::path folder = portsFolder();
    const fs::path entry = folder / ("COM" + std::to_string(number));
    const auto status = fs::symlink_status(entry, ec);
    if (fs::exists(status) && !fs::is_symlink(status)) {
        error = entry.string() + " is not a link; it is left as it is";
        return false;
    }
    fs::create_directories(folder, ec);
    // Made beside the entry and renamed over it, so the name never leads nowhere in between.
    const fs::path temporary =
        folder / (".COM" + std::to_string(number) + ".new" + std::to_string(processId()));
    fs::remove(temporary, ec);
    fs::create_symlink(target, temporary, ec);
    if (ec) {
        error = "cannot make a link in " + folder.string() + ": " + ec.message();
        return false;
    }
    fs::rename(temporary, entry, ec);
    if (ec) {
        fs::remove(temporary, ec);
        error = "cannot replace " + entry.string() + ": " + ec.message();
        return false;
    }
    return true;
}

bool unassignPort(int number, std::string& error) {
    if (number < 1 || number > MappableNameCount) {
        error = "only COM1 to COM9 can be mapped";
        return false;
    }
    const fs::path entry = fs::path(portsFolder()) / ("COM" + std::to_string(number));
    std::error_code ec;
    const auto status = fs::symlink_status(entry, ec);
    if (!fs::exists(status))
        return true;
    if (!fs::is_symlink(status)) {
        error = entry.string() + " is not a link; it is left as it is";
        return false;
    }
    if (!fs::remove(entry, ec) && ec) {
        error = "cannot remove " + entry.string() + ": " + ec.message();
        return false;
    }
    return true;
}

#endif

}  // namespace blx52
