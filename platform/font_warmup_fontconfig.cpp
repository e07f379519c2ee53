#include <fontconfig/fontconfig.h>

#include "platform/font_warmup.h"

namespace blx52 {

// FcInit keeps the configuration it loads as the current one; loads racing on two threads end
// with one of them current, so the toolkit's own FcInit is safe at any moment.
FontWarmUp::FontWarmUp() : thread_([] { FcInit(); }) {}

FontWarmUp::~FontWarmUp() {
    if (thread_.joinable())
        thread_.join();
}

}  // namespace blx52
