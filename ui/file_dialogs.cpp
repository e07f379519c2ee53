#include "ui/file_dialogs.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

namespace blx52 {

namespace {

struct KindInfo {
    const char* key;
    const char* suggestedName;  // for a save; empty for a kind that is only opened
};

KindInfo info(FileKind kind) {
    switch (kind) {
        case FileKind::Settings:
            return {"settings", "blx52-settings.blx52"};
        case FileKind::Log:
            return {"log", "blx52-log.txt"};
        case FileKind::ImageImport:
            return {"image-import", ""};
        case FileKind::ImageExport:
            return {"image-export", "blx52-picture.png"};
        case FileKind::PreviewGif:
            return {"preview-export", "blx52-preview.gif"};
        case FileKind::PreviewWav:
            return {"preview-export", "blx52-preview.wav"};
    }
    return {"other", ""};
}

class ProgramSettings : public QSettings {
  public:
    ProgramSettings()
        : QSettings(QSettings::NativeFormat, QSettings::UserScope,
                    QLatin1String(SettingsOrganization), QLatin1String(SettingsApplication)) {}
};

QString settingsKey(FileKind kind) {
    return QStringLiteral("FileDialogs/") + QLatin1String(info(kind).key);
}

// Documents may not exist (a fresh account, a server); then the home folder.
QString documentsFolder() {
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return !documents.isEmpty() && QFileInfo(documents).isDir() ? documents : QDir::homePath();
}

}  // namespace

QString dialogStartPath(FileKind kind, bool save) {
    QString folder = ProgramSettings().value(settingsKey(kind)).toString();
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        folder = documentsFolder();
    const QString name = QString::fromLatin1(info(kind).suggestedName);
    return save && !name.isEmpty() ? QDir(folder).filePath(name) : folder;
}

void rememberDialogFolder(FileKind kind, const QString& chosenFile) {
    if (chosenFile.isEmpty())
        return;
    ProgramSettings().setValue(settingsKey(kind), QFileInfo(chosenFile).absolutePath());
}

QString chooseFileName(QWidget* parent, FileKind kind, bool save, const QString& title,
                       const QString& filter) {
    const QString start = dialogStartPath(kind, save);
    const QString path = save ? QFileDialog::getSaveFileName(parent, title, start, filter)
                              : QFileDialog::getOpenFileName(parent, title, start, filter);
    rememberDialogFolder(kind, path);
    return path;
}

}  // namespace blx52
