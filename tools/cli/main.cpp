// blx52-cli: the configurator's read, write and picture send for technicians, without a window.
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QStringList>
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

#include "batch.h"
#include "blx52_version.h"
#include "link/device_link.h"
#include "link/port_names.h"
#include "picture/color_match.h"
#include "picture/picture.h"
#include "picture/picture_batch.h"
#include "picture/picture_files.h"
#include "picture/picture_import.h"
#include "picture/picture_send.h"
#include "picture/plane_data.h"
#include "picture/regular_file.h"
#include "picture/slot_table.h"
#include "picture/start_pictures.h"
#include "platform/parent_console.h"
#include "platform/regular_file.h"
#include "platform/stop_signals.h"
#include "port_list.h"
#include "preview.h"
#include "sync/device_sync.h"
#include "sync/exchange_log.h"
#include "sync/profile.h"
#include "sync/sequences.h"
#include "sync/settings_store.h"
#include "sync/shown_text.h"

namespace blx52::cli {
namespace {

enum Status { Success = 0, DeviceFailed = 1, BadUsage = 2, Differences = 3 };

// The status bar panels the device link writes its message and its "Fehler n" into.
constexpr int LinkMessagePanel = 3;
constexpr int LinkNumberPanel = 4;

// A word of the command line: its bytes as the system gave them (a file name that is no valid
// text in the system's encoding still opens) and its text for messages and comparisons.
struct Word {
    QString text;
    std::string native;  // UTF-8 on Windows
};

// A file name in a message: control characters escaped, whole.
QString shown(const Word& file) {
    return shownText(file.text, 1000);
}

QString faultText(const FileFault& fault) {
    return QString::fromLocal8Bit(describeFileFault(fault).c_str());
}

// Larger files are no 32 x 32 picture of any format this tool reads.
constexpr std::int64_t MaxImageFileSize = 16 << 20;

const char* const UsageText =
    "usage: blx52-cli [--log FILE] COMMAND ...\n"
    "  read COMn [-o FILE] [--with-pictures]\n"
    "                             read all settings into a profile (standard output by default);\n"
    "                             with the picture folder's 25 pictures it is a bundle\n"
    "  write COMn FILE [--no-verify]\n"
    "                             write a profile, then read back and compare; a bundle's\n"
    "                             pictures are sent after that\n"
    "  diff COMn FILE             list the settings where the device differs from the profile\n"
    "  picture COMn SLOT IMAGE [--nearest] [--save]\n"
    "                             send a 32 x 32 picture of the eight colours to a slot\n"
    "                             (SLOT: In0_Pic0 ... StandBy_Pic2, or its code 100 ... 152)\n"
    "  send-pictures COMn [FOLDER]\n"
    "                             send the 25 pictures of the picture folder (or FOLDER);\n"
    "                             a pixel that is none of the eight colours is sent black, as\n"
    "                             the editor sends it, and counted per slot\n"
    "  ports                      list serial ports and the COMn names\n"
    "  ports --assign COMn PORT [--force]\n"
    "                             make COMn (1 to 9) open PORT: a device, a by-id path or,\n"
    "                             on Windows, a COM name such as COM14; what is no serial\n"
    "                             port (a file, a FIFO) only with --force\n"
    "  ports --unassign COMn      COMn means its own port again\n"
    "  ports --find               ask every free port for the device (\"getdatafw\" only)\n"
    "  init-pictures              create the picture folder with the 25 start pictures;\n"
    "                             files that are there already are kept\n"
    "options:\n"
    "  --log FILE    append every exchange (time, port, operation, line sent, reply, link code,\n"
    "                the link's status texts) and each operation's outcome to FILE\n"
    "  --nearest     map other colours to the nearest of the eight and say how many changed\n"
    "  --save        also store the picture as the slot's bitmap and device picture file\n"
    "  --no-verify   skip the read-back after a write\n"
    "  --help, --version\n"
    "COMn is COM1 ... COM9 or a device path. read, write, diff, picture and send-pictures\n"
    "take several ports, each run at the same time: COM3,COM5,COM7 or COM3-COM9; a read of\n"
    "several ports names its files with {port}: -o 'signal-{port}.blx52' ({port} is the\n"
    "port's name, of a device path its last part); no two ports may share one file.\n"
    "exit status: 0 success, 1 device or port failed, 2 bad usage, bad file or an output\n"
    "             that could not be written, 3 the device differs from the file (write\n"
    "             verify, diff); of several ports the worst (2, 1, 3, 0); ended by SIGINT,\n"
    "             SIGTERM or SIGHUP after the exchange in flight: that signal's status\n";

// Every message to the terminal: control characters in it (from a file, a device or an
// argument) are shown, not obeyed.
void err(const QString& text) {
    QStringList lines = text.split(u'\n');
    for (QString& line : lines)
        line = shownText(line, line.size());
    const QString shownLines = lines.join(u'\n');
    if (batchMessage(shownLines))
        return;
    std::fputs(shownLines.toLocal8Bit().constData(), stderr);
    std::fputc('\n', stderr);
}

bool stderrIsTerminal() {
#ifdef _WIN32
    return _isatty(_fileno(stderr)) != 0;
#else
    return isatty(fileno(stderr)) != 0;
#endif
}

// What a link code means, and what to do about it.
QString explainCode(std::int32_t code) {
    switch (code) {
        case link_code::OpenFailed:
            return QStringLiteral(
                "the port could not be opened: it is missing, in use, or you "
                "may not open it; see `blx52-cli ports`");
        case link_code::ReadSettingsFailed:
        case link_code::ApplySettingsFailed:
        case link_code::ApplyTimeoutsFailed:
            return QStringLiteral(
                "the port refused its line settings; is it a serial port? See `blx52-cli ports`");
        case link_code::WriteFailed:
        case link_code::CountMismatch:
            return QStringLiteral(
                "the command could not be sent completely; check the cable and see "
                "`blx52-cli ports`");
        case link_code::ReadFailed:
            return QStringLiteral("reading the reply from the port failed; see `blx52-cli ports`");
        case link_code::NoAnswer:
            return QStringLiteral(
                "the device did not answer: is it connected, powered and on "
                "this port? `blx52-cli ports --find` asks every port");
        case link_code::BrokenReply:
            return QStringLiteral(
                "the reply was cut off or too long: line noise, or another "
                "device on this port");
    }
    return QStringLiteral("unknown link code");
}

// A German text of the device link or of the window, quoted as it stands and marked as such.
QString quoted(const char* whose, const QString& text) {
    return QStringLiteral("%1: \"%2\"").arg(QLatin1String(whose), text);
}

class Session {
  public:
    explicit Session(const std::string& port) {
        link_.PortName = port;
        log_.attach(link_);
    }

    // Appends every row of the log to the file, in the text the window's log saves; the file
    // is opened as every file the user names is (regular files only, never blocking).
    FileFault openLog(const Word& path) {
        if (path.native.empty())
            return {};
        logPath_ = path;
        if (const FileFault fault = logFile_.open(path.native))
            return fault;
        log_.setRowHook([this](const LogRow& row) {
            if (logFault_ || !logFile_.isOpen())
                return;
            const QByteArray line = (logLine(row) + u'\n').toUtf8();
            logFault_ = logFile_.append(
                std::string_view(line.constData(), static_cast<std::size_t>(line.size())));
            if (logFault_)
                logFile_.close();  // the rest would only be a log with holes
            else
                ++loggedRows_;
        });
        return {};
    }
    // A log whose writes failed is told, once, with how far it got.
    bool logComplete() {
        if (!logFault_)
            return true;
        err(QStringLiteral("%1: writing the log failed after %2 lines: %3")
                .arg(shown(logPath_))
                .arg(loggedRows_)
                .arg(faultText(logFault_)));
        return false;
    }
    DeviceLink& link() { return link_; }
    ExchangeLog& log() { return log_; }

    // The read of every setting into `store`; false (after saying why) when any step failed.
    bool read(SettingsStore& store, const char* what) {
        StoreSyncView view(store);
        DeviceSync sync(link_, view);
        sync.setStopRequest([] { return caughtStopSignal() != 0; });
        sync.setLog(&log_);
        view.setProgressHook(progress(what, static_cast<int>(readSequence().size())));
        sync.readTriggerChanged(QStringLiteral("5"));
        const bool complete = sync.lastRead().successes == static_cast<int>(readSequence().size());
        if (complete && view.messages().isEmpty())
            return true;
        batchOutcome(QStringLiteral("failed: ") + sync.lastOutcomeText());
        reportFailure(what, sync.lastOutcomeText(), view.messages());
        return false;
    }

    // The write of every value of `store`; false (after saying why) when any step failed.
    bool write(SettingsStore& store) {
        StoreSyncView view(store);
        DeviceSync sync(link_, view);
        sync.setStopRequest([] { return caughtStopSignal() != 0; });
        sync.setLog(&log_);
        view.setProgressHook(progress("write", static_cast<int>(writeSequence().size())));
        sync.writeTriggerChanged(QStringLiteral("2"));
        const bool complete =
            sync.lastWrite().successes == static_cast<int>(writeSequence().size());
        if (complete && view.messages().isEmpty())
            return true;
        batchOutcome(QStringLiteral("failed: ") + sync.lastOutcomeText());
        reportFailure("write", sync.lastOutcomeText(), view.messages());
        return false;
    }

    // What went wrong, in the tool's words: the outcome, the line (or that the port never
    // opened, so it was not sent), every failed step of the link with the link's own German
    // text quoted and what to do, and the messages the window would have shown, quoted too.
    void reportFailure(const char* what, const QString& outcome, const QStringList& messages) {
        err(outcome.isEmpty() ? QStringLiteral("%1 failed.").arg(QLatin1String(what))
                              : QStringLiteral("%1 failed: %2").arg(QLatin1String(what), outcome));
        if (const auto& f = log_.firstFailure()) {
            const QString openFailed = QStringLiteral("Fehler %1").arg(link_code::OpenFailed);
            bool neverOpened = false;
            for (const auto& [panel, text] : f->statusTexts)
                neverOpened = neverOpened || (panel == LinkNumberPanel &&
                                              QString::fromStdString(text).trimmed() == openFailed);
            if (neverOpened) {
                err(exchangesBeforeFirstFailure() == 0
                        ? QStringLiteral("  %1 could not be opened; nothing was sent")
                              .arg(shownText(QString::fromStdString(link_.PortName), 1000))
                        : QStringLiteral("  %1 could not be opened for the line \"%2\"; that line "
                                         "was not sent")
                              .arg(shownText(QString::fromStdString(link_.PortName), 1000),
                                   printableLine(f->sent)));
            } else {
                err(QStringLiteral("  line sent: \"%1\"").arg(printableLine(f->sent)));
            }
            bool named = false;
            QString message;
            for (const auto& [panel, text] : f->statusTexts) {
                const QString t = QString::fromStdString(text).trimmed();
                if (panel == LinkMessagePanel) {
                    message = t;
                } else if (panel == LinkNumberPanel && t.startsWith(QStringLiteral("Fehler "))) {
                    const int code = t.mid(7).toInt();
                    // After a failed open the later steps only fail for want of a port.
                    if (neverOpened && code != link_code::OpenFailed)
                        break;
                    err(QStringLiteral("  code %1, %2: %3")
                            .arg(code)
                            .arg(quoted("the device link's text", message), explainCode(code)));
                    named = named || code == f->code;
                }
            }
            if (!named && !neverOpened)
                err(QStringLiteral("  code %1: %2").arg(f->code).arg(explainCode(f->code)));
        }
        for (const QString& m : messages)
            err(QStringLiteral("  ") +
                quoted("the window's message", QString(m).replace(u'\n', u' ').simplified()));
        if (const int signal = caughtStopSignal())
            err(QStringLiteral("  stopped by signal %1; nothing more was sent").arg(signal));
    }

    // How many exchanges went through before the first one that failed.
    int exchangesBeforeFirstFailure() const {
        int count = 0;
        for (std::size_t i = 0; i < log_.size(); ++i) {
            const LogRow& row = log_.row(i);
            if (row.kind != LogRow::Kind::Exchange)
                continue;
            if (row.failed())
                break;
            ++count;
        }
        return count;
    }

    std::function<void(int)> progress(const char* what, int total) {
        if (inBatch())
            return [what, total](int done) {
                if (done > 0)
                    batchProgress(what, done, total);
            };
        if (!stderrIsTerminal())
            return {};
        return [what, total](int done) {
            if (done == 0) {
                std::fprintf(stderr, "\r%-60s\r", "");
            } else {
                const int width = 40;
                const int filled = done * width / total;
                std::fprintf(stderr, "\r%-6s [%s%s] %d/%d", what,
                             std::string(static_cast<std::size_t>(filled), '#').c_str(),
                             std::string(static_cast<std::size_t>(width - filled), ' ').c_str(),
                             done, total);
            }
            std::fflush(stderr);
        };
    }

  private:
    DeviceLink link_;
    ExchangeLog log_;
    Word logPath_;
    AppendFile logFile_;
    FileFault logFault_;
    int loggedRows_ = 0;
};

std::optional<ParsedProfile> loadProfile(const Word& path) {
    FileFault fault;
    const std::optional<std::string> bytes =
        readRegularFileBytes(path.native, MaxProfileSize, &fault);
    if (!bytes) {
        err(QStringLiteral("%1: cannot read: %2; nothing was sent")
                .arg(shown(path),
                     fault.kind == FileFault::TooLarge
                         ? QStringLiteral("larger than %1 bytes, no profile").arg(MaxProfileSize)
                         : faultText(fault)));
        return std::nullopt;
    }
    ParsedProfile parsed =
        parseProfile(QByteArray(bytes->data(), static_cast<qsizetype>(bytes->size())));
    if (!parsed.ok()) {
        err(QStringLiteral("%1: not a usable profile; nothing was sent:").arg(shown(path)));
        for (const ProfileError& e : parsed.errors)
            err(QStringLiteral("  %1:%2: %3").arg(shown(path)).arg(e.line).arg(e.reason));
        if (parsed.moreErrors > 0)
            err(QStringLiteral("  ... and %1 more errors").arg(parsed.moreErrors));
        return std::nullopt;
    }
    return parsed;
}

// "key (name): file X, device Y" for every setting that differs; the count.
int listDifferences(const SettingsStore& file, const SettingsStore& device, bool toStdout) {
    int count = 0;
    const auto& settings = allSettings();
    for (int i = 0; i < SettingsStore::count(); ++i) {
        const Setting& s = settings[static_cast<std::size_t>(i)];
        // Choices compare as numbers: a device's "02" is the file's 2.
        if (storedValue(s, file.value(i)) == storedValue(s, device.value(i)))
            continue;
        ++count;
        const QString line = QStringLiteral("%1 (%2): file %3, device %4")
                                 .arg(profileKey(s), settingName(s), shownText(file.value(i)),
                                      shownText(device.value(i)));
        if (toStdout && !inBatch()) {
            std::printf("%s\n", line.toUtf8().constData());
        } else {
            err(line);
        }
    }
    return count;
}

namespace fs = std::filesystem;

fs::path pathOf(const Word& file) {
#ifdef _WIN32
    return fs::path(file.text.toStdU16String());
#else
    return fs::path(file.native);
#endif
}

QString textOf(const fs::path& path) {
#ifdef _WIN32
    return QString::fromStdWString(path.native());
#else
    return QFile::decodeName(QByteArray::fromStdString(path.native()));
#endif
}

// Where a save to `file` lands: the end of its chain of links, which may lead into a folder
// that is not there.
fs::path landingPath(const Word& file) {
    fs::path path = pathOf(file);
    std::error_code ec;
    for (int hops = 0; hops < 40 && fs::is_symlink(fs::symlink_status(path, ec)); ++hops) {
        const fs::path next = fs::read_symlink(path, ec);
        if (ec)
            break;
        path = next.is_absolute() ? next : path.parent_path() / next;
    }
    return path;
}

// Two ports' files are one when they land on the same file, whatever names lead there.
QString landingKey(const Word& file) {
    std::error_code ec;
    fs::path path = fs::absolute(landingPath(file), ec);
    const fs::path canonical = fs::weakly_canonical(path, ec);
    if (!ec)
        path = canonical;
    const QString key = textOf(path.lexically_normal());
#ifdef _WIN32
    return key.toCaseFolded();
#else
    return key;
#endif
}

// Where the profile of a read goes cannot take it: said before the device is asked anything.
bool outputUsable(const Word& output) {
    if (!output.native.empty()) {
        // The read would take 89 exchanges only to find it cannot make the file (said the same
        // on every system, before the target's own check names it otherwise).
        fs::path folder = landingPath(output).parent_path();
        if (folder.empty())
            folder = fs::path(".");
        std::error_code ec;
        if (fs::status(folder, ec).type() == fs::file_type::not_found) {
            err(QStringLiteral("%1: cannot write the profile there: the folder %2 does not "
                               "exist; nothing was read")
                    .arg(shown(output), shownText(textOf(folder), 1000)));
            return false;
        }
    }
    const FileFault fault =
        output.native.empty() ? checkStandardOutput() : checkSaveTarget(output.native);
    if (!fault)
        return true;
    err(QStringLiteral("%1: cannot write the profile there: %2; nothing was read")
            .arg(output.native.empty() ? QStringLiteral("standard output") : shown(output),
                 faultText(fault)));
    return false;
}

// A bundle's pictures go after its settings; the device picture files are written as the
// editor's send writes them.
int sendPictureList(Session& session, const std::vector<SlotPicture>& pictures) {
    const auto progress = session.progress("pictures", static_cast<int>(pictures.size()));
    session.log().beginOperation(QStringLiteral("send pictures"));
    const PicturesSendResult sent = sendPictures(session.link(), pictures, SettingsFolder(),
                                                 progress, [] { return caughtStopSignal() != 0; });
    if (progress)
        progress(0);
    session.log().endOperation(picturesSendOutcome(sent, pictures.size()));
    if (sent.stopped) {
        const int signal = caughtStopSignal();
        batchOutcome(QStringLiteral("stopped by signal %1: %2 of %3 pictures sent")
                         .arg(signal)
                         .arg(sent.sent.size())
                         .arg(pictures.size()));
        err(QStringLiteral("picture send stopped by signal %1 after %2 of %3 pictures; nothing "
                           "more was sent")
                .arg(signal)
                .arg(sent.sent.size())
                .arg(pictures.size()));
        err(QStringLiteral("  reached the device: %1").arg(slotNames(sent.sent)));
        return DeviceFailed;
    }
    if (!sent.ok()) {
        const QString slot = QString::fromStdString(sent.failedSlot->comboEntry);
        batchOutcome(QStringLiteral("failed at picture %1: %2").arg(slot, sent.reason));
        session.reportFailure("picture send", {}, {});
        err(QStringLiteral("  %1: %2").arg(slot, sent.reason));
        err(QStringLiteral("  reached the device: %1").arg(slotNames(sent.sent)));
        return DeviceFailed;
    }
    err(QStringLiteral("Sent %1 pictures.").arg(sent.sent.size()));
    return Success;
}

// The 25 bitmaps of `folder`; nothing when one of them cannot be read (after saying which).
std::optional<std::vector<SlotPicture>> loadAllPictures(const QString& folder, const char* what) {
    QStringList failures;
    std::vector<SlotPicture> pictures = loadSlotPictures(folder, failures);
    if (failures.isEmpty())
        return pictures;
    err(QStringLiteral("%1: %2 of the 25 pictures cannot be read; nothing was sent:")
            .arg(QLatin1String(what))
            .arg(failures.size()));
    for (const QString& f : failures)
        err(QStringLiteral("  ") + QString(f).replace(u'\n', u' ').simplified());
    return std::nullopt;
}

// `pictures`: the picture folder's, for a bundle; null for a profile of the settings alone.
int runRead(Session& session, const Word& output, const std::vector<SlotPicture>* pictures) {
    const bool withPictures = pictures != nullptr;
    std::vector<ProfilePicture> bundled;
    if (withPictures) {
        for (const SlotPicture& p : *pictures)
            bundled.push_back({p.slot->code, makeCodeGrid(p.picture).codes});
    }
    SettingsStore store;
    if (!session.read(store, "read"))
        return DeviceFailed;
    StoreSyncView view(store);
    QByteArray text;
    const QString refusal = composeProfile(view, text, bundled);
    if (!refusal.isEmpty()) {
        batchOutcome(QStringLiteral("failed: the device holds a value a write could not send"));
        err(QStringLiteral("the device holds a value a write could not send back:\n  ") +
            QString(refusal).replace(u'\n', u' ').simplified());
        return DeviceFailed;
    }
    const std::string_view bytes(text.constData(), static_cast<std::size_t>(text.size()));
    if (output.native.empty()) {
        if (const FileFault fault = writeStandardOutput(bytes)) {
            err(QStringLiteral("standard output: writing the profile failed: %1")
                    .arg(faultText(fault)));
            return BadUsage;
        }
        return Success;
    }
    if (const FileFault fault = replaceRegularFile(output.native, bytes)) {
        batchOutcome(QStringLiteral("failed: %1 could not be written").arg(shown(output)));
        err(QStringLiteral("%1: cannot write: %2; nothing was saved, what stands there is "
                           "unchanged")
                .arg(shown(output), faultText(fault)));
        return BadUsage;
    }
    err(withPictures ? QStringLiteral("Read %1 settings and %2 pictures into %3")
                           .arg(SettingsStore::count())
                           .arg(bundled.size())
                           .arg(shown(output))
                     : QStringLiteral("Read %1 settings into %2")
                           .arg(SettingsStore::count())
                           .arg(shown(output)));
    return Success;
}

// A bundle's pictures, after the settings and their verify.
int sendBundlePictures(Session& session, const ParsedProfile& parsed) {
    if (parsed.pictures.empty())
        return Success;
    std::vector<SlotPicture> pictures;
    for (const ProfilePicture& p : parsed.pictures) {
        CodeGrid grid;
        grid.codes = p.codes;
        pictures.push_back({findSlot(p.slotCode), pictureFromCodes(grid)});
    }
    return sendPictureList(session, pictures);
}

int runWrite(Session& session, const ParsedProfile& parsed, bool verify) {
    SettingsStore store = parsed.store;
    if (!session.write(store))
        return DeviceFailed;
    err(QStringLiteral("Wrote %1 settings.").arg(SettingsStore::count()));
    if (!verify)
        return sendBundlePictures(session, parsed);
    SettingsStore device;
    if (!session.read(device, "verify"))
        return DeviceFailed;
    const int differences = listDifferences(parsed.store, device, false);
    if (differences > 0) {
        batchOutcome(QStringLiteral("differs (%1)").arg(differences));
        err(QStringLiteral("verify: %1 settings differ after the write").arg(differences));
        return Differences;
    }
    err(QStringLiteral("Verified: the device holds every value of the file."));
    return sendBundlePictures(session, parsed);
}

int runDiff(Session& session, const ParsedProfile& parsed) {
    SettingsStore device;
    if (!session.read(device, "read"))
        return DeviceFailed;
    const int differences = listDifferences(parsed.store, device, true);
    if (differences > 0) {
        batchOutcome(QStringLiteral("differs (%1)").arg(differences));
        err(QStringLiteral("%1 settings differ").arg(differences));
    } else {
        err(QStringLiteral("No differences."));
    }
    // A bundle's pictures cannot be checked: the device gives no pictures back.
    if (!parsed.pictures.empty())
        err(QStringLiteral("The file's %1 pictures were not compared: the device gives no "
                           "pictures back.")
                .arg(parsed.pictures.size()));
    return differences > 0 ? Differences : Success;
}

const PictureSlot* slotByName(const QString& name) {
    bool number = false;
    const int code = name.toInt(&number);
    if (number)
        return findSlot(code);
    for (const PictureSlot& slot : pictureSlots()) {
        if (name.compare(QString::fromStdString(slot.comboEntry), Qt::CaseInsensitive) == 0)
            return &slot;
    }
    return nullptr;
}

// Where --save puts the slot's two files must take them: checked before the picture is sent.
bool pictureFolderUsable(const PictureSlot& slot) {
    if (const std::optional<QString> problem = settingsFolderProblem()) {
        err(QStringLiteral("--save: ") + *problem + QStringLiteral(" Nothing was sent."));
        return false;
    }
    if (!QFileInfo(SettingsFolder()).isDir()) {
        err(QStringLiteral("--save: the picture folder %1 is missing (blx52-cli init-pictures "
                           "makes it); nothing was sent")
                .arg(QDir::toNativeSeparators(SettingsFolder())));
        return false;
    }
    for (const QString& path : {bitmapFilePath(slot), devicePictureFilePath(slot)}) {
        if (const FileFault fault = checkSaveTarget(path)) {
            err(QStringLiteral("--save: %1: %2; nothing was sent")
                    .arg(shownText(QDir::toNativeSeparators(path), 1000), fileFaultText(fault)));
            return false;
        }
    }
    return true;
}

int runPicture(Session& session, const QString& slotName, const Word& imagePath, bool nearest,
               bool save) {
    const PictureSlot* slot = slotByName(slotName);
    if (slot == nullptr) {
        err(QStringLiteral(
                "unknown picture slot \"%1\" (In0_Pic0 ... StandBy_Pic2, or 100 ... 152)")
                .arg(slotName));
        return BadUsage;
    }
    if (save && !pictureFolderUsable(*slot))
        return BadUsage;
    FileFault fault;
    const std::optional<std::string> bytes =
        readRegularFileBytes(imagePath.native, MaxImageFileSize, &fault);
    if (!bytes) {
        err(QStringLiteral("%1: cannot read: %2").arg(shown(imagePath), faultText(fault)));
        return BadUsage;
    }
    QString why;
    const QImage image = decodeImage(
        QByteArray::fromRawData(bytes->data(), static_cast<qsizetype>(bytes->size())), &why);
    if (image.isNull()) {
        err(QStringLiteral("%1: not an image this program can read (%2); nothing was sent")
                .arg(shown(imagePath), shownText(why, 200)));
        return BadUsage;
    }
    if (image.width() != Picture::Width || image.height() != Picture::Height) {
        err(QStringLiteral("%1: %2 x %3 pixels; the device takes 32 x 32")
                .arg(shown(imagePath))
                .arg(image.width())
                .arg(image.height()));
        return BadUsage;
    }
    Picture picture;
    int changed = 0;
    QString firstOff;
    for (int y = 0; y < Picture::Height; ++y) {
        for (int x = 0; x < Picture::Width; ++x) {
            // As the canvas imports it: transparent is black.
            const QRgb rgb = overBlack(image.pixel(x, y)) | 0xff000000u;
            const LedColor color = nearestLedColor(rgb);
            if (ledRgb(color) != rgb) {
                if (++changed == 1)
                    firstOff = QStringLiteral("x %1, y %2: #%3")
                                   .arg(x)
                                   .arg(y)
                                   .arg(rgb & 0xffffff, 6, 16, QLatin1Char('0'));
            }
            picture.setPixel(x, y, color);
        }
    }
    if (changed > 0 && !nearest) {
        err(QStringLiteral("%1: %2 pixels are not one of the eight colours (first at %3); "
                           "--nearest maps them to the nearest one")
                .arg(shown(imagePath))
                .arg(changed)
                .arg(firstOff));
        return BadUsage;
    }
    if (changed > 0)
        err(QStringLiteral("%1 pixels changed to the nearest of the eight colours").arg(changed));

    session.log().beginOperation(QStringLiteral("picture send"));
    const PictureSendResult sent = sendPictureCommands(session.link(), *slot, picture);
    const auto& f = session.log().firstFailure();
    session.log().endOperation(pictureSendOutcome(*slot, session.link().PortName, sent,
                                                  f ? linkFailureText(*f) : QString()));
    if (sent.firmware.code != link_code::Ok || sent.picture.code != link_code::Ok) {
        batchOutcome(
            QStringLiteral("failed: link code %1")
                .arg(sent.firmware.code != link_code::Ok ? sent.firmware.code : sent.picture.code));
        session.reportFailure("picture send", {}, {});
        return DeviceFailed;
    }
    if (sent.picture.reply != "OK") {
        batchOutcome(QStringLiteral("failed: the device did not confirm the picture"));
        err(QStringLiteral("picture send failed: the device answered \"%1\" instead of \"OK\"")
                .arg(printableLine(sent.picture.reply)));
        return DeviceFailed;
    }
    err(QStringLiteral("Sent %1 to %2.")
            .arg(shown(imagePath), QString::fromStdString(slot->comboEntry)));
    if (save) {
        // Both files are written before either replaces its old one.
        QByteArray bitmap;
        FileError failure =
            encodeBitmap(picture, bitmap)
                ? saveFiles(
                      {{bitmapFilePath(*slot), bitmap},
                       {devicePictureFilePath(*slot), devicePictureBytes(makeCodeGrid(picture))}})
                : FileError(QStringLiteral("%1 cannot be encoded").arg(bitmapFilePath(*slot)));
        if (failure) {
            err(QStringLiteral("--save: ") + failure->replace(u'\n', u' ').simplified() +
                QStringLiteral(" (the picture was sent)"));
            return BadUsage;
        }
        err(QStringLiteral("Saved %1 and %2 in %3")
                .arg(QString::fromStdString(slot->bitmapFile),
                     QString::fromStdString(slot->devicePictureFile), SettingsFolder()));
    }
    return Success;
}

int initPictures() {
    if (const std::optional<QString> problem = settingsFolderProblem()) {
        err(*problem);
        return BadUsage;
    }
    const QString folder = SettingsFolder();
    const StartPicturesResult result =
        installStartPictures(startPicturesFolder(QCoreApplication::applicationDirPath()), folder);
    const QString summary = startPicturesSummary(result, folder);
    if (!result.ok()) {
        err(summary);
        return BadUsage;
    }
    std::printf("%s\n", qPrintable(summary));
    return Success;
}

int usageError(const QString& text) {
    err(text);
    err(QStringLiteral("Try blx52-cli --help."));
    return BadUsage;
}

int run(const std::vector<Word>& args) {
    Word logPath;
    Word output;
    bool verify = true;
    bool nearest = false;
    bool save = false;
    bool withPictures = false;
    std::vector<Word> words;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const QString& a = args[i].text;
        if (a == QStringLiteral("--help") || a == QStringLiteral("-h")) {
            std::fputs(UsageText, stdout);
            std::fputs(PreviewUsageText, stdout);
            return Success;
        }
        if (a == QStringLiteral("--version")) {
            std::printf("blx52-cli %s\n", BLX52_VERSION);
            return Success;
        }
        // `ports` has options of its own.
        if (a == QStringLiteral("ports") && words.empty()) {
            QStringList rest;
            for (std::size_t j = i + 1; j < args.size(); ++j)
                rest << args[j].text;
            return runPortsCommand(rest);
        }
        if (a == QStringLiteral("preview") && words.empty()) {
            QStringList rest;
            for (std::size_t j = i + 1; j < args.size(); ++j)
                rest << args[j].text;
            return runPreviewCommand(rest);
        }
        if (a == QStringLiteral("--log") || a == QStringLiteral("-o")) {
            if (i + 1 >= args.size() || args[i + 1].native.empty())
                return usageError(a + QStringLiteral(" needs a file name"));
            (a == QStringLiteral("--log") ? logPath : output) = args[++i];
        } else if (a == QStringLiteral("--no-verify")) {
            verify = false;
        } else if (a == QStringLiteral("--nearest")) {
            nearest = true;
        } else if (a == QStringLiteral("--save")) {
            save = true;
        } else if (a == QStringLiteral("--with-pictures")) {
            withPictures = true;
        } else if (a.startsWith(u'-') && a.size() > 1) {
            return usageError(QStringLiteral("unknown option %1").arg(shownText(a)));
        } else {
            words.push_back(args[i]);
        }
    }
    if (words.empty())
        return usageError(QStringLiteral("no command given"));
    const QString command = words.front().text;
    words.erase(words.begin());
    const auto expect = [&](std::size_t count) { return words.size() == count; };

    if (command == QStringLiteral("init-pictures")) {
        if (!expect(0))
            return usageError(QStringLiteral("init-pictures takes no arguments"));
        return initPictures();
    }
    const bool known = command == QStringLiteral("read") || command == QStringLiteral("write") ||
                       command == QStringLiteral("diff") || command == QStringLiteral("picture") ||
                       command == QStringLiteral("send-pictures");
    if (!known)
        return usageError(QStringLiteral("unknown command \"%1\"").arg(shownText(command)));
    const std::size_t wanted = command == QStringLiteral("read")      ? 1
                               : command == QStringLiteral("picture") ? 3
                                                                      : 2;
    const bool folderGiven = command == QStringLiteral("send-pictures") && expect(2);
    if (!expect(wanted) && !(command == QStringLiteral("send-pictures") && expect(1)))
        return usageError(QStringLiteral("%1: wrong number of arguments").arg(command));
    if (!output.native.empty() && command != QStringLiteral("read"))
        return usageError(QStringLiteral("-o belongs to read"));
    if (!verify && command != QStringLiteral("write"))
        return usageError(QStringLiteral("--no-verify belongs to write"));
    if ((nearest || save) && command != QStringLiteral("picture"))
        return usageError(QStringLiteral("--nearest and --save belong to picture"));
    if (withPictures && command != QStringLiteral("read"))
        return usageError(QStringLiteral("--with-pictures belongs to read"));

    QString why;
    const QStringList ports = parsePortList(words[0].text, &why);
    if (ports.isEmpty())
        return usageError(shownText(why));
    // A port word that is one port keeps the bytes it was given (a device path need not be
    // text); a list or a range ("COM3-COM3") is made of port names.
    const auto portBytes = [&](const QString& port) {
        return ports.size() == 1 && port == words[0].text ? words[0].native : port.toStdString();
    };
    for (const QString& port : ports) {
        const std::string native = portBytes(port);
        if (!isPortName(native))
            return usageError(
                QStringLiteral("\"%1\" is no port name: %2")
                    .arg(shownText(port), QString::fromStdString(acceptedPortNames())));
    }
    if (ports.size() > 1 && command == QStringLiteral("read") &&
        !output.text.contains(QStringLiteral("{port}")))
        return usageError(
            QStringLiteral("a read of several ports needs -o with {port} in the file name"));
    // Each port's file, named from the -o pattern: {port} is the port's name, of a device path
    // its last part. The bytes are replaced in place, so the rest of a name that is no text
    // stays as given.
    const auto outputOf = [&output](const QString& port) {
        const QString name =
            port.mid(std::max(port.lastIndexOf(u'/'), port.lastIndexOf(u'\\')) + 1);
        Word named = output;
        named.text.replace(QStringLiteral("{port}"), name);
#ifdef _WIN32
        const std::string bytes = name.toStdString();
#else
        const std::string bytes = QFile::encodeName(name).toStdString();
#endif
        const std::string pattern = "{port}";
        for (std::size_t at = named.native.find(pattern); at != std::string::npos;
             at = named.native.find(pattern, at + bytes.size()))
            named.native.replace(at, pattern.size(), bytes);
        return named;
    };
    // Every file is checked once, before any port is opened; two ports never share one.
    if (command == QStringLiteral("read")) {
        std::map<QString, QString> landings;  // where a file lands -> its port
        for (const QString& port : ports) {
            const Word file = outputOf(port);
            if (!outputUsable(file))
                return BadUsage;
            if (file.native.empty())
                continue;
            const auto [other, added] = landings.emplace(landingKey(file), port);
            if (!added)
                return usageError(
                    QStringLiteral("%1 and %2 would both write %3; give each port its own file "
                                   "with {port}")
                        .arg(other->second, port, shown(file)));
        }
    }
    std::optional<ParsedProfile> profile;
    if (command == QStringLiteral("write") || command == QStringLiteral("diff")) {
        profile = loadProfile(words[1]);
        if (!profile)
            return BadUsage;
    }
    std::optional<std::vector<SlotPicture>> pictures;
    if (command == QStringLiteral("send-pictures") || withPictures) {
        pictures = loadAllPictures(folderGiven ? words[1].text : SettingsFolder(),
                                   withPictures ? "--with-pictures" : "send-pictures");
        if (!pictures)
            return BadUsage;
        // The one rule of the editor's send: such pixels go to the device, or into the bundle,
        // as black. Said once, before any port.
        for (const QString& note : offLedPixelNotes(*pictures))
            err(note);
    }

    // From here a signal ends the run after the exchange in flight, with a word on what the
    // device holds.
    catchStopSignals();
    const auto job = [&](const QString& port) -> int {
        Session session(portBytes(port));
        if (const FileFault fault = session.openLog(logPath)) {
            err(QStringLiteral("%1: cannot open the log file: %2; nothing was sent")
                    .arg(shown(logPath), faultText(fault)));
            return BadUsage;
        }
        int status = BadUsage;
        if (command == QStringLiteral("read"))
            status = runRead(session, outputOf(port), pictures ? &*pictures : nullptr);
        else if (command == QStringLiteral("write"))
            status = runWrite(session, *profile, verify);
        else if (command == QStringLiteral("diff"))
            status = runDiff(session, *profile);
        else if (command == QStringLiteral("send-pictures"))
            status = sendPictureList(session, *pictures);
        else
            status = runPicture(session, words[1].text, words[2], nearest, save);
        if (!session.logComplete() && status == Success)
            status = BadUsage;
        return status;
    };
    const int status = ports.size() == 1 ? job(ports.front()) : runOnPorts(ports, job);
    if (const int signal = caughtStopSignal())
        endBySignal(signal);
    return status;
}

}  // namespace
}  // namespace blx52::cli

int main(int argc, char** argv) {
    blx52::checkStandardOutput();  // before anything can take a closed descriptor's place
    const blx52::Utf8ConsoleOutput utf8Console;
    QCoreApplication app(argc, argv);
    std::vector<blx52::cli::Word> args;
#ifdef _WIN32
    // Windows hands over the command line as UTF-16; Qt has it whole.
    QStringList all = QCoreApplication::arguments();
    all.removeFirst();
    for (const QString& a : all)
        args.push_back({a, a.toStdString()});
#else
    // File names are bytes; decoding them as text would lose those that are no valid text.
    for (int i = 1; i < argc; ++i)
        args.push_back({QFile::decodeName(argv[i]), argv[i]});
#endif
    return blx52::cli::run(args);
}
