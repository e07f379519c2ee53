// cli: `blx52-cli read PORT -o FILE` as a whole process, in turns with `blx52-bench read --port
// PORT` as a whole process (the link alone), against one simulator paced at 115200 baud.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>
#include <vector>

#include "tools/bench/bench.h"
#include "tools/bench/paced_simulator.h"

namespace blx52::bench {

namespace {

// One run of a program, in milliseconds from its start to its end; negative when it failed.
double timeProcess(const QString& program, const QStringList& args) {
    QProcess p;
    QElapsedTimer timer;
    timer.start();
    p.start(program, args);
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        std::fprintf(stderr, "blx52-bench: %s %s failed:\n%s\n", qPrintable(program),
                     qPrintable(args.join(u' ')), p.readAllStandardError().constData());
        return -1;
    }
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

}  // namespace

int measureCli(const Run& run) {
    if (!run.args.empty())
        return 2;
    const int rounds = run.summary ? 7 : 11;
    AppArguments arguments;
    QCoreApplication app(arguments.argc, arguments.argv);
    const QString self = QFileInfo(QString::fromStdString(run.self)).absoluteFilePath();
    const QString cli = QFileInfo(self).absolutePath() + QStringLiteral("/blx52-cli");
    QTemporaryDir home;

    const auto device = startPacedSimulator();
    if (!device)
        return 1;
    devsim::DeviceSimulator& simulator = *device;
    const QString port = QString::fromStdString(simulator.devicePath());
    const QString out = home.filePath(QStringLiteral("read.blx52"));
    std::vector<double> cliMs;
    std::vector<double> linkMs;
    for (int round = 0; round < rounds; ++round) {
        cliMs.push_back(
            timeProcess(cli, {QStringLiteral("read"), port, QStringLiteral("-o"), out}));
        linkMs.push_back(
            timeProcess(self, {QStringLiteral("read"), QStringLiteral("--port"), port}));
        if (cliMs.back() < 0 || linkMs.back() < 0)
            return 1;
    }
    const double c = median(cliMs);
    const double l = median(linkMs);
    std::printf("blx52-cli read against the link's read, whole processes, %d rounds\n", rounds);
    std::printf("  blx52-cli read -o FILE:   median %.1f ms\n", c);
    std::printf("  blx52-bench read --port:  median %.1f ms\n", l);
    std::printf("  ratio:                    %.3f (goal 1.03 or less)\n", c / l);
    run.add({"blx52-cli read, whole process", c, "link read, whole process", l, 1.03});
    return 0;
}

}  // namespace blx52::bench
