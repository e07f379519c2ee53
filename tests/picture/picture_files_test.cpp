#include <gtest/gtest.h>

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImageWriter>
#include <QTemporaryDir>

#include "picture/picture_files.h"
#include "picture/picture_import.h"
#include "picture/presets.h"
#include "tests/common/file_size_limit.h"
#include "tests/picture/bmp_builder.h"
#include "tests/picture/cut_images.h"
#include "tests/picture/picture_print.h"

using namespace blx52;

namespace {

QByteArray readAll(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

void writeRaw(const QString& path, const QByteArray& data) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(f.write(data), data.size());
}

QByteArray encoded(const QImage& image, const char* format) {
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    EXPECT_TRUE(writer.write(image));
    return data;
}

// An uncompressed 24-bit BMP of `source`, cut or widened to the size given.
QByteArray bmpOf(const Picture& source, int width = 32, int height = 32) {
    test::BmpSpec spec;
    spec.width = width;
    spec.height = height;
    spec.pixel = [source](int x, int y) { return source.pixel(x, y) & 0xFFFFFFu; };
    return test::buildBmp(spec);
}

Picture drawnPicture() {
    Picture p = initialPicture();
    int i = 0;
    for (const auto& entry : ledColors()) {
        p.setPixel(1 + i, 1, entry.color);
        p.setPixel(30, 1 + i, entry.color);
        ++i;
    }
    p.setPixel(10, 10, qRgb(0, 255, 255));  // off-palette colours are kept as they are
    p.setPixel(11, 10, qRgb(254, 0, 0));
    p.setPixel(12, 10, qRgb(1, 2, 3));
    return p;
}

bool namesFile(const FileError& error, const QString& path) {
    return error && error->contains(QDir::toNativeSeparators(path));
}

class PictureFiles : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    QString path(const QString& name) const { return dir.filePath(name); }
    QStringList entries() const {
        return QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
    }
    QTemporaryDir dir;
};

#ifndef _WIN32
using test::FileSizeLimit;
#endif

}  // namespace

TEST(SettingsFolderPath, IsTheFixedFolderInHome) {
    const QString folder = SettingsFolder();
#ifdef _WIN32
    // On Windows one folder for every user, whoever is logged on.
    EXPECT_EQ(folder, "C:\\Users\\BLX52_Settings\\");
#else
    EXPECT_EQ(folder, QDir::homePath() + "/BLX52_Settings/");
#endif
    const PictureSlot* slot = findSlot(130);
    ASSERT_NE(slot, nullptr);
    EXPECT_EQ(bitmapFilePath(*slot), folder + "In12_Pic0.bmp");
    EXPECT_EQ(devicePictureFilePath(*slot), folder + "Pic0_In12.ledframe");
    EXPECT_EQ(bitmapFilePath(*slot, "/x/"), "/x/In12_Pic0.bmp");
}

// Written over longer and shorter files: no tail of the old one is left.
TEST_F(PictureFiles, DevicePictureFileHoldsTheCodesRowByRow) {
    const QString file = path("Pic0_In0.ledframe");
    writeRaw(file, QByteArray(3000, '\x55'));
    ASSERT_FALSE(writeDevicePictureFile(makeCodeGrid(initialPicture()), file));
    QByteArray expected(32, '\0');
    for (int row = 1; row <= 30; ++row) {
        expected += '\0';
        expected += QByteArray(30, '\7');
        expected += '\0';
    }
    expected += QByteArray(32, '\0');
    EXPECT_EQ(readAll(file), expected);
    EXPECT_EQ(entries(), QStringList{"Pic0_In0.ledframe"});  // no temporary file left

    Picture p;
    p.setPixel(31, 0, LedColor::Red);
    p.setPixel(0, 1, LedColor::Blue);
    p.setPixel(5, 5, qRgb(0, 255, 255));  // no LED colour: 0
    writeRaw(file, QByteArray(10, '\x55'));
    ASSERT_FALSE(writeDevicePictureFile(makeCodeGrid(p), file));
    expected = QByteArray(1024, '\0');
    expected[31] = 1;
    expected[32] = 4;
    EXPECT_EQ(readAll(file), expected);
}

TEST_F(PictureFiles, SaveThenLoadGivesTheSamePixels) {
    const QString file = path("In0_Pic0.bmp");
    const Picture drawn = drawnPicture();
    ASSERT_FALSE(saveBitmap(drawn, file));
    const QByteArray bytes = readAll(file);
    ASSERT_GE(bytes.size(), 54);
    EXPECT_EQ(bytes.left(2), "BM");
    const int bits = static_cast<unsigned char>(bytes[28]);
    EXPECT_TRUE(bits == 24 || bits == 32) << bits;
    EXPECT_EQ(bytes[30], 0);  // uncompressed

    Picture loaded;
    ASSERT_FALSE(loadBitmap(file, loaded));
    EXPECT_EQ(loaded, drawn);
    EXPECT_EQ(loaded.pixel(10, 10), qRgb(0, 255, 255));
    EXPECT_EQ(loaded.code(10, 10), 0);
    EXPECT_EQ(loaded.code(7, 1), 6);  // the pen's cyan
    EXPECT_EQ(makeCodeGrid(loaded).codes, makeCodeGrid(drawn).codes);
    EXPECT_EQ(entries(), QStringList{"In0_Pic0.bmp"});
}

// A missing folder is not made, and a folder where the file belongs is left as it is.
TEST_F(PictureFiles, UnwritableTargetsAreReportedAndLeftAlone) {
    const QString folder = path("BLX52_Settings") + "/";
    const QString bmp = folder + "In0_Pic0.bmp";
    const QString frame = folder + "Pic0_In0.ledframe";
    EXPECT_TRUE(namesFile(saveBitmap(initialPicture(), bmp), bmp));
    EXPECT_TRUE(namesFile(writeDevicePictureFile(makeCodeGrid(initialPicture()), frame), frame));
    EXPECT_FALSE(QDir(folder).exists());
    EXPECT_TRUE(entries().isEmpty());

    const QString taken = path("In0_Pic1.bmp");
    ASSERT_TRUE(QDir().mkpath(taken));
    writeRaw(taken + "/keep", "x");
    EXPECT_TRUE(namesFile(saveBitmap(initialPicture(), taken), taken));
    EXPECT_EQ(readAll(taken + "/keep"), "x");
    EXPECT_EQ(entries(), QStringList{"In0_Pic1.bmp"});
}

// Windows has no per-process file size limit to make a write fail halfway.
#ifndef _WIN32
TEST_F(PictureFiles, FailedWriteLeavesTheOldFileUntouched) {
    const QString bmp = path("In1_Pic3.bmp");
    const QString frame = path("Pic3_In1.ledframe");
    ASSERT_FALSE(saveBitmap(warningTrianglePicture(), bmp));
    ASSERT_FALSE(writeDevicePictureFile(makeCodeGrid(warningTrianglePicture()), frame));
    const QByteArray oldBmp = readAll(bmp);
    const QByteArray oldFrame = readAll(frame);
    {
        // The new contents (about 3 KiB and 1 KiB) cannot be written completely.
        FileSizeLimit limit(600);
        ASSERT_TRUE(limit.ok());
        EXPECT_TRUE(namesFile(saveBitmap(blueDiscPicture(), bmp), bmp));
        EXPECT_TRUE(
            namesFile(writeDevicePictureFile(makeCodeGrid(blueDiscPicture()), frame), frame));
    }
    EXPECT_EQ(readAll(bmp), oldBmp);
    EXPECT_EQ(readAll(frame), oldFrame);
    QStringList expected{"In1_Pic3.bmp", "Pic3_In1.ledframe"};
    EXPECT_EQ(entries(), expected);  // the temporary files are gone too

    Picture loaded;
    ASSERT_FALSE(loadBitmap(bmp, loaded));
    EXPECT_EQ(loaded, warningTrianglePicture());
}
#endif

// The editor's load refuses every row; the image import (the canvas's and the command-line
// tool's) refuses those marked, which no size or colour of the picture makes usable.
TEST_F(PictureFiles, RefusedFilesNeverChangeThePicture) {
    const Picture before = drawnPicture();
    const QByteArray good = bmpOf(blueDiscPicture());
    QByteArray wrongMagic = good;
    wrongMagic[0] = 'X';
    QImage red(32, 32, QImage::Format_RGB32);
    red.fill(Qt::red);

    struct Case {
        QString name;
        QByteArray data;
        bool importRefuses;
    };
    std::vector<Case> cases = {
        {"empty.bmp", {}, true},
        {"garbage.bmp", QByteArray(3126, '\x42'), true},
        {"header-only.bmp", good.left(54), true},
        {"truncated.bmp", good.left(good.size() - 1), true},
        {"half.bmp", good.left(good.size() / 2), true},
        {"short-header.bmp", good.left(20), true},
        {"magic.bmp", wrongMagic, true},
        {"png.bmp", encoded(red, "png"), false},
        {"narrow.bmp", bmpOf(blueDiscPicture(), 31, 32), false},
        {"short.bmp", bmpOf(blueDiscPicture(), 32, 31), false},
        {"large.bmp", bmpOf(blueDiscPicture(), 64, 64), false},
        {"huge.bmp", QByteArray(MaxBitmapFileSize + 1, '\0'), true},
        {"large-cut.bmp", bmpOf(blueDiscPicture(), 64, 64).left(54 + 64 * 3 * 40), true},
    };
    for (const test::ImageFile& file : test::cutImageFiles())
        cases.push_back({QString::fromLatin1(file.name), file.cut(), true});
    for (const auto& [name, data, importRefuses] : cases) {
        SCOPED_TRACE(name.toStdString());
        writeRaw(path(name), data);
        Picture picture = before;
        const FileError error = loadBitmap(path(name), picture);
        EXPECT_TRUE(namesFile(error, path(name)));
        EXPECT_EQ(picture, before);
        QString why;
        EXPECT_EQ(decodeImage(data, &why).isNull(), importRefuses);
        EXPECT_EQ(readImageForImport(data).isNull(), importRefuses);
        EXPECT_EQ(readImageForImport(path(name)).isNull(), importRefuses);
        EXPECT_EQ(why.isEmpty(), !importRefuses) << why.toStdString();
    }
    // Whole, each cut file is taken, with the pixels it holds.
    for (const test::ImageFile& file : test::cutImageFiles()) {
        SCOPED_TRACE(file.name);
        const QImage image = decodeImage(file.whole);
        ASSERT_FALSE(image.isNull());
        EXPECT_EQ(readImageForImport(file.whole), image);
        if (file.whole.startsWith("BM")) {
            Picture loaded;
            writeRaw(path("whole.bmp"), file.whole);
            ASSERT_FALSE(loadBitmap(path("whole.bmp"), loaded));
            EXPECT_EQ(loaded.image().convertToFormat(QImage::Format_RGB32),
                      image.convertToFormat(QImage::Format_RGB32));
        }
    }

    Picture picture = before;
    EXPECT_TRUE(namesFile(loadBitmap(path("missing.bmp"), picture), path("missing.bmp")));
    EXPECT_TRUE(namesFile(loadBitmap(dir.path(), picture), dir.path()));
    EXPECT_EQ(picture, before);

    const FileError large = loadBitmap(path("large.bmp"), picture);
    ASSERT_TRUE(large);
    EXPECT_TRUE(large->contains("32 × 32"));

    // The untouched file itself is fine, so the refusals above were for their faults.
    writeRaw(path("good.bmp"), good);
    ASSERT_FALSE(loadBitmap(path("good.bmp"), picture));
    EXPECT_EQ(picture, blueDiscPicture());
}
