// Open and save of settings files through the real main window's File menu.
#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QRadioButton>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <future>
#endif

#include "link/device_link.h"
#include "sync/profile.h"
#include "tests/common/expected_tables.h"
#include "tests/common/file_size_limit.h"
#include "tests/common/gui_test_support.h"
#include "ui/main_window.h"

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
    EXPECT_EQ(bar->actions()[0]->text(), QStringLiteral("File"));
    EXPECT_EQ(bar->actions()[1]->text(), QStringLiteral("Device"));
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
    // Help and Info do nothing.
    action("Help1")->trigger();
    action("Info1")->trigger();
    EXPECT_EQ(form->panelText(5), QStringLiteral("Welcome"));

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

}  // namespace
}  // namespace blx52
