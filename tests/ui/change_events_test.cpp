#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
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
}

}  // namespace
}  // namespace blx52
