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
#include <filesystem>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "form_fixture.h"
#include "link/device_link.h"
#include "settings/settings_table.h"
#include "sync/device_sync.h"
#include "tests/common/expected_tables.h"
#include "tools/devsim/device_simulator.h"
#include "ui/Unit1.h"

namespace blx52 {
namespace {

const QString PortWarningEntry = QString::fromUtf8(
    "warningOkCancel: Achtung!\n\nBitte den korrekten 'COM' Port im 'Ger\u00e4te-Manager' "
    "pr\u00fcfen!\nBei falsch eingestelltem Port, kann das Programm abst\u00fcrzen!");
const QString NoAnswerEntry = QString::fromUtf8(
    "warningOk: Das Modul antwortet nicht!\n\nBitte \u00fcberpr\u00fcfen, ob das Modul "
    "angeschlossen, \nund mit Spannung versorgt ist!");
const QString NotANumberEntry = QStringLiteral("errorOk: Bitte nur Zahlen eingeben!");

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
devsim::Options silent() {
    devsim::Options o;
    o.silent = true;
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

        ASSERT_TRUE(sim.start());
        ASSERT_TRUE(sim.registerPort("COM3"));
        link.PortName = "COM3";
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
        sim.stop();
        QLocale::setDefault(savedLocale);
    }

    void click(const char* button) {
        QPushButton* b = form->button(QString::fromLatin1(button));
        ASSERT_NE(b, nullptr);
        QTest::mouseClick(b, Qt::LeftButton);
    }
    QString text(const std::string& control) const { return form->controlText(qs(control)); }
    QColor strip(const char* memo) const { return form->stripColor(QString::fromLatin1(memo)); }
    void setOptions(devsim::Options o) { sim.setOptions(std::move(o)); }

    // COM7 names a device that is gone: the port cannot be opened.
    void usePortWhoseDeviceIsGone() {
        std::filesystem::create_symlink(
            "/nonexistent/blx52-port",
            config.filePath(QStringLiteral("blx52/ports/COM7")).toStdString());
        link.PortName = "COM7";
    }
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
            sim.setValue(deviceName(s), v);
        }
        sim.setValue("datafw", "7");
    }

    std::map<std::string, std::string> deviceValues() const {
        std::map<std::string, std::string> values;
        for (const auto& s : allSettings())
            values[deviceName(s)] = sim.value(deviceName(s));
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
    devsim::DeviceSimulator sim;
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
    EXPECT_EQ(sim.receivedLines(), StartWriteLines);
    EXPECT_EQ(dialogs.log, (QStringList{PortWarningEntry, NoAnswerEntry}));
    EXPECT_EQ(dialogs.beeps, 1);
    EXPECT_EQ(dialogs.errorBeeps, 0);
    EXPECT_EQ(progressAtWarning, 0);  // the warning comes after the closing steps and the count
    EXPECT_EQ(cursorAtWarning, Qt::ArrowCursor);
    EXPECT_EQ(countAtWarning, "Transmitted settings: 88");
    EXPECT_EQ(stripAtWarning, TForm1::clFuchsia());  // red only after the warning
    expectCountedUnderHourglass();
    EXPECT_EQ(form->panelText(3), "Transmitted settings: 88");
    EXPECT_EQ(strip("Memo37"), TForm1::clRed());
    expectIdle();

    // All answered: lime, no pending changes, the same lines again.
    setOptions({});
    sim.clearReceived();
    dialogs.log.clear();
    form->edit(QStringLiteral("Edit20"))->setText(QStringLiteral("1000"));  // no change
    click("Button2");
    EXPECT_EQ(sim.receivedLines(), StartWriteLines);
    EXPECT_EQ(dialogs.log, QStringList{PortWarningEntry});
    EXPECT_EQ(form->panelText(3), "Transmitted settings: 89");
    EXPECT_EQ(strip("Memo37"), TForm1::clLime());
    EXPECT_FALSE(form->settingsChanged());
    EXPECT_TRUE(form->portWarningShown());
    EXPECT_TRUE(form->checkBox(QStringLiteral("CheckBox2"))->isChecked());
    EXPECT_EQ(editorSideSets, 2);  // once per click
    expectIdle();
}

TEST_F(SyncWindowTest, WriteOutcomesOfMiddleFailureSilentDeviceAndMissingPort) {
    form->edit(QStringLiteral("Edit22"))->setText(QStringLiteral("900"));
    ASSERT_TRUE(form->settingsChanged());

    setOptions(ignoring({"setin2ton1t"}));
    click("Button2");
    EXPECT_EQ(sim.receivedLines().size(), 89u);
    EXPECT_EQ(sim.value("in0pic3t"), "900");
    EXPECT_EQ(form->panelText(3), "Transmitted settings: 88");
    EXPECT_EQ(strip("Memo37"), TForm1::clRed());
    EXPECT_TRUE(form->settingsChanged());
    EXPECT_EQ(dialogs.beeps, 0);
    EXPECT_EQ(dialogs.log, QStringList{PortWarningEntry});
    expectIdle();

    setOptions(silent());
    sim.clearReceived();
    dialogs.log.clear();
    click("Button2");
    EXPECT_EQ(sim.receivedLines().size(), 89u);
    EXPECT_EQ(form->panelText(3), "Transmitted settings: 0");
    EXPECT_EQ(strip("Memo37"), TForm1::clRed());
    EXPECT_EQ(dialogs.log, (QStringList{PortWarningEntry, NoAnswerEntry}));
    EXPECT_EQ(dialogs.beeps, 1);
    EXPECT_TRUE(form->settingsChanged());
    expectIdle();

    usePortWhoseDeviceIsGone();
    dialogs.log.clear();
    click("Button2");
    EXPECT_EQ(form->panelText(3), "Transmitted settings: 0");
    EXPECT_EQ(form->panelText(4), "Fehler 7");
    EXPECT_EQ(form->panelText(2), QString(38, u' '));
    EXPECT_EQ(strip("Memo37"), TForm1::clRed());
    EXPECT_EQ(dialogs.log, QStringList{PortWarningEntry});  // no "does not answer" here
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

    EXPECT_TRUE(sim.receivedLines().empty());
    EXPECT_EQ(dialogs.log, QStringList(3, PortWarningEntry));
    EXPECT_TRUE(form->portWarningShown());
    EXPECT_TRUE(form->checkBox(QStringLiteral("CheckBox2"))->isChecked());
    EXPECT_EQ(editorSideSets, 3);
    expectIdle();
}

TEST_F(SyncWindowTest, WriteRefusesValuesThatCannotGoOnTheLineAndSendsNothing) {
    // A control character passes the character check of a picture duration and stays there.
    setOptions(replying("getin0pic2t", "12\x01"));
    click("Button1");
    ASSERT_EQ(text("Edit21"), QStringLiteral("12\x01"));
    sim.clearReceived();
    clearChanges();
    dialogs.log.clear();

    click("Button2");
    ASSERT_EQ(dialogs.log.size(), 2);
    EXPECT_TRUE(
        dialogs.log[1].startsWith(QStringLiteral("errorOk: Input 0, picture 2 duration: 12\x01")));
    EXPECT_TRUE(sim.receivedLines().empty());
    EXPECT_EQ(strip("Memo37"), TForm1::clBlue());
    EXPECT_TRUE(form->settingsChanged());
    expectIdle();

    // Too many digits for the line: "setrespic4t" leaves room for four.
    form->edit(QStringLiteral("Edit21"))->setText(QStringLiteral("1200"));
    form->edit(QStringLiteral("Edit6"))->setText(QStringLiteral("12345"));
    dialogs.log.clear();
    click("Button2");
    ASSERT_EQ(dialogs.log.size(), 2);
    EXPECT_TRUE(dialogs.log[1].startsWith(
        QStringLiteral("errorOk: Device Start, picture 4 duration: 12345")));
    EXPECT_TRUE(dialogs.log[1].contains(QStringLiteral("4 Ziffern")));
    EXPECT_TRUE(sim.receivedLines().empty());

    form->edit(QStringLiteral("Edit6"))->setText(QStringLiteral("1234"));
    click("Button2");
    const auto sent = sim.receivedLines();
    ASSERT_EQ(sent.size(), 89u);
    EXPECT_EQ(sent[2], "setin0pic2t1200");
    EXPECT_EQ(sent[20], "setrespic4t1234");
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
    EXPECT_EQ(sim.receivedLines(), readKeys);
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

    sim.clearReceived();
    click("Button2");
    const auto sent = sim.receivedLines();
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

TEST_F(SyncWindowTest, ReadOutcomesOfMiddleAndLastFailures) {
    loadOtherDeviceValues();
    setOptions(ignoring({"getin1ton2t", "getin0tonv"}));
    click("Button1");
    EXPECT_EQ(sim.receivedLines().size(), 89u);
    // The unanswered steps keep their values, in an edit and behind a landing memo.
    EXPECT_EQ(text("Edit33"), "100");
    EXPECT_TRUE(form->radioButton(QStringLiteral("RadioButton16"))->isChecked());
    EXPECT_EQ(text("Edit32"), qs(sim.value("in1ton1t")));
    EXPECT_EQ(form->panelText(3), "Received settings: 87");
    EXPECT_EQ(strip("Memo40"), TForm1::clFuchsia());
    EXPECT_EQ(dialogs.beeps, 0);
    EXPECT_EQ(dialogs.log, QStringList{PortWarningEntry});
    expectIdle();

    setOptions(ignoring({"get_brightness"}));
    sim.setValue("_brightness", "8");
    form->setPanelText(3, QStringLiteral("FW-Ver.: "));
    dialogs.log.clear();
    click("Button1");
    EXPECT_EQ(form->trackBarPosition(), 2);
    EXPECT_EQ(form->panelText(3), "FW-Ver.: ");
    EXPECT_EQ(strip("Memo40"), TForm1::clFuchsia());
    EXPECT_EQ(dialogs.log, (QStringList{PortWarningEntry, NoAnswerEntry}));
    EXPECT_EQ(dialogs.beeps, 1);
    expectIdle();
}

TEST_F(SyncWindowTest, ReadFromASilentDeviceOrAMissingPortChangesNoSetting) {
    loadOtherDeviceValues();
    const auto start = windowValues();

    setOptions(silent());
    click("Button1");
    EXPECT_EQ(sim.receivedLines().size(), 89u);
    EXPECT_EQ(windowValues(), start);
    EXPECT_FALSE(form->settingsChanged());
    EXPECT_EQ(form->panelText(1), "SW-Ver.: V2.4");
    EXPECT_EQ(strip("Memo40"), TForm1::clFuchsia());
    EXPECT_EQ(dialogs.log, (QStringList{PortWarningEntry, NoAnswerEntry}));
    EXPECT_EQ(dialogs.beeps, 1);
    expectIdle();

    usePortWhoseDeviceIsGone();
    dialogs.log.clear();
    click("Button1");
    EXPECT_EQ(windowValues(), start);
    EXPECT_FALSE(form->settingsChanged());
    EXPECT_EQ(form->panelText(3), "Fehler beim lesen vom Com Port");
    EXPECT_EQ(form->panelText(4), "Fehler 7");
    EXPECT_EQ(strip("Memo40"), TForm1::clFuchsia());
    EXPECT_EQ(dialogs.log, QStringList{PortWarningEntry});
    expectIdle();

    // The port is back: the next read works.
    link.PortName = "COM3";
    setOptions({});
    click("Button1");
    EXPECT_EQ(strip("Memo40"), TForm1::clLime());
}

TEST_F(SyncWindowTest, NonNumericReplyInAnEditIsReplacedAndTheReadGoesOn) {
    // "OK" to the in0 tone 1 duration (step 25): the edit's own check answers it, while the read
    // still runs behind the message.
    setOptions(replying("getin0ton1t", "OK"));
    int progressAtMessage = -1;
    bool busyAtMessage = false;
    dialogs.whileShown = [&](const QString& entry) {
        if (entry != NotANumberEntry)
            return;
        progressAtMessage = form->progress();
        busyAtMessage = waitCursor();
    };
    click("Button1");
    EXPECT_EQ(dialogs.log, (QStringList{PortWarningEntry, NotANumberEntry}));
    EXPECT_EQ(dialogs.errorBeeps, 1);
    EXPECT_EQ(dialogs.beeps, 0);
    EXPECT_EQ(progressAtMessage, 24);
    EXPECT_TRUE(busyAtMessage);
    EXPECT_EQ(text("Edit26"), "2500");
    EXPECT_EQ(sim.receivedLines().size(), 89u);
    EXPECT_EQ(form->panelText(3), "Received settings: 89");
    EXPECT_EQ(strip("Memo40"), TForm1::clLime());
    expectIdle();
}

TEST_F(SyncWindowTest, NonNumericReplyInALandingMemoEndsTheReadInTheGeneralErrorBox) {
    loadOtherDeviceValues();
    setOptions(replying("getin1tonv", "OK"));
    form->setPanelText(3, QStringLiteral("FW-Ver.: "));
    click("Button1");
    EXPECT_EQ(dialogs.log,
              (QStringList{PortWarningEntry,
                           QString::fromUtf8("generalError: 'OK' ist kein g\u00fcltiger "
                                             "Gleitkommawert")}));
    const auto sent = sim.receivedLines();
    ASSERT_EQ(sent.size(), 58u);  // nothing after the volume of input 1
    EXPECT_EQ(sent.back(), "getin1tonv");
    EXPECT_EQ(text("Memo3"), "OK");
    EXPECT_TRUE(form->radioButton(QStringLiteral("RadioButton7"))->isChecked());  // unchanged
    EXPECT_EQ(text("Edit43"), qs(sim.value("in0tonr")));  // earlier steps were taken
    EXPECT_EQ(form->panelText(3), "FW-Ver.: ");
    EXPECT_EQ(strip("Memo40"), TForm1::clFuchsia());
    expectIdle();

    setOptions({});
    sim.clearReceived();
    click("Button1");
    EXPECT_EQ(sim.receivedLines().size(), 89u);
    EXPECT_EQ(strip("Memo40"), TForm1::clLime());
}

TEST_F(SyncWindowTest, RereadingAnUnchangedPitchSelectsItAgain) {
    click("Button1");
    const QString box = QStringLiteral("ComboBox1");
    const int devicePitch = std::stoi(sim.value("in0ton0p"));
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
    ASSERT_EQ(sim.receivedLines().size(), 89u);
    EXPECT_EQ(sim.receivedLines()[87], "set_brightness9");

    // From the device: "2" moves it.
    sim.setValue("_brightness", "2");
    click("Button1");
    EXPECT_EQ(form->trackBarPosition(), 2);
    EXPECT_EQ(text("Memo34"), "2");
    EXPECT_EQ(strip("Memo37"), TForm1::clBlue());

    // The same position again, and numbers outside 0 … 9: nothing moves, nothing is marked.
    for (const char* reply : {"2", "12", "-1"}) {
        SCOPED_TRACE(reply);
        sim.setValue("_brightness", reply);
        clearChanges();
        click("Button1");
        EXPECT_EQ(form->trackBarPosition(), 2);
        EXPECT_EQ(text("Memo34"), "2");
        EXPECT_FALSE(form->settingsChanged());
        EXPECT_EQ(strip("Memo37"), TForm1::clMenu());
        EXPECT_EQ(strip("Memo40"), TForm1::clLime());
    }
}

// ---- input tests ----

TEST_F(SyncWindowTest, InputTestsWarnOnceAndToggleTheirOwnOutput) {
    click("Button6");
    click("Button6");
    click("Button7");
    click("Button8");
    EXPECT_EQ(sim.receivedLines(),
              (std::vector<std::string>{"outin0_1", "outin0_0", "outin1_1", "outin2_1"}));
    EXPECT_EQ(dialogs.log, QStringList{PortWarningEntry});
    EXPECT_EQ(editorSideSets, 1);
    EXPECT_EQ(strip("Memo39"), TForm1::clRed());
    EXPECT_EQ(strip("Memo38"), TForm1::clLime());
    EXPECT_EQ(strip("Memo36"), TForm1::clLime());
}

TEST_F(SyncWindowTest, InputTestWarnsWhenTheDeviceIsSilentButNotWhenThePortIsMissing) {
    setOptions(silent());
    click("Button8");
    EXPECT_EQ(dialogs.log, (QStringList{PortWarningEntry, NoAnswerEntry}));
    EXPECT_EQ(dialogs.beeps, 1);
    EXPECT_EQ(strip("Memo36"), TForm1::clLime());  // the new state stands
    setOptions({});
    click("Button8");
    EXPECT_EQ(dialogs.log.size(), 2);
    EXPECT_EQ(sim.receivedLines(), (std::vector<std::string>{"outin2_1", "outin2_0"}));

    // A port that cannot be opened: its message only. The open shows the flag and the strip
    // already changed before the exchange.
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
    dialogs.log.clear();
    other->checkBox(QStringLiteral("CheckBox1"))->setChecked(true);
    QTest::mouseClick(other->button(QStringLiteral("Button6")), Qt::LeftButton);
    QTest::mouseClick(other->button(QStringLiteral("Button6")), Qt::LeftButton);
    EXPECT_EQ(atOpen, (std::vector<std::pair<bool, QColor>>{{true, TForm1::clLime()},
                                                            {false, TForm1::clRed()}}));
    EXPECT_TRUE(dialogs.log.isEmpty());
    EXPECT_EQ(dialogs.beeps, 1);
}

TEST_F(SyncWindowTest, InputTestWarningCancelledIsNotShownAgain) {
    dialogs.answerOk = false;
    click("Button7");
    EXPECT_TRUE(sim.receivedLines().empty());
    EXPECT_EQ(strip("Memo38"), TForm1::clRed());
    EXPECT_FALSE(form->deviceSync().inputTestOn(1));
    click("Button8");
    EXPECT_EQ(sim.receivedLines(), std::vector<std::string>{"outin2_1"});
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
