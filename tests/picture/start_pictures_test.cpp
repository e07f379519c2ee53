#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "picture/picture_files.h"
#include "picture/presets.h"
#include "picture/start_pictures.h"

using namespace blx52;

namespace {

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// A shipped set: every slot's bitmap, each a different picture so mix-ups show.
class StartPictures : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        ASSERT_TRUE(QDir().mkpath(source));
        int n = 0;
        for (const PictureSlot& slot : pictureSlots()) {
            Picture p;
            p.setPixel(n % 32, n / 32, LedColor::Red);
            ++n;
            ASSERT_FALSE(saveBitmap(p, bitmapFilePath(slot, source)).has_value());
        }
    }
    static QString name(const PictureSlot& slot) { return QString::fromStdString(slot.bitmapFile); }

    QTemporaryDir dir;
    QString source = dir.path() + QStringLiteral("/share/blx52/start-pictures/");
    QString target = dir.path() + QStringLiteral("/home/user/BLX52_Settings/");
};

TEST_F(StartPictures, CreateTheMissingFolderWithAllPicturesAsShipped) {
    const StartPicturesResult result = installStartPictures(source, target);
    ASSERT_TRUE(result.ok()) << result.error.toStdString();
    EXPECT_EQ(result.copied.size(), 25);
    EXPECT_TRUE(result.kept.isEmpty());
    EXPECT_EQ(QDir(target).entryList(QDir::Files).size(), 25);
    for (const PictureSlot& slot : pictureSlots()) {
        const QString copy = bitmapFilePath(slot, target);
        EXPECT_EQ(readAll(copy), readAll(bitmapFilePath(slot, source))) << slot.bitmapFile;
        EXPECT_TRUE(QFileInfo(copy).isWritable()) << slot.bitmapFile;  // Save may replace it
        Picture loaded;
        EXPECT_FALSE(loadBitmap(copy, loaded).has_value()) << slot.bitmapFile;
    }
}

TEST_F(StartPictures, NeverReplaceWhatIsThere) {
    ASSERT_TRUE(QDir().mkpath(target));
    const PictureSlot& drawn = pictureSlots()[3];
    const PictureSlot& linked = pictureSlots()[7];
    ASSERT_FALSE(saveBitmap(blueDiscPicture(), bitmapFilePath(drawn, target)).has_value());
    const QByteArray users = readAll(bitmapFilePath(drawn, target));
    // A link to nowhere is the user's entry too; copying through it would write elsewhere.
    const QString elsewhere = dir.path() + QStringLiteral("/elsewhere.bmp");
    ASSERT_TRUE(QFile::link(elsewhere, bitmapFilePath(linked, target)));

    const StartPicturesResult result = installStartPictures(source, target);
    ASSERT_TRUE(result.ok()) << result.error.toStdString();
    EXPECT_EQ(result.copied.size(), 23);
    EXPECT_EQ(result.kept, QStringList({name(drawn), name(linked)}));
    EXPECT_EQ(readAll(bitmapFilePath(drawn, target)), users);
    EXPECT_FALSE(QFile::exists(elsewhere));
}

TEST_F(StartPictures, IncompleteSetOrBlockedFolderIsAnErrorAndCreatesNothing) {
    const PictureSlot& last = pictureSlots().back();
    ASSERT_TRUE(QFile::remove(bitmapFilePath(last, source)));
    StartPicturesResult result = installStartPictures(source, target);
    EXPECT_FALSE(result.ok());
    EXPECT_TRUE(result.error.contains(name(last))) << result.error.toStdString();
    EXPECT_FALSE(QFileInfo::exists(target));

    ASSERT_TRUE(
        QFile::copy(bitmapFilePath(pictureSlots().front(), source), bitmapFilePath(last, source)));
    // A file where the folder belongs.
    const QString file = dir.path() + QStringLiteral("/BLX52_Settings");
    ASSERT_TRUE(QFile::copy(bitmapFilePath(last, source), file));
    result = installStartPictures(source, file);
    EXPECT_FALSE(result.ok());
    EXPECT_TRUE(result.error.contains(QStringLiteral("BLX52_Settings")));
    EXPECT_TRUE(QFileInfo(file).isFile());
}

TEST(StartPicturesFolder, BesideTheProgramsFolder) {
    EXPECT_EQ(startPicturesFolder(QStringLiteral("/usr/bin")),
              QStringLiteral("/usr/share/blx52/start-pictures"));
    EXPECT_EQ(startPicturesFolder(QStringLiteral("/home/u/blx52/build/release/app")),
              QStringLiteral("/home/u/blx52/build/release/share/blx52/start-pictures"));
}

// The first-start failure names the missing folder and the way to make it; a missing file in
// an existing folder is reported as before.
TEST(MissingFolderMessage, LoadAndSaveSayWhichFolderIsMissingAndHowToCreateIt) {
    QTemporaryDir dir;
    const QString folder = dir.path() + QStringLiteral("/BLX52_Settings");
    const QString file = folder + QStringLiteral("/In0_Pic0.bmp");
    Picture picture;
    const auto load = loadBitmap(file, picture);
    const auto save = saveBitmap(picture, file);
    ASSERT_TRUE(load && save);
    for (const QString& message : {*load, *save}) {
        EXPECT_TRUE(message.contains(QDir::toNativeSeparators(file))) << message.toStdString();
        EXPECT_TRUE(message.contains(
            QStringLiteral("Bilderordner %1 fehlt").arg(QDir::toNativeSeparators(folder))))
            << message.toStdString();
        EXPECT_TRUE(message.contains(QStringLiteral("blx52 --init-pictures")));
    }
    EXPECT_TRUE(load->startsWith(QStringLiteral("Datei kann nicht gelesen werden: ")));
    EXPECT_TRUE(save->startsWith(QStringLiteral("Datei kann nicht geschrieben werden: ")));

    ASSERT_TRUE(QDir().mkpath(folder));
    const auto missingFile = loadBitmap(file, picture);
    ASSERT_TRUE(missingFile);
    EXPECT_EQ(
        *missingFile,
        QStringLiteral("Datei kann nicht gelesen werden: %1").arg(QDir::toNativeSeparators(file)));
}

}  // namespace
