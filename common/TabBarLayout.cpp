// The tab bar's arithmetic: style, height, tab width, spreading, and the strip
// that scrolls sideways.
#include "TabBarLayout.h"

#include "DisplayScale.h"

#include <algorithm>

namespace norvane {

namespace {

int Clamp(int value, int low, int high) {
    return std::min(std::max(value, low), high);
}

// The right edge that n tabs of width w reach from the strip start.
long long StripRight(const TabBarGeometry& bar, int n, int width) {
    const int noButton = bar.settingsWidth == 0 ? 2 : 0;
    return static_cast<long long>(n) * width + bar.stripStart - noButton -
           static_cast<long long>(n - 1) * ScaleX(1) + 1;
}

} // namespace

void TabBarGeometry::PlaceVertically(int itemHeight) {
    if (atBottom) {
        top = itemHeight + ScaleY(1) - height;
        bottom = itemHeight + ScaleY(1);
    } else {
        top = ScaleY(-1);
        bottom = top + height;
    }
    settingsButton.top = top;
    settingsButton.bottom = bottom;
}

int TabBarGeometry::TabLeft(int i, int first, int partial, bool leftArrow) const {
    const int noButton = settingsWidth == 0 ? 2 : 0;
    int x = (tabWidth - ScaleX(1)) * (i - first) + stripStart - partial - noButton + 1;
    if (leftArrow) {
        x += ScaleX(13);
    }
    return x;
}

TabBarGeometry ComputeTabBar(const TabBarInput& input) {
    TabBarGeometry bar;
    int style = input.bottomAlign;
    if (style < 0 || style > 5) {
        style = 0;
    }
    bar.atBottom = style % 2 == 1;
    bar.showIcons = style != 2 && style != 3;
    bar.showNames = style < 4;
    if (input.thumbTabs) {
        bar.showIcons = true;
        bar.showNames = false;
    }

    const int extra = 2 * ScaleY(Clamp(input.tabExtraHeight, 0, 200));
    bar.height = std::max(0, input.fontHeight) + extra;
    bar.iconColumn = 0;
    if (bar.showIcons) {
        bar.height = std::max(bar.height, std::max(0, input.iconHeight) + extra);
        bar.iconColumn = std::max(0, input.iconWidth) + ScaleX(4);
    }

    if (bar.showNames) {
        bar.tabWidth = Clamp(input.tabWidth, ScaleX(2) + 1, 4000);
    } else {
        // Icon-only tabs are at least as wide as their pictures.
        bar.tabWidth = std::max(ScaleX(14), bar.iconColumn);
    }
    bar.settingsWidth = (input.thumbTabs || input.hideSettingsButton) ? 0 : ScaleX(16);
    bar.settingsButton =
        LayoutRect{ScaleX(-1), ScaleY(-1), ScaleX(-1) + bar.settingsWidth, ScaleY(-1) + bar.height};
    bar.stripStart = bar.settingsButton.right;
    if (input.highResolution && bar.settingsWidth > 0) {
        bar.stripStart += 1;
    }

    // Spreading: tabs narrower than the item share its whole width.
    const int n = input.tabCount;
    const int width = input.clientWidth;
    if (n > 0) {
        const int noButton = bar.settingsWidth == 0 ? 2 : 0;
        const long long unspread =
            static_cast<long long>(bar.tabWidth - ScaleX(1)) * n + bar.stripStart - noButton + 1;
        if (unspread < width) {
            int spreadWidth = std::max((width - bar.settingsWidth) / n, bar.iconColumn);
            spreadWidth = std::max(spreadWidth, 1);
            while (StripRight(bar, n, spreadWidth) < width) {
                ++spreadWidth;
            }
            const long long overshoot = StripRight(bar, n, spreadWidth) - width;
            if (overshoot <= spreadWidth / 4) {
                bar.tabWidth = spreadWidth;
                bar.spread = true;
            }
        }
    }
    bar.PlaceVertically(0);
    return bar;
}

TabStrip ArrangeTabStrip(const TabBarGeometry& bar, int tabCount, int clientWidth, int first) {
    TabStrip strip;
    if (tabCount <= 0) {
        return strip;
    }
    first = Clamp(first, 0, tabCount - 1);
    int partial = 0;
    if (!bar.spread) {
        // Scrolled further than needed: step back while the tabs from the first
        // one on leave room for more, and align the last tab with the right edge.
        while (first > 0) {
            const int lastRight = bar.TabLeft(tabCount - 1, first, 0, true) + bar.tabWidth;
            if (lastRight + ScaleX(12) > clientWidth) {
                break;
            }
            --first;
            const int newRight = bar.TabLeft(tabCount - 1, first, 0, true) + bar.tabWidth;
            partial = std::max(0, newRight - clientWidth);
            if (partial > 0) {
                break;
            }
        }
    }
    strip.first = first;
    strip.partial = partial;
    strip.leftArrow = first > 0 || partial > 0;
    if (strip.leftArrow) {
        strip.leftArrowRect = LayoutRect{bar.stripStart, bar.top, bar.stripStart + ScaleX(14), bar.bottom};
    }
    for (int i = first; i < tabCount; ++i) {
        TabStrip::Tab tab;
        tab.index = i;
        const int left = bar.TabLeft(i, first, partial, strip.leftArrow);
        tab.rect = LayoutRect{left, bar.top, left + bar.tabWidth, bar.bottom};
        if (!bar.spread && tab.rect.right > clientWidth) {
            strip.rightArrow = true;
            strip.rightArrowRect = LayoutRect{clientWidth - ScaleX(13), bar.top,
                                              clientWidth - ScaleX(13) + ScaleX(14), bar.bottom};
            strip.lastFullyVisible = i - 1;
            tab.cut = true;
            tab.rect.right = std::max(tab.rect.left, strip.rightArrowRect.left);
            strip.tabs.push_back(tab);
            break;
        }
        strip.tabs.push_back(tab);
    }
    return strip;
}

LayoutRect PlacePopupPanel(const LayoutRect& item, int contentHeight, int screenHeight) {
    int height = std::max(ScaleY(16), contentHeight + ScaleY(6)) + ScaleY(4);
    if (height < 0) {
        height = ScaleY(32);
    }
    height = std::min(height, std::max(0, screenHeight));
    LayoutRect panel{item.left, item.bottom, item.right, item.bottom + height};
    if (screenHeight - item.bottom < height) {
        // Not enough room below: open above the item, kept on the screen.
        panel.bottom = item.top;
        panel.top = item.top - height;
        if (panel.top < 0) {
            panel.top = 0;
            panel.bottom = height;
        }
    }
    return panel;
}

int TabStripHit(const TabBarGeometry& bar, const TabStrip& strip, int x, int y) {
    if (y < bar.top || y >= bar.bottom) {
        return -1;
    }
    if ((strip.leftArrow && strip.leftArrowRect.Contains(x, y)) ||
        (strip.rightArrow && strip.rightArrowRect.Contains(x, y)) || bar.settingsButton.Contains(x, y)) {
        return -1;
    }
    int found = -1;
    for (const TabStrip::Tab& tab : strip.tabs) {
        if (tab.rect.Contains(x, y)) {
            // Neighbours overlap by one pixel; the later tab is drawn on top.
            found = tab.index;
        }
    }
    return found;
}

} // namespace norvane
