#include "tools/devsim/panel.h"

#include <pthread.h>
#include <unistd.h>

#include <QApplication>
#include <QPointer>
#include <cstdlib>
#include <thread>

#include "playback/sound_output.h"
#include "tools/devsim/control_server.h"
#include "tools/devsim/virtual_device.h"

namespace blx52::devsim {

namespace {

bool haveDisplay() {
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    if (platform.startsWith("offscreen") || platform.startsWith("minimal"))
        return false;
    return !qgetenv("DISPLAY").isEmpty() || !qgetenv("WAYLAND_DISPLAY").isEmpty();
}

class WindowPanel final : public Panel {
  public:
    WindowPanel(int& argc, char** argv, Options& options) : app_(argc, argv) {
        // Lines arrive on the answering thread; the window takes them on its own.
        QObject* receiver = &app_;
        QPointer<VirtualDevice>* device = &device_;
        options.lineHook = [receiver, device](const std::string& line) {
            QMetaObject::invokeMethod(
                receiver,
                [device, line] {
                    if (*device)
                        (*device)->lineReceived(line);
                },
                Qt::QueuedConnection);
        };
    }

    void run(ControlServer& server, const sigset_t& stopSignals) override {
        VirtualDevice::Device access;
        access.value = [&server](const std::string& name) { return server.device().value(name); };
        access.picture = [&server](const std::string& name) {
            return server.device().picture(name);
        };
        auto* window = new VirtualDevice(std::move(access), {}, makeSystemSoundOutput());
        window->setAttribute(Qt::WA_DeleteOnClose);
        device_ = window;
        window->show();
        std::thread waiter([&stopSignals] {
            int signal = 0;
            sigwait(&stopSignals, &signal);
            QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection);
        });
        QApplication::exec();
        delete device_.data();
        // The window was closed: the waiter still waits for a signal; give it one.
        kill(getpid(), SIGTERM);
        waiter.join();
    }

  private:
    QApplication app_;
    QPointer<VirtualDevice> device_;
};

}  // namespace

std::unique_ptr<Panel> Panel::make(int& argc, char** argv, Options& options) {
    if (!haveDisplay())
        return nullptr;
    return std::make_unique<WindowPanel>(argc, argv, options);
}

}  // namespace blx52::devsim
