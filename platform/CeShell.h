// The shell's meanings on the device, where desktop Win32 has a call of the same
// name that means something else, and the small shell services of aygshell that
// the desktop lacks. Calls whose SDK name clashes with a desktop export carry the
// prefix "Ce" (CeGetDesktopWindow for GetDesktopWindow, and so on); the others
// keep the SDK name.
#pragma once

#include <windows.h>
#include <shellapi.h>

// IsAPIReady ids (the kernel's API set handles).
#ifndef SH_GDI
#define SH_WIN32 0
#define SH_CURTHREAD 1
#define SH_CURPROC 2
#define SH_GDI 16
#define SH_WMGR 17
#define SH_WNET 18
#define SH_COMM 19
#define SH_FILESYS_APIS 20
#define SH_SHELL 21
#define SH_DEVMGR_APIS 22
#define SH_TAPI 23
#define SH_PATCHER 24
#define SH_SERVICES 26
#endif

// Display rotation as the device defines it: DMDO_270 is 4 there (3 on desktop),
// and the orientation fields have their own bits.
#ifndef DMDO_0
#define DMDO_0 0
#endif
#undef DMDO_270
#define DMDO_270 4
#ifndef DM_DISPLAYQUERYORIENTATION
#define DM_DISPLAYQUERYORIENTATION 0x01000000L
#endif
// The device's DM_DISPLAYORIENTATION bit; the desktop one (0x80) is accepted too.
#define DM_DISPLAYORIENTATION_CE 0x00800000L

// True once the given API set can be called. SH_SHELL turns true when the device
// shell has signalled its ready event; every other set is always ready.
BOOL IsAPIReady(DWORD hAPI);

// GetDesktopWindow: on the device the desktop window is the Today screen. NULL
// while the shell has no Today window (never Wine's root window).
HWND CeGetDesktopWindow();

// GetStockObject: SYSTEM_FONT answers the device's system font (Tahoma, 12 px at
// 96 dpi, scaled with the screen's dots per inch), so that GetObject on it gives
// the device's LOGFONT. Every other object is the desktop's.
HGDIOBJ CeGetStockObject(int object);
// The same description directly.
BOOL CeGetSystemFont(LOGFONTW* font);

// SHSetNavBarText: the task bar shows pszTitle instead of hwnd's title; NULL or
// "" drops the override. Sent to "HHTaskBar" as WM_COPYDATA (kCopyDataNavBarText,
// wParam = hwnd, the UTF-16 text with its terminator).
BOOL SHSetNavBarText(HWND hwnd, LPCWSTR pszTitle);

// Shell_NotifyIcon: routed to "HHTaskBar" as WM_COPYDATA (kCopyDataNotifyIcon,
// NotifyIconRecord). Any non-zero uCallbackMessage is kept, with or without
// NIF_MESSAGE. TRUE when the task bar exists and answers non-zero.
BOOL CeShell_NotifyIcon(DWORD dwMessage, PNOTIFYICONDATAW lpData);

// SHGetSpecialFolderPath with the device's folders, as device paths:
// CSIDL_PERSONAL "\My Documents", CSIDL_STARTMENU "\Windows\Start Menu",
// CSIDL_PROGRAMS "\Windows\Start Menu\Programs", CSIDL_STARTUP "\Windows\StartUp",
// CSIDL_PROGRAM_FILES "\Program Files", CSIDL_WINDOWS "\Windows",
// CSIDL_FONTS "\Windows\Fonts", CSIDL_DESKTOPDIRECTORY "\Windows\Desktop",
// CSIDL_FAVORITES "\Windows\Favorites", CSIDL_RECENT "\Windows\Recent",
// CSIDL_APPDATA "\Application Data". lpszPath holds MAX_PATH characters.
BOOL CeSHGetSpecialFolderPath(HWND hwndOwner, LPWSTR lpszPath, int nFolder, BOOL fCreate);
// The documents folder of a volume: "\My Documents" for the root volume "\",
// the volume's own root for a storage card. pszDocs holds MAX_PATH characters.
BOOL SHGetDocumentsFolder(LPCWSTR pszVolume, LPWSTR pszDocs);

// Loads a bitmap file (device or host path) as a DIB section; NULL on failure.
HBITMAP SHLoadDIBitmap(LPCWSTR szFileName);

// Opens the new-item form of a class: starts the device's form program
// (norvane::device::kNewItemProgram) with the class id in registry form as its
// argument; without that program the request is logged to the device log.
HRESULT SHCreateNewItem(HWND hwndOwner, REFCLSID clsid);

// RegDeleteKey as the device does it: the key goes with all its subkeys.
LONG CeRegDeleteKey(HKEY hKey, LPCWSTR lpSubKey);

// ChangeDisplaySettingsEx for rotation. CDS_TEST with DM_DISPLAYORIENTATION
// fills dmDisplayOrientation from the device state (DM_DISPLAYQUERYORIENTATION
// fills it with the supported set, DMDO_0|90|180|270). Without CDS_TEST the
// orientation DMDO_0, DMDO_90, DMDO_180 or DMDO_270 (4) is stored in the device
// state and sent to the shell (kRotateMessage), which turns the screen before the
// call returns; DISP_CHANGE_FAILED (and the old orientation kept) when it does
// not. Without a shell it waits in the state for the next boot. Other requests
// go to the desktop call.
LONG CeChangeDisplaySettingsEx(LPCWSTR lpszDeviceName, LPDEVMODEW lpDevMode, HWND hwnd, DWORD dwflags,
                               LPVOID lParam);

// Full-screen dialogs (SHInitDialog). SHIDIF_SIZEDLGFULLSCREEN gives a top-level
// dialog the area between the task bar and the menu bar (the whole height below
// the task bar with SHIDIF_FULLSCREENNOMENUBAR) and drops its caption and frame,
// since the task bar shows the title; a child dialog (a property page) is left
// to its parent. SHIDIF_DONEBUTTON marks the dialog's top-level window with
// WS_EX_CAPTIONOKBTN, so the task bar shows "ok" and sends IDOK. SHIDIF_SIPDOWN
// lowers the input panel.
#define SHIDIM_FLAGS 0x0001
#define SHIDIF_DONEBUTTON 0x0001
#define SHIDIF_SIPDOWN 0x0008
#define SHIDIF_SIZEDLG 0x0010
#define SHIDIF_SIZEDLGFULLSCREEN 0x0020
#define SHIDIF_FULLSCREENNOMENUBAR 0x0080
#define SHIDIF_EMPTYMENU 0x0100
#define WS_EX_CAPTIONOKBTN 0x80000000L

typedef struct tagSHINITDLGINFO {
    DWORD dwMask;
    HWND hDlg;
    DWORD dwFlags;
} SHINITDLGINFO, *PSHINITDLGINFO;

BOOL SHInitDialog(PSHINITDLGINFO pshidi);
// Whether a window carries the OK caption button: the extended style bit, or the
// window property "NorvaneCaptionOkButton" where the window system drops that bit.
BOOL CeHasCaptionOkButton(HWND hwnd);

// The input panel (SHSipPreference): posts the device shell's registered message
// kSipPreferenceMessage to its menu bar (wParam = state, lParam = hwnd). FALSE
// when there is no menu bar.
typedef enum tagSIPSTATE { SIP_UP = 0, SIP_DOWN, SIP_FORCEDOWN, SIP_UNCHANGED, SIP_INPUTDIALOG } SIPSTATE;
BOOL SHSipPreference(HWND hwnd, SIPSTATE st);
