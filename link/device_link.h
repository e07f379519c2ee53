#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "serial_port.h"

namespace blx52 {

// Where the link writes its messages: the main window's status bar panels (counted from 0).
// Texts are UTF-8.
class StatusSink {
  public:
    virtual ~StatusSink() = default;
    virtual void setPanelText(int panel, const std::string& text) = 0;
};

// Sees every exchange of a link: its start, each status text the link writes, and its end with
// the bytes that were to go out (without CR LF), the code and the reply.
class ExchangeObserver {
  public:
    virtual ~ExchangeObserver() = default;
    virtual void exchangeStarted() = 0;
    virtual void statusWritten(int panel, const std::string& text) = 0;
    virtual void exchangeDone(std::string_view sent, std::int32_t code,
                              const std::string& reply) = 0;
};

namespace link_code {
inline constexpr std::int32_t Ok = 0;
inline constexpr std::int32_t OpenFailed = 1;
inline constexpr std::int32_t ReadSettingsFailed = 2;
inline constexpr std::int32_t ApplySettingsFailed = 3;
inline constexpr std::int32_t ApplyTimeoutsFailed = 4;
inline constexpr std::int32_t WriteFailed = 5;
inline constexpr std::int32_t CountMismatch = 6;
inline constexpr std::int32_t ReadFailed = 7;
// The port read went well but nothing at all came back.
inline constexpr std::int32_t NoAnswer = 8;
// Bytes came back, but not as one whole reply line: no CR LF within the 22 bytes (a cut or an
// over-long line). LastReply holds what was extracted, but it is no answer to rely on.
inline constexpr std::int32_t BrokenReply = 9;
}  // namespace link_code

// The serial exchange with the device and the link's program-wide state.
class DeviceLink {
  public:
    static constexpr std::size_t ReplyCapacity = 22;

    explicit DeviceLink(StatusSink* sink = nullptr,
                        SerialPortFactory portFactory = makeSystemSerialPort);

    void setStatusSink(StatusSink* sink) { sink_ = sink; }
    void setObserver(ExchangeObserver* observer) { observer_ = observer; }
    ExchangeObserver* observer() const { return observer_; }

    // One command line: open, configure, send `length` bytes of `command` plus CR LF, read the
    // reply, keep it without its last two bytes, close. Never throws; the outcome is in
    // LinkErrorCode and LastReply.
    void Exchange(std::string_view command, int length);

    std::string PortName = "COM1";
    std::int32_t LinkErrorCode = 0;
    std::string LastReply = "0";

    // Whether the last exchange got as far as writing its line: false when the port could not
    // be opened or configured, so the device cannot have seen that command.
    bool lineWentOut() const { return lineWentOut_; }

  private:
    void fail(std::int32_t code, const char* message);
    void status(int panel, const std::string& text);

    StatusSink* sink_;
    ExchangeObserver* observer_ = nullptr;
    SerialPortFactory portFactory_;
    bool lineWentOut_ = false;
};

}  // namespace blx52
