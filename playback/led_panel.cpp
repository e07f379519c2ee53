#include "playback/led_panel.h"

#include <QHash>
#include <QPainter>
#include <algorithm>

namespace blx52 {

QRgb ledColour(int code, int brightness) {
    if ((code & 7) == 0)
        return UnlitLed;
    // Even the lowest brightness leaves a lit LED well apart from an unlit one.
    const int level = 95 + 160 * std::clamp(brightness, 0, 9) / 9;
    return qRgb(code & 1 ? level : 0, code & 2 ? level : 0, code & 4 ? level : 0);
}

void paintLedPanel(QPainter& painter, const Picture& picture, const QRectF& area, int brightness,
                   bool smooth) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, smooth);
    painter.fillRect(area, QColor::fromRgb(PanelBackground));
    painter.setPen(Qt::NoPen);
    const double w = area.width() / Picture::Width;
    const double h = area.height() / Picture::Height;
    // A small gap between LEDs, as on the matrix; at a few pixels per LED the gap would eat it.
    const double gap = std::min(w, h) >= 4 ? std::min(w, h) * 0.12 : 0;
    if (smooth) {
        // One antialiased disc per colour, drawn once and copied to every LED of it: drawing
        // 1024 discs as curves each time would cost a frame's worth of CPU.
        const int side = std::max(1, static_cast<int>(std::min(w, h)));
        QHash<QRgb, QImage> discs;
        for (int y = 0; y < Picture::Height; ++y) {
            for (int x = 0; x < Picture::Width; ++x) {
                const QRgb colour = ledColour(picture.code(x, y), brightness);
                auto it = discs.find(colour);
                if (it == discs.end()) {
                    QImage disc(side, side, QImage::Format_ARGB32_Premultiplied);
                    disc.fill(Qt::transparent);
                    QPainter discPainter(&disc);
                    discPainter.setRenderHint(QPainter::Antialiasing);
                    discPainter.setPen(Qt::NoPen);
                    discPainter.setBrush(QColor::fromRgb(colour));
                    discPainter.drawEllipse(QRectF(gap, gap, side - 2 * gap, side - 2 * gap));
                    it = discs.insert(colour, disc);
                }
                painter.drawImage(QPointF(area.left() + x * w + (w - side) / 2,
                                          area.top() + y * h + (h - side) / 2),
                                  *it);
            }
        }
    } else {
        for (int y = 0; y < Picture::Height; ++y) {
            for (int x = 0; x < Picture::Width; ++x) {
                painter.setBrush(QColor::fromRgb(ledColour(picture.code(x, y), brightness)));
                const QRectF cell(area.left() + x * w, area.top() + y * h, w, h);
                painter.drawEllipse(cell.adjusted(gap, gap, -gap, -gap));
            }
        }
    }
    painter.restore();
}

QImage ledPanelImage(const Picture& picture, int ledPixels, int brightness, bool smooth) {
    QImage image(Picture::Width * ledPixels, Picture::Height * ledPixels, QImage::Format_RGB32);
    QPainter painter(&image);
    paintLedPanel(painter, picture, QRectF(image.rect()), brightness, smooth);
    return image;
}

}  // namespace blx52
