#include "port_list.h"

#include <cstdio>

#include "link/port_map.h"
#include "link/port_names.h"
#include "sync/device_finder.h"
#include "sync/port_list.h"

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

QString openText(PortState state, const QString& detail) {
    if (state == PortState::Free)
        return QStringLiteral("can be opened");
    QString text = QStringLiteral("cannot be opened: ") + portStateText(state);
    if (!detail.isEmpty())
        text += QStringLiteral(" - ") + detail;
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
            asking << c.port.device;
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
            list << c.port.device;
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
        out << QStringLiteral("  %1").arg(p.device);
        auto field = [&out](const char* label, const QString& value) {
            if (!value.isEmpty())
                out << QStringLiteral("    %1: %2").arg(QLatin1String(label), value);
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
        << QStringLiteral("COM names (%1):").arg(QString::fromStdString(portMapFile()));
#else
    out << QString()
        << QStringLiteral("COM names (%1):").arg(QString::fromStdString(portsFolder()));
#endif
    for (const PortNameEntry& n : listPortNames()) {
        if (n.target.isEmpty()) {
            out << QStringLiteral("  %1 (no entry, opens %2): %3")
                       .arg(n.name, n.opens, openText(n.state, n.stateDetail));
        } else {
            out << QStringLiteral("  %1 -> %2: %3")
                       .arg(n.name, n.target, openText(n.state, n.stateDetail));
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
        if (args.size() != 3)
            return usage(QStringLiteral("ports --assign takes a name COM1 … COM9 and a port"));
        const int n = nameNumber(args[1]);
        if (n == 0)
            return usage(QStringLiteral("%1: only COM1 … COM9 can be assigned").arg(args[1]));
        if (!assignPort(n, args[2].toStdString(), error)) {
            err(QStringLiteral("%1: %2").arg(args[1], QString::fromStdString(error)));
            return NotFound;
        }
        print(QStringLiteral("%1 -> %2").arg(args[1], QString::fromStdString(mappedTarget(n))));
        return Success;
    }
    if (option == QStringLiteral("--unassign")) {
        if (args.size() != 2)
            return usage(QStringLiteral("ports --unassign takes a name COM1 … COM9"));
        const int n = nameNumber(args[1]);
        if (n == 0)
            return usage(QStringLiteral("%1: only COM1 … COM9 can be assigned").arg(args[1]));
        if (!unassignPort(n, error)) {
            err(QStringLiteral("%1: %2").arg(args[1], QString::fromStdString(error)));
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
    return usage(QStringLiteral("ports: unknown option or argument \"%1\"").arg(option));
}

}  // namespace blx52::cli
