// blx52-bench-batch: times blx52-cli on several ports at once against nine simulators paced at
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
#include "tools/devsim/device_simulator.h"

namespace {

using namespace blx52;

constexpr int Devices = 9;
constexpr int Runs = 3;

struct Setup {
    QString cli;
    QString home;
    QString profile;
};

// The median of `Runs` runs of the tool, in milliseconds; negative when one failed.
double timeCli(const Setup& setup, const QStringList& args) {
    std::vector<double> times;
    for (int run = 0; run < Runs; ++run) {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("HOME"), setup.home);
        p.setProcessEnvironment(env);
        p.setProcessChannelMode(QProcess::ForwardedOutputChannel);
        QElapsedTimer timer;
        timer.start();
        p.start(setup.cli, args);
        if (!p.waitForFinished(600000) || p.exitStatus() != QProcess::NormalExit ||
            p.exitCode() != 0) {
            std::fprintf(stderr, "blx52-bench-batch: %s failed:\n%s\n",
                         qPrintable(args.join(u' ').left(200)),
                         p.readAllStandardError().constData());
            return -1;
        }
        times.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

bool compare(const char* what, const Setup& setup, const QStringList& one,
             const QStringList& nine) {
    const double a = timeCli(setup, one);
    const double b = timeCli(setup, nine);
    if (a < 0 || b < 0)
        return false;
    std::printf("%s (median of %d runs)\n", what, Runs);
    std::printf("  one device:     %8.0f ms\n", a);
    std::printf("  nine devices:   %8.0f ms\n", b);
    std::printf("  nine / one:     %8.2f   (goal: 1.30 or less)\n", b / a);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTemporaryDir home;
    Setup setup{QCoreApplication::applicationDirPath() + QStringLiteral("/blx52-cli"), home.path(),
                home.filePath(QStringLiteral("start.blx52"))};

    std::vector<std::unique_ptr<devsim::DeviceSimulator>> devices;
    QStringList paths;
    for (int i = 0; i < Devices; ++i) {
        devsim::Options options;
        options.paced = true;
        devices.push_back(std::make_unique<devsim::DeviceSimulator>(options));
        if (!devices.back()->start()) {
            std::fprintf(stderr, "blx52-bench-batch: cannot start simulator %d\n", i + 1);
            return 1;
        }
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
    if (!compare("write with verify (178 exchanges a device)", setup,
                 {QStringLiteral("write"), paths.front(), setup.profile},
                 {QStringLiteral("write"), all, setup.profile}) ||
        !compare("send-pictures (25 pictures, 50 exchanges a device)", setup,
                 {QStringLiteral("send-pictures"), paths.front()},
                 {QStringLiteral("send-pictures"), all}))
        return 1;
    return 0;
}
