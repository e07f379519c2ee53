#include "platform/font_warmup.h"

namespace blx52 {

// Windows' fonts come from the system without a configuration to load.
FontWarmUp::FontWarmUp() = default;
FontWarmUp::~FontWarmUp() = default;

}  // namespace blx52
