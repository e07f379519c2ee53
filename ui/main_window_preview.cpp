// The main window's preview: what the device shows and plays with the window's settings, kept
// live by every change of a setting's control and of the editor's picture.
#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>
#include <QSlider>

#include "picture/picture_document.h"
#include "playback/sound_output.h"
#include "ui/main_window.h"
#include "ui/preview_window.h"
#include "ui/window_size.h"

namespace blx52 {

PreviewWindow* TForm1::previewWindow() const {
    return preview_;
}

void TForm1::setEditorPicture(PictureDocument* document,
                              std::function<std::optional<Picture>(int)> picture) {
    editorDocument_ = document;
    editorPicture_ = std::move(picture);
}

void TForm1::Preview1Click() {
    guard_.run([this] {
        if (!preview_) {
            PreviewWindow::Sources sources;
            sources.settings = [this] { return readPlaybackSettings(syncView()); };
            sources.pictureFolder = pictureFolder();
            sources.editorPicture = [this](int slot) {
                return editorPicture_ ? editorPicture_(slot) : std::nullopt;
            };
            preview_ =
                new PreviewWindow(std::move(sources), previewClock_, makeSystemSoundOutput(), this);
            PreviewWindow* preview = preview_;
            // Every change of a setting's control: an edit, a read, a profile opened.
            const auto changed = [preview] { preview->settingsChanged(); };
            for (const Setting& s : allSettings()) {
                for (const std::string& name :
                     s.buttons.empty() ? std::vector<std::string>{s.control} : s.buttons) {
                    QWidget* w = controls_.value(QString::fromStdString(name));
                    if (auto* e = qobject_cast<QLineEdit*>(w))
                        connect(e, &QLineEdit::textChanged, preview, changed);
                    else if (auto* c = qobject_cast<QComboBox*>(w))
                        connect(c, &QComboBox::currentIndexChanged, preview, changed);
                    else if (auto* b = qobject_cast<QAbstractButton*>(w))
                        connect(b, &QAbstractButton::toggled, preview, changed);
                }
            }
            connect(trackBar_, &QSlider::valueChanged, preview, changed);
            if (editorDocument_) {
                connect(editorDocument_, &PictureDocument::pictureChanged, preview,
                        [preview] { preview->picturesChanged(); });
                connect(editorDocument_, &PictureDocument::slotChanged, preview,
                        [preview] { preview->picturesChanged(); });
            }
        }
        showInFront(*preview_);
    });
}

}  // namespace blx52
