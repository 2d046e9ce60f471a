// Folder listings as the device shows them.
//
// The device's one volume is the Wine prefix's C: drive. Its root also holds
// the folders Wine itself needs ("users", "ProgramData", "Program Files (x86)")
// and spells the system folder "windows", in which Wine keeps folders of its
// own ("system32", "winsxs", ...). CeFindFirstFile and CeFindNextFile list a
// folder as FindFirstFileW and FindNextFileW do, device paths ("\x") taken on
// C:, but in the device root and in \Windows they leave Wine's own folders out,
// and they name the system folder "Windows", as a Pocket PC reads. The folders
// stay where they are for Wine. Close the handle with FindClose.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

HANDLE CeFindFirstFile(LPCWSTR lpFileName, LPWIN32_FIND_DATAW lpFindFileData);
BOOL CeFindNextFile(HANDLE hFindFile, LPWIN32_FIND_DATAW lpFindFileData);

namespace norvane::platform {
// Whether a folder at the device root, or in \Windows, belongs to Wine, not to the device.
bool IsHostOnlyRootFolder(std::wstring_view name);
bool IsHostOnlyWindowsFolder(std::wstring_view name);
// The name a root entry shows on the device ("windows" is "Windows").
std::wstring DeviceRootEntryName(std::wstring_view name);
} // namespace norvane::platform
