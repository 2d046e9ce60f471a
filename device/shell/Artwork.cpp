#include "Artwork.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace norvane::device {

namespace {

// Straight (not premultiplied) colour with coverage, 0-1 each.
struct Rgba {
    double r = 0, g = 0, b = 0, a = 0;
};

// Paints c over base.
Rgba Over(const Rgba& base, const Rgba& c) {
    const double a = c.a + base.a * (1 - c.a);
    if (a <= 0)
        return {};
    auto mix = [&](double top, double bottom) { return (top * c.a + bottom * base.a * (1 - c.a)) / a; };
    return {mix(c.r, base.r), mix(c.g, base.g), mix(c.b, base.b), a};
}

Rgba FromColour(COLORREF c, double a) {
    return {GetRValue(c) / 255.0, GetGValue(c) / 255.0, GetBValue(c) / 255.0, a};
}

// Even-odd test against a polygon given in unit coordinates.
bool InsidePolygon(const double (*points)[2], int count, double x, double y) {
    bool inside = false;
    for (int i = 0, j = count - 1; i < count; j = i++) {
        const double xi = points[i][0], yi = points[i][1], xj = points[j][0], yj = points[j][1];
        if ((yi > y) != (yj > y) && x < (xj - xi) * (y - yi) / (yj - yi) + xi)
            inside = !inside;
    }
    return inside;
}

// A star of `points` points (the first pointing up, or turned by rotation)
// with the given outer and inner radii, centred on the origin; the first
// point may reach further (firstOuter).
struct Star {
    Star(int points, double outer, double inner, double rotation, double firstOuter = 0)
        : count(std::min(points * 2, 32)) {
        for (int i = 0; i < count; ++i) {
            const double angle = rotation + 3.14159265358979 * i / points;
            const double radius = i == 0 && firstOuter > 0 ? firstOuter : (i % 2 == 0) ? outer : inner;
            corners[i][0] = std::sin(angle) * radius;
            corners[i][1] = -std::cos(angle) * radius;
        }
    }
    bool Contains(double x, double y) const { return InsidePolygon(corners, count, x, y); }
    double corners[32][2];
    int count;
};

// The start mark at a point of the unit square [-1, 1] x [-1, 1].
Rgba StartMarkAt(double x, double y) {
    const double r = std::sqrt(x * x + y * y);
    Rgba c;
    if (r > 1.0)
        return c;
    // A badge in two blues, lighter towards the top, with a darker rim.
    const double t = (y + 1) / 2;
    const COLORREF top = RGB(92, 172, 236), bottom = RGB(16, 72, 156);
    c = {(GetRValue(top) * (1 - t) + GetRValue(bottom) * t) / 255.0,
         (GetGValue(top) * (1 - t) + GetGValue(bottom) * t) / 255.0,
         (GetBValue(top) * (1 - t) + GetBValue(bottom) * t) / 255.0, 1.0};
    if (r > 0.86)
        c = FromColour(RGB(10, 48, 112), 1.0);
    // A soft light across the upper half.
    const double hx = x / 0.68, hy = (y + 0.46) / 0.36;
    if (hx * hx + hy * hy <= 1.0)
        c = Over(c, FromColour(RGB(255, 255, 255), 0.26));
    // The compass star, north a little longer than the rest.
    static const Star compass(4, 0.66, 0.19, 0, 0.8);
    if (compass.Contains(x, y))
        c = FromColour(RGB(255, 255, 255), 1.0);
    if (r < 0.09)
        c = FromColour(RGB(16, 72, 156), 1.0);
    return c;
}

// The watermark's coverage (0 or 1) at a point of the unit square.
bool WatermarkAt(double x, double y) {
    const double r = std::sqrt(x * x + y * y);
    if (r <= 1.0 && r > 0.9)
        return true;
    if (r <= 0.8 && r > 0.76)
        return true;
    static const Star main(4, 0.86, 0.16, 0);
    static const Star between(4, 0.5, 0.12, 3.14159265358979 / 4);
    return main.Contains(x, y) || between.Contains(x, y);
}

// Renders a picture of width x height pixels from a function of the unit
// square (the shorter side spanning [-1, 1]), 4 x 4 samples per pixel, into a
// premultiplied 32-bit section.
template <class Sample> HBITMAP Render(int width, int height, Sample sample) {
    if (width <= 0 || height <= 0)
        return nullptr;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP section = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!section)
        return nullptr;
    auto* out = static_cast<BYTE*>(bits);
    constexpr int kSamples = 4;
    const double half = std::min(width, height) / 2.0;
    for (int py = 0; py < height; ++py) {
        for (int px = 0; px < width; ++px) {
            double r = 0, g = 0, b = 0, a = 0;
            for (int sy = 0; sy < kSamples; ++sy) {
                for (int sx = 0; sx < kSamples; ++sx) {
                    const double x = (px + (sx + 0.5) / kSamples - width / 2.0) / half;
                    const double y = (py + (sy + 0.5) / kSamples - height / 2.0) / half;
                    const Rgba c = sample(x, y);
                    r += c.r * c.a;
                    g += c.g * c.a;
                    b += c.b * c.a;
                    a += c.a;
                }
            }
            const double n = kSamples * kSamples;
            BYTE* p = out + (static_cast<size_t>(py) * width + px) * 4;
            p[0] = static_cast<BYTE>(std::lround(b / n * 255));
            p[1] = static_cast<BYTE>(std::lround(g / n * 255));
            p[2] = static_cast<BYTE>(std::lround(r / n * 255));
            p[3] = static_cast<BYTE>(std::lround(a / n * 255));
        }
    }
    return section;
}

} // namespace

HBITMAP RenderStartMark(int width, int height) {
    return Render(width, height, StartMarkAt);
}

HBITMAP RenderWatermark(int width, int height, COLORREF colour) {
    const Rgba ink = FromColour(colour, 1.0);
    return Render(width, height, [&](double x, double y) { return WatermarkAt(x, y) ? ink : Rgba{}; });
}

void BlendPicture(HDC dc, const RECT& rect, HBITMAP picture, BYTE opacity) {
    BITMAP info{};
    if (!picture || !GetObjectW(picture, sizeof info, &info))
        return;
    HDC memory = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(memory, picture);
    BLENDFUNCTION blend{AC_SRC_OVER, 0, opacity, AC_SRC_ALPHA};
    AlphaBlend(dc, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, memory, 0, 0,
               info.bmWidth, info.bmHeight, blend);
    SelectObject(memory, old);
    DeleteDC(memory);
}

} // namespace norvane::device
