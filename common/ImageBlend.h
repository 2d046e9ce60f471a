// The alpha arithmetic behind every picture the launcher draws, on plain rows
// of 24-bit pixels (blue, green, red bytes, as in a 24-bit device-independent
// section) or 32-bit pixels (blue, green, red and an unused byte, as in a 32-bit
// section). The Windows side only finds or makes such rows.
#pragma once

#include "Bitmap32.h"

#include <cstddef>
#include <cstdint>

namespace norvane {

// source * alpha + destination * (255 - alpha), divided by 255 and rounded,
// with shifts instead of a division. Every intermediate value stays below
// 65536, so the sums are kept in 16 bits: that lets the compiler blend eight or
// more channels in one vector operation without changing a single result.
inline std::uint8_t BlendChannel(unsigned source, unsigned destination, unsigned alpha) {
    const std::uint16_t t = static_cast<std::uint16_t>(source * alpha + destination * (255u - alpha) + 128u);
    const std::uint16_t u = static_cast<std::uint16_t>(t + (t >> 8));
    return static_cast<std::uint8_t>(u >> 8);
}

// A destination of width x height 24-bit pixels: row j starts at
// bits + j * stride (a bottom-up section passes its top row and a negative stride).
struct BgrRows {
    std::uint8_t* bits = nullptr;
    std::ptrdiff_t stride = 0;
    int width = 0;
    int height = 0;
};

// The same with 32-bit pixels. Every pixel written leaves its fourth byte 0,
// as a copy through a 24-bit section would.
struct BgrxRows {
    std::uint8_t* bits = nullptr;
    std::ptrdiff_t stride = 0;
    int width = 0;
    int height = 0;
};

// Blends the image over the destination, repeated: destination pixel (i, j)
// takes source pixel ((i + originX) mod image width, (j + originY) mod image
// height), so that a destination cut out of a larger tiled rectangle continues
// its pattern. Alpha 0 leaves the destination, alpha 255 replaces it, anything
// else goes through BlendChannel. Does nothing for an empty image.
void BlendTiled(const Bitmap32& image, const BgrRows& destination, int originX = 0, int originY = 0);
void BlendTiled(const Bitmap32& image, const BgrxRows& destination, int originX = 0, int originY = 0);

// Blends a solid colour (0x00BBGGRR) at the given opacity over every pixel.
void FillTranslucentRows(const BgrRows& destination, std::uint32_t colour, std::uint8_t opacity);
void FillTranslucentRows(const BgrxRows& destination, std::uint32_t colour, std::uint8_t opacity);

// Meter drawing: the part of the image starting at (sourceX, sourceY),
// sourceWidth x sourceHeight (-1: the image's, the width cut to the
// destination's), blended onto the destination's top-left corner. Every pixel
// goes through BlendChannel, also alpha 0 and 255; a source index that lies
// beyond the image is skipped. Rows are addressed top-down here; a caller with
// a bottom-up section passes its last row and a negative stride.
void BlendRegion(const Bitmap32& image, std::uint8_t* bits, std::ptrdiff_t stride, int width, int height,
                 int sourceX, int sourceY, int sourceWidth, int sourceHeight);

} // namespace norvane
