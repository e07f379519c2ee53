#include "device_simulator.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <system_error>

#include "link/port_names.h"

namespace blx52::devsim {

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::size_t PictureKeyLength = 12;
constexpr std::size_t PictureDataLength = 512;
// One byte on the wire at 115200 baud with start and stop bit: 10 bits.
constexpr auto ByteTime = std::chrono::nanoseconds(1'000'000'000LL * 10 / 115200);

// Device values at power-up. They mostly differ from the configurator's start values, so that a
// read visibly changes the window.
std::map<std::string, std::string> startValues() {
    std::map<std::string, std::string> v;
    const std::array<std::string, 4> inputs = {"in0", "in1", "in2", "in3"};
    const std::string indices = "0123456789ab";
    for (int s = 0; s < 4; ++s) {
        const auto& in = inputs[static_cast<std::size_t>(s)];
        const std::array<int, 4> pictures = {1500, 800, 1200, 600};
        for (int i = 0; i < 4; ++i) {
            const auto idx = static_cast<std::size_t>(i);
            v[in + "pic" + indices[idx] + "t"] = std::to_string(pictures[idx] + 100 * s);
            v[in + "ton" + indices[idx] + "t"] = std::to_string(150 + 100 * i + 10 * s);
            v[in + "ton" + indices[idx] + "p"] = std::to_string((4 * s + 3 * i + 1) % 17);
        }
        const std::array<int, 4> repeats = {3, 12, 25, 40};
        v[in + "tonr"] = std::to_string(repeats[static_cast<std::size_t>(s)]);
        v[in + "tonv"] = std::to_string(s % 2 == 0 ? 2 : 1);
    }
    for (int i = 0; i < 6; ++i) {
        v[std::string("respic") + indices[static_cast<std::size_t>(i)] + "t"] =
            std::to_string(i < 4 ? 300 + 50 * i : 900 + 900 * (i - 4));
    }
    for (int i = 0; i < 12; ++i) {
        const auto idx = static_cast<std::size_t>(i);
        v[std::string("reston") + indices[idx] + "t"] = std::to_string(80 + 10 * i);
        v[std::string("reston") + indices[idx] + "p"] = std::to_string((i + 2) % 17);
    }
    v["sbypic"] = "2";
    v["_brightness"] = "4";
    v["datafw"] = FirmwareVersion;
    return v;
}

bool startsWith(const std::string& text, std::string_view prefix) {
    return text.size() >= prefix.size() && text.compare(0, prefix.size(), prefix) == 0;
}

// The key a set line starts with: "set" + value name, except the standby choice, whose set key
// ends in an underscore.
std::string setKeyOf(const std::string& name) {
    return name == "sbypic" ? "setsbypic_" : "set" + name;
}

}  // namespace

bool isPictureDataKey(const std::string& line) {
    return line.size() >= PictureKeyLength && line.compare(0, 3, "set") == 0 &&
           line.compare(6, 3, "pic") == 0 && line.compare(10, 2, "d_") == 0;
}

std::string printable(const std::string& line) {
    static constexpr char hex[] = "0123456789abcdef";
    std::string out;
    auto hexByte = [&](unsigned char c) {
        out += hex[c >> 4];
        out += hex[c & 15];
    };
    if (isPictureDataKey(line)) {
        out = line.substr(0, PictureKeyLength) + " ";
        for (std::size_t i = PictureKeyLength; i < line.size(); ++i) {
            hexByte(static_cast<unsigned char>(line[i]));
        }
        return out;
    }
    for (char ch : line) {
        const auto c = static_cast<unsigned char>(ch);
        if (c >= 0x20 && c < 0x7f && c != '\\') {
            out += ch;
        } else {
            out += "\\x";
            hexByte(c);
        }
    }
    return out;
}

std::vector<std::string> LineSplitter::feed(const char* data, std::size_t length) {
    pending_.append(data, length);
    std::vector<std::string> lines;
    for (;;) {
        std::size_t searchFrom = 0;
        if (isPictureDataKey(pending_)) {
            searchFrom = PictureKeyLength + PictureDataLength;
            if (pending_.size() < searchFrom + 2)
                break;
        }
        const auto end = pending_.find("\r\n", searchFrom);
        if (end == std::string::npos)
            break;
        lines.push_back(pending_.substr(0, end));
        pending_.erase(0, end + 2);
    }
    return lines;
}

DeviceSimulator::DeviceSimulator(Options options)
    : options_(std::move(options)), values_(startValues()) {
    seedGarbage();
}

void DeviceSimulator::seedGarbage() {
    garbageRandom_.seed(options_.garbageSeed != 0 ? options_.garbageSeed : std::random_device{}());
}

DeviceSimulator::~DeviceSimulator() {
    stop();
    if (!registeredLink_.empty()) {
        std::error_code error;
        // Only our own link: another simulator may have taken the name since.
        if (std::filesystem::is_symlink(registeredLink_, error) &&
            std::filesystem::read_symlink(registeredLink_, error).string() == devicePath_) {
            std::filesystem::remove(registeredLink_, error);
        }
    }
}

bool DeviceSimulator::start() {
    if (master_ >= 0 || thread_.joinable())
        return false;
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master_ < 0)
        return false;
    std::array<char, 128> name{};
    if (::grantpt(master_) != 0 || ::unlockpt(master_) != 0 ||
        ::ptsname_r(master_, name.data(), name.size()) != 0) {
        closePty();
        return false;
    }
    devicePath_ = name.data();
    slave_ = ::open(devicePath_.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    termios settings{};
    if (slave_ < 0 || ::tcgetattr(slave_, &settings) != 0) {
        closePty();
        return false;
    }
    // Raw from the start: an echoing line discipline would send the replies back to us.
    ::cfmakeraw(&settings);
    if (::tcsetattr(slave_, TCSANOW, &settings) != 0 ||
        ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK) != 0 ||
        ::pipe2(wakePipe_, O_CLOEXEC) != 0) {
        closePty();
        return false;
    }
    {
        std::lock_guard lock(mutex_);
        stopping_ = false;
        hungUp_ = false;
    }
    thread_ = std::thread(&DeviceSimulator::run, this);
    return true;
}

void DeviceSimulator::stop() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    if (wakePipe_[1] >= 0) {
        const char byte = 0;
        [[maybe_unused]] const auto n = ::write(wakePipe_[1], &byte, 1);
    }
    if (thread_.joinable())
        thread_.join();
    closePty();
    for (int& fd : wakePipe_) {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
    }
}

void DeviceSimulator::closePty() {
    // setOptions may look at the port from another thread.
    std::lock_guard lock(mutex_);
    if (master_ >= 0)
        ::close(master_);
    if (slave_ >= 0)
        ::close(slave_);
    master_ = -1;
    slave_ = -1;
}

std::string DeviceSimulator::devicePath() const {
    return devicePath_;
}

bool DeviceSimulator::registerPort(const std::string& portName) {
    namespace fs = std::filesystem;
    if (devicePath_.empty())
        return false;
    std::error_code error;
    const fs::path folder = portsFolder();
    fs::create_directories(folder, error);
    if (error)
        return false;
    const fs::path entry = folder / portName;
    if (fs::exists(fs::symlink_status(entry, error))) {
        // Only a simulator's link (to a pseudo-terminal) is taken over; a user's mapping of the
        // name to a real adapter is kept, as it could not be restored on exit.
        const bool simulatorLink =
            fs::is_symlink(entry, error) &&
            fs::read_symlink(entry, error).string().rfind("/dev/pts/", 0) == 0;
        if (!simulatorLink)
            return false;
        fs::remove(entry, error);
    }
    fs::create_symlink(devicePath_, entry, error);
    if (error)
        return false;
    registeredLink_ = entry.string();
    return true;
}

void DeviceSimulator::setOptions(Options options) {
    std::lock_guard lock(mutex_);
    options_ = std::move(options);
    seedGarbage();
    updateReadingStopLocked();
}

// Applied at once where the count is decided (a new option, a line counted), not when the
// answering thread next comes round: a client's next line must already find the port stopped.
void DeviceSimulator::updateReadingStopLocked() {
    const bool stop = options_.stopReadingAfter >= 0 &&
                      linesSeen_ >= static_cast<std::size_t>(options_.stopReadingAfter);
    if (stop == readingStopped_ || slave_ < 0)
        return;
    // Suspending the port's output makes every write to it wait, however little it holds; a
    // full queue would need kilobytes first.
    ::tcflow(slave_, stop ? TCOOFF : TCOON);
    readingStopped_ = stop;
    changed_.notify_all();
}

std::vector<std::string> DeviceSimulator::receivedLines() const {
    std::lock_guard lock(mutex_);
    return received_;
}

void DeviceSimulator::clearReceived() {
    std::lock_guard lock(mutex_);
    received_.clear();
}

bool DeviceSimulator::waitForLines(std::size_t count, int timeoutMs) const {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                             [&] { return received_.size() >= count; });
}

std::size_t DeviceSimulator::handledLines() const {
    std::lock_guard lock(mutex_);
    return handled_;
}

bool DeviceSimulator::waitForHandled(std::size_t count, int timeoutMs) const {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                             [&] { return handled_ >= count; });
}

bool DeviceSimulator::hungUp() const {
    std::lock_guard lock(mutex_);
    return hungUp_;
}

bool DeviceSimulator::readingStopped() const {
    std::lock_guard lock(mutex_);
    return readingStopped_;
}

std::string DeviceSimulator::value(const std::string& name) const {
    std::lock_guard lock(mutex_);
    const auto it = values_.find(name);
    return it == values_.end() ? std::string() : it->second;
}

void DeviceSimulator::setValue(const std::string& name, const std::string& value) {
    std::lock_guard lock(mutex_);
    values_[name] = value;
}

std::optional<std::vector<std::uint8_t>> DeviceSimulator::picture(const std::string& name) const {
    std::lock_guard lock(mutex_);
    const auto it = pictures_.find(name);
    if (it == pictures_.end())
        return std::nullopt;
    return it->second;
}

namespace {

enum class CommandKind { PictureData, Get, Set, WriteFlag, TestOutput, Unknown };

struct Command {
    CommandKind kind = CommandKind::Unknown;
    std::string key;    // without the value
    std::string value;  // text or picture bytes after the key
    std::string name;   // value name: the key without verb (and without "d_" for pictures)
};

Command parseCommand(const std::string& line, const std::map<std::string, std::string>& values) {
    if (isPictureDataKey(line)) {
        return {CommandKind::PictureData, line.substr(0, PictureKeyLength),
                line.substr(PictureKeyLength), line.substr(3, 7)};
    }
    if (startsWith(line, "get"))
        return {CommandKind::Get, line, {}, line.substr(3)};
    if (startsWith(line, "set_wt_flag")) {
        return {CommandKind::WriteFlag, "set_wt_flag", line.substr(11), {}};
    }
    if (startsWith(line, "set")) {
        for (const auto& entry : values) {
            const std::string key = setKeyOf(entry.first);
            if (startsWith(line, key)) {
                return {CommandKind::Set, key, line.substr(key.size()), entry.first};
            }
        }
    }
    if (line.size() == 8 && startsWith(line, "outin") && line[6] == '_') {
        return {CommandKind::TestOutput, line, {}, line.substr(0, 6)};
    }
    return {CommandKind::Unknown, line, {}, {}};
}

}  // namespace

std::optional<std::string> DeviceSimulator::answer(const std::string& line) {
    std::lock_guard lock(mutex_);
    const Command command = parseCommand(line, values_);
    if (options_.silent)
        return std::nullopt;

    std::string reply = "OK";  // also for a command the device does not know
    switch (command.kind) {
        case CommandKind::PictureData:
            // Only a complete picture is taken; a short or long one is acknowledged and dropped.
            if (command.value.size() == PictureDataLength) {
                pictures_[command.name] =
                    std::vector<std::uint8_t>(command.value.begin(), command.value.end());
            }
            break;
        case CommandKind::Get:
            if (const auto it = values_.find(command.name); it != values_.end()) {
                reply = it->second;
            }
            break;
        case CommandKind::Set:
            if (!command.value.empty())
                values_[command.name] = command.value;
            break;
        case CommandKind::TestOutput:
            values_[command.name] = line.substr(7);
            break;
        case CommandKind::WriteFlag:
        case CommandKind::Unknown:
            break;
    }
    if (options_.ignoredKeys.count(command.key) != 0)
        return std::nullopt;
    if (const auto it = options_.replyOverrides.find(command.key);
        it != options_.replyOverrides.end()) {
        reply = it->second;
    }
    return reply;
}

void DeviceSimulator::run() {
    LineSplitter splitter;
    Clock::time_point lineStart = Clock::now();
    std::array<char, 4096> buffer{};
    for (;;) {
        bool stopReading = false;
        {
            std::lock_guard lock(mutex_);
            updateReadingStopLocked();
            stopReading = readingStopped_;
        }
        if (stopReading) {
            if (!waitUntil(Clock::now() + std::chrono::milliseconds(20)))
                return;
            continue;
        }
        std::array<pollfd, 2> fds = {pollfd{master_, POLLIN, 0}, pollfd{wakePipe_[0], POLLIN, 0}};
        const int r = ::poll(fds.data(), fds.size(), -1);
        if (r < 0 && errno == EINTR)
            continue;
        if (r < 0 || fds[1].revents != 0)
            return;
        if ((fds[0].revents & POLLIN) != 0) {
            const ssize_t n = ::read(master_, buffer.data(), buffer.size());
            if (n <= 0)
                continue;
            const auto now = Clock::now();
            if (splitter.empty())
                lineStart = now;
            const auto lines = splitter.feed(buffer.data(), static_cast<std::size_t>(n));
            for (const auto& line : lines) {
                handleLine(line, lineStart);
                if (hungUp())
                    return;
                lineStart = now;
            }
            if (!lines.empty())
                lineStart = now;
        } else if (fds[0].revents != 0) {
            // No client side is open (cannot happen while we hold the slave); do not spin.
            if (!waitUntil(Clock::now() + std::chrono::milliseconds(10)))
                return;
        }
    }
}

void DeviceSimulator::handleLine(const std::string& line, Clock::time_point firstByte) {
    Options options;
    std::size_t lineNumber = 0;
    {
        std::lock_guard lock(mutex_);
        received_.push_back(line);
        lineNumber = linesSeen_++;  // lines before this one
        updateReadingStopLocked();
        options = options_;
    }
    changed_.notify_all();
    if (options.printTraffic) {
        std::printf("< %s\n", printable(line).c_str());
        std::fflush(stdout);
    }
    if (options.hangUpAfter >= 0 && lineNumber >= static_cast<std::size_t>(options.hangUpAfter)) {
        closePty();
        {
            std::lock_guard lock(mutex_);
            hungUp_ = true;
            ++handled_;
        }
        changed_.notify_all();
        if (options.printTraffic)
            std::printf("hung up\n");
        return;
    }

    auto reply = answer(line);
    if (options.lineHook)
        options.lineHook(line);
    const auto raw = options.rawReplies.find(line);
    const bool rawReply = reply && raw != options.rawReplies.end();
    if (rawReply) {
        *reply = raw->second;
    } else if (reply) {
        if (options.garbage) {
            // setOptions reseeds the engine from another thread.
            std::lock_guard lock(mutex_);
            std::uniform_int_distribution<int> length(1, 24);
            std::uniform_int_distribution<int> byte(0, 255);
            reply->clear();
            for (int i = length(garbageRandom_); i > 0; --i)
                reply->push_back(static_cast<char>(byte(garbageRandom_)));
        } else {
            if (options.longReplies && reply->size() < LongReplyLength) {
                reply->resize(LongReplyLength, LongReplyPad);
            }
            if (!options.noLineEnd)
                *reply += "\r\n";
        }
    }
    if (reply) {
        bool go = true;
        if (options.delayMs > 0) {
            go = waitUntil(Clock::now() + std::chrono::milliseconds(options.delayMs));
        }
        if (go && options.paced) {
            // The line and its CR LF take this long to cross a real wire.
            go = waitUntil(firstByte + ByteTime * static_cast<long>(line.size() + 2));
        }
        if (go && options.latencyMs > 0) {
            // The adapter collects the reply as it crosses the wire and passes it on whole.
            const auto onTheWire = options.paced ? ByteTime * static_cast<long>(reply->size())
                                                 : Clock::duration::zero();
            go = waitUntil(Clock::now() + onTheWire + std::chrono::milliseconds(options.latencyMs));
            if (go)
                sendReply(*reply, false);
        } else if (go) {
            sendReply(*reply, options.paced);
        }
        if (options.printTraffic) {
            std::printf("> %s\n", printable(*reply).c_str());
            std::fflush(stdout);
        }
    } else if (options.printTraffic) {
        std::printf("> (no answer)\n");
        std::fflush(stdout);
    }
    {
        std::lock_guard lock(mutex_);
        ++handled_;
    }
    changed_.notify_all();
}

bool DeviceSimulator::sendReply(const std::string& reply, bool paced) {
    const auto start = Clock::now();
    std::size_t sent = 0;
    while (sent < reply.size()) {
        std::size_t due = reply.size();
        if (paced) {
            // Bytes go out one byte time apart, as a UART would send them.
            const auto elapsed = Clock::now() - start;
            due = std::min(reply.size(), static_cast<std::size_t>(elapsed / ByteTime) + 1);
            if (due <= sent) {
                std::this_thread::sleep_until(start + ByteTime * static_cast<long>(sent));
                continue;
            }
        }
        const ssize_t n = ::write(master_, reply.data() + sent, due - sent);
        if (n > 0) {
            sent += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)
            return false;
        // The port's input queue is full: wait for room, but give up when stopping.
        pollfd p{master_, POLLOUT, 0};
        ::poll(&p, 1, 50);
        std::lock_guard lock(mutex_);
        if (stopping_)
            return false;
    }
    return true;
}

bool DeviceSimulator::waitUntil(Clock::time_point when) {
    std::unique_lock lock(mutex_);
    return !changed_.wait_until(lock, when, [&] { return stopping_; });
}

}  // namespace blx52::devsim
