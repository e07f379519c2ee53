// startup: the program's first window on the screen, mapped and painted, against a bare
// QMainWindow of the same size, on the X server of DISPLAY or else on an Xvfb of its own. Each
// window is shown by a process of its own, started in turns, from the start of the process
// (program loading included) to the window's first expose and to the end of its first paint.
#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMainWindow>
#include <QProcess>
#include <QWindow>
#include <chrono>
#include <cstdio>
#include <memory>
#include <optional>
#include <vector>

#include "link/device_link.h"
#include "platform/font_warmup.h"
#include "tools/bench/answer_ok_dialogs.h"
#include "tools/bench/bench.h"
#include "ui/application.h"
#include "ui/built_in_pictures.h"
#include "ui/main_window.h"
#include "ui/picture_editor.h"
#include "ui/start_file.h"

namespace blx52::bench {

namespace {

// The monotonic clock in ms; the same clock in every process of the machine.
double nowMs() {
    return std::chrono::duration<double, std::milli>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// Notes the first expose of the window and the end of the first paint of its top widget.
class FirstPaint : public QObject {
  public:
    double exposedAt = 0;
    double paintedAt = 0;
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Expose && exposedAt == 0 &&
            static_cast<QWindow*>(watched)->isExposed())
            exposedAt = nowMs();
        return false;
    }
};

class PaintWatch : public QObject {
  public:
    explicit PaintWatch(FirstPaint& note) : note_(note) {}
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && note_.paintedAt == 0) {
            // The paint itself runs after the filters: let it, then note the time.
            event->ignore();
            static_cast<QWidget*>(watched)->removeEventFilter(this);
            QCoreApplication::sendEvent(watched, event);
            note_.paintedAt = nowMs();
            return true;
        }
        return false;
    }

  private:
    FirstPaint& note_;
};

// In the child: shows one window, prints "MAPPED PAINTED" on the monotonic clock.
int showOne(bool program) {
    // As main does, first thing; a bare Qt program has nothing of the kind.
    std::optional<FontWarmUp> fonts;
    if (program)
        fonts.emplace();
    AppArguments arguments;
    Application app(arguments.argc, arguments.argv);
    std::optional<EarlyBuiltInPictures> pictures;
    if (program)
        pictures.emplace();
    AnswerOkDialogs dialogs;
    DeviceLink link;
    std::unique_ptr<TForm1> form1;
    std::unique_ptr<TForm2> form2;
    std::unique_ptr<QMainWindow> bare;
    QWidget* window = nullptr;
    if (program) {
        // As the program starts: what the window shows first, the rest once it is on the screen.
        form1 = std::make_unique<TForm1>(link, dialogs, TForm1::Build::ShownPartFirst);
        form1->showPictureFolderGlyphs();
        Application::setWindowIcon(programIcon());
        window = form1.get();
    } else {
        bare = std::make_unique<QMainWindow>();
        bare->resize(1325, 820);
        window = bare.get();
    }
    FirstPaint note;
    PaintWatch paint(note);
    window->installEventFilter(&paint);
    window->winId();
    window->windowHandle()->installEventFilter(&note);
    if (program)
        showAndWaitForFirstPaint(*window);
    else
        window->show();
    QElapsedTimer limit;
    limit.start();
    while ((note.exposedAt == 0 || note.paintedAt == 0) && limit.elapsed() < 10000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    if (note.exposedAt == 0 || note.paintedAt == 0)
        return 1;
    if (program) {
        form1->buildHiddenPart();
        form2 = std::make_unique<TForm2>(link, dialogs);
        connectEditor(*form1, *form2);
    }
    std::printf("%.3f %.3f %s\n", note.exposedAt, note.paintedAt,
                qPrintable(QGuiApplication::platformName()));
    return 0;
}

struct Times {
    std::vector<double> mapped;
    std::vector<double> painted;
};

bool runChild(const QString& self, const char* which, Times& times, QString& platform) {
    QProcess p;
    const double start = nowMs();
    p.start(self,
            {QStringLiteral("startup"), QStringLiteral("--child"), QString::fromLatin1(which)});
    if (!p.waitForFinished(30000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        return false;
    const QList<QByteArray> parts = p.readAllStandardOutput().trimmed().split(' ');
    if (parts.size() != 3)
        return false;
    times.mapped.push_back(parts[0].toDouble() - start);
    times.painted.push_back(parts[1].toDouble() - start);
    platform = QString::fromLatin1(parts[2]);
    return true;
}

// Xvfb on a free display, told by the server itself once it takes connections; empty when it
// cannot be started.
QString startXvfb(QProcess& xvfb) {
    xvfb.start(QStringLiteral("Xvfb"),
               {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                QStringLiteral("0"), QStringLiteral("1920x1080x24"), QStringLiteral("-nolisten"),
                QStringLiteral("tcp")});
    if (!xvfb.waitForStarted(5000))
        return {};
    QByteArray number;
    while (!number.endsWith('\n') && xvfb.waitForReadyRead(5000))
        number += xvfb.readAllStandardOutput();
    bool ok = false;
    number.trimmed().toInt(&ok);
    return ok ? QStringLiteral(":") + QString::fromLatin1(number.trimmed()) : QString();
}

}  // namespace

int measureStartup(const Run& run) {
    if (run.args.size() == 2 && run.args[0] == "--child")
        return showOne(run.args[1] == "program");
    if (!run.args.empty())
        return 2;
    const int rounds = run.summary ? 9 : 15;
    AppArguments arguments;
    QCoreApplication app(arguments.argc, arguments.argv);
    // The windows are measured on an X server; without a display, one of our own.
    QProcess xvfb;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY") &&
        qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
        if (const QString display = startXvfb(xvfb); !display.isEmpty())
            qputenv("DISPLAY", display.toLatin1());
        else
            qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    const QString self = QFileInfo(QString::fromStdString(run.self)).absoluteFilePath();
    Times program;
    Times bare;
    QString platform;
    for (int round = 0; round < rounds; ++round) {
        if (!runChild(self, "program", program, platform) ||
            !runChild(self, "bare", bare, platform)) {
            std::fprintf(stderr, "blx52-bench: a window did not show\n");
            return 1;
        }
    }
    std::printf("first window, from the process's start, %d rounds each, platform %s\n", rounds,
                qPrintable(platform));
    std::printf("  mapped:   main window %.1f ms, bare QMainWindow %.1f ms (%.2f)\n",
                median(program.mapped), median(bare.mapped),
                median(program.mapped) / median(bare.mapped));
    std::printf("  painted:  main window %.1f ms, bare QMainWindow %.1f ms (%.2f)\n",
                median(program.painted), median(bare.painted),
                median(program.painted) / median(bare.painted));
    run.add({"first window mapped", median(program.mapped), "bare QMainWindow mapped",
             median(bare.mapped), 1.3});
    run.add({"first window painted", median(program.painted), "bare QMainWindow painted",
             median(bare.painted), 1.3});
    return 0;
}

}  // namespace blx52::bench
