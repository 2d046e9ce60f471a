// Alpha drawing through one temporary 24-bit section per call.
#include "ImageDraw.h"

#include "ImageBlend.h"
#include "ImageHandles.h"

#include <algorithm>
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
    std::size_t Stride() const { return static_cast<std::size_t>(m_objects->width) * 3; }
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
