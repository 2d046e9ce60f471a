// Soft-key bindings and their backup.
#include "SoftKeys.h"

#include "CeShell.h"
#include "ImageLoader.h"
#include "Settings.h"
#include "Win32Handles.h"

#include <algorithm>
#include <optional>

namespace norvane {

namespace {
constexpr DWORD kMaxBindingChars = 260;

struct KeySlot {
    const wchar_t* name;
    SpecialTabType tab;
    const wchar_t* program;
};
constexpr KeySlot kSlots[] = {
    {softkeys::kLeftKey, SpecialTabType::LeftSoftkey, softkeys::kLeftKeyProgram},
    {softkeys::kRightKey, SpecialTabType::RightSoftkey, softkeys::kRightKeyProgram},
};

UniqueRegKey OpenKey(HKEY root, const std::wstring& path, REGSAM access) {
    UniqueRegKey key;
    if (RegOpenKeyExW(root, path.c_str(), 0, access, key.Receive()) != ERROR_SUCCESS) {
        key.Reset();
    }
    return key;
}

UniqueRegKey CreateKey(HKEY root, const std::wstring& path) {
    UniqueRegKey key;
    if (RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr, key.Receive(),
                        nullptr) != ERROR_SUCCESS) {
        key.Reset();
    }
    return key;
}

// A string value of at most 260 characters; nothing when missing or not a string.
std::optional<std::wstring> ReadString(HKEY key, const wchar_t* name) {
    wchar_t buffer[kMaxBindingChars + 1] = {};
    DWORD type = 0;
    DWORD bytes = kMaxBindingChars * sizeof(wchar_t);
    if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &bytes) !=
            ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ)) {
        return std::nullopt;
    }
    buffer[std::min<DWORD>(bytes / sizeof(wchar_t), kMaxBindingChars)] = L'\0';
    return std::wstring(buffer);
}

void WriteString(HKEY key, const wchar_t* name, const std::wstring& value) {
    RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

// Copies the default value and "Open" of one binding from one key to another,
// each only when present.
void CopyBinding(HKEY from, HKEY to) {
    for (const wchar_t* name : {static_cast<const wchar_t*>(nullptr), softkeys::kOpenValue}) {
        if (auto value = ReadString(from, name)) {
            WriteString(to, name, *value);
        }
    }
}

bool ModifiedIsSet() {
    UniqueRegKey backup = OpenKey(HKEY_LOCAL_MACHINE, softkeys::kBackupKey, KEY_READ);
    if (!backup) {
        return false;
    }
    DWORD value = 0;
    DWORD type = 0;
    DWORD size = sizeof(value);
    return RegQueryValueExW(backup.Get(), softkeys::kModifiedValue, nullptr, &type,
                            reinterpret_cast<BYTE*>(&value), &size) == ERROR_SUCCESS &&
           type == REG_DWORD && value != 0;
}

void SetModified(DWORD value) {
    UniqueRegKey backup = CreateKey(HKEY_LOCAL_MACHINE, softkeys::kBackupKey);
    if (backup) {
        RegSetValueExW(backup.Get(), softkeys::kModifiedValue, 0, REG_DWORD,
                       reinterpret_cast<const BYTE*>(&value), sizeof(value));
        RegFlushKey(backup.Get());
    }
}

// Takes the user's current bindings into the backup, as the installer does when
// the product is installed; a key without a binding leaves no backup subkey.
void BackUpCurrentBindings() {
    UniqueRegKey backup = CreateKey(HKEY_LOCAL_MACHINE, softkeys::kBackupKey);
    if (!backup) {
        return;
    }
    for (const KeySlot& slot : kSlots) {
        CeRegDeleteKey(backup.Get(), slot.name);
        UniqueRegKey current =
            OpenKey(HKEY_CURRENT_USER, std::wstring(softkeys::kTodayKeysKey) + L"\\" + slot.name, KEY_READ);
        if (!current) {
            continue;
        }
        UniqueRegKey saved = CreateKey(backup.Get(), slot.name);
        if (saved) {
            CopyBinding(current.Get(), saved.Get());
        }
    }
    RegFlushKey(backup.Get());
}
} // namespace

std::wstring SoftKeys::InstallFolder() const {
    return m_installFolder.empty() ? ReadInstallFolder() : m_installFolder;
}

void SoftKeys::Restore() {
    if (!ModifiedIsSet()) {
        return;
    }
    UniqueRegKey keys = CreateKey(HKEY_CURRENT_USER, softkeys::kTodayKeysKey);
    UniqueRegKey backup = OpenKey(HKEY_LOCAL_MACHINE, softkeys::kBackupKey, KEY_READ);
    if (!keys || !backup) {
        return;
    }
    for (const KeySlot& slot : kSlots) {
        // Only our two keys go: any other binding under Keys is not ours to drop.
        CeRegDeleteKey(keys.Get(), slot.name);
        UniqueRegKey saved = OpenKey(backup.Get(), slot.name, KEY_READ);
        if (!saved) {
            continue;
        }
        UniqueRegKey restored = CreateKey(keys.Get(), slot.name);
        if (restored) {
            CopyBinding(saved.Get(), restored.Get());
        }
    }
    RegFlushKey(keys.Get());
    // The user's bindings are in force again: a later change the user makes to
    // them must not be overwritten by a stale backup.
    SetModified(0);
}

void SoftKeys::Assign(Settings& settings) {
    Restore();
    const ShortcutRecord* shortcuts[std::size(kSlots)] = {};
    bool any = false;
    for (size_t i = 0; i < std::size(kSlots); ++i) {
        const TabRecord& tab = settings.SpecialTab(kSlots[i].tab);
        if (!tab.Shortcuts.empty()) {
            shortcuts[i] = tab.Shortcuts.front().get();
            any = true;
        }
    }
    if (!any) {
        return;
    }
    // No binding of ours is in force here, so Keys holds the user's own: keep
    // them before we change anything, whether or not an installer did.
    BackUpCurrentBindings();
    const std::wstring folder = InstallFolder();
    for (size_t i = 0; i < std::size(kSlots); ++i) {
        if (!shortcuts[i]) {
            continue;
        }
        UniqueRegKey key =
            CreateKey(HKEY_CURRENT_USER, std::wstring(softkeys::kTodayKeysKey) + L"\\" + kSlots[i].name);
        if (!key) {
            continue;
        }
        WriteString(key.Get(), nullptr, shortcuts[i]->Caption());
        WriteString(key.Get(), softkeys::kOpenValue, folder + kSlots[i].program);
        RegFlushKey(key.Get());
    }
    SetModified(1);
}

} // namespace norvane
