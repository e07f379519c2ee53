// Serial port on Win32: blocking handle I/O with the device's fixed line settings and the
// COMMTIMEOUTS that bound every read.
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include "serial_port.h"

namespace blx52 {

namespace {

class Win32SerialPort final : public SerialPort {
  public:
    ~Win32SerialPort() override { close(); }

    bool open(const std::string& portName) override {
        close();
        // The device namespace prefix also reaches COM10 and above; COM1 … COM9 open the same.
        const std::string path = "\\\\.\\" + portName;
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
        settings_.DCBlength = sizeof(DCB);
        settings_.BaudRate = CBR_115200;
        settings_.ByteSize = 8;
        settings_.Parity = NOPARITY;
        settings_.StopBits = ONESTOPBIT;
        settings_.fOutxCtsFlow = FALSE;
        settings_.fOutxDsrFlow = FALSE;
        settings_.fDsrSensitivity = FALSE;
        settings_.fOutX = FALSE;
        settings_.fInX = FALSE;
        return ::SetCommState(handle_, &settings_) != 0;
    }

    bool applyTimeouts() override {
        if (handle_ == INVALID_HANDLE_VALUE)
            return false;
        COMMTIMEOUTS timeouts{};
        timeouts.ReadIntervalTimeout = 100;
        timeouts.ReadTotalTimeoutMultiplier = 10;
        timeouts.ReadTotalTimeoutConstant = 1;
        timeouts.WriteTotalTimeoutMultiplier = 0;
        timeouts.WriteTotalTimeoutConstant = 0;
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
        return static_cast<std::size_t>(written);
    }

    std::optional<std::size_t> read(std::uint8_t* buffer, std::size_t capacity) override {
        if (handle_ == INVALID_HANDLE_VALUE)
            return std::nullopt;
        DWORD received = 0;
        if (::ReadFile(handle_, buffer, static_cast<DWORD>(capacity), &received, nullptr) == 0) {
            return std::nullopt;
        }
        return static_cast<std::size_t>(received);
    }

    void close() override {
        if (handle_ == INVALID_HANDLE_VALUE)
            return;
        ::CloseHandle(handle_);
        handle_ = INVALID_HANDLE_VALUE;
    }

  private:
    HANDLE handle_ = INVALID_HANDLE_VALUE;
    DCB settings_{};
};

}  // namespace

std::unique_ptr<SerialPort> makeSystemSerialPort() {
    return std::make_unique<Win32SerialPort>();
}

}  // namespace blx52
