// Runs inside the device: launches one shortcut of every kind through the
// launcher's own launch code, so that the system test can read from the device
// log which programs started with which command lines. The parts that belong to
// other capabilities (special commands, meters, the status dialog, the choice in
// the New menu) are hooks that write "probe|..." lines instead.
//
// Started under any other file name (the system test copies it as
// NorvaneOptions.exe into a scratch install folder) it only logs its name and
// arguments, like the device's platform programs.
#include "DeviceSupport.h"
#include "PlatformServices.h"
#include "Settings.h"
#include "ShortcutLaunch.h"
#include "ShortcutRecord.h"
#include "Win32Handles.h"

#include <windows.h>

#include <memory>
#include <string>

using namespace norvane;
using namespace norvane::device;

namespace {

constexpr wchar_t kProbe[] = L"probe";
constexpr wchar_t kScratchInstall[] = L"\\Windows\\Temp\\probe-install\\";

std::wstring ThisProgram() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring name = path;
    const std::size_t slash = name.find_last_of(L"\\/");
    return slash == std::wstring::npos ? name : name.substr(slash + 1);
}

void Launch(const wchar_t* label, const wchar_t* target, const wchar_t* additional, const Settings* settings,
            const LaunchHooks& hooks, const wchar_t* commandLine = L"") {
    ShortcutRecord shortcut;
    shortcut.SetTarget(target);
    shortcut.SetAdditionalTarget(additional);
    shortcut.SetCommandLine(commandLine);
    const bool started = LaunchShortcut(shortcut, nullptr, settings, hooks);
    AppendDeviceLog(kProbe, std::wstring(label) + (started ? L" started" : L" not started"));
}

// Points InstallPath at a scratch folder holding this program as
// NorvaneOptions.exe, and puts the old value back afterwards.
class ScratchInstallFolder {
public:
    ScratchInstallFolder() {
        RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Tarsel\\Norvane", 0, nullptr, 0, KEY_ALL_ACCESS,
                        nullptr, m_key.Receive(), nullptr);
        wchar_t old[MAX_PATH + 1] = {};
        DWORD size = MAX_PATH * sizeof(wchar_t);
        DWORD type = 0;
        m_hadValue = RegQueryValueExW(m_key.Get(), L"InstallPath", nullptr, &type,
                                      reinterpret_cast<BYTE*>(old), &size) == ERROR_SUCCESS;
        m_old = old;
        CreateDirectoryW(kScratchInstall, nullptr);
        wchar_t self[MAX_PATH] = {};
        GetModuleFileNameW(nullptr, self, MAX_PATH);
        CopyFileW(self, (std::wstring(kScratchInstall) + kOptionsProgram).c_str(), FALSE);
        Set(kScratchInstall);
    }
    ~ScratchInstallFolder() {
        if (m_hadValue) {
            Set(m_old);
        } else {
            RegDeleteValueW(m_key.Get(), L"InstallPath");
        }
    }
    ScratchInstallFolder(const ScratchInstallFolder&) = delete;
    ScratchInstallFolder& operator=(const ScratchInstallFolder&) = delete;

private:
    void Set(const std::wstring& value) {
        RegSetValueExW(m_key.Get(), L"InstallPath", 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                       static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
        RegFlushKey(m_key.Get());
    }
    UniqueRegKey m_key;
    bool m_hadValue = false;
    std::wstring m_old;
};

int RunProbe() {
    LaunchHooks hooks;
    hooks.specialCommand = [](const std::wstring& name, const ShortcutRecord& shortcut, HWND) {
        AppendDeviceLog(kProbe, L"special " + name + L" for " + shortcut.Target());
        return true;
    };
    hooks.showStatusDialog = [](HWND) { AppendDeviceLog(kProbe, L"status dialog"); };
    hooks.meterKinds = [](const std::wstring& path) -> unsigned {
        return path.find(L"battery") != std::wstring::npos ? 2 : 16;
    };
    hooks.chooseFromMenu = [](const std::vector<std::wstring>& items, POINT, HWND) {
        std::wstring shown;
        int contact = -1;
        for (std::size_t i = 0; i < items.size(); ++i) {
            shown += (i ? L";" : L"") + items[i];
            if (items[i] == L"Contact") {
                contact = static_cast<int>(i);
            }
        }
        AppendDeviceLog(kProbe, L"menu " + shown);
        return contact;
    };

    Settings settings(PlatformSettingsEnvironment());
    settings.General.FolderAppQuotes = true;
    settings.SetStorageCardPath(L"\\Windows\\meters\\card.ini", L"\\Storage Card");
    Settings missingFolderApp(PlatformSettingsEnvironment());
    missingFolderApp.General.PreferredFolderApp = L"\\Windows\\NoSuchExplorer.exe";

    Launch(L"file", L"\\Windows\\Start Menu\\Programs\\Calculator.lnk", L"", &settings, hooks);
    Launch(L"quotes", L"\\Windows\\tmail.exe", L"", &settings, hooks,
           L"-to \"Ann Lee\" -body \"a \"\"b\"\"\"");
    Launch(L"missing", L"\\Windows\\Missing Program.exe", L"", &settings, hooks);
    Launch(L"folder", L"Documents", L"folder:\\My Documents", &settings, hooks);
    Launch(L"folder fallback", L"Windows", L"folder:\\Windows", &missingFolderApp, hooks);
    Launch(L"power", L"Power", L"cpl:cplmain.cpl|3", &settings, hooks);
    Launch(L"memory", L"Memory", L"cpl:cplmain.cpl|4", &settings, hooks);
    Launch(L"no bar", L"Panel", L"cpl:cplmain.cpl", &settings, hooks);
    Launch(L"special", L"Soft Reset", L"special:softreset", &settings, hooks);
    Launch(L"note", L"Note", L"new:{0FE5DCC1-5413-11d2-A53B-00C04F8ECDC8}", &settings, hooks);
    Launch(L"new menu", L"New", L"new:Menu", &settings, hooks);
    Launch(L"bad class", L"Bad", L"new:{nonsense}", &settings, hooks);
    Launch(L"meter dialog", L"card.ini", L"meter:\\Windows\\meters\\card.ini", &settings, hooks);
    settings.General.MeterTap = 1;
    Launch(L"meter card", L"card.ini", L"meter:\\Windows\\meters\\card.ini", &settings, hooks);
    {
        ScratchInstallFolder install;
        Launch(L"theme", L"\\My Documents\\Blue.tsk", L"", &settings, hooks);
    }
    WaitForNewItemThreads(10000);
    AppendDeviceLog(kProbe, L"done");
    return 0;
}

} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    SetCurrentDirectoryW(L"C:\\");
    const std::wstring name = ThisProgram();
    if (_wcsicmp(name.c_str(), L"LaunchProbe.exe") != 0) {
        AppendDeviceLog(name, ArgumentsOfThisProcess());
        return 0;
    }
    return RunProbe();
}
