// Where the tab bar stands and how its tabs are arranged: the bar's style from
// "BottomAlign", its height, the tab width with spreading over the item's
// width, the settings button, and the strip of tabs that scrolls sideways with
// arrows when the tabs are wider than the item. Plain numbers in device pixels.
#pragma once

#include "IconLayout.h"

#include <vector>

namespace norvane {

struct TabBarInput {
    int bottomAlign = 0;    // "BottomAlign", 0 to 5 (others act as 0)
    bool thumbTabs = false; // the thumb-tabs variant: icons, no names, no button
    int tabWidth = 40;      // "TabWidth", pixels
    bool hideSettingsButton = true;
    int fontHeight = 0;     // the tab font's text height (tmHeight)
    int tabExtraHeight = 4; // "TabExtraHeight", 96-dpi pixels
    int iconWidth = 0;      // widest / tallest tab image of the visible tabs
    int iconHeight = 0;
    int clientWidth = 240;
    int tabCount = 0;
    bool highResolution = false; // HiResDisplay
};

struct TabBarGeometry {
    bool atBottom = false;
    bool showNames = true;
    bool showIcons = true;
    int tabWidth = 0;
    int settingsWidth = 0;
    int height = 0;
    int iconColumn = 0;
    bool spread = false;
    // Where the first tab starts: the settings button's right edge (one pixel
    // further with a visible button on a high-resolution screen).
    int stripStart = 0;
    // The bar's vertical extent and the settings button (see PlaceVertically).
    int top = 0;
    int bottom = 0;
    LayoutRect settingsButton;

    // Tabs at the bottom: from itemHeight + ScaleY(1) - height down to
    // itemHeight + ScaleY(1); on top: from ScaleY(-1) down by the height.
    void PlaceVertically(int itemHeight);
    // The left edge of tab i while tab `first` is the first one shown.
    int TabLeft(int i, int first, int partial, bool leftArrow) const;
};

// Style, measures and spreading (vertical placement at the top).
TabBarGeometry ComputeTabBar(const TabBarInput& input);

// The tabs as drawn from the first visible one: their rectangles (tabs past the
// cut are absent), the arrows and the last fully visible tab.
struct TabStrip {
    int first = 0;
    int partial = 0;
    bool leftArrow = false;
    bool rightArrow = false;
    LayoutRect leftArrowRect;
    LayoutRect rightArrowRect;
    int lastFullyVisible = -1; // -1 when all tabs from the first on fit
    struct Tab {
        int index = 0;
        LayoutRect rect;
        bool cut = false; // its right part is covered by the right arrow
    };
    std::vector<Tab> tabs;
};

// Arranges the strip with `first` as the first visible tab. When the tabs from
// there on would leave room for ScaleX(12) more, the strip steps back and aligns
// the last tab with the right edge.
TabStrip ArrangeTabStrip(const TabBarGeometry& bar, int tabCount, int clientWidth, int first);

// The popup panel for the thumb tabs and floating panels, in screen
// coordinates: the item's width, tall enough for the current tab's icons (but
// never taller than the screen), below the item when there is room, else above.
LayoutRect PlacePopupPanel(const LayoutRect& item, int contentHeight, int screenHeight);

// The tab under a point of the bar, or -1 (arrows and the settings button are
// not tabs).
int TabStripHit(const TabBarGeometry& bar, const TabStrip& strip, int x, int y);

} // namespace norvane
