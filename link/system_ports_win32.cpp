// The ports as Windows knows them: the Ports device class through SetupAPI (friendly name, hardware
// ID, port name), then the registry's SERIALCOMM list for ports no device class has (virtual
// ports, Wine's).
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
// windows.h first: SetupAPI's header needs its types.
#include <setupapi.h>

#include <set>

#include "port_names.h"
#include "system_ports.h"

namespace blx52 {

namespace {

// GUID_DEVCLASS_PORTS, spelt out so that no GUID-defining header is needed.
const GUID PortsClass = {
    0x4d36e978, 0xe325, 0x11ce, {0xbf, 0xc1, 0x08, 0x00, 0x2b, 0xe1, 0x03, 0x18}};

std::string narrow(const wchar_t* text) {
    if (text == nullptr || *text == L'\0')
        return {};
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (size <= 1)
        return {};
    std::string out(static_cast<std::size_t>(size - 1), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), size, nullptr, nullptr);
    return out;
}

std::wstring property(HDEVINFO set, SP_DEVINFO_DATA& device, DWORD which) {
    wchar_t buffer[1024] = {};
    DWORD type = 0;
    if (::SetupDiGetDeviceRegistryPropertyW(set, &device, which, &type,
                                            reinterpret_cast<BYTE*>(buffer), sizeof buffer - 4,
                                            nullptr) == 0) {
        return {};
    }
    return buffer;  // of a list (REG_MULTI_SZ) the first entry
}

std::wstring registryText(HKEY key, const wchar_t* name) {
    wchar_t buffer[256] = {};
    DWORD size = sizeof buffer - 2;
    DWORD type = 0;
    if (::RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size) !=
            ERROR_SUCCESS ||
        type != REG_SZ) {
        return {};
    }
    return buffer;
}

// "USB\VID_0403&PID_6001&REV_0600" -> "0403:6001".
std::string vidPid(const std::string& hardwareId) {
    const auto vid = hardwareId.find("VID_");
    const auto pid = hardwareId.find("PID_");
    if (vid == std::string::npos || pid == std::string::npos || vid + 8 > hardwareId.size() ||
        pid + 8 > hardwareId.size()) {
        return {};
    }
    return hardwareId.substr(vid + 4, 4) + ":" + hardwareId.substr(pid + 4, 4);
}

// "USB\VID_0403&PID_6001\A50285BI" -> "A50285BI"; instance IDs Windows made up contain '&'.
std::string serialFromInstance(const std::string& instance) {
    if (instance.rfind("USB\\", 0) != 0)
        return {};
    const auto last = instance.rfind('\\');
    const std::string tail = instance.substr(last + 1);
    return tail.find('&') == std::string::npos ? tail : std::string();
}

// "COM14" for a name that stands for it, and for "\\.\COM14".
std::string deviceName(const std::string& portName) {
    return portName.rfind("\\\\.\\", 0) == 0 ? portName.substr(4) : resolvePortPath(portName);
}

}  // namespace

std::string portIdentity(const std::string& portName) {
    const std::string name = deviceName(portName);
    // The device object the name stands for: a replugged adapter may get another.
    char target[512] = {};
    if (::QueryDosDeviceA(name.c_str(), target, sizeof target - 1) == 0)
        return {};
    return name + "|" + target;
}

PortProbe probePort(const std::string& portName) {
    const std::string name = deviceName(portName);
    const std::string path = "\\\\.\\" + name;
    // The exchange's own open; nothing is sent.
    const HANDLE handle = ::CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                        OPEN_EXISTING, 0, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        switch (::GetLastError()) {
            case ERROR_FILE_NOT_FOUND:
            case ERROR_PATH_NOT_FOUND:
                return {PortState::Missing, "no such port (adapter unplugged?)"};
            // A port held by another program refuses with "access denied".
            case ERROR_ACCESS_DENIED:
            case ERROR_SHARING_VIOLATION:
                return {PortState::Busy, "in use by another program"};
            default:
                return {PortState::Missing, "the port cannot be opened"};
        }
    }
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    const bool serial = ::GetCommState(handle, &dcb) != 0;
    ::CloseHandle(handle);
    if (!serial)
        return {PortState::NotATerminal, "it opens, but takes no serial line settings"};
    return {PortState::Free, {}};
}

std::vector<SystemPortInfo> systemPorts() {
    std::vector<SystemPortInfo> ports;
    std::set<std::string> seen;
    const HDEVINFO set = ::SetupDiGetClassDevsW(&PortsClass, nullptr, nullptr, DIGCF_PRESENT);
    if (set != INVALID_HANDLE_VALUE) {
        SP_DEVINFO_DATA device{};
        device.cbSize = sizeof device;
        for (DWORD i = 0; ::SetupDiEnumDeviceInfo(set, i, &device) != 0; ++i) {
            SystemPortInfo port;
            if (HKEY key =
                    ::SetupDiOpenDevRegKey(set, &device, DICS_FLAG_GLOBAL, 0, DIREG_DEV, KEY_READ);
                key != INVALID_HANDLE_VALUE) {
                port.device = narrow(registryText(key, L"PortName").c_str());
                ::RegCloseKey(key);
            }
            // Printer ports (LPT) share the class.
            if (port.device.rfind("COM", 0) != 0 || !seen.insert(port.device).second)
                continue;
            port.description = narrow(property(set, device, SPDRP_FRIENDLYNAME).c_str());
            if (port.description.empty())
                port.description = narrow(property(set, device, SPDRP_DEVICEDESC).c_str());
            port.manufacturer = narrow(property(set, device, SPDRP_MFG).c_str());
            port.vidPid = vidPid(narrow(property(set, device, SPDRP_HARDWAREID).c_str()));
            wchar_t instance[512] = {};
            if (::SetupDiGetDeviceInstanceIdW(set, &device, instance, 511, nullptr) != 0)
                port.serialNumber = serialFromInstance(narrow(instance));
            ports.push_back(port);
        }
        ::SetupDiDestroyDeviceInfoList(set);
    }
    HKEY comm = nullptr;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_READ,
                        &comm) == ERROR_SUCCESS) {
        for (DWORD i = 0;; ++i) {
            wchar_t name[256] = {};
            wchar_t value[256] = {};
            DWORD nameSize = 255;
            DWORD valueSize = sizeof value - 2;
            DWORD type = 0;
            if (::RegEnumValueW(comm, i, name, &nameSize, nullptr, &type,
                                reinterpret_cast<BYTE*>(value), &valueSize) != ERROR_SUCCESS) {
                break;
            }
            SystemPortInfo port;
            port.device = narrow(value);
            if (type != REG_SZ || port.device.empty() || !seen.insert(port.device).second)
                continue;
            port.description = narrow(name);  // the driver's device, "\Device\Serial0"
            ports.push_back(port);
        }
        ::RegCloseKey(comm);
    }
    return ports;
}

}  // namespace blx52
