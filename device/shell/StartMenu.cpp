#include "StartMenu.h"

#include "DeviceSupport.h"

#include <algorithm>

namespace norvane::device {

namespace {

struct FolderEntry {
    std::wstring name;
    bool folder = false;
};

std::vector<FolderEntry> ListFolder(const std::wstring& folder) {
    std::vector<FolderEntry> entries;
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((DeviceToWin32Path(folder) + L"\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE)
        return entries;
    do {
        std::wstring name = data.cFileName;
        if (name == L"." || name == L"..")
            continue;
        const bool isFolder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        if (!isFolder && !EndsWithNoCase(name, L".lnk"))
            continue;
        entries.push_back({name, isFolder});
    } while (FindNextFileW(find, &data));
    FindClose(find);
    std::sort(entries.begin(), entries.end(), [](const FolderEntry& a, const FolderEntry& b) {
        return a.folder != b.folder ? a.folder > b.folder : LowerCase(a.name) < LowerCase(b.name);
    });
    return entries;
}

std::wstring WithoutExtension(const std::wstring& name) {
    const size_t dot = name.find_last_of(L'.');
    return dot == std::wstring::npos ? name : name.substr(0, dot);
}

} // namespace

void StartMenu::AddFolder(HMENU menu, const std::wstring& folder, int depth) {
    for (const auto& entry : ListFolder(folder)) {
        const std::wstring path = folder + L"\\" + entry.name;
        if (entry.folder) {
            if (depth > 3)
                continue;
            HMENU sub = CreatePopupMenu();
            AddFolder(sub, path, depth + 1);
            AppendMenuW(menu, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(sub), entry.name.c_str());
            continue;
        }
        m_entries.push_back(path);
        AppendMenuW(menu, MF_STRING, kFirstEntry + m_entries.size() - 1,
                    WithoutExtension(entry.name).c_str());
    }
}

int StartMenu::Track(HWND owner, int x, int y) {
    m_entries.clear();
    HMENU menu = CreatePopupMenu();
    AppendMenuW(menu, MF_STRING, kTodayCommand, L"Today");
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    const std::wstring root = L"\\Windows\\Start Menu";
    for (const auto& entry : ListFolder(root)) {
        if (entry.folder)
            continue;
        m_entries.push_back(root + L"\\" + entry.name);
        AppendMenuW(menu, MF_STRING, kFirstEntry + m_entries.size() - 1,
                    WithoutExtension(entry.name).c_str());
    }
    HMENU programs = CreatePopupMenu();
    AddFolder(programs, root + L"\\Programs", 0);
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menu, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(programs), L"Programs");
    AppendMenuW(menu, MF_STRING, kSettingsCommand, L"Settings");
    SetForegroundWindow(owner);
    const int choice = TrackPopupMenuEx(menu, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RETURNCMD | TPM_NONOTIFY, x,
                                        y, owner, nullptr);
    PostMessageW(owner, WM_NULL, 0, 0);
    DestroyMenu(menu);
    if (choice == kSettingsCommand) {
        m_entries.push_back(L"\\Windows\\ctlpnl.exe");
        return kFirstEntry + static_cast<int>(m_entries.size()) - 1;
    }
    return choice;
}

bool StartMenu::Launch(int command) {
    const int index = command - kFirstEntry;
    if (index < 0 || index >= static_cast<int>(m_entries.size()))
        return false;
    return StartDeviceProgram(m_entries[index], L"");
}

} // namespace norvane::device
