#include <QAction>
#include <QDir>
#include <QPainter>
#include <QScreen>
#include <QTextBlock>
#include <QTextFragment>

#include "editor_fixture.h"
#include "picture/presets.h"
#include "ui/about_box.h"
#include "ui/picture_canvas.h"
#include "ui/ports_dialog.h"

namespace blx52 {
namespace {

using EditorRender = EditorTest;

// Where the pictures for a look go: BLX52_RENDER_DIR, else the temp folder.
QString renderPath(const char* name) {
    const QString dir = qEnvironmentVariable("BLX52_RENDER_DIR", QDir::tempPath());
    QDir().mkpath(dir);
    return QDir(dir).filePath(QString::fromLatin1(name));
}

// The canvas opens beside the editor on the screen, and the help window, the About box and the
// ports dialog draw. On a full HD screen (QT_QPA_PLATFORM=offscreen:configfile=…) the canvas
// stays off the editor altogether; every screen keeps it inside.
TEST_F(EditorRender, CanvasBesideTheEditorHelpAboutAndPorts) {
    putBitmap(100, warningTrianglePicture());
    clickMain(QStringLiteral("BitBtn1"));
    form2->openCanvas();
    PictureCanvas* canvas = form2->canvas();
    ASSERT_NE(canvas, nullptr);
    QApplication::processEvents();
    const QRect screen = canvas->screen()->availableGeometry();
    const QRect editor = form2->frameGeometry();
    EXPECT_TRUE(screen.contains(canvas->frameGeometry()));
    const int room = std::max(screen.right() - editor.right(), editor.left() - screen.left());
    if (room >= 480 + 8) {
        EXPECT_FALSE(canvas->frameGeometry().intersects(editor));
    }
    // The windows where they stand on the screen.
    QImage desk(canvas->screen()->geometry().size(), QImage::Format_RGB32);
    desk.fill(QColor(40, 60, 80));
    {
        QPainter painter(&desk);
        for (QWidget* w : {static_cast<QWidget*>(form1.get()), static_cast<QWidget*>(form2.get()),
                           static_cast<QWidget*>(canvas)}) {
            painter.drawPixmap(w->frameGeometry().topLeft(), w->grab());
        }
    }
    EXPECT_TRUE(desk.save(renderPath("canvas-beside-editor.png")));

    form1->findChild<QAction*>(QStringLiteral("Help1"))->trigger();
    HelpWindow* help = shownHelpWindow();
    ASSERT_NE(help, nullptr);
    help->resize(900, 1000);
    help->showChapter(QStringLiteral("the-main-window"));
    QApplication::processEvents();
    EXPECT_TRUE(help->grab().save(renderPath("help-window.png")));

    form1->findChild<QAction*>(QStringLiteral("Info1"))->trigger();
    ASSERT_NE(form1->aboutBox(), nullptr);
    QApplication::processEvents();
    EXPECT_TRUE(form1->aboutBox()->grab().save(renderPath("about-box.png")));

    form1->Ports1Click();
    ASSERT_NE(form1->portsDialog(), nullptr);
    QApplication::processEvents();
    EXPECT_TRUE(form1->portsDialog()->grab().save(renderPath("ports-dialog.png")));
}

// Draws both windows as the user sees them (form2.png and form1_after.png in the temp folder)
// and checks that the picture view shows the picture one screen pixel per picture pixel and that
// a saved picture appears on its button.
TEST_F(EditorRender, PictureViewAndSavedThumbnailAreOnScreen) {
    putBitmap(100, warningTrianglePicture());
    clickMain(QStringLiteral("BitBtn1"));
    click(QStringLiteral("BitBtn9"));
    edit("Edit1")->setText(QStringLiteral("15"));
    edit("Edit2")->setText(QStringLiteral("20"));
    click(QStringLiteral("Button5"));
    click(QStringLiteral("Button17"));
    ASSERT_TRUE(dialogs.log.isEmpty());

    const QImage shot = form2->grab().toImage();
    ASSERT_FALSE(shot.isNull());
    shot.save(QDir::temp().filePath(QStringLiteral("form2.png")));
    const QPoint at = form2->pictureView()->mapTo(form2.get(), QPoint(0, 0));
    const qreal ratio = shot.devicePixelRatio();
    int differing = 0;
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) {
            const QPoint p = (at + QPoint(x, y)) * ratio;
            differing += shot.pixel(p) != (form2->picture().pixel(x, y) | 0xff000000u);
        }
    }
    EXPECT_EQ(differing, 0);
    EXPECT_EQ(form2->picture().code(15, 20), 4);

    const QImage main = form1->grab().toImage();
    main.save(QDir::temp().filePath(QStringLiteral("form1_after.png")));
    QWidget* b = form1->button(QStringLiteral("BitBtn1"));
    const QRect r(b->mapTo(form1.get(), QPoint(0, 0)), b->size());
    int blue = 0;
    for (int y = r.top(); y <= r.bottom(); ++y) {
        for (int x = r.left(); x <= r.right(); ++x)
            blue += main.pixelColor(x, y) == QColor(0, 0, 255);
    }
    EXPECT_EQ(blue, 1);  // the one blue pixel drawn into the saved triangle
}

}  // namespace
}  // namespace blx52
