#pragma once

#include <utility>
#include <vector>

#include "regular_file.h"

namespace blx52::detail {

// The order of replaceRegularFiles() on every system: every temporary is written first, then each
// is renamed over its target in turn; on a failure, the temporaries not renamed are removed.
// `write(path, bytes, pending)` removes its own temporary when it fails, as `rename(pending)` does;
// `drop(pending)` removes a temporary.
template <class Pending, class Write, class Rename, class Drop>
FilesFault replaceInTurn(const std::vector<FileReplacement>& files, Write write, Rename rename,
                         Drop drop) {
    std::vector<Pending> pending(files.size());
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (FileFault fault = write(files[i].path, files[i].bytes, pending[i])) {
            for (std::size_t j = 0; j < i; ++j)
                drop(pending[j]);
            return {std::move(fault), i, 0};
        }
    }
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (FileFault fault = rename(pending[i])) {
            for (std::size_t j = i + 1; j < files.size(); ++j)
                drop(pending[j]);
            return {std::move(fault), i, i};
        }
    }
    return {};
}

}  // namespace blx52::detail
