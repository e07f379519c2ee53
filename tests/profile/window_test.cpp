// Open and save of settings files through the real main window's File menu.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QSlider>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <future>
#endif

#include "link/device_link.h"
#include "picture/picture_batch.h"
#include "picture/picture_files.h"
#include "picture/plane_data.h"
#include "picture/slot_table.h"
#include "sync/profile.h"
#include "tests/common/expected_tables.h"
#include "tests/common/file_size_limit.h"
#include "tests/common/gui_test_support.h"
#include "tests/common/simulated_device.h"
#include "tools/devsim/options.h"
#include "ui/file_dialogs.h"
#include "ui/main_window.h"
#include "ui/picture_editor.h"
#include "ui/send_pictures_form.h"
#include "ui/start_file.h"

namespace blx52 {
namespace {

// The profile with one key's value replaced, its comment kept.
QByteArray withValue(QByteArray profile, const QByteArray& key, const QByteArray& value) {
    const qsizetype at = profile.indexOf("\n" + key + " = ");
    EXPECT_GE(at, 0) << key.data();
    const qsizetype start = at + key.size() + 4;
    profile.replace(start, profile.indexOf("  #", start) - start, value);
    return profile;
}

class ProfileWindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        form = std::make_unique<TForm1>(link, dialogs);
        form->setFileNameChooser([this](bool save) {
            asked << save;
            return chosen;
        });
        form->setPictureFolder(dir.filePath(QStringLiteral("pictures")) + u'/');
        form->show();
    }

    QAction* action(const char* name) const {
        return form->findChild<QAction*>(QString::fromLatin1(name));
    }
    QByteArray fileBytes(const QString& path) const {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    void writeFile(const QString& path, const QByteArray& bytes) const {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    // The values a write of the window would send now.
    QByteArray windowProfile() const {
        const QString file = dir.filePath(QStringLiteral("now.blx52"));
        QFile::remove(file);
        EXPECT_TRUE(form->saveSettingsFile(file));
        return fileBytes(file);
    }

    QTemporaryDir dir;
    DeviceLink link;
    FakeDialogs dialogs;
    std::unique_ptr<TForm1> form;
    QList<bool> asked;
    QString chosen;
};

TEST_F(ProfileWindowTest, MenuHoldsOpenAndSaveBeforeHelpAndInfoWithShortcuts) {
    auto* bar = form->findChild<QMenuBar*>(QStringLiteral("MainMenu1"));
    ASSERT_NE(bar, nullptr);
    ASSERT_EQ(bar->actions().size(), 2);
    EXPECT_EQ(bar->actions()[0]->iconText(), QStringLiteral("File"));
    EXPECT_EQ(bar->actions()[1]->iconText(), QStringLiteral("Device"));
    EXPECT_EQ(bar->actions()[1]->menu()->objectName(), QStringLiteral("Device1"));
    QMenu* file = bar->actions()[0]->menu();
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(file->objectName(), QStringLiteral("File1"));
    QStringList names;
    for (QAction* a : file->actions()) {
        if (!a->isSeparator())
            names << a->objectName();
    }
    EXPECT_EQ(names,
              (QStringList{QStringLiteral("OpenSettings1"), QStringLiteral("SaveSettingsAs1"),
                           QStringLiteral("CreatePictureFolder1"), QStringLiteral("Help1"),
                           QStringLiteral("Info1")}));
    EXPECT_EQ(action("OpenSettings1")->text(), QString::fromUtf8("Open settings\u2026"));
    EXPECT_EQ(action("SaveSettingsAs1")->text(), QString::fromUtf8("Save settings as\u2026"));
    EXPECT_EQ(action("Help1")->text(), QStringLiteral("Help..."));
    EXPECT_EQ(action("Info1")->text(), QStringLiteral("Info..."));
    // Help and Info open their windows and leave the settings alone.
    action("Help1")->trigger();
    action("Info1")->trigger();
    EXPECT_NE(shownHelpWindow(), nullptr);
    ASSERT_NE(form->aboutBox(), nullptr);
    EXPECT_TRUE(form->aboutBox()->isVisible());
    form->aboutBox()->close();
    shownHelpWindow()->close();
    EXPECT_EQ(form->panelText(5), QStringLiteral("Welcome"));
    EXPECT_FALSE(form->settingsChanged());

    // The shortcuts reach the chooser; a cancelled choice changes nothing and writes nothing.
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    QTest::keyClick(form.get(), Qt::Key_O, Qt::ControlModifier);
    QTest::keyClick(form.get(), Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(asked, (QList<bool>{false, true}));
    EXPECT_TRUE(dialogs.log.isEmpty());
    EXPECT_FALSE(form->settingsChanged());
}

TEST_F(ProfileWindowTest, SaveWritesWhatAWriteSendsAndOpenBringsItBackThroughTheFieldRules) {
    chosen = dir.filePath(QStringLiteral("start.blx52"));
    action("SaveSettingsAs1")->trigger();
    const QByteArray saved = fileBytes(chosen);
    // Every start value, as the write sends it.
    for (std::size_t i = 0; i + 1 < test::expectedWrite.size(); ++i) {
        const auto& e = test::expectedWrite[i];
        QByteArray key = QByteArray(e.key).mid(3);
        if (key.endsWith('_'))
            key.chop(1);
        EXPECT_TRUE(saved.contains("\n" + key + " = " + e.startValue + "  # ")) << key.data();
    }
    EXPECT_FALSE(form->settingsChanged());

    QByteArray changed = withValue(saved, "in0ton0p", "3");
    changed = withValue(changed, "in0ton1t", "0150");  // "0…" is no zero duration
    changed = withValue(changed, "in2pic1t", "2500");
    changed = withValue(changed, "sbypic", "2");
    changed = withValue(changed, "_brightness", "2");
    writeFile(dir.filePath(QStringLiteral("changed.blx52")), changed);
    chosen = dir.filePath(QStringLiteral("changed.blx52"));
    action("OpenSettings1")->trigger();
    EXPECT_TRUE(dialogs.log.isEmpty()) << dialogs.log.join(u'\n').toStdString();
    EXPECT_EQ(form->selectedIndex(QStringLiteral("ComboBox1")), 3);
    EXPECT_TRUE(form->radioButton(QStringLiteral("RadioButton3"))->isChecked());
    EXPECT_EQ(form->trackBar()->value(), 2);
    EXPECT_TRUE(form->settingsChanged());
    EXPECT_EQ(form->stripColor(QStringLiteral("Memo37")), TForm1::clBlue());
    EXPECT_EQ(form->panelText(3), QStringLiteral("Loaded settings: 88"));
    // Saving again gives the opened file back, comments and all.
    EXPECT_EQ(windowProfile(), changed);

    // A zero tone duration clears its step's pitch, as after a read; the pitch line comes later
    // in the file and sets it again.
    QByteArray zero = changed;
    zero = withValue(zero, "in0ton0t", "0");
    zero = withValue(zero, "in0ton0p", "0");
    writeFile(chosen, zero);
    ASSERT_TRUE(form->openSettingsFile(chosen));
    EXPECT_EQ(form->controlText(QStringLiteral("Edit25")), QStringLiteral("0"));
    EXPECT_EQ(form->selectedIndex(QStringLiteral("ComboBox1")), 0);
}

TEST_F(ProfileWindowTest, BadFileChangesNothingAndRefusedValueWritesNoFile) {
    const QByteArray before = windowProfile();
    QByteArray bad = before;
    bad = withValue(bad, "in0pic1t", "x");
    bad.replace("\nin1tonv = ", "\n# in1tonv = ");
    chosen = dir.filePath(QStringLiteral("bad.blx52"));
    writeFile(chosen, bad);
    action("OpenSettings1")->trigger();
    ASSERT_EQ(dialogs.log.size(), 1);
    EXPECT_TRUE(dialogs.log[0].startsWith(QStringLiteral("errorOk: ") + chosen));
    EXPECT_TRUE(dialogs.log[0].contains(QStringLiteral("line 3: in0pic1t = x")));
    EXPECT_TRUE(dialogs.log[0].contains(QStringLiteral("missing key in1tonv")));
    EXPECT_EQ(windowProfile(), before);
    EXPECT_FALSE(form->settingsChanged());

    // A duration too long for its line: refused as the write refuses it, naming the setting.
    dialogs.log.clear();
    form->edit(QStringLiteral("Edit20"))->setText(QStringLiteral("123456"));
    chosen = dir.filePath(QStringLiteral("refused.blx52"));
    action("SaveSettingsAs1")->trigger();
    ASSERT_EQ(dialogs.log.size(), 1);
    EXPECT_TRUE(dialogs.log[0].startsWith(QStringLiteral("errorOk: Input 0, picture 1 duration")))
        << dialogs.log[0].toStdString();
    EXPECT_FALSE(QFile::exists(chosen));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files),
              (QStringList{QStringLiteral("bad.blx52"), QStringLiteral("now.blx52")}));
}

// FIFOs and a per-process file size limit are POSIX; Windows has neither.
#ifndef _WIN32
TEST_F(ProfileWindowTest, AFullDiskOrAFifoCostsNoFileAndIsTold) {
    chosen = dir.filePath(QStringLiteral("kept.blx52"));
    action("SaveSettingsAs1")->trigger();
    const QByteArray old = fileBytes(chosen);
    ASSERT_GT(old.size(), 4000);
    form->edit(QStringLiteral("Edit20"))->setText(QStringLiteral("1234"));
    {
        test::FileSizeLimit limit(1000);  // the new profile does not fit
        ASSERT_TRUE(limit.ok());
        form->setPanelText(3, QString());
        action("SaveSettingsAs1")->trigger();
    }
    ASSERT_EQ(dialogs.log.size(), 1);
    EXPECT_TRUE(dialogs.log[0].startsWith(QStringLiteral("errorOk: Cannot write ") + chosen));
    EXPECT_TRUE(dialogs.log[0].contains(QStringLiteral("the disk is full")))
        << dialogs.log[0].toStdString();
    EXPECT_EQ(form->panelText(3), QString());
    EXPECT_EQ(fileBytes(chosen), old);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
              QStringList{QStringLiteral("kept.blx52")});

    // A FIFO without a writer is neither waited for on open nor replaced on save.
    dialogs.log.clear();
    chosen = dir.filePath(QStringLiteral("fifo.blx52"));
    const QByteArray fifo = QFile::encodeName(chosen);
    ASSERT_EQ(::mkfifo(fifo.constData(), 0600), 0);
    std::promise<void> done;
    auto writer = std::async(std::launch::async, [&fifo, finished = done.get_future()] {
        // Frees a blocked open after a while, so the test fails instead of hanging.
        if (finished.wait_for(std::chrono::seconds(20)) == std::future_status::ready)
            return false;
        const int fd = ::open(fifo.constData(), O_WRONLY | O_NONBLOCK);
        if (fd >= 0)
            ::close(fd);
        return true;
    });
    form->setSettingsChanged(false);  // no question before the open
    action("OpenSettings1")->trigger();
    action("SaveSettingsAs1")->trigger();
    done.set_value();
    EXPECT_FALSE(writer.get()) << "the open waited for a writer";
    ASSERT_EQ(dialogs.log.size(), 2);
    EXPECT_TRUE(dialogs.log[0].contains(QStringLiteral("not a regular file")));
    EXPECT_TRUE(dialogs.log[1].contains(QStringLiteral("not a regular file")));
    struct stat info {};
    ASSERT_EQ(::lstat(fifo.constData(), &info), 0);
    EXPECT_TRUE(S_ISFIFO(info.st_mode));
    EXPECT_EQ(form->panelText(3), QString());
}
#endif

TEST_F(ProfileWindowTest, SaveAddsTheSuffixAndOpenAsksBeforeReplacingUnwrittenChanges) {
    // A name without a suffix gets the one "Open settings…" lists; another suffix stays.
    const struct {
        const char* chosen;
        const char* written;
    } names[] = {{"signal_A", "signal_A.blx52"}, {"signal_B.txt", "signal_B.txt"}};
    for (const auto& n : names) {
        chosen = dir.filePath(QString::fromLatin1(n.chosen));
        action("SaveSettingsAs1")->trigger();
        EXPECT_TRUE(QFile::exists(dir.filePath(QString::fromLatin1(n.written)))) << n.written;
    }
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("signal_A"))));

    chosen = dir.filePath(QStringLiteral("signal_A.blx52"));
    const QString question = QStringLiteral(
        "warningOkCancel: Replace the unwritten changes in the window with the file's settings?");
    form->edit(QStringLiteral("Edit20"))->setText(QStringLiteral("4321"));
    ASSERT_TRUE(form->settingsChanged());
    dialogs.answerOk = false;
    action("OpenSettings1")->trigger();
    EXPECT_EQ(dialogs.log, QStringList{question});
    EXPECT_EQ(form->controlText(QStringLiteral("Edit20")), QStringLiteral("4321"));

    dialogs.answerOk = true;
    action("OpenSettings1")->trigger();
    EXPECT_EQ(dialogs.log, (QStringList{question, question}));
    EXPECT_NE(form->controlText(QStringLiteral("Edit20")), QStringLiteral("4321"));

    // Nothing unwritten: no question. (An opened file counts as unwritten until written.)
    form->setSettingsChanged(false);
    action("OpenSettings1")->trigger();
    EXPECT_EQ(dialogs.log.size(), 2);
}

ProfilePicture stripes(int slotCode) {
    ProfilePicture p;
    p.slotCode = slotCode;
    for (std::size_t i = 0; i < p.codes.size(); ++i)
        p.codes[i] =
            static_cast<std::uint8_t>((i / 32 + i % 3 + static_cast<std::size_t>(slotCode)) % 8);
    return p;
}

TEST_F(ProfileWindowTest, OpenOfABundleAsksFirstThenFillsThePictureFolder) {
    const QString pictures = form->pictureFolder();
    ASSERT_TRUE(QDir().mkpath(pictures));
    SettingsStore store;
    store.setValue(SettingsStore::indexOf(allSettings()[3]), QStringLiteral("4321"));
    StoreSyncView view(store);
    QByteArray bundle;
    ASSERT_TRUE(composeProfile(view, bundle, {stripes(100), stripes(141)}).isEmpty());
    chosen = dir.filePath(QStringLiteral("bundle.blx52"));
    writeFile(chosen, bundle);

    // Declined: nothing changes, no picture is written.
    dialogs.answerYes = false;
    const QByteArray before = windowProfile();
    action("OpenSettings1")->trigger();
    ASSERT_EQ(dialogs.log.size(), 1);
    EXPECT_TRUE(dialogs.log[0].startsWith("questionYesNo: The file holds 2 pictures"));
    EXPECT_TRUE(dialogs.log[0].contains("In0_Pic0, Reset_Pic1")) << dialogs.log[0].toStdString();
    EXPECT_EQ(windowProfile(), before);
    EXPECT_TRUE(QDir(pictures).isEmpty());

    // Accepted: while the question is open the folder is still untouched.
    dialogs.log.clear();
    dialogs.answerYes = true;
    bool emptyWhileAsked = false;
    dialogs.whileShown = [&](const QString&) { emptyWhileAsked = QDir(pictures).isEmpty(); };
    action("OpenSettings1")->trigger();
    EXPECT_EQ(dialogs.log.size(), 1);
    EXPECT_TRUE(emptyWhileAsked);
    EXPECT_EQ(form->controlText(QString::fromStdString(allSettings()[3].control)), "4321");
    for (const ProfilePicture& p : {stripes(100), stripes(141)}) {
        const PictureSlot& slot = *findSlot(p.slotCode);
        Picture saved;
        ASSERT_FALSE(loadBitmap(bitmapFilePath(slot, pictures), saved)) << slot.bitmapFile;
        EXPECT_EQ(makeCodeGrid(saved).codes, p.codes);
        EXPECT_EQ(form->buttonGlyph(p.slotCode), saved.image());
    }
    EXPECT_EQ(QDir(pictures).entryList(QDir::Files).size(), 2);

    // A folder where one of the bitmaps belongs: all are written before any replaces its file,
    // so neither is replaced, and no temporary file stays.
    const QString first = bitmapFilePath(*findSlot(100), pictures);
    const QString blocked = bitmapFilePath(*findSlot(141), pictures);
    const QByteArray firstBefore = fileBytes(first);
    ASSERT_TRUE(QFile::remove(blocked));
    ASSERT_TRUE(QDir().mkpath(blocked));
    ProfilePicture changed = stripes(100);
    changed.codes[0] = static_cast<std::uint8_t>((changed.codes[0] + 1) % 8);
    ASSERT_TRUE(composeProfile(view, bundle, {changed, stripes(141)}).isEmpty());
    writeFile(chosen, bundle);
    dialogs.log.clear();
    action("OpenSettings1")->trigger();
    ASSERT_FALSE(dialogs.log.isEmpty());
    EXPECT_TRUE(dialogs.log.back().startsWith("errorOk: The settings were loaded, but 2 pictures"))
        << dialogs.log.back().toStdString();
    EXPECT_TRUE(dialogs.log.back().contains(QDir::toNativeSeparators(blocked)));
    EXPECT_EQ(fileBytes(first), firstBefore);
    EXPECT_EQ(QDir(pictures).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
              QStringList({"In0_Pic0.bmp", "Res_Pic1.bmp"}));
    ASSERT_TRUE(QDir(blocked).removeRecursively());

    // Save asks once there are pictures; with all 25 the file is a bundle of them.
    dialogs.whileShown = {};
    for (const PictureSlot& slot : pictureSlots()) {
        CodeGrid grid;
        grid.codes = stripes(slot.code).codes;
        ASSERT_FALSE(saveBitmap(pictureFromCodes(grid), bitmapFilePath(slot, pictures)));
    }
    dialogs.log.clear();
    chosen = dir.filePath(QStringLiteral("saved.blx52"));
    action("SaveSettingsAs1")->trigger();
    ASSERT_EQ(dialogs.log.size(), 1);
    EXPECT_TRUE(dialogs.log[0].startsWith("questionYesNo: Save the 25 pictures"));
    const ParsedProfile saved = parseProfile(fileBytes(chosen));
    ASSERT_TRUE(saved.ok());
    ASSERT_EQ(saved.pictures.size(), 25u);
    EXPECT_EQ(saved.pictures[24].codes, stripes(152).codes);
    dialogs.answerYes = false;
    action("SaveSettingsAs1")->trigger();
    EXPECT_TRUE(fileBytes(chosen).startsWith("# blx52-profile 1\n"));

    // A pixel that is none of the eight colours goes into the file as black, and is told.
    CodeGrid grid;
    grid.codes = stripes(152).codes;
    Picture off = pictureFromCodes(grid);
    off.setPixel(5, 0, qRgb(1, 2, 3));
    ASSERT_FALSE(saveBitmap(off, bitmapFilePath(*findSlot(152), pictures)));
    dialogs.answerYes = true;
    dialogs.log.clear();
    action("SaveSettingsAs1")->trigger();
    ASSERT_EQ(dialogs.log.size(), 2);
    EXPECT_EQ(dialogs.log[1],
              QStringLiteral("informationOk: The file holds these pictures as the device shows "
                             "them:\n\nStandBy_Pic2: 1 pixel is none of the eight colours; the "
                             "device shows it black"));
    const ParsedProfile withOff = parseProfile(fileBytes(chosen));
    ASSERT_EQ(withOff.pictures.size(), 25u);
    grid.codes[5] = 0;
    EXPECT_EQ(withOff.pictures[24].codes, grid.codes);
}

TEST_F(ProfileWindowTest, AFileNamedAtStartOpensOnceTheWindowShowsAsTheMenuOpensIt) {
    // The command line holds one file or nothing; an option or a second file is refused.
    EXPECT_FALSE(parseStartArguments({QStringLiteral("blx52")}).settingsFile);
    const QString spaced = QStringLiteral("C:/Users/Techniker/Signal A \u00e4.blx52");
    EXPECT_EQ(parseStartArguments({QStringLiteral("blx52"), spaced}).settingsFile, spaced);
    EXPECT_TRUE(parseStartArguments({QStringLiteral("blx52"), QStringLiteral("--frob")})
                    .error.startsWith(QStringLiteral("unknown option: --frob")));
    const StartRequest two =
        parseStartArguments({QStringLiteral("blx52"), QStringLiteral("a"), QStringLiteral("b")});
    EXPECT_FALSE(two.settingsFile);
    EXPECT_FALSE(two.error.isEmpty());

    ASSERT_TRUE(QDir().mkpath(form->pictureFolder()));
    SettingsStore store;
    store.setValue(SettingsStore::indexOf(allSettings()[3]), QStringLiteral("4321"));
    StoreSyncView view(store);
    QByteArray bundle;
    ASSERT_TRUE(composeProfile(view, bundle, {stripes(100)}).isEmpty());
    const QString path = dir.filePath(QStringLiteral("double-clicked.blx52"));
    writeFile(path, bundle);
    openSettingsFileWhenShown(*form, path);
    EXPECT_TRUE(dialogs.log.isEmpty());  // not before the event loop runs
    QCoreApplication::processEvents();
    ASSERT_EQ(dialogs.log.size(), 1);
    EXPECT_TRUE(dialogs.log[0].startsWith("questionYesNo: The file holds 1 picture"))
        << dialogs.log[0].toStdString();
    EXPECT_EQ(form->controlText(QString::fromStdString(allSettings()[3].control)), "4321");
    EXPECT_EQ(form->panelText(3), QStringLiteral("Loaded settings: 88"));
    EXPECT_TRUE(form->settingsChanged());

    dialogs.log.clear();
    openSettingsFileWhenShown(*form, dir.filePath(QStringLiteral("gone.blx52")));
    QCoreApplication::processEvents();
    ASSERT_EQ(dialogs.log.size(), 1);
    EXPECT_TRUE(dialogs.log[0].startsWith("errorOk: Cannot read")) << dialogs.log[0].toStdString();
}

// Answers the toolkit's file dialog once it shows: notes where it started and what name it
// offered, then chooses `file`, again while the dialog stays; cancels it after five seconds.
struct DialogAnswer {
    QString startedIn;
    QString offered;
};
void answerFileDialog(DialogAnswer& seen, const QString& file) {
    auto* poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, poll, [poll, &seen, file, ticks = 0]() mutable {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ++ticks;
        if (dialog == nullptr) {
            if (ticks > 500) {
                poll->stop();
                poll->deleteLater();
            }
            return;
        }
        if (seen.startedIn.isEmpty()) {
            seen.startedIn = dialog->directory().absolutePath();
            seen.offered = dialog->selectedFiles().value(0);
        }
        if (ticks > 500) {
            dialog->reject();
            return;
        }
        // Typed as a user types it: the name box takes a whole path.
        if (auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
            name->setText(file);
        else
            dialog->selectFile(file);
        static_cast<QDialog*>(dialog)->accept();  // QFileDialog::accept, which checks the name
        if (!dialog->isVisible()) {
            poll->stop();
            poll->deleteLater();
        }
    });
    poll->start(10);
}

TEST_F(ProfileWindowTest, FileDialogsStartInDocumentsWithANameThenWhereTheUserWentLast) {
#ifndef _WIN32
    const EnvOverride home("HOME", QFile::encodeName(dir.filePath(QStringLiteral("home"))));
#endif
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    ASSERT_TRUE(QDir().mkpath(documents));
    QSettings ours(QSettings::NativeFormat, QSettings::UserScope,
                   QLatin1String(SettingsOrganization), QLatin1String(SettingsApplication));
    ours.remove(QStringLiteral("FileDialogs"));
    ours.sync();
    const QString elsewhere = dir.filePath(QStringLiteral("elsewhere"));
    ASSERT_TRUE(QDir().mkpath(elsewhere));
    const auto same = [](const QString& a, const QString& b) {
        return QFileInfo(a).canonicalFilePath() == QFileInfo(b).canonicalFilePath();
    };
    form->setFileNameChooser({});  // the toolkit's dialogs

    DialogAnswer save;
    answerFileDialog(save, elsewhere + QStringLiteral("/mine.blx52"));
    action("SaveSettingsAs1")->trigger();
    EXPECT_TRUE(same(save.startedIn, documents)) << save.startedIn.toStdString();
    EXPECT_EQ(QFileInfo(save.offered).fileName(), QStringLiteral("blx52-settings.blx52"));
    EXPECT_TRUE(same(QFileInfo(save.offered).path(), documents));
    EXPECT_TRUE(QFile::exists(elsewhere + QStringLiteral("/mine.blx52")));

    // Open goes where the last settings file went; the other kinds keep their own folders.
    DialogAnswer open;
    answerFileDialog(open, elsewhere + QStringLiteral("/mine.blx52"));
    action("OpenSettings1")->trigger();
    EXPECT_TRUE(same(open.startedIn, elsewhere)) << open.startedIn.toStdString();
    EXPECT_EQ(form->panelText(3), QStringLiteral("Loaded settings: 88"));
    EXPECT_EQ(dialogStartPath(FileKind::Log, true),
              QDir(documents).filePath(QStringLiteral("blx52-log.txt")));
    EXPECT_EQ(dialogStartPath(FileKind::ImageImport, false), documents);

    // Kept in the program's own settings; a folder that is gone leads back to Documents.
    ours.sync();
    EXPECT_TRUE(same(ours.value(QStringLiteral("FileDialogs/settings")).toString(), elsewhere));
    ASSERT_TRUE(QDir(elsewhere).removeRecursively());
    EXPECT_EQ(dialogStartPath(FileKind::Settings, false), documents);
    // Cancelled: nothing is remembered.
    rememberDialogFolder(FileKind::Log, QString());
    EXPECT_EQ(dialogStartPath(FileKind::Log, false), documents);
}

TEST_F(ProfileWindowTest, SendAllPicturesSendsTheFolderInSlotOrderWithOneSummary) {
    const EnvOverride config("XDG_CONFIG_HOME", dir.filePath(QStringLiteral("config")).toUtf8());
    std::string why;
    const auto sim = test::startSimulatedDevice("COM5", &why);
    ASSERT_TRUE(sim) << why;
    link.PortName = sim->portName();
    const QString pictures = form->pictureFolder();
    ASSERT_TRUE(QDir().mkpath(pictures));
    for (const PictureSlot& slot : pictureSlots()) {
        CodeGrid grid;
        grid.codes = stripes(slot.code).codes;
        ASSERT_FALSE(saveBitmap(pictureFromCodes(grid), bitmapFilePath(slot, pictures)));
    }
    // One pixel the device shows black: sent as black, and the summary says so for its slot.
    CodeGrid offGrid;
    offGrid.codes = stripes(131).codes;
    Picture off = pictureFromCodes(offGrid);
    off.setPixel(0, 0, qRgb(0, 255, 255));
    offGrid.codes[0] = 0;
    ASSERT_FALSE(saveBitmap(off, bitmapFilePath(*findSlot(131), pictures)));
    const QString offNote = QStringLiteral(
        "\n\nIn12_Pic1: 1 pixel is none of the eight colours; the device shows it black");

    action("SendAllPictures1")->trigger();
    const QString port = QString::fromStdString(sim->portName());
    EXPECT_EQ(dialogs.log,
              (QStringList{PortWarningEntry,
                           QStringLiteral("informationOk: All 25 pictures were sent to %1.%2")
                               .arg(port, offNote)}));
    const auto offPlanes = PlaneData(pictureFromCodes(offGrid));
    EXPECT_EQ(sim->picture("in3pic1"),
              std::vector<std::uint8_t>(offPlanes.begin(), offPlanes.end()));
    EXPECT_EQ(sim->receivedLines().size(), 50u);
    for (const int code : {100, 152}) {
        const PictureSlot& slot = *findSlot(code);
        CodeGrid grid;
        grid.codes = stripes(code).codes;
        const auto planes = PlaneData(pictureFromCodes(grid));
        EXPECT_EQ(sim->picture(slot.command.substr(3, slot.command.size() - 5)),
                  std::vector<std::uint8_t>(planes.begin(), planes.end()));
    }

    // A refused picture ends the send with one error naming what reached the device.
    dialogs.log.clear();
    sim->clearReceived();
    devsim::Options refuses;
    refuses.replyOverrides["setin1pic1d_"] = "ERR";
    sim->setOptions(refuses);
    action("SendAllPictures1")->trigger();
    ASSERT_EQ(dialogs.log.size(), 1);
    EXPECT_TRUE(
        dialogs.log[0].startsWith("errorOk: Sending stopped at In1_Pic1: the device "
                                  "answered \"ERR\""))
        << dialogs.log[0].toStdString();
    EXPECT_TRUE(dialogs.log[0].endsWith(
        QStringLiteral("In0_Pic0, In0_Pic1, In0_Pic2, In0_Pic3, In1_Pic0") + offNote));
    EXPECT_EQ(sim->receivedLines().size(), 12u);

    // The progress window as it stands half-way, for a look.
    if (const QByteArray renders = qgetenv("BLX52_RENDER_DIR"); !renders.isEmpty()) {
        TSendPicturesForm progress(25, form.get());
        progress.show();
        progress.showProgress(12, QStringLiteral("In12_Pic0"));
        progress.grab().save(QString::fromUtf8(renders) +
                             QStringLiteral("/send_pictures_form.png"));
    }
}

// Closing the main window with both windows wired as the program wires them.
class QuitTest : public ProfileWindowTest {
  protected:
    void SetUp() override {
        ProfileWindowTest::SetUp();
        QApplication::setQuitOnLastWindowClosed(false);
        ASSERT_TRUE(QDir().mkpath(form->pictureFolder()));
        editor = std::make_unique<TForm2>(link, dialogs, form->pictureFolder());
        connectEditor(*form, *editor);
        std::string why;
        sim = test::startSimulatedDevice("COM5", &why);
        ASSERT_TRUE(sim) << why;
        link.PortName = sim->portName();
    }
    void TearDown() override { QApplication::setQuitOnLastWindowClosed(true); }

    QString bitmap() const { return bitmapFilePath(*findSlot(100), form->pictureFolder()); }
    // Slot 100 in the editor, loaded from a red file, with a white point drawn on it.
    void drawOnSlot100(int column = 0) {
        dialogs.log.clear();
        Picture red;
        red.fill(LedColor::Red);
        ASSERT_FALSE(saveBitmap(red, bitmap()));
        form->button(QStringLiteral("BitBtn1"))->click();
        editor->button(QStringLiteral("Button20"))->click();
        editor->button(QStringLiteral("BitBtn11"))->click();
        editor->edit(QStringLiteral("Edit1"))->setText(QString::number(column));
        editor->button(QStringLiteral("Button5"))->click();
        ASSERT_EQ(editor->unsavedSlotName(), QStringLiteral("In0_Pic0"));
        editor->close();  // the editor's own closing asks nothing
        EXPECT_TRUE(dialogs.log.isEmpty()) << dialogs.log.join(u'\n').toStdString();
    }
    // Closes the main window and says whether it went.
    bool quit() {
        dialogs.log.clear();
        dialogs.quitAsked.reset();
        const bool closed = form->close();
        EXPECT_EQ(form->isVisible(), !closed);
        return closed;
    }

    const EnvOverride config{"XDG_CONFIG_HOME", dir.filePath(QStringLiteral("config")).toUtf8()};
    std::unique_ptr<TForm2> editor;
    std::unique_ptr<test::SimulatedDevice> sim;
};

TEST_F(QuitTest, UnwrittenSettingsAreWrittenSavedOrDiscardedOnlyAsChosen) {
    using Choice = QuitAnswer::Settings;
    const struct {
        const char* name;
        Choice choice;
        bool cancel;
        bool warningOk;      // the port warning of the write
        const char* file;    // the name the save dialog gives; empty: cancelled
        bool deviceRefuses;  // the device answers the write's first line with "ERR"
        bool closes;
        bool deviceGetsValue;
    } cases[] = {
        {"write, port warning cancelled: stays", Choice::Write, false, false, "", false, false,
         false},
        {"write refused by the device: stays", Choice::Write, false, true, "", true, false, false},
        {"write: the device holds the settings", Choice::Write, false, true, "", false, true, true},
        {"save to a file", Choice::SaveToFile, false, true, "quit.blx52", false, true, false},
        {"save, no file chosen: stays", Choice::SaveToFile, false, true, "", false, false, false},
        {"discard", Choice::Discard, false, true, "", false, true, false},
        {"cancel: stays", Choice::Discard, true, true, "", false, false, false},
    };
    int value = 900;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        form->show();
        sim->clearReceived();
        devsim::Options options;
        if (c.deviceRefuses)
            options.replyOverrides["setin0pic0t"] = "ERR";
        sim->setOptions(options);
        value += 10;
        const QString text = QString::number(value);
        form->setSettingsChanged(false);
        form->edit(QStringLiteral("Edit22"))->setText(text);
        ASSERT_TRUE(form->settingsChanged());
        dialogs.quitAnswer = {c.cancel, c.choice, false};
        dialogs.answerOk = c.warningOk;
        chosen = c.file[0] ? dir.filePath(QString::fromLatin1(c.file)) : QString();
        const std::string before = sim->value("in0pic3t");

        EXPECT_EQ(quit(), c.closes);
        ASSERT_TRUE(dialogs.quitAsked.has_value());
        EXPECT_TRUE(dialogs.quitAsked->settings);
        EXPECT_TRUE(dialogs.quitAsked->picture.isEmpty());
        ASSERT_FALSE(dialogs.log.isEmpty());
        EXPECT_EQ(dialogs.log[0], QStringLiteral("askBeforeQuit: The settings in this window "
                                                 "were changed and not written to the device; "
                                                 "they are kept nowhere else.\n\nQuitting now "
                                                 "loses them."));
        // The write is the window's own, with its port warning.
        EXPECT_EQ(dialogs.log.count(PortWarningEntry), c.choice == Choice::Write && !c.cancel);
        EXPECT_EQ(sim->value("in0pic3t"), c.deviceGetsValue ? text.toStdString() : before);
        if (c.choice != Choice::Write || c.cancel) {
            EXPECT_TRUE(sim->receivedLines().empty());
        }
        if (c.file[0]) {
            EXPECT_TRUE(fileBytes(chosen).contains("\nin0pic3t = " + text.toUtf8() + "  # "));
        }
    }
}

TEST_F(QuitTest, UnsavedDrawingIsSavedOrDiscardedOnlyAsChosen) {
    const struct {
        const char* name;
        bool cancel;
        bool save;
        bool folderGone;
        bool closes;
        bool fileHoldsDrawing;
    } cases[] = {
        {"save", false, true, false, true, true},
        {"save fails (folder gone): stays", false, true, true, false, false},
        {"discard", false, false, false, true, false},
        {"cancel: stays", true, false, false, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        form->show();
        ASSERT_TRUE(QDir().mkpath(form->pictureFolder()));
        drawOnSlot100(static_cast<int>(&c - cases));  // a drawing of its own for each row
        const Picture drawing = editor->picture();
        if (c.folderGone) {
            ASSERT_TRUE(QDir(form->pictureFolder()).removeRecursively());
        }
        dialogs.quitAnswer = {c.cancel, QuitAnswer::Settings::Discard, c.save};

        EXPECT_EQ(quit(), c.closes);
        ASSERT_TRUE(dialogs.quitAsked.has_value());
        EXPECT_FALSE(dialogs.quitAsked->settings);
        EXPECT_EQ(dialogs.quitAsked->picture, QStringLiteral("In0_Pic0"));
        ASSERT_FALSE(dialogs.log.isEmpty());
        EXPECT_EQ(dialogs.log[0],
                  QStringLiteral("askBeforeQuit: The picture editor holds drawing of In0_Pic0 "
                                 "that is not saved to its file.\n\nQuitting now loses it."));
        if (c.folderGone) {
            ASSERT_EQ(dialogs.log.size(), 2);
            EXPECT_TRUE(dialogs.log[1].contains(QStringLiteral("In0_Pic0.bmp")));
            continue;
        }
        Picture file;
        ASSERT_FALSE(loadBitmap(bitmap(), file));
        EXPECT_EQ(file == drawing, c.fileHoldsDrawing);
        EXPECT_EQ(form->buttonGlyph(100) == drawing.image(), c.fileHoldsDrawing);
    }
    EXPECT_TRUE(sim->receivedLines().empty());
}

TEST_F(QuitTest, BothAreAskedOnceAndNothingAsksNothing) {
    // Nothing to lose: closes at once.
    EXPECT_TRUE(quit());
    EXPECT_TRUE(dialogs.log.isEmpty());

    form->show();
    drawOnSlot100();
    const Picture drawing = editor->picture();
    form->edit(QStringLiteral("Edit22"))->setText(QStringLiteral("1234"));
    dialogs.quitAnswer = {false, QuitAnswer::Settings::Discard, true};
    EXPECT_TRUE(quit());
    ASSERT_EQ(dialogs.log.size(), 1);
    EXPECT_TRUE(dialogs.log[0].endsWith(QStringLiteral("Quitting now loses both.")));
    EXPECT_TRUE(dialogs.quitAsked->settings);
    EXPECT_EQ(dialogs.quitAsked->picture, QStringLiteral("In0_Pic0"));
    Picture file;
    ASSERT_FALSE(loadBitmap(bitmap(), file));
    EXPECT_EQ(file, drawing);
    EXPECT_TRUE(sim->receivedLines().empty());

    // A saved picture and written settings are nothing to lose.
    form->show();
    form->setSettingsChanged(false);
    EXPECT_TRUE(quit());
    EXPECT_TRUE(dialogs.log.isEmpty());
}

}  // namespace
}  // namespace blx52
