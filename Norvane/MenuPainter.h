// Owner-drawn popup menu items of the item: measured in the menu font and drawn
// with an icon column, the selection in the system highlight colours, and
// header items on white with a light-grey band.
#pragma once

#include "Bitmap32.h"

#include <windows.h>

#include <string>

namespace norvane {

class TodayItemWindow;
struct ShortcutIcon;

// Item data values that mark special kinds of items.
namespace menukind {
inline constexpr ULONG_PTR kPlain = 0;
inline constexpr ULONG_PTR kHeader = 1;
inline constexpr ULONG_PTR kSubHeader = 2;
inline constexpr ULONG_PTR kTabShortcut = 187; // a shortcut of a tab's shortcut menu
inline constexpr ULONG_PTR kWide = 255;        // a wider icon column
} // namespace menukind

// The text of an owner-drawn item by its id: the options entry (2100), minimize
// (2101), maximize (2102) and the tab names (3400 + index into the view's
// visible tabs, the way the current tab is counted); empty for others.
std::wstring OwnerMenuText(const TodayItemWindow& window, UINT id);

// Height ScaleY(20); width = text width in the font + ScaleX(20) (+ ScaleX(3)
// for the wide kind).
void MeasureOwnerMenuItem(MEASUREITEMSTRUCT& item, const std::wstring& text, HFONT font);

// Draws the item; image (may be empty) goes into the icon column.
void DrawOwnerMenuItem(const DRAWITEMSTRUCT& item, const std::wstring& text, HFONT font,
                       const Bitmap32& image);

// A shortcut's picture in the item's icon column, reduced to the column's size
// (pictures are halved while larger, icons drawn at that size).
void DrawMenuPicture(const DRAWITEMSTRUCT& item, const ShortcutIcon& picture);

} // namespace norvane
