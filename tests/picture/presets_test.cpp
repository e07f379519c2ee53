#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <map>
#include <utility>
#include <vector>

#include "picture/presets.h"
#include "tests/picture/picture_print.h"

using namespace blx52;

namespace {

std::map<int, int> countCodes(const Picture& p) {
    std::map<int, int> counts;
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) {
            ++counts[p.code(x, y)];
        }
    }
    return counts;
}

// The canvas line: Bresenham from the start point, stopping before the end point.
void line(Picture& p, std::pair<int, int> from, std::pair<int, int> to, LedColor color) {
    auto [x, y] = from;
    const auto [x1, y1] = to;
    const int dx = std::abs(x1 - x);
    const int dy = -std::abs(y1 - y);
    const int sx = x < x1 ? 1 : -1;
    const int sy = y < y1 ? 1 : -1;
    int err = dx + dy;
    while (x != x1 || y != y1) {
        p.setPixel(x, y, color);
        const int e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            x += sx;
        }
        if (e2 <= dx) {
            err += dx;
            y += sy;
        }
    }
}

void polyline(Picture& p, const std::vector<std::pair<int, int>>& points, LedColor color) {
    for (std::size_t i = 1; i < points.size(); ++i) {
        line(p, points[i - 1], points[i], color);
    }
}

constexpr int Black = 0, Red = 1, Blue = 4, White = 7;

}  // namespace

TEST(WarningTriangle, IsWhatItsDrawingOperationsRasteriseTo) {
    Picture drawn;  // black, as after the black rectangle
    polyline(drawn, {{14, 1}, {0, 28}, {0, 31}}, LedColor::Red);
    polyline(drawn, {{1, 31}, {31, 31}}, LedColor::Red);
    polyline(drawn, {{31, 30}, {31, 28}, {17, 0}}, LedColor::Red);
    polyline(drawn, {{16, 0}, {14, 0}}, LedColor::Red);
    polyline(drawn, {{15, 1}, {1, 28}, {1, 30}, {30, 30}, {30, 28}, {16, 0}}, LedColor::Red);
    for (int k = 0; k <= 13; ++k) {
        line(drawn, {2 + k, 28 - 2 * k}, {2 + k, 30}, LedColor::White);
        line(drawn, {16 + k, 2 + 2 * k}, {16 + k, 30}, LedColor::White);
    }
    line(drawn, {15, 8}, {15, 26}, LedColor::Black);
    line(drawn, {16, 8}, {16, 26}, LedColor::Black);

    const Picture preset = warningTrianglePicture();
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) {
            EXPECT_EQ(preset.pixel(x, y), drawn.pixel(x, y)) << x << "," << y;
        }
    }
}

TEST(DiscPresets, CountsEdgesAndCorners) {
    const auto disc = countCodes(blueDiscPicture());
    EXPECT_EQ(disc, (std::map<int, int>{{Black, 254}, {Blue, 686}, {White, 84}}));
    const auto sign = countCodes(prohibitionSignPicture());
    EXPECT_EQ(sign, (std::map<int, int>{{Black, 254}, {Red, 314}, {White, 456}}));
    for (const Picture& p : {blueDiscPicture(), prohibitionSignPicture()}) {
        for (int i = 0; i < 32; ++i) {
            const int top = i >= 14 && i <= 17 ? White : Black;
            const int side = i >= 13 && i <= 18 ? White : Black;
            EXPECT_EQ(p.code(i, 0), top) << "top " << i;
            EXPECT_EQ(p.code(i, 31), top) << "bottom " << i;
            EXPECT_EQ(p.code(0, i), side) << "left " << i;
            EXPECT_EQ(p.code(31, i), side) << "right " << i;
        }
        EXPECT_EQ(p.code(3, 3), Black);
        EXPECT_EQ(p.code(28, 28), Black);
        // The canvas ellipse leaves uneven pixels; they belong to the figure.
        EXPECT_EQ(p.code(30, 13), Black);
        EXPECT_EQ(p.code(30, 18), Black);
        EXPECT_NE(p.code(1, 13), Black);
    }
}

TEST(DiscPresets, ShareTheOuterCircleAndDifferInside) {
    // Both start with the same black square and white circle; the sign then paints red where
    // the disc paints blue, with a white disc in the middle.
    const Picture disc = blueDiscPicture();
    const Picture sign = prohibitionSignPicture();
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) {
            const int d = disc.code(x, y);
            const int s = sign.code(x, y);
            EXPECT_EQ(d == Black, s == Black) << x << "," << y;
            EXPECT_TRUE(d != White || s == White) << x << "," << y;
            EXPECT_TRUE(d != Blue || s == Red || s == White) << x << "," << y;
            if (y < 16) {
                EXPECT_EQ(d, disc.code(x, 31 - y))
                    << x << "," << y;  // the disc is even upside down
            }
        }
    }
    EXPECT_EQ(sign.code(16, 16), White);
    EXPECT_EQ(sign.code(3, 16), Red);
    // The sign's white centre is wider at its top row (5) than at its bottom row (26).
    EXPECT_EQ(sign.code(13, 5), White);
    EXPECT_EQ(sign.code(13, 26), Red);
}
