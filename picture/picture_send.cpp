#include "picture/picture_send.h"

#include <string_view>
#include <vector>

#include "picture/picture_files.h"
#include "picture/plane_data.h"

namespace blx52 {

PictureSendResult sendPictureCommands(DeviceLink& link, const PictureSlot& slot,
                                      const Picture& picture,
                                      const std::function<bool()>& stopRequested) {
    PictureSendResult result;
    link.Exchange("getdatafw", 9);
    result.firmware = {link.LinkErrorCode, link.LastReply};
    if (stopRequested && stopRequested()) {
        result.stopped = true;
        return result;
    }
    const std::vector<std::uint8_t> command = pictureCommand(slot, picture);
    link.Exchange(std::string_view(reinterpret_cast<const char*>(command.data()), command.size()),
                  static_cast<int>(command.size()));
    result.picture = {link.LinkErrorCode, link.LastReply};
    return result;
}

PictureSendResult sendPictureToDevice(DeviceLink& link, const PictureSlot& slot,
                                      const Picture& picture, const QString& folder) {
    PictureSendResult result = sendPictureCommands(link, slot, picture);
    // What was meant to be sent is recorded, whatever the device made of it.
    result.deviceFileWritten =
        !writeDevicePictureFile(makeCodeGrid(picture), devicePictureFilePath(slot, folder));
    return result;
}

QString pictureSendFailure(const PictureSendResult& result, const QString& linkText) {
    if (result.picture.code != link_code::Ok)
        return linkText.isEmpty() ? QStringLiteral("link code %1").arg(result.picture.code)
                                  : linkText;
    if (result.picture.reply != "OK") {
        QString reply;
        for (const char c : result.picture.reply) {
            const auto u = static_cast<unsigned char>(c);
            reply += u >= 0x20 && u < 0x7f ? QChar(u) : QChar(u'?');
        }
        return QStringLiteral("the device answered '%1' instead of OK").arg(reply);
    }
    return {};
}

QString pictureSendOutcome(const PictureSlot& slot, const std::string& port,
                           const PictureSendResult& result, const QString& linkText) {
    const QString name = QString::fromStdString(slot.comboEntry);
    const QString to = QString::fromStdString(port);
    const QString failure = pictureSendFailure(result, linkText);
    if (failure.isEmpty())
        return QStringLiteral("Picture %1 sent to %2").arg(name, to);
    return QStringLiteral("Picture %1 not sent to %2: %3").arg(name, to, failure);
}

}  // namespace blx52
