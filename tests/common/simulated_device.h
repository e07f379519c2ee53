#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "tools/devsim/options.h"

namespace blx52::test {

// The simulated device a window test talks to through the real serial path. On Linux it runs in
// the test's own process on a pseudo-terminal; under Wine it is a Linux simulator in another
// process, driven through its remote control, whose pseudo-terminal Wine maps to a COM port.
class SimulatedDevice {
  public:
    virtual ~SimulatedDevice() = default;

    // The port name the program opens to reach the device.
    virtual std::string portName() const = 0;
    // A port name that leads to no device: beyond the numbers the port folder is made for on
    // Linux, and mapped by no one under Wine.
    std::string missingPortName() const { return "COM97"; }
    // The pseudo-terminal itself, for holding the port from outside; empty when the device runs
    // in another process, where the test cannot reach it.
    virtual std::string devicePath() const = 0;
    bool inOtherProcess() const { return devicePath().empty(); }

    virtual void setOptions(const devsim::Options& options) = 0;
    virtual std::string value(const std::string& name) const = 0;
    virtual void setValue(const std::string& name, const std::string& value) = 0;
    virtual std::optional<std::vector<std::uint8_t>> picture(const std::string& name) const = 0;
    virtual std::vector<std::string> receivedLines() const = 0;
    virtual void clearReceived() = 0;
    virtual bool waitForHandled(std::size_t count, int timeoutMs) const = 0;
    virtual bool hungUp() const = 0;
    virtual bool readingStopped() const = 0;
};

// A fresh device at power-up. Under BLX52_SIM_CONTROL (the remote control's TCP port on this
// machine) and BLX52_SIM_PORT (its COM port) the simulator there is reset and used; otherwise, on
// Linux, one starts in this process, registered as `localPortName`. Null, with the reason in
// `why`, when there is no device to be had.
std::unique_ptr<SimulatedDevice> startSimulatedDevice(const std::string& localPortName,
                                                      std::string* why);

}  // namespace blx52::test
