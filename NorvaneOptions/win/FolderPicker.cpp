// The folder picker.
#include "FolderPicker.h"

#include "Aygshell.h"
#include "CeFiles.h"
#include "CeMenuBar.h"
#include "DisplayScale.h"
#include "OptionsApp.h"
#include "OptionTables.h"

#include <algorithm>
#include <cwctype>

namespace norvane::options {

std::vector<std::wstring> SubFolders(const std::wstring& folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found{};
    HANDLE search = CeFindFirstFile((WithTrailingBackslash(folder) + L"*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        return names;
    }
    do {
        const std::wstring name = found.cFileName;
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && name != L"." && name != L"..") {
            names.push_back(name);
        }
    } while (CeFindNextFile(search, &found));
    FindClose(search);
    std::sort(names.begin(), names.end(), [](const std::wstring& a, const std::wstring& b) {
        return lstrcmpiW(a.c_str(), b.c_str()) < 0;
    });
    return names;
}

FolderPicker::FolderPicker(OptionsApp& app, std::wstring start)
    : m_app(app), m_folder(start.empty() ? L"\\" : WithTrailingBackslash(std::move(start))) {}

bool FolderPicker::Run(HWND owner, std::wstring& folder) {
    if (RunModal(m_app.Instance(), MAKEINTRESOURCEW(IDD_FOLDER_PICKER), owner) != IDOK) {
        return false;
    }
    folder = m_folder;
    return true;
}

void FolderPicker::Enter(const std::wstring& name) {
    if (name.empty()) {
        return;
    }
    m_folder = WithTrailingBackslash(m_folder + name);
    Fill();
}

void FolderPicker::GoUp() {
    if (m_folder.size() <= 1) {
        return;
    }
    std::wstring parent = m_folder.substr(0, m_folder.size() - 1);
    const std::size_t slash = parent.rfind(L'\\');
    m_folder = slash == std::wstring::npos ? L"\\" : parent.substr(0, slash + 1);
    Fill();
}

void FolderPicker::Fill() {
    SetDlgItemTextW(m_hwnd, IDC_FOLDER_PATH, m_folder.c_str());
    HWND list = Item(IDC_FOLDER_LIST);
    SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    SendMessageW(list, LB_RESETCONTENT, 0, 0);
    for (const std::wstring& name : SubFolders(m_folder)) {
        SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
    }
    SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
}

INT_PTR FolderPicker::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG: {
        SetWindowTextW(m_hwnd, m_app.Text(IDS_SELECT_FOLDER).c_str());
        m_anchors.Capture(m_hwnd, PrepareDialog(m_hwnd, m_app, 0, m_fonts, SHIDIF_SIZEDLGFULLSCREEN));
        m_anchors.Add(IDC_FOLDER_PATH, kStretchRight);
        m_anchors.Add(IDC_FOLDER_LIST, kStretchRight | kStretchDown);
        RECT client;
        GetClientRect(m_hwnd, &client);
        m_anchors.Apply(client.right, client.bottom);
        LOGFONTW font{};
        CeGetSystemFont(&font);
        font.lfHeight = -ScaleX(12);
        lstrcpynW(font.lfFaceName, L"Tahoma", LF_FACESIZE);
        if (HFONT listFont = m_fonts.Add(CreateFontIndirectW(&font))) {
            SendMessageW(Item(IDC_FOLDER_LIST), WM_SETFONT, reinterpret_cast<WPARAM>(listFont), FALSE);
        }
        SHMENUBARINFO bar{};
        bar.cbSize = sizeof bar;
        bar.hwndParent = m_hwnd;
        bar.nToolBarId = IDM_FOLDER_PICKER_BAR;
        bar.hInstRes = m_app.ResourceModuleFor(RT_MENU, MAKEINTRESOURCEW(IDM_FOLDER_PICKER_BAR));
        if (SHCreateMenuBar(&bar)) {
            m_menuBar = bar.hwndMB;
        }
        Fill();
        return TRUE;
    }
    case WM_SIZE:
        m_anchors.Apply(LOWORD(lParam), HIWORD(lParam));
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK:
            End(IDOK);
            return TRUE;
        case IDCANCEL:
            End(IDCANCEL);
            return TRUE;
        case IDC_FOLDER_UP:
            GoUp();
            return TRUE;
        case IDC_FOLDER_LIST:
            if (HIWORD(wParam) == LBN_SELCHANGE) {
                HWND list = Item(IDC_FOLDER_LIST);
                const LRESULT index = SendMessageW(list, LB_GETCURSEL, 0, 0);
                const LRESULT length = SendMessageW(list, LB_GETTEXTLEN, index, 0);
                if (index >= 0 && length > 0 && length < MAX_PATH) {
                    std::wstring name(static_cast<std::size_t>(length) + 1, L'\0');
                    SendMessageW(list, LB_GETTEXT, index, reinterpret_cast<LPARAM>(name.data()));
                    name.resize(static_cast<std::size_t>(length));
                    Enter(name);
                }
            }
            return TRUE;
        default:
            break;
        }
        break;
    case WM_DESTROY:
        if (m_menuBar != nullptr && IsWindow(m_menuBar)) {
            DestroyWindow(m_menuBar);
        }
        m_menuBar = nullptr;
        break;
    default:
        break;
    }
    return FALSE;
}

} // namespace norvane::options
