// Power status and notifications from the simulated device state, and the
// reset and power-off routes to the device shell.
#include "CePower.h"

#include "CeFlashCard.h"
#include "CeMsgQueue.h"
#include "DeviceContract.h"
#include "DeviceState.h"
#include "PlatformHandles.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <vector>

namespace {

using norvane::platform::ReadStateDword;
using norvane::platform::UniqueHandle;
using norvane::platform::UniqueRegKey;
namespace device = norvane::device;

struct PowerSnapshot {
    BYTE acLine;
    BYTE batteryFlag;
    BYTE batteryPercent;
    BYTE backupFlag;
    BYTE backupPercent;
    bool operator==(const PowerSnapshot& o) const {
        return acLine == o.acLine && batteryFlag == o.batteryFlag && batteryPercent == o.batteryPercent &&
               backupFlag == o.backupFlag && backupPercent == o.backupPercent;
    }
};

BYTE ReadByte(const wchar_t* name, BYTE fallback) {
    return static_cast<BYTE>(std::min<DWORD>(ReadStateDword(name, fallback), 255));
}

PowerSnapshot ReadPower() {
    PowerSnapshot s;
    s.acLine = ReadByte(device::kACLine, AC_LINE_OFFLINE);
    s.batteryFlag = ReadByte(device::kBatteryFlag, BATTERY_FLAG_HIGH);
    s.batteryPercent = ReadByte(device::kBatteryPercent, 100);
    s.backupFlag = ReadByte(device::kBackupBatteryFlag, BATTERY_FLAG_HIGH);
    s.backupPercent = ReadByte(device::kBackupBatteryPercent, 100);
    return s;
}

struct Registration {
    HANDLE userQueue;  // the handle the caller registered
    HANDLE writeQueue; // our own writer on the same queue
    DWORD flags;
};

// One watcher thread per process while any queue is registered.
class PowerNotifier {
public:
    HANDLE Add(HANDLE userQueue, DWORD flags) {
        std::wstring name = norvane::platform::detail::MsgQueueName(userQueue);
        if (name.empty()) {
            SetLastError(ERROR_INVALID_HANDLE);
            return nullptr;
        }
        MSGQUEUEOPTIONS options = norvane::platform::detail::MsgQueueOptions(userQueue);
        options.bReadAccess = FALSE;
        HANDLE writer = CreateMsgQueue(name.c_str(), &options);
        if (writer == nullptr) {
            return nullptr;
        }
        std::lock_guard<std::mutex> guard(m_lock);
        if (!StartLocked()) {
            CloseMsgQueue(writer);
            return nullptr;
        }
        m_registrations.push_back(Registration{userQueue, writer, flags});
        return writer;
    }

    // Ends registrations by either handle; stops the watcher after the last.
    bool Remove(HANDLE handle) {
        std::vector<HANDLE> writers;
        UniqueHandle thread;
        {
            std::lock_guard<std::mutex> guard(m_lock);
            auto gone =
                std::stable_partition(m_registrations.begin(), m_registrations.end(), [&](const auto& r) {
                    return r.userQueue != handle && r.writeQueue != handle;
                });
            for (auto it = gone; it != m_registrations.end(); ++it) {
                writers.push_back(it->writeQueue);
            }
            m_registrations.erase(gone, m_registrations.end());
            if (m_registrations.empty() && m_thread) {
                SetEvent(m_stop.Get());
                thread = std::move(m_thread);
            }
        }
        if (thread) {
            WaitForSingleObject(thread.Get(), 5000);
        }
        for (HANDLE writer : writers) {
            CloseMsgQueue(writer);
        }
        return !writers.empty();
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
        m_thread.Reset(CreateThread(nullptr, 0, &PowerNotifier::ThreadMain, this, 0, nullptr));
        if (!m_thread) {
            return false;
        }
        // The watcher must be armed before the caller can change the state.
        HANDLE waits[] = {ready.Get(), m_thread.Get()};
        WaitForMultipleObjects(2, waits, FALSE, 5000);
        m_ready = nullptr;
        return true;
    }

    static DWORD WINAPI ThreadMain(void* self) {
        static_cast<PowerNotifier*>(self)->Watch();
        return 0;
    }

    void Watch() {
        UniqueRegKey key;
        std::wstring path = norvane::platform::DeviceStateKey();
        if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_NOTIFY | KEY_READ, nullptr,
                            key.Put(), nullptr) != ERROR_SUCCESS) {
            SetEvent(m_ready);
            return;
        }
        UniqueHandle changed(CreateEventW(nullptr, FALSE, FALSE, nullptr));
        auto arm = [&] {
            return RegNotifyChangeKeyValue(key.Get(), FALSE, REG_NOTIFY_CHANGE_LAST_SET, changed.Get(),
                                           TRUE) == ERROR_SUCCESS;
        };
        bool armed = arm();
        PowerSnapshot last = ReadPower();
        SetEvent(m_ready);
        HANDLE stop = m_stop.Get();
        for (;;) {
            HANDLE waits[] = {stop, changed.Get()};
            // Without a working notification, look every half second.
            DWORD rc = WaitForMultipleObjects(2, waits, FALSE, armed ? INFINITE : 500);
            if (rc == WAIT_OBJECT_0 || rc == WAIT_FAILED) {
                return;
            }
            armed = arm();
            PowerSnapshot now = ReadPower();
            if (now == last) {
                continue;
            }
            last = now;
            Deliver(now);
        }
    }

    void Deliver(const PowerSnapshot& s) {
        static_assert(offsetof(POWER_BROADCAST, SystemPowerState) == 12, "SystemPowerState follows Length");
        // The info block starts right after Length, where SystemPowerState begins.
        BYTE buffer[offsetof(POWER_BROADCAST, SystemPowerState) + sizeof(POWER_BROADCAST_POWER_INFO)] = {};
        POWER_BROADCAST header{};
        header.Message = PBT_POWERINFOCHANGE;
        header.Flags = 0;
        header.Length = sizeof(POWER_BROADCAST_POWER_INFO);
        std::memcpy(buffer, &header, offsetof(POWER_BROADCAST, SystemPowerState));
        POWER_BROADCAST_POWER_INFO info{};
        info.dwNumLevels = 0;
        info.dwBatteryLifeTime = BATTERY_LIFE_UNKNOWN;
        info.dwBatteryFullLifeTime = BATTERY_LIFE_UNKNOWN;
        info.dwBackupBatteryLifeTime = BATTERY_LIFE_UNKNOWN;
        info.dwBackupBatteryFullLifeTime = BATTERY_LIFE_UNKNOWN;
        info.bACLineStatus = s.acLine;
        info.bBatteryFlag = s.batteryFlag;
        info.bBatteryLifePercent = s.batteryPercent;
        info.bBackupBatteryFlag = s.backupFlag;
        info.bBackupBatteryLifePercent = s.backupPercent;
        std::memcpy(buffer + offsetof(POWER_BROADCAST, SystemPowerState), &info, sizeof info);

        std::lock_guard<std::mutex> guard(m_lock);
        for (const Registration& r : m_registrations) {
            if (r.flags & PBT_POWERINFOCHANGE) {
                // A full queue drops the notice, as on the device.
                WriteMsgQueue(r.writeQueue, buffer, sizeof buffer, 0, 0);
            }
        }
    }

    std::mutex m_lock;
    std::vector<Registration> m_registrations;
    UniqueHandle m_thread;
    UniqueHandle m_stop;
    HANDLE m_ready = nullptr;
};

PowerNotifier& Notifier() {
    static PowerNotifier notifier;
    return notifier;
}

bool PostToToday(const std::wstring& messageName) {
    HWND today = FindWindowW(norvane::platform::TodayClassName().c_str(), nullptr);
    UINT message = RegisterWindowMessageW(messageName.c_str());
    if (today == nullptr || message == 0) {
        return false;
    }
    return PostMessageW(today, message, 0, 0) != 0;
}

} // namespace

DWORD GetSystemPowerStatusEx2(PSYSTEM_POWER_STATUS_EX2 pSystemPowerStatusEx2, DWORD dwLen, BOOL) {
    if (pSystemPowerStatusEx2 == nullptr || dwLen == 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    PowerSnapshot s = ReadPower();
    SYSTEM_POWER_STATUS_EX2 status{};
    status.ACLineStatus = s.acLine;
    status.BatteryFlag = s.batteryFlag;
    status.BatteryLifePercent = s.batteryPercent;
    status.BatteryLifeTime = BATTERY_LIFE_UNKNOWN;
    status.BatteryFullLifeTime = BATTERY_LIFE_UNKNOWN;
    status.BackupBatteryFlag = s.backupFlag;
    status.BackupBatteryLifePercent = s.backupPercent;
    status.BackupBatteryLifeTime = BATTERY_LIFE_UNKNOWN;
    status.BackupBatteryFullLifeTime = BATTERY_LIFE_UNKNOWN;
    status.BatteryVoltage = 3900;
    status.BatteryChemistry = 0x04; // BATTERY_CHEMISTRY_LION
    DWORD length = std::min<DWORD>(dwLen, sizeof status);
    std::memcpy(pSystemPowerStatusEx2, &status, length);
    return length;
}

HANDLE RequestPowerNotifications(HANDLE hMsgQ, DWORD Flags) {
    if (hMsgQ == nullptr || Flags == 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    return Notifier().Add(hMsgQ, Flags);
}

BOOL StopPowerNotifications(HANDLE h) {
    if (!Notifier().Remove(h)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    return TRUE;
}

namespace norvane::platform::detail {

void OnMsgQueueClosed(HANDLE queue) {
    Notifier().Remove(queue);
}

} // namespace norvane::platform::detail

DWORD CeSetSystemPowerState(LPCWSTR pwsSystemState, DWORD StateFlags, DWORD) {
    bool reset = (StateFlags & POWER_STATE_RESET) != 0;
    bool suspend = (StateFlags & (POWER_STATE_SUSPEND | POWER_STATE_OFF | POWER_STATE_CRITICAL)) != 0;
    if (pwsSystemState != nullptr) {
        reset = reset || _wcsicmp(pwsSystemState, L"reset") == 0;
        suspend =
            suspend || _wcsicmp(pwsSystemState, L"suspend") == 0 || _wcsicmp(pwsSystemState, L"off") == 0;
    }
    if (!reset && !suspend) {
        // On, idle and the like: the simulated device is always on while it runs.
        return ERROR_SUCCESS;
    }
    bool posted =
        PostToToday(reset ? norvane::platform::ResetMessageName() : norvane::platform::PowerOffMessageName());
    if (!posted && reset) {
        // Early in a boot there is no shell yet: the power manager resets the
        // device through the boot program.
        HANDLE request =
            OpenEventW(EVENT_MODIFY_STATE, FALSE, norvane::platform::ResetRequestEventName().c_str());
        if (request != nullptr) {
            posted = SetEvent(request) != 0;
            CloseHandle(request);
        }
    }
    return posted ? ERROR_SUCCESS : ERROR_SERVICE_NOT_ACTIVE;
}

BOOL CeExitWindowsEx(UINT uFlags, DWORD) {
    if ((uFlags & (EWX_REBOOT | EWX_POWEROFF | EWX_SHUTDOWN)) == 0) {
        // A log-off has no meaning on the device.
        SetLastError(ERROR_NOT_SUPPORTED);
        return FALSE;
    }
    if (!PostToToday(norvane::platform::ResetMessageName())) {
        SetLastError(ERROR_SERVICE_NOT_ACTIVE);
        return FALSE;
    }
    return TRUE;
}

void CeKeybdEvent(BYTE bVk, BYTE bScan, DWORD dwFlags, ULONG_PTR dwExtraInfo) {
    if (bVk == VK_OFF) {
        if ((dwFlags & KEYEVENTF_KEYUP) == 0) {
            PostToToday(norvane::platform::PowerOffMessageName());
        }
        return;
    }
    keybd_event(bVk, bScan, dwFlags & ~static_cast<DWORD>(KEYEVENTF_SILENT), dwExtraInfo);
}

namespace {

ULONGLONG Clamp32(ULONGLONG v) {
    return std::min<ULONGLONG>(v, 0xFFFFFFFFull);
}

} // namespace

void CeGlobalMemoryStatus(LPMEMORYSTATUS lpBuffer) {
    if (lpBuffer == nullptr) {
        return;
    }
    using norvane::platform::ReadStateQword;
    ULONGLONG total = Clamp32(ReadStateQword(device::kMemoryTotal, norvane::platform::kDefaultMemoryTotal));
    ULONGLONG avail = Clamp32(ReadStateQword(device::kMemoryAvail, norvane::platform::kDefaultMemoryAvail));
    avail = std::min(avail, total);
    lpBuffer->dwLength = sizeof(MEMORYSTATUS);
    lpBuffer->dwMemoryLoad = total == 0 ? 0 : static_cast<DWORD>(100 - (avail * 100) / total);
    lpBuffer->dwTotalPhys = static_cast<SIZE_T>(total);
    lpBuffer->dwAvailPhys = static_cast<SIZE_T>(avail);
    lpBuffer->dwTotalPageFile = 0;
    lpBuffer->dwAvailPageFile = 0;
    // Each process of the device has a 32 MB slot.
    lpBuffer->dwTotalVirtual = 32u * 1024 * 1024;
    lpBuffer->dwAvailVirtual = 30u * 1024 * 1024;
}

BOOL CeGetSystemMemoryDivision(LPDWORD lpdwStorePages, LPDWORD lpdwRamPages, LPDWORD lpdwPageSize) {
    if (lpdwStorePages == nullptr || lpdwRamPages == nullptr || lpdwPageSize == nullptr) {
        return FALSE;
    }
    using norvane::platform::ReadStateQword;
    ULONGLONG ram = ReadStateQword(device::kMemoryTotal, norvane::platform::kDefaultMemoryTotal);
    ULONGLONG store = ReadStateQword(device::kStoreTotal, norvane::platform::kDefaultStoreTotal);
    *lpdwPageSize = norvane::platform::kDevicePageSize;
    *lpdwRamPages = static_cast<DWORD>(Clamp32(ram / norvane::platform::kDevicePageSize));
    *lpdwStorePages = static_cast<DWORD>(Clamp32(store / norvane::platform::kDevicePageSize));
    return TRUE;
}

BOOL CeGetDiskFreeSpaceEx(LPCWSTR lpDirectoryName, PULARGE_INTEGER lpFreeBytesAvailableToCaller,
                          PULARGE_INTEGER lpTotalNumberOfBytes, PULARGE_INTEGER lpTotalNumberOfFreeBytes) {
    std::wstring path = lpDirectoryName != nullptr ? norvane::platform::ToDevicePath(lpDirectoryName) : L"\\";
    if (path.empty()) {
        path = L"\\";
    }
    if (path[0] != L'\\') {
        // Another drive is not part of the device.
        SetLastError(ERROR_PATH_NOT_FOUND);
        return FALSE;
    }
    if (!norvane::platform::HostFolderExists(norvane::platform::ToHostPath(path))) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return FALSE;
    }
    using norvane::platform::ReadStateQword;
    ULONGLONG total = ReadStateQword(device::kStoreTotal, norvane::platform::kDefaultStoreTotal);
    ULONGLONG free = ReadStateQword(device::kStoreFree, norvane::platform::kDefaultStoreFree);
    // The first folder level names the volume: the object store or a card.
    std::wstring top = path.substr(1, path.find(L'\\', 1) == std::wstring::npos ? std::wstring::npos
                                                                                : path.find(L'\\', 1) - 1);
    if (!top.empty()) {
        for (const std::wstring& card : norvane::platform::PresentCardNames()) {
            if (CompareStringOrdinal(card.c_str(), -1, top.c_str(), -1, TRUE) != CSTR_EQUAL) {
                continue;
            }
            bool found = false;
            for (const auto& state : norvane::platform::ReadCardStates()) {
                if (state.hasFigures &&
                    CompareStringOrdinal(state.name.c_str(), -1, card.c_str(), -1, TRUE) == CSTR_EQUAL) {
                    total = state.totalBytes;
                    free = state.freeBytes;
                    found = true;
                }
            }
            if (!found) {
                // A card the state does not describe: the host's own figures.
                return GetDiskFreeSpaceExW(norvane::platform::ToHostPath(path).c_str(),
                                           lpFreeBytesAvailableToCaller, lpTotalNumberOfBytes,
                                           lpTotalNumberOfFreeBytes);
            }
        }
    }
    free = std::min(free, total);
    if (lpFreeBytesAvailableToCaller != nullptr) {
        lpFreeBytesAvailableToCaller->QuadPart = free;
    }
    if (lpTotalNumberOfBytes != nullptr) {
        lpTotalNumberOfBytes->QuadPart = total;
    }
    if (lpTotalNumberOfFreeBytes != nullptr) {
        lpTotalNumberOfFreeBytes->QuadPart = free;
    }
    return TRUE;
}

BOOL CeGetVersionEx(LPOSVERSIONINFOW lpVersionInformation) {
    if (lpVersionInformation == nullptr ||
        lpVersionInformation->dwOSVersionInfoSize < sizeof(OSVERSIONINFOW)) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    DWORD major = ReadStateDword(device::kCEVersion, norvane::platform::kDefaultCeVersion);
    DWORD size = lpVersionInformation->dwOSVersionInfoSize;
    std::memset(reinterpret_cast<BYTE*>(lpVersionInformation) + sizeof(DWORD), 0, size - sizeof(DWORD));
    lpVersionInformation->dwMajorVersion = major;
    // Windows Mobile 5 runs CE 5.1, Windows Mobile 2003 CE 4.20.
    lpVersionInformation->dwMinorVersion = major == 4 ? 20 : (major == 5 ? 1 : 0);
    lpVersionInformation->dwBuildNumber = major == 4 ? 14053 : 14847;
    lpVersionInformation->dwPlatformId = VER_PLATFORM_WIN32_CE;
    return TRUE;
}
