// Folder listings with the device root as a Pocket PC's (see CeFiles.h).
#include "CeFiles.h"

#include "DeviceState.h"

#include <map>
#include <mutex>
#include <vector>

namespace norvane::platform {

namespace {

bool SameNoCase(std::wstring_view a, std::wstring_view b) {
    return CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(), static_cast<int>(b.size()),
                                TRUE) == CSTR_EQUAL;
}

} // namespace

bool IsHostOnlyRootFolder(std::wstring_view name) {
    static constexpr std::wstring_view kHostFolders[] = {L"users", L"ProgramData", L"Program Files (x86)"};
    for (std::wstring_view host : kHostFolders) {
        if (SameNoCase(name, host)) {
            return true;
        }
    }
    return false;
}

std::wstring DeviceRootEntryName(std::wstring_view name) {
    if (SameNoCase(name, L"windows")) {
        return L"Windows";
    }
    return std::wstring(name);
}

} // namespace norvane::platform

namespace {

std::mutex gLock;
// The searches that list the device root; other handles pass through.
std::map<HANDLE, bool> gRootSearches;

// Whether a search pattern ("\*", "C:\*.*", "\Windows\..\*") lists the root of C:.
bool ListsDeviceRoot(const std::wstring& hostPattern) {
    const std::size_t slash = hostPattern.find_last_of(L"\\/");
    if (slash == std::wstring::npos) {
        return false;
    }
    const std::wstring folder = hostPattern.substr(0, slash + 1);
    wchar_t full[MAX_PATH] = L"";
    const DWORD length = GetFullPathNameW(folder.c_str(), MAX_PATH, full, nullptr);
    if (length == 0 || length >= MAX_PATH) {
        return false;
    }
    return CompareStringOrdinal(full, -1, L"C:\\", -1, TRUE) == CSTR_EQUAL;
}

// Skips Wine's folders at the root and spells the entry as the device does;
// false when the entry is to be left out.
bool Shown(bool root, LPWIN32_FIND_DATAW data) {
    if (!root) {
        return true;
    }
    if ((data->dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
        norvane::platform::IsHostOnlyRootFolder(data->cFileName)) {
        return false;
    }
    const std::wstring name = norvane::platform::DeviceRootEntryName(data->cFileName);
    wcsncpy_s(data->cFileName, name.c_str(), _TRUNCATE);
    return true;
}

} // namespace

HANDLE CeFindFirstFile(LPCWSTR lpFileName, LPWIN32_FIND_DATAW lpFindFileData) {
    if (lpFileName == nullptr || lpFindFileData == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    const std::wstring pattern = norvane::platform::ToHostPath(lpFileName);
    HANDLE search = FindFirstFileW(pattern.c_str(), lpFindFileData);
    if (search == INVALID_HANDLE_VALUE) {
        return search;
    }
    const bool root = ListsDeviceRoot(pattern);
    while (!Shown(root, lpFindFileData)) {
        if (!FindNextFileW(search, lpFindFileData)) {
            FindClose(search);
            SetLastError(ERROR_FILE_NOT_FOUND);
            return INVALID_HANDLE_VALUE;
        }
    }
    std::lock_guard<std::mutex> guard(gLock);
    // A handle value reused after FindClose starts a new search here.
    gRootSearches[search] = root;
    return search;
}

BOOL CeFindNextFile(HANDLE hFindFile, LPWIN32_FIND_DATAW lpFindFileData) {
    bool root = false;
    {
        std::lock_guard<std::mutex> guard(gLock);
        const auto it = gRootSearches.find(hFindFile);
        root = it != gRootSearches.end() && it->second;
    }
    for (;;) {
        if (!FindNextFileW(hFindFile, lpFindFileData)) {
            const DWORD error = GetLastError();
            std::lock_guard<std::mutex> guard(gLock);
            gRootSearches.erase(hFindFile);
            SetLastError(error);
            return FALSE;
        }
        if (Shown(root, lpFindFileData)) {
            return TRUE;
        }
    }
}
