#pragma once

#include <thread>

namespace blx52 {

// Loading the system's font configuration (fontconfig parses its XML files) is a few
// milliseconds of the first window's start that need nothing of the window. An instance made
// first thing in main loads it on a thread of its own while the toolkit starts; the toolkit then
// finds it loaded. Where the system has no such configuration (Windows), it does nothing. The
// destructor waits for the thread.
class FontWarmUp {
  public:
    FontWarmUp();
    ~FontWarmUp();
    FontWarmUp(const FontWarmUp&) = delete;
    FontWarmUp& operator=(const FontWarmUp&) = delete;

  private:
    std::thread thread_;
};

}  // namespace blx52
