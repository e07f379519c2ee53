#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include "regular_file.h"

namespace blx52 {

namespace {

std::wstring widePath(const std::string& utf8) {
    const int length = ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(),
                                             static_cast<int>(utf8.size()), nullptr, 0);
    if (length <= 0)
        return {};
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), static_cast<int>(utf8.size()),
                          wide.data(), length);
    return wide;
}

class Handle {
  public:
    explicit Handle(HANDLE handle) : handle_(handle) {}
    ~Handle() {
        if (handle_ != INVALID_HANDLE_VALUE)
            ::CloseHandle(handle_);
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    HANDLE get() const { return handle_; }

  private:
    HANDLE handle_;
};

}  // namespace

// A folder does not open without backup semantics; a pipe or a device opens but is no disk
// file, which the type of the opened handle tells.
std::optional<std::string> readRegularFileBytes(const std::string& path, std::int64_t maxBytes) {
    const std::wstring wide = widePath(path);
    if (wide.empty())
        return std::nullopt;
    const Handle file(::CreateFileW(wide.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.get() == INVALID_HANDLE_VALUE || ::GetFileType(file.get()) != FILE_TYPE_DISK)
        return std::nullopt;
    LARGE_INTEGER size{};
    if (::GetFileSizeEx(file.get(), &size) == 0 || size.QuadPart > maxBytes)
        return std::nullopt;
    std::string data;
    char chunk[16384];
    for (;;) {
        DWORD got = 0;
        if (::ReadFile(file.get(), chunk, sizeof chunk, &got, nullptr) == 0)
            return std::nullopt;
        if (got == 0)
            break;
        data.append(chunk, got);
        if (static_cast<std::int64_t>(data.size()) > maxBytes)  // grew while being read
            return std::nullopt;
    }
    return data;
}

}  // namespace blx52
