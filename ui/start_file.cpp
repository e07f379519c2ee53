#include "ui/start_file.h"

#include <QTimer>

#include "ui/main_window.h"

namespace blx52 {

StartRequest parseStartArguments(const QStringList& arguments) {
    StartRequest request;
    const QStringList rest = arguments.mid(1);
    if (rest.isEmpty())
        return request;
    // The toolkit has taken its own options out; an option left is none of this program's.
    if (rest.constFirst().startsWith(u'-')) {
        request.error =
            QStringLiteral("unknown option: %1 (see blx52 --help)").arg(rest.constFirst());
    } else if (rest.size() > 1) {
        request.error = QStringLiteral("one settings file at a time, not: %1").arg(rest.join(u' '));
    } else {
        request.settingsFile = rest.constFirst();
    }
    return request;
}

void openSettingsFileWhenShown(TForm1& window, const QString& path) {
    // After the show, so that a question or an error box has the window under it.
    QTimer::singleShot(0, &window, [&window, path] { window.openSettingsFile(path); });
}

}  // namespace blx52
