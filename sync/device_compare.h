#pragma once

#include <QString>
#include <vector>

#include "link/device_link.h"
#include "settings/settings_table.h"
#include "sync/exchange_log.h"
#include "sync/settings_store.h"
#include "sync/sync_view.h"

namespace blx52 {

// Whether two values of a setting mean the same: a choice (standby picture, volume, pitch,
// brightness) by its number, so "03" and "3" agree; a duration or repeat count as its text, since
// that is what the write sends and the device keeps.
bool sameSettingValue(const Setting& setting, const QString& a, const QString& b);

// The value a write from `view` would send for the setting; the control's raw text (or nothing)
// when the write would refuse it.
QString viewValue(const SyncView& view, const Setting& setting);

struct SettingDifference {
    int index = 0;  // in allSettings()
    QString name;   // settingName()
    QString windowValue;
    QString deviceValue;
};

// All settings read from the device into a store of their own, compared with a view.
struct DeviceComparison {
    SettingsStore device;
    std::vector<bool> read;  // per setting: its value came from the device
    int settingsRead = 0;
    bool complete = false;     // every step of the read succeeded
    QString readOutcome;       // the read's outcome sentence, e.g. where and why it stopped
    QStringList readMessages;  // what the read would have shown in its dialogs
    std::vector<SettingDifference> differences;
};

// Reads the device through DeviceSync into a separate store (the view is only looked at) and
// lists every setting read whose value differs from the view's. `operation` names the rows in
// the log ("compare", "verify").
DeviceComparison compareWithDevice(DeviceLink& link, ExchangeLog* log, const SyncView& view,
                                   const QString& operation);

// "The device holds exactly the window's settings." or how many differ, with the read's stop.
QString comparisonSummary(const DeviceComparison& comparison);

}  // namespace blx52
