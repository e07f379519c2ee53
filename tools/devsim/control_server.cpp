#include "control_server.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <limits>
#include <optional>
#include <utility>
#include <vector>

#include "tools/devsim/control_protocol.h"

namespace blx52::devsim {

namespace {

std::string yesNo(bool value) {
    return value ? "ok 1" : "ok 0";
}

bool sendAll(int fd, const std::string& text) {
    std::size_t sent = 0;
    while (sent < text.size()) {
        const ssize_t n = ::send(fd, text.data() + sent, text.size() - sent, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        sent += static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace

ControlServer::ControlServer(Options startOptions, std::string portName)
    : startOptions_(std::move(startOptions)), portName_(std::move(portName)) {}

ControlServer::~ControlServer() {
    stop();
    if (listen_ >= 0)
        ::close(listen_);
    for (int fd : wake_) {
        if (fd >= 0)
            ::close(fd);
    }
}

bool ControlServer::listen() {
    if (::pipe2(wake_, O_CLOEXEC) != 0)
        return false;
    listen_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (listen_ < 0)
        return false;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    socklen_t length = sizeof address;
    if (::bind(listen_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(listen_, 4) != 0 ||
        ::getsockname(listen_, reinterpret_cast<sockaddr*>(&address), &length) != 0)
        return false;
    port_ = ntohs(address.sin_port);
    return true;
}

bool ControlServer::resetDevice() {
    // The fresh device takes over the link before the old one goes, so the name never dangles.
    auto fresh = std::make_unique<DeviceSimulator>(startOptions_);
    if (!fresh->start() || (!portName_.empty() && !fresh->registerPort(portName_)))
        return false;
    device_ = std::move(fresh);
    return true;
}

std::string ControlServer::handle(const std::string& request) {
    const std::vector<std::string> w = control::words(request);
    if (w.empty())
        return "error empty request";
    const std::string& verb = w[0];
    if (verb == "reset")
        return resetDevice() ? "ok" : "error the device cannot start";
    if (!device_)
        return "error no device: reset first";
    DeviceSimulator& d = *device_;
    auto arg = [&](std::size_t i) -> std::optional<std::string> {
        return i < w.size() ? control::fromToken(w[i]) : std::nullopt;
    };
    auto count = [&](std::size_t i) -> std::optional<long long> {
        const auto n = i < w.size() ? control::number(w[i]) : std::nullopt;
        return n && *n >= 0 && *n <= std::numeric_limits<int>::max() ? n : std::nullopt;
    };

    if (verb == "options") {
        auto options = control::decodeOptions({w.begin() + 1, w.end()});
        if (!options)
            return "error bad options";
        // Printing the traffic is this process's choice, not the client's.
        options->printTraffic = startOptions_.printTraffic;
        options->lineHook = startOptions_.lineHook;
        d.setOptions(std::move(*options));
        return "ok";
    }
    if (verb == "value") {
        const auto name = arg(1);
        return name ? "ok " + control::token(d.value(*name)) : "error bad name";
    }
    if (verb == "setvalue") {
        const auto name = arg(1);
        const auto value = arg(2);
        if (!name || !value)
            return "error bad name or value";
        d.setValue(*name, *value);
        return "ok";
    }
    if (verb == "picture") {
        const auto name = arg(1);
        if (!name)
            return "error bad name";
        const auto picture = d.picture(*name);
        return picture ? "ok " + control::token(std::string(picture->begin(), picture->end()))
                       : "ok -";
    }
    if (verb == "received") {
        std::string answer = "ok";
        for (const std::string& line : d.receivedLines())
            answer += " " + control::token(line);
        return answer;
    }
    if (verb == "clear") {
        d.clearReceived();
        return "ok";
    }
    if (verb == "handled")
        return "ok " + std::to_string(d.handledLines());
    if (verb == "waithandled" || verb == "waitlines") {
        const auto n = count(1);
        const auto ms = count(2);
        if (!n || !ms)
            return "error bad count or time";
        const auto lines = static_cast<std::size_t>(*n);
        const int timeout = static_cast<int>(*ms);
        return yesNo(verb == "waithandled" ? d.waitForHandled(lines, timeout)
                                           : d.waitForLines(lines, timeout));
    }
    if (verb == "hungup")
        return yesNo(d.hungUp());
    if (verb == "readingstopped")
        return yesNo(d.readingStopped());
    return "error unknown request " + verb;
}

bool ControlServer::waitReadable(int fd) const {
    for (;;) {
        pollfd fds[2] = {{fd, POLLIN, 0}, {wake_[0], POLLIN, 0}};
        if (::poll(fds, 2, -1) >= 0)
            return fds[1].revents == 0;
        if (errno != EINTR)
            return false;
    }
}

void ControlServer::serve() {
    while (!stopping_) {
        if (!waitReadable(listen_))
            return;
        const int client = ::accept4(listen_, nullptr, nullptr, SOCK_CLOEXEC);
        if (client < 0)
            continue;
        serveClient(client);
        ::close(client);
    }
}

void ControlServer::serveClient(int client) {
    std::string pending;
    char buffer[4096];
    while (!stopping_) {
        if (!waitReadable(client))
            return;
        const ssize_t n = ::recv(client, buffer, sizeof buffer, 0);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return;  // the client is done
        pending.append(buffer, static_cast<std::size_t>(n));
        for (auto end = pending.find('\n'); end != std::string::npos; end = pending.find('\n')) {
            std::string request = pending.substr(0, end);
            pending.erase(0, end + 1);
            if (!request.empty() && request.back() == '\r')
                request.pop_back();
            if (!sendAll(client, handle(request) + "\n"))
                return;
        }
    }
}

void ControlServer::stop() {
    stopping_ = true;
    if (wake_[1] >= 0) {
        const char byte = 0;
        [[maybe_unused]] const auto n = ::write(wake_[1], &byte, 1);
    }
}

}  // namespace blx52::devsim
