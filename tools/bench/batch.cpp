// batch: blx52-cli on several ports at once against nine simulators paced at
// 115200 baud, one per port: a write with its verify, and send-pictures, to nine devices
// against the same to one.
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

#include "picture/picture_files.h"
#include "picture/presets.h"
#include "picture/slot_table.h"
#include "sync/profile.h"
#include "sync/settings_store.h"
#include "tools/bench/bench.h"
#include "tools/bench/paced_simulator.h"

namespace blx52::bench {

namespace {

constexpr int Devices = 9;

struct Setup {
    QString cli;
    QString home;
    QString profile;
};

// One run of the tool, in milliseconds; negative when it failed.
double timeCli(const Setup& setup, const QStringList& args) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), setup.home);
    p.setProcessEnvironment(env);
    QElapsedTimer timer;
    timer.start();
    p.start(setup.cli, args);
    if (!p.waitForFinished(600000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        std::fprintf(stderr, "blx52-bench: %s failed:\n%s\n", qPrintable(args.join(u' ').left(200)),
                     p.readAllStandardError().constData());
        return -1;
    }
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

// The two commands in turn, so that a change in the machine's load falls on both alike.
bool compare(const Run& run, const char* what, const Setup& setup, const QStringList& one,
             const QStringList& nine) {
    const int Runs = run.summary ? 5 : 7;
    std::vector<double> a;
    std::vector<double> b;
    for (int run = 0; run < Runs; ++run) {
        a.push_back(timeCli(setup, one));
        b.push_back(timeCli(setup, nine));
        if (a.back() < 0 || b.back() < 0)
            return false;
    }
    std::sort(a.begin(), a.end());
    std::sort(b.begin(), b.end());
    const double medianA = a[a.size() / 2];
    const double medianB = b[b.size() / 2];
    std::printf("%s, %d runs each\n", what, Runs);
    std::printf("  one device:    fastest %6.0f ms   median %6.0f ms\n", a.front(), medianA);
    std::printf("  nine devices:  fastest %6.0f ms   median %6.0f ms\n", b.front(), medianB);
    std::printf("  nine / one:    fastest %6.2f      median %6.2f   (goal: 1.30 or less)\n",
                b.front() / a.front(), medianB / medianA);
    run.add({std::string(what).substr(0, std::string(what).find(' ')) + ", nine devices", medianB,
             "the same, one device", medianA, 1.30});
    return true;
}

}  // namespace

int measureBatch(const Run& run) {
    if (!run.args.empty())
        return 2;
    AppArguments arguments;
    QCoreApplication app(arguments.argc, arguments.argv);
    QTemporaryDir home;
    Setup setup{QCoreApplication::applicationDirPath() + QStringLiteral("/blx52-cli"), home.path(),
                home.filePath(QStringLiteral("start.blx52"))};

    std::vector<std::unique_ptr<devsim::DeviceSimulator>> devices;
    QStringList paths;
    for (int i = 0; i < Devices; ++i) {
        devices.push_back(startPacedSimulator());
        if (!devices.back())
            return 1;
        paths << QString::fromStdString(devices.back()->devicePath());
    }

    SettingsStore store;
    StoreSyncView view(store);
    QByteArray text;
    if (!composeProfile(view, text).isEmpty())
        return 1;
    QFile profile(setup.profile);
    if (!profile.open(QIODevice::WriteOnly) || profile.write(text) != text.size())
        return 1;
    profile.close();
    const QString pictures = home.filePath(QStringLiteral("BLX52_Settings")) + u'/';
    QDir().mkpath(pictures);
    for (const PictureSlot& slot : pictureSlots()) {
        if (saveBitmap(warningTrianglePicture(), bitmapFilePath(slot, pictures)))
            return 1;
    }

    const QString all = paths.join(u',');
    std::printf("blx52-cli against %d simulators paced at 115200 baud, one per port\n", Devices);
    if (!compare(run, "write with verify (178 exchanges a device)", setup,
                 {QStringLiteral("write"), paths.front(), setup.profile},
                 {QStringLiteral("write"), all, setup.profile}) ||
        !compare(run, "send-pictures (25 pictures, 50 exchanges a device)", setup,
                 {QStringLiteral("send-pictures"), paths.front()},
                 {QStringLiteral("send-pictures"), all}))
        return 1;
    return 0;
}

}  // namespace blx52::bench
