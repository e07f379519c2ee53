#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace blx52 {

// One serial port as the exchange needs it. Each call maps to one step of an exchange so that
// every failure code can be produced by a fake port in tests. The line settings (115200 8N1, no
// flow control) and the read time-outs are fixed; the backend knows them.
class SerialPort {
  public:
    virtual ~SerialPort() = default;

    // Opens the port exclusively. False when it is missing, in use or not permitted.
    virtual bool open(const std::string& portName) = 0;
    // Reads the current line settings of the port (kept for the fields not set below).
    virtual bool readSettings() = 0;
    // Sets 115200 baud, 8 data bits, no parity, one stop bit, no flow control and applies them.
    virtual bool applyLineSettings() = 0;
    // Applies the read time-outs (interval 100 ms, total 10 ms per byte + 1 ms) and the write
    // time-out (WriteTimeoutPerByteMs per byte + WriteTimeoutConstantMs).
    virtual bool applyTimeouts() = 0;
    // Drops input that is still waiting in the port from before this exchange.
    virtual void discardInput() = 0;
    // Blocking write within the write time-out; the number of bytes written, or nothing when the
    // write fails or the time-out ends it before every byte went out.
    virtual std::optional<std::size_t> write(const std::uint8_t* data, std::size_t length) = 0;
    // Reads at most `capacity` bytes within the time-outs; the count (0 after a time-out with
    // nothing received), or nothing when the read fails.
    virtual std::optional<std::size_t> read(std::uint8_t* buffer, std::size_t capacity) = 0;
    virtual void close() = 0;
};

// A device that stops taking data must not hang the program: a write may take this long. The
// line moves a byte in 87 us, so this is over ten times the wire time plus half a second.
inline constexpr int WriteTimeoutPerByteMs = 1;
inline constexpr int WriteTimeoutConstantMs = 500;

using SerialPortFactory = std::function<std::unique_ptr<SerialPort>()>;

// The port of the platform this program was built for (termios or Win32).
std::unique_ptr<SerialPort> makeSystemSerialPort();

}  // namespace blx52
