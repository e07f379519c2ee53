#include <gtest/gtest.h>

#include <QStringList>
#include <string>
#include <vector>

#include "expected_tables.h"
#include "fake_view.h"
#include "sync/device_sync.h"
#include "sync/sync_texts.h"
#include "tools/devsim/device_simulator.h"

namespace blx52 {
namespace {

using test::expectedRead;
using test::expectedWrite;
using test::FakeView;

const QString portWarning = QString::fromUtf8(
    "Achtung!\n\nBitte den korrekten 'COM' Port im 'Ger\u00e4te-Manager' pr\u00fcfen!\n"
    "Bei falsch eingestelltem Port, kann das Programm abst\u00fcrzen!");
const QString noAnswer = QString::fromUtf8(
    "Das Modul antwortet nicht!\n\nBitte \u00fcberpr\u00fcfen, ob das Modul angeschlossen, "
    "\nund mit Spannung versorgt ist!");

std::string strip(Strip s) {
    return std::to_string(static_cast<int>(s));
}

// The real link against the simulated device on a pseudo-terminal, the window faked.
class DeviceSyncTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(sim.start());
        link.PortName = sim.devicePath();
        link.setStatusSink(&view);
        view.sync = &sync;
    }

    void setOptions(devsim::Options options) { sim.setOptions(std::move(options)); }

    // The 89 lines a write must send for the fake's values, built from the documented table.
    std::vector<std::string> expectedWriteLines() const {
        std::vector<std::string> lines;
        for (const auto& e : expectedWrite) {
            std::string value;
            const QStringList sources = QString(e.source).split(',');
            switch (e.form) {
                case 'A':
                    value = view.edits.at(e.source).toStdString();
                    break;
                case 'B':
                    for (int i = 0; i < sources.size(); ++i) {
                        if (view.checked.at(sources[i].toStdString())) {
                            value = std::to_string(i);
                            break;
                        }
                    }
                    break;
                case 'C':
                    value = std::to_string(view.pitch.at(e.source));
                    break;
                case 'D':
                    value = view.memoText("Memo34").toStdString();
                    if (value.empty())
                        value = std::to_string(view.trackBar);
                    break;
                case 'E':
                    value = "123";
                    break;
            }
            lines.push_back(std::string(e.key) + value);
        }
        return lines;
    }

    std::vector<std::string> readKeys() const {
        std::vector<std::string> keys;
        for (const auto& r : expectedRead)
            keys.emplace_back(r.key);
        return keys;
    }

    devsim::DeviceSimulator sim;
    DeviceLink link;
    FakeView view;
    DeviceSync sync{link, view};
};

// ---- write ----

TEST_F(DeviceSyncTest, FullWriteSendsTheWindowsValuesByteForByte) {
    view.edits["Edit19"] = "2000";
    view.edits["Edit21"] = "17";
    view.edits["Edit16"] = "0";
    view.edits["Edit67"] = "50000";
    view.pitch["ComboBox1"] = 13;
    view.pitch["ComboBox33"] = 16;
    view.pitch["ComboBox20"] = 0;
    view.checked["RadioButton2"] = false;
    view.checked["RadioButton3"] = true;
    view.changed = true;

    sync.writeClick();

    const auto sent = sim.receivedLines();
    EXPECT_EQ(sent, expectedWriteLines());
    ASSERT_EQ(sent.size(), 89u);
    EXPECT_EQ(sent[0], "setin0pic0t2000");
    EXPECT_EQ(sent[2], "setin0pic2t17");
    EXPECT_EQ(sent[48], "setrestonat0");
    EXPECT_EQ(sent[53], "setin3tonr50000");
    EXPECT_EQ(sent[54], "setsbypic_2");
    EXPECT_EQ(sent[59], "setin0ton0p13");
    EXPECT_EQ(sent[86], "setrestonbp16");
    EXPECT_EQ(sent[87], "set_brightness6");  // track bar never moved
    EXPECT_EQ(sent[88], "set_wt_flag123");
    EXPECT_EQ(sim.value("in0pic2t"), "17");

    EXPECT_EQ(view.okCancelTexts, QStringList{portWarning});
    EXPECT_TRUE(view.warningShownMain);
    EXPECT_TRUE(view.warningShownEditor);
    EXPECT_EQ(view.panels[MessagePanel], "Transmitted settings: 89");
    EXPECT_EQ(view.strips["Memo37"], Strip::Lime);
    EXPECT_FALSE(view.changed);
    EXPECT_EQ(view.memos["Memo42"], "0");
    ASSERT_EQ(view.progress.size(), 90u);
    for (int i = 0; i < 89; ++i)
        EXPECT_EQ(view.progress[i], i + 1);
    EXPECT_EQ(view.progress.back(), 0);
    EXPECT_EQ(view.busyBegins, 1);
    EXPECT_EQ(view.busyEnds, 1);
    EXPECT_TRUE(view.warnings.empty());
    EXPECT_EQ(sync.lastWrite().successes, 89);
}

TEST_F(DeviceSyncTest, TwoWritesWithoutChangeSendTheSameLines) {
    view.memos["Memo34"] = "3";
    sync.writeClick();
    auto first = sim.receivedLines();
    sim.clearReceived();
    sync.writeClick();
    EXPECT_EQ(sim.receivedLines(), first);
    ASSERT_EQ(first.size(), 89u);
    EXPECT_EQ(first[87], "set_brightness3");
}

TEST_F(DeviceSyncTest, WriteWithAMiddleFailureEndsRedAndKeepsTheChanges) {
    devsim::Options o;
    o.ignoredKeys = {"setin2ton1t"};
    setOptions(o);
    view.changed = true;
    sync.writeClick();
    EXPECT_EQ(sim.receivedLines().size(), 89u);  // the write goes on after the failure
    EXPECT_EQ(view.panels[MessagePanel], "Transmitted settings: 88");
    EXPECT_EQ(view.strips["Memo37"], Strip::Red);
    EXPECT_TRUE(view.changed);
    EXPECT_EQ(view.beeps, 0);  // the last exchange was answered
    EXPECT_TRUE(view.warnings.empty());
}

TEST_F(DeviceSyncTest, WriteWithoutAnswerToTheLastLineWarnsBeforeColouring) {
    devsim::Options o;
    o.ignoredKeys = {"set_wt_flag"};
    setOptions(o);
    view.changed = true;
    sync.writeClick();
    EXPECT_EQ(view.panels[MessagePanel], "Transmitted settings: 88");
    EXPECT_EQ(view.warnings, QStringList{noAnswer});
    EXPECT_EQ(view.beeps, 1);
    EXPECT_TRUE(view.changed);
    const std::vector<std::string> tail(view.events.end() - 4, view.events.end());
    EXPECT_EQ(tail, (std::vector<std::string>{"panel 3 Transmitted settings: 88", "beep", "warning",
                                              "strip Memo37 " + strip(Strip::Red)}));
}

TEST_F(DeviceSyncTest, WriteToASilentDeviceCountsNothing) {
    devsim::Options o;
    o.silent = true;
    setOptions(o);
    sync.writeClick();
    EXPECT_EQ(sim.receivedLines().size(), 89u);
    EXPECT_EQ(view.panels[MessagePanel], "Transmitted settings: 0");
    EXPECT_EQ(view.strips["Memo37"], Strip::Red);
    EXPECT_EQ(view.warnings, QStringList{noAnswer});
    EXPECT_EQ(view.memos["Memo42"], "0");
    EXPECT_EQ(view.progress.back(), 0);
}

TEST_F(DeviceSyncTest, WriteToAMissingPortEndsRedWithoutTheNoAnswerWarning) {
    link.PortName = "/nonexistent/blx52-port";
    sync.writeClick();
    EXPECT_TRUE(sim.receivedLines().empty());
    EXPECT_EQ(link.LinkErrorCode, link_code::ReadFailed);
    EXPECT_EQ(view.panels[MessagePanel], "Transmitted settings: 0");
    EXPECT_EQ(view.panels[4], "Fehler 7");
    EXPECT_EQ(view.strips["Memo37"], Strip::Red);
    EXPECT_TRUE(view.warnings.empty());
    EXPECT_EQ(view.busyEnds, 1);
}

TEST_F(DeviceSyncTest, CancelledWriteSendsNothingAndColoursByPendingChanges) {
    view.okCancelAnswers = {false, false};
    view.changed = true;
    sync.writeClick();
    EXPECT_EQ(view.strips["Memo37"], Strip::Blue);
    view.changed = false;
    sync.writeClick();
    EXPECT_EQ(view.strips["Memo37"], Strip::ButtonFace);
    EXPECT_TRUE(sim.receivedLines().empty());
    EXPECT_EQ(view.okCancelTexts.size(), 2);  // shown on every click
    EXPECT_TRUE(view.warningShownMain);
    EXPECT_TRUE(view.warningShownEditor);
    EXPECT_EQ(view.memos["Memo42"], "0");
}

TEST_F(DeviceSyncTest, WriteRefusesAnOversizedValueAndSendsNothing) {
    view.edits["Edit21"] = "12345678";
    view.changed = true;
    sync.writeClick();
    EXPECT_TRUE(sim.receivedLines().empty());
    ASSERT_EQ(view.errors.size(), 1u);
    EXPECT_EQ(
        view.errors[0],
        QString::fromUtf8("Input 0, picture 2 duration: 12345678\n\n"
                          "Der Wert muss eine ganze Zahl mit h\u00f6chstens 4 Ziffern sein."));
    EXPECT_EQ(view.strips["Memo37"], Strip::Blue);
    EXPECT_TRUE(view.changed);
    EXPECT_EQ(view.memos["Memo42"], "0");
    EXPECT_EQ(view.busyBegins, 0);

    // Mended, the next write goes through: the trigger memo is idle again.
    view.edits["Edit21"] = "1234";
    sync.writeClick();
    EXPECT_EQ(sim.receivedLines().size(), 89u);
    EXPECT_EQ(view.strips["Memo37"], Strip::Lime);
}

TEST_F(DeviceSyncTest, WriteRefusesAControlCharacterInAPictureDuration) {
    view.edits["Edit59"] = QString("20") + QChar(0x0d) + "0";
    sync.writeClick();
    EXPECT_TRUE(sim.receivedLines().empty());
    ASSERT_EQ(view.errors.size(), 1u);
    EXPECT_TRUE(view.errors[0].startsWith("Inputs 1 and 2, picture 0 duration: 20"));
}

// ---- read ----

// Device values that differ from every start value of the window.
void loadDeviceValues(devsim::DeviceSimulator& sim) {
    int n = 0;
    for (const auto& s : allSettings()) {
        const std::string name = s.getKey.substr(3);
        switch (s.kind) {
            case FieldKind::PictureDuration:
            case FieldKind::ToneDuration:
                sim.setValue(name, std::to_string(300 + 7 * n));
                break;
            case FieldKind::Repeats:
                sim.setValue(name, std::to_string(20 + n));
                break;
            case FieldKind::Pitch:
                sim.setValue(name, std::to_string((s.startIndex + 3) % 17));
                break;
            case FieldKind::Volume:
            case FieldKind::Standby:
                sim.setValue(name, std::to_string((s.startIndex + 1) % 3));
                break;
            case FieldKind::Brightness:
                sim.setValue(name, "2");
                break;
        }
        ++n;
    }
}

TEST_F(DeviceSyncTest, FullReadStoresEveryDeviceValueAndWritesThemBack) {
    loadDeviceValues(sim);
    sync.readClick();

    EXPECT_EQ(sim.receivedLines(), readKeys());
    ASSERT_EQ(view.stores.size(), 88u);
    for (std::size_t i = 0; i < 88; ++i) {
        const Setting& s = allSettings()[i];
        SCOPED_TRACE(s.getKey);
        EXPECT_EQ(view.stores[i].first, expectedRead[i + 1].target);
        EXPECT_EQ(view.stores[i].second.toStdString(), sim.value(s.getKey.substr(3)));
    }
    EXPECT_EQ(view.panels[FirmwarePanel], "FW: V2." + QString(devsim::FirmwareVersion));
    EXPECT_EQ(view.panels[MessagePanel], "Received settings: 89");
    EXPECT_EQ(view.strips["Memo40"], Strip::Lime);
    EXPECT_EQ(view.memos["Memo43"], "0");
    EXPECT_EQ(view.okCancelTexts, QStringList{portWarning});
    EXPECT_TRUE(view.warningShownMain && view.warningShownEditor);
    ASSERT_EQ(view.progress.size(), 90u);
    EXPECT_EQ(view.progress[88], 89);
    EXPECT_EQ(view.progress.back(), 0);
    EXPECT_EQ(view.busyBegins, 1);
    EXPECT_EQ(view.busyEnds, 1);
    EXPECT_EQ(view.trackBar, 2);

    // Round trip: the write sends exactly the device's values back.
    sim.clearReceived();
    sync.writeClick();
    const auto sent = sim.receivedLines();
    ASSERT_EQ(sent.size(), 89u);
    for (std::size_t i = 0; i < 88; ++i) {
        const Setting& s = allSettings()[i];
        EXPECT_EQ(sent[i], s.setKey + sim.value(s.getKey.substr(3)));
    }
}

TEST_F(DeviceSyncTest, FailedReadStepKeepsTheControlsValue) {
    devsim::Options o;
    o.ignoredKeys = {"getin1ton2t", "getin0tonv"};
    setOptions(o);
    loadDeviceValues(sim);
    sync.readClick();
    EXPECT_EQ(sim.receivedLines().size(), 89u);
    EXPECT_EQ(view.storesInto("Edit33"), 0);
    EXPECT_EQ(view.storesInto("Memo2"), 0);
    EXPECT_EQ(view.edits["Edit33"], "100");
    EXPECT_EQ(view.stores.size(), 86u);
    EXPECT_EQ(view.panels[MessagePanel], "Received settings: 87");
    EXPECT_EQ(view.strips["Memo40"], Strip::Fuchsia);  // not every exchange succeeded
    EXPECT_TRUE(view.warnings.empty());
}

TEST_F(DeviceSyncTest, ReadWithoutAnswerToTheLastStepWarnsAndShowsNoCount) {
    devsim::Options o;
    o.ignoredKeys = {"get_brightness"};
    setOptions(o);
    view.panels[MessagePanel] = "FW-Ver.: ";
    sync.readClick();
    EXPECT_EQ(view.storesInto("Memo35"), 0);
    EXPECT_EQ(view.stores.size(), 87u);
    EXPECT_EQ(view.panels[MessagePanel], "FW-Ver.: ");
    EXPECT_EQ(view.strips["Memo40"], Strip::Fuchsia);
    EXPECT_EQ(view.beeps, 1);
    EXPECT_EQ(view.warnings, QStringList{noAnswer});
    EXPECT_EQ(view.events.back(), "warning");
    EXPECT_EQ(view.progress.back(), 0);
    EXPECT_EQ(view.memos["Memo43"], "0");
}

TEST_F(DeviceSyncTest, ReadFromASilentDeviceChangesNoSetting) {
    devsim::Options o;
    o.silent = true;
    setOptions(o);
    view.panels[FirmwarePanel] = "SW-Ver.: V2.4";
    sync.readClick();
    EXPECT_EQ(sim.receivedLines().size(), 89u);
    EXPECT_TRUE(view.stores.empty());
    EXPECT_EQ(view.panels[FirmwarePanel], "SW-Ver.: V2.4");
    EXPECT_FALSE(view.changed);
    EXPECT_EQ(view.strips["Memo40"], Strip::Fuchsia);
    EXPECT_EQ(view.warnings, QStringList{noAnswer});
    EXPECT_EQ(view.busyEnds, 1);
}

TEST_F(DeviceSyncTest, ReadFromAMissingPortKeepsTheLinksMessage) {
    link.PortName = "/nonexistent/blx52-port";
    sync.readClick();
    EXPECT_TRUE(view.stores.empty());
    EXPECT_EQ(view.panels[MessagePanel], "Fehler beim lesen vom Com Port");
    EXPECT_EQ(view.panels[4], "Fehler 7");
    EXPECT_EQ(view.strips["Memo40"], Strip::Fuchsia);
    EXPECT_TRUE(view.warnings.empty());
    EXPECT_EQ(view.progress.back(), 0);
    EXPECT_EQ(sync.lastRead().steps, 89);

    // A new read works again once the port is there.
    link.PortName = sim.devicePath();
    sync.readClick();
    EXPECT_EQ(view.strips["Memo40"], Strip::Lime);
}

TEST_F(DeviceSyncTest, NonNumericReplyGoesIntoAnEditAndTheReadGoesOn) {
    devsim::Options o;
    o.replyOverrides = {{"getin0pic0t", "OK"}};
    setOptions(o);
    sync.readClick();
    ASSERT_FALSE(view.stores.empty());
    EXPECT_EQ(view.stores[0], (std::pair<std::string, QString>{"Edit19", "OK"}));
    EXPECT_EQ(view.panels[MessagePanel], "Received settings: 89");
    EXPECT_EQ(view.strips["Memo40"], Strip::Lime);
}

TEST_F(DeviceSyncTest, NonNumericReplyInALandingMemoEndsTheReadAfterTheClosingSteps) {
    devsim::Options o;
    o.replyOverrides = {{"getin1tonv", "OK"}};
    setOptions(o);
    view.panels[MessagePanel] = "FW-Ver.: ";
    try {
        sync.readClick();
        FAIL() << "the conversion error must reach the window";
    } catch (const ConversionError& e) {
        EXPECT_EQ(QString::fromUtf8(e.what()),
                  QString::fromUtf8("'OK' ist kein g\u00fcltiger Gleitkommawert"));
    }
    const auto sent = sim.receivedLines();
    ASSERT_EQ(sent.size(), 58u);  // no exchange after step 58
    EXPECT_EQ(sent.back(), "getin1tonv");
    EXPECT_EQ(view.stores.back(), (std::pair<std::string, QString>{"Memo3", "OK"}));
    EXPECT_EQ(view.progress.back(), 0);
    EXPECT_EQ(view.busyEnds, 1);
    EXPECT_EQ(view.memos["Memo43"], "0");
    EXPECT_EQ(view.strips["Memo40"], Strip::Fuchsia);
    EXPECT_EQ(view.panels[MessagePanel], "FW-Ver.: ");

    // The trigger memo is idle again, so the next click reads.
    setOptions({});
    sim.clearReceived();
    sync.readClick();
    EXPECT_EQ(sim.receivedLines().size(), 89u);
}

TEST_F(DeviceSyncTest, CancelledReadChangesNothing) {
    view.okCancelAnswers = {false};
    sync.readClick();
    EXPECT_TRUE(sim.receivedLines().empty());
    EXPECT_TRUE(view.stores.empty());
    EXPECT_EQ(view.strips["Memo40"], Strip::ButtonFace);
    EXPECT_EQ(view.memos["Memo43"], "0");
    EXPECT_TRUE(view.warningShownMain && view.warningShownEditor);

    // Only "5" starts a read; other trigger texts do nothing.
    sync.readTriggerChanged("0");
    sync.readTriggerChanged("55");
    sync.writeTriggerChanged("5");
    EXPECT_TRUE(sim.receivedLines().empty());
}

// ---- input tests ----

TEST_F(DeviceSyncTest, FirstInputTestClickWarnsThenTogglesWithoutWarning) {
    std::vector<std::size_t> linesAtStrip;
    view.onStrip = [&](const std::string&, Strip) {
        linesAtStrip.push_back(sim.receivedLines().size());
    };
    sync.inputTestClick(0);
    EXPECT_EQ(view.okCancelTexts, QStringList{portWarning});
    EXPECT_TRUE(view.warningShownMain && view.warningShownEditor);
    EXPECT_EQ(view.strips["Memo39"], Strip::Lime);
    EXPECT_TRUE(sync.inputTestOn(0));

    sync.inputTestClick(0);
    EXPECT_EQ(view.okCancelTexts.size(), 1);
    EXPECT_EQ(view.strips["Memo39"], Strip::Red);
    EXPECT_EQ(sim.receivedLines(), (std::vector<std::string>{"outin0_1", "outin0_0"}));
    // Flag and colour change before the line goes out.
    EXPECT_EQ(linesAtStrip, (std::vector<std::size_t>{0, 1}));
}

TEST_F(DeviceSyncTest, CancelAtTheFirstInputTestWarningSendsNothingButIsRemembered) {
    view.okCancelAnswers = {false};
    sync.inputTestClick(0);
    EXPECT_TRUE(sim.receivedLines().empty());
    EXPECT_EQ(view.strips.count("Memo39"), 0u);
    EXPECT_FALSE(sync.inputTestOn(0));
    EXPECT_TRUE(view.warningShownMain);

    sync.inputTestClick(1);
    EXPECT_EQ(view.okCancelTexts.size(), 1);
    EXPECT_EQ(sim.receivedLines(), std::vector<std::string>{"outin1_1"});
}

TEST_F(DeviceSyncTest, InputTestsAreIndependentAndSilentAfterACancelledRead) {
    view.okCancelAnswers = {false};
    sync.readClick();
    sync.inputTestClick(1);
    sync.inputTestClick(2);
    EXPECT_EQ(view.okCancelTexts.size(), 1);  // only the read's warning
    EXPECT_TRUE(sync.inputTestOn(1));
    EXPECT_TRUE(sync.inputTestOn(2));
    EXPECT_FALSE(sync.inputTestOn(0));
    EXPECT_EQ(view.strips["Memo38"], Strip::Lime);
    EXPECT_EQ(view.strips["Memo36"], Strip::Lime);
    EXPECT_EQ(sim.receivedLines(), (std::vector<std::string>{"outin1_1", "outin2_1"}));
}

TEST_F(DeviceSyncTest, InputTestWithoutAnswerWarnsAndKeepsTheNewState) {
    view.warningShownMain = true;
    devsim::Options o;
    o.silent = true;
    setOptions(o);
    sync.inputTestClick(2);
    EXPECT_EQ(view.beeps, 1);
    EXPECT_EQ(view.warnings, QStringList{noAnswer});
    EXPECT_EQ(view.strips["Memo36"], Strip::Lime);
    setOptions({});
    sync.inputTestClick(2);
    EXPECT_EQ(view.warnings.size(), 1);
    EXPECT_EQ(sim.receivedLines(), (std::vector<std::string>{"outin2_1", "outin2_0"}));
}

TEST_F(DeviceSyncTest, InputTestToAMissingPortGivesNoNoAnswerWarning) {
    view.warningShownMain = true;
    link.PortName = "/nonexistent/blx52-port";
    sync.inputTestClick(1);
    EXPECT_EQ(view.beeps, 0);
    EXPECT_TRUE(view.warnings.empty());
    EXPECT_EQ(view.strips["Memo38"], Strip::Lime);
}

}  // namespace
}  // namespace blx52
