#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include "form_fixture.h"
#include "ui/window_size.h"

namespace blx52 {
namespace {

TEST(WindowSize, ClientAreaIsTheOuterSizeLessTheFrame) {
    EXPECT_EQ(clientSizeFor(QSize(1325, 820), QMargins()), QSize(1325, 820));
    // A typical framed window: thin borders, a title bar on top.
    EXPECT_EQ(clientSizeFor(QSize(1325, 820), QMargins(8, 31, 8, 8)), QSize(1309, 781));
    EXPECT_EQ(clientSizeFor(QSize(564, 398), QMargins(1, 2, 3, 4)), QSize(560, 392));
    // A frame as large as the window leaves a window, not a negative size.
    EXPECT_EQ(clientSizeFor(QSize(20, 20), QMargins(10, 30, 10, 10)), QSize(1, 1));
}

TEST(WindowSize, FrameIsCentredOnTheArea) {
    EXPECT_EQ(centredFramePosition(QRect(0, 0, 1920, 1080), QSize(1325, 820)), QPoint(297, 130));
    // Over a main window that is itself off the origin.
    EXPECT_EQ(centredFramePosition(QRect(100, 50, 1325, 820), QSize(564, 398)),
              QPoint(100 + 380, 50 + 211));
    // A window larger than the area sticks out on both sides alike.
    EXPECT_EQ(centredFramePosition(QRect(0, 0, 800, 600), QSize(1000, 800)), QPoint(-100, -100));
}

// The window system's frame, played by the test: unknown (0) until "framed".
struct FakeFrame {
    QMargins margins;
    int placed = 0;
};

TEST(WindowSize, BesideFrameKeepsOffTheEditorAndInsideTheScreen) {
    const QSize canvas(656, 639);
    const struct {
        const char* what;
        QRect area, editor;
        QRect expected;
        bool clear;  // off the editor
    } cases[] = {
        {"full HD, editor centred: to the right",
         {0, 0, 1920, 1080},
         {678, 341, 564, 398},
         {1250, 341, 656, 639},
         true},
        {"editor at the right edge: to the left",
         {0, 0, 1920, 1080},
         {1356, 100, 564, 398},
         {692, 100, 656, 639},
         true},
        {"a second screen's area",
         {1920, 0, 1920, 1080},
         {2000, 800, 564, 398},
         {2572, 441, 656, 639},
         true},
        {"more room left than right: narrowed there",
         {0, 0, 1366, 768},
         {600, 200, 564, 398},
         {0, 129, 592, 639},
         true},
        {"no room for the least width: inside the screen all the same",
         {0, 0, 1024, 768},
         {230, 185, 564, 398},
         {724, 129, 300, 639},
         false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const QRect frame = besideFrame(c.editor, canvas, 300, c.area);
        EXPECT_EQ(frame, c.expected);
        EXPECT_TRUE(c.area.contains(frame));
        EXPECT_EQ(frame.intersects(c.editor), !c.clear);
    }
}

TEST(OuterSizeKeeper, ResizesOnceTheFrameIsKnownAndKeepsTheUsersSize) {
    QWidget window;
    FakeFrame frame;
    auto* keeper = new OuterSizeKeeper(
        &window, QSize(564, 398), [&frame](QWidget&) { ++frame.placed; },
        [&frame](const QWidget&) { return frame.margins; });
    EXPECT_EQ(window.size(), QSize(564, 398));  // before framing the frame counts as nothing

    keeper->update();
    EXPECT_EQ(frame.placed, 0);  // nothing new: no resize, no move

    frame.margins = QMargins(4, 30, 4, 4);
    QEvent shown(QEvent::Show);
    QCoreApplication::sendEvent(&window, &shown);
    EXPECT_EQ(window.size(), QSize(556, 364));
    EXPECT_EQ(frame.placed, 1);
    EXPECT_EQ(keeper->frameAllowedFor(), frame.margins);

    // The user's resize (a Resize event with the same frame) is kept.
    window.resize(700, 500);
    QEvent moved(QEvent::Move);
    QCoreApplication::sendEvent(&window, &moved);
    EXPECT_EQ(window.size(), QSize(700, 500));
    EXPECT_EQ(frame.placed, 1);

    // A new frame (another theme) makes the outer size right again.
    frame.margins = QMargins(2, 20, 2, 2);
    QCoreApplication::sendEvent(&window, &moved);
    EXPECT_EQ(window.size(), QSize(560, 376));
    EXPECT_EQ(frame.placed, 2);
}

TEST(OuterSizeKeeper, LeavesAMaximisedWindowAlone) {
    QWidget window;
    QMargins margins;
    OuterSizeKeeper keeper(&window, QSize(564, 398), nullptr,
                           [&margins](const QWidget&) { return margins; });
    window.resize(1000, 700);
    window.setWindowState(Qt::WindowMaximized);
    ASSERT_TRUE(window.isMaximized());
    margins = QMargins(4, 30, 4, 4);
    keeper.update();
    EXPECT_EQ(window.size(), QSize(1000, 700));
    EXPECT_EQ(keeper.frameAllowedFor(), QMargins());
}

// The real windows on the test platform, whose frame is reported after the show.
TEST_F(FormTest, MainWindowHasItsOuterSizeWithTheFrameAndIsCentredOnTheScreen) {
    EXPECT_EQ(form->frameGeometry().size(), QSize(1325, 820));
    EXPECT_EQ(form->size(), clientSizeFor(QSize(1325, 820), frameMarginsOf(*form)));
    const QRect screen = form->screen()->availableGeometry();
    EXPECT_LE(std::abs(form->frameGeometry().center().x() - screen.center().x()), 1);
    EXPECT_LE(std::abs(form->frameGeometry().center().y() - screen.center().y()), 1);
}

}  // namespace
}  // namespace blx52
