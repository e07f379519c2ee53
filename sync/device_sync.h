#pragma once

#include <QString>
#include <array>
#include <functional>

#include "link/device_link.h"
#include "sync/exchange_log.h"
#include "sync/sync_view.h"

namespace blx52 {

// The read, the write and the input tests of the main window. The window owns one instance
// and forwards its handlers:
//   Button1Click -> readClick()          Memo43Change -> readTriggerChanged(Memo43's text)
//   Button2Click -> writeClick()         Memo42Change -> writeTriggerChanged(Memo42's text)
//   Button6Click / Button7Click / Button8Click -> inputTestClick(0 / 1 / 2)
class DeviceSync {
  public:
    // Counts of the last read or write that ran its exchanges.
    struct Outcome {
        int steps = 0;
        int successes = 0;
    };

    DeviceSync(DeviceLink& link, SyncView& view) : link_(link), view_(view) {}

    // Where each operation's exchanges are named and its outcome is told; none by default.
    void setLog(ExchangeLog* log) { log_ = log; }
    // The last operation's outcome as one sentence, e.g. "Read 89 of 89 settings".
    const QString& lastOutcomeText() const { return lastOutcomeText_; }

    // Port warning, then "5" into the read trigger memo (or "0" on cancel).
    void readClick();
    // The read itself; acts only on "5". It stops at the first step whose exchange failed or
    // whose reply is no valid value for its setting, so every setting holds either exactly what
    // the device sent for it or what it held before. A conversion error of a read target ends
    // the read as well; it propagates after the closing steps have run.
    void readTriggerChanged(const QString& text);

    // Port warning, then "2" into the write trigger memo (or "0" on cancel).
    void writeClick();
    // The write itself; acts only on "2". It stops at the first entry the device did not
    // confirm and says how many went out.
    void writeTriggerChanged(const QString& text);

    // Toggles the test output of input 0, 1 or 2.
    void inputTestClick(int input);
    bool inputTestOn(int input) const { return inputTestOn_.at(static_cast<std::size_t>(input)); }

    // Asked before each exchange of a read or write: true ends it there, as a failed step would,
    // after the exchange in flight (the command-line tool on a signal).
    void setStopRequest(std::function<bool()> request) { stopRequest_ = std::move(request); }

    const Outcome& lastRead() const { return lastRead_; }
    const Outcome& lastWrite() const { return lastWrite_; }

  private:
    // Where a read or write stopped (a setting's name) and why.
    struct Stop {
        QString where;
        QString reason;
        QString logReason;  // the reason in the log's words
    };

    void begin(const QString& operation);
    void end(const QString& outcome);

    void warnIfNoAnswer();
    bool confirmAndTrigger(std::string_view strip, std::string_view trigger,
                           const QString& startText);

    DeviceLink& link_;
    SyncView& view_;
    bool stopRequested() const { return stopRequest_ && stopRequest_(); }

    std::function<bool()> stopRequest_;
    std::array<bool, 3> inputTestOn_{};
    Outcome lastRead_;
    Outcome lastWrite_;
    ExchangeLog* log_ = nullptr;
    QString lastOutcomeText_;
};

}  // namespace blx52
