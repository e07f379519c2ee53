// The main window's picture buttons, bundles (settings with pictures) and "Send all pictures…".
#include <QDir>
#include <QFileInfo>
#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QPushButton>
#include <QStringList>
#include <QVariant>

#include "picture/picture_batch.h"
#include "picture/picture_files.h"
#include "picture/slot_table.h"
#include "sync/sync_texts.h"
#include "ui/main_window.h"
#include "ui/send_pictures_form.h"

namespace blx52 {

namespace {

QString slotName(int code) {
    const PictureSlot* slot = findSlot(code);
    return slot ? QString::fromStdString(slot->comboEntry) : QString::number(code);
}

QString lines(const QStringList& texts) {
    QStringList out;
    for (const QString& t : texts)
        out << QString(t).replace(u'\n', u' ').simplified();
    return out.join(u'\n');
}

}  // namespace

// ---- Picture buttons ----

void TForm1::openPictureEditor(int slotCode) {
    if (openEditor_)
        openEditor_(slotCode);
}

void TForm1::setButtonGlyph(int slotCode, const QImage& image) {
    const PictureSlot* slot = findSlot(slotCode);
    if (!slot)
        return;
    if (auto* b = button(QString::fromStdString(slot->mainButton))) {
        b->setIcon(QIcon(QPixmap::fromImage(image)));
        b->setProperty("glyph", image);
    }
}

// Silent: the folder need not exist yet, and a file that does not load leaves the built-in
// glyph, which the editor's own message will name once the slot is opened.
void TForm1::showPictureFolderGlyphs() {
    for (const PictureSlot& slot : pictureSlots()) {
        const QString path = bitmapFilePath(slot, pictureFolder());
        if (!QFileInfo::exists(path))
            continue;
        Picture picture;
        if (!loadBitmap(path, picture))
            setButtonGlyph(slot.code, picture.image());
    }
}

QImage TForm1::buttonGlyph(int slotCode) const {
    const PictureSlot* slot = findSlot(slotCode);
    auto* b = slot ? button(QString::fromStdString(slot->mainButton)) : nullptr;
    return b ? b->property("glyph").value<QImage>() : QImage();
}

QString TForm1::pictureFolder() const {
    return pictureFolder_.isEmpty() ? SettingsFolder() : pictureFolder_;
}

bool TForm1::askBeforeReplacingPictures(const ParsedProfile& parsed) {
    if (!QDir(pictureFolder()).exists()) {
        dialogs_.errorOk(
            QStringLiteral("The file holds pictures, but the picture folder %1 does not exist "
                           "(blx52 --init-pictures creates it); nothing was changed.")
                .arg(pictureFolder()));
        return false;
    }
    QStringList names;
    for (const ProfilePicture& p : parsed.pictures)
        names << slotName(p.slotCode);
    return dialogs_.questionYesNo(
        QStringLiteral("The file holds %1 pictures. They replace these pictures in %2:\n\n%3\n\n"
                       "Load the settings and replace the pictures?")
            .arg(parsed.pictures.size())
            .arg(pictureFolder(), names.join(QStringLiteral(", "))));
}

void TForm1::storeBundlePictures(const ParsedProfile& parsed) {
    QStringList failures;
    // All the bitmaps are written before the first replaces its file, so a crash leaves none
    // half-written; then, as after the editor's save, the button shows what the file gives back.
    std::vector<std::pair<QString, QByteArray>> files;
    std::vector<int> codes;
    for (const ProfilePicture& p : parsed.pictures) {
        CodeGrid grid;
        grid.codes = p.codes;
        const QString path = bitmapFilePath(*findSlot(p.slotCode), pictureFolder());
        QByteArray bytes;
        if (!encodeBitmap(pictureFromCodes(grid), bytes)) {
            failures << QStringLiteral("%1 cannot be encoded").arg(path);
            continue;
        }
        files.emplace_back(path, bytes);
        codes.push_back(p.slotCode);
    }
    std::size_t replaced = 0;
    if (const FileError error = saveFiles(files, &replaced))
        failures << *error;
    for (std::size_t i = 0; i < replaced; ++i) {
        Picture saved;
        if (const FileError error = loadBitmap(files[i].first, saved)) {
            failures << *error;
            continue;
        }
        setButtonGlyph(codes[i], saved.image());
    }
    if (!failures.isEmpty())
        dialogs_.errorOk(QStringLiteral("The settings were loaded, but %1 pictures could not be "
                                        "saved:\n\n%2")
                             .arg(parsed.pictures.size() - replaced)
                             .arg(lines(failures)));
    // The editor compares each file with what it last had of it, so a file that could not be
    // written changes nothing there.
    std::vector<int> slotCodes;
    for (const ProfilePicture& p : parsed.pictures)
        slotCodes.push_back(p.slotCode);
    announceReplacedFiles(slotCodes, QStringLiteral("the settings file"));
}

bool TForm1::askToIncludePictures() {
    // Without a single picture in the folder there is nothing to ask about.
    bool any = false;
    for (const PictureSlot& slot : pictureSlots())
        any = any || QFileInfo::exists(bitmapFilePath(slot, pictureFolder()));
    return any &&
           dialogs_.questionYesNo(QStringLiteral("Save the 25 pictures of %1 in the file too?\n\n"
                                                 "\"Nein\" saves the settings alone.")
                                      .arg(pictureFolder()));
}

bool TForm1::bundlePictures(std::vector<ProfilePicture>& pictures) {
    QStringList failures;
    const std::vector<SlotPicture> loaded = loadSlotPictures(pictureFolder(), failures);
    if (!failures.isEmpty()) {
        dialogs_.errorOk(QStringLiteral("%1 pictures cannot be read; no file was written.\n\n%2")
                             .arg(failures.size())
                             .arg(lines(failures)));
        return false;
    }
    for (const SlotPicture& p : loaded)
        pictures.push_back({p.slot->code, makeCodeGrid(p.picture).codes});
    // A bundle holds colour codes: such pixels go into it as black, as a send would take them.
    if (const QStringList notes = offLedPixelNotes(loaded); !notes.isEmpty())
        dialogs_.informationOk(
            QStringLiteral("The file holds these pictures as the device shows them:\n\n%1")
                .arg(lines(notes)));
    return true;
}

void TForm1::SendAllPictures1Click() {
    guard_.run([this] {
        QStringList failures;
        const std::vector<SlotPicture> pictures = loadSlotPictures(pictureFolder(), failures);
        if (!failures.isEmpty()) {
            dialogs_.errorOk(QStringLiteral("%1 pictures cannot be read; nothing was sent.\n\n%2")
                                 .arg(failures.size())
                                 .arg(lines(failures)));
            return;
        }
        if (!portWarningShown()) {
            setPortWarningShown();
            const std::string_view text = sync_text::PortWarning;
            if (!dialogs_.warningOkCancel(
                    QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()))))
                return;
        }
        TSendPicturesForm progress(static_cast<int>(pictures.size()), this);
        progress.show();
        progress.showProgress(0, QString::fromStdString(pictures.front().slot->comboEntry));
        log_.beginOperation(QStringLiteral("send pictures"));
        const PicturesSendResult result =
            sendPictures(link_, pictures, pictureFolder(), [&](int done) {
                const bool more = done < static_cast<int>(pictures.size());
                progress.showProgress(
                    done, more ? QString::fromStdString(
                                     pictures[static_cast<std::size_t>(done)].slot->comboEntry)
                               : QString());
            });
        progress.close();
        log_.endOperation(picturesSendOutcome(result, pictures.size()));
        const QString port = QString::fromStdString(link_.PortName);
        // As the editor's send note: the summary says where the device shows black.
        const QStringList notes = offLedPixelNotes(pictures);
        const QString noted = notes.isEmpty() ? QString() : QStringLiteral("\n\n") + lines(notes);
        if (result.ok()) {
            dialogs_.informationOk(QStringLiteral("All %1 pictures were sent to %2.")
                                       .arg(result.sent.size())
                                       .arg(port) +
                                   noted);
        } else {
            dialogs_.errorOk(QStringLiteral("Sending stopped at %1: %2.\n\nOn the device (%3): %4")
                                 .arg(QString::fromStdString(result.failedSlot->comboEntry),
                                      result.reason, port, slotNames(result.sent)) +
                             noted);
        }
    });
}

}  // namespace blx52
