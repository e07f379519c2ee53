#pragma once

#include <functional>

#include <QApplication>

namespace blx52 {

// The last net for errors: anything that escapes an event handler is shown in the general error
// box and the program goes on.
class Application : public QApplication {
  public:
    using Reporter = std::function<void(const QString& message)>;

    Application(int& argc, char** argv);

    bool notify(QObject* receiver, QEvent* event) override;

    // Replaces the general error box (tests record instead).
    void setErrorReporter(Reporter report) { report_ = std::move(report); }

  private:
    Reporter report_;
};

}  // namespace blx52
