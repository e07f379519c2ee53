#include <gtest/gtest.h>

#include <QDir>
#include <QImage>
#include <QTemporaryDir>
#include <QUndoStack>
#include <functional>
#include <string>
#include <vector>

#include "picture/color_match.h"
#include "picture/picture_document.h"
#include "picture/picture_import.h"
#include "picture/picture_tools.h"
#include "picture/presets.h"
#include "tests/picture/jpeg_sample.h"
#include "tests/picture/picture_print.h"

using namespace blx52;

namespace {

// A picture from a map of its top-left corner ("-RGYBMCW" as in the failure output); the rest
// is black.
Picture mapped(const std::vector<std::string>& rows) {
    Picture p;
    for (std::size_t y = 0; y < rows.size(); ++y) {
        for (std::size_t x = 0; x < rows[y].size(); ++x) {
            const auto code = std::string("-RGYBMCW").find(rows[y][x]);
            p.setPixel(int(x), int(y), static_cast<LedColor>(code));
        }
    }
    return p;
}

Picture withPixel(QPoint at, LedColor color) {
    Picture p;
    p.setPixel(at.x(), at.y(), color);
    return p;
}

QImage solid(int w, int h, QRgb argb) {
    QImage image(w, h, QImage::Format_ARGB32);
    image.fill(argb);
    return image;
}

}  // namespace

TEST(CanvasTools, DrawOnSmallKnownPictures) {
    using Draw = std::function<void(Picture&)>;
    const struct {
        const char* name;
        std::vector<std::string> before;
        Draw draw;
        std::vector<std::string> after;
    } cases[] = {
        {"line, both ends in",
         {},
         [](Picture& p) {
             drawLine(p, {0, 0}, {5, 2}, LedColor::Red);
         },
         {"RR", "--RR", "----RR"}},
        {"line backwards is the same",
         {},
         [](Picture& p) {
             drawLine(p, {5, 2}, {0, 0}, LedColor::Red);
         },
         {"RR", "--RR", "----RR"}},
        {"line of one point",
         {},
         [](Picture& p) {
             drawLine(p, {2, 1}, {2, 1}, LedColor::Green);
         },
         {"", "--G"}},
        {"line leaving the matrix is cut",
         {},
         [](Picture& p) {
             drawLine(p, {-3, 0}, {2, 0}, LedColor::Blue);
         },
         {"BBB"}},
        {"rectangle",
         {},
         [](Picture& p) {
             drawRectangle(p, {4, 3}, {1, 1}, LedColor::White);
         },
         {"", "-WWWW", "-W--W", "-WWWW"}},
        {"filled rectangle keeps the rest",
         {"GGGGGG", "GGGGGG"},
         [](Picture& p) {
             fillRectangle(p, {1, 0}, {3, 1}, LedColor::Yellow);
         },
         {"GYYYGG", "GYYYGG"}},
        {"ellipse",
         {},
         [](Picture& p) {
             drawEllipse(p, {0, 0}, {6, 4}, LedColor::Red);
         },
         {"-RRRRR-", "R-----R", "R-----R", "R-----R", "-RRRRR-"}},
        {"ellipse of even size",
         {},
         [](Picture& p) {
             drawEllipse(p, {0, 0}, {3, 3}, LedColor::Red);
         },
         {"-RR-", "R--R", "R--R", "-RR-"}},
        {"fill stops at other colours",
         {"--R--", "--R--", "RRR--"},
         [](Picture& p) {
             floodFill(p, {0, 0}, LedColor::Green);
         },
         {"GGR--", "GGR--", "RRR--"}},
        // 4-connected: a diagonal line is a wall.
        {"fill does not pass a diagonal",
         {"---R", "--R-", "-R--", "R---"},
         [](Picture& p) {
             floodFill(p, {0, 0}, LedColor::Blue);
         },
         {"BBBR", "BBR-", "BR--", "R---"}},
    };
    for (const auto& c : cases) {
        Picture p = mapped(c.before);
        c.draw(p);
        EXPECT_EQ(p, mapped(c.after)) << c.name;
    }
}

TEST(CanvasTools, FillAtTheEdgesAndOnOneColourPictures) {
    const struct {
        const char* name;
        Picture picture;
        QPoint start;
        LedColor color;
        int changed;
    } cases[] = {
        {"all black from a corner", Picture(), {31, 31}, LedColor::Red, 1024},
        {"all white from an edge", mapped({}), {0, 17}, LedColor::Cyan, 1024},
        {"same colour changes nothing", Picture(), {3, 3}, LedColor::Black, 0},
        {"outside the matrix", Picture(), {32, 0}, LedColor::Red, 0},
        {"the initial picture's border is one area", initialPicture(), {31, 0}, LedColor::Red, 124},
        {"its interior another", initialPicture(), {15, 15}, LedColor::Red, 900},
    };
    for (const auto& c : cases) {
        Picture p = c.picture;
        EXPECT_EQ(floodFill(p, c.start, c.color), c.changed) << c.name;
        int colored = 0;
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x)
                colored += p.pixel(x, y) != c.picture.pixel(x, y);
        EXPECT_EQ(colored, c.changed) << c.name;
    }
}

TEST(CanvasTools, WholePictureActionsMoveEachPixelWhereExpected) {
    using Change = std::function<Picture(const Picture&)>;
    const struct {
        const char* name;
        Change change;
        QPoint from, to;
    } cases[] = {
        {"shift right wraps", [](const Picture& p) { return shifted(p, 1, 0); }, {31, 1}, {0, 1}},
        {"shift left wraps", [](const Picture& p) { return shifted(p, -1, 0); }, {0, 1}, {31, 1}},
        {"shift down wraps", [](const Picture& p) { return shifted(p, 0, 1); }, {3, 31}, {3, 0}},
        {"shift up", [](const Picture& p) { return shifted(p, 0, -1); }, {3, 5}, {3, 4}},
        {"flip horizontally", flippedHorizontally, {3, 1}, {28, 1}},
        {"flip vertically", flippedVertically, {3, 1}, {3, 30}},
        {"rotate clockwise", rotatedClockwise, {3, 1}, {30, 3}},
        {"rotate counter-clockwise", rotatedCounterClockwise, {3, 1}, {1, 28}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.change(withPixel(c.from, LedColor::Red)), withPixel(c.to, LedColor::Red))
            << c.name;

    const Picture triangle = warningTrianglePicture();
    Picture turned = triangle;
    for (int k = 0; k < 4; ++k)
        turned = rotatedClockwise(turned);
    EXPECT_EQ(turned, triangle);
    EXPECT_EQ(rotatedCounterClockwise(rotatedClockwise(triangle)), triangle);
    EXPECT_EQ(shifted(triangle, 32, -64), triangle);

    // Replace goes by what the device gets: an unknown colour counts as black.
    Picture odd = mapped({"R-W"});
    odd.setPixel(3, 0, qRgb(0, 255, 255));
    EXPECT_EQ(colorReplaced(odd, LedColor::Black, LedColor::Green).code(3, 0), 2);
    EXPECT_EQ(colorReplaced(odd, LedColor::Red, LedColor::Blue).code(0, 0), 4);
    EXPECT_EQ(colorReplaced(odd, LedColor::Red, LedColor::Blue).code(2, 0), 7);
}

// ---- History ----

TEST(PictureHistory, MixedEditsUndoAndRedoStepByStep) {
    PictureDocument doc(initialPicture());
    doc.enterSlot(100, Picture());
    std::vector<Picture> states{doc.picture()};
    auto record = [&] { states.push_back(doc.picture()); };

    Picture point = doc.picture();
    point.setPixel(3, 3, LedColor::Red);
    doc.apply(point, QStringLiteral("Point"));  // the editor's "x"
    record();
    doc.apply(point, QStringLiteral("Point"));  // the same again is no step
    doc.apply(blueDiscPicture(), QStringLiteral("Blue disc"));
    record();
    doc.press(CanvasTool::Pencil, LedColor::Green, {0, 0});
    doc.move({5, 0});  // joined: 0 … 5
    doc.move({5, 3});
    doc.release();
    record();
    EXPECT_EQ(doc.picture().code(3, 0), 2);
    EXPECT_EQ(doc.picture().code(5, 2), 2);
    doc.press(CanvasTool::Rectangle, LedColor::White, {10, 10});
    doc.move({20, 20});
    doc.move({12, 12});  // the preview follows the mouse; only the last one stays
    doc.release();
    record();
    EXPECT_EQ(doc.picture().code(20, 20), blueDiscPicture().code(20, 20));
    EXPECT_EQ(doc.picture().code(12, 12), 7);
    doc.press(CanvasTool::Fill, LedColor::Red, {0, 31});
    record();
    doc.apply(shifted(doc.picture(), 1, 0), QStringLiteral("Shift"));
    record();
    Picture reset = doc.picture();
    resetPicture(reset);
    doc.apply(reset, QStringLiteral("Reset"));
    record();
    doc.apply(mapped({"GGG"}), QStringLiteral("Load from file"));
    record();
    doc.press(CanvasTool::Picker, LedColor::Red, {1, 0});
    EXPECT_EQ(doc.pickedColor(), LedColor::Green);

    ASSERT_EQ(doc.history()->count(), int(states.size()) - 1);
    for (int k = int(states.size()) - 2; k >= 0; --k) {
        doc.undo();
        EXPECT_EQ(doc.picture(), states[std::size_t(k)]) << "undo to " << k;
    }
    for (std::size_t k = 1; k < states.size(); ++k) {
        doc.redo();
        EXPECT_EQ(doc.picture(), states[k]) << "redo to " << k;
    }
}

TEST(PictureHistory, DragsCancelAndUndoWhileDragging) {
    PictureDocument doc(Picture{});
    doc.press(CanvasTool::Line, LedColor::Red, {0, 0});
    doc.move({31, 31});
    EXPECT_EQ(doc.picture().code(31, 31), 1);  // shown while dragging
    doc.cancelDrag();
    EXPECT_EQ(doc.picture(), Picture());
    EXPECT_EQ(doc.history()->count(), 0);

    doc.press(CanvasTool::Ellipse, LedColor::Red, {0, 0});
    doc.move({7, 7});
    doc.undo();  // ends the drag without a step
    EXPECT_EQ(doc.picture(), Picture());
    EXPECT_FALSE(doc.dragging());
    doc.press(CanvasTool::Pencil, LedColor::Black, {0, 0});  // black on black
    doc.release();
    EXPECT_EQ(doc.history()->count(), 0);
}

TEST(PictureHistory, EverySlotKeepsItsOwnHistoryOfAtLeast200Steps) {
    PictureDocument doc(initialPicture());
    doc.enterSlot(100, Picture());
    for (int k = 0; k < 250; ++k)
        doc.apply(withPixel({k % 32, k / 32}, LedColor::Red), QStringLiteral("Point"));
    const Picture drawn100 = doc.picture();

    doc.enterSlot(131, mapped({"W"}));  // the other slot's bitmap
    EXPECT_EQ(doc.history()->count(), 0);
    doc.apply(mapped({"WB"}), QStringLiteral("Point"));

    // Back to 100: its bitmap is loaded again, one step from where its history was left.
    doc.enterSlot(100, Picture());
    EXPECT_EQ(doc.picture(), Picture());
    doc.undo();
    EXPECT_EQ(doc.picture(), drawn100);
    int undone = 0;
    while (doc.history()->canUndo()) {
        doc.undo();
        ++undone;
    }
    EXPECT_GE(undone, 200);
    EXPECT_EQ(undone, 250);
    EXPECT_EQ(doc.picture(), Picture());

    doc.enterSlot(131, mapped({"WB"}));  // what the file holds now: no step
    EXPECT_EQ(doc.history()->count(), 1);
    doc.undo();
    EXPECT_EQ(doc.picture(), mapped({"W"}));
}

TEST(PictureHistory, UnsavedIsTheDifferenceFromTheFileAsLastEnteredOrSaved) {
    PictureDocument doc(initialPicture());
    doc.enterSlot(100, Picture());
    EXPECT_FALSE(doc.unsaved());
    doc.press(CanvasTool::Pencil, LedColor::Red, {0, 0});
    EXPECT_TRUE(doc.unsaved());  // a drag counts while it runs
    doc.undo();
    EXPECT_FALSE(doc.unsaved());
    doc.apply(mapped({"R"}), QStringLiteral("Point"));
    doc.markSaved();
    EXPECT_FALSE(doc.unsaved());
    doc.undo();  // back before the save: the file holds something else
    EXPECT_TRUE(doc.unsaved());
    doc.enterSlot(131, doc.picture());  // a slot change takes the picture as the file's
    EXPECT_FALSE(doc.unsaved());
    doc.enterSlot(100, mapped({"R"}));
    EXPECT_FALSE(doc.unsaved());
    EXPECT_EQ(doc.savedPicture(), mapped({"R"}));
}

// ---- Import and export ----

TEST(ColorMatch, NearestLedColourIsTheOneTheCliUses) {
    const struct {
        QRgb rgb;
        LedColor expected;
    } cases[] = {
        {qRgb(254, 0, 0), LedColor::Red},       {qRgb(0, 255, 255), LedColor::Cyan},
        {qRgb(0, 128, 128), LedColor::Cyan},    {qRgb(128, 128, 128), LedColor::Cyan},
        {qRgb(40, 40, 40), LedColor::Black},    {qRgb(230, 230, 230), LedColor::White},
        {qRgb(255, 200, 20), LedColor::Yellow}, {qRgb(180, 0, 200), LedColor::Magenta},
        {qRgb(0, 0, 140), LedColor::Blue},      {qRgb(10, 220, 30), LedColor::Green},
    };
    for (const auto& c : cases)
        EXPECT_EQ(nearestLedColor(c.rgb), c.expected) << std::hex << c.rgb;
    EXPECT_EQ(overBlack(qRgba(255, 255, 255, 0)), qRgb(0, 0, 0));
    EXPECT_EQ(overBlack(qRgba(255, 0, 100, 128)), qRgb(128, 0, 50));
}

TEST(ImageImport, SizesAndTransparencyOfMadeUpImages) {
    const ImportOptions letterbox{ImportFit::Letterbox, ImportColors::Nearest};
    const ImportOptions crop{ImportFit::Crop, ImportColors::Nearest};
    QImage thirds(96, 32, QImage::Format_RGB32);  // red, green, blue side by side
    for (int x = 0; x < 96; ++x)
        for (int y = 0; y < 32; ++y)
            thirds.setPixel(x, y,
                            x < 32   ? qRgb(255, 0, 0)
                            : x < 64 ? qRgb(0, 255, 0)
                                     : qRgb(0, 0, 255));
    QImage halfClear = solid(64, 64, qRgba(255, 0, 0, 0));  // hidden red behind the clear half
    for (int x = 32; x < 64; ++x)
        for (int y = 0; y < 64; ++y)
            halfClear.setPixel(x, y, qRgba(255, 255, 255, 255));

    const struct {
        const char* name;
        QImage image;
        ImportOptions options;
        QPoint probe;
        int code;
        int count;  // pixels of that code
    } cases[] = {
        {"wide image: bars above and below",
         solid(64, 32, qRgb(255, 0, 0)),
         letterbox,
         {0, 8},
         1,
         32 * 16},
        {"wide image: top bar", solid(64, 32, qRgb(255, 0, 0)), letterbox, {0, 7}, 0, 1024 - 512},
        {"tall image: bars left and right",
         solid(30, 60, qRgb(0, 0, 255)),
         letterbox,
         {8, 0},
         4,
         16 * 32},
        {"crop takes the middle square", thirds, crop, {0, 0}, 2, 1024},
        {"letterbox keeps all three, 11 rows high", thirds, letterbox, {0, 9}, 0, 1024 - 32 * 11},
        {"a small image is enlarged", solid(4, 4, qRgb(0, 255, 0)), crop, {31, 31}, 2, 1024},
        {"transparent is black", halfClear, letterbox, {0, 0}, 0, 512},
        {"opaque beside it stays", halfClear, letterbox, {31, 31}, 7, 512},
        {"half transparent red is dark red",
         solid(8, 8, qRgba(255, 0, 0, 200)),
         crop,
         {4, 4},
         1,
         1024},
        {"a null image is black", QImage(), letterbox, {0, 0}, 0, 1024},
    };
    for (const auto& c : cases) {
        const Picture p = importImage(c.image, c.options);
        EXPECT_EQ(p.code(c.probe.x(), c.probe.y()), c.code) << c.name;
        int count = 0;
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x)
                count += p.code(x, y) == c.code;
        EXPECT_EQ(count, c.count) << c.name;
    }
}

TEST(ImageImport, GradientAndTransparentPngFile) {
    QImage gradient(256, 256, QImage::Format_RGB32);
    for (int x = 0; x < 256; ++x)
        for (int y = 0; y < 256; ++y)
            gradient.setPixel(x, y, qRgb(x, 0, 0));
    const Picture p = importImage(gradient, {ImportFit::Letterbox, ImportColors::Nearest});
    for (int y = 0; y < 32; ++y) {
        EXPECT_EQ(p.code(0, y), 0);
        EXPECT_EQ(p.code(31, y), 1);
        for (int x = 1; x < 32; ++x)
            EXPECT_GE(p.code(x, y), p.code(x - 1, y)) << x;  // black, then red, never back
    }

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("clear.png"));
    QImage clear = solid(40, 20, qRgba(0, 255, 0, 0));
    clear.setPixel(39, 19, qRgba(0, 255, 0, 255));
    ASSERT_TRUE(clear.save(path));
    QString why;
    const Picture fromFile =
        importImage(readImageForImport(path, &why), {ImportFit::Crop, ImportColors::Nearest});
    EXPECT_TRUE(why.isEmpty()) << why.toStdString();
    EXPECT_EQ(fromFile, Picture());  // the one opaque pixel lies outside the square

    // A JPEG on every system: through Qt's reader, or on Windows the system's.
    const QByteArray jpeg(reinterpret_cast<const char*>(RedBlueJpeg), sizeof RedBlueJpeg);
    for (const QImage& image : {decodeImage(jpeg, &why), readImageForImport(jpeg, &why)}) {
        ASSERT_EQ(image.size(), QSize(48, 32)) << why.toStdString();
        EXPECT_EQ(nearestLedColor(image.pixel(3, 3) | 0xff000000u), LedColor::Red);
        EXPECT_EQ(nearestLedColor(image.pixel(44, 28) | 0xff000000u), LedColor::Blue);
    }
    const Picture photo =
        importImage(readImageForImport(jpeg), {ImportFit::Letterbox, ImportColors::Nearest});
    EXPECT_EQ(photo.code(2, 16), int(LedColor::Red));
    EXPECT_EQ(photo.code(29, 16), int(LedColor::Blue));
    EXPECT_EQ(photo.code(16, 2), int(LedColor::Black));  // the bar above
    EXPECT_TRUE(decodeImage(jpeg.left(20), &why).isNull());
    EXPECT_FALSE(why.isEmpty());
    EXPECT_TRUE(readImageForImport(dir.path(), &why).isNull());  // a folder
    EXPECT_FALSE(why.isEmpty());
}

TEST(ImageImport, DitheringKeepsTheAverageColour) {
    // Colours the eight can mix (cyan is half green and half blue, so not every one is).
    const QRgb colours[] = {qRgb(100, 100, 100), qRgb(255, 128, 0), qRgb(0, 0, 90),
                            qRgb(200, 60, 160), qRgb(30, 160, 60)};
    for (QRgb c : colours) {
        const Picture p =
            importImage(solid(200, 200, c), {ImportFit::Crop, ImportColors::FloydSteinberg});
        double sum[3] = {0, 0, 0};
        int distinct = 0;
        QRgb first = p.pixel(0, 0);
        for (int y = 0; y < 32; ++y) {
            for (int x = 0; x < 32; ++x) {
                const QRgb px = p.pixel(x, y);
                sum[0] += qRed(px);
                sum[1] += qGreen(px);
                sum[2] += qBlue(px);
                distinct += px != first;
            }
        }
        EXPECT_NEAR(sum[0] / 1024, qRed(c), 8) << std::hex << c;
        EXPECT_NEAR(sum[1] / 1024, qGreen(c), 8) << std::hex << c;
        EXPECT_NEAR(sum[2] / 1024, qBlue(c), 8) << std::hex << c;
        EXPECT_GT(distinct, 0) << "dithered, not one flat colour";
    }
}

TEST(ImageExport, OneAndTenTimesAndBackAgain) {
    const Picture triangle = warningTrianglePicture();
    QTemporaryDir dir;
    for (int scale : {1, 10}) {
        const QString path = dir.filePath(QStringLiteral("out%1.png").arg(scale));
        ASSERT_TRUE(savePictureImage(triangle, scale, path).isEmpty());
        const QImage back(path);
        ASSERT_EQ(back.size(), QSize(32 * scale, 32 * scale));
        for (int y = 0; y < back.height(); ++y)
            for (int x = 0; x < back.width(); ++x)
                ASSERT_EQ(back.pixel(x, y) | 0xff000000u, triangle.pixel(x / scale, y / scale));
        EXPECT_EQ(importImage(back, {ImportFit::Crop, ImportColors::FloydSteinberg}), triangle);
    }
    EXPECT_FALSE(
        savePictureImage(triangle, 1, dir.filePath(QStringLiteral("no/such.png"))).isEmpty());
    EXPECT_TRUE(isLedPicture(exportImage(triangle, 1)));
    EXPECT_FALSE(isLedPicture(exportImage(triangle, 10)));
}
