// blx52-send COMn KEY[VALUE]: one exchange with the device through the configurator's own link,
// for trying a device by hand. \xHH in the command gives any byte, \\ a backslash.
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "blx52_version.h"
#include "link/device_link.h"
#include "link/escaped_text.h"
#include "platform/parent_console.h"

namespace {

constexpr char UsageText[] =
    "usage: blx52-send PORT COMMAND\n"
    "       blx52-send --help | --version\n"
    "  PORT     COM1 … COM9, or a device path\n"
    "  COMMAND  key and value as one word, e.g. getin0pic0t or setin0pic0t2000;\n"
    "           \\xHH gives any byte, \\\\ a backslash. CR LF is appended.\n"
    "Prints the reply, the link code and every status text the link wrote.\n";

int usage() {
    std::fputs(UsageText, stderr);
    return 2;
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

std::optional<std::string> unescape(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            out += text[i];
            continue;
        }
        if (i + 1 < text.size() && text[i + 1] == '\\') {
            out += '\\';
            ++i;
            continue;
        }
        if (i + 3 >= text.size())
            return std::nullopt;
        if (text[i + 1] != 'x')
            return std::nullopt;
        const int high = hexDigit(text[i + 2]);
        const int low = hexDigit(text[i + 3]);
        if (high < 0 || low < 0)
            return std::nullopt;
        out += static_cast<char>(high * 16 + low);
        i += 3;
    }
    return out;
}

class RecordingSink final : public blx52::StatusSink {
  public:
    void setPanelText(int panel, const std::string& text) override {
        texts.emplace_back(panel, text);
    }
    std::vector<std::pair<int, std::string>> texts;
};

}  // namespace

int main(int argc, char** argv) {
    const blx52::Utf8ConsoleOutput utf8Console;
    if (argc == 2 && (!std::strcmp(argv[1], "--help") || !std::strcmp(argv[1], "-h"))) {
        std::fputs(UsageText, stdout);
        return 0;
    }
    if (argc == 2 && (!std::strcmp(argv[1], "--version") || !std::strcmp(argv[1], "-v"))) {
        std::printf("blx52-send %s\n", BLX52_VERSION);
        return 0;
    }
    if (argc != 3)
        return usage();
    const std::string port = argv[1];
    const auto command = unescape(argv[2]);
    if (port.empty() || !command || command->empty())
        return usage();

    RecordingSink sink;
    blx52::DeviceLink link(&sink);
    link.PortName = port;
    link.Exchange(*command, static_cast<int>(command->size()));

    std::printf("reply: %s\n", blx52::escapedText(link.LastReply).c_str());
    std::printf("code: %d\n", static_cast<int>(link.LinkErrorCode));
    for (const auto& [panel, text] : sink.texts)
        std::printf("panel %d: %s\n", panel, text.c_str());
    return link.LinkErrorCode == blx52::link_code::Ok ? 0 : 1;
}
