#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QFile>
#include <QLabel>
#include <QMouseEvent>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScreen>
#include <QTimer>
#include <QToolButton>
#include <algorithm>
#include <set>
#include <utility>

#include "editor_fixture.h"
#include "picture/presets.h"
#include "tests/common/simulated_device.h"
#include "tests/picture/picture_print.h"
#include "ui/picture_canvas.h"

namespace blx52 {
namespace {

using Pixels = std::set<std::pair<int, int>>;

class EditorCanvas : public EditorTest {
  protected:
    // The editor on slot 100 (all black) with its canvas opened by the tool strip's button.
    void openCanvas() {
        putBitmap(100, Picture());
        clickMain(QStringLiteral("BitBtn1"));
        auto* b = form2->findChild<QToolButton*>(QStringLiteral("CanvasButton"));
        ASSERT_NE(b, nullptr);
        QTest::mouseClick(b, Qt::LeftButton);
        canvas = form2->findChild<PictureCanvas*>(QStringLiteral("PictureCanvas"));
        ASSERT_NE(canvas, nullptr);
        ASSERT_TRUE(canvas->isVisible());
        view = canvas->findChild<CanvasView*>(QStringLiteral("CanvasView"));
        ASSERT_NE(view, nullptr);
    }
    QToolButton* tool(const char* name) const {
        return canvas->findChild<QToolButton*>(QString::fromLatin1(name));
    }
    void clickTool(const char* name) {
        QToolButton* b = tool(name);
        ASSERT_NE(b, nullptr) << name;
        QTest::mouseClick(b, Qt::LeftButton);
    }
    QPoint centre(QPoint pixel) const { return view->pixelRect(pixel).center(); }
    void mouse(QEvent::Type type, QPoint pixel, Qt::MouseButton button, Qt::MouseButtons held) {
        const QPointF at = centre(pixel);
        QMouseEvent event(type, at, view->mapToGlobal(at), button, held, Qt::NoModifier);
        QApplication::sendEvent(view, &event);
    }
    // Press at the first point, move through the others, release at the last.
    void drag(std::initializer_list<QPoint> points, Qt::MouseButton button = Qt::LeftButton) {
        const QPoint* p = points.begin();
        mouse(QEvent::MouseButtonPress, *p, button, button);
        for (++p; p != points.end(); ++p)
            mouse(QEvent::MouseMove, *p, Qt::NoButton, button);
        mouse(QEvent::MouseButtonRelease, *(points.end() - 1), button, Qt::NoButton);
    }
    // Pixels of Image2, as the user sees them, that differ from `than`.
    Pixels shownDifferences(const Picture& than) const {
        const QImage shown = form2->pictureView()->pixmap().toImage();
        Pixels out;
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x)
                if ((shown.pixel(x, y) | 0xff000000u) != than.pixel(x, y))
                    out.insert({x, y});
        return out;
    }
    void key(int k, Qt::KeyboardModifiers modifiers = {}) {
        // Window shortcuts go to the active window; the platform activates windows later, and
        // a window raised before may still take its turn.
        for (int k = 0; k < 100 && QApplication::activeWindow() != canvas; ++k) {
            canvas->activateWindow();
            QTest::qWait(5);
        }
        ASSERT_EQ(QApplication::activeWindow(), canvas);
        QTest::keyClick(canvas, static_cast<Qt::Key>(k), modifiers);
    }

    PictureCanvas* canvas = nullptr;
    CanvasView* view = nullptr;
};

QByteArray fileBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QString colorNameOf(LedColor color) {
    return QString::fromLatin1(ledColors()[static_cast<std::size_t>(ledCode(color))].name);
}

Pixels box(int left, int top, int right, int bottom) {
    Pixels out;
    for (int y = top; y <= bottom; ++y)
        for (int x = left; x <= right; ++x)
            out.insert({x, y});
    return out;
}

TEST_F(EditorCanvas, DragChangesExactlyThosePixelsInImage2AndUndoRestoresThem) {
    openCanvas();
    EXPECT_TRUE(canvas->fitsWindow());
    const Picture black;
    // A fast stroke: three mouse points far apart, joined without gaps.
    drag({{2, 3}, {10, 3}, {10, 6}});
    Pixels expected = box(2, 3, 10, 3);
    for (int y = 4; y <= 6; ++y)
        expected.insert({10, y});
    EXPECT_EQ(shownDifferences(black), expected);
    EXPECT_EQ(form2->picture().code(2, 3), 1);  // red, the canvas's first colour

    const struct {
        const char* tool;
        std::initializer_list<QPoint> points;
        Qt::MouseButton button;
        Pixels changed;  // against the picture before
        int code;
    } shapes[] = {
        {"ToolLine", {{0, 10}, {20, 30}, {5, 10}}, Qt::LeftButton, box(0, 10, 5, 10), 1},
        {"ToolFilledRect", {{0, 20}, {2, 21}}, Qt::LeftButton, box(0, 20, 2, 21), 1},
        {"ToolRect", {{0, 20}, {1, 21}}, Qt::RightButton, box(0, 20, 1, 21), 0},
    };
    for (const auto& s : shapes) {
        const Picture before = form2->picture();
        clickTool(s.tool);
        drag(s.points, s.button);
        EXPECT_EQ(shownDifferences(before), s.changed) << s.tool;
        EXPECT_EQ(form2->picture().code(s.changed.begin()->first, s.changed.begin()->second),
                  s.code)
            << s.tool;
    }

    for (int k = 0; k < 3; ++k)
        key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(shownDifferences(black), expected);
    key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_TRUE(shownDifferences(black).empty());
    EXPECT_FALSE(tool("CanvasUndo")->isEnabled());
    clickTool("CanvasRedo");
    EXPECT_EQ(shownDifferences(black), expected);
    // Undo talks to neither the device nor the files.
    EXPECT_TRUE(dialogs.log.isEmpty());
    EXPECT_FALSE(QFile::exists(devicePath(100)));
}

// A pixel the device shows black, though the canvas shows its colour, is crossed where the zoom
// leaves room and counted in the status line, until it is drawn over.
TEST_F(EditorCanvas, PixelsTheDeviceShowsBlackAreCrossedAndCounted) {
    openCanvas();
    auto* status = canvas->findChild<QLabel*>(QStringLiteral("CanvasStatus"));
    ASSERT_NE(status, nullptr);
    const QString none = QStringLiteral("none of the eight colours");
    EXPECT_FALSE(status->text().contains(none));
    Picture off;
    off.setPixel(3, 4, qRgb(0, 255, 255));  // light: a black cross
    off.setPixel(6, 4, qRgb(20, 0, 40));    // dark: a white cross
    off.setPixel(9, 4, LedColor::Cyan);
    putBitmap(100, off);
    click(QStringLiteral("Button20"));
    EXPECT_TRUE(status->text().endsWith(
        QStringLiteral("2 pixels are none of the eight colours; the device shows them black")))
        << status->text().toStdString();

    // The colours inside a pixel, its grid line left out.
    const auto shown = [this](QPoint pixel) {
        const QImage shot = view->grab().toImage();
        std::set<QRgb> colours;
        const QRect r = view->pixelRect(pixel).adjusted(1, 1, 0, 0);
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x)
                colours.insert(shot.pixel(x, y) | 0xff000000u);
        return colours;
    };
    using Colours = std::set<QRgb>;
    for (int zoom : {CanvasView::MarkFromZoom, 16}) {
        SCOPED_TRACE(zoom);
        canvas->setZoom(zoom);
        EXPECT_EQ(shown({3, 4}), (Colours{qRgb(0, 255, 255), qRgb(0, 0, 0)}));
        EXPECT_EQ(shown({6, 4}), (Colours{qRgb(20, 0, 40), qRgb(255, 255, 255)}));
        EXPECT_EQ(shown({9, 4}), Colours{qRgb(0, 128, 128)});
    }
    view->grab().save(QDir::temp().filePath(QStringLiteral("canvas_off_colours.png")));
    canvas->setZoom(CanvasView::MarkFromZoom - 1);  // no room for a cross
    EXPECT_EQ(shown({3, 4}), Colours{qRgb(0, 255, 255)});

    canvas->setZoom(16);
    drag({{3, 4}});  // the pencil in red
    EXPECT_TRUE(status->text().endsWith(
        QStringLiteral("1 pixel is none of the eight colours; the device shows it black")));
    EXPECT_EQ(shown({3, 4}), Colours{qRgb(255, 0, 0)});
    drag({{6, 4}}, Qt::RightButton);  // black
    EXPECT_FALSE(status->text().contains(none)) << status->text().toStdString();
    EXPECT_EQ(shown({6, 4}), Colours{qRgb(0, 0, 0)});
}

TEST_F(EditorCanvas, TheEditorsOwnOperationsAreStepsAndShowOnTheCanvas) {
    openCanvas();
    click(QStringLiteral("BitBtn9"));  // blue pen at 4, 5
    edit("Edit1")->setText(QStringLiteral("4"));
    edit("Edit2")->setText(QStringLiteral("5"));
    click(QStringLiteral("Button5"));
    EXPECT_EQ(canvas->view()->grab().toImage().pixelColor(centre({4, 5})), QColor(0, 0, 255));
    click(QStringLiteral("BitBtn3"));
    click(QStringLiteral("Button3"));
    EXPECT_EQ(form2->picture(), Picture());
    key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(form2->picture(), blueDiscPicture());
    key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(shownDifferences(Picture()), (Pixels{{4, 5}}));
    key(Qt::Key_Y, Qt::ControlModifier);
    key(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(form2->picture(), Picture());

    // Keys: colour 4 (green, the editor's fourth), arrow shifts with wrap-around, fill with the
    // right button.
    key(Qt::Key_4);
    drag({{31, 0}});
    key(Qt::Key_Right);
    EXPECT_EQ(shownDifferences(Picture()), (Pixels{{0, 0}}));
    EXPECT_EQ(form2->picture().code(0, 0), 2);
    clickTool("ToolFill");
    drag({{5, 5}});
    EXPECT_EQ(form2->picture().code(31, 31), 2);
    key(Qt::Key_3);
    clickTool("ToolPicker");
    drag({{0, 0}});
    EXPECT_EQ(canvas->view()->color(), LedColor::Green);
    clickTool("ToolFill");
    drag({{5, 5}}, Qt::RightButton);
    EXPECT_EQ(form2->picture(), Picture());
}

TEST_F(EditorCanvas, ItsOwnSendAndSaveRunTheEditorsWithTheSameBytesFilesAndNotes) {
    std::string why;
    std::unique_ptr<test::SimulatedDevice> device = test::startSimulatedDevice("COM1", &why);
    ASSERT_TRUE(device) << why;
    link.PortName = device->portName();
    openCanvas();
    key(Qt::Key_2);  // red
    drag({{0, 0}, {31, 31}});
    QLabel* note = form2->findChild<QLabel*>(QStringLiteral("SendResult"));
    ASSERT_NE(note, nullptr);
    const QRegularExpression time(QStringLiteral("\\d\\d:\\d\\d:\\d\\d$"));

    // Send: the canvas's button, then the editor's, must reach the device alike.
    clickTool("CanvasSend");
    EXPECT_EQ(dialogs.log, QStringList{PortWarningEntry});  // the editor's own warning
    ASSERT_TRUE(device->waitForHandled(2, 5000));
    const std::vector<std::string> fromCanvas = device->receivedLines();
    const QByteArray canvasDeviceFile = fileBytes(devicePath(100));
    EXPECT_EQ(canvas->note(), note->text());
    EXPECT_TRUE(note->text().startsWith(QStringLiteral("In0_Pic0 sent to ")));
    device->clearReceived();
    QFile::remove(devicePath(100));
    click(QStringLiteral("Button4"));
    ASSERT_TRUE(device->waitForHandled(2, 5000));
    EXPECT_EQ(device->receivedLines(), fromCanvas);
    ASSERT_EQ(fromCanvas.size(), 2u);
    EXPECT_EQ(fromCanvas[1].size(), 12u + 512u);
    EXPECT_EQ(fileBytes(devicePath(100)), canvasDeviceFile);
    EXPECT_EQ(canvasDeviceFile.size(), 1024);

    // Save: the same bitmap file and glyph, and a note of slot, file and time in both places.
    clickTool("CanvasSave");
    const QByteArray canvasBitmap = fileBytes(bitmapPath(100));
    const QImage canvasGlyph = form1->buttonGlyph(100);
    EXPECT_EQ(Picture::fromImage(canvasGlyph), form2->picture());
    EXPECT_TRUE(note->text().startsWith(QStringLiteral("In0_Pic0 saved to In0_Pic0.bmp at ")))
        << note->text().toStdString();
    EXPECT_TRUE(time.match(note->text()).hasMatch());
    EXPECT_TRUE(note->toolTip().contains(QDir::toNativeSeparators(bitmapPath(100))));
    EXPECT_EQ(canvas->note(), note->text());
    QFile::remove(bitmapPath(100));
    click(QStringLiteral("Button17"));
    EXPECT_EQ(fileBytes(bitmapPath(100)), canvasBitmap);
    EXPECT_FALSE(canvasBitmap.isEmpty());
    EXPECT_EQ(form1->buttonGlyph(100), canvasGlyph);
    EXPECT_EQ(dialogs.log, QStringList{PortWarningEntry});

    // Another slot clears the note on both.
    clickMain(QStringLiteral("BitBtn2"));
    EXPECT_TRUE(canvas->note().isEmpty());
}

TEST_F(EditorCanvas, ColoursAndKeysFollowTheEditorsOrderAndTheWindowStaysOnTheScreen) {
    openCanvas();
    QStringList editorOrder;
    // The editor's colour buttons stand top to bottom as BitBtn4 … BitBtn11.
    for (int k = 4; k <= 11; ++k) {
        click(QStringLiteral("BitBtn%1").arg(k));
        ASSERT_TRUE(form2->pen().color.has_value());
        editorOrder << colorNameOf(*form2->pen().color);
    }
    QStringList canvasOrder;
    QList<QToolButton*> swatches;
    for (QToolButton* b : canvas->findChildren<QToolButton*>()) {
        if (b->objectName().startsWith(QStringLiteral("CanvasColor")))
            swatches << b;
    }
    std::sort(swatches.begin(), swatches.end(),
              [](QToolButton* a, QToolButton* b) { return a->y() < b->y(); });
    for (int k = 0; k < swatches.size(); ++k) {
        canvasOrder << swatches[k]->text().section(u' ', 1);
        EXPECT_TRUE(swatches[k]->text().startsWith(QString::number(k + 1)));
        key(Qt::Key_1 + k);
        EXPECT_EQ(colorNameOf(canvas->view()->color()), canvasOrder.back());
    }
    EXPECT_EQ(canvasOrder, editorOrder);

    const QRect screen = canvas->screen()->availableGeometry();
    EXPECT_TRUE(screen.contains(canvas->frameGeometry()))
        << canvas->frameGeometry().x() << "," << canvas->frameGeometry().y();
}

TEST_F(EditorCanvas, F1OpensTheManualAtTheEditorsAndTheCanvassChapter) {
    openCanvas();
    const struct {
        QWidget* window;
        const char* chapter;
    } cases[] = {{form2.get(), "the-picture-editor"}, {canvas, "the-canvas"}};
    for (const auto& c : cases)
        expectF1OpensChapter(c.window, c.chapter);
}

TEST_F(EditorCanvas, CanvasDrawingIsWhatSendToDeviceSends) {
    std::string why;
    std::unique_ptr<test::SimulatedDevice> device = test::startSimulatedDevice("COM1", &why);
    ASSERT_TRUE(device) << why;
    link.PortName = device->portName();
    openCanvas();
    key(Qt::Key_8);  // white
    drag({{0, 0}, {7, 0}});
    key(Qt::Key_6);  // blue
    drag({{31, 16}});
    click(QStringLiteral("Button4"));
    ASSERT_TRUE(device->waitForHandled(2, 5000));
    const std::vector<std::string> lines = device->receivedLines();
    ASSERT_EQ(lines.size(), 2u);
    std::string data(512, '\0');
    for (int plane = 0; plane < 3; ++plane)
        data[std::size_t(4 * plane)] = static_cast<char>(0xFF);
    data[16 + 8 + 3] = '\x01';
    EXPECT_EQ(lines[1], "setin0pic0d_" + data);
    QFile file(devicePath(100));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray codes = file.readAll();
    EXPECT_EQ(codes.left(8), QByteArray(8, '\7'));
    EXPECT_EQ(codes[16 * 32 + 31], '\4');
}

TEST_F(EditorCanvas, SlotChangeFollowsAndEachSlotKeepsItsHistory) {
    putBitmap(131, filled(LedColor::Yellow));
    openCanvas();
    drag({{1, 1}, {3, 1}});
    const Picture drawn = form2->picture();
    clickMain(QStringLiteral("BitBtn9"));  // slot 131
    EXPECT_TRUE(canvas->windowTitle().endsWith(QStringLiteral("In12_Pic1")));
    EXPECT_EQ(form2->picture(), filled(LedColor::Yellow));
    EXPECT_EQ(canvas->view()->grab().toImage().pixelColor(centre({1, 1})), QColor(255, 255, 0));
    EXPECT_FALSE(tool("CanvasUndo")->isEnabled());
    drag({{0, 0}});
    EXPECT_EQ(shownDifferences(filled(LedColor::Yellow)), (Pixels{{0, 0}}));

    // Back on 100 the drawing is dropped for the file, as a slot change does; undo has it.
    form2->comboBox()->setCurrentIndex(0);
    form2->ComboBox1Change();
    EXPECT_EQ(form2->picture(), Picture());
    EXPECT_TRUE(canvas->windowTitle().endsWith(QStringLiteral("In0_Pic0")));
    clickTool("CanvasUndo");
    EXPECT_EQ(form2->picture(), drawn);
}

TEST_F(EditorCanvas, ImportWithPreviewClipboardAndExport) {
    openCanvas();
    const QString path = home.filePath(QStringLiteral("wide.png"));
    QImage wide(90, 30, QImage::Format_ARGB32);
    wide.fill(qRgba(0, 0, 0, 0));
    for (int y = 0; y < 30; ++y)
        for (int x = 30; x < 60; ++x)
            wide.setPixel(x, y, qRgb(255, 0, 0));
    ASSERT_TRUE(wide.save(path));
    QString seen;
    QTimer::singleShot(0, [&seen] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        seen = dialog->objectName();
        dialog->findChild<QRadioButton*>(QStringLiteral("ImportCrop"))->click();
        dialog->findChild<QRadioButton*>(QStringLiteral("ImportNearest"))->click();
        dialog->accept();
    });
    ASSERT_TRUE(canvas->importFile(path));
    EXPECT_EQ(seen, QStringLiteral("CanvasImportDialog"));
    EXPECT_EQ(form2->picture(), filled(LedColor::Red));  // the middle square
    clickTool("CanvasUndo");
    EXPECT_EQ(form2->picture(), Picture());

    click(QStringLiteral("BitBtn2"));
    key(Qt::Key_C, Qt::ControlModifier);
    clickMain(QStringLiteral("BitBtn2"));  // slot 101 has no file: the picture stays
    dialogs.log.clear();
    click(QStringLiteral("Button3"));
    key(Qt::Key_V, Qt::ControlModifier);  // our own picture comes in without a question
    EXPECT_EQ(form2->picture(), prohibitionSignPicture());
    EXPECT_TRUE(dialogs.log.isEmpty());

    const QString out = home.filePath(QStringLiteral("out.png"));
    ASSERT_TRUE(canvas->exportFile(out, 10));
    EXPECT_EQ(QImage(out).size(), QSize(320, 320));
    EXPECT_FALSE(canvas->importFile(home.filePath(QStringLiteral("none.png"))));
    EXPECT_EQ(dialogs.log.size(), 1);
}

TEST_F(EditorCanvas, OpensByDoubleClickAndCtrlEAndRendersAt16x) {
    putBitmap(100, warningTrianglePicture());
    clickMain(QStringLiteral("BitBtn1"));
    QTest::mouseDClick(form2->pictureView(), Qt::LeftButton);
    ASSERT_NE(form2->canvas(), nullptr);
    EXPECT_TRUE(form2->canvas()->isVisible());
    form2->canvas()->close();
    form2->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form2.get()));
    QTest::keyClick(form2.get(), Qt::Key_E, Qt::ControlModifier);
    EXPECT_TRUE(form2->canvas()->isVisible());

    canvas = form2->canvas();
    view = canvas->view();
    canvas->resize(760, 640);
    canvas->setZoom(16);
    EXPECT_FALSE(canvas->fitsWindow());
    edit("Edit1")->setText(QStringLiteral("15"));
    edit("Edit2")->setText(QStringLiteral("20"));
    key(Qt::Key_6);  // blue
    clickTool("ToolEllipse");
    drag({{9, 12}, {22, 25}});
    const QImage shot = canvas->grab().toImage();
    shot.save(QDir::temp().filePath(QStringLiteral("canvas_16x.png")));
    // Grid lines between the pixels, pixel colours inside them.
    const QImage surface = view->grab().toImage();
    EXPECT_EQ(surface.size(), QSize(512, 512) * surface.devicePixelRatio());
    EXPECT_EQ(surface.pixelColor(centre({14, 8})), QColor(255, 255, 255));
    EXPECT_EQ(surface.pixelColor(centre({1, 31})), QColor(255, 0, 0));
    EXPECT_EQ(surface.pixelColor(centre({9, 18})), QColor(0, 0, 255));  // the ellipse's left end
    EXPECT_NE(surface.pixelColor(QPoint(16, 8)), surface.pixelColor(QPoint(17, 8)));
    // The pen's mark: its pixel looks different once the pen leaves the matrix.
    edit("Edit1")->setText(QStringLiteral("40"));
    const QImage unmarked = view->grab().toImage();
    const QRect pen = view->pixelRect({15, 20});
    EXPECT_NE(surface.copy(pen), unmarked.copy(pen));
    EXPECT_EQ(surface.copy(view->pixelRect({14, 20})), unmarked.copy(view->pixelRect({14, 20})));
}

}  // namespace
}  // namespace blx52
