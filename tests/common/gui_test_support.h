#pragma once

#include <gtest/gtest.h>

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

#include <QApplication>
#include <QTest>
#include <QTextBlock>
#include <QWindow>

#include "ui/dialogs.h"
#include "ui/help_window.h"

namespace blx52 {

// The screens of the window test programs on the offscreen platform (gui_main.cpp): every window
// opens on the first, a large one, so that it has its own size; the others are the small and
// scaled screens of technicians' laptops, found by name. A scaling of N % is a logical DPI of
// 96 × N / 100, as Windows sets it.
struct TestScreen {
    const char* name;
    int width;  // in device pixels
    int height;
    int percent;
};
inline constexpr TestScreen TestScreens[] = {
    {"main", 1920, 1080, 100},          {"1366x768@100", 1366, 768, 100},
    {"1366x768@125", 1366, 768, 125},   {"1366x768@150", 1366, 768, 150},
    {"1366x768@200", 1366, 768, 200},   {"1920x1080@100", 1920, 1080, 100},
    {"1920x1080@125", 1920, 1080, 125}, {"1920x1080@150", 1920, 1080, 150},
    {"1920x1080@200", 1920, 1080, 200},
};

// How the port warning and the silent-device warning stand in FakeDialogs' log.
inline const QString PortWarningEntry = QString::fromUtf8(
    "warningOkCancel: Achtung!\n\nBitte den korrekten 'COM' Port im 'Ger\u00e4te-Manager' "
    "pr\u00fcfen!\nBei falsch eingestelltem Port, kann das Programm abst\u00fcrzen!");
inline const QString NoAnswerEntry = QString::fromUtf8(
    "warningOk: Das Modul antwortet nicht!\n\nBitte \u00fcberpr\u00fcfen, ob das Modul "
    "angeschlossen, \nund mit Spannung versorgt ist!");

// Answers every dialog at once and keeps a log ("kind: text") of what would have been shown.
class FakeDialogs : public Dialogs {
  public:
    bool warningOkCancel(const QString& text) override {
        shown(QStringLiteral("warningOkCancel: ") + text);
        return answerOk;
    }
    void warningOk(const QString& text) override { shown(QStringLiteral("warningOk: ") + text); }
    void errorOk(const QString& text) override { shown(QStringLiteral("errorOk: ") + text); }
    bool questionYesNo(const QString& text) override {
        shown(QStringLiteral("questionYesNo: ") + text);
        return answerYes;
    }
    void informationOk(const QString& text) override {
        shown(QStringLiteral("informationOk: ") + text);
    }
    QuitAnswer askBeforeQuit(const QuitQuestion& question) override {
        quitAsked = question;
        shown(QStringLiteral("askBeforeQuit: ") + question.text);
        return quitAnswer;
    }
    void generalError(const QString& text) override {
        shown(QStringLiteral("generalError: ") + text);
    }
    void beep() override { ++beeps; }
    void errorBeep() override { ++errorBeeps; }

    bool answerOk = true;
    bool answerYes = true;
    QuitAnswer quitAnswer;
    std::optional<QuitQuestion> quitAsked;  // the last quit question
    QStringList log;
    int beeps = 0;       // the exclamation sound
    int errorBeeps = 0;  // the error sound
    // Runs while a dialog is open, to look at the windows behind it.
    std::function<void(const QString& entry)> whileShown;

  private:
    void shown(const QString& entry) {
        log << entry;
        if (whileShown)
            whileShown(entry);
    }
};

// Keeps an environment variable for the life of the object and puts back the old value.
class EnvOverride {
  public:
    EnvOverride(const char* name, const QByteArray& value)
        : name_(name),
          old_(qEnvironmentVariableIsSet(name) ? std::optional(qgetenv(name)) : std::nullopt) {
        qputenv(name, value);
    }
    ~EnvOverride() {
        if (old_) {
            qputenv(name_, *old_);
        } else {
            qunsetenv(name_);
        }
    }
    EnvOverride(const EnvOverride&) = delete;
    EnvOverride& operator=(const EnvOverride&) = delete;

  private:
    const char* name_;
    std::optional<QByteArray> old_;
};

// The help window while it is shown, else null.
inline HelpWindow* shownHelpWindow() {
    for (QWidget* w : QApplication::allWidgets()) {
        if (auto* help = qobject_cast<HelpWindow*>(w); help != nullptr && help->isVisible())
            return help;
    }
    return nullptr;
}

// Whether the shown manual has a heading of that anchor.
inline bool manualHasAnchor(const HelpWindow& help, const QString& anchor) {
    for (QTextBlock b = help.document()->begin(); b.isValid(); b = b.next()) {
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            if (it.fragment().charFormat().anchorNames().contains(anchor))
                return true;
        }
    }
    return false;
}

// Presses F1 in `window` (made the active window first) and gives the help window that came up.
inline HelpWindow* pressHelpKey(QWidget* window) {
    window->raise();
    window->activateWindow();
    if (window->windowHandle() != nullptr)
        window->windowHandle()->requestActivate();
    if (!QTest::qWaitFor([window] { return QApplication::activeWindow() == window; }, 2000))
        return nullptr;
    QTest::keyClick(window, Qt::Key_F1);
    return shownHelpWindow();
}

// F1 in `window` opens the help window at `chapter`, a heading the manual has; closes it again.
inline void expectF1OpensChapter(QWidget* window, const char* chapter) {
    SCOPED_TRACE(chapter);
    HelpWindow* help = pressHelpKey(window);
    ASSERT_NE(help, nullptr);
    EXPECT_EQ(help->chapter(), QString::fromLatin1(chapter));
    EXPECT_TRUE(manualHasAnchor(*help, help->chapter()));
    help->close();
}

}  // namespace blx52
