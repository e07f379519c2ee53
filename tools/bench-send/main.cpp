// blx52-bench-send: times "Send to device" of the picture editor, as the window runs it, against
// the simulator paced at 115200 baud, and compares it with the time its bytes need on the wire.
#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <vector>

#include "link/device_link.h"
#include "picture/picture_files.h"
#include "picture/presets.h"
#include "picture/slot_table.h"
#include "tools/bench-common/answer_ok_dialogs.h"
#include "tools/bench-common/wire_time.h"
#include "tools/devsim/device_simulator.h"
#include "ui/picture_editor.h"

namespace {

using namespace blx52;

constexpr int Runs = 20;

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1) {
        const bool help = std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0;
        std::fputs(
            "usage: blx52-bench-send\n"
            "Times picture sends through the editor's send (two exchanges and the device\n"
            "picture file) against the simulator paced at 115200 baud.\n",
            help ? stdout : stderr);
        return help ? 0 : 2;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    devsim::Options options;
    options.paced = true;
    devsim::DeviceSimulator simulator(options);
    if (!simulator.start()) {
        std::fprintf(stderr, "blx52-bench-send: cannot start the simulator\n");
        return 1;
    }
    QTemporaryDir folder;
    const QString settings = folder.path() + QStringLiteral("/");
    const PictureSlot& slot = *findSlot(100);
    // Every colour in the data, and bytes 10 and 13 among it.
    Picture picture = warningTrianglePicture();
    picture.setPixel(4, 0, LedColor::Yellow);
    picture.setPixel(6, 0, LedColor::Red);
    if (saveBitmap(picture, bitmapFilePath(slot, settings)))
        return 1;

    DeviceLink link;
    link.PortName = simulator.devicePath();
    bench::AnswerOkDialogs dialogs;
    TForm2 form(link, dialogs, settings);
    form.openForSlot(slot.code);

    std::vector<double> times;
    for (int run = 0; run < Runs; ++run) {
        const auto start = std::chrono::steady_clock::now();
        form.Button4Click();
        const std::chrono::duration<double, std::milli> ms =
            std::chrono::steady_clock::now() - start;
        times.push_back(ms.count());
        if (link.LinkErrorCode != 0 || link.LastReply != "OK") {
            std::fprintf(stderr, "blx52-bench-send: send %d failed (link code %d, reply '%s')\n",
                         run, link.LinkErrorCode, link.LastReply.c_str());
            return 1;
        }
    }
    if (!simulator.waitForHandled(2 * Runs, 5000) ||
        simulator.receivedLines().size() != 2u * Runs) {
        std::fprintf(stderr, "blx52-bench-send: the device did not see every line\n");
        return 1;
    }

    // Out: "getdatafw" CR LF and the 524-byte picture line with CR LF; back: the firmware
    // version and "OK", each with CR LF.
    const std::size_t bytes =
        (9 + 2) + (524 + 2) + (std::string(devsim::FirmwareVersion).size() + 2) + (2 + 2);
    const double wireMs = bench::wireTimeMs(bytes);
    std::sort(times.begin(), times.end());
    std::printf("picture send (2 exchanges, device picture file), %d runs\n", Runs);
    std::printf("  fastest:             %.1f ms\n", times.front());
    std::printf("  median:              %.1f ms\n", times[times.size() / 2]);
    std::printf("  slowest:             %.1f ms\n", times.back());
    std::printf("  bytes on the wire:   %zu\n", bytes);
    std::printf("  wire-time limit:     %.1f ms\n", wireMs);
    std::printf("  median / wire limit: %.2f\n", times[times.size() / 2] / wireMs);
    return 0;
}
