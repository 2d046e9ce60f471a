// BMP file layout for the screen capture.
#include "BmpWriter.h"

#include <cstring>

namespace norvane {

namespace {

constexpr std::uint16_t kBmpMagic = 0x4D42; // "BM"
constexpr std::uint32_t kCompressionNone = 0;
constexpr std::uint32_t kCompressionBitFields = 3;
constexpr std::uint64_t kMaxFileBytes = 0xFFFFFFFFull;

void Put16(std::vector<std::uint8_t>& out, std::uint16_t v) {
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}

void Put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    for (int shift = 0; shift < 32; shift += 8) {
        out.push_back(static_cast<std::uint8_t>(v >> shift));
    }
}

std::uint64_t ImageBytes(const BmpPicture& picture) {
    return static_cast<std::uint64_t>(BmpRowBytes(picture.width, picture.bitsPerPixel)) *
           static_cast<std::uint64_t>(picture.height);
}

} // namespace

std::size_t BmpRowBytes(int width, int bitsPerPixel) {
    if (width <= 0 || bitsPerPixel <= 0) {
        return 0;
    }
    const std::uint64_t bits = static_cast<std::uint64_t>(bitsPerPixel) * static_cast<std::uint64_t>(width);
    return static_cast<std::size_t>((bits + 31) / 32 * 4);
}

int BmpColourEntries(int bitsPerPixel) {
    switch (bitsPerPixel) {
    case 1:
    case 2:
    case 4:
    case 8:
        return 1 << bitsPerPixel;
    case 16:
    case 32:
        return 3;
    default:
        return 0;
    }
}

bool IsWritableBmp(const BmpPicture& picture) {
    switch (picture.bitsPerPixel) {
    case 1:
    case 2:
    case 4:
    case 8:
    case 16:
    case 24:
    case 32:
        break;
    default:
        return false;
    }
    if (picture.width <= 0 || picture.height <= 0) {
        return false;
    }
    const std::uint64_t headers =
        kBmpFileHeaderBytes + kBmpInfoHeaderBytes + 4u * BmpColourEntries(picture.bitsPerPixel);
    return headers + ImageBytes(picture) <= kMaxFileBytes;
}

std::vector<std::uint8_t> BmpHeaders(const BmpPicture& picture) {
    std::vector<std::uint8_t> out;
    if (!IsWritableBmp(picture)) {
        return out;
    }
    const int bits = picture.bitsPerPixel;
    const int entries = BmpColourEntries(bits);
    const auto imageBytes = static_cast<std::uint32_t>(ImageBytes(picture));
    const auto offset = static_cast<std::uint32_t>(kBmpFileHeaderBytes + kBmpInfoHeaderBytes + 4u * entries);
    out.reserve(offset);

    // The file header.
    Put16(out, kBmpMagic);
    Put32(out, offset + imageBytes);
    Put16(out, 0);
    Put16(out, 0);
    Put32(out, offset);

    // The information header: a positive height stores the rows bottom-up.
    Put32(out, static_cast<std::uint32_t>(kBmpInfoHeaderBytes));
    Put32(out, static_cast<std::uint32_t>(picture.width));
    Put32(out, static_cast<std::uint32_t>(picture.height));
    Put16(out, 1);
    Put16(out, static_cast<std::uint16_t>(bits));
    Put32(out, (bits == 16 || bits == 32) ? kCompressionBitFields : kCompressionNone);
    Put32(out, imageBytes);
    Put32(out, 0); // horizontal resolution
    Put32(out, 0); // vertical resolution
    Put32(out, 0); // colours used: the whole table
    Put32(out, 0); // important colours: all

    if (bits == 16) {
        Put32(out, bmpmask::kRed16);
        Put32(out, bmpmask::kGreen16);
        Put32(out, bmpmask::kBlue16);
    } else if (bits == 32) {
        Put32(out, bmpmask::kRed32);
        Put32(out, bmpmask::kGreen32);
        Put32(out, bmpmask::kBlue32);
    } else {
        for (int i = 0; i < entries; ++i) {
            // 0x00RRGGBB written little-endian is the table's blue, green, red, 0.
            Put32(out, i < static_cast<int>(picture.colours.size()) ? (picture.colours[i] & 0xFFFFFFu) : 0u);
        }
    }
    return out;
}

std::vector<std::uint8_t> EncodeBmp(const BmpPicture& picture, const std::uint8_t* bottomUpRows) {
    std::vector<std::uint8_t> out = BmpHeaders(picture);
    if (out.empty() || bottomUpRows == nullptr) {
        return {};
    }
    const std::size_t imageBytes = static_cast<std::size_t>(ImageBytes(picture));
    const std::size_t headerBytes = out.size();
    out.resize(headerBytes + imageBytes);
    std::memcpy(out.data() + headerBytes, bottomUpRows, imageBytes);
    return out;
}

std::vector<std::uint32_t> StandardPalette(int bitsPerPixel) {
    std::vector<std::uint32_t> colours;
    switch (bitsPerPixel) {
    case 1:
        colours = {0x000000, 0xFFFFFF};
        break;
    case 2:
        colours = {0x000000, 0x808080, 0xC0C0C0, 0xFFFFFF};
        break;
    case 4:
        colours = {0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0xC0C0C0,
                   0x808080, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF};
        break;
    case 8: {
        // The first ten and the last ten are the static colours every palette keeps.
        colours = {0x000000, 0x800000, 0x008000, 0x808000, 0x000080,
                   0x800080, 0x008080, 0xC0C0C0, 0xC0DCC0, 0xA6CAF0};
        static constexpr std::uint32_t kLevels[6] = {0x00, 0x33, 0x66, 0x99, 0xCC, 0xFF};
        for (std::uint32_t r : kLevels) {
            for (std::uint32_t g : kLevels) {
                for (std::uint32_t b : kLevels) {
                    colours.push_back(r << 16 | g << 8 | b);
                }
            }
        }
        // Greys between the cube's levels fill the rest.
        while (colours.size() < 246) {
            const std::uint32_t step = static_cast<std::uint32_t>(colours.size() - 226);
            const std::uint32_t grey = 0x08 + step * 0x0C;
            colours.push_back(grey << 16 | grey << 8 | grey);
        }
        const std::uint32_t last[10] = {0xFFFBF0, 0xA0A0A4, 0x808080, 0xFF0000, 0x00FF00,
                                        0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF};
        colours.insert(colours.end(), last, last + 10);
        break;
    }
    default:
        break;
    }
    return colours;
}

} // namespace norvane
