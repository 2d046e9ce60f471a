// The target browser (see TargetBrowser.h).
#include "TargetBrowser.h"

#include "FlashCards.h"
#include "Aygshell.h"
#include "CeLaunch.h"
#include "CeShell.h"
#include "DisplayScale.h"
#include "ImageLoader.h"
#include "ImageShortcutIcon.h"
#include "OptionTables.h"
#include "OptionsApp.h"
#include "OptionsPage.h"
#include "Settings.h"
#include "ShortcutAdding.h"
#include "ShortcutEditing.h"
#include "ShortcutTarget.h"
#include "Telephony.h"
#include "Win32Handles.h"

#include <commctrl.h>
#include <cpl.h>

#include <algorithm>
#include <set>

namespace norvane::options {

namespace {

constexpr wchar_t kLastBrowsePath[] = L"LastBrowsePath";
constexpr wchar_t kLastBrowseMode[] = L"LastBrowseMode";
constexpr UINT kEnterRow = WM_APP + 1;

struct ModeText {
    UINT tab;
    UINT caption;
};
constexpr ModeText kModes[kBrowseModeCount] = {{IDS_TAB_FILES, IDS_COMMON_LOCATIONS},
                                               {IDS_TAB_CPL, IDS_CPL_CAPTION},
                                               {IDS_TAB_METERS, IDS_METERS_CAPTION},
                                               {IDS_TAB_NEW, IDS_NEW_CAPTION},
                                               {IDS_TAB_SPECIAL, IDS_SPECIAL_CAPTION}};

struct SpecialRow {
    UINT name;
    const wchar_t* target;
};
constexpr SpecialRow kSpecials[] = {
    {IDS_SPECIAL_SOFT_RESET, L"special:softreset"},
    {IDS_SPECIAL_POWER_OFF, L"special:poweroff"},
    {IDS_SPECIAL_SCREEN_CAPTURE, L"special:screencapture"},
    {IDS_SPECIAL_ROTATE, L"special:rotate"},
    {IDS_SPECIAL_TAB_MENU, L"special:tabmenu"},
    {IDS_SPECIAL_JUMP_TO_TAB, L"special:jumptotab"},
    {IDS_SPECIAL_MINMAX, L"special:minmax"},
};
constexpr SpecialRow kPhoneSpecials[] = {{IDS_SPECIAL_SMS, L"special:sms"},
                                         {IDS_SPECIAL_PHONE_CALL, L"special:phonecall"}};

std::wstring SpecialFolder(int csidl, const wchar_t* fallback) {
    wchar_t folder[MAX_PATH + 1] = L"";
    if (!CeSHGetSpecialFolderPath(nullptr, folder, csidl, FALSE) || folder[0] == 0) {
        return fallback;
    }
    return WithTrailingBackslash(folder);
}

HICON SystemSmallIcon(const std::wstring& path) {
    SHFILEINFOW info{};
    if (!CeSHGetFileInfo(path.c_str(), 0, &info, sizeof info, SHGFI_ICON | SHGFI_SMALLICON)) {
        return nullptr;
    }
    return info.hIcon;
}

using AppletEntry = LONG(APIENTRY*)(HWND, UINT, LPARAM, LPARAM);

} // namespace

std::wstring StartMenuFolder() {
    return SpecialFolder(CSIDL_STARTMENU, L"\\Windows\\Start Menu\\");
}

std::wstring MyDocumentsFolder() {
    return SpecialFolder(CSIDL_PERSONAL, L"\\My Documents\\");
}

TargetBrowser::TargetBrowser(OptionsApp& app, const Settings& settings, TargetBrowserSetup setup)
    : m_app(app), m_settings(settings), m_setup(setup), m_singleFile(!setup.multipleSelection) {}

bool TargetBrowser::Run(HWND owner, std::vector<ChosenTarget>& chosen) {
    m_accepted = false;
    RunModal(m_app.Instance(), MAKEINTRESOURCEW(IDD_TARGET_BROWSER), owner);
    if (m_accepted) {
        chosen = m_chosen;
    }
    return m_accepted;
}

HWND TargetBrowser::Create(HWND owner) {
    m_accepted = false;
    return CreateModeless(m_app.Instance(), MAKEINTRESOURCEW(IDD_TARGET_BROWSER), owner);
}

void TargetBrowser::OnInit() {
    m_folder = StartMenuFolder();
    m_mode = kFilesMode;
    if (m_settings.General.RememberFileBrowsePath) {
        std::wstring last;
        if (m_app.ReadString(kLastBrowsePath, last) && !last.empty()) {
            m_folder = WithTrailingBackslash(last);
        }
        DWORD mode = 0;
        if (!m_setup.programsOnly && m_app.ReadDword(kLastBrowseMode, mode) && mode < kBrowseModeCount) {
            m_mode = static_cast<int>(mode);
        }
    }
    if (m_singleFile) {
        m_mode = kFilesMode;
    }
    SetWindowTextW(m_hwnd, m_app.Text(kModes[kFilesMode].caption).c_str());
    SetDlgItemTextW(m_hwnd, IDC_BROWSER_CANCEL, m_app.Text(IDS_CANCEL).c_str());
    SetDlgItemTextW(m_hwnd, IDC_BROWSER_SELECT, m_app.Text(IDS_SELECT).c_str());
    SetDlgItemTextW(m_hwnd, IDC_BROWSER_THIS_DIR, m_app.Text(IDS_THIS_DIR).c_str());
    m_anchors.Capture(m_hwnd, PrepareDialog(m_hwnd, m_app, IDD_TARGET_BROWSER_WIDE, m_fonts,
                                            SHIDIF_DONEBUTTON | SHIDIF_SIZEDLGFULLSCREEN));
    m_menuBar.Create(m_hwnd);
    const bool landscape = IsLandscapeScreen();
    m_anchors.Add(IDC_BROWSER_CAPTION, kStretchRight);
    m_anchors.Add(IDC_BROWSER_LOCATION, kStretchRight);
    m_anchors.Add(IDC_BROWSER_UP, kMoveRight);
    m_anchors.Add(IDC_BROWSER_LIST, kStretchRight | kStretchDown);
    for (int id : {IDC_BROWSER_CANCEL, IDC_BROWSER_THIS_DIR, IDC_BROWSER_SELECT}) {
        m_anchors.Add(id, landscape ? kMoveRight : kMoveDown);
    }
    m_anchors.Add(IDC_BROWSER_TABS, kMoveDown | kStretchRight);

    HFONT font = m_fonts.Add(CreateFontW(-ScaleY(12), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                                         DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                                         DEFAULT_QUALITY, DEFAULT_PITCH, L"Tahoma"));
    SendDlgItemMessageW(m_hwnd, IDC_BROWSER_LIST, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    SendDlgItemMessageW(m_hwnd, IDC_BROWSER_LOCATION, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);

    HWND list = Item(IDC_BROWSER_LIST);
    if (m_singleFile) {
        SetWindowLongW(list, GWL_STYLE, GetWindowLongW(list, GWL_STYLE) | LVS_SINGLESEL);
    }
    ListView_SetExtendedListViewStyle(list, LVS_EX_FULLROWSELECT);
    LVCOLUMNW column{};
    column.mask = LVCF_WIDTH | LVCF_TEXT;
    const std::wstring fileName = m_app.Text(IDS_FILE_NAME_COLUMN);
    column.pszText = const_cast<wchar_t*>(fileName.c_str());
    column.cx = ScaleX(190);
    ListView_InsertColumn(list, 0, &column);
    const std::wstring additional = m_app.Text(IDS_ADDITIONAL_COLUMN);
    column.pszText = const_cast<wchar_t*>(additional.c_str());
    column.cx = 0;
    ListView_InsertColumn(list, 1, &column);
    m_pictureSize = GetSystemMetrics(SM_CXSMICON) > 0 ? ScaleX(16) : 16;

    HWND tabs = Item(IDC_BROWSER_TABS);
    SendMessageW(tabs, WM_SETFONT, reinterpret_cast<WPARAM>(FontOf(m_hwnd, m_fonts)), FALSE);
    for (int i = 0; i < kBrowseModeCount; ++i) {
        const std::wstring text = m_app.Text(kModes[i].tab);
        TCITEMW tab{};
        tab.mask = TCIF_TEXT;
        tab.pszText = const_cast<wchar_t*>(text.c_str());
        TabCtrl_InsertItem(tabs, i, &tab);
    }
    ShowWindow(tabs, m_singleFile ? SW_HIDE : SW_SHOW);
    RECT client;
    GetClientRect(m_hwnd, &client);
    m_anchors.Apply(client.right, client.bottom);
    FitTabs();
    TabCtrl_SetCurSel(tabs, m_mode);
    Fill();
    m_app.DialogReady(m_hwnd, IDD_TARGET_BROWSER);
}

void TargetBrowser::FitTabs() {
    // Five tabs across a narrow screen: when their texts need more room than
    // the strip has, the tabs first give up most of their margins around the
    // texts; only when even that is too wide does each take a fifth of the
    // strip, so that none hides behind scroll arrows.
    HWND tabs = Item(IDC_BROWSER_TABS);
    const LONG style = GetWindowLongW(tabs, GWL_STYLE);
    RECT client;
    RECT last{};
    GetClientRect(tabs, &client);
    // The tab control's usual margins are 6 by 3 pixels. Its least width of a
    // tab (54 pixels less the margins given up) would keep a short text's tab
    // as wide as a long one's: each tab is as wide as its text. The current
    // tab stands out 2 pixels on either side, and the control scrolls when
    // that does not fit either.
    constexpr int kSelectedOutset = 2;
    const int paddings[] = {6, 2, 1};
    TabCtrl_SetMinTabWidth(tabs, 0);
    for (int padding : paddings) {
        SetWindowLongW(tabs, GWL_STYLE, style & ~TCS_FIXEDWIDTH);
        TabCtrl_SetPadding(tabs, padding, 3);
        TabCtrl_SetItemSize(tabs, 0, 0);
        TabCtrl_GetItemRect(tabs, kBrowseModeCount - 1, &last);
        if (last.right + 2 * kSelectedOutset <= client.right) {
            InvalidateRect(tabs, nullptr, TRUE);
            return;
        }
    }
    SetWindowLongW(tabs, GWL_STYLE, style | TCS_FIXEDWIDTH);
    TabCtrl_SetItemSize(tabs, std::max<LONG>(1, (client.right - 4) / kBrowseModeCount),
                        last.bottom - last.top);
    InvalidateRect(tabs, nullptr, TRUE);
}

void TargetBrowser::FillLocations() {
    m_locations.clear();
    m_locations.push_back(m_folder);
    std::vector<std::wstring> texts{m_folder, m_app.Text(IDS_ROOT), m_app.Text(IDS_START_MENU),
                                    m_app.Text(IDS_MY_DOCUMENTS)};
    m_locations.push_back(L"\\");
    m_locations.push_back(StartMenuFolder());
    m_locations.push_back(MyDocumentsFolder());
    for (const std::wstring& card : FlashCardNames()) {
        texts.push_back(L"\\" + card);
        m_locations.push_back(L"\\" + card);
    }
    HWND combo = Item(IDC_BROWSER_LOCATION);
    SendMessageW(combo, CB_RESETCONTENT, 0, 0);
    for (const std::wstring& text : texts) {
        SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    }
    SendMessageW(combo, CB_SETCURSEL, 0, 0);
}

void TargetBrowser::Fill() {
    HCURSOR old = SetCursor(LoadCursorW(nullptr, IDC_WAIT));
    m_filling = true;
    m_app.WriteString(kLastBrowsePath, m_folder);
    m_app.WriteDword(kLastBrowseMode, static_cast<DWORD>(m_mode));
    HWND list = Item(IDC_BROWSER_LIST);
    ListView_DeleteAllItems(list);
    m_rows.clear();
    m_pictures = MakeRowImageList(m_pictureSize);
    ListView_SetImageList(list, m_pictures.get(), LVSIL_SMALL);
    const bool files = m_mode == kFilesMode;
    ShowWindow(Item(IDC_BROWSER_THIS_DIR), files && !m_setup.programsOnly ? SW_SHOW : SW_HIDE);
    ShowWindow(Item(IDC_BROWSER_LOCATION), files ? SW_SHOW : SW_HIDE);
    ShowWindow(Item(IDC_BROWSER_UP), files ? SW_SHOW : SW_HIDE);
    // The task bar shows the dialog's title: it names the mode too.
    const std::wstring caption = m_app.Text(kModes[m_mode].caption);
    SetDlgItemTextW(m_hwnd, IDC_BROWSER_CAPTION, caption.c_str());
    SetWindowTextW(m_hwnd, caption.c_str());
    switch (m_mode) {
    case kFilesMode:
        FillLocations();
        FillFiles();
        break;
    case kAppletsMode:
        FillApplets();
        break;
    case kMetersMode:
        FillMeters();
        break;
    case kNewItemsMode:
        FillNewItems();
        break;
    default:
        FillSpecials();
        break;
    }
    m_filling = false;
    SetCursor(old);
}

void TargetBrowser::AddRow(BrowserRow row, int picture) {
    HWND list = Item(IDC_BROWSER_LIST);
    LVITEMW item{};
    item.mask = LVIF_TEXT | LVIF_IMAGE;
    item.iItem = static_cast<int>(m_rows.size());
    item.pszText = const_cast<wchar_t*>(row.name.c_str());
    item.iImage = picture;
    const int at = ListView_InsertItem(list, &item);
    ListView_SetItemText(list, at, 1, const_cast<wchar_t*>(row.additional.c_str()));
    m_rows.push_back(std::move(row));
}

void TargetBrowser::FillFiles() {
    std::vector<FileRow> rows;
    WIN32_FIND_DATAW found{};
    const std::wstring pattern = m_folder + L"*.*";
    HANDLE search = FindFirstFileW(pattern.c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const bool folder = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
            if (ListedInFileMode(found.cFileName, folder, m_setup.programsOnly)) {
                rows.push_back({found.cFileName, folder ? RowKind::Folder : RowKind::File});
            }
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    SortFileRows(rows);
    const bool icons = m_settings.General.ShowBrowseIcons;
    for (FileRow& row : rows) {
        const bool folder = row.kind == RowKind::Folder;
        int picture = -1;
        if (icons || folder) {
            UniqueIcon icon(SystemSmallIcon(m_folder + row.name));
            picture = AddRowIcon(m_pictures.get(), icon.get(), m_pictureSize);
        }
        AddRow({std::move(row.name), std::wstring(), folder ? 1 : 0}, picture);
    }
}

void TargetBrowser::FillApplets() {
    std::set<std::wstring> seen;
    WIN32_FIND_DATAW found{};
    HANDLE search = FindFirstFileW(L"\\Windows\\*.cpl", &found);
    if (search == INVALID_HANDLE_VALUE) {
        return;
    }
    do {
        if (IsExcludedControlPanelModule(found.cFileName)) {
            continue;
        }
        const std::wstring path = std::wstring(L"\\Windows\\") + found.cFileName;
        HMODULE module = LoadLibraryW(path.c_str());
        if (module == nullptr) {
            continue;
        }
        auto entry =
            reinterpret_cast<AppletEntry>(reinterpret_cast<void*>(GetProcAddress(module, "CPlApplet")));
        if (entry != nullptr && entry(m_hwnd, CPL_INIT, 0, 0) != 0) {
            const LONG count = entry(m_hwnd, CPL_GETCOUNT, 0, 0);
            for (LONG i = 0; i < count && i < 256; ++i) {
                NEWCPLINFOW info{};
                info.dwSize = sizeof info;
                entry(m_hwnd, CPL_NEWINQUIRE, i, reinterpret_cast<LPARAM>(&info));
                info.szName[std::size(info.szName) - 1] = L'\0';
                const std::wstring name = TrimBlanks(info.szName);
                if (name.empty() || !seen.insert(name).second) {
                    continue;
                }
                const ControlPanelTarget applet{path, static_cast<int>(i)};
                UniqueIcon own;
                HICON icon = info.hIcon;
                if (icon == nullptr) {
                    if (UsesPowerProgramIcon(applet)) {
                        own.reset(SystemSmallIcon(L"\\Windows\\powerg.exe"));
                    } else {
                        CPLINFO basic{};
                        entry(m_hwnd, CPL_INQUIRE, i, reinterpret_cast<LPARAM>(&basic));
                        if (basic.idIcon != 0) {
                            own.reset(
                                static_cast<HICON>(LoadImageW(module, MAKEINTRESOURCEW(basic.idIcon),
                                                              IMAGE_ICON, m_pictureSize, m_pictureSize, 0)));
                        }
                        if (!own) {
                            own.reset(SystemSmallIcon(path));
                        }
                    }
                    icon = own.get();
                }
                wchar_t target[MAX_PATH + 32];
                swprintf(target, std::size(target), L"cpl:%ls|%d", path.c_str(), static_cast<int>(i));
                AddRow({name, target, 2}, AddRowIcon(m_pictures.get(), icon, m_pictureSize));
            }
            entry(m_hwnd, CPL_EXIT, 0, 0);
        }
        FreeLibrary(module);
    } while (FindNextFileW(search, &found));
    FindClose(search);
}

int TargetBrowser::TargetPicture(const std::wstring& name, const std::wstring& additional) {
    ShortcutRecord probe;
    probe.SetTarget(name);
    probe.SetAdditionalTarget(additional);
    probe.SetInSpecialTab(true); // small pictures
    m_app.Environment().LoadShortcutIcon(probe, m_settings);
    return AddRowPicture(m_pictures.get(), LoadedShortcutIcon(probe), m_pictureSize);
}

void TargetBrowser::FillMeters() {
    std::vector<std::wstring> roots{ReadInstallFolder() + L"meters\\"};
    if (!m_settings.General.AdditionalMeterPath.empty()) {
        roots.push_back(WithTrailingBackslash(m_settings.General.AdditionalMeterPath));
    }
    for (const std::wstring& root : roots) {
        for (const MeterEntry& meter : InstalledMeters(root, m_settings)) {
            AddRow({meter.name, L"meter:" + meter.definition, 2},
                   TargetPicture(meter.name, L"meter:" + meter.definition));
        }
    }
}

void TargetBrowser::FillNewItems() {
    const std::wstring menu = m_app.Text(IDS_NEW_ITEM_MENU);
    AddRow({menu, L"new:Menu", 2}, TargetPicture(menu, L"new:Menu"));
    UniqueRegKey key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Shell\\Extensions\\NewMenu", 0, KEY_READ,
                      key.Receive()) != ERROR_SUCCESS) {
        return;
    }
    for (DWORD i = 0;; ++i) {
        wchar_t sub[256];
        DWORD length = 256;
        if (RegEnumKeyExW(key.Get(), i, sub, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) {
            break;
        }
        wchar_t name[MAX_PATH + 1] = L"";
        DWORD type = 0;
        DWORD size = MAX_PATH * sizeof(wchar_t);
        UniqueRegKey item;
        if (RegOpenKeyExW(key.Get(), sub, 0, KEY_READ, item.Receive()) != ERROR_SUCCESS ||
            RegQueryValueExW(item.Get(), nullptr, nullptr, &type, reinterpret_cast<BYTE*>(name), &size) !=
                ERROR_SUCCESS ||
            type != REG_SZ) {
            continue;
        }
        name[size / sizeof(wchar_t)] = L'\0';
        const std::wstring target = std::wstring(L"new:") + sub;
        AddRow({name, target, 2}, TargetPicture(name, target));
    }
}

void TargetBrowser::FillSpecials() {
    for (const SpecialRow& special : kSpecials) {
        const std::wstring name = m_app.Text(special.name);
        AddRow({name, special.target, 2}, TargetPicture(name, special.target));
    }
    if (PhoneAvailable()) {
        for (const SpecialRow& special : kPhoneSpecials) {
            const std::wstring name = m_app.Text(special.name);
            AddRow({name, special.target, 2}, TargetPicture(name, special.target));
        }
    }
}

void TargetBrowser::SetMode(int mode) {
    if (mode < 0 || mode >= kBrowseModeCount) {
        return;
    }
    m_mode = mode;
    TabCtrl_SetCurSel(Item(IDC_BROWSER_TABS), mode);
    Fill();
}

void TargetBrowser::GoUp() {
    if (m_folder == L"\\") {
        return;
    }
    m_folder = FolderUp(m_folder);
    Fill();
}

void TargetBrowser::ChooseLocation(int index) {
    if (index <= 0 || index >= static_cast<int>(m_locations.size())) {
        return;
    }
    m_folder = WithTrailingBackslash(m_locations[static_cast<std::size_t>(index)]);
    Fill();
}

void TargetBrowser::EnterFolder(const std::wstring& name) {
    if (name.empty()) {
        return;
    }
    m_folder += name + L"\\";
    Fill();
}

void TargetBrowser::Finish(bool ok) {
    m_accepted = ok;
    End(ok ? IDOK : IDCANCEL);
}

void TargetBrowser::SelectChosen() {
    HWND list = Item(IDC_BROWSER_LIST);
    std::vector<ChosenTarget> chosen;
    for (int i = ListView_GetNextItem(list, -1, LVNI_SELECTED); i >= 0;
         i = ListView_GetNextItem(list, i, LVNI_SELECTED)) {
        if (i >= static_cast<int>(m_rows.size())) {
            break;
        }
        const BrowserRow& row = m_rows[static_cast<std::size_t>(i)];
        if (row.kind == 2) {
            chosen.push_back({row.name, row.additional});
        } else {
            chosen.push_back({m_folder + row.name, std::wstring()});
        }
    }
    if (chosen.empty()) {
        return;
    }
    m_chosen = std::move(chosen);
    Finish(true);
}

void TargetBrowser::ThisDir() {
    const BrowserEntry entry = ThisFolderEntry(m_folder, m_app.Text(IDS_FOLDER_PREFIX));
    m_chosen = {{entry.path, entry.additional}};
    Finish(true);
}

void TargetBrowser::DrawUp(const DRAWITEMSTRUCT& item) {
    RECT r = item.rcItem;
    UINT state = DFCS_SCROLLUP;
    if (item.itemState & ODS_SELECTED) {
        state |= DFCS_PUSHED;
    }
    if (item.itemState & ODS_DISABLED) {
        state |= DFCS_INACTIVE;
    }
    DrawFrameControl(item.hDC, &r, DFC_SCROLL, state);
}

INT_PTR TargetBrowser::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        OnInit();
        return TRUE;
    case WM_SIZE:
        m_anchors.Apply(LOWORD(lParam), HIWORD(lParam));
        FitTabs();
        return TRUE;
    case kEnterRow: {
        const int row = static_cast<int>(wParam);
        if (row >= 0 && row < static_cast<int>(m_rows.size()) &&
            m_rows[static_cast<std::size_t>(row)].kind == 1) {
            EnterFolder(m_rows[static_cast<std::size_t>(row)].name);
        }
        return TRUE;
    }
    case WM_DRAWITEM: {
        const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        if (item->CtlID == IDC_BROWSER_UP) {
            DrawUp(*item);
            return TRUE;
        }
        break;
    }
    case WM_NOTIFY: {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        if (header->idFrom == IDC_BROWSER_TABS && header->code == TCN_SELCHANGE) {
            SetMode(TabCtrl_GetCurSel(header->hwndFrom));
            return TRUE;
        }
        if (header->idFrom == IDC_BROWSER_LIST && header->code == LVN_ITEMCHANGED && !m_filling) {
            const auto* change = reinterpret_cast<const NMLISTVIEW*>(lParam);
            if ((change->uChanged & LVIF_STATE) && (change->uNewState & LVIS_SELECTED) &&
                !(change->uOldState & LVIS_SELECTED) && change->iItem >= 0 &&
                change->iItem < static_cast<int>(m_rows.size()) &&
                m_rows[static_cast<std::size_t>(change->iItem)].kind == 1) {
                // Entered once the list has finished telling of the change.
                PostMessageW(m_hwnd, kEnterRow, static_cast<WPARAM>(change->iItem), 0);
            }
            return TRUE;
        }
        break;
    }
    case WM_COMMAND: {
        const int id = LOWORD(wParam);
        const int code = HIWORD(wParam);
        switch (id) {
        case IDC_BROWSER_LOCATION:
            if (code == CBN_SELCHANGE) {
                ChooseLocation(static_cast<int>(SendDlgItemMessageW(m_hwnd, id, CB_GETCURSEL, 0, 0)));
            }
            return TRUE;
        case IDC_BROWSER_UP:
            GoUp();
            return TRUE;
        case IDC_BROWSER_SELECT:
            SelectChosen();
            return TRUE;
        case IDC_BROWSER_THIS_DIR:
            ThisDir();
            return TRUE;
        case IDC_BROWSER_CANCEL:
        case IDOK: // the title bar's Done
        case IDCANCEL:
        case IDC_CLOSE_WITHOUT_SAVING:
            Finish(false);
            return TRUE;
        default:
            break;
        }
        break;
    }
    default:
        break;
    }
    return FALSE;
}

bool BrowseTargets(OptionsApp& app, const Settings& settings, HWND owner, const TargetBrowserSetup& setup,
                   std::vector<ChosenTarget>& chosen) {
    chosen.clear();
    TargetBrowser browser(app, settings, setup);
    return browser.Run(owner, chosen);
}

} // namespace norvane::options
