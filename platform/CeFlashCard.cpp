// Storage cards: root folders named by the device state or marked temporary.
#include "CeFlashCard.h"

#include "DeviceContract.h"
#include "DeviceState.h"

#include <algorithm>
#include <map>
#include <mutex>

namespace norvane::platform {

std::vector<std::wstring> PresentCardNames() {
    std::vector<std::wstring> names;
    for (const CardState& card : ReadCardStates()) {
        if (card.present && !card.name.empty() && card.name.find_first_of(L"\\/:") == std::wstring::npos &&
            HostFolderExists(L"C:\\" + card.name)) {
            names.push_back(card.name);
        }
    }
    WIN32_FIND_DATAW data;
    HANDLE find =
        FindFirstFileExW(L"C:\\*", FindExInfoBasic, &data, FindExSearchLimitToDirectories, nullptr, 0);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const DWORD wanted = FILE_ATTRIBUTE_DIRECTORY | device::kCardFolderAttribute;
            if ((data.dwFileAttributes & wanted) == wanted && wcscmp(data.cFileName, L".") != 0 &&
                wcscmp(data.cFileName, L"..") != 0) {
                names.emplace_back(data.cFileName);
            }
        } while (FindNextFileW(find, &data));
        FindClose(find);
    }
    auto lessNoCase = [](const std::wstring& a, const std::wstring& b) {
        return CompareStringOrdinal(a.c_str(), -1, b.c_str(), -1, TRUE) == CSTR_LESS_THAN;
    };
    auto sameNoCase = [](const std::wstring& a, const std::wstring& b) {
        return CompareStringOrdinal(a.c_str(), -1, b.c_str(), -1, TRUE) == CSTR_EQUAL;
    };
    std::sort(names.begin(), names.end(), lessNoCase);
    names.erase(std::unique(names.begin(), names.end(), sameNoCase), names.end());
    return names;
}

} // namespace norvane::platform

namespace {

// The handle is a genuine find handle, so that FindClose works on it as on the
// device; the cards it walks are kept beside it.
struct Enumeration {
    std::vector<std::wstring> names;
    size_t next = 0;
};

std::mutex gLock;
std::map<HANDLE, Enumeration> gEnumerations;

bool Fill(const std::wstring& name, LPWIN32_FIND_DATAW data) {
    *data = WIN32_FIND_DATAW{};
    WIN32_FILE_ATTRIBUTE_DATA info{};
    std::wstring host = L"C:\\" + name;
    if (GetFileAttributesExW(host.c_str(), GetFileExInfoStandard, &info)) {
        data->ftCreationTime = info.ftCreationTime;
        data->ftLastAccessTime = info.ftLastAccessTime;
        data->ftLastWriteTime = info.ftLastWriteTime;
    }
    data->dwFileAttributes = FILE_ATTRIBUTE_DIRECTORY | norvane::device::kCardFolderAttribute;
    wcsncpy_s(data->cFileName, name.c_str(), _TRUNCATE);
    return true;
}

} // namespace

HANDLE FindFirstFlashCard(LPWIN32_FIND_DATAW lpFindFlashData) {
    if (lpFindFlashData == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    std::vector<std::wstring> names = norvane::platform::PresentCardNames();
    if (names.empty()) {
        SetLastError(ERROR_NO_MORE_FILES);
        return INVALID_HANDLE_VALUE;
    }
    WIN32_FIND_DATAW scratch;
    HANDLE token = FindFirstFileW(L"C:\\*", &scratch);
    if (token == INVALID_HANDLE_VALUE) {
        return INVALID_HANDLE_VALUE;
    }
    Fill(names[0], lpFindFlashData);
    std::lock_guard<std::mutex> guard(gLock);
    // A stale entry under a reused handle value belongs to a closed search.
    gEnumerations[token] = Enumeration{std::move(names), 1};
    return token;
}

BOOL FindNextFlashCard(HANDLE hFlashCard, LPWIN32_FIND_DATAW lpFindFlashData) {
    std::lock_guard<std::mutex> guard(gLock);
    auto it = gEnumerations.find(hFlashCard);
    if (it == gEnumerations.end() || lpFindFlashData == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    Enumeration& e = it->second;
    if (e.next >= e.names.size()) {
        e.names.clear();
        SetLastError(ERROR_NO_MORE_FILES);
        return FALSE;
    }
    Fill(e.names[e.next++], lpFindFlashData);
    return TRUE;
}
