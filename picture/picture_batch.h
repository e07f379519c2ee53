#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

#include "link/device_link.h"
#include "picture/picture.h"
#include "picture/plane_data.h"
#include "picture/slot_table.h"

namespace blx52 {

// A picture ready for its slot.
struct SlotPicture {
    const PictureSlot* slot = nullptr;
    Picture picture;
};

// The 25 slots' bitmaps from `folder`, in slot order. A file that cannot be loaded is named in
// `failures` (the loader's message), and its slot is left out.
std::vector<SlotPicture> loadSlotPictures(const QString& folder, QStringList& failures);

// For each picture that holds pixels none of the eight colours, in the pictures' order:
// "In0_Pic1: 5 pixels are none of the eight colours; the device shows them black". Such pixels
// are sent and bundled as black, as the editor's send does.
QStringList offLedPixelNotes(const std::vector<SlotPicture>& pictures);

// The picture of a bundle's codes, and back.
Picture pictureFromCodes(const CodeGrid& grid);

// How a send of several pictures went.
struct PicturesSendResult {
    std::vector<int> sent;                    // slot codes the device confirmed, in the order sent
    const PictureSlot* failedSlot = nullptr;  // the first slot that failed; null when none did
    QString reason;                           // why it failed
    bool stopped = false;  // asked to stop: `failedSlot` is the first slot not sent
    bool ok() const { return failedSlot == nullptr; }
};

// Sends each picture in turn as the editor's send does (the firmware exchange, the slot's
// command with its 512 bytes, then the slot's device picture file in `folder`). It stops at the
// first send that is not confirmed: a link failure of either exchange, or a reply other than
// "OK" to the picture. `progress` hears the count of pictures done after each. `stopRequested`
// is asked before every exchange; once it is true nothing more is sent, and the slot whose
// picture command did not go out gets no device picture file.
PicturesSendResult sendPictures(DeviceLink& link, const std::vector<SlotPicture>& pictures,
                                const QString& folder,
                                const std::function<void(int done)>& progress = {},
                                const std::function<bool()>& stopRequested = {});

// The exchange log's outcome sentence of such a send of `total` pictures.
QString picturesSendOutcome(const PicturesSendResult& result, std::size_t total);

// "In0_Pic0, In0_Pic1, ..." of the slot codes; "none" for none.
QString slotNames(const std::vector<int>& codes);

}  // namespace blx52
