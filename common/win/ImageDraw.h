// Drawing with alpha: every picture of the launcher reaches the screen through
// these. Each call copies the destination rectangle into one 24-bit section,
// blends there (the arithmetic lives in ImageBlend) and copies it back: two
// block transfers however many pixels are blended. The section is kept between
// calls.
#pragma once

#include "Bitmap32.h"

#include <windows.h>

namespace norvane {

// Draws the image at (x, y). A width or height of -1 means the image's own. When
// the size is the image's it is drawn once; otherwise the rectangle is covered
// by the image repeated from its top-left corner (a smaller rectangle shows
// its top-left part). False, drawing nothing, for an empty image or an empty
// rectangle, or when GDI fails.
bool DrawImage(const Bitmap32& image, HDC dc, int x, int y, int width = -1, int height = -1);

// Draws part of the image for the meters: the source rectangle's pixels onto
// the destination's top-left corner, every pixel blended (see BlendRegion).
bool DrawImageRegion(const Bitmap32& image, HDC dc, int x, int y, int width, int height, int sourceX,
                     int sourceY, int sourceWidth, int sourceHeight);

// Blends a colour over a rectangle at opacity 0 (nothing) to 255 (solid).
bool FillTranslucent(HDC dc, const RECT& rect, COLORREF colour, BYTE opacity);

// Frees the section that drawing keeps between calls; the plug-in calls this
// when its window class is torn down (drawing afterwards creates it again).
void ReleaseImageDrawCache();

} // namespace norvane
