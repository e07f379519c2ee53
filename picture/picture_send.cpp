#include "picture/picture_send.h"

#include <string_view>
#include <vector>

#include "picture/picture_files.h"
#include "picture/plane_data.h"

namespace blx52 {

PictureSendResult sendPictureCommands(DeviceLink& link, const PictureSlot& slot,
                                      const Picture& picture) {
    PictureSendResult result;
    link.Exchange("getdatafw", 9);
    result.firmware = {link.LinkErrorCode, link.LastReply};
    const std::vector<std::uint8_t> command = pictureCommand(slot, picture);
    link.Exchange(std::string_view(reinterpret_cast<const char*>(command.data()), command.size()),
                  static_cast<int>(command.size()));
    result.picture = {link.LinkErrorCode, link.LastReply};
    return result;
}

void sendPictureToDevice(DeviceLink& link, const PictureSlot& slot, const Picture& picture,
                         const QString& folder) {
    (void)sendPictureCommands(link, slot, picture);
    // What was meant to be sent is recorded, whatever the device made of it.
    (void)writeDevicePictureFile(makeCodeGrid(picture), devicePictureFilePath(slot, folder));
}

}  // namespace blx52
