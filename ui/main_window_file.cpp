// The main window's File menu (settings files, the picture folder, Help and Info) and the question
// before a quit loses unwritten settings or unsaved drawing.
#include <QCloseEvent>
#include <QCoreApplication>
#include <QFileInfo>

#include "picture/picture_files.h"
#include "picture/regular_file.h"
#include "picture/slot_table.h"
#include "picture/start_pictures.h"
#include "sync/profile.h"
#include "ui/about_box.h"
#include "ui/file_dialogs.h"
#include "ui/help_window.h"
#include "ui/main_window.h"
#include "ui/main_window_sync_view.h"
#include "ui/window_size.h"

namespace blx52 {

void TForm1::OpenSettings1Click() {
    guard_.run([this] {
        const QString path =
            chooseFile_
                ? chooseFile_(false)
                : chooseFileName(this, FileKind::Settings, false, QStringLiteral("Open settings"),
                                 QStringLiteral("Settings profiles (*.blx52);;All files (*)"));
        if (path.isEmpty())
            return;
        if (settingsChanged_ &&
            !dialogs_.questionOkCancel(QStringLiteral(
                "Replace the unwritten changes in the window with the file's settings?"))) {
            return;
        }
        openSettingsFile(path);
    });
}

void TForm1::Help1Click() {
    guard_.run([this] { showHelp(this, {}); });
}

void TForm1::Info1Click() {
    guard_.run([this] {
        if (!about_) {
            about_ = new AboutBox(pictureFolder(), this);
            about_->setAttribute(Qt::WA_DeleteOnClose);
        }
        showInFront(*about_);
    });
}

void TForm1::SaveSettingsAs1Click() {
    guard_.run([this] { saveSettingsAs(); });
}

bool TForm1::saveSettingsAs() {
    const QString path =
        chooseFile_
            ? chooseFile_(true)
            : chooseFileName(this, FileKind::Settings, true, QStringLiteral("Save settings as"),
                             QStringLiteral("Settings profiles (*.blx52);;All files (*)"));
    if (path.isEmpty())
        return false;
    // A value the write refuses is said before any question.
    QByteArray text;
    if (const QString refusal = composeProfile(*syncView_, text); !refusal.isEmpty()) {
        dialogs_.errorOk(refusal);
        return false;
    }
    // "Open settings…" lists profiles by their suffix.
    return saveSettingsFile(
        QFileInfo(path).suffix().isEmpty() ? path + QStringLiteral(".blx52") : path,
        askToIncludePictures());
}

// ---- Quit ----

void TForm1::closeEvent(QCloseEvent* event) {
    // An error while asking or saving keeps the program open, with what it holds.
    bool quit = false;
    guard_.run([this, &quit] { quit = mayQuit(); });
    if (quit) {
        event->accept();
    } else {
        event->ignore();
    }
}

bool TForm1::mayQuit() {
    const bool settings = settingsChanged_;
    const QString picture = editorWork_.unsavedSlot ? editorWork_.unsavedSlot() : QString();
    if (!settings && picture.isEmpty())
        return true;
    QStringList lost;
    if (settings) {
        lost << QStringLiteral(
            "The settings in this window were changed and not written to the "
            "device; they are kept nowhere else.");
    }
    if (!picture.isEmpty()) {
        lost << QStringLiteral(
                    "The picture editor holds drawing of %1 that is not saved to its file.")
                    .arg(picture);
    }
    lost << QStringLiteral("Quitting now loses %1.")
                .arg(settings && !picture.isEmpty() ? QStringLiteral("both")
                     : settings                     ? QStringLiteral("them")
                                                    : QStringLiteral("it"));
    const QuitAnswer answer =
        dialogs_.askBeforeQuit({lost.join(QStringLiteral("\n\n")), settings, picture});
    if (answer.cancel)
        return false;
    if (!picture.isEmpty() && answer.savePicture && !(editorWork_.save && editorWork_.save()))
        return false;
    if (!settings)
        return true;
    switch (answer.settings) {
        case QuitAnswer::Settings::Write:
            // The window's own write, its warning included; it clears SettingsChanged only
            // when every setting reached the device.
            Button2Click();
            return !settingsChanged_;
        case QuitAnswer::Settings::SaveToFile:
            return saveSettingsAs();
        case QuitAnswer::Settings::Discard:
            break;
    }
    return true;
}

// ---- Picture folder ----

void TForm1::setPictureFolders(const QString& startPictures, const QString& pictureFolder) {
    startPictures_ = startPictures;
    pictureFolder_ = pictureFolder;
}

void TForm1::CreatePictureFolder1Click() {
    guard_.run([this] {
        const QString source = startPictures_.isEmpty()
                                   ? startPicturesFolder(QCoreApplication::applicationDirPath())
                                   : startPictures_;
        const QString folder = pictureFolder_.isEmpty() ? SettingsFolder() : pictureFolder_;
        if (const std::optional<QString> problem = settingsFolderProblem();
            problem && pictureFolder_.isEmpty()) {
            dialogs_.errorOk(*problem);
            return;
        }
        const StartPicturesResult result = installStartPictures(source, folder);
        const QString summary = startPicturesSummary(result, folder);
        if (result.ok())
            dialogs_.informationOk(summary);
        else
            dialogs_.errorOk(summary);
        std::vector<int> copied;
        for (const PictureSlot& slot : pictureSlots()) {
            if (result.copied.contains(QString::fromStdString(slot.bitmapFile)))
                copied.push_back(slot.code);
        }
        announceReplacedFiles(copied, QStringLiteral("the start pictures"));
    });
}

void TForm1::announceReplacedFiles(const std::vector<int>& slotCodes, const QString& source) {
    if (filesReplaced_ && !slotCodes.empty())
        filesReplaced_(slotCodes, source);
}

bool TForm1::openSettingsFile(const QString& path) {
    FileFault fault;
    const std::optional<QByteArray> bytes = readRegularFile(path, MaxProfileSize, &fault);
    if (!bytes) {
        dialogs_.errorOk(QStringLiteral("Cannot read %1:\n%2")
                             .arg(path, fault.kind == FileFault::TooLarge
                                            ? QStringLiteral("too large for a settings file")
                                            : fileFaultText(fault)));
        return false;
    }
    const ParsedProfile parsed = parseProfile(*bytes);
    if (!parsed.ok()) {
        dialogs_.errorOk(
            QStringLiteral("%1 is no usable settings file; nothing was changed.\n\n").arg(path) +
            parsed.errorTexts().join(u'\n'));
        return false;
    }
    if (!parsed.pictures.empty() && !askBeforeReplacingPictures(parsed))
        return false;
    // Each value takes the road of a read's reply, so the field rules run as after a read.
    for (const Setting& s : allSettings())
        syncView_->storeReply(s, parsed.store.value(s));
    markUnwrittenChanges();
    storeBundlePictures(parsed);
    setPanelText(3, QStringLiteral("Loaded settings: %1").arg(SettingsStore::count()));
    return true;
}

bool TForm1::saveSettingsFile(const QString& path) {
    return saveSettingsFile(path, false);
}

bool TForm1::saveSettingsFile(const QString& path, bool withPictures) {
    std::vector<ProfilePicture> pictures;
    if (withPictures && !bundlePictures(pictures))
        return false;
    QByteArray text;
    const QString refusal = composeProfile(*syncView_, text, pictures);
    if (!refusal.isEmpty()) {
        dialogs_.errorOk(refusal);
        return false;
    }
    if (const FileFault fault = saveRegularFile(path, text)) {
        dialogs_.errorOk(QStringLiteral("Cannot write %1:\n%2\n\nNothing was saved; what stands "
                                        "under this name is unchanged.")
                             .arg(path, fileFaultText(fault)));
        return false;
    }
    setPanelText(3, QStringLiteral("Saved settings: %1").arg(SettingsStore::count()));
    return true;
}

}  // namespace blx52
