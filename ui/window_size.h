#pragma once

#include <functional>

#include <QMargins>
#include <QObject>
#include <QPoint>
#include <QRect>
#include <QSize>

class QWidget;

namespace blx52 {

// The layout gives each window's outer size, frame and title bar included. The window system
// reports the frame only once it has framed the window (after the first show), so the client
// size is set from the outer size at first and corrected when the frame becomes known.

// The client size that gives `outer` with `frame` around it; never smaller than 1 × 1.
QSize clientSizeFor(const QSize& outer, const QMargins& frame);

// Where the frame's top-left corner goes so that a frame of `outer` size is centred on `area`.
QPoint centredFramePosition(const QRect& area, const QSize& outer);

// The frame of a window of `outer` size beside the frame `beside`, `gap` apart: to the right
// when it fits there, else to the left when it fits there, else on the side with more room,
// narrowed to that room but not below `minWidth`. Always inside `area` (narrower and lower
// when the area is smaller), top-aligned with `beside` where the height allows.
QRect besideFrame(const QRect& beside, const QSize& outer, int minWidth, const QRect& area,
                  int gap = 8);

// Where a window does not fit its screen's available area (a laptop's small screen, a scaled
// desktop) it takes that area instead of its own size, and its layout scrolls inside it, so
// that the title bar, the menus and the status bar stay reachable.

// The outer size a window of `outer` gets on the available `area`: its own where it fits in
// both directions, else the area's.
QSize fittedOuterSize(const QSize& outer, const QRect& area);

// `at` moved just as far as needed for a frame of `outer` size to lie within `area`; one larger
// than the area keeps its top-left corner in it.
QPoint positionWithin(const QRect& area, const QSize& outer, const QPoint& at);

// The available area of the screen the window is on (empty without a screen).
QRect availableAreaOf(const QWidget& window);

// Wraps a window's client area, laid out by hand, in a frameless scroll area named MainScroll,
// to be the central widget. Where the window has room the area fills it as before; where it has
// less the area keeps the size its controls need and scrolls.
QWidget* scrollingClientArea(QWidget* clientArea);

// The frame around a top-level widget as the window system reports it now (0 before framing).
QMargins frameMarginsOf(const QWidget& window);

// Shows a window the program keeps (log, preview, ports, About…) in front of the others, with the
// keyboard, whether it was hidden or only behind.
void showInFront(QWidget& window);

// Watches a top-level window and, whenever the reported frame differs from the one last
// allowed for, resizes the client area so that the outer size is `outer` again and lets
// `place` put the window where it belongs. A resize by the user leaves the frame as it was
// and is kept. On a screen too small for `outer` the window gets the screen's available area
// (fittedOuterSize) and is kept within it, also after a move to another screen or a change of
// its scaling. Maximised and full-screen windows are left alone.
class OuterSizeKeeper : public QObject {
  public:
    using Place = std::function<void(QWidget& window)>;
    using FrameOf = std::function<QMargins(const QWidget& window)>;

    OuterSizeKeeper(QWidget* window, QSize outer, Place place, FrameOf frameOf = frameMarginsOf);

    // Sizes the window for the frame reported now, if that frame is new.
    void update();
    QMargins frameAllowedFor() const { return allowed_; }
    // The outer size the window gets on the screen it was last sized for.
    QSize fittedOuter() const;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QWidget* window_;
    QSize outer_;
    Place place_;
    FrameOf frameOf_;
    QMargins allowed_;
    QRect area_;
    bool updating_ = false;
};

}  // namespace blx52
