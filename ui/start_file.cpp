#include "ui/start_file.h"

#include <QEvent>
#include <QEventLoop>
#include <QTimer>
#include <QWidget>

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

namespace {

// Ends the loop once the first paint is done (the paint runs after the filters).
class FirstPaint final : public QObject {
  public:
    explicit FirstPaint(QEventLoop& loop) : loop_(loop) {}
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            QMetaObject::invokeMethod(&loop_, &QEventLoop::quit, Qt::QueuedConnection);
        return false;
    }

  private:
    QEventLoop& loop_;
};

}  // namespace

void showAndWaitForFirstPaint(QWidget& window, int limitMs) {
    QEventLoop loop;
    FirstPaint watch(loop);
    window.installEventFilter(&watch);
    QTimer::singleShot(limitMs, &loop, &QEventLoop::quit);
    window.show();
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    window.removeEventFilter(&watch);
}

}  // namespace blx52
