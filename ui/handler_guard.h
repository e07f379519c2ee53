#pragma once

#include <exception>
#include <functional>

#include <QString>

namespace blx52 {

// Runs event handlers so that no exception ever unwinds through the toolkit's frames.
//
// An error in a handler that runs on its own is reported at once. An error in a handler that runs
// nested inside another one (because the outer handler set a control's text) is kept as pending,
// as if it had been thrown out of that store: the outer handler calls rethrowPending() after the
// store when the error must end it too. Whatever is still pending when the outermost handler
// returns is reported then, so no error is lost.
class HandlerGuard {
  public:
    using Reporter = std::function<void(const QString& message)>;

    explicit HandlerGuard(Reporter report) : report_(std::move(report)) {}

    void run(const std::function<void()>& body) noexcept;
    // Throws the error a nested handler left behind, if any.
    void rethrowPending();

    bool running() const { return depth_ > 0; }

    static QString message(const std::exception_ptr& error);

  private:
    Reporter report_;
    int depth_ = 0;
    std::exception_ptr pending_;
};

}  // namespace blx52
