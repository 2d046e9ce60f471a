// A small window base: binds the C++ object to its HWND at WM_NCCREATE and hands
// every message to the object's virtual handler. No exception leaves a handler.
#pragma once

#include <windows.h>

namespace norvane {

class WindowBase {
public:
    WindowBase() = default;
    WindowBase(const WindowBase&) = delete;
    WindowBase& operator=(const WindowBase&) = delete;
    virtual ~WindowBase();

    HWND Hwnd() const { return m_hwnd; }

    // The window procedure to register with a class whose windows are created
    // with this object as the creation parameter.
    static LRESULT CALLBACK StaticWindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

protected:
    virtual LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp);
    // Called after WM_NCDESTROY; the handle is already gone.
    virtual void OnFinalMessage() {}
    // Destroys the window if it still exists.
    void DestroyOwnWindow();

    HWND m_hwnd = nullptr;
};

} // namespace norvane
