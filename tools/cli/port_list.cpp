#include "port_list.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>

#include "link/port_names.h"
#include "link/serial_port.h"

#ifdef BLX52_HAVE_SERIALPORT
#include <QSerialPortInfo>
#endif

#ifdef Q_OS_UNIX
#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <vector>
#endif

namespace blx52::cli {

namespace {

#ifdef Q_OS_UNIX
bool inGroup(gid_t gid) {
    if (getegid() == gid)
        return true;
    const int count = getgroups(0, nullptr);
    if (count <= 0)
        return false;
    std::vector<gid_t> groups(static_cast<std::size_t>(count));
    const int got = getgroups(count, groups.data());
    for (int i = 0; i < got; ++i) {
        if (groups[static_cast<std::size_t>(i)] == gid)
            return true;
    }
    return false;
}

QString groupName(gid_t gid) {
    if (const group* g = getgrgid(gid))
        return QString::fromLocal8Bit(g->gr_name);
    return QString::number(gid);
}
#endif

}  // namespace

QString whyNotOpenable(const QString& path) {
#ifdef Q_OS_UNIX
    const QByteArray native = QFile::encodeName(path);
    // As the exchange opens it, so "can be opened" holds for read and write too.
    const PortCheck check = checkPortPath(native.toStdString());
    struct stat info {};
    switch (check.state) {
        case PortCheck::Openable:
            return {};
        case PortCheck::Missing:
            return QStringLiteral("missing: the device does not exist (adapter unplugged?)");
        case PortCheck::NotATerminal:
            return QStringLiteral("not a terminal: %1").arg(QString::fromStdString(check.detail));
        case PortCheck::Busy:
            return QStringLiteral("busy: another program holds it");
        case PortCheck::NoPermission:
            if (stat(native.constData(), &info) == 0 && !inGroup(info.st_gid) &&
                (info.st_mode & S_IRWXG) == (S_IRGRP | S_IWGRP)) {
                return QStringLiteral(
                           "no permission: the device belongs to group \"%1\" and you are not "
                           "in it (sudo usermod -aG %1 $USER, then log in again)")
                    .arg(groupName(info.st_gid));
            }
            if (stat(native.constData(), &info) == 0)
                return QStringLiteral("no permission (mode %1, group \"%2\")")
                    .arg(QString::number(info.st_mode & 0777, 8), groupName(info.st_gid));
            return QStringLiteral("no permission");
        case PortCheck::Failed:
            break;
    }
    return QString::fromLocal8Bit(check.detail.c_str());
#else
    Q_UNUSED(path);
    return {};
#endif
}

QString portReport() {
    QStringList out;
#ifdef BLX52_HAVE_SERIALPORT
    const auto ports = QSerialPortInfo::availablePorts();
    out << QStringLiteral("Serial ports (%1):").arg(ports.size());
    for (const QSerialPortInfo& p : ports) {
        out << QStringLiteral("  %1").arg(p.systemLocation());
        auto field = [&out](const char* label, const QString& value) {
            if (!value.isEmpty())
                out << QStringLiteral("    %1: %2").arg(QLatin1String(label), value);
        };
        field("description", p.description());
        field("manufacturer", p.manufacturer());
        field("serial number", p.serialNumber());
        const QString why = whyNotOpenable(p.systemLocation());
        out << (why.isEmpty() ? QStringLiteral("    can be opened")
                              : QStringLiteral("    cannot be opened: ") + why);
    }
#else
    out << QStringLiteral("Serial ports: not available in this build (no Qt Serial Port).");
#endif
#ifdef Q_OS_LINUX
    const QString folder = QString::fromStdString(portsFolder());
    out << QString() << QStringLiteral("COM names (%1):").arg(folder);
    int mapped = 0;
    for (int n = 1; n <= 9; ++n) {
        const QString name = QStringLiteral("COM%1").arg(n);
        const QFileInfo entry(QDir(folder).filePath(name));
        if (!entry.exists() && !entry.isSymLink())
            continue;
        ++mapped;
        const QString target = entry.isSymLink() ? entry.symLinkTarget() : entry.absoluteFilePath();
        const QString why = whyNotOpenable(entry.absoluteFilePath());
        out << QStringLiteral("  %1 -> %2: %3")
                   .arg(name, target,
                        why.isEmpty() ? QStringLiteral("can be opened")
                                      : QStringLiteral("cannot be opened: ") + why);
    }
    if (mapped == 0)
        out << QStringLiteral("  none");
    out << QStringLiteral("  A COMn without an entry opens /dev/ttyS<n-1>.");
#endif
    return out.join(u'\n') + u'\n';
}

}  // namespace blx52::cli
