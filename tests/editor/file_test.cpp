#include <QFile>

#include <map>

#include "editor_fixture.h"
#include "picture/presets.h"

namespace blx52 {
namespace {

using EditorFiles = EditorTest;

std::map<int, QImage> allGlyphs(const TForm1& form) {
    std::map<int, QImage> glyphs;
    for (const auto& s : pictureSlots())
        glyphs[s.code] = form.buttonGlyph(s.code);
    return glyphs;
}

TEST_F(EditorFiles, SaveWritesTheSlotFileAndOnlyItsOwnThumbnail) {
    putBitmap(120, prohibitionSignPicture());
    clickMain(QStringLiteral("BitBtn15"));
    // A colour outside the eight goes into the file and the thumbnail as it is.
    Picture odd = prohibitionSignPicture();
    odd.setPixel(0, 0, qRgb(0, 255, 255));
    putBitmap(120, odd);
    click(QStringLiteral("Button20"));
    EXPECT_EQ(form2->picture(), odd);
    click(QStringLiteral("BitBtn9"));
    edit("Edit1")->setText(QStringLiteral("2"));
    edit("Edit2")->setText(QStringLiteral("30"));
    click(QStringLiteral("Button5"));
    const Picture drawn = form2->picture();
    ASSERT_NE(drawn, odd);

    const auto before = allGlyphs(*form1);
    click(QStringLiteral("Button17"));
    EXPECT_TRUE(dialogs.log.isEmpty());
    const auto after = allGlyphs(*form1);
    for (const auto& s : pictureSlots()) {
        if (s.code == 120) {
            EXPECT_EQ(after.at(s.code), drawn.image()) << s.code;
            EXPECT_NE(after.at(s.code), before.at(s.code));
        } else {
            EXPECT_EQ(after.at(s.code), before.at(s.code)) << s.code;
        }
    }
    Picture reread;
    ASSERT_FALSE(loadBitmap(bitmapPath(120), reread).has_value());
    EXPECT_EQ(reread, drawn);
    EXPECT_EQ(reread.code(0, 0), 0);
    EXPECT_EQ(reread.code(2, 30), 4);
    EXPECT_FALSE(QFile::exists(devicePath(120)));  // saving is no send
}

TEST_F(EditorFiles, FailingSaveReportsTheFileAndKeepsTheThumbnail) {
    putBitmap(131, blueDiscPicture());
    clickMain(QStringLiteral("BitBtn9"));
    click(QStringLiteral("Button3"));
    const auto before = allGlyphs(*form1);
    ASSERT_TRUE(QDir(folder).removeRecursively());
    click(QStringLiteral("Button17"));
    ASSERT_EQ(dialogs.log.size(), 1);
    EXPECT_TRUE(dialogs.log[0].startsWith(QStringLiteral("errorOk: ")));
    EXPECT_TRUE(dialogs.log[0].contains(QStringLiteral("In12_Pic1.bmp")))
        << dialogs.log[0].toStdString();
    EXPECT_EQ(allGlyphs(*form1), before);
    EXPECT_FALSE(QDir(folder).exists());  // the program never makes the folder
    EXPECT_EQ(form2->picture(), Picture());
}

TEST_F(EditorFiles, LoadReplacesThePictureOrReportsAndKeepsIt) {
    putBitmap(143, warningTrianglePicture());
    clickMain(QStringLiteral("BitBtn20"));
    click(QStringLiteral("BitBtn3"));
    EXPECT_EQ(form2->picture(), blueDiscPicture());
    click(QStringLiteral("Button20"));
    EXPECT_EQ(form2->picture(), warningTrianglePicture());
    EXPECT_EQ(form2->pictureView()->pixmap().toImage(), warningTrianglePicture().image());

    click(QStringLiteral("Button3"));
    ASSERT_TRUE(QFile::remove(bitmapPath(143)));
    click(QStringLiteral("Button20"));
    ASSERT_EQ(dialogs.log.size(), 1);
    EXPECT_TRUE(dialogs.log[0].contains(QStringLiteral("Res_Pic3.bmp")));
    EXPECT_EQ(form2->picture(), Picture());
    EXPECT_EQ(slotText(), QStringLiteral("143"));
}

}  // namespace
}  // namespace blx52
