#pragma once

#include <memory>

#include "platform/sound_output.h"

namespace blx52 {

// The system's own: Qt Multimedia's audio sink on Linux, waveOut on Windows; nothing when the
// system has no sound device.
std::unique_ptr<SoundOutput> makeSystemSoundOutput();

}  // namespace blx52
