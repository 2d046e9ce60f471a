// The options program's pictures: JPEG resources (the logo, the colour
// palette) decoded through the imaging service, and drawing them into any DC.
#pragma once

#include "Bitmap32.h"

#include <windows.h>

namespace norvane::options {

// A resource of type "JPEG" (any picture the imaging service reads).
bool LoadJpegResource(HINSTANCE module, int id, Bitmap32& picture);

// Draws the picture scaled into the rectangle, without alpha (pictures of
// this kind are opaque).
void StretchPicture(HDC dc, const Bitmap32& picture, const RECT& target);

// The colour of the picture at a point of the rectangle it was stretched to.
COLORREF PictureColourAt(const Bitmap32& picture, const RECT& target, POINT point);

} // namespace norvane::options
