#pragma once

#include <memory>

#include "link/sound_output.h"

namespace blx52 {

// The system's own: Qt Multimedia's audio sink on Linux, waveOut on Windows.
std::unique_ptr<SoundOutput> makeSystemSoundOutput();

}  // namespace blx52
