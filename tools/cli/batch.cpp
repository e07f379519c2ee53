#include "batch.h"

#include <QRegularExpression>
#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace blx52::cli {

namespace {

struct PortState {
    QString port;
    QString what;  // the running step: "read", "write", "verify", "pictures"
    int done = 0;
    int total = 0;
    bool finished = false;
    bool announced = false;  // its end line is out (not on a terminal)
    int status = 0;
    QString outcome;
    QStringList messages;
};

// Everything the ports' threads report goes through one lock; the main thread prints.
struct Batch {
    std::mutex lock;
    std::condition_variable changed;
    std::vector<PortState> ports;
};

Batch* activeBatch = nullptr;  // set by runOnPorts while its threads run
thread_local PortState* currentPort = nullptr;

bool terminalOutput() {
#ifdef _WIN32
    return _isatty(_fileno(stderr)) != 0;
#else
    return isatty(fileno(stderr)) != 0;
#endif
}

void put(const QString& line) {
    std::fputs(line.toLocal8Bit().constData(), stderr);
    std::fputc('\n', stderr);
}

QString outcomeText(const PortState& p) {
    if (!p.outcome.isEmpty())
        return p.outcome;
    return p.status == 0   ? QStringLiteral("done")
           : p.status == 3 ? QStringLiteral("differs")
                           : QStringLiteral("failed");
}

QString progressText(const PortState& p) {
    if (p.finished)
        return QStringLiteral("%1 %2").arg(p.port, -8).arg(outcomeText(p));
    if (p.total == 0)
        return QStringLiteral("%1 waiting").arg(p.port, -8);
    const int width = 30;
    const int filled = p.done * width / p.total;
    return QStringLiteral("%1 %2 [%3%4] %5/%6")
        .arg(p.port, -8)
        .arg(p.what, -8)
        .arg(QString(filled, u'#'), QString(width - filled, u' '))
        .arg(p.done)
        .arg(p.total);
}

// One line per port, redrawn in place.
void drawLive(const std::vector<PortState>& ports, bool first) {
    QByteArray out;
    if (!first)
        out += "\x1b[" + QByteArray::number(static_cast<int>(ports.size())) + "A";
    for (const PortState& p : ports)
        out += "\r\x1b[2K" + progressText(p).left(100).toLocal8Bit() + "\n";
    std::fwrite(out.constData(), 1, static_cast<std::size_t>(out.size()), stderr);
    std::fflush(stderr);
}

int rank(int status) {
    switch (status) {
        case 0:
            return 0;
        case 3:
            return 1;
        case 1:
            return 2;
        default:
            return 3;
    }
}

}  // namespace

QStringList parsePortList(const QString& word, QString* why) {
    static const QRegularExpression range(QStringLiteral("^COM([0-9]+)-COM([0-9]+)$"),
                                          QRegularExpression::CaseInsensitiveOption);
    QStringList ports;
    const auto fail = [&](const QString& reason) {
        if (why)
            *why = reason;
        return QStringList();
    };
    for (const QString& part : word.split(u',')) {
        const QString name = part.trimmed();
        if (name.isEmpty())
            return fail(QStringLiteral("\"%1\": an empty port name in the list").arg(word));
        const QRegularExpressionMatch m = range.match(name);
        QStringList names;
        if (m.hasMatch()) {
            const int from = m.captured(1).toInt();
            const int to = m.captured(2).toInt();
            if (from > to || to - from > 255)
                return fail(
                    QStringLiteral("\"%1\": a range goes from the lower number up").arg(name));
            for (int n = from; n <= to; ++n)
                names << QStringLiteral("COM%1").arg(n);
        } else {
            names << name;
        }
        for (const QString& n : names) {
            if (ports.contains(n, Qt::CaseInsensitive))
                return fail(QStringLiteral("%1 is named twice").arg(n));
            ports << n;
        }
    }
    return ports;
}

int worseStatus(int a, int b) {
    return rank(a) >= rank(b) ? a : b;
}

bool inBatch() {
    return currentPort != nullptr;
}

bool batchMessage(const QString& text) {
    if (currentPort == nullptr)
        return false;
    std::lock_guard<std::mutex> hold(activeBatch->lock);
    currentPort->messages << text;
    return true;
}

bool batchProgress(const char* what, int done, int total) {
    if (currentPort == nullptr)
        return false;
    {
        std::lock_guard<std::mutex> hold(activeBatch->lock);
        currentPort->what = QString::fromLatin1(what);
        currentPort->done = done;
        currentPort->total = total;
    }
    return true;
}

void batchOutcome(const QString& text) {
    if (currentPort == nullptr)
        return;
    std::lock_guard<std::mutex> hold(activeBatch->lock);
    currentPort->outcome = text;
}

int runOnPorts(const QStringList& ports, const std::function<int(const QString& port)>& job) {
    Batch batch;
    for (const QString& port : ports)
        batch.ports.push_back(PortState{port, {}, 0, 0, false, false, 0, {}, {}});
    activeBatch = &batch;
    const bool live = terminalOutput();

    std::vector<std::thread> threads;
    threads.reserve(batch.ports.size());
    for (PortState& state : batch.ports) {
        threads.emplace_back([&batch, &state, &job] {
            currentPort = &state;
            int status = 2;
            try {
                status = job(state.port);
            } catch (const std::exception& e) {
                batchMessage(
                    QStringLiteral("internal error: %1").arg(QString::fromLocal8Bit(e.what())));
                batchOutcome(QStringLiteral("failed: internal error"));
            }
            currentPort = nullptr;
            {
                std::lock_guard<std::mutex> hold(batch.lock);
                state.status = status;
                state.finished = true;
            }
            batch.changed.notify_one();
        });
    }

    {
        std::unique_lock<std::mutex> hold(batch.lock);
        bool first = true;
        for (;;) {
            const bool all = std::all_of(batch.ports.begin(), batch.ports.end(),
                                         [](const PortState& p) { return p.finished; });
            if (live) {
                drawLive(batch.ports, first);
                first = false;
            } else {
                for (PortState& p : batch.ports) {
                    if (p.finished && !p.announced) {
                        put(progressText(p));
                        p.announced = true;
                    }
                }
            }
            if (all)
                break;
            // A port's end is shown at once; a live screen is redrawn ten times a second.
            batch.changed.wait_for(hold, std::chrono::milliseconds(100));
        }
    }
    for (std::thread& t : threads)
        t.join();
    activeBatch = nullptr;

    int worst = 0;
    for (const PortState& p : batch.ports) {
        for (const QString& m : p.messages)
            put(QStringLiteral("%1: %2").arg(p.port, m));
        worst = worseStatus(worst, p.status);
    }
    int width = 4;
    for (const PortState& p : batch.ports)
        width = std::max(width, static_cast<int>(p.port.size()));
    put(QStringLiteral("%1  %2").arg(QStringLiteral("port"), -width).arg(QStringLiteral("result")));
    for (const PortState& p : batch.ports)
        put(QStringLiteral("%1  %2").arg(p.port, -width).arg(outcomeText(p)));
    return worst;
}

}  // namespace blx52::cli
