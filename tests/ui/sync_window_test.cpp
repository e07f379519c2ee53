// The read, the write, the input tests and the brightness through the real main window: buttons
// clicked with QTest, the real serial path to the device simulator on a pseudo-terminal.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QLocale>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>
#include <map>
#include <memory>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "form_fixture.h"
#include "link/device_link.h"
#include "settings/settings_table.h"
#include "sync/device_sync.h"
#include "tests/common/expected_tables.h"
#include "tests/common/simulated_device.h"
#include "tools/devsim/options.h"
#include "ui/main_window.h"

inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

namespace blx52 {
namespace {

QString readStopped(const char* where, const char* why) {
    return QString::fromUtf8("Lesen abgebrochen bei %1: %2")
        .arg(QString::fromUtf8(where), QString::fromUtf8(why));
}
QString writeStopped(const char* where, const char* why) {
    return QString::fromUtf8("Schreiben abgebrochen bei %1: %2")
        .arg(QString::fromUtf8(where), QString::fromUtf8(why));
}
// The message box of a read that stopped for another reason than a silent device.
QString readStoppedEntry(const char* where, const char* why) {
    return QStringLiteral("warningOk: ") + readStopped(where, why) +
           QString::fromUtf8(
               "\n\nDie bis dahin gelesenen Werte wurden \u00fcbernommen, alle "
               "weiteren Einstellungen sind unver\u00e4ndert.");
}
// The message box of a write that stopped after `confirmed` entries went out; the line of the
// entry where it stopped went out too, unconfirmed, so the device may hold it.
QString writeStoppedEntry(const char* where, const char* why, int confirmed) {
    const QString rest =
        confirmed == 0 ? QString::fromUtf8(
                             "Keine Einstellung wurde best\u00e4tigt. Eintrag 1 (%1) wurde "
                             "gesendet, aber nicht best\u00e4tigt; das Modul kann ihn "
                             "\u00fcbernommen haben.\n\nBitte erneut schreiben!")
                             .arg(QString::fromUtf8(where))
                       : QString::fromUtf8(
                             "Nur %1 von 89 Einstellungen wurden best\u00e4tigt "
                             "\u00fcbertragen. Eintrag %2 (%3) wurde gesendet, aber nicht "
                             "best\u00e4tigt; das Modul kann ihn \u00fcbernommen haben. Das "
                             "Modul enth\u00e4lt jetzt teils alte, teils neue Werte.\n\nBitte "
                             "erneut schreiben!")
                             .arg(confirmed)
                             .arg(confirmed + 1)
                             .arg(QString::fromUtf8(where));
    return QStringLiteral("warningOk: ") + writeStopped(where, why) + QStringLiteral("\n\n") + rest;
}

// What a write of the untouched window sends, line by line.
const std::vector<std::string> StartWriteLines = [] {
    std::vector<std::string> lines;
    for (const auto& e : test::expectedWrite)
        lines.push_back(std::string(e.key) + e.startValue);
    return lines;
}();

QString qs(const std::string& text) {
    return QString::fromStdString(text);
}

devsim::Options ignoring(std::set<std::string> keys) {
    devsim::Options o;
    o.ignoredKeys = std::move(keys);
    return o;
}
devsim::Options replying(const std::string& key, const std::string& reply) {
    devsim::Options o;
    o.replyOverrides[key] = reply;
    return o;
}

// The value name of a setting on the device: its get key without "get".
std::string deviceName(const Setting& s) {
    return s.getKey.substr(3);
}

class SyncWindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(config.isValid());
        savedLocale = QLocale();
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));

        std::string why;
        sim = test::startSimulatedDevice("COM3", &why);
        ASSERT_TRUE(sim) << why;
        link.PortName = sim->portName();
        form = std::make_unique<TForm1>(link, dialogs);
        form->setEditorPortWarningHook([this] { ++editorSideSets; });
        form->show();
        QObject::connect(form->progressBar(), &QProgressBar::valueChanged, form.get(),
                         [this](int v) {
                             progressSeen.push_back(v);
                             busySeen += waitCursor() ? 1 : 0;
                         });
    }

    void TearDown() override {
        form.reset();
        sim.reset();
        QLocale::setDefault(savedLocale);
    }

    void click(const char* button) {
        QPushButton* b = form->button(QString::fromLatin1(button));
        ASSERT_NE(b, nullptr);
        QTest::mouseClick(b, Qt::LeftButton);
    }
    QString text(const std::string& control) const { return form->controlText(qs(control)); }
    QColor strip(const char* memo) const { return form->stripColor(QString::fromLatin1(memo)); }
    void setOptions(const devsim::Options& o) { sim->setOptions(o); }

    // A port whose device is gone cannot be opened. (A port-folder link that leads nowhere is
    // the exchange tests' case.)
    void usePortWhoseDeviceIsGone() { link.PortName = sim->missingPortName(); }
    static bool waitCursor() {
        return QApplication::overrideCursor() &&
               QApplication::overrideCursor()->shape() == Qt::WaitCursor;
    }
    // The bar counts every one of the 89 exchanges under the hourglass, then goes back to 0.
    void expectCountedUnderHourglass() {
        std::vector<int> counted;
        for (int i = 1; i <= 89; ++i)
            counted.push_back(i);
        counted.push_back(0);
        EXPECT_EQ(progressSeen, counted);
        EXPECT_EQ(busySeen, 90);
        progressSeen.clear();
        busySeen = 0;
    }

    // Every setting as the window shows it, as the device would hold it.
    std::map<std::string, std::string> windowValues() const {
        std::map<std::string, std::string> values;
        for (const auto& s : allSettings()) {
            std::string v;
            if (s.isEdit()) {
                v = text(s.control).toStdString();
            } else if (s.kind == FieldKind::Pitch) {
                v = std::to_string(form->selectedIndex(qs(s.control)));
            } else if (s.kind == FieldKind::Brightness) {
                v = std::to_string(form->trackBarPosition());
            } else {
                v = std::to_string(form->checkedButton(s));
            }
            values[deviceName(s)] = v;
        }
        return values;
    }

    // Gives the device a value for every setting that differs from the window's start value.
    void loadOtherDeviceValues() {
        for (const auto& s : allSettings()) {
            std::string v;
            switch (s.kind) {
                case FieldKind::PictureDuration:
                case FieldKind::ToneDuration:
                case FieldKind::Repeats:
                    v = std::to_string(std::stoi(s.startText) + 11 + s.index);
                    break;
                case FieldKind::Pitch:
                    v = std::to_string((s.startIndex + 5 + s.index) % 17);
                    break;
                case FieldKind::Volume:
                case FieldKind::Standby:
                    v = std::to_string((s.startIndex + 1) % static_cast<int>(s.buttons.size()));
                    break;
                case FieldKind::Brightness:
                    v = "2";
                    break;
            }
            sim->setValue(deviceName(s), v);
        }
        sim->setValue("datafw", "7");
    }

    std::map<std::string, std::string> deviceValues() const {
        std::map<std::string, std::string> values;
        for (const auto& s : allSettings())
            values[deviceName(s)] = sim->value(deviceName(s));
        return values;
    }

    // Forgets unwritten changes, as a completed write would.
    void clearChanges() {
        form->setSettingsChanged(false);
        form->setStrip(QStringLiteral("Memo37"), TForm1::clMenu());
    }

    // The closing steps of a read or write ran: bar back at 0, cursor restored, triggers idle.
    void expectIdle() const {
        EXPECT_EQ(form->progress(), 0);
        EXPECT_EQ(QApplication::overrideCursor(), nullptr);
        EXPECT_EQ(text("Memo43"), "0");
        EXPECT_EQ(text("Memo42"), "0");
    }

    QTemporaryDir config;
    EnvOverride configVar{"XDG_CONFIG_HOME", config.path().toUtf8()};
    QLocale savedLocale;
    std::unique_ptr<test::SimulatedDevice> sim;
    DeviceLink link;
    FakeDialogs dialogs;
    std::unique_ptr<TForm1> form;
    int editorSideSets = 0;
    std::vector<int> progressSeen;
    int busySeen = 0;
};

// ---- write ----

TEST_F(SyncWindowTest, WriteSendsTheStartValuesByteForByte) {
    // Cursor and progress while the write runs, seen from the warning that the last line's
    // missing answer brings up.
    setOptions(ignoring({"set_wt_flag"}));
    int progressAtWarning = -1;
    Qt::CursorShape cursorAtWarning = Qt::ArrowCursor;
    QColor stripAtWarning;
    QString countAtWarning;
    dialogs.whileShown = [&](const QString& entry) {
        if (!entry.startsWith(QStringLiteral("warningOk:")))
            return;
        progressAtWarning = form->progress();
        if (QApplication::overrideCursor())
            cursorAtWarning = QApplication::overrideCursor()->shape();
        stripAtWarning = strip("Memo37");
        countAtWarning = form->panelText(3);
    };
    click("Button2");
    EXPECT_EQ(sim->receivedLines(), StartWriteLines);
    // The silent device's warning, then how much of the write went out.
    EXPECT_EQ(dialogs.log, (QStringList{PortWarningEntry, NoAnswerEntry,
                                        writeStoppedEntry("Closing mark", "keine Antwort", 88)}));
    EXPECT_EQ(dialogs.beeps, 1);
    EXPECT_EQ(dialogs.errorBeeps, 0);
    EXPECT_EQ(progressAtWarning, 0);  // the warning comes after the closing steps and the text
    EXPECT_EQ(cursorAtWarning, Qt::ArrowCursor);
    EXPECT_EQ(countAtWarning, writeStopped("Closing mark", "keine Antwort"));
    EXPECT_EQ(stripAtWarning, TForm1::clFuchsia());  // red only after the warning
    expectCountedUnderHourglass();
    EXPECT_EQ(form->panelText(3), writeStopped("Closing mark", "keine Antwort"));
    EXPECT_EQ(strip("Memo37"), TForm1::clRed());
    expectIdle();

    // All answered: lime, no pending changes, the same lines again.
    setOptions({});
    sim->clearReceived();
    dialogs.log.clear();
    form->edit(QStringLiteral("Edit20"))->setText(QStringLiteral("1000"));  // no change
    click("Button2");
    EXPECT_EQ(sim->receivedLines(), StartWriteLines);
    EXPECT_EQ(dialogs.log, QStringList{PortWarningEntry});
    EXPECT_EQ(form->panelText(3), "Transmitted settings: 89");
    EXPECT_EQ(strip("Memo37"), TForm1::clLime());
    EXPECT_FALSE(form->settingsChanged());
    EXPECT_TRUE(form->portWarningShown());
    EXPECT_TRUE(form->checkBox(QStringLiteral("CheckBox2"))->isChecked());
    EXPECT_EQ(editorSideSets, 2);  // once per click
    expectIdle();
}

TEST_F(SyncWindowTest, WriteStopsAtTheFirstFailedEntryAndSaysHowMuchWentOut) {
    form->edit(QStringLiteral("Edit22"))->setText(QStringLiteral("900"));
    ASSERT_TRUE(form->settingsChanged());

    // Entry 32 unanswered: nothing after it goes out.
    setOptions(ignoring({"setin2ton1t"}));
    click("Button2");
    const auto sent = sim->receivedLines();
    ASSERT_EQ(sent.size(), 32u);
    EXPECT_EQ(sent.back(), StartWriteLines[31]);
    EXPECT_EQ(sim->value("in0pic3t"), "900");
    EXPECT_EQ(form->panelText(3), writeStopped("Input 2, tone 1 duration", "keine Antwort"));
    EXPECT_EQ(strip("Memo37"), TForm1::clRed());
    EXPECT_TRUE(form->settingsChanged());
    EXPECT_EQ(dialogs.beeps, 1);
    EXPECT_EQ(dialogs.log,
              (QStringList{PortWarningEntry, NoAnswerEntry,
                           writeStoppedEntry("Input 2, tone 1 duration", "keine Antwort", 31)}));
    EXPECT_EQ(form->deviceSync().lastWrite().successes, 31);
    expectIdle();

    // A port that cannot be opened: nothing went out.
    usePortWhoseDeviceIsGone();
    dialogs.log.clear();
    click("Button2");
    EXPECT_EQ(form->panelText(3), writeStopped("Input 0, picture 0 duration",
                                               "Fehler an der Schnittstelle (Fehler 7)"));
    EXPECT_EQ(form->panelText(4), "Fehler 7");
    EXPECT_EQ(form->panelText(2), QString(38, u' '));
    EXPECT_EQ(strip("Memo37"), TForm1::clRed());
    EXPECT_EQ(
        dialogs.log,
        (QStringList{PortWarningEntry,
                     QStringLiteral("warningOk: ") +
                         writeStopped("Input 0, picture 0 duration",
                                      "Fehler an der Schnittstelle (Fehler 7)") +
                         QString::fromUtf8("\n\nEs wurden keine Einstellungen \u00fcbertragen.")}));
    EXPECT_TRUE(form->settingsChanged());
    expectIdle();
}

TEST_F(SyncWindowTest, CancelledWarningsSendNothingAndColourTheStrips) {
    dialogs.answerOk = false;
    click("Button2");
    EXPECT_EQ(strip("Memo37"), form->clBtnFace());
    form->edit(QStringLiteral("Edit19"))->setText(QStringLiteral("1800"));
    click("Button2");
    EXPECT_EQ(strip("Memo37"), TForm1::clBlue());
    EXPECT_TRUE(form->settingsChanged());

    loadOtherDeviceValues();
    const auto before = windowValues();
    click("Button1");
    EXPECT_EQ(strip("Memo40"), form->clBtnFace());
    EXPECT_EQ(windowValues(), before);
    EXPECT_EQ(form->panelText(1), "SW-Ver.: V2.4");

    // Only "5" starts a read and only "2" a write.
    form->setControlText(QStringLiteral("Memo43"), QStringLiteral("55"));
    form->setControlText(QStringLiteral("Memo42"), QStringLiteral("5"));
    form->setControlText(QStringLiteral("Memo43"), QStringLiteral("0"));
    form->setControlText(QStringLiteral("Memo42"), QStringLiteral("0"));

    EXPECT_TRUE(sim->receivedLines().empty());
    EXPECT_EQ(dialogs.log, QStringList(3, PortWarningEntry));
    EXPECT_TRUE(form->portWarningShown());
    EXPECT_TRUE(form->checkBox(QStringLiteral("CheckBox2"))->isChecked());
    EXPECT_EQ(editorSideSets, 3);
    expectIdle();
}

TEST_F(SyncWindowTest, WriteRefusesValuesThatCannotGoOnTheLineAndSendsNothing) {
    // A control character passes the character check of a picture duration and stays there.
    form->edit(QStringLiteral("Edit21"))->setText(QStringLiteral("12\x01"));
    ASSERT_EQ(text("Edit21"), QStringLiteral("12\x01"));
    clearChanges();
    dialogs.log.clear();

    click("Button2");
    ASSERT_EQ(dialogs.log.size(), 2);
    EXPECT_TRUE(
        dialogs.log[1].startsWith(QStringLiteral("errorOk: Input 0, picture 2 duration: 12\x01")));
    EXPECT_TRUE(sim->receivedLines().empty());
    EXPECT_EQ(strip("Memo37"), TForm1::clBlue());
    EXPECT_TRUE(form->settingsChanged());
    expectIdle();

    // Once the value is mended, the same click writes.
    form->edit(QStringLiteral("Edit21"))->setText(QStringLiteral("1200"));
    click("Button2");
    const auto sent = sim->receivedLines();
    ASSERT_EQ(sent.size(), 89u);
    EXPECT_EQ(sent[2], "setin0pic2t1200");
}

// ---- read ----

TEST_F(SyncWindowTest, ReadShowsEveryDeviceValueAndAWriteSendsThemBack) {
    loadOtherDeviceValues();
    const auto device = deviceValues();
    const auto start = windowValues();
    for (const auto& [name, value] : device)
        ASSERT_NE(start.at(name), value) << name;  // every control must visibly change

    click("Button1");
    std::vector<std::string> readKeys;
    for (const auto& step : test::expectedRead)
        readKeys.emplace_back(step.key);
    EXPECT_EQ(sim->receivedLines(), readKeys);
    expectCountedUnderHourglass();
    EXPECT_EQ(windowValues(), device);
    EXPECT_EQ(form->panelText(1), "FW: V2.7");
    EXPECT_EQ(form->panelText(3), "Received settings: 89");
    EXPECT_EQ(strip("Memo40"), TForm1::clLime());
    EXPECT_EQ(text("Memo34"), "2");
    // Edits and radio groups changed: the settings are not written yet.
    EXPECT_TRUE(form->settingsChanged());
    EXPECT_EQ(strip("Memo37"), TForm1::clBlue());
    EXPECT_EQ(dialogs.log, QStringList{PortWarningEntry});
    EXPECT_EQ(form->deviceSync().lastRead().successes, 89);
    expectIdle();

    sim->clearReceived();
    click("Button2");
    const auto sent = sim->receivedLines();
    ASSERT_EQ(sent.size(), 89u);
    for (std::size_t i = 0; i < 88; ++i) {
        const Setting& s = allSettings()[i];
        EXPECT_EQ(sent[i], s.setKey + device.at(deviceName(s)));
    }
    EXPECT_EQ(sent[88], "set_wt_flag123");
    EXPECT_EQ(deviceValues(), device);
    EXPECT_EQ(strip("Memo37"), TForm1::clLime());
    EXPECT_FALSE(form->settingsChanged());
}

// Steps before `stopAt` (a 0-based index into the settings) brought the device's value, the others
// kept the window's.
std::map<std::string, std::string> takenUpTo(std::size_t stopAt,
                                             const std::map<std::string, std::string>& device,
                                             const std::map<std::string, std::string>& window) {
    std::map<std::string, std::string> expected;
    for (std::size_t i = 0; i < allSettings().size(); ++i) {
        const std::string n = deviceName(allSettings()[i]);
        expected[n] = i < stopAt ? device.at(n) : window.at(n);
    }
    return expected;
}

TEST_F(SyncWindowTest, ReadStopsAtAnUnansweredStepAndKeepsTheRest) {
    loadOtherDeviceValues();
    const auto device = deviceValues();
    const auto start = windowValues();
    setOptions(ignoring({"getin1ton2t"}));  // step 30, setting 28
    click("Button1");
    EXPECT_EQ(sim->receivedLines().size(), 30u);
    EXPECT_EQ(windowValues(), takenUpTo(28, device, start));
    EXPECT_EQ(form->panelText(3), readStopped("Input 1, tone 2 duration", "keine Antwort"));
    EXPECT_EQ(strip("Memo40"), TForm1::clFuchsia());
    EXPECT_EQ(dialogs.beeps, 1);
    EXPECT_EQ(dialogs.log, (QStringList{PortWarningEntry, NoAnswerEntry}));
    EXPECT_EQ(form->deviceSync().lastRead().successes, 29);
    EXPECT_EQ(progressSeen.size(), 31u);  // 1 … 30, then 0
    expectIdle();

    // The last step unanswered: everything but the brightness taken.
    setOptions(ignoring({"get_brightness"}));
    sim->setValue("_brightness", "8");
    const auto before = windowValues();
    dialogs.log.clear();
    click("Button1");
    EXPECT_EQ(windowValues(), takenUpTo(87, deviceValues(), before));
    EXPECT_EQ(form->panelText(3), readStopped("Brightness", "keine Antwort"));
    EXPECT_EQ(strip("Memo40"), TForm1::clFuchsia());
    EXPECT_EQ(dialogs.log, (QStringList{PortWarningEntry, NoAnswerEntry}));
    expectIdle();
}

// A silent device's read is followed through every operation by the fault matrix; a port that
// cannot be opened is one the simulator beside Wine can show too.
TEST_F(SyncWindowTest, ReadFromAMissingPortChangesNoSetting) {
    loadOtherDeviceValues();
    const auto start = windowValues();
    usePortWhoseDeviceIsGone();
    click("Button1");
    EXPECT_EQ(windowValues(), start);
    EXPECT_FALSE(form->settingsChanged());
    EXPECT_EQ(form->panelText(1), "SW-Ver.: V2.4");
    EXPECT_EQ(form->panelText(3),
              readStopped("Firmware version", "Fehler an der Schnittstelle (Fehler 7)"));
    EXPECT_EQ(form->panelText(4), "Fehler 7");
    EXPECT_EQ(strip("Memo40"), TForm1::clFuchsia());
    EXPECT_EQ(dialogs.log,
              (QStringList{
                  PortWarningEntry,
                  readStoppedEntry("Firmware version", "Fehler an der Schnittstelle (Fehler 7)")}));
    expectIdle();

    // The port is back: the next read works.
    link.PortName = sim->portName();
    click("Button1");
    EXPECT_EQ(strip("Memo40"), TForm1::clLime());
}

// A reply that is no valid value for its setting is never handed to the window's rules: no
// field-rule box, no replacement value, no conversion error; the read ends there. The read checks
// every step's reply alike; which reply is which fault for each kind is in
// Sequences.RepliesAreCheckedAgainstTheirSetting, so here each reason once, the first and the last
// step, and how a control character is shown.
TEST_F(SyncWindowTest, ReadStopsAtAReplyThatIsNoValueForItsSetting) {
    struct Case {
        const char* key;
        const char* reply;
        std::size_t setting;  // index of the setting that would take the reply
        const char* where;
        const char* why;
    };
    const Case cases[] = {
        {"getin0pic0t", "", 0, "Input 0, picture 0 duration", "Antwort '' ist keine Zahl"},
        {"getin0pic3t", "12\x01", 3, "Input 0, picture 3 duration", "Antwort '12?' ist keine Zahl"},
        {"getrespic4t", "12345", 20, "Device Start, picture 4 duration",
         "Antwort '12345' ist zu lang"},
        {"getin1tonv", "4", 56, "Input 1, volume",
         "Antwort '4' liegt au\u00dferhalb des Wertebereichs"},
        {"get_brightness", "12", 87, "Brightness",
         "Antwort '12' liegt au\u00dferhalb des Wertebereichs"},
    };
    loadOtherDeviceValues();
    const auto device = deviceValues();
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.key) + " <- " + c.reply);
        form.reset();  // the old window lets go of the link before the new one takes it
        form = std::make_unique<TForm1>(link, dialogs);
        form->show();
        const auto start = windowValues();
        setOptions(replying(c.key, c.reply));
        sim->clearReceived();
        dialogs.log.clear();
        dialogs.beeps = 0;
        dialogs.errorBeeps = 0;
        click("Button1");
        EXPECT_EQ(sim->receivedLines().size(), c.setting + 2);
        EXPECT_EQ(windowValues(), takenUpTo(c.setting, device, start));
        EXPECT_EQ(form->panelText(3), readStopped(c.where, c.why));
        EXPECT_EQ(dialogs.log, (QStringList{PortWarningEntry, readStoppedEntry(c.where, c.why)}));
        EXPECT_EQ(dialogs.beeps, 0);
        EXPECT_EQ(dialogs.errorBeeps, 0);  // no field rule saw the reply
        EXPECT_EQ(strip("Memo40"), TForm1::clFuchsia());
        expectIdle();
    }
    // The largest values that fit pass.
    setOptions({});
    sim->setValue("respic4t", "9999");
    sim->setValue("in0tonr", "99999");
    sim->setValue("_brightness", "9");
    sim->setValue("in0ton0p", "16");
    click("Button1");
    EXPECT_EQ(strip("Memo40"), TForm1::clLime());
    EXPECT_EQ(text("Edit6"), "9999");
    EXPECT_EQ(text("Edit43"), "99999");
    EXPECT_EQ(form->trackBarPosition(), 9);
    EXPECT_EQ(form->selectedIndex(QStringLiteral("ComboBox1")), 16);
}

TEST_F(SyncWindowTest, RereadingAnUnchangedPitchSelectsItAgain) {
    click("Button1");
    const QString box = QStringLiteral("ComboBox1");
    const int devicePitch = std::stoi(sim->value("in0ton0p"));
    ASSERT_EQ(form->selectedIndex(box), devicePitch);
    const QString memoBefore = text("Memo6");

    form->comboBox(box)->setCurrentIndex(devicePitch == 7 ? 8 : 7);  // the user's choice
    ASSERT_NE(form->selectedIndex(box), devicePitch);
    click("Button1");
    EXPECT_EQ(text("Memo6"), memoBefore);
    EXPECT_EQ(form->selectedIndex(box), devicePitch);
}

// ---- brightness ----

TEST_F(SyncWindowTest, BrightnessBothWays) {
    // Track bar to the bottom end: mirrored, marked, written.
    form->trackBar()->triggerAction(QSlider::SliderToMaximum);
    EXPECT_EQ(text("Memo34"), "9");
    EXPECT_EQ(strip("Memo37"), TForm1::clBlue());
    EXPECT_TRUE(form->settingsChanged());
    click("Button2");
    ASSERT_EQ(sim->receivedLines().size(), 89u);
    EXPECT_EQ(sim->receivedLines()[87], "set_brightness9");

    // From the device: "2" moves it.
    sim->setValue("_brightness", "2");
    click("Button1");
    EXPECT_EQ(form->trackBarPosition(), 2);
    EXPECT_EQ(text("Memo34"), "2");
    EXPECT_EQ(strip("Memo37"), TForm1::clBlue());

    // The same position again: nothing moves, nothing is marked.
    clearChanges();
    click("Button1");
    EXPECT_EQ(form->trackBarPosition(), 2);
    EXPECT_EQ(text("Memo34"), "2");
    EXPECT_FALSE(form->settingsChanged());
    EXPECT_EQ(strip("Memo37"), TForm1::clMenu());
    EXPECT_EQ(strip("Memo40"), TForm1::clLime());
}

// ---- input tests ----

TEST_F(SyncWindowTest, InputTestsWarnOnceAndToggleTheirOwnOutput) {
    click("Button6");
    click("Button6");
    click("Button7");
    click("Button8");
    EXPECT_EQ(sim->receivedLines(),
              (std::vector<std::string>{"outin0_1", "outin0_0", "outin1_1", "outin2_1"}));
    EXPECT_EQ(dialogs.log, QStringList{PortWarningEntry});
    EXPECT_EQ(editorSideSets, 1);
    EXPECT_EQ(strip("Memo39"), TForm1::clRed());
    EXPECT_EQ(strip("Memo38"), TForm1::clLime());
    EXPECT_EQ(strip("Memo36"), TForm1::clLime());
}

// A port that cannot be opened: its status-bar message only, no box, no sound. The open sees
// the flag and the strip already changed before the exchange.
TEST_F(SyncWindowTest, InputTestStaysQuietWhenThePortIsMissing) {
    std::unique_ptr<TForm1> other;
    std::vector<std::pair<bool, QColor>> atOpen;
    DeviceLink noPort(nullptr, [&] {
        auto port = std::make_unique<MissingPort>();
        port->onOpen = [&] {
            atOpen.emplace_back(other->deviceSync().inputTestOn(0),
                                other->stripColor(QStringLiteral("Memo39")));
        };
        return port;
    });
    other = std::make_unique<TForm1>(noPort, dialogs);
    other->checkBox(QStringLiteral("CheckBox1"))->setChecked(true);
    QTest::mouseClick(other->button(QStringLiteral("Button6")), Qt::LeftButton);
    QTest::mouseClick(other->button(QStringLiteral("Button6")), Qt::LeftButton);
    EXPECT_EQ(atOpen, (std::vector<std::pair<bool, QColor>>{{true, TForm1::clLime()},
                                                            {false, TForm1::clRed()}}));
    EXPECT_TRUE(dialogs.log.isEmpty());
    EXPECT_EQ(dialogs.beeps, 0);
}

TEST_F(SyncWindowTest, InputTestWarningCancelledIsNotShownAgain) {
    dialogs.answerOk = false;
    click("Button7");
    EXPECT_TRUE(sim->receivedLines().empty());
    EXPECT_EQ(strip("Memo38"), TForm1::clRed());
    EXPECT_FALSE(form->deviceSync().inputTestOn(1));
    click("Button8");
    EXPECT_EQ(sim->receivedLines(), std::vector<std::string>{"outin2_1"});
    EXPECT_EQ(strip("Memo36"), TForm1::clLime());
    EXPECT_EQ(dialogs.log, QStringList{PortWarningEntry});
}

TEST_F(SyncWindowTest, InputTestsStayQuietAfterAReadAWriteOrTheEditorsSignal) {
    {
        dialogs.answerOk = false;
        click("Button1");  // cancelled, yet the warning was shown
        dialogs.log.clear();
        click("Button6");
        EXPECT_TRUE(dialogs.log.isEmpty());
    }
    form.reset();
    for (const char* first : {"Button2", ""}) {
        SCOPED_TRACE(first);
        form = std::make_unique<TForm1>(link, dialogs);
        form->setEditorPortWarningHook([this] { ++editorSideSets; });
        form->show();
        editorSideSets = 0;
        dialogs.answerOk = false;
        if (*first) {
            click(first);
        } else {
            // The picture editor's signal sets only the main window's side.
            form->checkBox(QStringLiteral("CheckBox1"))->setChecked(true);
            EXPECT_TRUE(form->portWarningShown());
            EXPECT_EQ(editorSideSets, 0);
        }
        dialogs.log.clear();
        click("Button8");
        EXPECT_TRUE(dialogs.log.isEmpty());
        EXPECT_EQ(strip("Memo36"), TForm1::clLime());
    }
}

}  // namespace
}  // namespace blx52
