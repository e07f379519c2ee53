#pragma once

#include <QString>
#include <cstdint>
#include <functional>
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
    SendStep firmware;               // the "getdatafw" query
    SendStep picture;                // the slot's picture command
    bool deviceFileWritten = false;  // the editor's send only
    bool stopped = false;            // asked to stop after the firmware query: no picture sent

    // The device took the picture: the picture command ended with link code 0 and "OK".
    bool confirmed() const { return picture.code == link_code::Ok && picture.reply == "OK"; }
};

// The two exchanges of a picture send: the firmware query, then the slot's picture command.
// Neither reply nor link status stops the send; the link reports its own failures. Only
// `stopRequested`, asked between the two, keeps the picture command back.
PictureSendResult sendPictureCommands(DeviceLink& link, const PictureSlot& slot,
                                      const Picture& picture,
                                      const std::function<bool()>& stopRequested = {});

// The editor's send: the two exchanges, then the slot's device picture file whatever the device
// said. A file that cannot be written is left unwritten without a word; the send has happened
// by then.
PictureSendResult sendPictureToDevice(DeviceLink& link, const PictureSlot& slot,
                                      const Picture& picture, const QString& folder);

// Why the device did not take the picture, empty when it did: `linkText` is what the link said of
// a failed exchange (its message and code), used when the link code was not 0.
QString pictureSendFailure(const PictureSendResult& result, const QString& linkText);
// The send's outcome as one sentence: "Picture In0_Pic0 sent to COM1" or why it was not.
QString pictureSendOutcome(const PictureSlot& slot, const std::string& port,
                           const PictureSendResult& result, const QString& linkText);

}  // namespace blx52
