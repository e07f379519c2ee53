#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "ui/preview_window.h"

class QListWidget;

namespace blx52::devsim {

// blx52-devsim --panel: the simulator's own stored settings and received pictures, played on the
// preview's panel; its input-test lines switch the inputs, "Power" starts over with device start.
class VirtualDevice final : public PreviewView {
    Q_OBJECT
  public:
    struct Device {
        // A stored value by its get key without "get" ("in0pic0t", "sbypic", "_brightness").
        std::function<std::string(const std::string& name)> value;
        // Received picture data by its key without "set" and "d_" ("in0pic0"): 512 bytes.
        std::function<std::optional<std::vector<std::uint8_t>>(const std::string& name)> picture;
    };
    VirtualDevice(Device device, Playback::Clock clock = {},
                  std::unique_ptr<SoundOutput> sound = {}, QWidget* parent = nullptr);

    // A line the simulator took; call on the window's thread.
    void lineReceived(const std::string& line);
    QListWidget* lines() const { return lines_; }

  private:
    void reload();

    Device device_;
    QListWidget* lines_;
};

// The picture that a slot's 512 plane bytes light.
Picture pictureFromPlanes(const std::vector<std::uint8_t>& planes);

}  // namespace blx52::devsim
