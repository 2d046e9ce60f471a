// Direction-key navigation between icons and the drop position of a drag.
#include "IconNavigation.h"

#include <cmath>
#include <cstdlib>

namespace norvane {

namespace {
constexpr int kNotPlaced = -999;

int NeighbourInRows(const IconLayoutResult& layout, int selected, NavDirection direction) {
    const int count = static_cast<int>(layout.icons.size());
    if (direction == NavDirection::Left) {
        return selected > 0 ? selected - 1 : -1;
    }
    if (direction == NavDirection::Right) {
        return selected + 1 < count ? selected + 1 : -1;
    }
    const IconPlacement& from = layout.icons[selected];
    int target = direction == NavDirection::Up ? from.row - 1 : from.row + (from.large ? 2 : 1);
    if (target < 0) {
        return -1;
    }
    int best = -1;
    int bestDistance = 0;
    // Up: a large icon two rows above reaches into the row above, so that row
    // counts too, but only when the row above has no icon of its own.
    int bestAbove = -1;
    int bestAboveDistance = 0;
    for (int i = 0; i < count; ++i) {
        const IconPlacement& icon = layout.icons[i];
        if (icon.row > target) {
            break;
        }
        if (i == selected) {
            continue;
        }
        int distance = std::abs(icon.hit.left - from.hit.left);
        if (icon.row == target) {
            if (best < 0 || distance < bestDistance) {
                best = i;
                bestDistance = distance;
            }
        } else if (direction == NavDirection::Up && icon.row == target - 1) {
            if (bestAbove < 0 || distance < bestAboveDistance) {
                bestAbove = i;
                bestAboveDistance = distance;
            }
        }
    }
    return best >= 0 ? best : bestAbove;
}

struct Corner {
    int x;
    int y;
};

int NeighbourFreePlaced(const IconLayoutResult& layout, int selected, NavDirection direction) {
    const LayoutRect& from = layout.icons[selected].hit;
    Corner reference{};
    switch (direction) {
    case NavDirection::Left:
    case NavDirection::Up:
        reference = {from.left, from.top};
        break;
    case NavDirection::Right:
        reference = {from.right, from.top};
        break;
    case NavDirection::Down:
        reference = {from.left, from.bottom};
        break;
    }
    int best = -1;
    int bestDistance = 99999;
    for (int i = 0; i < static_cast<int>(layout.icons.size()); ++i) {
        if (i == selected) {
            continue;
        }
        const IconPlacement& icon = layout.icons[i];
        if (icon.stored.x == kNotPlaced || icon.stored.y == kNotPlaced) {
            continue;
        }
        const LayoutRect& r = icon.hit;
        Corner own{};
        bool inDirection = false;
        switch (direction) {
        case NavDirection::Left:
            inDirection = r.left < from.left;
            own = {r.right, r.top};
            break;
        case NavDirection::Right:
            inDirection = r.right > from.right;
            own = {r.left, r.top};
            break;
        case NavDirection::Up:
            inDirection = r.top < from.top;
            own = {r.left, r.bottom};
            break;
        case NavDirection::Down:
            inDirection = r.bottom > from.bottom;
            own = {r.left, r.top};
            break;
        }
        if (!inDirection) {
            continue;
        }
        double dx = own.x - reference.x;
        double dy = own.y - reference.y;
        int distance = static_cast<int>(std::sqrt(dx * dx + dy * dy));
        if (distance < bestDistance) {
            best = i;
            bestDistance = distance;
        }
    }
    if (best < 0 && (direction == NavDirection::Left || direction == NavDirection::Right)) {
        return selected;
    }
    return best;
}
} // namespace

int NeighbourIcon(const IconLayoutResult& layout, int selected, NavDirection direction, bool freePlaced) {
    if (selected < 0 || selected >= static_cast<int>(layout.icons.size())) {
        return -1;
    }
    return freePlaced ? NeighbourFreePlaced(layout, selected, direction)
                      : NeighbourInRows(layout, selected, direction);
}

int DropInsertionIndex(const IconLayoutResult& layout, int dragged, int x, int y) {
    int before = 0;
    for (int i = 0; i < static_cast<int>(layout.icons.size()); ++i) {
        if (i == dragged) {
            continue;
        }
        const LayoutRect& r = layout.icons[i].hit;
        int centre = (r.left + r.right) / 2;
        if (centre >= x && r.bottom >= y) {
            return before;
        }
        ++before;
    }
    return before;
}

SettingsPoint FreeDropPosition(const IconPlacement& placement, int pressX, int pressY, int dropX, int dropY) {
    return SettingsPoint{placement.stored.x + dropX - pressX, placement.stored.y + dropY - pressY};
}

} // namespace norvane
