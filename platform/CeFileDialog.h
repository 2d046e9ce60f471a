// The device's file dialogs (GetOpenFileName, GetSaveFileName): full-screen
// dialogs below the task bar with the current folder, a list of its
// sub-folders and of the files that match the chosen type, a type list, a name
// field when saving, and "OK" and "Cancel" on the soft keys. Paths are device
// paths ("\My Documents\Norvane.ini"). The desktop dialogs of the same names
// are far wider than a device's screen, so the calls carry the prefix "Ce".
//
// Used from OPENFILENAMEW: hwndOwner, lpstrFilter (pairs, double-null ended),
// nFilterIndex (1-based, in and out), lpstrFile / nMaxFile (the proposed name
// in, the chosen path out), lpstrInitialDir, lpstrTitle, lpstrDefExt, and the
// flags OFN_OVERWRITEPROMPT and OFN_FILEMUSTEXIST.
#pragma once

#include <windows.h>
#include <commdlg.h>

BOOL CeGetOpenFileName(LPOPENFILENAMEW ofn);
BOOL CeGetSaveFileName(LPOPENFILENAMEW ofn);

namespace norvane::platform {

// The dialog's controls, for tests and the control tool.
inline constexpr int kFileDialogName = 0x4F01;
inline constexpr int kFileDialogFolder = 0x4F02;
inline constexpr int kFileDialogUp = 0x4F03;
inline constexpr int kFileDialogList = 0x4F04;
inline constexpr int kFileDialogType = 0x4F05;

} // namespace norvane::platform
