#include "SafeModeSwitch.h"

#include "SafeModeKeys.h"
#include "SafeModeRules.h"
#include "Win32Handles.h"

#include <optional>
#include <utility>
#include <vector>

namespace norvane::safemode {

namespace {

// ------------------------------------------------------------------ registry

UniqueRegKey OpenKey(HKEY parent, const std::wstring& path, REGSAM access = KEY_READ | KEY_WRITE) {
    UniqueRegKey key;
    if (RegOpenKeyExW(parent, path.c_str(), 0, access, key.Receive()) != ERROR_SUCCESS) {
        key.Reset();
    }
    return key;
}

UniqueRegKey CreateKey(HKEY parent, const std::wstring& path) {
    UniqueRegKey key;
    if (RegCreateKeyExW(parent, path.c_str(), 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr, key.Receive(),
                        nullptr) != ERROR_SUCCESS) {
        key.Reset();
    }
    return key;
}

bool KeyExists(HKEY parent, const std::wstring& path) {
    return static_cast<bool>(OpenKey(parent, path, KEY_READ));
}

// A string value of at most maxChars characters (REG_SZ or REG_EXPAND_SZ);
// nothing when it is missing, of another type or longer.
std::optional<std::wstring> ReadString(HKEY key, const wchar_t* name, size_t maxChars) {
    std::vector<wchar_t> buffer(maxChars + 1, L'\0');
    DWORD type = 0;
    DWORD size = static_cast<DWORD>(maxChars * sizeof(wchar_t));
    if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &size) !=
            ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ)) {
        return std::nullopt;
    }
    buffer[std::min<size_t>(size / sizeof(wchar_t), maxChars)] = L'\0';
    return std::wstring(buffer.data());
}

std::optional<DWORD> ReadDword(HKEY key, const wchar_t* name) {
    DWORD type = 0;
    DWORD value = 0;
    DWORD size = sizeof value;
    if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) !=
            ERROR_SUCCESS ||
        type != REG_DWORD || size != sizeof value) {
        return std::nullopt;
    }
    return value;
}

bool WriteString(HKEY key, const wchar_t* name, const std::wstring& text, DWORD type = REG_SZ) {
    return RegSetValueExW(key, name, 0, type, reinterpret_cast<const BYTE*>(text.c_str()),
                          static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

bool WriteDword(HKEY key, const wchar_t* name, DWORD value) {
    return RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value) ==
           ERROR_SUCCESS;
}

DWORD ValueType(HKEY key, const wchar_t* name) {
    DWORD type = REG_NONE;
    return RegQueryValueExW(key, name, nullptr, &type, nullptr, nullptr) == ERROR_SUCCESS ? type : REG_NONE;
}

// Subkey names read before anything changes, so that moving or deleting them
// does not disturb the enumeration. Names longer than maxChars are left out.
std::vector<std::wstring> SubkeyNames(HKEY key, size_t maxChars = 255) {
    std::vector<std::wstring> names;
    std::vector<wchar_t> name(maxChars + 1);
    for (DWORD index = 0;; ++index) {
        DWORD length = static_cast<DWORD>(name.size());
        const LONG status =
            RegEnumKeyExW(key, index, name.data(), &length, nullptr, nullptr, nullptr, nullptr);
        if (status == ERROR_MORE_DATA) {
            continue;
        }
        if (status != ERROR_SUCCESS) {
            break;
        }
        names.emplace_back(name.data(), length);
    }
    return names;
}

bool HasSubkeysOrValues(HKEY key) {
    DWORD subkeys = 0;
    DWORD values = 0;
    if (RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values, nullptr,
                         nullptr, nullptr, nullptr) != ERROR_SUCCESS) {
        return true;
    }
    return subkeys != 0 || values != 0;
}

// Every value of one key into another, with its type and bytes as they are;
// a value of the same name in the target is replaced.
bool CopyValues(HKEY source, HKEY target) {
    DWORD maxName = 0;
    DWORD maxData = 0;
    if (RegQueryInfoKeyW(source, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &maxName,
                         &maxData, nullptr, nullptr) != ERROR_SUCCESS) {
        return false;
    }
    std::vector<wchar_t> name(maxName + 1);
    std::vector<BYTE> data(maxData + 1);
    bool complete = true;
    for (DWORD index = 0;; ++index) {
        DWORD nameLength = static_cast<DWORD>(name.size());
        DWORD type = 0;
        DWORD size = static_cast<DWORD>(data.size());
        const LONG status =
            RegEnumValueW(source, index, name.data(), &nameLength, nullptr, &type, data.data(), &size);
        if (status == ERROR_NO_MORE_ITEMS) {
            break;
        }
        if (status != ERROR_SUCCESS ||
            RegSetValueExW(target, name.data(), 0, type, data.data(), size) != ERROR_SUCCESS) {
            complete = false;
        }
    }
    return complete;
}

// Moves a key with everything under it: each subkey first (recursively), then
// the key's values, then the emptied source key is deleted. The target may
// exist already (a move that was cut short, begun again): what it holds stays,
// values of the same name take the source's. The source is deleted only when
// everything under it arrived.
bool MoveKey(HKEY sourceParent, const std::wstring& sourcePath, HKEY targetParent,
             const std::wstring& targetPath) {
    UniqueRegKey source = OpenKey(sourceParent, sourcePath);
    if (!source) {
        return false;
    }
    UniqueRegKey target = CreateKey(targetParent, targetPath);
    if (!target) {
        return false;
    }
    bool complete = true;
    for (const std::wstring& subkey : SubkeyNames(source.Get())) {
        complete = MoveKey(source.Get(), subkey, target.Get(), subkey) && complete;
    }
    complete = CopyValues(source.Get(), target.Get()) && complete;
    RegFlushKey(target.Get());
    source.Reset();
    return complete && RegDeleteKeyW(sourceParent, sourcePath.c_str()) == ERROR_SUCCESS;
}

void DeleteKeyIfEmpty(HKEY parent, const std::wstring& path) {
    UniqueRegKey key = OpenKey(parent, path, KEY_READ);
    if (key && !HasSubkeysOrValues(key.Get())) {
        key.Reset();
        RegDeleteKeyW(parent, path.c_str());
    }
}

// ------------------------------------------------------------------ files

struct FolderEntry {
    std::wstring name;
    bool folder = false;
};

std::vector<FolderEntry> FolderEntries(const std::wstring& folder) {
    std::vector<FolderEntry> entries;
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) {
        return entries;
    }
    do {
        const std::wstring name = data.cFileName;
        if (name == L"." || name == L"..") {
            continue;
        }
        entries.push_back({name, (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0});
    } while (FindNextFileW(find, &data));
    FindClose(find);
    return entries;
}

bool FolderExists(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool PathTaken(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// The name a file system entry really has (a lookup ignores case).
std::optional<std::wstring> ActualName(const std::wstring& path) {
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW(path.c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) {
        return std::nullopt;
    }
    FindClose(find);
    return std::wstring(data.cFileName);
}

bool SameContents(const std::wstring& a, const std::wstring& b) {
    UniqueFileHandle first(CreateFileW(a.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                       FILE_ATTRIBUTE_NORMAL, nullptr));
    UniqueFileHandle second(CreateFileW(b.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!first || !second) {
        return false;
    }
    LARGE_INTEGER sizeA{};
    LARGE_INTEGER sizeB{};
    if (!GetFileSizeEx(first.Get(), &sizeA) || !GetFileSizeEx(second.Get(), &sizeB) ||
        sizeA.QuadPart != sizeB.QuadPart) {
        return false;
    }
    std::vector<BYTE> bufferA(64 * 1024);
    std::vector<BYTE> bufferB(64 * 1024);
    while (true) {
        DWORD readA = 0;
        DWORD readB = 0;
        if (!ReadFile(first.Get(), bufferA.data(), static_cast<DWORD>(bufferA.size()), &readA, nullptr) ||
            !ReadFile(second.Get(), bufferB.data(), static_cast<DWORD>(bufferB.size()), &readB, nullptr) ||
            readA != readB) {
            return false;
        }
        if (readA == 0) {
            return true;
        }
        if (!std::equal(bufferA.begin(), bufferA.begin() + readA, bufferB.begin())) {
            return false;
        }
    }
}

// Moves one file into a folder. A file of the same name there is never
// replaced: when it is this very file (same name, same bytes: the user put the
// same thing back) the source goes; otherwise (a different file, or a name that
// differs only in case) the file takes a free numbered name beside it.
void MoveFileInto(const std::wstring& sourceFolder, const std::wstring& name,
                  const std::wstring& targetFolder) {
    const std::wstring source = sourceFolder + L"\\" + name;
    std::wstring target = targetFolder + L"\\" + name;
    if (const auto existing = ActualName(target)) {
        if (*existing == name && SameContents(source, target)) {
            DeleteFileW(source.c_str());
            return;
        }
        const std::wstring free = FreeFileName(
            name, [&](const std::wstring& candidate) { return PathTaken(targetFolder + L"\\" + candidate); });
        if (free.empty()) {
            return;
        }
        target = targetFolder + L"\\" + free;
    }
    MoveFileW(source.c_str(), target.c_str());
}

// Moves everything in a folder into another, sub-folders recursively, and
// removes the emptied source folders below the top one.
void MoveFolderContents(const std::wstring& source, const std::wstring& target) {
    CreateDirectoryW(target.c_str(), nullptr);
    for (const FolderEntry& entry : FolderEntries(source)) {
        if (entry.folder) {
            MoveFolderContents(source + L"\\" + entry.name, target + L"\\" + entry.name);
            RemoveDirectoryW((source + L"\\" + entry.name).c_str());
        } else {
            MoveFileInto(source, entry.name, target);
        }
    }
}

std::wstring WithoutTrailingSeparators(std::wstring path) {
    while (path.size() > 1 && (path.back() == L'\\' || path.back() == L'/')) {
        path.pop_back();
    }
    return path;
}

} // namespace

SafeModeSwitch::SafeModeSwitch(SafeModePlaces places) : m_places(std::move(places)) {
    if (!m_places.hostPath) {
        m_places.hostPath = [](const std::wstring& path) { return path; };
    }
}

void SafeModeSwitch::DisableAll() {
    DisableTodayItems();
    DisableStartUpFolder();
    DisableInputMethods();
    DisableServices();
}

void SafeModeSwitch::RestoreAll() {
    RestoreTodayItems();
    RestoreStartUpFolder();
    RestoreInputMethods();
    RestoreServices();
}

// ------------------------------------------------------------------ Today items

void SafeModeSwitch::DisableTodayItems() {
    const HKEY root = m_places.machine;
    // A copy left from a safe mode that was never undone goes back first, so
    // that the items of two different starts never mix in one copy.
    RestoreTodayItems();
    if (KeyExists(root, kTodayKey) && !MoveKey(root, kTodayKey, root, kTodayDisabledKey)) {
        // Cut short: the next normal start puts back what did move.
        return;
    }
    // The item first: while it is there the restore knows the Today key for
    // the one of a safe-mode start, whose values it may drop.
    if (UniqueRegKey item = CreateKey(root, std::wstring(kTodayKey) + L"\\" + kSafeModeItemSubkey)) {
        WriteString(item.Get(), L"DLL", kSafeModeItemDll);
        WriteDword(item.Get(), L"Type", 4);
        WriteDword(item.Get(), L"Order", 0);
        WriteDword(item.Get(), L"Enabled", 1);
        WriteDword(item.Get(), L"Options", 0);
        RegFlushKey(item.Get());
    }
    if (UniqueRegKey today = CreateKey(root, kTodayKey)) {
        WriteDword(today.Get(), L"Date", 0);
        WriteDword(today.Get(), L"Enabled", 1);
        RegFlushKey(today.Get());
    }
}

void SafeModeSwitch::RestoreTodayItems() {
    const HKEY root = m_places.machine;
    if (!KeyExists(root, kTodayDisabledKey)) {
        return;
    }
    const std::wstring item = std::wstring(kTodayKey) + L"\\" + kSafeModeItemSubkey;
    const std::wstring disabledItem = std::wstring(kTodayDisabledKey) + L"\\" + kSafeModeItemSubkey;
    if (KeyExists(root, item) && !KeyExists(root, disabledItem)) {
        // The Today key of a safe-mode start: its item and its two values are
        // ours; the copy holds the real ones. Items added meanwhile stay.
        RegDeleteTreeW(root, item.c_str());
        if (UniqueRegKey today = OpenKey(root, kTodayKey)) {
            RegDeleteValueW(today.Get(), L"Date");
            RegDeleteValueW(today.Get(), L"Enabled");
        }
        DeleteKeyIfEmpty(root, std::wstring(kTodayKey) + L"\\" + kItemsSubkey);
        DeleteKeyIfEmpty(root, kTodayKey);
    }
    // Whatever is only in the Today key (a move cut short, an item added during
    // safe mode) stays; the copy's values take their place where both have them.
    MoveKey(root, kTodayDisabledKey, root, kTodayKey);
}

// ------------------------------------------------------------------ start-up folder

std::wstring SafeModeSwitch::StartUpFolder() const {
    if (UniqueRegKey norvane = OpenKey(m_places.machine, kNorvaneKey, KEY_READ)) {
        if (auto path = ReadString(norvane.Get(), kStartUpPathValue, MAX_PATH); path && !path->empty()) {
            return *path;
        }
    }
    return kDefaultStartUpFolder;
}

void SafeModeSwitch::DisableStartUpFolder() {
    const std::wstring folder = StartUpFolder();
    // A start-up path that names a root, the disabled folder or one around it
    // would carry half the device along (or the folder into itself).
    if (!IsMovableStartUpFolder(folder, kDisabledStartUpFolder)) {
        return;
    }
    const std::wstring source = WithoutTrailingSeparators(m_places.hostPath(folder));
    const std::wstring target = m_places.hostPath(kDisabledStartUpFolder);
    if (FolderExists(source)) {
        MoveFolderContents(source, target);
        RemoveDirectoryW(source.c_str());
    }
    CreateDirectoryW(source.c_str(), nullptr);
}

void SafeModeSwitch::RestoreStartUpFolder() {
    const std::wstring source = m_places.hostPath(kDisabledStartUpFolder);
    if (!FolderExists(source)) {
        return;
    }
    const std::wstring folder = StartUpFolder();
    if (!IsMovableStartUpFolder(folder, kDisabledStartUpFolder)) {
        return;
    }
    MoveFolderContents(source, WithoutTrailingSeparators(m_places.hostPath(folder)));
    RemoveDirectoryW(source.c_str());
}

// ------------------------------------------------------------------ input methods

void SafeModeSwitch::DisableInputMethods() {
    UniqueRegKey clsid = OpenKey(m_places.classes, kClsidKey, KEY_READ);
    if (!clsid) {
        return;
    }
    for (const std::wstring& name : SubkeyNames(clsid.Get(), kMaxClsidName)) {
        UniqueRegKey method = OpenKey(clsid.Get(), name + L"\\" + kIsSipInputMethodSubkey);
        UniqueRegKey server = OpenKey(clsid.Get(), name + L"\\" + kInprocServerSubkey, KEY_READ);
        if (!method || !server) {
            continue;
        }
        const auto dll = ReadString(server.Get(), L"", MAX_PATH);
        if (dll && IsKeptInputMethodServer(*dll)) {
            continue;
        }
        const auto state = ReadString(method.Get(), L"", kMaxInputMethodText);
        if (!state || !IsInputMethodOn(*state)) {
            continue;
        }
        // The mark first: cut short after it, the restore switches on a method
        // that was on anyway; the other way round the method would stay off.
        if (WriteDword(method.Get(), kInputMethodMark, 1)) {
            WriteString(method.Get(), L"", L"0");
        }
    }
}

void SafeModeSwitch::RestoreInputMethods() {
    UniqueRegKey clsid = OpenKey(m_places.classes, kClsidKey, KEY_READ);
    if (!clsid) {
        return;
    }
    for (const std::wstring& name : SubkeyNames(clsid.Get(), kMaxClsidName)) {
        UniqueRegKey method = OpenKey(clsid.Get(), name + L"\\" + kIsSipInputMethodSubkey);
        if (!method) {
            continue;
        }
        const auto mark = ReadDword(method.Get(), kInputMethodMark);
        if (!mark || *mark == 0) {
            continue;
        }
        if (WriteString(method.Get(), L"", L"1")) {
            RegDeleteValueW(method.Get(), kInputMethodMark);
        }
    }
}

// ------------------------------------------------------------------ services

void SafeModeSwitch::DisableServices() {
    std::wstring safeList;
    if (UniqueRegKey norvane = OpenKey(m_places.machine, kNorvaneKey, KEY_READ)) {
        safeList = ReadString(norvane.Get(), kSafeServicesValue, kMaxSafeServicesText).value_or(L"");
    }
    UniqueRegKey services = OpenKey(m_places.machine, kServicesKey, KEY_READ);
    if (!services) {
        return;
    }
    for (const std::wstring& name : SubkeyNames(services.Get())) {
        UniqueRegKey service = OpenKey(services.Get(), name);
        if (!service) {
            continue;
        }
        const auto prefix = ReadString(service.Get(), L"Prefix", kMaxPrefixText);
        if (!prefix) {
            continue;
        }
        const DWORD index = ReadDword(service.Get(), L"Index").value_or(0);
        if (IsSafeService(*prefix, index, safeList)) {
            continue;
        }
        const auto dll = ReadString(service.Get(), L"Dll", MAX_PATH);
        if (!dll) {
            continue;
        }
        const std::wstring disabled = DisabledDllName(*dll);
        if (disabled != *dll) {
            WriteString(service.Get(), L"Dll", disabled, ValueType(service.Get(), L"Dll"));
            RegFlushKey(service.Get());
        }
    }
}

void SafeModeSwitch::RestoreServices() {
    UniqueRegKey services = OpenKey(m_places.machine, kServicesKey, KEY_READ);
    if (!services) {
        return;
    }
    // Every switched-off service comes back, also one that the installer's
    // list has come to name since (a reinstall during safe mode).
    for (const std::wstring& name : SubkeyNames(services.Get())) {
        UniqueRegKey service = OpenKey(services.Get(), name);
        if (!service) {
            continue;
        }
        const auto dll = ReadString(service.Get(), L"Dll", MAX_PATH + kDisableSuffix.size());
        if (!dll) {
            continue;
        }
        if (const auto restored = RestoredDllName(*dll)) {
            WriteString(service.Get(), L"Dll", *restored, ValueType(service.Get(), L"Dll"));
            RegFlushKey(service.Get());
        }
    }
}

} // namespace norvane::safemode
