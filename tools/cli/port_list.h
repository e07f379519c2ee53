#pragma once

#include <QString>

namespace blx52::cli {

// The serial ports of this machine, and on Linux the COMn names of the port folder with what
// they open and whether this user may open it. Human-readable, one port a paragraph.
QString portReport();

// Why this user cannot open the device at `path`, or nothing when it can.
QString whyNotOpenable(const QString& path);

}  // namespace blx52::cli
