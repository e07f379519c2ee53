#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>

namespace blx52 {

// The system's sound output: 16-bit mono PCM at 44.1 kHz, pulled from a callback as the output
// needs it. Kept behind this interface as the serial port is, so the players and their tests
// need no sound device.
class SoundOutput {
  public:
    // Fills `count` samples. It may run on the output's own thread, so it must be thread-safe.
    using Fill = std::function<void(std::int16_t* samples, std::size_t count)>;
    virtual ~SoundOutput() = default;
    // False when there is no sound device (nothing plays then).
    virtual bool start(Fill fill) = 0;
    virtual void stop() = 0;
};

#ifdef _WIN32
// waveOut, with a few short buffers refilled from a thread of its own; nothing without a
// sound device.
std::unique_ptr<SoundOutput> makeWaveOutSoundOutput();
#endif

}  // namespace blx52
