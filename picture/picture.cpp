#include "picture.h"

namespace blx52 {

namespace {

constexpr std::array<LedColorInfo, 8> colorTable = {{
    {LedColor::Black, 0xff000000u, "black", "BitBtn4"},
    {LedColor::Red, 0xffff0000u, "red", "BitBtn5"},
    {LedColor::Green, 0xff00ff00u, "green", "BitBtn7"},
    {LedColor::Yellow, 0xffffff00u, "yellow", "BitBtn6"},
    {LedColor::Blue, 0xff0000ffu, "blue", "BitBtn9"},
    {LedColor::Magenta, 0xffff00ffu, "magenta", "BitBtn10"},
    {LedColor::Cyan, 0xff008080u, "cyan", "BitBtn8"},
    {LedColor::White, 0xffffffffu, "white", "BitBtn11"},
}};

QImage blankImage() {
    QImage image(Picture::Width, Picture::Height, QImage::Format_RGB32);
    image.fill(ledRgb(LedColor::Black));
    return image;
}

}  // namespace

const std::array<LedColorInfo, 8>& ledColors() {
    return colorTable;
}

QRgb ledRgb(LedColor color) {
    return colorTable[static_cast<std::size_t>(color)].rgb;
}

int ClassifyPixel(QRgb rgb) {
    const QRgb opaque = rgb | 0xff000000u;
    for (const auto& entry : colorTable) {
        if (entry.rgb == opaque)
            return ledCode(entry.color);
    }
    return 0;
}

int ClassifyPixel(int red, int green, int blue) {
    // Out-of-range channels are no LED colour; qRgb would silently wrap them.
    if (red < 0 || red > 255 || green < 0 || green > 255 || blue < 0 || blue > 255)
        return 0;
    return ClassifyPixel(qRgb(red, green, blue));
}

bool isLedColor(QRgb rgb) {
    const QRgb opaque = rgb | 0xff000000u;
    for (const auto& entry : colorTable) {
        if (entry.rgb == opaque)
            return true;
    }
    return false;
}

int offLedPixelCount(const Picture& picture) {
    int count = 0;
    for (int y = 0; y < Picture::Height; ++y) {
        for (int x = 0; x < Picture::Width; ++x)
            count += isLedColor(picture.pixel(x, y)) ? 0 : 1;
    }
    return count;
}

QString offLedPixelText(int count) {
    if (count <= 0)
        return {};
    if (count == 1)
        return QStringLiteral("1 pixel is none of the eight colours; the device shows it black");
    return QStringLiteral("%1 pixels are none of the eight colours; the device shows them black")
        .arg(count);
}

Picture::Picture() : image_(blankImage()) {}

std::optional<Picture> Picture::fromImage(const QImage& image) {
    if (image.isNull() || image.width() != Width || image.height() != Height)
        return std::nullopt;
    Picture picture;
    for (int y = 0; y < Height; ++y) {
        for (int x = 0; x < Width; ++x) {
            // pixel() gives the colour as stored, without blending against any background.
            picture.setPixel(x, y, image.pixel(x, y));
        }
    }
    return picture;
}

QRgb Picture::pixel(int x, int y) const {
    if (!contains(x, y))
        return ledRgb(LedColor::Black);
    return image_.pixel(x, y) | 0xff000000u;
}

void Picture::setPixel(int x, int y, QRgb rgb) {
    if (!contains(x, y))
        return;
    image_.setPixel(x, y, rgb | 0xff000000u);
}

void Picture::fill(QRgb rgb) {
    image_.fill(rgb | 0xff000000u);
}

bool operator==(const Picture& a, const Picture& b) {
    // Row by row: the preview compares pictures several times a second. Both are 32 × 32 RGB32,
    // whose alpha byte carries nothing.
    for (int y = 0; y < Picture::Height; ++y) {
        const auto* rowA = reinterpret_cast<const QRgb*>(a.image_.constScanLine(y));
        const auto* rowB = reinterpret_cast<const QRgb*>(b.image_.constScanLine(y));
        for (int x = 0; x < Picture::Width; ++x) {
            if ((rowA[x] | 0xff000000u) != (rowB[x] | 0xff000000u))
                return false;
        }
    }
    return true;
}

Picture initialPicture() {
    Picture picture;
    picture.fill(LedColor::White);
    for (int i = 0; i < Picture::Width; ++i) {
        picture.setPixel(i, 0, LedColor::Black);
        picture.setPixel(i, Picture::Height - 1, LedColor::Black);
        picture.setPixel(0, i, LedColor::Black);
        picture.setPixel(Picture::Width - 1, i, LedColor::Black);
    }
    return picture;
}

void resetPicture(Picture& picture) {
    picture.fill(LedColor::Black);
}

bool Pen::drawPoint(Picture& picture) const {
    if (!color || column > Last || row > Last || column < 0 || row < 0)
        return false;
    picture.setPixel(column, row, *color);
    return true;
}

}  // namespace blx52
