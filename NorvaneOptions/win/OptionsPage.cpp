// The Options page.
#include "OptionsPage.h"

#include "Aygshell.h"
#include "FlashCards.h"
#include "ColourMath.h"
#include "ColourPicker.h"
#include "DisplayScale.h"
#include "ExceptionsDialog.h"
#include "FolderPicker.h"
#include "ImageDraw.h"
#include "OptionsApp.h"
#include "Pictures.h"
#include "StartTrace.h"
#include "TargetBrowser.h"

#include <commctrl.h>

namespace norvane::options {

namespace {

constexpr int kEditors[] = {IDC_OPTION_CHECK, IDC_OPTION_CHOICE, IDC_OPTION_TEXT, IDC_OPTION_BROWSE,
                            IDC_OPTION_COLOR};

int CALLBACK CollectFamily(const LOGFONTW* font, const TEXTMETRICW*, DWORD, LPARAM param) {
    reinterpret_cast<std::vector<std::wstring>*>(param)->push_back(font->lfFaceName);
    return 1;
}

std::wstring WindowText(HWND window, std::size_t limit) {
    std::wstring text(limit + 1, L'\0');
    const int length = GetWindowTextW(window, text.data(), static_cast<int>(limit + 1));
    text.resize(static_cast<std::size_t>(std::max(length, 0)));
    return text;
}

} // namespace

std::vector<std::wstring> ScreenFontFamilies() {
    std::vector<std::wstring> families;
    HDC screen = GetDC(nullptr);
    EnumFontFamiliesW(screen, nullptr, CollectFamily, reinterpret_cast<LPARAM>(&families));
    ReleaseDC(nullptr, screen);
    return families;
}

OptionsPage::OptionsPage(OptionsSheet& sheet)
    : PageBase(sheet, IDD_OPTIONS_PAGE, IDD_OPTIONS_PAGE_WIDE, IDS_OPTIONS) {}

const OptionDescriptor* OptionsPage::SelectedDescriptor() const {
    return m_selected >= 0 && m_selected < static_cast<int>(m_options.size()) ? &m_options[m_selected]
                                                                              : nullptr;
}

OptionContext OptionsPage::Context() {
    OptionContext context;
    context.text = [this](unsigned id) { return App().Text(id); };
    context.screenWidth = GetSystemMetrics(SM_CXSCREEN);
    context.screenHeight = GetSystemMetrics(SM_CYSCREEN);
    const OptionDescriptor* option = SelectedDescriptor();
    if (option != nullptr && option->rule == ChoiceRule::Font) {
        if (!m_fontsRead) {
            m_fontFamilies = ScreenFontFamilies();
            m_fontsRead = true;
        }
        context.fontFamilies = m_fontFamilies;
    }
    if (option != nullptr && option->rule == ChoiceRule::MeterBar) {
        context.storageCards = FlashCardNames();
    }
    return context;
}

void OptionsPage::OnInit() {
    m_smallestHeight = ScaleY(16);
    m_largestExtraWidth = ScaleX(20);
    m_anchors.Add(IDC_OPTION_GROUP, kStretchRight);
    m_anchors.Add(IDC_OPTION_DESCRIPTION, kStretchRight);
    m_anchors.Add(IDC_OPTION_CHECK, kStretchRight);
    m_anchors.Add(IDC_OPTION_CHOICE, kStretchRight);
    m_anchors.Add(IDC_OPTION_TEXT, kStretchRight);
    m_anchors.Add(IDC_OPTION_BROWSE, kMoveRight);
    m_anchors.Add(IDC_OPTION_LIST, kStretchRight | kStretchDown);

    SetDlgItemTextW(m_hwnd, IDC_OPTION_BROWSE, App().Text(IDS_BROWSE_BUTTON).c_str());
    SetDlgItemTextW(m_hwnd, IDC_OPTION_COLOR, App().Text(IDS_COLOR_BUTTON).c_str());
    SendDlgItemMessageW(m_hwnd, IDC_OPTION_TEXT, EM_LIMITTEXT, MAX_PATH, 0);
    HWND groups = Item(IDC_OPTION_GROUP);
    for (const OptionGroup& group : OptionGroups()) {
        const std::wstring name = App().Text(group.nameId);
        SendMessageW(groups, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
    }
    HWND list = Item(IDC_OPTION_LIST);
    ListView_SetExtendedListViewStyle(list, LVS_EX_FULLROWSELECT);
    LVCOLUMNW column{};
    column.mask = LVCF_WIDTH;
    column.cx = 100;
    ListView_InsertColumn(list, 0, &column);
    TraceStep("page_controls");
    LoadJpegResource(App().Instance(), App().HiResDisplay() ? IDJ_LOGO : IDJ_LOGO_SMALL, m_picture);
    TraceStep("logo");
    SendMessageW(groups, CB_SETCURSEL, 0, 0);
    SelectGroup(0);
    TraceStep("page_filled");
}

void OptionsPage::OnResize(int width, int height) {
    FitListColumn();
}

void OptionsPage::FitListColumn() {
    // As wide as the list, unless a title needs more: then the list scrolls
    // sideways rather than cutting the title short.
    HWND list = Item(IDC_OPTION_LIST);
    if (list == nullptr) {
        return;
    }
    RECT client;
    GetClientRect(list, &client);
    int widest = 0;
    const int count = ListView_GetItemCount(list);
    for (int i = 0; i < count; ++i) {
        wchar_t text[256] = L"";
        ListView_GetItemText(list, i, 0, text, 256);
        widest = std::max(widest, ListView_GetStringWidth(list, text));
    }
    // The text's own margins inside its column.
    const int needed = widest + ScaleX(8);
    ListView_SetColumnWidth(list, 0, std::max<int>(needed, client.right));
    GetClientRect(list, &client);
    if (needed <= client.right) {
        ListView_SetColumnWidth(list, 0, client.right);
    }
}

void OptionsPage::SetDescription(const std::wstring& text) {
    SetDlgItemTextW(m_hwnd, IDC_OPTION_DESCRIPTION, text.c_str());
}

void OptionsPage::HideEditors() {
    for (int id : kEditors) {
        ShowWindow(Item(id), SW_HIDE);
    }
}

void OptionsPage::SelectGroup(int group) {
    const auto groups = OptionGroups();
    if (group < 0 || group >= static_cast<int>(groups.size())) {
        return;
    }
    m_group = group;
    m_options = groups[static_cast<std::size_t>(group)].options;
    m_selected = -1;
    m_choices.clear();
    HideEditors();
    HWND list = Item(IDC_OPTION_LIST);
    ListView_DeleteAllItems(list);
    ShowWindow(list, SW_SHOW);
    if (group == kCustomizedTabsGroup && Working().General.BehaviorMode != kCustomizedTabsMode) {
        ShowWindow(list, SW_HIDE);
        SetDescription(App().Text(IDS_CUSTOMIZED_TABS_ONLY));
        return;
    }
    SetDescription(App().Text(IDS_SELECT_OPTION));
    SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    for (std::size_t i = 0; i < m_options.size(); ++i) {
        const std::wstring title = OptionTitle(App().Text(m_options[i].textId));
        LVITEMW item{};
        item.mask = LVIF_TEXT;
        item.iItem = static_cast<int>(i);
        item.pszText = const_cast<wchar_t*>(title.c_str());
        ListView_InsertItem(list, &item);
    }
    SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    FitListColumn();
}

void OptionsPage::SelectOption(int index) {
    if (index < 0 || index >= static_cast<int>(m_options.size())) {
        return;
    }
    CommitPending();
    m_selected = index;
    const OptionDescriptor& option = m_options[static_cast<std::size_t>(index)];
    SetDescription(OptionDescription(App().Text(option.textId)));
    ShowEditor(option);
}

void OptionsPage::ShowEditor(const OptionDescriptor& option) {
    HideEditors();
    switch (option.editor) {
    case EditorKind::CheckBox:
        SetDlgItemTextW(m_hwnd, IDC_OPTION_CHECK, OptionTitle(App().Text(option.textId)).c_str());
        CheckDlgButton(m_hwnd, IDC_OPTION_CHECK, ReadFlag(option, Working()) ? BST_CHECKED : BST_UNCHECKED);
        ShowWindow(Item(IDC_OPTION_CHECK), SW_SHOW);
        break;
    case EditorKind::ChoiceList: {
        HWND combo = ChoiceList();
        m_choices = ChoicesOf(option, Working(), Context());
        SendMessageW(combo, WM_SETREDRAW, FALSE, 0);
        SendMessageW(combo, CB_RESETCONTENT, 0, 0);
        for (const Choice& choice : m_choices) {
            SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(choice.text.c_str()));
        }
        SendMessageW(combo, WM_SETREDRAW, TRUE, 0);
        SendMessageW(combo, CB_SETCURSEL, ShownChoice(option, Working(), m_choices), 0);
        ShowWindow(combo, SW_SHOW);
        InvalidateRect(combo, nullptr, TRUE);
        break;
    }
    case EditorKind::ProgramField:
    case EditorKind::FolderField:
        SetDlgItemTextW(m_hwnd, IDC_OPTION_TEXT, ReadText(option, Working()).c_str());
        SendDlgItemMessageW(m_hwnd, IDC_OPTION_TEXT, EM_SETMODIFY, FALSE, 0);
        ShowWindow(Item(IDC_OPTION_TEXT), SW_SHOW);
        ShowWindow(Item(IDC_OPTION_BROWSE), SW_SHOW);
        break;
    case EditorKind::Colour:
        m_swatch = ReadColour(option, Working());
        ShowWindow(Item(IDC_OPTION_COLOR), SW_SHOW);
        InvalidateRect(Item(IDC_OPTION_COLOR), nullptr, TRUE);
        break;
    case EditorKind::Button:
        ShowWindow(Item(IDC_OPTION_BROWSE), SW_SHOW);
        break;
    }
}

HWND OptionsPage::ChoiceList() {
    // A drop-down list comes with a window of its own for its list, and most
    // starts never show one: the page keeps a hidden place for it, which has
    // taken the landscape place, the true-VGA size and font and the anchors,
    // and the list takes it over when an option first needs it.
    HWND place = Item(IDC_OPTION_CHOICE);
    if (place == nullptr) {
        return nullptr;
    }
    wchar_t cls[16] = L"";
    GetClassNameW(place, cls, 16);
    if (lstrcmpiW(cls, WC_COMBOBOXW) == 0) {
        return place;
    }
    const RECT rect = ChildRect(m_hwnd, IDC_OPTION_CHOICE);
    HWND combo = CreateWindowExW(0, WC_COMBOBOXW, L"", WS_CHILD | WS_VSCROLL | WS_TABSTOP | CBS_DROPDOWNLIST,
                                 rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, m_hwnd,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_OPTION_CHOICE)),
                                 App().Instance(), nullptr);
    if (combo == nullptr) {
        return nullptr;
    }
    SendMessageW(combo, WM_SETFONT, SendMessageW(place, WM_GETFONT, 0, 0), FALSE);
    // In the place's spot of the tab order.
    SetWindowPos(combo, place, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    DestroyWindow(place);
    return combo;
}

void OptionsPage::CommitPending() {
    OnTextCommitted();
}

void OptionsPage::OnChoiceChanged() {
    const OptionDescriptor* option = SelectedDescriptor();
    const int index = static_cast<int>(SendDlgItemMessageW(m_hwnd, IDC_OPTION_CHOICE, CB_GETCURSEL, 0, 0));
    if (option == nullptr || option->editor != EditorKind::ChoiceList || index < 0 ||
        index >= static_cast<int>(m_choices.size())) {
        return;
    }
    const Choice& choice = m_choices[static_cast<std::size_t>(index)];
    if (option->rule == ChoiceRule::TrueVga && choice.value != 0) {
        if (App().Message(m_hwnd, IDS_TRUE_VGA_WARNING, MB_YESNO | MB_ICONQUESTION) != IDYES) {
            Working().General.*option->intField = 0;
            SendDlgItemMessageW(m_hwnd, IDC_OPTION_CHOICE, CB_SETCURSEL, 0, 0);
            return;
        }
    }
    StoreChoice(*option, Working(), choice);
}

void OptionsPage::OnCheckClicked() {
    const OptionDescriptor* option = SelectedDescriptor();
    if (option != nullptr && option->editor == EditorKind::CheckBox) {
        WriteFlag(*option, Working(), IsDlgButtonChecked(m_hwnd, IDC_OPTION_CHECK) == BST_CHECKED);
    }
}

void OptionsPage::OnTextCommitted() {
    const OptionDescriptor* option = SelectedDescriptor();
    if (option == nullptr ||
        (option->editor != EditorKind::ProgramField && option->editor != EditorKind::FolderField)) {
        return;
    }
    HWND field = Item(IDC_OPTION_TEXT);
    if (!SendMessageW(field, EM_GETMODIFY, 0, 0)) {
        return;
    }
    SendMessageW(field, EM_SETMODIFY, FALSE, 0);
    WriteText(*option, Working(), WindowText(field, MAX_PATH));
}

void OptionsPage::OnBrowse() {
    const OptionDescriptor* option = SelectedDescriptor();
    if (option == nullptr) {
        return;
    }
    SHSipPreference(m_hwnd, SIP_DOWN);
    HWND owner = GetAncestor(m_hwnd, GA_ROOT);
    switch (option->editor) {
    case EditorKind::ProgramField: {
        TargetBrowserSetup setup;
        setup.programsOnly = true;
        std::vector<ChosenTarget> chosen;
        if (BrowseTargets(App(), Working(), owner, setup, chosen) && !chosen.empty()) {
            WriteText(*option, Working(), chosen.front().path);
            SetDlgItemTextW(m_hwnd, IDC_OPTION_TEXT, chosen.front().path.c_str());
        }
        break;
    }
    case EditorKind::FolderField: {
        FolderPicker picker(App(), ReadText(*option, Working()));
        std::wstring folder;
        if (picker.Run(owner, folder)) {
            folder = WithTrailingBackslash(folder);
            WriteText(*option, Working(), folder);
            SetDlgItemTextW(m_hwnd, IDC_OPTION_TEXT, folder.c_str());
        }
        break;
    }
    case EditorKind::Button: {
        ExceptionsDialog dialog(App(), Working().Exceptions());
        if (dialog.Run(owner)) {
            Working().SetExceptions(dialog.Result());
        }
        break;
    }
    default:
        break;
    }
}

void OptionsPage::OnColour() {
    const OptionDescriptor* option = SelectedDescriptor();
    if (option == nullptr || option->editor != EditorKind::Colour) {
        return;
    }
    SHSipPreference(m_hwnd, SIP_DOWN);
    ColourPicker picker(App(), PickerStartColour(ReadColour(*option, Working())), kPickerTab);
    const auto stored = StoredColourOf(picker.Run(GetAncestor(m_hwnd, GA_ROOT)));
    if (!stored) {
        return;
    }
    WriteColour(*option, Working(), *stored);
    m_swatch = *stored;
    InvalidateRect(Item(IDC_OPTION_COLOR), nullptr, TRUE);
}

void OptionsPage::DrawSwatch(const DRAWITEMSTRUCT& item) {
    RECT r = item.rcItem;
    const bool pressed = (item.itemState & ODS_SELECTED) != 0;
    DrawFrameControl(item.hDC, &r, DFC_BUTTON, DFCS_BUTTONPUSH | (pressed ? DFCS_PUSHED : 0));
    InflateRect(&r, -ScaleX(3), -ScaleY(3));
    const int swatchWidth = std::min<int>(r.right - r.left, r.bottom - r.top + ScaleX(16));
    RECT swatch{r.left, r.top, r.left + swatchWidth, r.bottom};
    FrameRect(item.hDC, &swatch, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    InflateRect(&swatch, -1, -1);
    if (m_swatch == kAutomaticColor) {
        // The element's default colour: a hatched swatch.
        HBRUSH hatch = CreateHatchBrush(HS_BDIAGONAL, GetSysColor(COLOR_GRAYTEXT));
        SetBkColor(item.hDC, GetSysColor(COLOR_WINDOW));
        FillRect(item.hDC, &swatch, hatch);
        DeleteObject(hatch);
    } else {
        HBRUSH fill = CreateSolidBrush(static_cast<COLORREF>(m_swatch));
        FillRect(item.hDC, &swatch, fill);
        DeleteObject(fill);
    }
    RECT text{swatch.right + ScaleX(6), r.top, r.right, r.bottom};
    const std::wstring label =
        m_swatch == kAutomaticColor ? App().Text(IDS_COLOR_DEFAULT) : App().Text(IDS_COLOR_BUTTON);
    SetBkMode(item.hDC, TRANSPARENT);
    SetTextColor(item.hDC, GetSysColor(COLOR_BTNTEXT));
    DrawTextW(item.hDC, label.c_str(), -1, &text, DT_SINGLELINE | DT_VCENTER | DT_LEFT | DT_NOPREFIX);
    if (item.itemState & ODS_FOCUS) {
        RECT focus = item.rcItem;
        InflateRect(&focus, -2, -2);
        DrawFocusRect(item.hDC, &focus);
    }
}

void OptionsPage::DrawPicture(const DRAWITEMSTRUCT& item) {
    FillRect(item.hDC, &item.rcItem, GetSysColorBrush(COLOR_WINDOW));
    if (m_picture.IsEmpty()) {
        return;
    }
    const int width = item.rcItem.right - item.rcItem.left;
    const int height = item.rcItem.bottom - item.rcItem.top;
    const int size = std::min({width, height, m_picture.Width()});
    RECT target{item.rcItem.left + (width - size) / 2, item.rcItem.top + (height - size) / 2, 0, 0};
    target.right = target.left + size;
    target.bottom = target.top + size;
    StretchPicture(item.hDC, m_picture, target);
}

INT_PTR OptionsPage::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COMMAND: {
        const int id = LOWORD(wParam);
        const int code = HIWORD(wParam);
        switch (id) {
        case IDC_OPTION_GROUP:
            if (code == CBN_SELCHANGE) {
                CommitPending();
                SelectGroup(static_cast<int>(SendDlgItemMessageW(m_hwnd, id, CB_GETCURSEL, 0, 0)));
            }
            return TRUE;
        case IDC_OPTION_CHOICE:
            if (code == CBN_SELCHANGE) {
                OnChoiceChanged();
            }
            return TRUE;
        case IDC_OPTION_CHECK:
            if (code == BN_CLICKED) {
                OnCheckClicked();
            }
            return TRUE;
        case IDC_OPTION_TEXT:
            if (code == EN_KILLFOCUS) {
                OnTextCommitted();
            }
            return TRUE;
        case IDC_OPTION_BROWSE:
            if (code == BN_CLICKED) {
                OnBrowse();
            }
            return TRUE;
        case IDC_OPTION_COLOR:
            if (code == BN_CLICKED) {
                OnColour();
            }
            return TRUE;
        case IDC_OPTION_PICTURE:
            if (code == BN_CLICKED) {
                m_sheet.ShowPage(kAboutPageIndex);
            }
            return TRUE;
        default:
            break;
        }
        break;
    }
    case WM_NOTIFY: {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        if (header->idFrom == IDC_OPTION_LIST && header->code == LVN_ITEMCHANGED) {
            const auto* change = reinterpret_cast<const NMLISTVIEW*>(lParam);
            if ((change->uChanged & LVIF_STATE) && (change->uNewState & LVIS_SELECTED) &&
                !(change->uOldState & LVIS_SELECTED)) {
                SelectOption(change->iItem);
            }
            return TRUE;
        }
        break;
    }
    case WM_DRAWITEM: {
        const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        if (item->CtlID == IDC_OPTION_COLOR) {
            DrawSwatch(*item);
            return TRUE;
        }
        if (item->CtlID == IDC_OPTION_PICTURE) {
            DrawPicture(*item);
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
