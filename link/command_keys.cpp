#include "command_keys.h"

#include <array>

namespace blx52 {

namespace {

std::string verbText(Verb verb) {
    return verb == Verb::Get ? "get" : "set";
}

std::string sequenceKey(Verb verb, std::string_view section, std::string_view item, int index,
                        std::string_view suffix) {
    std::string key = verbText(verb);
    key += section;
    key += item;
    key += indexChar(index);
    key += suffix;
    return key;
}

constexpr std::array<std::string_view, 4> inputSections = {"in0", "in1", "in2", "in3"};
constexpr int inputSteps = 4;
constexpr int startPictures = 6;
constexpr int startToneSteps = 12;
constexpr int standbyPictures = 3;
constexpr int testOutputs = 3;

void addVerbKeys(std::vector<std::string>& keys, Verb verb) {
    for (auto section : inputSections) {
        for (int i = 0; i < inputSteps; ++i)
            keys.push_back(pictureDurationKey(verb, section, i));
    }
    for (int i = 0; i < startPictures; ++i)
        keys.push_back(pictureDurationKey(verb, "res", i));
    for (auto section : inputSections) {
        for (int i = 0; i < inputSteps; ++i)
            keys.push_back(toneDurationKey(verb, section, i));
    }
    for (int i = 0; i < startToneSteps; ++i)
        keys.push_back(toneDurationKey(verb, "res", i));
    for (auto section : inputSections) {
        for (int i = 0; i < inputSteps; ++i)
            keys.push_back(tonePitchKey(verb, section, i));
    }
    for (int i = 0; i < startToneSteps; ++i)
        keys.push_back(tonePitchKey(verb, "res", i));
    for (auto section : inputSections)
        keys.push_back(repeatsKey(verb, section));
    for (auto section : inputSections)
        keys.push_back(volumeKey(verb, section));
    keys.push_back(standbyPictureKey(verb));
}

}  // namespace

char indexChar(int index) {
    static constexpr std::string_view chars = "0123456789ab";
    if (index < 0 || index >= static_cast<int>(chars.size()))
        return '?';
    return chars[static_cast<std::size_t>(index)];
}

std::string pictureDurationKey(Verb verb, std::string_view section, int index) {
    return sequenceKey(verb, section, "pic", index, "t");
}

std::string toneDurationKey(Verb verb, std::string_view section, int index) {
    return sequenceKey(verb, section, "ton", index, "t");
}

std::string tonePitchKey(Verb verb, std::string_view section, int index) {
    return sequenceKey(verb, section, "ton", index, "p");
}

std::string repeatsKey(Verb verb, std::string_view section) {
    return verbText(verb) + std::string(section) + "tonr";
}

std::string volumeKey(Verb verb, std::string_view section) {
    return verbText(verb) + std::string(section) + "tonv";
}

// The device's set key carries a trailing underscore; its get key does not.
std::string standbyPictureKey(Verb verb) {
    return verb == Verb::Get ? "getsbypic" : "setsbypic_";
}

std::string brightnessKey(Verb verb) {
    return verbText(verb) + "_brightness";
}

std::string pictureDataKey(std::string_view section, int index) {
    return sequenceKey(Verb::Set, section, "pic", index, "d_");
}

std::string testOutputKey(int input, bool on) {
    std::string key = "outin";
    key += indexChar(input);
    key += '_';
    key += on ? '1' : '0';
    return key;
}

std::vector<std::string> allCommandKeys() {
    std::vector<std::string> keys;
    keys.reserve(209);
    keys.emplace_back(FirmwareKey);
    keys.push_back(brightnessKey(Verb::Get));
    addVerbKeys(keys, Verb::Get);
    keys.push_back(brightnessKey(Verb::Set));
    keys.emplace_back(WriteFlagKey);
    addVerbKeys(keys, Verb::Set);
    for (auto section : inputSections) {
        for (int i = 0; i < inputSteps; ++i)
            keys.push_back(pictureDataKey(section, i));
    }
    for (int i = 0; i < startPictures; ++i)
        keys.push_back(pictureDataKey("res", i));
    for (int i = 0; i < standbyPictures; ++i)
        keys.push_back(pictureDataKey("sby", i));
    for (int input = 0; input < testOutputs; ++input) {
        keys.push_back(testOutputKey(input, false));
        keys.push_back(testOutputKey(input, true));
    }
    return keys;
}

}  // namespace blx52
