#pragma once

#include <QString>

class QWidget;

namespace blx52 {

// The kinds of file the program's dialogs choose; each kind remembers its own last folder.
enum class FileKind { Settings, Log, ImageImport, ImageExport, PreviewGif, PreviewWav };

// The program's own settings (the user's, native form: HKCU\Software\blx52\blx52 on Windows,
// ~/.config/blx52/blx52.conf beside the port folder on Linux), named here once so that nothing
// of the program lands under the toolkit's generic key.
inline constexpr char SettingsOrganization[] = "blx52";
inline constexpr char SettingsApplication[] = "blx52";

// Where a dialog for the kind starts: the folder of the last file chosen for it, else the
// user's Documents folder; a save dialog with the kind's suggested name in it.
QString dialogStartPath(FileKind kind, bool save);
// Keeps the folder of a chosen file for the kind's next dialog; an empty path changes nothing.
void rememberDialogFolder(FileKind kind, const QString& chosenFile);

// The toolkit's open or save dialog, started and remembered as above; empty when cancelled.
QString chooseFileName(QWidget* parent, FileKind kind, bool save, const QString& title,
                       const QString& filter);

}  // namespace blx52
