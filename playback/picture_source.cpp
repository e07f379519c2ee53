#include "playback/picture_source.h"

#include <QFileInfo>

#include "picture/picture_files.h"
#include "picture/plane_data.h"
#include "picture/regular_file.h"
#include "picture/slot_table.h"

namespace blx52 {

QString pictureOriginName(PictureOrigin origin) {
    return origin == PictureOrigin::AsSent ? QStringLiteral("As they would be sent")
                                           : QStringLiteral("As last sent");
}

std::optional<Picture> pictureFromCodes(const QByteArray& codes) {
    if (codes.size() != CodeGrid::Size)
        return std::nullopt;
    Picture picture;
    for (int i = 0; i < CodeGrid::Size; ++i) {
        picture.setPixel(i % Picture::Width, i / Picture::Width,
                         static_cast<LedColor>(static_cast<unsigned char>(codes[i]) & 7));
    }
    return picture;
}

Picture FolderPictures::picture(int slotCode) const {
    const PictureSlot* slot = findSlot(slotCode);
    if (slot == nullptr)
        return {};
    if (origin_ == PictureOrigin::AsSent && override_) {
        if (auto own = override_(slotCode))
            return *own;
    }
    const QString path = origin_ == PictureOrigin::AsSent ? bitmapFilePath(*slot, folder_)
                                                          : devicePictureFilePath(*slot, folder_);
    const QFileInfo info(path);
    if (!info.isFile()) {
        cache_.remove(path);
        return {};
    }
    auto it = cache_.find(path);
    if (it != cache_.end() && it->modified == info.lastModified() && it->size == info.size())
        return it->picture;
    Cached entry{info.lastModified(), info.size(), Picture()};
    if (origin_ == PictureOrigin::AsSent) {
        if (loadBitmap(path, entry.picture).has_value())
            entry.picture = Picture();
    } else if (auto bytes = readRegularFile(path, CodeGrid::Size + 1)) {
        entry.picture = pictureFromCodes(*bytes).value_or(Picture());
    }
    cache_.insert(path, entry);
    return entry.picture;
}

}  // namespace blx52
