// Helpers for the image tests: where the committed fixtures lie, reading them,
// and writing small TGA files by hand.
#pragma once

#include "Bitmap32.h"
#include "ImageFile.h"
#include "TextCodec.h"

#include <cstdint>
#include <string>
#include <vector>

namespace norvane::testing {

// The fixture folder beside this header. Under Wine the Linux root is Z:.
inline std::wstring ImageDataPath(const std::string& name) {
    // The build gives the folder: __FILE__ is relative when ccache rewrites paths.
    std::string folder = NORVANE_IMAGE_DATA_DIR;
#ifdef _WIN32
    if (!folder.empty() && folder[0] == '/')
        folder = "Z:" + folder;
    for (char& c : folder) {
        if (c == '/')
            c = '\\';
    }
#endif
    return Utf8ToUtf16(folder + name);
}

inline std::vector<std::uint8_t> ReadImageData(const std::string& name) {
    std::vector<std::uint8_t> bytes;
    ReadFileBytes(ImageDataPath(name), bytes, 1 << 20);
    return bytes;
}

struct TgaPixel {
    std::uint8_t r, g, b, a;
};

// An 18-byte header followed by whatever the test appends.
inline std::vector<std::uint8_t> TgaHeader(std::uint8_t type, int width, int height, std::uint8_t depth,
                                           std::uint8_t descriptor, std::uint8_t idLength = 0,
                                           std::uint8_t colourMapType = 0) {
    return {idLength,
            colourMapType,
            type,
            0,
            0,
            0,
            0,
            0,
            0,
            0,
            0,
            0,
            static_cast<std::uint8_t>(width & 0xFF),
            static_cast<std::uint8_t>(width >> 8),
            static_cast<std::uint8_t>(height & 0xFF),
            static_cast<std::uint8_t>(height >> 8),
            depth,
            descriptor};
}

inline void AppendPixel(std::vector<std::uint8_t>& bytes, TgaPixel p, int depth) {
    bytes.push_back(p.b);
    bytes.push_back(p.g);
    bytes.push_back(p.r);
    if (depth == 32)
        bytes.push_back(p.a);
}

// The RGBA value of pixel (x, y) packed as 0xRRGGBBAA, for readable failures.
inline std::uint32_t PixelAt(const Bitmap32& image, int x, int y) {
    std::size_t i = static_cast<std::size_t>(y) * image.Width() + x;
    return (std::uint32_t(image.Red()[i]) << 24) | (std::uint32_t(image.Green()[i]) << 16) |
           (std::uint32_t(image.Blue()[i]) << 8) | image.Alpha()[i];
}

} // namespace norvane::testing
