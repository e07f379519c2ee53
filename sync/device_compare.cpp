#include "sync/device_compare.h"

#include "sync/device_sync.h"
#include "sync/sequences.h"

namespace blx52 {

namespace {

bool isChoice(const Setting& setting) {
    return !setting.isEdit();
}

}  // namespace

bool sameSettingValue(const Setting& setting, const QString& a, const QString& b) {
    if (isChoice(setting)) {
        bool okA = false;
        bool okB = false;
        const int na = a.toInt(&okA);
        const int nb = b.toInt(&okB);
        if (okA && okB)
            return na == nb;
    }
    return a == b;
}

QString viewValue(const SyncView& view, const Setting& setting) {
    const int index = SettingsStore::indexOf(setting);
    const WriteEntry& entry = writeSequence().at(static_cast<std::size_t>(index));
    const ComposedLine composed = composeLine(entry, view);
    if (composed.ok())
        return QString::fromStdString(composed.line.substr(entry.key.size()));
    return setting.isEdit() ? view.editText(setting.control) : QString();
}

DeviceComparison compareWithDevice(DeviceLink& link, ExchangeLog* log, const SyncView& view,
                                   const QString& operation) {
    DeviceComparison result;
    if (log != nullptr)
        log->beginOperation(operation);
    StoreSyncView storeView(result.device);
    DeviceSync sync(link, storeView);
    sync.setLog(log);
    sync.readTriggerChanged(QStringLiteral("5"));
    const auto& steps = readSequence();
    const int done = sync.lastRead().successes;
    result.complete = done == static_cast<int>(steps.size());
    result.readOutcome = sync.lastOutcomeText();
    result.readMessages = storeView.messages();
    result.read.assign(static_cast<std::size_t>(SettingsStore::count()), false);
    for (int i = 0; i < done && i < static_cast<int>(steps.size()); ++i) {
        if (const Setting* s = steps[static_cast<std::size_t>(i)].setting) {
            result.read[static_cast<std::size_t>(SettingsStore::indexOf(*s))] = true;
            ++result.settingsRead;
        }
    }
    const auto& settings = allSettings();
    for (int i = 0; i < SettingsStore::count(); ++i) {
        if (!result.read[static_cast<std::size_t>(i)])
            continue;
        const Setting& s = settings[static_cast<std::size_t>(i)];
        const QString mine = viewValue(view, s);
        const QString theirs = result.device.value(i);
        if (!sameSettingValue(s, mine, theirs))
            result.differences.push_back({i, settingName(s), mine, theirs});
    }
    if (log != nullptr)
        log->endOperation(comparisonSummary(result));
    return result;
}

QString comparisonSummary(const DeviceComparison& c) {
    QString text;
    if (c.complete && c.differences.empty())
        return QStringLiteral("The device holds exactly the window's settings.");
    if (c.differences.empty()) {
        text = QStringLiteral("No difference in the %1 settings read.").arg(c.settingsRead);
    } else if (c.differences.size() == 1) {
        text = QStringLiteral("1 setting differs.");
    } else {
        text = QStringLiteral("%1 settings differ.")
                   .arg(static_cast<qulonglong>(c.differences.size()));
    }
    if (!c.complete) {
        text += QStringLiteral(" %1; only the %2 settings read before were compared.")
                    .arg(c.readOutcome)
                    .arg(c.settingsRead);
    }
    return text;
}

}  // namespace blx52
