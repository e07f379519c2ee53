#pragma once

#include <QString>
#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>

#include "platform/sound_output.h"
#include "playback/sound.h"
#include "playback/timeline.h"

namespace blx52 {

// Plays one situation, or the device: device start, then what the inputs select. Time comes
// from an injected clock in ms, so a test advances it without sleeping; the owner calls
// update() once a frame.
class Playback {
  public:
    using Clock = std::function<std::int64_t()>;
    explicit Playback(Clock clock);
    ~Playback();
    Playback(const Playback&) = delete;
    Playback& operator=(const Playback&) = delete;

    // New settings keep the situation and the place in it (a live edit).
    void setSettings(const PlaybackSettings& settings);
    const PlaybackSettings& settings() const { return settings_; }

    // One situation from its start; leaves the device mode.
    void setSituation(Section section);
    // The device mode: device start from its beginning, then the inputs' situation.
    void powerOn();
    bool deviceMode() const { return deviceMode_; }
    void setInputs(bool input0, bool input1, bool input2);
    std::array<bool, 3> inputs() const { return inputs_; }

    void play();
    void pause();
    bool playing() const { return playing_; }
    void restart();
    void seek(std::int64_t ms);

    // Moves on to the inputs' situation once device start has ended; call once a frame.
    void update();
    std::int64_t position() const;  // ms into the current timeline
    const Timeline& timeline() const { return timeline_; }
    int slotShown() const { return timeline_.slotAt(position()); }
    const ToneStep* toneSounding() const;
    // While playing: ms until the picture changes next (or device start ends), so a window can
    // draw the change on time rather than at its next frame.
    std::optional<std::int64_t> untilNextChange() const;

    // Sound through an output (none: silent). False when it cannot play: no sound device.
    void setSoundOutput(std::unique_ptr<SoundOutput> output);
    void setSoundEnabled(bool enabled);
    bool soundEnabled() const { return soundEnabled_; }
    bool soundAvailable() const { return soundAvailable_; }

  private:
    void enter(const Timeline& timeline, std::int64_t startedAt);
    void syncSound();
    void startSound();
    void stopSound();

    Clock clock_;
    PlaybackSettings settings_;
    Timeline timeline_;
    bool deviceMode_ = false;
    std::array<bool, 3> inputs_{};
    bool playing_ = false;
    std::int64_t startedAt_ = 0;  // clock time of position 0 while playing
    std::int64_t heldAt_ = 0;     // position while paused

    // What the output's thread reads.
    struct SoundState {
        std::mutex mutex;
        std::shared_ptr<const ToneRenderer> renderer;
        std::int64_t next = 0;  // sample
    };
    std::shared_ptr<SoundState> sound_ = std::make_shared<SoundState>();
    std::unique_ptr<SoundOutput> output_;
    bool soundEnabled_ = true;
    bool soundAvailable_ = false;
    bool soundRunning_ = false;
};

}  // namespace blx52
