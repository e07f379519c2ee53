#pragma once

#include <QString>
#include <QStringList>

#include "ui/dialogs.h"

namespace blx52 {

// Answers every dialog at once and keeps a log of what would have been shown.
class FakeDialogs : public Dialogs {
  public:
    bool warningOkCancel(const QString& text) override {
        log << QStringLiteral("warningOkCancel: ") + text;
        return answerOk;
    }
    void warningOk(const QString& text) override { log << QStringLiteral("warningOk: ") + text; }
    void errorOk(const QString& text) override { log << QStringLiteral("errorOk: ") + text; }
    void generalError(const QString& text) override {
        log << QStringLiteral("generalError: ") + text;
    }
    void beep() override { ++beeps; }

    bool answerOk = true;
    QStringList log;
    int beeps = 0;
};

}  // namespace blx52
