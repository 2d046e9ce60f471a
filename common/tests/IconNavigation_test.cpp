// Direction keys between icons and the drop position of a drag, over real row
// layouts at 96 dpi.
#include "IconNavigation.h"

#include "DisplayScale.h"

#include <gtest/gtest.h>

using namespace norvane;

namespace {

class NavigationTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetScreenDpi(96, 96);
        SetDisplayFlags(false, false);
    }
};

IconLayoutOptions LeftRows() {
    IconLayoutOptions options;
    options.displayMode = iconmode::kLeft;
    options.iconSpacing = 2;
    return options;
}

// Cells of 20 pixels from x = 2; four cells per row in this narrow area.
const IconArea kNarrow{2, 84, 10, false};

std::vector<IconLayoutItem> Items(std::initializer_list<bool> large) {
    std::vector<IconLayoutItem> items;
    for (bool l : large) {
        IconLayoutItem item;
        item.large = l;
        items.push_back(item);
    }
    return items;
}

TEST_F(NavigationTest, RowsStepThroughTheListAndBetweenRows) {
    // Rows of four: 0 1 2 3 / 4 5 6 7 / 8 9
    auto layout = LayoutIcons(Items({0, 0, 0, 0, 0, 0, 0, 0, 0, 0}), LeftRows(), kNarrow);
    ASSERT_EQ(layout.icons[4].row, 2);
    ASSERT_EQ(layout.icons[8].row, 3);
    EXPECT_EQ(NeighbourIcon(layout, 0, NavDirection::Left, false), -1) << "none before the first";
    EXPECT_EQ(NeighbourIcon(layout, 9, NavDirection::Right, false), -1) << "none after the last";
    EXPECT_EQ(NeighbourIcon(layout, 3, NavDirection::Right, false), 4) << "right runs on into the next row";
    EXPECT_EQ(NeighbourIcon(layout, 1, NavDirection::Down, false), 5);
    EXPECT_EQ(NeighbourIcon(layout, 6, NavDirection::Up, false), 2);
    EXPECT_EQ(NeighbourIcon(layout, 7, NavDirection::Down, false), 9)
        << "the nearest left edge in a short row";
    EXPECT_EQ(NeighbourIcon(layout, 9, NavDirection::Down, false), -1) << "no row below the last";
    EXPECT_EQ(NeighbourIcon(layout, 2, NavDirection::Up, false), -1) << "no row above the first";
    EXPECT_EQ(NeighbourIcon(layout, 12, NavDirection::Up, false), -1) << "a selection outside the list";
}

TEST_F(NavigationTest, LargeIconsCoverTwoRows) {
    // Mixed tab: large 0 spans rows 1 and 2 in cells 0-1; small 1, 2 fill row 1;
    // the next small icons in row 2 skip the large icon's cells.
    auto layout = LayoutIcons(Items({1, 0, 0, 0, 0, 0}), LeftRows(), kNarrow);
    ASSERT_EQ(layout.mode, iconmode::kMixed);
    ASSERT_EQ(layout.icons[0].row, 1);
    ASSERT_EQ(layout.icons[3].row, 2);
    ASSERT_GT(layout.icons[3].hit.left, layout.icons[0].hit.right - 1)
        << "row 2 starts right of the large icon";
    int below = NeighbourIcon(layout, 0, NavDirection::Down, false);
    ASSERT_GE(below, 0);
    EXPECT_EQ(layout.icons[below].row, 3) << "down from a large icon skips the row it covers";
    // Up from a row-3 icon under the large one: row 2 has icons of its own, so
    // the nearest of them wins over the large icon two rows up.
    EXPECT_EQ(layout.icons[NeighbourIcon(layout, below, NavDirection::Up, false)].row, 2);
}

TEST_F(NavigationTest, UpReachesALargeIconTwoRowsAboveWhenTheRowAboveIsEmpty) {
    // Only large icons, two per row, each covering two rows: rows 1 and 3 hold
    // icons, row 2 is covered.
    auto layout = LayoutIcons(Items({1, 1, 1}), LeftRows(), IconArea{2, 84, 10, false});
    ASSERT_EQ(layout.icons[2].row, layout.icons[0].row + 2);
    EXPECT_EQ(NeighbourIcon(layout, 2, NavDirection::Up, false), 0);
    EXPECT_EQ(NeighbourIcon(layout, 0, NavDirection::Down, false), 2);
}

TEST_F(NavigationTest, FreePlacedIconsAreFoundByDistance) {
    IconLayoutOptions options = LeftRows();
    options.freePlaced = true;
    auto items = Items({0, 0, 0, 0});
    items[0].stored = {100, 100};
    items[1].stored = {40, 90}; // left and a little up
    items[2].stored = {160, 100};
    items[3].stored = {100, 180};
    auto layout = LayoutIcons(items, options, IconArea{0, 240, 0, false});
    EXPECT_EQ(NeighbourIcon(layout, 0, NavDirection::Left, true), 1);
    EXPECT_EQ(NeighbourIcon(layout, 0, NavDirection::Right, true), 2);
    EXPECT_EQ(NeighbourIcon(layout, 0, NavDirection::Down, true), 3);
    EXPECT_EQ(NeighbourIcon(layout, 0, NavDirection::Up, true), 1) << "the only icon whose top is higher";
    EXPECT_EQ(NeighbourIcon(layout, 2, NavDirection::Right, true), 2)
        << "nothing to the right keeps the selection";
    EXPECT_EQ(NeighbourIcon(layout, 1, NavDirection::Up, true), -1) << "nothing above finds none";
    items[1].stored = {-999, -999};
    layout = LayoutIcons(items, options, IconArea{0, 240, 0, false});
    EXPECT_EQ(NeighbourIcon(layout, 0, NavDirection::Left, true), 0) << "an unplaced icon is skipped";
}

TEST_F(NavigationTest, DropIndexCountsTheOtherIconsBeforeThePoint) {
    // One row: cells at x = 2, 22, 42, 62 (centres 11, 31, 51, 71), bottom 26.
    auto layout = LayoutIcons(Items({0, 0, 0, 0}), LeftRows(), kNarrow);
    EXPECT_EQ(DropInsertionIndex(layout, -1, 0, 12), 0);
    EXPECT_EQ(DropInsertionIndex(layout, -1, 31, 12), 1) << "a centre at the point counts as right of it";
    EXPECT_EQ(DropInsertionIndex(layout, -1, 80, 12), 4) << "past the last: the end";
    EXPECT_EQ(DropInsertionIndex(layout, -1, 0, 60), 4) << "below every icon: the end";
    // Moving icon 0 between icons 1 and 2 lands it at index 1 of the others.
    EXPECT_EQ(DropInsertionIndex(layout, 0, 40, 12), 1);
    // Moving icon 3 to the front.
    EXPECT_EQ(DropInsertionIndex(layout, 3, 1, 12), 0);
}

TEST_F(NavigationTest, AFreeDropMovesTheIconWithTheStylus) {
    IconPlacement placement;
    placement.stored = {30, 12};
    EXPECT_EQ(FreeDropPosition(placement, 40, 20, 90, 5), (SettingsPoint{80, -3}));
    EXPECT_EQ(FreeDropPosition(placement, 40, 20, 40, 20), placement.stored) << "no move, no change";
}

} // namespace
