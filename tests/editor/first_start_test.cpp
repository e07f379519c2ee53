#include <QImage>

#include "editor_fixture.h"
#include "picture/start_pictures.h"
#include "ui/window_size.h"

namespace blx52 {
namespace {

using FirstStart = EditorTest;

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
