// Arbitrary bytes as the device's replies, through the link into a whole read. Whatever the device
// sends, a setting may only ever hold a value that came as one whole line for its own key and is
// a valid value for it.
//
// Input: records of one length byte followed by that many reply bytes, one record per exchange.
// Length 255 makes that exchange's port read fail, 254 makes its open fail; once the input is
// used up the device is silent.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "link/device_link.h"
#include "settings/settings_table.h"
#include "sync/device_sync.h"
#include "sync/sequences.h"
#include "sync/sync_view.h"

namespace {

using namespace blx52;

#define FUZZ_CHECK(condition) \
    do {                      \
        if (!(condition))     \
            std::abort();     \
    } while (false)

struct Script {
    const std::uint8_t* data = nullptr;
    std::size_t size = 0;
    std::size_t pos = 0;

    std::size_t exchanges = 0;          // every port opening, also a failed one
    std::vector<std::string> commands;  // every line written, without CR LF
    std::vector<std::string> replies;   // what each exchange's read handed out

    // Length of the next record; 0 once the input is used up.
    int nextLength() {
        if (pos >= size)
            return 0;
        return data[pos++];
    }
    std::string take(std::size_t n) {
        n = std::min(n, size - pos);
        std::string out(reinterpret_cast<const char*>(data + pos), n);
        pos += n;
        return out;
    }
};

class ScriptedPort final : public SerialPort {
  public:
    explicit ScriptedPort(Script& script) : s_(script) {}

    bool open(const std::string&) override {
        ++s_.exchanges;
        length_ = s_.nextLength();
        return length_ != 254;
    }
    bool readSettings() override { return true; }
    bool applyLineSettings() override { return true; }
    bool applyTimeouts() override { return true; }
    void discardInput() override {}
    std::optional<std::size_t> write(const std::uint8_t* data, std::size_t length) override {
        std::string line(reinterpret_cast<const char*>(data), length);
        FUZZ_CHECK(line.size() >= 2 && line.compare(line.size() - 2, 2, "\r\n") == 0);
        s_.commands.push_back(line.substr(0, line.size() - 2));
        return length;
    }
    std::optional<std::size_t> read(std::uint8_t* buffer, std::size_t capacity) override {
        if (length_ == 255) {
            s_.replies.emplace_back();
            return std::nullopt;
        }
        const std::string reply = s_.take(static_cast<std::size_t>(length_));
        const std::size_t n = std::min(reply.size(), capacity);
        std::copy(reply.begin(), reply.begin() + static_cast<std::ptrdiff_t>(n), buffer);
        s_.replies.push_back(reply.substr(0, n));
        return n;
    }
    void close() override {}

  private:
    Script& s_;
    int length_ = 0;
};

// Records what the read stores and answers every dialog with OK.
class RecordingView final : public SyncView {
  public:
    QString editText(const std::string&) const override { return {}; }
    bool isChecked(const std::string&) const override { return false; }
    int pitchIndex(const std::string&) const override { return 0; }
    QString memoText(const std::string&) const override { return {}; }
    int trackBarPosition() const override { return 6; }
    void storeReply(const Setting& setting, const QString& reply) override {
        FUZZ_CHECK(stored.count(setting.getKey) == 0);  // each setting once per read
        stored[setting.getKey] = reply;
        order.push_back(&setting);
    }
    void setTriggerText(const std::string&, const QString& text) override { trigger = text; }
    void setStatusPanel(int, const QString&) override {}
    void setStrip(const std::string& memo, Strip colour) override {
        if (memo == ReadStrip)
            readStrip = colour;
    }
    void setProgress(int) override {}
    void beginBusy() override { ++busy; }
    void endBusy() override { --busy; }
    bool settingsChanged() const override { return false; }
    void setSettingsChanged(bool) override {}
    bool portWarningShown() const override { return true; }
    void setPortWarningShown() override {}
    bool warningOkCancel(const QString&) override { return true; }
    void warningOk(const QString&) override { ++messages; }
    void errorOk(const QString&) override { ++messages; }
    void beep() override {}

    std::map<std::string, QString> stored;
    std::vector<const Setting*> order;
    QString trigger;
    Strip readStrip = Strip::Menu;
    int busy = 0;
    int messages = 0;
};

// The largest value a choice offers, or -1 for a number edit.
int choiceLimit(const Setting& s) {
    switch (s.kind) {
        case FieldKind::Standby:
            return 2;
        case FieldKind::Volume:
            return 3;
        case FieldKind::Pitch:
            return 16;
        case FieldKind::Brightness:
            return 9;
        default:
            return -1;
    }
}

void checkValue(const Setting& s, const QString& value) {
    FUZZ_CHECK(!value.isEmpty());
    for (QChar c : value)
        FUZZ_CHECK(c >= u'0' && c <= u'9');
    const int highest = choiceLimit(s);
    if (highest < 0) {
        // Must fit behind its set key on one 15-character line.
        FUZZ_CHECK(s.setKey.size() + static_cast<std::size_t>(value.size()) <= 15);
    } else {
        // A choice is its number, leading zeros included.
        qsizetype first = 0;
        while (first + 1 < value.size() && value[first] == u'0')
            ++first;
        const QString digits = value.mid(first);
        FUZZ_CHECK(digits.size() <= 2 && digits.toInt() <= highest);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Script script;
    script.data = data;
    script.size = size;
    DeviceLink link(nullptr, [&] { return std::make_unique<ScriptedPort>(script); });
    RecordingView view;
    DeviceSync sync(link, view);
    sync.readTriggerChanged(QStringLiteral("5"));

    FUZZ_CHECK(view.busy == 0);
    FUZZ_CHECK(view.trigger == QStringLiteral("0"));
    // Stored in read order, a gapless prefix of the settings.
    const auto& settings = allSettings();
    FUZZ_CHECK(view.order.size() <= settings.size());
    for (std::size_t i = 0; i < view.order.size(); ++i)
        FUZZ_CHECK(view.order[i] == &settings[i]);

    for (const auto& [key, value] : view.stored) {
        const Setting* setting = nullptr;
        for (const auto& s : settings)
            setting = s.getKey == key ? &s : setting;
        FUZZ_CHECK(setting != nullptr);
        checkValue(*setting, value);
        // Exactly what the device sent for this key, as one whole line.
        std::size_t exchange = 0;
        while (exchange < script.commands.size() && script.commands[exchange] != key)
            ++exchange;
        FUZZ_CHECK(exchange < script.replies.size());
        const std::string& reply = script.replies[exchange];
        FUZZ_CHECK(reply.size() >= 2 && reply.compare(reply.size() - 2, 2, "\r\n") == 0);
        FUZZ_CHECK(value == QString::fromLatin1(reply.substr(0, reply.size() - 2)));
    }

    // Lime exactly when every step came through; then nothing stops and nothing is said.
    const bool complete = view.order.size() == settings.size();
    FUZZ_CHECK((view.readStrip == Strip::Lime) == complete);
    FUZZ_CHECK(complete ? view.messages == 0 : true);
    FUZZ_CHECK(sync.lastRead().steps == static_cast<int>(script.exchanges));
    // Nothing is sent after the step that failed.
    FUZZ_CHECK(complete ? script.exchanges == settings.size() + 1
                        : script.exchanges <= view.order.size() + 2);
    return 0;
}
