#include "picture/picture_tools.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace blx52 {

namespace {

// Mouse points far outside the matrix draw nothing more than points just outside it, and the
// loops below stay short whatever the window reports.
constexpr int Margin = 2 * Picture::Width;

QPoint bounded(QPoint p) {
    return {std::clamp(p.x(), -Margin, Picture::Width + Margin),
            std::clamp(p.y(), -Margin, Picture::Height + Margin)};
}

struct Box {
    int left, top, right, bottom;  // inclusive
};

Box boxOf(QPoint a, QPoint b) {
    a = bounded(a);
    b = bounded(b);
    return {std::min(a.x(), b.x()), std::min(a.y(), b.y()), std::max(a.x(), b.x()),
            std::max(a.y(), b.y())};
}

template <typename Map>
Picture remapped(const Picture& picture, Map source) {
    Picture out;
    for (int y = 0; y < Picture::Height; ++y) {
        for (int x = 0; x < Picture::Width; ++x) {
            const QPoint from = source(x, y);
            out.setPixel(x, y, picture.pixel(from.x(), from.y()));
        }
    }
    return out;
}

int wrap(int value, int size) {
    const int r = value % size;
    return r < 0 ? r + size : r;
}

}  // namespace

void drawLine(Picture& picture, QPoint from, QPoint to, LedColor color) {
    from = bounded(from);
    to = bounded(to);
    // Bresenham: one pixel per step along the longer axis.
    int x = from.x();
    int y = from.y();
    const int dx = std::abs(to.x() - x);
    const int dy = -std::abs(to.y() - y);
    const int sx = x < to.x() ? 1 : -1;
    const int sy = y < to.y() ? 1 : -1;
    int error = dx + dy;
    for (;;) {
        picture.setPixel(x, y, color);
        if (x == to.x() && y == to.y())
            break;
        const int e2 = 2 * error;
        if (e2 >= dy) {
            error += dy;
            x += sx;
        }
        if (e2 <= dx) {
            error += dx;
            y += sy;
        }
    }
}

void drawRectangle(Picture& picture, QPoint corner1, QPoint corner2, LedColor color) {
    const Box b = boxOf(corner1, corner2);
    for (int x = b.left; x <= b.right; ++x) {
        picture.setPixel(x, b.top, color);
        picture.setPixel(x, b.bottom, color);
    }
    for (int y = b.top; y <= b.bottom; ++y) {
        picture.setPixel(b.left, y, color);
        picture.setPixel(b.right, y, color);
    }
}

void fillRectangle(Picture& picture, QPoint corner1, QPoint corner2, LedColor color) {
    const Box b = boxOf(corner1, corner2);
    for (int y = b.top; y <= b.bottom; ++y) {
        for (int x = b.left; x <= b.right; ++x)
            picture.setPixel(x, y, color);
    }
}

void drawEllipse(Picture& picture, QPoint corner1, QPoint corner2, LedColor color) {
    const Box b = boxOf(corner1, corner2);
    // Pixel centres inside the ellipse through the box's outer edges; the outline is every
    // inside pixel with a 4-neighbour outside. That keeps it closed, one pixel thin and
    // symmetric for even and odd sizes alike.
    const double cx = (b.left + b.right) / 2.0;
    const double cy = (b.top + b.bottom) / 2.0;
    const double rx = (b.right - b.left + 1) / 2.0;
    const double ry = (b.bottom - b.top + 1) / 2.0;
    auto inside = [&](int x, int y) {
        if (x < b.left || x > b.right || y < b.top || y > b.bottom)
            return false;
        const double nx = (x - cx) / rx;
        const double ny = (y - cy) / ry;
        return nx * nx + ny * ny <= 1.0;
    };
    for (int y = b.top; y <= b.bottom; ++y) {
        for (int x = b.left; x <= b.right; ++x) {
            if (inside(x, y) &&
                (!inside(x - 1, y) || !inside(x + 1, y) || !inside(x, y - 1) || !inside(x, y + 1)))
                picture.setPixel(x, y, color);
        }
    }
}

int floodFill(Picture& picture, QPoint start, LedColor color) {
    if (!Picture::contains(start.x(), start.y()))
        return 0;
    const QRgb target = picture.pixel(start.x(), start.y());
    const QRgb fill = ledRgb(color);
    if (target == fill)
        return 0;
    int changed = 0;
    std::vector<QPoint> pending{start};
    while (!pending.empty()) {
        const QPoint p = pending.back();
        pending.pop_back();
        if (!Picture::contains(p.x(), p.y()) || picture.pixel(p.x(), p.y()) != target)
            continue;
        picture.setPixel(p.x(), p.y(), fill);
        ++changed;
        pending.insert(
            pending.end(),
            {{p.x() + 1, p.y()}, {p.x() - 1, p.y()}, {p.x(), p.y() + 1}, {p.x(), p.y() - 1}});
    }
    return changed;
}

Picture shifted(const Picture& picture, int dx, int dy) {
    return remapped(picture, [dx, dy](int x, int y) {
        return QPoint(wrap(x - dx, Picture::Width), wrap(y - dy, Picture::Height));
    });
}

Picture flippedHorizontally(const Picture& picture) {
    return remapped(picture, [](int x, int y) { return QPoint(Picture::Width - 1 - x, y); });
}

Picture flippedVertically(const Picture& picture) {
    return remapped(picture, [](int x, int y) { return QPoint(x, Picture::Height - 1 - y); });
}

// The matrix is square, so a quarter turn keeps its size.
Picture rotatedClockwise(const Picture& picture) {
    return remapped(picture, [](int x, int y) { return QPoint(y, Picture::Width - 1 - x); });
}

Picture rotatedCounterClockwise(const Picture& picture) {
    return remapped(picture, [](int x, int y) { return QPoint(Picture::Height - 1 - y, x); });
}

Picture colorReplaced(const Picture& picture, LedColor from, LedColor to) {
    Picture out = picture;
    for (int y = 0; y < Picture::Height; ++y) {
        for (int x = 0; x < Picture::Width; ++x) {
            if (picture.code(x, y) == ledCode(from))
                out.setPixel(x, y, to);
        }
    }
    return out;
}

LedColor ledColorAt(const Picture& picture, QPoint point) {
    return static_cast<LedColor>(picture.code(point.x(), point.y()));
}

}  // namespace blx52
