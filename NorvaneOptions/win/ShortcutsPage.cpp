// The Shortcuts page (see ShortcutsPage.h).
#include "ShortcutsPage.h"

#include "FlashCards.h"
#include "AdditionalProperties.h"
#include "Aygshell.h"
#include "CeGesture.h"
#include "DisplayScale.h"
#include "ImageChooser.h"
#include "ImageShortcutIcon.h"
#include "OptionsApp.h"
#include "OptionsPage.h"
#include "ShortcutAdding.h"
#include "ShortcutTarget.h"
#include "TabsPage.h"

#include <commctrl.h>

#include <utility>

namespace norvane::options {

namespace {

// Meter-bar tap actions the page sets when it fills or empties that tab.
constexpr int kMeterBarDoNothing = 0;
constexpr int kMeterBarLaunchShortcut = 4;

} // namespace

ShortcutsPage::ShortcutsPage(OptionsSheet& sheet)
    : PageBase(sheet, IDD_SHORTCUTS_PAGE, IDD_SHORTCUTS_PAGE_WIDE, IDS_SHORTCUTS) {}

void ShortcutsPage::OnInit() {
    const bool landscape = IsLandscapeScreen();
    SetDlgItemTextW(m_hwnd, IDC_SHORTCUT_SPECIAL_TAB, App().Text(IDS_SPECIAL_TAB).c_str());
    SetDlgItemTextW(m_hwnd, IDC_SHORTCUT_MOVE_UP, App().Text(IDS_MOVE_UP).c_str());
    SetDlgItemTextW(m_hwnd, IDC_SHORTCUT_MOVE_DOWN, App().Text(IDS_MOVE_DOWN).c_str());
    SetDlgItemTextW(m_hwnd, IDC_SHORTCUT_ADD, App().Text(IDS_ADD).c_str());
    SetDlgItemTextW(m_hwnd, IDC_SHORTCUT_REMOVE, App().Text(IDS_REMOVE).c_str());
    SetDlgItemTextW(m_hwnd, IDC_SHORTCUT_LARGE_ICON, App().Text(IDS_LARGE_ICON).c_str());
    SetDlgItemTextW(m_hwnd, IDC_SHORTCUT_IMAGE,
                    App().Text(landscape ? IDS_SHORTCUT_IMAGE_SHORT : IDS_SHORTCUT_IMAGE).c_str());
    SetDlgItemTextW(m_hwnd, IDC_SHORTCUT_ADDITIONAL,
                    App().Text(landscape ? IDS_ADDITIONAL_SHORT : IDS_ADDITIONAL).c_str());
    m_anchors.Add(IDC_SHORTCUT_TAB, kStretchRight);
    m_anchors.Add(IDC_SHORTCUT_LIST, kStretchRight | kStretchDown);
    const unsigned buttons = landscape ? kMoveRight : kMoveDown;
    for (int id :
         {IDC_SHORTCUT_MOVE_UP, IDC_SHORTCUT_MOVE_DOWN, IDC_SHORTCUT_ADD, IDC_SHORTCUT_REMOVE,
          IDC_SHORTCUT_IMAGE, IDC_SHORTCUT_ADDITIONAL, IDC_SHORTCUT_LARGE_ICON, IDC_SHORTCUT_SPECIAL_TAB}) {
        m_anchors.Add(id, buttons);
    }
    HWND list = Item(IDC_SHORTCUT_LIST);
    ListView_SetExtendedListViewStyle(list, LVS_EX_FULLROWSELECT);
    LVCOLUMNW column{};
    column.mask = LVCF_WIDTH | LVCF_TEXT;
    const std::wstring title = App().Text(IDS_FILE_NAME_COLUMN);
    column.pszText = const_cast<wchar_t*>(title.c_str());
    column.cx = ScaleX(400);
    ListView_InsertColumn(list, 0, &column);
    CeEnableTapAndHold(list);
    m_pictureSize = ScaleX(16);
    Fill();
}

void ShortcutsPage::OnSetActive() {
    Fill();
}

void ShortcutsPage::OnResize(int, int) {
    FitColumn();
}

void ShortcutsPage::FitColumn() {
    HWND list = Item(IDC_SHORTCUT_LIST);
    RECT client;
    if (list != nullptr && GetClientRect(list, &client)) {
        ListView_SetColumnWidth(list, 0, std::max<int>(ScaleX(400), client.right));
    }
}

void ShortcutsPage::Fill() {
    m_updating = true;
    HWND combo = Item(IDC_SHORTCUT_TAB);
    SendMessageW(combo, CB_RESETCONTENT, 0, 0);
    m_ordinaryCount = static_cast<int>(Working().Tabs().size());
    for (const auto& tab : Working().Tabs()) {
        SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(tab->Name.c_str()));
    }
    for (const SpecialTabInfo& info : SpecialTabInfos()) {
        const std::wstring text = SpecialTabChoiceText(App().Text(info.nameId));
        SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    }
    m_updating = false;
    if (m_ordinaryCount == 0) {
        m_position = -1;
        m_shown = ShownTab{};
        m_selected = -1;
        ListView_DeleteAllItems(Item(IDC_SHORTCUT_LIST));
        UpdateButtons();
        return;
    }
    const int initial = m_sheet.ShortcutsPageTab();
    ShowTab(initial >= 0 && initial < m_ordinaryCount + kSpecialTabCount ? initial : 0);
}

void ShortcutsPage::ShowTab(int position) {
    ShownTab shown = TabAtChoice(Working(), position);
    if (shown.tab == nullptr) {
        return;
    }
    m_position = position;
    m_shown = shown;
    m_updating = true;
    SendDlgItemMessageW(m_hwnd, IDC_SHORTCUT_TAB, CB_SETCURSEL, position, 0);
    m_updating = false;
    m_sheet.SetShortcutsPageTab(position);
    if (position < m_ordinaryCount) {
        m_sheet.SetTabsPageTab(position);
    }
    FillRows();
}

void ShortcutsPage::FillRows() {
    HWND list = Item(IDC_SHORTCUT_LIST);
    m_updating = true;
    ListView_DeleteAllItems(list);
    m_pictures = MakeRowImageList(m_pictureSize);
    ListView_SetImageList(list, m_pictures.get(), LVSIL_SMALL);
    m_selected = -1;
    const int count = m_shown.tab != nullptr ? static_cast<int>(m_shown.tab->Shortcuts.size()) : 0;
    for (int i = 0; i < count; ++i) {
        InsertRow(i);
    }
    m_updating = false;
    FitColumn();
    if (count > 0) {
        SelectRow(0);
    } else {
        UpdateButtons();
    }
}

void ShortcutsPage::InsertRow(int index) {
    ShortcutRecord& shortcut = *m_shown.tab->Shortcuts[static_cast<std::size_t>(index)];
    App().Environment().LoadShortcutIcon(shortcut, Working());
    const std::wstring text = ShortcutRowText(shortcut, Working().General.ShowFileNamesOnly);
    LVITEMW item{};
    item.mask = LVIF_TEXT | LVIF_IMAGE;
    item.iItem = index;
    item.pszText = const_cast<wchar_t*>(text.c_str());
    item.iImage = AddRowPicture(m_pictures.get(), LoadedShortcutIcon(shortcut), m_pictureSize);
    ListView_InsertItem(Item(IDC_SHORTCUT_LIST), &item);
}

std::vector<std::wstring> ShortcutsPage::RowTexts() const {
    std::vector<std::wstring> texts;
    HWND list = Item(IDC_SHORTCUT_LIST);
    const int count = ListView_GetItemCount(list);
    for (int i = 0; i < count; ++i) {
        wchar_t text[MAX_PATH + 1] = L"";
        ListView_GetItemText(list, i, 0, text, MAX_PATH + 1);
        texts.emplace_back(text);
    }
    return texts;
}

ShortcutRecord* ShortcutsPage::Selected() const {
    if (m_shown.tab == nullptr || m_selected < 0 ||
        m_selected >= static_cast<int>(m_shown.tab->Shortcuts.size())) {
        return nullptr;
    }
    return m_shown.tab->Shortcuts[static_cast<std::size_t>(m_selected)].get();
}

void ShortcutsPage::SelectRow(int row) {
    const int count = m_shown.tab != nullptr ? static_cast<int>(m_shown.tab->Shortcuts.size()) : 0;
    if (row < 0 || row >= count) {
        return;
    }
    m_selected = row;
    HWND list = Item(IDC_SHORTCUT_LIST);
    m_updating = true;
    ListView_SetItemState(list, row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    m_updating = false;
    ListView_EnsureVisible(list, row, FALSE);
    UpdateButtons();
}

ShortcutButtons ShortcutsPage::Buttons() const {
    const ShortcutRecord* selected = Selected();
    const int count = m_shown.tab != nullptr ? static_cast<int>(m_shown.tab->Shortcuts.size()) : 0;
    const bool meter = selected != nullptr && KindOf(*selected) == TargetKind::Meter;
    ShortcutButtons buttons =
        ButtonStates(count, m_selected, m_shown.limit, m_shown.type != kOrdinaryTabType, meter);
    if (m_shown.tab == nullptr) {
        buttons.add = false;
    }
    return buttons;
}

void ShortcutsPage::UpdateButtons() {
    const ShortcutButtons b = Buttons();
    EnableWindow(Item(IDC_SHORTCUT_MOVE_UP), b.moveUp);
    EnableWindow(Item(IDC_SHORTCUT_MOVE_DOWN), b.moveDown);
    EnableWindow(Item(IDC_SHORTCUT_ADD), b.add);
    EnableWindow(Item(IDC_SHORTCUT_REMOVE), b.remove);
    EnableWindow(Item(IDC_SHORTCUT_ADDITIONAL), b.additional);
    EnableWindow(Item(IDC_SHORTCUT_IMAGE), b.image);
    EnableWindow(Item(IDC_SHORTCUT_LARGE_ICON), b.largeIcon);
    const ShortcutRecord* selected = Selected();
    CheckDlgButton(m_hwnd, IDC_SHORTCUT_LARGE_ICON,
                   selected != nullptr && selected->LargeIcon() ? BST_CHECKED : BST_UNCHECKED);
    ShowWindow(Item(IDC_SHORTCUT_SPECIAL_TAB), b.specialTab ? SW_SHOW : SW_HIDE);
}

void ShortcutsPage::Exchange(int a, int b) {
    auto& shortcuts = m_shown.tab->Shortcuts;
    std::swap(shortcuts[static_cast<std::size_t>(a)], shortcuts[static_cast<std::size_t>(b)]);
    // The two rows trade texts and pictures.
    HWND list = Item(IDC_SHORTCUT_LIST);
    wchar_t textA[MAX_PATH + 1] = L"";
    wchar_t textB[MAX_PATH + 1] = L"";
    LVITEMW itemA{};
    itemA.mask = LVIF_TEXT | LVIF_IMAGE;
    itemA.iItem = a;
    itemA.pszText = textA;
    itemA.cchTextMax = MAX_PATH + 1;
    LVITEMW itemB = itemA;
    itemB.iItem = b;
    itemB.pszText = textB;
    ListView_GetItem(list, &itemA);
    ListView_GetItem(list, &itemB);
    std::swap(itemA.iItem, itemB.iItem);
    ListView_SetItem(list, &itemA);
    ListView_SetItem(list, &itemB);
    m_updating = true;
    ListView_SetItemState(list, a, 0, LVIS_SELECTED | LVIS_FOCUSED);
    m_updating = false;
    SelectRow(b);
}

void ShortcutsPage::MoveUp() {
    if (Buttons().moveUp) {
        Exchange(m_selected, m_selected - 1);
    }
}

void ShortcutsPage::MoveDown() {
    if (Buttons().moveDown) {
        Exchange(m_selected, m_selected + 1);
    }
}

void ShortcutsPage::AfterSpecialChange(bool removed) {
    const SpecialTabType type = m_shown.tab != nullptr ? m_shown.tab->SpecialType : SpecialTabType::None;
    if (type == SpecialTabType::LeftSoftkey || type == SpecialTabType::RightSoftkey) {
        App().Message(m_hwnd, IDS_SOFT_RESET_NOTICE, MB_OK | MB_ICONINFORMATION);
    } else if (type == SpecialTabType::MeterBar) {
        Working().General.TopBarMeterAction = removed ? kMeterBarDoNothing : kMeterBarLaunchShortcut;
    }
}

void ShortcutsPage::Add() {
    if (!Buttons().add) {
        return;
    }
    SHSipPreference(m_hwnd, SIP_DOWN);
    HWND owner = GetAncestor(m_hwnd, GA_ROOT);
    TargetBrowserSetup setup;
    setup.multipleSelection = true;
    std::vector<ChosenTarget> chosen;
    if (!BrowseTargets(App(), Working(), owner, setup, chosen)) {
        return;
    }
    AddRequest request;
    request.tab = m_shown.tab;
    request.limit = m_shown.limit;
    request.largeIcons = Working().General.DefaultLargeIcons && m_shown.type == kOrdinaryTabType;
    TabRecord* tab = m_shown.tab;
    AddChosenTargets(App(), Working(), request, chosen, owner, [this, tab](int index) {
        if (m_shown.tab == tab) {
            InsertRow(index);
            SelectRow(index);
        }
    });
    AfterSpecialChange(false);
    UpdateButtons();
}

std::unique_ptr<ShortcutRecord> ShortcutsPage::TakeRow(int row) {
    auto& shortcuts = m_shown.tab->Shortcuts;
    std::unique_ptr<ShortcutRecord> taken = std::move(shortcuts[static_cast<std::size_t>(row)]);
    shortcuts.erase(shortcuts.begin() + row);
    m_updating = true;
    ListView_DeleteItem(Item(IDC_SHORTCUT_LIST), row);
    m_updating = false;
    m_selected = -1;
    const int next = SelectionAfterRemoval(row, static_cast<int>(shortcuts.size()));
    if (next >= 0) {
        SelectRow(next);
    } else {
        UpdateButtons();
    }
    return taken;
}

void ShortcutsPage::Remove() {
    if (!Buttons().remove) {
        return;
    }
    const std::wstring caption = AfterLastBackslash(RowTexts()[static_cast<std::size_t>(m_selected)]);
    if (App().MessageWithCaption(m_hwnd, App().Text(IDS_REMOVE_SHORTCUT), caption,
                                 MB_YESNO | MB_ICONQUESTION) != IDYES) {
        return;
    }
    TakeRow(m_selected);
    AfterSpecialChange(true);
}

void ShortcutsPage::ChangeImage() {
    ShortcutRecord* shortcut = Selected();
    if (shortcut == nullptr || !Buttons().image) {
        return;
    }
    SHSipPreference(m_hwnd, SIP_DOWN);
    ImageChooser chooser(App(), ImageMode::ShortcutImages);
    std::wstring reference;
    if (!chooser.Run(GetAncestor(m_hwnd, GA_ROOT), reference)) {
        return;
    }
    shortcut->SetBitmapIcon(reference);
    const int row = m_selected;
    FillRows();
    SelectRow(row);
}

void ShortcutsPage::EditAdditional() {
    ShortcutRecord* shortcut = Selected();
    if (shortcut == nullptr) {
        return;
    }
    TabRecord* tab = m_shown.tab;
    AdditionalPropertiesDialog dialog(App(), Working(), *shortcut);
    dialog.Run(GetAncestor(m_hwnd, GA_ROOT));
    // The name may have changed; the row follows when the shortcut is still shown.
    if (m_shown.tab == tab && Selected() == shortcut) {
        const std::wstring text = ShortcutRowText(*shortcut, Working().General.ShowFileNamesOnly);
        ListView_SetItemText(Item(IDC_SHORTCUT_LIST), m_selected, 0, const_cast<wchar_t*>(text.c_str()));
    }
}

void ShortcutsPage::ShowSpecialTabInfo() {
    if (m_shown.type == kOrdinaryTabType) {
        return;
    }
    const SpecialTabInfo& info = SpecialTabInfos()[static_cast<std::size_t>(m_shown.type)];
    std::wstring text = App().Text(info.infoId);
    const std::size_t hole = text.find(L"%d");
    if (hole != std::wstring::npos) {
        text.replace(hole, 2, std::to_wstring(info.limit));
    }
    App().MessageWithCaption(m_hwnd, text, App().Title(), MB_OK | MB_ICONINFORMATION);
}

void ShortcutsPage::OnLargeIconClicked() {
    ShortcutRecord* shortcut = Selected();
    if (shortcut == nullptr || m_shown.type != kOrdinaryTabType) {
        return;
    }
    shortcut->SetLargeIcon(IsDlgButtonChecked(m_hwnd, IDC_SHORTCUT_LARGE_ICON) == BST_CHECKED);
}

bool ShortcutsPage::IsMeterThatMeasuresStorage(const ShortcutRecord& shortcut) const {
    return MeasuresStorageCard(shortcut);
}

HMENU ShortcutsPage::BuildContextMenu(int row) {
    if (m_shown.tab == nullptr || row < 0 || row >= static_cast<int>(m_shown.tab->Shortcuts.size())) {
        return nullptr;
    }
    const ShortcutRecord& shortcut = *m_shown.tab->Shortcuts[static_cast<std::size_t>(row)];
    HMENU menu = CreatePopupMenu();
    HMENU moveTo = CreatePopupMenu();
    HMENU copyTo = CreatePopupMenu();
    const auto& tabs = Working().Tabs();
    for (int i = 0; i < static_cast<int>(tabs.size()) && i < kMaxTabs; ++i) {
        if (tabs[static_cast<std::size_t>(i)].get() == m_shown.tab) {
            continue;
        }
        AppendMenuW(moveTo, MF_STRING, IDC_MOVE_TO_FIRST + i,
                    tabs[static_cast<std::size_t>(i)]->Name.c_str());
        AppendMenuW(copyTo, MF_STRING, IDC_COPY_TO_FIRST + i,
                    tabs[static_cast<std::size_t>(i)]->Name.c_str());
    }
    AppendMenuW(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(moveTo), App().Text(IDS_MOVE_SHORTCUT_TO).c_str());
    AppendMenuW(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(copyTo), App().Text(IDS_COPY_SHORTCUT_TO).c_str());
    m_cards.clear();
    if (IsMeterThatMeasuresStorage(shortcut)) {
        m_cards = FlashCardNames();
        const auto mapped = Working().StorageCardPath(TargetArgument(shortcut.AdditionalTarget()));
        HMENU cards = CreatePopupMenu();
        for (std::size_t i = 0; i < m_cards.size(); ++i) {
            const std::wstring card = L"\\" + m_cards[i];
            const bool ticked = mapped && *mapped == card;
            AppendMenuW(cards, MF_STRING | (ticked ? MF_CHECKED : 0), IDC_CARD_FIRST + i, card.c_str());
        }
        AppendMenuW(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(cards),
                    App().Text(IDS_METER_CARD_MENU).c_str());
    }
    if (OffersChangeTarget(shortcut.AdditionalTarget())) {
        AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
        AppendMenuW(menu, MF_STRING, IDC_CHANGE_TARGET, App().Text(IDS_CHANGE_TARGET).c_str());
    }
    return menu;
}

void ShortcutsPage::RunContextCommand(int row, UINT command) {
    if (m_shown.tab == nullptr || row < 0 || row >= static_cast<int>(m_shown.tab->Shortcuts.size())) {
        return;
    }
    auto& tabs = Working().Tabs();
    const int tabCount = static_cast<int>(tabs.size());
    ShortcutRecord& shortcut = *m_shown.tab->Shortcuts[static_cast<std::size_t>(row)];
    if (command >= IDC_MOVE_TO_FIRST && command < IDC_MOVE_TO_FIRST + static_cast<UINT>(kMaxTabs)) {
        const int target = static_cast<int>(command - IDC_MOVE_TO_FIRST);
        if (target >= tabCount || tabs[static_cast<std::size_t>(target)].get() == m_shown.tab) {
            return;
        }
        std::unique_ptr<ShortcutRecord> moved = TakeRow(row);
        moved->SetInSpecialTab(false);
        tabs[static_cast<std::size_t>(target)]->Shortcuts.push_back(std::move(moved));
        AfterSpecialChange(true);
    } else if (command >= IDC_COPY_TO_FIRST && command < IDC_COPY_TO_FIRST + static_cast<UINT>(kMaxTabs)) {
        const int target = static_cast<int>(command - IDC_COPY_TO_FIRST);
        if (target >= tabCount || tabs[static_cast<std::size_t>(target)].get() == m_shown.tab) {
            return;
        }
        std::unique_ptr<ShortcutRecord> copy = shortcut.CloneStored();
        copy->SetInSpecialTab(false);
        tabs[static_cast<std::size_t>(target)]->Shortcuts.push_back(std::move(copy));
    } else if (command >= IDC_CARD_FIRST && command < IDC_CARD_FIRST + m_cards.size()) {
        Working().SetStorageCardPath(TargetArgument(shortcut.AdditionalTarget()),
                                     L"\\" + m_cards[command - IDC_CARD_FIRST]);
    } else if (command == IDC_CHANGE_TARGET && OffersChangeTarget(shortcut.AdditionalTarget())) {
        SHSipPreference(m_hwnd, SIP_DOWN);
        HWND owner = GetAncestor(m_hwnd, GA_ROOT);
        std::vector<ChosenTarget> chosen;
        if (!BrowseTargets(App(), Working(), owner, TargetBrowserSetup{}, chosen) || chosen.empty()) {
            return;
        }
        ChangeTarget(App(), shortcut, chosen.front(), owner);
        const int selected = row;
        FillRows();
        SelectRow(selected);
    }
}

void ShortcutsPage::ShowContextMenu(int row, POINT screen) {
    HMENU menu = BuildContextMenu(row);
    if (menu == nullptr) {
        return;
    }
    SelectRow(row);
    const UINT command = static_cast<UINT>(TrackPopupMenu(menu, TPM_RETURNCMD | TPM_LEFTALIGN | TPM_TOPALIGN,
                                                          screen.x, screen.y, 0, m_hwnd, nullptr));
    DestroyMenu(menu);
    if (command != 0) {
        RunContextCommand(row, command);
    }
}

INT_PTR ShortcutsPage::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COMMAND: {
        const int id = LOWORD(wParam);
        const int code = HIWORD(wParam);
        switch (id) {
        case IDC_SHORTCUT_TAB:
            if (code == CBN_SELCHANGE && !m_updating) {
                ShowTab(static_cast<int>(SendDlgItemMessageW(m_hwnd, id, CB_GETCURSEL, 0, 0)));
            }
            return TRUE;
        case IDC_SHORTCUT_MOVE_UP:
            MoveUp();
            return TRUE;
        case IDC_SHORTCUT_MOVE_DOWN:
            MoveDown();
            return TRUE;
        case IDC_SHORTCUT_ADD:
            Add();
            return TRUE;
        case IDC_SHORTCUT_REMOVE:
            Remove();
            return TRUE;
        case IDC_SHORTCUT_IMAGE:
            ChangeImage();
            return TRUE;
        case IDC_SHORTCUT_ADDITIONAL:
            EditAdditional();
            return TRUE;
        case IDC_SHORTCUT_SPECIAL_TAB:
            ShowSpecialTabInfo();
            return TRUE;
        case IDC_SHORTCUT_LARGE_ICON:
            if (code == BN_CLICKED) {
                OnLargeIconClicked();
            }
            return TRUE;
        default:
            break;
        }
        break;
    }
    case WM_NOTIFY: {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        if (header->idFrom != IDC_SHORTCUT_LIST) {
            break;
        }
        if (header->code == LVN_ITEMCHANGED && !m_updating) {
            const auto* change = reinterpret_cast<const NMLISTVIEW*>(lParam);
            if ((change->uChanged & LVIF_STATE) && (change->uNewState & LVIS_SELECTED) &&
                !(change->uOldState & LVIS_SELECTED)) {
                SelectRow(change->iItem);
            }
            return TRUE;
        }
        if (header->code == static_cast<UINT>(GN_CONTEXTMENU)) {
            const auto* info = reinterpret_cast<const NMRGINFO*>(lParam);
            ShowContextMenu(static_cast<int>(info->dwItemSpec), info->ptAction);
            return TRUE;
        }
        if (header->code == NM_RCLICK) {
            const auto* activate = reinterpret_cast<const NMITEMACTIVATE*>(lParam);
            POINT screen = activate->ptAction;
            ClientToScreen(header->hwndFrom, &screen);
            ShowContextMenu(activate->iItem, screen);
            return TRUE;
        }
        break;
    }
    default:
        break;
    }
    return FALSE;
}

} // namespace norvane::options
