// The item's context menus and their actions.
#include "ItemMenus.h"

#include "TodayItemWindow.h"

namespace norvane {

ItemMenus::ItemMenus(TodayItemWindow& item) : m_item(item) {
    m_services.track = [](HMENU menu, POINT at, HWND owner) {
        return static_cast<UINT>(
            TrackPopupMenuEx(menu, TPM_LEFTALIGN | TPM_RETURNCMD | TPM_NONOTIFY, at.x, at.y, owner, nullptr));
    };
}

void ItemMenus::ShowShortcutMenu(ShortcutRecord&, POINT, bool) {}

void ItemMenus::ShowSpecialShortcutMenu(ShortcutRecord&, int, POINT) {}

void ItemMenus::ShowTabMenu(int, POINT, bool) {}

bool ItemMenus::MeasureItem(MEASUREITEMSTRUCT&) {
    return false;
}

bool ItemMenus::DrawItem(const DRAWITEMSTRUCT&) {
    return false;
}

} // namespace norvane
