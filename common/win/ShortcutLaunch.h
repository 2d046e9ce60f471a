// Launching a shortcut: theme packages, folders, meters, new items, special
// commands, control-panel applets, programs and documents. Every process starts
// through the device's execute facility and process call (CeShellExecuteEx,
// CeCreateProcess); the parts that belong to other capabilities (the meters,
// the status dialog, the special commands) come in through LaunchHooks.
#pragma once

#include "ShortcutTarget.h"

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace norvane {

class Settings;
class ShortcutRecord;

struct LaunchHooks {
    // The status kind bits of a meter definition (1 memory, 2 battery, 4 backup
    // battery, 8 main storage, 16 storage card). Empty: no kinds known.
    std::function<unsigned(const std::wstring& meterPath)> meterKinds;
    // The folder of a meter's storage-card element. Empty: the storage-card path
    // the settings hold for the meter, or an empty path.
    std::function<std::wstring(const std::wstring& meterPath)> meterStorageFolder;
    // The system status dialog, shown for a meter tap while MeterTap is 0.
    std::function<void(HWND owner)> showStatusDialog;
    // The special-command dispatcher: the name after "special:". False when the
    // command stopped early (a refused question, no phone number) or the window
    // it asked did not act.
    std::function<bool(const std::wstring& name, const ShortcutRecord& shortcut, HWND owner)> specialCommand;

    // Platform seams; empty means the device's own call. Tests fill them to see
    // what would be started.
    // CeCreateProcess(program, commandLine), handles closed at once.
    std::function<bool(const std::wstring& program, const std::wstring& commandLine)> startProcess;
    // CeShellExecuteEx with no verb, window or folder and show state 0.
    std::function<bool(const std::wstring& file, const std::wstring& parameters)> shellOpen;
    // Whether a device file exists (GetFileAttributes).
    std::function<bool(const std::wstring& path)> fileExists;
    // Shows the New menu's items at a screen point and returns the chosen index
    // (0-based) or -1. Empty: a pop-up menu tracked until the user chooses.
    std::function<int(const std::vector<std::wstring>& items, POINT at, HWND owner)> chooseFromMenu;
    // Creates a new item of a class. Empty: SHCreateNewItem(NULL, clsid) on a
    // short-lived thread of its own.
    std::function<bool(const ClassId& classId)> createNewItem;
};

inline constexpr wchar_t kControlPanelProgram[] = L"\\Windows\\ctlpnl.exe";
inline constexpr wchar_t kPowerProgram[] = L"\\Windows\\powerg.exe";
inline constexpr wchar_t kOldPowerProgram[] = L"\\Windows\\power.exe";
inline constexpr wchar_t kFileExplorer[] = L"\\windows\\fexplore.exe";
inline constexpr wchar_t kNewMenuKey[] = L"SOFTWARE\\Microsoft\\Shell\\Extensions\\NewMenu";
inline constexpr wchar_t kThemePathValue[] = L"ThemePath";
inline constexpr wchar_t kOptionsProgram[] = L"NorvaneOptions.exe";

// Launches the shortcut from owner (the item window, or the task manager's).
// settings gives PreferredFolderApp, FolderAppQuotes, MeterTap and the meters'
// storage-card paths; without it the defaults apply. True when something was
// started or handed on; false when nothing could be started. Never throws.
bool LaunchShortcut(const ShortcutRecord& shortcut, HWND owner, const Settings* settings,
                    const LaunchHooks& hooks = {});

// Control-panel applet index of file, with the power program in place of
// applet 3 of "cplmain.cpl" ("\Windows\powerg.exe", else "\Windows\power.exe").
// The status dialog's links use it too.
bool OpenControlPanelApplet(const ControlPanelTarget& applet, const LaunchHooks& hooks = {});

// Opens a folder with PreferredFolderApp (quoted when FolderAppQuotes is set),
// falling back to "\windows\fexplore.exe" with the plain path.
bool OpenFolder(const std::wstring& path, const Settings* settings, const LaunchHooks& hooks = {});

// The New menu's classes in enumeration order: subkey name and display name.
struct NewMenuEntry {
    std::wstring classId;
    std::wstring name;
};
std::vector<NewMenuEntry> ReadNewMenu(HKEY root = HKEY_LOCAL_MACHINE, const wchar_t* key = kNewMenuKey);

// Waits until the new-item threads started so far have finished (for an owner
// that is about to unload, and for tests). False when they are still running.
bool WaitForNewItemThreads(DWORD timeoutMs);

} // namespace norvane
