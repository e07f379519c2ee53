#pragma once

#include <string>
#include <vector>

namespace blx52 {

// One of the device's 25 pictures and everything named after it.
struct PictureSlot {
    int code;                    // 100 + 10 × section number + picture index
    int sectionNumber;           // in0 0, in1 1, in2 2, in3 3, res 4, sby 5
    int picture;                 // index within the section
    std::string command;         // "setin0pic0d_", 12 characters
    std::string devicePictureFile;  // "Pic0_In0.ledframe"
    std::string bitmapFile;      // "In0_Pic0.bmp"
    std::string comboEntry;      // "In0_Pic0"; its index in the editor's list is the row number
    std::string mainButton;      // "BitBtn1"
};

// The 25 slots in the order of the editor's slot list.
const std::vector<PictureSlot>& pictureSlots();
const PictureSlot* findSlot(int code);
const PictureSlot* findSlotByButton(const std::string& mainButton);
int slotIndex(int code);  // row in pictureSlots(), -1 when unknown

}  // namespace blx52
