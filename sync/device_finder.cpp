#include "device_finder.h"

#include "sync/sequences.h"
#include "sync/shown_text.h"

namespace blx52 {

DeviceFinder::DeviceFinder(SerialPortFactory portFactory)
    : link_(nullptr, std::move(portFactory)) {}

void DeviceFinder::plan(const QList<PortEntry>& ports) {
    candidates_.clear();
    next_ = 0;
    asked_ = 0;
    for (const PortEntry& port : ports) {
        Candidate c;
        c.port = port;
        c.outcome = port.state == PortState::Free ? Outcome::Waiting : Outcome::NotAsked;
        candidates_ << c;
    }
}

int DeviceFinder::toAsk() const {
    int count = 0;
    for (const Candidate& c : candidates_)
        count += c.outcome != Outcome::NotAsked ? 1 : 0;
    return count;
}

bool DeviceFinder::finished() const {
    return asked_ >= toAsk();
}

int DeviceFinder::askNext() {
    while (next_ < candidates_.size() && candidates_[next_].outcome != Outcome::Waiting)
        ++next_;
    if (next_ >= candidates_.size())
        return -1;
    Candidate& c = candidates_[next_];
    link_.PortName = directPortName(c.port).toStdString();
    link_.Exchange("getdatafw", 9);
    ++asked_;
    c.linkCode = link_.LinkErrorCode;
    // Only a firmware version counts: any other whole line (an echo of the command, a modem's
    // "OK") comes from some other device.
    if (link_.LinkErrorCode == link_code::Ok && isFirmwareReply(link_.LastReply)) {
        c.outcome = Outcome::Answered;
        c.firmware = QString::fromStdString(link_.LastReply);
    } else {
        c.outcome = Outcome::NoAnswer;
        if (link_.LinkErrorCode == link_code::Ok)
            c.reply = replyText(link_.LastReply);
    }
    return next_++;
}

QList<DeviceFinder::Candidate> DeviceFinder::answered() const {
    QList<Candidate> out;
    for (const Candidate& c : candidates_) {
        if (c.outcome == Outcome::Answered)
            out << c;
    }
    return out;
}

QString DeviceFinder::describe(const Candidate& c) {
    QString text = shownText(c.port.device, 1000);
    if (!c.port.description.isEmpty())
        text += QStringLiteral(" (%1)").arg(shownText(c.port.description, 100));
    switch (c.outcome) {
        case Outcome::Waiting:
            return text + QStringLiteral(": to be asked");
        case Outcome::NotAsked:
            return text + QStringLiteral(": %1, not asked").arg(portStateText(c.port.state));
        case Outcome::Answered:
            // The name that already leads there, so that nothing needs mapping.
            return text + QStringLiteral(": BLX52, firmware %1").arg(shownText(c.firmware)) +
                   (c.port.names.isEmpty()
                        ? QStringLiteral(", no COM name leads to it")
                        : QStringLiteral(", reached as %1").arg(c.port.names.join(u'/')));
        case Outcome::NoAnswer:
            if (!c.reply.isEmpty())
                return text +
                       QStringLiteral(": no BLX52 (it answered \"%1\")").arg(shownText(c.reply));
            return text + QStringLiteral(": no answer (code %1)").arg(c.linkCode);
    }
    return text;
}

}  // namespace blx52
