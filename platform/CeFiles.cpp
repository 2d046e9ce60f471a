// Folder listings with the device root and \Windows as a Pocket PC's (see CeFiles.h).
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

bool IsHostOnlyWindowsFolder(std::wstring_view name) {
    // Wine makes these in lower case; a device folder of another spelling
    // ("Temp" beside Wine's "temp") is the device's own.
    static constexpr std::wstring_view kHostFolders[] = {
        L"globalization", L"help",     L"inf",   L"logs",      L"performance",  L"resources",
        L"system32",      L"syswow64", L"tasks", L"temp",      L"twain_32",     L"twain_64",
        L"winsxs",        L"command",  L"mono",  L"Installer", L"Microsoft.NET"};
    for (std::wstring_view host : kHostFolders) {
        if (name == host) {
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

// The folders whose listing differs from the host's.
enum class Listing { Plain, Root, Windows };

std::mutex gLock;
// The searches of the device root and of \Windows; other handles pass through.
std::map<HANDLE, Listing> gSearches;

// Which folder a search pattern ("\*", "C:\*.*", "\Windows\..\*") lists.
Listing ListingOf(const std::wstring& hostPattern) {
    const std::size_t slash = hostPattern.find_last_of(L"\\/");
    if (slash == std::wstring::npos) {
        return Listing::Plain;
    }
    const std::wstring folder = hostPattern.substr(0, slash + 1);
    wchar_t full[MAX_PATH] = L"";
    const DWORD length = GetFullPathNameW(folder.c_str(), MAX_PATH, full, nullptr);
    if (length == 0 || length >= MAX_PATH) {
        return Listing::Plain;
    }
    if (CompareStringOrdinal(full, -1, L"C:\\", -1, TRUE) == CSTR_EQUAL) {
        return Listing::Root;
    }
    if (CompareStringOrdinal(full, -1, L"C:\\Windows\\", -1, TRUE) == CSTR_EQUAL) {
        return Listing::Windows;
    }
    return Listing::Plain;
}

// Skips Wine's folders and spells the entry as the device does; false when
// the entry is to be left out.
bool Shown(Listing listing, LPWIN32_FIND_DATAW data) {
    const bool folder = (data->dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    if (listing == Listing::Windows) {
        return !folder || !norvane::platform::IsHostOnlyWindowsFolder(data->cFileName);
    }
    if (listing != Listing::Root) {
        return true;
    }
    if (folder && norvane::platform::IsHostOnlyRootFolder(data->cFileName)) {
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
    const Listing listing = ListingOf(pattern);
    while (!Shown(listing, lpFindFileData)) {
        if (!FindNextFileW(search, lpFindFileData)) {
            FindClose(search);
            SetLastError(ERROR_FILE_NOT_FOUND);
            return INVALID_HANDLE_VALUE;
        }
    }
    std::lock_guard<std::mutex> guard(gLock);
    // A handle value reused after FindClose starts a new search here.
    gSearches[search] = listing;
    return search;
}

BOOL CeFindNextFile(HANDLE hFindFile, LPWIN32_FIND_DATAW lpFindFileData) {
    Listing listing = Listing::Plain;
    {
        std::lock_guard<std::mutex> guard(gLock);
        const auto it = gSearches.find(hFindFile);
        if (it != gSearches.end()) {
            listing = it->second;
        }
    }
    for (;;) {
        if (!FindNextFileW(hFindFile, lpFindFileData)) {
            const DWORD error = GetLastError();
            std::lock_guard<std::mutex> guard(gLock);
            gSearches.erase(hFindFile);
            SetLastError(error);
            return FALSE;
        }
        if (Shown(listing, lpFindFileData)) {
            return TRUE;
        }
    }
}
