#include "regular_file.h"

#include <QtGlobal>

#ifdef Q_OS_WIN
#include <QFile>
#include <QFileInfo>
#else
#include <QFile>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#endif

namespace blx52 {

#ifdef Q_OS_WIN

// Named pipes and devices live outside ordinary folders on Windows; a file check suffices.
std::optional<QByteArray> readRegularFile(const QString& path, qint64 maxBytes) {
    if (!QFileInfo(path).isFile())
        return std::nullopt;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > maxBytes)
        return std::nullopt;
    QByteArray data = file.read(maxBytes + 1);
    if (file.error() != QFileDevice::NoError || data.size() > maxBytes)
        return std::nullopt;
    return data;
}

#else

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
std::optional<QByteArray> readRegularFile(const QString& path, qint64 maxBytes) {
    const QByteArray name = QFile::encodeName(path);
    const Descriptor fd(::open(name.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (fd.get() < 0)
        return std::nullopt;
    struct stat info {};
    if (::fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode) || info.st_size > maxBytes)
        return std::nullopt;
    QByteArray data;
    char chunk[16384];
    for (;;) {
        const ssize_t got = ::read(fd.get(), chunk, sizeof chunk);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return std::nullopt;
        if (got == 0)
            break;
        data.append(chunk, static_cast<qsizetype>(got));
        if (data.size() > maxBytes)  // grew while being read
            return std::nullopt;
    }
    return data;
}

#endif

}  // namespace blx52
