#include "slot_table.h"

#include <array>

#include "link/command_keys.h"

namespace blx52 {

namespace {

struct SectionNames {
    const char* key;          // in the command
    const char* fileWord;     // in both file names
    const char* comboWord;    // in the editor's slot list
    int pictures;
    std::array<int, 6> buttons;  // main-window BitBtn numbers, by picture index
};

// The in2 and in3 buttons of the main window are not numbered in slot order.
constexpr std::array<SectionNames, 6> sections = {{
    {"in0", "In0", "In0", 4, {1, 2, 3, 4}},
    {"in1", "In1", "In1", 4, {5, 6, 7, 8}},
    {"in2", "In2", "In2", 4, {15, 11, 16, 12}},
    {"in3", "In12", "In12", 4, {14, 9, 13, 10}},
    {"res", "Res", "Reset", 6, {17, 18, 19, 20, 21, 22}},
    {"sby", "Sby", "StandBy", 3, {23, 24, 25}},
}};

std::vector<PictureSlot> buildSlots() {
    std::vector<PictureSlot> out;
    for (int s = 0; s < static_cast<int>(sections.size()); ++s) {
        const auto& sec = sections[s];
        for (int p = 0; p < sec.pictures; ++p) {
            const std::string pic = "Pic" + std::to_string(p);
            out.push_back({100 + 10 * s + p, s, p, pictureDataKey(sec.key, p),
                           pic + "_" + sec.fileWord + ".ledframe",
                           std::string(sec.fileWord) + "_" + pic + ".bmp",
                           std::string(sec.comboWord) + "_" + pic,
                           "BitBtn" + std::to_string(sec.buttons[p])});
        }
    }
    return out;
}

}  // namespace

const std::vector<PictureSlot>& pictureSlots() {
    static const std::vector<PictureSlot> slots = buildSlots();
    return slots;
}

int slotIndex(int code) {
    const auto& slots = pictureSlots();
    for (int i = 0; i < static_cast<int>(slots.size()); ++i) {
        if (slots[i].code == code) return i;
    }
    return -1;
}

const PictureSlot* findSlot(int code) {
    const int i = slotIndex(code);
    return i < 0 ? nullptr : &pictureSlots()[i];
}

const PictureSlot* findSlotByButton(const std::string& mainButton) {
    for (const auto& slot : pictureSlots()) {
        if (slot.mainButton == mainButton) return &slot;
    }
    return nullptr;
}

}  // namespace blx52
