#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QMessageBox>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <stdexcept>

#include "ui/application.h"
#include "ui/change_events.h"
#include "ui/dialogs.h"
#include "ui/handler_guard.h"

namespace blx52 {
namespace {

TEST(ChangeEvents, EditRuleRunsOnRealChangesAndNestsInsideTheSetter) {
    QLineEdit edit;
    QStringList seen;
    onChange(&edit, [&] {
        seen << QStringLiteral("begin ") + edit.text();
        if (edit.text().isEmpty())
            edit.setText(QStringLiteral("0"));
        seen << QStringLiteral("end ") + edit.text();
    });
    edit.setText(QStringLiteral("5"));
    edit.setText(QStringLiteral("5"));  // same text: nothing
    edit.setText(QString());
    EXPECT_EQ(seen, QStringList({"begin 5", "end 5", "begin ", "begin 0", "end 0", "end 0"}));
}

TEST(ChangeEvents, MemoChangesOnlyOnNewTextButStoresAlwaysReact) {
    Memo memo;
    int changes = 0, stores = 0;
    onChange(&memo, [&] { ++changes; });
    onStore(&memo, [&] { ++stores; });
    memo.setText(QStringLiteral("5"));
    memo.setText(QStringLiteral("5"));
    EXPECT_EQ(changes, 1);
    memo.store(QStringLiteral("7"));
    memo.store(QStringLiteral("7"));
    EXPECT_EQ(stores, 2);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(memo.text(), QStringLiteral("7"));
    memo.setText(QStringLiteral("7"));  // the stored text counts as the current one
    EXPECT_EQ(changes, 1);
    memo.setText(QStringLiteral("0"));
    EXPECT_EQ(changes, 2);
}

TEST(ChangeEvents, ComboBoxSelectedByTheProgramRaisesNothing) {
    QComboBox box;
    box.addItems({"a", "b", "c"});
    int runs = 0;
    onUserSelect(&box, [&] { ++runs; });
    selectByProgram(&box, 2);
    EXPECT_EQ(box.currentIndex(), 2);
    EXPECT_EQ(runs, 0);
    box.show();
    box.setFocus();
    QTest::keyClick(&box, Qt::Key_Up);  // the user's choice
    EXPECT_EQ(box.currentIndex(), 1);
    EXPECT_EQ(runs, 1);
}

TEST(ChangeEvents, CheckingARadioButtonRunsItsClickRuleOnce) {
    QWidget group;
    auto* a = new QRadioButton(&group);
    auto* b = new QRadioButton(&group);
    a->setChecked(true);
    int aRuns = 0, bRuns = 0;
    onClick(a, [&] { ++aRuns; });
    onClick(b, [&] { ++bRuns; });
    b->setChecked(true);
    EXPECT_TRUE(b->isChecked());
    EXPECT_FALSE(a->isChecked());
    EXPECT_EQ(bRuns, 1);
    EXPECT_EQ(aRuns, 0);  // unchecking is no click
    b->setChecked(true);  // already checked
    EXPECT_EQ(bRuns, 1);
    group.show();
    QTest::mouseClick(a, Qt::LeftButton);
    EXPECT_EQ(aRuns, 1);
}

// A nested error that the outer handler rethrows ends it and is reported once: ControlRules and
// EditRules follow that through the window. Here what they cannot reach: an error nobody
// rethrows is reported once all the same, and the guard is ready for the next handler.
TEST(HandlerGuard, NestedErrorNobodyRethrowsIsStillReportedOnce) {
    QStringList reports;
    HandlerGuard guard([&](const QString& m) { reports << m; });
    guard.run([&] {
        guard.run([] { throw std::runtime_error("first"); });
        EXPECT_TRUE(reports.isEmpty());  // held until the outer handler ends
        guard.run([] { throw std::runtime_error("second"); });
    });
    EXPECT_EQ(reports, QStringList({"first"}));
    EXPECT_FALSE(guard.running());
    guard.run([] {});
    guard.run([] { throw std::runtime_error("third"); });
    EXPECT_EQ(reports, QStringList({"first", "third"}));
}

class Throwing : public QObject {
  protected:
    bool event(QEvent* e) override {
        if (e->type() == QEvent::User)
            throw std::runtime_error("escaped");
        return QObject::event(e);
    }
};

TEST(Application, AnErrorThatEscapesAHandlerIsShownAndTheProgramGoesOn) {
    auto* app = static_cast<Application*>(QCoreApplication::instance());
    QStringList reports;
    app->setErrorReporter([&](const QString& m) { reports << m; });
    Throwing object;
    QEvent event(QEvent::User);
    QCoreApplication::sendEvent(&object, &event);
    QCoreApplication::postEvent(&object, new QEvent(QEvent::User));
    QCoreApplication::processEvents();
    app->setErrorReporter({});
    EXPECT_EQ(reports, QStringList({"escaped", "escaped"}));
}

// Answers the next modal message box with `button` and records what it showed.
struct BoxAnswer {
    QString title, text;
    QStringList buttons;
};
void answerNextBox(QMessageBox::StandardButton button, BoxAnswer* seen) {
    QTimer::singleShot(0, [=] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box)
            return answerNextBox(button, seen);
        seen->title = box->windowTitle();
        seen->text = box->text();
        for (QAbstractButton* b : box->buttons())
            seen->buttons << b->text();
        seen->buttons.sort();
        box->button(button)->click();
    });
}

TEST(QtDialogs, GermanTitlesAndButtonsWhateverTheDesktopLanguage) {
    QtDialogs dialogs;
    BoxAnswer seen;
    answerNextBox(QMessageBox::Cancel, &seen);
    EXPECT_FALSE(dialogs.warningOkCancel(QStringLiteral("Achtung!")));
    EXPECT_EQ(seen.title, QStringLiteral("Warnung"));
    EXPECT_EQ(seen.buttons, QStringList({"Abbrechen", "OK"}));

    seen = {};
    answerNextBox(QMessageBox::Ok, &seen);
    EXPECT_TRUE(dialogs.warningOkCancel(QStringLiteral("Achtung!")));

    seen = {};
    answerNextBox(QMessageBox::Ok, &seen);
    dialogs.errorOk(QStringLiteral("Bitte nur Zahlen eingeben!"));
    EXPECT_EQ(seen.title, QStringLiteral("Fehler"));
    EXPECT_EQ(seen.text, QStringLiteral("Bitte nur Zahlen eingeben!"));
    EXPECT_EQ(seen.buttons, QStringList({"OK"}));

    seen = {};
    answerNextBox(QMessageBox::Ok, &seen);
    dialogs.generalError(QStringLiteral("kaputt"));
    EXPECT_EQ(seen.title, QStringLiteral("BLX52 Glowpanel Configurator"));
    EXPECT_EQ(seen.buttons, QStringList({"OK"}));

    // The program's own questions too (File → Open settings over unwritten changes).
    seen = {};
    answerNextBox(QMessageBox::Cancel, &seen);
    EXPECT_FALSE(dialogs.questionOkCancel(QStringLiteral("Replace?")));
    EXPECT_EQ(seen.buttons, QStringList({"Abbrechen", "OK"}));
}

// Answers the next quit box by the object name of a button, after setting its check box, and
// keeps a picture of it in the temp folder (or BLX52_RENDER_DIR).
void answerQuitBox(const QString& button, bool check, const QString& png, BoxAnswer* seen) {
    QTimer::singleShot(0, [=] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box)
            return answerQuitBox(button, check, png, seen);
        seen->title = box->windowTitle();
        seen->text = box->text();
        for (QAbstractButton* b : box->buttons())
            seen->buttons << b->text();
        seen->buttons.sort();
        if (box->checkBox()) {
            seen->buttons << QStringLiteral("[x] ") + box->checkBox()->text();
            box->checkBox()->setChecked(check);
        }
        const QByteArray dir = qgetenv("BLX52_RENDER_DIR");
        box->grab().save((dir.isEmpty() ? QDir::tempPath() : QString::fromUtf8(dir)) + u'/' + png);
        if (button.isEmpty())
            box->reject();  // Escape, or the frame's close button
        else
            box->findChild<QAbstractButton*>(button)->click();
    });
}

TEST(QtDialogs, TheQuitBoxOffersWhatFitsAndCancelsInGerman) {
    QtDialogs dialogs;
    using S = QuitAnswer::Settings;
    // The texts the main window asks with.
    const QString settingsLost = QStringLiteral(
        "The settings in this window were changed and not written to the device; they are kept "
        "nowhere else.");
    const QString pictureLost = QStringLiteral(
        "The picture editor holds drawing of In0_Pic0 that is not saved to its file.");
    const QuitQuestion settings{
        settingsLost + QStringLiteral("\n\nQuitting now loses them."), true, {}};
    const QuitQuestion picture{pictureLost + QStringLiteral("\n\nQuitting now loses it."), false,
                               QStringLiteral("In0_Pic0")};
    const QuitQuestion both{settingsLost + QStringLiteral("\n\n") + pictureLost +
                                QStringLiteral("\n\nQuitting now loses both."),
                            true, QStringLiteral("In0_Pic0")};
    const struct {
        const char* name;
        const QuitQuestion& question;
        const char* button;  // empty: the box is closed
        bool check;
        bool cancel;
        S settings;
        bool savePicture;
    } cases[] = {
        {"settings: write", settings, "QuitWrite", false, false, S::Write, false},
        {"settings: save to a file", settings, "QuitSaveFile", false, false, S::SaveToFile, false},
        {"settings: Abbrechen", settings, "", false, true, S::Discard, false},
        {"picture: save", picture, "QuitSavePicture", false, false, S::Discard, true},
        {"picture: discard", picture, "QuitDiscard", false, false, S::Discard, false},
        {"both: discard all", both, "QuitDiscard", false, false, S::Discard, false},
        {"both: write, picture saved", both, "QuitWrite", true, false, S::Write, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        BoxAnswer seen;
        const QString png = QStringLiteral("quit_box_%1.png")
                                .arg(c.question.settings ? (c.question.picture.isEmpty()
                                                                ? QStringLiteral("settings")
                                                                : QStringLiteral("both"))
                                                         : QStringLiteral("picture"));
        answerQuitBox(QString::fromLatin1(c.button), c.check, png, &seen);
        const QuitAnswer answer = dialogs.askBeforeQuit(c.question);
        EXPECT_EQ(answer.cancel, c.cancel);
        if (!c.cancel) {
            EXPECT_EQ(answer.settings, c.settings);
            EXPECT_EQ(answer.savePicture, c.savePicture);
        }
        EXPECT_EQ(seen.title, QStringLiteral("Frage"));
        EXPECT_EQ(seen.text, c.question.text);
        EXPECT_TRUE(seen.buttons.contains(QStringLiteral("Abbrechen")));
        EXPECT_FALSE(seen.buttons.contains(QStringLiteral("Cancel")));
        if (&c.question == &settings) {
            EXPECT_EQ(seen.buttons,
                      QStringList({"Abbrechen", "Discard", QString::fromUtf8("Save to file\u2026"),
                                   "Write to device"}));
        }
        if (&c.question == &picture) {
            EXPECT_EQ(seen.buttons, QStringList({"Abbrechen", "Discard", "Save"}));
        }
        if (&c.question == &both) {
            EXPECT_TRUE(
                seen.buttons.contains(QStringLiteral("[x] Save the picture In0_Pic0 to its file")));
        }
    }
}

}  // namespace
}  // namespace blx52
