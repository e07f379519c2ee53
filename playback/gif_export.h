#pragma once

#include <QByteArray>
#include <QString>
#include <vector>

#include "picture/picture.h"
#include "playback/led_panel.h"

namespace blx52 {

class PictureSource;
struct Timeline;

struct GifFrame {
    Picture picture;
    std::int64_t durationMs = 0;  // 0: a still picture
};

// One picture cycle of a timeline (device start: its pictures once; standby: the one picture).
std::vector<GifFrame> cycleFrames(const Timeline& timeline, const PictureSource& source);

// An animated GIF of the LED drawing, each frame shown for its duration (GIF counts hundredths
// of a second; the delays are rounded so that the cycle keeps its total length). `loop` repeats
// it for ever. An empty result means giflib failed; `error` says why.
QByteArray gifBytes(const std::vector<GifFrame>& frames, int brightness, bool loop,
                    int ledPixels = DefaultLedPixels, QString* error = nullptr);

}  // namespace blx52
