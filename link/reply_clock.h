#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>

namespace blx52 {

// The device's read time-outs, kept on a monotonic clock by every port backend alike, so that a
// read ends the same way on every system: at the first CR LF, when the buffer is full, 100 ms
// after a byte with no further byte, or 10 ms per byte + 1 ms after the read began.
class ReplyClock {
  public:
    using Clock = std::chrono::steady_clock;
    static constexpr std::chrono::milliseconds IntervalTimeout{100};
    static constexpr std::chrono::milliseconds TotalTimeoutPerByte{10};
    static constexpr std::chrono::milliseconds TotalTimeoutConstant{1};

    explicit ReplyClock(std::size_t capacity)
        : totalDeadline_(Clock::now() + TotalTimeoutPerByte * static_cast<int>(capacity) +
                         TotalTimeoutConstant) {}

    // When the read ends if no further byte comes.
    Clock::time_point deadline() const {
        if (received_ && lastByte_ + IntervalTimeout < totalDeadline_)
            return lastByte_ + IntervalTimeout;
        return totalDeadline_;
    }

    // Notes that `buffer` now holds `got` bytes, the last one just received; true when they end
    // in CR LF, which ends the reply.
    bool byteReceived(const std::uint8_t* buffer, std::size_t got) {
        received_ = true;
        lastByte_ = Clock::now();
        return got >= 2 && buffer[got - 2] == 13 && buffer[got - 1] == 10;
    }

  private:
    Clock::time_point totalDeadline_;
    Clock::time_point lastByte_{};
    bool received_ = false;
};

}  // namespace blx52
