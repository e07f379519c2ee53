#pragma once

#include <QString>
#include <cstdint>
#include <string>

#include "link/device_link.h"
#include "picture/picture.h"
#include "picture/slot_table.h"

namespace blx52 {

// One exchange of a picture send as the link left it.
struct SendStep {
    std::int32_t code = 0;
    std::string reply;
};
struct PictureSendResult {
    SendStep firmware;  // the "getdatafw" query
    SendStep picture;   // the slot's picture command
};

// The two exchanges of a picture send: the firmware query, then the slot's picture command.
// Neither reply nor link status stops the send; the link reports its own failures.
PictureSendResult sendPictureCommands(DeviceLink& link, const PictureSlot& slot,
                                      const Picture& picture);

// The editor's send: the two exchanges, then the slot's device picture file whatever the device
// said. A file that cannot be written is left unwritten without a word; the send has happened
// by then.
void sendPictureToDevice(DeviceLink& link, const PictureSlot& slot, const Picture& picture,
                         const QString& folder);

}  // namespace blx52
