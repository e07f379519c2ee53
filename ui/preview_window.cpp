#include "ui/preview_window.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHash>
#include <QLabel>
#include <QLocale>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPushButton>
#include <QStaticText>
#include <QVBoxLayout>
#include <QtMath>
#include <algorithm>
#include <cstdlib>

#include "picture/slot_table.h"
#include "playback/led_panel.h"
#include "playback/preview_export.h"
#include "settings/sound_time.h"
#include "ui/file_dialogs.h"
#include "ui/help_window.h"

namespace blx52 {

namespace {

Playback::Clock ownClock(Playback::Clock clock) {
    if (clock)
        return clock;
    auto timer = std::make_shared<QElapsedTimer>();
    timer->start();
    return [timer] { return timer->elapsed(); };
}

QString seconds(std::int64_t ms) {
    return QLocale().toString(static_cast<double>(ms) / 1000.0, 'f', 1) + QStringLiteral(" s");
}

// The sound as the main window's sound time shows it.
QString soundText(const PlaybackSettings& settings, const Timeline& t) {
    if (t.section == Section::Sby)
        return QStringLiteral("no sound");
    if (t.section == Section::Res)
        return QStringLiteral("sound ") + seconds(t.soundMs());
    const auto& situation = settings[t.section];
    std::array<QString, 4> durations;
    for (std::size_t i = 0; i < 4; ++i)
        durations[i] = QString::number(situation.tones[i].durationMs);
    try {
        const SoundTimeText shown =
            soundTime(durations, QString::number(situation.repeats), QLocale());
        return QStringLiteral("sound %1 %2").arg(shown.value, shown.unit);
    } catch (const std::exception&) {
        return QStringLiteral("sound ") + seconds(t.soundMs());
    }
}

// The time changes ten times a second; a size that followed the text would lay the whole window
// out again each time (the wrapped texts included). One line, as wide as a long time text.
class TimeLabel final : public QLabel {
  public:
    explicit TimeLabel(QWidget* parent) : QLabel(parent) {}
    QSize sizeHint() const override {
        const QMargins m = contentsMargins();
        return {fontMetrics().averageCharWidth() * 48 + m.left() + m.right() + 2 * margin(),
                fontMetrics().height() + m.top() + m.bottom() + 2 * margin()};
    }
    QSize minimumSizeHint() const override { return sizeHint(); }

  protected:
    // Shaping the text is most of a paint, and the texts come round again with every cycle:
    // each is shaped once and then drawn as it was laid out. Left and centred, as a label's.
    void paintEvent(QPaintEvent*) override {
        if (shapedFont_ != font()) {
            shaped_.clear();
            shapedFont_ = font();
        }
        auto found = shaped_.find(text());
        if (found == shaped_.end()) {
            if (shaped_.size() >= 256)
                shaped_.clear();
            QStaticText shaped(text());
            shaped.setTextFormat(Qt::PlainText);
            shaped.setPerformanceHint(QStaticText::AggressiveCaching);
            shaped.prepare(QTransform(), font());
            found = shaped_.insert(text(), shaped);
        }
        QPainter painter(this);
        painter.setPen(palette().color(foregroundRole()));
        const QRect r = contentsRect().adjusted(margin(), margin(), -margin(), -margin());
        const QSizeF size = found->size();
        painter.drawStaticText(QPointF(r.left(), r.top() + (r.height() - size.height()) / 2.0),
                               *found);
    }

  private:
    QHash<QString, QStaticText> shaped_;
    QFont shapedFont_;
};

// A widget's size in device pixels, the last partial pixel included: the panel and the strip
// paint every pixel of themselves from such a pixmap.
QSize deviceSize(QSize size, qreal ratio) {
    return {qCeil(size.width() * ratio), qCeil(size.height() * ratio)};
}

QColor toneColour(int pitch) {
    if (pitch == 0 || pitch == 16)
        return QColor(90, 90, 90);
    return QColor::fromHsv(200 - pitch * 10, 160, 220);
}

}  // namespace

PreviewPanel::PreviewPanel(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("PreviewPanel"));
    // It paints every pixel of itself: nothing beneath needs painting first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    setMinimumSize(Picture::Width * 3, Picture::Height * 3);
}

void PreviewPanel::setPicture(const Picture& picture, int brightness) {
    // The files are looked at four times a second; most looks find the same picture.
    if (picture == picture_ && brightness == brightness_)
        return;
    picture_ = picture;
    brightness_ = brightness;
    codes_.resize(Picture::Width * Picture::Height);
    for (int y = 0; y < Picture::Height; ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(picture.image().constScanLine(y));
        for (int x = 0; x < Picture::Width; ++x)
            codes_[y * Picture::Width + x] = static_cast<char>(ClassifyPixel(row[x] | 0xff000000u));
    }
    update();
}

QSize PreviewPanel::sizeHint() const {
    return {Picture::Width * DefaultLedPixels, Picture::Height * DefaultLedPixels};
}

void PreviewPanel::paintEvent(QPaintEvent*) {
    const qreal ratio = devicePixelRatioF();
    const QColor background = palette().window().color();
    const QByteArray key = codes_ + QStringLiteral("|%1|%2|%3|%4|%5")
                                        .arg(width())
                                        .arg(height())
                                        .arg(ratio)
                                        .arg(brightness_)
                                        .arg(background.rgba())
                                        .toLatin1();
    auto found =
        std::find_if(drawn_.begin(), drawn_.end(), [&key](const Drawn& d) { return d.key == key; });
    if (found == drawn_.end()) {
        // Opaque, so that showing it is a plain copy.
        QPixmap image(deviceSize(size(), ratio));
        image.setDevicePixelRatio(ratio);
        image.fill(background);
        QPainter leds(&image);
        // Square LEDs, centred, whatever the panel's shape.
        const int side = std::min(width(), height());
        const QRectF area((width() - side) / 2.0, (height() - side) / 2.0, side, side);
        paintLedPanel(leds, picture_, area, brightness_);
        leds.end();
        // Six: the most pictures a cycle shows (device start).
        if (drawn_.size() >= 6)
            drawn_.pop_back();
        found = drawn_.insert(drawn_.begin(), Drawn{key, image});
    }
    QPainter painter(this);
    painter.drawPixmap(0, 0, found->image);
}

PreviewTimelineStrip::PreviewTimelineStrip(Playback& playback, QWidget* parent)
    : QWidget(parent), playback_(playback) {
    setObjectName(QStringLiteral("PreviewTimeline"));
    setAttribute(Qt::WA_OpaquePaintEvent);  // every pixel, from the blocks drawn once
    setMinimumHeight(40);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

std::int64_t PreviewTimelineStrip::spanMs() const {
    const Timeline& t = playback_.timeline();
    return std::max<std::int64_t>({t.cycleMs(), t.passMs(), 1});
}

const QPixmap& PreviewTimelineStrip::blocks() {
    // Built in place each frame: the buffer keeps its room, so a frame allocates nothing.
    const Timeline& t = playback_.timeline();
    std::vector<std::int64_t>& key = keyBuffer_;
    key.assign({static_cast<std::int64_t>(t.section), width(), height(),
                qRound64(devicePixelRatioF() * 1000), spanMs()});
    for (const PictureStep& p : t.pictures)
        key.insert(key.end(), {p.slotCode, p.startMs, p.durationMs});
    for (const ToneStep& s : t.tones)
        key.insert(key.end(), {s.pitch, s.startMs, s.durationMs});
    if (key == blocksKey_ && !blocks_.isNull())
        return blocks_;
    blocksKey_ = key;
    const qreal ratio = devicePixelRatioF();
    blocks_ = QPixmap(deviceSize(size(), ratio));
    blocks_.setDevicePixelRatio(ratio);
    blocks_.fill(palette().base().color());
    QPainter painter(&blocks_);
    painter.setFont(font());
    const double scale = (width() - 1) / static_cast<double>(spanMs());
    const int half = height() / 2;
    painter.setPen(palette().color(QPalette::Mid));
    for (const PictureStep& p : t.pictures) {
        const double x = p.startMs * scale;
        const double w = t.section == Section::Sby ? width() - 1 : p.durationMs * scale;
        painter.setBrush(QColor(235, 215, 140));
        painter.drawRect(QRectF(x, 1, std::max(w, 1.0), half - 2));
        const PictureSlot* slot = findSlot(p.slotCode);
        if (slot != nullptr && w > 40) {
            painter.setPen(QColor(40, 40, 40));
            painter.drawText(QRectF(x + 3, 1, w - 6, half - 2), Qt::AlignVCenter,
                             QString::fromStdString(slot->comboEntry));
            painter.setPen(palette().color(QPalette::Mid));
        }
    }
    for (const ToneStep& s : t.tones) {
        const double x = s.startMs * scale;
        const double w = s.durationMs * scale;
        painter.setBrush(toneColour(s.pitch));
        painter.drawRect(QRectF(x, half + 1, std::max(w, 1.0), half - 2));
        if (w > 24) {
            painter.setPen(QColor(40, 40, 40));
            painter.drawText(QRectF(x + 2, half + 1, w - 4, half - 2), Qt::AlignVCenter,
                             pitchName(s.pitch));
            painter.setPen(palette().color(QPalette::Mid));
        }
    }
    painter.end();
    return blocks_;
}

void PreviewTimelineStrip::changeEvent(QEvent* event) {
    if (event->type() == QEvent::FontChange || event->type() == QEvent::PaletteChange)
        blocks_ = QPixmap();
    QWidget::changeEvent(event);
}

void PreviewTimelineStrip::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    // Most frames repaint only the cursor's old and new place: only they are copied.
    const QPixmap& drawn = blocks();
    const qreal ratio = drawn.devicePixelRatio();
    for (const QRect& r : event->region())
        painter.drawPixmap(r, drawn,
                           QRectF(r.topLeft() * ratio, QSizeF(r.size()) * ratio).toRect());
    // Where the playing stands within the span: two pixels wide, the column x among them.
    painter.fillRect(QRect(cursorX() - 1, 0, 2, height()), palette().color(QPalette::Highlight));
}

int PreviewTimelineStrip::cursorX() const {
    const Timeline& t = playback_.timeline();
    std::int64_t at = playback_.position();
    if (t.section != Section::Res && t.cycleMs() > 0)
        at %= spanMs();
    const double scale = (width() - 1) / static_cast<double>(spanMs());
    return static_cast<int>(std::min<std::int64_t>(at, spanMs()) * scale);
}

void PreviewTimelineStrip::moveCursor() {
    // Only the cursor's old and new place are drawn again.
    const Timeline& t = playback_.timeline();
    const std::array<std::int64_t, 3> shape = {static_cast<std::int64_t>(t.section), t.cycleMs(),
                                               t.passMs()};
    if (shape != shapeDrawn_) {
        shapeDrawn_ = shape;
        update();  // another situation: every block anew
    }
    const int x = cursorX();
    if (x == cursorDrawn_)
        return;
    // Near each other (every frame while playing) one rectangle covers both, so a frame copies
    // once.
    if (std::abs(x - cursorDrawn_) < 16) {
        update(QRect(std::min(x, cursorDrawn_) - 2, 0, std::abs(x - cursorDrawn_) + 5, height()));
    } else {
        update(QRect(cursorDrawn_ - 2, 0, 5, height()));
        update(QRect(x - 2, 0, 5, height()));
    }
    cursorDrawn_ = x;
}

void PreviewTimelineStrip::mousePressEvent(QMouseEvent* event) {
    const double scale = (width() - 1) / static_cast<double>(spanMs());
    playback_.seek(static_cast<std::int64_t>(event->position().x() / scale));
    moveCursor();
}

PreviewView::PreviewView(Playback::Clock clock, std::unique_ptr<SoundOutput> sound, bool deviceOnly,
                         QWidget* parent)
    : QWidget(parent), playback_(ownClock(std::move(clock))) {
    playback_.setSoundOutput(std::move(sound));
    panel_ = new PreviewPanel(this);
    strip_ = new PreviewTimelineStrip(playback_, this);
    time_ = new TimeLabel(this);
    time_->setObjectName(QStringLiteral("PreviewTime"));
    soundState_ = new QLabel(this);
    soundState_->setObjectName(QStringLiteral("PreviewSoundState"));

    controls_ = new QWidget(this);
    auto* column = new QVBoxLayout(controls_);
    column->setContentsMargins(0, 0, 0, 0);
    if (!deviceOnly) {
        situation_ = new QComboBox(controls_);
        situation_->setObjectName(QStringLiteral("PreviewSituation"));
        for (int s = 0; s < 6; ++s)
            situation_->addItem(situationCaption(static_cast<Section>(s)));
        connect(situation_, &QComboBox::activated, this, &PreviewView::situationChosen);
        column->addWidget(situation_);
        auto* buttons = new QHBoxLayout;
        play_ = new QPushButton(QStringLiteral("Play"), controls_);
        play_->setObjectName(QStringLiteral("PreviewPlay"));
        connect(play_, &QPushButton::clicked, this, &PreviewView::playClicked);
        auto* restart = new QPushButton(QStringLiteral("Restart"), controls_);
        restart->setObjectName(QStringLiteral("PreviewRestart"));
        connect(restart, &QPushButton::clicked, this, [this] {
            playback_.restart();
            tick();
        });
        buttons->addWidget(play_);
        buttons->addWidget(restart);
        column->addLayout(buttons);
    }
    sound_ = new QCheckBox(QStringLiteral("Sound"), controls_);
    sound_->setObjectName(QStringLiteral("PreviewSound"));
    sound_->setChecked(true);
    connect(sound_, &QCheckBox::toggled, this, [this](bool on) {
        playback_.setSoundEnabled(on);
        updateTexts();
    });
    column->addWidget(sound_);
    auto* device = new QLabel(QStringLiteral("Device:"), controls_);
    column->addWidget(device);
    for (int i = 0; i < 3; ++i) {
        inputs_[static_cast<std::size_t>(i)] =
            new QCheckBox(QStringLiteral("Input %1").arg(i), controls_);
        inputs_[static_cast<std::size_t>(i)]->setObjectName(
            QStringLiteral("PreviewInput%1").arg(i));
        connect(inputs_[static_cast<std::size_t>(i)], &QCheckBox::clicked, this,
                &PreviewView::inputClicked);
        column->addWidget(inputs_[static_cast<std::size_t>(i)]);
    }
    powerOn_ = new QPushButton(QStringLiteral("Power on"), controls_);
    powerOn_->setObjectName(QStringLiteral("PreviewPowerOn"));
    connect(powerOn_, &QPushButton::clicked, this, [this] {
        playback_.powerOn();
        playback_.play();
        tick();
    });
    column->addWidget(powerOn_);
    auto* rule = new QLabel(inputRuleText(), controls_);
    rule->setWordWrap(true);
    column->addWidget(rule);
    column->addStretch(1);

    auto* grid = new QGridLayout(this);
    grid->addWidget(panel_, 0, 0);
    grid->addWidget(controls_, 0, 1);
    grid->addWidget(time_, 1, 0, 1, 2);
    grid->addWidget(strip_, 2, 0, 1, 2);
    grid->addWidget(soundState_, 3, 0, 1, 2);
    auto* basis = new QLabel(previewBasisText(), this);
    basis->setWordWrap(true);
    grid->addWidget(basis, 4, 0, 1, 2);
    grid->setColumnStretch(0, 1);
    grid->setRowStretch(0, 1);

    frames_.setTimerType(Qt::PreciseTimer);
    frames_.setInterval(16);  // about 60 frames a second
    connect(&frames_, &QTimer::timeout, this, &PreviewView::tick);
}

void PreviewView::setPictureSource(std::function<Picture(int)> source) {
    pictures_ = std::move(source);
    picturesChanged();
}

void PreviewView::picturesChanged() {
    picturesStale_ = true;
    showPicture();
}

void PreviewView::setSettings(const PlaybackSettings& settings) {
    playback_.setSettings(settings);
    textsStale_ = true;
    strip_->update();
    tick();
}

void PreviewView::situationChosen(int index) {
    playback_.setSituation(static_cast<Section>(index));
    tick();
}

void PreviewView::playClicked() {
    if (playback_.playing())
        playback_.pause();
    else
        playback_.play();
    tick();
}

void PreviewView::inputClicked() {
    playback_.setInputs(inputs_[0]->isChecked(), inputs_[1]->isChecked(), inputs_[2]->isChecked());
    tick();
}

void PreviewView::showPicture() {
    const int slot = playback_.slotShown();
    const int brightness = playback_.settings().brightness;
    if (!picturesStale_ && slot == shownSlot_ && brightness == shownBrightness_)
        return;
    picturesStale_ = false;
    shownSlot_ = slot;
    shownBrightness_ = brightness;
    panel_->setPicture(slot >= 0 && pictures_ ? pictures_(slot) : Picture(), brightness);
}

void PreviewView::tick() {
    playback_.update();
    // Files saved or sent meanwhile are looked at four times a second.
    if (++framesSinceFiles_ >= 15) {
        framesSinceFiles_ = 0;
        picturesStale_ = true;
    }
    showPicture();
    updateTexts();
    strip_->moveCursor();
    // A change that falls between two frames is drawn when it is due.
    const auto next = playback_.untilNextChange();
    if (next && *next < frames_.interval() && frames_.isActive())
        QTimer::singleShot(std::chrono::milliseconds(*next), Qt::PreciseTimer, this,
                           [this] { tick(); });
}

void PreviewView::updateTexts() {
    const Timeline& t = playback_.timeline();
    const std::int64_t at = playback_.position();
    // The texts change with the tenth of a second shown and with the state; most frames not.
    const std::array<std::int64_t, 6> key = {
        at / 100,
        static_cast<std::int64_t>(t.section),
        playback_.playing(),
        playback_.soundAvailable() * 2 + playback_.soundEnabled(),
        t.cycleMs(),
        t.soundMs()};
    if (key == textKey_ && !textsStale_)
        return;
    textKey_ = key;
    textsStale_ = false;
    QString text;
    if (t.section == Section::Sby)
        text = QStringLiteral("still picture · no sound");
    else if (t.section == Section::Res)
        text = QStringLiteral("%1 of %2 device start · %3")
                   .arg(seconds(std::min(at, *t.endMs())), seconds(*t.endMs()),
                        soundText(playback_.settings(), t));
    else
        text = QStringLiteral("%1 of %2 picture cycle · %3")
                   .arg(seconds(t.cycleMs() > 0 ? at % t.cycleMs() : 0), seconds(t.cycleMs()),
                        soundText(playback_.settings(), t));
    if (playback_.deviceMode())
        text = situationCaption(t.section) + u' ' + text;
    if (time_->text() != text)
        time_->setText(text);
    const QString sound = !playback_.soundAvailable() ? QStringLiteral("no sound output")
                          : !playback_.soundEnabled() ? QStringLiteral("sound off")
                                                      : QString();
    if (soundState_->text() != sound)
        soundState_->setText(sound);
    if (play_ != nullptr)
        play_->setText(playback_.playing() ? QStringLiteral("Pause") : QStringLiteral("Play"));
    if (situation_ != nullptr && situation_->currentIndex() != static_cast<int>(t.section))
        situation_->setCurrentIndex(static_cast<int>(t.section));
}

void PreviewView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    frames_.start();
}

void PreviewView::hideEvent(QHideEvent* event) {
    frames_.stop();
    playback_.pause();
    QWidget::hideEvent(event);
}

PreviewWindow::PreviewWindow(Sources sources, Playback::Clock clock,
                             std::unique_ptr<SoundOutput> sound, QWidget* parent)
    : PreviewView(std::move(clock), std::move(sound), false, parent),
      sources_(std::move(sources)),
      folderPictures_(sources_.pictureFolder, PictureOrigin::AsSent) {
    setObjectName(QStringLiteral("PreviewWindow"));
    setWindowFlag(Qt::Window);
    setWindowTitle(QStringLiteral("Preview"));
    installHelpKey(this, QStringLiteral("the-preview"));
    folderPictures_.setOverride(sources_.editorPicture);
    auto* column = static_cast<QVBoxLayout*>(controls_->layout());
    source_ = new QComboBox(controls_);
    source_->setObjectName(QStringLiteral("PreviewSource"));
    source_->addItem(pictureOriginName(PictureOrigin::AsSent));
    source_->addItem(pictureOriginName(PictureOrigin::LastSent));
    connect(source_, &QComboBox::activated, this, [this](int index) {
        folderPictures_.setOrigin(index == 0 ? PictureOrigin::AsSent : PictureOrigin::LastSent);
        picturesChanged();
    });
    column->insertWidget(3, source_);
    auto* exportButton = new QPushButton(QStringLiteral("Export\u2026"), controls_);
    exportButton->setObjectName(QStringLiteral("PreviewExport"));
    connect(exportButton, &QPushButton::clicked, this, &PreviewWindow::exportClicked);
    column->insertWidget(4, exportButton);
    exportResult_ = new QLabel(controls_);
    exportResult_->setObjectName(QStringLiteral("PreviewExportResult"));
    exportResult_->setWordWrap(true);
    column->insertWidget(5, exportResult_);
    setPictureSource([this](int slot) { return folderPictures_.picture(slot); });
    chooseExport_ = [this](const QString& kind) {
        const bool gif = kind == QStringLiteral("GIF");
        return chooseFileName(this, gif ? FileKind::PreviewGif : FileKind::PreviewWav, true,
                              QStringLiteral("Export %1").arg(kind),
                              gif ? QStringLiteral("GIF (*.gif)") : QStringLiteral("WAV (*.wav)"));
    };
    settingsChanged();
    resize(620, 520);
}

void PreviewWindow::settingsChanged() {
    if (sources_.settings)
        setSettings(sources_.settings());
}

void PreviewWindow::exportClicked() {
    const Timeline timeline = playback().timeline();
    QStringList said;
    const QString gif = chooseExport_(QStringLiteral("GIF"));
    if (!gif.isEmpty()) {
        const ExportOutcome outcome = exportGif(timeline, folderPictures_, gif);
        said << (outcome.error.isEmpty() ? QStringLiteral("GIF written.")
                                         : QStringLiteral("GIF not written: ") + outcome.error);
    }
    if (timeline.soundMs() > 0) {
        const QString wav = chooseExport_(QStringLiteral("WAV"));
        if (!wav.isEmpty()) {
            const ExportOutcome outcome = exportWav(timeline, wav);
            if (!outcome.error.isEmpty())
                said << QStringLiteral("WAV not written: ") + outcome.error;
            else if (outcome.soundCut)
                said << QStringLiteral("WAV written; the sound is cut at %1 minutes.")
                            .arg(MaxExportSoundMs / 60000);
            else
                said << QStringLiteral("WAV written.");
        }
    }
    exportResult_->setText(said.join(u' '));
}

QString PreviewWindow::exportMessage() const {
    return exportResult_->text();
}

}  // namespace blx52
