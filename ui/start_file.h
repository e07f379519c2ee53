#pragma once

#include <QString>
#include <QStringList>
#include <optional>

class QWidget;

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

// Shows the window and returns once it has painted itself for the first time (or after
// `limitMs`, as when it starts minimised), so that what it shows is on the screen before the
// rest of the program is made. Input waits until then.
void showAndWaitForFirstPaint(QWidget& window, int limitMs = 250);

}  // namespace blx52
