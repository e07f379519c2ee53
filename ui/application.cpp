#include "ui/application.h"

#include <exception>

#include "ui/dialogs.h"
#include "ui/handler_guard.h"

namespace blx52 {

Application::Application(int& argc, char** argv) : QApplication(argc, argv) {}

bool Application::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        const QString text = HandlerGuard::message(std::current_exception());
        if (report_) {
            report_(text);
        } else {
            QtDialogs().generalError(text);
        }
        return false;
    }
}

}  // namespace blx52
