// blx52-cli as a technician runs it: a subprocess against the device simulator on a
// pseudo-terminal, through the real serial code (under Wine: the simulator beside Wine).
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <filesystem>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

#include "picture/picture.h"
#include "picture/picture_batch.h"
#include "picture/picture_files.h"
#include "picture/plane_data.h"
#include "picture/slot_table.h"
#include "sync/profile.h"
#include "sync/sequences.h"
#include "sync/settings_store.h"
#include "tests/common/simulated_device.h"
#include "tests/picture/cut_images.h"
#include "tools/devsim/options.h"

#ifndef _WIN32
#include <fcntl.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <csignal>
#endif

namespace blx52 {
namespace {

// Puts files back as they were (or removes them, and the folder when it made it) at the end.
class KeepFiles {
  public:
    KeepFiles(const QString& folder, const QStringList& names)
        : folder_(folder), madeFolder_(!QDir(folder).exists()) {
        for (const QString& name : names) {
            QFile f(folder + name);
            saved_.emplace_back(folder + name, f.open(QIODevice::ReadOnly)
                                                   ? std::optional(f.readAll())
                                                   : std::nullopt);
        }
    }
    ~KeepFiles() {
        if (madeFolder_) {
            QDir(folder_).removeRecursively();
            return;
        }
        for (const auto& [path, bytes] : saved_) {
            QFile::remove(path);
            QFile f(path);
            if (bytes && f.open(QIODevice::WriteOnly))
                f.write(*bytes);
        }
    }
    KeepFiles(const KeepFiles&) = delete;
    KeepFiles& operator=(const KeepFiles&) = delete;

  private:
    QString folder_;
    bool madeFolder_;
    std::vector<std::pair<QString, std::optional<QByteArray>>> saved_;
};

QString cliProgram() {
#ifdef _WIN32
    // The cross build knows the tool by its Linux path; it lies in the tree beside this program.
    return QCoreApplication::applicationDirPath() + QStringLiteral("/../../tools/blx52-cli.exe");
#else
    return QStringLiteral(BLX52_CLI_PATH);
#endif
}

struct CliRun {
    int status = -1;
    QString out;  // text for people: line ends as "\n" on every system
    QString err;
    QByteArray outBytes;  // exactly as written
    int signal = 0;       // the signal that ended it
};

// Console text ends its lines with CR LF on Windows; the tool's messages are in the system's
// 8-bit encoding.
QString consoleText(const QByteArray& bytes, bool local8Bit) {
    const QString text = local8Bit ? QString::fromLocal8Bit(bytes) : QString::fromUtf8(bytes);
    return QString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

class CliTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        ASSERT_TRUE(QDir(dir.path()).mkpath("config"));
        qputenv("XDG_CONFIG_HOME", path("config").toUtf8());  // for the simulator's port link
        std::string why;
        sim = test::startSimulatedDevice("COM5", &why);
        ASSERT_TRUE(sim) << why;
        port = QString::fromStdString(sim->portName());
    }
    void TearDown() override {
        sim.reset();
        qunsetenv("XDG_CONFIG_HOME");
    }

    QString path(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }

    // `setUp` may change the process before it starts (its environment, standard output, what
    // the child does before the program runs); a run that has not ended after `waitMs` is
    // killed and fails the test.
    CliRun cli(const QStringList& args, const std::function<void(QProcess&)>& setUp = {},
               int waitMs = 90000) {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_CONFIG_HOME", path("config"));
        env.insert("HOME", dir.path());
        env.insert("APPDATA", path("appdata"));  // the Windows port mapping
        p.setProcessEnvironment(env);
        if (setUp)
            setUp(p);
        p.start(cliProgram(), args);
        // Wine under load now and then fails to create a process at all; that says nothing
        // about the program, so such a start is tried once more.
        if (!p.waitForStarted(waitMs) && p.error() == QProcess::FailedToStart)
            p.start(cliProgram(), args);
        const bool ended = p.waitForFinished(waitMs);
        EXPECT_TRUE(ended) << "blx52-cli " << args.join(u' ').toStdString()
                           << " did not end: " << p.errorString().toStdString();
        if (!ended) {
            p.kill();
            p.waitForFinished();
        }
        const QByteArray out = p.readAllStandardOutput();
        const bool normal = p.exitStatus() == QProcess::NormalExit;
        return {normal ? p.exitCode() : -1, consoleText(out, false),
                consoleText(p.readAllStandardError(), true), out, normal ? 0 : p.exitCode()};
    }

    QByteArray readFile(const QString& name) const {
        QFile f(QDir(dir.path()).filePath(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    void writeFile(const char* name, const QByteArray& bytes) const {
        QFile f(path(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    // Every setting's value on the simulated device, by profile key.
    std::map<QString, std::string> deviceValues() const {
        std::map<QString, std::string> values;
        for (const Setting& s : allSettings())
            values[profileKey(s)] = sim->value(s.getKey.substr(3));
        return values;
    }

    QTemporaryDir dir;
    std::unique_ptr<test::SimulatedDevice> sim;
    QString port;  // the device's port name
};

TEST_F(CliTest, ReadWriteToAnotherDeviceAndDiffAgree) {
    // The first device holds values unlike any start value.
    sim->setValue("in0pic0t", "0777");
    sim->setValue("in1ton2p", "9");
    sim->setValue("sbypic", "0");
    sim->setValue("_brightness", "3");
    const CliRun read = cli({"read", port, "-o", path("a.blx52")});
    ASSERT_EQ(read.status, 0) << read.err.toStdString();
    const QByteArray profile = readFile("a.blx52");
    EXPECT_TRUE(profile.contains("\nin0pic0t = 0777  # Input 0, picture 0 duration (ms)\n"));
    EXPECT_TRUE(profile.contains("\nsbypic = 0  #"));
    EXPECT_EQ(read.out, QString());  // the profile went to the file only
    const auto first = deviceValues();

    // "Another device": everything else.
    for (const Setting& s : allSettings())
        sim->setValue(s.getKey.substr(3), s.kind == FieldKind::Brightness ? "8" : "1");
    sim->clearReceived();
    const CliRun write = cli({"--log", path("x.log"), "write", port, path("a.blx52")});
    ASSERT_EQ(write.status, 0) << write.err.toStdString();
    EXPECT_EQ(deviceValues(), first);
    // 89 set lines, then the verify's 89 reads; every one of them in the log, and each
    // operation's outcome, in the text the window's exchange log saves.
    EXPECT_EQ(sim->receivedLines().size(), 178u);
    EXPECT_EQ(sim->receivedLines()[88], "set_wt_flag123");
    const QByteArray log = readFile("x.log");
    EXPECT_EQ(log.count('\n'), 180);
    EXPECT_TRUE(log.contains(" write sent \"setin0pic0t0777\" reply \"OK\" code 0"));
    EXPECT_TRUE(log.contains(" write: Wrote 89 of 89 settings"));
    EXPECT_TRUE(log.contains(" read: Read 89 of 89 settings"));

    const CliRun diff = cli({"diff", port, path("a.blx52")});
    EXPECT_EQ(diff.status, 0) << diff.err.toStdString();
    EXPECT_EQ(diff.out, QString());

    // The read to standard output is the same profile.
    const CliRun toStdout = cli({"read", port});
    EXPECT_EQ(toStdout.status, 0);
    EXPECT_EQ(toStdout.outBytes, profile);

    // {port} names the file of one port too.
    const CliRun named = cli({"read", port, "-o", path("sig-{port}.blx52")});
    EXPECT_EQ(named.status, 0) << named.err.toStdString();
    EXPECT_EQ(readFile("sig-" + port + ".blx52"), profile);
}

TEST_F(CliTest, OneChangedValueIsWrittenAndAChangeBehindTheToolsBackIsFound) {
    ASSERT_EQ(cli({"read", port, "-o", path("a.blx52")}).status, 0);
    QByteArray profile = readFile("a.blx52");
    const qsizetype at = profile.indexOf("\nin2ton1p = ");
    ASSERT_GE(at, 0);
    const qsizetype end = profile.indexOf("  #", at);
    profile.replace(at, end - at, "\nin2ton1p = 16");
    writeFile("a.blx52", profile);
    const CliRun write = cli({"write", port, path("a.blx52"), "--no-verify"});
    ASSERT_EQ(write.status, 0) << write.err.toStdString();
    EXPECT_EQ(sim->value("in2ton1p"), "16");
    EXPECT_EQ(sim->receivedLines().size(), 89u + 89u);  // the read, then the write alone

    sim->setValue("in2pic3t", "4321");
    sim->setValue("_brightness", "0");
    const CliRun diff = cli({"diff", port, path("a.blx52")});
    EXPECT_EQ(diff.status, 3);
    const QStringList lines = diff.out.split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 2) << diff.out.toStdString();
    EXPECT_TRUE(lines[0].startsWith("in2pic3t (Input 2, picture 3 duration): file "));
    EXPECT_TRUE(lines[0].endsWith(", device 4321"));
    EXPECT_TRUE(lines[1].startsWith("_brightness (Brightness): file "));

    // A device that does not keep what it is sent fails the verify, naming both values.
    devsim::Options keepsOld;
    keepsOld.replyOverrides["getin0pic2t"] = "999";
    sim->setOptions(keepsOld);
    const CliRun verify = cli({"write", port, path("a.blx52")});
    EXPECT_EQ(verify.status, 3);
    EXPECT_TRUE(verify.err.contains("in0pic2t (Input 0, picture 2 duration): file "))
        << verify.err.toStdString();
    EXPECT_TRUE(verify.err.contains(", device 999"));
}

TEST_F(CliTest, BadFilesAndBadUsageSendNothing) {
    ASSERT_EQ(cli({"read", port, "-o", path("good")}).status, 0);
    const QByteArray good = readFile("good");
    QByteArray unknownAndRefused = good;
    unknownAndRefused.replace("\nin0pic1t = ", "\nin0pic1x = ");
    unknownAndRefused.replace("\nin3ton2p = ", "\nin3ton2p = 99");
    // The parser's every refusal is tested on its own; here that the tool names file, line and
    // reason for each fault, refuses before any exchange, and reads an empty file as one.
    sim->clearReceived();
    const std::pair<QByteArray, QStringList> files[] = {
        {unknownAndRefused, {":3: unknown key \"in0pic1x\"", ":75: in3ton2p = 99"}},
        {QByteArray(), {":1: empty file"}},
    };
    for (const auto& [bytes, expected] : files) {
        writeFile("bad", bytes);
        for (const char* command : {"write", "diff"}) {
            const CliRun run = cli({command, port, path("bad")});
            EXPECT_EQ(run.status, 2);
            for (const QString& e : expected)
                EXPECT_TRUE(run.err.contains(path("bad") + e)) << run.err.toStdString();
        }
    }

    for (const QStringList& args :
         {QStringList{}, QStringList{"read"}, QStringList{"erase", port},
          QStringList{"read", port, "--nearest"}, QStringList{"write", port, path("missing")},
          // COM1 ... COM9 only: the others would open a port other than the one meant.
          QStringList{"read", "COM01"}, QStringList{"read", "COM001"}, QStringList{"read", "COM10"},
          QStringList{"read", "COM97"}, QStringList{"diff", "com1", path("good")}}) {
        const CliRun run = cli(args);
        EXPECT_EQ(run.status, 2) << args.join(u' ').toStdString();
        if (args.size() >= 2 && args[1].startsWith(QStringLiteral("COM0"))) {
            EXPECT_TRUE(run.err.contains("the port names are COM1 ... COM9"))
                << run.err.toStdString();
        }
    }
    // Outputs that cannot be made, or that two ports would share, are refused before the
    // first exchange.
    std::vector<std::pair<QStringList, QString>> outputs = {
        {{"read", port, "-o", path("missing/dir/x.blx52")},
         "the folder " + path("missing/dir") + " does not exist"},
        {{"read", port, "--with-pictures", "-o", path("missing/{port}.blx52")},
         "the folder " + path("missing") + " does not exist"},
        {{"read", port + ",COM6", "-o", path("same.blx52")},
         "a read of several ports needs -o with {port} in the file name"},
    };
#ifndef _WIN32
    // Folders named after ports (Windows keeps COM1 ... COM9 as device names, never folders).
    ASSERT_TRUE(QDir().mkpath(path("COM6")) && QDir().mkpath(dir.filePath(port)));
    outputs.push_back({{"read", port + ",COM6", "-o", path("{port}/../same.blx52")},
                       port + " and COM6 would both write " + path("COM6/../same.blx52")});
    // Two links to one file that is not there yet.
    for (const QString& p : {port, QStringLiteral("COM6")})
        ASSERT_TRUE(QFile::link(path("shared.blx52"), dir.filePath(p + "-link")));
    outputs.push_back({{"read", port + ",COM6", "-o", path("{port}-link")},
                       port + " and COM6 would both write " + path("COM6-link")});
#endif
    for (const auto& [args, expected] : outputs) {
        const CliRun run = cli(args);
        EXPECT_EQ(run.status, 2) << args.join(u' ').toStdString();
        EXPECT_TRUE(run.err.contains(expected)) << run.err.toStdString();
    }
    // A cut image was sent with the rest of its rows from memory; even --nearest takes none.
    for (const test::ImageFile& file : test::cutImageFiles()) {
        writeFile(file.name, file.cut());
        const CliRun run = cli({"picture", port, "In0_Pic1", path(file.name), "--nearest"});
        EXPECT_EQ(run.status, 2) << file.name;
        EXPECT_TRUE(run.err.contains("not an image this program can read"))
            << run.err.toStdString();
    }
    EXPECT_TRUE(sim->receivedLines().empty());
    EXPECT_FALSE(sim->picture("in0pic1"));

    const CliRun version = cli({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_TRUE(version.out.startsWith("blx52-cli "));
    EXPECT_TRUE(cli({"--help"}).out.contains("exit status"));
}

TEST_F(CliTest, SilentDeviceAndMissingPortEndWithStatusOneAndNoProfile) {
    devsim::Options silent;
    silent.silent = true;
    sim->setOptions(silent);
    const CliRun quiet = cli({"read", port, "-o", path("out")});
    EXPECT_EQ(quiet.status, 1);
    EXPECT_TRUE(quiet.err.contains("code 8: the device did not answer")) << quiet.err.toStdString();
    EXPECT_FALSE(QFile::exists(path("out")));

    // A port name that leads nowhere: on Linux a port-folder link to nothing, under Wine a COM
    // port that Wine does not map.
    const QString gonePort = QStringLiteral("COM9");
    if (!sim->inOtherProcess())
        std::filesystem::create_symlink("/nonexistent/blx52-port",
                                        (path("config") + "/blx52/ports/COM9").toStdString());
    const CliRun gone = cli({"read", gonePort, "-o", path("out")});
    EXPECT_EQ(gone.status, 1);
    // Wine maps COM9 to a serial device of its own, which fails later than at the open.
    // The link's German text is quoted as its own; the rest is the tool's account and advice.
    if (!sim->inOtherProcess()) {
        for (const QString& text :
             {QStringLiteral("COM9 could not be opened; nothing was sent"),
              QString::fromUtf8("code 1, the device link's text: \"Com Port konnte nicht "
                                "geöffnet werden\": the port could not be opened"),
              QStringLiteral("see `blx52-cli ports`")})
            EXPECT_TRUE(gone.err.contains(text)) << text.toStdString() << "\n"
                                                 << gone.err.toStdString();
        EXPECT_FALSE(gone.err.contains("line sent")) << gone.err.toStdString();
    }
    EXPECT_FALSE(QFile::exists(path("out")));
    // A previous profile of the same name is left as it was.
    writeFile("out", "earlier profile");
    EXPECT_EQ(cli({"read", gonePort, "-o", path("out")}).status, 1);
    EXPECT_EQ(readFile("out"), "earlier profile");

    // Beside a port that works, the one that never opened is said to have got nothing.
    if (sim->inOtherProcess())
        return;
    sim->setOptions({});
    ASSERT_EQ(cli({"read", port, "-o", path("a.blx52")}).status, 0);
    sim->clearReceived();
    const CliRun write = cli({"write", port + ",COM9", path("a.blx52")});
    EXPECT_EQ(write.status, 1);
    EXPECT_EQ(sim->receivedLines().size(), 89u + 89u);
    EXPECT_TRUE(write.err.contains("COM9:   COM9 could not be opened; nothing was sent"))
        << write.err.toStdString();
    EXPECT_TRUE(write.err.contains(QString::fromUtf8("Es wurden keine Einstellungen")));
    for (const char* wrong : {"line sent", "wurde gesendet", "kann ihn"})
        EXPECT_FALSE(write.err.contains(wrong)) << wrong << "\n" << write.err.toStdString();
}

// The port folder and the reason a port cannot be opened are the POSIX side's.
TEST_F(CliTest, PortsNamesWhereEachPortLeadsAndWhetherItOpens) {
    if (sim->inOtherProcess())
        GTEST_SKIP() << "the port folder and its reasons are the POSIX side's";
#ifndef _WIN32
    // What an exchange's open of each entry would meet; nothing here may wait (the FIFO).
    const QString folder = path("config") + "/blx52/ports/";
    ASSERT_TRUE(QDir().mkpath(path("folder")));
    writeFile("file", "x");
    ASSERT_EQ(::mkfifo(QFile::encodeName(path("fifo")).constData(), 0600), 0);
    const std::pair<const char*, QString> entries[] = {
        {"COM1", path("folder")},
        {"COM2", path("file")},
        {"COM3", path("fifo")},
        {"COM4", QStringLiteral("/dev/null")},
        {"COM7", QStringLiteral("/nonexistent/blx52-port")},
        {"COM8", path("loop")},
        {"COM9", path("\x1b[2Jscreen")},
    };
    for (const auto& [name, target] : entries)
        ASSERT_TRUE(QFile::link(target, folder + name)) << name;
    ASSERT_TRUE(QFile::link(path("loop"), path("loop")));
    const CliRun ports = cli({"ports"}, {}, 20000);
    EXPECT_EQ(ports.status, 0);
    for (const QString& line :
         {"COM1 -> " + path("folder") + ": cannot be opened: not a serial port - a folder",
          "COM2 -> " + path("file") + ": cannot be opened: not a serial port - a regular file",
          "COM3 -> " + path("fifo") + ": cannot be opened: not a serial port - a FIFO",
          QStringLiteral("COM4 -> /dev/null: cannot be opened: not a serial port - a device "
                         "that is no terminal"),
          QStringLiteral("COM7 -> /nonexistent/blx52-port: cannot be opened: missing"),
          "COM8 -> " + path("loop") +
              ": cannot be opened: missing - a link that leads nowhere (a loop)",
          "COM9 -> " + path("\\x1b[2Jscreen") + ": cannot be opened: missing",
          "COM5 -> " + QString::fromStdString(sim->devicePath()) + ": can be opened"})
        EXPECT_TRUE(ports.out.contains(line)) << line.toStdString() << "\n"
                                              << ports.out.toStdString();
    EXPECT_FALSE(ports.out.contains(QChar(0x1b)));  // a target cannot clear the screen

    // Held by another program, as the exchange would find it.
    const int holder = ::open(sim->devicePath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(holder, 0);
    ASSERT_EQ(::flock(holder, LOCK_EX | LOCK_NB), 0);
    const CliRun busy = cli({"ports"});
    ::close(holder);
    EXPECT_TRUE(busy.out.contains(": cannot be opened: busy")) << busy.out.toStdString();
    EXPECT_TRUE(sim->receivedLines().empty());
#endif
}

// COM3 assigned to the device's own port (the pseudo-terminal; under Wine a high COM port that
// leads to the simulator), used, found, and unassigned again.
TEST_F(CliTest, PortsAssignFindAndUnassign) {
    QString device = QString::fromStdString(sim->devicePath());
    if (sim->inOtherProcess())
        device = qEnvironmentVariable("BLX52_SIM_HIGH_PORT");
    if (device.isEmpty())
        GTEST_SKIP() << "no high COM port leads to the simulator (BLX52_SIM_HIGH_PORT)";
#ifndef _WIN32
    // What is no serial port, and a link to the device, which is stored as the device itself.
    writeFile("file", "x");
    writeFile("\x1b[2Jfile", "x");
    ASSERT_EQ(::mkfifo(QFile::encodeName(path("fifo")).constData(), 0600), 0);
    ASSERT_TRUE(QFile::link(device, path("to-device")));
#endif
    const struct {
        QStringList args;
        int status;
        QString out;  // what the standard output holds
        QString err = {};
    } steps[] = {
#ifndef _WIN32
        {{"ports", "--assign", "COM3", path("file")},
         1,
         "",
         path("file") + " is not a serial port: a regular file\n--force assigns it"},
        {{"ports", "--assign", "COM3", path("fifo")}, 1, "", "is not a serial port: a FIFO"},
        {{"ports", "--assign", "COM3", "/proc/self/fd/0"}, 1, "", "is not a serial port"},
        {{"ports", "--assign", "--force", "COM3", path("\x1b[2Jfile")},
         0,
         "COM3 -> " + path("\\x1b[2Jfile")},
        {{"ports"}, 0, "COM3 -> " + path("\\x1b[2Jfile") + ": cannot be opened: not a serial port"},
        {{"ports", "--assign", "COM3", path("to-device")}, 0, "COM3 -> " + device},
#endif
        {{"ports", "--assign", "COM3", device}, 0, "COM3 -> " + device},
        {{"ports"}, 0, "COM3 -> " + device + ": can be opened"},
        {{"read", "COM3", "-o", path("through-com3.blx52")}, 0, ""},
        {{"ports", "--find"}, 0, ": BLX52, firmware 4.1, reached as "},
        {{"ports", "--unassign", "COM3"}, 0, "COM3 has no entry now"},
        {{"ports"}, 0, "COM3 (no entry, opens "},
        {{"ports", "--unassign", "COM3"}, 0, "COM3 has no entry now"},
        {{"ports", "--assign", "COM10", device}, 2, ""},
        {{"ports", "--assign", "COM3"}, 2, ""},
        {{"ports", "--unassign"}, 2, ""},
        {{"ports", "--find", "COM3"}, 2, ""},
        {{"ports", "--list"}, 2, ""},
#ifndef _WIN32
        {{"ports", "--assign", "COM3", "/nonexistent/blx52-adapter"}, 1, ""},
        {{"ports", "--assign", "COM3", path("config")}, 1, ""},
#endif
    };
    for (const auto& step : steps) {
        const bool search = step.args == QStringList{"ports", "--find"};
        if (search)
            sim->clearReceived();
        const CliRun run = cli(step.args);
        // The search asks the device once (under Wine twice: through COM1 and the high port,
        // which Wine lists as two ports)
        // and sends nothing else.
        if (search) {
            const std::vector<std::string> asked = sim->receivedLines();
            EXPECT_EQ(asked.size(), sim->inOtherProcess() ? 2u : 1u);
            for (const std::string& line : asked)
                EXPECT_EQ(line, "getdatafw");
        }
        EXPECT_EQ(run.status, step.status) << step.args.join(' ').toStdString() << "\n"
                                           << run.out.toStdString() << run.err.toStdString();
        EXPECT_TRUE(run.out.contains(step.out)) << step.args.join(' ').toStdString() << ":\n"
                                                << run.out.toStdString();
        EXPECT_TRUE(run.err.contains(step.err)) << run.err.toStdString();
        EXPECT_FALSE(run.out.contains(QChar(0x1b)) || run.err.contains(QChar(0x1b)));
    }
#ifndef _WIN32
    // Only a firmware version is a BLX52; what another device answers is shown, escaped.
    ASSERT_EQ(cli({"ports", "--assign", "COM3", device}).status, 0);
    for (const char* reply : {"OK", "\x1b[2J", "getdatafw"}) {
        devsim::Options other;
        other.replyOverrides["getdatafw"] = reply;
        sim->setOptions(other);
        const CliRun find = cli({"ports", "--find"});
        EXPECT_EQ(find.status, 1) << reply;
        EXPECT_TRUE(find.out.contains(": no BLX52 (it answered \"" +
                                      QString(QLatin1String(reply)).replace(QChar(0x1b), "\\x1b") +
                                      "\")"))
            << find.out.toStdString();
        EXPECT_TRUE(find.out.contains("No device answered."));
        EXPECT_FALSE(find.out.contains(QChar(0x1b)));
    }
#endif
    EXPECT_FALSE(readFile("through-com3.blx52").isEmpty());
}

TEST_F(CliTest, PictureOffThePaletteNeedsNearestAndSaveKeepsTheSlotFiles) {
    Picture expected;
    QImage image(32, 32, QImage::Format_RGB32);
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) {
            const LedColor c = static_cast<LedColor>((x + y) % 8);
            image.setPixel(x, y, ledRgb(c));
            expected.setPixel(x, y, c);
        }
    }
    image.setPixel(5, 7, qRgb(250, 10, 20));  // nearly red
    expected.setPixel(5, 7, LedColor::Red);
    ASSERT_TRUE(image.save(path("pic.png")));

    const CliRun refused = cli({"picture", port, "In1_Pic2", path("pic.png")});
    EXPECT_EQ(refused.status, 2);
    EXPECT_TRUE(
        refused.err.contains(QStringLiteral("1 pixels are not one of the eight colours "
                                            "(first at x 5, y 7: #fa0a14)")))
        << refused.err.toStdString();
    EXPECT_TRUE(sim->receivedLines().empty());

    // The tool keeps pictures under the home it is given; on Windows in the fixed folder, whose
    // two files of the slot are put back as they were.
#ifdef _WIN32
    const QString folder = SettingsFolder();
#else
    const QString folder = path("BLX52_Settings") + QStringLiteral("/");
#endif
#ifndef _WIN32
    // Without the picture folder --save sends nothing at all.
    const CliRun noFolder = cli({"picture", port, "112", path("pic.png"), "--nearest", "--save"});
    EXPECT_EQ(noFolder.status, 2);
    EXPECT_TRUE(noFolder.err.contains("the picture folder")) << noFolder.err.toStdString();
    EXPECT_TRUE(sim->receivedLines().empty());
#endif
    const KeepFiles keep(folder, {"Pic2_In1.ledframe", "In1_Pic2.bmp"});
    ASSERT_TRUE(QDir().mkpath(folder));
    const CliRun sent = cli({"picture", port, "112", path("pic.png"), "--nearest", "--save"});
    ASSERT_EQ(sent.status, 0) << sent.err.toStdString();
    EXPECT_TRUE(sent.err.contains("1 pixels changed"));
    const auto planes = PlaneData(expected);
    EXPECT_EQ(sim->picture("in1pic2"), std::vector<std::uint8_t>(planes.begin(), planes.end()));
    const auto grid = makeCodeGrid(expected);
    EXPECT_EQ(readFile(folder + "Pic2_In1.ledframe"),
              QByteArray(reinterpret_cast<const char*>(grid.codes.data()), 1024));
    EXPECT_EQ(QImage(folder + "In1_Pic2.bmp").pixel(5, 7), ledRgb(LedColor::Red));

    image = image.scaled(33, 32);
    ASSERT_TRUE(image.save(path("big.png")));
    EXPECT_EQ(cli({"picture", port, "In1_Pic2", path("big.png")}).status, 2);
    EXPECT_EQ(cli({"picture", port, "In9_Pic0", path("pic.png")}).status, 2);
}

TEST_F(CliTest, InitPicturesSetsUpThePictureFolderOnceAndKeepsTheUsersFiles) {
#ifdef BLX52_NO_BUILT_START_PICTURES
    GTEST_SKIP() << "a cross build cannot run its own tools to make the start pictures";
#endif
    const CliRun first = cli({"init-pictures"});
    ASSERT_EQ(first.status, 0) << first.err.toStdString();
    EXPECT_EQ(QDir(path("BLX52_Settings")).entryList(QDir::Files).size(), 25);
    EXPECT_FALSE(QImage(path("BLX52_Settings/In0_Pic0.bmp")).isNull());

    writeFile("BLX52_Settings/In0_Pic0.bmp", "mine");
    const CliRun again = cli({"init-pictures"});
    ASSERT_EQ(again.status, 0) << again.err.toStdString();
    EXPECT_TRUE(again.out.contains("25 files already there were kept"));
    EXPECT_EQ(readFile("BLX52_Settings/In0_Pic0.bmp"), QByteArray("mine"));

    // A folder that cannot be made is an unusable file (2), not a device failure (1).
    ASSERT_TRUE(QDir(path("BLX52_Settings")).removeRecursively());
    writeFile("BLX52_Settings", "a file where the folder belongs");
    EXPECT_EQ(cli({"init-pictures"}).status, 2);
#ifndef _WIN32
    // Without a home there is no picture folder: none is made at the root.
    const bool atRoot = QFileInfo::exists("/BLX52_Settings");
    for (const bool unset : {false, true}) {
        const CliRun homeless = cli({"init-pictures"}, [unset](QProcess& p) {
            QProcessEnvironment env = p.processEnvironment();
            if (unset)
                env.remove("HOME");
            else
                env.insert("HOME", QString());
            p.setProcessEnvironment(env);
        });
        EXPECT_EQ(homeless.status, 2);
        EXPECT_TRUE(homeless.err.contains("HOME")) << homeless.err.toStdString();
    }
    EXPECT_EQ(QFileInfo::exists("/BLX52_Settings"), atRoot);
#endif
}

#ifndef _WIN32
// A file name is bytes on POSIX: one that is no valid UTF-8 is used as it is. (Windows hands
// the command line over as UTF-16 text, which Qt keeps whole.)
TEST_F(CliTest, FileNamesThatAreNoTextAreUsedAsTheyAre) {
    const QByteArray name = QFile::encodeName(dir.path()) + "/caf\xe9.blx52";  // Latin-1
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_CONFIG_HOME", path("config"));
    env.insert("BLX52_DIR", dir.path());
    p.setProcessEnvironment(env);
    // The shell makes the name's raw bytes; QProcess would pass text.
    const QString script = QStringLiteral(
                               "n=\"$BLX52_DIR/caf$(printf '\\351').blx52\" && \"$0\" read %1 "
                               "-o \"$n\" && \"$0\" diff %1 \"$n\"")
                               .arg(port);
    p.start("/bin/sh", {"-c", script, cliProgram()});
    ASSERT_TRUE(p.waitForFinished(90000));
    EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    struct stat info {};
    EXPECT_EQ(::stat(name.constData(), &info), 0);
    EXPECT_TRUE(S_ISREG(info.st_mode));
    ::unlink(name.constData());  // a name QTemporaryDir could not remove
}
#endif

// A write that stops part-way names what is confirmed and the entry that went out unconfirmed,
// which the device may hold.
TEST_F(CliTest, AWriteStoppedPartWayTellsWhatReachedTheDevice) {
    ASSERT_EQ(cli({"read", port, "-o", path("a.blx52")}).status, 0);
    const std::pair<const char*, const char*> cases[] = {
        {"setin0pic2t",
         "Nur 2 von 89 Einstellungen wurden best\u00e4tigt \u00fcbertragen. Eintrag "
         "3 (Input 0, picture 2 duration) wurde gesendet, aber nicht best\u00e4tigt"},
        {"setin0pic0t",
         "Keine Einstellung wurde best\u00e4tigt. Eintrag 1 (Input 0, picture 0 "
         "duration) wurde gesendet, aber nicht best\u00e4tigt"},
    };
    for (const auto& [key, expected] : cases) {
        devsim::Options refusing;
        refusing.replyOverrides[key] = "NO";
        sim->setOptions(refusing);
        const CliRun write = cli({"write", port, path("a.blx52")});
        EXPECT_EQ(write.status, 1);
        EXPECT_TRUE(write.err.contains(QString::fromUtf8(expected))) << write.err.toStdString();
    }
}

// One reading of a choice: a device's "02" is the file's 2, for read, diff and the verify.
TEST_F(CliTest, ChoiceRepliesWithLeadingZerosAreTheirNumbers) {
    devsim::Options zeros;
    zeros.replyOverrides = {{"getin0tonv", "02"},
                            {"getin1ton2p", "006"},
                            {"getsbypic", "0001"},
                            {"get_brightness", "04"}};
    sim->setOptions(zeros);
    const CliRun read = cli({"read", port, "-o", path("a.blx52")});
    ASSERT_EQ(read.status, 0) << read.err.toStdString();
    const QByteArray profile = readFile("a.blx52");
    for (const char* line :
         {"\nin0tonv = 2  #", "\nin1ton2p = 6  #", "\nsbypic = 1  #", "\n_brightness = 4  #"})
        EXPECT_TRUE(profile.contains(line)) << line;
    const CliRun diff = cli({"diff", port, path("a.blx52")});
    EXPECT_EQ(diff.status, 0) << diff.out.toStdString() << diff.err.toStdString();
}

TEST_F(CliTest, TerminalControlsInAFileAreShownEscapedAndCut) {
    QByteArray bad = "# blx52-profile 1\nin0pic0t = \x1b[2J" + QByteArray(200000, '7') + "\n";
    writeFile("bad", bad);
    const CliRun run = cli({"write", port, path("bad")});
    EXPECT_EQ(run.status, 2);
    EXPECT_FALSE(run.err.contains(QChar(0x1b)));
    EXPECT_TRUE(run.err.contains("in0pic0t = \\x1b[2J777")) << run.err.left(400).toStdString();
    EXPECT_LT(run.err.size(), 12000);  // 89 short lines, no 200 KB echo
    writeFile("bad", QByteArray("# blx52-profile 1\r").repeated(300));
    const CliRun cr = cli({"diff", port, path("bad")});
    EXPECT_EQ(cr.status, 2);
    EXPECT_TRUE(cr.err.contains(":1: the lines end with CR alone")) << cr.err.toStdString();
    EXPECT_LT(cr.err.size(), 400);
    EXPECT_TRUE(sim->receivedLines().empty());
}

// A save to something that is no regular file, or an input that is none, is refused before
// the first exchange; nothing waits. Folders and links run everywhere; FIFOs, the device's
// terminal and device nodes are POSIX (Windows has no FIFO or mknod, and under Wine the
// terminal is the simulator's, out of reach).
TEST_F(CliTest, OnlyRegularFilesAreReadOrReplacedAndNothingWaits) {
    ASSERT_EQ(cli({"read", port, "-o", path("good")}).status, 0);
    ASSERT_TRUE(QDir().mkpath(path("folder")));
    struct Target {
        QString path;
        const char* kind;
    };
    std::vector<Target> targets{{path("folder"), "folder"}};
#ifndef _WIN32
    ASSERT_EQ(::mkfifo(QFile::encodeName(path("fifo")).constData(), 0600), 0);
    ASSERT_TRUE(QFile::link(path("fifo"), path("link-to-fifo")));
    targets.push_back({path("fifo"), "FIFO"});
    targets.push_back({path("link-to-fifo"), "link to a FIFO"});
    targets.push_back({QString::fromStdString(sim->devicePath()), "terminal"});
    // Root may make a device node like /dev/null; as a save target it stays what it is.
    if (::mknod(QFile::encodeName(path("null")).constData(), S_IFCHR | 0600, makedev(1, 3)) == 0)
        targets.push_back({path("null"), "device"});
#endif
    const QImage image(32, 32, QImage::Format_RGB32);
    sim->clearReceived();
    for (const Target& t : targets) {
        SCOPED_TRACE(t.kind);
        const QStringList runs[] = {
            {"read", port, "-o", t.path},
            {"--log", t.path, "read", port},
            {"write", port, t.path},
            {"diff", port, t.path},
            {"picture", port, "In0_Pic0", t.path},
        };
        for (const QStringList& args : runs) {
            const CliRun run = cli(args, {}, 20000);
            EXPECT_EQ(run.status, 2) << args.join(u' ').toStdString();
            EXPECT_TRUE(run.err.contains("not a regular file")) << run.err.toStdString();
        }
        EXPECT_FALSE(QFileInfo(t.path).isFile());
    }
    EXPECT_TRUE(QFileInfo(path("folder")).isDir());
    EXPECT_TRUE(sim->receivedLines().empty());
#ifndef _WIN32
    EXPECT_TRUE(QFileInfo(path("link-to-fifo")).isSymLink());
    // A link to a profile is followed and stays a link.
    ASSERT_TRUE(QFile::link(path("good"), path("link")));
    sim->setValue("in0pic0t", "0777");
    ASSERT_EQ(cli({"read", port, "-o", path("link")}).status, 0);
    EXPECT_TRUE(QFileInfo(path("link")).isSymLink());
    EXPECT_TRUE(readFile("good").contains("\nin0pic0t = 0777  #"));
#endif
}

#ifndef _WIN32
// Each save on a full disk (a file size limit in the tool's process; Windows has none) leaves
// the old file whole and exits 2; so do a closed and a full standard output, before any
// exchange where it can tell.
TEST_F(CliTest, AFailedOutputIsAFailureAndKeepsTheOldFile) {
    ASSERT_EQ(cli({"read", port, "-o", path("a.blx52")}).status, 0);
    const QByteArray old = readFile("a.blx52");
    sim->setValue("in0pic0t", "0777");
    const auto limited = [](rlim_t bytes) {
        return [bytes](QProcess& p) {
            p.setChildProcessModifier([bytes] {
                ::signal(SIGXFSZ, SIG_IGN);
                rlimit limit{};
                ::getrlimit(RLIMIT_FSIZE, &limit);
                limit.rlim_cur = bytes;
                ::setrlimit(RLIMIT_FSIZE, &limit);
            });
        };
    };
    const CliRun full = cli({"read", port, "-o", path("a.blx52")}, limited(1000));
    EXPECT_EQ(full.status, 2);
    EXPECT_TRUE(full.err.contains("the disk is full")) << full.err.toStdString();
    EXPECT_EQ(readFile("a.blx52"), old);

    const CliRun log = cli({"--log", path("x.log"), "read", port}, limited(1000));
    EXPECT_EQ(log.status, 2);
    EXPECT_TRUE(log.err.contains(path("x.log") + ": writing the log failed after "))
        << log.err.toStdString();
    EXPECT_EQ(log.outBytes.size(), old.size());  // the profile itself went out

    const CliRun toFull = cli(
        {"read", port}, [](QProcess& p) { p.setStandardOutputFile(QStringLiteral("/dev/full")); });
    EXPECT_EQ(toFull.status, 2);
    EXPECT_TRUE(toFull.err.contains("standard output: writing the profile failed"))
        << toFull.err.toStdString();

    sim->clearReceived();
    const CliRun closed =
        cli({"read", port}, [](QProcess& p) { p.setChildProcessModifier([] { ::close(1); }); });
    EXPECT_EQ(closed.status, 2);
    EXPECT_TRUE(closed.err.contains("standard output: cannot write the profile there"))
        << closed.err.toStdString();
    EXPECT_TRUE(sim->receivedLines().empty());
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
              (QStringList{"a.blx52", "x.log"}));  // no temporary file left
}

#endif

// The picture folder the tool uses under the home it is given (on Windows the fixed folder), set
// up with a picture of its own for every slot; every file is put back at the end.
class PictureFolder {
  public:
    PictureFolder(const QString& home)
#ifdef _WIN32
        : folder_(SettingsFolder()),
#else
        : folder_(home + QStringLiteral("/BLX52_Settings/")),
#endif
          keep_(folder_, allNames()) {
        (void)home;
        QDir().mkpath(folder_);
        for (const PictureSlot& slot : pictureSlots())
            saveBitmap(picture(slot.code), folder_ + QString::fromStdString(slot.bitmapFile));
    }
    static Picture picture(int slotCode) {
        Picture p;
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x)
                p.setPixel(x, y, static_cast<LedColor>((x * 3 + y + slotCode) % 8));
        return p;
    }
    static std::vector<std::uint8_t> planes(const Picture& picture) {
        const auto data = PlaneData(picture);
        return {data.begin(), data.end()};
    }
    const QString& folder() const {
        return folder_;
    }

  private:
    static QStringList allNames() {
        QStringList names;
        for (const PictureSlot& slot : pictureSlots())
            names << QString::fromStdString(slot.bitmapFile)
                  << QString::fromStdString(slot.devicePictureFile);
        return names;
    }
    QString folder_;
    KeepFiles keep_;
};

std::string pictureKey(const PictureSlot& slot) {
    return slot.command.substr(3, slot.command.size() - 5);  // "setin0pic0d_" -> "in0pic0"
}

#ifndef _WIN32
// A signal during a write or a picture send (to one port or several) ends it after the exchange
// in flight, with the same account of what the device holds as a device failure, and the
// process ends by that signal. (Windows has no such signals to send to a process under Wine.)
TEST_F(CliTest, ASignalEndsAWriteOrAPictureSendAfterTheExchangeInFlight) {
    ASSERT_EQ(cli({"read", port, "-o", path("a.blx52")}).status, 0);
    const PictureFolder pictures(dir.path());
    std::vector<std::unique_ptr<test::SimulatedDevice>> others;
    for (const char* name : {"COM6", "COM7"}) {
        std::string why;
        others.push_back(test::startSimulatedDevice(name, &why));
        ASSERT_TRUE(others.back()) << why;
    }
    const struct {
        QStringList args;
        std::size_t devices;  // the first this many of COM5, COM6, COM7
        std::size_t total;    // lines a whole run sends each device
    } commands[] = {
        {{"write", port, path("a.blx52")}, 1, 89 + 89},
        {{"send-pictures", port}, 1, 50},
        {{"send-pictures", "COM5-COM7"}, 3, 50},
    };
    devsim::Options slow;
    slow.delayMs = 40;  // a write takes about 4 s, 25 pictures 2 s
    for (const auto& command : commands) {
        for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
            SCOPED_TRACE(command.args.join(u' ').toStdString() + ", signal " +
                         std::to_string(signal));
            std::vector<test::SimulatedDevice*> devices{sim.get()};
            for (std::size_t i = 1; i < command.devices; ++i)
                devices.push_back(others[i - 1].get());
            for (auto* d : devices) {
                d->setOptions(slow);
                d->clearReceived();
            }
            QProcess p;
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert("XDG_CONFIG_HOME", path("config"));
            env.insert("HOME", dir.path());
            p.setProcessEnvironment(env);
            p.start(cliProgram(), command.args);
            ASSERT_TRUE(p.waitForStarted());
            for (int i = 0; i < 400 && sim->receivedLines().size() < 20; ++i)
                QThread::msleep(10);
            std::vector<std::size_t> atSignal;
            for (auto* d : devices)
                atSignal.push_back(d->receivedLines().size());
            ::kill(static_cast<pid_t>(p.processId()), signal);
            ASSERT_TRUE(p.waitForFinished(20000));
            EXPECT_EQ(p.exitStatus(), QProcess::CrashExit);
            EXPECT_EQ(p.exitCode(), signal);
            const QString err = QString::fromLocal8Bit(p.readAllStandardError());
            for (std::size_t d = 0; d < devices.size(); ++d) {
                const auto lines = devices[d]->receivedLines();
                // At most the exchange in flight went on after the signal.
                EXPECT_GE(lines.size(), atSignal[d]);
                EXPECT_LE(lines.size(), atSignal[d] + 1) << "device " << d;
                EXPECT_LT(lines.size(), command.total);
                if (command.args[0] == QStringLiteral("write")) {
                    EXPECT_TRUE(
                        err.contains(QString::fromUtf8("Nur %1 von 89 Einstellungen wurden "
                                                       "\u00fcbertragen. Das Modul enth\u00e4lt "
                                                       "jetzt teils alte, teils neue Werte.")
                                         .arg(lines.size())))
                        << err.toStdString();
                    EXPECT_TRUE(err.contains(QStringLiteral("stopped by signal %1").arg(signal)));
                    continue;
                }
                // The slots whose picture command the device confirmed, and no other.
                const auto pictureLines = static_cast<std::size_t>(
                    std::count_if(lines.begin(), lines.end(),
                                  [](const std::string& l) { return l != "getdatafw"; }));
                const QString prefix =
                    command.devices > 1 ? QStringLiteral("COM%1: ").arg(5 + d) : QString();
                EXPECT_TRUE(err.contains(prefix + QStringLiteral("picture send stopped by "
                                                                 "signal %1 after %2 of 25 "
                                                                 "pictures; nothing more was "
                                                                 "sent")
                                                      .arg(signal)
                                                      .arg(pictureLines)))
                    << err.toStdString();
                std::vector<int> codes;
                for (std::size_t i = 0; i < pictureLines; ++i)
                    codes.push_back(pictureSlots()[i].code);
                EXPECT_TRUE(
                    err.contains(prefix + "  reached the device: " + slotNames(codes) + "\n"))
                    << err.toStdString();
                EXPECT_FALSE(err.contains("Sent 25 pictures"));
            }
        }
    }
}
#endif

TEST_F(CliTest, SendPicturesSendsEverySlotInOrderAndStopsAtTheFirstFailure) {
    const PictureFolder pictures(dir.path());
    // In2_Pic1 holds three pixels that are none of the eight colours: sent as black, as the
    // editor sends them, and counted for that slot alone.
    Picture off = PictureFolder::picture(121);
    Picture offSent = off;
    for (const QPoint at : {QPoint(0, 0), QPoint(31, 16), QPoint(8, 1)}) {
        off.setPixel(at.x(), at.y(), qRgb(0, 255, 255));
        offSent.setPixel(at.x(), at.y(), LedColor::Black);
    }
    ASSERT_FALSE(saveBitmap(off, pictures.folder() + QStringLiteral("In2_Pic1.bmp")));
    const CliRun sent = cli({"send-pictures", port});
    ASSERT_EQ(sent.status, 0) << sent.err.toStdString();
    EXPECT_TRUE(
        sent.err.contains(QStringLiteral("In2_Pic1: 3 pixels are none of the eight "
                                         "colours; the device shows them black\n")))
        << sent.err.toStdString();
    EXPECT_EQ(sent.err.count(QStringLiteral("none of the eight")), 1);
    const auto lines = sim->receivedLines();
    ASSERT_EQ(lines.size(), 50u);
    EXPECT_EQ(lines[0], "getdatafw");
    EXPECT_EQ(lines[48], "getdatafw");
    // Each of the three pixels has its bit clear in all three planes: (0, 0) is group 0,
    // (31, 16) group 1, (8, 1) group 2.
    const auto onDevice = sim->picture("in2pic1");
    ASSERT_TRUE(onDevice.has_value());
    const struct { int group, byte, bit; } bits[] = {{0, 0, 0x80}, {1, 3, 0x01}, {2, 1, 0x80}};
    for (const auto& b : bits)
        for (int plane = 0; plane < 3; ++plane)
            EXPECT_EQ(
                (*onDevice)[static_cast<std::size_t>(16 * b.group + 4 * plane + b.byte)] & b.bit, 0)
                << b.group << " " << plane;
    // Three slots' bytes on the device and in their device picture files.
    for (const int code : {100, 121, 152}) {
        const PictureSlot& slot = *findSlot(code);
        const Picture expected = code == 121 ? offSent : PictureFolder::picture(code);
        EXPECT_EQ(sim->picture(pictureKey(slot)), PictureFolder::planes(expected));
        const auto grid = makeCodeGrid(expected);
        EXPECT_EQ(readFile(pictures.folder() + QString::fromStdString(slot.devicePictureFile)),
                  QByteArray(reinterpret_cast<const char*>(grid.codes.data()), 1024));
    }

    // The fifth slot is refused: the four before it are on the device, nothing after it went.
    sim->clearReceived();
    devsim::Options refuses;
    refuses.replyOverrides["setin1pic0d_"] = "ERR";
    sim->setOptions(refuses);
    // The folder named without its closing separator.
    const CliRun stopped = cli({"send-pictures", port, pictures.folder().chopped(1)});
    EXPECT_EQ(stopped.status, 1);
    EXPECT_EQ(sim->receivedLines().size(), 10u);
    EXPECT_TRUE(stopped.err.contains("In1_Pic0: the device answered \"ERR\" instead of \"OK\""))
        << stopped.err.toStdString();
    EXPECT_TRUE(
        stopped.err.contains("reached the device: In0_Pic0, In0_Pic1, In0_Pic2, In0_Pic3\n"));

    // A folder without the pictures sends nothing.
    sim->clearReceived();
    EXPECT_EQ(cli({"send-pictures", port, path("config")}).status, 2);
    EXPECT_TRUE(sim->receivedLines().empty());
}

TEST_F(CliTest, BundleRoundTripCarriesSettingsAndPicturesToAFreshDevice) {
    const PictureFolder pictures(dir.path());
    // A pixel none of the eight colours goes into the bundle as black, and is told.
    Picture off = PictureFolder::picture(152);
    off.setPixel(4, 9, qRgb(254, 0, 0));
    Picture offBundled = off;
    offBundled.setPixel(4, 9, LedColor::Black);
    ASSERT_FALSE(saveBitmap(off, pictures.folder() + QStringLiteral("Sby_Pic2.bmp")));
    sim->setValue("in2pic1t", "0321");
    sim->setValue("_brightness", "2");
    const CliRun read = cli({"read", port, "-o", path("b.blx52"), "--with-pictures"});
    ASSERT_EQ(read.status, 0) << read.err.toStdString();
    EXPECT_TRUE(read.err.contains(QStringLiteral(
        "StandBy_Pic2: 1 pixel is none of the eight colours; the device shows it black")))
        << read.err.toStdString();
    const QByteArray bundle = readFile("b.blx52");
    EXPECT_TRUE(bundle.startsWith("# blx52-profile 2\n"));
    EXPECT_EQ(bundle.count("[picture "), 25);
    const auto first = deviceValues();

    sim.reset();
    std::string why;
    sim = test::startSimulatedDevice("COM5", &why);
    ASSERT_TRUE(sim) << why;
    ASSERT_NE(deviceValues(), first);
    const CliRun write = cli({"write", port, path("b.blx52")});
    ASSERT_EQ(write.status, 0) << write.err.toStdString();
    EXPECT_EQ(deviceValues(), first);
    // The settings, their verify, then the pictures.
    const auto lines = sim->receivedLines();
    ASSERT_EQ(lines.size(), 89u + 89u + 50u);
    EXPECT_EQ(lines[178], "getdatafw");
    for (const PictureSlot& slot : pictureSlots())
        EXPECT_EQ(sim->picture(pictureKey(slot)),
                  PictureFolder::planes(slot.code == 152 ? offBundled
                                                         : PictureFolder::picture(slot.code)))
            << slot.comboEntry;

    // A range of one port is that port. The device gives no pictures back: a diff says that
    // the bundle's were not compared.
    const CliRun diff = cli({"diff", port + "-" + port, path("b.blx52")});
    EXPECT_EQ(diff.status, 0) << diff.err.toStdString();
    EXPECT_TRUE(
        diff.err.contains("No differences.\nThe file's 25 pictures were not compared: "
                          "the device gives no pictures back."))
        << diff.err.toStdString();
}

TEST_F(CliTest, BadBundlesSendNothing) {
    const PictureFolder pictures(dir.path());
    ASSERT_EQ(cli({"read", port, "-o", path("b.blx52"), "--with-pictures"}).status, 0);
    const QByteArray good = readFile("b.blx52");
    const qsizetype firstRow = good.indexOf("[picture In0_Pic0]\n") + 19;
    const QByteArray header = "[picture In0_Pic1]\n";
    const qsizetype second = good.indexOf(header);
    QByteArray digit = good;
    digit[firstRow + 4] = '9';
    QByteArray shortRow = good;
    shortRow.remove(firstRow, 1);
    QByteArray doubled = good;
    doubled.replace(header, "[picture In0_Pic0]\n");
    QByteArray unknown = good;
    unknown.replace(header, "[picture In0_Pic4]\n");
    const std::pair<QByteArray, QString> cases[] = {
        {digit, ":92: picture In0_Pic0, row 1: \"9\" is no colour code"},
        {shortRow, ":92: picture In0_Pic0, row 1: 31 codes"},
        {doubled, QStringLiteral(":%1: picture In0_Pic0 given twice")
                      .arg(good.left(second).count('\n') + 1)},
        {unknown, "unknown picture slot \"In0_Pic4\""},
        {good.left(good.size() - 33), "has 31 rows"},
    };
    sim->clearReceived();
    for (const auto& [bytes, expected] : cases) {
        writeFile("bad", bytes);
        const CliRun run = cli({"write", port, path("bad")});
        EXPECT_EQ(run.status, 2);
        EXPECT_TRUE(run.err.contains(expected)) << run.err.toStdString();
    }
    EXPECT_TRUE(sim->receivedLines().empty());
}

TEST_F(CliTest, PreviewPrintsTheTimelineOfADeviceOrAProfileAndWritesItsExports) {
    const std::pair<const char*, const char*> values[] = {
        {"in2pic0t", "2000"}, {"in2pic1t", "0"},   {"in2pic2t", "2000"}, {"in2pic3t", "1000"},
        {"in2ton0t", "100"},  {"in2ton1t", "100"}, {"in2ton2t", "0"},    {"in2ton3t", "0"},
        {"in2ton0p", "15"},   {"in2ton1p", "13"},  {"in2tonr", "2"},     {"in2tonv", "3"},
        {"sbypic", "2"},      {"restonap", "16"},  {"restonbp", "13"}};
    for (const auto& [key, value] : values)
        sim->setValue(key, value);
    ASSERT_EQ(cli({"read", port, "-o", path("p.blx52")}).status, 0);
    ASSERT_TRUE(QDir(dir.path()).mkpath("folder"));
    struct Case {
        QStringList args;
        int status;
        QStringList present;
        QStringList absent;
    };
    const QStringList in2 = {"0\t2000\tpicture\tIn2_Pic0\n", "2000\t4000\tpicture\tIn2_Pic2\n",
                             "0\t100\ttone\tC8\t4186.01\t3\t1\n",
                             "300\t400\ttone\tA7\t3520.00\t3\t2\n"};
    const Case cases[] = {
        {{"preview", port, "--situation", "in2"}, 0, in2, {"In2_Pic1", "\t3\t3\n", "In1_Pic0"}},
        {{"preview", path("p.blx52"), "--situation", "in2"}, 0, in2, {"In2_Pic1"}},
        {{"preview", path("p.blx52")},
         0,
         {"\n0\t-\tpicture\tStandBy_Pic2\n", "\ttone\tA7\t3520.00\t3\t1\n",
          "\ttone\tPause\t-\t3\t1\n", "Input 0 goes first"},
         {}},
        {{"preview", port, "--situation", "in5"}, 2, {}, {"picture"}},
        {{"preview", port, "--wav", path("a.wav")}, 2, {}, {"picture"}},
        {{"preview", path("missing.blx52")}, 2, {}, {"picture"}},
        {{"preview", path("p.blx52"), "--situation", "in2", "--wav", path("folder")}, 2, in2, {}},
    };
    for (const Case& c : cases) {
        sim->clearReceived();
        const CliRun run = cli(c.args);
        const std::string what = c.args.join(u' ').toStdString() + "\n" + run.err.toStdString();
        EXPECT_EQ(run.status, c.status) << what;
        for (const QString& text : c.present)
            EXPECT_TRUE(run.out.contains(text)) << what << " lacks " << text.toStdString();
        for (const QString& text : c.absent)
            EXPECT_FALSE(run.out.contains(text)) << what << " holds " << text.toStdString();
        // A device is read as diff reads it, and nothing is written to it.
        const bool fromPort = c.args[1] == port && c.status == 0;
        EXPECT_EQ(sim->receivedLines().size(), fromPort ? readSequence().size() : 0u) << what;
    }

    const CliRun exports =
        cli({"preview", path("p.blx52"), "--situation", "in2", "--wav", path("s.wav"), "--gif",
             path("c.gif"), "--pictures", path("folder")});
    ASSERT_EQ(exports.status, 0) << exports.err.toStdString();
    // Two passes of 100 + 100 ms: 400 ms of 16-bit samples at 44.1 kHz.
    EXPECT_EQ(readFile("s.wav").size(), 44 + 2 * 17640);
    EXPECT_TRUE(readFile("c.gif").startsWith("GIF89a"));
}

// Several ports in one command need several simulators; under Wine only one runs beside it.
class CliPortsTest : public CliTest {
  protected:
    void SetUp() override {
        CliTest::SetUp();
        if (sim->inOtherProcess())
            GTEST_SKIP() << "several ports need several simulators; under Wine one runs beside it";
        for (const char* name : {"COM6", "COM7"}) {
            std::string why;
            others.push_back(test::startSimulatedDevice(name, &why));
            ASSERT_TRUE(others.back()) << why;
        }
    }
    std::vector<std::unique_ptr<test::SimulatedDevice>> others;
};

TEST_F(CliPortsTest, ReadsEachPortIntoItsOwnFileAndAFaultyDeviceFailsOnlyItself) {
    test::SimulatedDevice* devices[] = {sim.get(), others[0].get(), others[1].get()};
    for (int i = 0; i < 3; ++i)
        devices[i]->setValue("in3pic2t", std::to_string(1001 + i));
    const CliRun read =
        cli({"--log", path("x.log"), "read", "COM5-COM7", "-o", path("signal-{port}.blx52")});
    ASSERT_EQ(read.status, 0) << read.err.toStdString();
    for (int i = 0; i < 3; ++i) {
        const QString name = QStringLiteral("signal-COM%1.blx52").arg(5 + i);
        EXPECT_TRUE(
            readFile(name).contains(QStringLiteral("\nin3pic2t = %1  #").arg(1001 + i).toUtf8()))
            << name.toStdString();
        EXPECT_EQ(devices[i]->receivedLines().size(), 89u);
    }
    const QByteArray log = readFile("x.log");
    EXPECT_EQ(log.count('\n'), 3 * (89 + 1));  // each port's exchanges and its outcome
    for (const char* p :
         {" COM5 read sent \"getin3pic2t\" reply \"1001\"",
          " COM6 read sent \"getin3pic2t\" reply \"1002\"",
          " COM7 read sent \"getin3pic2t\" reply \"1003\"", " COM6 read: Read 89 of 89 settings"})
        EXPECT_TRUE(log.contains(p)) << p;

    // The same profile to all three; the middle one refuses one setting.
    for (auto* d : devices)
        d->clearReceived();
    devsim::Options refuses;
    refuses.replyOverrides["setin1pic2t"] = "ERR";
    others[0]->setOptions(refuses);
    const CliRun write = cli({"write", "COM5,COM6,COM7", path("signal-COM5.blx52"), "--no-verify"});
    EXPECT_EQ(write.status, 1);
    SettingsStore store = parseProfile(readFile("signal-COM5.blx52")).store;
    StoreSyncView view(store);
    std::vector<std::string> expected;
    ASSERT_TRUE(composeWrite(view, expected).isEmpty());
    EXPECT_EQ(sim->receivedLines(), expected);
    EXPECT_EQ(others[1]->receivedLines(), expected);
    const auto faulty = others[0]->receivedLines();
    ASSERT_LT(faulty.size(), expected.size());
    EXPECT_EQ(faulty,
              std::vector<std::string>(
                  expected.begin(), expected.begin() + static_cast<std::ptrdiff_t>(faulty.size())));
    EXPECT_TRUE(faulty.back().starts_with("setin1pic2t"));
    const QStringList table = write.err.split(u'\n').filter(QRegularExpression("^COM[5-7] +\\S"));
    ASSERT_EQ(table.size(), 3 + 3) << write.err.toStdString();  // end lines, then the table
    EXPECT_TRUE(table[3].startsWith("COM5  done"));
    EXPECT_TRUE(table[4].startsWith("COM6  failed: ") &&
                table[4].contains("Input 1, picture 2 duration"))
        << table[4].toStdString();
    EXPECT_TRUE(table[5].startsWith("COM7  done"));
}

TEST_F(CliPortsTest, SendsThePicturesToEveryPort) {
    const PictureFolder pictures(dir.path());
    const CliRun sent = cli({"send-pictures", "COM5-COM7"});
    ASSERT_EQ(sent.status, 0) << sent.err.toStdString();
    for (auto* d : {sim.get(), others[0].get(), others[1].get()}) {
        EXPECT_EQ(d->receivedLines().size(), 50u);
        EXPECT_EQ(d->picture(pictureKey(*findSlot(145))),
                  PictureFolder::planes(PictureFolder::picture(145)));
    }
    for (const char* bad : {"COM5,COM5", "COM7-COM5", "COM5,"})
        EXPECT_EQ(cli({"send-pictures", bad}).status, 2) << bad;
    EXPECT_EQ(cli({"read", "COM5,COM6", "-o", path("one.blx52")}).status, 2);
    EXPECT_TRUE(sim->receivedLines().size() == 50u);
}

}  // namespace
}  // namespace blx52
