// Reading and writing the simulated device's state key, and device path mapping.
#include "DeviceState.h"

#include "DeviceContract.h"
#include "PlatformHandles.h"

#include <cstring>
#include <mutex>
#include <vector>

namespace norvane::platform {
namespace {

struct Names {
    std::mutex lock;
    std::wstring stateKey = device::kStateKey;
    std::wstring cardsKey = device::kCardsKey;
    std::wstring suffix;
};

Names& TheNames() {
    static Names names;
    return names;
}

std::wstring WithSuffix(const wchar_t* name) {
    Names& n = TheNames();
    std::lock_guard<std::mutex> guard(n.lock);
    return name + n.suffix;
}

bool IsSlash(wchar_t c) {
    return c == L'\\' || c == L'/';
}

} // namespace

void SetDeviceStateKeys(std::wstring_view stateKey, std::wstring_view cardsKey) {
    Names& n = TheNames();
    std::lock_guard<std::mutex> guard(n.lock);
    n.stateKey = stateKey;
    n.cardsKey = cardsKey;
}

std::wstring DeviceStateKey() {
    Names& n = TheNames();
    std::lock_guard<std::mutex> guard(n.lock);
    return n.stateKey;
}

std::wstring DeviceCardsKey() {
    Names& n = TheNames();
    std::lock_guard<std::mutex> guard(n.lock);
    return n.cardsKey;
}

void SetDeviceNameSuffix(std::wstring_view suffix) {
    Names& n = TheNames();
    std::lock_guard<std::mutex> guard(n.lock);
    n.suffix = suffix;
}

std::wstring TodayClassName() {
    return WithSuffix(device::kTodayClass);
}
std::wstring TaskBarClassName() {
    return WithSuffix(device::kTaskBarClass);
}
std::wstring MenuBarClassName() {
    return WithSuffix(device::kMenuBarClass);
}
std::wstring SipPreferenceMessageName() {
    return WithSuffix(device::kSipPreferenceMessage);
}
std::wstring ShellReadyEventName() {
    return WithSuffix(device::kShellReadyEvent);
}
std::wstring ResetMessageName() {
    return WithSuffix(device::kResetMessage);
}
std::wstring PowerOffMessageName() {
    return WithSuffix(device::kPowerOffMessage);
}
std::wstring SmartMinimizeMessageName() {
    return WithSuffix(device::kSmartMinimizeMessage);
}
std::wstring RotateMessageName() {
    return WithSuffix(device::kRotateMessage);
}
std::wstring ResetRequestEventName() {
    return WithSuffix(device::kResetRequestEvent);
}
std::wstring ServicesWindowClassName() {
    return WithSuffix(device::kServicesWindowClass);
}

namespace {

// The state key stays open between reads: the status calls read it every few
// seconds, and opening a key costs as much again as reading a value. It is
// opened anew when the key's path changes or the key went away meanwhile.
//
// On the device these calls are cheap kernel queries, so the values read are
// kept here and the key is asked again only after it reports a change: the key
// is watched for set and deleted values, and whoever moves the device's state
// (the control tool, the shell, a test) writes the key, which signals the watch
// before the write returns. A read after any write therefore sees the new value.
class StateKeyReader {
public:
    LONG Read(const wchar_t* name, DWORD flags, void* data, DWORD size) {
        std::lock_guard<std::mutex> guard(m_lock);
        const std::wstring path = DeviceStateKey();
        if (path != m_path || !m_key) {
            Reopen(path);
        } else if (!m_watching || WaitForSingleObject(m_changed.Get(), 0) != WAIT_TIMEOUT) {
            // Re-arm before reading, so that a write from now on is seen again.
            Watch();
        }
        for (const Cached& cached : m_cache) {
            if (cached.flags == flags && cached.name == name) {
                if (cached.bytes.size() > size) {
                    return ERROR_MORE_DATA;
                }
                std::memcpy(data, cached.bytes.data(), cached.bytes.size());
                return cached.rc;
            }
        }
        LONG rc = Query(name, flags, data, &size);
        if (rc == ERROR_KEY_DELETED || rc == ERROR_INVALID_HANDLE || (rc == ERROR_FILE_NOT_FOUND && !m_key)) {
            Reopen(path);
            rc = Query(name, flags, data, &size);
        }
        if (m_watching && (rc == ERROR_SUCCESS || rc == ERROR_FILE_NOT_FOUND)) {
            const BYTE* bytes = static_cast<const BYTE*>(data);
            m_cache.push_back(
                Cached{name, flags, rc,
                       rc == ERROR_SUCCESS ? std::vector<BYTE>(bytes, bytes + size) : std::vector<BYTE>()});
        }
        return rc;
    }

private:
    struct Cached {
        std::wstring name;
        DWORD flags;
        LONG rc;
        std::vector<BYTE> bytes;
    };

    void Reopen(const std::wstring& path) {
        m_key.Reset();
        m_path = path;
        RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_QUERY_VALUE | KEY_NOTIFY, m_key.Put());
        Watch();
    }
    void Watch() {
        m_cache.clear();
        m_watching = false;
        if (!m_key) {
            return;
        }
        if (!m_changed) {
            m_changed.Reset(CreateEventW(nullptr, FALSE, FALSE, nullptr));
        }
        m_watching = m_changed && RegNotifyChangeKeyValue(m_key.Get(), FALSE,
                                                          REG_NOTIFY_CHANGE_NAME | REG_NOTIFY_CHANGE_LAST_SET,
                                                          m_changed.Get(), TRUE) == ERROR_SUCCESS;
    }
    LONG Query(const wchar_t* name, DWORD flags, void* data, DWORD* size) {
        if (!m_key) {
            return ERROR_FILE_NOT_FOUND;
        }
        return RegGetValueW(m_key.Get(), nullptr, name, flags, nullptr, data, size);
    }

    std::mutex m_lock;
    std::wstring m_path;
    UniqueRegKey m_key;
    UniqueHandle m_changed;
    bool m_watching = false;
    std::vector<Cached> m_cache;
};

StateKeyReader& TheStateKeyReader() {
    static StateKeyReader reader;
    return reader;
}

} // namespace

DWORD ReadStateDword(const wchar_t* name, DWORD fallback) {
    DWORD value = 0;
    if (TheStateKeyReader().Read(name, RRF_RT_REG_DWORD, &value, sizeof value) != ERROR_SUCCESS) {
        return fallback;
    }
    return value;
}

ULONGLONG ReadStateQword(const wchar_t* name, ULONGLONG fallback) {
    ULONGLONG value = 0;
    if (TheStateKeyReader().Read(name, RRF_RT_REG_QWORD, &value, sizeof value) != ERROR_SUCCESS) {
        return fallback;
    }
    return value;
}

namespace {

bool WriteValue(const std::wstring& keyPath, const wchar_t* name, DWORD type, const void* data, DWORD size) {
    UniqueRegKey key;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, keyPath.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, key.Put(),
                        nullptr) != ERROR_SUCCESS) {
        return false;
    }
    return RegSetValueExW(key.Get(), name, 0, type, static_cast<const BYTE*>(data), size) == ERROR_SUCCESS;
}

} // namespace

bool WriteStateDword(const wchar_t* name, DWORD value) {
    return WriteValue(DeviceStateKey(), name, REG_DWORD, &value, sizeof value);
}

bool WriteStateQword(const wchar_t* name, ULONGLONG value) {
    return WriteValue(DeviceStateKey(), name, REG_QWORD, &value, sizeof value);
}

std::vector<CardState> ReadCardStates() {
    std::vector<CardState> cards;
    UniqueRegKey key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, DeviceCardsKey().c_str(), 0, KEY_READ, key.Put()) !=
        ERROR_SUCCESS) {
        return cards;
    }
    for (DWORD index = 0;; ++index) {
        wchar_t name[MAX_PATH + 1];
        DWORD length = MAX_PATH + 1;
        LONG rc = RegEnumKeyExW(key.Get(), index, name, &length, nullptr, nullptr, nullptr, nullptr);
        if (rc == ERROR_NO_MORE_ITEMS) {
            break;
        }
        if (rc != ERROR_SUCCESS) {
            continue;
        }
        CardState card;
        card.name.assign(name, length);
        DWORD present = 0;
        DWORD size = sizeof present;
        if (RegGetValueW(key.Get(), name, L"Present", RRF_RT_REG_DWORD, nullptr, &present, &size) ==
            ERROR_SUCCESS) {
            card.present = present != 0;
        }
        ULONGLONG total = 0;
        ULONGLONG free = 0;
        DWORD totalSize = sizeof total;
        DWORD freeSize = sizeof free;
        bool hasTotal = RegGetValueW(key.Get(), name, L"TotalBytes", RRF_RT_REG_QWORD, nullptr, &total,
                                     &totalSize) == ERROR_SUCCESS;
        bool hasFree = RegGetValueW(key.Get(), name, L"FreeBytes", RRF_RT_REG_QWORD, nullptr, &free,
                                    &freeSize) == ERROR_SUCCESS;
        card.hasFigures = hasTotal && hasFree;
        card.totalBytes = hasTotal ? total : 0;
        card.freeBytes = hasFree ? free : 0;
        cards.push_back(std::move(card));
    }
    return cards;
}

bool WriteCardState(const CardState& card) {
    std::wstring path = DeviceCardsKey() + L"\\" + card.name;
    DWORD present = card.present ? 1 : 0;
    bool ok = WriteValue(path, L"TotalBytes", REG_QWORD, &card.totalBytes, sizeof card.totalBytes);
    ok = WriteValue(path, L"FreeBytes", REG_QWORD, &card.freeBytes, sizeof card.freeBytes) && ok;
    // Present last: watchers react to it.
    ok = WriteValue(path, L"Present", REG_DWORD, &present, sizeof present) && ok;
    return ok;
}

std::wstring ToHostPath(std::wstring_view devicePath) {
    if (!devicePath.empty() && IsSlash(devicePath[0]) && !(devicePath.size() > 1 && IsSlash(devicePath[1]))) {
        std::wstring host = L"C:";
        host.append(devicePath);
        return host;
    }
    return std::wstring(devicePath);
}

std::wstring ToDevicePath(std::wstring_view hostPath) {
    if (hostPath.size() >= 2 && (hostPath[0] == L'C' || hostPath[0] == L'c') && hostPath[1] == L':') {
        if (hostPath.size() == 2) {
            return L"\\";
        }
        if (IsSlash(hostPath[2])) {
            return std::wstring(hostPath.substr(2));
        }
    }
    return std::wstring(hostPath);
}

bool HostFileExists(const std::wstring& hostPath) {
    DWORD attributes = GetFileAttributesW(hostPath.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool HostFolderExists(const std::wstring& hostPath) {
    DWORD attributes = GetFileAttributesW(hostPath.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

std::wstring FindInWindowsFolder(std::wstring_view bareName) {
    if (bareName.empty() || bareName.find_first_of(L"\\/:") != std::wstring_view::npos) {
        return {};
    }
    std::wstring candidate = L"C:\\Windows\\";
    candidate.append(bareName);
    if (HostFileExists(candidate)) {
        return candidate;
    }
    if (bareName.find(L'.') == std::wstring_view::npos) {
        candidate += L".exe";
        if (HostFileExists(candidate)) {
            return candidate;
        }
    }
    return {};
}

} // namespace norvane::platform
