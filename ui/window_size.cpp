#include "ui/window_size.h"

#include <algorithm>

#include <QEvent>
#include <QScreen>
#include <QScrollArea>
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

QSize fittedOuterSize(const QSize& outer, const QRect& area) {
    if (outer.width() <= area.width() && outer.height() <= area.height())
        return outer;
    return area.size();
}

QPoint positionWithin(const QRect& area, const QSize& outer, const QPoint& at) {
    const auto within = [](int from, int length, int at, int size) {
        return std::max(from, std::min(at, from + length - size));
    };
    return QPoint(within(area.x(), area.width(), at.x(), outer.width()),
                  within(area.y(), area.height(), at.y(), outer.height()));
}

QRect availableAreaOf(const QWidget& window) {
    const QScreen* screen = window.screen();
    return screen ? screen->availableGeometry() : QRect();
}

namespace {

// The client area needs the room of its controls; it learns them once they are built, when it
// is shown.
class ClientAreaScroll : public QScrollArea {
  public:
    // Lays the viewport out (without the frame, now): a window built hidden, as the picture
    // editor is, has its controls where they belong before it first shows.
    void layOutViewport() { setViewportMargins(0, 0, 0, 0); }

  protected:
    void showEvent(QShowEvent* event) override {
        if (QWidget* area = widget()) {
            const QRect controls = area->childrenRect();
            area->setMinimumSize(std::max(0, controls.right() + 1),
                                 std::max(0, controls.bottom() + 1));
        }
        QScrollArea::showEvent(event);
    }
};

}  // namespace

QWidget* scrollingClientArea(QWidget* clientArea) {
    auto* scroll = new ClientAreaScroll;
    scroll->setObjectName(QStringLiteral("MainScroll"));
    // No frame: where the window has room, the controls sit exactly where they did without it.
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->layOutViewport();
    // The focus goes to the controls as before (the area scrolls to the focused one itself).
    scroll->setFocusPolicy(Qt::NoFocus);
    scroll->setWidgetResizable(true);
    scroll->setWidget(clientArea);
    return scroll;
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
    // The keeper sizes the window, not the minimum of its bars' fixed panels: on a narrow
    // screen the status bar is cut at the right instead of pushing the window off the screen.
    window_->setMinimumSize(1, 1);
    // The area is taken as new at the first update, so that the window is kept within it then.
    const QRect area = availableAreaOf(*window_);
    window_->resize(
        clientSizeFor(area.isEmpty() ? outer_ : fittedOuterSize(outer_, area), allowed_));
    window_->installEventFilter(this);
}

void OuterSizeKeeper::update() {
    if (updating_ || window_->isMaximized() || window_->isFullScreen())
        return;
    const QMargins frame = frameOf_(*window_);
    const QRect area = availableAreaOf(*window_);
    if (frame == allowed_ && area == area_)
        return;
    // Resizing and moving raise the very events this filter reacts to.
    updating_ = true;
    const bool newFrame = frame != allowed_;
    allowed_ = frame;
    area_ = area;
    const QSize outer = fittedOuter();
    window_->resize(clientSizeFor(outer, frame));
    // Another screen only changes what fits; the window stays where the user put it.
    if (place_ && newFrame)
        place_(*window_);
    if (!area.isEmpty())
        window_->move(positionWithin(area, outer, window_->pos()));
    updating_ = false;
}

QSize OuterSizeKeeper::fittedOuter() const {
    return area_.isEmpty() ? outer_ : fittedOuterSize(outer_, area_);
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

void showInFront(QWidget& window) {
    window.show();
    window.raise();
    window.activateWindow();
}

}  // namespace blx52
