#include <gtest/gtest.h>

#include <vector>

#include "picture/picture.h"
#include "tests/picture/picture_print.h"

using namespace blx52;

TEST(ClassifyPixel, ExactMatchOnly) {
    EXPECT_EQ(ClassifyPixel(0, 0, 0), 0);
    EXPECT_EQ(ClassifyPixel(255, 0, 0), 1);
    EXPECT_EQ(ClassifyPixel(0, 255, 0), 2);
    EXPECT_EQ(ClassifyPixel(255, 255, 0), 3);
    EXPECT_EQ(ClassifyPixel(0, 0, 255), 4);
    EXPECT_EQ(ClassifyPixel(255, 0, 255), 5);
    EXPECT_EQ(ClassifyPixel(0, 128, 128), 6);
    EXPECT_EQ(ClassifyPixel(255, 255, 255), 7);
    EXPECT_EQ(ClassifyPixel(0, 255, 255), 0);  // bright cyan is not the device's cyan
    EXPECT_EQ(ClassifyPixel(254, 0, 0), 0);
    EXPECT_EQ(ClassifyPixel(0, 129, 128), 0);
    EXPECT_EQ(ClassifyPixel(256 + 255, 0, 0), 0);  // must not wrap onto red
    EXPECT_EQ(ClassifyPixel(qRgba(0, 128, 128, 17)), 6);
}

// The count behind every "the device shows them black": exactly the pixels that classify as 0
// without being black, however close they come to one of the eight.
TEST(ClassifyPixel, OffColourPixelsAreCountedAndToldInOneWording) {
    struct Case {
        const char* what;
        std::vector<QRgb> pixels;  // set along row 3
        int count;
        QString text;
    };
    const Case cases[] = {
        {"the eight colours", {qRgb(0, 128, 128), qRgb(255, 255, 255), qRgb(255, 0, 255)}, 0, {}},
        {"transparent black counts as black", {qRgba(0, 0, 0, 0)}, 0, {}},
        {"bright cyan",
         {qRgb(0, 255, 255)},
         1,
         QStringLiteral("1 pixel is none of the eight colours; the device shows it black")},
        {"near misses",
         {qRgb(254, 0, 0), qRgb(0, 129, 128), qRgb(1, 1, 1), qRgb(0, 128, 128)},
         3,
         QStringLiteral("3 pixels are none of the eight colours; the device shows them black")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Picture p = initialPicture();
        for (std::size_t i = 0; i < c.pixels.size(); ++i)
            p.setPixel(static_cast<int>(i), 3, c.pixels[i]);
        EXPECT_EQ(offLedPixelCount(p), c.count);
        EXPECT_EQ(offLedPixelText(offLedPixelCount(p)), c.text);
        for (std::size_t i = 0; i < c.pixels.size(); ++i)
            EXPECT_EQ(isLedColor(c.pixels[i]),
                      ClassifyPixel(c.pixels[i]) != 0 || (c.pixels[i] & 0xffffffu) == 0);
    }
    Picture all;
    all.fill(qRgb(0, 255, 255));
    EXPECT_EQ(offLedPixelCount(all), 1024);
}

TEST(Picture, ResetAndOutsidePixels) {
    // The initial picture itself is pinned byte for byte by its device picture file.
    Picture p = initialPicture();
    const Picture before = p;
    p.setPixel(32, 0, LedColor::Red);
    p.setPixel(-1, 5, LedColor::Red);
    EXPECT_EQ(p, before);
    p.setPixel(5, 6, qRgb(0, 255, 255));  // any colour is held as it is
    EXPECT_EQ(p.pixel(5, 6), qRgb(0, 255, 255));
    resetPicture(p);
    EXPECT_EQ(p, Picture());
    EXPECT_EQ(Picture().pixel(9, 9), qRgb(0, 0, 0));
}

TEST(Picture, FromImageTakesOnly32By32) {
    QImage wrong(32, 31, QImage::Format_RGB32);
    wrong.fill(Qt::red);
    EXPECT_FALSE(Picture::fromImage(wrong));
    QImage indexed(32, 32, QImage::Format_Indexed8);
    indexed.setColorTable({qRgb(0, 128, 128), qRgb(12, 34, 56)});
    indexed.fill(0);
    indexed.setPixel(31, 31, 1);
    const auto p = Picture::fromImage(indexed);
    ASSERT_TRUE(p);
    EXPECT_EQ(p->code(0, 0), 6);
    EXPECT_EQ(p->pixel(31, 31), qRgb(12, 34, 56));
}
