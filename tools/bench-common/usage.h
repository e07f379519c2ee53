#pragma once

#include <cstdio>
#include <cstring>
#include <optional>

namespace blx52::bench {

// For a benchmark that takes no arguments: --help (or -h) prints `usage` and ends the program
// with 0, any other argument ends it with 2. Nothing: go on and measure.
inline std::optional<int> answerArguments(int argc, char** argv, const char* name,
                                          const char* usage) {
    if (argc < 2)
        return std::nullopt;
    if (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0) {
        std::fputs(usage, stdout);
        return 0;
    }
    std::fprintf(stderr, "%s: unexpected argument %s\n%s", name, argv[1], usage);
    return 2;
}

}  // namespace blx52::bench
