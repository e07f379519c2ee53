// The Device menu through the real main window against the simulated device: the exchange log,
// compare with the device and verify after write.
#include <gtest/gtest.h>

#include <QAction>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTableView>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>
#include <QTextFragment>
#include <memory>
#include <ostream>

#include "blx52_version.h"
#include "link/device_link.h"
#include "link/port_map.h"
#include "sync/device_compare.h"
#include "sync/device_sync.h"
#include "sync/exchange_log.h"
#include "sync/sequences.h"
#include "tests/common/gui_test_support.h"
#include "tests/common/simulated_device.h"
#include "tools/devsim/options.h"
#include "ui/about_box.h"
#include "ui/compare_dialog.h"
#include "ui/exchange_log_window.h"
#include "ui/main_window.h"
#include "ui/preview_window.h"

inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

namespace blx52 {
namespace {

std::string deviceName(const Setting& s) {
    return s.getKey.substr(3);
}
const Setting& settingOf(const std::string& control) {
    for (const Setting& s : allSettings()) {
        if (s.control == control || (!s.buttons.empty() && s.buttons.front() == control))
            return s;
    }
    throw std::runtime_error("no setting " + control);
}

class DeviceMenuTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        savedLocale = QLocale();
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        std::string why;
        sim = test::startSimulatedDevice("COM3", &why);
        ASSERT_TRUE(sim) << why;
        link.PortName = sim->portName();
        form = std::make_unique<TForm1>(link, dialogs);
        form->show();
    }
    void TearDown() override {
        form.reset();
        sim.reset();
        QLocale::setDefault(savedLocale);
    }

    QAction* action(const char* name) const {
        return form->findChild<QAction*>(QString::fromLatin1(name));
    }
    void click(const char* button) {
        QTest::mouseClick(form->button(QString::fromLatin1(button)), Qt::LeftButton);
    }
    ExchangeLog& log() { return form->exchangeLog(); }
    const LogRow& lastRow() { return log().row(log().size() - 1); }
    CompareDialog* compare() {
        action("CompareWithDevice1")->trigger();
        return form->compareDialog();
    }
    bool compareShown() const {
        return form->compareDialog() && form->compareDialog()->isVisible();
    }
    QStringList tableRow(QTableWidget* t, int row) const {
        return {t->item(row, 0)->text(), t->item(row, 1)->text(), t->item(row, 2)->text()};
    }

    QTemporaryDir dir;
    // The simulator's port name lives in this test's own port folder, not one other tests share.
    QTemporaryDir config;
    EnvOverride configVar{"XDG_CONFIG_HOME", config.path().toUtf8()};
    QLocale savedLocale;
    std::unique_ptr<test::SimulatedDevice> sim;
    FakeDialogs dialogs;
    DeviceLink link;
    std::unique_ptr<TForm1> form;
};

TEST_F(DeviceMenuTest, MenuFollowsFileWithItsThreeItems) {
    QMenuBar* bar = form->menuBar();
    ASSERT_GE(bar->actions().size(), 2);
    EXPECT_EQ(bar->actions()[1]->menu()->objectName(), QStringLiteral("Device1"));
    EXPECT_EQ(bar->actions()[1]->iconText(), QStringLiteral("Device"));
    EXPECT_EQ(action("ExchangeLog1")->text(), QString::fromUtf8("Exchange log\u2026"));
    EXPECT_EQ(action("ExchangeLog1")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_L));
    EXPECT_EQ(action("CompareWithDevice1")->text(), QString::fromUtf8("Compare with device\u2026"));
    EXPECT_TRUE(action("VerifyAfterWrite1")->isCheckable());
    EXPECT_FALSE(action("VerifyAfterWrite1")->isChecked());
}

TEST_F(DeviceMenuTest, MenusOpenByMnemonicAndF10AndTheirCaptionsReadAsBefore) {
    QMenuBar* bar = form->menuBar();
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    const struct {
        const char* menu;
        const char* shown;
        QKeyCombination key;
    } cases[] = {
        {"File1", "File", Qt::ALT | Qt::Key_F},
        {"Device1", "Device", Qt::ALT | Qt::Key_D},
        {"File1", "File", QKeyCombination(Qt::Key_F10)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.menu);
        auto* menu = form->findChild<QMenu*>(QString::fromLatin1(c.menu));
        ASSERT_NE(menu, nullptr);
        EXPECT_EQ(menu->menuAction()->iconText(), QString::fromLatin1(c.shown));
        QTest::keyClick(form.get(), c.key.key(), c.key.keyboardModifiers());
        EXPECT_TRUE(QTest::qWaitFor([menu] { return menu->isVisible(); }, 2000));
        EXPECT_EQ(bar->activeAction(), menu->menuAction());
        // Escape closes the menu, a second one leaves the menu bar.
        QTest::keyClick(menu, Qt::Key_Escape);
        QTest::keyClick(bar, Qt::Key_Escape);
        form->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    }
}

TEST_F(DeviceMenuTest, ReadAndWriteItemsActAsTheButtonsWithWarningAndFreeShortcuts) {
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    const QKeySequence readKey = action("ReadSettings1")->shortcut();
    const QKeySequence writeKey = action("WriteSettings1")->shortcut();
    EXPECT_EQ(action("ReadSettings1")->text(), QStringLiteral("Read settings"));
    EXPECT_EQ(action("WriteSettings1")->text(), QStringLiteral("Write settings"));
    ASSERT_FALSE(readKey.isEmpty());
    ASSERT_FALSE(writeKey.isEmpty());
    for (int k = QKeySequence::HelpContents; k <= QKeySequence::Cancel; ++k) {
        for (const QKeySequence& taken :
             QKeySequence::keyBindings(static_cast<QKeySequence::StandardKey>(k))) {
            EXPECT_NE(taken, readKey) << "standard key " << k;
            EXPECT_NE(taken, writeKey) << "standard key " << k;
        }
    }

    // Read by its key: the warning first (declined: nothing goes out), then the whole read.
    dialogs.answerOk = false;
    QTest::keySequence(form.get(), readKey);
    EXPECT_EQ(dialogs.log, QStringList{PortWarningEntry});
    EXPECT_TRUE(sim->receivedLines().empty());
    dialogs.answerOk = true;
    QTest::keySequence(form.get(), readKey);
    ASSERT_EQ(log().size(), 90u);
    EXPECT_EQ(lastRow().outcome, QStringLiteral("Read 89 of 89 settings"));
    EXPECT_EQ(sim->receivedLines().size(), 89u);

    // Write by its key sends the changed value.
    form->setControlText(QStringLiteral("Edit19"), QStringLiteral("2400"));
    sim->clearReceived();
    QTest::keySequence(form.get(), writeKey);
    EXPECT_EQ(sim->receivedLines().size(), 89u);
    EXPECT_EQ(sim->value(deviceName(settingOf("Edit19"))), "2400");
    EXPECT_EQ(form->stripColor(QStringLiteral("Memo37")), TForm1::clLime());
}

TEST_F(DeviceMenuTest, HelpShowsTheManualWithItsPicturesAndInfoTheAboutBox) {
    action("Help1")->trigger();
    HelpWindow* help = shownHelpWindow();
    ASSERT_NE(help, nullptr);
    EXPECT_EQ(help->objectName(), QStringLiteral("HelpWindow"));
    EXPECT_TRUE(help->toPlainText().contains(QStringLiteral("Status texts and error numbers")));
    // The build's screenshots are in the program, and the manual shows each of them.
    QStringList shown;
    for (QTextBlock b = help->document()->begin(); b.isValid(); b = b.next()) {
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            if (!it.fragment().charFormat().isImageFormat())
                continue;
            const QString name = it.fragment().charFormat().toImageFormat().name();
            shown << name;
            const QVariant image = help->loadResource(QTextDocument::ImageResource, QUrl(name));
            const QImage loaded = image.value<QImage>().isNull()
                                      ? QImage::fromData(image.toByteArray())
                                      : image.value<QImage>();
            EXPECT_GE(loaded.width(), 200) << name.toStdString();
        }
    }
    for (const char* picture : {"main-window.png", "picture-editor.png", "canvas.png"}) {
        EXPECT_TRUE(QFile::exists(QStringLiteral(":/blx52/manual/pictures/") + picture)) << picture;
        EXPECT_TRUE(shown.contains(QStringLiteral("pictures/") + picture)) << picture;
    }

    action("Info1")->trigger();
    AboutBox* about = form->aboutBox();
    ASSERT_NE(about, nullptr);
    EXPECT_EQ(about->objectName(), QStringLiteral("AboutBox"));
    EXPECT_TRUE(about->isVisible());
    QString text;
    for (QLabel* l : about->findChildren<QLabel*>())
        text += l->text();
    for (const QString& part :
         {QStringLiteral("BLX52 Glowpanel Configurator"), QStringLiteral(BLX52_VERSION),
          QStringLiteral("GNU General Public License"), QString::fromLatin1(qVersion()),
          QStringLiteral(BLX52_HOMEPAGE), QDir::toNativeSeparators(form->pictureFolder()),
#ifdef _WIN32
          // Windows keeps the names in a file of the user's application data.
          QDir::toNativeSeparators(QString::fromStdString(portMapFile()))}) {
#else
          QDir::toNativeSeparators(config.path() + QStringLiteral("/blx52/ports"))}) {
#endif
        EXPECT_TRUE(text.contains(part)) << part.toStdString();
    }
}

TEST_F(DeviceMenuTest, F1OpensTheHelpWindowAtTheChapterOfEachWindow) {
    action("ExchangeLog1")->trigger();
    CompareDialog* dialog = compare();
    ASSERT_NE(dialog, nullptr);
    action("Preview1")->trigger();
    ASSERT_NE(form->previewWindow(), nullptr);
    const struct {
        QWidget* window;
        const char* chapter;
    } cases[] = {
        {form.get(), "the-main-window"},
        {form->exchangeLogWindow(), "the-exchange-log"},
        {dialog, "comparing-with-the-device"},
        {form->previewWindow(), "the-preview"},
    };
    for (const auto& c : cases)
        expectF1OpensChapter(c.window, c.chapter);
}

TEST_F(DeviceMenuTest, FullReadIsNinetyRowsShownOnlyWhileTheWindowIsOpenAndSavedAsTheCliText) {
    action("ExchangeLog1")->trigger();
    ExchangeLogWindow* window = form->exchangeLogWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->objectName(), QStringLiteral("ExchangeLog"));
    QTableView* view = window->findChild<QTableView*>(QStringLiteral("ExchangeLogView"));
    ASSERT_NE(view, nullptr);

    click("Button1");
    ASSERT_EQ(log().size(), 90u);
    const LogRow& first = log().row(0);
    EXPECT_EQ(first.operation, QStringLiteral("read"));
    EXPECT_EQ(first.sent, "getdatafw");
    EXPECT_EQ(first.reply, devsim::FirmwareVersion);
    EXPECT_EQ(lastRow().kind, LogRow::Kind::Outcome);
    EXPECT_EQ(lastRow().outcome, QStringLiteral("Read 89 of 89 settings"));
    QTest::qWait(1);
    EXPECT_EQ(view->model()->rowCount(), 90);
    // Kept for a look (exchange_log.png in the temp folder).
    window->grab().save(QDir::temp().filePath(QStringLiteral("exchange_log.png")));

    const QString path = dir.filePath(QStringLiteral("log.txt"));
    ASSERT_TRUE(window->saveText(path));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 90);
    EXPECT_TRUE(
        lines[1].endsWith(QStringLiteral(" read sent \"getin0pic0t\" reply \"1500\" code 0")))
        << lines[1].toStdString();
    EXPECT_TRUE(lines[89].endsWith(QStringLiteral(" read: Read 89 of 89 settings")));

    // Closed, the window follows nothing; opened again, it shows what came meanwhile.
    QTest::mouseClick(window->findChild<QPushButton*>(QStringLiteral("ClearLog")), Qt::LeftButton);
    EXPECT_EQ(log().size(), 0u);
    EXPECT_EQ(view->model()->rowCount(), 0);
    window->close();
    click("Button1");
    QTest::qWait(1);
    EXPECT_EQ(view->model()->rowCount(), 0);
    action("ExchangeLog1")->trigger();
    EXPECT_EQ(view->model()->rowCount(), 90);
}

TEST_F(DeviceMenuTest, StoppedReadNamesItsSettingInLogAndCompareAndThePanelsKeepTheirHistory) {
    const ReadStep& stopAt = readSequence()[3];
    devsim::Options o;
    o.ignoredKeys = {stopAt.key};
    sim->setOptions(o);
    click("Button1");
    const QString where = settingName(*stopAt.setting);
    EXPECT_EQ(lastRow().outcome,
              QStringLiteral("Read stopped at %1: no answer (3 of 89 read)").arg(where));
    const LogRow& failed = log().row(log().size() - 2);
    EXPECT_EQ(failed.sent, stopAt.key);
    EXPECT_EQ(failed.code, link_code::NoAnswer);

    // The panel showed the stop, the firmware panel the version before it.
    QStringList shown;
    for (const PanelEntry& e : log().panelHistory())
        shown << QStringLiteral("%1 %2").arg(e.panel).arg(e.text);
    EXPECT_TRUE(shown.contains(QStringLiteral("1 FW: V2.") + devsim::FirmwareVersion));
    EXPECT_TRUE(
        shown.contains(QStringLiteral("3 Lesen abgebrochen bei %1: keine Antwort").arg(where)));

    // The compare read stops at the same place and tells it; the three settings read agree.
    CompareDialog* dialog = compare();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->table()->rowCount(), 0);
    EXPECT_EQ(dialog->summary(),
              QStringLiteral("No difference in the 2 settings read. Read stopped at %1: no answer "
                             "(3 of 89 read); only the 2 settings read before were compared.")
                  .arg(where));
}

TEST_F(DeviceMenuTest, CompareListsTheChangedSettingsAndTakingTheirValuesLeavesNothing) {
    // The window holds what the device holds; then three settings change on the device.
    click("Button1");
    ASSERT_EQ(form->deviceSync().lastRead().successes, 89);
    struct Change {
        const char* control;
        const char* value;
    };
    // In table order: durations, then the standby picture, then pitches.
    const Change changes[] = {{"Edit19", "2500"}, {"RadioButton1", "1"}, {"ComboBox1", "7"}};
    QStringList before;
    for (const Change& c : changes) {
        before << QString::fromStdString(sim->value(deviceName(settingOf(c.control))));
        sim->setValue(deviceName(settingOf(c.control)), c.value);
    }
    const QString edit = form->controlText(QStringLiteral("Edit19"));
    const bool changedBefore = form->settingsChanged();
    const QColor readStrip = form->stripColor(QStringLiteral("Memo40"));

    CompareDialog* dialog = compare();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->objectName(), QStringLiteral("CompareDialog"));
    QTableWidget* table = dialog->findChild<QTableWidget*>(QStringLiteral("CompareTable"));
    ASSERT_EQ(table->rowCount(), 3);
    for (int i = 0; i < 3; ++i) {
        const Change& c = changes[i];
        EXPECT_EQ(tableRow(table, i), (QStringList{settingName(settingOf(c.control)), before[i],
                                                   QString::fromLatin1(c.value)}));
    }
    dialog->grab().save(QDir::temp().filePath(QStringLiteral("compare_dialog.png")));
    // Comparing touched no control.
    EXPECT_EQ(form->controlText(QStringLiteral("Edit19")), edit);
    EXPECT_EQ(form->settingsChanged(), changedBefore);
    EXPECT_EQ(form->stripColor(QStringLiteral("Memo40")), readStrip);
    EXPECT_EQ(lastRow().operation, QStringLiteral("compare"));
    EXPECT_EQ(lastRow().outcome, QStringLiteral("3 settings differ."));

    QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("TakeDeviceValues")),
                      Qt::LeftButton);
    EXPECT_EQ(form->controlText(QStringLiteral("Edit19")), QStringLiteral("2500"));
    EXPECT_EQ(form->selectedIndex(QStringLiteral("ComboBox1")), 7);
    dialog = compare();
    EXPECT_EQ(dialog->table()->rowCount(), 0);
    EXPECT_EQ(dialog->summary(), QStringLiteral("The device holds exactly the window's settings."));
}

TEST_F(DeviceMenuTest, VerifyAfterWriteCatchesADeviceThatKeepsAnotherValue) {
    devsim::Options o;
    o.replyOverrides["getin0pic1t"] = "1234";
    sim->setOptions(o);

    // Unchecked: the write as it always was, no read-back.
    click("Button2");
    EXPECT_EQ(form->stripColor(QStringLiteral("Memo37")), TForm1::clLime());
    EXPECT_EQ(log().size(), 90u);
    EXPECT_FALSE(compareShown());

    action("VerifyAfterWrite1")->setChecked(true);
    click("Button2");
    // Both writes, then the verify: its read and one outcome row.
    EXPECT_EQ(log().size(), 90u + 90u + 90u);
    EXPECT_EQ(form->stripColor(QStringLiteral("Memo37")), TForm1::clRed());
    CompareDialog* dialog = form->compareDialog();
    ASSERT_NE(dialog, nullptr);
    ASSERT_EQ(dialog->table()->rowCount(), 1);
    EXPECT_EQ(dialog->table()->item(0, 2)->text(), QStringLiteral("1234"));
    EXPECT_EQ(lastRow().operation, QStringLiteral("verify"));

    // A device that keeps what it got leaves the write lime, with nothing to show.
    dialog->close();
    sim->setOptions({});
    click("Button2");
    EXPECT_EQ(form->stripColor(QStringLiteral("Memo37")), TForm1::clLime());
    EXPECT_FALSE(compareShown());
    EXPECT_EQ(lastRow().outcome, QStringLiteral("The device holds exactly the window's settings."));
}

}  // namespace
}  // namespace blx52
