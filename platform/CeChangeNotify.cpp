// Change notifications: one watcher thread per process while any window is
// registered. It reads the device drive's directory changes and the storage
// card list, and posts one FILECHANGENOTIFY per event and window.
#include "CeChangeNotify.h"

#include "CeFlashCard.h"
#include "DeviceState.h"
#include "PlatformHandles.h"

#include <algorithm>
#include <cstddef>
#include <map>
#include <memory>
#include <cstring>
#include <mutex>
#include <set>
#include <string>
#include <vector>

namespace {

using norvane::platform::UniqueHandle;
using norvane::platform::UniqueRegKey;

struct Registration {
    HWND hwnd;
    DWORD mask;
    std::wstring watchDir; // device path without a trailing "\", empty = everything
    bool recursive;
};

bool EqualNoCase(const std::wstring& a, const std::wstring& b) {
    return CompareStringOrdinal(a.c_str(), -1, b.c_str(), -1, TRUE) == CSTR_EQUAL;
}

// Is path inside folder (directly, or anywhere below when recursive)?
bool IsUnder(const std::wstring& path, const std::wstring& folder, bool recursive) {
    if (folder.empty()) {
        return true;
    }
    if (path.size() <= folder.size() + 1 || path[folder.size()] != L'\\' ||
        !EqualNoCase(path.substr(0, folder.size()), folder)) {
        return false;
    }
    return recursive || path.find(L'\\', folder.size() + 1) == std::wstring::npos;
}

LPFILECHANGENOTIFY MakeNotice(LONG event, const std::wstring& item1, const std::wstring& item2) {
    size_t bytes1 = (item1.size() + 1) * sizeof(wchar_t);
    size_t bytes2 = item2.empty() ? 0 : (item2.size() + 1) * sizeof(wchar_t);
    auto* notice =
        static_cast<LPFILECHANGENOTIFY>(LocalAlloc(LPTR, sizeof(FILECHANGENOTIFY) + bytes1 + bytes2));
    if (notice == nullptr) {
        return nullptr;
    }
    auto* text1 = reinterpret_cast<wchar_t*>(notice + 1);
    std::memcpy(text1, item1.c_str(), bytes1);
    notice->dwRefCount = 1;
    notice->fci.cbSize = sizeof(FILECHANGEINFO);
    notice->fci.wEventId = event;
    notice->fci.uFlags = SHCNF_PATH;
    notice->fci.dwItem1 = reinterpret_cast<DWORD_PTR>(text1);
    if (bytes2 != 0) {
        auto* text2 = reinterpret_cast<wchar_t*>(reinterpret_cast<BYTE*>(text1) + bytes1);
        std::memcpy(text2, item2.c_str(), bytes2);
        notice->fci.dwItem2 = reinterpret_cast<DWORD_PTR>(text2);
    }
    const std::wstring& described = item2.empty() ? item1 : item2;
    WIN32_FILE_ATTRIBUTE_DATA info;
    if (GetFileAttributesExW(norvane::platform::ToHostPath(described).c_str(), GetFileExInfoStandard,
                             &info)) {
        notice->fci.dwAttributes = info.dwFileAttributes;
        notice->fci.ftModified = info.ftLastWriteTime;
        notice->fci.nFileSize = info.nFileSizeLow;
    }
    return notice;
}

// The device drive's watch: one read of the whole tree below C:\.
constexpr DWORD kDriveFilter = FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME |
                               FILE_NOTIFY_CHANGE_LAST_WRITE | FILE_NOTIFY_CHANGE_SIZE;
constexpr size_t kMaxKnownFolders = 16384;
// The root and its folders are watched before registration returns; the
// rest of the drive follows at once on the watcher thread.
constexpr int kFirstDepth = 1;
constexpr int kMaxDepth = 1 << 20;

class DriveWatch {
public:
    bool Open() {
        m_folder.Reset(CreateFileW(L"C:\\", FILE_LIST_DIRECTORY,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OVERLAPPED, nullptr));
        m_event.Reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
        return m_folder && m_event && Issue();
    }
    bool Issue() {
        m_overlapped = OVERLAPPED{};
        m_overlapped.hEvent = m_event.Get();
        m_pending =
            ReadDirectoryChangesW(m_folder.Get(), m_buffer.data(), static_cast<DWORD>(m_buffer.size() * 4), TRUE,
                                  kDriveFilter, nullptr, &m_overlapped, nullptr) != 0;
        return m_pending;
    }
    HANDLE Event() const { return m_event.Get(); }
    // The finished read as (action, device path) pairs; false when it overflowed.
    bool Collect(std::vector<std::pair<DWORD, std::wstring>>& changes) {
        DWORD bytes = 0;
        m_pending = false;
        if (!GetOverlappedResult(m_folder.Get(), &m_overlapped, &bytes, FALSE) || bytes == 0) {
            return false;
        }
        const BYTE* base = reinterpret_cast<const BYTE*>(m_buffer.data());
        for (DWORD offset = 0; offset + sizeof(FILE_NOTIFY_INFORMATION) <= bytes;) {
            auto* info = reinterpret_cast<const FILE_NOTIFY_INFORMATION*>(base + offset);
            if (offset + offsetof(FILE_NOTIFY_INFORMATION, FileName) + info->FileNameLength > bytes) {
                break;
            }
            std::wstring path = L"\\";
            path.append(info->FileName, info->FileNameLength / sizeof(wchar_t));
            changes.emplace_back(info->Action, std::move(path));
            if (info->NextEntryOffset == 0) {
                break;
            }
            offset += info->NextEntryOffset;
        }
        return true;
    }
    void Cancel() {
        if (m_pending) {
            CancelIo(m_folder.Get());
            DWORD bytes = 0;
            GetOverlappedResult(m_folder.Get(), &m_overlapped, &bytes, TRUE);
            m_pending = false;
        }
    }

private:
    UniqueHandle m_folder;
    UniqueHandle m_event;
    OVERLAPPED m_overlapped{};
    bool m_pending = false;
    std::vector<DWORD> m_buffer = std::vector<DWORD>(16 * 1024); // DWORD-aligned, 64 KB
};

class ChangeNotifier {
public:
    bool Register(HWND hwnd, const SHCHANGENOTIFYENTRY& entry) {
        Registration r{hwnd, entry.dwEventMask, {}, entry.fRecursive != FALSE};
        if (entry.pszWatchDir != nullptr) {
            r.watchDir = norvane::platform::ToDevicePath(entry.pszWatchDir);
            while (!r.watchDir.empty() && r.watchDir.back() == L'\\') {
                r.watchDir.pop_back();
            }
        }
        std::lock_guard<std::mutex> guard(m_lock);
        auto it = std::find_if(m_registrations.begin(), m_registrations.end(),
                               [&](const Registration& x) { return x.hwnd == hwnd; });
        if (it != m_registrations.end()) {
            *it = r;
        } else {
            m_registrations.push_back(r);
        }
        return StartLocked();
    }

    bool Deregister(HWND hwnd) {
        UniqueHandle thread;
        bool found = false;
        {
            std::lock_guard<std::mutex> guard(m_lock);
            auto gone = std::remove_if(m_registrations.begin(), m_registrations.end(),
                                       [&](const Registration& x) { return x.hwnd == hwnd; });
            found = gone != m_registrations.end();
            m_registrations.erase(gone, m_registrations.end());
            if (m_registrations.empty() && m_thread) {
                SetEvent(m_stop.Get());
                thread = std::move(m_thread);
            }
        }
        if (thread) {
            WaitForSingleObject(thread.Get(), 5000);
        }
        return found;
    }

private:
    bool StartLocked() {
        if (m_thread) {
            return true;
        }
        m_stop.Reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
        UniqueHandle ready(CreateEventW(nullptr, TRUE, FALSE, nullptr));
        if (!m_stop || !ready) {
            return false;
        }
        m_ready = ready.Get();
        m_thread.Reset(CreateThread(nullptr, 0, &ChangeNotifier::ThreadMain, this, 0, nullptr));
        if (!m_thread) {
            return false;
        }
        // Changes made after registration returns must be seen.
        HANDLE waits[] = {ready.Get(), m_thread.Get()};
        WaitForMultipleObjects(2, waits, FALSE, 5000);
        m_ready = nullptr;
        return true;
    }

    static DWORD WINAPI ThreadMain(void* self) {
        static_cast<ChangeNotifier*>(self)->Watch();
        return 0;
    }

    void Watch() {
        DriveWatch drive;
        bool driveOk = drive.Open();
        UniqueRegKey cardsKey;
        RegCreateKeyExW(HKEY_LOCAL_MACHINE, norvane::platform::DeviceCardsKey().c_str(), 0, nullptr, 0,
                        KEY_NOTIFY | KEY_READ, nullptr, cardsKey.Put(), nullptr);
        UniqueHandle cardsChanged(CreateEventW(nullptr, FALSE, FALSE, nullptr));
        auto armCards = [&] {
            return cardsKey && RegNotifyChangeKeyValue(cardsKey.Get(), TRUE,
                                                       REG_NOTIFY_CHANGE_NAME | REG_NOTIFY_CHANGE_LAST_SET,
                                                       cardsChanged.Get(), TRUE) == ERROR_SUCCESS;
        };
        bool cardsArmed = armCards();
        m_cards = norvane::platform::PresentCardNames();
        // The root and the folders a device program works in are watched before
        // registration returns; the rest of the drive joins right after, so that
        // registering (on the Today screen's thread, at start-up) stays quick.
        if (driveOk) {
            VisitFolders(L"\\", kFirstDepth);
        }
        SetEvent(m_ready);
        if (driveOk) {
            VisitFolders(L"\\", kMaxDepth);
        }

        for (;;) {
            HANDLE waits[] = {m_stop.Get(), driveOk ? drive.Event() : m_stop.Get(), cardsChanged.Get()};
            // Without a card key notification, look at the cards every second.
            DWORD rc = WaitForMultipleObjects(3, waits, FALSE, cardsArmed ? INFINITE : 1000);
            if (rc == WAIT_OBJECT_0 || rc == WAIT_FAILED) {
                break;
            }
            if (rc == WAIT_OBJECT_0 + 1) {
                std::vector<std::pair<DWORD, std::wstring>> changes;
                if (!drive.Collect(changes)) {
                    // Too much at once: the whole drive may have changed.
                    Post(SHCNE_UPDATEDIR, L"\\");
                    RescanCards();
                }
                HandleChanges(changes);
                driveOk = drive.Issue();
            } else {
                cardsArmed = armCards();
                RescanCards();
            }
        }
        drive.Cancel();
        m_knownFolders.clear();
    }

    // Wine extends a tree watch to a folder that existed before the watch only
    // once the folder is opened; new folders join by themselves. Remember them
    // all, so that a removal can be told apart from a file's.
    void VisitFolders(const std::wstring& devicePath, int maxDepth = kMaxDepth) {
        std::vector<std::pair<std::wstring, int>> pending{{devicePath, 0}};
        while (!pending.empty() && m_knownFolders.size() < kMaxKnownFolders) {
            auto [path, depth] = std::move(pending.back());
            pending.pop_back();
            if (WaitForSingleObject(m_stop.Get(), 0) == WAIT_OBJECT_0) {
                return; // deregistered while the drive was still being visited
            }
            std::wstring host = norvane::platform::ToHostPath(path);
            UniqueHandle touch(CreateFileW(host.c_str(), FILE_LIST_DIRECTORY,
                                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                           OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
            m_knownFolders.insert(Folded(path));
            if (host.back() != L'\\') {
                host += L'\\';
            }
            WIN32_FIND_DATAW data;
            HANDLE find = FindFirstFileExW((host + L"*").c_str(), FindExInfoBasic, &data,
                                           FindExSearchLimitToDirectories, nullptr, 0);
            if (find == INVALID_HANDLE_VALUE) {
                continue;
            }
            do {
                if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 &&
                    (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0 &&
                    wcscmp(data.cFileName, L".") != 0 && wcscmp(data.cFileName, L"..") != 0) {
                    if (depth < maxDepth) {
                        pending.push_back({(path == L"\\" ? L"" : path) + L"\\" + data.cFileName, depth + 1});
                    }
                }
            } while (FindNextFileW(find, &data));
            FindClose(find);
        }
    }

    void HandleChanges(const std::vector<std::pair<DWORD, std::wstring>>& changes) {
        bool rootChanged = false;
        std::wstring renamedFrom;
        for (const auto& [action, path] : changes) {
            rootChanged = rootChanged || path.find(L'\\', 1) == std::wstring::npos;
            const bool isFolder = norvane::platform::HostFolderExists(norvane::platform::ToHostPath(path));
            switch (action) {
            case FILE_ACTION_ADDED:
                Post(isFolder ? SHCNE_MKDIR : SHCNE_CREATE, path);
                if (isFolder) {
                    VisitFolders(path);
                }
                break;
            case FILE_ACTION_REMOVED: {
                bool wasFolder = m_knownFolders.erase(Folded(path)) != 0;
                Post(wasFolder ? SHCNE_RMDIR : SHCNE_DELETE, path);
                break;
            }
            case FILE_ACTION_MODIFIED:
                Post(isFolder ? SHCNE_UPDATEDIR : SHCNE_UPDATEITEM, path);
                break;
            case FILE_ACTION_RENAMED_OLD_NAME:
                renamedFrom = path;
                m_knownFolders.erase(Folded(path));
                break;
            case FILE_ACTION_RENAMED_NEW_NAME:
                Post(isFolder ? SHCNE_RENAMEFOLDER : SHCNE_RENAMEITEM,
                     renamedFrom.empty() ? path : renamedFrom, path);
                if (isFolder) {
                    VisitFolders(path);
                }
                renamedFrom.clear();
                break;
            default:
                break;
            }
        }
        if (rootChanged) {
            // A folder in the root may be a card coming or going.
            RescanCards();
        }
    }

    static std::wstring Folded(std::wstring path) {
        CharUpperBuffW(path.data(), static_cast<DWORD>(path.size()));
        return path;
    }

    void RescanCards() {
        std::vector<std::wstring> now = norvane::platform::PresentCardNames();
        auto contains = [](const std::vector<std::wstring>& list, const std::wstring& name) {
            return std::any_of(list.begin(), list.end(),
                               [&](const std::wstring& x) { return EqualNoCase(x, name); });
        };
        for (const std::wstring& name : m_cards) {
            if (!contains(now, name)) {
                Post(SHCNE_MEDIAREMOVED, L"\\" + name);
                Post(SHCNE_DRIVEREMOVED, L"\\" + name);
            }
        }
        for (const std::wstring& name : now) {
            if (!contains(m_cards, name)) {
                Post(SHCNE_DRIVEADD, L"\\" + name);
                Post(SHCNE_MEDIAINSERTED, L"\\" + name);
            }
        }
        m_cards = std::move(now);
    }

    void Post(LONG event, const std::wstring& item1, const std::wstring& item2 = {}) {
        const bool media =
            (event & (SHCNE_MEDIAINSERTED | SHCNE_MEDIAREMOVED | SHCNE_DRIVEADD | SHCNE_DRIVEREMOVED)) != 0;
        std::lock_guard<std::mutex> guard(m_lock);
        for (auto it = m_registrations.begin(); it != m_registrations.end();) {
            if (!IsWindow(it->hwnd)) {
                // Destroyed without deregistering.
                it = m_registrations.erase(it);
                continue;
            }
            const Registration& r = *it++;
            if ((r.mask & static_cast<DWORD>(event)) == 0) {
                continue;
            }
            if (!media && !IsUnder(item1, r.watchDir, r.recursive) &&
                !(!item2.empty() && IsUnder(item2, r.watchDir, r.recursive))) {
                continue;
            }
            LPFILECHANGENOTIFY notice = MakeNotice(event, item1, item2);
            if (notice != nullptr &&
                !PostMessageW(r.hwnd, WM_FILECHANGEINFO, 0, reinterpret_cast<LPARAM>(notice))) {
                SHChangeNotifyFree(notice);
            }
        }
    }

    std::mutex m_lock;
    std::vector<Registration> m_registrations;
    UniqueHandle m_thread;
    UniqueHandle m_stop;
    HANDLE m_ready = nullptr;
    // Watcher thread only:
    std::vector<std::wstring> m_cards;
    std::set<std::wstring> m_knownFolders; // upper-cased device paths
};

ChangeNotifier& Notifier() {
    static ChangeNotifier notifier;
    return notifier;
}

} // namespace

BOOL CeSHChangeNotifyRegister(HWND hwnd, LPSHCHANGENOTIFYENTRY pshcne) {
    if (hwnd == nullptr || pshcne == nullptr || !IsWindow(hwnd)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    return Notifier().Register(hwnd, *pshcne) ? TRUE : FALSE;
}

BOOL CeSHChangeNotifyDeregister(HWND hwnd) {
    return Notifier().Deregister(hwnd) ? TRUE : FALSE;
}

void SHChangeNotifyFree(LPFILECHANGENOTIFY pfcn) {
    if (pfcn == nullptr) {
        return;
    }
    if (InterlockedDecrement(reinterpret_cast<volatile LONG*>(&pfcn->dwRefCount)) == 0) {
        LocalFree(pfcn);
    }
}
