#include "exchange_recorder.h"

#include <QDateTime>
#include <mutex>

#include "link/escaped_text.h"

namespace blx52::cli {

// The system's port with the bytes it writes seen by the recorder.
class RecordingPort final : public SerialPort {
  public:
    RecordingPort(std::unique_ptr<SerialPort> port, ExchangeRecorder& recorder)
        : port_(std::move(port)), recorder_(recorder) {}

    bool open(const std::string& portName) override { return port_->open(portName); }
    bool readSettings() override { return port_->readSettings(); }
    bool applyLineSettings() override { return port_->applyLineSettings(); }
    bool applyTimeouts() override { return port_->applyTimeouts(); }
    void discardInput() override { port_->discardInput(); }
    std::optional<std::size_t> write(const std::uint8_t* data, std::size_t length) override {
        std::string line(reinterpret_cast<const char*>(data), length);
        if (line.size() >= 2 && line.compare(line.size() - 2, 2, "\r\n") == 0)
            line.resize(line.size() - 2);
        recorder_.current_.sent = std::move(line);
        const auto written = port_->write(data, length);
        if (written)
            recorder_.bytesMoved_ += *written;
        return written;
    }
    std::optional<std::size_t> read(std::uint8_t* buffer, std::size_t capacity) override {
        const auto count = port_->read(buffer, capacity);
        if (count)
            recorder_.bytesMoved_ += *count;
        return count;
    }
    void close() override { port_->close(); }

  private:
    std::unique_ptr<SerialPort> port_;
    ExchangeRecorder& recorder_;
};

SerialPortFactory ExchangeRecorder::portFactory() {
    return [this]() -> std::unique_ptr<SerialPort> {
        begin();
        return std::make_unique<RecordingPort>(makeSystemSerialPort(), *this);
    };
}

bool ExchangeRecorder::openLog(const QString& path) {
    log_.setFileName(path);
    return log_.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text);
}

void ExchangeRecorder::begin() {
    finish();
    running_ = true;
    current_ = {};
    current_.time = QDateTime::currentDateTime().toString(Qt::ISODateWithMs);
}

void ExchangeRecorder::finish() {
    if (!running_)
        return;
    running_ = false;
    ++exchanges_;
    if (link_ != nullptr) {
        current_.reply = link_->LastReply;
        current_.code = link_->LinkErrorCode;
    }
    if (current_.code != link_code::Ok && !firstFailure_)
        firstFailure_ = current_;
    if (log_.isOpen()) {
        const QString line =
            QStringLiteral("%1 %2 sent \"%3\" reply \"%4\" code %5\n")
                .arg(current_.time,
                     link_ != nullptr ? QString::fromStdString(link_->PortName) : QString(),
                     QString::fromStdString(printableLine(current_.sent)),
                     QString::fromStdString(printableLine(current_.reply)))
                .arg(current_.code);
        // The ports of a batch log into one file, each through its own handle: a row goes out
        // whole, at the file's end.
        static std::mutex logLock;
        std::lock_guard<std::mutex> hold(logLock);
        log_.seek(log_.size());
        log_.write(line.toUtf8());
        log_.flush();
    }
}

std::string printableLine(const std::string& bytes) {
    // A picture command: its 12-character key, then binary plane data.
    if (bytes.size() > 40 && bytes.compare(0, 3, "set") == 0)
        return printableLine(bytes.substr(0, 12)) + " +" + std::to_string(bytes.size() - 12) +
               " data bytes";
    return escapedText(bytes, "\\\"");
}

}  // namespace blx52::cli
