#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

#include "sync/sync_view.h"

namespace blx52 {

// The 88 settings as plain values, without a window: each value is the text a write sends for
// the setting (a duration as typed, a pitch, volume, standby or brightness as its decimal code).
// Values are kept as they come; whether the write can send them is decided by composeLine.
class SettingsStore {
  public:
    // Every setting at its start value.
    SettingsStore();

    static int count();  // 88
    // Index in allSettings(); -1 when the setting is not one of the table's.
    static int indexOf(const Setting& setting);

    const QString& value(int index) const { return values_.at(static_cast<std::size_t>(index)); }
    const QString& value(const Setting& setting) const { return value(indexOf(setting)); }
    void setValue(int index, const QString& value) {
        values_.at(static_cast<std::size_t>(index)) = value;
    }
    void setValue(const Setting& setting, const QString& value) {
        setValue(indexOf(setting), value);
    }
    const std::vector<QString>& values() const { return values_; }

  private:
    std::vector<QString> values_;
};

// The read, the write and the value check over a store instead of the window. A read's reply
// becomes the setting's value as it stands; dialogs are answered with OK and kept as messages.
class StoreSyncView final : public SyncView {
  public:
    explicit StoreSyncView(SettingsStore& store) : store_(store) {}

    QString editText(const std::string& edit) const override;
    bool isChecked(const std::string& radioButton) const override;
    int pitchIndex(const std::string& comboBox) const override;
    QString memoText(const std::string& memo) const override;
    int trackBarPosition() const override;

    void storeReply(const Setting& setting, const QString& reply) override;
    void setTriggerText(const std::string& memo, const QString& text) override;

    void setStatusPanel(int panel, const QString& text) override;
    void setStrip(const std::string&, Strip) override {}
    void setProgress(int position) override;
    void beginBusy() override {}
    void endBusy() override {}

    bool settingsChanged() const override { return changed_; }
    void setSettingsChanged(bool changed) override { changed_ = changed; }
    bool portWarningShown() const override { return true; }
    void setPortWarningShown() override {}

    bool warningOkCancel(const QString& text) override;
    void warningOk(const QString& text) override;
    void errorOk(const QString& text) override;
    void beep() override {}

    // "Warnung: …" and "Fehler: …" texts of the dialogs the read or write would have shown.
    const QStringList& messages() const { return messages_; }
    void clearMessages() { messages_.clear(); }
    // Status bar panel 3 (the read's and the write's count).
    const QString& messageText() const { return messageText_; }
    // Called after every exchange with the count so far, and with 0 at the end.
    void setProgressHook(std::function<void(int)> hook) { progressHook_ = std::move(hook); }

  private:
    SettingsStore& store_;
    bool changed_ = false;
    QStringList messages_;
    QString messageText_;
    std::function<void(int)> progressHook_;
};

}  // namespace blx52
