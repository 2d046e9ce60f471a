// What the views share when they paint: the colours of the settings with their
// automatic values resolved, the fonts, text with shadows, blending a colour
// over a rectangle, frames, and a shortcut's picture.
#pragma once

#include "Bitmap32.h"
#include "ImageLoader.h"
#include "Settings.h"

#include <windows.h>

#include <functional>
#include <string>

namespace norvane {

struct ShortcutIcon;

// The colours of the item, automatic values resolved.
struct PaintColours {
    COLORREF caption = 0;
    COLORREF captionShadow = 0;
    COLORREF selectedCaption = 0;
    COLORREF selectedCaptionShadow = 0;
    COLORREF tabText = 0;
    COLORREF tabTextShadow = 0;
    COLORREF currentTabText = 0;
    COLORREF currentTabTextShadow = 0;
    COLORREF selection = 0;
    BYTE selectionAlpha = 0;
    // Tab backgrounds: none when the colour is automatic.
    bool tabBackground = false;
    COLORREF tabBackgroundColour = 0;
    BYTE tabAlpha = 0;
    bool currentTabBackground = false;
    COLORREF currentTabBackgroundColour = 0;
    BYTE currentTabAlpha = 0;
    bool floatingPanelBackground = false;
    COLORREF floatingPanel = 0;
    BYTE floatingPanelAlpha = 0;
    COLORREF separator = 0;
};

COLORREF ToColorRef(ColorValue value);
// An opacity percentage (0-100) as alpha 0-255.
BYTE OpacityToAlpha(int percent);
// The automatic shadow of a text colour: near white behind dark text, black
// behind light text.
COLORREF AutomaticShadow(COLORREF text);
// todayParent answers the Today screen's colour requests (may be nullptr).
PaintColours ResolvePaintColours(const GeneralOptions& general, HWND todayParent, COLORREF separator);

// The system font's description with another face (when given, at most 32
// characters), a height in pixels and bold or normal weight.
HFONT CreateItemFont(const std::wstring& face, int height, bool bold);

// Blends a colour over a rectangle; a rectangle without height is left alone.
void BlendRect(HDC dc, const RECT& rect, COLORREF colour, BYTE alpha);

// Text with a shadow: style 1 once one pixel right and down, style 2 at the
// four diagonal offsets, then the text itself. format as for DrawText.
void DrawShadowedText(HDC dc, const std::wstring& text, const RECT& rect, UINT format, COLORREF colour,
                      COLORREF shadow, int style);

// One-pixel lines in a colour: the whole frame, or only the chosen edges.
void DrawFrame(HDC dc, const RECT& rect, COLORREF colour);
void DrawVerticalEdges(HDC dc, const RECT& rect, COLORREF colour);

// A shortcut picture at (x, y): a Bitmap32 and a device bitmap at their own
// size, an icon at size x size. False when there is nothing to draw.
bool DrawShortcutPicture(HDC dc, const ShortcutIcon& icon, int x, int y, int size);

// The picture a shortcut holds: the image code's cached icon carries a
// ShortcutIcon. nullptr when the shortcut has none (yet).
const ShortcutIcon* PictureOf(const CachedIcon* cached);

// WM_PAINT through a memory bitmap of the client size: paint draws the whole
// client into the memory context, which is then copied to the screen at once.
void PaintDoubleBuffered(HWND hwnd, const std::function<void(HDC, const RECT&)>& paint);

// Where theme images come from for this item.
ThemeImageContext ItemThemeContext(const Settings& settings);

} // namespace norvane
