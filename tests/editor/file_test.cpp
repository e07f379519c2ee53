#include <QFile>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <thread>

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

#ifndef _WIN32
// Frees a reader blocked on a FIFO after a generous time, so that a hang fails the test
// instead of stalling the run.
class FifoWatchdog {
  public:
    explicit FifoWatchdog(const QString& fifo) : name_(QFile::encodeName(fifo)) {
        thread_ = std::thread([this] {
            std::unique_lock lock(mutex_);
            if (!done_.wait_for(lock, std::chrono::seconds(20), [this] { return finished_; })) {
                const int writer = ::open(name_.constData(), O_WRONLY | O_NONBLOCK);
                if (writer >= 0)
                    ::close(writer);
                fired_ = true;
            }
        });
    }
    // Whether the watchdog had to step in.
    bool finish() {
        {
            std::lock_guard lock(mutex_);
            finished_ = true;
        }
        done_.notify_all();
        thread_.join();
        return fired_;
    }

  private:
    QByteArray name_;
    std::mutex mutex_;
    std::condition_variable done_;
    bool finished_ = false;
    bool fired_ = false;
    std::thread thread_;
};
#endif

TEST_F(EditorFiles, FifoOrBrokenBitmapIsReportedAndThePictureKept) {
    putBitmap(100, blueDiscPicture());
    clickMain(QStringLiteral("BitBtn1"));
    ASSERT_EQ(form2->picture(), blueDiscPicture());

    qsizetype dialogsBefore = 0;
#ifndef _WIN32  // named pipes in the file system are POSIX
    // A FIFO named like the slot's bitmap: the load gives up at once.
    ASSERT_TRUE(QFile::remove(bitmapPath(100)));
    ASSERT_EQ(::mkfifo(QFile::encodeName(bitmapPath(100)).constData(), 0600), 0);
    FifoWatchdog watchdog(bitmapPath(100));
    click(QStringLiteral("Button20"));
    EXPECT_FALSE(watchdog.finish()) << "loading the FIFO blocked";
    ASSERT_EQ(dialogs.log.size(), 1);
    EXPECT_TRUE(dialogs.log[0].startsWith(QStringLiteral("errorOk: ")));
    EXPECT_TRUE(dialogs.log[0].contains(QStringLiteral("In0_Pic0.bmp")));
    EXPECT_EQ(form2->picture(), blueDiscPicture());
    dialogsBefore = 1;
#endif

    // An 8-bit file claiming 256 palette entries with its pixels at byte 86, inside them.
    QByteArray broken(86 + 32 * 32, '\0');
    broken[0] = 'B';
    broken[1] = 'M';
    const auto put = [&broken](int at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            broken[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
    };
    put(10, 86);
    put(14, 40);
    put(18, 32);
    put(22, 32);
    put(26, 1 | 8 << 16);  // one plane, 8 bits
    for (int i = 0; i < 8; ++i)
        put(54 + 4 * i, ledColors()[static_cast<std::size_t>(i)].rgb & 0xFFFFFF);
    ASSERT_TRUE(QFile::remove(bitmapPath(100)));
    QFile file(bitmapPath(100));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_EQ(file.write(broken), broken.size());
    file.close();
    click(QStringLiteral("Button20"));
    ASSERT_EQ(dialogs.log.size(), dialogsBefore + 1);
    EXPECT_TRUE(dialogs.log.back().contains(QStringLiteral("In0_Pic0.bmp")));
    EXPECT_EQ(form2->picture(), blueDiscPicture());
}

TEST_F(EditorFiles, NoSlotNoFiles) {
    form2->Button17Click();
    form2->Button20Click();
    EXPECT_TRUE(dialogs.log.isEmpty());
    EXPECT_TRUE(QDir(folder).entryList(QDir::Files).isEmpty());
    EXPECT_EQ(form2->picture(), initialPicture());
}

}  // namespace
}  // namespace blx52
