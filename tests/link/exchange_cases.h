#pragma once

#include <cstdint>
#include <map>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

namespace blx52::test {

// One exchange against a device that answers a command with fixed bytes. The same cases run on
// every serial backend, so each system's port must give the same outcome.
struct ExchangeCase {
    std::string name;      // a test name: letters and digits only
    std::string before;    // a command exchanged first, its outcome not checked; "" = none
    std::string command;   // may hold any byte
    std::string portName;  // "" = the device's port; otherwise a port that does not exist
    std::string lastReply;
    std::int32_t code = 0;
    std::vector<std::pair<int, std::string>> texts;  // status texts written, in order
};

const std::vector<ExchangeCase>& exchangeCases();

// A failing case names itself instead of dumping its bytes.
inline void PrintTo(const ExchangeCase& c, std::ostream* out) {
    *out << c.name;
}

// Each command of the cases (also the `before` ones) -> the bytes the device sends back; an
// empty answer means the device stays silent.
const std::map<std::string, std::string>& exchangeCaseReplies();

}  // namespace blx52::test
