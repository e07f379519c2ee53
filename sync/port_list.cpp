#include "port_list.h"

#include <filesystem>
#include <set>
#include <system_error>
#include <vector>

#include "link/port_map.h"
#include "link/port_names.h"

#ifdef BLX52_HAVE_SERIALPORT
#include <QSerialPortInfo>
#endif

namespace blx52 {

namespace {

QString fromStd(const std::string& text) {
    return QString::fromStdString(text);
}

// The device a path leads to, so that a by-id link and its device count as one port.
std::string deviceKey(const std::string& path) {
#ifdef _WIN32
    return path;
#else
    std::error_code ec;
    const auto canonical = std::filesystem::canonical(path, ec);
    return ec ? path : canonical.string();
#endif
}

void probeInto(PortEntry& entry, PortProber& prober) {
    const PortProbe probe = prober(directPortName(entry).toStdString());
    entry.state = probe.state;
    entry.stateDetail = fromStd(probe.detail);
}

// More devices than any machine has; past it, the ones long gone go too.
constexpr std::size_t MaxKnownDevices = 1000;

}  // namespace

PortProber::PortProber(Probe probe, Identity identity)
    : probe_(std::move(probe)), identity_(std::move(identity)) {}

PortProbe PortProber::operator()(const std::string& portName) {
    const std::string identity = identity_(portName);
    if (identity.empty())
        return probe_(portName);
    if (const auto known = known_.find(identity); known != known_.end())
        return known->second;
    if (known_.size() >= MaxKnownDevices)
        known_.clear();
    const PortProbe probe = probe_(portName);
    // A failed open changes nothing on the line; the next look may find the device.
    if (probe.state != PortState::Missing)
        known_.emplace(identity, probe);
    return probe;
}

void PortProber::forget() {
    known_.clear();
}

QString portStateText(PortState state) {
    switch (state) {
        case PortState::Free:
            return QStringLiteral("free");
        case PortState::Missing:
            return QStringLiteral("missing");
        case PortState::NoPermission:
            return QStringLiteral("no permission");
        case PortState::Busy:
            return QStringLiteral("busy");
        case PortState::NotATerminal:
            return QStringLiteral("not a serial port");
    }
    return {};
}

QString directPortName(const PortEntry& port) {
#ifdef _WIN32
    return QStringLiteral("\\\\.\\") + port.device;
#else
    return port.device;
#endif
}

QList<PortNameEntry> listPortNames() {
    PortProber prober;
    return listPortNames(prober);
}

QList<PortNameEntry> listPortNames(PortProber& prober) {
    QList<PortNameEntry> names;
    for (int n = 1; n <= MappableNameCount; ++n) {
        PortNameEntry entry;
        entry.name = QStringLiteral("COM%1").arg(n);
        const std::string name = entry.name.toStdString();
        entry.target = fromStd(mappedTarget(n));
        const std::string opens = resolvePortPath(name);
#ifdef _WIN32
        entry.opens = fromStd(opens);
#else
        // The port folder's entry is what the open names; say where it leads.
        entry.opens = entry.target.isEmpty() ? fromStd(opens) : entry.target;
#endif
        const PortProbe probe = prober(name);
        entry.state = probe.state;
        entry.stateDetail = fromStd(probe.detail);
        names << entry;
    }
    return names;
}

QList<PortEntry> listSystemPorts() {
    PortProber prober;
    return listSystemPorts(prober);
}

QList<PortEntry> listSystemPorts(PortProber& prober) {
    QList<PortEntry> ports;
    std::set<std::string> seen;
    auto add = [&](PortEntry entry) {
        if (!seen.insert(deviceKey(entry.device.toStdString())).second)
            return;
        ports << entry;
    };
#ifdef BLX52_HAVE_SERIALPORT
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        PortEntry entry;
        entry.device = info.systemLocation();
        const std::string stable = stablePortPath(entry.device.toStdString());
        if (stable != entry.device.toStdString())
            entry.stablePath = fromStd(stable);
        entry.description = info.description();
        entry.manufacturer = info.manufacturer();
        entry.serialNumber = info.serialNumber();
        if (info.hasVendorIdentifier() && info.hasProductIdentifier()) {
            entry.vidPid = QStringLiteral("%1:%2")
                               .arg(info.vendorIdentifier(), 4, 16, QLatin1Char('0'))
                               .arg(info.productIdentifier(), 4, 16, QLatin1Char('0'));
        }
        add(entry);
    }
#endif
    for (const SystemPortInfo& info : systemPorts()) {
        PortEntry entry;
        entry.device = fromStd(info.device);
        entry.stablePath = fromStd(info.stablePath);
        entry.description = fromStd(info.description);
        entry.manufacturer = fromStd(info.manufacturer);
        entry.serialNumber = fromStd(info.serialNumber);
        entry.vidPid = fromStd(info.vidPid);
        add(entry);
    }
    // What the names lead to, where the system did not list it.
    for (int n = 1; n <= MappableNameCount; ++n) {
        const std::string target = mappedTarget(n);
        if (target.empty())
            continue;
        PortEntry entry;
#ifdef _WIN32
        entry.device = fromStd(target);
#else
        std::error_code ec;
        if (!std::filesystem::is_character_file(target, ec))
            continue;
        entry.device = fromStd(deviceKey(target));
        if (target != entry.device.toStdString())
            entry.stablePath = fromStd(target);
#endif
        add(entry);
    }
    // Where each name leads, found once rather than once for every port.
    std::vector<std::string> nameKeys;
    for (int n = 1; n <= MappableNameCount; ++n)
        nameKeys.push_back(deviceKey(resolvePortPath("COM" + std::to_string(n))));
    for (PortEntry& entry : ports) {
        probeInto(entry, prober);
        const std::string key = deviceKey(entry.device.toStdString());
        for (int n = 1; n <= MappableNameCount; ++n) {
            if (nameKeys[static_cast<std::size_t>(n - 1)] == key)
                entry.names << QStringLiteral("COM%1").arg(n);
        }
    }
#ifdef _WIN32
    // A port that the mapping names but that is not there is no port of the system.
    ports.removeIf([](const PortEntry& p) {
        return p.state == PortState::Missing && p.description.isEmpty();
    });
#endif
    return ports;
}

}  // namespace blx52
