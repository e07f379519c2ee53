// The main window's controls as the rules, the read and the write reach them: by name, the status
// bar's panels, the strips and the progress bar.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QStatusBar>

#include "ui/main_window.h"

namespace blx52 {

template <class W>
W* TForm1::control(const QString& name) const {
    return qobject_cast<W*>(controls_.value(name));
}

void TForm1::setPanelText(int panel, const std::string& text) {
    setPanelText(panel, QString::fromStdString(text));
}

void TForm1::setPanelText(int panel, const QString& text) {
    if (panel >= 0 && panel < PanelCount) {
        panels_[panel]->setText(text);
        // The panels are narrow; a text such as "Received settings: 89" is cut off, so the
        // whole of it is offered when the mouse rests on the panel.
        panels_[panel]->setToolTip(text);
        log_.recordPanel(panel, text);
    }
}

QString TForm1::panelText(int panel) const {
    return panel >= 0 && panel < PanelCount ? panels_[panel]->text() : QString();
}

QLineEdit* TForm1::edit(const QString& name) const {
    return control<QLineEdit>(name);
}
Memo* TForm1::memo(const QString& name) const {
    return control<Memo>(name);
}
QComboBox* TForm1::comboBox(const QString& name) const {
    return control<QComboBox>(name);
}
QRadioButton* TForm1::radioButton(const QString& name) const {
    return control<QRadioButton>(name);
}
QPushButton* TForm1::button(const QString& name) const {
    return control<QPushButton>(name);
}
QCheckBox* TForm1::checkBox(const QString& name) const {
    return control<QCheckBox>(name);
}

QString TForm1::controlText(const QString& name) const {
    if (auto* e = edit(name))
        return e->text();
    if (auto* m = memo(name))
        return m->text();
    return {};
}

void TForm1::setControlText(const QString& name, const QString& text) {
    if (auto* e = edit(name)) {
        e->setText(text);
    } else if (auto* m = memo(name)) {
        m->setText(text);
    }
}

void TForm1::storeLanding(const QString& name, const QString& text) {
    if (auto* m = memo(name))
        m->store(text);
}

void TForm1::storeReply(const QString& target, const QString& text) {
    if (edit(target)) {
        setControlText(target, text);
    } else {
        storeLanding(target, text);
    }
    guard_.rethrowPending();
}

int TForm1::selectedIndex(const QString& name) const {
    auto* c = comboBox(name);
    return c ? c->currentIndex() : -1;
}

int TForm1::checkedButton(const Setting& group) const {
    for (int k = 0; k < static_cast<int>(group.buttons.size()); ++k) {
        auto* r = radioButton(QString::fromStdString(group.buttons[k]));
        if (r && r->isChecked())
            return k;
    }
    return -1;
}

int TForm1::trackBarPosition() const {
    return trackBar_->value();
}

void TForm1::setStrip(const QString& name, const QColor& color) {
    if (auto* m = memo(name))
        m->setColor(color);
}

QColor TForm1::stripColor(const QString& name) const {
    auto* m = memo(name);
    return m ? m->color() : QColor();
}

void TForm1::setProgress(int position) {
    // A read or write moves the bar after each of its 89 exchanges while the window is blocked,
    // and the bar paints itself, with the panel behind it, on every visible change: that paint
    // cost more than the exchange's own work. The screen shows a frame at most every 16 ms, so
    // the bar paints at most that often (and always at the start and the end); in between its
    // value is kept and shows with the next paint.
    const bool paintNow = position <= progressBar_->minimum() ||
                          position >= progressBar_->maximum() || !progressPainted_.isValid() ||
                          progressPainted_.elapsed() >= 16;
    if (paintNow) {
        progressBar_->setValue(position);
        progressPainted_.start();
        return;
    }
    progressBar_->setUpdatesEnabled(false);
    progressBar_->setValue(position);
    progressBar_->setUpdatesEnabled(true);
}
int TForm1::progress() const {
    return progressBar_->value();
}

void TForm1::markUnwrittenChanges() {
    settingsChanged_ = true;
    setStrip(QStringLiteral("Memo37"), clBlue());
}

}  // namespace blx52
