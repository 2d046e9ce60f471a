// The alpha arithmetic behind every picture the launcher draws, on plain
// 24-bit pixel rows (blue, green, red bytes, as in a 24-bit device-independent
// section). The Windows side only copies the screen into such rows and back.
#pragma once

#include "Bitmap32.h"

#include <cstddef>
#include <cstdint>

namespace norvane {

// source * alpha + destination * (255 - alpha), divided by 255 and rounded,
// with shifts instead of a division.
inline std::uint8_t BlendChannel(unsigned source, unsigned destination, unsigned alpha) {
    unsigned t = source * alpha + destination * (255u - alpha) + 128u;
    return static_cast<std::uint8_t>((t + (t >> 8)) >> 8);
}

// A destination of width x height pixels: row j starts at bits + j * stride.
struct BgrRows {
    std::uint8_t* bits = nullptr;
    std::size_t stride = 0;
    int width = 0;
    int height = 0;
};

// Blends the image over the destination, repeated from its top-left corner:
// destination pixel (i, j) takes source pixel (i mod image width, j mod image
// height). Alpha 0 leaves the destination, alpha 255 replaces it, anything else
// goes through BlendChannel. Does nothing for an empty image.
void BlendTiled(const Bitmap32& image, const BgrRows& destination);

// Blends a solid colour (0x00BBGGRR) at the given opacity over every pixel.
void FillTranslucentRows(const BgrRows& destination, std::uint32_t colour, std::uint8_t opacity);

// Meter drawing: the part of the image starting at (sourceX, sourceY),
// sourceWidth x sourceHeight (-1: the image's, the width cut to the
// destination's), blended onto the destination's top-left corner. Every pixel
// goes through BlendChannel, also alpha 0 and 255; a source index that lies
// beyond the image is skipped. Rows are addressed top-down here; a caller with
// a bottom-up section passes its last row and a negative stride.
void BlendRegion(const Bitmap32& image, std::uint8_t* bits, std::ptrdiff_t stride, int width, int height,
                 int sourceX, int sourceY, int sourceWidth, int sourceHeight);

} // namespace norvane
