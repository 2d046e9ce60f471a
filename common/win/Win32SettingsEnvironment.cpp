// Registry, folders and messages for the settings record on Windows.
#include "Win32SettingsEnvironment.h"

#include "CeMessageBox.h"

#include "DisplayScale.h"
#include "ImageLoader.h"
#include "MeterImages.h"
#include "PlatformServices.h"
#include "Settings.h"
#include "ShortcutRecord.h"
#include "SpecialCommands.h"
#include "TargetIcon.h"
#include "Win32Handles.h"

#include <Aygshell.h>
#include <shlobj.h>

#include <memory>

namespace norvane {

namespace {

constexpr DWORD kMaxProgramsFolder = MAX_PATH;

HMODULE ThisModule() {
    HMODULE module = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&ThisModule), &module);
    return module;
}

bool SetDword(HKEY key, const wchar_t* name, DWORD value) {
    return RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value)) ==
           ERROR_SUCCESS;
}

} // namespace

Win32SettingsEnvironment::Win32SettingsEnvironment(HKEY root, std::wstring keyPrefix)
    : m_root(root), m_prefix(std::move(keyPrefix)) {
    DefaultSpecialProperties = [](std::wstring_view command) {
        return SpecialCommandDefaults(command, DocumentsFolder());
    };
}

std::wstring DocumentsFolder() {
    wchar_t folder[MAX_PATH + 1] = {};
    if (!CeSHGetSpecialFolderPath(nullptr, folder, CSIDL_PERSONAL, FALSE) || folder[0] == 0) {
        return L"\\My Documents\\";
    }
    std::wstring path(folder);
    if (path.back() != L'\\') {
        path += L'\\';
    }
    return path;
}

std::wstring Win32SettingsEnvironment::ProgramsFolder() {
    const std::wstring keyPath = m_prefix + kNorvaneRegistryKey;
    UniqueRegKey key;
    if (RegOpenKeyExW(m_root, keyPath.c_str(), 0, KEY_QUERY_VALUE, key.Receive()) == ERROR_SUCCESS) {
        wchar_t buffer[kMaxProgramsFolder + 1] = {};
        DWORD type = 0;
        DWORD size = kMaxProgramsFolder * sizeof(wchar_t);
        if (RegQueryValueExW(key.Get(), kProgramFilesPathValue, nullptr, &type,
                             reinterpret_cast<BYTE*>(buffer), &size) == ERROR_SUCCESS &&
            (type == REG_SZ || type == REG_EXPAND_SZ)) {
            buffer[std::min<DWORD>(size / sizeof(wchar_t), kMaxProgramsFolder)] = 0;
            if (buffer[0] != 0) {
                return buffer;
            }
        }
    }
    return L"\\Program Files";
}

bool Win32SettingsEnvironment::CreateFolder(const std::wstring& path) {
    return CreateDirectoryW(path.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
}

void Win32SettingsEnvironment::WriteRegistryMirror(const RegistryMirror& mirror) {
    const std::wstring norvanePath = m_prefix + kNorvaneRegistryKey;
    UniqueRegKey norvane;
    if (RegCreateKeyExW(m_root, norvanePath.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, norvane.Receive(),
                        nullptr) == ERROR_SUCCESS) {
        SetDword(norvane.Get(), L"TrueVGA", static_cast<DWORD>(mirror.TrueVGA));
        SetDword(norvane.Get(), L"TrueVGAOptions", static_cast<DWORD>(mirror.TrueVGAOptions));
        RegFlushKey(norvane.Get());
    }
    // The safe-mode service's switches, only where the service is installed.
    const std::wstring servicePath = m_prefix + kSafeModeServiceKey;
    UniqueRegKey service;
    if (RegOpenKeyExW(m_root, servicePath.c_str(), 0, KEY_SET_VALUE, service.Receive()) == ERROR_SUCCESS) {
        const wchar_t* prefix = (mirror.SafeModePromptMode > 0 || mirror.AutoSafeMode) ? L"NVG" : L"NV_";
        RegSetValueExW(service.Get(), L"Prefix", 0, REG_SZ, reinterpret_cast<const BYTE*>(prefix),
                       static_cast<DWORD>((wcslen(prefix) + 1) * sizeof(wchar_t)));
        SetDword(service.Get(), L"PromptMode", static_cast<DWORD>(mirror.SafeModePromptMode));
        SetDword(service.Get(), L"ForceResetEnabled", mirror.AutoSafeMode ? 1 : 0);
        RegFlushKey(service.Get());
    }
}

void Win32SettingsEnvironment::ReportSaveError(const std::wstring& text) {
    CeMessageBox(nullptr, text.c_str(), L"Norvane",
                 MB_OK | MB_ICONEXCLAMATION | MB_SETFOREGROUND | MB_TOPMOST);
}

void Win32SettingsEnvironment::LoadShortcutIcon(ShortcutRecord& shortcut, const Settings& settings) {
    const bool meter = KindOf(shortcut) == TargetKind::Meter;
    if (meter && !shortcut.Meter()) {
        // The meter's definition comes with its picture: both follow the
        // shortcut's size, and the picture is the definition's meter image.
        const int size =
            MeterIconSize(shortcut.LargeIcon(), HiResDisplay(), TrueVga(), shortcut.InSpecialTab());
        shortcut.SetMeter(LoadMeterDefinition(std::wstring(TargetArgument(shortcut.AdditionalTarget())), size,
                                              &shortcut, &settings));
    }
    if (LoadedShortcutIcon(shortcut)) {
        return;
    }
    ShortcutIconRequest request;
    request.bitmapIcon = shortcut.BitmapIcon();
    request.additionalTarget = shortcut.AdditionalTarget();
    request.target = shortcut.Target();
    request.large = shortcut.LargeIcon();
    request.inSpecialTab = shortcut.InSpecialTab();
    const int dpi = ScreenDpiX();
    const IconDisplay display{dpi > 0 ? dpi : 96, TrueVga(), HiResDisplay()};

    TargetIconServices target;
    target.systemIcon = m_iconServices.systemIcon;
    target.meterImage = m_meterImage;
    if (!target.meterImage && meter) {
        target.meterImage = [&shortcut](const std::wstring&, int size, Bitmap32& image) {
            const MeterDefinition* definition = shortcut.Meter();
            return definition && definition->Size == size && !definition->MeterImagePath.empty() &&
                   LoadImageFile(image, definition->MeterImagePath);
        };
    }
    target.resourceModule = m_iconResourceModule ? m_iconResourceModule : ThisModule();
    target.theme.additionalImagesPath = settings.General.AdditionalImagesPath;
    target.theme.resourceModule = target.resourceModule;
    if (!request.additionalTarget.empty()) {
        // Only additional targets look at theme files; the rest need not ask.
        target.theme.shellReady = IsAPIReady(SH_SHELL) != FALSE;
        target.theme.installFolder = ReadInstallFolder();
    }
    ShortcutIconServices services = m_iconServices;
    if (!services.additionalTargetIcon) {
        services.additionalTargetIcon = [&target](const ShortcutIconRequest& r, const IconDisplay& d,
                                                  ShortcutIcon& icon) {
            return LoadAdditionalTargetIcon(r, d, target, icon);
        };
    }
    auto cache = std::make_unique<ShortcutIconCache>();
    if (norvane::LoadShortcutIcon(request, display, services, cache->icon)) {
        shortcut.SetIcon(std::move(cache));
    }
}

Win32SettingsEnvironment& PlatformWin32SettingsEnvironment() {
    // The Windows build's platform environment is this class (Win32PlatformServices.cpp).
    return static_cast<Win32SettingsEnvironment&>(PlatformSettingsEnvironment());
}

} // namespace norvane
