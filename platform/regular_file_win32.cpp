#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "regular_file.h"
#include "replace_in_turn.h"

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
    // Refused here, not only by the rename: replacing several files then fails before any.
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0)
        return {FileFault::NoPermission, {}};
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

namespace {

// A save's temporary beside its target, written and flushed, waiting for its rename.
struct Pending {
    std::wstring target;
    std::wstring temporary;
};

// Leftovers of killed saves of `name` in `folder` (with its separator, or empty): only files of
// the exact pattern whose last write is a minute old, so a save still running keeps its own. The
// name is compared as found, since the search also matches short 8.3 names.
void removeStaleTemporaries(const std::wstring& folder, const std::wstring& name) {
    const std::wstring prefix =
        L"." + name + std::wstring(TemporaryFileMark.begin(), TemporaryFileMark.end());
    WIN32_FIND_DATAW found{};
    const HANDLE search = ::FindFirstFileExW((folder + prefix + L"*").c_str(), FindExInfoBasic,
                                             &found, FindExSearchNameMatch, nullptr, 0);
    if (search == INVALID_HANDLE_VALUE)
        return;
    FILETIME now{};
    ::GetSystemTimeAsFileTime(&now);
    const auto ticks = [](const FILETIME& t) {
        return static_cast<unsigned long long>(t.dwHighDateTime) << 32 | t.dwLowDateTime;
    };
    constexpr unsigned long long Minute = 60ull * 10'000'000;  // in 100 ns
    do {
        const std::wstring entry = found.cFileName;
        if (entry.size() != prefix.size() + 6 || entry.compare(0, prefix.size(), prefix) != 0)
            continue;
        if ((found.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) !=
            0)
            continue;
        if (ticks(now) >= ticks(found.ftLastWriteTime) + Minute)
            ::DeleteFileW((folder + entry).c_str());
    } while (::FindNextFileW(search, &found) != 0);
    ::FindClose(search);
}

// Checks the target, then writes `bytes` to a temporary beside it; on failure nothing is left.
FileFault writeTemporary(const std::string& path, std::string_view bytes, Pending& pending) {
    pending.target = widePath(path);
    if (pending.target.empty())
        return {FileFault::Missing, {}};
    bool exists = false;
    if (FileFault fault = saveTargetOf(pending.target, exists))
        return fault;
    const std::size_t cut = pending.target.find_last_of(L"\\/:");
    const std::wstring folder =
        cut == std::wstring::npos ? std::wstring() : pending.target.substr(0, cut + 1);
    const std::wstring name = pending.target.substr(cut == std::wstring::npos ? 0 : cut + 1);
    removeStaleTemporaries(folder, name);
    const std::wstring stem =
        folder + L"." + name + std::wstring(TemporaryFileMark.begin(), TemporaryFileMark.end());
    // Six letters or digits, as the POSIX temporaries have; a name taken already is tried anew.
    static const wchar_t Alphabet[] =
        L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    unsigned long long seed =
        ::GetTickCount64() ^ (static_cast<unsigned long long>(::GetCurrentProcessId()) << 20);
    HANDLE made = INVALID_HANDLE_VALUE;
    for (unsigned attempt = 0; attempt < 100; ++attempt) {
        seed = seed * 6364136223846793005ull + 1442695040888963407ull;
        std::wstring letters(6, L'A');
        unsigned long long bits = seed >> 16;
        for (wchar_t& letter : letters) {
            letter = Alphabet[bits % 62];
            bits /= 62;
        }
        pending.temporary = stem + letters;
        made = ::CreateFileW(pending.temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
        if (made != INVALID_HANDLE_VALUE)
            break;
        if (::GetLastError() != ERROR_FILE_EXISTS)
            return lastFault();
    }
    if (made == INVALID_HANDLE_VALUE)
        return {FileFault::Failed, "no temporary file"};
    Handle file(made);
    const auto failWith = [&pending, &file](FileFault fault) {
        ::CloseHandle(file.release());
        ::DeleteFileW(pending.temporary.c_str());
        return fault;
    };
    if (FileFault fault = writeAll(file.get(), bytes))
        return failWith(fault);
    if (::FlushFileBuffers(file.get()) == 0)
        return failWith(lastFault());
    if (::CloseHandle(file.release()) == 0) {
        const FileFault fault = lastFault();
        ::DeleteFileW(pending.temporary.c_str());
        return fault;
    }
    return {};
}

FileFault renameOver(const Pending& pending) {
    if (::MoveFileExW(pending.temporary.c_str(), pending.target.c_str(),
                      MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) == 0) {
        const FileFault fault = lastFault();
        ::DeleteFileW(pending.temporary.c_str());
        return fault;
    }
    return {};
}

}  // namespace

FilesFault replaceRegularFiles(const std::vector<FileReplacement>& files) {
    return detail::replaceInTurn<Pending>(files, writeTemporary, renameOver, [](const Pending& p) {
        ::DeleteFileW(p.temporary.c_str());
    });
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
