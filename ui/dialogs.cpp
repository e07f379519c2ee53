#include "ui/dialogs.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#endif

namespace blx52 {

namespace {

int show(QMessageBox::Icon icon, const QString& title, const QString& text, bool withCancel,
         const QString& cancelText = QStringLiteral("Abbrechen")) {
    QMessageBox box(icon, title, text, QMessageBox::Ok, QApplication::activeWindow());
    box.button(QMessageBox::Ok)->setText(QStringLiteral("OK"));
    if (withCancel) {
        box.addButton(QMessageBox::Cancel);
        box.button(QMessageBox::Cancel)->setText(cancelText);
        box.setEscapeButton(QMessageBox::Cancel);
    }
    box.setDefaultButton(QMessageBox::Ok);
    return box.exec();
}

enum class Sound { Exclamation, Error };

void play(Sound sound) {
#ifdef _WIN32
    ::MessageBeep(sound == Sound::Error ? MB_ICONHAND : MB_ICONEXCLAMATION);
#else
    (void)sound;
    QApplication::beep();
#endif
}

}  // namespace

bool QtDialogs::questionOkCancel(const QString& text) {
    return show(QMessageBox::Question, QString::fromUtf8(ProgramTitle), text, true,
                QStringLiteral("Cancel")) == QMessageBox::Ok;
}

bool QtDialogs::warningOkCancel(const QString& text) {
    return show(QMessageBox::Warning, QStringLiteral("Warnung"), text, true) == QMessageBox::Ok;
}

void QtDialogs::warningOk(const QString& text) {
    show(QMessageBox::Warning, QStringLiteral("Warnung"), text, false);
}

void QtDialogs::errorOk(const QString& text) {
    show(QMessageBox::Critical, QStringLiteral("Fehler"), text, false);
}

bool QtDialogs::questionYesNo(const QString& text) {
    QMessageBox box(QMessageBox::Question, QStringLiteral("Frage"), text,
                    QMessageBox::Yes | QMessageBox::No, QApplication::activeWindow());
    box.button(QMessageBox::Yes)->setText(QStringLiteral("Ja"));
    box.button(QMessageBox::No)->setText(QStringLiteral("Nein"));
    box.setEscapeButton(QMessageBox::No);
    box.setDefaultButton(QMessageBox::Yes);
    return box.exec() == QMessageBox::Yes;
}

void QtDialogs::informationOk(const QString& text) {
    show(QMessageBox::Information, QStringLiteral("Information"), text, false);
}

void QtDialogs::generalError(const QString& text) {
    show(QMessageBox::Critical, QString::fromUtf8(ProgramTitle), text, false);
}

void QtDialogs::beep() {
    play(Sound::Exclamation);
}

void QtDialogs::errorBeep() {
    play(Sound::Error);
}

}  // namespace blx52
