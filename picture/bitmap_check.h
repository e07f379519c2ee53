#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace blx52 {

enum class BitmapLayout { Fine, Unreadable, WrongSize };

// Checks the bytes of a BMP file before the toolkit's reader sees them. That reader trusts the
// headers: a palette or colour masks that run into the pixel data, rows that stop before the
// file's end or palette indexes beyond the palette leave pixels uninitialised or unmapped, and
// the picture would differ from load to load. Taken are 32 × 32 uncompressed files (plain rows
// of 1, 4, 8, 16, 24 or 32 bits, or 16/32 bits with colour masks) with a 12-, 40-, 52-, 56-,
// 108- or 124-byte information header; everything else is refused.
//
// The reader knows no 52- or 56-byte header: such a header is rewritten here to the 40-byte one
// followed by its masks, which is the same byte layout.
BitmapLayout checkBitmap(QByteArray& bytes);

// Why an image file of any size is refused before it is decoded, or nothing. The decoders take a
// cut file without an error and fill what is missing from memory (BMP) or with a colour of their
// own (GIF, JPEG, XBM): a BMP must pass the checks of checkBitmap() (any size), a GIF's first
// frame, a JPEG's data up to its end marker and an XBM's bytes must all lie in the file. A
// 52- or 56-byte BMP header is rewritten as checkBitmap() does. Other formats pass.
std::optional<QString> incompleteImage(QByteArray& bytes);

}  // namespace blx52
