#pragma once

#include <QString>
#include <QStringList>
#include <optional>

namespace blx52 {

class TForm1;

// What the window program's command line asks for besides the toolkit's own options: nothing,
// or one settings file (a double-click on a .blx52 file starts `blx52 FILE`).
struct StartRequest {
    std::optional<QString> settingsFile;
    QString error;  // not empty: the command line is wrong; the program says so and ends
};
StartRequest parseStartArguments(const QStringList& arguments);

// Opens the file in the window once it shows, as File → "Open settings…" opens the file chosen
// there, with the same questions and error boxes.
void openSettingsFileWhenShown(TForm1& window, const QString& path);

}  // namespace blx52
