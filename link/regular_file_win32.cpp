#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <algorithm>
#include <string>

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
    HANDLE release() {
        HANDLE h = handle_;
        handle_ = INVALID_HANDLE_VALUE;
        return h;
    }

  private:
    HANDLE handle_;
};

std::string systemText(DWORD error) {
    char buffer[256] = {};
    const DWORD length =
        ::FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error,
                         0, buffer, sizeof buffer, nullptr);
    std::string text(buffer, length);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == '.'))
        text.pop_back();
    return text;
}

FileFault faultOf(DWORD error) {
    switch (error) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_NAME:
            return {FileFault::Missing, {}};
        case ERROR_ACCESS_DENIED:
        case ERROR_SHARING_VIOLATION:
        case ERROR_WRITE_PROTECT:
            return {FileFault::NoPermission, {}};
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL:
            return {FileFault::NoSpace, {}};
        default:
            return {FileFault::Failed, systemText(error)};
    }
}

FileFault lastFault() {
    return faultOf(::GetLastError());
}

void setFault(FileFault* out, FileFault fault) {
    if (out != nullptr)
        *out = std::move(fault);
}

FileFault writeAll(HANDLE file, std::string_view bytes) {
    while (!bytes.empty()) {
        DWORD put = 0;
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1 << 20));
        if (::WriteFile(file, bytes.data(), chunk, &put, nullptr) == 0)
            return lastFault();
        if (put == 0)
            return {FileFault::NoSpace, {}};
        bytes.remove_prefix(put);
    }
    return {};
}

// What stands under the name: nothing (created there), a disk file, or something else. A
// folder does not open without backup semantics; a pipe or a device opens but is no disk file,
// which the type of the opened handle tells. Opening for attributes only touches no data.
FileFault saveTargetOf(const std::wstring& path, bool& exists) {
    exists = false;
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
        return {FileFault::NotRegular, {}};
    const Handle probe(::CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                     nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (probe.get() == INVALID_HANDLE_VALUE) {
        const DWORD error = ::GetLastError();
        if (error == ERROR_FILE_NOT_FOUND)
            return {};
        return faultOf(error);
    }
    if (::GetFileType(probe.get()) != FILE_TYPE_DISK)
        return {FileFault::NotRegular, {}};
    exists = true;
    return {};
}

}  // namespace

std::optional<std::string> readRegularFileBytes(const std::string& path, std::int64_t maxBytes,
                                                FileFault* fault) {
    const std::wstring wide = widePath(path);
    if (wide.empty()) {
        setFault(fault, {FileFault::Missing, {}});
        return std::nullopt;
    }
    const Handle file(::CreateFileW(wide.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.get() == INVALID_HANDLE_VALUE) {
        setFault(fault, ::GetLastError() == ERROR_ACCESS_DENIED &&
                                (::GetFileAttributesW(wide.c_str()) & FILE_ATTRIBUTE_DIRECTORY)
                            ? FileFault{FileFault::NotRegular, {}}
                            : lastFault());
        return std::nullopt;
    }
    if (::GetFileType(file.get()) != FILE_TYPE_DISK) {
        setFault(fault, {FileFault::NotRegular, {}});
        return std::nullopt;
    }
    LARGE_INTEGER size{};
    if (::GetFileSizeEx(file.get(), &size) == 0) {
        setFault(fault, lastFault());
        return std::nullopt;
    }
    if (size.QuadPart > maxBytes) {
        setFault(fault, {FileFault::TooLarge, {}});
        return std::nullopt;
    }
    std::string data;
    char chunk[16384];
    for (;;) {
        DWORD got = 0;
        if (::ReadFile(file.get(), chunk, sizeof chunk, &got, nullptr) == 0) {
            setFault(fault, lastFault());
            return std::nullopt;
        }
        if (got == 0)
            break;
        data.append(chunk, got);
        if (static_cast<std::int64_t>(data.size()) > maxBytes) {  // grew while being read
            setFault(fault, {FileFault::TooLarge, {}});
            return std::nullopt;
        }
    }
    return data;
}

FileFault checkSaveTarget(const std::string& path) {
    const std::wstring wide = widePath(path);
    if (wide.empty())
        return {FileFault::Missing, {}};
    bool exists = false;
    return saveTargetOf(wide, exists);
}

FileFault replaceRegularFile(const std::string& path, std::string_view bytes) {
    const std::wstring wide = widePath(path);
    if (wide.empty())
        return {FileFault::Missing, {}};
    bool exists = false;
    if (FileFault fault = saveTargetOf(wide, exists))
        return fault;
    std::wstring temporary;
    HANDLE made = INVALID_HANDLE_VALUE;
    for (unsigned attempt = 0; attempt < 100; ++attempt) {
        temporary = wide + L".~" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
                    std::to_wstring(attempt);
        made = ::CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
        if (made != INVALID_HANDLE_VALUE)
            break;
        if (::GetLastError() != ERROR_FILE_EXISTS)
            return lastFault();
    }
    if (made == INVALID_HANDLE_VALUE)
        return {FileFault::Failed, "no temporary file"};
    Handle file(made);
    const auto failWith = [&temporary, &file](FileFault fault) {
        ::CloseHandle(file.release());
        ::DeleteFileW(temporary.c_str());
        return fault;
    };
    if (FileFault fault = writeAll(file.get(), bytes))
        return failWith(fault);
    if (::FlushFileBuffers(file.get()) == 0)
        return failWith(lastFault());
    if (::CloseHandle(file.release()) == 0) {
        const FileFault fault = lastFault();
        ::DeleteFileW(temporary.c_str());
        return fault;
    }
    if (::MoveFileExW(temporary.c_str(), wide.c_str(),
                      MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) == 0) {
        const FileFault fault = lastFault();
        ::DeleteFileW(temporary.c_str());
        return fault;
    }
    return {};
}

FileFault checkStandardOutput() {
    if (::_get_osfhandle(1) == -1)
        return {FileFault::Failed, "standard output is closed"};
    return {};
}

// Binary: the bytes as they are in a file, so a redirected profile equals one written with -o.
FileFault writeStandardOutput(std::string_view bytes) {
    if (FileFault fault = checkStandardOutput())
        return fault;
    ::_setmode(1, _O_BINARY);
    while (!bytes.empty()) {
        const unsigned chunk = static_cast<unsigned>(std::min<std::size_t>(bytes.size(), 1 << 20));
        const int put = ::_write(1, bytes.data(), chunk);
        if (put < 0)
            return {FileFault::Failed, "writing to standard output failed"};
        if (put == 0)
            return {FileFault::NoSpace, {}};
        bytes.remove_prefix(static_cast<std::size_t>(put));
    }
    return {};
}

AppendFile::~AppendFile() {
    close();
}

FileFault AppendFile::open(const std::string& path) {
    close();
    const std::wstring wide = widePath(path);
    if (wide.empty())
        return {FileFault::Missing, {}};
    bool exists = false;
    if (FileFault fault = saveTargetOf(wide, exists))
        return fault;
    Handle file(::CreateFileW(wide.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.get() == INVALID_HANDLE_VALUE)
        return lastFault();
    if (::GetFileType(file.get()) != FILE_TYPE_DISK)
        return {FileFault::NotRegular, {}};
    handle_ = file.release();
    return {};
}

bool AppendFile::isOpen() const {
    return handle_ != nullptr;
}

FileFault AppendFile::append(std::string_view bytes) {
    if (handle_ == nullptr)
        return {FileFault::Failed, "not open"};
    return writeAll(static_cast<HANDLE>(handle_), bytes);
}

void AppendFile::close() {
    if (handle_ != nullptr)
        ::CloseHandle(static_cast<HANDLE>(handle_));
    handle_ = nullptr;
}

}  // namespace blx52
