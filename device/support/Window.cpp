#include "Window.h"

#include "DeviceSupport.h"

namespace norvane::device {

namespace {
// Each UI thread keeps its own; the shell has one.
thread_local std::wstring t_lastFailure;

void NoteFailure(const wchar_t* call, const wchar_t* className) {
    const DWORD error = GetLastError();
    t_lastFailure = std::wstring(call) + L"(" + className + L") failed with " + DescribeError(error);
}
} // namespace

std::wstring Window::LastFailure() {
    return t_lastFailure;
}

Window::~Window() {
    if (m_hwnd) {
        SetWindowLongPtrW(m_hwnd, GWLP_USERDATA, 0);
        DestroyWindow(m_hwnd);
    }
}

bool Window::RegisterWindowClass(const wchar_t* className, UINT style, HBRUSH background, HICON icon) {
    WNDCLASSEXW wc{};
    if (GetClassInfoExW(GetModuleHandleW(nullptr), className, &wc))
        return true;
    wc.cbSize = sizeof wc;
    wc.style = style;
    wc.lpfnWndProc = StaticProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = background;
    wc.hIcon = icon;
    wc.lpszClassName = className;
    if (RegisterClassExW(&wc))
        return true;
    NoteFailure(L"RegisterClassExW", className);
    return false;
}

bool Window::CreateWindowFor(const wchar_t* className, const wchar_t* title, DWORD style, DWORD exStyle,
                             int x, int y, int width, int height, HWND parent) {
    if (CreateWindowExW(exStyle, className, title, style, x, y, width, height, parent, nullptr,
                        GetModuleHandleW(nullptr), this))
        return true;
    NoteFailure(L"CreateWindowExW", className);
    return false;
}

LRESULT Window::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcW(m_hwnd, message, wParam, lParam);
}

LRESULT CALLBACK Window::StaticProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    Window* self = nullptr;
    if (message == WM_NCCREATE) {
        self = static_cast<Window*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->m_hwnd = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    } else {
        self = reinterpret_cast<Window*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    }
    if (!self)
        return DefWindowProcW(hwnd, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        LRESULT result = self->HandleMessage(message, wParam, lParam);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        self->m_hwnd = nullptr;
        self->OnDestroyed();
        return result;
    }
    return self->HandleMessage(message, wParam, lParam);
}

} // namespace norvane::device
