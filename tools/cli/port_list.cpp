#include "port_list.h"

#include <cstdio>

#include "link/port_map.h"
#include "link/port_names.h"
#include "link/system_ports.h"
#include "sync/device_finder.h"
#include "sync/port_list.h"
#include "sync/shown_text.h"

namespace blx52::cli {

namespace {

constexpr int Success = 0;
constexpr int NotFound = 1;
constexpr int BadUsage = 2;

void print(const QString& text) {
    std::fputs(text.toLocal8Bit().constData(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

void err(const QString& text) {
    std::fputs(text.toLocal8Bit().constData(), stderr);
    std::fputc('\n', stderr);
}

int usage(const QString& text) {
    err(text);
    err(QStringLiteral("Try blx52-cli --help."));
    return BadUsage;
}

// A name from the system, the port folder or the command line: a link target or a device's
// description may hold anything, and an ESC sequence must not act on the terminal.
QString safe(const QString& text) {
    return shownText(text, 1000);
}

QString openText(PortState state, const QString& detail) {
    if (state == PortState::Free)
        return QStringLiteral("can be opened");
    QString text = QStringLiteral("cannot be opened: ") + portStateText(state);
    if (!detail.isEmpty())
        text += QStringLiteral(" - ") + safe(detail);
    return text;
}

int nameNumber(const QString& name) {
    return mappableNumber(name.toStdString());
}

int find() {
    DeviceFinder finder;
    finder.plan(listSystemPorts());
    QStringList asking;
    for (const auto& c : finder.candidates()) {
        if (c.outcome != DeviceFinder::Outcome::NotAsked)
            asking << safe(c.port.device);
    }
    print(asking.isEmpty() ? QStringLiteral("No free port to ask.")
                           : QStringLiteral("Asking %1 port(s), one after another: %2")
                                 .arg(asking.size())
                                 .arg(asking.join(QStringLiteral(", "))));
    for (const auto& c : finder.candidates()) {
        if (c.outcome == DeviceFinder::Outcome::NotAsked)
            print(QStringLiteral("  ") + DeviceFinder::describe(c));
    }
    for (int i = finder.askNext(); i >= 0; i = finder.askNext()) {
        print(QStringLiteral("  [%1/%2] ").arg(finder.asked()).arg(finder.toAsk()) +
              DeviceFinder::describe(finder.candidates()[i]));
    }
    const auto found = finder.answered();
    if (found.isEmpty()) {
        print(QStringLiteral("No device answered."));
        return NotFound;
    }
    print(QStringLiteral("Found %1 device(s): %2").arg(found.size()).arg([&] {
        QStringList list;
        for (const auto& c : found)
            list << safe(c.port.device);
        return list.join(QStringLiteral(", "));
    }()));
    print(QStringLiteral("Use one as COMn with: blx52-cli ports --assign COMn PORT"));
    return Success;
}

}  // namespace

QString portReport() {
    QStringList out;
    const QList<PortEntry> ports = listSystemPorts();
    out << QStringLiteral("Serial ports (%1):").arg(ports.size());
    for (const PortEntry& p : ports) {
        out << QStringLiteral("  %1").arg(safe(p.device));
        auto field = [&out](const char* label, const QString& value) {
            if (!value.isEmpty())
                out << QStringLiteral("    %1: %2").arg(QLatin1String(label), safe(value));
        };
        field("stable path", p.stablePath);
        field("description", p.description);
        field("manufacturer", p.manufacturer);
        field("serial number", p.serialNumber);
        field("USB VID:PID", p.vidPid);
        field("COM names", p.names.join(QStringLiteral(", ")));
        out << QStringLiteral("    ") + openText(p.state, p.stateDetail);
    }
#ifdef _WIN32
    out << QString()
        << QStringLiteral("COM names (%1):").arg(safe(QString::fromStdString(portMapFile())));
#else
    out << QString()
        << QStringLiteral("COM names (%1):").arg(safe(QString::fromStdString(portsFolder())));
#endif
    for (const PortNameEntry& n : listPortNames()) {
        if (n.target.isEmpty()) {
            out << QStringLiteral("  %1 (no entry, opens %2): %3")
                       .arg(n.name, safe(n.opens), openText(n.state, n.stateDetail));
        } else {
            out << QStringLiteral("  %1 -> %2: %3")
                       .arg(n.name, safe(n.target), openText(n.state, n.stateDetail));
        }
    }
    return out.join(u'\n') + u'\n';
}

int runPortsCommand(const QStringList& args) {
    if (args.isEmpty()) {
        std::fputs(portReport().toLocal8Bit().constData(), stdout);
        return Success;
    }
    const QString& option = args[0];
    std::string error;
    if (option == QStringLiteral("--assign")) {
        QStringList words = args.mid(1);
        const bool force = words.removeAll(QStringLiteral("--force")) > 0;
        if (words.size() != 2)
            return usage(QStringLiteral(
                "ports --assign takes a name COM1 … COM9 and a port, and may take --force"));
        const int n = nameNumber(words[0]);
        if (n == 0)
            return usage(
                QStringLiteral("%1: only COM1 … COM9 can be assigned").arg(safe(words[0])));
        if (!assignPort(n, words[1].toStdString(), error, force)) {
            err(QStringLiteral("%1: %2").arg(words[0], safe(QString::fromStdString(error))));
            if (!force && probePort(words[1].toStdString()).state == PortState::NotATerminal)
                err(QStringLiteral("--force assigns it all the same"));
            return NotFound;
        }
        print(QStringLiteral("%1 -> %2")
                  .arg(words[0], safe(QString::fromStdString(mappedTarget(n)))));
        return Success;
    }
    if (option == QStringLiteral("--unassign")) {
        if (args.size() != 2)
            return usage(QStringLiteral("ports --unassign takes a name COM1 … COM9"));
        const int n = nameNumber(args[1]);
        if (n == 0)
            return usage(QStringLiteral("%1: only COM1 … COM9 can be assigned").arg(safe(args[1])));
        if (!unassignPort(n, error)) {
            err(QStringLiteral("%1: %2").arg(args[1], safe(QString::fromStdString(error))));
            return NotFound;
        }
        print(QStringLiteral("%1 has no entry now").arg(args[1]));
        return Success;
    }
    if (option == QStringLiteral("--find")) {
        if (args.size() != 1)
            return usage(QStringLiteral("ports --find takes no arguments"));
        return find();
    }
    return usage(QStringLiteral("ports: unknown option or argument \"%1\"").arg(safe(option)));
}

}  // namespace blx52::cli
