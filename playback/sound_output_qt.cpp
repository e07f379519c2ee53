// The sound output through Qt Multimedia: an audio sink that pulls the samples from a device
// whose reads run the fill callback.
#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QIODevice>
#include <QMediaDevices>

#include "playback/sound.h"
#include "playback/sound_output.h"

namespace blx52 {

namespace {

class PullDevice final : public QIODevice {
  public:
    explicit PullDevice(SoundOutput::Fill fill) : fill_(std::move(fill)) {}
    bool isSequential() const override { return true; }
    qint64 bytesAvailable() const override { return 1 << 20; }

  protected:
    qint64 readData(char* data, qint64 maxSize) override {
        const auto count = static_cast<std::size_t>(maxSize / 2);
        fill_(reinterpret_cast<std::int16_t*>(data), count);
        return static_cast<qint64>(count * 2);
    }
    qint64 writeData(const char*, qint64) override { return -1; }

  private:
    SoundOutput::Fill fill_;
};

class QtSoundOutput final : public SoundOutput {
  public:
    ~QtSoundOutput() override { stop(); }

    bool start(Fill fill) override {
        stop();
        const QAudioDevice device = QMediaDevices::defaultAudioOutput();
        if (device.isNull())
            return false;
        QAudioFormat format;
        format.setSampleRate(SampleRate);
        format.setChannelCount(1);
        format.setSampleFormat(QAudioFormat::Int16);
        if (!device.isFormatSupported(format))
            return false;
        source_ = std::make_unique<PullDevice>(std::move(fill));
        source_->open(QIODevice::ReadOnly);
        sink_ = std::make_unique<QAudioSink>(device, format);
        // About 40 ms ahead: Play is heard at once, and an edit soon after.
        sink_->setBufferSize(SampleRate * 2 * 40 / 1000);
        sink_->start(source_.get());
        if (sink_->error() != QAudio::NoError) {
            stop();
            return false;
        }
        return true;
    }

    void stop() override {
        if (sink_)
            sink_->stop();
        sink_.reset();
        source_.reset();
    }

  private:
    std::unique_ptr<PullDevice> source_;
    std::unique_ptr<QAudioSink> sink_;
};

}  // namespace

std::unique_ptr<SoundOutput> makeSystemSoundOutput() {
    // No sound device: nothing to play to, and the window can say so before Play.
    if (QMediaDevices::defaultAudioOutput().isNull())
        return nullptr;
    return std::make_unique<QtSoundOutput>();
}

}  // namespace blx52
