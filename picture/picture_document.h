#pragma once

#include <QObject>
#include <QPoint>
#include <QString>
#include <map>
#include <memory>
#include <optional>

#include "picture/picture.h"

class QUndoGroup;
class QUndoStack;

namespace blx52 {

// The drawing tools of the canvas.
enum class CanvasTool { Pencil, Line, Rectangle, FilledRectangle, Ellipse, Fill, Picker };

// The picture being edited and its history: one undo history per slot for the whole run, in
// which every change of the picture is one step, whoever made it (the editor's pen, presets,
// Reset and Load, or a tool, action or import of the canvas). Undo only changes the picture in
// memory. The editor and the canvas both show this one picture.
class PictureDocument : public QObject {
    Q_OBJECT
  public:
    // Steps kept per slot; older ones are dropped.
    static constexpr int HistoryLimit = 500;

    explicit PictureDocument(const Picture& initial, QObject* parent = nullptr);
    ~PictureDocument() override;

    const Picture& picture() const { return picture_; }

    // A change of the picture as one undo step named `text`; no step when nothing changes.
    void apply(const Picture& next, const QString& text);

    // The history of `slotCode` becomes current and `picture` (the slot's bitmap, or what was
    // shown before when it could not be read) its present state. Coming back to a slot, the
    // change from where its history was left is one step.
    void enterSlot(int slotCode, const Picture& picture);
    int slot() const { return slot_; }  // 0 before any slot

    // Whether the picture differs from the slot's file as last loaded or saved: entering a
    // slot and markSaved() take the picture of that moment as the file's.
    bool unsaved() const { return !(picture_ == saved_); }
    void markSaved() { saved_ = picture_; }
    const Picture& savedPicture() const { return saved_; }

    // A tool drag: press, moves, release. The picture changes at once on every move (shapes
    // are drawn from the press point afresh, so the picture is their preview) and the whole
    // drag becomes one step at the release. The picker changes nothing; the colour under the
    // press is in pickedColor().
    void press(CanvasTool tool, LedColor color, QPoint point);
    void move(QPoint point);
    void release();
    // Puts back the picture from before the press.
    void cancelDrag();
    bool dragging() const { return drag_.has_value(); }
    std::optional<LedColor> pickedColor() const { return picked_; }

    QUndoGroup* undoGroup() const { return group_.get(); }
    QUndoStack* history() const;  // the current slot's
    void undo();
    void redo();

    // Where the editor's pen stands, for the canvas to mark.
    void setPenPosition(int column, int row);
    QPoint penPosition() const { return pen_; }

  signals:
    void pictureChanged();
    void slotChanged(int slotCode);
    void penMoved();

  private:
    class Step;
    struct Drag {
        CanvasTool tool;
        LedColor color;
        Picture before;
        QPoint start;
        QPoint last;
    };

    void show(const Picture& picture);
    Picture historyState(QUndoStack& stack) const;
    QUndoStack& stackFor(int slotCode);
    void drawDrag(QPoint point);

    Picture picture_;
    Picture saved_;
    int slot_ = 0;
    std::unique_ptr<QUndoGroup> group_;
    std::map<int, QUndoStack*> stacks_;   // owned by the group
    std::map<int, Picture> firstStates_;  // a history's state before its first step
    std::optional<Drag> drag_;
    std::optional<LedColor> picked_;
    QPoint pen_;
};

}  // namespace blx52
