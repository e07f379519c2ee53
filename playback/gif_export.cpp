#include "playback/gif_export.h"

#include <gif_lib.h>

#include <QHash>
#include <array>

#include "playback/picture_source.h"
#include "playback/timeline.h"

namespace blx52 {

std::vector<GifFrame> cycleFrames(const Timeline& timeline, const PictureSource& source) {
    std::vector<GifFrame> frames;
    for (const PictureStep& step : timeline.pictures)
        frames.push_back({source.picture(step.slotCode), step.durationMs});
    if (frames.empty())
        frames.push_back({Picture(), 0});
    return frames;
}

namespace {

int appendToBuffer(GifFileType* gif, const GifByteType* bytes, int length) {
    static_cast<QByteArray*>(gif->UserData)->append(reinterpret_cast<const char*>(bytes), length);
    return length;
}

// Every colour of an unsmoothed LED drawing at this brightness: background, unlit, seven lit.
std::vector<QRgb> panelPalette(int brightness) {
    std::vector<QRgb> colours = {PanelBackground};
    for (int code = 0; code < 8; ++code)
        colours.push_back(ledColour(code, brightness));
    while (colours.size() < 16)  // a GIF colour table has a power-of-two size
        colours.push_back(qRgb(0, 0, 0));
    return colours;
}

}  // namespace

QByteArray gifBytes(const std::vector<GifFrame>& frames, int brightness, bool loop, int ledPixels,
                    QString* error) {
    QByteArray out;
    int code = 0;
    GifFileType* gif = EGifOpen(&out, appendToBuffer, &code);
    auto fail = [&](int errorCode) {
        if (error != nullptr) {
            const char* text = GifErrorString(errorCode);
            *error = QStringLiteral("GIF: %1").arg(text != nullptr ? QString::fromLatin1(text)
                                                                   : QString::number(errorCode));
        }
        return QByteArray();
    };
    if (gif == nullptr)
        return fail(code);

    const std::vector<QRgb> palette = panelPalette(brightness);
    std::array<GifColorType, 16> table{};
    QHash<QRgb, GifPixelType> index;
    for (std::size_t i = 0; i < palette.size(); ++i) {
        table[i] = {static_cast<GifByteType>(qRed(palette[i])),
                    static_cast<GifByteType>(qGreen(palette[i])),
                    static_cast<GifByteType>(qBlue(palette[i]))};
        if (!index.contains(palette[i]))
            index.insert(palette[i], static_cast<GifPixelType>(i));
    }
    ColorMapObject* map = GifMakeMapObject(static_cast<int>(table.size()), table.data());
    const int side = Picture::Width * ledPixels;
    EGifSetGifVersion(gif, true);
    bool ok = map != nullptr && EGifPutScreenDesc(gif, side, side, 8, 0, map) == GIF_OK;
    if (ok && loop) {
        static const char application[] = "NETSCAPE2.0";
        static const unsigned char loopForEver[] = {1, 0, 0};
        ok = EGifPutExtensionLeader(gif, APPLICATION_EXT_FUNC_CODE) == GIF_OK &&
             EGifPutExtensionBlock(gif, 11, application) == GIF_OK &&
             EGifPutExtensionBlock(gif, 3, loopForEver) == GIF_OK &&
             EGifPutExtensionTrailer(gif) == GIF_OK;
    }
    std::int64_t elapsedMs = 0;
    std::vector<GifPixelType> line(static_cast<std::size_t>(side));
    for (const GifFrame& frame : frames) {
        if (!ok)
            break;
        // Rounded on the running total, so the cycle as a whole keeps its length.
        const std::int64_t begin = (elapsedMs + 5) / 10;
        elapsedMs += frame.durationMs;
        const std::int64_t delay = (elapsedMs + 5) / 10 - begin;
        GraphicsControlBlock control{};
        control.DisposalMode = DISPOSE_DO_NOT;
        control.DelayTime = static_cast<int>(std::min<std::int64_t>(delay, 65535));
        control.TransparentColor = NO_TRANSPARENT_COLOR;
        GifByteType extension[4];
        const std::size_t length = EGifGCBToExtension(&control, extension);
        ok = EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, static_cast<int>(length), extension) ==
                 GIF_OK &&
             EGifPutImageDesc(gif, 0, 0, side, side, false, nullptr) == GIF_OK;
        const QImage image = ledPanelImage(frame.picture, ledPixels, brightness, false);
        for (int y = 0; ok && y < side; ++y) {
            const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
            for (int x = 0; x < side; ++x)
                line[static_cast<std::size_t>(x)] = index.value(row[x] | 0xff000000u, 0);
            ok = EGifPutLine(gif, line.data(), side) == GIF_OK;
        }
    }
    const int lastError = gif->Error;
    GifFreeMapObject(map);
    int closeError = 0;
    const bool closed = EGifCloseFile(gif, &closeError) == GIF_OK;
    if (!ok)
        return fail(lastError);
    if (!closed)
        return fail(closeError);
    return out;
}

}  // namespace blx52
