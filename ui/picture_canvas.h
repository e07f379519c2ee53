#pragma once

#include <QMainWindow>
#include <QPoint>
#include <QWidget>
#include <functional>
#include <optional>

#include "picture/picture_document.h"
#include "picture/picture_import.h"
#include "picture/slot_table.h"
#include "ui/dialogs.h"

class QButtonGroup;
class QLabel;
class QScrollArea;
class QToolButton;

namespace blx52 {

// The zoomed drawing surface: shows the picture with the editor's pen marked and turns mouse
// presses and drags into tool calls of the document (left button: the chosen colour, right
// button: black).
class CanvasView : public QWidget {
    Q_OBJECT
  public:
    static constexpr int MinZoom = 4;
    static constexpr int MaxZoom = 32;
    static constexpr int GridFromZoom = 8;
    // From this zoom a pixel that is none of the eight colours carries a cross.
    static constexpr int MarkFromZoom = 6;

    explicit CanvasView(PictureDocument& document, QWidget* parent = nullptr);

    void setZoom(int zoom);
    int zoom() const { return zoom_; }
    void setTool(CanvasTool tool) { tool_ = tool; }
    CanvasTool tool() const { return tool_; }
    void setColor(LedColor color) { color_ = color; }
    LedColor color() const { return color_; }

    // The picture pixel under a point of the widget (may lie outside the matrix).
    QPoint pixelAt(QPoint position) const;
    // The widget rectangle of a picture pixel.
    QRect pixelRect(QPoint pixel) const;
    QSize sizeHint() const override;

  signals:
    void hovered(std::optional<QPoint> pixel);
    void colorPicked(LedColor color);
    void zoomStep(int steps);  // Ctrl+wheel

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

  private:
    void pictureChanged();
    void penMoved();

    PictureDocument& document_;
    Picture shown_;  // what the last update covered
    QPoint shownPen_;
    int zoom_ = 16;
    CanvasTool tool_ = CanvasTool::Pencil;
    LedColor color_ = LedColor::Red;
    Qt::MouseButton dragButton_ = Qt::NoButton;
};

// The canvas window: tools, colours, whole-picture actions, undo, clipboard, import and export
// around a CanvasView, all working on the editor's picture.
class PictureCanvas : public QMainWindow {
    Q_OBJECT
  public:
    PictureCanvas(PictureDocument& document, Dialogs& dialogs, QWidget* editor);

    // Shows the window (or brings it up) with `slot` in its title; a window not yet shown
    // opens beside the editor, inside the screen.
    void showFor(const PictureSlot* slot);

    // The editor's own "Send to device" and "Save to file", for the canvas's buttons.
    void setFileActions(std::function<void()> send, std::function<void()> save);
    // The editor's note on the last send or save, in the status line; empty clears it.
    void setNote(const QString& text, bool failed = false);
    QString note() const;

    CanvasView* view() const { return view_; }
    // Fit the window (the default) or the zoom set with Ctrl+wheel or +/-.
    bool fitsWindow() const { return fit_; }
    void zoomBy(int steps);
    void setZoom(int zoom);
    void setColor(LedColor color);
    void setTool(CanvasTool tool);
    void shift(int dx, int dy);
    void replaceColor(LedColor from);  // by the chosen colour

    // The picture goes out as an image; a pasted image comes in as an import.
    void copyToClipboard();
    void pasteFromClipboard();
    // Reads an image file and imports it after the preview; false when it was not taken.
    bool importFile(const QString& path);
    bool importImageWithPreview(const QImage& image, const QString& what);
    bool exportFile(const QString& path, int scale);

  protected:
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void buildWindow();
    QToolButton* addButton(QWidget* bar, const char* name, const QString& text, const QString& tip);
    void addKey(const QKeySequence& key, std::function<void()> run);
    void placeBesideEditor();
    void fitZoom();
    void updateTitle();
    void updateStatus();
    void updateUndoButtons();
    void chooseImportFile();
    void chooseExportFile(int scale);

    PictureDocument& document_;
    Dialogs& dialogs_;
    CanvasView* view_ = nullptr;
    QScrollArea* scroll_ = nullptr;
    QLabel* status_ = nullptr;
    QLabel* note_ = nullptr;
    std::function<void()> send_;
    std::function<void()> save_;
    QButtonGroup* tools_ = nullptr;
    QButtonGroup* colors_ = nullptr;
    QToolButton* undo_ = nullptr;
    QToolButton* redo_ = nullptr;
    bool fit_ = true;
    std::optional<QPoint> hover_;
    const PictureSlot* slot_ = nullptr;
    ImportOptions importOptions_;
};

}  // namespace blx52
