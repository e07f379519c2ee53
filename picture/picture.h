#pragma once

#include <QtGui/qrgb.h>
#include <QImage>
#include <QString>

#include <array>
#include <optional>

namespace blx52 {

// The eight colours of the device's LEDs. The code's bit 0 is the red LED, bit 1 the green LED,
// bit 2 the blue LED; the same code goes into the device picture file.
enum class LedColor : int {
    Black = 0,
    Red = 1,
    Green = 2,
    Yellow = 3,
    Blue = 4,
    Magenta = 5,
    Cyan = 6,
    White = 7,
};

struct LedColorInfo {
    LedColor color;
    QRgb rgb;               // opaque, 0xffRRGGBB
    const char* name;       // English name, for tool tips and messages
    const char* penButton;  // the editor's colour button
};

// The eight colours in code order. Cyan is half-intensity green and blue, as the device
// documentation draws it.
const std::array<LedColorInfo, 8>& ledColors();
// The editor's colour buttons from top to bottom; the canvas lists and numbers them alike.
inline constexpr std::array<LedColor, 8> PenColorOrder = {
    LedColor::Black, LedColor::Red,  LedColor::Yellow,  LedColor::Green,
    LedColor::Cyan,  LedColor::Blue, LedColor::Magenta, LedColor::White};
inline int ledCode(LedColor color) {
    return static_cast<int>(color);
}
QRgb ledRgb(LedColor color);

// Exact match against the eight colours; anything else, however close, is black (0). Alpha is
// ignored.
int ClassifyPixel(QRgb rgb);
int ClassifyPixel(int red, int green, int blue);

// Whether `rgb` is exactly one of the eight colours (alpha ignored). A pixel that is not is
// shown as it is but reaches the device as black.
bool isLedColor(QRgb rgb);

// The 32 × 32 picture of the LED matrix: column x 0 … 31 left to right, row y 0 … 31 top to
// bottom. It may hold any RGB colour (a loaded bitmap can), the editor's tools only write the
// eight LED colours.
class Picture {
  public:
    static constexpr int Width = 32;
    static constexpr int Height = 32;

    Picture();  // all black

    // A copy of `image` when it is exactly 32 × 32; any format Qt can convert is accepted.
    static std::optional<Picture> fromImage(const QImage& image);

    static bool contains(int x, int y) { return x >= 0 && x < Width && y >= 0 && y < Height; }

    // Outside the picture pixel() gives black and setPixel() does nothing.
    QRgb pixel(int x, int y) const;
    void setPixel(int x, int y, QRgb rgb);
    void setPixel(int x, int y, LedColor color) { setPixel(x, y, ledRgb(color)); }
    int code(int x, int y) const { return ClassifyPixel(pixel(x, y)); }

    void fill(QRgb rgb);
    void fill(LedColor color) { fill(ledRgb(color)); }

    // Format_RGB32, 32 × 32; for showing and for writing files.
    const QImage& image() const { return image_; }

    friend bool operator==(const Picture& a, const Picture& b);

  private:
    QImage image_;
};

// How many pixels are none of the eight colours: the device shows them black.
int offLedPixelCount(const Picture& picture);
// The one wording for such pixels, wherever a picture goes to the device: "N pixels are none of
// the eight colours; the device shows them black". Empty for none.
QString offLedPixelText(int count);

// Black one-pixel border, white interior: what the editor shows before any slot is loaded.
Picture initialPicture();

// Every pixel black; the pen is not part of the picture and stays as it is.
void resetPicture(Picture& picture);

// The editor's pen: a colour (none at first) and a position. The position may lie beyond the
// matrix when typed so; it then addresses no pixel.
struct Pen {
    static constexpr int Last = 31;

    std::optional<LedColor> color;
    int column = 0;
    int row = 0;

    // Wrap-around moves. A position beyond the matrix counts as the last one for right and down
    // (it wraps to 0) but simply steps back by one for left and up.
    void moveLeft() { column = column == 0 ? Last : column - 1; }
    void moveRight() { column = column >= Last ? 0 : column + 1; }
    void moveUp() { row = row == 0 ? Last : row - 1; }
    void moveDown() { row = row >= Last ? 0 : row + 1; }

    // Sets the pixel under the pen to the pen colour. Returns whether a pixel was written;
    // with no colour or a position beyond the matrix nothing happens.
    bool drawPoint(Picture& picture) const;
};

}  // namespace blx52
