#pragma once

#include <QString>
#include <QStringList>
#include <functional>

#include "ui/dialogs.h"

namespace blx52 {

// Answers every dialog at once and keeps a log of what would have been shown.
class FakeDialogs : public Dialogs {
  public:
    bool warningOkCancel(const QString& text) override {
        shown(QStringLiteral("warningOkCancel: ") + text);
        return answerOk;
    }
    void warningOk(const QString& text) override { shown(QStringLiteral("warningOk: ") + text); }
    void errorOk(const QString& text) override { shown(QStringLiteral("errorOk: ") + text); }
    void generalError(const QString& text) override {
        shown(QStringLiteral("generalError: ") + text);
    }
    void beep() override { ++beeps; }

    bool answerOk = true;
    QStringList log;
    int beeps = 0;
    // Runs while a dialog is open, to look at the window behind it.
    std::function<void(const QString& entry)> whileShown;

  private:
    void shown(const QString& entry) {
        log << entry;
        if (whileShown)
            whileShown(entry);
    }
};

}  // namespace blx52
