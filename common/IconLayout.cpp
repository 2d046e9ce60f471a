// The icon rows of a tab. Row by row: the cells that fit, the start x of the
// alignment mode, then each shortcut in list order until one passes the right
// limit, which opens the next row. Large icons are two rows tall and keep the
// cells below them free in the next row.
#include "IconLayout.h"

#include "DisplayScale.h"
#include "Settings.h"

#include <algorithm>

namespace norvane {

namespace {

// Settings come from a file the user edits; keep them in a range where the
// arithmetic below cannot overflow or loop.
int Clamp(int value, int low, int high) {
    return std::min(std::max(value, low), high);
}

struct Span {
    int left;
    int right;
};

struct Measures {
    int extraCaption = 0; // extra caption width in effect (0 without captions)
    int spacingUnscaled = 0;
    int spacing = 0;    // ScaleX(IconSpacing)
    int cell = 0;       // g: one cell with its spacing
    int cellBody = 0;   // one cell without its spacing
    int iconSize = 0;   // ScaleX(16)
    int iconHeight = 0; // ScaleY(16)
    int rowPitch = 0;   // ScaleY(18) + caption height
    int captionHeight = 0;
    bool smallDrawnLarge = false; // small icons take a large icon's width
};

IconPlacement Place(const IconLayoutItem& item, int x, int y, int firstTop, int row, const Measures& m,
                    const IconLayoutOptions& options, bool wideCells) {
    IconPlacement p;
    p.large = item.large;
    p.row = row;
    p.stored = SettingsPoint{x, y - firstTop};
    p.inWideCell = !item.large && wideCells;
    const int height = m.iconHeight * (item.large ? 2 : 1);
    int width;
    if (item.large) {
        width = 2 * ScaleX(18) + 4 * m.extraCaption + m.spacingUnscaled;
    } else if (p.inWideCell) {
        // A small icon in a wide cell: the target covers the whole cell, so the
        // highlight surrounds the picture drawn in its middle.
        width = m.cellBody;
    } else {
        width = ScaleX(18) + 2 * m.extraCaption;
    }
    p.hit = LayoutRect{x, y, x + width, y + height};
    const bool iconWide = item.large || m.smallDrawnLarge;
    p.icon =
        LayoutRect{x + m.extraCaption, y, x + m.extraCaption + m.iconSize * (iconWide ? 2 : 1), y + height};
    p.originX = p.icon.left;
    p.originY = p.icon.top;
    if (p.inWideCell) {
        p.originX += m.cellBody / 4;
    }
    if (item.captionShown) {
        int captionHeight = m.captionHeight;
        if (item.large) {
            captionHeight *= 2;
        } else if (options.smallIconCaptionMode == 0) {
            captionHeight = 0;
        }
        p.caption =
            LayoutRect{x, p.icon.bottom, p.icon.right + m.extraCaption, p.icon.bottom + captionHeight};
    }
    return p;
}

int LowestBottom(const std::vector<IconPlacement>& icons, int top) {
    int lowest = top;
    for (const IconPlacement& p : icons) {
        lowest = std::max(lowest, p.hit.bottom);
        if (!p.caption.IsEmpty()) {
            lowest = std::max(lowest, p.caption.bottom);
        }
    }
    return lowest;
}

} // namespace

IconLayoutOptions IconLayoutOptionsFor(const GeneralOptions& general, const TabRecord& tab, bool landscape) {
    IconLayoutOptions options;
    options.displayMode = general.IconDisplayMode;
    options.overrideDisplayMode = tab.OverrideDisplayMode;
    options.freePlaced = landscape ? tab.FreePlacedLandscape : tab.FreePlacedPortrait;
    options.captionsEnabled = tab.CaptionsEnabled != 0;
    options.smallIconCaptionMode = general.SmallIconCaptionMode;
    options.extraCaptionWidth = general.ExtraCaptionWidth;
    options.iconSpacing = general.IconSpacing;
    options.captionHeight = general.CaptionHeight;
    options.halfHeightCaptions = general.HalfHeightCaptions;
    return options;
}

std::vector<IconLayoutItem> IconLayoutItemsFor(const GeneralOptions& general, const TabRecord& tab,
                                               bool landscape) {
    std::vector<IconLayoutItem> items;
    items.reserve(tab.Shortcuts.size());
    for (const auto& shortcut : tab.Shortcuts) {
        IconLayoutItem item;
        item.large = shortcut->LargeIcon();
        const bool meter = shortcut->AdditionalTarget().starts_with(L"meter:");
        item.captionShown = tab.CaptionsEnabled != 0 && shortcut->CaptionEnabled() != 0 &&
                            !(meter && general.ShowCaptionsForMeters == 0);
        item.stored = landscape ? shortcut->LocationLandscape() : shortcut->LocationPortrait();
        items.push_back(item);
    }
    return items;
}

int TabCaptionHeight(const IconLayoutOptions& options, bool hasSmallIcons) {
    if (!options.captionsEnabled) {
        return 0;
    }
    int height = Clamp(options.captionHeight, 0, 1000);
    if (options.halfHeightCaptions && (!hasSmallIcons || options.smallIconCaptionMode == 0)) {
        height /= 2;
    }
    return height;
}

LayoutRect IconExtent(const IconPlacement& placement) {
    LayoutRect extent = placement.hit;
    if (!placement.caption.IsEmpty()) {
        extent.bottom = std::max(extent.bottom, placement.caption.bottom);
    }
    return extent;
}

IconLayoutResult LayoutIcons(const std::vector<IconLayoutItem>& items, const IconLayoutOptions& options,
                             const IconArea& area) {
    IconLayoutResult result;
    const int count = static_cast<int>(items.size());
    bool anyLarge = false;
    bool anySmall = false;
    for (const IconLayoutItem& item : items) {
        (item.large ? anyLarge : anySmall) = true;
    }

    Measures m;
    result.captionHeight = TabCaptionHeight(options, anySmall);
    m.captionHeight = result.captionHeight;
    m.extraCaption = options.captionsEnabled ? Clamp(options.extraCaptionWidth, 0, 1000) : 0;
    m.spacingUnscaled = Clamp(options.iconSpacing, 0, 1000);
    m.spacing = ScaleX(m.spacingUnscaled);
    m.iconSize = ScaleX(16);
    m.iconHeight = ScaleY(16);
    m.rowPitch = ScaleY(18) + m.captionHeight;
    m.smallDrawnLarge = options.captionsEnabled && options.smallIconCaptionMode == 2;

    int mode = options.displayMode;
    if (options.overrideDisplayMode != -1 && mode != iconmode::kMixed) {
        mode = options.overrideDisplayMode;
    }
    if (anyLarge && anySmall) {
        mode = iconmode::kMixed;
    }
    result.mode = mode;
    const bool wideCells = (anyLarge && !anySmall) || m.smallDrawnLarge;
    result.wideCells = wideCells;

    result.icons.resize(items.size());
    const int firstTop = area.top;

    if (options.freePlaced) {
        for (int i = 0; i < count; ++i) {
            const SettingsPoint& at = items[i].stored;
            result.icons[i] = Place(items[i], at.x, firstTop + at.y, firstTop, 1, m, options, wideCells);
        }
        result.contentHeight = LowestBottom(result.icons, firstTop) + ScaleY(2) - firstTop;
        return result;
    }

    m.cellBody = ScaleX(18) + 2 * m.extraCaption + (wideCells ? ScaleX(16) : 0);
    m.cell = m.cellBody + m.spacing;
    const int left = area.left;
    const int right = area.right - (area.rightMargin ? ScaleX(14) : 0);

    int rowTop = firstTop;
    int row = 1;
    int next = 0;
    std::vector<Span> previousSpans;
    bool lastRowHasLarge = false;
    while (true) {
        const int remaining = count - next;
        int cells = m.cell > 0 ? (right - left) / m.cell : 0;
        if (remaining <= 0 || cells <= 0) {
            // Nothing left for this row, or not even one cell fits.
            break;
        }
        cells = std::min(cells, remaining);
        int x = left;
        int step = 0;
        switch (mode) {
        case iconmode::kCentered:
            x = (left + right) / 2 - m.cell * cells / 2;
            break;
        case iconmode::kRight:
            x = right - m.cell * cells;
            break;
        case iconmode::kSpread:
            step = (right - left) / cells;
            x = left + (step - m.cell) / 2;
            break;
        default:
            break;
        }
        const int rowStartX = x;
        const int advanceCell = step > 0 ? step : m.cell;
        std::vector<Span> spans;
        lastRowHasLarge = false;
        bool rowEnded = false;
        int placedInRow = 0;
        while (next < count) {
            const IconLayoutItem& item = items[next];
            const int width = (item.large && !wideCells) ? 2 * m.cellBody + m.spacing : m.cellBody;
            // Skip the cells a large icon of the row above still covers. A spread
            // row's cells need not line up with the row above, so any overlap counts.
            bool moved = true;
            while (moved) {
                moved = false;
                for (const Span& span : previousSpans) {
                    if (x < span.right && x + width > span.left) {
                        x += advanceCell;
                        moved = true;
                    }
                }
            }
            const bool drawnWide = item.large || m.smallDrawnLarge;
            const int iconRight = x + m.extraCaption + m.iconSize * (drawnWide ? 2 : 1);
            if (iconRight > right && (placedInRow > 0 || x != rowStartX)) {
                rowEnded = true;
                break;
            }
            // An icon wider than the whole area still gets a place of its own at
            // the start of a row rather than opening empty rows forever.
            result.icons[next] = Place(item, x, rowTop, firstTop, row, m, options, wideCells);
            if (item.large) {
                spans.push_back(Span{x, x + width});
                lastRowHasLarge = true;
            }
            ++placedInRow;
            x += step > 0 ? step * ((item.large && !wideCells) ? 2 : 1) : width + m.spacing;
            ++next;
        }
        if (!rowEnded) {
            break;
        }
        rowTop += m.rowPitch;
        ++row;
        previousSpans = std::move(spans);
    }
    if (lastRowHasLarge) {
        ++row;
    }
    result.rowCount = std::max(1, row);
    result.contentHeight = LowestBottom(result.icons, firstTop) + ScaleY(2) - firstTop;
    return result;
}

int IconAt(const IconLayoutResult& layout, int x, int y) {
    int found = -1;
    const int count = static_cast<int>(layout.icons.size());
    for (int i = 0; i < count; ++i) {
        if (layout.icons[i].icon.Contains(x, y)) {
            return i;
        }
    }
    for (int i = 0; i < count; ++i) {
        if (IconExtent(layout.icons[i]).Contains(x, y)) {
            found = i;
        }
    }
    return found;
}

int ScrollTick(int offset, int scrollRange, bool up, bool& atLimit) {
    const int low = -std::max(0, scrollRange);
    offset += up ? ScaleY(12) : -ScaleY(12);
    atLimit = false;
    if (offset >= 0) {
        offset = 0;
        atLimit = up;
    }
    if (offset <= low) {
        offset = low;
        atLimit = atLimit || !up;
    }
    return offset;
}

int ScrollIntoView(int offset, int scrollRange, const LayoutRect& extent, int areaTop, int areaBottom) {
    const int low = -std::max(0, scrollRange);
    const int top = extent.top + offset;
    const int bottom = extent.bottom + offset;
    if (top < areaTop) {
        offset = std::min(0, offset + (areaTop - top));
    } else if (bottom > areaBottom) {
        offset = std::max(low, offset - (bottom - areaBottom));
    }
    return offset;
}

} // namespace norvane
