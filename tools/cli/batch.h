#pragma once

#include <QString>
#include <QStringList>
#include <functional>

namespace blx52::cli {

// The ports of a command's port word: "COM3", "COM3,COM5,COM7", "COM3-COM9" (ranges and single
// names may be mixed: "COM1,COM4-COM6"), device paths separated by commas. A port named twice,
// a backward range or an empty name is refused with the reason in `why` (the list is empty).
QStringList parsePortList(const QString& word, QString* why);

// The worst of two exit statuses: bad usage or file (2), then a failed device (1), then a
// differing one (3), then success (0).
int worseStatus(int a, int b);

// Runs `job` once per port, each in its own thread. While it runs, the messages, progress and
// outcome of the job's thread go to the batch (below) instead of straight to the terminal: on
// a terminal one live line per port, otherwise one line per port at its end; then each port's
// messages, and a table with one row per port. The exit status is the worst of the ports'.
int runOnPorts(const QStringList& ports, const std::function<int(const QString& port)>& job);

// Whether the calling thread runs a port of a batch.
bool inBatch();

// For the job's thread. Each is false (and does nothing) outside a batch.
bool batchMessage(const QString& text);                     // a message for the port's block
bool batchProgress(const char* what, int done, int total);  // the live line
void batchOutcome(const QString& text);  // the port's table entry: "done" when never set

}  // namespace blx52::cli
