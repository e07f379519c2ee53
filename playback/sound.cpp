#include "playback/sound.h"

#include <QtEndian>
#include <algorithm>
#include <cmath>

namespace blx52 {

namespace {

// Days of sound at most: a player streams it, and sample numbers stay far from overflowing.
constexpr std::int64_t MaxSoundMs = 100'000'000'000;

}  // namespace

double volumeAmplitude(int volume) {
    // Roughly 6 dB apart, as a buzzer's steps are heard.
    static constexpr double levels[4] = {0.1, 0.2, 0.4, 0.8};
    return levels[std::clamp(volume, 0, 3)];
}

std::int64_t sampleAtMs(std::int64_t ms) {
    // n / 44.1 >= ms  <=>  10 n >= 441 ms
    return (ms * 441 + 9) / 10;
}

ToneRenderer::ToneRenderer(const Timeline& timeline)
    : passMs_(timeline.passMs()), amplitude_(volumeAmplitude(timeline.volume)) {
    for (const ToneStep& tone : timeline.tones)
        steps_.push_back(
            {tone.startMs, tone.startMs + tone.durationMs, pitchFrequency(tone.pitch)});
    total_ = passMs_ > 0 ? sampleAtMs(std::min(timeline.soundMs(), MaxSoundMs)) : 0;
}

ToneRenderer::Place ToneRenderer::locate(std::int64_t n) const {
    // Sample n sounds at 10 n / 441 ms; the comparisons stay in whole numbers.
    const std::int64_t tenths = n * 10;
    const std::int64_t pass = tenths / (passMs_ * 441);
    const std::int64_t passStart = pass * passMs_;
    const std::int64_t within = tenths - passStart * 441;  // ms × 441 into the pass
    auto it = std::upper_bound(steps_.begin(), steps_.end(), within,
                               [](std::int64_t t, const Step& s) { return t < s.startMs * 441; });
    const Step* step = &*(it - 1);
    return {step, sampleAtMs(passStart + step->startMs),
            std::min(sampleAtMs(passStart + step->endMs), total_)};
}

void ToneRenderer::render(std::int64_t first, std::int16_t* out, std::size_t count) const {
    std::int64_t n = first;
    std::size_t i = 0;
    while (i < count) {
        if (n < 0 || n >= total_) {
            out[i++] = 0;
            ++n;
            continue;
        }
        const Place place = locate(n);
        const double f = place.step->frequency;
        const auto high = static_cast<std::int16_t>(std::lround(amplitude_ * 32767));
        for (; i < count && n < place.end; ++i, ++n) {
            if (f <= 0) {
                out[i] = 0;
                continue;
            }
            const double cycles = static_cast<double>(n - place.begin) * f / SampleRate;
            out[i] = cycles - std::floor(cycles) < 0.5 ? high : static_cast<std::int16_t>(-high);
        }
    }
}

std::vector<std::int16_t> renderSound(const Timeline& timeline, std::int64_t maxMs) {
    const ToneRenderer renderer(timeline);
    const std::int64_t count = std::min(renderer.totalSamples(), sampleAtMs(maxMs));
    std::vector<std::int16_t> samples(static_cast<std::size_t>(std::max<std::int64_t>(count, 0)));
    renderer.render(0, samples.data(), samples.size());
    return samples;
}

QByteArray wavBytes(const std::vector<std::int16_t>& samples) {
    const auto dataBytes = static_cast<quint32>(samples.size() * 2);
    QByteArray out;
    out.reserve(static_cast<qsizetype>(44 + dataBytes));
    auto u32 = [&](quint32 v) {
        const quint32 le = qToLittleEndian(v);
        out.append(reinterpret_cast<const char*>(&le), 4);
    };
    auto u16 = [&](quint16 v) {
        const quint16 le = qToLittleEndian(v);
        out.append(reinterpret_cast<const char*>(&le), 2);
    };
    out.append("RIFF", 4);
    u32(36 + dataBytes);
    out.append("WAVEfmt ", 8);
    u32(16);
    u16(1);  // PCM
    u16(1);  // mono
    u32(SampleRate);
    u32(SampleRate * 2);
    u16(2);
    u16(16);
    out.append("data", 4);
    u32(dataBytes);
    for (const std::int16_t s : samples)
        u16(static_cast<quint16>(s));
    return out;
}

}  // namespace blx52
