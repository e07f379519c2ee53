// window: a full settings read and a full settings write through the real main window (Read and
// Write clicked, every control rule running, what they changed painted) against the simulator
// paced at 115200 baud, in turns with the very same exchanges through the link alone, so that the
// machine's drift falls on both alike. Then reads with the exchange log window closed and open.
#include <QAction>
#include <QPushButton>
#include <QTemporaryDir>
#include <cstdio>
#include <string>
#include <vector>

#include "link/device_link.h"
#include "sync/device_sync.h"
#include "tools/bench/answer_ok_dialogs.h"
#include "tools/bench/bench.h"
#include "tools/bench/paced_simulator.h"
#include "ui/application.h"
#include "ui/exchange_log_window.h"
#include "ui/main_window.h"

namespace blx52::bench {

namespace {

struct Pair {
    std::vector<double> window;
    std::vector<double> link;
    std::vector<double> paint;  // the window's paint of what the operation changed, after it
};

void report(const char* what, const Pair& pair, int exchanges, std::size_t bytes) {
    const double w = median(pair.window);
    const double l = median(pair.link);
    std::printf("%s, %zu rounds\n", what, pair.window.size());
    std::printf("  exchanges:                %d\n", exchanges);
    std::printf("  window median:            %.1f ms (%.2f ms an exchange)\n", w, w / exchanges);
    std::printf("  link alone median:        %.1f ms\n", l);
    std::printf("  window / link alone:      %.3f (goal 1.02 or less)\n", w / l);
    std::printf("  then painted in:          %.1f ms (median)\n", median(pair.paint));
    std::printf("  wire-time limit:          %.1f ms (window / wire %.2f)\n", wireTimeMs(bytes),
                w / wireTimeMs(bytes));
}

std::size_t bytesOf(const std::vector<std::string>& lines, std::size_t replyBytes) {
    std::size_t bytes = replyBytes;
    for (const std::string& line : lines)
        bytes += line.size() + 2;
    return bytes;
}

}  // namespace

int measureWindow(const Run& run) {
    if (run.args.size() > 1 || (!run.args.empty() && run.args[0][0] == '-'))
        return 2;
    const int rounds = run.summary ? 7 : 11;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // The simulator is registered as COM3 in a ports folder of its own.
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
    AppArguments arguments;
    Application app(arguments.argc, arguments.argv);

    const auto device = startPacedSimulator();
    if (!device)
        return 1;
    devsim::DeviceSimulator& simulator = *device;
    if (!simulator.registerPort("COM3")) {
        std::fprintf(stderr, "blx52-bench: cannot register the simulator as COM3\n");
        return 1;
    }
    AnswerOkDialogs dialogs;
    DeviceLink link;
    link.PortName = "COM3";
    TForm1 form(link, dialogs);
    form.show();
    Application::processEvents();
    QPushButton* read = form.button(QStringLiteral("Button1"));
    QPushButton* write = form.button(QStringLiteral("Button2"));
    auto click = [](QPushButton* button) {
        button->click();
        Application::processEvents();
    };

    // The exchanges each operation makes, as the device saw them, to replay through the link.
    simulator.clearReceived();
    click(read);
    const std::vector<std::string> readLines = simulator.receivedLines();
    if (!run.args.empty() && !form.grab().save(QString::fromStdString(run.args[0])))
        std::fprintf(stderr, "blx52-bench: cannot save %s\n", run.args[0].c_str());
    simulator.clearReceived();
    click(write);
    const std::vector<std::string> writeLines = simulator.receivedLines();

    // The operation runs to its end inside the click (the goal's figure); what it changed is
    // painted after it, timed apart.
    Pair reads;
    Pair writes;
    bool allDone = true;
    std::size_t readBytes = 0;
    for (int round = 0; round < rounds; ++round) {
        int failures = 0;
        reads.window.push_back(timedMs([&] { read->click(); }));
        reads.paint.push_back(timedMs([] { Application::processEvents(); }));
        allDone = allDone && form.deviceSync().lastRead().successes == 89;
        reads.link.push_back(linkExchangesMs("COM3", readLines, &failures, &readBytes));
        writes.window.push_back(timedMs([&] { write->click(); }));
        writes.paint.push_back(timedMs([] { Application::processEvents(); }));
        allDone = allDone && form.deviceSync().lastWrite().successes == 89;
        writes.link.push_back(linkExchangesMs("COM3", writeLines, &failures));
        allDone = allDone && failures == 0;
    }
    const int readCount = static_cast<int>(readLines.size());
    const int writeCount = static_cast<int>(writeLines.size());
    report("full read, main window against the link alone", reads, readCount, readBytes);
    report("full write, main window against the link alone", writes, writeCount,
           bytesOf(writeLines, 4 * writeLines.size()));
    run.add({"read, main window", median(reads.window), "same exchanges, link alone",
             median(reads.link), 1.02});
    run.add({"write, main window", median(writes.window), "same exchanges, link alone",
             median(writes.link), 1.02});

    if (!run.summary) {
        // The log's cost: reads in turns with its window closed and open.
        std::vector<double> closedMs;
        std::vector<double> openMs;
        form.findChild<QAction*>(QStringLiteral("ExchangeLog1"))->trigger();
        ExchangeLogWindow* logWindow = form.exchangeLogWindow();
        for (int round = 0; round < rounds; ++round) {
            for (const bool open : {false, true}) {
                logWindow->setVisible(open);
                Application::processEvents();
                // What the open log window draws of the read counts here.
                (open ? openMs : closedMs).push_back(timedMs([&] { click(read); }));
                allDone = allDone && form.deviceSync().lastRead().successes == 89;
            }
        }
        const double closed = median(closedMs);
        const double opened = median(openMs);
        std::printf("full read, exchange log window closed / open (%d rounds each)\n", rounds);
        std::printf("  median closed/open:       %.1f / %.1f ms (%+.1f %%)\n", closed, opened,
                    (opened / closed - 1.0) * 100.0);
        std::printf("  log rows kept:            %zu\n", form.exchangeLog().size());
    }
    return allDone && dialogs.messages == 0 ? 0 : 1;
}

}  // namespace blx52::bench
