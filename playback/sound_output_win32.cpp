#include "playback/sound_output.h"

namespace blx52 {

std::unique_ptr<SoundOutput> makeSystemSoundOutput() {
    return makeWaveOutSoundOutput();
}

}  // namespace blx52
