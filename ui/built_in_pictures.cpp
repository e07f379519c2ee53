#include "ui/built_in_pictures.h"

#include <QImageReader>
#include <QPixmap>
#include <future>
#include <mutex>
#include <optional>

#include "picture/slot_table.h"

namespace blx52 {

namespace {

const QString IconPath = QStringLiteral(":/blx52/icon.png");

// Naming the format spares the reader probing every image plugin with the file.
QImage decodePng(const QString& path) {
    QImageReader reader(path, "png");
    return reader.read();
}

BuiltInPictures decodeAll() {
    BuiltInPictures pictures;
    pictures.icon = decodePng(IconPath);
    pictures.device = decodePng(QStringLiteral(":/blx52/device.png"));
    for (const PictureSlot& slot : pictureSlots())
        pictures.glyphs.insert(slot.code,
                               decodePng(QStringLiteral(":/blx52/glyph_%1.png").arg(slot.code)));
    return pictures;
}

std::mutex earlyMutex;
std::optional<std::shared_future<BuiltInPictures>> early;

std::optional<std::shared_future<BuiltInPictures>> earlyPictures() {
    const std::lock_guard lock(earlyMutex);
    return early;
}

}  // namespace

EarlyBuiltInPictures::EarlyBuiltInPictures() {
    const std::lock_guard lock(earlyMutex);
    early = std::async(std::launch::async, decodeAll).share();
}

EarlyBuiltInPictures::~EarlyBuiltInPictures() {
    std::optional<std::shared_future<BuiltInPictures>> ending;
    {
        const std::lock_guard lock(earlyMutex);
        ending.swap(early);
    }
    if (ending)
        ending->wait();
}

BuiltInPictures builtInPictures() {
    if (const auto pending = earlyPictures())
        return pending->get();
    return decodeAll();
}

QIcon programIcon() {
    const auto pending = earlyPictures();
    return QIcon(QPixmap::fromImage(pending ? pending->get().icon : decodePng(IconPath)));
}

}  // namespace blx52
