// The simulated device's state as the stand-in sees it: the registry keys the
// control tool writes (battery, memory, storage, cards, version, orientation),
// the names of the shell's windows and objects, and the mapping between device
// paths ("\Windows\x.exe") and the host drive the device lives on (C:).
//
// Tests move every one of these to names of their own (SetDeviceStateKeys,
// SetDeviceNameSuffix), so that they never meet a running device shell that
// shares the same Wine session.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

namespace norvane::platform {

// Keys under HKEY_LOCAL_MACHINE; by default DeviceContract.h's kStateKey and kCardsKey.
void SetDeviceStateKeys(std::wstring_view stateKey, std::wstring_view cardsKey);
std::wstring DeviceStateKey();
std::wstring DeviceCardsKey();

// Suffix appended to the shell's window classes, ready event and registered
// messages that the stand-in looks for. Empty on a device.
void SetDeviceNameSuffix(std::wstring_view suffix);
std::wstring TodayClassName();
std::wstring TaskBarClassName();
std::wstring MenuBarClassName();
std::wstring SipPreferenceMessageName();
std::wstring ShellReadyEventName();
std::wstring ResetMessageName();
std::wstring PowerOffMessageName();
std::wstring SmartMinimizeMessageName();
std::wstring RotateMessageName();
std::wstring ResetRequestEventName();
std::wstring ServicesWindowClassName();

// Values of the state key; the fallback when the value is missing or of another type.
DWORD ReadStateDword(const wchar_t* name, DWORD fallback);
ULONGLONG ReadStateQword(const wchar_t* name, ULONGLONG fallback);
bool WriteStateDword(const wchar_t* name, DWORD value);
bool WriteStateQword(const wchar_t* name, ULONGLONG value);

// One storage card as the Cards key describes it.
struct CardState {
    std::wstring name; // root folder name, "Storage Card"
    bool present = false;
    ULONGLONG totalBytes = 0; // 0 when the key does not say
    ULONGLONG freeBytes = 0;
    bool hasFigures = false;
};
std::vector<CardState> ReadCardStates();
bool WriteCardState(const CardState& card);

// Figures of the simulated device when the state key has none.
inline constexpr DWORD kDefaultCeVersion = 5;
inline constexpr ULONGLONG kDefaultMemoryTotal = 64ull * 1024 * 1024;
inline constexpr ULONGLONG kDefaultMemoryAvail = 40ull * 1024 * 1024;
inline constexpr ULONGLONG kDefaultStoreTotal = 128ull * 1024 * 1024;
inline constexpr ULONGLONG kDefaultStoreFree = 96ull * 1024 * 1024;
inline constexpr DWORD kDevicePageSize = 4096;

// Device paths. "\x" becomes "C:\x"; paths with a drive or a UNC prefix and
// relative paths are left as they are.
std::wstring ToHostPath(std::wstring_view devicePath);
// "C:\x" (any case) becomes "\x"; other paths are left as they are.
std::wstring ToDevicePath(std::wstring_view hostPath);
// A program or document named without a folder ("tmail.exe", "tmail") is looked
// for in \Windows, as the device's shell does. Returns the host path, or empty.
std::wstring FindInWindowsFolder(std::wstring_view bareName);
bool HostFileExists(const std::wstring& hostPath);
bool HostFolderExists(const std::wstring& hostPath);

} // namespace norvane::platform
