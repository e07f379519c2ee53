#pragma once

#include <QString>
#include <string>
#include <string_view>

#include "settings/settings_table.h"

namespace blx52 {

// Colours of the indicator strips above the connection panel's buttons.
enum class Strip { Menu, ButtonFace, Fuchsia, Lime, Red, Blue };

// Controls of the main window that the read, the write and the input tests drive.
inline constexpr std::string_view ReadTriggerMemo = "Memo43";
inline constexpr std::string_view WriteTriggerMemo = "Memo42";
inline constexpr std::string_view ReadStrip = "Memo40";
inline constexpr std::string_view WriteStrip = "Memo37";
inline constexpr std::string_view BrightnessMirrorMemo = "Memo34";
inline constexpr std::array<std::string_view, 3> InputTestStrips = {"Memo39", "Memo38", "Memo36"};
inline constexpr int FirmwarePanel = 1;
inline constexpr int MessagePanel = 3;

// What the read, the write and the input tests need from the main window, by control name.
// The window implements it; every call maps to one control or one dialog.
class SyncView {
  public:
    virtual ~SyncView() = default;

    virtual QString editText(const std::string& edit) const = 0;
    virtual bool isChecked(const std::string& radioButton) const = 0;
    // Selected item of a pitch box (its PitchCode), -1 when none is selected.
    virtual int pitchIndex(const std::string& comboBox) const = 0;
    virtual QString memoText(const std::string& memo) const = 0;
    virtual int trackBarPosition() const = 0;

    // Hands a value read from the device to the setting's read target: the edit's text (its
    // change rule runs when the text differs) or the landing memo (its reaction always runs).
    // Throws ConversionError when the target's rule cannot convert the text.
    virtual void storeReply(const Setting& setting, const QString& reply) = 0;
    // Sets a trigger memo's text; its change handler runs when the text really changes.
    virtual void setTriggerText(const std::string& memo, const QString& text) = 0;

    virtual void setStatusPanel(int panel, const QString& text) = 0;
    virtual void setStrip(const std::string& memo, Strip colour) = 0;
    virtual void setProgress(int position) = 0;
    virtual void beginBusy() = 0;  // hourglass cursor
    virtual void endBusy() = 0;    // back to the cursor in force before

    virtual bool settingsChanged() const = 0;
    virtual void setSettingsChanged(bool changed) = 0;
    // Main-window side of PortWarningShown.
    virtual bool portWarningShown() const = 0;
    // Sets both sides: the main window's flag and the picture editor's hidden box.
    virtual void setPortWarningShown() = 0;

    // Modal dialogs: "Warnung" with "OK"/"Abbrechen" (true = OK), "Warnung" with "OK",
    // "Fehler" with "OK"; and the exclamation beep.
    virtual bool warningOkCancel(const QString& text) = 0;
    virtual void warningOk(const QString& text) = 0;
    virtual void errorOk(const QString& text) = 0;
    virtual void beep() = 0;
};

}  // namespace blx52
