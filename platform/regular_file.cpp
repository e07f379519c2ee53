#include "regular_file.h"

namespace blx52 {

std::string describeFileFault(const FileFault& fault) {
    const auto withDetail = [&fault](const char* text) {
        return fault.detail.empty() ? std::string(text) : text + (": " + fault.detail);
    };
    switch (fault.kind) {
        case FileFault::None:
            return {};
        case FileFault::Missing:
            return "no such file or folder";
        case FileFault::NoPermission:
            return "permission denied";
        case FileFault::NotRegular:
            return "not a regular file (a folder, FIFO or device)";
        case FileFault::TooLarge:
            return "too large";
        case FileFault::NoSpace:
            return withDetail("the disk is full");
        case FileFault::Failed:
            return withDetail("failed");
    }
    return {};
}

FileFault replaceRegularFile(const std::string& path, std::string_view bytes) {
    return replaceRegularFiles({{path, bytes}}).fault;
}

}  // namespace blx52
