#pragma once

#include <QPoint>

#include "picture/picture.h"

namespace blx52 {

// Drawing on the picture. Points may lie outside the matrix; what falls outside is not drawn.
// Shapes take two corner points in any order, both inside the shape.

// Every pixel from `from` to `to`, both ends included, with no gaps (8-connected).
void drawLine(Picture& picture, QPoint from, QPoint to, LedColor color);
void drawRectangle(Picture& picture, QPoint corner1, QPoint corner2, LedColor color);
void fillRectangle(Picture& picture, QPoint corner1, QPoint corner2, LedColor color);
// The outline of the ellipse inscribed in the box of the two corners.
void drawEllipse(Picture& picture, QPoint corner1, QPoint corner2, LedColor color);
// Gives the 4-connected area of the start pixel's exact colour the new colour. Returns the
// number of pixels changed (0 outside the matrix or when the area has that colour already).
int floodFill(Picture& picture, QPoint start, LedColor color);

// Whole-picture changes. Shifts wrap around: what leaves one edge comes back at the other.
Picture shifted(const Picture& picture, int dx, int dy);
Picture flippedHorizontally(const Picture& picture);  // left and right swapped
Picture flippedVertically(const Picture& picture);    // top and bottom swapped
Picture rotatedClockwise(const Picture& picture);
Picture rotatedCounterClockwise(const Picture& picture);
// Every pixel that goes to the device as `from` (so also a colour outside the eight when `from`
// is black) becomes `to`.
Picture colorReplaced(const Picture& picture, LedColor from, LedColor to);

// The colour a pixel goes to the device as.
LedColor ledColorAt(const Picture& picture, QPoint point);

}  // namespace blx52
