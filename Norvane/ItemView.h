// The display views of the Today item. The item window owns exactly one view and
// hands it every message it does not consume itself; the view decides how the
// item looks and how tall it wants to be.
#pragma once

#include "IconLayout.h"

#include <windows.h>

#include <vector>

namespace norvane {

class TodayItemWindow;
struct TabRecord;
class ShortcutRecord;

// What GetType answers for each kind of view.
namespace viewtype {
inline constexpr int kLoading = -2;
inline constexpr int kMinimized = -3;
inline constexpr int kCustomizedTabs = 2;
inline constexpr int kNoTabs = 3;
inline constexpr int kThumbTabs = 4;
} // namespace viewtype

// Answers of HandleTabBarKey.
namespace tabbarkey {
inline constexpr int kConsumed = 0;
inline constexpr int kLeaveToIcons = 1;
inline constexpr int kNotHandled = 2;
} // namespace tabbarkey

class ItemView {
public:
    explicit ItemView(TodayItemWindow& owner);
    virtual ~ItemView();
    ItemView(const ItemView&) = delete;
    ItemView& operator=(const ItemView&) = delete;

    // Chained handler for the messages the item window does not consume. Returns
    // true when handled, with the result in result.
    virtual bool ProcessWindowMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result);
    virtual void Relayout() {}
    void RelayoutAgain() { Relayout(); }
    virtual int GetType() const = 0;
    virtual int TabAt(POINT pt) const { return -1; }
    virtual void OnCurrentTabChanged() {}
    virtual ShortcutRecord* ShortcutAt(POINT pt) const;
    // The height the view wants from the Today screen; -1 leaves the item collapsed.
    virtual int GetHeight() const { return m_height; }
    virtual int HandleKey(int key, bool entering) { return 0; }
    virtual int HandleTabBarKey(int key) { return tabbarkey::kNotHandled; }
    virtual bool IsTabBarFocused() const { return false; }
    virtual void ClearTabBarFocus() {}
    virtual void ReloadTabs();
    virtual RECT GetIconAreaRect() const;
    virtual void OnTapUp(POINT pt) {}
    virtual void OnPress(POINT pt);
    virtual void OnTabBarTapUp(POINT pt) {}
    virtual void OnTabBarPress(POINT pt) {}
    virtual void OnMouseMove(POINT pt);
    virtual void ResetHeight();
    virtual POINT GetTabBarAnchor() const { return POINT{-1, -1}; }

    // Where the icons of a tab stand (content coordinates: without the scroll
    // offset); nullptr for views without icons.
    virtual const IconLayoutResult* LayoutOf(const TabRecord* tab) const { return nullptr; }
    virtual const IconPlacement* PlacementOf(const ShortcutRecord* shortcut) const { return nullptr; }
    // The shortcut next to the given one of the current tab in the direction of
    // a key (VK_LEFT .. VK_DOWN); the same shortcut when the key keeps it;
    // nullptr for none.
    virtual ShortcutRecord* NeighbourOf(const ShortcutRecord* shortcut, int key) const { return nullptr; }
    virtual void ScrollIntoView(const ShortcutRecord& shortcut) {}
    // The shortcut's picture over pure blue (0xFF0000) for dragging; nullptr
    // when the view draws no icons.
    virtual HBITMAP RenderPicture(const ShortcutRecord& shortcut, SIZE& size) { return nullptr; }
    // Shows or hides the popup panel of the current tab (views that have one).
    virtual void TogglePopupPanel() {}

    // The window the icons are in: the popup panel when one is attached.
    HWND InputWindow() const;
    // A point of the input window in content coordinates.
    POINT ToContent(POINT point) const;

    // Draws the whole view into any device context (WM_PAINT and WM_PRINTCLIENT).
    virtual void Paint(HDC hdc, const RECT& client);

    const std::vector<TabRecord*>& VisibleTabs() const { return m_visibleTabs; }
    int ScrollOffset() const { return m_scrollOffset; }
    void SetScrollOffset(int offset) { m_scrollOffset = offset; }
    bool IsScrolling() const { return m_scrolling; }
    HWND PopupChild() const { return m_popupChild; }
    void HidePopupChild();

protected:
    // Paints the Today screen's background under the item into hdc.
    void PaintTodayBackground(HDC hdc, const RECT& rc, HWND window = nullptr) const;
    void PaintDoubleBuffered(HWND hwnd);

    TodayItemWindow& m_owner;
    std::vector<TabRecord*> m_visibleTabs;
    int m_height = 0;
    int m_scrollOffset = 0;
    bool m_scrolling = false;
    HWND m_popupChild = nullptr;
};

// Shown from creation until the first reload: the loading text over the background.
class LoadingView : public ItemView {
public:
    explicit LoadingView(TodayItemWindow& owner);
    int GetType() const override { return viewtype::kLoading; }
    RECT GetIconAreaRect() const override { return RECT{-1, -1, -1, -1}; }
    void Paint(HDC hdc, const RECT& client) override;
};

// The item is minimized: it collapses and paints only the background.
class MinimizedView : public ItemView {
public:
    explicit MinimizedView(TodayItemWindow& owner);
    int GetType() const override { return viewtype::kMinimized; }
    int GetHeight() const override { return -1; }
    RECT GetIconAreaRect() const override { return RECT{-1, -1, -1, -1}; }
};

} // namespace norvane
