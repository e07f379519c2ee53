#pragma once

#include <atomic>
#include <memory>
#include <string>

#include "tools/devsim/device_simulator.h"

namespace blx52::devsim {

// Serves the remote control (control_protocol.h) of one simulated device on a local TCP port,
// one client at a time. "reset" replaces the device by a fresh one at the same port link, so
// a client outside this process (a Windows program under Wine whose COM port is mapped to the
// link) always finds the device behind the same name.
class ControlServer {
  public:
    ControlServer(Options startOptions, std::string portName);
    ~ControlServer();
    ControlServer(const ControlServer&) = delete;
    ControlServer& operator=(const ControlServer&) = delete;

    bool listen();  // on 127.0.0.1, a free port
    int port() const { return port_; }
    bool resetDevice();
    DeviceSimulator& device() { return *device_; }

    // One request line (without line end) -> its answer line.
    std::string handle(const std::string& request);
    // Serves clients until stop(); for a thread of its own.
    void serve();
    void stop();

  private:
    void serveClient(int client);
    // Until `fd` has data; false once stop() was called or polling failed.
    bool waitReadable(int fd) const;

    Options startOptions_;
    std::string portName_;
    std::unique_ptr<DeviceSimulator> device_;
    int listen_ = -1;
    int port_ = 0;
    int wake_[2] = {-1, -1};
    std::atomic<bool> stopping_{false};
};

}  // namespace blx52::devsim
