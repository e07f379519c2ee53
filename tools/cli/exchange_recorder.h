#pragma once

#include <QString>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "link/device_link.h"
#include "link/regular_file.h"
#include "link/serial_port.h"

namespace blx52::cli {

// One exchange as the link left it: the line that went out, the reply, the link code and the
// status texts the link wrote.
struct ExchangeRecord {
    QString time;  // ISO time of the exchange's start, milliseconds
    std::string sent;
    std::string reply;
    std::int32_t code = 0;
    std::vector<std::pair<int, std::string>> statusTexts;
};

// Watches every exchange of one link: the link's status sink, and a wrapper around each port the
// link opens that sees the bytes written. An exchange is complete when the next one starts or
// finish() is called; it then goes to the log file (when one is open) and, if it is the first
// that failed, is kept for the report.
class ExchangeRecorder final : public StatusSink {
  public:
    ExchangeRecorder() = default;

    // The link must be built with portFactory() and this recorder as its sink.
    SerialPortFactory portFactory();
    void attach(const DeviceLink& link) { link_ = &link; }

    // Appends to the file (a regular one only, created when missing).
    FileFault openLog(const std::string& path);
    // The first failed append; the log holds the exchanges before it.
    const FileFault& logFault() const { return logFault_; }
    int loggedExchanges() const { return logged_; }
    void finish();

    const std::optional<ExchangeRecord>& firstFailure() const { return firstFailure_; }
    int exchanges() const { return exchanges_; }
    std::size_t bytesMoved() const { return bytesMoved_; }

    void setPanelText(int panel, const std::string& text) override {
        current_.statusTexts.emplace_back(panel, text);
    }

  private:
    friend class RecordingPort;
    void begin();

    const DeviceLink* link_ = nullptr;
    bool running_ = false;
    ExchangeRecord current_;
    std::optional<ExchangeRecord> firstFailure_;
    int exchanges_ = 0;
    std::size_t bytesMoved_ = 0;
    AppendFile log_;
    FileFault logFault_;
    int logged_ = 0;
};

// Printable form of line bytes: text as it stands, other bytes as \xHH; a picture's data
// shortened to its length.
std::string printableLine(const std::string& bytes);

}  // namespace blx52::cli
