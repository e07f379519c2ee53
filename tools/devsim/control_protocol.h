#pragma once

#include <optional>
#include <string>
#include <vector>

#include "tools/devsim/options.h"

// The remote control of a simulator in another process: one text line per request and one per
// answer. Every string travels as a token ("x" + hex bytes), so binary lines, blanks and empty
// strings pass unchanged. The Windows tests under Wine use it to drive the Linux simulator.
namespace blx52::devsim::control {

std::string token(const std::string& bytes);
std::optional<std::string> fromToken(const std::string& token);

// A whole word of decimal digits (with an optional '-'), nothing else.
std::optional<long long> number(const std::string& text);

// Splits a line at blanks.
std::vector<std::string> words(const std::string& line);

// Options as "name=value" words; strings as tokens, key/reply pairs as two tokens joined by ':'.
// Whether the traffic is printed stays the serving process's own choice and does not travel.
std::string encodeOptions(const Options& options);
std::optional<Options> decodeOptions(const std::vector<std::string>& words);

}  // namespace blx52::devsim::control
