// Alpha drawing through one temporary 24-bit section per call.
#include "ImageDraw.h"

#include "ImageBlend.h"
#include "ImageHandles.h"

namespace norvane {

namespace {

// A 24-bit section whose rows need no padding: its width is rounded up to a
// multiple of 4 pixels. The destination rectangle is copied in on creation.
class ScratchSection {
public:
    ScratchSection(HDC dc, int x, int y, int width, int height, bool topDown)
        : dc_(dc), x_(x), y_(y), width_(width), height_(height) {
        const int paddedWidth = (width + 3) & ~3;
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = paddedWidth;
        info.bmiHeader.biHeight = topDown ? -height : height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 24;
        info.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        section_.reset(CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
        memory_.reset(CreateCompatibleDC(dc));
        if (!section_ || !memory_ || !bits)
            return;
        old_ = SelectObject(memory_.get(), section_.get());
        if (!BitBlt(memory_.get(), 0, 0, width, height, dc, x, y, SRCCOPY))
            return;
        GdiFlush();
        bits_ = static_cast<std::uint8_t*>(bits);
        stride_ = static_cast<std::size_t>(paddedWidth) * 3;
    }
    ~ScratchSection() {
        if (old_)
            SelectObject(memory_.get(), old_);
    }
    ScratchSection(const ScratchSection&) = delete;
    ScratchSection& operator=(const ScratchSection&) = delete;

    bool Ready() const { return bits_ != nullptr; }
    std::uint8_t* Bits() const { return bits_; }
    std::size_t Stride() const { return stride_; }
    BgrRows Rows() const { return {bits_, stride_, width_, height_}; }

    bool CopyBack() { return BitBlt(dc_, x_, y_, width_, height_, memory_.get(), 0, 0, SRCCOPY) != FALSE; }

private:
    HDC dc_;
    int x_, y_, width_, height_;
    UniqueBitmap section_;
    UniqueMemoryDc memory_;
    HGDIOBJ old_ = nullptr;
    std::uint8_t* bits_ = nullptr;
    std::size_t stride_ = 0;
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
    ScratchSection scratch(dc, x, y, width, height, true);
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
    // Meters have always used a bottom-up section; the rows are addressed from
    // the last one in memory, which is the top row.
    ScratchSection scratch(dc, x, y, width, height, false);
    if (!scratch.Ready())
        return false;
    std::uint8_t* top = scratch.Bits() + scratch.Stride() * static_cast<std::size_t>(height - 1);
    BlendRegion(image, top, -static_cast<std::ptrdiff_t>(scratch.Stride()), width, height, sourceX, sourceY,
                sourceWidth, sourceHeight);
    return scratch.CopyBack();
}

bool FillTranslucent(HDC dc, const RECT& rect, COLORREF colour, BYTE opacity) {
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    if (!dc || width <= 0 || height <= 0)
        return false;
    ScratchSection scratch(dc, rect.left, rect.top, width, height, true);
    if (!scratch.Ready())
        return false;
    FillTranslucentRows(scratch.Rows(), colour, opacity);
    return scratch.CopyBack();
}

} // namespace norvane
