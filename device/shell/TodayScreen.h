// The Today screen: the desktop window of the device. It loads the Today items
// listed in the registry, stacks their windows, negotiates their heights, paints
// the background they draw over and moves the keyboard selection among them.
#pragma once

#include "TodayApi.h"
#include "Window.h"

#include <memory>
#include <string>
#include <vector>

namespace norvane::device {

class ShellHost;

class TodayScreen : public Window {
public:
    explicit TodayScreen(ShellHost& host);
    ~TodayScreen() override;

    bool Create(const RECT& area);
    void Reposition(const RECT& area);
    // Loads the item list (at boot, after the task bar exists).
    void LoadItems();
    // Unloads every item (shell exit).
    void UnloadItems();
    // Asks every item for its height and re-stacks when one changed.
    void QueryHeights(bool forceLayout);
    // True when nothing waits in this thread's queue and no item changes its
    // height when asked (the control tool's "settled" question).
    bool IsSettled();

    // Paints the Today screen into any DC (WM_PAINT and WM_PRINTCLIENT).
    void Paint(HDC dc, const RECT& update);

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    struct Item;
    struct ItemEntry {
        std::wstring name;
        std::wstring dll;
        DWORD order = 0;
        DWORD enabled = 1;
        DWORD options = 0;
        DWORD selectability = 0;
    };

    std::vector<ItemEntry> ReadItemList() const;
    void RefreshItemList();
    // True when the registry's list lets go of an item that is loaded now.
    bool RefreshUnloadsAnItem() const;
    bool LoadItem(Item& item);
    void UnloadItem(Item& item);
    void Layout();
    int DateRowHeight() const;
    int ItemIndexOfWindow(HWND hwnd) const;

    // Keyboard selection.
    void OnKey(UINT vk);
    bool OfferSelection(int from, int step, UINT vk);
    void ClearSelection();

    ShellHost& m_host;
    std::vector<std::unique_ptr<Item>> m_items;
    int m_selected = -1;
    int m_refreshDepth = 0;
    bool m_refreshPending = false;
    bool m_showDate = true;
    UINT m_resetMessage = 0;
    UINT m_powerOffMessage = 0;
    UINT m_shutdownMessage = 0;
    UINT m_rotateMessage = 0;
    UINT m_settledMessage = 0;
    bool m_lastQueryChanged = false;
};

} // namespace norvane::device
