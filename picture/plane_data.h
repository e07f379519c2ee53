#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "picture/picture.h"
#include "picture/slot_table.h"

namespace blx52 {

// The picture as the device takes it: 32 groups of 16 bytes, one per row, rows in the order
// 0, 16, 1, 17, … 15, 31. In a group, bytes 0–3 are the red plane, 4–7 green, 8–11 blue (the
// most significant bit is the leftmost column of each eight), 12–15 stay 0.
inline constexpr int PlaneDataSize = 512;
inline constexpr int PlaneGroupSize = 16;

int planeGroupOfRow(int row);  // 2 × (row mod 16) + row / 16
std::array<std::uint8_t, PlaneDataSize> PlaneData(const Picture& picture);

// The LED code (0 … 7) of every pixel; byte y × 32 + x, which is also the device picture file.
struct CodeGrid {
    static constexpr int Size = Picture::Width * Picture::Height;

    std::array<std::uint8_t, Size> codes{};

    int at(int x, int y) const { return codes[static_cast<std::size_t>(y * Picture::Width + x)]; }
};

CodeGrid makeCodeGrid(const Picture& picture);

// The slot's 12-character command immediately followed by the 512 plane bytes (524 bytes).
// The data may hold any byte value, 0, 10 and 13 included: pass it on with its length.
std::vector<std::uint8_t> pictureCommand(const PictureSlot& slot, const Picture& picture);

}  // namespace blx52
