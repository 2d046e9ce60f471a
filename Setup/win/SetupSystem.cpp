// Registry and file steps of the installer.
#include "SetupSystem.h"

#include "CeShell.h"

#include <algorithm>

namespace norvane::setup {

// ---------------------------------------------------------------- registry

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

bool KeyExists(HKEY root, const std::wstring& path) {
    return static_cast<bool>(OpenKey(root, path, KEY_QUERY_VALUE));
}

bool ReadString(HKEY key, const wchar_t* name, std::wstring& out, DWORD maxChars) {
    if (!key) {
        return false;
    }
    std::wstring buffer(maxChars + 2, L'\0');
    DWORD type = 0;
    DWORD bytes = static_cast<DWORD>((maxChars + 1) * sizeof(wchar_t));
    if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &bytes) !=
            ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ)) {
        return false;
    }
    buffer.resize(std::min<size_t>(bytes / sizeof(wchar_t), maxChars + 1));
    const size_t end = buffer.find(L'\0');
    if (end != std::wstring::npos) {
        buffer.resize(end);
    }
    if (buffer.size() > maxChars) {
        return false;
    }
    out = buffer;
    return true;
}

bool ReadDword(HKEY key, const wchar_t* name, DWORD& out) {
    if (!key) {
        return false;
    }
    DWORD value = 0, type = 0, bytes = sizeof value;
    if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &bytes) !=
            ERROR_SUCCESS ||
        type != REG_DWORD || bytes != sizeof value) {
        return false;
    }
    out = value;
    return true;
}

bool HasValue(HKEY key, const wchar_t* name) {
    return key && RegQueryValueExW(key, name, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

bool WriteString(HKEY key, const wchar_t* name, const std::wstring& value) {
    return key && RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                                 static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

bool WriteDword(HKEY key, const wchar_t* name, DWORD value) {
    return key && RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                                 sizeof value) == ERROR_SUCCESS;
}

void DeleteValue(HKEY root, const std::wstring& path, const wchar_t* name) {
    if (UniqueRegKey key = OpenKey(root, path, KEY_SET_VALUE)) {
        RegDeleteValueW(key.Get(), name);
    }
}

void DeleteKeyTree(HKEY root, const std::wstring& path) {
    CeRegDeleteKey(root, path.c_str());
}

void DeleteKeyIfEmpty(HKEY root, const std::wstring& path) {
    UniqueRegKey key = OpenKey(root, path, KEY_QUERY_VALUE);
    DWORD subkeys = 0, values = 0;
    if (!key || RegQueryInfoKeyW(key.Get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values,
                                 nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) {
        return;
    }
    key.Reset();
    if (subkeys == 0 && values == 0) {
        RegDeleteKeyW(root, path.c_str());
    }
}

std::wstring ReadProgramFilesFolder() {
    std::wstring value;
    ReadString(OpenKey(HKEY_LOCAL_MACHINE, kNorvaneKey).Get(), L"ProgramFilesPath", value, MAX_PATH);
    return ProgramFilesFolder(value);
}

// ---------------------------------------------------------------- files

namespace {

bool IsDots(const wchar_t* name) {
    return wcscmp(name, L".") == 0 || wcscmp(name, L"..") == 0;
}

struct FindTraits {
    static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(HANDLE handle) { FindClose(handle); }
};
using UniqueFind = UniqueWin32<HANDLE, FindTraits>;

// Calls visit(name, isFolder) for every entry of a folder but "." and "..". The
// names are read first, so visit may change the folder.
template <typename Visit> void ForEachEntry(const std::wstring& folder, Visit visit) {
    std::vector<std::pair<std::wstring, DWORD>> entries;
    {
        WIN32_FIND_DATAW found{};
        UniqueFind search(FindFirstFileW(JoinPath(folder, L"*.*").c_str(), &found));
        if (!search) {
            return;
        }
        do {
            if (!IsDots(found.cFileName)) {
                entries.emplace_back(found.cFileName, found.dwFileAttributes);
            }
        } while (FindNextFileW(search.Get(), &found));
    }
    for (const auto& [name, attributes] : entries) {
        // A link to a folder elsewhere counts as a file: nothing is ever done
        // to what lies behind it.
        visit(name,
              (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 && !(attributes & FILE_ATTRIBUTE_REPARSE_POINT));
    }
}

bool HoldsOnlyProductEntriesBelow(const std::wstring& folder, const std::wstring& relative) {
    bool only = true;
    ForEachEntry(folder, [&](const std::wstring& name, bool isFolder) {
        if (!only) {
            return;
        }
        const std::wstring entry = relative.empty() ? name : relative + L"\\" + name;
        if (!IsProductEntry(entry, isFolder)) {
            only = false;
        } else if (isFolder) {
            only = HoldsOnlyProductEntriesBelow(JoinPath(folder, name), entry);
        }
    });
    return only;
}

} // namespace

bool PathExists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool FolderExists(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool CreateFolder(const std::wstring& path) {
    return CreateDirectoryW(path.c_str(), nullptr) || FolderExists(path);
}

std::wstring EnsureDataFolder(const std::wstring& programFiles) {
    const std::wstring data = DataFolder(programFiles);
    if (!FolderExists(data)) {
        CreateFolder(TarselFolder(programFiles));
        CreateFolder(data);
    }
    return data;
}

std::wstring JoinPath(const std::wstring& folder, const std::wstring& name) {
    if (folder.empty() || folder.back() == L'\\') {
        return folder + name;
    }
    return folder + L"\\" + name;
}

std::vector<std::wstring> FileNamesIn(const std::wstring& folder) {
    std::vector<std::wstring> names;
    ForEachEntry(folder, [&](const std::wstring& name, bool isFolder) {
        if (!isFolder) {
            names.push_back(name);
        }
    });
    return names;
}

bool DeleteOneFile(const std::wstring& path) {
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    return DeleteFileW(path.c_str()) != FALSE;
}

void MoveTreeInto(const std::wstring& from, const std::wstring& to) {
    if (!FolderExists(from)) {
        return;
    }
    CreateFolder(to);
    ForEachEntry(from, [&](const std::wstring& name, bool isFolder) {
        const std::wstring source = JoinPath(from, name);
        const std::wstring target = JoinPath(to, name);
        if (isFolder) {
            MoveTreeInto(source, target);
            return;
        }
        if (PathExists(target)) {
            DeleteOneFile(target);
        }
        MoveFileW(source.c_str(), target.c_str());
    });
    DeleteTree(from);
}

bool DeleteTree(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        return true;
    }
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        return DeleteOneFile(path);
    }
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) {
        return RemoveDirectoryW(path.c_str()) != FALSE;
    }
    ForEachEntry(path, [&](const std::wstring& name, bool isFolder) {
        const std::wstring entry = JoinPath(path, name);
        if (isFolder) {
            DeleteTree(entry);
        } else if (!DeleteOneFile(entry)) {
            RemoveDirectoryW(entry.c_str()); // a link to a folder
        }
    });
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    std::wstring folder = path;
    while (folder.size() > 1 && folder.back() == L'\\') {
        folder.pop_back();
    }
    return RemoveDirectoryW(folder.c_str()) != FALSE || !PathExists(folder);
}

bool HoldsOnlyProductEntries(const std::wstring& folder) {
    return HoldsOnlyProductEntriesBelow(folder, L"");
}

void RemoveProductFolder(const std::wstring& folder, const ProtectedFolders& protectedFolders) {
    if (!FolderExists(folder)) {
        return;
    }
    switch (DecideTreeRemoval(folder, protectedFolders)) {
    case TreeRemoval::Refuse:
        return;
    case TreeRemoval::Whole:
        DeleteTree(folder);
        return;
    case TreeRemoval::WholeIfOnlyProducts:
        if (HoldsOnlyProductEntries(folder)) {
            DeleteTree(folder);
            return;
        }
        break;
    case TreeRemoval::ProductFilesOnly:
        break;
    }
    for (const std::wstring& name : FileNamesIn(folder)) {
        if (IsProductNamedFile(name)) {
            DeleteOneFile(JoinPath(folder, name));
        }
    }
}

} // namespace norvane::setup
