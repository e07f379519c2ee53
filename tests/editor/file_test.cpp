#include <QFile>

#include <map>

#include "editor_fixture.h"
#include "picture/presets.h"
#include "ui/built_in_pictures.h"

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

// A bundle that replaces the file of the editor's slot: loaded at once when the editor holds
// nothing unsaved, after a question over unsaved drawing, and never for another slot.
TEST_F(EditorFiles, ABundleOverTheEditorsSlotReloadsItAskingOverUnsavedDrawing) {
    const struct {
        const char* name;
        int slot;
        bool draw;
        bool answerYes;
        bool asked;
        bool showsBundle;
    } cases[] = {
        {"nothing unsaved: loaded without a question", 100, false, true, false, true},
        {"unsaved drawing, Ja: the bundle's picture", 100, true, true, true, true},
        {"unsaved drawing, Nein: the drawing stays", 100, true, false, true, false},
        {"another slot: untouched", 101, true, true, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        putBitmap(c.slot, filled(LedColor::Red));
        clickMain(QString::fromStdString(slot(c.slot).mainButton));
        click(QStringLiteral("Button20"));  // the file as it stands, whatever came before
        if (c.draw) {
            click(QStringLiteral("BitBtn11"));
            click(QStringLiteral("Button5"));
        }
        const Picture before = form2->picture();
        dialogs.log.clear();
        // Ja to the bundle's own question, the row's answer to the editor's.
        dialogs.answerYes = true;
        dialogs.whileShown = [&](const QString& entry) {
            if (entry.contains(QStringLiteral("was just replaced")))
                dialogs.answerYes = c.answerYes;
        };
        openBundle({{100, stripes(100)}});
        dialogs.whileShown = {};
        ASSERT_EQ(dialogs.log.size(), c.asked ? 2 : 1) << dialogs.log.join(u'\n').toStdString();
        if (c.asked) {
            EXPECT_TRUE(dialogs.log[1].startsWith(
                QStringLiteral("questionYesNo: In0_Pic0.bmp was just replaced by the picture "
                               "from the settings file, but the editor holds unsaved drawing "
                               "of In0_Pic0.")))
                << dialogs.log[1].toStdString();
        }
        EXPECT_EQ(form2->picture(), c.showsBundle ? stripes(100) : before);
        EXPECT_EQ(form2->unsavedSlotName().isEmpty(), !c.draw || c.showsBundle);
    }
}

// At start each button shows its slot's file where it loads, else its built-in glyph.
TEST_F(EditorFiles, ButtonsStartWithThePicturesOfTheFolderThatLoad) {
    putBitmap(100, blueDiscPicture());
    putBitmap(152, filled(LedColor::Green));
    QFile broken(bitmapPath(131));
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
    broken.write("BM not a bitmap");
    broken.close();

    DeviceLink otherLink;
    // As main starts it: the built-in pictures decoded on a thread meanwhile.
    const EarlyBuiltInPictures early;
    TForm1 started(otherLink, dialogs);
    started.setPictureFolder(folder);  // Windows' folder is fixed; the test's is its own
    started.showPictureFolderGlyphs();
    for (const PictureSlot& s : pictureSlots()) {
        const QImage expected = s.code == 100 ? blueDiscPicture().image()
                                : s.code == 152
                                    ? filled(LedColor::Green).image()
                                    : QImage(QStringLiteral(":/blx52/glyph_%1.png").arg(s.code));
        EXPECT_EQ(started.buttonGlyph(s.code), expected) << s.code;
    }
    EXPECT_EQ(started.button(QStringLiteral("BitBtn1"))->icon().pixmap(32, 32).toImage(),
              QPixmap::fromImage(blueDiscPicture().image()).toImage());
    EXPECT_TRUE(dialogs.log.isEmpty()) << dialogs.log.join(u'\n').toStdString();
}

}  // namespace
}  // namespace blx52
