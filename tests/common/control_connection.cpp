#include "control_connection.h"

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace blx52::test {

#ifdef _WIN32
struct ControlConnection::Socket {
    SOCKET fd = INVALID_SOCKET;
    bool started = false;
    ~Socket() {
        if (fd != INVALID_SOCKET)
            ::closesocket(fd);
        if (started)
            ::WSACleanup();
    }
    bool valid() const { return fd != INVALID_SOCKET; }
};
#else
struct ControlConnection::Socket {
    int fd = -1;
    ~Socket() {
        if (fd >= 0)
            ::close(fd);
    }
    bool valid() const { return fd >= 0; }
};
#endif

namespace {

// The longest request waits 5 s for the device; beyond this limit the server is taken by another
// client or stuck, and the test fails saying so instead of hanging.
auto answerTimeout() {
#ifdef _WIN32
    return DWORD{ControlConnection::AnswerTimeoutMs};
#else
    return timeval{ControlConnection::AnswerTimeoutMs / 1000, 0};
#endif
}

}  // namespace

std::unique_ptr<ControlConnection> ControlConnection::open(int port) {
    if (port <= 0 || port > 65535)
        return nullptr;
    std::unique_ptr<ControlConnection> c(new ControlConnection);
    c->socket_ = std::make_unique<Socket>();
#ifdef _WIN32
    WSADATA data;
    if (::WSAStartup(MAKEWORD(2, 2), &data) != 0)
        return nullptr;
    c->socket_->started = true;
#endif
    c->socket_->fd = ::socket(AF_INET, SOCK_STREAM, 0);
    if (!c->socket_->valid())
        return nullptr;
    const auto limit = answerTimeout();
    if (::setsockopt(c->socket_->fd, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&limit),
                     sizeof limit) != 0)
        return nullptr;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<unsigned short>(port));
    if (::connect(c->socket_->fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0)
        return nullptr;
    return c;
}

ControlConnection::~ControlConnection() = default;

std::optional<std::string> ControlConnection::request(const std::string& line) {
    const std::string out = line + "\n";
    std::size_t sent = 0;
    while (sent < out.size()) {
        const auto n =
            ::send(socket_->fd, out.data() + sent, static_cast<int>(out.size() - sent), 0);
        if (n <= 0)
            return std::nullopt;
        sent += static_cast<std::size_t>(n);
    }
    char buffer[65536];
    for (;;) {
        const auto end = pending_.find('\n');
        if (end != std::string::npos) {
            std::string answer = pending_.substr(0, end);
            pending_.erase(0, end + 1);
            return answer;
        }
        const auto n = ::recv(socket_->fd, buffer, static_cast<int>(sizeof buffer), 0);
        if (n <= 0)
            return std::nullopt;
        pending_.append(buffer, static_cast<std::size_t>(n));
    }
}

}  // namespace blx52::test
