#pragma once

#include <signal.h>

#include <memory>

#include "tools/devsim/options.h"

namespace blx52::devsim {

class ControlServer;

// The --panel window of blx52-devsim, when there is a display to show it on.
class Panel {
  public:
    // Nothing without a display (offscreen): the simulator then runs as without --panel. Sets
    // the options' line hook, so make it before the simulator starts.
    static std::unique_ptr<Panel> make(int& argc, char** argv, Options& options);
    virtual ~Panel() = default;
    // Shows the virtual device until a stop signal or the window's closing.
    virtual void run(ControlServer& server, const sigset_t& stopSignals) = 0;
};

}  // namespace blx52::devsim
