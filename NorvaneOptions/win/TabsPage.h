// The Tabs page: the ordinary tabs of the working settings with their names,
// order, images, captions and hidden flags. At most 22 tabs, and at least one
// of them visible.
#pragma once

#include "OptionsSheet.h"

namespace norvane::options {

inline constexpr int kMaxTabs = 22;

class TabsPage : public PageBase {
public:
    explicit TabsPage(OptionsSheet& sheet);

    int SelectedTab() const { return m_index; }
    void Fill();
    void Select(int index);
    void MoveUp();
    void MoveDown();
    void Add();
    void Remove();
    // The "Hide Tab" box was clicked (its new state is read from it).
    void OnHideClicked();

protected:
    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnInit() override;
    void OnSetActive() override;

private:
    void UpdateButtons();
    void OnNameChanged();
    void Exchange(int a, int b);
    bool OtherTabVisible(int index) const;
    void SetRowText(int index, const std::wstring& text);

    int m_index = -1;
    bool m_updating = false;
};

} // namespace norvane::options
