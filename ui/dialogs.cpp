#include "ui/dialogs.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>

namespace blx52 {

namespace {

int show(QMessageBox::Icon icon, const QString& title, const QString& text, bool withCancel) {
    QMessageBox box(icon, title, text, QMessageBox::Ok, QApplication::activeWindow());
    box.button(QMessageBox::Ok)->setText(QStringLiteral("OK"));
    if (withCancel) {
        box.addButton(QMessageBox::Cancel);
        box.button(QMessageBox::Cancel)->setText(QStringLiteral("Abbrechen"));
        box.setEscapeButton(QMessageBox::Cancel);
    }
    box.setDefaultButton(QMessageBox::Ok);
    return box.exec();
}

}  // namespace

bool QtDialogs::warningOkCancel(const QString& text) {
    return show(QMessageBox::Warning, QStringLiteral("Warnung"), text, true) == QMessageBox::Ok;
}

void QtDialogs::warningOk(const QString& text) {
    show(QMessageBox::Warning, QStringLiteral("Warnung"), text, false);
}

void QtDialogs::errorOk(const QString& text) {
    show(QMessageBox::Critical, QStringLiteral("Fehler"), text, false);
}

void QtDialogs::generalError(const QString& text) {
    show(QMessageBox::Critical, QString::fromUtf8(ProgramTitle), text, false);
}

void QtDialogs::beep() {
    QApplication::beep();
}

}  // namespace blx52
