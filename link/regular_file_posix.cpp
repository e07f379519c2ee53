#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "regular_file.h"

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

  private:
    int fd_;
};

}  // namespace

// Opening does not block (a FIFO without a writer would wait forever); the type is checked on
// the opened descriptor, so nothing can be swapped in between check and read.
std::optional<std::string> readRegularFileBytes(const std::string& path, std::int64_t maxBytes) {
    const Descriptor fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (fd.get() < 0)
        return std::nullopt;
    struct stat info {};
    if (::fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode) || info.st_size > maxBytes)
        return std::nullopt;
    std::string data;
    char chunk[16384];
    for (;;) {
        const ssize_t got = ::read(fd.get(), chunk, sizeof chunk);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return std::nullopt;
        if (got == 0)
            break;
        data.append(chunk, static_cast<std::size_t>(got));
        if (static_cast<std::int64_t>(data.size()) > maxBytes)  // grew while being read
            return std::nullopt;
    }
    return data;
}

}  // namespace blx52
