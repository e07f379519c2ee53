#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace blx52 {

// The device's command language: keys are verb + section + item + index + suffix, written
// together. Index characters run "0" … "9", then "a" for 10 and "b" for 11.
enum class Verb { Get, Set };

char indexChar(int index);

std::string pictureDurationKey(Verb verb, std::string_view section, int index);  // 11 chars
std::string toneDurationKey(Verb verb, std::string_view section, int index);     // 11 chars
std::string tonePitchKey(Verb verb, std::string_view section, int index);        // 11 chars
std::string repeatsKey(Verb verb, std::string_view section);                     // 10 chars
std::string volumeKey(Verb verb, std::string_view section);                      // 10 chars
std::string standbyPictureKey(Verb verb);  // "getsbypic" (9) / "setsbypic_" (10)
std::string brightnessKey(Verb verb);      // "get_brightness" / "set_brightness" (14)
std::string pictureDataKey(std::string_view section, int index);  // 12 chars, 512 bytes follow
std::string testOutputKey(int input, bool on);                    // "outin0_1" (8 chars)

inline constexpr std::string_view FirmwareKey = "getdatafw";
inline constexpr std::string_view WriteFlagKey = "set_wt_flag";
inline constexpr std::string_view WriteFlagValue = "123";
inline constexpr int PictureDataLength = 512;

// Every key the program sends, 209 in all.
std::vector<std::string> allCommandKeys();

}  // namespace blx52
