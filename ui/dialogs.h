#pragma once

#include <QString>

namespace blx52 {

// What a quit would lose, for the one question before it.
struct QuitQuestion {
    QString text;     // what would be lost
    bool settings;    // unwritten settings: write them, save them to a file, or discard them
    QString picture;  // the slot of unsaved drawing, empty when there is none
};

// The answer: what to do with each, or to stay.
struct QuitAnswer {
    enum class Settings { Write, SaveToFile, Discard };
    bool cancel = false;
    Settings settings = Settings::Discard;
    bool savePicture = false;
};

// The program's title: task bar, general error box.
inline constexpr char ProgramTitle[] = "BLX52 Glowpanel Configurator";

// Every modal message and system sound of the program goes through here, so that tests can
// answer and count them.
class Dialogs {
  public:
    virtual ~Dialogs() = default;
    // Warning with "OK" and "Abbrechen"; true for OK (closing the box counts as cancel).
    virtual bool warningOkCancel(const QString& text) = 0;
    // Warning with "OK" alone.
    virtual void warningOk(const QString& text) = 0;
    // Error ("Fehler") with "OK" alone.
    virtual void errorOk(const QString& text) = 0;
    // A question ("Frage") with "Ja" and "Nein"; true for Ja (closing the box counts as Nein).
    virtual bool questionYesNo(const QString& text) = 0;
    // Information ("Information") with "OK" alone: what a command of the program did.
    virtual void informationOk(const QString& text) = 0;
    // The box for an error that ended a handler, titled with the program's title.
    virtual void generalError(const QString& text) = 0;
    // The exclamation sound, before "Das Modul antwortet nicht!" and the other warnings.
    virtual void beep() = 0;
    // The error sound, before the message about a refused field entry.
    virtual void errorBeep() = 0;
    // A question of the program's additions, with "OK" and "Abbrechen"; true for OK. Those that
    // answer warnings answer it the same way unless they tell it apart.
    virtual bool questionOkCancel(const QString& text) { return warningOkCancel(text); }
    // Before a quit that would lose work: one box offering what fits the question, and
    // "Abbrechen"; closing the box counts as cancel.
    virtual QuitAnswer askBeforeQuit(const QuitQuestion& question) = 0;
};

// Message boxes with the German titles and button texts, whatever the desktop language.
class QtDialogs : public Dialogs {
  public:
    bool warningOkCancel(const QString& text) override;
    bool questionOkCancel(const QString& text) override;
    QuitAnswer askBeforeQuit(const QuitQuestion& question) override;
    void warningOk(const QString& text) override;
    void errorOk(const QString& text) override;
    bool questionYesNo(const QString& text) override;
    void informationOk(const QString& text) override;
    void generalError(const QString& text) override;
    // Windows has a sound for each; elsewhere the toolkit's one beep serves both.
    void beep() override;
    void errorBeep() override;
};

}  // namespace blx52
