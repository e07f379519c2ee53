#include "plane_data.h"

namespace blx52 {

int planeGroupOfRow(int row) {
    return 2 * (row % 16) + row / 16;
}

std::array<std::uint8_t, PlaneDataSize> PlaneData(const Picture& picture) {
    std::array<std::uint8_t, PlaneDataSize> data{};
    for (int y = 0; y < Picture::Height; ++y) {
        const int group = planeGroupOfRow(y) * PlaneGroupSize;
        for (int x = 0; x < Picture::Width; ++x) {
            const int code = picture.code(x, y);
            const auto bit = static_cast<std::uint8_t>(0x80u >> (x % 8));
            for (int plane = 0; plane < 3; ++plane) {
                if (code & (1 << plane)) {
                    data[static_cast<std::size_t>(group + 4 * plane + x / 8)] |= bit;
                }
            }
        }
    }
    return data;
}

CodeGrid makeCodeGrid(const Picture& picture) {
    CodeGrid grid;
    for (int y = 0; y < Picture::Height; ++y) {
        for (int x = 0; x < Picture::Width; ++x) {
            grid.codes[static_cast<std::size_t>(y * Picture::Width + x)] =
                static_cast<std::uint8_t>(picture.code(x, y));
        }
    }
    return grid;
}

std::vector<std::uint8_t> pictureCommand(const PictureSlot& slot, const Picture& picture) {
    std::vector<std::uint8_t> command(slot.command.begin(), slot.command.end());
    const auto data = PlaneData(picture);
    command.insert(command.end(), data.begin(), data.end());
    return command;
}

}  // namespace blx52
