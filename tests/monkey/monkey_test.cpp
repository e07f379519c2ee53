// A random user against both windows and the simulated device: thousands of clicks, keys,
// pastes and choices with every dialog answered at random, and after each event the state a
// user must always find (no operation left running, no refused text in a number field, every
// choice holding a value). BLX52_MONKEY_SEED and BLX52_MONKEY_EVENTS choose the run;
// BLX52_MONKEY_SLOW_SCALE makes device events of the garbage run more or less frequent.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLineEdit>
#include <QLocale>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QTest>
#include <cstdio>
#include <cstdlib>

#include "monkey.h"

namespace blx52::monkey {
namespace {

constexpr std::uint32_t DefaultSeed = 5220;

std::uint32_t seedFromEnvironment() {
    bool ok = false;
    const uint seed = qEnvironmentVariable("BLX52_MONKEY_SEED").toUInt(&ok);
    return ok ? seed : DefaultSeed;
}

// Reads, writes, input tests and sends against a device that waits for every time-out.
double slowScaleFromEnvironment(double fallback) {
    bool ok = false;
    const double scale = qEnvironmentVariable("BLX52_MONKEY_SLOW_SCALE").toDouble(&ok);
    return ok && scale >= 0 ? scale : fallback;
}

int eventsFromEnvironment(int fallback) {
    bool ok = false;
    const int events = qEnvironmentVariable("BLX52_MONKEY_EVENTS").toInt(&ok);
    return ok && events > 0 ? events : fallback;
}

std::string brokenText(const Monkey& monkey) {
    return monkey.check().join(u'|').toStdString();
}

// The users' number format, as the other window tests use it.
class MonkeyTest : public ::testing::Test {
  protected:
    MonkeyTest() : saved_(QLocale()) {
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    }
    ~MonkeyTest() override { QLocale::setDefault(saved_); }

  private:
    QLocale saved_;
};

// A broken state, made behind the rules' backs, must be named by the check.
TEST_F(MonkeyTest, InvariantsHoldAtStartAndEveryBrokenOneIsNamed) {
    World w;
    ASSERT_TRUE(w.started()) << w.whyNotStarted;
    Monkey monkey(w, 1);
    EXPECT_EQ(brokenText(monkey), "");

    auto expectNamed = [&](const char* what, const QString& word, const auto& breakIt,
                           const auto& repair) {
        breakIt();
        const QStringList broken = monkey.check();
        EXPECT_EQ(broken.size(), 1) << what << ": " << broken.join(u'|').toStdString();
        EXPECT_TRUE(broken.join(u'|').contains(word))
            << what << ": " << broken.join(u'|').toStdString();
        repair();
        EXPECT_EQ(brokenText(monkey), "") << what;
    };
    auto quietText = [&](QLineEdit* e, const QString& t) {
        const QSignalBlocker quiet(e);
        e->setText(t);
    };
    auto quietMemo = [&](const char* memo, const QString& t) {
        Memo* m = w.form1->memo(QString::fromLatin1(memo));
        const QSignalBlocker quiet(m);
        m->setText(t);
    };
    QLineEdit* edit25 = w.form1->edit(QStringLiteral("Edit25"));
    QLineEdit* edit35 = w.form1->edit(QStringLiteral("Edit35"));
    QLineEdit* pen = w.form2->edit(QStringLiteral("Edit2"));

    expectNamed(
        "read left running", "Memo43", [&] { quietMemo("Memo43", QStringLiteral("5")); },
        [&] { quietMemo("Memo43", QStringLiteral("0")); });
    expectNamed(
        "write left running", "Memo42", [&] { quietMemo("Memo42", QStringLiteral("2")); },
        [&] { quietMemo("Memo42", QStringLiteral("0")); });
    expectNamed(
        "hourglass left", "cursor", [] { QApplication::setOverrideCursor(Qt::WaitCursor); },
        [] { QApplication::restoreOverrideCursor(); });
    expectNamed(
        "progress left", "ProgressBar1", [&] { w.form1->setProgress(7); },
        [&] { w.form1->setProgress(0); });
    expectNamed(
        "empty duration", "Edit25", [&] { quietText(edit25, {}); },
        [&] { quietText(edit25, QStringLiteral("100")); });
    expectNamed(
        "letter in repeats", "Edit35", [&] { quietText(edit35, QStringLiteral("1x")); },
        [&] { quietText(edit35, QStringLiteral("1000")); });
    expectNamed(
        "euro sign in the pen row", "Edit2", [&] { quietText(pen, QString::fromUtf8("3€")); },
        [&] { quietText(pen, QStringLiteral("0")); });
    expectNamed(
        "pen apart from its edit", "Edit1",
        [&] { quietText(w.form2->edit(QStringLiteral("Edit1")), QStringLiteral("12")); },
        [&] { quietText(w.form2->edit(QStringLiteral("Edit1")), QStringLiteral("0")); });
    expectNamed(
        "stale sound time", "Edit36", [&] { quietText(edit35, QStringLiteral("20")); },
        [&] { quietText(edit35, QStringLiteral("1000")); });
    expectNamed(
        "blue without changes", "Memo37",
        [&] { w.form1->setStrip(QStringLiteral("Memo37"), TForm1::clBlue()); },
        [&] { w.form1->setStrip(QStringLiteral("Memo37"), TForm1::clMenu()); });
    expectNamed(
        "port name and box apart", "port", [&] { w.link.PortName = "COM5"; },
        [&] { w.link.PortName = "COM1"; });
    expectNamed(
        "brightness mirror stale", "Memo34",
        [&] {
            const QSignalBlocker quiet(w.form1->trackBar());
            w.form1->trackBar()->setValue(2);
        },
        [&] {
            const QSignalBlocker quiet(w.form1->trackBar());
            w.form1->trackBar()->setValue(6);
        });

    // A lime read or write leaves the window and the device alike; a difference is named.
    for (const char* operation : {"read", "write"}) {
        monkey.compareAfter(operation);
        w.dialogs.whileShown = nullptr;
        w.dialogs.answerOk = true;
        QTest::mouseClick(
            w.form1->button(QString::fromLatin1(operation[0] == 'r' ? "Button1" : "Button2")),
            Qt::LeftButton);
        ASSERT_EQ(
            w.form1->stripColor(QString::fromLatin1(operation[0] == 'r' ? "Memo40" : "Memo37")),
            TForm1::clLime())
            << operation;
        EXPECT_EQ(brokenText(monkey), "") << operation;
        const std::string held = w.device->value("in2ton1t");
        w.device->setValue("in2ton1t", "1234");
        const QStringList broken = monkey.check();
        ASSERT_EQ(broken.size(), 1) << operation;
        EXPECT_TRUE(broken.front().contains(QStringLiteral("in2ton1t"))) << operation;
        w.device->setValue("in2ton1t", held);
    }
    monkey.compareAfter("");

    // Control characters and 8-bit letters outside the refused set may stay.
    quietText(edit25, QStringLiteral("1\x01") + QChar(0xe9));
    EXPECT_EQ(brokenText(monkey), "");
}

// The monkey's inputs really arrive where a user's would: if they did not, a long run would pass
// without having tested anything.
TEST_F(MonkeyTest, UserInputsReachTheWindowsRules) {
    World w;
    ASSERT_TRUE(w.started()) << w.whyNotStarted;
    TForm1& f1 = *w.form1;
    QLineEdit* repeats = f1.edit(QStringLiteral("Edit35"));

    // A pasted text with a comma is refused once and replaced; a typed zero clears the pitch.
    repeats->setFocus();
    repeats->selectAll();
    QApplication::clipboard()->setText(QStringLiteral("1,5"));
    QTest::keyClick(repeats, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(repeats->text(), "255");
    EXPECT_EQ(w.dialogs.log, QStringList{QStringLiteral("errorOk: Bitte nur Zahlen eingeben!")});
    QLineEdit* tone = f1.edit(QStringLiteral("Edit31"));
    tone->selectAll();
    QTest::sendKeyEvent(QTest::Click, tone, Qt::Key_unknown, QStringLiteral("0"), {});
    EXPECT_EQ(tone->text(), "0");
    EXPECT_EQ(f1.selectedIndex(QStringLiteral("ComboBox5")), 0);

    // A radio click, a track bar key, a port choice.
    QRadioButton* volume = f1.radioButton(QStringLiteral("RadioButton16"));
    QRadioButton* loud = f1.radioButton(QStringLiteral("RadioButton19"));
    ASSERT_TRUE(volume->isChecked());
    QTest::mouseClick(loud, Qt::LeftButton, {}, QPoint(6, loud->height() / 2));
    EXPECT_TRUE(loud->isChecked());
    QTest::keyClick(f1.trackBar(), Qt::Key_Up);
    EXPECT_NE(f1.trackBarPosition(), 6);
    EXPECT_EQ(f1.controlText(QStringLiteral("Memo34")), QString::number(f1.trackBarPosition()));
    QComboBox* port = f1.comboBox(QStringLiteral("ComboBox13"));
    port->setCurrentIndex(3);
    emit port->activated(3);
    EXPECT_EQ(w.link.PortName, "COM4");

    // The editor opens from a picture button and closes like a window.
    QTest::mouseClick(f1.button(QStringLiteral("BitBtn1")), Qt::LeftButton);
    EXPECT_TRUE(w.form2->isVisible());
    EXPECT_NE(w.form2->currentSlot(), nullptr);
    w.form2->close();
    EXPECT_FALSE(w.form2->isVisible());

    Monkey monkey(w, 1);
    EXPECT_EQ(brokenText(monkey), "");
}

// Seeded runs repeat exactly, so a failure can be replayed from its seed.
TEST_F(MonkeyTest, TheSameSeedGivesTheSameRun) {
    auto runLog = [](std::uint32_t seed) {
        World w;
        EXPECT_TRUE(w.started());
        Monkey monkey(w, seed);
        monkey.keepFullLog(true);
        EXPECT_EQ(monkey.run(300), "");
        return monkey.fullLog();
    };
    const std::vector<std::string> first = runLog(77);
    EXPECT_GE(first.size(), 300u);
    EXPECT_EQ(runLog(77), first);
    EXPECT_NE(runLog(78), first);
}

struct Completed {
    int reads = 0;
    int writes = 0;
};

Completed report(const Monkey& monkey, const World& w, const char* device) {
    const RunStats& s = monkey.stats();
    int reads = 0, writes = 0;
    for (const std::string& line : w.device->receivedLines()) {
        reads += line == "get_brightness" ? 1 : 0;
        writes += line == "set_wt_flag123" ? 1 : 0;
    }
    std::printf("%zu lines reached the device; %d reads and %d writes ran to their last line\n",
                w.device->receivedLines().size(), reads, writes);
    std::printf(
        "monkey, %s device: seed %u, %d events in %.1f s, %d dialogs answered, %d errors "
        "reached the last net\n",
        device, static_cast<unsigned>(monkey.seed()), s.events, s.seconds, s.dialogs,
        w.escapedErrors);
    for (const auto& [kind, count] : s.perKind) {
        std::printf("  %-24s %6d  %7.2f s\n", kind.c_str(), count, s.secondsPerKind.at(kind));
    }
    return {reads, writes};
}

class MonkeyRun : public MonkeyTest {};

TEST_F(MonkeyRun, NormalDevice) {
    World w;
    ASSERT_TRUE(w.started()) << w.whyNotStarted;
    Monkey monkey(w, seedFromEnvironment());
    const int events = eventsFromEnvironment(10000);
    const std::string failure = monkey.run(events);
    const Completed completed = report(monkey, w, "normal");
    EXPECT_EQ(failure, "");
    EXPECT_EQ(w.escapedErrors, 0);
    // A long run that never got a read or a write through, or left out a kind of event, has
    // not tested what it claims.
    if (failure.empty() && events >= 1000) {
        EXPECT_GT(completed.reads, 0);
        EXPECT_GT(completed.writes, 0);
        EXPECT_EQ(monkey.stats().perKind.size(), monkey.eventKinds());
    }
}

TEST_F(MonkeyRun, GarbageDevice) {
    devsim::Options garbage;
    garbage.garbage = true;
    const unsigned seed = seedFromEnvironment();
    garbage.garbageSeed = seed;  // the device's bytes repeat with the run's seed
    World w(garbage);
    ASSERT_TRUE(w.started()) << w.whyNotStarted;
    Monkey monkey(w, seed);
    // Every exchange with this device waits for the read time-out: fewer of them.
    monkey.setSlowEventScale(slowScaleFromEnvironment(0.1));
    const std::string failure = monkey.run(eventsFromEnvironment(10000));
    report(monkey, w, "garbage");
    EXPECT_EQ(failure, "");
    EXPECT_EQ(w.escapedErrors, 0);
}

}  // namespace
}  // namespace blx52::monkey
