#include <gtest/gtest.h>

#include <QDir>
#include <QGuiApplication>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStatusBar>
#include <QTest>
#include <QWidget>

#include "form_fixture.h"
#include "ui/picture_editor.h"
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

TEST(WindowSize, AWindowThatDoesNotFitTakesTheAvailableAreaAndStaysInIt) {
    const QRect laptop(0, 0, 1366, 728);  // 1366 × 768 less a task bar
    struct Case {
        QSize outer;
        QRect area;
        QSize fitted;
    } cases[] = {
        {{1325, 820}, {0, 0, 1920, 1040}, {1325, 820}},
        {{1325, 820}, {0, 0, 1325, 820}, {1325, 820}},  // exactly
        {{1325, 820}, laptop, {1366, 728}},             // too high only
        {{1325, 820}, {0, 0, 1092, 574}, {1092, 574}},  // 125 %
        {{564, 398}, {0, 0, 683, 364}, {683, 364}},     // the editor at 200 %
        {{564, 398}, laptop, {564, 398}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.area.width() << "x" << c.area.height());
        EXPECT_EQ(fittedOuterSize(c.outer, c.area), c.fitted);
    }

    // Centred above the screen's top (y = -46), the frame is moved down into the area; one that
    // fits is not moved; one that is larger keeps its top-left corner in the area.
    EXPECT_EQ(positionWithin(laptop, QSize(1366, 728), QPoint(20, -46)), QPoint(0, 0));
    EXPECT_EQ(positionWithin(laptop, QSize(564, 398), QPoint(100, 200)), QPoint(100, 200));
    EXPECT_EQ(positionWithin(laptop, QSize(564, 398), QPoint(1000, 500)), QPoint(802, 330));
    EXPECT_EQ(positionWithin(QRect(1366, 0, 683, 364), QSize(700, 400), QPoint(1300, -5)),
              QPoint(1366, 0));
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
// The window tests' screen (tests/common/gui_main.cpp) has room for the main window; the
// platform's default screen, where no other can be given (Windows), has not.
bool screenHasRoom(const QWidget& window) {
    return availableAreaOf(window).contains(QRect(0, 0, 1325, 820));
}

TEST_F(FormTest, MainWindowHasItsOuterSizeWithTheFrameAndIsCentredOnTheScreen) {
    if (!screenHasRoom(*form))
        GTEST_SKIP() << "the screen is smaller than the window";
    EXPECT_EQ(form->frameGeometry().size(), QSize(1325, 820));
    EXPECT_EQ(form->size(), clientSizeFor(QSize(1325, 820), frameMarginsOf(*form)));
    const QRect screen = form->screen()->availableGeometry();
    EXPECT_LE(std::abs(form->frameGeometry().center().x() - screen.center().x()), 1);
    EXPECT_LE(std::abs(form->frameGeometry().center().y() - screen.center().y()), 1);
}

TEST_F(FormTest, MainWindowOnTheLargeScreenDoesNotScroll) {
    if (!screenHasRoom(*form))
        GTEST_SKIP() << "the screen is smaller than the window";
    auto* scroll = form->findChild<QScrollArea*>(QStringLiteral("MainScroll"));
    ASSERT_NE(scroll, nullptr);
    EXPECT_EQ(form->centralWidget(), scroll);
    EXPECT_FALSE(scroll->horizontalScrollBar()->isVisible());
    EXPECT_FALSE(scroll->verticalScrollBar()->isVisible());
    // The controls sit where they sat without the scroll area: at the client area's origin.
    const QWidget* area = scroll->widget();
    EXPECT_EQ(area->objectName(), QStringLiteral("ClientArea"));
    EXPECT_EQ(area->mapTo(form.get(), QPoint(0, 0)), QPoint(0, form->menuBar()->height()));
    EXPECT_EQ(area->size(), scroll->viewport()->size());
}

QScreen* testScreen(const char* name) {
    for (QScreen* s : QGuiApplication::screens()) {
        if (s->name() == QLatin1String(name))
            return s;
    }
    return nullptr;
}

// Where BLX52_RENDER_DIR names a folder, each case is saved there as a picture to look at.
void render(QWidget& window, const QString& name) {
    const QString dir = qEnvironmentVariable("BLX52_RENDER_DIR");
    if (!dir.isEmpty() && QDir().mkpath(dir)) {
        EXPECT_TRUE(window.grab().save(QDir(dir).filePath(name + QStringLiteral(".png"))));
    }
}

// A technician's laptop (1366 × 768) and a full HD screen, at the scalings Windows offers.
TEST(WindowsOnScreens, FitTheAvailableAreaAndKeepEverythingReachable) {
    struct Case {
        const char* screen;
        bool mainFits;
        bool editorFits;
    } cases[] = {
        {"1366x768@100", false, true},  {"1366x768@125", false, true},
        {"1366x768@150", false, true},  {"1366x768@200", false, false},
        {"1920x1080@100", true, true},  {"1920x1080@125", true, true},
        {"1920x1080@150", false, true}, {"1920x1080@200", false, true},
    };
    if (testScreen(cases[0].screen) == nullptr)
        GTEST_SKIP() << "no test screens on this platform";
    FakeDialogs dialogs;
    DeviceLink link(nullptr, [] { return std::make_unique<MissingPort>(); });
    for (const Case& c : cases) {
        SCOPED_TRACE(c.screen);
        QScreen* screen = testScreen(c.screen);
        ASSERT_NE(screen, nullptr);
        const QRect available = screen->availableGeometry();

        // Opened there, as on a laptop with this one screen.
        TForm1 form(link, dialogs);
        form.setScreen(screen);
        form.move(available.topLeft());
        form.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
        EXPECT_EQ(form.screen(), screen);
        EXPECT_TRUE(available.contains(form.frameGeometry())) << form.frameGeometry().y();
        EXPECT_EQ(form.frameGeometry().size(), c.mainFits ? QSize(1325, 820) : available.size());
        auto* scroll = form.findChild<QScrollArea*>(QStringLiteral("MainScroll"));
        ASSERT_NE(scroll, nullptr);
        const bool scrolls =
            scroll->horizontalScrollBar()->isVisible() || scroll->verticalScrollBar()->isVisible();
        EXPECT_EQ(scrolls, !c.mainFits);
        // Menus and status bar lie inside the window, outside the scrolled part; the status
        // bar runs along the whole bottom (its fixed panels cut at the right where narrower).
        const QRect inside = form.rect();
        EXPECT_TRUE(form.menuBar()->isVisible());
        EXPECT_TRUE(inside.contains(form.menuBar()->geometry()));
        const QRect status = form.statusBar()->geometry();
        EXPECT_TRUE(form.statusBar()->isVisible());
        EXPECT_TRUE(inside.contains(status.topLeft()) && inside.contains(status.bottomLeft()));
        EXPECT_EQ(status.bottom(), inside.bottom());
        EXPECT_GE(status.width(), inside.width());
        EXPECT_LE(scroll->geometry().bottom(), status.top());
        render(form, QStringLiteral("main-window-%1").arg(QLatin1String(c.screen)));
        // Read and Write can be scrolled into view whole.
        for (const char* name : {"Button1", "Button2"}) {
            QPushButton* b = form.button(QString::fromLatin1(name));
            scroll->ensureWidgetVisible(b, 0, 0);
            const QRect shown(b->mapTo(scroll->viewport(), QPoint(0, 0)), b->size());
            EXPECT_TRUE(scroll->viewport()->rect().contains(shown)) << name;
        }

        TForm2 editor(link, dialogs, QDir::tempPath() + QStringLiteral("/"));
        editor.setScreen(screen);
        editor.move(available.topLeft());
        editor.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&editor));
        EXPECT_TRUE(available.contains(editor.frameGeometry()));
        EXPECT_EQ(editor.frameGeometry().size(), c.editorFits ? QSize(564, 398) : available.size());
        // Each of its controls can be scrolled into view whole.
        auto* editorScroll = editor.findChild<QScrollArea*>(QStringLiteral("MainScroll"));
        ASSERT_NE(editorScroll, nullptr);
        for (QWidget* control : editorScroll->widget()->findChildren<QWidget*>(
                 QString(), Qt::FindDirectChildrenOnly)) {
            if (control->isHidden())
                continue;
            editorScroll->ensureWidgetVisible(control, 0, 0);
            const QRect shown(control->mapTo(editorScroll->viewport(), QPoint(0, 0)),
                              control->size());
            EXPECT_TRUE(editorScroll->viewport()->rect().contains(shown))
                << control->objectName().toStdString();
        }
    }
}

}  // namespace
}  // namespace blx52
