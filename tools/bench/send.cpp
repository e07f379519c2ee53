// send: "Send to device" of the picture editor, as the window runs it, against the simulator
// paced at 115200 baud, compared with the time its bytes need on the wire.
#include <QApplication>
#include <QTemporaryDir>
#include <cstdio>
#include <string>
#include <vector>

#include "link/device_link.h"
#include "picture/picture_files.h"
#include "picture/presets.h"
#include "picture/slot_table.h"
#include "tools/bench/answer_ok_dialogs.h"
#include "tools/bench/bench.h"
#include "tools/bench/paced_simulator.h"
#include "ui/picture_editor.h"

namespace blx52::bench {

int measureSend(const Run& run) {
    if (!run.args.empty())
        return 2;
    const int runs = run.summary ? 9 : 20;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    AppArguments arguments;
    QApplication app(arguments.argc, arguments.argv);

    const auto device = startPacedSimulator();
    if (!device)
        return 1;
    devsim::DeviceSimulator& simulator = *device;
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
    AnswerOkDialogs dialogs;
    TForm2 form(link, dialogs, settings);
    form.openForSlot(slot.code);

    std::vector<double> times;
    for (int k = 0; k < runs; ++k) {
        times.push_back(timedMs([&] { form.Button4Click(); }));
        if (link.LinkErrorCode != 0 || link.LastReply != "OK") {
            std::fprintf(stderr, "blx52-bench: send %d failed (link code %d, reply '%s')\n", k,
                         link.LinkErrorCode, link.LastReply.c_str());
            return 1;
        }
    }
    if (!simulator.waitForHandled(2u * runs, 5000) ||
        simulator.receivedLines().size() != 2u * runs) {
        std::fprintf(stderr, "blx52-bench: the device did not see every line\n");
        return 1;
    }

    // Out: "getdatafw" CR LF and the 524-byte picture line with CR LF; back: the firmware
    // version and "OK", each with CR LF.
    const std::size_t bytes =
        (9 + 2) + (524 + 2) + (std::string(devsim::FirmwareVersion).size() + 2) + (2 + 2);
    const double wireMs = wireTimeMs(bytes);
    std::sort(times.begin(), times.end());
    const double mid = median(times);
    std::printf("picture send (2 exchanges, device picture file), %d runs\n", runs);
    std::printf("  fastest:             %.1f ms\n", times.front());
    std::printf("  median:              %.1f ms\n", mid);
    std::printf("  slowest:             %.1f ms\n", times.back());
    std::printf("  bytes on the wire:   %zu\n", bytes);
    std::printf("  wire-time limit:     %.1f ms\n", wireMs);
    std::printf("  median / wire limit: %.2f\n", mid / wireMs);
    run.add({"picture send, editor", mid, "wire time", wireMs, 0});
    return dialogs.messages == 0 ? 0 : 1;
}

}  // namespace blx52::bench
