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

// The frame around a top-level widget as the window system reports it now (0 before framing).
QMargins frameMarginsOf(const QWidget& window);

// Watches a top-level window and, whenever the reported frame differs from the one last
// allowed for, resizes the client area so that the outer size is `outer` again and lets
// `place` put the window where it belongs. A resize by the user leaves the frame as it was
// and is kept. Maximised and full-screen windows are left alone.
class OuterSizeKeeper : public QObject {
  public:
    using Place = std::function<void(QWidget& window)>;
    using FrameOf = std::function<QMargins(const QWidget& window)>;

    OuterSizeKeeper(QWidget* window, QSize outer, Place place, FrameOf frameOf = frameMarginsOf);

    // Sizes the window for the frame reported now, if that frame is new.
    void update();
    QMargins frameAllowedFor() const { return allowed_; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QWidget* window_;
    QSize outer_;
    Place place_;
    FrameOf frameOf_;
    QMargins allowed_;
    bool updating_ = false;
};

}  // namespace blx52
