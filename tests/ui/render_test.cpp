#include <QDir>
#include <QImage>
#include <QPixmap>

#include "form_fixture.h"

namespace blx52 {
namespace {

using Render = FormTest;

// Draws the window's client area as the user sees it and keeps the picture for a look (form1.png
// in the temp folder). The whole area, also where a screen smaller than the window (the test
// platform's default on Windows) would scroll it.
TEST_F(Render, WindowShowsStripsAndPictures) {
    QWidget* area = form->findChild<QWidget*>(QStringLiteral("ClientArea"));
    ASSERT_NE(area, nullptr);
    const QImage shot = area->grab().toImage();
    ASSERT_FALSE(shot.isNull());
    shot.save(QDir::temp().filePath(QStringLiteral("form1.png")));
    auto colourAtCentre = [&](const char* name) {
        QWidget* w = form->findChild<QWidget*>(QString::fromLatin1(name));
        const QPoint centre = w->mapTo(area, w->rect().center());
        return shot.pixelColor(centre * shot.devicePixelRatio());
    };
    EXPECT_EQ(colourAtCentre("Memo39"), TForm1::clRed());
    EXPECT_EQ(colourAtCentre("Memo37"), TForm1::clMenu());
    setText("Edit20", QString());
    const QImage after = area->grab().toImage();
    QWidget* strip = form->findChild<QWidget*>(QStringLiteral("Memo37"));
    EXPECT_EQ(
        after.pixelColor(strip->mapTo(area, strip->rect().center()) * after.devicePixelRatio()),
        TForm1::clBlue());
    // The glyph of BitBtn1 (a warning sign) is drawn on its button.
    QWidget* b = form->findChild<QWidget*>(QStringLiteral("BitBtn1"));
    const QRect r(b->mapTo(area, QPoint(4, 4)), QSize(32, 32));
    int red = 0;
    for (int y = r.top(); y <= r.bottom(); ++y) {
        for (int x = r.left(); x <= r.right(); ++x)
            red += shot.pixelColor(x, y) == QColor(255, 0, 0);
    }
    EXPECT_GT(red, 30);
}

}  // namespace
}  // namespace blx52
