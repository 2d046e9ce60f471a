// Tap-and-hold recognition of the device shell (aygshell's SHRecognizeGesture).
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <functional>

#define SHRG_RETURNCMD 0x00000001
#define SHRG_NOTIFYPARENT 0x00000002
#define SHRG_LONGDELAY 0x00000008
#define SHRG_NOANIMATION 0x00000010

#define GN_CONTEXTMENU 1000

typedef struct tagSHRGI {
    DWORD cbSize;
    HWND hwndClient;
    POINT ptDown; // client coordinates of hwndClient
    DWORD dwFlags;
} SHRGINFO, *PSHRGINFO;

// Called from WM_LBUTTONDOWN. Returns GN_CONTEXTMENU when the stylus stays
// down and still for the hold time (red dots grow around ptDown meanwhile,
// unless SHRG_NOANIMATION), and 0 as soon as it lifts or moves further than a
// few pixels. The stylus is followed with GetAsyncKeyState and GetCursorPos,
// because the capture may belong to another window; nothing is taken out of
// the message queue, so WM_MOUSEMOVE and WM_LBUTTONUP still arrive when the
// answer is 0. The movement is measured from where the stylus is when the call
// starts, not from ptDown (callers may pass a shifted point).
DWORD SHRecognizeGesture(SHRGINFO* shrg);

// The notification a control sends its parent on the device when the stylus is
// held on it: WM_NOTIFY with hdr.code GN_CONTEXTMENU and this record.
typedef struct tagNMRGINFO {
    NMHDR hdr;
    POINT ptAction;   // screen coordinates of the press
    DWORD dwItemSpec; // list views: the item under the press, or (DWORD)-1
} NMRGINFO, *PNMRGINFO;

// Gives a desktop control (a list view, a tree view) the device's tap-and-hold:
// a held stylus sends WM_NOTIFY GN_CONTEXTMENU with NMRGINFO to its parent and
// the press goes no further; a tap or drag reaches the control as usual. The
// device's own controls do this by themselves; here it is switched on per
// control. The subclass removes itself when the control is destroyed.
BOOL CeEnableTapAndHold(HWND control);

namespace norvane::platform {

// The hold time and the movement allowed, in milliseconds and pixels.
inline constexpr DWORD kGestureHoldMs = 500;
inline constexpr DWORD kGestureLongHoldMs = 1000;
int GestureTolerancePixels();

// Where SHRecognizeGesture reads the stylus. Tests and the control tool's
// recorder give their own; an empty function restores the real stylus.
struct StylusSample {
    bool down = false;
    POINT position{}; // screen coordinates
};
void SetStylusSource(std::function<StylusSample()> source);
StylusSample ReadRealStylus();

} // namespace norvane::platform
