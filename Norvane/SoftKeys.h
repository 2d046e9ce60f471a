// The Today screen's two soft keys bound to our key stubs while the item runs:
// the first shortcut of the Left Softkey Tab and of the Right Softkey Tab name
// the keys, and pressing one starts NorvaneLeftKey.exe or NorvaneRightKey.exe,
// which wake the item. The user's own bindings live in "Keys_backup" and are put
// back at every reload and at shutdown.
#pragma once

#include <windows.h>

#include <string>

namespace norvane {

class Settings;

namespace softkeys {
// Under HKEY_CURRENT_USER: the Today screen's bindings, one subkey per key.
inline constexpr wchar_t kTodayKeysKey[] = L"Software\\Microsoft\\Today\\Keys";
// Under HKEY_LOCAL_MACHINE: the user's bindings and the "Modified" flag.
inline constexpr wchar_t kBackupKey[] = L"Software\\Tarsel\\Norvane\\Keys_backup";
inline constexpr wchar_t kModifiedValue[] = L"Modified";
inline constexpr wchar_t kOpenValue[] = L"Open";
inline constexpr wchar_t kLeftKey[] = L"112";
inline constexpr wchar_t kRightKey[] = L"113";
inline constexpr wchar_t kLeftKeyProgram[] = L"NorvaneLeftKey.exe";
inline constexpr wchar_t kRightKeyProgram[] = L"NorvaneRightKey.exe";
} // namespace softkeys

class SoftKeys {
public:
    // Puts the user's bindings back, then binds each key whose softkey tab has
    // a shortcut to our stub in the install folder. A key whose tab is empty
    // keeps the user's binding.
    void Assign(Settings& settings);
    // Puts the backed-up bindings back when ours are in force.
    void Restore();

    // The install folder the stubs are taken from; ReadInstallFolder() unless set.
    void SetInstallFolder(std::wstring folder) { m_installFolder = std::move(folder); }

private:
    std::wstring InstallFolder() const;
    std::wstring m_installFolder;
};

} // namespace norvane
