// Alpha blending onto 24-bit and 32-bit rows.
//
// The loops are written for the compiler's vectoriser: no branch per pixel,
// plane rows read straight through, the arithmetic in 16 bits (BlendChannel).
// Pixels go in blocks: a block that is wholly transparent is skipped and a
// wholly opaque one copied, so icons, which are mostly one or the other, pay
// for the arithmetic only along their edges. Alpha 0 and 255 come out exact
// from the arithmetic too, so a mixed block needs no special cases.
#include "ImageBlend.h"

#include <algorithm>
#include <cstring>

namespace norvane {

namespace {

constexpr int kBlock = 32;

enum class BlockKind { Transparent, Opaque, Mixed };

inline BlockKind KindOf(const std::uint8_t* a, int count) {
    unsigned any = 0, all = 255;
    for (int i = 0; i < count; ++i) {
        any |= a[i];
        all &= a[i];
    }
    return any == 0 ? BlockKind::Transparent : all == 255 ? BlockKind::Opaque : BlockKind::Mixed;
}

inline std::uint32_t LoadPixel(const std::uint8_t* p) {
    std::uint32_t v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

inline void StorePixel(std::uint8_t* p, std::uint32_t v) {
    std::memcpy(p, &v, sizeof v);
}

// count (at most kBlock) pixels of the four plane rows onto 32-bit pixels at d.
void BlendBlock32(const std::uint8_t* __restrict r, const std::uint8_t* __restrict g,
                  const std::uint8_t* __restrict b, const std::uint8_t* __restrict a, int count,
                  std::uint8_t* __restrict d) {
    switch (KindOf(a, count)) {
    case BlockKind::Transparent:
        // Untouched colour, but the fourth byte ends up 0 as everywhere else.
        for (int i = 0; i < count; ++i)
            StorePixel(d + 4 * i, LoadPixel(d + 4 * i) & 0x00FFFFFFu);
        return;
    case BlockKind::Opaque:
        for (int i = 0; i < count; ++i)
            StorePixel(d + 4 * i, std::uint32_t{b[i]} | std::uint32_t{g[i]} << 8 | std::uint32_t{r[i]} << 16);
        return;
    case BlockKind::Mixed:
        for (int i = 0; i < count; ++i) {
            const std::uint32_t px = LoadPixel(d + 4 * i);
            const unsigned alpha = a[i];
            StorePixel(d + 4 * i, std::uint32_t{BlendChannel(b[i], px & 0xFF, alpha)} |
                                      std::uint32_t{BlendChannel(g[i], (px >> 8) & 0xFF, alpha)} << 8 |
                                      std::uint32_t{BlendChannel(r[i], (px >> 16) & 0xFF, alpha)} << 16);
        }
        return;
    }
}

// The same onto 24-bit pixels: the destination's channels are taken apart into
// three small planes, blended there side by side and put back.
void BlendBlock24(const std::uint8_t* __restrict r, const std::uint8_t* __restrict g,
                  const std::uint8_t* __restrict b, const std::uint8_t* __restrict a, int count,
                  std::uint8_t* __restrict d) {
    switch (KindOf(a, count)) {
    case BlockKind::Transparent:
        return;
    case BlockKind::Opaque:
        for (int i = 0; i < count; ++i) {
            d[3 * i] = b[i];
            d[3 * i + 1] = g[i];
            d[3 * i + 2] = r[i];
        }
        return;
    case BlockKind::Mixed: {
        std::uint8_t db[kBlock], dg[kBlock], dr[kBlock];
        for (int i = 0; i < count; ++i) {
            db[i] = d[3 * i];
            dg[i] = d[3 * i + 1];
            dr[i] = d[3 * i + 2];
        }
        for (int i = 0; i < count; ++i) {
            const unsigned alpha = a[i];
            db[i] = BlendChannel(b[i], db[i], alpha);
            dg[i] = BlendChannel(g[i], dg[i], alpha);
            dr[i] = BlendChannel(r[i], dr[i], alpha);
        }
        for (int i = 0; i < count; ++i) {
            d[3 * i] = db[i];
            d[3 * i + 1] = dg[i];
            d[3 * i + 2] = dr[i];
        }
        return;
    }
    }
}

// Walks the destination rows and the image rows under them, the image repeated
// from (originX, originY), and hands blocks of at most kBlock pixels that lie
// in one image row to the block blender.
template <int kPixelBytes, class Block>
void Tile(const Bitmap32& image, std::uint8_t* bits, std::ptrdiff_t stride, int width, int height,
          int originX, int originY, Block block) {
    if (image.IsEmpty() || !bits || width <= 0 || height <= 0)
        return;
    const int w = image.Width();
    const int h = image.Height();
    const int startX = ((originX % w) + w) % w;
    int sourceRow = ((originY % h) + h) % h;
    for (int j = 0; j < height; ++j) {
        const std::size_t rowStart = static_cast<std::size_t>(sourceRow) * w;
        std::uint8_t* d = bits + stride * j;
        int x = startX;
        for (int i = 0; i < width;) {
            const int count = std::min({kBlock, width - i, w - x});
            block(image.Red() + rowStart + x, image.Green() + rowStart + x, image.Blue() + rowStart + x,
                  image.Alpha() + rowStart + x, count, d + static_cast<std::ptrdiff_t>(i) * kPixelBytes);
            i += count;
            x += count;
            if (x == w)
                x = 0;
        }
        if (++sourceRow == h)
            sourceRow = 0;
    }
}

} // namespace

void BlendTiled(const Bitmap32& image, const BgrRows& destination, int originX, int originY) {
    Tile<3>(image, destination.bits, destination.stride, destination.width, destination.height, originX,
            originY, BlendBlock24);
}

void BlendTiled(const Bitmap32& image, const BgrxRows& destination, int originX, int originY) {
    Tile<4>(image, destination.bits, destination.stride, destination.width, destination.height, originX,
            originY, BlendBlock32);
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
        std::uint8_t* d = destination.bits + destination.stride * j;
        for (int i = 0; i < destination.width; ++i, d += 3) {
            d[0] = mapBlue[d[0]];
            d[1] = mapGreen[d[1]];
            d[2] = mapRed[d[2]];
        }
    }
}

void FillTranslucentRows(const BgrxRows& destination, std::uint32_t colour, std::uint8_t opacity) {
    if (!destination.bits || destination.width <= 0 || destination.height <= 0)
        return;
    const unsigned red = colour & 0xFF;
    const unsigned green = (colour >> 8) & 0xFF;
    const unsigned blue = (colour >> 16) & 0xFF;
    for (int j = 0; j < destination.height; ++j) {
        std::uint8_t* d = destination.bits + destination.stride * j;
        for (int i = 0; i < destination.width; ++i) {
            const std::uint32_t px = LoadPixel(d + 4 * i);
            StorePixel(d + 4 * i, std::uint32_t{BlendChannel(blue, px & 0xFF, opacity)} |
                                      std::uint32_t{BlendChannel(green, (px >> 8) & 0xFF, opacity)} << 8 |
                                      std::uint32_t{BlendChannel(red, (px >> 16) & 0xFF, opacity)} << 16);
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
