#include <gtest/gtest.h>

#include <set>

#include "picture/picture.h"
#include "tests/picture/picture_print.h"

using namespace blx52;

TEST(ClassifyPixel, EightColoursGiveTheirCodes) {
    EXPECT_EQ(ClassifyPixel(0, 0, 0), 0);
    EXPECT_EQ(ClassifyPixel(255, 0, 0), 1);
    EXPECT_EQ(ClassifyPixel(0, 255, 0), 2);
    EXPECT_EQ(ClassifyPixel(255, 255, 0), 3);
    EXPECT_EQ(ClassifyPixel(0, 0, 255), 4);
    EXPECT_EQ(ClassifyPixel(255, 0, 255), 5);
    EXPECT_EQ(ClassifyPixel(0, 128, 128), 6);
    EXPECT_EQ(ClassifyPixel(255, 255, 255), 7);
    for (const auto& entry : ledColors()) {
        EXPECT_EQ(ClassifyPixel(entry.rgb), ledCode(entry.color)) << entry.name;
    }
}

TEST(ClassifyPixel, OnlyExactMatchesCount) {
    EXPECT_EQ(ClassifyPixel(0, 255, 255), 0);  // bright cyan is not the device's cyan
    EXPECT_EQ(ClassifyPixel(254, 0, 0), 0);
    EXPECT_EQ(ClassifyPixel(0, 127, 128), 0);
    EXPECT_EQ(ClassifyPixel(0, 129, 129), 0);
    EXPECT_EQ(ClassifyPixel(255, 255, 254), 0);
    EXPECT_EQ(ClassifyPixel(1, 1, 1), 0);
    // Channels outside 0 … 255 must not wrap onto a colour.
    EXPECT_EQ(ClassifyPixel(256 + 255, 0, 0), 0);
    EXPECT_EQ(ClassifyPixel(-1, 0, 0), 0);
}

TEST(ClassifyPixel, AlphaIsIgnored) {
    EXPECT_EQ(ClassifyPixel(qRgba(255, 0, 0, 0)), 1);
    EXPECT_EQ(ClassifyPixel(qRgba(0, 128, 128, 17)), 6);
}

TEST(LedColors, TableMatchesCodesAndButtons) {
    const auto& table = ledColors();
    std::set<std::string> buttons;
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(ledCode(table[i].color), i);
        EXPECT_EQ(qAlpha(table[i].rgb), 255);
        buttons.insert(table[i].penButton);
    }
    EXPECT_EQ(buttons.size(), 8u);
    EXPECT_EQ(std::string(table[6].penButton), "BitBtn8");
    EXPECT_EQ(ledRgb(LedColor::Cyan), qRgb(0, 128, 128));
}

TEST(Picture, InitialHasBlackBorderAndWhiteInterior) {
    const Picture p = initialPicture();
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) {
            const bool border = x == 0 || y == 0 || x == 31 || y == 31;
            EXPECT_EQ(p.code(x, y), border ? 0 : 7) << x << "," << y;
        }
    }
}

TEST(Picture, ResetMakesEveryPixelBlack) {
    Picture p = initialPicture();
    p.setPixel(3, 4, qRgb(1, 2, 3));
    resetPicture(p);
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) {
            ASSERT_EQ(p.pixel(x, y), qRgb(0, 0, 0)) << x << "," << y;
        }
    }
}

TEST(Picture, KeepsAnyColourAndIgnoresPixelsOutside) {
    Picture p;
    p.setPixel(5, 6, qRgb(0, 255, 255));
    EXPECT_EQ(p.pixel(5, 6), qRgb(0, 255, 255));
    EXPECT_EQ(p.code(5, 6), 0);
    const Picture before = p;
    p.setPixel(32, 0, LedColor::Red);
    p.setPixel(0, 32, LedColor::Red);
    p.setPixel(-1, 0, LedColor::Red);
    EXPECT_EQ(p, before);
    EXPECT_EQ(p.pixel(40, 40), qRgb(0, 0, 0));
    EXPECT_EQ(p.image().format(), QImage::Format_RGB32);
    EXPECT_EQ(p.image().size(), QSize(32, 32));
}

TEST(Picture, FromImageTakesOnly32By32) {
    QImage wrong(32, 31, QImage::Format_RGB32);
    wrong.fill(Qt::red);
    EXPECT_FALSE(Picture::fromImage(wrong));
    EXPECT_FALSE(Picture::fromImage(QImage()));

    QImage indexed(32, 32, QImage::Format_Indexed8);
    indexed.setColorTable({qRgb(0, 128, 128), qRgb(12, 34, 56)});
    indexed.fill(0);
    indexed.setPixel(31, 31, 1);
    const auto p = Picture::fromImage(indexed);
    ASSERT_TRUE(p);
    EXPECT_EQ(p->code(0, 0), 6);
    EXPECT_EQ(p->pixel(31, 31), qRgb(12, 34, 56));
}

TEST(Pen, MovesWrapAround) {
    Pen pen;
    pen.moveLeft();
    EXPECT_EQ(pen.column, 31);
    pen.moveRight();
    EXPECT_EQ(pen.column, 0);
    pen.moveUp();
    EXPECT_EQ(pen.row, 31);
    pen.moveDown();
    EXPECT_EQ(pen.row, 0);
    pen.moveRight();
    pen.moveDown();
    EXPECT_EQ(pen.column, 1);
    EXPECT_EQ(pen.row, 1);
    pen.moveLeft();
    pen.moveUp();
    EXPECT_EQ(pen.column, 0);
    EXPECT_EQ(pen.row, 0);
}

TEST(Pen, TypedPositionBeyondTheMatrix) {
    Pen pen;
    pen.column = 40;
    pen.moveRight();
    EXPECT_EQ(pen.column, 0);
    pen.column = 40;
    pen.moveLeft();
    EXPECT_EQ(pen.column, 39);
    pen.row = 40;
    pen.moveDown();
    EXPECT_EQ(pen.row, 0);
    pen.row = 40;
    pen.moveUp();
    EXPECT_EQ(pen.row, 39);
    pen.column = 31;
    pen.moveRight();
    EXPECT_EQ(pen.column, 0);
}

TEST(Pen, DrawPointSetsOnlyThePixelUnderThePen) {
    Picture p = initialPicture();
    const Picture before = p;
    Pen pen;
    EXPECT_FALSE(pen.drawPoint(p));  // no colour chosen yet
    EXPECT_EQ(p, before);

    pen.color = LedColor::Cyan;
    pen.column = 7;
    pen.row = 9;
    EXPECT_TRUE(pen.drawPoint(p));
    EXPECT_EQ(p.pixel(7, 9), qRgb(0, 128, 128));
    EXPECT_EQ(p.code(7, 9), 6);
    Picture expected = before;
    expected.setPixel(7, 9, LedColor::Cyan);
    EXPECT_EQ(p, expected);
    EXPECT_TRUE(pen.drawPoint(p));  // twice is harmless
    EXPECT_EQ(p, expected);
}

TEST(Pen, DrawPointBeyondTheMatrixChangesNothing) {
    Picture p = initialPicture();
    const Picture before = p;
    Pen pen;
    pen.color = LedColor::Red;
    pen.column = 32;
    pen.row = 0;
    EXPECT_FALSE(pen.drawPoint(p));
    pen.column = 0;
    pen.row = 45;
    EXPECT_FALSE(pen.drawPoint(p));
    EXPECT_EQ(p, before);
    pen.row = 31;
    EXPECT_TRUE(pen.drawPoint(p));
    EXPECT_EQ(p.code(0, 31), 1);
}
