#pragma once

#include <QtGui/qrgb.h>
#include <QImage>
#include <QRectF>

#include "picture/picture.h"

class QPainter;

namespace blx52 {

inline constexpr int DefaultLedPixels = 10;  // screen pixels per LED
inline constexpr QRgb PanelBackground = qRgb(12, 12, 12);
inline constexpr QRgb UnlitLed = qRgb(48, 48, 48);

// The colour of an LED by its device code: bit 0 red, bit 1 green, bit 2 blue, each fully on or
// off; brightness 0 … 9 sets how bright the lit LEDs are. Code 0 is the unlit LED.
QRgb ledColour(int code, int brightness);

// Draws every pixel as a round LED by its code, as the device classifies it: a (0, 255, 255)
// pixel is no LED colour and stays dark, (0, 128, 128) lights green and blue fully. `smooth`
// antialiases the discs (the window); without it the drawing holds only the LED colours (GIF).
void paintLedPanel(QPainter& painter, const Picture& picture, const QRectF& area, int brightness,
                   bool smooth = true);
QImage ledPanelImage(const Picture& picture, int ledPixels, int brightness, bool smooth = true);

}  // namespace blx52
