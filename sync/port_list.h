#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <map>
#include <string>

#include "link/system_ports.h"

namespace blx52 {

// One serial port of the system, with what an open of it would do now.
struct PortEntry {
    QString device;      // what to open: /dev/ttyUSB0, COM14
    QString stablePath;  // /dev/serial/by-id/…, or empty
    QString description;
    QString manufacturer;
    QString serialNumber;
    QString vidPid;  // "0403:6001", or empty
    PortState state = PortState::Missing;
    QString stateDetail;
    QStringList names;  // the COMn names that lead to it
};

// One of the names COM1 … COM9: what it leads to and what an open of it would do.
struct PortNameEntry {
    QString name;    // "COM3"
    QString target;  // the mapping's entry, empty when there is none
    QString opens;   // what the name opens: the target, or the name's own port
    PortState state = PortState::Missing;
    QString stateDetail;
};

// "free", "missing", "no permission", "busy", "not a serial port".
QString portStateText(PortState state);

// What an open of each port would meet, kept while the same device stays behind the name. An
// open raises a real adapter's DTR and RTS lines, which resets some devices, and holds the port
// for a moment in which another program's open fails; so a window that shows the states every
// second opens each device once, when it appears, and again only after forget(). What needs no
// open (nothing there, a folder) and a port that was missing are looked at anew every time.
class PortProber {
  public:
    using Probe = std::function<PortProbe(const std::string&)>;
    using Identity = std::function<std::string(const std::string&)>;

    explicit PortProber(Probe probe = probePort, Identity identity = portIdentity);
    PortProbe operator()(const std::string& portName);
    // The next look at each port opens it again.
    void forget();

  private:
    Probe probe_;
    Identity identity_;
    std::map<std::string, PortProbe> known_;
};

// The nine names in order. Without a prober every port is opened to tell its state.
QList<PortNameEntry> listPortNames();
QList<PortNameEntry> listPortNames(PortProber& prober);

// Every serial port the system has (Linux: Qt Serial Port and /dev/serial/by-id; Windows:
// SetupAPI and SERIALCOMM), then the devices the names lead to that the system did not list
// (a pseudo-terminal, say). Each is probed; nothing is sent.
QList<PortEntry> listSystemPorts();
QList<PortEntry> listSystemPorts(PortProber& prober);

// What the exchange opens to reach `port` itself, past the mapping (on Windows COM3 could stand
// for another port).
QString directPortName(const PortEntry& port);

}  // namespace blx52
