#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace blx52 {

// Paths are UTF-8 on Windows and the file system's own encoding elsewhere.

// Why a file could not be used; `detail` is the system's own text where it has one.
struct FileFault {
    enum Kind { None, Missing, NoPermission, NotRegular, TooLarge, NoSpace, Failed };
    Kind kind = None;
    std::string detail;

    explicit operator bool() const { return kind != None; }
};

// A short English reason, e.g. "not a regular file (a folder, FIFO or device)".
std::string describeFileFault(const FileFault& fault);

// The whole content of a regular file of at most `maxBytes` bytes. Anything else found under the
// name (a folder, a FIFO, a device) is refused without opening it, so nothing waits for a writer
// or a line; so is a larger file and one that cannot be opened or read.
std::optional<std::string> readRegularFileBytes(const std::string& path, std::int64_t maxBytes,
                                                FileFault* fault = nullptr);

// Whether a save could replace `path`: nothing is there yet, or (after following symbolic links)
// a regular file. A folder, FIFO or device is refused, so a save never puts a file in its place.
FileFault checkSaveTarget(const std::string& path);

// Replaces the regular file at `path` (the target of a symbolic link: the link stays) with
// `bytes`, or creates it. A file the user may not write is refused, as the system refuses to
// open it for writing. A temporary file beside it is written completely and flushed to the
// disk first, then renamed over it; after any failure the old file is as it was.
//
// The temporary is named ".NAME.blx52-tmp-XXXXXX" for the file NAME. A save that was killed
// leaves one behind: each save removes those of its own file's name older than a minute (a
// younger one may belong to a save still under way).
FileFault replaceRegularFile(const std::string& path, std::string_view bytes);

inline constexpr std::string_view TemporaryFileMark = ".blx52-tmp-";

struct FileReplacement {
    std::string path;
    std::string_view bytes;
};

// Where replacing several files stopped: the file (its index) and why.
struct FilesFault {
    FileFault fault;
    std::size_t failed = 0;
    std::size_t replaced = 0;  // the files before it that hold their new bytes
    explicit operator bool() const { return static_cast<bool>(fault); }
};

// Replaces each file as replaceRegularFile() does, but all temporaries are written first and
// then renamed one after another, so that a crash leaves no half-written file and a mix of old
// and new files only while the renames run. A refused target or a temporary that cannot be
// written replaces nothing; a rename that fails stops the renames there. No temporary is left.
FilesFault replaceRegularFiles(const std::vector<FileReplacement>& files);

// Standard output as the target of data (a profile): whether it is open for writing, decided at
// the first call (make it first thing in main), and an unbuffered binary write of all of
// `bytes` to it.
FileFault checkStandardOutput();
FileFault writeStandardOutput(std::string_view bytes);

// A regular file written at its end, unbuffered: every append reaches the file or fails.
class AppendFile {
  public:
    AppendFile() = default;
    ~AppendFile();
    AppendFile(const AppendFile&) = delete;
    AppendFile& operator=(const AppendFile&) = delete;

    // Creates the file when it is missing; refuses what checkSaveTarget() refuses.
    FileFault open(const std::string& path);
    bool isOpen() const;
    FileFault append(std::string_view bytes);
    void close();

  private:
#ifdef _WIN32
    void* handle_ = nullptr;
#else
    int fd_ = -1;
#endif
};

}  // namespace blx52
