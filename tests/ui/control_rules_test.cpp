#include <QLabel>

#include "form_fixture.h"

namespace blx52 {
namespace {

using ControlRules = FormTest;

TEST_F(ControlRules, PitchChoiceMarksChangesAndNothingElse) {
    form->comboBox(QStringLiteral("ComboBox3"))->setCurrentIndex(4);  // as the user's choice does
    EXPECT_TRUE(form->settingsChanged());
    EXPECT_TRUE(writeStripBlue());
    EXPECT_EQ(text("Edit27"), QStringLiteral("0"));
    EXPECT_EQ(text("Edit44"), QStringLiteral("0,1"));
}

TEST_F(ControlRules, PitchLandingSelectsTheItemOnEveryStore) {
    store("Memo6", "8");
    EXPECT_EQ(pitch("ComboBox1"), 8);
    EXPECT_FALSE(form->settingsChanged());  // a pitch set from its memo marks nothing
    form->comboBox(QStringLiteral("ComboBox1"))->setCurrentIndex(3);
    store("Memo6", "8");  // unchanged memo text
    EXPECT_EQ(pitch("ComboBox1"), 8);
    for (const char* other : {"17", "-1", "8,5", "1e1"}) {
        store("Memo6", other);
        EXPECT_EQ(pitch("ComboBox1"), other[0] == '1' && other[1] == 'e' ? 10 : 8) << other;
    }
    store("Memo33", "16");
    EXPECT_EQ(form->comboBox(QStringLiteral("ComboBox33"))->currentText(), QStringLiteral("Pause"));
    EXPECT_TRUE(dialogs.log.isEmpty());
}

TEST_F(ControlRules, VolumeAndStandbyLandingCheckTheButton) {
    store("Memo2", "2");
    EXPECT_TRUE(checked("RadioButton18"));
    EXPECT_FALSE(checked("RadioButton16"));
    EXPECT_TRUE(form->settingsChanged());
    EXPECT_TRUE(writeStripBlue());

    clearChanges();
    store("Memo2", "2");  // already checked: no click
    store("Memo3", "3");  // in1 starts at 3
    EXPECT_FALSE(form->settingsChanged());
    store("Memo2", "4");
    EXPECT_TRUE(checked("RadioButton18"));
    EXPECT_FALSE(form->settingsChanged());

    store("Memo1", "3");
    EXPECT_TRUE(checked("RadioButton2"));
    EXPECT_FALSE(form->settingsChanged());
    store("Memo1", "0");
    EXPECT_TRUE(checked("RadioButton1"));
    EXPECT_FALSE(checked("RadioButton2"));
    EXPECT_TRUE(form->settingsChanged());
    EXPECT_TRUE(dialogs.log.isEmpty());
}

TEST_F(ControlRules, LandingTextThatIsNoNumberEndsTheStoringHandler) {
    store("Memo6", "");
    EXPECT_EQ(
        dialogs.log,
        QStringList({QStringLiteral("generalError: '' ist kein g\u00fcltiger Gleitkommawert")}));
    EXPECT_EQ(pitch("ComboBox1"), 13);

    // Inside a running handler (the read), the error comes out of the store and ends it.
    dialogs.log.clear();
    bool readWentOn = false;
    form->guard().run([&] {
        form->storeReply(QStringLiteral("Memo35"), QStringLiteral("x"));
        readWentOn = true;
    });
    EXPECT_FALSE(readWentOn);
    EXPECT_EQ(dialogs.log.size(), 1);
    EXPECT_EQ(form->trackBarPosition(), 6);

    // An edit target's failing rule ends it the same way.
    setText("Edit31", QStringLiteral("1\u0081"));
    dialogs.log.clear();
    form->guard().run([&] {
        form->storeReply(QStringLiteral("Edit33"), QStringLiteral("200"));
        readWentOn = true;
    });
    EXPECT_FALSE(readWentOn);
    EXPECT_EQ(dialogs.log.size(), 1);
}

TEST_F(ControlRules, BrightnessFromTheTrackBarAndFromTheRead) {
    store("Memo35", "6");  // the position it already has
    EXPECT_EQ(text("Memo34"), QString());
    EXPECT_FALSE(form->settingsChanged());

    store("Memo35", "2");
    EXPECT_EQ(form->trackBarPosition(), 2);
    EXPECT_EQ(text("Memo34"), QStringLiteral("2"));
    EXPECT_TRUE(writeStripBlue());

    clearChanges();
    for (const char* other : {"12", "-1", "2,5", "2"})
        store("Memo35", other);
    EXPECT_EQ(form->trackBarPosition(), 2);
    EXPECT_FALSE(form->settingsChanged());

    form->trackBar()->setValue(9);  // moved to the bottom end
    EXPECT_EQ(text("Memo34"), QStringLiteral("9"));
    EXPECT_TRUE(form->settingsChanged());
    EXPECT_TRUE(writeStripBlue());
}

TEST_F(ControlRules, PortChoiceSetsThePortNameAndPanelTwoOnly) {
    form->comboBox(QStringLiteral("ComboBox13"))->setCurrentIndex(3);
    EXPECT_EQ(link.PortName, "COM4");
    EXPECT_EQ(form->panelText(2), QStringLiteral("COM4"));
    EXPECT_EQ(form->panelText(4), QStringLiteral("COM1"));
    EXPECT_EQ(form->stripColor(QStringLiteral("Memo37")), TForm1::clMenu());
    EXPECT_FALSE(form->settingsChanged());
    form->comboBox(QStringLiteral("ComboBox13"))->setCurrentIndex(-1);  // no item: no change
    EXPECT_EQ(link.PortName, "COM4");
}

// What the link writes is followed through the window's read and write; here that a message cut
// off by its narrow panel can still be read in full.
TEST_F(ControlRules, LinkMessagesCanBeReadInFull) {
    link.Exchange("getdatafw", 9);
    ASSERT_NE(form->panelText(3), QStringLiteral("FW-Ver.: "));
    EXPECT_EQ(form->findChild<QLabel*>(QStringLiteral("Panel3"))->toolTip(), form->panelText(3));
}

}  // namespace
}  // namespace blx52
