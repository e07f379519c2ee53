// Serial port on termios. termios has no read time-outs that fit, so the read keeps the device's
// time-outs on the clock (ReplyClock) and polls.
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#ifdef __linux__
#include <linux/serial.h>
#endif

#include <cerrno>
#include <chrono>
#include <cstring>

#include "port_names.h"
#include "reply_clock.h"
#include "serial_port.h"

namespace blx52 {

namespace {

using Clock = ReplyClock::Clock;
using std::chrono::milliseconds;

// USB serial adapters hold received bytes up to their latency timer (16 ms on common FTDI chips),
// which would add that to every reply. Ask the driver to pass bytes on at once; drivers without
// the setting (a pseudo-terminal) refuse, and the port works as it is.
void requestLowLatency(int fd) {
#ifdef __linux__
    serial_struct serial{};
    if (::ioctl(fd, TIOCGSERIAL, &serial) == 0 && (serial.flags & ASYNC_LOW_LATENCY) == 0) {
        serial.flags |= ASYNC_LOW_LATENCY;
        ::ioctl(fd, TIOCSSERIAL, &serial);
    }
#else
    (void)fd;
#endif
}

int pollTimeoutMs(Clock::duration left) {
    // Rounded up so that the loop never spins on a timeout that is not yet due.
    const auto ms = std::chrono::ceil<milliseconds>(left).count();
    return ms < 0 ? 0 : static_cast<int>(ms);
}

class PosixSerialPort final : public SerialPort {
  public:
    ~PosixSerialPort() override { close(); }

    bool open(const std::string& portName) override {
        close();
        const std::string path = resolvePortPath(portName);
        // Non-blocking, so the open never waits for a carrier; reads and writes poll.
        const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0)
            return false;
        // Held exclusively as on Windows: flock holds for root too, TIOCEXCL for other openers.
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0 || ::ioctl(fd, TIOCEXCL) != 0) {
            ::close(fd);
            return false;
        }
        requestLowLatency(fd);
        fd_ = fd;
        return true;
    }

    bool readSettings() override {
        settings_ = termios{};
        return fd_ >= 0 && ::tcgetattr(fd_, &settings_) == 0;
    }

    bool applyLineSettings() override {
        if (fd_ < 0)
            return false;
        ::cfmakeraw(&settings_);
        settings_.c_cflag &= ~(CSIZE | PARENB | CSTOPB | CRTSCTS);
        settings_.c_cflag |= CS8 | CLOCAL | CREAD;
        settings_.c_iflag &= ~(IXON | IXOFF | IXANY);
        if (::cfsetispeed(&settings_, B115200) != 0 || ::cfsetospeed(&settings_, B115200) != 0) {
            return false;
        }
        return ::tcsetattr(fd_, TCSANOW, &settings_) == 0;
    }

    // termios has no read time-outs that fit (VMIN/VTIME cannot express a total time-out after
    // the first byte); read() keeps them on the clock.
    bool applyTimeouts() override { return fd_ >= 0; }

    void discardInput() override {
        if (fd_ >= 0)
            ::tcflush(fd_, TCIFLUSH);
    }

    std::optional<std::size_t> write(const std::uint8_t* data, std::size_t length) override {
        if (fd_ < 0)
            return std::nullopt;
        // A device that stops taking data must not hold the window: the whole line has this long.
        const auto deadline = Clock::now() +
                              milliseconds(WriteTimeoutPerByteMs) * static_cast<int>(length) +
                              milliseconds(WriteTimeoutConstantMs);
        std::size_t done = 0;
        while (done < length) {
            const ssize_t n = ::write(fd_, data + done, length - done);
            if (n > 0) {
                done += static_cast<std::size_t>(n);
                continue;
            }
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK)
                return std::nullopt;
            // The output queue is full: wait until it takes more, within the time-out.
            const auto now = Clock::now();
            if (now >= deadline) {
                // Unsent output would otherwise hold the close until the driver gives up on it.
                ::tcflush(fd_, TCOFLUSH);
                return std::nullopt;
            }
            pollfd p{fd_, POLLOUT, 0};
            const int r = ::poll(&p, 1, pollTimeoutMs(deadline - now));
            if (r < 0 && errno == EINTR)
                continue;
            if (r < 0 || (p.revents & (POLLERR | POLLHUP | POLLNVAL)) != 0)
                return std::nullopt;
        }
        return done;
    }

    std::optional<std::size_t> read(std::uint8_t* buffer, std::size_t capacity) override {
        if (fd_ < 0)
            return std::nullopt;
        ReplyClock clock(capacity);
        std::size_t got = 0;
        while (got < capacity) {
            const auto now = Clock::now();
            const auto deadline = clock.deadline();
            if (now >= deadline)
                break;
            pollfd p{fd_, POLLIN, 0};
            const int r = ::poll(&p, 1, pollTimeoutMs(deadline - now));
            if (r < 0) {
                if (errno == EINTR)
                    continue;
                return std::nullopt;
            }
            if (r == 0)
                continue;
            if ((p.revents & POLLIN) != 0) {
                // One byte at a time, as on Windows: the read ends at the first CR LF and a
                // second line behind it stays in the port instead of being glued to the reply.
                const ssize_t n = ::read(fd_, buffer + got, 1);
                if (n > 0) {
                    got += static_cast<std::size_t>(n);
                    if (clock.byteReceived(buffer, got))
                        break;
                    continue;
                }
                if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) {
                    continue;
                }
                return std::nullopt;  // end of file: the line has hung up
            }
            if ((p.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0)
                return std::nullopt;
        }
        return got;
    }

    void close() override {
        if (fd_ < 0)
            return;
        ::ioctl(fd_, TIOCNXCL);
        ::close(fd_);  // also releases the flock
        fd_ = -1;
    }

  private:
    int fd_ = -1;
    termios settings_{};
};

}  // namespace

std::unique_ptr<SerialPort> makeSystemSerialPort() {
    return std::make_unique<PosixSerialPort>();
}

}  // namespace blx52
