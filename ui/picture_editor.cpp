#include "ui/picture_editor.h"
#include "ui/busy_cursor.h"

#include <algorithm>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QFocusEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QTime>
#include <QToolBar>
#include <QToolButton>
#include <QWindow>

#include "picture/pen_text.h"
#include "picture/picture_send.h"
#include "picture/plane_data.h"
#include "picture/presets.h"
#include "sync/exchange_log.h"
#include "sync/sync_texts.h"
#include "ui/help_window.h"
#include "ui/main_window.h"
#include "ui/picture_canvas.h"
#include "ui/window_size.h"

namespace blx52 {

namespace {

// Positions of the layout are in window coordinates; controls inside a group box are placed
// relative to it.
struct Group {
    const char* name;
    const char* caption;
    int x, y, w, h;
};
constexpr Group PenColorGroup = {"GroupBox3", "Pen Color:", 24, 48, 73, 297};
constexpr Group PenGroup = {"GroupBox4", "Pen Navigation:", 112, 48, 169, 297};
constexpr Group PresetGroup = {"GroupBox2", "Picture Presets:", 296, 48, 89, 297};
constexpr Group FileGroup = {"GroupBox1", "Picture File: ", 400, 48, 129, 297};

constexpr int ToolStripHeight = 29;
constexpr int SendResultLeft = 63;  // right of the Canvas button
const QSize OuterSize(564, 398);

QString qs(const std::string& text) {
    return QString::fromStdString(text);
}

const LedColorInfo& colorInfo(LedColor color) {
    return ledColors()[static_cast<std::size_t>(ledCode(color))];
}

// A square in the colour inside a one-pixel black frame; black itself shows as dark grey so
// that the frame stays visible.
QImage colorGlyph(LedColor color) {
    QImage glyph(16, 16, QImage::Format_RGB32);
    glyph.fill(Qt::black);
    const QColor inside = color == LedColor::Black ? QColor(Qt::darkGray) : QColor(ledRgb(color));
    QPainter painter(&glyph);
    painter.fillRect(1, 1, 14, 14, inside);
    return glyph;
}

QGroupBox* groupBox(QWidget* parent, const Group& g) {
    auto* box = new QGroupBox(QString::fromUtf8(g.caption), parent);
    box->setObjectName(QString::fromLatin1(g.name));
    box->setGeometry(g.x, g.y, g.w, g.h);
    return box;
}

}  // namespace

TForm2::TForm2(DeviceLink& link, Dialogs& dialogs, QString folder, QWidget* parent)
    : QMainWindow(parent),
      link_(link),
      dialogs_(dialogs),
      folder_(std::move(folder)),
      guard_([&dialogs](const QString& message) { dialogs.generalError(message); }),
      document_(initialPicture()) {
    buildWindow();
    connectHandlers();
    connect(&document_, &PictureDocument::pictureChanged, this, &TForm2::showPicture);
    showPicture();
}

// The canvas shows the document, a member that would be gone before the child windows are.
TForm2::~TForm2() {
    delete canvas_;
}

// ---- Window ----

QPushButton* TForm2::addButton(QWidget* parent, const QString& name, int x, int y, int w, int h,
                               const QString& caption) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(name);
    // Window coordinates, also for buttons inside a group box.
    const QPoint origin = parent->mapTo(centralWidget(), QPoint(0, 0));
    b->setGeometry(x - origin.x(), y - origin.y(), w, h);
    b->setAutoDefault(false);
    return b;
}

void TForm2::buildWindow() {
    setWindowTitle(QStringLiteral("BLX52 Glowpanel - Picture Editor"));
    QFont small = font();
    small.setPointSize(8);
    setFont(small);
    // The program ends with the main window, whether or not the editor is still open.
    setAttribute(Qt::WA_QuitOnClose, false);
    installHelpKey(this, QStringLiteral("the-picture-editor"));

    auto* central = new QWidget;
    central->setObjectName(QStringLiteral("ClientArea"));
    setCentralWidget(scrollingClientArea(central));
    // 564 × 398 outside, frame included, centred over the main window.
    new OuterSizeKeeper(this, OuterSize, [this](QWidget&) { placeOverMainWindow(); });

    auto* strip = new QToolBar(central);
    strip->setObjectName(QStringLiteral("ToolBar1"));
    strip->setMovable(false);
    strip->setGeometry(0, 0, 564, ToolStripHeight);
    // The strip's controls are placed by hand, not by its layout: that one follows the style's
    // margins, so they would sit elsewhere on Windows than on Linux.
    auto* canvasButton = new QToolButton(strip);
    canvasButton->setObjectName(QStringLiteral("CanvasButton"));
    canvasButton->setText(QStringLiteral("Canvas"));
    canvasButton->setToolTip(QStringLiteral("Draw on a zoomed canvas (Ctrl+E)"));
    // Not in the keyboard focus order of the window's controls.
    canvasButton->setFocusPolicy(Qt::NoFocus);
    canvasButton->setAutoRaise(true);
    canvasButton->setGeometry(4, 4, 55, 20);
    // Beside the button, the outcome of the last send.
    sendResult_ = new QLabel(strip);
    sendResult_->setObjectName(QStringLiteral("SendResult"));
    sendResult_->setWordWrap(true);
    sendResult_->setContentsMargins(6, 0, 6, 0);
    // Two lines of a failure fit the strip's height in a slightly smaller face.
    QFont noteFont = sendResult_->font();
    noteFont.setPointSizeF(7);
    sendResult_->setFont(noteFont);
    // A fixed width that every frame leaves room for, so it is the same on every system.
    sendResult_->setGeometry(SendResultLeft, 0, 497, ToolStripHeight);
    // The strip runs along the whole top of the client area, whatever width the frame leaves.
    central->installEventFilter(this);

    // A picture view from the drawing board days; it sits behind the pen group and shows nothing.
    auto* image1 = new QLabel(central);
    image1->setObjectName(QStringLiteral("Image1"));
    image1->setGeometry(128, 80, 32, 32);

    QGroupBox* colors = groupBox(central, PenColorGroup);
    QGroupBox* pen = groupBox(central, PenGroup);
    QGroupBox* presets = groupBox(central, PresetGroup);
    QGroupBox* file = groupBox(central, FileGroup);
    image1->lower();

    int top = 80;
    for (LedColor color : PenColorOrder) {
        const LedColorInfo& info = colorInfo(color);
        QPushButton* b =
            addButton(colors, QString::fromLatin1(info.penButton), 48, top, 24, 24, {});
        b->setIcon(QIcon(QPixmap::fromImage(colorGlyph(color))));
        b->setToolTip(
            QStringLiteral("Makes %1 the pen colour").arg(QString::fromLatin1(info.name)));
        b->setIconSize(QSize(16, 16));
        b->setCursor(Qt::PointingHandCursor);
        top += 32;
    }

    image2_ = new QLabel(pen);
    image2_->setObjectName(QStringLiteral("Image2"));
    image2_->setGeometry(176 - PenGroup.x, 128 - PenGroup.y, 32, 32);

    auto addEdit = [&](const QString& name, int x, int y) {
        auto* e = new QLineEdit(pen);
        e->setObjectName(name);
        e->setGeometry(x - PenGroup.x, y - PenGroup.y, 32, 21);
        return e;
    };
    edit1_ = addEdit(QStringLiteral("Edit1"), 176, 88);
    edit2_ = addEdit(QStringLiteral("Edit2"), 224, 128);
    edit3_ = addEdit(QStringLiteral("Edit3"), 128, 128);
    for (QLineEdit* e : {edit1_, edit2_}) {
        e->setText(QStringLiteral("0"));
        e->setPlaceholderText(QStringLiteral("0 ... 31"));
    }
    // The swatch only shows the pen colour; nothing is typed there.
    edit3_->setReadOnly(true);
    edit3_->setCursor(Qt::ForbiddenCursor);
    QPalette neutral = edit3_->palette();
    neutral.setColor(QPalette::Base, TForm1::clMenu());
    edit3_->setPalette(neutral);

    const struct {
        const char* name;
        const char* caption;
        int x, y;
        const char* tip;
    } pad[] = {{"Button9", "^", 176, 176, "Moves the pen up one row"},
               {"Button7", "<", 128, 224, "Moves the pen left one column"},
               {"Button5", "x", 176, 224, "Draws a point in the pen colour at the pen"},
               {"Button8", ">", 224, 224, "Moves the pen right one column"},
               {"Button10", "v", 176, 272, "Moves the pen down one row"}};
    for (const auto& p : pad) {
        QPushButton* b = addButton(pen, QString::fromLatin1(p.name), p.x, p.y, 40, 40,
                                   QString::fromLatin1(p.caption));
        b->setCursor(Qt::PointingHandCursor);
        b->setToolTip(QString::fromLatin1(p.tip));
    }

    addButton(presets, QStringLiteral("Button3"), 320, 128, 40, 40, QStringLiteral("Reset"))
        ->setToolTip(QStringLiteral("Makes every pixel black"));
    const struct {
        const char* name;
        Picture (*make)();
        int y;
        const char* tip;
    } presetButtons[] = {
        {"BitBtn3", blueDiscPicture, 176, "Draws the blue disc preset"},
        {"BitBtn2", prohibitionSignPicture, 224, "Draws the prohibition sign preset"},
        {"BitBtn1", warningTrianglePicture, 272, "Draws the warning triangle preset"}};
    for (const auto& p : presetButtons) {
        QPushButton* b = addButton(presets, QString::fromLatin1(p.name), 320, p.y, 40, 40, {});
        b->setToolTip(QString::fromLatin1(p.tip));
        b->setIcon(QIcon(QPixmap::fromImage(p.make().image())));
        b->setIconSize(QSize(32, 32));
        b->setCursor(Qt::PointingHandCursor);
    }

    comboBox1_ = new QComboBox(file);
    comboBox1_->setObjectName(QStringLiteral("ComboBox1"));
    comboBox1_->setEditable(true);
    // Typed text chooses an entry or nothing; it never becomes an entry of its own.
    comboBox1_->setInsertPolicy(QComboBox::NoInsert);
    comboBox1_->setGeometry(424 - FileGroup.x, 136 - FileGroup.y, 81, 21);
    for (const auto& slot : pictureSlots())
        comboBox1_->addItem(qs(slot.comboEntry));
    comboBox1_->setMaxVisibleItems(static_cast<int>(pictureSlots().size()));
    selectByProgram(comboBox1_, 0);

    addButton(file, QStringLiteral("Button20"), 424, 184, 81, 25, QStringLiteral("Load from file"))
        ->setToolTip(QStringLiteral("Loads the slot's bitmap file, dropping unsaved drawing"));
    addButton(file, QStringLiteral("Button17"), 424, 232, 81, 25, QStringLiteral("Save to file"))
        ->setToolTip(QStringLiteral("Saves the picture as the slot's bitmap file"));
    addButton(file, QStringLiteral("Button4"), 424, 280, 81, 25, QStringLiteral("Send to device"))
        ->setToolTip(QStringLiteral("Sends the picture to its slot on the device"));

    memo1_ = new Memo(central);
    memo1_->setObjectName(QStringLiteral("Memo1"));
    memo1_->setGeometry(0, 0, 20, 20);
    memo1_->hide();
    checkBox2_ = new QCheckBox(central);
    checkBox2_->setObjectName(QStringLiteral("CheckBox2"));
    checkBox2_->setGeometry(0, 0, 20, 20);
    checkBox2_->hide();

    QStringList order = {"Button3", "Button4",  "Button5", "Edit1", "Button7",  "Button8",
                         "Button9", "Button10", "Edit2",   "Edit3", "Button17", "Button20"};
    for (int k = 1; k <= 11; ++k)
        order << QStringLiteral("BitBtn%1").arg(k);
    order << QStringLiteral("ComboBox1");
    for (int k = 1; k < order.size(); ++k) {
        setTabOrder(findChild<QWidget*>(order[k - 1]), findChild<QWidget*>(order[k]));
    }
}

void TForm2::connectHandlers() {
    const struct {
        const char* name;
        void (TForm2::*handler)();
    } clicks[] = {
        {"BitBtn1", &TForm2::BitBtn1Click},   {"BitBtn2", &TForm2::BitBtn2Click},
        {"BitBtn3", &TForm2::BitBtn3Click},   {"BitBtn4", &TForm2::BitBtn4Click},
        {"BitBtn5", &TForm2::BitBtn5Click},   {"BitBtn6", &TForm2::BitBtn6Click},
        {"BitBtn7", &TForm2::BitBtn7Click},   {"BitBtn8", &TForm2::BitBtn8Click},
        {"BitBtn9", &TForm2::BitBtn9Click},   {"BitBtn10", &TForm2::BitBtn10Click},
        {"BitBtn11", &TForm2::BitBtn11Click}, {"Button3", &TForm2::Button3Click},
        {"Button4", &TForm2::Button4Click},   {"Button5", &TForm2::Button5Click},
        {"Button7", &TForm2::Button7Click},   {"Button8", &TForm2::Button8Click},
        {"Button9", &TForm2::Button9Click},   {"Button10", &TForm2::Button10Click},
        {"Button17", &TForm2::Button17Click}, {"Button20", &TForm2::Button20Click},
    };
    for (const auto& c : clicks) {
        connect(button(QString::fromLatin1(c.name)), &QPushButton::clicked, this, c.handler);
    }
    button(QStringLiteral("Button5"))->installEventFilter(this);
    connect(findChild<QToolButton*>(QStringLiteral("CanvasButton")), &QToolButton::clicked, this,
            &TForm2::openCanvas);
    image2_->installEventFilter(this);
    auto* canvasKey = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_E), this);
    connect(canvasKey, &QShortcut::activated, this, &TForm2::openCanvas);
    onChange(edit1_, [this] { Edit1Change(); });
    onChange(edit2_, [this] { Edit2Change(); });
    onChange(memo1_, [this] { Memo1Change(); });
    onUserSelect(comboBox1_, [this] { ComboBox1Change(); });
}

bool TForm2::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Resize && watched->objectName() == QLatin1String("ClientArea")) {
        if (auto* strip = findChild<QToolBar*>(QStringLiteral("ToolBar1")))
            strip->resize(static_cast<QWidget*>(watched)->width(), ToolStripHeight);
    }
    if (event->type() == QEvent::MouseButtonDblClick && watched == image2_)
        openCanvas();
    if (event->type() == QEvent::FocusIn && watched == button(QStringLiteral("Button5"))) {
        // The point is drawn when the focus moves onto "x" inside the window, not when the
        // window itself comes back to the front with "x" still focused.
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason &&
            reason != Qt::MenuBarFocusReason) {
            Button5Enter();
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

QPushButton* TForm2::button(const QString& name) const {
    return findChild<QPushButton*>(name);
}

QLineEdit* TForm2::edit(const QString& name) const {
    return findChild<QLineEdit*>(name);
}

void TForm2::placeOverMainWindow() {
    QRect over;
    if (mainWindow_) {
        over = mainWindow_->frameGeometry();
    } else if (QScreen* s = screen()) {
        over = s->availableGeometry();
    }
    if (over.isValid())
        move(centredFramePosition(over, OuterSize));
}

// ---- Port warning record ----

bool TForm2::portWarningShown() const {
    return checkBox2_->isChecked();
}

void TForm2::setPortWarningShown() {
    checkBox2_->setChecked(true);
}

// ---- Pen ----

void TForm2::setPenColor(LedColor color) {
    guard_.run([this, color] {
        pen_.color = color;
        QPalette p = edit3_->palette();
        p.setColor(QPalette::Base, QColor(ledRgb(color)));
        edit3_->setPalette(p);
    });
}

void TForm2::BitBtn4Click() {
    setPenColor(LedColor::Black);
}
void TForm2::BitBtn5Click() {
    setPenColor(LedColor::Red);
}
void TForm2::BitBtn6Click() {
    setPenColor(LedColor::Yellow);
}
void TForm2::BitBtn7Click() {
    setPenColor(LedColor::Green);
}
void TForm2::BitBtn8Click() {
    setPenColor(LedColor::Cyan);
}
void TForm2::BitBtn9Click() {
    setPenColor(LedColor::Blue);
}
void TForm2::BitBtn10Click() {
    setPenColor(LedColor::Magenta);
}
void TForm2::BitBtn11Click() {
    setPenColor(LedColor::White);
}

// The moves only set the edit's text; its change rule then takes the new value.
void TForm2::movePen(void (Pen::*move)(), QLineEdit* edit, int Pen::*coordinate) {
    guard_.run([this, move, edit, coordinate] {
        Pen moved = pen_;
        (moved.*move)();
        edit->setText(QString::number(moved.*coordinate));
    });
}

void TForm2::Button7Click() {
    movePen(&Pen::moveLeft, edit1_, &Pen::column);
}
void TForm2::Button8Click() {
    movePen(&Pen::moveRight, edit1_, &Pen::column);
}
void TForm2::Button9Click() {
    movePen(&Pen::moveUp, edit2_, &Pen::row);
}
void TForm2::Button10Click() {
    movePen(&Pen::moveDown, edit2_, &Pen::row);
}

void TForm2::Edit1Change() {
    penTextRule(edit1_, &Pen::column);
}
void TForm2::Edit2Change() {
    penTextRule(edit2_, &Pen::row);
}

void TForm2::penTextRule(QLineEdit* edit, int Pen::*coordinate) {
    guard_.run([this, edit, coordinate] {
        const PenTextOutcome outcome = evaluatePenText(edit->text());
        if (outcome.verdict == PenTextVerdict::Forbidden) {
            dialogs_.errorBeep();
            dialogs_.errorOk(QStringLiteral("Bitte nur Zahlen eingeben!"));
        } else if (outcome.verdict == PenTextVerdict::NotANumber) {
            // The toolkit's conversion error; the coordinate keeps its value.
            dialogs_.generalError(outcome.errorText);
        }
        if (outcome.coordinate) {
            pen_.*coordinate = *outcome.coordinate;
            penMoved();
        }
        // Runs this rule again, nested, on the replacement, which gives the same value.
        if (!outcome.replacementText.isEmpty())
            edit->setText(outcome.replacementText);
    });
}

void TForm2::penMoved() {
    document_.setPenPosition(pen_.column, pen_.row);
}

void TForm2::drawPoint() {
    Picture next = picture();
    if (pen_.drawPoint(next))
        document_.apply(next, QStringLiteral("Point"));
}

void TForm2::Button5Click() {
    guard_.run([this] { drawPoint(); });
}

void TForm2::Button5Enter() {
    guard_.run([this] { drawPoint(); });
}

// ---- Whole picture ----

void TForm2::setPicture(const Picture& picture, const QString& step) {
    document_.apply(picture, step);
}

void TForm2::showPicture() {
    image2_->setPixmap(QPixmap::fromImage(picture().image()));
}

void TForm2::Button3Click() {
    guard_.run([this] {
        Picture next = picture();
        resetPicture(next);
        setPicture(next, QStringLiteral("Reset"));
    });
}

void TForm2::BitBtn1Click() {
    guard_.run(
        [this] { setPicture(warningTrianglePicture(), QStringLiteral("Warning triangle")); });
}

void TForm2::BitBtn2Click() {
    guard_.run(
        [this] { setPicture(prohibitionSignPicture(), QStringLiteral("Prohibition sign")); });
}

void TForm2::BitBtn3Click() {
    guard_.run([this] { setPicture(blueDiscPicture(), QStringLiteral("Blue disc")); });
}

void TForm2::openCanvas() {
    guard_.run([this] {
        if (!canvas_) {
            canvas_ = new PictureCanvas(document_, dialogs_, this);
            // The very handlers of this window's buttons, with their dialogs, notes and files.
            canvas_->setFileActions([this] { Button4Click(); }, [this] { Button17Click(); });
            canvas_->setNote(sendResult_->text());
        }
        canvas_->showFor(currentSlot());
    });
}

// ---- Slots ----

void TForm2::openForSlot(int slotCode) {
    guard_.run([this, slotCode] {
        // Setting the slot that is already current is no change: unsaved drawing stays.
        memo1_->setText(QString::number(slotCode));
        if (!opened_) {
            opened_ = true;
            // Opening the editor counts as having been warned about the port in the main
            // window; no dialog is shown for it.
            if (mainSignal_)
                mainSignal_();
        }
        if (!isVisible()) {
            // Owned by the main window: it stays in front of it, and both stay usable.
            if (mainWindow_ != nullptr && mainWindow_->window()->winId() != 0 && winId() != 0 &&
                windowHandle() != nullptr) {
                windowHandle()->setTransientParent(mainWindow_->window()->windowHandle());
            }
            placeOverMainWindow();
            show();
        }
        raise();
        activateWindow();
    });
}

void TForm2::Memo1Change() {
    guard_.run([this] {
        bool number = false;
        const int code = memo1_->text().toInt(&number);
        const PictureSlot* slot = number ? findSlot(code) : nullptr;
        if (!slot)
            return;  // no slot of the table: nothing changes
        if (slot != current_)
            showNote({}, {}, false);
        current_ = slot;
        selectByProgram(comboBox1_, slotIndex(slot->code));
        // A bitmap that cannot be read leaves the picture shown before, now the new slot's.
        document_.enterSlot(slot->code, loadSlotBitmap(*slot).value_or(picture()));
    });
}

void TForm2::ComboBox1Change() {
    guard_.run([this] {
        const int index = comboBox1_->currentIndex();
        const auto& table = pictureSlots();
        if (index < 0 || index >= static_cast<int>(table.size()))
            return;
        memo1_->setText(QString::number(table[static_cast<std::size_t>(index)].code));
    });
}

std::optional<Picture> TForm2::loadSlotBitmap(const PictureSlot& slot) {
    Picture loaded = picture();
    if (FileError error = loadBitmap(bitmapFilePath(slot, folder_), loaded)) {
        // The picture keeps what it showed; the slot is current all the same.
        dialogs_.errorOk(*error);
        return std::nullopt;
    }
    return loaded;
}

// ---- Files and device ----

void TForm2::Button20Click() {
    guard_.run([this] {
        // The editor can only be shown for a slot; without one there is no file to read.
        if (const PictureSlot* slot = currentSlot()) {
            if (std::optional<Picture> loaded = loadSlotBitmap(*slot)) {
                setPicture(*loaded, QStringLiteral("Load from file"));
                document_.markSaved();
            }
        }
    });
}

void TForm2::Button17Click() {
    guard_.run([this] { saveToFile(); });
}

bool TForm2::saveToFile() {
    const PictureSlot* slot = currentSlot();
    if (!slot)
        return false;
    const QString path = bitmapFilePath(*slot, folder_);
    if (FileError error = saveBitmap(picture(), path)) {
        dialogs_.errorOk(*error);
        return false;
    }
    document_.markSaved();
    // The thumbnail is what the file gives back, not what is on screen.
    Picture saved;
    if (FileError error = loadBitmap(path, saved)) {
        dialogs_.errorOk(*error);
        return true;
    }
    if (glyphHook_)
        glyphHook_(slot->code, saved.image());
    const QString time = QTime::currentTime().toString(QStringLiteral("HH:mm:ss"));
    const QString name = QString::fromStdString(slot->comboEntry);
    showNote(QStringLiteral("%1 saved to %2 at %3").arg(name, QFileInfo(path).fileName(), time),
             QStringLiteral("%1 saved to %2 at %3").arg(name, QDir::toNativeSeparators(path), time),
             false);
    return true;
}

QString TForm2::unsavedSlotName() const {
    return current_ != nullptr && document_.unsaved() ? qs(current_->comboEntry) : QString();
}

void TForm2::slotFilesReplaced(const std::vector<int>& slotCodes, const QString& source) {
    guard_.run([this, &slotCodes, &source] {
        const PictureSlot* slot = currentSlot();
        if (slot == nullptr ||
            std::find(slotCodes.begin(), slotCodes.end(), slot->code) == slotCodes.end()) {
            return;
        }
        Picture file;
        if (loadBitmap(bitmapFilePath(*slot, folder_), file))
            return;  // whoever wrote it has said what went wrong
        document_.release();
        if (file == picture()) {
            document_.markSaved();
            return;
        }
        // Unchanged from what the editor last had from the file: nothing was replaced here.
        if (file == document_.savedPicture())
            return;
        if (document_.unsaved()) {
            if (!dialogs_.questionYesNo(
                    QStringLiteral("%1 was just replaced by the picture from %2, but the editor "
                                   "holds unsaved drawing of %3.\n\nShow the new picture and "
                                   "drop the drawing?\n\n\"Nein\" keeps the drawing; \"Save "
                                   "to file\" would then write it over the new picture.")
                        .arg(qs(slot->bitmapFile), source, qs(slot->comboEntry)))) {
                return;
            }
        }
        setPicture(file, QStringLiteral("Load from file"));
        document_.markSaved();
    });
}

void TForm2::Button4Click() {
    guard_.run([this] {
        const PictureSlot* slot = currentSlot();
        if (!slot)
            return;
        if (!portWarningShown()) {
            setPortWarningShown();
            if (mainSignal_)
                mainSignal_();
            const std::string_view text = sync_text::PortWarning;
            if (!dialogs_.warningOkCancel(
                    QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())))) {
                return;
            }
        }
        const BusyCursor busy;
        if (log_ != nullptr)
            log_->beginOperation(QStringLiteral("picture send"));
        const PictureSendResult result = sendPictureToDevice(link_, *slot, picture(), folder_);
        showSendResult(*slot, result);
    });
}

QString TForm2::sendResultText() const {
    return sendResult_->text();
}

void TForm2::showSendResult(const PictureSlot& slot, const PictureSendResult& result) {
    // The link's own words for the failed picture command: the log's last exchange.
    QString linkText;
    if (log_ != nullptr) {
        for (std::size_t i = log_->size(); i-- > 0;) {
            const LogRow& row = log_->row(i);
            if (row.kind == LogRow::Kind::Exchange) {
                if (row.failed())
                    linkText = linkFailureText(row);
                break;
            }
        }
    }
    if (log_ != nullptr)
        log_->endOperation(pictureSendOutcome(slot, link_.PortName, result, linkText));

    const QString name = QString::fromStdString(slot.comboEntry);
    const QString port = QString::fromStdString(link_.PortName);
    const QString time = QTime::currentTime().toString(QStringLiteral("HH:mm:ss"));
    const QString file = QString::fromStdString(slot.devicePictureFile);
    const QString failure = pictureSendFailure(result, linkText);
    QString text;
    QString tip;
    if (failure.isEmpty()) {
        text = QStringLiteral("%1 sent to %2 at %3").arg(name, port, time);
        if (!result.deviceFileWritten)
            text += QStringLiteral("; %1 could not be written").arg(file);
        // "Sent" alone would hide that the device shows some pixels otherwise than the picture.
        if (const QString off = offLedPixelText(offLedPixelCount(picture())); !off.isEmpty())
            text += QStringLiteral("; ") + off;
    } else {
        // Every send records the picture as meant to be sent, so the file tells nothing of
        // the device here.
        const QString fileText = result.deviceFileWritten
                                     ? QStringLiteral("%1 was written all the same.").arg(file)
                                     : QStringLiteral("%1 was not written.").arg(file);
        // The strip has room for two lines: the link's first failure is the cause (a port
        // that did not open fails the send and the read after it too); the tooltip and the
        // log hold every message.
        text = QStringLiteral("%1 not sent to %2 at %3: %4. %5")
                   .arg(name, port, time, failure.section(QStringLiteral("; "), 0, 0), fileText);
        tip = QStringLiteral("%1 not sent to %2 at %3: %4. %5")
                  .arg(name, port, time, failure, fileText);
    }
    showNote(text, tip.isEmpty() ? text : tip, !failure.isEmpty());
}

void TForm2::showNote(const QString& text, const QString& tip, bool failed) {
    sendResult_->setText(text);
    sendResult_->setToolTip(tip);
    sendResult_->setStyleSheet(failed ? QStringLiteral("color: #b00000;") : QString());
    if (canvas_)
        canvas_->setNote(text, failed);
}

void connectEditor(TForm1& form1, TForm2& form2) {
    form2.setMainWindow(&form1);
    form1.setPictureEditorOpener([&form2](int slotCode) { form2.openForSlot(slotCode); });
    form2.setGlyphHook(
        [&form1](int slotCode, const QImage& image) { form1.setButtonGlyph(slotCode, image); });
    form2.setMainWindowSignal(
        [&form1] { form1.checkBox(QStringLiteral("CheckBox1"))->setChecked(true); });
    form2.setExchangeLog(&form1.exchangeLog());
    form1.setEditorWork(
        {[&form2] { return form2.unsavedSlotName(); }, [&form2] { return form2.saveToFile(); }});
    form1.setFilesReplacedHook([&form2](const std::vector<int>& slotCodes, const QString& source) {
        form2.slotFilesReplaced(slotCodes, source);
    });
    // The main window's read, write and input tests record the port warning on this side too.
    form1.setEditorPortWarningHook([&form2] { form2.setPortWarningShown(); });
    form1.setEditorPicture(&form2.document(), [&form2](int slotCode) -> std::optional<Picture> {
        if (form2.currentSlot() == nullptr || form2.currentSlot()->code != slotCode)
            return std::nullopt;
        return form2.picture();
    });
}

}  // namespace blx52
