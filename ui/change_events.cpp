#include "ui/change_events.h"

#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QSignalBlocker>

namespace blx52 {

Memo::Memo(QWidget* parent) : QPlainTextEdit(parent) {
    // Tab moves on to the next control, as the memos of the window's first design did; a memo
    // never holds a tab.
    setTabChangesFocus(true);
    // QPlainTextEdit reports every setPlainText, even of the same text; only real changes count.
    connect(this, &QPlainTextEdit::textChanged, this, &Memo::noteChange);
}

void Memo::noteChange() {
    const QString now = toPlainText();
    if (now == last_)
        return;
    last_ = now;
    emit changed();
}

void Memo::setText(const QString& text) {
    if (text != toPlainText())
        setPlainText(text);
}

void Memo::store(const QString& text) {
    last_ = text;  // keeps the change event quiet
    // The same text again needs no new document (its layout is most of a store's cost); the
    // reaction runs all the same.
    if (text != toPlainText())
        setPlainText(text);
    emit stored();
}

void Memo::setColor(const QColor& color) {
    color_ = color;
    QPalette p = palette();
    p.setColor(QPalette::Base, color);
    p.setColor(QPalette::Window, color);
    setPalette(p);
    viewport()->setAutoFillBackground(true);
}

void onChange(QLineEdit* edit, Rule rule) {
    // QLineEdit reports only real changes, typed or set.
    QObject::connect(edit, &QLineEdit::textChanged, edit, [rule = std::move(rule)] { rule(); });
}

void onChange(Memo* memo, Rule rule) {
    QObject::connect(memo, &Memo::changed, memo, std::move(rule));
}

void onStore(Memo* memo, Rule rule) {
    QObject::connect(memo, &Memo::stored, memo, std::move(rule));
}

void onUserSelect(QComboBox* box, Rule rule) {
    QObject::connect(box, &QComboBox::currentIndexChanged, box,
                     [rule = std::move(rule)] { rule(); });
}

void selectByProgram(QComboBox* box, int index) {
    const QSignalBlocker quiet(box);
    box->setCurrentIndex(index);
}

void onClick(QRadioButton* button, Rule rule) {
    QObject::connect(button, &QRadioButton::toggled, button,
                     [rule = std::move(rule)](bool checked) {
                         if (checked)
                             rule();
                     });
}

}  // namespace blx52
