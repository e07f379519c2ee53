#pragma once

#include <QByteArray>
#include <cstdint>
#include <vector>

#include "playback/timeline.h"

namespace blx52 {

inline constexpr int SampleRate = 44100;  // 16-bit mono PCM
// An export stops the sound here; longer sounds are cut, and the window says so.
inline constexpr std::int64_t MaxExportSoundMs = 10 * 60 * 1000;

// Share of full scale at volume 0 … 3; volume 0 is quiet, not silent.
double volumeAmplitude(int volume);

// The first sample at or after a time in ms: sample n sounds at n / 44.1 ms.
std::int64_t sampleAtMs(std::int64_t ms);

// The square wave of a timeline's tone steps, every pass, as a buzzer sounds it: each step
// starts its wave anew, "None" and "Pause" are silent for their duration. Any sample of the sound
// can be made on its own, so a player can stream sounds of hours.
class ToneRenderer {
  public:
    explicit ToneRenderer(const Timeline& timeline);
    std::int64_t totalSamples() const { return total_; }
    // Samples [first, first + count); past the end of the sound they are silence.
    void render(std::int64_t first, std::int16_t* out, std::size_t count) const;

  private:
    struct Step {
        std::int64_t startMs;
        std::int64_t endMs;
        double frequency;
    };
    // The step sounding at sample n and the sample where it began and where it ends.
    struct Place {
        const Step* step;
        std::int64_t begin;
        std::int64_t end;
    };
    Place locate(std::int64_t n) const;

    std::vector<Step> steps_;
    std::int64_t passMs_ = 0;
    std::int64_t total_ = 0;
    double amplitude_ = 0;
};

// The whole sound, cut at `maxMs`.
std::vector<std::int16_t> renderSound(const Timeline& timeline,
                                      std::int64_t maxMs = MaxExportSoundMs);
// A RIFF WAVE file of 16-bit mono samples at SampleRate.
QByteArray wavBytes(const std::vector<std::int16_t>& samples);

}  // namespace blx52
