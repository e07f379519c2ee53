#include <fcntl.h>
#include <grp.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <set>
#include <system_error>

#include "port_names.h"
#include "system_ports.h"

namespace blx52 {

namespace {

bool inGroup(gid_t gid) {
    if (::getegid() == gid)
        return true;
    const int count = ::getgroups(0, nullptr);
    if (count <= 0)
        return false;
    std::vector<gid_t> groups(static_cast<std::size_t>(count));
    const int got = ::getgroups(count, groups.data());
    for (int i = 0; i < got; ++i) {
        if (groups[static_cast<std::size_t>(i)] == gid)
            return true;
    }
    return false;
}

std::string groupName(gid_t gid) {
    if (const group* g = ::getgrgid(gid))
        return g->gr_name;
    return std::to_string(gid);
}

std::string permissionDetail(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0)
        return "permission denied";
    if (!inGroup(info.st_gid) && (info.st_mode & S_IRWXG) == (S_IRGRP | S_IWGRP)) {
        const std::string group = groupName(info.st_gid);
        return "permission denied: the device belongs to group \"" + group +
               "\" and you are not in it (sudo usermod -aG " + group + " $USER, then log in again)";
    }
    char mode[8];
    std::snprintf(mode, sizeof mode, "%o", static_cast<unsigned>(info.st_mode & 0777));
    return std::string("permission denied (mode ") + mode + ", group \"" + groupName(info.st_gid) +
           "\")";
}

}  // namespace

PortProbe probePort(const std::string& portName) {
    const std::string path = resolvePortPath(portName);
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        if (errno == EACCES)
            return {PortState::NoPermission, permissionDetail(path)};
        if (errno == ELOOP)
            return {PortState::Missing, "a link that leads nowhere (a loop)"};
        return {PortState::Missing, "no such device (adapter unplugged?)"};
    }
    // Told by what it is, before any open: a FIFO's open could wait for a writer.
    if (S_ISDIR(info.st_mode))
        return {PortState::NotATerminal, "a folder"};
    if (S_ISREG(info.st_mode))
        return {PortState::NotATerminal, "a regular file"};
    if (S_ISFIFO(info.st_mode))
        return {PortState::NotATerminal, "a FIFO"};
    if (!S_ISCHR(info.st_mode))
        return {PortState::NotATerminal, "neither a device nor a file"};
    // The exchange's own open: non-blocking, so it waits for no carrier.
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        const int error = errno;
        if (error == EACCES || error == EPERM)
            return {PortState::NoPermission, permissionDetail(path)};
        if (error == EBUSY)
            return {PortState::Busy, "in use by another program"};
        if (error == ENOENT || error == ENXIO || error == ENODEV)
            return {PortState::Missing, "no such device (adapter unplugged?)"};
        return {PortState::Missing, std::strerror(error)};
    }
    PortProbe probe{PortState::Free, {}};
    if (::isatty(fd) == 0) {
        probe = {PortState::NotATerminal, "a device that is no terminal"};
    } else if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        // The exchange holds its port with flock too, so this also finds another configurator.
        probe = {PortState::Busy, "in use by another program"};
    }
    ::close(fd);  // releases the flock
    return probe;
}

std::string portIdentity(const std::string& portName) {
    const std::string path = resolvePortPath(portName);
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || !S_ISCHR(info.st_mode))
        return {};
    // The node itself, whatever link led there; a replugged adapter gets a new one, even under
    // the same name.
    return std::to_string(info.st_dev) + ":" + std::to_string(info.st_ino) + ":" +
           std::to_string(info.st_rdev);
}

std::vector<SystemPortInfo> systemPorts() {
    std::vector<SystemPortInfo> ports;
    std::set<std::string> seen;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator("/dev/serial/by-id", ec)) {
        std::error_code entryError;
        const auto device = std::filesystem::canonical(entry.path(), entryError);
        if (entryError || !seen.insert(device.string()).second)
            continue;
        SystemPortInfo port;
        port.device = device.string();
        port.stablePath = entry.path().string();
        ports.push_back(port);
    }
    return ports;
}

}  // namespace blx52
