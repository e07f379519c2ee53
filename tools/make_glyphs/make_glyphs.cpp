// Draws the sample pictures of the main window: the 25 picture-button glyphs (32 × 32, in the
// device's eight colours), the window icon and the picture of the device. Run once after a change:
//   QT_QPA_PLATFORM=offscreen blx52-make-glyphs ui/resources
#include <QDir>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPolygon>
#include <QString>
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "picture/picture.h"
#include "picture/slot_table.h"

namespace {

// The device shows eight colours; glyphs use nothing else. Taken from the picture model, so a
// glyph never holds a colour the device would show black (its cyan is half-intensity).
QColor led(blx52::LedColor color) {
    return QColor::fromRgb(blx52::ledRgb(color));
}
const QColor Black = led(blx52::LedColor::Black), Red = led(blx52::LedColor::Red),
             Green = led(blx52::LedColor::Green), Yellow = led(blx52::LedColor::Yellow),
             Blue = led(blx52::LedColor::Blue), Magenta = led(blx52::LedColor::Magenta),
             Cyan = led(blx52::LedColor::Cyan), White = led(blx52::LedColor::White);

QImage blank() {
    QImage image(32, 32, QImage::Format_RGB32);
    image.fill(Black);
    return image;
}

// Antialiasing off keeps every pixel in one of the eight colours.
void fillPath(QImage& image, const QPainterPath& path, const QColor& colour) {
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.fillPath(path, colour);
}

QImage warning(const QColor& fill, const QColor& mark) {
    QImage image = blank();
    QPainterPath outer;
    outer.addPolygon(QPolygonF({QPointF(16, 1), QPointF(31, 29), QPointF(1, 29)}));
    outer.closeSubpath();
    fillPath(image, outer, mark);
    QPainterPath inner;
    inner.addPolygon(QPolygonF({QPointF(16, 6), QPointF(27, 27), QPointF(5, 27)}));
    inner.closeSubpath();
    fillPath(image, inner, fill);
    for (int y = 11; y <= 21; ++y) {
        image.setPixelColor(15, y, mark);
        image.setPixelColor(16, y, mark);
    }
    for (int y = 23; y <= 24; ++y) {
        image.setPixelColor(15, y, mark);
        image.setPixelColor(16, y, mark);
    }
    return image;
}

// An arrow pointing right, turned by `quarterTurns` × 90° clockwise.
QImage arrow(const QColor& colour, int quarterTurns) {
    QImage image = blank();
    QPainterPath path;
    path.addPolygon(QPolygonF({QPointF(3, 12), QPointF(17, 12), QPointF(17, 4), QPointF(29, 16),
                               QPointF(17, 28), QPointF(17, 20), QPointF(3, 20)}));
    path.closeSubpath();
    fillPath(image, path, colour);
    QTransform turn;
    turn.rotate(90.0 * (quarterTurns % 4));
    return image.transformed(turn);
}

QImage lettering(const QString& text, const QColor& colour) {
    QImage image = blank();
    QPainter p(&image);
    p.setRenderHint(QPainter::TextAntialiasing, false);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(28);
    font.setBold(true);
    font.setStyleStrategy(QFont::NoAntialias);
    p.setFont(font);
    p.setPen(colour);
    p.drawText(QRect(0, 0, 32, 32), Qt::AlignCenter, text);
    p.end();
    // The text renderer may still blend at the edges: snap every pixel to black or the colour.
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) {
            const QColor c = image.pixelColor(x, y);
            const bool lit = std::max({c.red(), c.green(), c.blue()}) > 127;
            image.setPixelColor(x, y, lit ? colour : Black);
        }
    }
    return image;
}

QImage ring(const QColor& colour) {
    QImage image = blank();
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) {
            const double r = std::hypot(x - 15.5, y - 15.5);
            if (r >= 9 && r <= 13)
                image.setPixelColor(x, y, colour);
        }
    }
    return image;
}

QImage frame(const QColor& outer, const QColor& inner) {
    QImage image = blank();
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) {
            const int edge = std::min(std::min(x, y), std::min(31 - x, 31 - y));
            if (edge < 2)
                image.setPixelColor(x, y, outer);
            if (edge >= 5 && edge < 7)
                image.setPixelColor(x, y, inner);
        }
    }
    return image;
}

QImage glyph(int code) {
    const int section = (code - 100) / 10;
    const int picture = code % 10;
    static const QColor sectionColour[4] = {Red, Green, Cyan, Magenta};
    static const int firstTurn[4] = {0, 3, 1, 2};  // right, up, down, left
    if (section < 4) {
        switch (picture) {
            case 0:
                return warning(Yellow, Red);
            case 1:
                return arrow(sectionColour[section], firstTurn[section]);
            case 2:
                return warning(Red, Yellow);
            default:
                return arrow(sectionColour[section], firstTurn[section] + 2);
        }
    }
    if (section == 4) {
        static const char* letters[6] = {"B", "L", "X", "5", "2", "!"};
        static const QColor colours[6] = {White, White, White, Yellow, Yellow, Green};
        return lettering(QString::fromLatin1(letters[picture]), colours[picture]);
    }
    switch (picture) {
        case 0:
            return ring(Green);
        case 1:
            return lettering(QStringLiteral("z"), Blue);
        default:
            return frame(Blue, Cyan);
    }
}

QImage icon() {
    QImage image(32, 32, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(QColor(30, 30, 60));
    p.setPen(QColor(90, 90, 120));
    p.drawRoundedRect(QRectF(1, 1, 30, 30), 5, 5);
    p.end();
    const QImage mark = warning(Yellow, Red).scaled(22, 22);
    QPainter q(&image);
    q.drawImage(5, 5, mark);
    return image;
}

QImage device() {
    QImage image(233, 185, QImage::Format_RGB32);
    image.fill(QColor(240, 240, 240));
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    // Housing with cable.
    p.setPen(QColor(70, 70, 70));
    p.setBrush(QColor(105, 110, 118));
    p.drawRoundedRect(QRectF(20, 6, 160, 172), 10, 10);
    p.setBrush(QColor(40, 40, 40));
    p.drawRect(QRectF(180, 140, 36, 10));
    p.drawRect(QRectF(212, 136, 16, 18));
    // LED field with the first warning glyph, each LED a 4 × 4 dot.
    p.setBrush(Qt::black);
    p.drawRect(QRectF(35, 14, 130, 130));
    const QImage field = glyph(100);
    p.setPen(Qt::NoPen);
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) {
            const QColor c = field.pixelColor(x, y);
            p.setBrush(c == Black ? QColor(25, 25, 25) : c);
            p.drawEllipse(QRectF(36 + 4 * x, 15 + 4 * y, 3.2, 3.2));
        }
    }
    // Input lamps and lettering.
    for (int i = 0; i < 3; ++i) {
        p.setBrush(i == 0 ? Green : QColor(0, 80, 0));
        p.drawEllipse(QRectF(40 + 22 * i, 152, 9, 9));
    }
    p.setPen(White);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(11);
    font.setBold(true);
    p.setFont(font);
    p.drawText(QRectF(100, 149, 76, 16), Qt::AlignCenter, QStringLiteral("BLX52"));
    return image;
}

bool save(const QImage& image, const QDir& dir, const QString& name) {
    const QString path = dir.filePath(name);
    if (!image.save(path, "PNG")) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    const QDir dir(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("."));
    bool ok = true;
    for (const auto& slot : blx52::pictureSlots()) {
        ok = save(glyph(slot.code), dir, QStringLiteral("glyph_%1.png").arg(slot.code)) && ok;
    }
    ok = save(icon(), dir, QStringLiteral("icon.png")) && ok;
    ok = save(device(), dir, QStringLiteral("device.png")) && ok;
    return ok ? 0 : 1;
}
