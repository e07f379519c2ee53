#include "picture/picture_batch.h"

#include "picture/picture_files.h"
#include "picture/picture_send.h"
#include "picture/plane_data.h"

namespace blx52 {

std::vector<SlotPicture> loadSlotPictures(const QString& folder, QStringList& failures) {
    std::vector<SlotPicture> out;
    for (const PictureSlot& slot : pictureSlots()) {
        SlotPicture entry{&slot, Picture()};
        if (const FileError failure = loadBitmap(bitmapFilePath(slot, folder), entry.picture)) {
            failures << *failure;
            continue;
        }
        out.push_back(entry);
    }
    return out;
}

QStringList offLedPixelNotes(const std::vector<SlotPicture>& pictures) {
    QStringList notes;
    for (const SlotPicture& p : pictures) {
        const QString text = offLedPixelText(offLedPixelCount(p.picture));
        if (!text.isEmpty())
            notes << QStringLiteral("%1: %2").arg(QString::fromStdString(p.slot->comboEntry), text);
    }
    return notes;
}

Picture pictureFromCodes(const CodeGrid& grid) {
    Picture picture;
    for (int y = 0; y < Picture::Height; ++y) {
        for (int x = 0; x < Picture::Width; ++x)
            picture.setPixel(x, y, static_cast<LedColor>(grid.at(x, y) & 7));
    }
    return picture;
}

namespace {

QString linkReason(const char* exchange, std::int32_t code) {
    return QStringLiteral("%1: link code %2").arg(QLatin1String(exchange)).arg(code);
}

}  // namespace

PicturesSendResult sendPictures(DeviceLink& link, const std::vector<SlotPicture>& pictures,
                                const QString& folder,
                                const std::function<void(int done)>& progress,
                                const std::function<bool()>& stopRequested) {
    PicturesSendResult result;
    const auto stop = [&](const PictureSlot* slot) {
        result.failedSlot = slot;
        result.stopped = true;
        result.reason = QStringLiteral("stopped before it was sent");
        return result;
    };
    for (const SlotPicture& entry : pictures) {
        if (stopRequested && stopRequested())
            return stop(entry.slot);
        const PictureSendResult sent =
            sendPictureCommands(link, *entry.slot, entry.picture, stopRequested);
        if (sent.stopped)
            return stop(entry.slot);
        // As the editor's send: what was meant to be sent is recorded, whatever the device said.
        (void)writeDevicePictureFile(makeCodeGrid(entry.picture),
                                     devicePictureFilePath(*entry.slot, folder));
        if (sent.firmware.code != link_code::Ok) {
            result.reason = linkReason("getdatafw", sent.firmware.code);
        } else if (sent.picture.code != link_code::Ok) {
            result.reason = linkReason("picture", sent.picture.code);
        } else if (sent.picture.reply != "OK") {
            result.reason = QStringLiteral("the device answered \"%1\" instead of \"OK\"")
                                .arg(QString::fromStdString(sent.picture.reply).left(22));
        }
        if (!result.reason.isEmpty()) {
            result.failedSlot = entry.slot;
            return result;
        }
        result.sent.push_back(entry.slot->code);
        if (progress)
            progress(static_cast<int>(result.sent.size()));
    }
    return result;
}

QString slotNames(const std::vector<int>& codes) {
    QStringList names;
    for (int code : codes) {
        if (const PictureSlot* slot = findSlot(code))
            names << QString::fromStdString(slot->comboEntry);
    }
    return names.isEmpty() ? QStringLiteral("none") : names.join(QStringLiteral(", "));
}

QString picturesSendOutcome(const PicturesSendResult& result, std::size_t total) {
    if (result.ok())
        return QStringLiteral("Sent %1 pictures").arg(result.sent.size());
    return QStringLiteral("Stopped at picture %1: %2 (%3 of %4 sent)")
        .arg(QString::fromStdString(result.failedSlot->comboEntry), result.reason)
        .arg(result.sent.size())
        .arg(total);
}

}  // namespace blx52
