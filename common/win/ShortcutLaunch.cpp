// Launching each kind of shortcut target through the device's shell.
#include "ShortcutLaunch.h"

#include "ImageLoader.h"
#include "Settings.h"
#include "ShortcutRecord.h"
#include "Win32Handles.h"

#include <Aygshell.h>
#include <CeLaunch.h>

#include <atomic>
#include <memory>

namespace norvane {

namespace {

constexpr DWORD kMaxNewMenuName = 260;
constexpr unsigned kMemoryKind = 1;
constexpr unsigned kBatteryKinds = 2 | 4;
constexpr int kPowerApplet = 3;
constexpr int kMemoryApplet = 4;

std::atomic<int> g_newItemThreads{0};

bool StartProcess(const LaunchHooks& hooks, const std::wstring& program, const std::wstring& commandLine) {
    if (hooks.startProcess) {
        return hooks.startProcess(program, commandLine);
    }
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!CeCreateProcess(program.c_str(), commandLine.c_str(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                         &startup, &info)) {
        return false;
    }
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
    return true;
}

bool ShellOpen(const LaunchHooks& hooks, const std::wstring& file, const std::wstring& parameters) {
    if (hooks.shellOpen) {
        return hooks.shellOpen(file, parameters);
    }
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof info;
    info.lpFile = file.c_str();
    info.lpParameters = parameters.empty() ? nullptr : parameters.c_str();
    info.nShow = 0;
    return CeShellExecuteEx(&info) != FALSE;
}

bool FileExists(const LaunchHooks& hooks, const std::wstring& path) {
    if (hooks.fileExists) {
        return hooks.fileExists(path);
    }
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool LaunchThemePackage(const std::wstring& target, const LaunchHooks& hooks) {
    UniqueRegKey key;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Tarsel\\Norvane", 0, nullptr, 0, KEY_SET_VALUE,
                        nullptr, key.Receive(), nullptr) == ERROR_SUCCESS) {
        RegSetValueExW(key.Get(), kThemePathValue, 0, REG_SZ, reinterpret_cast<const BYTE*>(target.c_str()),
                       static_cast<DWORD>((target.size() + 1) * sizeof(wchar_t)));
        RegFlushKey(key.Get());
    }
    return ShellOpen(hooks, ReadInstallFolder() + kOptionsProgram, L"/theme");
}

bool LaunchMeter(const std::wstring& meterPath, HWND owner, const Settings* settings,
                 const LaunchHooks& hooks) {
    const int meterTap = settings ? settings->General.MeterTap : 0;
    if (meterTap == 0 && hooks.showStatusDialog) {
        hooks.showStatusDialog(owner);
        return true;
    }
    // Without a status dialog the tap opens the meter's page or folder.
    const unsigned kinds = hooks.meterKinds ? hooks.meterKinds(meterPath) : 0;
    if (kinds & kBatteryKinds) {
        return OpenControlPanelApplet({L"cplmain.cpl", kPowerApplet}, hooks);
    }
    if (kinds & kMemoryKind) {
        return OpenControlPanelApplet({L"cplmain.cpl", kMemoryApplet}, hooks);
    }
    std::wstring folder;
    if (hooks.meterStorageFolder) {
        folder = hooks.meterStorageFolder(meterPath);
    } else if (settings) {
        folder = settings->StorageCardPath(meterPath).value_or(std::wstring());
    }
    return OpenFolder(folder, settings, hooks);
}

GUID ToGuid(const ClassId& id) {
    GUID guid{};
    guid.Data1 = id.data1;
    guid.Data2 = id.data2;
    guid.Data3 = id.data3;
    for (int i = 0; i < 8; ++i) {
        guid.Data4[i] = id.data4[i];
    }
    return guid;
}

DWORD WINAPI NewItemThread(void* parameter) {
    std::unique_ptr<GUID> classId(static_cast<GUID*>(parameter));
    const HRESULT init = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    SHCreateNewItem(nullptr, *classId);
    if (SUCCEEDED(init)) {
        CoUninitialize();
    }
    classId.reset();
    --g_newItemThreads;
    return 0;
}

bool CreateNewItemOnThread(const ClassId& id) {
    auto classId = std::make_unique<GUID>(ToGuid(id));
    ++g_newItemThreads;
    HANDLE thread = CreateThread(nullptr, 0, NewItemThread, classId.get(), 0, nullptr);
    if (!thread) {
        --g_newItemThreads;
        return false;
    }
    classId.release(); // the thread frees it
    CloseHandle(thread);
    return true;
}

// A hidden window of this thread to own the pop-up when the caller has none.
struct MenuOwner {
    HWND hwnd = nullptr;
    bool own = false;
    explicit MenuOwner(HWND owner) {
        if (owner && IsWindow(owner) && GetWindowThreadProcessId(owner, nullptr) == GetCurrentThreadId()) {
            hwnd = owner;
        } else {
            hwnd = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                   GetModuleHandleW(nullptr), nullptr);
            own = hwnd != nullptr;
        }
    }
    ~MenuOwner() {
        if (own) {
            DestroyWindow(hwnd);
        }
    }
    MenuOwner(const MenuOwner&) = delete;
    MenuOwner& operator=(const MenuOwner&) = delete;
};

int TrackNewMenu(const std::vector<std::wstring>& items, POINT at, HWND owner) {
    HMENU menu = CreatePopupMenu();
    if (!menu) {
        return -1;
    }
    for (std::size_t i = 0; i < items.size(); ++i) {
        AppendMenuW(menu, MF_STRING, i + 1, items[i].c_str());
    }
    MenuOwner menuOwner(owner);
    int chosen = 0;
    if (menuOwner.hwnd) {
        SetForegroundWindow(menuOwner.hwnd);
        chosen = static_cast<int>(TrackPopupMenuEx(menu, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RETURNCMD, at.x,
                                                   at.y, menuOwner.hwnd, nullptr));
    }
    DestroyMenu(menu);
    return chosen - 1;
}

bool LaunchNewItem(std::wstring_view rest, HWND owner, const LaunchHooks& hooks) {
    std::wstring classIdText(rest);
    if (rest == kNewMenuName) {
        const std::vector<NewMenuEntry> entries = ReadNewMenu();
        if (entries.empty()) {
            return false;
        }
        std::vector<std::wstring> names;
        for (const NewMenuEntry& entry : entries) {
            names.push_back(entry.name);
        }
        const DWORD position = GetMessagePos();
        POINT at{static_cast<short>(LOWORD(position)),
                 static_cast<short>(HIWORD(position)) - GetSystemMetrics(SM_CYMENU)};
        const int chosen =
            hooks.chooseFromMenu ? hooks.chooseFromMenu(names, at, owner) : TrackNewMenu(names, at, owner);
        if (chosen < 0 || chosen >= static_cast<int>(entries.size())) {
            return false;
        }
        classIdText = entries[chosen].classId;
    }
    ClassId classId;
    if (!ParseClassId(classIdText, classId)) {
        return false;
    }
    return hooks.createNewItem ? hooks.createNewItem(classId) : CreateNewItemOnThread(classId);
}

bool LaunchUnguarded(const ShortcutRecord& shortcut, HWND owner, const Settings* settings,
                     const LaunchHooks& hooks) {
    if (IsThemePackage(shortcut.Target())) {
        return LaunchThemePackage(shortcut.Target(), hooks);
    }
    const std::wstring& additional = shortcut.AdditionalTarget();
    const std::wstring_view argument = TargetArgument(additional);
    switch (KindOfTarget(additional)) {
    case TargetKind::Folder:
        return OpenFolder(std::wstring(argument), settings, hooks);
    case TargetKind::Meter:
        return LaunchMeter(std::wstring(argument), owner, settings, hooks);
    case TargetKind::NewItem:
        return LaunchNewItem(argument, owner, hooks);
    case TargetKind::SpecialCommand:
        if (!hooks.specialCommand) {
            return false;
        }
        return hooks.specialCommand(std::wstring(argument), shortcut, owner);
    case TargetKind::ControlPanel:
        return OpenControlPanelApplet(ParseControlPanelTarget(additional), hooks);
    case TargetKind::File:
        break;
    }
    // A target pasted with its quotes still names the file inside them.
    const std::wstring file(StripEnclosingQuotes(shortcut.Target()));
    if (file.empty()) {
        return false;
    }
    return ShellOpen(hooks, file, shortcut.CommandLine());
}

} // namespace

bool OpenControlPanelApplet(const ControlPanelTarget& applet, const LaunchHooks& hooks) {
    try {
        if (IsPowerApplet(applet)) {
            for (const wchar_t* program : {kPowerProgram, kOldPowerProgram}) {
                if (FileExists(hooks, program)) {
                    return StartProcess(hooks, program, std::wstring());
                }
            }
        }
        return StartProcess(hooks, kControlPanelProgram, ControlPanelCommandLine(applet));
    } catch (...) {
        return false;
    }
}

bool OpenFolder(const std::wstring& path, const Settings* settings, const LaunchHooks& hooks) {
    try {
        // A path stored with its quotes would otherwise be quoted twice.
        const std::wstring plain(StripEnclosingQuotes(path));
        const bool quotes = settings && settings->General.FolderAppQuotes;
        const std::wstring commandLine = quotes ? L"\"" + plain + L"\"" : plain;
        const std::wstring program = settings ? settings->General.PreferredFolderApp : kFileExplorer;
        if (!program.empty() && StartProcess(hooks, program, commandLine)) {
            return true;
        }
        return StartProcess(hooks, kFileExplorer, plain);
    } catch (...) {
        return false;
    }
}

std::vector<NewMenuEntry> ReadNewMenu(HKEY root, const wchar_t* keyPath) {
    std::vector<NewMenuEntry> entries;
    UniqueRegKey key;
    if (RegOpenKeyExW(root, keyPath, 0, KEY_READ, key.Receive()) != ERROR_SUCCESS) {
        return entries;
    }
    for (DWORD index = 0;; ++index) {
        wchar_t subkey[256];
        DWORD subkeyLength = 256;
        const LONG status =
            RegEnumKeyExW(key.Get(), index, subkey, &subkeyLength, nullptr, nullptr, nullptr, nullptr);
        if (status == ERROR_NO_MORE_ITEMS) {
            break;
        }
        if (status != ERROR_SUCCESS) {
            continue;
        }
        UniqueRegKey item;
        if (RegOpenKeyExW(key.Get(), subkey, 0, KEY_QUERY_VALUE, item.Receive()) != ERROR_SUCCESS) {
            continue;
        }
        wchar_t name[kMaxNewMenuName + 1] = {};
        DWORD type = 0;
        DWORD size = kMaxNewMenuName * sizeof(wchar_t);
        if (RegQueryValueExW(item.Get(), nullptr, nullptr, &type, reinterpret_cast<BYTE*>(name), &size) !=
                ERROR_SUCCESS ||
            (type != REG_SZ && type != REG_EXPAND_SZ)) {
            continue;
        }
        name[std::min<DWORD>(size / sizeof(wchar_t), kMaxNewMenuName)] = 0;
        entries.push_back({subkey, name});
    }
    return entries;
}

bool WaitForNewItemThreads(DWORD timeoutMs) {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    while (g_newItemThreads.load() > 0) {
        if (GetTickCount64() >= deadline) {
            return false;
        }
        Sleep(10);
    }
    return true;
}

bool LaunchShortcut(const ShortcutRecord& shortcut, HWND owner, const Settings* settings,
                    const LaunchHooks& hooks) {
    try {
        return LaunchUnguarded(shortcut, owner, settings, hooks);
    } catch (...) {
        return false;
    }
}

} // namespace norvane
