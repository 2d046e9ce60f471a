#include "SafeModeRegistration.h"

#include "Win32Handles.h"

#include <olectl.h>

#include <string>

namespace norvane::safemode {

namespace {

constexpr wchar_t kAppIdRoot[] = L"AppID\\";
constexpr wchar_t kModuleKey[] = L"AppID\\NorvaneSafeMode.DLL";
constexpr wchar_t kAppName[] = L"NorvaneSafeMode";

bool SetString(HKEY root, const std::wstring& path, const wchar_t* name, const wchar_t* text) {
    UniqueRegKey key;
    if (RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, key.Receive(), nullptr) !=
        ERROR_SUCCESS) {
        return false;
    }
    return RegSetValueExW(key.Get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                          static_cast<DWORD>((wcslen(text) + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

bool Removed(LONG status) {
    return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
}

} // namespace

HRESULT RegisterAppId(HKEY classes) {
    const bool ok = SetString(classes, std::wstring(kAppIdRoot) + kAppId, nullptr, kAppName) &&
                    SetString(classes, kModuleKey, L"AppID", kAppId);
    return ok ? S_OK : SELFREG_E_CLASS;
}

HRESULT UnregisterAppId(HKEY classes) {
    const bool ok = Removed(RegDeleteTreeW(classes, (std::wstring(kAppIdRoot) + kAppId).c_str())) &&
                    Removed(RegDeleteTreeW(classes, kModuleKey));
    return ok ? S_OK : SELFREG_E_CLASS;
}

} // namespace norvane::safemode
