// Power management of the device: the power status read from the simulated
// device state, power notifications into message queues, and the routes by
// which reset and power-off requests reach the device shell.
//
// Desktop names with another meaning get the prefix "Ce": CeSetSystemPowerState,
// CeExitWindowsEx, CeKeybdEvent (for keybd_event with VK_OFF),
// CeGlobalMemoryStatus, CeGetDiskFreeSpaceEx, CeGetVersionEx.
#pragma once

#include <windows.h>

// Power notification kinds (pm.h).
#define PBT_TRANSITION 0x00000001
#define PBT_RESUME 0x00000002
#define PBT_POWERSTATUSCHANGE 0x00000004
#define PBT_POWERINFOCHANGE 0x00000008
#define POWER_NOTIFY_ALL 0xFFFFFFFF

// System power states (pm.h).
#define POWER_STATE_ON 0x00010000
#define POWER_STATE_OFF 0x00020000
#define POWER_STATE_CRITICAL 0x00040000
#define POWER_STATE_BOOT 0x00080000
#define POWER_STATE_IDLE 0x00100000
#define POWER_STATE_SUSPEND 0x00200000
#define POWER_STATE_UNATTENDED 0x00400000
#define POWER_STATE_RESET 0x00800000
#define POWER_STATE_USERIDLE 0x01000000
#define POWER_STATE_PASSWORD 0x10000000
#define POWER_FORCE 0x00001000

// Battery flags and status values.
#ifndef BATTERY_FLAG_HIGH
#define BATTERY_FLAG_HIGH 0x01
#endif
#ifndef BATTERY_FLAG_LOW
#define BATTERY_FLAG_LOW 0x02
#endif
#ifndef BATTERY_FLAG_CRITICAL
#define BATTERY_FLAG_CRITICAL 0x04
#endif
#ifndef BATTERY_FLAG_CHARGING
#define BATTERY_FLAG_CHARGING 0x08
#endif
#ifndef BATTERY_FLAG_NO_BATTERY
#define BATTERY_FLAG_NO_BATTERY 0x80
#endif
#ifndef BATTERY_FLAG_UNKNOWN
#define BATTERY_FLAG_UNKNOWN 0xFF
#endif
#ifndef BATTERY_PERCENTAGE_UNKNOWN
#define BATTERY_PERCENTAGE_UNKNOWN 0xFF
#endif
#ifndef BATTERY_LIFE_UNKNOWN
#define BATTERY_LIFE_UNKNOWN 0xFFFFFFFF
#endif
#ifndef AC_LINE_OFFLINE
#define AC_LINE_OFFLINE 0x00
#endif
#ifndef AC_LINE_ONLINE
#define AC_LINE_ONLINE 0x01
#endif
#ifndef AC_LINE_BACKUP_POWER
#define AC_LINE_BACKUP_POWER 0x02
#endif
#ifndef AC_LINE_UNKNOWN
#define AC_LINE_UNKNOWN 0xFF
#endif

// The key the device's power button sends, and keybd_event's "no click" flag.
#define VK_OFF 0xDF
#define KEYEVENTF_SILENT 0x00000004

typedef struct _POWER_BROADCAST {
    DWORD Message; // PBT_*
    DWORD Flags;   // system power state flags
    DWORD Length;  // bytes in SystemPowerState
    WCHAR SystemPowerState[1];
} POWER_BROADCAST, *PPOWER_BROADCAST;

// What SystemPowerState holds for PBT_POWERINFOCHANGE.
typedef struct _POWER_BROADCAST_POWER_INFO {
    DWORD dwNumLevels;
    DWORD dwBatteryLifeTime;
    DWORD dwBatteryFullLifeTime;
    DWORD dwBackupBatteryLifeTime;
    DWORD dwBackupBatteryFullLifeTime;
    BYTE bACLineStatus;
    BYTE bBatteryFlag;
    BYTE bBatteryLifePercent;
    BYTE bBackupBatteryFlag;
    BYTE bBackupBatteryLifePercent;
} POWER_BROADCAST_POWER_INFO, *PPOWER_BROADCAST_POWER_INFO;

// The device's layout, 56 bytes, no pointers: the same on every build.
typedef struct _SYSTEM_POWER_STATUS_EX2 {
    BYTE ACLineStatus;
    BYTE BatteryFlag;
    BYTE BatteryLifePercent;
    BYTE Reserved1;
    DWORD BatteryLifeTime;
    DWORD BatteryFullLifeTime;
    BYTE Reserved2;
    BYTE BackupBatteryFlag;
    BYTE BackupBatteryLifePercent;
    BYTE Reserved3;
    DWORD BackupBatteryLifeTime;
    DWORD BackupBatteryFullLifeTime;
    DWORD BatteryVoltage;
    DWORD BatteryCurrent;
    DWORD BatteryAverageCurrent;
    DWORD BatteryAverageInterval;
    DWORD BatterymAHourConsumed;
    DWORD BatteryTemperature;
    DWORD BackupBatteryVoltage;
    BYTE BatteryChemistry;
} SYSTEM_POWER_STATUS_EX2, *PSYSTEM_POWER_STATUS_EX2, *LPSYSTEM_POWER_STATUS_EX2;

static_assert(sizeof(SYSTEM_POWER_STATUS_EX2) == 56, "SYSTEM_POWER_STATUS_EX2 keeps the device's size");

// Copies up to dwLen bytes of the device's power status (read from the device
// state) and returns the number copied; 0 on failure. fUpdate is accepted for
// compatibility: the state is always read afresh.
DWORD GetSystemPowerStatusEx2(PSYSTEM_POWER_STATUS_EX2 pSystemPowerStatusEx2, DWORD dwLen, BOOL fUpdate);
// The same call under a prefixed name, for callers that keep "Ce" on every
// device call.
inline DWORD CeGetSystemPowerStatusEx2(PSYSTEM_POWER_STATUS_EX2 status, DWORD length, BOOL update) {
    return GetSystemPowerStatusEx2(status, length, update);
}

// Every change of the battery, backup battery or AC line in the device state
// (by any process) is written as one POWER_BROADCAST to each queue registered
// here with PBT_POWERINFOCHANGE. Either handle of a queue may be given. The
// registration ends with StopPowerNotifications or when that handle is closed
// with CloseMsgQueue. Returns NULL on failure. The watcher thread runs in the
// module that links the stand-in: end every registration before that module is
// unloaded (the Today item closes its queues at WM_DESTROY).
HANDLE RequestPowerNotifications(HANDLE hMsgQ, DWORD Flags);
BOOL StopPowerNotifications(HANDLE h);

// SetSystemPowerState: POWER_STATE_RESET (or the state name "reset") asks the
// device shell to reset, or, while no shell runs (early in a boot), the boot
// program through its reset request event; POWER_STATE_SUSPEND /
// POWER_STATE_OFF ("suspend", "off") to suspend. Returns ERROR_SUCCESS, or
// ERROR_SERVICE_NOT_ACTIVE when there is nobody to ask.
DWORD CeSetSystemPowerState(LPCWSTR pwsSystemState, DWORD StateFlags, DWORD Options);
// ExitWindowsEx: EWX_REBOOT (and EWX_POWEROFF, EWX_SHUTDOWN) reset the device
// through its shell; the host session is never touched.
BOOL CeExitWindowsEx(UINT uFlags, DWORD dwReserved);
// keybd_event: VK_OFF (223) pressed asks the shell to suspend; its release is
// swallowed. Other keys go to the desktop call without the device-only
// KEYEVENTF_SILENT flag.
void CeKeybdEvent(BYTE bVk, BYTE bScan, DWORD dwFlags, ULONG_PTR dwExtraInfo);

// GlobalMemoryStatus with the device's program memory (state values
// MemoryTotal and MemoryAvail); the figures stay within 32 bits.
void CeGlobalMemoryStatus(LPMEMORYSTATUS lpBuffer);
// "coredll.dll"'s GetSystemMemoryDivision: store and RAM pages of the device.
BOOL CeGetSystemMemoryDivision(LPDWORD lpdwStorePages, LPDWORD lpdwRamPages, LPDWORD lpdwPageSize);
// GetDiskFreeSpaceEx: "\" and every folder of the main store answer the
// object store's figures (StoreTotal, StoreFree); a storage card's folder
// answers its own. Fails with ERROR_PATH_NOT_FOUND for a folder that does not exist.
BOOL CeGetDiskFreeSpaceEx(LPCWSTR lpDirectoryName, PULARGE_INTEGER lpFreeBytesAvailableToCaller,
                          PULARGE_INTEGER lpTotalNumberOfBytes, PULARGE_INTEGER lpTotalNumberOfFreeBytes);
// GetVersionEx with the device's platform: CE major version from the state
// (4 or 5), dwPlatformId VER_PLATFORM_WIN32_CE.
#ifndef VER_PLATFORM_WIN32_CE
#define VER_PLATFORM_WIN32_CE 3
#endif
BOOL CeGetVersionEx(LPOSVERSIONINFOW lpVersionInformation);

namespace norvane::platform::detail {
// Called by CloseMsgQueue: a closed queue handle ends its registration.
void OnMsgQueueClosed(HANDLE queue);
} // namespace norvane::platform::detail
