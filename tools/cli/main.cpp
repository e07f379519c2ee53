// blx52-cli: the configurator's read, write and picture send for technicians, without a window.
#include <QCoreApplication>
#include <QFile>
#include <QImage>
#include <QSaveFile>
#include <QStringList>
#include <cstdio>
#include <optional>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#else
#include <unistd.h>
#endif

#include "batch.h"
#include "blx52_version.h"
#include "exchange_recorder.h"
#include "link/device_link.h"
#include "picture/picture.h"
#include "picture/picture_batch.h"
#include "picture/picture_files.h"
#include "picture/picture_send.h"
#include "picture/plane_data.h"
#include "picture/slot_table.h"
#include "picture/start_pictures.h"
#include "port_list.h"
#include "sync/device_sync.h"
#include "sync/profile.h"
#include "sync/sequences.h"
#include "sync/settings_store.h"

namespace blx52::cli {
namespace {

enum Status { Success = 0, DeviceFailed = 1, BadUsage = 2, Differences = 3 };

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
    "                             send the 25 pictures of the picture folder (or FOLDER)\n"
    "  ports                      list serial ports and the COMn names\n"
    "  ports --assign COMn PORT   make COMn (1 to 9) open PORT: a device, a by-id path or,\n"
    "                             on Windows, a COM name such as COM14\n"
    "  ports --unassign COMn      COMn means its own port again\n"
    "  ports --find               ask every free port for the device (\"getdatafw\" only)\n"
    "  init-pictures              create the picture folder with the 25 start pictures;\n"
    "                             files that are there already are kept\n"
    "options:\n"
    "  --log FILE    append every exchange (time, line sent, reply, link code) to FILE\n"
    "  --nearest     map other colours to the nearest of the eight and say how many changed\n"
    "  --save        also store the picture as the slot's bitmap and device picture file\n"
    "  --no-verify   skip the read-back after a write\n"
    "  --help, --version\n"
    "COMn is COM1 ... COM9 or a device path. read, write, diff, picture and send-pictures\n"
    "take several ports, each run at the same time: COM3,COM5,COM7 or COM3-COM9; a read of\n"
    "several ports names its files with {port}: -o 'signal-{port}.blx52'.\n"
    "exit status: 0 success, 1 device or port failed, 2 bad usage or bad file,\n"
    "             3 the device differs from the file (write verify, diff);\n"
    "             of several ports the worst (2, 1, 3, 0)\n";

void err(const QString& text) {
    if (batchMessage(text))
        return;
    std::fputs(text.toLocal8Bit().constData(), stderr);
    std::fputc('\n', stderr);
}

bool stderrIsTerminal() {
#ifdef _WIN32
    return _isatty(_fileno(stderr)) != 0;
#else
    return isatty(fileno(stderr)) != 0;
#endif
}

QString explainCode(std::int32_t code) {
    switch (code) {
        case link_code::OpenFailed:
            return QStringLiteral(
                "the port could not be opened: it is missing, in use, or you "
                "may not open it (see blx52-cli ports)");
        case link_code::ReadSettingsFailed:
        case link_code::ApplySettingsFailed:
        case link_code::ApplyTimeoutsFailed:
            return QStringLiteral("the port refused its line settings; is it a serial port?");
        case link_code::WriteFailed:
        case link_code::CountMismatch:
            return QStringLiteral("the command could not be sent completely");
        case link_code::ReadFailed:
            return QStringLiteral("reading the reply from the port failed");
        case link_code::NoAnswer:
            return QStringLiteral(
                "the device did not answer: is it connected, powered and on "
                "this port?");
        case link_code::BrokenReply:
            return QStringLiteral(
                "the reply was cut off or too long: line noise, or another "
                "device on this port");
    }
    return QStringLiteral("unknown link code");
}

class Session {
  public:
    explicit Session(const QString& port) : link_(&recorder_, recorder_.portFactory()) {
        link_.PortName = port.toStdString();
        recorder_.attach(link_);
    }

    bool openLog(const QString& path) { return path.isEmpty() || recorder_.openLog(path); }
    DeviceLink& link() { return link_; }
    ExchangeRecorder& recorder() { return recorder_; }

    // The read of every setting into `store`; false (after saying why) when any step failed.
    bool read(SettingsStore& store, const char* what) {
        StoreSyncView view(store);
        DeviceSync sync(link_, view);
        view.setProgressHook(progress(what, static_cast<int>(readSequence().size())));
        sync.readTriggerChanged(QStringLiteral("5"));
        recorder_.finish();
        const bool complete = sync.lastRead().successes == static_cast<int>(readSequence().size());
        if (complete && view.messages().isEmpty())
            return true;
        batchOutcome(QStringLiteral("failed: ") + view.messageText());
        reportFailure(what, view.messages());
        return false;
    }

    // The write of every value of `store`; false (after saying why) when any step failed.
    bool write(SettingsStore& store) {
        StoreSyncView view(store);
        DeviceSync sync(link_, view);
        view.setProgressHook(progress("write", static_cast<int>(writeSequence().size())));
        sync.writeTriggerChanged(QStringLiteral("2"));
        recorder_.finish();
        const bool complete =
            sync.lastWrite().successes == static_cast<int>(writeSequence().size());
        if (complete && view.messages().isEmpty())
            return true;
        batchOutcome(QStringLiteral("failed: ") + view.messageText());
        reportFailure("write", view.messages());
        return false;
    }

    // What went wrong: the line, every failed step of the link with its status text and what
    // it means, and the messages the read or write would have shown in a dialog.
    void reportFailure(const char* what, const QStringList& messages) {
        err(QStringLiteral("%1 failed.").arg(QLatin1String(what)));
        if (const auto& f = recorder_.firstFailure()) {
            err(QStringLiteral("  line sent: \"%1\"")
                    .arg(QString::fromStdString(printableLine(f->sent))));
            err(QStringLiteral("  link code %1").arg(f->code));
            bool named = false;
            QString message;
            for (const auto& [panel, text] : f->statusTexts) {
                const QString t = QString::fromStdString(text).trimmed();
                if (panel == 3) {
                    message = t;
                } else if (panel == 4 && t.startsWith(QStringLiteral("Fehler "))) {
                    const int code = t.mid(7).toInt();
                    err(QStringLiteral("  code %1: %2: %3")
                            .arg(code)
                            .arg(message, explainCode(code)));
                    named = named || code == f->code;
                }
            }
            if (!named)
                err(QStringLiteral("  code %1: %2").arg(f->code).arg(explainCode(f->code)));
        }
        for (const QString& m : messages)
            err(QStringLiteral("  ") + QString(m).replace(u'\n', u' ').simplified());
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
    ExchangeRecorder recorder_;
    DeviceLink link_;
};

std::optional<ParsedProfile> loadProfile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        err(QStringLiteral("%1: cannot read: %2").arg(path, file.errorString()));
        return std::nullopt;
    }
    ParsedProfile parsed = parseProfile(file.read(MaxProfileSize + 1));
    if (!parsed.ok()) {
        err(QStringLiteral("%1: not a usable profile; nothing was sent:").arg(path));
        for (const ProfileError& e : parsed.errors)
            err(QStringLiteral("  %1:%2: %3").arg(path).arg(e.line).arg(e.reason));
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
        if (file.value(i) == device.value(i))
            continue;
        ++count;
        const Setting& s = settings[static_cast<std::size_t>(i)];
        const QString line =
            QStringLiteral("%1 (%2): file %3, device %4")
                .arg(profileKey(s), settingName(s), file.value(i), device.value(i));
        if (toStdout && !inBatch()) {
            std::printf("%s\n", line.toUtf8().constData());
        } else {
            err(line);
        }
    }
    return count;
}

// A bundle's pictures go after its settings; the device picture files are written as the
// editor's send writes them.
int sendPictureList(Session& session, const std::vector<SlotPicture>& pictures) {
    const auto progress = session.progress("pictures", static_cast<int>(pictures.size()));
    const PicturesSendResult sent =
        sendPictures(session.link(), pictures, SettingsFolder(), progress);
    if (progress)
        progress(0);
    session.recorder().finish();
    if (!sent.ok()) {
        const QString slot = QString::fromStdString(sent.failedSlot->comboEntry);
        batchOutcome(QStringLiteral("failed at picture %1: %2").arg(slot, sent.reason));
        session.reportFailure("picture send", {});
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
int runRead(Session& session, const QString& output, const std::vector<SlotPicture>* pictures) {
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
        err(QStringLiteral("the device holds a value a write could not send back:\n  ") +
            QString(refusal).replace(u'\n', u' ').simplified());
        return DeviceFailed;
    }
    if (output.isEmpty()) {
#ifdef _WIN32
        // The profile as it is in a file: a redirected read is the same as -o, byte for byte.
        _setmode(_fileno(stdout), _O_BINARY);
#endif
        std::fwrite(text.constData(), 1, static_cast<std::size_t>(text.size()), stdout);
        return std::fflush(stdout) == 0 ? Success : BadUsage;
    }
    QSaveFile file(output);
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size() || !file.commit()) {
        err(QStringLiteral("%1: cannot write: %2").arg(output, file.errorString()));
        return BadUsage;
    }
    err(withPictures
            ? QStringLiteral("Read %1 settings and %2 pictures into %3")
                  .arg(SettingsStore::count())
                  .arg(bundled.size())
                  .arg(output)
            : QStringLiteral("Read %1 settings into %2").arg(SettingsStore::count()).arg(output));
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

int runWrite(Session& session, ParsedProfile parsed, bool verify) {
    if (!session.write(parsed.store))
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
        return Differences;
    }
    err(QStringLiteral("No differences."));
    return Success;
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

LedColor nearestColor(QRgb rgb, bool& exact) {
    int best = 0;
    int bestDistance = -1;
    for (const LedColorInfo& c : ledColors()) {
        const int dr = qRed(rgb) - qRed(c.rgb);
        const int dg = qGreen(rgb) - qGreen(c.rgb);
        const int db = qBlue(rgb) - qBlue(c.rgb);
        const int distance = dr * dr + dg * dg + db * db;
        if (bestDistance < 0 || distance < bestDistance) {
            bestDistance = distance;
            best = static_cast<int>(c.color);
        }
    }
    exact = bestDistance == 0;
    return static_cast<LedColor>(best);
}

int runPicture(Session& session, const QString& slotName, const QString& imagePath, bool nearest,
               bool save) {
    const PictureSlot* slot = slotByName(slotName);
    if (slot == nullptr) {
        err(QStringLiteral(
                "unknown picture slot \"%1\" (In0_Pic0 ... StandBy_Pic2, or 100 ... 152)")
                .arg(slotName));
        return BadUsage;
    }
    const QImage image(imagePath);
    if (image.isNull()) {
        err(QStringLiteral("%1: not an image this program can read").arg(imagePath));
        return BadUsage;
    }
    if (image.width() != Picture::Width || image.height() != Picture::Height) {
        err(QStringLiteral("%1: %2 x %3 pixels; the device takes 32 x 32")
                .arg(imagePath)
                .arg(image.width())
                .arg(image.height()));
        return BadUsage;
    }
    Picture picture;
    int changed = 0;
    QString firstOff;
    for (int y = 0; y < Picture::Height; ++y) {
        for (int x = 0; x < Picture::Width; ++x) {
            const QRgb rgb = image.pixel(x, y);
            bool exact = false;
            const LedColor color = nearestColor(rgb, exact);
            if (!exact) {
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
                .arg(imagePath)
                .arg(changed)
                .arg(firstOff));
        return BadUsage;
    }
    if (changed > 0)
        err(QStringLiteral("%1 pixels changed to the nearest of the eight colours").arg(changed));

    const PictureSendResult sent = sendPictureCommands(session.link(), *slot, picture);
    session.recorder().finish();
    if (sent.firmware.code != link_code::Ok || sent.picture.code != link_code::Ok) {
        batchOutcome(
            QStringLiteral("failed: link code %1")
                .arg(sent.firmware.code != link_code::Ok ? sent.firmware.code : sent.picture.code));
        session.reportFailure("picture send", {});
        return DeviceFailed;
    }
    if (sent.picture.reply != "OK") {
        batchOutcome(QStringLiteral("failed: the device did not confirm the picture"));
        err(QStringLiteral("picture send failed: the device answered \"%1\" instead of \"OK\"")
                .arg(QString::fromStdString(printableLine(sent.picture.reply))));
        return DeviceFailed;
    }
    err(QStringLiteral("Sent %1 to %2.").arg(imagePath, QString::fromStdString(slot->comboEntry)));
    if (save) {
        for (const FileError& failure :
             {saveBitmap(picture, bitmapFilePath(*slot)),
              writeDevicePictureFile(makeCodeGrid(picture), devicePictureFilePath(*slot))}) {
            if (failure) {
                err(QStringLiteral("--save: ") + *failure);
                return BadUsage;
            }
        }
        err(QStringLiteral("Saved %1 and %2 in %3")
                .arg(QString::fromStdString(slot->bitmapFile),
                     QString::fromStdString(slot->devicePictureFile), SettingsFolder()));
    }
    return Success;
}

int initPictures() {
    const QString folder = SettingsFolder();
    const StartPicturesResult result =
        installStartPictures(startPicturesFolder(QCoreApplication::applicationDirPath()), folder);
    const QString summary = startPicturesSummary(result, folder);
    if (!result.ok()) {
        err(summary);
        return DeviceFailed;
    }
    std::printf("%s\n", qPrintable(summary));
    return Success;
}

int usageError(const QString& text) {
    err(text);
    err(QStringLiteral("Try blx52-cli --help."));
    return BadUsage;
}

int run(QStringList args) {
    QString logPath;
    QString output;
    bool verify = true;
    bool nearest = false;
    bool save = false;
    bool withPictures = false;
    QStringList words;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if (a == QStringLiteral("--help") || a == QStringLiteral("-h")) {
            std::fputs(UsageText, stdout);
            return Success;
        }
        if (a == QStringLiteral("--version")) {
            std::printf("blx52-cli %s\n", BLX52_VERSION);
            return Success;
        }
        // `ports` has options of its own.
        if (a == QStringLiteral("ports") && words.isEmpty())
            return runPortsCommand(args.mid(i + 1));
        if (a == QStringLiteral("--log") || a == QStringLiteral("-o")) {
            if (i + 1 >= args.size())
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
            return usageError(QStringLiteral("unknown option %1").arg(a));
        } else {
            words << a;
        }
    }
    if (words.isEmpty())
        return usageError(QStringLiteral("no command given"));
    const QString command = words.takeFirst();
    const auto expect = [&](qsizetype count) { return words.size() == count; };

    if (command == QStringLiteral("init-pictures")) {
        if (!expect(0))
            return usageError(QStringLiteral("init-pictures takes no arguments"));
        return initPictures();
    }
    const bool known = command == QStringLiteral("read") || command == QStringLiteral("write") ||
                       command == QStringLiteral("diff") || command == QStringLiteral("picture") ||
                       command == QStringLiteral("send-pictures");
    if (!known)
        return usageError(QStringLiteral("unknown command \"%1\"").arg(command));
    const qsizetype wanted = command == QStringLiteral("read")      ? 1
                             : command == QStringLiteral("picture") ? 3
                                                                    : 2;
    const bool folderGiven = command == QStringLiteral("send-pictures") && expect(2);
    if (!expect(wanted) && !(command == QStringLiteral("send-pictures") && expect(1)))
        return usageError(QStringLiteral("%1: wrong number of arguments").arg(command));
    if (!output.isEmpty() && command != QStringLiteral("read"))
        return usageError(QStringLiteral("-o belongs to read"));
    if (!verify && command != QStringLiteral("write"))
        return usageError(QStringLiteral("--no-verify belongs to write"));
    if ((nearest || save) && command != QStringLiteral("picture"))
        return usageError(QStringLiteral("--nearest and --save belong to picture"));
    if (withPictures && command != QStringLiteral("read"))
        return usageError(QStringLiteral("--with-pictures belongs to read"));

    QString why;
    const QStringList ports = parsePortList(words[0], &why);
    if (ports.isEmpty())
        return usageError(why);
    if (ports.size() > 1 && command == QStringLiteral("read") &&
        !output.contains(QStringLiteral("{port}")))
        return usageError(
            QStringLiteral("a read of several ports needs -o with {port} in the file name"));
    // A file is checked once, before any port is opened.
    std::optional<ParsedProfile> profile;
    if (command == QStringLiteral("write") || command == QStringLiteral("diff")) {
        profile = loadProfile(words[1]);
        if (!profile)
            return BadUsage;
    }
    // So are the pictures.
    std::optional<std::vector<SlotPicture>> pictures;
    if (command == QStringLiteral("send-pictures") || withPictures) {
        pictures = loadAllPictures(folderGiven ? words[1] : SettingsFolder(),
                                   withPictures ? "--with-pictures" : "send-pictures");
        if (!pictures)
            return BadUsage;
    }

    const auto job = [&](const QString& port) -> int {
        Session session(port);
        if (!session.openLog(logPath)) {
            err(QStringLiteral("%1: cannot open the log file").arg(logPath));
            return BadUsage;
        }
        if (command == QStringLiteral("read"))
            return runRead(session, QString(output).replace(QStringLiteral("{port}"), port),
                           pictures ? &*pictures : nullptr);
        if (command == QStringLiteral("write"))
            return runWrite(session, *profile, verify);
        if (command == QStringLiteral("diff"))
            return runDiff(session, *profile);
        if (command == QStringLiteral("send-pictures"))
            return sendPictureList(session, *pictures);
        return runPicture(session, words[1], words[2], nearest, save);
    };
    return ports.size() == 1 ? job(ports.front()) : runOnPorts(ports, job);
}

}  // namespace
}  // namespace blx52::cli

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QStringList args = QCoreApplication::arguments();
    args.removeFirst();
    return blx52::cli::run(args);
}
