// The BMP files of the screen capture: the 14-byte file header, the 40-byte
// information header, the colour table (or the colour masks of 16 and 32 bits
// per pixel) and the pixel rows, bottom row first. Portable: it only lays out
// bytes; the capture hands it the rows of a device-independent section.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace norvane {

struct BmpPicture {
    int width = 0;
    int height = 0;
    // 1, 2, 4 or 8 (with a colour table), 16 (RGB 555), 24 (blue, green, red)
    // or 32 (blue, green, red and an unused byte).
    int bitsPerPixel = 0;
    // The colour table of 1 to 8 bits per pixel, each entry 0x00RRGGBB; padded
    // with black to the full table (2, 4, 16 or 256 entries), extra entries are
    // left out. Ignored for the other depths.
    std::vector<std::uint32_t> colours;
};

// Colour masks written for 16 and 32 bits per pixel.
namespace bmpmask {
inline constexpr std::uint32_t kRed16 = 0x7C00;
inline constexpr std::uint32_t kGreen16 = 0x03E0;
inline constexpr std::uint32_t kBlue16 = 0x001F;
inline constexpr std::uint32_t kRed32 = 0x00FF0000;
inline constexpr std::uint32_t kGreen32 = 0x0000FF00;
inline constexpr std::uint32_t kBlue32 = 0x000000FF;
} // namespace bmpmask

inline constexpr std::size_t kBmpFileHeaderBytes = 14;
inline constexpr std::size_t kBmpInfoHeaderBytes = 40;

// Bytes of one stored row: rows are padded to whole 32-bit words.
std::size_t BmpRowBytes(int width, int bitsPerPixel);
// Entries after the information header: 2, 4, 16 or 256 colours for 1 to 8 bits,
// three masks for 16 and 32 bits, none for 24.
int BmpColourEntries(int bitsPerPixel);
// Whether the picture can be written: a valid depth, width and height of at
// least 1, and a file that stays within 4 GB.
bool IsWritableBmp(const BmpPicture& picture);

// The file header, the information header and the colour entries; empty when
// the picture cannot be written. The pixel rows follow them in the file:
// height rows of BmpRowBytes each, the bottom row first.
std::vector<std::uint8_t> BmpHeaders(const BmpPicture& picture);
// The whole file, with rows taken from bottomUpRows (height rows of
// BmpRowBytes each, the bottom row first); empty when it cannot be written.
std::vector<std::uint8_t> EncodeBmp(const BmpPicture& picture, const std::uint8_t* bottomUpRows);

// The colours a picture of 1 to 8 bits per pixel gets when the bitmap has none
// of its own: black and white; four greys; the sixteen standard colours; the
// twenty static colours with a colour cube and a grey ramp between them.
std::vector<std::uint32_t> StandardPalette(int bitsPerPixel);

} // namespace norvane
