// blx52-bench-window: times a full settings read and a full settings write through the real main
// window (Read and Write clicked, every control rule running) against the simulator paced at
// 115200 baud, and compares them with the time their bytes need on the wire. With a file name
// as argument it also saves a picture of the window as the read left it. Then it times full
// reads with the exchange log window closed and open, in turns, and gives the log's cost.
#include <QAction>
#include <QPushButton>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "link/device_link.h"
#include "sync/device_sync.h"
#include "sync/sequences.h"
#include "tools/bench-common/answer_ok_dialogs.h"
#include "tools/bench-common/wire_time.h"
#include "tools/devsim/device_simulator.h"
#include "ui/application.h"
#include "ui/dialogs.h"
#include "ui/exchange_log_window.h"
#include "ui/main_window.h"

namespace {

using namespace blx52;

void report(const char* what, double ms, const DeviceSync::Outcome& outcome, std::size_t bytes) {
    std::printf("%s\n", what);
    std::printf("  exchanges:           %d (%d succeeded)\n", outcome.steps, outcome.successes);
    std::printf("  total:               %.1f ms\n", ms);
    std::printf("  per exchange:        %.2f ms\n", ms / outcome.steps);
    std::printf("  bytes on the wire:   %zu\n", bytes);
    std::printf("  wire-time limit:     %.1f ms\n", bench::wireTimeMs(bytes));
    std::printf("  total / wire limit:  %.2f\n", ms / bench::wireTimeMs(bytes));
}

template <class F>
double timed(F&& run) {
    const auto start = std::chrono::steady_clock::now();
    run();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

const char* const UsageText =
    "usage: blx52-bench-window [PICTURE.png]\n"
    "Times a full read and a full write through the main window against the simulator paced at\n"
    "115200 baud, then full reads with the exchange log window closed and open.\n"
    "PICTURE.png: also save a picture of the window as the first read left it.\n";

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::fputs(UsageText, stdout);
        return 0;
    }
    if (argc > 2 || (argc > 1 && argv[1][0] == '-')) {
        std::fprintf(stderr, "blx52-bench-window: unexpected argument %s\n%s", argv[argc - 1],
                     UsageText);
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // The simulator is registered as COM3 in a ports folder of its own.
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
    Application app(argc, argv);

    devsim::Options options;
    options.paced = true;
    devsim::DeviceSimulator simulator(options);
    if (!simulator.start() || !simulator.registerPort("COM3")) {
        std::fprintf(stderr, "blx52-bench-window: cannot start the simulator\n");
        return 1;
    }
    bench::AnswerOkDialogs dialogs;
    DeviceLink link;
    link.PortName = "COM3";
    TForm1 form(link, dialogs);
    form.show();

    // Bytes both ways: each line with CR LF, each reply with CR LF.
    std::size_t readBytes = 0;
    for (const auto& step : readSequence())
        readBytes += step.key.size() + 2 + simulator.value(step.key.substr(3)).size() + 2;
    const double readMs = timed([&] { form.button(QStringLiteral("Button1"))->click(); });
    const DeviceSync::Outcome read = form.deviceSync().lastRead();
    if (argc > 1 && !form.grab().save(QString::fromLocal8Bit(argv[1])))
        std::fprintf(stderr, "blx52-bench-window: cannot save %s\n", argv[1]);

    simulator.clearReceived();
    const double writeMs = timed([&] { form.button(QStringLiteral("Button2"))->click(); });
    std::size_t writeBytes = 0;
    for (const auto& line : simulator.receivedLines())
        writeBytes += line.size() + 2 + 4;  // reply "OK" CR LF

    report("full read through the main window", readMs, read, readBytes);
    report("full write through the main window", writeMs, form.deviceSync().lastWrite(),
           writeBytes);
    // The log's cost: reads in turns with its window closed and open, so drift hits both alike.
    constexpr int Rounds = 11;
    std::vector<double> closedMs;
    std::vector<double> openMs;
    bool allRead = true;
    form.findChild<QAction*>(QStringLiteral("ExchangeLog1"))->trigger();
    ExchangeLogWindow* logWindow = form.exchangeLogWindow();
    for (int round = 0; round < Rounds; ++round) {
        for (const bool open : {false, true}) {
            logWindow->setVisible(open);
            Application::processEvents();
            const double ms = timed([&] {
                form.button(QStringLiteral("Button1"))->click();
                // What the open window draws of the read counts too.
                Application::processEvents();
            });
            allRead = allRead && form.deviceSync().lastRead().successes == 89;
            (open ? openMs : closedMs).push_back(ms);
        }
    }
    const double closed = median(closedMs);
    const double opened = median(openMs);
    // The fastest round is the one least disturbed by other work on the machine.
    const double closedBest = *std::min_element(closedMs.begin(), closedMs.end());
    const double openBest = *std::min_element(openMs.begin(), openMs.end());
    std::printf("full read, exchange log window closed / open (%d rounds each)\n", Rounds);
    std::printf("  median closed/open:  %.1f / %.1f ms (%+.1f %%)\n", closed, opened,
                (opened / closed - 1.0) * 100.0);
    std::printf("  fastest closed/open: %.1f / %.1f ms (%+.1f %%)\n", closedBest, openBest,
                (openBest / closedBest - 1.0) * 100.0);
    std::printf("  log rows kept:       %zu\n", form.exchangeLog().size());

    const bool ok = read.successes == 89 && form.deviceSync().lastWrite().successes == 89 &&
                    dialogs.messages == 0 && allRead;
    return ok ? 0 : 1;
}
