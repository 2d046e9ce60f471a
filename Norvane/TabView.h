// The views that show shortcuts: TabView with a tab bar (customized tabs, or
// thumb tabs whose icons open in a popup panel) and NoTabsView, which shows
// only the current tab's icons.
#pragma once

#include "ItemView.h"

namespace norvane {

class TabView : public ItemView {
public:
    TabView(TodayItemWindow& owner, bool thumbTabs);
    int GetType() const override { return m_thumbTabs ? viewtype::kThumbTabs : viewtype::kCustomizedTabs; }
    void Relayout() override;
    void ResetHeight() override;
    void Paint(HDC hdc, const RECT& client) override;
    bool IsThumbTabs() const { return m_thumbTabs; }

protected:
    // The height the icons of one tab take, laid out in rows of cells.
    int ContentHeight(const TabRecord& tab) const;
    int TabBarHeight() const;

private:
    bool m_thumbTabs;
};

class NoTabsView : public TabView {
public:
    explicit NoTabsView(TodayItemWindow& owner);
    int GetType() const override { return viewtype::kNoTabs; }
    void ResetHeight() override;
    void Paint(HDC hdc, const RECT& client) override;
};

} // namespace norvane
