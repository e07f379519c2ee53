#include "ui/handler_guard.h"

#include <stdexcept>
#include <utility>

namespace blx52 {

void HandlerGuard::run(const std::function<void()>& body) noexcept {
    std::exception_ptr error;
    ++depth_;
    try {
        body();
    } catch (...) {
        error = std::current_exception();
    }
    --depth_;
    if (depth_ > 0) {
        if (error && !pending_)
            pending_ = error;
        return;
    }
    // A pending error happened first; in the toolkit it would have ended this handler already.
    if (pending_)
        error = std::exchange(pending_, nullptr);
    if (error && report_)
        report_(message(error));
}

void HandlerGuard::rethrowPending() {
    if (pending_)
        std::rethrow_exception(std::exchange(pending_, nullptr));
}

QString HandlerGuard::message(const std::exception_ptr& error) {
    try {
        std::rethrow_exception(error);
    } catch (const std::exception& e) {
        return QString::fromUtf8(e.what());
    } catch (...) {
        return QStringLiteral("Unbekannter Fehler");
    }
}

}  // namespace blx52
