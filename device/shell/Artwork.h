// The simulated device's own artwork: the start button's mark and the Today
// background's watermark, a four-pointed compass star in a round badge. They
// are drawn from shapes at any size, smoothed, so that QVGA and VGA both get
// clean edges; no image files and nobody else's logo are involved.
#pragma once

#include <windows.h>

namespace norvane::device {

// The start mark (a blue badge with a white compass star), width x height,
// as a premultiplied 32-bit section; the caller owns it.
HBITMAP RenderStartMark(int width, int height);

// The watermark of the Today background (a compass star inside a ring) in one
// colour, as a premultiplied 32-bit section; the caller owns it.
HBITMAP RenderWatermark(int width, int height, COLORREF colour);

// Blends a premultiplied picture over rect at an opacity of 0-255.
void BlendPicture(HDC dc, const RECT& rect, HBITMAP picture, BYTE opacity);

} // namespace norvane::device
