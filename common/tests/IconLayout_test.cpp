// Icon rows, the tab bar and the strip of tabs as numbers, at 96 dpi unless a
// test says otherwise.
#include "IconLayout.h"

#include "DisplayScale.h"
#include "Settings.h"
#include "TabBarLayout.h"

#include <gtest/gtest.h>

using namespace norvane;

namespace {

class LayoutTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetScreenDpi(96, 96);
        SetDisplayFlags(false, false);
    }
    void TearDown() override {
        SetScreenDpi(96, 96);
        SetDisplayFlags(false, false);
    }
};

std::vector<IconLayoutItem> Smalls(int n, bool captions = false) {
    std::vector<IconLayoutItem> items(n);
    for (auto& item : items) {
        item.captionShown = captions;
    }
    return items;
}

IconLayoutItem Large(bool captions = false) {
    IconLayoutItem item;
    item.large = true;
    item.captionShown = captions;
    return item;
}

IconLayoutOptions Plain(int mode) {
    IconLayoutOptions options;
    options.displayMode = mode;
    options.iconSpacing = 2;
    return options;
}

const IconArea kQvgaArea{2, 238, 30, false};

TEST_F(LayoutTest, RowsFollowTheAlignmentModes) {
    // Cell: 18 + 2 spacing = 20; (238 - 2) / 20 = 11 cells.
    auto left = LayoutIcons(Smalls(4), Plain(iconmode::kLeft), kQvgaArea);
    ASSERT_EQ(left.icons.size(), 4u);
    EXPECT_EQ(left.icons[0].hit, (LayoutRect{2, 30, 20, 46}));
    EXPECT_EQ(left.icons[1].hit.left, 22);
    EXPECT_EQ(left.icons[3].stored.x, 62);
    EXPECT_EQ(left.icons[3].stored.y, 0) << "stored y is relative to the first row";

    auto centred = LayoutIcons(Smalls(4), Plain(iconmode::kCentered), kQvgaArea);
    EXPECT_EQ(centred.icons[0].hit.left, 120 - 20 * 4 / 2);

    auto right = LayoutIcons(Smalls(4), Plain(iconmode::kRight), kQvgaArea);
    EXPECT_EQ(right.icons[0].hit.left, 238 - 80);
    EXPECT_EQ(right.icons[3].hit.left, 238 - 20);

    auto spread = LayoutIcons(Smalls(4), Plain(iconmode::kSpread), kQvgaArea);
    // step = 236 / 4 = 59, first x = 2 + (59 - 20) / 2 = 21.
    EXPECT_EQ(spread.icons[0].hit.left, 21);
    EXPECT_EQ(spread.icons[1].hit.left, 21 + 59);
    EXPECT_EQ(spread.icons[3].hit.left, 21 + 3 * 59);
    EXPECT_EQ(spread.rowCount, 1);

    // The tab's own mode wins over the general one.
    IconLayoutOptions overridden = Plain(iconmode::kSpread);
    overridden.overrideDisplayMode = iconmode::kRight;
    EXPECT_EQ(LayoutIcons(Smalls(4), overridden, kQvgaArea).icons[0].hit.left, 238 - 80);
}

TEST_F(LayoutTest, RowsBreakWhereTheNextIconPassesTheRightLimitAndTheLastRowIsCentred) {
    auto layout = LayoutIcons(Smalls(15), Plain(iconmode::kCentered), kQvgaArea);
    ASSERT_EQ(layout.rowCount, 2);
    // Eleven cells fit: the row starts at 120 - 110 = 10, so a 12th icon would
    // start at 230 and end at 246, past the limit.
    EXPECT_EQ(layout.icons[10].row, 1);
    EXPECT_EQ(layout.icons[11].row, 2);
    EXPECT_EQ(layout.icons[11].hit.top, 30 + 18);
    // The last row holds four icons, centred on their own.
    EXPECT_EQ(layout.icons[11].hit.left, 120 - 20 * 4 / 2);
    EXPECT_EQ(layout.contentHeight, (30 + 18 + 16) + 2 - 30);
}

TEST_F(LayoutTest, MixedSizesAreLeftAlignedAndLargeIconsKeepTheCellsBelowThemFree) {
    // Area for exactly five small cells: 5 * 20 = 100.
    IconArea area{0, 100, 0, false};
    std::vector<IconLayoutItem> items = Smalls(8);
    items[1] = Large();
    auto layout = LayoutIcons(items, Plain(iconmode::kCentered), area);
    EXPECT_EQ(layout.mode, iconmode::kMixed);
    EXPECT_FALSE(layout.wideCells);
    // Row 1: small at 0, large at 20 (two cells plus spacing = 38 wide), small at 60, small at 80.
    EXPECT_EQ(layout.icons[0].hit.left, 0);
    EXPECT_EQ(layout.icons[1].hit, (LayoutRect{20, 0, 20 + 38, 32}));
    EXPECT_EQ(layout.icons[1].icon.Width(), 32);
    EXPECT_EQ(layout.icons[2].hit.left, 60);
    EXPECT_EQ(layout.icons[3].hit.left, 80);
    EXPECT_EQ(layout.icons[3].row, 1);
    // Row 2 skips the two cells under the large icon.
    EXPECT_EQ(layout.icons[4].row, 2);
    EXPECT_EQ(layout.icons[4].hit.left, 0);
    EXPECT_EQ(layout.icons[5].hit.left, 60);
    EXPECT_EQ(layout.icons[6].hit.left, 80);
    EXPECT_EQ(layout.icons[7].row, 3);
    EXPECT_EQ(layout.icons[7].hit.left, 0) << "row 3 is free again";
    EXPECT_EQ(layout.rowCount, 3);
}

TEST_F(LayoutTest, ALargeIconInTheLastRowCountsTwoRows) {
    IconArea area{0, 100, 0, false};
    std::vector<IconLayoutItem> items = {IconLayoutItem{}, Large()};
    auto layout = LayoutIcons(items, Plain(iconmode::kLeft), area);
    EXPECT_EQ(layout.rowCount, 2);
    EXPECT_EQ(layout.contentHeight, 32 + 2);
}

TEST_F(LayoutTest, OnlyLargeIconsUseWideCellsAndOccupyTwoRows) {
    IconArea area{0, 240, 0, false};
    std::vector<IconLayoutItem> items(8, Large());
    auto layout = LayoutIcons(items, Plain(iconmode::kLeft), area);
    EXPECT_TRUE(layout.wideCells);
    // Wide cell: 18 + 16 = 34 + 2 spacing = 36; 240 / 36 = 6 per row.
    EXPECT_EQ(layout.icons[1].hit.left, 36);
    EXPECT_EQ(layout.icons[5].row, 1);
    // Row 2 is fully covered by row 1's large icons; the rest goes to row 3.
    EXPECT_EQ(layout.icons[6].row, 3);
    EXPECT_EQ(layout.icons[6].hit.top, 2 * 18);
    EXPECT_EQ(layout.rowCount, 4);
}

TEST_F(LayoutTest, SpreadRowsOfLargeIconsNeverOverlap) {
    // The installer's Tools tab: eleven large icons, spread. Row 1 takes six; the
    // five left are spread wider, so their cells do not line up with row 1's:
    // none of them may sit in the row under the large icons.
    for (int count : {7, 11, 13}) {
        IconArea area{2, 238, 0, false};
        std::vector<IconLayoutItem> items(count, Large());
        auto layout = LayoutIcons(items, Plain(iconmode::kSpread), area);
        for (int i = 0; i < count; ++i) {
            EXPECT_NE(layout.icons[i].row % 2, 0) << count << " icons: icon " << i << " is in a covered row";
            for (int j = 0; j < i; ++j) {
                const LayoutRect& a = layout.icons[i].hit;
                const LayoutRect& b = layout.icons[j].hit;
                EXPECT_FALSE(a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom)
                    << count << " icons: " << i << " overlaps " << j;
            }
        }
        EXPECT_EQ(layout.icons[6].row, 3) << count;
    }
}

TEST_F(LayoutTest, CaptionsWidenCellsAndSitUnderTheIcon) {
    IconLayoutOptions options = Plain(iconmode::kLeft);
    options.captionsEnabled = true;
    options.captionHeight = 13;
    options.extraCaptionWidth = 5;
    options.smallIconCaptionMode = 1;
    auto layout = LayoutIcons(Smalls(3, true), options, IconArea{0, 240, 0, false});
    // Cell: 18 + 2*5 + 2 = 30.
    EXPECT_EQ(layout.icons[1].hit.left, 30);
    EXPECT_EQ(layout.icons[0].hit.Width(), 18 + 10);
    EXPECT_EQ(layout.icons[0].icon, (LayoutRect{5, 0, 21, 16}));
    EXPECT_EQ(layout.icons[0].caption, (LayoutRect{0, 16, 26, 29}));
    EXPECT_EQ(layout.captionHeight, 13);

    // Small icons drawn large in wide cells ("SmallIconCaptionMode" 2).
    options.smallIconCaptionMode = 2;
    options.extraCaptionWidth = 0;
    layout = LayoutIcons(Smalls(2, true), options, IconArea{0, 240, 0, false});
    EXPECT_TRUE(layout.wideCells);
    EXPECT_EQ(layout.icons[1].hit.left, 36);
    EXPECT_EQ(layout.icons[0].icon.Width(), 32);
    EXPECT_EQ(layout.icons[0].originX, 34 / 4) << "a small picture sits in the middle of its wide cell";
    EXPECT_EQ(layout.icons[0].caption, (LayoutRect{0, 16, 32, 29}));

    // No caption for small icons in mode 0; half-height captions then apply.
    options.smallIconCaptionMode = 0;
    options.halfHeightCaptions = true;
    layout = LayoutIcons(Smalls(2, true), options, IconArea{0, 240, 0, false});
    EXPECT_EQ(layout.captionHeight, 6);
    EXPECT_TRUE(layout.icons[0].caption.IsEmpty());
    // Large icons get twice the caption height.
    options.smallIconCaptionMode = 1;
    layout = LayoutIcons({Large(true)}, options, IconArea{0, 240, 0, false});
    EXPECT_EQ(layout.captionHeight, 6) << "no small icons: half height";
    EXPECT_EQ(layout.icons[0].caption.Height(), 12);
}

TEST_F(LayoutTest, FreePlacementUsesTheStoredPositionsOfTheOrientationOnly) {
    Settings settings;
    TabRecord tab;
    tab.FreePlacedPortrait = true;
    auto& a = tab.AddShortcut();
    a.SetLocationPortrait(SettingsPoint{100, 40});
    a.SetLocationLandscape(SettingsPoint{7, 7});
    auto& b = tab.AddShortcut();
    b.SetLocationPortrait(SettingsPoint{10, 0});
    IconArea area{2, 238, 30, false};

    auto portrait = LayoutIcons(IconLayoutItemsFor(settings.General, tab, false),
                                IconLayoutOptionsFor(settings.General, tab, false), area);
    EXPECT_EQ(portrait.icons[0].hit.left, 100);
    EXPECT_EQ(portrait.icons[0].hit.top, 70);
    EXPECT_EQ(portrait.icons[1].hit.left, 10);
    EXPECT_EQ(portrait.contentHeight, 40 + 16 + 2);

    // Landscape is not free placed: rows, whatever positions are stored.
    auto landscape = LayoutIcons(IconLayoutItemsFor(settings.General, tab, true),
                                 IconLayoutOptionsFor(settings.General, tab, true), area);
    EXPECT_EQ(landscape.icons[0].hit.top, 30);
    EXPECT_EQ(landscape.icons[0].row, 1);
    EXPECT_NE(landscape.icons[0].hit.left, 7);
}

TEST_F(LayoutTest, EmptyTabsAndHostileSettingsStayCalm) {
    auto empty = LayoutIcons({}, Plain(iconmode::kSpread), kQvgaArea);
    EXPECT_TRUE(empty.icons.empty());
    EXPECT_EQ(empty.rowCount, 1);
    EXPECT_EQ(empty.contentHeight, 2);

    // An area too narrow for one cell lays out nothing and keeps one row.
    auto narrow = LayoutIcons(Smalls(3), Plain(iconmode::kLeft), IconArea{0, 10, 0, false});
    EXPECT_EQ(narrow.rowCount, 1);

    // A large icon wider than a one-cell area still gets a row of its own.
    std::vector<IconLayoutItem> mixed = {IconLayoutItem{}, Large(), IconLayoutItem{}};
    auto tight = LayoutIcons(mixed, Plain(iconmode::kLeft), IconArea{0, 25, 0, false});
    EXPECT_EQ(tight.icons[1].row, 2);
    EXPECT_EQ(tight.icons[2].row, 4) << "below the large icon's two rows";

    IconLayoutOptions hostile = Plain(iconmode::kSpread);
    hostile.iconSpacing = 2000000000;
    hostile.extraCaptionWidth = -2000000000;
    hostile.captionsEnabled = true;
    hostile.captionHeight = 2000000000;
    auto odd = LayoutIcons(Smalls(50, true), hostile, kQvgaArea);
    EXPECT_EQ(odd.icons.size(), 50u);
    EXPECT_GE(odd.rowCount, 1);
}

TEST_F(LayoutTest, HitTestPrefersIconsThenTheLastTargetWithItsCaption) {
    IconLayoutOptions options = Plain(iconmode::kLeft);
    options.captionsEnabled = true;
    options.smallIconCaptionMode = 1;
    auto layout = LayoutIcons(Smalls(3, true), options, IconArea{0, 240, 0, false});
    EXPECT_EQ(IconAt(layout, 5, 5), 0);
    EXPECT_EQ(IconAt(layout, 25, 5), 1);
    EXPECT_EQ(IconAt(layout, 5, 20), 0) << "the caption below belongs to the shortcut";
    EXPECT_EQ(IconAt(layout, 5, 40), -1);
    EXPECT_EQ(IconAt(layout, 19, 5), -1) << "spacing between cells";
    EXPECT_EQ(IconExtent(layout.icons[0]).bottom, 16 + 13);
}

TEST_F(LayoutTest, ScrollingStopsAtBothEndsAndBringsShortcutsIntoView) {
    bool atLimit = false;
    EXPECT_EQ(ScrollTick(0, 30, false, atLimit), -12);
    EXPECT_FALSE(atLimit);
    EXPECT_EQ(ScrollTick(-24, 30, false, atLimit), -30);
    EXPECT_TRUE(atLimit);
    EXPECT_EQ(ScrollTick(-5, 30, true, atLimit), 0);
    EXPECT_TRUE(atLimit);
    // Below the area: scrolled up by the difference, at most the range.
    EXPECT_EQ(ScrollIntoView(0, 30, LayoutRect{0, 90, 20, 110}, 20, 100), -10);
    EXPECT_EQ(ScrollIntoView(0, 30, LayoutRect{0, 190, 20, 210}, 20, 100), -30);
    // Above the area: back down, not past the top.
    EXPECT_EQ(ScrollIntoView(-30, 30, LayoutRect{0, 40, 20, 60}, 20, 100), -20);
    EXPECT_EQ(ScrollIntoView(-30, 30, LayoutRect{0, 0, 20, 10}, 20, 100), 0);
    EXPECT_EQ(ScrollIntoView(-10, 30, LayoutRect{0, 40, 20, 60}, 20, 100), -10) << "already visible";
}

TEST_F(LayoutTest, VgaDoublesTheMeasures) {
    SetDisplayFlags(true, true);
    auto layout = LayoutIcons(Smalls(2), Plain(iconmode::kLeft), IconArea{0, 480, 0, false});
    EXPECT_EQ(layout.icons[0].hit, (LayoutRect{0, 0, 36, 32}));
    EXPECT_EQ(layout.icons[1].hit.left, 40);
    SetDisplayFlags(false, false);
    SetScreenDpi(192, 192);
    layout = LayoutIcons(Smalls(2), Plain(iconmode::kLeft), IconArea{0, 480, 0, false});
    EXPECT_EQ(layout.icons[1].hit.left, 40);
}

// ---------------------------------------------------------------- tab bar

TabBarInput Bar(int tabs, int width = 240) {
    TabBarInput input;
    input.bottomAlign = 0;
    input.tabWidth = 40;
    input.hideSettingsButton = false;
    input.fontHeight = 14;
    input.tabExtraHeight = 4;
    input.iconWidth = 16;
    input.iconHeight = 16;
    input.clientWidth = width;
    input.tabCount = tabs;
    return input;
}

TEST_F(LayoutTest, TabBarStylesOfBottomAlign) {
    struct Case {
        int value;
        bool bottom, icons, names;
    } cases[] = {{0, false, true, true}, {1, true, true, true},   {2, false, false, true},
                 {3, true, false, true}, {4, false, true, false}, {5, true, true, false},
                 {9, false, true, true}, {-1, false, true, true}};
    for (const Case& c : cases) {
        TabBarInput input = Bar(3);
        input.bottomAlign = c.value;
        TabBarGeometry bar = ComputeTabBar(input);
        EXPECT_EQ(bar.atBottom, c.bottom) << c.value;
        EXPECT_EQ(bar.showIcons, c.icons) << c.value;
        EXPECT_EQ(bar.showNames, c.names) << c.value;
    }
    TabBarInput thumb = Bar(3);
    thumb.bottomAlign = 2;
    thumb.thumbTabs = true;
    TabBarGeometry bar = ComputeTabBar(thumb);
    EXPECT_TRUE(bar.showIcons);
    EXPECT_FALSE(bar.showNames);
    EXPECT_EQ(bar.settingsWidth, 0) << "no settings button with thumb tabs";
}

TEST_F(LayoutTest, TabBarHeightFitsTheFontAndTheTallestIcon) {
    TabBarInput input = Bar(3);
    EXPECT_EQ(ComputeTabBar(input).height, 16 + 8);
    input.iconHeight = 32;
    input.iconWidth = 30;
    TabBarGeometry bar = ComputeTabBar(input);
    EXPECT_EQ(bar.height, 32 + 8);
    EXPECT_EQ(bar.iconColumn, 34);
    input.bottomAlign = 2; // icons hidden
    EXPECT_EQ(ComputeTabBar(input).height, 14 + 8);

    bar.atBottom = true;
    bar.PlaceVertically(100);
    EXPECT_EQ(bar.top, 101 - 40);
    EXPECT_EQ(bar.bottom, 101);
    EXPECT_EQ(bar.settingsButton.top, bar.top);
}

TEST_F(LayoutTest, FewTabsAreSpreadOverTheItemAndManyTabsScroll) {
    TabBarGeometry four = ComputeTabBar(Bar(4));
    EXPECT_EQ(four.settingsWidth, 16);
    EXPECT_EQ(four.stripStart, 15);
    EXPECT_TRUE(four.spread);
    EXPECT_EQ(four.tabWidth, 57);
    TabStrip strip = ArrangeTabStrip(four, 4, 240, 0);
    ASSERT_EQ(strip.tabs.size(), 4u);
    EXPECT_FALSE(strip.rightArrow);
    EXPECT_EQ(strip.tabs[0].rect.left, 16);
    EXPECT_EQ(strip.tabs[1].rect.left, 16 + 56) << "neighbours overlap by one pixel";
    EXPECT_GE(strip.tabs[3].rect.right, 240);
    EXPECT_LE(strip.tabs[3].rect.right - 240, 57 / 4);

    TabBarGeometry twelve = ComputeTabBar(Bar(12));
    EXPECT_FALSE(twelve.spread);
    EXPECT_EQ(twelve.tabWidth, 40);
    strip = ArrangeTabStrip(twelve, 12, 240, 0);
    EXPECT_TRUE(strip.rightArrow);
    EXPECT_FALSE(strip.leftArrow);
    // Tab i spans 16 + 39 i to 56 + 39 i: tab 5 ends at 251 > 240.
    EXPECT_EQ(strip.lastFullyVisible, 4);
    ASSERT_EQ(strip.tabs.size(), 6u);
    EXPECT_TRUE(strip.tabs.back().cut);
    EXPECT_EQ(strip.rightArrowRect, (LayoutRect{227, -1, 241, 23}));
    EXPECT_EQ(strip.tabs.back().rect.right, 227);

    // Scrolled by one: the left arrow appears and the tabs move right.
    strip = ArrangeTabStrip(twelve, 12, 240, 1);
    EXPECT_TRUE(strip.leftArrow);
    EXPECT_EQ(strip.leftArrowRect.left, 15);
    EXPECT_EQ(strip.tabs[0].index, 1);
    EXPECT_EQ(strip.tabs[0].rect.left, 16 + 13);

    // Hit tests: tabs, not the arrows or the button.
    EXPECT_EQ(TabStripHit(twelve, strip, 40, 5), 1);
    EXPECT_EQ(TabStripHit(twelve, strip, 20, 5), -1);
    EXPECT_EQ(TabStripHit(twelve, strip, 230, 5), -1);
    EXPECT_EQ(TabStripHit(twelve, strip, 40, 30), -1);
}

TEST_F(LayoutTest, ScrollingPastTheEndStepsBackAndAlignsTheLastTab) {
    TabBarGeometry bar = ComputeTabBar(Bar(12));
    TabStrip strip = ArrangeTabStrip(bar, 12, 240, 11);
    EXPECT_LT(strip.first, 11);
    EXPECT_TRUE(strip.leftArrow);
    EXPECT_FALSE(strip.rightArrow);
    EXPECT_EQ(strip.tabs.back().index, 11);
    EXPECT_EQ(strip.tabs.back().rect.right, 240) << "the last tab meets the right edge";
}

TEST_F(LayoutTest, SpreadingIsCancelledWhenItOvershootsByMoreThanAQuarterTab) {
    TabBarInput input = Bar(5);
    input.iconWidth = 60; // icon column 64: five tabs cannot shrink to fit 240
    TabBarGeometry bar = ComputeTabBar(input);
    EXPECT_FALSE(bar.spread);
    EXPECT_EQ(bar.tabWidth, 40);

    // Without a settings button the strip starts two pixels further left.
    input = Bar(3);
    input.hideSettingsButton = true;
    bar = ComputeTabBar(input);
    EXPECT_EQ(bar.settingsWidth, 0);
    EXPECT_TRUE(bar.spread);
    TabStrip strip = ArrangeTabStrip(bar, 3, 240, 0);
    EXPECT_EQ(strip.tabs[0].rect.left, -2);
    EXPECT_GE(strip.tabs[2].rect.right, 240);
}

TEST_F(LayoutTest, IconOnlyTabsAreAtLeastAsWideAsTheirPictures) {
    TabBarInput input = Bar(30);
    input.bottomAlign = 4;
    TabBarGeometry bar = ComputeTabBar(input);
    EXPECT_FALSE(bar.showNames);
    EXPECT_EQ(bar.tabWidth, 20);
}

TEST_F(LayoutTest, PopupPanelOpensBelowWhenThereIsRoomElseAbove) {
    LayoutRect item{0, 100, 240, 124};
    LayoutRect below = PlacePopupPanel(item, 60, 320);
    EXPECT_EQ(below, (LayoutRect{0, 124, 240, 124 + 70}));
    LayoutRect above = PlacePopupPanel(LayoutRect{0, 280, 240, 304}, 60, 320);
    EXPECT_EQ(above, (LayoutRect{0, 210, 240, 280}));
    LayoutRect huge = PlacePopupPanel(item, 5000, 320);
    EXPECT_EQ(huge.Height(), 320);
    EXPECT_EQ(huge.top, 0);
    EXPECT_EQ(PlacePopupPanel(item, 0, 320).Height(), 16 + 4);
}

} // namespace
