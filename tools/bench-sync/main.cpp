// blx52-bench-sync: times a full settings read and a full settings write, as the main window runs
// them, against the simulator paced at 115200 baud, and compares them with the time their bytes
// need on the wire.
#include <chrono>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "link/device_link.h"
#include "sync/device_sync.h"
#include "sync/sequences.h"
#include "tools/devsim/device_simulator.h"

namespace {

using namespace blx52;

// The window's start values; replies are taken as they come.
class BenchView : public SyncView {
  public:
    BenchView() {
        for (const auto& s : allSettings()) {
            if (s.isEdit())
                edits_[s.control] = QString::fromStdString(s.startText);
            if (s.kind == FieldKind::Pitch)
                pitch_[s.control] = s.startIndex;
            for (std::size_t b = 0; b < s.buttons.size(); ++b) {
                checked_[s.buttons[b]] = static_cast<int>(b) == s.startIndex;
            }
        }
    }
    DeviceSync* sync = nullptr;
    std::size_t replyBytes = 0;

    QString editText(const std::string& edit) const override { return edits_.at(edit); }
    bool isChecked(const std::string& button) const override { return checked_.at(button); }
    int pitchIndex(const std::string& box) const override { return pitch_.at(box); }
    QString memoText(const std::string& memo) const override {
        auto it = memos_.find(memo);
        return it == memos_.end() ? QString() : it->second;
    }
    int trackBarPosition() const override { return BrightnessStart; }
    void storeReply(const Setting& s, const QString& reply) override {
        if (s.isEdit())
            edits_[s.control] = reply;
    }
    void setTriggerText(const std::string& memo, const QString& text) override {
        if (memos_[memo] == text)
            return;
        memos_[memo] = text;
        if (memo == "Memo43")
            sync->readTriggerChanged(text);
        if (memo == "Memo42")
            sync->writeTriggerChanged(text);
    }
    void setStatusPanel(int, const QString&) override {}
    void setStrip(const std::string&, Strip) override {}
    void setProgress(int) override {}
    void beginBusy() override {}
    void endBusy() override {}
    bool settingsChanged() const override { return false; }
    void setSettingsChanged(bool) override {}
    bool portWarningShown() const override { return true; }
    void setPortWarningShown() override {}
    bool warningOkCancel(const QString&) override { return true; }
    void warningOk(const QString&) override {}
    void errorOk(const QString& text) override {
        std::fprintf(stderr, "%s\n", text.toUtf8().constData());
    }
    void beep() override {}

  private:
    std::map<std::string, QString> edits_;
    std::map<std::string, bool> checked_;
    std::map<std::string, int> pitch_;
    std::map<std::string, QString> memos_;
};

void report(const char* what, double ms, int exchanges, int successes, std::size_t bytes) {
    const double wireMs = static_cast<double>(bytes) * 10.0 / 115200.0 * 1000.0;
    std::printf("%s\n", what);
    std::printf("  exchanges:           %d (%d succeeded)\n", exchanges, successes);
    std::printf("  total:               %.1f ms\n", ms);
    std::printf("  per exchange:        %.2f ms\n", ms / exchanges);
    std::printf("  bytes on the wire:   %zu\n", bytes);
    std::printf("  wire-time limit:     %.1f ms\n", wireMs);
    std::printf("  total / wire limit:  %.2f\n", ms / wireMs);
}

}  // namespace

int main() {
    devsim::Options options;
    options.paced = true;
    devsim::DeviceSimulator simulator(options);
    if (!simulator.start()) {
        std::fprintf(stderr, "blx52-bench-sync: cannot start the simulator\n");
        return 1;
    }
    DeviceLink link;
    link.PortName = simulator.devicePath();
    BenchView view;
    DeviceSync sync(link, view);
    view.sync = &sync;

    // Bytes both ways: each line with CR LF, each reply the device gives with CR LF.
    std::size_t readBytes = 0;
    for (const auto& step : readSequence()) {
        readBytes += step.key.size() + 2;
        const std::string name = step.key.substr(3);
        readBytes += simulator.value(name).size() + 2;
    }
    auto start = std::chrono::steady_clock::now();
    sync.readClick();
    const std::chrono::duration<double, std::milli> readMs =
        std::chrono::steady_clock::now() - start;

    std::vector<std::string> lines;
    if (!composeWrite(view, lines).isEmpty())
        return 1;
    std::size_t writeBytes = 0;
    for (const auto& line : lines)
        writeBytes += line.size() + 2 + 4;  // reply "OK" CR LF

    start = std::chrono::steady_clock::now();
    sync.writeClick();
    const std::chrono::duration<double, std::milli> writeMs =
        std::chrono::steady_clock::now() - start;

    report("full read", readMs.count(), sync.lastRead().steps, sync.lastRead().successes,
           readBytes);
    report("full write", writeMs.count(), sync.lastWrite().steps, sync.lastWrite().successes,
           writeBytes);
    const bool ok = sync.lastRead().successes == 89 && sync.lastWrite().successes == 89;
    return ok ? 0 : 1;
}
