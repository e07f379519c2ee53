#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#ifndef _WIN32
#include <fcntl.h>
#include <grp.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <ctime>
#endif

#include <chrono>
#include <functional>
#include <future>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "picture/picture_files.h"
#include "picture/picture_import.h"
#include "picture/presets.h"
#include "picture/regular_file.h"
#include "tests/picture/bmp_builder.h"
#include "tests/picture/picture_print.h"

using namespace blx52;
using blx52::test::BmpSpec;
using blx52::test::buildBmp;
using blx52::test::putLe;

namespace {

std::vector<QRgb> ledPalette() {
    std::vector<QRgb> table;
    for (const auto& entry : ledColors())
        table.push_back(entry.rgb);
    return table;
}

// An asymmetric pattern of the eight colours, so that flipped or shifted rows show.
std::uint32_t patternIndex(int x, int y) {
    return static_cast<std::uint32_t>((x + 3 * y + x / 5) % 8);
}

Picture patternPicture(const std::vector<QRgb>& colours) {
    Picture p;
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x)
            p.setPixel(x, y, colours[patternIndex(x, y) % colours.size()]);
    }
    return p;
}

// Colours whose channels are 0 or 255 survive every depth, including 5-bit channels.
const std::vector<QRgb> fullChannelColours = {
    qRgb(0, 0, 0),   qRgb(255, 0, 0),   qRgb(0, 255, 0),     qRgb(255, 255, 0),
    qRgb(0, 0, 255), qRgb(255, 0, 255), qRgb(255, 255, 255), qRgb(0, 255, 255)};

std::uint32_t packed(QRgb c, int redBits, int greenBits, int blueBits) {
    const auto scale = [](int v, int bits) { return static_cast<std::uint32_t>(v >> (8 - bits)); };
    return scale(qRed(c), redBits) << (greenBits + blueBits) |
           scale(qGreen(c), greenBits) << blueBits | scale(qBlue(c), blueBits);
}

// 16-bit files hold 5 or 6 bits a channel; the reader widens them (31 to 248 or 255,
// depending on the toolkit's version). Each channel must be off where it should be off and
// nearly full where it should be full.
::testing::AssertionResult sameAtDepth(const Picture& loaded, const Picture& expected) {
    const auto near = [](int got, int want) { return want == 0 ? got == 0 : got >= 240; };
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) {
            const QRgb a = loaded.pixel(x, y);
            const QRgb b = expected.pixel(x, y);
            if (!near(qRed(a), qRed(b)) || !near(qGreen(a), qGreen(b)) ||
                !near(qBlue(a), qBlue(b))) {
                return ::testing::AssertionFailure()
                       << "pixel " << x << ", " << y << " is " << std::hex << a << ", wanted " << b;
            }
        }
    }
    return ::testing::AssertionSuccess();
}

BmpSpec indexedSpec(int bits, std::uint32_t colorsUsed, std::vector<QRgb> palette) {
    BmpSpec s;
    s.bits = bits;
    s.colorsUsed = colorsUsed;
    s.palette = std::move(palette);
    const auto entries = static_cast<std::uint32_t>(s.palette.size());
    s.pixel = [entries](int x, int y) { return patternIndex(x, y) % entries; };
    return s;
}

#ifndef _WIN32
// Runs `action` as an ordinary user (nobody), since root passes every permission check: in a
// child process when this one is root. False also when the child cannot become that user.
bool asPlainUser(const std::function<bool()>& action) {
    if (::geteuid() != 0)
        return action();
    const pid_t child = ::fork();
    if (child == 0) {
        const bool dropped =
            ::setgroups(0, nullptr) == 0 && ::setgid(65534) == 0 && ::setuid(65534) == 0;
        ::_exit(dropped && action() ? 0 : 1);
    }
    int status = 0;
    return child > 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status) &&
           WEXITSTATUS(status) == 0;
}

// Sets the file's last write `seconds` into the past.
bool aged(const QString& path, int seconds) {
    timespec times[2]{};
    ::clock_gettime(CLOCK_REALTIME, &times[0]);
    times[0].tv_sec -= seconds;
    times[1] = times[0];
    return ::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, AT_SYMLINK_NOFOLLOW) ==
           0;
}
#endif

class BitmapCheck : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    QString path(const QString& name) const { return dir.filePath(name); }
    void write(const QString& name, const QByteArray& data) {
        QFile f(path(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        ASSERT_EQ(f.write(data), data.size());
    }
    // Loads bytes through a file; an error must name the file and leave the picture alone.
    FileError load(const QByteArray& data, Picture& picture) {
        write(QStringLiteral("In0_Pic0.bmp"), data);
        const Picture before = picture;
        FileError error = loadBitmap(path(QStringLiteral("In0_Pic0.bmp")), picture);
        if (error) {
            EXPECT_TRUE(error->endsWith(QDir::toNativeSeparators(path("In0_Pic0.bmp"))));
            EXPECT_EQ(picture, before);
        }
        return error;
    }
    QTemporaryDir dir;
};

// The headers say where each part lies, and decoding a file whose palette or masks run into
// its pixels, or whose pixels run out, gave pixels of uninitialised memory.
TEST_F(BitmapCheck, TablesRunningIntoThePixelsAreRefused) {
    struct Case {
        const char* what;
        BmpSpec bad;
        std::uint32_t goodOffset;  // the same file with the pixels where they belong
    };
    std::vector<Case> cases;

    BmpSpec eight = indexedSpec(8, 0, ledPalette());  // 256 entries claimed, 8 written
    eight.pixelOffset = 86;
    cases.push_back({"8 bits, no colour count, 8 entries, pixels at 86", eight, 54 + 1024});

    BmpSpec masks;
    masks.bits = 16;
    masks.compression = 3;
    masks.masks = {0xF800, 0x07E0, 0x001F};
    masks.pixel = [](int x, int y) {
        return packed(fullChannelColours[patternIndex(x, y)], 5, 6, 5);
    };
    masks.pixelOffset = 54;
    cases.push_back({"16 bits, masks after a 40-byte header, pixels at 54", masks, 66});

    BmpSpec one = indexedSpec(1, 17, {qRgb(0, 0, 0), qRgb(255, 255, 255)});
    one.pixelOffset = 62;
    cases.push_back({"1 bit, 17 colours used", one, 0});

    BmpSpec v5 = indexedSpec(8, 256, ledPalette());
    v5.infoSize = 124;
    v5.pixelOffset = 1078;
    cases.push_back({"V5 header, 8 bits, 256 colours, pixels at 1078", v5, 14 + 124 + 1024});

    for (Case& c : cases) {
        SCOPED_TRACE(c.what);
        Picture picture = initialPicture();
        const FileError error = load(buildBmp(c.bad), picture);
        ASSERT_TRUE(error.has_value());
        EXPECT_TRUE(error->startsWith(QStringLiteral("Datei kann nicht gelesen werden: ")));
        if (c.goodOffset == 0)
            continue;  // more colours than one bit can address: no good version
        // Given room for its tables, each file loads; what was refused was the overlap.
        if (c.bad.bits == 8 && c.bad.colorsUsed == 0)
            c.bad.palette.resize(256, qRgb(1, 2, 3));
        if (c.bad.palette.size() < c.bad.colorsUsed)
            c.bad.palette.resize(c.bad.colorsUsed, qRgb(1, 2, 3));
        c.bad.pixelOffset = c.goodOffset;
        Picture loaded;
        ASSERT_FALSE(load(buildBmp(c.bad), loaded));
        if (c.bad.bits == 16) {
            EXPECT_TRUE(sameAtDepth(loaded, patternPicture(fullChannelColours)));
        } else {
            EXPECT_EQ(loaded, patternPicture(ledPalette()));
        }
    }
}

TEST_F(BitmapCheck, PixelsEndingPastTheFileAreRefused) {
    BmpSpec s = indexedSpec(8, 8, ledPalette());
    const QByteArray whole = buildBmp(s);
    Picture picture = initialPicture();
    ASSERT_FALSE(load(whole, picture));
    EXPECT_EQ(picture, patternPicture(ledPalette()));

    // The offset moved on by one byte: the last row lacks its last byte.
    QByteArray shifted = whole;
    putLe(shifted, 10, 54 + 8 * 4 + 1, 4);
    EXPECT_TRUE(load(shifted, picture));
    EXPECT_TRUE(load(whole.left(whole.size() - 1), picture));
    QByteArray farOffset = whole;
    putLe(farOffset, 10, 0xFFFFFFFFu, 4);
    EXPECT_TRUE(load(farOffset, picture));
}

// Indexes beyond the palette came out black, with a complaint on standard error for each pixel.
TEST_F(BitmapCheck, IndexesBeyondThePaletteAreRefused) {
    struct Case {
        int bits;
        std::uint32_t colorsUsed;
        std::size_t entries;
    };
    for (const Case c : {Case{8, 8, 8}, Case{4, 3, 3}, Case{1, 1, 1}, Case{4, 0, 16}}) {
        SCOPED_TRACE(testing::Message() << c.bits << " bits, " << c.entries << " entries");
        std::vector<QRgb> palette = ledPalette();
        palette.resize(c.entries, qRgb(9, 9, 9));
        BmpSpec s = indexedSpec(c.bits, c.colorsUsed, palette);
        Picture picture;
        ASSERT_FALSE(load(buildBmp(s), picture));  // all indexes inside: fine
        if (c.entries == (1u << c.bits))
            continue;  // every index the depth can hold is in the palette
        // One pixel, the last one of the file, names the first entry beyond the palette.
        const auto beyond = static_cast<std::uint32_t>(c.entries);
        s.pixel = [beyond, inner = s.pixel](int x, int y) {
            return x == 31 && y == 0 ? beyond : inner(x, y);
        };
        picture = initialPicture();
        EXPECT_TRUE(load(buildBmp(s), picture));
    }
}

// Every header version and depth that the check lets through decodes to the expected pixels.
TEST_F(BitmapCheck, HeaderVersionsAndDepthsLoadTheirPixels) {
    const std::vector<QRgb> led = ledPalette();
    struct Case {
        std::string what;
        BmpSpec spec;
        std::vector<QRgb> colours;
    };
    std::vector<Case> cases;

    for (int bits : {1, 4, 8}) {
        const std::vector<QRgb> palette(led.begin(), led.begin() + (bits == 1 ? 2 : 8));
        cases.push_back({"40-byte header, " + std::to_string(bits) + " bits",
                         indexedSpec(bits, bits == 1 ? 0 : 8, palette), palette});
        BmpSpec core = indexedSpec(bits, 0, palette);
        core.infoSize = 12;
        core.palette.resize(std::size_t{1} << bits, qRgb(0, 0, 0));
        cases.push_back({"core header, " + std::to_string(bits) + " bits", core, palette});
    }
    BmpSpec v4 = indexedSpec(8, 8, led);
    v4.infoSize = 108;
    v4.height = -32;
    cases.push_back({"V4 header, 8 bits, top-down", v4, led});

    const auto direct = [&](int infoSize, int bits, std::uint32_t compression,
                            std::vector<std::uint32_t> masks, int r, int g, int b) {
        BmpSpec s;
        s.infoSize = infoSize;
        s.bits = bits;
        s.compression = compression;
        s.masks = std::move(masks);
        s.pixel = [r, g, b](int x, int y) {
            return packed(fullChannelColours[patternIndex(x, y)], r, g, b);
        };
        return s;
    };
    cases.push_back({"16 bits plain", direct(40, 16, 0, {}, 5, 5, 5), fullChannelColours});
    cases.push_back({"16 bits, masks after the header",
                     direct(40, 16, 3, {0xF800, 0x07E0, 0x001F}, 5, 6, 5), fullChannelColours});
    cases.push_back({"16 bits, 52-byte header",
                     direct(52, 16, 3, {0xF800, 0x07E0, 0x001F}, 5, 6, 5), fullChannelColours});
    cases.push_back({"32 bits, 56-byte header",
                     direct(56, 32, 3, {0xFF0000, 0xFF00, 0xFF, 0}, 8, 8, 8), fullChannelColours});
    cases.push_back({"32 bits, V4 masks", direct(108, 32, 3, {0xFF0000, 0xFF00, 0xFF, 0}, 8, 8, 8),
                     fullChannelColours});
    cases.push_back({"24 bits, V5 header", direct(124, 24, 0, {}, 8, 8, 8), fullChannelColours});
    cases.push_back({"24 bits, core header", direct(12, 24, 0, {}, 8, 8, 8), fullChannelColours});
    BmpSpec opaque = direct(56, 32, 3, {0xFF0000, 0xFF00, 0xFF, 0xFF000000}, 8, 8, 8);
    opaque.pixel = [inner = opaque.pixel](int x, int y) { return inner(x, y) | 0xFF000000u; };
    cases.push_back({"32 bits, 56-byte header, alpha mask, opaque", opaque, fullChannelColours});
    std::vector<QRgb> sixteen = led;
    sixteen.resize(16, qRgb(9, 9, 9));
    cases.push_back({"40-byte header, 4 bits, 16 entries", indexedSpec(4, 0, sixteen), sixteen});

    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Picture picture = initialPicture();
        const FileError error = load(buildBmp(c.spec), picture);
        ASSERT_FALSE(error) << error->toStdString();
        if (c.spec.bits == 16) {
            EXPECT_TRUE(sameAtDepth(picture, patternPicture(c.colours)));
        } else {
            EXPECT_EQ(picture, patternPicture(c.colours));
        }
    }
}

TEST_F(BitmapCheck, UnsupportedVariantsAreRefused) {
    BmpSpec rle8 = indexedSpec(8, 8, ledPalette());
    rle8.compression = 1;
    BmpSpec rle4 = indexedSpec(4, 8, ledPalette());
    rle4.compression = 2;
    BmpSpec alphaMasks;
    alphaMasks.bits = 32;
    alphaMasks.compression = 6;
    alphaMasks.masks = {0xFF0000, 0xFF00, 0xFF, 0xFF000000};
    BmpSpec indexed52 = indexedSpec(8, 8, ledPalette());  // palette after a 52-byte header
    indexed52.infoSize = 52;
    BmpSpec os2v2 = indexedSpec(8, 8, ledPalette());
    os2v2.infoSize = 64;
    BmpSpec twoBits = indexedSpec(2, 4, {0, 0, 0, 0});
    BmpSpec wideCore;
    wideCore.infoSize = 12;
    wideCore.width = 64;

    Picture picture = initialPicture();
    for (const BmpSpec& s : {rle8, rle4, alphaMasks, indexed52, os2v2, twoBits}) {
        SCOPED_TRACE(testing::Message() << s.infoSize << "-byte header, " << s.bits << " bits");
        const FileError error = load(buildBmp(s), picture);
        ASSERT_TRUE(error);
        EXPECT_TRUE(error->startsWith(QStringLiteral("Datei kann nicht gelesen werden: ")));
    }
    const FileError wide = load(buildBmp(wideCore), picture);
    ASSERT_TRUE(wide);
    EXPECT_TRUE(wide->startsWith(QStringLiteral("Bild ist nicht 32 × 32 Pixel groß: ")));
}

#ifndef _WIN32  // FIFOs and /dev files are POSIX
// A FIFO never gets a writer here: opening it the ordinary way waits for ever.
TEST_F(BitmapCheck, NonRegularFilesAreRefusedWithoutWaiting) {
    const QString fifo = path(QStringLiteral("In0_Pic0.bmp"));
    const QByteArray fifoName = QFile::encodeName(fifo);
    ASSERT_EQ(::mkfifo(fifoName.constData(), 0600), 0);
    Picture picture = initialPicture();
    // The editor's bitmap load and the canvas's image import: each refuses, naming why.
    const std::vector<std::pair<const char*, std::function<bool()>>> opens{
        {"bitmap",
         [&] {
             const FileError error = loadBitmap(fifo, picture);
             return error && error->contains(QDir::toNativeSeparators(fifo));
         }},
        {"image import",
         [&] {
             QString why;
             return readImageForImport(fifo, &why).isNull() && !why.isEmpty();
         }},
    };
    for (const auto& [what, refused] : opens) {
        auto pending = std::async(std::launch::async, refused);
        if (pending.wait_for(std::chrono::seconds(20)) != std::future_status::ready) {
            // Free the blocked reader so the test can report instead of hanging.
            const int writer = ::open(fifoName.constData(), O_WRONLY | O_NONBLOCK);
            if (writer >= 0)
                ::close(writer);
            pending.wait();
            FAIL() << what << ": opening a FIFO blocked";
        }
        EXPECT_TRUE(pending.get()) << what;
    }
    EXPECT_EQ(picture, initialPicture());

    ASSERT_TRUE(QDir().mkpath(path(QStringLiteral("In0_Pic1.bmp"))));
    EXPECT_TRUE(loadBitmap(path(QStringLiteral("In0_Pic1.bmp")), picture));
    EXPECT_FALSE(readRegularFile(QStringLiteral("/dev/zero"), MaxBitmapFileSize));
    EXPECT_FALSE(readRegularFile(QStringLiteral("/dev/null"), MaxBitmapFileSize));
    EXPECT_EQ(picture, initialPicture());

    // A link to a regular file is a regular file.
    ASSERT_FALSE(saveBitmap(blueDiscPicture(), path(QStringLiteral("target.bmp"))));
    ASSERT_TRUE(
        QFile::link(path(QStringLiteral("target.bmp")), path(QStringLiteral("In0_Pic2.bmp"))));
    ASSERT_FALSE(loadBitmap(path(QStringLiteral("In0_Pic2.bmp")), picture));
    EXPECT_EQ(picture, blueDiscPicture());
}

// Every save of the program goes through saveRegularFile: the bitmap, the device picture file
// the settings profile (in the window and the command-line tool) and the canvas's export. A target
// that is no regular file is refused and stays what it was; nothing waits for a reader.
TEST_F(BitmapCheck, SavesReplaceOnlyRegularFiles) {
    const auto saves = std::vector<std::pair<const char*, std::function<bool(const QString&)>>>{
        {"bitmap", [](const QString& p) { return !saveBitmap(warningTrianglePicture(), p); }},
        {"device picture file",
         [](const QString& p) {
             return !writeDevicePictureFile(makeCodeGrid(warningTrianglePicture()), p);
         }},
        {"profile", [](const QString& p) { return !saveRegularFile(p, "# blx52-profile 1\n"); }},
        {"exported image",
         [](const QString& p) {
             return savePictureImage(warningTrianglePicture(), 10, p).isEmpty();
         }},
        {"several files",
         [](const QString& p) {
             return !saveFiles({{p, "several"}});
         }},
    };
    const auto native = [](const QString& p) { return QFile::encodeName(p); };
    const auto readAll = [](const QString& p) {
        QFile f(p);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    };
    const auto writeRaw = [](const QString& p, const QByteArray& bytes) {
        QFile f(p);
        return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
    };
    const auto kindOf = [&](const QString& p) {
        struct stat info {};
        return ::lstat(native(p).constData(), &info) == 0 ? info.st_mode & S_IFMT : mode_t(0);
    };
    for (const auto& [what, save] : saves) {
        SCOPED_TRACE(what);
        QTemporaryDir here;
        ASSERT_TRUE(here.isValid());
        const auto at = [&](const char* name) { return here.filePath(QString::fromLatin1(name)); };
        ASSERT_EQ(::mkfifo(native(at("fifo")).constData(), 0600), 0);
        ASSERT_TRUE(QDir().mkpath(at("folder")));
        ASSERT_TRUE(QFile::link(at("fifo"), at("link-to-fifo")));
        // A character device like /dev/null (1, 3) of our own: only root may make one.
        const bool device =
            ::mknod(native(at("device")).constData(), S_IFCHR | 0600, makedev(1, 3)) == 0;
        struct Target {
            const char* name;
            mode_t kind;
        };
        std::vector<Target> refused{
            {"fifo", S_IFIFO}, {"folder", S_IFDIR}, {"link-to-fifo", S_IFLNK}};
        if (device)
            refused.push_back({"device", S_IFCHR});
        for (const Target& t : refused) {
            auto saving = std::async(std::launch::async, [&] { return save(at(t.name)); });
            if (saving.wait_for(std::chrono::seconds(20)) != std::future_status::ready) {
                const int reader = ::open(native(at("fifo")).constData(), O_RDONLY | O_NONBLOCK);
                saving.wait();
                ::close(reader);
                FAIL() << t.name << ": the save waited for a reader";
            }
            EXPECT_FALSE(saving.get()) << t.name;
            EXPECT_EQ(kindOf(at(t.name)), t.kind) << t.name;
        }
        // A link to a regular file (or to none yet) is followed; the link stays a link.
        ASSERT_TRUE(writeRaw(at("old"), "old"));
        ASSERT_TRUE(QFile::link(at("old"), at("link-to-file")));
        ASSERT_TRUE(QFile::link(at("new"), at("link-to-nothing")));
        for (const char* link : {"link-to-file", "link-to-nothing"}) {
            EXPECT_TRUE(save(at(link))) << link;
            EXPECT_EQ(kindOf(at(link)), S_IFLNK) << link;
        }
        EXPECT_NE(readAll(at("old")), "old");
        EXPECT_EQ(readAll(at("old")), readAll(at("new")));

        // A file the user may not write is refused, also behind a link; a writable one is
        // replaced. Root may write anything, so the saves run as an ordinary user.
        ASSERT_EQ(::chmod(native(here.path()).constData(), 0777), 0);
        ASSERT_TRUE(writeRaw(at("read-only"), "old"));
        ASSERT_EQ(::chmod(native(at("read-only")).constData(), 0444), 0);
        ASSERT_TRUE(QFile::link(at("read-only"), at("link-to-read-only")));
        ASSERT_TRUE(writeRaw(at("writable"), "old"));
        ASSERT_EQ(::chmod(native(at("writable")).constData(), 0666), 0);
        for (const auto& [name, replaced] :
             {std::pair{"read-only", false}, {"link-to-read-only", false}, {"writable", true}}) {
            EXPECT_EQ(asPlainUser([&] { return save(at(name)); }), replaced) << name;
            EXPECT_EQ(readAll(at(name)) != "old", replaced) << name;
        }
        // The editor's Save says what any failed save of the bitmap says.
        EXPECT_TRUE(asPlainUser([&] {
            const FileError error = saveBitmap(warningTrianglePicture(), at("read-only"));
            return error == "Datei kann nicht geschrieben werden: " +
                                QDir::toNativeSeparators(at("read-only"));
        }));
        struct stat info {};
        ASSERT_EQ(::stat(native(at("read-only")).constData(), &info), 0);
        EXPECT_EQ(info.st_mode & 0777, 0444u);

        // Leftovers of killed saves: only this pattern for this name, a minute old, goes.
        const std::pair<const char*, bool> leftovers[] = {
            {".old.blx52-tmp-Ab12Cd", true},
            {".old.blx52-tmp-young1", false},
            {".old.XyZ123", false},
            {".other.blx52-tmp-Ab12Cd", false},
            {".old.blx52-tmp-Ab12Cd7", false},
        };
        for (const auto& [name, stale] : leftovers) {
            ASSERT_TRUE(writeRaw(at(name), "left"));
            const bool young = std::string_view(name) == ".old.blx52-tmp-young1";
            ASSERT_TRUE(aged(at(name), young ? 30 : 120));
        }
        EXPECT_TRUE(save(at("old")));
        for (const auto& [name, stale] : leftovers)
            EXPECT_EQ(QFileInfo::exists(at(name)), !stale) << name;
        for (const auto& [name, stale] : leftovers)
            QFile::remove(at(name));

        QStringList expected{"fifo",
                             "folder",
                             "link-to-fifo",
                             "link-to-file",
                             "link-to-nothing",
                             "link-to-read-only",
                             "new",
                             "old",
                             "read-only",
                             "writable"};
        if (device)
            expected.insert(0, "device");
        EXPECT_EQ(
            QDir(here.path())
                .entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System),
            expected);  // no temporary file left
    }
}

#endif

// The picture folder filled from a bundle: all 25 files new, or (one target a folder) all old,
// and never a temporary left.
TEST_F(BitmapCheck, SeveralFilesAreReplacedTogether) {
    std::vector<std::pair<QString, QByteArray>> files;
    for (const PictureSlot& slot : pictureSlots()) {
        const QString name = QString::fromStdString(slot.bitmapFile);
        write(name, "old " + name.toLatin1());
        files.emplace_back(path(name), "new " + name.toLatin1());
    }
    const auto contents = [&] {
        QStringList all;
        for (const auto& [file, bytes] : files) {
            QFile f(file);
            all << (f.open(QIODevice::ReadOnly) ? QString::fromLatin1(f.readAll()) : "(folder)");
        }
        return all;
    };
    const QStringList names =
        QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
    ASSERT_EQ(names.size(), 25);

    const QString blocked = files[12].first;
    ASSERT_TRUE(QFile::remove(blocked));
    ASSERT_TRUE(QDir().mkpath(blocked));
    const QStringList before = contents();
    std::size_t replaced = 99;
    const FileError error = saveFiles(files, &replaced);
    ASSERT_TRUE(error);
    EXPECT_TRUE(error->startsWith("Datei kann nicht geschrieben werden: "));
    EXPECT_TRUE(error->contains(QDir::toNativeSeparators(blocked))) << error->toStdString();
    EXPECT_EQ(replaced, 0u);
    EXPECT_EQ(contents(), before);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
              names);

    ASSERT_TRUE(QDir(blocked).removeRecursively());
    ASSERT_FALSE(saveFiles(files, &replaced));
    EXPECT_EQ(replaced, 25u);
    for (std::size_t i = 0; i < files.size(); ++i)
        EXPECT_EQ(contents()[qsizetype(i)], QString::fromLatin1(files[i].second));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
              names);
}

}  // namespace
