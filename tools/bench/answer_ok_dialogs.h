#pragma once

#include <cstdio>

#include "ui/dialogs.h"

namespace blx52::bench {

// Says OK to the port warning; any other message is printed and counted, since it spoils the
// measurement.
class AnswerOkDialogs : public Dialogs {
  public:
    bool warningOkCancel(const QString&) override { return true; }
    void warningOk(const QString& text) override { note(text); }
    void errorOk(const QString& text) override { note(text); }
    bool questionYesNo(const QString& text) override {
        note(text);
        return false;
    }
    void informationOk(const QString& text) override { note(text); }
    QuitAnswer askBeforeQuit(const QuitQuestion& question) override {
        note(question.text);
        return {};
    }
    void generalError(const QString& text) override { note(text); }
    void beep() override {}
    void errorBeep() override {}

    int messages = 0;

  private:
    void note(const QString& text) {
        ++messages;
        std::fprintf(stderr, "message: %s\n", text.toUtf8().constData());
    }
};

}  // namespace blx52::bench
