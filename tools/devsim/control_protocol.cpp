#include "control_protocol.h"

#include <charconv>
#include <sstream>

namespace blx52::devsim::control {

namespace {

std::string pair(const std::string& key, const std::string& value) {
    return token(key) + ":" + token(value);
}

std::optional<std::pair<std::string, std::string>> fromPair(const std::string& text) {
    const auto colon = text.find(':');
    if (colon == std::string::npos)
        return std::nullopt;
    auto key = fromToken(text.substr(0, colon));
    auto value = fromToken(text.substr(colon + 1));
    if (!key || !value)
        return std::nullopt;
    return std::pair{*key, *value};
}

}  // namespace

std::optional<long long> number(const std::string& text) {
    long long value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc{} || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

std::string token(const std::string& bytes) {
    static constexpr char hex[] = "0123456789abcdef";
    std::string out = "x";
    for (const char ch : bytes) {
        const auto c = static_cast<unsigned char>(ch);
        out += hex[c >> 4];
        out += hex[c & 15];
    }
    return out;
}

std::optional<std::string> fromToken(const std::string& token) {
    if (token.empty() || token[0] != 'x' || token.size() % 2 != 1)
        return std::nullopt;
    auto nibble = [](char c) -> int {
        if (c >= '0' && c <= '9')
            return c - '0';
        if (c >= 'a' && c <= 'f')
            return c - 'a' + 10;
        return -1;
    };
    std::string out;
    for (std::size_t i = 1; i < token.size(); i += 2) {
        const int high = nibble(token[i]);
        const int low = nibble(token[i + 1]);
        if (high < 0 || low < 0)
            return std::nullopt;
        out += static_cast<char>(high * 16 + low);
    }
    return out;
}

std::vector<std::string> words(const std::string& line) {
    std::vector<std::string> out;
    std::istringstream in(line);
    for (std::string word; in >> word;)
        out.push_back(word);
    return out;
}

std::string encodeOptions(const Options& o) {
    std::ostringstream out;
    out << "silent=" << o.silent << " delay=" << o.delayMs << " paced=" << o.paced
        << " long=" << o.longReplies << " nocrlf=" << o.noLineEnd << " garbage=" << o.garbage
        << " seed=" << o.garbageSeed << " hangup=" << o.hangUpAfter
        << " stopreading=" << o.stopReadingAfter << " latency=" << o.latencyMs;
    for (const auto& key : o.ignoredKeys)
        out << " ignore=" << token(key);
    for (const auto& [key, reply] : o.replyOverrides)
        out << " reply=" << pair(key, reply);
    for (const auto& [line, bytes] : o.rawReplies)
        out << " raw=" << pair(line, bytes);
    return out.str();
}

std::optional<Options> decodeOptions(const std::vector<std::string>& words) {
    Options o;
    for (const std::string& word : words) {
        const auto eq = word.find('=');
        if (eq == std::string::npos)
            return std::nullopt;
        const std::string name = word.substr(0, eq);
        const std::string value = word.substr(eq + 1);
        if (name == "ignore") {
            auto key = fromToken(value);
            if (!key)
                return std::nullopt;
            o.ignoredKeys.insert(*key);
            continue;
        }
        if (name == "reply" || name == "raw") {
            auto p = fromPair(value);
            if (!p)
                return std::nullopt;
            (name == "reply" ? o.replyOverrides : o.rawReplies)[p->first] = p->second;
            continue;
        }
        const auto n = number(value);
        if (!n)
            return std::nullopt;
        if (name == "silent") {
            o.silent = *n != 0;
        } else if (name == "delay") {
            o.delayMs = static_cast<int>(*n);
        } else if (name == "paced") {
            o.paced = *n != 0;
        } else if (name == "long") {
            o.longReplies = *n != 0;
        } else if (name == "nocrlf") {
            o.noLineEnd = *n != 0;
        } else if (name == "garbage") {
            o.garbage = *n != 0;
        } else if (name == "seed") {
            o.garbageSeed = static_cast<unsigned>(*n);
        } else if (name == "hangup") {
            o.hangUpAfter = static_cast<int>(*n);
        } else if (name == "stopreading") {
            o.stopReadingAfter = static_cast<int>(*n);
        } else if (name == "latency") {
            o.latencyMs = static_cast<int>(*n);
        } else {
            return std::nullopt;
        }
    }
    return o;
}

}  // namespace blx52::devsim::control
