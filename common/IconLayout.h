// Where the shortcut icons of one tab stand: rows of cells aligned left, centred,
// right or spread, large icons that reach into the next row, or the positions the
// user placed them at. Everything is plain numbers in device pixels (measures of
// 96-dpi pixels go through ScaleX/ScaleY), so the arithmetic is the same on the
// device and in the host tests.
#pragma once

#include "SettingsFile.h"
#include "TabRecord.h"

#include <vector>

namespace norvane {

struct LayoutRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool IsEmpty() const { return right <= left || bottom <= top; }
    // Half-open, as Windows rectangles are.
    bool Contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
    LayoutRect Offset(int dx, int dy) const {
        return LayoutRect{left + dx, top + dy, right + dx, bottom + dy};
    }
    friend bool operator==(const LayoutRect&, const LayoutRect&) = default;
};

// Alignment modes of a row ("IconDisplayMode", a tab's "OverrideDisplayMode").
namespace iconmode {
inline constexpr int kLeft = 0;
inline constexpr int kCentered = 1;
inline constexpr int kRight = 2;
inline constexpr int kSpread = 3;
// A tab that mixes large and small icons: left aligned, large icons two cells wide.
inline constexpr int kMixed = 99;
} // namespace iconmode

// What the row layout needs to know of one shortcut.
struct IconLayoutItem {
    bool large = false;
    // The tab shows captions, the shortcut's caption is on and it is not a meter
    // whose captions are off.
    bool captionShown = false;
    // The stored position for the current orientation (free placement).
    SettingsPoint stored;
};

// The settings that shape the rows, as the settings record holds them.
struct IconLayoutOptions {
    int displayMode = iconmode::kSpread; // "IconDisplayMode"
    int overrideDisplayMode = -1;        // the tab's "OverrideDisplayMode"
    bool freePlaced = false;             // the tab's flag for the current orientation
    bool captionsEnabled = false;        // the tab's "CaptionsEnabled"
    int smallIconCaptionMode = 2;        // "SmallIconCaptionMode"
    int extraCaptionWidth = 0;           // "ExtraCaptionWidth", unscaled pixels
    int iconSpacing = 2;                 // "IconSpacing", 96-dpi pixels
    int captionHeight = 13;              // "CaptionHeight", pixels
    bool halfHeightCaptions = false;     // "HalfHeightCaptions"
};

// The room the icons get: the first row's top, the left edge and the right limit.
struct IconArea {
    int left = 0;
    int right = 0;
    int top = 0;
    // Leave room for the scroll arrows at the right.
    bool rightMargin = false;
};

struct IconPlacement {
    LayoutRect hit;     // tap target (and the selection highlight)
    LayoutRect icon;    // where the picture belongs
    LayoutRect caption; // empty when no caption is shown
    int originX = 0;    // where the picture is drawn
    int originY = 0;
    int row = 0;
    bool large = false;
    // A small icon in a wide cell (its picture stays small).
    bool inWideCell = false;
    // The position to store for the current orientation: (x, y - first row top).
    SettingsPoint stored;
};

struct IconLayoutResult {
    std::vector<IconPlacement> icons; // one per item, in list order
    int contentHeight = 0;
    int rowCount = 1;
    int mode = iconmode::kLeft; // the alignment mode used
    bool wideCells = false;
    int captionHeight = 0; // the tab's caption height
};

struct GeneralOptions;

// The options and items of one tab as the settings give them, for the screen's
// orientation (each orientation has its own free-placement flag and positions).
IconLayoutOptions IconLayoutOptionsFor(const GeneralOptions& general, const TabRecord& tab, bool landscape);
std::vector<IconLayoutItem> IconLayoutItemsFor(const GeneralOptions& general, const TabRecord& tab,
                                               bool landscape);

// The caption height of a tab: 0 without captions, else "CaptionHeight", halved
// with "HalfHeightCaptions" when the tab has no small icons or small icons show
// no caption.
int TabCaptionHeight(const IconLayoutOptions& options, bool hasSmallIcons);

// Lays out the icons of one tab in rows (or at their stored positions).
IconLayoutResult LayoutIcons(const std::vector<IconLayoutItem>& items, const IconLayoutOptions& options,
                             const IconArea& area);

// The shortcut under a point (already corrected by the scroll offset): the first
// whose icon contains it, else the last whose tap target, extended down by its
// caption, does; -1 for none.
int IconAt(const IconLayoutResult& layout, int x, int y);

// The tap target of a placed icon extended down by its caption.
LayoutRect IconExtent(const IconPlacement& placement);

// Vertical scrolling of the icon area. The offset runs from 0 (top) down to
// -scrollRange. One tick of a held arrow moves it by ScaleY(12); the result is
// clamped, and atLimit tells that scrolling stops.
int ScrollTick(int offset, int scrollRange, bool up, bool& atLimit);

// The offset that brings a shortcut's extent (in content coordinates) into the
// area [areaTop, areaBottom), within 0 and -scrollRange.
int ScrollIntoView(int offset, int scrollRange, const LayoutRect& extent, int areaTop, int areaBottom);

} // namespace norvane
