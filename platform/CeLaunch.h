// Starting programs and opening files the way the device's shell does: CE
// shortcut files (text, "NN#target args"), device paths without a drive, bare
// program names found in \Windows, programs started shown with C:\ (the device
// root) as their current folder. Also the icon of such a file.
//
// The desktop calls of the same names mean something else, so these carry the
// prefix "Ce": CeShellExecuteEx, CeCreateProcess, CeSHGetFileInfo.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <string>

// ShellExecuteEx: lpFile may be a CE shortcut (its target is opened, its
// arguments come before lpParameters), a device path, a host path or a bare name
// looked for in \Windows. Programs start directly; folders open in the device's
// file explorer ("\Windows\fexplore.exe") when it exists; documents open
// through the prefix's associations. nShow 0 (SW_HIDE) means shown, as on the
// device. With SEE_MASK_NOCLOSEPROCESS, hProcess is the program's process.
BOOL CeShellExecuteEx(LPSHELLEXECUTEINFOW lpExecInfo);

// CreateProcess as the device has it: pszCmdLine holds the arguments only. The
// program (device path, host path or bare name in \Windows) is put in front of
// them in quotes; the process starts in C:\ (or pszCurDir, mapped). Every other
// parameter is the desktop's.
BOOL CeCreateProcess(LPCWSTR pszImageName, LPCWSTR pszCmdLine, LPSECURITY_ATTRIBUTES psaProcess,
                     LPSECURITY_ATTRIBUTES psaThread, BOOL fInheritHandles, DWORD fdwCreate,
                     LPVOID pvEnvironment, LPCWSTR pszCurDir, LPSTARTUPINFOW psiStartInfo,
                     LPPROCESS_INFORMATION pProcInfo);

// SHGetFileInfo for device paths: a CE shortcut answers its target's icon, "\"
// the device root's. The caller owns hIcon, as with the desktop call.
DWORD_PTR CeSHGetFileInfo(LPCWSTR pszPath, DWORD dwFileAttributes, SHFILEINFOW* psfi, UINT cbFileInfo,
                          UINT uFlags);

namespace norvane::platform {

// What opening a file comes down to: a host path and the arguments for it.
struct LaunchTarget {
    std::wstring hostPath;
    std::wstring arguments;
};

// Resolves lpFile-like text: device path, bare name, CE shortcut (followed
// through up to four shortcuts that name shortcuts). Parameters are appended to
// the shortcut's own arguments.
LaunchTarget ResolveLaunchTarget(const std::wstring& file, const std::wstring& parameters);

} // namespace norvane::platform
