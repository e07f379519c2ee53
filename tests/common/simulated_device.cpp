#include "simulated_device.h"

#include <cstdlib>
#include <stdexcept>

#include "tests/common/control_connection.h"
#include "tools/devsim/control_protocol.h"
#ifdef BLX52_LOCAL_SIMULATOR
#include "tools/devsim/device_simulator.h"
#endif

namespace blx52::test {

namespace {

namespace control = devsim::control;

#ifdef BLX52_LOCAL_SIMULATOR
class LocalDevice : public SimulatedDevice {
  public:
    explicit LocalDevice(std::string portName) : portName_(std::move(portName)) {}
    bool start() { return device_.start() && device_.registerPort(portName_); }

    std::string portName() const override { return portName_; }
    std::string devicePath() const override { return device_.devicePath(); }
    void setOptions(const devsim::Options& options) override { device_.setOptions(options); }
    std::string value(const std::string& name) const override { return device_.value(name); }
    void setValue(const std::string& name, const std::string& value) override {
        device_.setValue(name, value);
    }
    std::optional<std::vector<std::uint8_t>> picture(const std::string& name) const override {
        return device_.picture(name);
    }
    std::vector<std::string> receivedLines() const override { return device_.receivedLines(); }
    void clearReceived() override { device_.clearReceived(); }
    bool waitForHandled(std::size_t count, int timeoutMs) const override {
        return device_.waitForHandled(count, timeoutMs);
    }
    bool hungUp() const override { return device_.hungUp(); }
    bool readingStopped() const override { return device_.readingStopped(); }

  private:
    std::string portName_;
    devsim::DeviceSimulator device_;
};
#endif

// Each call is one request and its answer; a broken connection or an error answer throws, so a
// test fails loudly instead of comparing against nothing.
class RemoteDevice : public SimulatedDevice {
  public:
    RemoteDevice(std::unique_ptr<ControlConnection> connection, std::string portName)
        : connection_(std::move(connection)), portName_(std::move(portName)) {}

    std::string portName() const override { return portName_; }
    std::string devicePath() const override { return {}; }
    void setOptions(const devsim::Options& options) override {
        ask("options " + control::encodeOptions(options));
    }
    std::string value(const std::string& name) const override {
        return tokenAt(ask("value " + control::token(name)), 1);
    }
    void setValue(const std::string& name, const std::string& value) override {
        ask("setvalue " + control::token(name) + " " + control::token(value));
    }
    std::optional<std::vector<std::uint8_t>> picture(const std::string& name) const override {
        const auto w = ask("picture " + control::token(name));
        if (w.size() == 2 && w[1] == "-")
            return std::nullopt;
        const std::string bytes = tokenAt(w, 1);
        return std::vector<std::uint8_t>(bytes.begin(), bytes.end());
    }
    std::vector<std::string> receivedLines() const override {
        const auto w = ask("received");
        std::vector<std::string> lines;
        for (std::size_t i = 1; i < w.size(); ++i)
            lines.push_back(tokenAt(w, i));
        return lines;
    }
    void clearReceived() override { ask("clear"); }
    bool waitForHandled(std::size_t count, int timeoutMs) const override {
        return flag(ask("waithandled " + std::to_string(count) + " " + std::to_string(timeoutMs)));
    }
    bool hungUp() const override { return flag(ask("hungup")); }
    bool readingStopped() const override { return flag(ask("readingstopped")); }

    std::vector<std::string> ask(const std::string& request) const {
        const std::optional<std::string> answer = connection_->request(request);
        if (!answer)
            throw std::runtime_error("the simulator's remote control is gone or did not answer '" +
                                     request + "' (it serves one test device at a time)");
        auto w = control::words(*answer);
        if (w.empty() || w[0] != "ok")
            throw std::runtime_error("the simulator refused '" + request + "': " + *answer);
        return w;
    }

  private:
    static std::string tokenAt(const std::vector<std::string>& w, std::size_t i) {
        const auto text = i < w.size() ? control::fromToken(w[i]) : std::nullopt;
        if (!text)
            throw std::runtime_error("the simulator's answer is malformed");
        return *text;
    }
    static bool flag(const std::vector<std::string>& w) { return w.size() == 2 && w[1] == "1"; }

    std::unique_ptr<ControlConnection> connection_;
    std::string portName_;
};

}  // namespace

std::unique_ptr<SimulatedDevice> startSimulatedDevice(const std::string& localPortName,
                                                      std::string* why) {
    const char* controlPort = std::getenv("BLX52_SIM_CONTROL");
    const char* remotePort = std::getenv("BLX52_SIM_PORT");
    if (controlPort && *controlPort && remotePort && *remotePort) {
        auto connection = ControlConnection::open(std::atoi(controlPort));
        if (!connection) {
            *why = std::string("no simulator answers on control port ") + controlPort;
            return nullptr;
        }
        auto device = std::make_unique<RemoteDevice>(std::move(connection), remotePort);
        try {
            device->ask("reset");
        } catch (const std::exception& e) {
            *why = e.what();
            return nullptr;
        }
        return device;
    }
#ifdef BLX52_LOCAL_SIMULATOR
    auto device = std::make_unique<LocalDevice>(localPortName);
    if (!device->start()) {
        *why = "cannot start the simulator on a pseudo-terminal as " + localPortName;
        return nullptr;
    }
    return device;
#else
    (void)localPortName;
    *why =
        "no simulated device: run under tools/windows/run-tests.sh, which starts one beside Wine "
        "(BLX52_SIM_CONTROL, BLX52_SIM_PORT)";
    return nullptr;
#endif
}

}  // namespace blx52::test
