// What the parts of the device shell ask of the shell that owns them. Each part
// knows the others only through this narrow interface.
#pragma once

#include <windows.h>

namespace norvane::device {

class Theme;

class ShellHost {
public:
    virtual ~ShellHost() = default;
    virtual const Theme& GetTheme() const = 0;
    virtual HWND TodayWindow() const = 0;
    // Brings the Today screen to the front.
    virtual void ShowToday() = 0;
    // The corner button's action on the foreground program ("X" or "ok").
    virtual void CornerButtonAction() = 0;
    // A hardware button (hot key id) was pressed.
    virtual void OnHotKey(int id) = 0;
    // Registered device messages that reached the Today window.
    virtual void OnReset() = 0;
    virtual void OnPowerOff() = 0;
    virtual void OnShutdown() = 0;
    // The screen size changed (rotation).
    virtual void OnDisplayChange() = 0;
    // A program changed the display orientation (DMDO_* value): turn the
    // screen. False when it could not be turned.
    virtual bool OnRotate(DWORD orientation) = 0;
    // True when the message being handled did not come straight from the
    // shell's own loop but through a loop nested inside one of its dispatches
    // (a menu an item tracks, a message box it shows), or from a call made
    // there: the code of that loop must stay loaded until it returns.
    virtual bool InNestedLoop(HWND hwnd, UINT message, WPARAM wParam) const = 0;
};

} // namespace norvane::device
