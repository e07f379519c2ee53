#pragma once

#include <QHash>
#include <QIcon>
#include <QImage>

namespace blx52 {

// The pictures built into the program: its icon, the device picture of the main window and the
// 25 button glyphs (PNG resources). Decoding them is a few milliseconds of the first window's
// start, so main decodes them on a thread of its own while the window is built.
struct BuiltInPictures {
    QImage icon;
    QImage device;
    QHash<int, QImage> glyphs;  // by slot code
};

// While an instance lives, the pictures are decoded once, on a thread it starts; main makes one
// right after the application object. Its end waits for that thread.
class EarlyBuiltInPictures {
  public:
    EarlyBuiltInPictures();
    ~EarlyBuiltInPictures();
    EarlyBuiltInPictures(const EarlyBuiltInPictures&) = delete;
    EarlyBuiltInPictures& operator=(const EarlyBuiltInPictures&) = delete;
};

// The early pictures, waiting for them if need be; without an EarlyBuiltInPictures (tests,
// tools) decoded here.
BuiltInPictures builtInPictures();
// The program's icon, for its windows.
QIcon programIcon();

}  // namespace blx52
