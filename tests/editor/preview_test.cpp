// The preview window over both windows: it follows the main window's settings and the editor's
// drawing while open, on a clock the test advances.
#include <QAction>
#include <QComboBox>
#include <QLabel>

#include "editor_fixture.h"
#include "picture/presets.h"
#include "playback/led_panel.h"
#include "ui/preview_window.h"

namespace blx52 {
namespace {

class PreviewTest : public EditorTest {
  protected:
    PreviewWindow* open() {
        form1->setPreviewClock([this] { return now; });
        auto* action = form1->findChild<QAction*>(QStringLiteral("Preview1"));
        EXPECT_NE(action, nullptr);
        EXPECT_EQ(action->shortcut(), QKeySequence(Qt::Key_F9));
        action->trigger();
        PreviewWindow* preview = form1->previewWindow();
        EXPECT_NE(preview, nullptr);
        EXPECT_TRUE(preview->isVisible());
        return preview;
    }
    void advance(PreviewWindow* preview, std::int64_t ms) {
        now += ms;
        preview->tick();
    }
    // The colour at the centre of an LED of the panel as it is on screen.
    static QRgb ledOnScreen(PreviewWindow* preview, int x, int y) {
        const QImage image = preview->panel()->grab().toImage();
        const int side = std::min(image.width(), image.height());
        const double cell = side / 32.0;
        const double left = (image.width() - side) / 2.0;
        const double top = (image.height() - side) / 2.0;
        return image.pixel(static_cast<int>(left + (x + 0.5) * cell),
                           static_cast<int>(top + (y + 0.5) * cell)) |
               0xff000000u;
    }
    using EditorTest::click;
    void click(PreviewWindow* preview, const char* name) {
        auto* button = preview->findChild<QPushButton*>(QString::fromLatin1(name));
        ASSERT_NE(button, nullptr) << name;
        QTest::mouseClick(button, Qt::LeftButton);
    }

    std::int64_t now = 50'000;
};

TEST_F(PreviewTest, AdvancingByTheDurationsShowsEachPictureInTurn) {
    const LedColor colours[] = {LedColor::Red, LedColor::Green, LedColor::Blue, LedColor::Yellow};
    for (int i = 0; i < 4; ++i)
        putBitmap(100 + i, filled(colours[i]));
    PreviewWindow* preview = open();
    click(preview, "PreviewPlay");
    const int brightness = BrightnessStart;
    // Start durations of Input 0: 2000, 1000, 2000, 1000 ms, then round again.
    const std::pair<std::int64_t, int> steps[] = {{0, 0},    {1999, 0}, {1, 1},   {999, 1}, {1, 2},
                                                  {1999, 2}, {1, 3},    {999, 3}, {1, 0}};
    for (const auto& [ms, picture] : steps) {
        advance(preview, ms);
        EXPECT_EQ(preview->shownSlot(), 100 + picture) << "after " << now;
        EXPECT_EQ(ledOnScreen(preview, 10, 10), ledColour(ledCode(colours[picture]), brightness));
    }
    EXPECT_TRUE(preview->findChild<QLabel*>(QStringLiteral("PreviewTime"))
                    ->text()
                    .contains(QStringLiteral("6.0 s picture cycle")));
    // A click on the strip seeks: its middle is 3 s into the 6 s cycle, picture 2.
    auto* strip = preview->findChild<QWidget*>(QStringLiteral("PreviewTimeline"));
    QTest::mouseClick(strip, Qt::LeftButton, {}, QPoint(strip->width() / 2 + 1, 5));
    advance(preview, 0);
    EXPECT_EQ(preview->shownSlot(), 102);
    EXPECT_NEAR(static_cast<double>(preview->playback().position()), 3000, 20);
}

TEST_F(PreviewTest, RendersThePanelAndItsControls) {
    putBitmap(110, warningTrianglePicture());
    putBitmap(111, prohibitionSignPicture());
    putBitmap(112, blueDiscPicture());
    PreviewWindow* preview = open();
    auto* situation = preview->findChild<QComboBox*>(QStringLiteral("PreviewSituation"));
    ASSERT_NE(situation, nullptr);
    situation->setCurrentIndex(1);
    emit situation->activated(1);
    click(preview, "PreviewPlay");
    advance(preview, 2100);
    EXPECT_EQ(preview->shownSlot(), 111);
    auto* time = preview->findChild<QLabel*>(QStringLiteral("PreviewTime"));
    EXPECT_EQ(time->text(), QStringLiteral("2.1 s of 6.0 s picture cycle \u00b7 sound 5 min"));
    // What the label shows follows its text, also when a text comes round again a cycle later.
    const QImage shown = time->grab().toImage();
    advance(preview, 100);
    EXPECT_NE(time->grab().toImage(), shown);
    advance(preview, 5900);
    EXPECT_EQ(time->text(), QStringLiteral("2.1 s of 6.0 s picture cycle \u00b7 sound 5 min"));
    EXPECT_EQ(time->grab().toImage(), shown);
    for (const char* name :
         {"PreviewPanel", "PreviewSituation", "PreviewPlay", "PreviewRestart", "PreviewSound",
          "PreviewSource", "PreviewTime", "PreviewTimeline", "PreviewInput0", "PreviewInput1",
          "PreviewInput2", "PreviewPowerOn", "PreviewExport"})
        EXPECT_NE(preview->findChild<QWidget*>(QString::fromLatin1(name)), nullptr) << name;
    // The test machines have no sound device; everything else plays.
    if (!preview->playback().soundAvailable()) {
        EXPECT_EQ(preview->findChild<QLabel*>(QStringLiteral("PreviewSoundState"))->text(),
                  QStringLiteral("no sound output"));
    }
    preview->grab().save(QDir::temp().filePath(QStringLiteral("preview.png")));
}

TEST_F(PreviewTest, AnEditInTheMainWindowAndADrawingInTheEditorShowWithoutReopening) {
    putBitmap(100, filled(LedColor::Red));
    putBitmap(101, filled(LedColor::Green));
    PreviewWindow* preview = open();
    click(preview, "PreviewPlay");
    advance(preview, 600);
    EXPECT_EQ(preview->shownSlot(), 100);
    auto* strip = preview->findChild<QWidget*>(QStringLiteral("PreviewTimeline"));
    ASSERT_NE(strip, nullptr);
    strip->grab();  // the blocks of the 6 s cycle, kept for the frames to come
    form1->setControlText(QStringLiteral("Edit19"), QStringLiteral("500"));
    advance(preview, 0);
    EXPECT_EQ(preview->shownSlot(), 101);  // picture 0 lasts 500 ms now
    EXPECT_TRUE(preview->findChild<QLabel*>(QStringLiteral("PreviewTime"))
                    ->text()
                    .contains(QStringLiteral("4.5 s picture cycle")));
    // The strip shows the new blocks: what it shows is what it draws from scratch.
    const QImage shown = strip->grab().toImage();
    strip->resize(strip->width() + 1, strip->height());
    strip->grab();
    strip->resize(strip->width() - 1, strip->height());
    EXPECT_EQ(strip->grab().toImage(), shown);

    form1->setControlText(QStringLiteral("Edit19"), QStringLiteral("2000"));
    openBlackWithPen(QStringLiteral("BitBtn11"), 3, 4);  // the editor on slot 100, white pen
    advance(preview, 0);
    EXPECT_EQ(preview->shownSlot(), 100);
    EXPECT_EQ(ledOnScreen(preview, 3, 4), UnlitLed);  // the editor's black picture, unsaved
    click(QStringLiteral("Button5"));                 // draws the point
    EXPECT_EQ(ledOnScreen(preview, 3, 4), ledColour(7, BrightnessStart));
    EXPECT_EQ(ledOnScreen(preview, 4, 4), UnlitLed);
    form1->trackBar()->setValue(9);  // brightness, too
    advance(preview, 0);
    EXPECT_EQ(ledOnScreen(preview, 3, 4), ledColour(7, 9));
}

TEST_F(PreviewTest, LedsLightByDeviceCodeNotByColour) {
    Picture picture;
    picture.setPixel(1, 1, qRgb(0, 255, 255));
    picture.setPixel(2, 1, qRgb(0, 128, 128));
    putBitmap(100, picture);
    PreviewWindow* preview = open();
    EXPECT_EQ(ledOnScreen(preview, 1, 1), UnlitLed);
    const QRgb cyan = ledOnScreen(preview, 2, 1);
    EXPECT_EQ(cyan, ledColour(6, BrightnessStart));
    EXPECT_EQ(qRed(cyan), 0);
    EXPECT_EQ(qGreen(cyan), qBlue(cyan));
}

}  // namespace
}  // namespace blx52
