#include "picture/picture_document.h"

#include <QUndoGroup>
#include <QUndoStack>

#include "picture/picture_tools.h"

namespace blx52 {

// One change of the picture: the states before and after it, shared with the picture itself
// until either is drawn on.
class PictureDocument::Step : public QUndoCommand {
  public:
    Step(PictureDocument& document, Picture before, Picture after, const QString& text)
        : QUndoCommand(text),
          document_(document),
          before_(std::move(before)),
          after_(std::move(after)) {}
    void undo() override { document_.show(before_); }
    void redo() override { document_.show(after_); }
    const Picture& before() const { return before_; }
    const Picture& after() const { return after_; }

  private:
    PictureDocument& document_;
    Picture before_;
    Picture after_;
};

namespace {

QString toolStepText(CanvasTool tool) {
    switch (tool) {
        case CanvasTool::Pencil:
            return QStringLiteral("Pencil");
        case CanvasTool::Line:
            return QStringLiteral("Line");
        case CanvasTool::Rectangle:
            return QStringLiteral("Rectangle");
        case CanvasTool::FilledRectangle:
            return QStringLiteral("Filled rectangle");
        case CanvasTool::Ellipse:
            return QStringLiteral("Ellipse");
        case CanvasTool::Fill:
            return QStringLiteral("Fill");
        case CanvasTool::Picker:
            break;
    }
    return QStringLiteral("Picker");
}

}  // namespace

PictureDocument::PictureDocument(const Picture& initial, QObject* parent)
    : QObject(parent), picture_(initial), saved_(initial), group_(std::make_unique<QUndoGroup>()) {
    group_->setActiveStack(&stackFor(0));
}

PictureDocument::~PictureDocument() = default;

QUndoStack& PictureDocument::stackFor(int slotCode) {
    auto found = stacks_.find(slotCode);
    if (found != stacks_.end())
        return *found->second;
    auto* stack = new QUndoStack(group_.get());
    stack->setUndoLimit(HistoryLimit);
    group_->addStack(stack);
    stacks_[slotCode] = stack;
    firstStates_[slotCode] = picture_;
    return *stack;
}

QUndoStack* PictureDocument::history() const {
    return stacks_.at(slot_);
}

Picture PictureDocument::historyState(QUndoStack& stack) const {
    if (stack.count() == 0)
        return firstStates_.at(slot_);
    if (stack.index() == 0)
        return static_cast<const Step*>(stack.command(0))->before();
    return static_cast<const Step*>(stack.command(stack.index() - 1))->after();
}

void PictureDocument::show(const Picture& picture) {
    picture_ = picture;
    emit pictureChanged();
}

void PictureDocument::apply(const Picture& next, const QString& text) {
    release();
    if (next == picture_)
        return;
    history()->push(new Step(*this, picture_, next, text));
}

void PictureDocument::enterSlot(int slotCode, const Picture& picture) {
    release();
    const bool known = stacks_.count(slotCode) != 0;
    QUndoStack& stack = stackFor(slotCode);
    slot_ = slotCode;
    group_->setActiveStack(&stack);
    if (!known) {
        firstStates_[slotCode] = picture;
        show(picture);
    } else {
        const Picture left = historyState(stack);
        show(left);
        if (!(left == picture))
            stack.push(new Step(*this, left, picture, QStringLiteral("Open slot")));
    }
    saved_ = picture;
    emit slotChanged(slotCode);
}

void PictureDocument::press(CanvasTool tool, LedColor color, QPoint point) {
    release();
    picked_.reset();
    switch (tool) {
        case CanvasTool::Picker:
            if (Picture::contains(point.x(), point.y()))
                picked_ = ledColorAt(picture_, point);
            return;
        case CanvasTool::Fill: {
            Picture next = picture_;
            floodFill(next, point, color);
            apply(next, toolStepText(tool));
            return;
        }
        default:
            break;
    }
    drag_ = Drag{tool, color, picture_, point, point};
    drawDrag(point);
}

void PictureDocument::move(QPoint point) {
    if (!drag_ || point == drag_->last)
        return;
    drawDrag(point);
}

void PictureDocument::drawDrag(QPoint point) {
    Drag& d = *drag_;
    if (d.tool == CanvasTool::Pencil) {
        // Successive mouse points are joined, so a fast stroke leaves no gaps.
        drawLine(picture_, d.last, point, d.color);
    } else {
        Picture p = d.before;
        switch (d.tool) {
            case CanvasTool::Line:
                drawLine(p, d.start, point, d.color);
                break;
            case CanvasTool::Rectangle:
                drawRectangle(p, d.start, point, d.color);
                break;
            case CanvasTool::FilledRectangle:
                fillRectangle(p, d.start, point, d.color);
                break;
            case CanvasTool::Ellipse:
                drawEllipse(p, d.start, point, d.color);
                break;
            default:
                break;
        }
        picture_ = std::move(p);
    }
    d.last = point;
    emit pictureChanged();
}

void PictureDocument::release() {
    if (!drag_)
        return;
    Drag d = std::move(*drag_);
    drag_.reset();
    if (!(picture_ == d.before))
        history()->push(new Step(*this, d.before, picture_, toolStepText(d.tool)));
}

void PictureDocument::cancelDrag() {
    if (!drag_)
        return;
    const Picture before = drag_->before;
    drag_.reset();
    show(before);
}

void PictureDocument::undo() {
    if (drag_) {
        cancelDrag();
        return;
    }
    history()->undo();
}

void PictureDocument::redo() {
    if (drag_)
        return;
    history()->redo();
}

void PictureDocument::setPenPosition(int column, int row) {
    const QPoint p(column, row);
    if (p == pen_)
        return;
    pen_ = p;
    emit penMoved();
}

}  // namespace blx52
