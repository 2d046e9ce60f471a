// Tab views: the tab bar and the icon rows measured and painted.
#include "TabView.h"

#include "DisplayScale.h"
#include "ImageDraw.h"
#include "ImageHandles.h"
#include "ImageLoader.h"
#include "Module.h"
#include "Settings.h"
#include "TodayItemWindow.h"

#include <algorithm>

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
        if (m_popupChild && IsWindowVisible(m_popupChild)) {
            OnCurrentTabChanged();
        }
    } else {
        HidePopupChild();
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
    if (UsesPopupPanel() && m_popupChild && m_owner.Hwnd()) {
        RECT item;
        GetWindowRect(m_owner.Hwnd(), &item);
        LayoutRect panel =
            PlacePopupPanel(LayoutRect{item.left, item.top, item.right, item.bottom},
                            ContentHeight(m_owner.CurrentTabRecord()), GetSystemMetrics(SM_CYSCREEN));
        bool visible = IsWindowVisible(m_popupChild) != FALSE;
        SetWindowPos(m_popupChild, HWND_TOP, panel.left, panel.top, panel.Width(), panel.Height(),
                     SWP_NOACTIVATE | (visible ? SWP_SHOWWINDOW : 0));
        InvalidateRect(m_popupChild, nullptr, FALSE);
    }
    if (m_owner.Hwnd()) {
        InvalidateRect(m_owner.Hwnd(), nullptr, FALSE);
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
    switch (msg) {
    case WM_LBUTTONDOWN: {
        POINT pt{static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))};
        if (!m_popupChild && (Inside(m_upArrowRect, pt) || Inside(m_downArrowRect, pt))) {
            StartScrolling(Inside(m_upArrowRect, pt));
            result = 0;
            return true;
        }
        break;
    }
    case WM_LBUTTONUP:
        if (m_scrolling) {
            StopScrolling();
            result = 0;
            return true;
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

void TabView::PaintShortcut(HDC hdc, const ShortcutRecord& shortcut, const IconPlacement& placement, int dy,
                            bool selected) {
    const GeneralOptions& general = m_owner.GetSettings().General;
    if (selected) {
        BlendRect(hdc, Shifted(placement.hit, dy), m_colours.selection, m_colours.selectionAlpha);
    }
    int size = IconPictureSize(shortcut);
    int x = placement.originX;
    int y = placement.originY + dy;
    const ShortcutIcon* picture = PictureOf(shortcut.Icon());
    if (!picture || !DrawShortcutPicture(hdc, *picture, x, y, size)) {
        const Bitmap32& fallback = FallbackIcon(size);
        if (!fallback.IsEmpty()) {
            DrawImage(fallback, hdc, x + (size - fallback.Width()) / 2, y + (size - fallback.Height()) / 2);
        }
    }
    if (placement.caption.IsEmpty()) {
        return;
    }
    std::wstring text = shortcut.Caption();
    UINT format = DT_WORDBREAK | DT_NOPREFIX | DT_EDITCONTROL | DT_END_ELLIPSIS;
    format |= general.CaptionAlignment == 1 ? DT_CENTER : DT_LEFT;
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
