// Alpha drawing: straight into the bits of a 24- or 32-bit section, or through
// one temporary 24-bit section per call for any other device context.
#include "ImageDraw.h"

#include "ImageBlend.h"
#include "ImageHandles.h"

#include <algorithm>
#include <cstdlib>
#include <atomic>

namespace norvane {

namespace {

// Drawing happens many times a paint, so the 24-bit section is kept between
// calls (grown when a larger rectangle comes) instead of being created for each
// one. A call that finds the cache taken (another thread) or that needs more
// than kMaxCachedPixels uses a section of its own.
constexpr int kMaxCachedPixels = 1024 * 768;

struct SectionObjects {
    UniqueBitmap section;
    UniqueMemoryDc memory;
    HGDIOBJ old = nullptr;
    std::uint8_t* bits = nullptr;
    int width = 0; // a multiple of 4
    int height = 0;

    bool Create(int width, int height) {
        Release();
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height; // top-down
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 24;
        info.bmiHeader.biCompression = BI_RGB;
        void* pixels = nullptr;
        section.reset(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &pixels, nullptr, 0));
        memory.reset(CreateCompatibleDC(nullptr));
        if (!section || !memory || !pixels) {
            Release();
            return false;
        }
        old = SelectObject(memory.get(), section.get());
        bits = static_cast<std::uint8_t*>(pixels);
        this->width = width;
        this->height = height;
        return true;
    }
    void Release() {
        if (old)
            SelectObject(memory.get(), old);
        old = nullptr;
        memory.reset();
        section.reset();
        bits = nullptr;
        width = height = 0;
    }
};

SectionObjects g_cached;
std::atomic<bool> g_cacheBusy{false};

// A 24-bit section at least the rectangle's size, whose width is a multiple of
// 4 pixels so that its rows carry no padding; the destination rectangle is
// copied into it on creation and back by CopyBack.
class ScratchSection {
public:
    ScratchSection(HDC dc, int x, int y, int width, int height)
        : m_dc(dc), m_x(x), m_y(y), m_width(width), m_height(height) {
        const int paddedWidth = (width + 3) & ~3;
        const bool cacheable = static_cast<long long>(paddedWidth) * height <= kMaxCachedPixels;
        if (cacheable && !g_cacheBusy.exchange(true)) {
            m_objects = &g_cached;
            if (g_cached.width < paddedWidth || g_cached.height < height) {
                if (!g_cached.Create(std::max(paddedWidth, g_cached.width),
                                     std::max(height, g_cached.height)))
                    return;
            }
        } else {
            m_objects = &m_own;
            if (!m_own.Create(paddedWidth, height))
                return;
        }
        if (!BitBlt(m_objects->memory.get(), 0, 0, width, height, dc, x, y, SRCCOPY))
            return;
        GdiFlush();
        m_ready = true;
    }
    ~ScratchSection() {
        if (m_objects == &g_cached)
            g_cacheBusy.store(false);
    }
    ScratchSection(const ScratchSection&) = delete;
    ScratchSection& operator=(const ScratchSection&) = delete;

    bool Ready() const { return m_ready; }
    std::uint8_t* Bits() const { return m_objects->bits; }
    std::ptrdiff_t Stride() const { return static_cast<std::ptrdiff_t>(m_objects->width) * 3; }
    BgrRows Rows() const { return {m_objects->bits, Stride(), m_width, m_height}; }

    bool CopyBack() {
        GdiFlush();
        return BitBlt(m_dc, m_x, m_y, m_width, m_height, m_objects->memory.get(), 0, 0, SRCCOPY) != FALSE;
    }

private:
    HDC m_dc;
    int m_x, m_y, m_width, m_height;
    SectionObjects m_own;
    SectionObjects* m_objects = nullptr;
    bool m_ready = false;
};

// Whether the section selected into dc keeps its top row first. GDI does not
// say (the header it hands back always has a positive height), so the first
// pixel in memory is changed for a moment and read back through the context.
// The answer is kept for the last section asked about.
bool IsTopDown(HDC dc, HBITMAP bitmap, const DIBSECTION& section) {
    struct Known {
        HBITMAP bitmap = nullptr;
        void* bits = nullptr;
        LONG width = 0, height = 0;
        bool topDown = false;
    };
    thread_local Known known;
    if (known.bitmap == bitmap && known.bits == section.dsBm.bmBits && known.width == section.dsBm.bmWidth &&
        known.height == section.dsBm.bmHeight)
        return known.topDown;
    auto* first = static_cast<std::uint8_t*>(section.dsBm.bmBits);
    const std::uint8_t saved = first[0];
    bool topDown = true;
    if (section.dsBm.bmHeight > 1) {
        GdiFlush();
        first[0] = static_cast<std::uint8_t>(saved ^ 0x80);
        const int state = SaveDC(dc);
        SetViewportOrgEx(dc, 0, 0, nullptr);
        SetWindowOrgEx(dc, 0, 0, nullptr);
        SelectClipRgn(dc, nullptr);
        const COLORREF top = GetPixel(dc, 0, 0);
        RestoreDC(dc, state);
        // Blue is the first byte of a pixel.
        topDown = top != CLR_INVALID && GetBValue(top) == first[0];
        first[0] = saved;
    }
    known = Known{bitmap, section.dsBm.bmBits, section.dsBm.bmWidth, section.dsBm.bmHeight, topDown};
    return topDown;
}

// The pixels of a device context whose bitmap is a 24- or 32-bit section,
// drawn into directly: exactly what the round trip through a 24-bit section
// would give (the same blend of the same pixels, the fourth byte of a 32-bit
// pixel left 0), without the two block transfers. Only for contexts without
// a transform, mirroring or a clip region of more than one rectangle.
class DirectTarget {
public:
    // True when the rectangle (logical coordinates) can be drawn directly;
    // then Empty() says whether any of it is visible at all.
    bool Open(HDC dc, int x, int y, int width, int height) {
        auto* bitmap = static_cast<HBITMAP>(GetCurrentObject(dc, OBJ_BITMAP));
        DIBSECTION section{};
        if (!bitmap || GetObjectW(bitmap, sizeof section, &section) != sizeof section || !section.dsBm.bmBits)
            return false;
        const BITMAPINFOHEADER& header = section.dsBmih;
        m_pixelBytes = header.biBitCount / 8;
        const bool plainMasks = header.biCompression == BI_RGB ||
                                (header.biCompression == BI_BITFIELDS && header.biBitCount == 32 &&
                                 section.dsBitfields[0] == 0xFF0000 && section.dsBitfields[1] == 0xFF00 &&
                                 section.dsBitfields[2] == 0xFF);
        if ((header.biBitCount != 24 && header.biBitCount != 32) || !plainMasks)
            return false;
        if (GetMapMode(dc) != MM_TEXT || GetGraphicsMode(dc) != GM_COMPATIBLE || GetLayout(dc) != 0)
            return false;
        RECT clip{};
        const int kind = GetClipBox(dc, &clip);
        if (kind == ERROR || kind == COMPLEXREGION)
            return false;
        POINT corners[3] = {{x, y}, {clip.left, clip.top}, {clip.right, clip.bottom}};
        if (!LPtoDP(dc, corners, 3))
            return false;
        const int bitmapHeight = std::abs(section.dsBm.bmHeight);
        const RECT wanted{corners[0].x, corners[0].y, corners[0].x + width, corners[0].y + height};
        const RECT bounds{0, 0, section.dsBm.bmWidth, bitmapHeight};
        const RECT clipped{corners[1].x, corners[1].y, corners[2].x, corners[2].y};
        RECT inside{}, visible{};
        if (kind == NULLREGION || !IntersectRect(&inside, &wanted, &bounds) ||
            !IntersectRect(&visible, &inside, &clipped)) {
            m_empty = true;
            return true;
        }
        m_originX = visible.left - wanted.left;
        m_originY = visible.top - wanted.top;
        m_width = visible.right - visible.left;
        m_height = visible.bottom - visible.top;
        const std::ptrdiff_t stride = section.dsBm.bmWidthBytes;
        auto* bits = static_cast<std::uint8_t*>(section.dsBm.bmBits);
        // A bottom-up section keeps its top row last.
        const bool topDown = IsTopDown(dc, bitmap, section);
        m_stride = topDown ? stride : -stride;
        m_bits = bits + (topDown ? visible.top : bitmapHeight - 1 - visible.top) * stride +
                 static_cast<std::ptrdiff_t>(visible.left) * m_pixelBytes;
        // Whatever GDI still has queued for this bitmap lands first.
        GdiFlush();
        return true;
    }

    bool Empty() const { return m_empty; }
    bool Is32() const { return m_pixelBytes == 4; }
    int OriginX() const { return m_originX; }
    int OriginY() const { return m_originY; }
    BgrRows Rows24() const { return {m_bits, m_stride, m_width, m_height}; }
    BgrxRows Rows32() const { return {m_bits, m_stride, m_width, m_height}; }

private:
    std::uint8_t* m_bits = nullptr;
    std::ptrdiff_t m_stride = 0;
    int m_pixelBytes = 0;
    int m_width = 0;
    int m_height = 0;
    int m_originX = 0;
    int m_originY = 0;
    bool m_empty = false;
};

} // namespace

bool DrawImage(const Bitmap32& image, HDC dc, int x, int y, int width, int height) {
    if (image.IsEmpty() || !dc)
        return false;
    if (width == -1)
        width = image.Width();
    if (height == -1)
        height = image.Height();
    if (width <= 0 || height <= 0)
        return false;
    DirectTarget direct;
    if (direct.Open(dc, x, y, width, height)) {
        if (direct.Empty())
            return true;
        if (direct.Is32())
            BlendTiled(image, direct.Rows32(), direct.OriginX(), direct.OriginY());
        else
            BlendTiled(image, direct.Rows24(), direct.OriginX(), direct.OriginY());
        return true;
    }
    ScratchSection scratch(dc, x, y, width, height);
    if (!scratch.Ready())
        return false;
    BlendTiled(image, scratch.Rows());
    return scratch.CopyBack();
}

bool DrawImageRegion(const Bitmap32& image, HDC dc, int x, int y, int width, int height, int sourceX,
                     int sourceY, int sourceWidth, int sourceHeight) {
    if (image.IsEmpty() || !dc)
        return false;
    if (width == -1)
        width = image.Width();
    if (height == -1)
        height = image.Height();
    if (width <= 0 || height <= 0)
        return false;
    ScratchSection scratch(dc, x, y, width, height);
    if (!scratch.Ready())
        return false;
    BlendRegion(image, scratch.Bits(), static_cast<std::ptrdiff_t>(scratch.Stride()), width, height, sourceX,
                sourceY, sourceWidth, sourceHeight);
    return scratch.CopyBack();
}

bool FillTranslucent(HDC dc, const RECT& rect, COLORREF colour, BYTE opacity) {
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    if (!dc || width <= 0 || height <= 0)
        return false;
    DirectTarget direct;
    if (direct.Open(dc, rect.left, rect.top, width, height)) {
        if (direct.Empty())
            return true;
        if (direct.Is32())
            FillTranslucentRows(direct.Rows32(), colour, opacity);
        else
            FillTranslucentRows(direct.Rows24(), colour, opacity);
        return true;
    }
    ScratchSection scratch(dc, rect.left, rect.top, width, height);
    if (!scratch.Ready())
        return false;
    FillTranslucentRows(scratch.Rows(), colour, opacity);
    return scratch.CopyBack();
}

void ReleaseImageDrawCache() {
    if (!g_cacheBusy.exchange(true)) {
        g_cached.Release();
        g_cacheBusy.store(false);
    }
}

} // namespace norvane
