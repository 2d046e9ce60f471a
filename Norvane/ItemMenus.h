// The item's context menus: the shortcut menu, the special shortcut menu and
// the tab menu, with every entry's action. A change made through a menu is
// saved at once and followed by a reload.
//
// A menu runs a modal loop, and a reload (the options program saying the
// settings changed) may replace every tab and shortcut while it is open. So
// each menu remembers where its shortcut or tab lives (tab UniqueID or special
// type, position, target texts) and finds it again after the choice; when it is
// gone, the choice does nothing. The same holds after the Delete question.
// Callers must not use the ShortcutRecord they passed in after the call: it
// may have been destroyed by the action or by a reload.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace norvane {

class TodayItemWindow;
class ShortcutRecord;
struct TabRecord;

// Command ids of the context menus.
namespace menucmd {
inline constexpr UINT kNone = 0; // "Cancel", and the owner-drawn headers
inline constexpr UINT kSmall = 5000;
inline constexpr UINT kLarge = 5001;
inline constexpr UINT kDelete = 5002;
inline constexpr UINT kLaunch = 5003;
inline constexpr UINT kAddShortcut = 5004;
inline constexpr UINT kModifyImage = 5005;
inline constexpr UINT kAdditionalProperties = 5006;
inline constexpr UINT kRefresh = 5007;
inline constexpr UINT kConfigureSpecialTab = 5008;
inline constexpr UINT kChangeTarget = 5009;
inline constexpr UINT kLockIcon = 5010;
inline constexpr UINT kFreeIconPlacement = 5011;
inline constexpr UINT kOptions = 2100;
inline constexpr UINT kUseDefaultArrangement = 2103; // then Left, Centered, Right, Spread
inline constexpr UINT kSpreadArrangement = 2107;
inline constexpr UINT kCaptions = 2108;
inline constexpr UINT kFirstCard = 2300;
inline constexpr UINT kFirstMoveTab = 3000;
inline constexpr UINT kFirstCopyTab = 3100;
inline constexpr UINT kFirstSelectTab = 3400;
// Lists of tabs (and of cards) hold at most this many entries.
inline constexpr int kMaxListedTabs = 22;
} // namespace menucmd

// Texts of the menus and their messages.
namespace menutext {
inline constexpr UINT kOptions = 50002;
inline constexpr UINT kMakeSmall = 50008;
inline constexpr UINT kMakeLarge = 50009;
inline constexpr UINT kAllShortcuts = 50010;
inline constexpr UINT kUseDefault = 50011; // 50012 Left, 50013 Right, 50014 Centered, 50015 Spread
inline constexpr UINT kLeft = 50012;
inline constexpr UINT kRight = 50013;
inline constexpr UINT kCentered = 50014;
inline constexpr UINT kSpread = 50015;
inline constexpr UINT kOverrideArrangement = 50016;
inline constexpr UINT kTabCaptions = 50017;
inline constexpr UINT kAddShortcut = 50018;
inline constexpr UINT kSelectTab = 50019;
inline constexpr UINT kRefresh = 50020;
inline constexpr UINT kCancel = 50021;
inline constexpr UINT kMixedTabArrangement = 50022;
inline constexpr UINT kLaunchNamed = 50023;
inline constexpr UINT kSmall = 50024;
inline constexpr UINT kLarge = 50025;
inline constexpr UINT kDelete = 50026;
inline constexpr UINT kMoveTo = 50027;
inline constexpr UINT kCopyTo = 50028;
inline constexpr UINT kStorageCard = 50029;
inline constexpr UINT kModifyImage = 50030;
inline constexpr UINT kAdditionalProperties = 50031;
inline constexpr UINT kCaptionEnabled = 50032;
inline constexpr UINT kLaunch = 50033;
inline constexpr UINT kDeleteQuestion = 50034;
inline constexpr UINT kConfigureShellTray = 50035; // then Task Manager, Top Bar, Quick Launch
inline constexpr UINT kChangeTarget = 50072;
inline constexpr UINT kLockIcon = 50077;
inline constexpr UINT kFreeIconPlacement = 50078;
inline constexpr UINT kSaveFailed = 50090;
// The configure entry of a special tab without a text of its own.
inline constexpr wchar_t kConfigureOtherSpecialTab[] = L"Configure Special Tab";
} // namespace menutext

// What the menus ask of the system; tests replace these.
struct ItemMenuServices {
    // Shows the popup menu at a screen point and returns the chosen command id
    // (0 when none was chosen).
    std::function<UINT(HMENU menu, POINT screenPoint, HWND owner)> track;
    // The device's storage cards, folder names without "\", in the order the
    // platform enumerates them (FindFirstFlashCard / FindNextFlashCard).
    std::function<std::vector<std::wstring>()> storageCards;
    // Whether the meter definition measures a storage card when loaded at the
    // icon size (16, 32, 64). Empty: the launcher's meterKinds hook when the
    // meters fill it in, else the definition file's section for that size is
    // asked for its "storage-card" key.
    std::function<bool(const std::wstring& meterPath, int size)> isStorageMeter;
};

class ItemMenus {
public:
    explicit ItemMenus(TodayItemWindow& item);
    ItemMenus(const ItemMenus&) = delete;
    ItemMenus& operator=(const ItemMenus&) = delete;

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

    // The menu of a tab's shortcuts that the launcher opens for WM_APP + 15: one
    // owner-drawn item per shortcut (its picture and name), ids the 1-based
    // positions, right-aligned at the point. Returns the chosen position, 0 for
    // none; fits LauncherServices::chooseFromTabMenu.
    int ChooseFromTabMenu(HWND owner, TabRecord& tab, POINT screenPoint);

    // Owner-drawn items of these menus (headers, names); false when the item is
    // not one of ours.
    bool MeasureItem(MEASUREITEMSTRUCT& item);
    bool DrawItem(const DRAWITEMSTRUCT& item);

    // The texts of the two header kinds while a menu is open.
    const std::wstring& ShortcutHeader() const { return m_shortcutHeader; }
    const std::wstring& TabHeader() const { return m_tabHeader; }

    // Saves the settings and reloads. When the file cannot be written the user
    // is told, the change stays in memory and the view is rebuilt from it (no
    // reload that would throw the change away); false then.
    bool SaveAndReload();

private:
    // Where a shortcut lives, so that it can be found again after a modal loop.
    struct ShortcutPlace {
        int tabId = 0;     // UniqueID of an ordinary tab; 0 for a special tab
        int special = 0;   // SpecialType of a special tab; 0 for an ordinary tab
        int tabIndex = -1; // where the ordinary tab was, tried first
        int index = -1;
        std::wstring target;
        std::wstring additionalTarget;
    };
    bool Locate(const ShortcutRecord& shortcut, ShortcutPlace& place) const;
    ShortcutRecord* Find(const ShortcutPlace& place) const;
    TabRecord* TabOf(const ShortcutPlace& place) const;
    // The tab number the options program's switches use: index of an ordinary
    // tab, number of tabs + SpecialType - 1 for a special one; -1 when gone.
    int SwitchTabNumber(const ShortcutPlace& place) const;
    // The ordinary tab with the UniqueID; the one at hint first, so that a file
    // with a repeated UniqueID still finds the tab the menu was opened for.
    TabRecord* TabById(int uniqueId, int* index = nullptr, int hint = -1) const;

    UINT Track(HMENU menu, POINT screenPoint);
    int Ask(const std::wstring& text, UINT flags);
    std::wstring MeterPathOf(const ShortcutRecord& shortcut) const;
    bool IsStorageMeter(const ShortcutRecord& shortcut) const;
    std::vector<std::wstring> StorageCards() const;
    // Appends the storage-card submenu; the cards listed are kept in cards.
    void AppendCardMenu(HMENU menu, const ShortcutRecord& shortcut, std::vector<std::wstring>& cards) const;
    // The shortcut actions shared by both shortcut menus; true when handled.
    bool RunShortcutCommand(UINT command, const ShortcutPlace& place, const std::vector<int>& moveTabs,
                            const std::vector<std::wstring>& cards);
    void DeleteShortcut(const ShortcutPlace& place);
    void RunTabCommand(UINT command, int tabId, int tabIndex, const std::vector<int>& selectTabs);

    // The picture of an owner-drawn item's shortcut, when it is still there.
    void DrawPictureOf(const DRAWITEMSTRUCT& item, const ShortcutPlace& place) const;

    TodayItemWindow& m_item;
    ItemMenuServices m_services;
    // Alignment the default track uses (the launcher's tab menu opens
    // right-aligned).
    UINT m_trackAlignment = TPM_LEFTALIGN;
    std::wstring m_shortcutHeader;
    ShortcutPlace m_headerPlace;
    std::wstring m_tabHeader;
    std::vector<std::wstring> m_tabMenuNames;
    std::vector<ShortcutPlace> m_tabMenuPlaces;
};

} // namespace norvane
