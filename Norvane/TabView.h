// The views that show shortcuts: TabView with a tab bar (customized tabs, or
// thumb tabs whose icons open in a popup panel) and NoTabsView, which shows
// only the current tab's icons. Layout arithmetic lives in IconLayout and
// TabBarLayout; the views measure, keep the results and paint.
#pragma once

#include "Bitmap32.h"
#include "IconLayout.h"
#include "ItemView.h"
#include "Painter.h"
#include "TabBarLayout.h"

#include <unordered_map>
#include <vector>

namespace norvane {

// Timers of the item window that scroll the icon area while an arrow is held.
namespace timers {
inline constexpr UINT_PTR kScrollUp = 40002;
inline constexpr UINT_PTR kScrollDown = 40003;
} // namespace timers

class TabView : public ItemView {
public:
    TabView(TodayItemWindow& owner, bool thumbTabs);
    ~TabView() override;

    int GetType() const override { return m_thumbTabs ? viewtype::kThumbTabs : viewtype::kCustomizedTabs; }
    bool ProcessWindowMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
    void Relayout() override;
    void ResetHeight() override;
    void ReloadTabs() override;
    int TabAt(POINT pt) const override;
    void OnCurrentTabChanged() override;
    ShortcutRecord* ShortcutAt(POINT pt) const override;
    RECT GetIconAreaRect() const override;
    POINT GetTabBarAnchor() const override { return m_anchor; }
    void Paint(HDC hdc, const RECT& client) override;

    // Input: presses and releases in the icon area and on the tab bar, keys.
    void OnPress(POINT pt) override;
    void OnTapUp(POINT pt) override;
    void OnTabBarPress(POINT pt) override;
    void OnTabBarTapUp(POINT pt) override;
    void OnMouseMove(POINT pt) override;
    int HandleKey(int key, bool entering) override;
    int HandleTabBarKey(int key) override;
    bool IsTabBarFocused() const override { return m_tabBarFocus != kNoFocus; }
    void ClearTabBarFocus() override { m_tabBarFocus = kNoFocus; }
    ShortcutRecord* NeighbourOf(const ShortcutRecord* shortcut, int key) const override;
    HBITMAP RenderPicture(const ShortcutRecord& shortcut, SIZE& size) override;
    void TogglePopupPanel() override;
    const IconLayoutResult* LayoutOf(const TabRecord* tab) const override;

    bool IsThumbTabs() const { return m_thumbTabs; }
    // Icons in a popup panel instead of the item (thumb tabs, floating panels).
    bool UsesPopupPanel() const;

    // Layout results, for painting, input and tests.
    const TabBarGeometry& Bar() const { return m_bar; }
    TabStrip Strip() const;
    // The placement of a shortcut of a visible tab (content coordinates:
    // without the scroll offset), or nullptr.
    const IconPlacement* PlacementOf(const ShortcutRecord* shortcut) const override;
    int ContentHeight(const TabRecord* tab) const;
    int ScrollRange(const TabRecord* tab) const;
    int RowCount() const { return m_rowCount; }
    RECT UpArrowRect() const { return m_upArrowRect; }
    RECT DownArrowRect() const { return m_downArrowRect; }
    RECT LeftTabArrowRect() const;
    RECT RightTabArrowRect() const;

    // Steps the first visible tab of the strip (the tab arrows).
    void StepTabStrip(int delta);
    // Scrolls the icon area so that the shortcut is fully visible.
    void ScrollIntoView(const ShortcutRecord& shortcut) override;
    // Keyboard focus in the tab bar: a tab index (the current tab), kFocusLeftArrow,
    // kFocusRightArrow, kFocusSettings, or kNoFocus (shown by a blend).
    static constexpr int kNoFocus = -1;
    static constexpr int kFocusLeftArrow = -2;
    static constexpr int kFocusRightArrow = -3;
    static constexpr int kFocusSettings = -4;
    void SetTabBarFocus(int focus) { m_tabBarFocus = focus; }
    int TabBarFocus() const { return m_tabBarFocus; }

    // The icon area of the current tab, drawn into the view's rectangle
    // (scrolled) or a popup panel's client (not scrolled).
    void PaintIconArea(HDC hdc, const RECT& area, int scrollOffset, bool arrows);
    // The tab bar alone, over whatever hdc holds.
    void PaintTabBar(HDC hdc, const RECT& client);
    // The popup panel: the background under it, its colour, the current tab's
    // icons and the separator lines that leave it open under the current tab.
    void PaintPanel(HDC hdc, const RECT& client, HWND panel, bool above);

protected:
    struct TabLayout {
        IconLayoutResult icons;
        int scrollRange = 0;
    };

    // Lays out every visible tab's icons in the given area; with scrolling,
    // tabs taller than the room get a second pass with a right margin.
    void LayoutAllTabs(const IconArea& area, int barHeight, bool allowSecondPass);
    int ClientWidth() const;
    int ClientHeight() const;
    bool IsLandscape() const;
    int FixedHeight() const;
    void StartScrolling(bool up);
    void StopScrolling();
    void OnScrollTimer(bool up);
    void PaintShortcut(HDC hdc, const ShortcutRecord& shortcut, const IconPlacement& placement, int dy,
                       bool selected);
    const Bitmap32& FallbackIcon(int size);
    int IconPictureSize(const ShortcutRecord& shortcut) const;
    void LoadArtwork();
    // Places the popup panel by the item and binds it to this view; shows it
    // when asked or when it was shown before.
    void PlacePanel(bool show);
    void MakeCurrent(int tab);
    void RedrawTabBar();
    // The shortcut's picture, and a meter's live part over it (meterText false:
    // without its value texts, which the caption shows).
    void DrawPicture(HDC hdc, const ShortcutRecord& shortcut, int x, int y, bool meterText = true);

    bool m_thumbTabs;
    TabBarGeometry m_bar;
    int m_firstTab = 0;
    int m_rowCount = 0;
    int m_tabBarFocus = kNoFocus;
    // A press on the tab bar that may still be a tap.
    bool m_tabBarPress = false;
    std::unordered_map<const TabRecord*, TabLayout> m_layouts;
    HFONT m_tabFont = nullptr;
    HFONT m_captionFont = nullptr;
    PaintColours m_colours;
    std::vector<Bitmap32> m_tabImages;
    Bitmap32 m_settingsImage;
    Bitmap32 m_upArrow;
    Bitmap32 m_downArrow;
    Bitmap32 m_fallbackSource;
    Bitmap32 m_fallbackSmall;
    Bitmap32 m_fallbackLarge;
    RECT m_upArrowRect{};
    RECT m_downArrowRect{};
    POINT m_anchor{-1, -1};
};

class NoTabsView : public TabView {
public:
    explicit NoTabsView(TodayItemWindow& owner);
    int GetType() const override { return viewtype::kNoTabs; }
    void Relayout() override;
    void ResetHeight() override;
    int TabAt(POINT pt) const override { return -1; }
    RECT GetIconAreaRect() const override;
    void Paint(HDC hdc, const RECT& client) override;
    int HandleKey(int key, bool entering) override { return 0; }
};

} // namespace norvane
