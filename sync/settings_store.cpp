#include "sync/settings_store.h"

#include <QHash>

#include "sync/sequences.h"

namespace blx52 {

namespace {

// The control names the write asks for, mapped to the setting (and for radio buttons the value
// the button stands for).
struct ControlPlace {
    int setting = -1;
    int button = -1;
};

const QHash<QString, ControlPlace>& controlPlaces() {
    static const QHash<QString, ControlPlace> places = [] {
        QHash<QString, ControlPlace> out;
        const auto& settings = allSettings();
        for (std::size_t i = 0; i < settings.size(); ++i) {
            const Setting& s = settings[i];
            const int index = static_cast<int>(i);
            if (!s.control.empty())
                out.insert(QString::fromStdString(s.control), {index, -1});
            for (std::size_t b = 0; b < s.buttons.size(); ++b)
                out.insert(QString::fromStdString(s.buttons[b]), {index, static_cast<int>(b)});
            if (s.kind == FieldKind::Brightness)
                out.insert(QString::fromLatin1(BrightnessMirrorMemo.data(),
                                               static_cast<qsizetype>(BrightnessMirrorMemo.size())),
                           {index, -1});
        }
        return out;
    }();
    return places;
}

ControlPlace placeOf(const std::string& control) {
    return controlPlaces().value(QString::fromStdString(control));
}

QString startValue(const Setting& s) {
    if (s.isEdit())
        return QString::fromStdString(s.startText);
    return QString::number(s.startIndex);
}

}  // namespace

SettingsStore::SettingsStore() {
    for (const Setting& s : allSettings())
        values_.push_back(startValue(s));
}

int SettingsStore::count() {
    return static_cast<int>(allSettings().size());
}

int SettingsStore::indexOf(const Setting& setting) {
    const auto& settings = allSettings();
    if (&setting < settings.data() || &setting >= settings.data() + settings.size())
        return -1;
    return static_cast<int>(&setting - settings.data());
}

QString StoreSyncView::editText(const std::string& edit) const {
    const ControlPlace p = placeOf(edit);
    return p.setting >= 0 ? store_.value(p.setting) : QString();
}

bool StoreSyncView::isChecked(const std::string& radioButton) const {
    const ControlPlace p = placeOf(radioButton);
    if (p.setting < 0 || p.button < 0)
        return false;
    const Setting& s = allSettings()[static_cast<std::size_t>(p.setting)];
    return choiceNumber(s, store_.value(p.setting)) == p.button;
}

int StoreSyncView::pitchIndex(const std::string& comboBox) const {
    const ControlPlace p = placeOf(comboBox);
    if (p.setting < 0)
        return -1;
    const Setting& s = allSettings()[static_cast<std::size_t>(p.setting)];
    return choiceNumber(s, store_.value(p.setting)).value_or(-1);
}

QString StoreSyncView::memoText(const std::string& memo) const {
    // Only the brightness mirror is asked for; it always holds the store's brightness.
    const ControlPlace p = placeOf(memo);
    return p.setting >= 0 ? store_.value(p.setting) : QString();
}

int StoreSyncView::trackBarPosition() const {
    // The write falls back to the track bar only when the mirror is empty. A store has no track
    // bar: an empty brightness must be refused, not silently sent as a start value, and "-1" is
    // no digit text.
    return -1;
}

void StoreSyncView::storeReply(const Setting& setting, const QString& reply) {
    const int index = SettingsStore::indexOf(setting);
    if (index >= 0) {
        store_.setValue(index, storedValue(setting, reply));
        changed_ = true;
    }
}

void StoreSyncView::setTriggerText(const std::string&, const QString&) {
    // The caller runs the read or write itself; there is no memo to start it.
}

void StoreSyncView::setStatusPanel(int panel, const QString& text) {
    if (panel == MessagePanel)
        messageText_ = text;
}

void StoreSyncView::setProgress(int position) {
    if (progressHook_)
        progressHook_(position);
}

bool StoreSyncView::warningOkCancel(const QString& text) {
    messages_ << QStringLiteral("Warnung: ") + text;
    return true;
}

void StoreSyncView::warningOk(const QString& text) {
    messages_ << QStringLiteral("Warnung: ") + text;
}

void StoreSyncView::errorOk(const QString& text) {
    messages_ << QStringLiteral("Fehler: ") + text;
}

}  // namespace blx52
