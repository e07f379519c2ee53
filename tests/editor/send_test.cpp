#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QRegularExpression>
#include <QWindow>
#include <algorithm>
#include <cstdint>
#include <functional>
#include <vector>

#include "editor_fixture.h"
#include "sync/exchange_log.h"
#include "tests/common/simulated_device.h"
#include "tools/devsim/options.h"

namespace blx52 {
namespace {

// The editor with the simulated device once startDevice() ran.
class EditorSend : public EditorTest {
  protected:
    void startDevice() {
        std::string why;
        device = test::startSimulatedDevice("COM1", &why);
        ASSERT_TRUE(device) << why;
        link.PortName = device->portName();
    }
    // Draws with the pen through the window: colour button, coordinates, "x".
    void drawAt(const char* colorButton, int x, int y) {
        click(QString::fromLatin1(colorButton));
        edit("Edit1")->setText(QString::number(x));
        edit("Edit2")->setText(QString::number(y));
        click(QStringLiteral("Button5"));
    }

    std::unique_ptr<test::SimulatedDevice> device;
};

// Passes the link's texts on to the main window and notes the cursor shown meanwhile.
class CursorWatch : public StatusSink {
  public:
    explicit CursorWatch(StatusSink& next) : next_(next) {}
    void setPanelText(int panel, const std::string& text) override {
        const QCursor* c = QApplication::overrideCursor();
        shapes.push_back(c ? c->shape() : Qt::ArrowCursor);
        texts.push_back(text);
        next_.setPanelText(panel, text);
    }
    std::vector<Qt::CursorShape> shapes;
    std::vector<std::string> texts;

  private:
    StatusSink& next_;
};

QByteArray fileBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

TEST_F(EditorSend, FirmwareQueryThenPictureLineByteForByteThenDeviceFile) {
    startDevice();
    openBlackWithPen(QStringLiteral("BitBtn4"), 0, 0);
    // Row 0: red plane byte 0 = 0x0A (columns 4, 6), green plane byte 0 = 0x0D (columns 4, 5, 7).
    drawAt("BitBtn6", 4, 0);  // yellow
    drawAt("BitBtn7", 5, 0);  // green
    drawAt("BitBtn5", 6, 0);  // red
    drawAt("BitBtn7", 7, 0);  // green
    // Row 16 is group 1: blue plane byte 3, last bit, and a cyan pixel (green and blue).
    drawAt("BitBtn9", 31, 16);
    drawAt("BitBtn8", 0, 31);  // group 31, green and blue plane byte 0, 0x80
    dialogs.log.clear();

    click(QStringLiteral("Button4"));
    ASSERT_TRUE(device->waitForHandled(2, 5000));
    const std::vector<std::string> lines = device->receivedLines();
    ASSERT_EQ(lines.size(), 2u);  // a second CR LF would show up as a third, empty line
    EXPECT_EQ(lines[0], "getdatafw");

    std::string expected = "setin0pic0d_";
    std::string data(512, '\0');
    data[0] = '\x0A';
    data[4] = '\x0D';
    data[16 + 8 + 3] = '\x01';
    data[16 * 31 + 4] = static_cast<char>(0x80);
    data[16 * 31 + 8] = static_cast<char>(0x80);
    expected += data;
    ASSERT_EQ(lines[1].size(), 524u);
    EXPECT_EQ(lines[1], expected);
    const auto stored = device->picture("in0pic0");
    ASSERT_TRUE(stored.has_value());
    EXPECT_EQ(std::string(stored->begin(), stored->end()), data);
    EXPECT_EQ(link.LinkErrorCode, 0);
    EXPECT_EQ(link.LastReply, "OK");

    const QByteArray file = fileBytes(devicePath(100));
    ASSERT_EQ(file.size(), 1024);
    QByteArray codes(1024, '\0');
    codes[4] = 3;
    codes[5] = 2;
    codes[6] = 1;
    codes[7] = 2;
    codes[16 * 32 + 31] = 4;
    codes[31 * 32 + 0] = 6;
    EXPECT_EQ(file, codes);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    // The send leaves picture and pen alone.
    EXPECT_EQ(form2->picture().code(0, 31), 6);
    EXPECT_EQ(form2->pen().column, 0);
    EXPECT_EQ(form2->pen().row, 31);
}

TEST_F(EditorSend, PortWarningOnlyOnceAndBothSidesSetEvenOnCancel) {
    startDevice();
    putBitmap(120, initialPicture());
    EXPECT_FALSE(mainSideChecked());
    clickMain(QStringLiteral("BitBtn15"));
    // Opening signals the main window without a dialog; the editor's own side waits for its send.
    EXPECT_TRUE(mainSideChecked());
    EXPECT_FALSE(form2->portWarningShown());
    EXPECT_TRUE(dialogs.log.isEmpty());
    dialogs.answerOk = false;
    click(QStringLiteral("Button4"));
    ASSERT_EQ(dialogs.log.size(), 1);
    EXPECT_EQ(dialogs.log[0], PortWarningEntry);
    EXPECT_TRUE(form2->portWarningShown());
    EXPECT_TRUE(mainSideChecked());
    EXPECT_FALSE(QFile::exists(devicePath(120)));
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    QTest::qWait(50);
    EXPECT_TRUE(device->receivedLines().empty());

    click(QStringLiteral("Button4"));
    click(QStringLiteral("Button4"));
    EXPECT_EQ(dialogs.log.size(), 1);
    ASSERT_TRUE(device->waitForHandled(4, 5000));
    const auto lines = device->receivedLines();
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[2], "getdatafw");
    EXPECT_EQ(lines[3].substr(0, 12), "setin2pic0d_");
    EXPECT_EQ(fileBytes(devicePath(120)), devicePictureBytes(makeCodeGrid(initialPicture())));
}

TEST_F(EditorSend, AReadInTheMainWindowCountsAsTheEditorsWarning) {
    startDevice();
    clickMain(QStringLiteral("Button1"));
    ASSERT_EQ(dialogs.log, QStringList{PortWarningEntry});
    EXPECT_TRUE(form2->portWarningShown());
    putBitmap(152, Picture());
    clickMain(QStringLiteral("BitBtn25"));
    dialogs.log.clear();
    device->clearReceived();
    click(QStringLiteral("Button4"));
    EXPECT_TRUE(dialogs.log.isEmpty());
    ASSERT_TRUE(device->waitForHandled(2, 5000));
    EXPECT_EQ(device->receivedLines()[1].substr(0, 12), "setsbypic2d_");
    EXPECT_EQ(fileBytes(devicePath(152)), QByteArray(1024, '\0'));
}

TEST_F(EditorSend, MissingPortStillWritesTheDeviceFileAndTheLinkReports) {
    link.PortName = (home.path() + QStringLiteral("/no-such-port")).toStdString();
    CursorWatch watch(*form1);
    link.setStatusSink(&watch);
    putBitmap(141, filled(LedColor::White));
    clickMain(QStringLiteral("BitBtn18"));
    const QString before = form1->panelText(3) + form1->panelText(4);
    click(QStringLiteral("Button4"));
    EXPECT_NE(link.LinkErrorCode, link_code::Ok);
    // Both exchanges were tried, each failing to open the port.
    EXPECT_EQ(std::count(watch.texts.begin(), watch.texts.end(),
                         std::string("Com Port konnte nicht geöffnet werden")),
              2);
    EXPECT_NE(form1->panelText(3) + form1->panelText(4), before);
    ASSERT_FALSE(watch.shapes.empty());
    for (Qt::CursorShape shape : watch.shapes)
        EXPECT_EQ(shape, Qt::WaitCursor);
    link.setStatusSink(form1.get());
    EXPECT_EQ(fileBytes(devicePath(141)), QByteArray(1024, '\7'));
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    // Only the port warning; the link's failures go to the status bar.
    EXPECT_EQ(dialogs.log, QStringList{PortWarningEntry});
}

TEST_F(EditorSend, NothingWithoutACurrentSlotAndNoDeviceFileWhenTheFolderIsGone) {
    startDevice();
    form2->Button17Click();
    form2->Button20Click();
    form2->Button4Click();
    EXPECT_TRUE(dialogs.log.isEmpty());
    EXPECT_FALSE(form2->portWarningShown());
    EXPECT_TRUE(QDir(folder).entryList(QDir::Files).isEmpty());
    EXPECT_EQ(form2->picture(), initialPicture());

    putBitmap(100, Picture());
    clickMain(QStringLiteral("BitBtn1"));
    ASSERT_TRUE(QDir(folder).removeRecursively());
    click(QStringLiteral("Button4"));
    ASSERT_TRUE(device->waitForHandled(2, 5000));
    EXPECT_EQ(device->receivedLines().size(), 2u);
    EXPECT_FALSE(QFile::exists(devicePath(100)));
    EXPECT_EQ(dialogs.log, QStringList{PortWarningEntry});
}

// The note in the tool strip after each send, and the log's outcome row.
TEST_F(EditorSend, TheNoteTellsEachSendsOutcomeUntilTheSlotChanges) {
    startDevice();
    const QString port = QString::fromStdString(link.PortName);
    putBitmap(100, Picture());
    clickMain(QStringLiteral("BitBtn1"));
    QLabel* note = form2->findChild<QLabel*>(QStringLiteral("SendResult"));
    ASSERT_NE(note, nullptr);
    EXPECT_TRUE(note->text().isEmpty());

    struct Case {
        const char* what;
        std::function<void()> arrange;
        QString expected;  // a pattern: the time stands for \\d\\d:\\d\\d:\\d\\d
        std::function<void()> check = [] {};
    };
    // Two colours the device shows black beside a red pixel: only the red one's bit is sent.
    Picture off;
    off.setPixel(0, 0, qRgb(0, 255, 255));
    off.setPixel(1, 0, LedColor::Red);
    off.setPixel(2, 0, qRgb(254, 0, 0));
    const QString file = QStringLiteral("Pic0_In0.ledframe was written all the same.");
    const Case cases[] = {
        {"a good send", [] {}, QStringLiteral("In0_Pic0 sent to %1 at TIME").arg(port)},
        {"colours the device shows black",
         [&] {
             putBitmap(100, off);
             click(QStringLiteral("Button20"));
         },
         QStringLiteral("In0_Pic0 sent to %1 at TIME; 2 pixels are none of the eight colours; "
                        "the device shows them black")
             .arg(port),
         [&] {
             std::vector<std::uint8_t> planes(512, 0);
             planes[0] = 0x40;
             EXPECT_EQ(device->picture("in0pic0"), planes);
             EXPECT_EQ(fileBytes(devicePath(100)), QByteArray("\0\1", 2) + QByteArray(1022, '\0'));
         }},
        {"a device that does not take it",
         [this] {
             devsim::Options o;
             o.replyOverrides["setin0pic0d_"] = "ERR";
             device->setOptions(o);
         },
         QStringLiteral("In0_Pic0 not sent to %1 at TIME: the device answered 'ERR' instead of "
                        "OK. %2")
             .arg(port, file)},
        {"a silent device",
         [this] {
             devsim::Options o;
             o.silent = true;
             device->setOptions(o);
         },
         QStringLiteral("In0_Pic0 not sent to %1 at TIME: no answer from the device (link code "
                        "8). %2")
             .arg(port, file)},
        {"a missing port", [this] { link.PortName = device->missingPortName(); },
         QStringLiteral("In0_Pic0 not sent to COM97 at TIME: Com Port konnte nicht ge\u00f6ffnet "
                        "werden (Fehler 1). %1")
             .arg(file)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        c.arrange();
        click(QStringLiteral("Button4"));
        const QRegularExpression pattern(
            QLatin1Char('^') +
            QRegularExpression::escape(c.expected)
                .replace(QStringLiteral("TIME"), QStringLiteral("\\d\\d:\\d\\d:\\d\\d")) +
            QLatin1Char('$'));
        EXPECT_TRUE(pattern.match(note->text()).hasMatch()) << note->text().toStdString();
        c.check();
        EXPECT_TRUE(note->toolTip().startsWith(note->text().section(QStringLiteral(". "), 0, 0)));
        form2->grab().save(
            QDir::temp().filePath(QStringLiteral("form2_send_result_%1.png").arg(&c - cases)));
        const LogRow& outcome = form1->exchangeLog().row(form1->exchangeLog().size() - 1);
        EXPECT_EQ(outcome.operation, QStringLiteral("picture send"));
        EXPECT_TRUE(outcome.outcome.startsWith(QStringLiteral("Picture In0_Pic0 ")));
    }
    // The last case: the tooltip keeps every message of the link.
    EXPECT_TRUE(
        note->toolTip().contains(QStringLiteral("Fehler beim lesen vom Com Port (Fehler 7)")));
    EXPECT_EQ(form1->exchangeLog().row(form1->exchangeLog().size() - 2).sent.size(), 12u + 512u);
    EXPECT_EQ(form1->exchangeLog().row(2).outcome,
              QStringLiteral("Picture In0_Pic0 sent to %1").arg(port));
    // Only the port warning: the note is no dialog.
    EXPECT_EQ(dialogs.log, QStringList{PortWarningEntry});

    // Another slot clears it; the same slot again keeps it.
    clickMain(QStringLiteral("BitBtn1"));
    EXPECT_FALSE(note->text().isEmpty());
    clickMain(QStringLiteral("BitBtn2"));
    EXPECT_TRUE(note->text().isEmpty());
}

// A bundle that replaces the file of the slot the editor shows: the editor and its canvas show
// the bundle's picture at once, and Send and Save use it, never the old one.
TEST_F(EditorSend, ABundleOverTheShownSlotIsWhatSendAndSaveUse) {
    startDevice();
    putBitmap(100, filled(LedColor::Red));
    clickMain(QStringLiteral("BitBtn1"));
    form2->openCanvas();
    ASSERT_EQ(form2->picture(), filled(LedColor::Red));
    dialogs.log.clear();
    openBundle({{100, stripes(100)}, {141, stripes(141)}});
    ASSERT_EQ(dialogs.log.size(), 1);  // the bundle's own question, no other
    EXPECT_EQ(form2->picture(), stripes(100));
    EXPECT_EQ(form2->pictureView()->pixmap().toImage(), stripes(100).image());
    EXPECT_TRUE(form2->unsavedSlotName().isEmpty());

    click(QStringLiteral("Button4"));
    ASSERT_TRUE(device->waitForHandled(2, 5000));
    const auto planes = PlaneData(stripes(100));
    EXPECT_EQ(device->picture("in0pic0"), std::vector<std::uint8_t>(planes.begin(), planes.end()));

    ASSERT_TRUE(QFile::remove(bitmapPath(100)));
    click(QStringLiteral("Button17"));
    Picture saved;
    ASSERT_FALSE(loadBitmap(bitmapPath(100), saved).has_value());
    EXPECT_EQ(saved, stripes(100));
}

TEST_F(EditorSend, TheEditorIsOwnedByTheMainWindow) {
    clickMain(QStringLiteral("BitBtn1"));
    ASSERT_NE(form2->windowHandle(), nullptr);
    EXPECT_EQ(form2->windowHandle()->transientParent(), form1->windowHandle());
    EXPECT_FALSE(form2->isModal());
    EXPECT_EQ(form2->parent(), nullptr);
}

}  // namespace
}  // namespace blx52
