#pragma once

#include <QDateTime>
#include <QHash>
#include <QString>
#include <functional>
#include <optional>

#include "picture/picture.h"

namespace blx52 {

// Where the preview takes the 25 pictures from.
enum class PictureOrigin {
    AsSent,  // "As they would be sent": the editor's picture for its slot, the bitmaps for the rest
    LastSent,  // "As last sent": the device picture files, what each slot last sent
};
QString pictureOriginName(PictureOrigin origin);

class PictureSource {
  public:
    virtual ~PictureSource() = default;
    // The picture of a slot; a slot without a usable file is dark.
    virtual Picture picture(int slotCode) const = 0;
};

// The picture folder's files, read again only when a file changed.
class FolderPictures final : public PictureSource {
  public:
    FolderPictures(QString folder, PictureOrigin origin)
        : folder_(std::move(folder)), origin_(origin) {}
    // A picture that comes before the folder's (the editor's, unsaved drawing included); used only
    // with AsSent.
    void setOverride(std::function<std::optional<Picture>(int slotCode)> override) {
        override_ = std::move(override);
    }
    void setOrigin(PictureOrigin origin) { origin_ = origin; }
    PictureOrigin origin() const { return origin_; }
    void setFolder(const QString& folder) { folder_ = folder; }
    Picture picture(int slotCode) const override;

  private:
    struct Cached {
        QDateTime modified;
        qint64 size = -1;
        Picture picture;
    };
    QString folder_;
    PictureOrigin origin_;
    std::function<std::optional<Picture>(int)> override_;
    mutable QHash<QString, Cached> cache_;
};

// A device picture file's 1024 codes as a picture of the eight LED colours; nothing for a file
// of another size.
std::optional<Picture> pictureFromCodes(const QByteArray& codes);

}  // namespace blx52
