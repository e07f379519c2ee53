#pragma once

#include <memory>
#include <optional>
#include <string>

namespace blx52::test {

// A line-by-line TCP connection to a simulator's remote control on this machine (POSIX sockets,
// or Winsock on Windows, where Wine hands them to the host).
class ControlConnection {
  public:
    static std::unique_ptr<ControlConnection> open(int port);
    ~ControlConnection();
    ControlConnection(const ControlConnection&) = delete;
    ControlConnection& operator=(const ControlConnection&) = delete;

    static constexpr int AnswerTimeoutMs = 30000;

    // Sends one line and waits for the answer line; nothing when the connection broke or no
    // answer came within AnswerTimeoutMs.
    std::optional<std::string> request(const std::string& line);

  private:
    ControlConnection() = default;
    struct Socket;
    std::unique_ptr<Socket> socket_;
    std::string pending_;
};

}  // namespace blx52::test
