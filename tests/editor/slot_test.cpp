#include <QLineEdit>

#include "editor_fixture.h"
#include "picture/presets.h"

namespace blx52 {
namespace {

using EditorSlots = EditorTest;

// Reopening the current slot keeps unsaved drawing; another slot and back loads the file again.
TEST_F(EditorSlots, ReopeningKeepsTheDrawingBackFromAnotherSlotLoadsTheFile) {
    putBitmap(100, warningTrianglePicture());
    putBitmap(131, blueDiscPicture());
    clickMain(QStringLiteral("BitBtn1"));
    EXPECT_TRUE(form2->isVisible());
    EXPECT_EQ(slotText(), QStringLiteral("100"));
    EXPECT_EQ(form2->picture(), warningTrianglePicture());
    click(QStringLiteral("BitBtn9"));
    edit("Edit1")->setText(QStringLiteral("7"));
    edit("Edit2")->setText(QStringLiteral("8"));
    click(QStringLiteral("Button5"));
    form2->close();
    EXPECT_FALSE(form2->isVisible());
    clickMain(QStringLiteral("BitBtn1"));
    EXPECT_TRUE(form2->isVisible());
    EXPECT_EQ(form2->picture().code(7, 8), 4);
    EXPECT_EQ(form2->pen().column, 7);

    clickMain(QStringLiteral("BitBtn9"));
    EXPECT_EQ(slotText(), QStringLiteral("131"));
    EXPECT_EQ(form2->comboBox()->currentText(), QStringLiteral("In12_Pic1"));
    EXPECT_EQ(form2->picture(), blueDiscPicture());

    clickMain(QStringLiteral("BitBtn1"));
    EXPECT_EQ(slotText(), QStringLiteral("100"));
    EXPECT_EQ(comboIndex(), 0);
    EXPECT_EQ(form2->comboBox()->currentText(), QStringLiteral("In0_Pic0"));
    EXPECT_EQ(form2->picture(), warningTrianglePicture());
    EXPECT_EQ(form2->pictureView()->pixmap().toImage(), warningTrianglePicture().image());
    EXPECT_TRUE(dialogs.log.isEmpty());
}

TEST_F(EditorSlots, ComboChoiceSwitchesSlotTypedNonsenseDoesNot) {
    putBitmap(100, Picture());
    putBitmap(142, filled(LedColor::Magenta));
    clickMain(QStringLiteral("BitBtn1"));
    QComboBox* combo = form2->comboBox();
    const int reset2 = combo->findText(QStringLiteral("Reset_Pic2"));
    ASSERT_EQ(reset2, 18);
    combo->setCurrentIndex(reset2);  // as the user's pick in the list
    EXPECT_EQ(slotText(), QStringLiteral("142"));
    EXPECT_EQ(form2->currentSlot()->bitmapFile, "Res_Pic2.bmp");
    EXPECT_EQ(form2->picture(), filled(LedColor::Magenta));

    combo->lineEdit()->selectAll();
    QTest::keyClicks(combo->lineEdit(), QStringLiteral("Nonsense"));
    QTest::keyClick(combo->lineEdit(), Qt::Key_Return);
    EXPECT_EQ(slotText(), QStringLiteral("142"));
    EXPECT_EQ(combo->count(), 25);
    EXPECT_EQ(form2->picture(), filled(LedColor::Magenta));
    EXPECT_TRUE(dialogs.log.isEmpty());
}

TEST_F(EditorSlots, ButtonsOpenTheSlotsOfTheTableNotTheirNumberOrder) {
    const struct {
        const char* button;
        int slot;
        int comboIndex;
    } cases[] = {{"BitBtn1", 100, 0},   {"BitBtn8", 113, 7},   {"BitBtn9", 131, 13},
                 {"BitBtn10", 133, 15}, {"BitBtn11", 121, 9},  {"BitBtn12", 123, 11},
                 {"BitBtn13", 132, 14}, {"BitBtn14", 130, 12}, {"BitBtn15", 120, 8},
                 {"BitBtn16", 122, 10}, {"BitBtn17", 140, 16}, {"BitBtn25", 152, 24}};
    for (const auto& c : cases) {
        clickMain(QString::fromLatin1(c.button));
        EXPECT_EQ(slotText(), QString::number(c.slot)) << c.button;
        EXPECT_EQ(comboIndex(), c.comboIndex) << c.button;
    }
}

TEST_F(EditorSlots, MissingBitmapIsReportedBeforeShowingAndTheSlotStillBecomesCurrent) {
    bool editorVisible = true;
    dialogs.whileShown = [&](const QString&) { editorVisible = form2->isVisible(); };
    clickMain(QStringLiteral("BitBtn2"));
    ASSERT_EQ(dialogs.log.size(), 1);
    EXPECT_TRUE(dialogs.log[0].startsWith(QStringLiteral("errorOk: ")));
    EXPECT_TRUE(dialogs.log[0].contains(QStringLiteral("In0_Pic1.bmp")))
        << dialogs.log[0].toStdString();
    EXPECT_FALSE(editorVisible);
    EXPECT_TRUE(form2->isVisible());
    EXPECT_EQ(slotText(), QStringLiteral("101"));
    EXPECT_EQ(comboIndex(), 1);
    EXPECT_EQ(form2->picture(), initialPicture());

    // Switching to another slot whose file fails keeps the picture shown, not a default one.
    putBitmap(100, filled(LedColor::Red));
    clickMain(QStringLiteral("BitBtn1"));
    clickMain(QStringLiteral("BitBtn5"));
    ASSERT_EQ(dialogs.log.size(), 2);
    EXPECT_TRUE(dialogs.log[1].contains(QStringLiteral("In1_Pic0.bmp")));
    EXPECT_EQ(slotText(), QStringLiteral("110"));
    EXPECT_EQ(form2->comboBox()->currentText(), QStringLiteral("In1_Pic0"));
    EXPECT_EQ(form2->picture(), filled(LedColor::Red));
}

TEST_F(EditorSlots, UnknownCodeChangesNothing) {
    putBitmap(120, filled(LedColor::Yellow));
    clickMain(QStringLiteral("BitBtn15"));
    form2->openForSlot(199);
    EXPECT_EQ(comboIndex(), 8);
    EXPECT_EQ(form2->picture(), filled(LedColor::Yellow));
    ASSERT_NE(form2->currentSlot(), nullptr);
    EXPECT_EQ(form2->currentSlot()->code, 120);
    EXPECT_TRUE(dialogs.log.isEmpty());
}

}  // namespace
}  // namespace blx52
