#include <QDir>

#include "editor_fixture.h"
#include "picture/presets.h"

namespace blx52 {
namespace {

using EditorRender = EditorTest;

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
