#include "ui/picture_canvas.h"

#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QClipboard>
#include <QFileInfo>
#include <QImageReader>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>
#include <QUndoGroup>
#include <QUndoStack>
#include <QWheelEvent>
#include <algorithm>

#include "picture/picture_tools.h"
#include "ui/help_window.h"
#include "ui/file_dialogs.h"
#include "ui/import_dialog.h"
#include "ui/window_size.h"

namespace blx52 {

namespace {

struct ToolEntry {
    CanvasTool tool;
    const char* name;
    const char* text;
    const char* tip;
};
constexpr ToolEntry ToolTable[] = {
    {CanvasTool::Pencil, "ToolPencil", "Pencil", "Draw pixels (left: colour, right: black)"},
    {CanvasTool::Line, "ToolLine", "Line", "Straight line"},
    {CanvasTool::Rectangle, "ToolRect", "Rect", "Rectangle"},
    {CanvasTool::FilledRectangle, "ToolFilledRect", "Filled", "Filled rectangle"},
    {CanvasTool::Ellipse, "ToolEllipse", "Ellipse", "Ellipse"},
    {CanvasTool::Fill, "ToolFill", "Fill", "Fill an area of one colour"},
    {CanvasTool::Picker, "ToolPicker", "Picker", "Take the colour of a pixel"},
};

QString colorName(LedColor color) {
    return QString::fromLatin1(ledColors()[static_cast<std::size_t>(ledCode(color))].name);
}

QIcon swatch(LedColor color) {
    QImage image(16, 16, QImage::Format_RGB32);
    image.fill(Qt::black);
    QPainter painter(&image);
    painter.fillRect(1, 1, 14, 14,
                     color == LedColor::Black ? QColor(Qt::darkGray) : QColor(ledRgb(color)));
    return QIcon(QPixmap::fromImage(image));
}

}  // namespace

// ---- CanvasView ----

CanvasView::CanvasView(PictureDocument& document, QWidget* parent)
    : QWidget(parent), document_(document) {
    setObjectName(QStringLiteral("CanvasView"));
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setCursor(Qt::CrossCursor);
    shown_ = document_.picture();
    shownPen_ = document_.penPosition();
    connect(&document_, &PictureDocument::pictureChanged, this, &CanvasView::pictureChanged);
    connect(&document_, &PictureDocument::penMoved, this, &CanvasView::penMoved);
    setFixedSize(sizeHint());
}

// Only the pixels that changed are painted again: a stroke touches a few of 1,024.
void CanvasView::pictureChanged() {
    const Picture& now = document_.picture();
    QRect changed;
    for (int y = 0; y < Picture::Height; ++y) {
        for (int x = 0; x < Picture::Width; ++x) {
            if (now.pixel(x, y) != shown_.pixel(x, y))
                changed |= pixelRect({x, y});
        }
    }
    shown_ = now;
    if (!changed.isEmpty())
        update(changed);
}

void CanvasView::penMoved() {
    update(pixelRect(shownPen_));
    shownPen_ = document_.penPosition();
    update(pixelRect(shownPen_));
}

QSize CanvasView::sizeHint() const {
    return {Picture::Width * zoom_, Picture::Height * zoom_};
}

void CanvasView::setZoom(int zoom) {
    zoom = std::clamp(zoom, MinZoom, MaxZoom);
    if (zoom == zoom_)
        return;
    zoom_ = zoom;
    setFixedSize(sizeHint());
    update();
}

QPoint CanvasView::pixelAt(QPoint position) const {
    auto cell = [this](int v) { return v >= 0 ? v / zoom_ : -((-v + zoom_ - 1) / zoom_); };
    return {cell(position.x()), cell(position.y())};
}

QRect CanvasView::pixelRect(QPoint pixel) const {
    return {pixel.x() * zoom_, pixel.y() * zoom_, zoom_, zoom_};
}

void CanvasView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.drawImage(rect(), document_.picture().image());
    if (zoom_ >= GridFromZoom) {
        painter.setPen(QColor(70, 70, 70));
        for (int k = 1; k < Picture::Width; ++k)
            painter.drawLine(k * zoom_, 0, k * zoom_, height());
        for (int k = 1; k < Picture::Height; ++k)
            painter.drawLine(0, k * zoom_, width(), k * zoom_);
    }
    // A pixel the device shows black, though it shows otherwise here, carries a cross in black
    // or white, whichever stands out on it.
    if (zoom_ >= MarkFromZoom) {
        const Picture& picture = document_.picture();
        const int inset = std::max(1, zoom_ / 4);
        for (int y = 0; y < Picture::Height; ++y) {
            for (int x = 0; x < Picture::Width; ++x) {
                const QRgb rgb = picture.pixel(x, y);
                if (isLedColor(rgb))
                    continue;
                const QRect r = pixelRect({x, y}).adjusted(inset, inset, -inset - 1, -inset - 1);
                painter.setPen(QPen(qGray(rgb) > 127 ? Qt::black : Qt::white, zoom_ >= 16 ? 2 : 1));
                painter.drawLine(r.topLeft(), r.bottomRight());
                painter.drawLine(r.topRight(), r.bottomLeft());
            }
        }
    }
    // The editor's pen, in black and white so that it shows on every colour.
    const QPoint pen = document_.penPosition();
    if (Picture::contains(pen.x(), pen.y())) {
        const QRect r = pixelRect(pen);
        painter.setBrush(Qt::NoBrush);
        painter.setPen(QPen(Qt::black, 1));
        painter.drawRect(r.adjusted(0, 0, -1, -1));
        painter.setPen(QPen(Qt::white, 1));
        painter.drawRect(r.adjusted(1, 1, -2, -2));
        if (zoom_ >= GridFromZoom) {
            painter.setPen(QPen(Qt::black, 1));
            painter.drawRect(r.adjusted(2, 2, -3, -3));
        }
    }
}

void CanvasView::mousePressEvent(QMouseEvent* event) {
    const Qt::MouseButton button = event->button();
    if (dragButton_ != Qt::NoButton || (button != Qt::LeftButton && button != Qt::RightButton))
        return;
    const QPoint pixel = pixelAt(event->position().toPoint());
    const LedColor color = button == Qt::LeftButton ? color_ : LedColor::Black;
    document_.press(tool_, color, pixel);
    if (document_.dragging())
        dragButton_ = button;
    if (std::optional<LedColor> picked = document_.pickedColor())
        emit colorPicked(*picked);
}

void CanvasView::mouseMoveEvent(QMouseEvent* event) {
    const QPoint pixel = pixelAt(event->position().toPoint());
    if (dragButton_ != Qt::NoButton) {
        if (document_.dragging()) {
            document_.move(pixel);
        } else {
            dragButton_ = Qt::NoButton;  // the drag was ended elsewhere (slot change, undo)
        }
    }
    emit hovered(Picture::contains(pixel.x(), pixel.y()) ? std::optional(pixel) : std::nullopt);
}

void CanvasView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != dragButton_)
        return;
    dragButton_ = Qt::NoButton;
    document_.move(pixelAt(event->position().toPoint()));
    document_.release();
}

void CanvasView::leaveEvent(QEvent*) {
    emit hovered(std::nullopt);
}

void CanvasView::wheelEvent(QWheelEvent* event) {
    if (!(event->modifiers() & Qt::ControlModifier)) {
        event->ignore();  // the scroll area scrolls
        return;
    }
    const int steps = event->angleDelta().y() / 120;
    if (steps != 0)
        emit zoomStep(steps);
    event->accept();
}

// ---- PictureCanvas ----

PictureCanvas::PictureCanvas(PictureDocument& document, Dialogs& dialogs, QWidget* editor)
    : QMainWindow(editor, Qt::Window), document_(document), dialogs_(dialogs) {
    setObjectName(QStringLiteral("PictureCanvas"));
    setAttribute(Qt::WA_QuitOnClose, false);
    buildWindow();
    connect(&document_, &PictureDocument::pictureChanged, this, &PictureCanvas::updateStatus);
    connect(&document_, &PictureDocument::penMoved, this, &PictureCanvas::updateStatus);
    connect(&document_, &PictureDocument::slotChanged, this, [this] { updateTitle(); });
    QUndoGroup* group = document_.undoGroup();
    connect(group, &QUndoGroup::canUndoChanged, this, &PictureCanvas::updateUndoButtons);
    connect(group, &QUndoGroup::canRedoChanged, this, &PictureCanvas::updateUndoButtons);
    connect(group, &QUndoGroup::activeStackChanged, this, &PictureCanvas::updateUndoButtons);
    updateUndoButtons();
    updateStatus();
    resize(640, 600);
    installHelpKey(this, QStringLiteral("the-canvas"));
}

QToolButton* PictureCanvas::addButton(QWidget* bar, const char* name, const QString& text,
                                      const QString& tip) {
    auto* b = new QToolButton(bar);
    b->setObjectName(QString::fromLatin1(name));
    b->setText(text);
    b->setToolTip(tip);
    b->setFocusPolicy(Qt::NoFocus);
    if (auto* toolBar = qobject_cast<QToolBar*>(bar))
        toolBar->addWidget(b);
    return b;
}

void PictureCanvas::addKey(const QKeySequence& key, std::function<void()> run) {
    auto* action = new QAction(this);
    action->setShortcut(key);
    action->setShortcutContext(Qt::WindowShortcut);
    connect(action, &QAction::triggered, this, std::move(run));
    addAction(action);
}

void PictureCanvas::buildWindow() {
    auto* actions = new QToolBar(QStringLiteral("Actions"), this);
    actions->setObjectName(QStringLiteral("CanvasActions"));
    actions->setMovable(false);
    addToolBar(Qt::TopToolBarArea, actions);

    // The editor's own buttons, so that the canvas need not be moved off them.
    connect(addButton(actions, "CanvasSend", QStringLiteral("Send to device"),
                      QStringLiteral("Sends the picture to its slot on the device")),
            &QToolButton::clicked, this, [this] {
                if (send_)
                    send_();
            });
    connect(addButton(actions, "CanvasSave", QStringLiteral("Save to file"),
                      QStringLiteral("Saves the picture as the slot's bitmap file")),
            &QToolButton::clicked, this, [this] {
                if (save_)
                    save_();
            });
    actions->addSeparator();

    undo_ =
        addButton(actions, "CanvasUndo", QStringLiteral("Undo"), QStringLiteral("Undo (Ctrl+Z)"));
    redo_ = addButton(actions, "CanvasRedo", QStringLiteral("Redo"),
                      QStringLiteral("Redo (Ctrl+Y, Ctrl+Shift+Z)"));
    connect(undo_, &QToolButton::clicked, this, [this] { document_.undo(); });
    connect(redo_, &QToolButton::clicked, this, [this] { document_.redo(); });
    actions->addSeparator();

    connect(addButton(actions, "CanvasImport", QStringLiteral("Import image…"),
                      QStringLiteral("Bring an image file into the picture")),
            &QToolButton::clicked, this, &PictureCanvas::chooseImportFile);
    QToolButton* exporter = addButton(actions, "CanvasExport", QStringLiteral("Export image…"),
                                      QStringLiteral("Write the picture as PNG"));
    auto* exportMenu = new QMenu(exporter);
    exportMenu->addAction(QStringLiteral("PNG, 1× (32 × 32)…"), this,
                          [this] { chooseExportFile(1); });
    exportMenu->addAction(QStringLiteral("PNG, 10× (320 × 320)…"), this,
                          [this] { chooseExportFile(10); });
    exporter->setMenu(exportMenu);
    exporter->setPopupMode(QToolButton::InstantPopup);
    connect(addButton(actions, "CanvasCopy", QStringLiteral("Copy"),
                      QStringLiteral("Copy the picture as an image (Ctrl+C)")),
            &QToolButton::clicked, this, &PictureCanvas::copyToClipboard);
    connect(addButton(actions, "CanvasPaste", QStringLiteral("Paste"),
                      QStringLiteral("Paste an image as an import (Ctrl+V)")),
            &QToolButton::clicked, this, &PictureCanvas::pasteFromClipboard);
    auto* whole = new QToolBar(QStringLiteral("Picture"), this);
    whole->setObjectName(QStringLiteral("CanvasPictureActions"));
    whole->setMovable(false);
    addToolBarBreak(Qt::TopToolBarArea);
    addToolBar(Qt::TopToolBarArea, whole);

    const struct {
        const char* name;
        const char* text;
        const char* tip;
        Picture (*change)(const Picture&);
    } wholePicture[] = {
        {"CanvasFlipH", "Flip ↔", "Mirror left and right", flippedHorizontally},
        {"CanvasFlipV", "Flip ↕", "Mirror top and bottom", flippedVertically},
        {"CanvasRotateLeft", "Rotate ⟲", "Quarter turn counter-clockwise", rotatedCounterClockwise},
        {"CanvasRotateRight", "Rotate ⟳", "Quarter turn clockwise", rotatedClockwise},
    };
    for (const auto& w : wholePicture) {
        const QString step = QString::fromUtf8(w.tip);
        auto change = w.change;
        connect(addButton(whole, w.name, QString::fromUtf8(w.text), step), &QToolButton::clicked,
                this, [this, change, step] { document_.apply(change(document_.picture()), step); });
    }
    QToolButton* replace = addButton(whole, "CanvasReplace", QStringLiteral("Replace"),
                                     QStringLiteral("Replace one colour by the chosen colour"));
    auto* replaceMenu = new QMenu(replace);
    replaceMenu->setObjectName(QStringLiteral("CanvasReplaceMenu"));
    for (const LedColorInfo& info : ledColors()) {
        const LedColor from = info.color;
        replaceMenu->addAction(swatch(from), QStringLiteral("Replace %1").arg(colorName(from)),
                               this, [this, from] { replaceColor(from); });
    }
    replace->setMenu(replaceMenu);
    replace->setPopupMode(QToolButton::InstantPopup);
    whole->addSeparator();
    const struct {
        const char* name;
        const char* text;
        int dx, dy;
    } shifts[] = {{"CanvasShiftLeft", "←", -1, 0},
                  {"CanvasShiftRight", "→", 1, 0},
                  {"CanvasShiftUp", "↑", 0, -1},
                  {"CanvasShiftDown", "↓", 0, 1}};
    for (const auto& s : shifts) {
        const int dx = s.dx;
        const int dy = s.dy;
        connect(
            addButton(whole, s.name, QString::fromUtf8(s.text),
                      QStringLiteral("Shift the picture one pixel, round the edge (arrow key)")),
            &QToolButton::clicked, this, [this, dx, dy] { shift(dx, dy); });
    }
    whole->addSeparator();
    connect(addButton(whole, "CanvasZoomOut", QStringLiteral("−"), QStringLiteral("Zoom out (-)")),
            &QToolButton::clicked, this, [this] { zoomBy(-1); });
    connect(addButton(whole, "CanvasZoomIn", QStringLiteral("+"), QStringLiteral("Zoom in (+)")),
            &QToolButton::clicked, this, [this] { zoomBy(1); });

    auto* side = new QToolBar(QStringLiteral("Tools"), this);
    side->setObjectName(QStringLiteral("CanvasTools"));
    side->setMovable(false);
    side->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    addToolBar(Qt::LeftToolBarArea, side);
    tools_ = new QButtonGroup(this);
    for (const ToolEntry& t : ToolTable) {
        QToolButton* b =
            addButton(side, t.name, QString::fromLatin1(t.text), QString::fromLatin1(t.tip));
        b->setCheckable(true);
        b->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        tools_->addButton(b, static_cast<int>(t.tool));
    }
    tools_->button(static_cast<int>(CanvasTool::Pencil))->setChecked(true);
    connect(tools_, &QButtonGroup::idClicked, this,
            [this](int id) { setTool(static_cast<CanvasTool>(id)); });
    side->addSeparator();
    colors_ = new QButtonGroup(this);
    // In the order of the editor's colour buttons, numbered as keys 1 … 8.
    for (std::size_t k = 0; k < PenColorOrder.size(); ++k) {
        const LedColor color = PenColorOrder[k];
        const int code = ledCode(color);
        const QByteArray name = "CanvasColor" + QByteArray::number(code);
        const int key = static_cast<int>(k) + 1;
        QToolButton* b = addButton(side, name.constData(),
                                   QStringLiteral("%1 %2").arg(key).arg(colorName(color)),
                                   QStringLiteral("%1 (key %2)").arg(colorName(color)).arg(key));
        b->setIcon(swatch(color));
        b->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
        b->setCheckable(true);
        b->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        colors_->addButton(b, code);
    }
    connect(colors_, &QButtonGroup::idClicked, this,
            [this](int code) { setColor(static_cast<LedColor>(code)); });

    scroll_ = new QScrollArea(this);
    scroll_->setObjectName(QStringLiteral("CanvasScroll"));
    scroll_->setAlignment(Qt::AlignCenter);
    scroll_->setBackgroundRole(QPalette::Dark);
    view_ = new CanvasView(document_, scroll_);
    scroll_->setWidget(view_);
    scroll_->viewport()->installEventFilter(this);
    setCentralWidget(scroll_);
    connect(view_, &CanvasView::hovered, this, [this](std::optional<QPoint> pixel) {
        hover_ = pixel;
        updateStatus();
    });
    connect(view_, &CanvasView::colorPicked, this, &PictureCanvas::setColor);
    connect(view_, &CanvasView::zoomStep, this, &PictureCanvas::zoomBy);

    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("CanvasStatus"));
    statusBar()->addWidget(status_, 1);
    note_ = new QLabel(this);
    note_->setObjectName(QStringLiteral("CanvasNote"));
    statusBar()->addPermanentWidget(note_);

    setColor(LedColor::Red);
    addKey(QKeySequence::Undo, [this] { document_.undo(); });
    addKey(QKeySequence(Qt::CTRL | Qt::Key_Y), [this] { document_.redo(); });
    addKey(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), [this] { document_.redo(); });
    addKey(QKeySequence::Copy, [this] { copyToClipboard(); });
    addKey(QKeySequence::Paste, [this] { pasteFromClipboard(); });
    addKey(QKeySequence(Qt::Key_Left), [this] { shift(-1, 0); });
    addKey(QKeySequence(Qt::Key_Right), [this] { shift(1, 0); });
    addKey(QKeySequence(Qt::Key_Up), [this] { shift(0, -1); });
    addKey(QKeySequence(Qt::Key_Down), [this] { shift(0, 1); });
    for (Qt::Key key : {Qt::Key_Plus, Qt::Key_Equal})
        addKey(QKeySequence(key), [this] { zoomBy(1); });
    addKey(QKeySequence(Qt::Key_Minus), [this] { zoomBy(-1); });
    addKey(QKeySequence(Qt::Key_Escape), [this] { document_.cancelDrag(); });
    for (std::size_t k = 0; k < PenColorOrder.size(); ++k) {
        const LedColor color = PenColorOrder[k];
        addKey(QKeySequence(Qt::Key_1 + static_cast<int>(k)), [this, color] { setColor(color); });
    }
}

void PictureCanvas::setFileActions(std::function<void()> send, std::function<void()> save) {
    send_ = std::move(send);
    save_ = std::move(save);
}

void PictureCanvas::setNote(const QString& text, bool failed) {
    note_->setText(text);
    note_->setToolTip(text);
    note_->setStyleSheet(failed ? QStringLiteral("color: #b00000;") : QString());
}

QString PictureCanvas::note() const {
    return note_->text();
}

void PictureCanvas::placeBesideEditor() {
    QWidget* editor = parentWidget();
    QScreen* screen = editor ? editor->screen() : nullptr;
    if (!screen)
        return;
    // The frame is not known before the first showing; the editor's is a fair guess.
    const QSize frame = editor->frameGeometry().size() - editor->size();
    // Narrower than this it draws too small to be of use; a screen without that much room
    // beside the editor gets the canvas over part of it.
    constexpr int LeastWidth = 480;
    const QRect outer = besideFrame(editor->frameGeometry(), size() + frame,
                                    std::max(minimumSizeHint().width(), LeastWidth) + frame.width(),
                                    screen->availableGeometry());
    resize(outer.size() - frame);
    move(outer.topLeft());
}

void PictureCanvas::showFor(const PictureSlot* slot) {
    slot_ = slot;
    updateTitle();
    if (!isVisible()) {
        placeBesideEditor();
        show();
    }
    raise();
    activateWindow();
    fitZoom();
}

void PictureCanvas::updateTitle() {
    const PictureSlot* slot = findSlot(document_.slot());
    if (!slot)
        slot = slot_;
    setWindowTitle(slot ? QStringLiteral("BLX52 Glowpanel - Canvas - %1")
                              .arg(QString::fromStdString(slot->comboEntry))
                        : QStringLiteral("BLX52 Glowpanel - Canvas"));
}

void PictureCanvas::updateStatus() {
    QString text;
    if (hover_) {
        const LedColor c = ledColorAt(document_.picture(), *hover_);
        text = QStringLiteral("x %1, y %2: %3").arg(hover_->x()).arg(hover_->y()).arg(colorName(c));
        if ((document_.picture().pixel(hover_->x(), hover_->y()) | 0xff000000u) != ledRgb(c))
            text += QStringLiteral(" (shown colour is no LED colour)");
    } else {
        text = QStringLiteral("x -, y -");
    }
    const QPoint pen = document_.penPosition();
    text += QStringLiteral("    pen %1, %2    colour %3    zoom %4×")
                .arg(pen.x())
                .arg(pen.y())
                .arg(colorName(view_->color()))
                .arg(view_->zoom());
    if (const QString off = offLedPixelText(offLedPixelCount(document_.picture())); !off.isEmpty())
        text += QStringLiteral("    ") + off;
    status_->setText(text);
}

void PictureCanvas::updateUndoButtons() {
    QUndoStack* stack = document_.history();
    undo_->setEnabled(stack->canUndo());
    redo_->setEnabled(stack->canRedo());
    undo_->setToolTip(QStringLiteral("Undo %1 (Ctrl+Z)").arg(stack->undoText()));
    redo_->setToolTip(QStringLiteral("Redo %1 (Ctrl+Y)").arg(stack->redoText()));
}

void PictureCanvas::setColor(LedColor color) {
    view_->setColor(color);
    if (QAbstractButton* b = colors_->button(ledCode(color)))
        b->setChecked(true);
    updateStatus();
}

void PictureCanvas::setTool(CanvasTool tool) {
    document_.release();
    view_->setTool(tool);
    if (QAbstractButton* b = tools_->button(static_cast<int>(tool)))
        b->setChecked(true);
}

void PictureCanvas::shift(int dx, int dy) {
    document_.apply(shifted(document_.picture(), dx, dy), QStringLiteral("Shift"));
}

void PictureCanvas::replaceColor(LedColor from) {
    document_.apply(colorReplaced(document_.picture(), from, view_->color()),
                    QStringLiteral("Replace %1").arg(colorName(from)));
}

void PictureCanvas::zoomBy(int steps) {
    // Single steps in the small sizes, then steps of four, so 4 … 32 is a few presses.
    static constexpr int Levels[] = {4, 5, 6, 7, 8, 12, 16, 20, 24, 28, 32};
    int zoom = view_->zoom();
    for (; steps > 0; --steps) {
        const int* next = std::upper_bound(std::begin(Levels), std::end(Levels), zoom);
        zoom = next == std::end(Levels) ? CanvasView::MaxZoom : *next;
    }
    for (; steps < 0; ++steps) {
        const int* next = std::lower_bound(std::begin(Levels), std::end(Levels), zoom);
        zoom = next == std::begin(Levels) ? CanvasView::MinZoom : *(next - 1);
    }
    setZoom(zoom);
}

void PictureCanvas::setZoom(int zoom) {
    fit_ = false;
    view_->setZoom(zoom);
    updateStatus();
}

void PictureCanvas::fitZoom() {
    if (!fit_)
        return;
    const QSize room = scroll_->viewport()->size();
    view_->setZoom(std::min(room.width() / Picture::Width, room.height() / Picture::Height));
    updateStatus();
}

void PictureCanvas::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    fitZoom();
}

bool PictureCanvas::eventFilter(QObject* watched, QEvent* event) {
    if (watched == scroll_->viewport() && event->type() == QEvent::Resize)
        fitZoom();
    return QMainWindow::eventFilter(watched, event);
}

void PictureCanvas::copyToClipboard() {
    QApplication::clipboard()->setImage(exportImage(document_.picture(), 1));
}

void PictureCanvas::pasteFromClipboard() {
    const QMimeData* data = QApplication::clipboard()->mimeData();
    QImage image;
    if (data && data->hasImage())
        image = qvariant_cast<QImage>(data->imageData());
    if (image.isNull()) {
        dialogs_.errorOk(QStringLiteral("The clipboard holds no image."));
        return;
    }
    importImageWithPreview(image, QStringLiteral("Pasted image"));
}

bool PictureCanvas::importImageWithPreview(const QImage& image, const QString& what) {
    // A picture of this program (or any 32 × 32 in the eight colours) comes in as it is.
    if (isLedPicture(image)) {
        document_.apply(importImage(image, {ImportFit::Letterbox, ImportColors::Nearest}),
                        QStringLiteral("Import"));
        return true;
    }
    ImportDialog dialog(image, importOptions_, what, this);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    importOptions_ = dialog.options();
    document_.apply(dialog.result(), QStringLiteral("Import"));
    return true;
}

bool PictureCanvas::importFile(const QString& path) {
    // A GIF gives its first frame.
    QString why;
    const QImage image = readImageForImport(path, &why);
    if (image.isNull()) {
        dialogs_.errorOk(QStringLiteral("%1 cannot be read as an image: %2").arg(path, why));
        return false;
    }
    return importImageWithPreview(image, QFileInfo(path).fileName());
}

bool PictureCanvas::exportFile(const QString& path, int scale) {
    const QString error = savePictureImage(document_.picture(), scale, path);
    if (!error.isEmpty()) {
        dialogs_.errorOk(error);
        return false;
    }
    return true;
}

void PictureCanvas::chooseImportFile() {
    const QString path = chooseFileName(
        this, FileKind::ImageImport, false, QStringLiteral("Import image"),
        QStringLiteral("Images (*.png *.bmp *.jpg *.jpeg *.gif *.ppm *.pgm *.pbm *.xpm *.xbm "
                       "*.svg *.ico *.webp *.tif *.tiff);;All files (*)"));
    if (!path.isEmpty())
        importFile(path);
}

void PictureCanvas::chooseExportFile(int scale) {
    QString path = chooseFileName(this, FileKind::ImageExport, true, QStringLiteral("Export image"),
                                  QStringLiteral("PNG image (*.png)"));
    if (path.isEmpty())
        return;
    if (!path.endsWith(QStringLiteral(".png"), Qt::CaseInsensitive))
        path += QStringLiteral(".png");
    exportFile(path, scale);
}

}  // namespace blx52
