// Tab views: the tab bar and the icon rows measured and painted.
#include "TabView.h"

#include "DisplayScale.h"
#include "ImageDraw.h"
#include "ImageHandles.h"
#include "ImageLoader.h"
#include "MeterPictures.h"
#include "Module.h"
#include "Settings.h"
#include "TodayItemWindow.h"

#include "Aygshell.h"
#include "IconNavigation.h"

#include <algorithm>
#include <optional>

namespace norvane {

namespace {
constexpr UINT kScrollPeriodMs = 100;
constexpr int kFallbackIconId = 125;
constexpr int kSettingsId = 145;
constexpr int kSettingsVgaId = 149;
constexpr int kDownScrollId = 171;
constexpr int kUpScrollId = 172;
constexpr int kDownScrollVgaId = 173;
constexpr int kUpScrollVgaId = 174;

RECT ToRect(const LayoutRect& r) {
    return RECT{r.left, r.top, r.right, r.bottom};
}

RECT Shifted(const LayoutRect& r, int dy) {
    return RECT{r.left, r.top + dy, r.right, r.bottom + dy};
}

bool Inside(const RECT& r, POINT pt) {
    return pt.x >= r.left && pt.x < r.right && pt.y >= r.top && pt.y < r.bottom;
}

void DrawCentred(const Bitmap32& image, HDC dc, const RECT& box) {
    if (image.IsEmpty()) {
        return;
    }
    int x = box.left + (box.right - box.left - image.Width()) / 2;
    int y = box.top + (box.bottom - box.top - image.Height()) / 2;
    DrawImage(image, dc, x, y);
}

// A small triangle pointing left or right, for the tab strip's arrows.
void DrawTriangle(HDC dc, const RECT& box, bool right, COLORREF colour) {
    int cx = (box.left + box.right) / 2;
    int cy = (box.top + box.bottom) / 2;
    int half = std::max<int>(2, std::min<int>(box.right - box.left, box.bottom - box.top) / 4);
    POINT points[3];
    if (right) {
        points[0] = {cx - half / 2, cy - half};
        points[1] = {cx - half / 2, cy + half};
        points[2] = {cx + half / 2 + 1, cy};
    } else {
        points[0] = {cx + half / 2, cy - half};
        points[1] = {cx + half / 2, cy + half};
        points[2] = {cx - half / 2 - 1, cy};
    }
    HBRUSH brush = CreateSolidBrush(colour);
    HPEN pen = CreatePen(PS_SOLID, 1, colour);
    SelectedObject b(dc, brush);
    SelectedObject p(dc, pen);
    Polygon(dc, points, 3);
    DeleteObject(brush);
    DeleteObject(pen);
}
} // namespace

TabView::TabView(TodayItemWindow& owner, bool thumbTabs) : ItemView(owner), m_thumbTabs(thumbTabs) {}

TabView::~TabView() {
    if (m_owner.Panel().BoundView() == this) {
        m_owner.Panel().Bind(nullptr, false);
    }
    if (m_tabFont) {
        DeleteObject(m_tabFont);
    }
    if (m_captionFont) {
        DeleteObject(m_captionFont);
    }
}

bool TabView::UsesPopupPanel() const {
    return m_thumbTabs || m_owner.GetSettings().General.UseFloatingPanels;
}

int TabView::ClientWidth() const {
    RECT rc = {};
    if (m_owner.Hwnd()) {
        GetClientRect(m_owner.Hwnd(), &rc);
    }
    int width = rc.right - rc.left;
    return width > 0 ? width : GetSystemMetrics(SM_CXSCREEN);
}

int TabView::ClientHeight() const {
    RECT rc = {};
    if (m_owner.Hwnd()) {
        GetClientRect(m_owner.Hwnd(), &rc);
    }
    return rc.bottom - rc.top;
}

bool TabView::IsLandscape() const {
    return GetSystemMetrics(SM_CYSCREEN) < GetSystemMetrics(SM_CXSCREEN);
}

int TabView::FixedHeight() const {
    const GeneralOptions& general = m_owner.GetSettings().General;
    return IsLandscape() ? general.LandscapeHeightInPixel : general.HeightInPixels;
}

void TabView::LoadArtwork() {
    const Settings& settings = m_owner.GetSettings();
    const bool vga = HiResDisplay() || TrueVga();
    ThemeImageContext context = ItemThemeContext(settings);
    HMODULE own = Module::Instance();
    m_tabImages.clear();
    m_tabImages.resize(m_visibleTabs.size());
    for (size_t i = 0; i < m_visibleTabs.size(); ++i) {
        LoadTabImage(m_visibleTabs[i]->Image, m_tabImages[i], own, own, HiResDisplay());
    }
    LoadThemeImage(m_settingsImage, vga ? L"settings_vga.tga" : L"settings.tga",
                   vga ? kSettingsVgaId : kSettingsId, context);
    LoadThemeImage(m_upArrow, vga ? L"up_scroll_vga.tga" : L"up_scroll.tga",
                   vga ? kUpScrollVgaId : kUpScrollId, context);
    LoadThemeImage(m_downArrow, vga ? L"down_scroll_vga.tga" : L"down_scroll.tga",
                   vga ? kDownScrollVgaId : kDownScrollId, context);
    // Before the shell is ready there are no theme files to look at; the
    // built-in pictures stand in.
    if (m_settingsImage.IsEmpty()) {
        LoadResourceImage(m_settingsImage, own, vga ? kSettingsVgaId : kSettingsId);
    }
    if (m_upArrow.IsEmpty()) {
        LoadResourceImage(m_upArrow, own, vga ? kUpScrollVgaId : kUpScrollId);
    }
    if (m_downArrow.IsEmpty()) {
        LoadResourceImage(m_downArrow, own, vga ? kDownScrollVgaId : kDownScrollId);
    }
    m_fallbackSmall.Empty();
    m_fallbackLarge.Empty();
    if (m_fallbackSource.IsEmpty()) {
        LoadResourceImage(m_fallbackSource, own, kFallbackIconId);
    }
}

void TabView::ReloadTabs() {
    ItemView::ReloadTabs();
    const GeneralOptions& general = m_owner.GetSettings().General;
    LoadArtwork();
    if (m_captionFont) {
        DeleteObject(m_captionFont);
    }
    int captionSize = general.CaptionFontSize > 0 ? general.CaptionFontSize : 12;
    m_captionFont = CreateItemFont(general.CaptionFont, captionSize, general.BoldForCaptions);
    m_colours = ResolvePaintColours(general, m_owner.Parent(), m_owner.SeparatorColour());
}

void TabView::LayoutAllTabs(const IconArea& area, int barHeight, bool allowSecondPass) {
    const Settings& settings = m_owner.GetSettings();
    const bool landscape = IsLandscape();
    m_layouts.clear();
    m_rowCount = settings.General.RowCount;
    for (const TabRecord* tab : m_visibleTabs) {
        TabLayout layout;
        layout.icons = LayoutIcons(IconLayoutItemsFor(settings.General, *tab, landscape),
                                   IconLayoutOptionsFor(settings.General, *tab, landscape), area);
        m_layouts[tab] = std::move(layout);
    }
    ResetHeight();
    if (allowSecondPass && settings.General.AllowScrolling) {
        int clientHeight = ClientHeight();
        int room = clientHeight > 0 ? std::min(m_height, clientHeight) : m_height;
        IconArea narrowed = area;
        narrowed.rightMargin = true;
        for (const TabRecord* tab : m_visibleTabs) {
            TabLayout& layout = m_layouts[tab];
            int needed = layout.icons.contentHeight + ScaleY(2) + barHeight;
            if (needed > room) {
                layout.icons = LayoutIcons(IconLayoutItemsFor(settings.General, *tab, landscape),
                                           IconLayoutOptionsFor(settings.General, *tab, landscape), narrowed);
                layout.scrollRange = layout.icons.contentHeight + ScaleY(2) + barHeight - room;
            }
        }
    }
    for (const TabRecord* tab : m_visibleTabs) {
        const TabLayout& layout = m_layouts[tab];
        m_rowCount = std::max(m_rowCount, layout.icons.rowCount);
        if (IconLayoutOptionsFor(settings.General, *tab, landscape).freePlaced) {
            continue;
        }
        // Row-placed shortcuts remember where they stand, so that free placement
        // starts from there.
        for (size_t i = 0; i < tab->Shortcuts.size() && i < layout.icons.icons.size(); ++i) {
            ShortcutRecord& shortcut = *tab->Shortcuts[i];
            if (landscape) {
                shortcut.SetLocationLandscape(layout.icons.icons[i].stored);
            } else {
                shortcut.SetLocationPortrait(layout.icons.icons[i].stored);
            }
        }
    }
}

void TabView::Relayout() {
    const GeneralOptions& general = m_owner.GetSettings().General;
    if (m_tabFont) {
        DeleteObject(m_tabFont);
    }
    m_tabFont = CreateItemFont(general.TabFont, ScaleY(general.FontSize), general.BoldForTabs);

    TabBarInput input;
    input.bottomAlign = general.BottomAlign;
    input.thumbTabs = m_thumbTabs;
    input.tabWidth = general.TabWidth;
    input.hideSettingsButton = general.HideSettingsBtn;
    input.tabExtraHeight = general.TabExtraHeight;
    input.clientWidth = ClientWidth();
    input.tabCount = static_cast<int>(m_visibleTabs.size());
    input.highResolution = HiResDisplay();
    {
        ScreenDc screen;
        SelectedObject font(screen.Get(), m_tabFont);
        TEXTMETRICW metrics = {};
        GetTextMetricsW(screen.Get(), &metrics);
        input.fontHeight = metrics.tmHeight;
    }
    for (const Bitmap32& image : m_tabImages) {
        input.iconWidth = std::max(input.iconWidth, image.Width());
        input.iconHeight = std::max(input.iconHeight, image.Height());
    }
    m_bar = ComputeTabBar(input);

    const bool popup = UsesPopupPanel();
    IconArea area;
    area.left = ScaleX(2);
    area.right = input.clientWidth - ScaleX(2);
    if (popup) {
        area.top = ScaleY(6);
    } else if (m_bar.atBottom) {
        area.top = ScaleY(1);
    } else {
        area.top = ScaleY(2) + m_bar.height;
    }
    LayoutAllTabs(area, m_bar.height, !popup);

    if (popup) {
        m_height = m_bar.height - ScaleY(2);
        m_bar.atBottom = false;
        PlacePanel(false);
    } else {
        HidePopupChild();
        if (m_popupChild && m_owner.Panel().BoundView() == this) {
            m_owner.Panel().Bind(nullptr, false);
        }
        m_popupChild = nullptr;
    }
    m_bar.PlaceVertically(GetHeight());
    m_firstTab = 0;
    SetRectEmpty(&m_upArrowRect);
    SetRectEmpty(&m_downArrowRect);
    int range = ScrollRange(m_owner.CurrentTabRecord());
    m_scrollOffset = std::min(0, std::max(m_scrollOffset, -range));
}

void TabView::ResetHeight() {
    int fixed = FixedHeight();
    if (fixed != 0) {
        m_height = fixed;
        return;
    }
    int height = ScaleY(26);
    for (const TabRecord* tab : m_visibleTabs) {
        height = std::max(height, ContentHeight(tab) + ScaleY(2) + m_bar.height);
    }
    m_height = height;
}

int TabView::ContentHeight(const TabRecord* tab) const {
    auto found = m_layouts.find(tab);
    return found == m_layouts.end() ? 0 : found->second.icons.contentHeight;
}

int TabView::ScrollRange(const TabRecord* tab) const {
    auto found = m_layouts.find(tab);
    return found == m_layouts.end() ? 0 : found->second.scrollRange;
}

const IconPlacement* TabView::PlacementOf(const ShortcutRecord* shortcut) const {
    for (const TabRecord* tab : m_visibleTabs) {
        auto found = m_layouts.find(tab);
        if (found == m_layouts.end()) {
            continue;
        }
        for (size_t i = 0; i < tab->Shortcuts.size() && i < found->second.icons.icons.size(); ++i) {
            if (tab->Shortcuts[i].get() == shortcut) {
                return &found->second.icons.icons[i];
            }
        }
    }
    return nullptr;
}

TabStrip TabView::Strip() const {
    return ArrangeTabStrip(m_bar, static_cast<int>(m_visibleTabs.size()), ClientWidth(), m_firstTab);
}

RECT TabView::LeftTabArrowRect() const {
    TabStrip strip = Strip();
    return strip.leftArrow ? ToRect(strip.leftArrowRect) : RECT{};
}

RECT TabView::RightTabArrowRect() const {
    TabStrip strip = Strip();
    return strip.rightArrow ? ToRect(strip.rightArrowRect) : RECT{};
}

void TabView::StepTabStrip(int delta) {
    int count = static_cast<int>(m_visibleTabs.size());
    m_firstTab = std::min(std::max(m_firstTab + delta, 0), std::max(0, count - 1));
    m_firstTab = Strip().first;
    if (m_owner.Hwnd()) {
        InvalidateRect(m_owner.Hwnd(), nullptr, FALSE);
    }
}

int TabView::TabAt(POINT pt) const {
    return TabStripHit(m_bar, Strip(), pt.x, pt.y);
}

ShortcutRecord* TabView::ShortcutAt(POINT pt) const {
    TabRecord* tab = m_owner.CurrentTabRecord();
    if (!tab) {
        return nullptr;
    }
    auto found = m_layouts.find(tab);
    if (found == m_layouts.end()) {
        return nullptr;
    }
    int index = IconAt(found->second.icons, pt.x, pt.y - (m_popupChild ? 0 : m_scrollOffset));
    if (index < 0 || index >= static_cast<int>(tab->Shortcuts.size())) {
        return nullptr;
    }
    return tab->Shortcuts[index].get();
}

RECT TabView::GetIconAreaRect() const {
    if (m_popupChild) {
        return ItemView::GetIconAreaRect();
    }
    RECT rc = {0, 0, ClientWidth(), ClientHeight()};
    if (rc.bottom <= 0) {
        rc.bottom = m_height;
    }
    if (m_bar.atBottom) {
        rc.top = ScaleX(1);
        rc.bottom -= m_bar.height + ScaleY(2);
    } else {
        rc.top = ScaleY(2) + m_bar.height;
    }
    return rc;
}

void TabView::OnCurrentTabChanged() {
    m_scrollOffset = 0;
    if (UsesPopupPanel() && m_popupChild) {
        PlacePanel(false);
    }
    if (m_owner.Hwnd()) {
        InvalidateRect(m_owner.Hwnd(), nullptr, FALSE);
    }
}

void TabView::PlacePanel(bool show) {
    HWND panel = m_owner.FloatingPanelWindow();
    HWND item = m_owner.Hwnd();
    if (!panel || !item) {
        return;
    }
    const bool wasVisible = m_popupChild == panel && IsWindowVisible(panel);
    m_popupChild = panel;
    RECT window;
    GetWindowRect(item, &window);
    LayoutRect itemRect{window.left, window.top, window.right, window.top + std::max(GetHeight(), 0)};
    // The soft-key bar covers the bottom of the screen: the panel stays above it.
    int usable = GetSystemMetrics(SM_CYSCREEN) - GetSystemMetrics(SM_CYMENU);
    LayoutRect rect = PlacePopupPanel(itemRect, ContentHeight(m_owner.CurrentTabRecord()), usable);
    m_owner.Panel().Bind(this, rect.top < itemRect.top);
    // Topmost: under Wine a raised Today window covers even the popups it owns.
    // The panel hides as soon as the Today screen is no longer in front.
    const bool shown = show || wasVisible;
    SetWindowPos(panel, HWND_TOPMOST, rect.left, rect.top, rect.Width(), rect.Height(),
                 SWP_NOACTIVATE | (shown ? SWP_SHOWWINDOW : 0));
    if (shown) {
        m_owner.WatchPanel();
    }
    InvalidateRect(panel, nullptr, FALSE);
}

void TabView::TogglePopupPanel() {
    if (!m_popupChild) {
        return;
    }
    if (IsWindowVisible(m_popupChild)) {
        HidePopupChild();
    } else {
        PlacePanel(true);
    }
    RedrawTabBar();
}

void TabView::RedrawTabBar() {
    if (m_owner.Hwnd()) {
        InvalidateRect(m_owner.Hwnd(), nullptr, FALSE);
    }
}

void TabView::MakeCurrent(int tab) {
    const int count = static_cast<int>(m_visibleTabs.size());
    if (tab < 0 || tab >= count) {
        return;
    }
    if (tab != m_owner.CurrentTab()) {
        m_owner.SetCurrentTab(tab);
    }
    // Keep the new tab on the strip.
    if (tab < m_firstTab) {
        m_firstTab = tab;
    }
    for (int guard = 0; guard < count; ++guard) {
        TabStrip strip = Strip();
        if (strip.lastFullyVisible < 0 || tab <= strip.lastFullyVisible || m_firstTab >= tab) {
            break;
        }
        ++m_firstTab;
    }
    if (m_tabBarFocus >= 0) {
        m_tabBarFocus = tab;
    }
    OnCurrentTabChanged();
    if (m_popupChild) {
        InvalidateRect(m_popupChild, nullptr, FALSE);
    }
}

void TabView::ScrollIntoView(const ShortcutRecord& shortcut) {
    int range = ScrollRange(m_owner.CurrentTabRecord());
    const IconPlacement* placement = PlacementOf(&shortcut);
    if (range <= 0 || !placement) {
        return;
    }
    RECT area = GetIconAreaRect();
    int offset =
        norvane::ScrollIntoView(m_scrollOffset, range, IconExtent(*placement), area.top, area.bottom);
    if (offset != m_scrollOffset) {
        m_scrollOffset = offset;
        if (m_owner.Hwnd()) {
            InvalidateRect(m_owner.Hwnd(), nullptr, FALSE);
        }
    }
}

void TabView::StartScrolling(bool up) {
    HWND hwnd = m_owner.Hwnd();
    m_scrolling = true;
    SetCapture(hwnd);
    SetTimer(hwnd, up ? timers::kScrollUp : timers::kScrollDown, kScrollPeriodMs, nullptr);
    OnScrollTimer(up);
}

void TabView::StopScrolling() {
    HWND hwnd = m_owner.Hwnd();
    m_scrolling = false;
    KillTimer(hwnd, timers::kScrollUp);
    KillTimer(hwnd, timers::kScrollDown);
    if (GetCapture() == hwnd) {
        ReleaseCapture();
    }
    InvalidateRect(hwnd, nullptr, FALSE);
}

void TabView::OnScrollTimer(bool up) {
    bool atLimit = false;
    m_scrollOffset = ScrollTick(m_scrollOffset, ScrollRange(m_owner.CurrentTabRecord()), up, atLimit);
    if (atLimit) {
        StopScrolling();
        return;
    }
    InvalidateRect(m_owner.Hwnd(), nullptr, FALSE);
}

bool TabView::ProcessWindowMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    const POINT pt{static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))};
    switch (msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
        // The class asks for double clicks; a quick second tap is still a press.
        result = 0;
        if (!m_popupChild && (Inside(m_upArrowRect, pt) || Inside(m_downArrowRect, pt))) {
            StartScrolling(Inside(m_upArrowRect, pt));
        } else if (!m_popupChild && Inside(GetIconAreaRect(), pt)) {
            OnPress(pt);
        } else {
            OnTabBarPress(pt);
        }
        return true;
    }
    case WM_LBUTTONUP:
        result = 0;
        if (m_scrolling) {
            StopScrolling();
        } else if (!m_popupChild && Inside(GetIconAreaRect(), pt)) {
            OnTapUp(pt);
        } else {
            // A press in the icon area that ends on the tab bar is no tap.
            m_owner.TakeTap();
            OnTabBarTapUp(pt);
        }
        return true;
    case WM_MOUSEMOVE:
        OnMouseMove(pt);
        result = 0;
        return true;
    case WM_WINDOWPOSCHANGED:
        // The Today screen moved the item: the panel follows.
        if (m_popupChild && IsWindowVisible(m_popupChild)) {
            PlacePanel(false);
        }
        break;
    case WM_TIMER:
        if (wp == timers::kScrollUp || wp == timers::kScrollDown) {
            OnScrollTimer(wp == timers::kScrollUp);
            result = 0;
            return true;
        }
        break;
    default:
        break;
    }
    return ItemView::ProcessWindowMessage(hwnd, msg, wp, lp, result);
}

void TabView::OnPress(POINT pt) {
    const GeneralOptions& general = m_owner.GetSettings().General;
    TabRecord* tab = m_owner.CurrentTabRecord();
    ShortcutRecord* shortcut = ShortcutAt(pt);
    std::wstring text;
    if (shortcut) {
        m_owner.SelectShortcut(shortcut, true);
        text = shortcut->Caption();
    } else if (tab) {
        text = tab->Name;
    }
    if (text.empty()) {
        return;
    }
    HWND window = InputWindow();
    const bool menuFollows = !shortcut || general.ShowShortcutContextMenu;
    SHRGINFO gesture = {};
    gesture.cbSize = sizeof(gesture);
    gesture.hwndClient = window;
    gesture.ptDown = pt;
    gesture.dwFlags = SHRG_RETURNCMD | (menuFollows ? 0 : SHRG_NOANIMATION);
    if (SHRecognizeGesture(&gesture) == GN_CONTEXTMENU) {
        POINT screen = pt;
        ClientToScreen(window, &screen);
        if (!shortcut) {
            m_owner.Menus().ShowTabMenu(m_owner.CurrentTab(), screen, true);
        } else if (general.ShowShortcutContextMenu) {
            m_owner.Menus().ShowShortcutMenu(*shortcut, screen, false);
        } else {
            m_owner.ShowCaption(text, POINT{screen.x - ScaleX(10), screen.y - ScaleY(15)});
        }
        return;
    }
    m_owner.BeginPress(window, pt, shortcut);
}

void TabView::OnTapUp(POINT pt) {
    if (!m_owner.TakeTap()) {
        return;
    }
    if (ShortcutRecord* shortcut = ShortcutAt(pt)) {
        m_owner.GetLauncher().Activate(*shortcut, true);
    }
}

void TabView::OnMouseMove(POINT pt) {
    m_owner.OnStylusMove(InputWindow(), pt);
}

void TabView::OnTabBarPress(POINT pt) {
    m_tabBarPress = false;
    RECT left = LeftTabArrowRect();
    RECT right = RightTabArrowRect();
    const bool onLeft = Inside(left, pt);
    const bool onRight = Inside(right, pt);
    const bool onSettings = m_bar.settingsWidth > ScaleX(1) && Inside(ToRect(m_bar.settingsButton), pt);
    int tab = (onLeft || onRight || onSettings) ? -1 : TabAt(pt);
    if (!onLeft && !onRight && (tab < 0 || m_visibleTabs[tab]->Name.empty())) {
        m_tabBarPress = true;
        return;
    }
    SHRGINFO gesture = {};
    gesture.cbSize = sizeof(gesture);
    gesture.hwndClient = m_owner.Hwnd();
    gesture.ptDown = pt;
    gesture.dwFlags = SHRG_RETURNCMD | ((onLeft || onRight) ? SHRG_NOANIMATION : 0);
    if (SHRecognizeGesture(&gesture) != GN_CONTEXTMENU) {
        m_tabBarPress = true;
        return;
    }
    if (onLeft) {
        m_firstTab = 0;
        RedrawTabBar();
    } else if (onRight) {
        // The last page: as many tabs from the end as fit.
        StepTabStrip(static_cast<int>(m_visibleTabs.size()));
    } else {
        POINT screen = pt;
        ClientToScreen(m_owner.Hwnd(), &screen);
        m_owner.Menus().ShowTabMenu(tab, screen, true);
    }
}

void TabView::OnTabBarTapUp(POINT pt) {
    if (!m_tabBarPress) {
        return;
    }
    m_tabBarPress = false;
    if (Inside(RightTabArrowRect(), pt)) {
        StepTabStrip(1);
        return;
    }
    if (Inside(LeftTabArrowRect(), pt)) {
        StepTabStrip(-1);
        return;
    }
    if (m_bar.settingsWidth > ScaleX(1) && Inside(ToRect(m_bar.settingsButton), pt)) {
        m_owner.GetLauncher().StartOptions(std::wstring());
        return;
    }
    int tab = TabAt(pt);
    if (tab < 0) {
        return;
    }
    if (tab == m_owner.CurrentTab()) {
        if (m_popupChild) {
            TogglePopupPanel();
        }
        return;
    }
    MakeCurrent(tab);
}

int TabView::HandleKey(int key, bool entering) {
    if (key != VK_UP && key != VK_DOWN) {
        return 0;
    }
    const bool barBelow = m_bar.atBottom || m_popupChild != nullptr;
    bool focus = false;
    if (m_popupChild && !IsWindowVisible(m_popupChild)) {
        focus = true;
    } else if (entering) {
        focus = key == (barBelow ? VK_UP : VK_DOWN);
    } else {
        focus = key == (barBelow ? VK_DOWN : VK_UP);
    }
    if (!focus || m_visibleTabs.empty()) {
        return 0;
    }
    m_tabBarFocus = std::max(0, m_owner.CurrentTab());
    RedrawTabBar();
    return 1;
}

int TabView::HandleTabBarKey(int key) {
    const int count = static_cast<int>(m_visibleTabs.size());
    const int current = m_owner.CurrentTab();
    const bool hasSettings = m_bar.settingsWidth > ScaleX(1);
    TabStrip strip = Strip();
    auto focusOn = [&](int focus) {
        m_tabBarFocus = focus;
        RedrawTabBar();
        return tabbarkey::kConsumed;
    };
    const bool barBelow = m_bar.atBottom || m_popupChild != nullptr;
    if (key == VK_UP || key == VK_DOWN) {
        m_tabBarFocus = kNoFocus;
        RedrawTabBar();
        if (key == (barBelow ? VK_DOWN : VK_UP)) {
            // Out of the item: the Today screen moves on.
            HidePopupChild();
            return tabbarkey::kNotHandled;
        }
        if (m_popupChild && !IsWindowVisible(m_popupChild)) {
            PlacePanel(true);
        }
        return tabbarkey::kLeaveToIcons;
    }
    if (m_tabBarFocus >= 0) {
        switch (key) {
        case VK_LEFT:
            if (current > strip.first && current > 0) {
                MakeCurrent(current - 1);
                return tabbarkey::kConsumed;
            }
            if (strip.leftArrow) {
                return focusOn(kFocusLeftArrow);
            }
            return hasSettings ? focusOn(kFocusSettings) : tabbarkey::kNotHandled;
        case VK_RIGHT: {
            const bool atLastVisible = strip.lastFullyVisible >= 0 && current >= strip.lastFullyVisible;
            if (!atLastVisible && current + 1 < count) {
                MakeCurrent(current + 1);
                return tabbarkey::kConsumed;
            }
            return strip.rightArrow ? focusOn(kFocusRightArrow) : tabbarkey::kNotHandled;
        }
        case VK_RETURN:
            if (m_popupChild) {
                TogglePopupPanel();
            } else {
                POINT anchor = GetTabBarAnchor();
                ClientToScreen(m_owner.Hwnd(), &anchor);
                m_owner.Menus().ShowTabMenu(current, anchor, false);
            }
            return tabbarkey::kConsumed;
        default:
            return tabbarkey::kNotHandled;
        }
    }
    switch (m_tabBarFocus) {
    case kFocusLeftArrow:
        if (key == VK_LEFT) {
            return hasSettings ? focusOn(kFocusSettings) : tabbarkey::kNotHandled;
        }
        if (key == VK_RIGHT) {
            return focusOn(std::max(0, current));
        }
        if (key == VK_RETURN) {
            StepTabStrip(-1);
            return tabbarkey::kConsumed;
        }
        break;
    case kFocusRightArrow:
        if (key == VK_LEFT) {
            return focusOn(std::max(0, current));
        }
        if (key == VK_RETURN) {
            StepTabStrip(1);
            return tabbarkey::kConsumed;
        }
        break;
    case kFocusSettings:
        if (key == VK_RIGHT) {
            return focusOn(Strip().leftArrow ? kFocusLeftArrow : std::max(0, current));
        }
        if (key == VK_RETURN) {
            m_owner.GetLauncher().StartOptions(std::wstring());
            return tabbarkey::kConsumed;
        }
        break;
    default:
        break;
    }
    return tabbarkey::kNotHandled;
}

const IconLayoutResult* TabView::LayoutOf(const TabRecord* tab) const {
    auto found = m_layouts.find(tab);
    return found == m_layouts.end() ? nullptr : &found->second.icons;
}

ShortcutRecord* TabView::NeighbourOf(const ShortcutRecord* shortcut, int key) const {
    TabRecord* tab = m_owner.CurrentTabRecord();
    const IconLayoutResult* layout = LayoutOf(tab);
    if (!tab || !layout || !shortcut) {
        return nullptr;
    }
    int selected = -1;
    for (size_t i = 0; i < tab->Shortcuts.size(); ++i) {
        if (tab->Shortcuts[i].get() == shortcut) {
            selected = static_cast<int>(i);
        }
    }
    NavDirection direction = key == VK_LEFT    ? NavDirection::Left
                             : key == VK_RIGHT ? NavDirection::Right
                             : key == VK_UP    ? NavDirection::Up
                                               : NavDirection::Down;
    const bool freePlaced =
        IconLayoutOptionsFor(m_owner.GetSettings().General, *tab, IsLandscape()).freePlaced;
    int next = NeighbourIcon(*layout, selected, direction, freePlaced);
    if (next < 0 || next >= static_cast<int>(tab->Shortcuts.size())) {
        return nullptr;
    }
    return tab->Shortcuts[next].get();
}

HBITMAP TabView::RenderPicture(const ShortcutRecord& shortcut, SIZE& size) {
    int side = IconPictureSize(shortcut);
    size = SIZE{side, side};
    ScreenDc screen;
    HDC dc = CreateCompatibleDC(screen.Get());
    HBITMAP bitmap = CreateCompatibleBitmap(screen.Get(), side, side);
    if (!dc || !bitmap) {
        if (dc) {
            DeleteDC(dc);
        }
        if (bitmap) {
            DeleteObject(bitmap);
        }
        return nullptr;
    }
    HGDIOBJ old = SelectObject(dc, bitmap);
    RECT all = {0, 0, side, side};
    HBRUSH key = CreateSolidBrush(0xFF0000);
    FillRect(dc, &all, key);
    DeleteObject(key);
    DrawPicture(dc, shortcut, 0, 0);
    SelectObject(dc, old);
    DeleteDC(dc);
    return bitmap;
}

int TabView::IconPictureSize(const ShortcutRecord& shortcut) const {
    if (TrueVga() && shortcut.InSpecialTab()) {
        return 16;
    }
    return shortcut.LargeIcon() ? ScaleX(32) : ScaleX(16);
}

const Bitmap32& TabView::FallbackIcon(int size) {
    Bitmap32& target = size > ScaleX(16) ? m_fallbackLarge : m_fallbackSmall;
    if (target.IsEmpty() && !m_fallbackSource.IsEmpty()) {
        Bitmap32 image = m_fallbackSource.Halve();
        while (!image.IsEmpty() && (image.Width() > size || image.Height() > size)) {
            image = image.Halve();
        }
        if (image.IsEmpty()) {
            image = m_fallbackSource.Halve();
        }
        target = std::move(image);
    }
    return target;
}

void TabView::DrawPicture(HDC hdc, const ShortcutRecord& shortcut, int x, int y, bool meterText) {
    int size = IconPictureSize(shortcut);
    const ShortcutIcon* picture = PictureOf(shortcut.Icon());
    if (!picture || !DrawShortcutPicture(hdc, *picture, x, y, size)) {
        const Bitmap32& fallback = FallbackIcon(size);
        if (!fallback.IsEmpty()) {
            DrawImage(fallback, hdc, x + (size - fallback.Width()) / 2, y + (size - fallback.Height()) / 2);
        }
    }
    DrawShortcutMeter(shortcut, hdc, x, y, meterText);
}

void TabView::PaintShortcut(HDC hdc, const ShortcutRecord& shortcut, const IconPlacement& placement, int dy,
                            bool selected) {
    const GeneralOptions& general = m_owner.GetSettings().General;
    if (selected) {
        BlendRect(hdc, Shifted(placement.hit, dy), m_colours.selection, m_colours.selectionAlpha);
    }
    DrawPicture(hdc, shortcut, placement.originX, placement.originY + dy,
                !MeterValueInCaption(general, m_owner.CurrentTabRecord(), shortcut));
    if (placement.caption.IsEmpty()) {
        return;
    }
    std::wstring text = shortcut.Caption();
    bool centred = general.CaptionAlignment == 1;
    // A meter's caption may show its value (centred) or its kind instead.
    if (std::optional<std::wstring> meterText = MeterCaptionText(shortcut, general.ShowCaptionsForMeters)) {
        text = std::move(*meterText);
        centred = centred || general.ShowCaptionsForMeters == 2;
    }
    // Lines break between words; a word wider than the caption is cut with an
    // ellipsis rather than broken in the middle, and a last line that does not
    // fit is not drawn half, the line before it ends with an ellipsis instead.
    UINT format = DT_WORDBREAK | DT_NOPREFIX | DT_EDITCONTROL | DT_WORD_ELLIPSIS | DT_END_ELLIPSIS;
    format |= centred ? DT_CENTER : DT_LEFT;
    SelectedObject font(hdc, m_captionFont);
    DrawShadowedText(hdc, text, Shifted(placement.caption, dy), format,
                     selected ? m_colours.selectedCaption : m_colours.caption,
                     selected ? m_colours.selectedCaptionShadow : m_colours.captionShadow,
                     general.ShadowStyleForCaptions);
}

void TabView::PaintIconArea(HDC hdc, const RECT& area, int scrollOffset, bool arrows) {
    TabRecord* tab = m_owner.CurrentTabRecord();
    if (!tab) {
        return;
    }
    auto found = m_layouts.find(tab);
    if (found == m_layouts.end()) {
        return;
    }
    const TabLayout& layout = found->second;
    int saved = SaveDC(hdc);
    IntersectClipRect(hdc, area.left, area.top, area.right, area.bottom);
    SetBkMode(hdc, TRANSPARENT);
    const ShortcutRecord* selected = m_owner.SelectedShortcut();
    for (size_t i = 0; i < tab->Shortcuts.size() && i < layout.icons.icons.size(); ++i) {
        const ShortcutRecord& shortcut = *tab->Shortcuts[i];
        PaintShortcut(hdc, shortcut, layout.icons.icons[i], scrollOffset, &shortcut == selected);
    }
    RestoreDC(hdc, saved);
    SetRectEmpty(&m_upArrowRect);
    SetRectEmpty(&m_downArrowRect);
    if (!arrows || layout.scrollRange <= 0) {
        return;
    }
    auto arrowBox = [&](const Bitmap32& image, bool top) {
        int w = image.IsEmpty() ? ScaleX(12) : image.Width();
        int h = image.IsEmpty() ? ScaleY(12) : image.Height();
        int left = area.right - w - ScaleX(1);
        int y = top ? area.top : area.bottom - h;
        return RECT{left, y, left + w, y + h};
    };
    if (scrollOffset < 0) {
        m_upArrowRect = arrowBox(m_upArrow, true);
        DrawCentred(m_upArrow, hdc, m_upArrowRect);
    }
    if (scrollOffset > -layout.scrollRange) {
        m_downArrowRect = arrowBox(m_downArrow, false);
        DrawCentred(m_downArrow, hdc, m_downArrowRect);
    }
}

void TabView::PaintTabBar(HDC hdc, const RECT& client) {
    const GeneralOptions& general = m_owner.GetSettings().General;
    const int count = static_cast<int>(m_visibleTabs.size());
    const bool hiRes = HiResDisplay() || TrueVga();
    const bool popup = UsesPopupPanel() && m_popupChild;
    const bool panelShown = popup && IsWindowVisible(m_popupChild);
    const int current = m_owner.CurrentTab();
    TabStrip strip = ArrangeTabStrip(m_bar, count, client.right - client.left, m_firstTab);
    m_firstTab = strip.first;
    m_anchor = POINT{-1, -1};

    SetBkMode(hdc, TRANSPARENT);
    SelectedObject font(hdc, m_tabFont);
    UINT align = general.TabNameAlignment == 1   ? DT_CENTER
                 : general.TabNameAlignment == 2 ? DT_RIGHT
                                                 : DT_LEFT;
    for (const TabStrip::Tab& entry : strip.tabs) {
        RECT rc = ToRect(entry.rect);
        const bool isCurrent = entry.index == current;
        int saved = SaveDC(hdc);
        IntersectClipRect(hdc, rc.left, rc.top, rc.right, rc.bottom);
        // Background.
        if (popup) {
            if (isCurrent && (panelShown || m_tabBarFocus >= 0)) {
                BlendRect(hdc, rc, m_colours.floatingPanel, m_colours.floatingPanelAlpha);
            }
        } else if (isCurrent) {
            if (m_colours.currentTabBackground) {
                BlendRect(hdc, rc, m_colours.currentTabBackgroundColour, m_colours.currentTabAlpha);
            }
        } else if (m_colours.tabBackground) {
            BlendRect(hdc, rc, m_colours.tabBackgroundColour, m_colours.tabAlpha);
        }
        // Icon.
        int iconWidth = 0;
        const Bitmap32& image = m_tabImages[entry.index];
        if (m_bar.showIcons && !image.IsEmpty()) {
            iconWidth = image.Width();
            int x = m_bar.showNames ? rc.left + ScaleX(4)
                                    : std::max<int>(rc.left, rc.left + (entry.rect.Width() - iconWidth) / 2);
            int y = rc.top + (rc.bottom - rc.top - image.Height()) / 2;
            DrawImage(image, hdc, x, y);
        }
        // Name.
        if (m_bar.showNames) {
            RECT text = {rc.left + ScaleX(2), rc.top, rc.right - ScaleX(2), rc.bottom};
            if (m_bar.showIcons && iconWidth > 0) {
                text.left += ScaleX(4) + iconWidth;
            }
            DrawShadowedText(hdc, m_visibleTabs[entry.index]->Name, text,
                             DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS | align,
                             isCurrent ? m_colours.currentTabText : m_colours.tabText,
                             isCurrent ? m_colours.currentTabTextShadow : m_colours.tabTextShadow,
                             general.ShadowStyleForTabs);
        }
        RestoreDC(hdc, saved);
        // Frame: the current tab stays open towards the icons.
        RECT frame = ToRect(entry.rect);
        if (hiRes) {
            InflateRect(&frame, -1, -1);
        }
        if (isCurrent) {
            DrawVerticalEdges(hdc, frame, m_colours.separator);
            m_anchor = POINT{frame.left, m_bar.atBottom ? frame.top : frame.bottom};
        } else {
            DrawFrame(hdc, frame, m_colours.separator);
        }
        if (m_tabBarFocus == entry.index) {
            BlendRect(hdc, rc, m_colours.selection, m_colours.selectionAlpha);
        }
    }
    // Arrows where the strip is cut, over the Today background.
    auto drawArrow = [&](const LayoutRect& box, bool right, bool focused) {
        RECT rc = ToRect(box);
        int saved = SaveDC(hdc);
        IntersectClipRect(hdc, rc.left, rc.top, rc.right, rc.bottom);
        PaintTodayBackground(hdc, client);
        RestoreDC(hdc, saved);
        RECT frame = rc;
        if (hiRes) {
            InflateRect(&frame, -1, -1);
        }
        DrawTriangle(hdc, frame, right, m_colours.separator);
        DrawFrame(hdc, frame, m_colours.separator);
        if (focused) {
            BlendRect(hdc, rc, m_colours.selection, m_colours.selectionAlpha);
        }
    };
    if (strip.rightArrow) {
        drawArrow(strip.rightArrowRect, true, m_tabBarFocus == kFocusRightArrow);
    }
    if (strip.leftArrow) {
        drawArrow(strip.leftArrowRect, false, m_tabBarFocus == kFocusLeftArrow);
    }
    if (m_bar.settingsWidth > ScaleX(1)) {
        RECT rc = ToRect(m_bar.settingsButton);
        DrawCentred(m_settingsImage, hdc, rc);
        RECT frame = rc;
        if (hiRes) {
            InflateRect(&frame, -1, -1);
        }
        DrawFrame(hdc, frame, m_colours.separator);
        if (m_tabBarFocus == kFocusSettings) {
            BlendRect(hdc, rc, m_colours.selection, m_colours.selectionAlpha);
        }
    }
}

void TabView::Paint(HDC hdc, const RECT& client) {
    PaintTodayBackground(hdc, client);
    if (!m_popupChild) {
        PaintIconArea(hdc, GetIconAreaRect(), m_scrollOffset, true);
    }
    if (!m_visibleTabs.empty()) {
        PaintTabBar(hdc, client);
    }
}

void TabView::PaintPanel(HDC hdc, const RECT& client, HWND panel, bool above) {
    PaintTodayBackground(hdc, client, panel);
    if (m_colours.floatingPanelBackground) {
        BlendRect(hdc, client, m_colours.floatingPanel, m_colours.floatingPanelAlpha);
    }
    PaintIconArea(hdc, client, 0, false);
    // The far edge closes the panel; the near edge stays open under the
    // current tab, which the panel belongs to.
    HPEN pen = CreatePen(PS_SOLID, 1, m_colours.separator);
    SelectedObject selectedPen(hdc, pen);
    const int farEdge = above ? client.top : client.bottom - 1;
    const int nearEdge = above ? client.bottom - 1 : client.top;
    MoveToEx(hdc, client.left, farEdge, nullptr);
    LineTo(hdc, client.right, farEdge);
    int gapLeft = client.right;
    int gapRight = client.right;
    const int current = m_owner.CurrentTab();
    const bool hiRes = HiResDisplay() || TrueVga();
    for (const TabStrip::Tab& entry : Strip().tabs) {
        if (entry.index == current) {
            RECT frame = ToRect(entry.rect);
            if (hiRes) {
                InflateRect(&frame, -1, -1);
            }
            gapLeft = frame.left;
            gapRight = frame.right;
        }
    }
    MoveToEx(hdc, -2, nearEdge, nullptr);
    LineTo(hdc, gapLeft, nearEdge);
    MoveToEx(hdc, gapRight, nearEdge, nullptr);
    LineTo(hdc, client.right, nearEdge);
    DeleteObject(pen);
}

NoTabsView::NoTabsView(TodayItemWindow& owner) : TabView(owner, false) {}

void NoTabsView::Relayout() {
    m_bar = TabBarGeometry{};
    m_bar.height = 0;
    IconArea area;
    area.left = ScaleX(1);
    area.top = ScaleY(2);
    area.right = ClientWidth() - ScaleX(2);
    LayoutAllTabs(area, 0, true);
    HidePopupChild();
    m_popupChild = nullptr;
    SetRectEmpty(&m_upArrowRect);
    SetRectEmpty(&m_downArrowRect);
    int range = ScrollRange(m_owner.CurrentTabRecord());
    m_scrollOffset = std::min(0, std::max(m_scrollOffset, -range));
}

void NoTabsView::ResetHeight() {
    int fixed = FixedHeight();
    if (fixed != 0) {
        m_height = fixed;
        return;
    }
    int height = ScaleY(18) + ScaleY(2);
    TabRecord* current = m_owner.CurrentTabRecord();
    if (current) {
        // The same room below the last row as the scrolling check allows, so a
        // tab that fits never shows scroll arrows.
        height = std::max(height, ContentHeight(current) + ScaleY(2));
    }
    m_height = height;
}

RECT NoTabsView::GetIconAreaRect() const {
    RECT rc = {0, 0, ClientWidth(), ClientHeight()};
    if (rc.bottom <= 0) {
        rc.bottom = m_height;
    }
    return rc;
}

void NoTabsView::Paint(HDC hdc, const RECT& client) {
    PaintTodayBackground(hdc, client);
    PaintIconArea(hdc, GetIconAreaRect(), m_scrollOffset, true);
}

} // namespace norvane
