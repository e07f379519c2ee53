#pragma once

#include <cstddef>
#include <functional>
#include <map>
#include <set>
#include <string>

namespace blx52::devsim {

// How the simulated device behaves; the fault modes serve tests and users who want to see how the
// configurator copes with a misbehaving device.
struct Options {
    bool silent = false;        // never answers
    int delayMs = 0;            // wait before answering
    bool paced = false;         // replies at 115200 baud, never before the received line has
                                // crossed the wire at that speed
    bool longReplies = false;   // replies padded to 30 bytes before CR LF
    bool noLineEnd = false;     // replies without CR LF
    bool garbage = false;       // random bytes instead of replies
    unsigned garbageSeed = 0;   // seeds the garbage bytes, so a run can be repeated; 0: any
    int hangUpAfter = -1;       // answers this many lines, then closes the pseudo-terminal when
                                // the next one arrives
    int stopReadingAfter = -1;  // answers this many lines, then takes no more data: the port's
                                // output stops (as if the device held its line), so a writer
                                // blocks; setting it back to -1 lets the data flow again
    std::set<std::string> ignoredKeys;                  // keys (without value) never answered
    std::map<std::string, std::string> replyOverrides;  // key (without value) -> reply text
    // whole received line (without CR LF) -> the exact bytes sent back: no line end added, no
    // padding; the line is still taken as a command first
    std::map<std::string, std::string> rawReplies;
    int latencyMs = 0;  // holds each reply this long once it has crossed the wire, then hands it
                        // over at once, as a USB adapter's latency timer does
    bool printTraffic = false;  // every received line (binary bytes as hex) and reply to stdout
    // Told every received line once the device has taken it (on the answering thread): the
    // virtual device's panel follows the simulator so.
    std::function<void(const std::string& line)> lineHook;
};

// The padding character of long replies.
inline constexpr char LongReplyPad = '*';
inline constexpr std::size_t LongReplyLength = 30;
inline constexpr const char* FirmwareVersion = "4.1";

}  // namespace blx52::devsim
