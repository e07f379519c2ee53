// The sound output on Windows: waveOut with a few short buffers, refilled by a thread of its own
// that waits for the device to hand each one back.
#include <windows.h>
// after windows.h, which it needs
#include <mmsystem.h>

#include <array>
#include <atomic>
#include <thread>
#include <vector>

#include "platform/sound_output.h"

namespace blx52 {

namespace {

constexpr int Rate = 44100;
constexpr std::size_t BufferSamples = 1024;  // 23 ms each: Play is heard within 50 ms
constexpr std::size_t BufferCount = 4;

class WaveOutput final : public SoundOutput {
  public:
    ~WaveOutput() override { stop(); }

    bool start(Fill fill) override {
        stop();
        fill_ = std::move(fill);
        event_ = CreateEventW(nullptr, FALSE, FALSE, nullptr);
        if (event_ == nullptr)
            return false;
        WAVEFORMATEX format{};
        format.wFormatTag = WAVE_FORMAT_PCM;
        format.nChannels = 1;
        format.nSamplesPerSec = Rate;
        format.wBitsPerSample = 16;
        format.nBlockAlign = 2;
        format.nAvgBytesPerSec = Rate * 2;
        if (waveOutOpen(&device_, WAVE_MAPPER, &format, reinterpret_cast<DWORD_PTR>(event_), 0,
                        CALLBACK_EVENT) != MMSYSERR_NOERROR) {
            CloseHandle(event_);
            event_ = nullptr;
            device_ = nullptr;
            return false;
        }
        for (std::size_t i = 0; i < BufferCount; ++i) {
            samples_[i].assign(BufferSamples, 0);
            headers_[i] = WAVEHDR{};
            headers_[i].lpData = reinterpret_cast<LPSTR>(samples_[i].data());
            headers_[i].dwBufferLength = static_cast<DWORD>(BufferSamples * 2);
            waveOutPrepareHeader(device_, &headers_[i], sizeof(WAVEHDR));
        }
        running_ = true;
        for (std::size_t i = 0; i < BufferCount; ++i)
            queue(i);
        worker_ = std::thread([this] { run(); });
        return true;
    }

    void stop() override {
        if (device_ == nullptr)
            return;
        running_ = false;
        SetEvent(event_);
        if (worker_.joinable())
            worker_.join();
        waveOutReset(device_);  // hands every queued buffer back as done
        for (std::size_t i = 0; i < BufferCount; ++i)
            waveOutUnprepareHeader(device_, &headers_[i], sizeof(WAVEHDR));
        waveOutClose(device_);
        CloseHandle(event_);
        device_ = nullptr;
        event_ = nullptr;
    }

  private:
    void queue(std::size_t i) {
        fill_(samples_[i].data(), BufferSamples);
        headers_[i].dwFlags &= ~static_cast<DWORD>(WHDR_DONE);
        waveOutWrite(device_, &headers_[i], sizeof(WAVEHDR));
    }

    void run() {
        while (running_) {
            WaitForSingleObject(event_, 100);
            for (std::size_t i = 0; running_ && i < BufferCount; ++i) {
                if ((headers_[i].dwFlags & WHDR_DONE) != 0)
                    queue(i);
            }
        }
    }

    Fill fill_;
    HWAVEOUT device_ = nullptr;
    HANDLE event_ = nullptr;
    std::array<WAVEHDR, BufferCount> headers_{};
    std::array<std::vector<std::int16_t>, BufferCount> samples_;
    std::atomic<bool> running_{false};
    std::thread worker_;
};

}  // namespace

std::unique_ptr<SoundOutput> makeWaveOutSoundOutput() {
    if (waveOutGetNumDevs() == 0)
        return nullptr;  // no sound device
    return std::make_unique<WaveOutput>();
}

}  // namespace blx52
