// A meter shortcut wherever the item shows it: its live part over its picture
// on the Today screen and in the popup panel, the caption texts that show its
// value or its name, and whole pictures (picture and meter on a background)
// for notification-area icons and owner-drawn menus.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace norvane {

struct GeneralOptions;
struct TabRecord;
class ShortcutRecord;

// Draws the meter of a meter shortcut over its picture, which is already at
// (x, y); nothing for other shortcuts. drawText false leaves the value texts out.
void DrawShortcutMeter(const ShortcutRecord& shortcut, HDC dc, int x, int y, bool drawText = true);

// Whether the caption shows the meter's value in place of its own text: the
// current tab shows captions (or there is none), ShowCaptionsForMeters is 2,
// the shortcut's caption is on, and it is large or SmallIconCaptionMode is
// not 0.
bool MeterValueInCaption(const GeneralOptions& general, const TabRecord* currentTab,
                         const ShortcutRecord& shortcut);

// The caption of a meter shortcut by ShowCaptionsForMeters: 2 the value text,
// 3 the name of its first element; nothing (the shortcut's own name) otherwise
// or for shortcuts that are no meters.
std::optional<std::wstring> MeterCaptionText(const ShortcutRecord& shortcut, int showCaptionsForMeters);

// The shortcut's picture with its meter over a background colour, size x size,
// as a bitmap the caller owns (nullptr on failure).
HBITMAP RenderShortcutPicture(const ShortcutRecord& shortcut, int size, COLORREF background);

// The same as an icon with no transparent pixels (notification-area icons).
HICON RenderShortcutIcon(const ShortcutRecord& shortcut, int size, COLORREF background);

// A meter shortcut in the icon column of an owner-drawn menu item whose
// background is drawn already: the meter as its file draws it at the column's
// size, or (when the file has nothing for that size) picture and meter at
// their own size reduced to the column. False for shortcuts that are no meters.
bool DrawMenuMeterPicture(const DRAWITEMSTRUCT& item, const ShortcutRecord& shortcut);

} // namespace norvane
