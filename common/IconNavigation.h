// Moving the selection between the icons of a tab with the direction keys, and
// where a dragged icon lands when it is dropped. Plain numbers over a tab's
// layout, so the same arithmetic runs on the device and in the host tests.
#pragma once

#include "IconLayout.h"

namespace norvane {

enum class NavDirection { Left, Up, Right, Down };

// The icon next to the selected one in the direction, or -1 for none.
// Rows: left and right step through the list; up and down go to the row
// above or below (below a large icon: two rows down) and take the icon whose
// left edge is nearest. Free-placed tabs search geometrically; there left and
// right keep the selection when nothing lies that way.
int NeighbourIcon(const IconLayoutResult& layout, int selected, NavDirection direction, bool freePlaced);

// The position in the list a dragged icon takes when dropped at (x, y) in
// content coordinates: the number of the other icons, in list order, before
// the first one whose horizontal centre lies at or right of x and whose bottom
// lies at or below y (the end of the list when there is none). The dragged
// icon itself (-1 for an icon from another tab) is not counted, so the answer
// is an index into the list without it.
int DropInsertionIndex(const IconLayoutResult& layout, int dragged, int x, int y);

// The stored position a free-placed icon gets when it was pressed at press and
// dropped at drop (content coordinates): it moves with the stylus.
SettingsPoint FreeDropPosition(const IconPlacement& placement, int pressX, int pressY, int dropX, int dropY);

} // namespace norvane
