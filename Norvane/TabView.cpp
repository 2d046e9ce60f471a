// Tab views: height and a plain rendering of the tab bar and the current tab.
// The full layout of tabs and icon rows and their painting build on this.
#include "TabView.h"

#include "DisplayScale.h"
#include "Module.h"
#include "Settings.h"
#include "TodayItemWindow.h"

#include <algorithm>

namespace norvane {

namespace {
bool IsLandscape() {
    return GetSystemMetrics(SM_CYSCREEN) < GetSystemMetrics(SM_CXSCREEN);
}

int FixedHeight(const GeneralOptions& general) {
    return IsLandscape() ? general.LandscapeHeightInPixel : general.HeightInPixels;
}

int ClientWidth(const TodayItemWindow& owner) {
    RECT rc = {};
    if (owner.Hwnd()) {
        GetClientRect(owner.Hwnd(), &rc);
    }
    int width = rc.right - rc.left;
    return width > 0 ? width : GetSystemMetrics(SM_CXSCREEN);
}
} // namespace

TabView::TabView(TodayItemWindow& owner, bool thumbTabs) : ItemView(owner), m_thumbTabs(thumbTabs) {}

int TabView::TabBarHeight() const {
    return ScaleY(m_owner.GetSettings().General.TabHeight) +
           2 * ScaleY(m_owner.GetSettings().General.TabExtraHeight);
}

int TabView::ContentHeight(const TabRecord& tab) const {
    int cell = ScaleX(18) + ScaleX(16) + ScaleX(m_owner.GetSettings().General.IconSpacing);
    int perRow = std::max(1, (ClientWidth(m_owner) - ScaleX(4)) / cell);
    int count = static_cast<int>(tab.Shortcuts.size());
    int rows = std::max(1, (count + perRow - 1) / perRow);
    return rows * (ScaleY(36)) + ScaleY(2);
}

void TabView::Relayout() {
    ResetHeight();
}

void TabView::ResetHeight() {
    const GeneralOptions& general = m_owner.GetSettings().General;
    if (m_thumbTabs || general.UseFloatingPanels) {
        m_height = TabBarHeight() - ScaleY(2);
        return;
    }
    int fixed = FixedHeight(general);
    if (fixed != 0) {
        m_height = fixed;
        return;
    }
    int height = ScaleY(26);
    for (const TabRecord* tab : m_visibleTabs) {
        height = std::max(height, ContentHeight(*tab) + ScaleY(2) + TabBarHeight());
    }
    m_height = height;
}

void TabView::Paint(HDC hdc, const RECT& client) {
    PaintTodayBackground(hdc, client);
    int barHeight = TabBarHeight();
    int count = static_cast<int>(m_visibleTabs.size());
    if (count == 0) {
        return;
    }
    int width = (client.right - client.left) / count;
    SetBkMode(hdc, TRANSPARENT);
    HGDIOBJ oldFont = SelectObject(hdc, m_owner.MenuFont());
    HPEN pen = CreatePen(PS_SOLID, 1, m_owner.SeparatorColour());
    HGDIOBJ oldPen = SelectObject(hdc, pen);
    for (int i = 0; i < count; ++i) {
        RECT tab = {client.left + i * width, client.top, client.left + (i + 1) * width,
                    client.top + barHeight};
        if (i == m_owner.CurrentTab()) {
            HBRUSH brush = CreateSolidBrush(m_owner.SeparatorColour());
            FillRect(hdc, &tab, brush);
            DeleteObject(brush);
        }
        if (!m_thumbTabs) {
            SetTextColor(hdc, RGB(255, 255, 255));
            const std::wstring& name = m_visibleTabs[i]->Name;
            DrawTextW(hdc, name.c_str(), static_cast<int>(name.size()), &tab,
                      DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX);
        }
    }
    MoveToEx(hdc, client.left, client.top + barHeight, nullptr);
    LineTo(hdc, client.right, client.top + barHeight);
    SelectObject(hdc, oldPen);
    DeleteObject(pen);
    SelectObject(hdc, oldFont);
}

NoTabsView::NoTabsView(TodayItemWindow& owner) : TabView(owner, false) {}

void NoTabsView::ResetHeight() {
    const GeneralOptions& general = m_owner.GetSettings().General;
    int fixed = FixedHeight(general);
    if (fixed != 0) {
        m_height = fixed;
        return;
    }
    int height = ScaleY(18) + ScaleY(2);
    TabRecord* current = m_owner.CurrentTabRecord();
    if (current) {
        height = std::max(height, ContentHeight(*current));
    }
    m_height = height;
}

void NoTabsView::Paint(HDC hdc, const RECT& client) {
    PaintTodayBackground(hdc, client);
}

} // namespace norvane
