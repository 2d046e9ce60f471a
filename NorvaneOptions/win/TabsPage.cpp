// The Tabs page.
#include "TabsPage.h"

#include "Aygshell.h"
#include "ImageChooser.h"
#include "OptionsApp.h"

#include <utility>

namespace norvane::options {

TabsPage::TabsPage(OptionsSheet& sheet) : PageBase(sheet, IDD_TABS_PAGE, IDD_TABS_PAGE_WIDE, IDS_TABS) {}

void TabsPage::OnInit() {
    const bool landscape = IsLandscapeScreen();
    SetDlgItemTextW(m_hwnd, IDC_TAB_NAME_LABEL,
                    App().Text(landscape ? IDS_TAB_NAME_LABEL_SHORT : IDS_TAB_NAME_LABEL).c_str());
    SetDlgItemTextW(m_hwnd, IDC_TAB_MOVE_UP, App().Text(IDS_MOVE_UP).c_str());
    SetDlgItemTextW(m_hwnd, IDC_TAB_MOVE_DOWN, App().Text(IDS_MOVE_DOWN).c_str());
    SetDlgItemTextW(m_hwnd, IDC_TAB_ADD, App().Text(IDS_ADD).c_str());
    SetDlgItemTextW(m_hwnd, IDC_TAB_REMOVE, App().Text(IDS_REMOVE).c_str());
    SetDlgItemTextW(m_hwnd, IDC_TAB_SHOW_CAPTION, App().Text(IDS_SHOW_CAPTION).c_str());
    SetDlgItemTextW(m_hwnd, IDC_TAB_HIDE, App().Text(IDS_HIDE_TAB).c_str());
    SetDlgItemTextW(m_hwnd, IDC_TAB_IMAGE, App().Text(IDS_IMAGE).c_str());
    SendDlgItemMessageW(m_hwnd, IDC_TAB_NAME, EM_LIMITTEXT, MAX_PATH, 0);
    m_anchors.Add(IDC_TAB_NAME, kStretchRight);
    m_anchors.Add(IDC_TAB_LIST, kStretchRight | kStretchDown);
    for (int id : {IDC_TAB_MOVE_UP, IDC_TAB_MOVE_DOWN, IDC_TAB_ADD, IDC_TAB_REMOVE, IDC_TAB_IMAGE}) {
        m_anchors.Add(id, kMoveRight);
    }
    m_anchors.Add(IDC_TAB_SHOW_CAPTION, landscape ? kMoveRight : kMoveDown);
    m_anchors.Add(IDC_TAB_HIDE, landscape ? kMoveRight : kMoveDown);
    Fill();
}

void TabsPage::OnSetActive() {
    Fill();
}

void TabsPage::Fill() {
    m_updating = true;
    HWND list = Item(IDC_TAB_LIST);
    SendMessageW(list, LB_RESETCONTENT, 0, 0);
    for (const auto& tab : Working().Tabs()) {
        SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(tab->Name.c_str()));
    }
    m_updating = false;
    const int count = static_cast<int>(Working().Tabs().size());
    m_index = -1;
    if (count > 0) {
        const int initial = m_sheet.TabsPageTab();
        Select(initial >= 0 && initial < count ? initial : 0);
    } else {
        UpdateButtons();
    }
}

void TabsPage::Select(int index) {
    auto& tabs = Working().Tabs();
    if (index < 0 || index >= static_cast<int>(tabs.size())) {
        return;
    }
    m_index = index;
    const TabRecord& tab = *tabs[static_cast<std::size_t>(index)];
    m_updating = true;
    SendDlgItemMessageW(m_hwnd, IDC_TAB_LIST, LB_SETCURSEL, index, 0);
    SetDlgItemTextW(m_hwnd, IDC_TAB_NAME, tab.Name.c_str());
    CheckDlgButton(m_hwnd, IDC_TAB_SHOW_CAPTION, tab.CaptionsEnabled != 0 ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(m_hwnd, IDC_TAB_HIDE, tab.Hidden ? BST_CHECKED : BST_UNCHECKED);
    m_updating = false;
    m_sheet.SetTabsPageTab(index);
    m_sheet.SetShortcutsPageTab(index);
    UpdateButtons();
}

void TabsPage::UpdateButtons() {
    const int n = static_cast<int>(Working().Tabs().size());
    const int s = m_index;
    EnableWindow(Item(IDC_TAB_MOVE_UP), n >= 2 && s > 0);
    EnableWindow(Item(IDC_TAB_MOVE_DOWN), n >= 2 && s >= 0 && s != n - 1);
    EnableWindow(Item(IDC_TAB_ADD), n < kMaxTabs);
    EnableWindow(Item(IDC_TAB_REMOVE), n != 1 && s >= 0);
    const bool selected = s >= 0;
    EnableWindow(Item(IDC_TAB_NAME), selected);
    EnableWindow(Item(IDC_TAB_IMAGE), selected);
    EnableWindow(Item(IDC_TAB_SHOW_CAPTION), selected);
    EnableWindow(Item(IDC_TAB_HIDE), selected);
}

void TabsPage::SetRowText(int index, const std::wstring& text) {
    HWND list = Item(IDC_TAB_LIST);
    m_updating = true;
    SendMessageW(list, LB_DELETESTRING, index, 0);
    SendMessageW(list, LB_INSERTSTRING, index, reinterpret_cast<LPARAM>(text.c_str()));
    SendMessageW(list, LB_SETCURSEL, m_index, 0);
    m_updating = false;
}

void TabsPage::OnNameChanged() {
    if (m_updating || m_index < 0) {
        return;
    }
    std::wstring name(MAX_PATH + 1, L'\0');
    const int length = GetDlgItemTextW(m_hwnd, IDC_TAB_NAME, name.data(), MAX_PATH + 1);
    name.resize(static_cast<std::size_t>(std::max(length, 0)));
    TabRecord& tab = *Working().Tabs()[static_cast<std::size_t>(m_index)];
    if (tab.Name == name) {
        return;
    }
    tab.Name = name;
    SetRowText(m_index, name);
}

void TabsPage::Exchange(int a, int b) {
    auto& tabs = Working().Tabs();
    std::swap(tabs[static_cast<std::size_t>(a)], tabs[static_cast<std::size_t>(b)]);
    m_index = b;
    SetRowText(a, tabs[static_cast<std::size_t>(a)]->Name);
    SetRowText(b, tabs[static_cast<std::size_t>(b)]->Name);
    Select(b);
}

void TabsPage::MoveUp() {
    if (m_index > 0) {
        Exchange(m_index, m_index - 1);
    }
}

void TabsPage::MoveDown() {
    if (m_index >= 0 && m_index + 1 < static_cast<int>(Working().Tabs().size())) {
        Exchange(m_index, m_index + 1);
    }
}

void TabsPage::Add() {
    if (static_cast<int>(Working().Tabs().size()) >= kMaxTabs) {
        return;
    }
    const int unique = Working().NextUniqueTabId();
    TabRecord& tab = Working().AddTab();
    tab.Name = App().Text(IDS_NEW_TAB);
    tab.UniqueID = unique;
    const int index = static_cast<int>(Working().Tabs().size()) - 1;
    SendDlgItemMessageW(m_hwnd, IDC_TAB_LIST, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(tab.Name.c_str()));
    Select(index);
    HWND name = Item(IDC_TAB_NAME);
    SetFocus(name);
    SendMessageW(name, EM_SETSEL, 0, -1);
}

bool TabsPage::OtherTabVisible(int index) const {
    const auto& tabs = Working().Tabs();
    for (std::size_t i = 0; i < tabs.size(); ++i) {
        if (static_cast<int>(i) != index && !tabs[i]->Hidden) {
            return true;
        }
    }
    return false;
}

void TabsPage::Remove() {
    auto& tabs = Working().Tabs();
    if (m_index < 0 || m_index >= static_cast<int>(tabs.size()) || tabs.size() == 1) {
        return;
    }
    if (!OtherTabVisible(m_index)) {
        App().Message(m_hwnd, IDS_TAB_CANNOT_DELETE, MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    const TabRecord& tab = *tabs[static_cast<std::size_t>(m_index)];
    if (!tab.Shortcuts.empty() && App().MessageWithCaption(m_hwnd, App().Text(IDS_TAB_NOT_EMPTY), tab.Name,
                                                           MB_YESNO | MB_ICONQUESTION) == IDNO) {
        return;
    }
    const int removed = m_index;
    tabs.erase(tabs.begin() + removed);
    for (std::size_t i = 0; i < tabs.size(); ++i) {
        tabs[i]->Index = static_cast<int>(i);
    }
    m_updating = true;
    SendDlgItemMessageW(m_hwnd, IDC_TAB_LIST, LB_DELETESTRING, removed, 0);
    m_updating = false;
    m_index = -1;
    Select(std::min(removed, static_cast<int>(tabs.size()) - 1));
}

void TabsPage::OnHideClicked() {
    if (m_index < 0) {
        return;
    }
    TabRecord& tab = *Working().Tabs()[static_cast<std::size_t>(m_index)];
    const bool hide = IsDlgButtonChecked(m_hwnd, IDC_TAB_HIDE) == BST_CHECKED;
    if (hide && !OtherTabVisible(m_index)) {
        App().Message(m_hwnd, IDS_TAB_CANNOT_HIDE, MB_OK | MB_ICONEXCLAMATION);
        CheckDlgButton(m_hwnd, IDC_TAB_HIDE, BST_UNCHECKED);
        return;
    }
    tab.Hidden = hide;
}

INT_PTR TabsPage::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != WM_COMMAND) {
        return FALSE;
    }
    const int id = LOWORD(wParam);
    const int code = HIWORD(wParam);
    switch (id) {
    case IDC_TAB_LIST:
        if (code == LBN_SELCHANGE && !m_updating) {
            Select(static_cast<int>(SendDlgItemMessageW(m_hwnd, id, LB_GETCURSEL, 0, 0)));
        }
        return TRUE;
    case IDC_TAB_NAME:
        if (code == EN_CHANGE || code == EN_KILLFOCUS) {
            OnNameChanged();
        }
        return TRUE;
    case IDC_TAB_MOVE_UP:
        MoveUp();
        return TRUE;
    case IDC_TAB_MOVE_DOWN:
        MoveDown();
        return TRUE;
    case IDC_TAB_ADD:
        Add();
        return TRUE;
    case IDC_TAB_REMOVE:
        Remove();
        return TRUE;
    case IDC_TAB_HIDE:
        if (code == BN_CLICKED) {
            OnHideClicked();
        }
        return TRUE;
    case IDC_TAB_SHOW_CAPTION:
        if (code == BN_CLICKED && m_index >= 0) {
            Working().Tabs()[static_cast<std::size_t>(m_index)]->CaptionsEnabled =
                IsDlgButtonChecked(m_hwnd, id) == BST_CHECKED ? 1 : 0;
        }
        return TRUE;
    case IDC_TAB_IMAGE:
        if (code == BN_CLICKED && m_index >= 0) {
            SHSipPreference(m_hwnd, SIP_DOWN);
            ImageChooser chooser(App(), ImageMode::TabImages);
            std::wstring reference;
            if (chooser.Run(GetAncestor(m_hwnd, GA_ROOT), reference)) {
                Working().Tabs()[static_cast<std::size_t>(m_index)]->Image = reference;
            }
        }
        return TRUE;
    default:
        break;
    }
    return FALSE;
}

} // namespace norvane::options
