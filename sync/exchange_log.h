#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "link/device_link.h"

namespace blx52 {

// One row of the exchange log: an exchange as the link left it, or the outcome of an operation
// (read, write, input test, picture send, compare) as a sentence.
struct LogRow {
    enum class Kind { Exchange, Outcome };
    Kind kind = Kind::Exchange;
    qint64 time = 0;    // milliseconds since the epoch: the exchange's start, the outcome's end
    QString operation;  // "read", "write", …; empty outside any operation
    QString port;       // the link's port name; empty for a log on no link
    std::string sent;   // the line without CR LF
    std::string reply;  // the link's LastReply
    std::int32_t code = 0;
    std::vector<std::pair<int, std::string>> statusTexts;  // (panel, UTF-8 text) the link wrote
    QString outcome;

    bool failed() const { return kind == Kind::Exchange && code != link_code::Ok; }
};

// A status bar panel's text as it was shown.
struct PanelEntry {
    qint64 time = 0;
    int panel = 0;
    QString text;
};

// Every exchange of a link, always recorded: a ring of the last Capacity rows. The window's log
// and blx52-cli --log read it; nothing here draws or writes unless someone listens.
class ExchangeLog final : public ExchangeObserver {
  public:
    static constexpr std::size_t Capacity = 20000;
    static constexpr std::size_t PanelCapacity = 2000;

    ExchangeLog() = default;
    ~ExchangeLog() override;
    ExchangeLog(const ExchangeLog&) = delete;
    ExchangeLog& operator=(const ExchangeLog&) = delete;

    // Watches `link` until detach() or the end of the log.
    void attach(DeviceLink& link);
    void detach();

    // Rows between begin and end carry the operation's name; end adds its outcome row.
    // Operations may nest (a compare runs a read): the outermost one names the rows and
    // alone ends with an outcome row.
    void beginOperation(const QString& name);
    void endOperation(const QString& outcome);

    std::size_t size() const { return rows_.size(); }
    const LogRow& row(std::size_t index) const { return rows_[index]; }  // 0 is the oldest kept
    // Rows ever added since the last clear; a view compares it with what it has shown.
    std::uint64_t added() const { return added_; }
    std::uint64_t clears() const { return clears_; }
    void clear();

    void recordPanel(int panel, const QString& text);
    const std::deque<PanelEntry>& panelHistory() const { return panels_; }

    // The first failed exchange since the start or the last clear.
    const std::optional<LogRow>& firstFailure() const { return firstFailure_; }

    // Called with every new row (e.g. a log file), and after any change (a view that is shown).
    void setRowHook(std::function<void(const LogRow&)> hook) { rowHook_ = std::move(hook); }
    void setChangeHook(std::function<void()> hook) { changeHook_ = std::move(hook); }

    void exchangeStarted() override;
    void statusWritten(int panel, const std::string& text) override;
    void exchangeDone(std::string_view sent, std::int32_t code, const std::string& reply) override;

  private:
    QString portName() const;
    void add(LogRow row);

    DeviceLink* link_ = nullptr;
    std::deque<LogRow> rows_;
    std::deque<PanelEntry> panels_;
    std::uint64_t added_ = 0;
    std::uint64_t clears_ = 0;
    int depth_ = 0;
    QString operation_;
    LogRow current_;
    std::optional<LogRow> firstFailure_;
    std::function<void(const LogRow&)> rowHook_;
    std::function<void()> changeHook_;
};

// Printable form of line bytes: text as it stands, other bytes as \xHH, a picture command's data
// as "+ 512 picture bytes".
QString printableLine(const std::string& bytes);

// The one text form of a row, for the log file, the window's copy and its saved text:
//   2026-12-09T14:03:21.042 read sent "getin0pic0t" reply "2000" code 0
//   2026-12-09T14:03:21.080 read sent "getin0pic1t" reply "" code 8 [3] "…" [4] "Fehler 8"
//   2026-12-09T14:03:21.090 read: Read stopped at …
QString logLine(const LogRow& row);
// The time as the window shows it: hours to milliseconds.
QString logTime(qint64 time);
// The status texts of a row, each as [panel] "text".
QString statusTextsLine(const LogRow& row);

// What the link said of a failed exchange: its message and its code, e.g.
// "Com Port konnte nicht geöffnet werden (Fehler 1)"; for a silent device "no answer (link code
// 8)".
QString linkFailureText(const LogRow& row);

}  // namespace blx52
