#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <random>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "tools/devsim/options.h"

namespace blx52::devsim {

// A BLX52 Glowpanel on a pseudo-terminal: answers the command language, keeps the settings and
// pictures written to it.
class DeviceSimulator {
  public:
    explicit DeviceSimulator(Options options = {});
    ~DeviceSimulator();  // stops, closes the pty, removes a registered port link
    DeviceSimulator(const DeviceSimulator&) = delete;
    DeviceSimulator& operator=(const DeviceSimulator&) = delete;

    bool start();  // opens the pty (raw mode), starts the answering thread
    void stop();
    std::string devicePath() const;  // /dev/pts/N
    // portsFolder()/portName -> devicePath(). An existing entry is replaced only when it is
    // another simulator's link; false for a user's own mapping of the name.
    bool registerPort(const std::string& portName);
    void setOptions(Options options);  // takes effect for the next line

    std::vector<std::string> receivedLines() const;  // without CR LF, binary kept, in order
    void clearReceived();
    bool waitForLines(std::size_t count, int timeoutMs) const;
    // Counts replies the device has finished sending (also ignored lines count as handled).
    std::size_t handledLines() const;
    bool waitForHandled(std::size_t count, int timeoutMs) const;
    bool hungUp() const;
    bool readingStopped() const;  // the stop-reading mode has set in

    // name = get key without "get": "in0pic0t", "sbypic", "_brightness", "datafw"
    std::string value(const std::string& name) const;
    void setValue(const std::string& name, const std::string& value);
    // name = picture key without "set" and "d_": "in0pic0" … "sbypic2"; 512 bytes
    std::optional<std::vector<std::uint8_t>> picture(const std::string& name) const;

    // The reply to one complete line (without CR LF), before the fault modes shape it; also
    // stores what the line sets. Nothing when the line is not answered.
    std::optional<std::string> answer(const std::string& line);

  private:
    void run();
    void handleLine(const std::string& line, std::chrono::steady_clock::time_point firstByte);
    bool sendReply(const std::string& reply, bool paced);
    bool waitUntil(std::chrono::steady_clock::time_point when);
    void closePty();
    void seedGarbage();
    void updateReadingStopLocked();  // with mutex_ held

    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    Options options_;
    std::map<std::string, std::string> values_;
    std::map<std::string, std::vector<std::uint8_t>> pictures_;
    std::vector<std::string> received_;
    std::size_t handled_ = 0;
    std::size_t linesSeen_ = 0;
    std::mt19937 garbageRandom_;
    bool stopping_ = false;
    bool hungUp_ = false;
    bool readingStopped_ = false;

    int master_ = -1;
    int slave_ = -1;  // kept open so replies wait in the port and a client's close never hangs up
    int wakePipe_[2] = {-1, -1};
    std::string devicePath_;
    std::string registeredLink_;
    std::thread thread_;
};

// Splits complete command lines off the front of `pending`. A picture-data key is followed by
// exactly 512 data bytes before its CR LF, so CR and LF among the data stay data.
class LineSplitter {
  public:
    // Appends bytes; returns the lines completed by them, without their CR LF.
    std::vector<std::string> feed(const char* data, std::size_t length);
    bool empty() const { return pending_.empty(); }

  private:
    std::string pending_;
};

bool isPictureDataKey(const std::string& line);
// Printable form of a line: text as it stands, other bytes as \xHH; picture data as hex.
std::string printable(const std::string& line);

}  // namespace blx52::devsim
