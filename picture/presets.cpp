#include "presets.h"

#include <array>

namespace blx52 {

namespace {

// Pixel maps, row 0 first, column 0 first in each row: '-' black, 'R' red, 'W' white, 'B' blue.
// They are the figures the original canvas operations rasterise to (including the uneven
// pixels of its ellipses, e.g. rows 13 and 18), so they are kept as data, not redrawn.
constexpr std::array<const char*, 32> warningTriangleMap = {{
    "---------------RR---------------", "--------------RRRR--------------",
    "-------------RRWWRR-------------", "-------------RRWWRR-------------",
    "------------RRWWWWRR------------", "------------RRWWWWRR------------",
    "-----------RRWWWWWWRR-----------", "-----------RRWWWWWWRR-----------",
    "----------RRWWW--WWWRR----------", "----------RRWWW--WWWRR----------",
    "---------RRWWWW--WWWWRR---------", "---------RRWWWW--WWWWRR---------",
    "--------RRWWWWW--WWWWWRR--------", "--------RRWWWWW--WWWWWRR--------",
    "-------RRWWWWWW--WWWWWWRR-------", "-------RRWWWWWW--WWWWWWRR-------",
    "------RRWWWWWWW--WWWWWWWRR------", "------RRWWWWWWW--WWWWWWWRR------",
    "-----RRWWWWWWWW--WWWWWWWWRR-----", "-----RRWWWWWWWW--WWWWWWWWRR-----",
    "----RRWWWWWWWWW--WWWWWWWWWRR----", "----RRWWWWWWWWW--WWWWWWWWWRR----",
    "---RRWWWWWWWWWW--WWWWWWWWWWRR---", "---RRWWWWWWWWWW--WWWWWWWWWWRR---",
    "--RRWWWWWWWWWWW--WWWWWWWWWWWRR--", "--RRWWWWWWWWWWW--WWWWWWWWWWWRR--",
    "-RRWWWWWWWWWWWWWWWWWWWWWWWWWWRR-", "-RRWWWWWWWWWWWWWWWWWWWWWWWWWWRR-",
    "RRWWWWWWWWWWWWWWWWWWWWWWWWWWWWRR", "RRWWWWWWWWWWWWWWWWWWWWWWWWWWWWRR",
    "RRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRR", "-RRRRRRRRRRRRRRRRRRRRRRRRRRRRRR-",
}};

constexpr std::array<const char*, 32> prohibitionSignMap = {{
    "--------------WWWW--------------", "----------WWWRRRRRRWWW----------",
    "--------WWRRRRRRRRRRRRWW--------", "-------WRRRRRRRRRRRRRRRRW-------",
    "-----WWRRRRRRRRRRRRRRRRRRWW-----", "----W-RRRRRRRWWWWWWRRRRRRR-W----",
    "----WRRRRRRWWWWWWWWWWRRRRRRW----", "---WRRRRRWWWWWWWWWWWWWWRRRRRW---",
    "--WRRRRRWWWWWWWWWWWWWWWWRRRRRW--", "--WRRRRWWWWWWWWWWWWWWWWWWRRRRW--",
    "-WRRRRRWWWWWWWWWWWWWWWWWWRRRRRW-", "-WRRRRWWWWWWWWWWWWWWWWWWWWRRRRW-",
    "-WRRRRWWWWWWWWWWWWWWWWWWWWRRRRW-", "WRRRRWWWWWWWWWWWWWWWWWWWWWRRRR-W",
    "WRRRRWWWWWWWWWWWWWWWWWWWWWWRRRRW", "WRRRRWWWWWWWWWWWWWWWWWWWWWWRRRRW",
    "WRRRRWWWWWWWWWWWWWWWWWWWWWWRRRRW", "WRRRRWWWWWWWWWWWWWWWWWWWWWWRRRRW",
    "WRRRRWWWWWWWWWWWWWWWWWWWWWRRRR-W", "-WRRRRWWWWWWWWWWWWWWWWWWWWRRRRW-",
    "-WRRRRWWWWWWWWWWWWWWWWWWWWRRRRW-", "-WRRRRRWWWWWWWWWWWWWWWWWWRRRRRW-",
    "--WRRRRWWWWWWWWWWWWWWWWWWRRRRW--", "--WRRRRRWWWWWWWWWWWWWWWWRRRRRW--",
    "---WRRRRRWWWWWWWWWWWWWWRRRRRW---", "----WRRRRRRWWWWWWWWWWRRRRRRW----",
    "----W-RRRRRRRRWWWWRRRRRRRR-W----", "-----WWRRRRRRRRRRRRRRRRRRWW-----",
    "-------WRRRRRRRRRRRRRRRRW-------", "--------WWRRRRRRRRRRRRWW--------",
    "----------WWWRRRRRRWWW----------", "--------------WWWW--------------",
}};

constexpr std::array<const char*, 32> blueDiscMap = {{
    "--------------WWWW--------------", "----------WWWBBBBBBWWW----------",
    "--------WWBBBBBBBBBBBBWW--------", "-------WBBBBBBBBBBBBBBBBW-------",
    "-----WWBBBBBBBBBBBBBBBBBBWW-----", "----W-BBBBBBBBBBBBBBBBBBBB-W----",
    "----WBBBBBBBBBBBBBBBBBBBBBBW----", "---WBBBBBBBBBBBBBBBBBBBBBBBBW---",
    "--WBBBBBBBBBBBBBBBBBBBBBBBBBBW--", "--WBBBBBBBBBBBBBBBBBBBBBBBBBBW--",
    "-WBBBBBBBBBBBBBBBBBBBBBBBBBBBBW-", "-WBBBBBBBBBBBBBBBBBBBBBBBBBBBBW-",
    "-WBBBBBBBBBBBBBBBBBBBBBBBBBBBBW-", "WBBBBBBBBBBBBBBBBBBBBBBBBBBBBB-W",
    "WBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBW", "WBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBW",
    "WBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBW", "WBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBW",
    "WBBBBBBBBBBBBBBBBBBBBBBBBBBBBB-W", "-WBBBBBBBBBBBBBBBBBBBBBBBBBBBBW-",
    "-WBBBBBBBBBBBBBBBBBBBBBBBBBBBBW-", "-WBBBBBBBBBBBBBBBBBBBBBBBBBBBBW-",
    "--WBBBBBBBBBBBBBBBBBBBBBBBBBBW--", "--WBBBBBBBBBBBBBBBBBBBBBBBBBBW--",
    "---WBBBBBBBBBBBBBBBBBBBBBBBBW---", "----WBBBBBBBBBBBBBBBBBBBBBBW----",
    "----W-BBBBBBBBBBBBBBBBBBBB-W----", "-----WWBBBBBBBBBBBBBBBBBBWW-----",
    "-------WBBBBBBBBBBBBBBBBW-------", "--------WWBBBBBBBBBBBBWW--------",
    "----------WWWBBBBBBWWW----------", "--------------WWWW--------------",
}};

constexpr bool wellFormed(const std::array<const char*, 32>& map) {
    for (const char* row : map) {
        int length = 0;
        for (; row[length] != '\0'; ++length) {
            const char c = row[length];
            if (c != '-' && c != 'R' && c != 'W' && c != 'B')
                return false;
        }
        if (length != Picture::Width)
            return false;
    }
    return true;
}
static_assert(wellFormed(warningTriangleMap));
static_assert(wellFormed(prohibitionSignMap));
static_assert(wellFormed(blueDiscMap));

LedColor mapColor(char c) {
    switch (c) {
        case 'R':
            return LedColor::Red;
        case 'W':
            return LedColor::White;
        case 'B':
            return LedColor::Blue;
        default:
            return LedColor::Black;
    }
}

Picture fromMap(const std::array<const char*, 32>& map) {
    Picture picture;
    for (int y = 0; y < Picture::Height; ++y) {
        for (int x = 0; x < Picture::Width; ++x) {
            picture.setPixel(x, y, mapColor(map[static_cast<std::size_t>(y)][x]));
        }
    }
    return picture;
}

}  // namespace

Picture warningTrianglePicture() {
    return fromMap(warningTriangleMap);
}
Picture prohibitionSignPicture() {
    return fromMap(prohibitionSignMap);
}
Picture blueDiscPicture() {
    return fromMap(blueDiscMap);
}

}  // namespace blx52
