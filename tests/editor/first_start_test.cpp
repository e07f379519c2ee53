#include <QAction>
#include <QFile>
#include <QImage>
#include <QMenu>
#include <QTemporaryDir>
#include <set>
#include <utility>
#include <vector>

#include "editor_fixture.h"
#include "picture/presets.h"
#include "picture/start_pictures.h"
#include "ui/window_size.h"

namespace blx52 {
namespace {

using FirstStart = EditorTest;

Picture startPicture(int code) {
    const auto glyph = Picture::fromImage(QImage(QStringLiteral(":/blx52/glyph_%1.png").arg(code)));
    EXPECT_TRUE(glyph.has_value()) << code;
    return glyph.value_or(Picture());
}

// A new user: no picture folder. The first click explains; after the set-up step the editor
// opens with the start picture shipped for the slot.
TEST_F(FirstStart, MissingFolderIsExplainedAndTheSetUpStepGivesTheStartPictures) {
    ASSERT_TRUE(QDir(folder).removeRecursively());
    clickMain(QStringLiteral("BitBtn1"));
    ASSERT_EQ(dialogs.log.size(), 1);
    EXPECT_TRUE(dialogs.log[0].contains(QStringLiteral("fehlt"))) << dialogs.log[0].toStdString();
    EXPECT_TRUE(dialogs.log[0].contains(QStringLiteral("--init-pictures")));
    EXPECT_EQ(form2->picture(), initialPicture());
#ifdef BLX52_NO_BUILT_START_PICTURES
    GTEST_SKIP() << "the set-up step: a cross build cannot run its own tools to make the start "
                    "pictures";
#endif

    const StartPicturesResult result =
        installStartPictures(QStringLiteral(BLX52_BUILT_START_PICTURES), folder);
    ASSERT_TRUE(result.ok()) << result.error.toStdString();
    ASSERT_EQ(result.copied.size(), 25);

    // The shipped pictures are the built-in glyphs of the main window's buttons.
    for (int code : {131, 100}) {
        dialogs.log.clear();
        clickMain(QString::fromStdString(slot(code).mainButton));
        EXPECT_TRUE(dialogs.log.isEmpty()) << code;
        const auto glyph =
            Picture::fromImage(QImage(QStringLiteral(":/blx52/glyph_%1.png").arg(code)));
        ASSERT_TRUE(glyph.has_value());
        EXPECT_EQ(form2->picture(), *glyph) << code;
        EXPECT_NE(form2->picture(), initialPicture()) << code;
    }
}

// What the program ships must reach the device as drawn: any other colour would be sent as
// black while the buttons show it. The eight are written out here, not taken from the model.
TEST_F(FirstStart, EveryBuiltInPictureHoldsOnlyTheEightDeviceColours) {
    const std::set<QRgb> eight = {qRgb(0, 0, 0),     qRgb(255, 0, 0),    qRgb(0, 255, 0),
                                  qRgb(255, 255, 0), qRgb(0, 0, 255),    qRgb(255, 0, 255),
                                  qRgb(0, 128, 128), qRgb(255, 255, 255)};
    std::vector<std::pair<QString, QImage>> shipped = {
        {QStringLiteral("warning triangle preset"), warningTrianglePicture().image()},
        {QStringLiteral("prohibition sign preset"), prohibitionSignPicture().image()},
        {QStringLiteral("blue disc preset"), blueDiscPicture().image()},
    };
    for (const PictureSlot& s : pictureSlots()) {
        shipped.emplace_back(QStringLiteral("button glyph %1").arg(s.code),
                             QImage(QStringLiteral(":/blx52/glyph_%1.png").arg(s.code)));
#ifndef BLX52_NO_BUILT_START_PICTURES
        Picture start;
        const QString path =
            bitmapFilePath(s, QStringLiteral(BLX52_BUILT_START_PICTURES) + QLatin1Char('/'));
        ASSERT_FALSE(loadBitmap(path, start).has_value()) << path.toStdString();
        shipped.emplace_back(QStringLiteral("start picture ") + path, start.image());
#endif
    }
    for (const auto& [what, image] : shipped) {
        ASSERT_EQ(image.size(), QSize(32, 32)) << what.toStdString();
        int off = 0;
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x)
                off += eight.count(image.pixel(x, y) | 0xff000000u) == 0 ? 1 : 0;
        EXPECT_EQ(off, 0) << what.toStdString();
    }
    // The cyan arrows and the standby frame keep their cyan: the device's.
    for (int code : {121, 123, 152}) {
        const QImage glyph(QStringLiteral(":/blx52/glyph_%1.png").arg(code));
        int cyan = 0;
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x)
                cyan += (glyph.pixel(x, y) | 0xff000000u) == qRgb(0, 128, 128) ? 1 : 0;
        EXPECT_GT(cyan, 100) << code;
    }
}

// The same set-up from the File menu, for a user without a terminal: the missing-folder
// message names the menu item first; the item says what it did and never replaces a file.
TEST_F(FirstStart, FileMenuCreatesThePictureFolderAndSaysWhatItDid) {
    ASSERT_TRUE(QDir(folder).removeRecursively());
    clickMain(QStringLiteral("BitBtn1"));
    ASSERT_EQ(dialogs.log.size(), 1);
    const QString hint = dialogs.log[0];
    const qsizetype menuAt = hint.indexOf(QString::fromUtf8("Create picture folder\u2026"));
    ASSERT_GE(menuAt, 0) << hint.toStdString();
    EXPECT_LT(menuAt, hint.indexOf(QStringLiteral("--init-pictures"))) << hint.toStdString();

    QAction* item = form1->findChild<QAction*>(QStringLiteral("CreatePictureFolder1"));
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->text(), QString::fromUtf8("Create picture folder\u2026"));
    ASSERT_TRUE(form1->findChild<QMenu*>(QStringLiteral("File1"))->actions().contains(item));

    // Without start pictures nothing is created, and the user is told why.
    const QTemporaryDir empty;
    form1->setPictureFolders(empty.path(), folder);
    dialogs.log.clear();
    item->trigger();
    ASSERT_EQ(dialogs.log.size(), 1);
    EXPECT_TRUE(dialogs.log[0].startsWith(QStringLiteral("errorOk: ")))
        << dialogs.log[0].toStdString();
    EXPECT_FALSE(QDir(folder).exists());
#ifdef BLX52_NO_BUILT_START_PICTURES
    GTEST_SKIP() << "the copy: a cross build cannot run its own tools to make the start pictures";
#endif

    form1->setPictureFolders(QStringLiteral(BLX52_BUILT_START_PICTURES), folder);
    dialogs.log.clear();
    item->trigger();
    ASSERT_EQ(dialogs.log.size(), 1);
    EXPECT_TRUE(dialogs.log[0].startsWith(QStringLiteral("informationOk: ")));
    EXPECT_TRUE(dialogs.log[0].contains(QStringLiteral("25 start pictures copied, 0 files")))
        << dialogs.log[0].toStdString();
    EXPECT_EQ(QDir(folder).entryList(QDir::Files).size(), 25);
    // The editor, left on slot 100 whose file could not be read, shows its start picture now,
    // not the initial one that a send would have sent.
    EXPECT_EQ(form2->picture(), startPicture(100));

    // The folder works now; a second run keeps what is there, the user's own picture too.
    putBitmap(131, Picture());
    QFile mine(bitmapPath(131));
    ASSERT_TRUE(mine.open(QIODevice::ReadOnly));
    const QByteArray saved = mine.readAll();
    mine.close();
    dialogs.log.clear();
    item->trigger();
    ASSERT_EQ(dialogs.log.size(), 1);
    EXPECT_TRUE(dialogs.log[0].contains(QStringLiteral("0 start pictures copied, 25 files")))
        << dialogs.log[0].toStdString();
    ASSERT_TRUE(mine.open(QIODevice::ReadOnly));
    EXPECT_EQ(mine.readAll(), saved);
    dialogs.log.clear();
    clickMain(QString::fromStdString(slot(131).mainButton));
    EXPECT_TRUE(dialogs.log.isEmpty()) << dialogs.log.join(u'\n').toStdString();
    EXPECT_EQ(form2->picture(), Picture());
}

TEST_F(FirstStart, EditorOpensAtItsOuterSizeCentredOverTheMainWindow) {
    putBitmap(100, Picture());
    clickMain(QStringLiteral("BitBtn1"));
    ASSERT_TRUE(form2->isVisible());
    EXPECT_EQ(form2->frameGeometry().size(), QSize(564, 398));
    EXPECT_EQ(form2->size(), clientSizeFor(QSize(564, 398), frameMarginsOf(*form2)));
    const QPoint offset = form2->frameGeometry().center() - form1->frameGeometry().center();
    EXPECT_LE(std::abs(offset.x()), 1);
    EXPECT_LE(std::abs(offset.y()), 1);

    // Closed, the main window moved, opened again: centred over where the main window is now.
    form2->close();
    form1->move(form1->pos() + QPoint(40, 30));
    clickMain(QStringLiteral("BitBtn2"));
    ASSERT_TRUE(form2->isVisible());
    EXPECT_EQ(form2->frameGeometry().size(), QSize(564, 398));
    const QPoint again = form2->frameGeometry().center() - form1->frameGeometry().center();
    EXPECT_LE(std::abs(again.x()), 1);
    EXPECT_LE(std::abs(again.y()), 1);
}

}  // namespace
}  // namespace blx52
