// The device shell's change notifications (aygshell): file events on the device
// drive and media events when a storage card comes or goes, posted to the
// registered windows as WM_FILECHANGEINFO.
//
// The desktop's SHChangeNotifyRegister / SHChangeNotifyDeregister (shlobj.h) take
// PIDLs and other arguments, so the device calls carry the prefix "Ce":
// CeSHChangeNotifyRegister, CeSHChangeNotifyDeregister. SHChangeNotifyFree keeps
// its name. The SHCNE_* event values are the same on both.
#pragma once

#include <windows.h>
#include <shlobj.h>

#define WM_FILECHANGEINFO (WM_APP + 0x101)

// uFlags of FILECHANGEINFO: dwItem1 and dwItem2 are paths.
#ifndef SHCNF_PATH
#define SHCNF_PATH 0x0001
#endif

typedef struct _SHCHANGENOTIFYENTRY {
    DWORD dwEventMask;  // SHCNE_* events wanted (SHCNE_ALLEVENTS)
    LPWSTR pszWatchDir; // NULL: the whole device
    BOOL fRecursive;    // with pszWatchDir: also its subfolders
} SHCHANGENOTIFYENTRY, *LPSHCHANGENOTIFYENTRY;

// dwItem1 and dwItem2 hold pointers to device paths ("\My Documents\a.txt",
// "\Storage Card"); they are pointer-sized so that they can on every build.
typedef struct _FILECHANGEINFO {
    DWORD cbSize;
    LONG wEventId;     // one SHCNE_* event
    ULONG uFlags;      // SHCNF_PATH
    DWORD_PTR dwItem1; // LPCWSTR: the item (the old name of a rename)
    DWORD_PTR dwItem2; // LPCWSTR: the new name of a rename, else 0
    DWORD dwAttributes;
    FILETIME ftModified;
    ULONG nFileSize;
} FILECHANGEINFO, *LPFILECHANGEINFO;

// The lParam of WM_FILECHANGEINFO. The receiver releases it with SHChangeNotifyFree.
typedef struct _FILECHANGENOTIFY {
    DWORD dwRefCount;
    FILECHANGEINFO fci;
} FILECHANGENOTIFY, *LPFILECHANGENOTIFY;

// Registers hwnd for the events of pshcne (one registration per window; a new
// one replaces the old). Events: SHCNE_CREATE, DELETE, MKDIR, RMDIR, UPDATEDIR
// (a folder's contents changed), UPDATEITEM (a file was written), RENAMEITEM,
// RENAMEFOLDER, MEDIAINSERTED / DRIVEADD and MEDIAREMOVED / DRIVEREMOVED.
BOOL CeSHChangeNotifyRegister(HWND hwnd, LPSHCHANGENOTIFYENTRY pshcne);
// Deregister every window before the module that links the stand-in is
// unloaded: the watcher thread runs in that module and ends with the last
// registration.
BOOL CeSHChangeNotifyDeregister(HWND hwnd);
void SHChangeNotifyFree(LPFILECHANGENOTIFY pfcn);
