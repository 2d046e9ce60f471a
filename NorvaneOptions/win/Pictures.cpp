// JPEG resources and their drawing.
#include "Pictures.h"

#include "ImageLoader.h"
#include "OptionsResource.h"

#include <algorithm>
#include <vector>

namespace norvane::options {

bool LoadJpegResource(HINSTANCE module, int id, Bitmap32& picture) {
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(id), RT_JPEG_NAME);
    HGLOBAL loaded = found != nullptr ? LoadResource(module, found) : nullptr;
    const void* data = loaded != nullptr ? LockResource(loaded) : nullptr;
    return data != nullptr && LoadPngBuffer(picture, data, SizeofResource(module, found));
}

void StretchPicture(HDC dc, const Bitmap32& picture, const RECT& target) {
    if (picture.IsEmpty()) {
        return;
    }
    const int w = picture.Width();
    const int h = picture.Height();
    std::vector<std::uint32_t> pixels(picture.PixelCount());
    for (std::size_t i = 0; i < pixels.size(); ++i) {
        pixels[i] = (static_cast<std::uint32_t>(picture.Red()[i]) << 16) |
                    (static_cast<std::uint32_t>(picture.Green()[i]) << 8) | picture.Blue()[i];
    }
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = -h;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    const int oldMode = SetStretchBltMode(dc, HALFTONE);
    StretchDIBits(dc, target.left, target.top, target.right - target.left, target.bottom - target.top, 0, 0,
                  w, h, pixels.data(), &info, DIB_RGB_COLORS, SRCCOPY);
    SetStretchBltMode(dc, oldMode);
}

COLORREF PictureColourAt(const Bitmap32& picture, const RECT& target, POINT point) {
    const int tw = target.right - target.left;
    const int th = target.bottom - target.top;
    if (picture.IsEmpty() || tw <= 0 || th <= 0) {
        return RGB(0, 0, 0);
    }
    int x = (point.x - target.left) * picture.Width() / tw;
    int y = (point.y - target.top) * picture.Height() / th;
    x = std::max(0, std::min(picture.Width() - 1, x));
    y = std::max(0, std::min(picture.Height() - 1, y));
    const std::size_t i = static_cast<std::size_t>(y) * picture.Width() + x;
    return RGB(picture.Red()[i], picture.Green()[i], picture.Blue()[i]);
}

} // namespace norvane::options
