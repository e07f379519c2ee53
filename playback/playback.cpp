#include "playback/playback.h"

namespace blx52 {

Playback::Playback(Clock clock) : clock_(std::move(clock)) {
    timeline_ = buildTimeline(settings_, Section::In0);
}

Playback::~Playback() {
    stopSound();
}

void Playback::setSettings(const PlaybackSettings& settings) {
    settings_ = settings;
    const std::int64_t at = position();
    Timeline next = buildTimeline(settings_, timeline_.section);
    timeline_ = std::move(next);
    seek(at);
}

void Playback::enter(const Timeline& timeline, std::int64_t startedAt) {
    timeline_ = timeline;
    startedAt_ = startedAt;
    heldAt_ = 0;
    syncSound();
}

void Playback::setSituation(Section section) {
    deviceMode_ = false;
    enter(buildTimeline(settings_, section), clock_());
}

void Playback::powerOn() {
    deviceMode_ = true;
    enter(buildTimeline(settings_, Section::Res), clock_());
}

void Playback::setInputs(bool input0, bool input1, bool input2) {
    inputs_ = {input0, input1, input2};
    // During device start the inputs count once it has ended.
    if (deviceMode_ && timeline_.section != Section::Res) {
        const Section next = situationForInputs(input0, input1, input2);
        if (next != timeline_.section)
            enter(buildTimeline(settings_, next), clock_());
    }
}

void Playback::play() {
    if (playing_)
        return;
    startedAt_ = clock_() - heldAt_;
    playing_ = true;
    syncSound();
}

void Playback::pause() {
    if (!playing_)
        return;
    heldAt_ = position();
    playing_ = false;
    syncSound();
}

void Playback::restart() {
    if (deviceMode_)
        powerOn();
    else
        seek(0);
}

void Playback::seek(std::int64_t ms) {
    ms = std::max<std::int64_t>(ms, 0);
    heldAt_ = ms;
    startedAt_ = clock_() - ms;
    syncSound();
}

std::int64_t Playback::position() const {
    return playing_ ? clock_() - startedAt_ : heldAt_;
}

void Playback::update() {
    if (!deviceMode_ || timeline_.section != Section::Res)
        return;
    const auto end = timeline_.endMs();
    if (end && position() >= *end) {
        const std::int64_t endedAt = startedAt_ + *end;
        enter(buildTimeline(settings_, situationForInputs(inputs_[0], inputs_[1], inputs_[2])),
              playing_ ? endedAt : clock_());
    }
}

std::optional<std::int64_t> Playback::untilNextChange() const {
    const Timeline& t = timeline_;
    if (!playing_ || t.section == Section::Sby || t.pictures.empty())
        return std::nullopt;
    const std::int64_t at = position();
    if (!t.picturesLoop && at >= t.cycleMs())
        return t.endMs() ? std::optional(std::max<std::int64_t>(*t.endMs() - at, 0)) : std::nullopt;
    const int step = t.pictureStepAt(at);
    if (step < 0)
        return std::nullopt;
    const PictureStep& shown = t.pictures[static_cast<std::size_t>(step)];
    const std::int64_t inCycle = t.picturesLoop ? at % t.cycleMs() : at;
    return shown.startMs + shown.durationMs - inCycle;
}

const ToneStep* Playback::toneSounding() const {
    return timeline_.toneAt(position());
}

void Playback::setSoundOutput(std::unique_ptr<SoundOutput> output) {
    stopSound();
    output_ = std::move(output);
    soundAvailable_ = output_ != nullptr;
    syncSound();
}

void Playback::setSoundEnabled(bool enabled) {
    soundEnabled_ = enabled;
    syncSound();
}

void Playback::syncSound() {
    {
        const std::lock_guard lock(sound_->mutex);
        sound_->renderer = std::make_shared<const ToneRenderer>(timeline_);
        sound_->next = sampleAtMs(position());
    }
    if (playing_ && soundEnabled_ && output_)
        startSound();
    else
        stopSound();
}

void Playback::startSound() {
    if (soundRunning_)
        return;
    std::shared_ptr<SoundState> state = sound_;
    soundRunning_ = output_->start([state](std::int16_t* samples, std::size_t count) {
        std::shared_ptr<const ToneRenderer> renderer;
        std::int64_t first = 0;
        {
            const std::lock_guard lock(state->mutex);
            renderer = state->renderer;
            first = state->next;
            state->next += static_cast<std::int64_t>(count);
        }
        renderer->render(first, samples, count);
    });
    // No sound device: everything else plays on.
    soundAvailable_ = soundRunning_;
}

void Playback::stopSound() {
    if (soundRunning_ && output_)
        output_->stop();
    soundRunning_ = false;
}

}  // namespace blx52
