// Soft-key menu bars of applications (SHCreateMenuBar).
//
// nToolBarId names a plain MENU resource of hInstRes: each top-level item is a
// soft key. With SHCMBF_HMENU it is a menu handle instead, which the bar takes
// over and destroys with itself. A key without a popup sends WM_COMMAND with its id to hwndParent;
// a key with a popup opens it above the key and sends the chosen command. The
// bar is a window of the calling program, owned by hwndParent, lying over the
// device's menu bar (the bottom SM_CYMENU pixels of the screen) while its owner
// is shown; it goes away with its owner.
#pragma once

#include <windows.h>

#define SHCMBF_EMPTYBAR 0x0001
#define SHCMBF_HIDDEN 0x0002
#define SHCMBF_HIDESIPBUTTON 0x0004
#define SHCMBF_COLORBK 0x0008
#define SHCMBF_HMENU 0x0010

typedef struct tagSHMENUBARINFO {
    DWORD cbSize;
    HWND hwndParent;
    DWORD dwFlags;
    UINT nToolBarId;
    HINSTANCE hInstRes;
    int nBmpId;
    int cBmpImages;
    HWND hwndMB; // out: the bar
    COLORREF clrBk;
} SHMENUBARINFO, *PSHMENUBARINFO;

// Messages to the bar: the soft keys' menu (SHCMBM_GETMENU) and the popup of
// the key at the position (or with the command id) in lParam (SHCMBM_GETSUBMENU).
#define SHCMBM_SETSUBMENU (WM_USER + 400)
#define SHCMBM_GETSUBMENU (WM_USER + 401)
#define SHCMBM_GETMENU (WM_USER + 402)

BOOL SHCreateMenuBar(SHMENUBARINFO* pmbi);
