#pragma once

#include <functional>

#include <QColor>
#include <QPlainTextEdit>
#include <QString>

class QComboBox;
class QLineEdit;
class QRadioButton;

namespace blx52 {

// The window's rules rely on these event conventions:
//  - an edit's or memo's change event runs at once, and only when the text really changes, also
//    when the program sets the text (nested inside the handler that set it);
//  - a landing memo's reaction runs on every store, also of the text it already holds;
//  - selecting a combo box item from the program raises no event, a user's choice does;
//  - checking a radio button from the program unchecks its siblings and raises its click event;
//    checking the one that is already checked raises nothing.

// A memo: a text holder that may also be shown as a coloured strip.
class Memo : public QPlainTextEdit {
    Q_OBJECT
  public:
    explicit Memo(QWidget* parent = nullptr);

    QString text() const { return toPlainText(); }
    // Runs the change event when the text differs from the current one.
    void setText(const QString& text);
    // A store into a landing memo: the reaction runs every time, the change event never.
    void store(const QString& text);

    void setColor(const QColor& color);
    QColor color() const { return color_; }

  signals:
    void changed();
    void stored();

  private:
    void noteChange();

    QString last_;
    QColor color_;
};

using Rule = std::function<void()>;

void onChange(QLineEdit* edit, Rule rule);
void onChange(Memo* memo, Rule rule);
void onStore(Memo* memo, Rule rule);
// The user's choice in a combo box; selectByProgram() does not run it.
void onUserSelect(QComboBox* box, Rule rule);
void selectByProgram(QComboBox* box, int index);
// The click rule: runs whenever the button becomes checked, by the user or by the program.
void onClick(QRadioButton* button, Rule rule);

}  // namespace blx52
