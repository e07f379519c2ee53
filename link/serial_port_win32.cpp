// Serial port on Win32: blocking handle I/O with the device's fixed line settings. The read ends
// as on the other systems: at the first CR LF, when the buffer is full, 100 ms after a byte with
// no further byte, or 10 ms per byte + 1 ms after it began.
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <chrono>

#include "port_names.h"
#include "reply_clock.h"
#include "serial_dcb_win32.h"
#include "serial_port.h"

namespace blx52 {

// Every switch gets its value here: whatever the last program left in the port (a hardware
// handshake, abort on error, XON/XOFF) would otherwise stop reads and writes.
void setLineSettings(DCB& dcb) {
    dcb.DCBlength = sizeof(DCB);
    dcb.BaudRate = CBR_115200;
    dcb.fBinary = TRUE;
    dcb.fParity = FALSE;
    dcb.fOutxCtsFlow = FALSE;
    dcb.fOutxDsrFlow = FALSE;
    dcb.fDtrControl = DTR_CONTROL_ENABLE;
    dcb.fDsrSensitivity = FALSE;
    dcb.fTXContinueOnXoff = TRUE;
    dcb.fOutX = FALSE;
    dcb.fInX = FALSE;
    dcb.fErrorChar = FALSE;
    dcb.fNull = FALSE;
    dcb.fRtsControl = RTS_CONTROL_ENABLE;
    dcb.fAbortOnError = FALSE;
    dcb.wReserved = 0;
    dcb.ByteSize = 8;
    dcb.Parity = NOPARITY;
    dcb.StopBits = ONESTOPBIT;
    // The characters take effect only with the switches above on; the driver rejects equal
    // XON and XOFF characters, so they keep their usual values. XonLim and XoffLim stay the
    // driver's own: they depend on its queue size and act only with flow control.
    dcb.XonChar = 0x11;
    dcb.XoffChar = 0x13;
    dcb.ErrorChar = 0;
    dcb.EofChar = 0;
    // FTDI's driver hands received bytes over when it sees the event character instead of
    // waiting for its latency timer (16 ms by default); every reply ends with LF, so this
    // takes that wait off each exchange. Nothing else uses the event character here.
    dcb.EvtChar = '\n';
}

namespace {

using Clock = ReplyClock::Clock;
using std::chrono::milliseconds;

class Win32SerialPort final : public SerialPort {
  public:
    ~Win32SerialPort() override { close(); }

    bool open(const std::string& portName) override {
        close();
        // The device namespace prefix also reaches COM10 and above; COM1 … COM9 open the same.
        // A name that has the prefix already is taken as it stands, past the mapping.
        const std::string name =
            portName.rfind("\\\\.\\", 0) == 0 ? portName : resolvePortPath(portName);
        const std::string path = name.rfind("\\\\.\\", 0) == 0 ? name : "\\\\.\\" + name;
        readTimeoutSet_ = false;
        handle_ = ::CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                OPEN_EXISTING, 0, nullptr);
        return handle_ != INVALID_HANDLE_VALUE;
    }

    bool readSettings() override {
        settings_ = DCB{};
        settings_.DCBlength = sizeof(DCB);
        return handle_ != INVALID_HANDLE_VALUE && ::GetCommState(handle_, &settings_) != 0;
    }

    bool applyLineSettings() override {
        if (handle_ == INVALID_HANDLE_VALUE)
            return false;
        setLineSettings(settings_);
        return ::SetCommState(handle_, &settings_) != 0;
    }

    bool applyTimeouts() override {
        if (handle_ == INVALID_HANDLE_VALUE)
            return false;
        COMMTIMEOUTS timeouts = writeTimeouts();
        timeouts.ReadIntervalTimeout = static_cast<DWORD>(ReplyClock::IntervalTimeout.count());
        timeouts.ReadTotalTimeoutMultiplier =
            static_cast<DWORD>(ReplyClock::TotalTimeoutPerByte.count());
        timeouts.ReadTotalTimeoutConstant =
            static_cast<DWORD>(ReplyClock::TotalTimeoutConstant.count());
        readTimeoutSet_ = false;
        return ::SetCommTimeouts(handle_, &timeouts) != 0;
    }

    void discardInput() override {
        if (handle_ != INVALID_HANDLE_VALUE)
            ::PurgeComm(handle_, PURGE_RXCLEAR);
    }

    std::optional<std::size_t> write(const std::uint8_t* data, std::size_t length) override {
        if (handle_ == INVALID_HANDLE_VALUE)
            return std::nullopt;
        DWORD written = 0;
        if (::WriteFile(handle_, data, static_cast<DWORD>(length), &written, nullptr) == 0) {
            return std::nullopt;
        }
        // A short write means the time-out ended it: the device stopped taking data.
        if (written != length)
            return std::nullopt;
        return static_cast<std::size_t>(written);
    }

    // One byte per ReadFile, each with a total time-out of the time still left: the interval
    // time-out cannot end a read at CR LF, and the "return what is there" setting
    // (MAXDWORD interval and multiplier) is not honoured by every implementation.
    std::optional<std::size_t> read(std::uint8_t* buffer, std::size_t capacity) override {
        if (handle_ == INVALID_HANDLE_VALUE)
            return std::nullopt;
        ReplyClock clock(capacity);
        std::size_t got = 0;
        while (got < capacity) {
            const auto deadline = clock.deadline();
            const auto now = Clock::now();
            if (now >= deadline)
                break;
            // Rounded up: never zero, which would mean no time-out at all. A time-out already
            // set that ends no later, and not much sooner, is kept (the loop then waits again):
            // each change is a call into the driver, and the time left stays the same while a
            // reply streams in.
            const auto left =
                static_cast<DWORD>(std::chrono::ceil<milliseconds>(deadline - now).count());
            if (!readTimeoutSet_ || readTimeoutMs_ > left || readTimeoutMs_ * 2 < left) {
                COMMTIMEOUTS timeouts = writeTimeouts();
                timeouts.ReadTotalTimeoutConstant = left;
                if (::SetCommTimeouts(handle_, &timeouts) == 0)
                    return std::nullopt;
                readTimeoutSet_ = true;
                readTimeoutMs_ = left;
            }
            DWORD received = 0;
            if (::ReadFile(handle_, buffer + got, 1, &received, nullptr) == 0)
                return std::nullopt;
            if (received == 0)
                continue;  // the time left has run out; the loop ends on the clock
            ++got;
            if (clock.byteReceived(buffer, got))
                break;
        }
        return got;
    }

    void close() override {
        if (handle_ == INVALID_HANDLE_VALUE)
            return;
        ::CloseHandle(handle_);
        handle_ = INVALID_HANDLE_VALUE;
    }

  private:
    static COMMTIMEOUTS writeTimeouts() {
        COMMTIMEOUTS timeouts{};
        timeouts.WriteTotalTimeoutMultiplier = WriteTimeoutPerByteMs;
        timeouts.WriteTotalTimeoutConstant = WriteTimeoutConstantMs;
        return timeouts;
    }

    HANDLE handle_ = INVALID_HANDLE_VALUE;
    // The single-byte read time-out last given to the port, if read() set one since
    // applyTimeouts().
    bool readTimeoutSet_ = false;
    DWORD readTimeoutMs_ = 0;
    DCB settings_{};
};

}  // namespace

std::unique_ptr<SerialPort> makeSystemSerialPort() {
    return std::make_unique<Win32SerialPort>();
}

}  // namespace blx52
