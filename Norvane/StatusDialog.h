// The system status dialog (resource 130): battery, program memory and
// storage figures, read once when it opens, with links to the power and the
// memory pages of the control panel.
#pragma once

#include "ShortcutLaunch.h"

#include <windows.h>

#include <string>

namespace norvane {

inline constexpr int kStatusDialogId = 130;

// Control ids of dialog 130.
namespace statusdialog {
inline constexpr int kBatteryLabel = 1001;
inline constexpr int kProgramLabel = 1002;
inline constexpr int kProgramFreeLabel = 1003;
inline constexpr int kStorageLabel = 1004;
inline constexpr int kStorageFreeLabel = 1005;
inline constexpr int kBatteryValue = 1011;
inline constexpr int kProgramValue = 1012;
inline constexpr int kProgramFreeValue = 1013;
inline constexpr int kStorageValue = 1014;
inline constexpr int kStorageFreeValue = 1015;
inline constexpr int kPowerLink = 1021;
inline constexpr int kMemoryLink = 1022;
} // namespace statusdialog

struct StatusDialogValues {
    std::wstring battery;
    std::wstring programMemory;
    std::wstring programAvailable;
    std::wstring storage;
    std::wstring storageAvailable;
};

// The figures as the dialog shows them, read from the platform now.
StatusDialogValues ReadStatusDialogValues();

// Shows the dialog full screen until OK; the links start the control panel
// through the hooks (the device's process start when they have none).
void ShowStatusDialog(HWND owner, const LaunchHooks& hooks);
// The same dialog without its own message loop, for tests; it destroys
// itself on OK.
HWND CreateStatusDialog(HWND owner, const LaunchHooks& hooks);

} // namespace norvane
