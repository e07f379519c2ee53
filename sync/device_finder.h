#pragma once

#include <QList>
#include <QString>

#include "link/device_link.h"
#include "sync/port_list.h"

namespace blx52 {

// Looks for the device on the system's ports: one "getdatafw" exchange to each free port, one
// port after another. A port that is busy, missing or not a serial port is reported and not
// asked; nothing else is sent anywhere.
class DeviceFinder {
  public:
    enum class Outcome { Waiting, NotAsked, Answered, NoAnswer };

    struct Candidate {
        PortEntry port;
        Outcome outcome = Outcome::Waiting;
        QString firmware;  // the reply, when answered
        QString reply;     // a whole reply that is no firmware version, when not
        int linkCode = 0;  // of the exchange, when asked
    };

    explicit DeviceFinder(SerialPortFactory portFactory = makeSystemSerialPort);

    // Takes the ports to look at; the free ones will be asked.
    void plan(const QList<PortEntry>& ports);
    const QList<Candidate>& candidates() const { return candidates_; }
    int toAsk() const;  // how many ports the search asks in all
    int asked() const { return asked_; }
    bool finished() const;

    // Asks the next free port; the index of its candidate, or -1 when all are asked.
    int askNext();

    // The ports that answered, in the order asked.
    QList<Candidate> answered() const;

    // One line for people about a candidate: "…: firmware 4.1", "…: busy, not asked". What came
    // from the system or the device is escaped and cut, as in every message.
    static QString describe(const Candidate& candidate);

  private:
    DeviceLink link_;
    QList<Candidate> candidates_;
    int next_ = 0;
    int asked_ = 0;
};

}  // namespace blx52
