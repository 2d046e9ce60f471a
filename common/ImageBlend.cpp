// Alpha blending onto 24-bit rows.
#include "ImageBlend.h"

#include <algorithm>

namespace norvane {

namespace {

// Blends count pixels of the four plane rows onto the 24-bit row d. Pixels are
// taken in groups of eight: a group that is wholly transparent is skipped, a
// wholly opaque one copied; only mixed groups go through the arithmetic, which
// leaves alpha 0 and 255 exact, without branches, so it vectorises.
inline void BlendRun(const std::uint8_t* r, const std::uint8_t* g, const std::uint8_t* b,
                     const std::uint8_t* a, int count, std::uint8_t* d) {
    constexpr int kGroup = 8;
    int k = 0;
    for (; k + kGroup <= count; k += kGroup) {
        unsigned any = 0, all = 255;
        for (int i = 0; i < kGroup; ++i) {
            any |= a[k + i];
            all &= a[k + i];
        }
        std::uint8_t* out = d + 3 * k;
        if (any == 0)
            continue;
        if (all == 255) {
            for (int i = 0; i < kGroup; ++i) {
                out[3 * i] = b[k + i];
                out[3 * i + 1] = g[k + i];
                out[3 * i + 2] = r[k + i];
            }
            continue;
        }
        for (int i = 0; i < kGroup; ++i) {
            const unsigned alpha = a[k + i];
            out[3 * i] = BlendChannel(b[k + i], out[3 * i], alpha);
            out[3 * i + 1] = BlendChannel(g[k + i], out[3 * i + 1], alpha);
            out[3 * i + 2] = BlendChannel(r[k + i], out[3 * i + 2], alpha);
        }
    }
    for (; k < count; ++k) {
        const unsigned alpha = a[k];
        std::uint8_t* out = d + 3 * k;
        if (alpha == 0)
            continue;
        if (alpha == 255) {
            out[0] = b[k];
            out[1] = g[k];
            out[2] = r[k];
            continue;
        }
        out[0] = BlendChannel(b[k], out[0], alpha);
        out[1] = BlendChannel(g[k], out[1], alpha);
        out[2] = BlendChannel(r[k], out[2], alpha);
    }
}

} // namespace

void BlendTiled(const Bitmap32& image, const BgrRows& destination) {
    if (image.IsEmpty() || !destination.bits || destination.width <= 0 || destination.height <= 0)
        return;
    const int w = image.Width();
    const int h = image.Height();
    for (int j = 0; j < destination.height; ++j) {
        const std::size_t rowStart = static_cast<std::size_t>(j % h) * w;
        const std::uint8_t* r = image.Red() + rowStart;
        const std::uint8_t* g = image.Green() + rowStart;
        const std::uint8_t* b = image.Blue() + rowStart;
        const std::uint8_t* a = image.Alpha() + rowStart;
        std::uint8_t* d = destination.bits + static_cast<std::size_t>(j) * destination.stride;
        for (int i = 0; i < destination.width; i += w) {
            const int count = std::min(w, destination.width - i);
            BlendRun(r, g, b, a, count, d + static_cast<std::size_t>(i) * 3);
        }
    }
}

void FillTranslucentRows(const BgrRows& destination, std::uint32_t colour, std::uint8_t opacity) {
    if (!destination.bits || destination.width <= 0 || destination.height <= 0)
        return;
    const unsigned red = colour & 0xFF;
    const unsigned green = (colour >> 8) & 0xFF;
    const unsigned blue = (colour >> 16) & 0xFF;
    // Precomputed per channel: every destination value maps through a table.
    std::uint8_t mapBlue[256], mapGreen[256], mapRed[256];
    for (unsigned v = 0; v < 256; ++v) {
        mapBlue[v] = BlendChannel(blue, v, opacity);
        mapGreen[v] = BlendChannel(green, v, opacity);
        mapRed[v] = BlendChannel(red, v, opacity);
    }
    for (int j = 0; j < destination.height; ++j) {
        std::uint8_t* d = destination.bits + static_cast<std::size_t>(j) * destination.stride;
        for (int i = 0; i < destination.width; ++i, d += 3) {
            d[0] = mapBlue[d[0]];
            d[1] = mapGreen[d[1]];
            d[2] = mapRed[d[2]];
        }
    }
}

void BlendRegion(const Bitmap32& image, std::uint8_t* bits, std::ptrdiff_t stride, int width, int height,
                 int sourceX, int sourceY, int sourceWidth, int sourceHeight) {
    if (image.IsEmpty() || !bits)
        return;
    if (width == -1)
        width = image.Width();
    if (height == -1)
        height = image.Height();
    if (sourceWidth == -1)
        sourceWidth = image.Width();
    if (sourceHeight == -1)
        sourceHeight = image.Height();
    sourceWidth = std::min(sourceWidth, width);
    const int rows = std::min(height, sourceHeight);
    const long long limit = static_cast<long long>(image.PixelCount());
    for (int j = 0; j < rows; ++j) {
        std::uint8_t* d = bits + stride * j;
        for (int i = 0; i < sourceWidth; ++i, d += 3) {
            const long long index =
                (static_cast<long long>(sourceX) + i) + static_cast<long long>(image.Width()) * (sourceY + j);
            if (index < 0 || index >= limit)
                continue;
            const unsigned alpha = image.Alpha()[index];
            d[0] = BlendChannel(image.Blue()[index], d[0], alpha);
            d[1] = BlendChannel(image.Green()[index], d[1], alpha);
            d[2] = BlendChannel(image.Red()[index], d[2], alpha);
        }
    }
}

} // namespace norvane
