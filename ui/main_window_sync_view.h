#pragma once

#include <QApplication>
#include <QRadioButton>
#include <string>

#include "sync/sync_view.h"
#include "ui/change_events.h"
#include "ui/main_window.h"

namespace blx52 {

// The window as the read, the write and the input tests see it: every call goes to one control,
// one dialog or the cursor.
class Form1SyncView final : public SyncView {
  public:
    explicit Form1SyncView(TForm1& form) : f_(form) {}

    QString editText(const std::string& edit) const override {
        return f_.controlText(QString::fromStdString(edit));
    }
    bool isChecked(const std::string& radioButton) const override {
        auto* r = f_.radioButton(QString::fromStdString(radioButton));
        return r && r->isChecked();
    }
    int pitchIndex(const std::string& comboBox) const override {
        return f_.selectedIndex(QString::fromStdString(comboBox));
    }
    QString memoText(const std::string& memo) const override {
        return f_.controlText(QString::fromStdString(memo));
    }
    int trackBarPosition() const override { return f_.trackBarPosition(); }

    void storeReply(const Setting& setting, const QString& reply) override {
        f_.storeReply(QString::fromStdString(setting.readTarget()), reply);
    }
    void setTriggerText(const std::string& memo, const QString& text) override {
        // Memo::setText runs the change handler only on a real change.
        if (Memo* m = f_.memo(QString::fromStdString(memo)))
            m->setText(text);
    }

    void setStatusPanel(int panel, const QString& text) override { f_.setPanelText(panel, text); }
    void setStrip(const std::string& memo, Strip colour) override {
        f_.setStrip(QString::fromStdString(memo), color(colour));
    }
    void setProgress(int position) override { f_.setProgress(position); }
    void beginBusy() override { QApplication::setOverrideCursor(Qt::WaitCursor); }
    void endBusy() override { QApplication::restoreOverrideCursor(); }

    bool settingsChanged() const override { return f_.settingsChanged(); }
    void setSettingsChanged(bool changed) override { f_.setSettingsChanged(changed); }
    bool portWarningShown() const override { return f_.portWarningShown(); }
    void setPortWarningShown() override { f_.setPortWarningShown(); }

    bool warningOkCancel(const QString& text) override {
        return f_.dialogs().warningOkCancel(text);
    }
    void warningOk(const QString& text) override { f_.dialogs().warningOk(text); }
    void errorOk(const QString& text) override { f_.dialogs().errorOk(text); }
    void beep() override { f_.dialogs().beep(); }

  private:
    QColor color(Strip colour) const {
        switch (colour) {
            case Strip::Menu:
                return TForm1::clMenu();
            case Strip::ButtonFace:
                return f_.clBtnFace();
            case Strip::Fuchsia:
                return TForm1::clFuchsia();
            case Strip::Lime:
                return TForm1::clLime();
            case Strip::Red:
                return TForm1::clRed();
            case Strip::Blue:
                return TForm1::clBlue();
        }
        return TForm1::clMenu();
    }

    TForm1& f_;
};

}  // namespace blx52
