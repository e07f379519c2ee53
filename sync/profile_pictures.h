#pragma once

#include <QByteArray>
#include <QString>
#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace blx52 {

struct PictureSlot;

// A bundle is a profile of format 2: the settings as in format 1, plus optional picture
// sections, one per slot, each the slot's 1024 colour codes as the device picture file orders
// them (row 0 first, 32 codes a row):
//
//   [picture In0_Pic0]
//   00000000000000033000000000000000
//   ... 32 rows
inline constexpr int ProfilePictureRows = 32;
inline constexpr int ProfilePictureColumns = 32;

struct ProfilePicture {
    int slotCode = 0;
    std::array<std::uint8_t, ProfilePictureRows * ProfilePictureColumns> codes{};
};

// "[picture In0_Pic0]" and its 32 rows, each ending in '\n'.
QByteArray composePictureSection(const ProfilePicture& picture);

// Reads the picture sections of a format 2 file line by line, beside the settings' parse.
class PictureSectionReader {
  public:
    using ErrorSink = std::function<void(int line, const QString& reason)>;
    explicit PictureSectionReader(ErrorSink errors) : errors_(std::move(errors)) {}

    // Takes the line (trimmed, comments removed) when it belongs to a picture section: a
    // header, or one of the rows after it. False when it is for the settings' parse. A line
    // that ends a section before its 32 rows reports the short section and is not taken.
    bool take(int line, const QString& content);
    // The end of the file: a section still open is short.
    void finish(int lastLine);

    // The pictures in slot order.
    std::vector<ProfilePicture> pictures() const;

  private:
    void closeShort(int line);

    ErrorSink errors_;
    std::vector<ProfilePicture> pictures_;
    std::vector<int> givenOn_;  // by slot row, the header line; 0 when not given
    std::optional<ProfilePicture> open_;
    QString openName_;
    int openLine_ = 0;
    int rows_ = 0;
    bool openUsable_ = false;  // an unknown or doubled slot's rows are read but not kept
};

}  // namespace blx52
