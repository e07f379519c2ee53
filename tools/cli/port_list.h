#pragma once

#include <QString>
#include <QStringList>

namespace blx52::cli {

// The serial ports of this machine with what the system says about each and whether it opens,
// then the names COM1 … COM9 with where each leads. Human-readable, one port a paragraph.
QString portReport();

// `ports` with its options (the words after "ports"): no option lists, --assign COMn PORT,
// --unassign COMn, --find. The exit status.
int runPortsCommand(const QStringList& args);

}  // namespace blx52::cli
