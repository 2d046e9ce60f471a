// The one window base of the device programs: binds the object to its HWND at
// WM_NCCREATE and hands every message to a virtual handler.
#pragma once

#include <windows.h>

#include <string>

namespace norvane::device {

class Window {
public:
    Window() = default;
    virtual ~Window();
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    HWND Hwnd() const { return m_hwnd; }

    // The last class registration or window creation of this thread that
    // failed: the call, the class and the system's error, for the device log.
    static std::wstring LastFailure();

protected:
    // Registers the class once per process (later calls are no-ops).
    static bool RegisterWindowClass(const wchar_t* className, UINT style, HBRUSH background,
                                    HICON icon = nullptr);
    bool CreateWindowFor(const wchar_t* className, const wchar_t* title, DWORD style, DWORD exStyle, int x,
                         int y, int width, int height, HWND parent);
    virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    // Called after WM_NCDESTROY; the object is no longer bound.
    virtual void OnDestroyed() {}

    HWND m_hwnd = nullptr;

private:
    static LRESULT CALLBACK StaticProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
};

} // namespace norvane::device
