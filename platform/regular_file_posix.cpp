#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>
#include <ctime>

#include "regular_file.h"
#include "replace_in_turn.h"

namespace blx52 {

namespace {

class Descriptor {
  public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }
    int release() {
        const int fd = fd_;
        fd_ = -1;
        return fd;
    }

  private:
    int fd_;
};

FileFault faultOf(int error) {
    switch (error) {
        case ENOENT:
        case ENOTDIR:
            return {FileFault::Missing, {}};
        case EACCES:
        case EPERM:
        case EROFS:
            return {FileFault::NoPermission, {}};
        case ENOSPC:
        case EFBIG:
        case EDQUOT:
            return {FileFault::NoSpace, std::strerror(error)};
        case EISDIR:
        case ENXIO:
        case ENODEV:
            return {FileFault::NotRegular, {}};
        default:
            return {FileFault::Failed, std::strerror(error)};
    }
}

FileFault lastFault() {
    return faultOf(errno);
}

void setFault(FileFault* out, FileFault fault) {
    if (out != nullptr)
        *out = std::move(fault);
}

// Writes all of `bytes`, across short writes and signals.
FileFault writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t put = ::write(fd, bytes.data(), bytes.size());
        if (put < 0 && errno == EINTR)
            continue;
        if (put < 0)
            return lastFault();
        if (put == 0)
            return {FileFault::NoSpace, {}};
        bytes.remove_prefix(static_cast<std::size_t>(put));
    }
    return {};
}

std::string folderOf(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// The file a save to `path` replaces: the end of its chain of symbolic links. A name that leads
// to something other than a regular file (or to nothing yet) is refused.
FileFault saveTargetOf(const std::string& path, std::string& target, mode_t& mode, bool& exists) {
    target = path;
    exists = false;
    for (int hops = 0; hops < 40; ++hops) {
        struct stat info {};
        if (::lstat(target.c_str(), &info) != 0) {
            if (errno == ENOENT)
                return {};  // created there
            return lastFault();
        }
        if (S_ISREG(info.st_mode)) {
            // A rename needs only the folder's permission: a file the user may not write (mode
            // 0444) would be replaced all the same, where writing into it is refused.
            if (::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0)
                return lastFault();
            exists = true;
            mode = info.st_mode & 07777;
            return {};
        }
        if (!S_ISLNK(info.st_mode))
            return {FileFault::NotRegular, {}};
        char link[PATH_MAX];
        const ssize_t length = ::readlink(target.c_str(), link, sizeof link - 1);
        if (length < 0)
            return lastFault();
        const std::string next(link, static_cast<std::size_t>(length));
        target = next.front() == '/' ? next : folderOf(target) + "/" + next;
    }
    return faultOf(ELOOP);
}

}  // namespace

// Opening does not block (a FIFO without a writer would wait forever), and something that is no
// regular file is not opened at all (opening a serial port raises its lines); the type is
// checked again on the opened descriptor, so nothing can be swapped in between check and read.
std::optional<std::string> readRegularFileBytes(const std::string& path, std::int64_t maxBytes,
                                                FileFault* fault) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        setFault(fault, lastFault());
        return std::nullopt;
    }
    if (!S_ISREG(info.st_mode)) {
        setFault(fault, {FileFault::NotRegular, {}});
        return std::nullopt;
    }
    const Descriptor fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (fd.get() < 0) {
        setFault(fault, lastFault());
        return std::nullopt;
    }
    if (::fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode)) {
        setFault(fault, {FileFault::NotRegular, {}});
        return std::nullopt;
    }
    if (info.st_size > maxBytes) {
        setFault(fault, {FileFault::TooLarge, {}});
        return std::nullopt;
    }
    std::string data;
    char chunk[16384];
    for (;;) {
        const ssize_t got = ::read(fd.get(), chunk, sizeof chunk);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            setFault(fault, lastFault());
            return std::nullopt;
        }
        if (got == 0)
            break;
        data.append(chunk, static_cast<std::size_t>(got));
        if (static_cast<std::int64_t>(data.size()) > maxBytes) {  // grew while being read
            setFault(fault, {FileFault::TooLarge, {}});
            return std::nullopt;
        }
    }
    return data;
}

FileFault checkSaveTarget(const std::string& path) {
    std::string target;
    mode_t mode = 0;
    bool exists = false;
    return saveTargetOf(path, target, mode, exists);
}

namespace {

// A save's temporary beside its target, written and flushed, waiting for its rename.
struct Pending {
    std::string target;
    std::string temporary;
};

// Leftovers of killed saves of `name` in `folder`: only regular files of the exact pattern, and
// only those whose last write is a minute old, so a save still running keeps its temporary.
void removeStaleTemporaries(const std::string& folder, const std::string& name) {
    const std::string prefix = "." + name + std::string(TemporaryFileMark);
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr)
        return;
    const std::time_t now = std::time(nullptr);
    while (const dirent* entry = ::readdir(dir)) {
        const std::string_view found(entry->d_name);
        if (found.size() != prefix.size() + 6 || found.substr(0, prefix.size()) != prefix)
            continue;
        struct stat info {};
        if (::fstatat(::dirfd(dir), entry->d_name, &info, AT_SYMLINK_NOFOLLOW) == 0 &&
            S_ISREG(info.st_mode) && now - info.st_mtime >= 60)
            ::unlinkat(::dirfd(dir), entry->d_name, 0);
    }
    ::closedir(dir);
}

// Checks the target, then writes `bytes` to a temporary beside it; on failure nothing is left.
FileFault writeTemporary(const std::string& path, std::string_view bytes, Pending& pending) {
    mode_t mode = 0;
    bool exists = false;
    if (FileFault fault = saveTargetOf(path, pending.target, mode, exists))
        return fault;
    if (!exists) {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    const std::string& target = pending.target;
    const std::size_t slash = target.find_last_of('/');
    const std::string folder =
        slash == std::string::npos ? std::string() : target.substr(0, slash + 1);
    const std::string name = target.substr(slash == std::string::npos ? 0 : slash + 1);
    removeStaleTemporaries(folder.empty() ? "." : folder, name);
    pending.temporary = folder + "." + name + std::string(TemporaryFileMark) + "XXXXXX";
    Descriptor fd(::mkostemp(pending.temporary.data(), O_CLOEXEC));
    if (fd.get() < 0)
        return lastFault();
    const auto failWith = [&pending](FileFault fault) {
        ::unlink(pending.temporary.c_str());
        return fault;
    };
    if (::fchmod(fd.get(), mode) != 0)
        return failWith(lastFault());
    if (FileFault fault = writeAll(fd.get(), bytes))
        return failWith(fault);
    if (::fsync(fd.get()) != 0 && errno != EINVAL)
        return failWith(lastFault());
    if (::close(fd.release()) != 0)
        return failWith(lastFault());
    return {};
}

FileFault renameOver(const Pending& pending) {
    // What stands there now is checked once more: a rename would replace a FIFO as well.
    struct stat info {};
    FileFault fault;
    if (::lstat(pending.target.c_str(), &info) == 0 && !S_ISREG(info.st_mode))
        fault = {FileFault::NotRegular, {}};
    else if (::rename(pending.temporary.c_str(), pending.target.c_str()) != 0)
        fault = lastFault();
    if (fault)
        ::unlink(pending.temporary.c_str());
    return fault;
}

}  // namespace

FilesFault replaceRegularFiles(const std::vector<FileReplacement>& files) {
    return detail::replaceInTurn<Pending>(files, writeTemporary, renameOver,
                                          [](const Pending& p) { ::unlink(p.temporary.c_str()); });
}

// Decided once, at the first call (the start of the tool): a closed descriptor 1 would be
// handed to the next file or pipe opened, and a profile written there. It is filled with
// /dev/null then, and output to it refused.
FileFault checkStandardOutput() {
    static const FileFault state = [] {
        const int flags = ::fcntl(STDOUT_FILENO, F_GETFL);
        if (flags >= 0 && (flags & O_ACCMODE) != O_RDONLY)
            return FileFault{};
        if (flags < 0) {
            const int placeholder = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
            if (placeholder >= 0 && placeholder != STDOUT_FILENO)
                ::close(placeholder);
        }
        return FileFault{FileFault::Failed, "standard output is closed"};
    }();
    return state;
}

FileFault writeStandardOutput(std::string_view bytes) {
    if (FileFault fault = checkStandardOutput())
        return fault;
    return writeAll(STDOUT_FILENO, bytes);
}

AppendFile::~AppendFile() {
    close();
}

FileFault AppendFile::open(const std::string& path) {
    close();
    // Checked before opening: opening a FIFO or a device can wait or act on the device.
    if (FileFault fault = checkSaveTarget(path))
        return fault;
    Descriptor fd(::open(path.c_str(),
                         O_WRONLY | O_APPEND | O_CREAT | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0666));
    if (fd.get() < 0)
        return lastFault();
    struct stat info {};
    if (::fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode))
        return {FileFault::NotRegular, {}};
    fd_ = fd.release();
    return {};
}

bool AppendFile::isOpen() const {
    return fd_ >= 0;
}

FileFault AppendFile::append(std::string_view bytes) {
    if (fd_ < 0)
        return {FileFault::Failed, "not open"};
    return writeAll(fd_, bytes);
}

void AppendFile::close() {
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
}

}  // namespace blx52
