#pragma once

#include <QStringList>
#include <deque>
#include <functional>
#include <map>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "link/device_link.h"
#include "settings/conversion_error.h"
#include "settings/settings_table.h"
#include "sync/device_sync.h"
#include "sync/sync_view.h"

// Readable QStrings in assertion messages.
inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}

namespace blx52::test {

// A main window reduced to what the read, the write and the input tests touch. It starts with
// the window's start values, records everything that is shown, answers the port warning from
// a queue, and reacts to stored replies roughly as the window's rules do: edits take the text,
// landing memos convert it (throwing for non-numbers) and move their visible control.
class FakeView : public SyncView, public StatusSink {
  public:
    FakeView() {
        for (const auto& s : allSettings()) {
            if (s.isEdit())
                edits[s.control] = QString::fromStdString(s.startText);
            if (s.kind == FieldKind::Pitch)
                pitch[s.control] = s.startIndex;
            for (std::size_t b = 0; b < s.buttons.size(); ++b) {
                checked[s.buttons[b]] = static_cast<int>(b) == s.startIndex;
            }
        }
        memos["Memo42"] = "0";
        memos["Memo43"] = "0";
    }

    // Wiring the trigger memos to their change handlers, as the window does.
    DeviceSync* sync = nullptr;

    std::map<std::string, QString> edits;
    std::map<std::string, bool> checked;
    std::map<std::string, int> pitch;
    std::map<std::string, QString> memos;
    int trackBar = BrightnessStart;

    std::vector<std::pair<std::string, QString>> stores;  // target control, text
    std::map<int, QString> panels;
    std::map<std::string, Strip> strips;
    std::vector<int> progress;
    int busyBegins = 0;
    int busyEnds = 0;
    bool changed = false;
    bool warningShownMain = false;
    bool warningShownEditor = false;
    std::deque<bool> okCancelAnswers;  // empty: OK
    QStringList okCancelTexts;
    QStringList warnings;
    QStringList errors;
    int beeps = 0;
    std::vector<std::string> events;  // order of the visible reactions
    std::function<void(const std::string&, Strip)> onStrip;

    QString editText(const std::string& edit) const override { return edits.at(edit); }
    bool isChecked(const std::string& radioButton) const override {
        return checked.at(radioButton);
    }
    int pitchIndex(const std::string& comboBox) const override { return pitch.at(comboBox); }
    QString memoText(const std::string& memo) const override {
        auto it = memos.find(memo);
        return it == memos.end() ? QString() : it->second;
    }
    int trackBarPosition() const override { return trackBar; }

    void storeReply(const Setting& s, const QString& reply) override {
        stores.emplace_back(s.readTarget(), reply);
        if (s.isEdit()) {
            if (edits[s.control] != reply)
                changed = true;
            edits[s.control] = reply;
            return;
        }
        memos[s.landingMemo] = reply;
        bool ok = false;
        const float number = reply.toFloat(&ok);
        if (!ok)
            throw ConversionError(reply.toStdString());
        const int value = static_cast<int>(number);
        if (static_cast<float>(value) != number)
            return;
        switch (s.kind) {
            case FieldKind::Pitch:
                if (value >= 0 && value <= 16)
                    pitch[s.control] = value;
                break;
            case FieldKind::Volume:
            case FieldKind::Standby:
                if (value >= 0 && value < static_cast<int>(s.buttons.size())) {
                    for (std::size_t b = 0; b < s.buttons.size(); ++b) {
                        checked[s.buttons[b]] = static_cast<int>(b) == value;
                    }
                }
                break;
            case FieldKind::Brightness:
                if (value >= 0 && value <= BrightnessMax && value != trackBar) {
                    trackBar = value;
                    memos["Memo34"] = QString::number(value);
                    changed = true;
                }
                break;
            default:
                break;
        }
    }

    void setTriggerText(const std::string& memo, const QString& text) override {
        events.push_back("trigger " + memo + " " + text.toStdString());
        if (memos[memo] == text)
            return;
        memos[memo] = text;
        if (sync == nullptr)
            return;
        if (memo == "Memo43")
            sync->readTriggerChanged(text);
        if (memo == "Memo42")
            sync->writeTriggerChanged(text);
    }

    void setStatusPanel(int panel, const QString& text) override {
        panels[panel] = text;
        events.push_back("panel " + std::to_string(panel) + " " + text.toStdString());
    }
    void setPanelText(int panel, const std::string& text) override {
        panels[panel] = QString::fromStdString(text);
    }
    void setStrip(const std::string& memo, Strip colour) override {
        strips[memo] = colour;
        events.push_back("strip " + memo + " " + std::to_string(static_cast<int>(colour)));
        if (onStrip)
            onStrip(memo, colour);
    }
    void setProgress(int position) override { progress.push_back(position); }
    void beginBusy() override { ++busyBegins; }
    void endBusy() override { ++busyEnds; }

    bool settingsChanged() const override { return changed; }
    void setSettingsChanged(bool value) override { changed = value; }
    bool portWarningShown() const override { return warningShownMain; }
    void setPortWarningShown() override { warningShownMain = warningShownEditor = true; }

    bool warningOkCancel(const QString& text) override {
        okCancelTexts.push_back(text);
        events.push_back("okcancel");
        if (okCancelAnswers.empty())
            return true;
        const bool answer = okCancelAnswers.front();
        okCancelAnswers.pop_front();
        return answer;
    }
    void warningOk(const QString& text) override {
        warnings.push_back(text);
        events.push_back("warning");
    }
    void errorOk(const QString& text) override {
        errors.push_back(text);
        events.push_back("error");
    }
    void beep() override {
        ++beeps;
        events.push_back("beep");
    }

    int storesInto(const std::string& target) const {
        int n = 0;
        for (const auto& [t, text] : stores)
            n += t == target ? 1 : 0;
        return n;
    }
};

}  // namespace blx52::test
