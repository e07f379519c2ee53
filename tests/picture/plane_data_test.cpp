#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>

#include "picture/plane_data.h"
#include "picture/slot_table.h"

using namespace blx52;

namespace {

Picture single(int x, int y, QRgb rgb) {
    Picture p;
    p.setPixel(x, y, rgb);
    return p;
}

// Every byte zero except those listed.
void expectOnly(const std::array<std::uint8_t, 512>& data,
                const std::map<int, std::uint8_t>& expected) {
    for (int i = 0; i < 512; ++i) {
        const auto it = expected.find(i);
        EXPECT_EQ(data[i], it == expected.end() ? 0 : it->second) << "byte " << i;
    }
}

}  // namespace

TEST(PlaneData, SinglePixels) {
    expectOnly(PlaneData(single(0, 0, qRgb(255, 0, 0))), {{0, 0x80}});
    // Row 16 is group 1, blue plane, byte 3, least significant bit.
    expectOnly(PlaneData(single(31, 16, qRgb(0, 0, 255))), {{27, 0x01}});
    // Row 1 is group 2; white lights all three planes.
    expectOnly(PlaneData(single(8, 1, qRgb(255, 255, 255))), {{33, 0x80}, {37, 0x80}, {41, 0x80}});
    // Cyan is green and blue; column 9 is the second bit of byte 1; row 31 is the last group.
    expectOnly(PlaneData(single(9, 31, qRgb(0, 128, 128))), {{496 + 5, 0x40}, {496 + 9, 0x40}});
    expectOnly(PlaneData(single(23, 2, qRgb(255, 255, 0))), {{64 + 2, 0x01}, {64 + 6, 0x01}});
    expectOnly(PlaneData(single(0, 17, qRgb(255, 0, 255))), {{48, 0x80}, {48 + 8, 0x80}});
    expectOnly(PlaneData(single(30, 15, qRgb(0, 255, 0))), {{480 + 7, 0x02}});
}

TEST(PlaneData, BlackAndColoursOutsideTheEightSetNoBit) {
    expectOnly(PlaneData(Picture()), {});
    Picture p;
    p.fill(qRgb(0, 255, 255));
    p.setPixel(1, 1, qRgb(254, 0, 0));
    p.setPixel(2, 2, qRgb(255, 255, 254));
    expectOnly(PlaneData(p), {});
}

TEST(PlaneData, AllWhiteFillsThreePlanesOfEveryGroup) {
    Picture p;
    p.fill(LedColor::White);
    const auto data = PlaneData(p);
    for (int g = 0; g < 32; ++g) {
        for (int b = 0; b < 16; ++b) {
            EXPECT_EQ(data[16 * g + b], b < 12 ? 0xFF : 0x00) << "group " << g << " byte " << b;
        }
    }
}

TEST(PictureCommand, IsTheSlotKeyThenThePlaneBytes) {
    const PictureSlot* slot = findSlot(142);
    ASSERT_NE(slot, nullptr);
    Picture p;
    // Row 0 red over columns 4 and 6 gives the byte 0x0A (a line feed), columns 4, 5 and 7
    // of row 16 give 0x0D (a carriage return): such bytes are data like any other.
    p.setPixel(4, 0, LedColor::Red);
    p.setPixel(6, 0, LedColor::Red);
    for (int x : {4, 5, 7})
        p.setPixel(x, 16, LedColor::Red);
    const auto command = pictureCommand(*slot, p);
    ASSERT_EQ(command.size(), 524u);
    EXPECT_EQ(std::string(command.begin(), command.begin() + 12), "setrespic2d_");
    const auto data = PlaneData(p);
    EXPECT_TRUE(std::equal(data.begin(), data.end(), command.begin() + 12));
    EXPECT_EQ(command[12], 0x0A);
    EXPECT_EQ(command[12 + 16], 0x0D);
}
