#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QImage>
#include <QPixmap>
#include <QTimer>
#include <QWidget>
#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "picture/picture.h"
#include "playback/picture_source.h"
#include "playback/playback.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QListWidget;
class QPushButton;

namespace blx52 {

// The LED matrix as the device shows it; resizable, 10 pixels per LED at first.
class PreviewPanel final : public QWidget {
  public:
    explicit PreviewPanel(QWidget* parent = nullptr);
    void setPicture(const Picture& picture, int brightness);
    QSize sizeHint() const override;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    Picture picture_;
    QByteArray codes_;  // the picture's LED codes, row by row
    int brightness_ = BrightnessStart;
    // The drawn LEDs of the last few pictures: a cycle shows the same ones over and over, and a
    // change then costs one copy instead of 1024 discs.
    struct Drawn {
        QByteArray key;
        QPixmap image;
    };
    std::vector<Drawn> drawn_;
};

// One picture cycle and the first pass of the tone steps, to scale; a click seeks.
class PreviewTimelineStrip final : public QWidget {
  public:
    PreviewTimelineStrip(Playback& playback, QWidget* parent = nullptr);
    QSize sizeHint() const override { return {420, 44}; }
    std::int64_t spanMs() const;
    // Draws the cursor where the playing stands, or every block when the timeline changed.
    void moveCursor();

  protected:
    void changeEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

  private:
    int cursorX() const;

    // The blocks and their names, drawn once per timeline and size; a frame copies the
    // cursor's strip of it and draws the cursor.
    const QPixmap& blocks();

    Playback& playback_;
    int cursorDrawn_ = -10;
    std::array<std::int64_t, 3> shapeDrawn_{};
    QPixmap blocks_;
    std::vector<std::int64_t> blocksKey_;
    std::vector<std::int64_t> keyBuffer_;
};

// Panel, situation, play controls and device mode over one Playback; shared by the preview
// window and the simulator's virtual device.
class PreviewView : public QWidget {
    Q_OBJECT
  public:
    PreviewView(Playback::Clock clock, std::unique_ptr<SoundOutput> sound, bool deviceOnly,
                QWidget* parent = nullptr);
    Playback& playback() { return playback_; }
    PreviewPanel* panel() const { return panel_; }
    // One frame: device start's end, the picture shown, the time and the strip.
    void tick();
    // The pictures to show; the view re-reads them on picturesChanged().
    void setPictureSource(std::function<Picture(int slotCode)> source);
    void picturesChanged();
    void setSettings(const PlaybackSettings& settings);
    // The picture on the panel now.
    int shownSlot() const { return shownSlot_; }

  protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

    QWidget* controls_ = nullptr;  // the column beside the panel, for more controls
    QPushButton* powerOn_ = nullptr;
    std::array<QCheckBox*, 3> inputs_{};

  private:
    void situationChosen(int index);
    void playClicked();
    void inputClicked();
    void showPicture();
    void updateTexts();

    Playback playback_;
    PreviewPanel* panel_;
    PreviewTimelineStrip* strip_;
    QComboBox* situation_ = nullptr;
    QPushButton* play_ = nullptr;
    QCheckBox* sound_ = nullptr;
    QLabel* time_;
    QLabel* soundState_;
    QTimer frames_;
    std::function<Picture(int)> pictures_;
    int shownSlot_ = -2;
    int shownBrightness_ = -1;
    bool picturesStale_ = true;
    int framesSinceFiles_ = 0;
    std::array<std::int64_t, 6> textKey_{};
    bool textsStale_ = true;
};

// Device → "Preview…": what the device shows and plays with the window's settings.
class PreviewWindow final : public PreviewView {
    Q_OBJECT
  public:
    struct Sources {
        std::function<PlaybackSettings()> settings;
        QString pictureFolder;  // with a trailing separator
        std::function<std::optional<Picture>(int slotCode)> editorPicture;
    };
    // Without a clock the window keeps time itself; without a sound output it is silent.
    PreviewWindow(Sources sources, Playback::Clock clock = {},
                  std::unique_ptr<SoundOutput> sound = {}, QWidget* parent = nullptr);

    // The window's settings changed (an edit, a read, a profile opened).
    void settingsChanged();
    // Asks for the GIF's and the WAV's names; an empty name skips that file.
    using ExportChooser = std::function<QString(const QString& kind)>;
    void setExportChooser(ExportChooser chooser) { chooseExport_ = std::move(chooser); }
    void exportClicked();
    QString exportMessage() const;

  private:
    Sources sources_;
    FolderPictures folderPictures_;
    QComboBox* source_;
    QLabel* exportResult_;
    ExportChooser chooseExport_;
};

}  // namespace blx52
