#include "ui/window_size.h"

#include <algorithm>

#include <QEvent>
#include <QWidget>

namespace blx52 {

QSize clientSizeFor(const QSize& outer, const QMargins& frame) {
    return QSize(std::max(1, outer.width() - frame.left() - frame.right()),
                 std::max(1, outer.height() - frame.top() - frame.bottom()));
}

QPoint centredFramePosition(const QRect& area, const QSize& outer) {
    // QRect::center() rounds down on even sizes; work from the exact middle instead.
    return QPoint(area.x() + (area.width() - outer.width()) / 2,
                  area.y() + (area.height() - outer.height()) / 2);
}

QRect besideFrame(const QRect& beside, const QSize& outer, int minWidth, const QRect& area,
                  int gap) {
    const int roomRight = area.right() - beside.right() - gap;
    const int roomLeft = beside.left() - area.left() - gap;
    int width = outer.width();
    int x = 0;
    if (width <= roomRight) {
        x = beside.right() + 1 + gap;
    } else if (width <= roomLeft) {
        x = beside.left() - gap - width;
    } else if (roomRight >= roomLeft) {
        width = std::max(roomRight, minWidth);
        x = beside.right() + 1 + gap;
    } else {
        width = std::max(roomLeft, minWidth);
        x = beside.left() - gap - width;
    }
    width = std::min(width, area.width());
    const int height = std::min(outer.height(), area.height());
    x = std::clamp(x, area.left(), area.right() + 1 - width);
    const int y = std::clamp(beside.top(), area.top(), area.bottom() + 1 - height);
    return {x, y, width, height};
}

QMargins frameMarginsOf(const QWidget& window) {
    const QRect frame = window.frameGeometry();
    const QRect client = window.geometry();
    return QMargins(client.left() - frame.left(), client.top() - frame.top(),
                    frame.right() - client.right(), frame.bottom() - client.bottom());
}

OuterSizeKeeper::OuterSizeKeeper(QWidget* window, QSize outer, Place place, FrameOf frameOf)
    : QObject(window),
      window_(window),
      outer_(outer),
      place_(std::move(place)),
      frameOf_(std::move(frameOf)) {
    window_->resize(clientSizeFor(outer_, allowed_));
    window_->installEventFilter(this);
}

void OuterSizeKeeper::update() {
    if (updating_ || window_->isMaximized() || window_->isFullScreen())
        return;
    const QMargins frame = frameOf_(*window_);
    if (frame == allowed_)
        return;
    // Resizing and moving raise the very events this filter reacts to.
    updating_ = true;
    allowed_ = frame;
    window_->resize(clientSizeFor(outer_, frame));
    if (place_)
        place_(*window_);
    updating_ = false;
}

bool OuterSizeKeeper::eventFilter(QObject* watched, QEvent* event) {
    if (watched == window_) {
        switch (event->type()) {
            // Platforms learn the frame at different moments: at the show, or when the window
            // manager moves the framed window into place.
            case QEvent::Show:
            case QEvent::Move:
            case QEvent::Resize:
            case QEvent::WindowActivate:
                update();
                break;
            default:
                break;
        }
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace blx52
