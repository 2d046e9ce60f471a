// Registry, folders and messages for the settings record on Windows.
#include "Win32SettingsEnvironment.h"

#include "Win32Handles.h"

namespace norvane {

namespace {

constexpr DWORD kMaxProgramsFolder = MAX_PATH;

bool SetDword(HKEY key, const wchar_t* name, DWORD value) {
    return RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value)) ==
           ERROR_SUCCESS;
}

} // namespace

Win32SettingsEnvironment::Win32SettingsEnvironment(HKEY root, std::wstring keyPrefix)
    : m_root(root), m_prefix(std::move(keyPrefix)) {}

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
    MessageBoxW(nullptr, text.c_str(), L"Norvane",
                MB_OK | MB_ICONEXCLAMATION | MB_SETFOREGROUND | MB_TOPMOST);
}

} // namespace norvane
