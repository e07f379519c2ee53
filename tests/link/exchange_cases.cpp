#include "exchange_cases.h"

#include "link_test_support.h"

namespace blx52::test {

namespace {

using namespace std::string_literals;

const std::string BrokenText = "Antwort vom Modul unvollständig";
const std::vector<std::pair<int, std::string>> Broken = {{3, BrokenText}, {4, "Fehler 9"}};

// A reply of 25 digits: the read takes 22 bytes, so "345" CR LF is left waiting in the port,
// a whole line that must not become the next command's answer.
const std::string OverlongLine = "1234567890123456789012345\r\n";

}  // namespace

const std::vector<ExchangeCase>& exchangeCases() {
    static const std::vector<ExchangeCase> cases = {
        {"TwoDigitsAndLineEnd", "", "casetwodigits", "", "42", 0, {}},
        {"OneByte", "", "caseonebyte", "", "", 9, Broken},
        {"LineEndOnly", "", "caselineend", "", "", 0, {}},
        {"TwoBytesNoLineEnd", "", "casetwobytes", "", "", 9, Broken},
        {"ThirtyByteReply", "", "casethirty", "", "1500****************", 9, Broken},
        {"ValueWithoutLineEnd", "", "casenolineend", "", "15", 9, Broken},
        {"Silence", "", "casesilence", "", "", 8, {}},
        {"MissingPort",
         "",
         "casemissingport",
         "blx52-no-such-port",
         "",
         7,
         {{3, OpenFailedText},
          {2, std::string(38, ' ')},
          {4, "Fehler 1"},
          {3, CountText},
          {4, "Fehler 6"},
          {3, ReadFailedText},
          {4, "Fehler 7"}}},
        {"CommandWithNulLfCr", "", "casebinary\0\n\r!"s, "", "77", 0, {}},
        {"StraySecondLine", "", "casestray", "", "4", 0, {}},
        {"StaleInputBeforeTheCommand", "caseleavestale", "caseafterstale", "", "43", 0, {}},
    };
    return cases;
}

const std::map<std::string, std::string>& exchangeCaseReplies() {
    static const std::map<std::string, std::string> replies = {
        {"casetwodigits", "42\r\n"},
        {"caseonebyte", "4"},
        {"caselineend", "\r\n"},
        {"casetwobytes", "OK"},
        {"casethirty", "1500" + std::string(26, '*') + "\r\n"},
        {"casenolineend", "1500"},
        {"casesilence", ""},
        {"casebinary\0\n\r!"s, "77\r\n"},
        {"casestray", "4\r\nXY\r\n"},
        {"caseleavestale", OverlongLine},
        {"caseafterstale", "43\r\n"},
    };
    return replies;
}

}  // namespace blx52::test
