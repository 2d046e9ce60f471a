// The device's open and save dialogs.
#include "CeFileDialog.h"

#include "CeFiles.h"
#include "CeMenuBar.h"
#include "CeMessageBox.h"
#include "CeShell.h"

#include <commctrl.h>
#include <shlwapi.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

using namespace norvane::platform;

namespace {

constexpr int kNameLabel = 0x4F06;
constexpr int kTypeLabel = 0x4F07;

struct Filter {
    std::wstring name;
    std::wstring pattern; // one or more patterns separated by ';'
};

struct DialogState {
    OPENFILENAMEW* ofn = nullptr;
    bool save = false;
    std::vector<Filter> filters;
    int filter = 0;
    std::wstring folder;                             // with a closing backslash
    std::vector<std::pair<std::wstring, bool>> rows; // name, is a folder
    HWND menuBar = nullptr;
    HFONT font = nullptr;
};

std::vector<Filter> ParseFilters(const wchar_t* text) {
    std::vector<Filter> filters;
    while (text != nullptr && *text != L'\0') {
        Filter filter;
        filter.name = text;
        text += filter.name.size() + 1;
        if (*text == L'\0') {
            break;
        }
        filter.pattern = text;
        text += filter.pattern.size() + 1;
        filters.push_back(std::move(filter));
    }
    if (filters.empty()) {
        filters.push_back({L"*.*", L"*.*"});
    }
    return filters;
}

std::wstring WithBackslash(std::wstring folder) {
    if (folder.empty() || folder.back() != L'\\') {
        folder += L'\\';
    }
    return folder;
}

bool Matches(const std::wstring& name, const std::wstring& patterns) {
    std::size_t start = 0;
    while (start <= patterns.size()) {
        std::size_t end = patterns.find(L';', start);
        if (end == std::wstring::npos) {
            end = patterns.size();
        }
        const std::wstring pattern = patterns.substr(start, end - start);
        if (!pattern.empty() && PathMatchSpecW(name.c_str(), pattern.c_str())) {
            return true;
        }
        start = end + 1;
    }
    return false;
}

HWND Child(HWND dialog, int id) {
    return GetDlgItem(dialog, id);
}

void Fill(HWND dialog, DialogState& state) {
    SetWindowTextW(Child(dialog, kFileDialogFolder), state.folder.c_str());
    state.rows.clear();
    std::vector<std::wstring> folders;
    std::vector<std::wstring> files;
    WIN32_FIND_DATAW found{};
    HANDLE search = CeFindFirstFile((state.folder + L"*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = found.cFileName;
            if (name == L"." || name == L"..") {
                continue;
            }
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                folders.push_back(name);
            } else if (Matches(name, state.filters[static_cast<std::size_t>(state.filter)].pattern)) {
                files.push_back(name);
            }
        } while (CeFindNextFile(search, &found));
        FindClose(search);
    }
    auto byName = [](const std::wstring& a, const std::wstring& b) {
        return lstrcmpiW(a.c_str(), b.c_str()) < 0;
    };
    std::sort(folders.begin(), folders.end(), byName);
    std::sort(files.begin(), files.end(), byName);
    for (auto& name : folders) {
        state.rows.emplace_back(std::move(name), true);
    }
    for (auto& name : files) {
        state.rows.emplace_back(std::move(name), false);
    }
    HWND list = Child(dialog, kFileDialogList);
    SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    ListView_DeleteAllItems(list);
    for (std::size_t i = 0; i < state.rows.size(); ++i) {
        std::wstring text = state.rows[i].second ? state.rows[i].first + L"\\" : state.rows[i].first;
        LVITEMW item{};
        item.mask = LVIF_TEXT;
        item.iItem = static_cast<int>(i);
        item.pszText = text.data();
        ListView_InsertItem(list, &item);
    }
    SendMessageW(list, WM_SETREDRAW, TRUE, 0);
}

void Layout(HWND dialog) {
    RECT client;
    GetClientRect(dialog, &client);
    HDC dc = GetDC(dialog);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(dialog, WM_GETFONT, 0, 0)));
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    // The labels' own widths, so that they show whole at any size of font.
    int labelWidth = 0;
    for (int id : {kNameLabel, kTypeLabel}) {
        wchar_t text[32] = L"";
        GetDlgItemTextW(dialog, id, text, 32);
        SIZE extent{};
        GetTextExtentPoint32W(dc, text, lstrlenW(text), &extent);
        labelWidth = std::max<int>(labelWidth, extent.cx + metrics.tmAveCharWidth);
    }
    SelectObject(dc, old);
    ReleaseDC(dialog, dc);
    const int line = metrics.tmHeight + 8;
    const int gap = std::max<int>(4, metrics.tmAveCharWidth / 2);
    int y = gap;
    auto* state = reinterpret_cast<DialogState*>(GetWindowLongPtrW(dialog, DWLP_USER));
    if (state != nullptr && state->save) {
        SetWindowPos(GetDlgItem(dialog, kNameLabel), nullptr, gap, y + 4, labelWidth, line - 4, SWP_NOZORDER);
        SetWindowPos(Child(dialog, kFileDialogName), nullptr, gap + labelWidth, y,
                     client.right - 2 * gap - labelWidth, line, SWP_NOZORDER);
        y += line + gap;
    }
    SetWindowPos(Child(dialog, kFileDialogUp), nullptr, gap, y, line, line, SWP_NOZORDER);
    SetWindowPos(Child(dialog, kFileDialogFolder), nullptr, gap + line + gap, y + 4,
                 client.right - 3 * gap - line, line - 4, SWP_NOZORDER);
    y += line + gap;
    const int typeTop = client.bottom - gap - line;
    SetWindowPos(GetDlgItem(dialog, kTypeLabel), nullptr, gap, typeTop + 4, labelWidth, line - 4,
                 SWP_NOZORDER);
    SetWindowPos(Child(dialog, kFileDialogType), nullptr, gap + labelWidth, typeTop,
                 client.right - 2 * gap - labelWidth, line * 6, SWP_NOZORDER);
    HWND list = Child(dialog, kFileDialogList);
    SetWindowPos(list, nullptr, gap, y, client.right - 2 * gap, std::max(line, typeTop - gap - y),
                 SWP_NOZORDER);
    RECT listClient;
    GetClientRect(list, &listClient);
    ListView_SetColumnWidth(list, 0, std::max<int>(16, listClient.right));
}

HWND MakeChild(HWND dialog, const wchar_t* cls, const wchar_t* text, DWORD style, int id, HFONT font) {
    HWND child = CreateWindowExW(0, cls, text, WS_CHILD | WS_VISIBLE | style, 0, 0, 10, 10, dialog,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr),
                                 nullptr);
    SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return child;
}

bool Finish(HWND dialog, DialogState& state, const std::wstring& name) {
    if (name.empty()) {
        return false;
    }
    std::wstring path = name.find(L'\\') != std::wstring::npos ? name : state.folder + name;
    if (state.save && state.ofn->lpstrDefExt != nullptr && *state.ofn->lpstrDefExt != L'\0' &&
        PathFindExtensionW(path.c_str())[0] == L'\0') {
        path += L'.';
        path += state.ofn->lpstrDefExt;
    }
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        state.folder = WithBackslash(path);
        Fill(dialog, state);
        return false;
    }
    if (!state.save && (state.ofn->Flags & OFN_FILEMUSTEXIST) && attributes == INVALID_FILE_ATTRIBUTES) {
        return false;
    }
    if (state.save && (state.ofn->Flags & OFN_OVERWRITEPROMPT) && attributes != INVALID_FILE_ATTRIBUTES) {
        const std::wstring question = path + L" already exists.\nDo you want to replace it?";
        if (CeMessageBox(dialog, question.c_str(), L"Save As", MB_YESNO | MB_ICONEXCLAMATION) != IDYES) {
            return false;
        }
    }
    if (path.size() + 1 > state.ofn->nMaxFile) {
        return false;
    }
    std::copy(path.begin(), path.end(), state.ofn->lpstrFile);
    state.ofn->lpstrFile[path.size()] = L'\0';
    state.ofn->nFilterIndex = static_cast<DWORD>(state.filter + 1);
    return true;
}

INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* state = reinterpret_cast<DialogState*>(GetWindowLongPtrW(dialog, DWLP_USER));
    switch (message) {
    case WM_INITDIALOG: {
        state = reinterpret_cast<DialogState*>(lParam);
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        LOGFONTW logFont{};
        CeGetSystemFont(&logFont);
        state->font = CreateFontIndirectW(&logFont);
        SendMessageW(dialog, WM_SETFONT, reinterpret_cast<WPARAM>(state->font), FALSE);
        const wchar_t* title =
            state->ofn->lpstrTitle != nullptr ? state->ofn->lpstrTitle : (state->save ? L"Save As" : L"Open");
        SetWindowTextW(dialog, title);
        if (state->save) {
            MakeChild(dialog, L"STATIC", L"Name:", 0, kNameLabel, state->font);
            HWND name = MakeChild(dialog, L"EDIT", L"", WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL,
                                  kFileDialogName, state->font);
            const wchar_t* proposed = state->ofn->lpstrFile;
            const wchar_t* slash = proposed != nullptr ? wcsrchr(proposed, L'\\') : nullptr;
            SetWindowTextW(name, slash != nullptr ? slash + 1 : (proposed != nullptr ? proposed : L""));
        }
        MakeChild(dialog, L"BUTTON", L"..", BS_PUSHBUTTON | WS_TABSTOP, kFileDialogUp, state->font);
        MakeChild(dialog, L"STATIC", L"", SS_LEFTNOWORDWRAP | SS_PATHELLIPSIS, kFileDialogFolder,
                  state->font);
        HWND list = MakeChild(dialog, WC_LISTVIEWW, L"",
                              WS_BORDER | WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_NOCOLUMNHEADER |
                                  LVS_SHOWSELALWAYS,
                              kFileDialogList, state->font);
        LVCOLUMNW column{};
        column.mask = LVCF_WIDTH;
        column.cx = 100;
        ListView_InsertColumn(list, 0, &column);
        MakeChild(dialog, L"STATIC", L"Type:", 0, kTypeLabel, state->font);
        HWND type = MakeChild(dialog, L"COMBOBOX", L"", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP,
                              kFileDialogType, state->font);
        for (const Filter& filter : state->filters) {
            SendMessageW(type, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(filter.name.c_str()));
        }
        SendMessageW(type, CB_SETCURSEL, state->filter, 0);
        SHINITDLGINFO info{SHIDIM_FLAGS, dialog, SHIDIF_SIZEDLGFULLSCREEN};
        SHInitDialog(&info);
        HMENU keys = CreateMenu();
        AppendMenuW(keys, MF_STRING, IDOK, L"OK");
        AppendMenuW(keys, MF_STRING, IDCANCEL, L"Cancel");
        SHMENUBARINFO bar{};
        bar.cbSize = sizeof bar;
        bar.hwndParent = dialog;
        bar.dwFlags = SHCMBF_HMENU;
        bar.nToolBarId = static_cast<UINT>(reinterpret_cast<UINT_PTR>(keys));
        if (SHCreateMenuBar(&bar)) {
            state->menuBar = bar.hwndMB;
        } else {
            DestroyMenu(keys);
        }
        Layout(dialog);
        Fill(dialog, *state);
        SetFocus(state->save ? Child(dialog, kFileDialogName) : list);
        return FALSE;
    }
    case WM_SIZE:
        if (state != nullptr) {
            Layout(dialog);
        }
        return TRUE;
    case WM_NOTIFY: {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        if (state != nullptr && header->idFrom == kFileDialogList &&
            (header->code == NM_CLICK || header->code == NM_RETURN)) {
            const int row = ListView_GetNextItem(header->hwndFrom, -1, LVNI_SELECTED);
            if (row < 0 || row >= static_cast<int>(state->rows.size())) {
                return TRUE;
            }
            const auto& [name, folder] = state->rows[static_cast<std::size_t>(row)];
            if (folder) {
                state->folder = WithBackslash(state->folder + name);
                Fill(dialog, *state);
            } else if (state->save) {
                SetWindowTextW(Child(dialog, kFileDialogName), name.c_str());
            } else if (Finish(dialog, *state, name)) {
                EndDialog(dialog, IDOK);
            }
            return TRUE;
        }
        break;
    }
    case WM_COMMAND:
        if (state == nullptr) {
            break;
        }
        switch (LOWORD(wParam)) {
        case IDOK: {
            std::wstring name;
            if (state->save) {
                wchar_t text[MAX_PATH] = L"";
                GetWindowTextW(Child(dialog, kFileDialogName), text, MAX_PATH);
                name = text;
            } else {
                const int row = ListView_GetNextItem(Child(dialog, kFileDialogList), -1, LVNI_SELECTED);
                if (row >= 0 && row < static_cast<int>(state->rows.size())) {
                    name = state->rows[static_cast<std::size_t>(row)].first;
                }
            }
            if (Finish(dialog, *state, name)) {
                EndDialog(dialog, IDOK);
            }
            return TRUE;
        }
        case IDCANCEL:
            EndDialog(dialog, IDCANCEL);
            return TRUE;
        case kFileDialogUp:
            if (state->folder.size() > 1) {
                std::wstring parent = state->folder.substr(0, state->folder.size() - 1);
                state->folder = parent.substr(0, parent.rfind(L'\\') + 1);
                if (state->folder.empty()) {
                    state->folder = L"\\";
                }
                Fill(dialog, *state);
            }
            return TRUE;
        case kFileDialogType:
            if (HIWORD(wParam) == CBN_SELCHANGE) {
                const int chosen =
                    static_cast<int>(SendMessageW(Child(dialog, kFileDialogType), CB_GETCURSEL, 0, 0));
                if (chosen >= 0 && chosen < static_cast<int>(state->filters.size())) {
                    state->filter = chosen;
                    Fill(dialog, *state);
                }
            }
            return TRUE;
        default:
            break;
        }
        break;
    case WM_DESTROY:
        if (state != nullptr) {
            if (state->menuBar != nullptr && IsWindow(state->menuBar)) {
                DestroyWindow(state->menuBar);
            }
            state->menuBar = nullptr;
        }
        break;
    default:
        break;
    }
    return FALSE;
}

BOOL RunFileDialog(LPOPENFILENAMEW ofn, bool save) {
    if (ofn == nullptr || ofn->lStructSize < sizeof(OPENFILENAMEW) || ofn->lpstrFile == nullptr ||
        ofn->nMaxFile == 0) {
        return FALSE;
    }
    DialogState state;
    state.ofn = ofn;
    state.save = save;
    state.filters = ParseFilters(ofn->lpstrFilter);
    state.filter =
        std::clamp(static_cast<int>(ofn->nFilterIndex) - 1, 0, static_cast<int>(state.filters.size()) - 1);
    std::wstring start;
    const wchar_t* slash = wcsrchr(ofn->lpstrFile, L'\\');
    if (slash != nullptr) {
        start.assign(ofn->lpstrFile, static_cast<std::size_t>(slash - ofn->lpstrFile + 1));
    } else if (ofn->lpstrInitialDir != nullptr && *ofn->lpstrInitialDir != L'\0') {
        start = ofn->lpstrInitialDir;
    } else {
        start = L"\\My Documents";
    }
    if (GetFileAttributesW(start.c_str()) == INVALID_FILE_ATTRIBUTES) {
        start = L"\\";
    }
    state.folder = WithBackslash(start);

    // An empty template: the controls are made at WM_INITDIALOG.
    struct {
        DLGTEMPLATE header;
        WORD menu, cls, title;
    } blank{};
    blank.header.style = WS_POPUP | WS_VISIBLE | DS_MODALFRAME | WS_CAPTION;
    blank.header.cx = 160;
    blank.header.cy = 160;
    const INT_PTR result = DialogBoxIndirectParamW(GetModuleHandleW(nullptr), &blank.header, ofn->hwndOwner,
                                                   DialogProc, reinterpret_cast<LPARAM>(&state));
    if (state.font != nullptr) {
        DeleteObject(state.font);
    }
    return result == IDOK;
}

} // namespace

BOOL CeGetOpenFileName(LPOPENFILENAMEW ofn) {
    return RunFileDialog(ofn, false);
}

BOOL CeGetSaveFileName(LPOPENFILENAMEW ofn) {
    return RunFileDialog(ofn, true);
}
