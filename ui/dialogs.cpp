#include "ui/dialogs.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QMessageBox>
#include <QPushButton>

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#endif

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
    return show(QMessageBox::Question, QString::fromUtf8(ProgramTitle), text, true) ==
           QMessageBox::Ok;
}

QuitAnswer QtDialogs::askBeforeQuit(const QuitQuestion& question) {
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Frage"), question.text,
                    QMessageBox::Cancel, QApplication::activeWindow());
    box.button(QMessageBox::Cancel)->setText(QStringLiteral("Abbrechen"));
    box.setEscapeButton(QMessageBox::Cancel);
    // The buttons carry object names, so that tests can choose them.
    auto add = [&box](const char* name, const QString& text, QMessageBox::ButtonRole role) {
        QPushButton* b = box.addButton(text, role);
        b->setObjectName(QString::fromLatin1(name));
        return b;
    };
    QPushButton* write = nullptr;
    QPushButton* saveFile = nullptr;
    QPushButton* savePicture = nullptr;
    QPushButton* first = nullptr;
    if (question.settings) {
        first = write =
            add("QuitWrite", QStringLiteral("Write to device"), QMessageBox::AcceptRole);
        saveFile =
            add("QuitSaveFile", QString::fromUtf8("Save to file\u2026"), QMessageBox::AcceptRole);
        add("QuitDiscard",
            question.picture.isEmpty() ? QStringLiteral("Discard")
                                       : QStringLiteral("Discard settings"),
            QMessageBox::DestructiveRole);
        // The picture beside the settings: one box still, its choice a check box.
        if (!question.picture.isEmpty()) {
            auto* check = new QCheckBox(
                QStringLiteral("Save the picture %1 to its file").arg(question.picture));
            check->setObjectName(QStringLiteral("QuitSavePictureCheck"));
            check->setChecked(true);
            box.setCheckBox(check);
        }
    } else {
        first = savePicture =
            add("QuitSavePicture", QStringLiteral("Save"), QMessageBox::AcceptRole);
        add("QuitDiscard", QStringLiteral("Discard"), QMessageBox::DestructiveRole);
    }
    box.setDefaultButton(first);
    box.exec();

    QuitAnswer answer;
    QAbstractButton* chosen = box.clickedButton();
    if (chosen == nullptr || chosen == box.button(QMessageBox::Cancel)) {
        answer.cancel = true;
        return answer;
    }
    if (chosen == write)
        answer.settings = QuitAnswer::Settings::Write;
    else if (chosen == saveFile)
        answer.settings = QuitAnswer::Settings::SaveToFile;
    answer.savePicture = chosen == savePicture ||
                         (question.settings && box.checkBox() && box.checkBox()->isChecked());
    return answer;
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
