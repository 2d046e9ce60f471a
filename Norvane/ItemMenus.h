// The item's context menus: the shortcut menu, the special shortcut menu and
// the tab menu, with every entry's action. A change made through a menu is
// saved at once and followed by a reload.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace norvane {

class TodayItemWindow;
class ShortcutRecord;

// What the menus ask of the system; tests replace these.
struct ItemMenuServices {
    // Shows the popup menu at a screen point and returns the chosen command id
    // (0 when none was chosen).
    std::function<UINT(HMENU menu, POINT screenPoint, HWND owner)> track;
};

class ItemMenus {
public:
    explicit ItemMenus(TodayItemWindow& item);

    ItemMenuServices& Services() { return m_services; }

    // The shortcut menu of a shortcut of the current tab, opened by tap-and-hold
    // (byKeyboard false) or by the action key (byKeyboard true).
    void ShowShortcutMenu(ShortcutRecord& shortcut, POINT screenPoint, bool byKeyboard);
    // The menu of a shortcut of a special tab; kind is SpecialType - 1 (0 Shell
    // Tray Tab, 1 Task Manager Tab, 2 Top Bar Tab, 3 Quick Launch Tab).
    void ShowSpecialShortcutMenu(ShortcutRecord& shortcut, int kind, POINT screenPoint);
    // The context menu of a visible tab (index into the view's visible tabs),
    // opened by tap-and-hold (byHold true) or from the tab bar by the keyboard.
    void ShowTabMenu(int visibleTab, POINT screenPoint, bool byHold);

    // Owner-drawn items of these menus (headers, names); false when the item is
    // not one of ours.
    bool MeasureItem(MEASUREITEMSTRUCT& item);
    bool DrawItem(const DRAWITEMSTRUCT& item);

private:
    TodayItemWindow& m_item;
    ItemMenuServices m_services;
};

} // namespace norvane
