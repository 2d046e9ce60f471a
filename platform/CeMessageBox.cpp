// Message boxes fitted to the device's screen.
#include "CeMessageBox.h"

#include <algorithm>
#include <vector>

namespace norvane::platform {

namespace {
// The message box's own controls.
constexpr int kTextId = 0xFFFF;

thread_local HHOOK t_hook = nullptr;
thread_local bool t_fitted = false;

RECT ChildRect(HWND parent, HWND child) {
    RECT r;
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

// After the box has laid itself out (its WM_INITDIALOG has returned) and before
// it shows.
LRESULT CALLBACK FitHook(int code, WPARAM wp, LPARAM lp) {
    const auto* call = reinterpret_cast<const CWPRETSTRUCT*>(lp);
    if (code == HC_ACTION && call && call->message == WM_INITDIALOG && !t_fitted) {
        wchar_t cls[16] = {};
        GetClassNameW(call->hwnd, cls, 16);
        if (wcscmp(cls, L"#32770") == 0) {
            t_fitted = true;
            FitMessageBoxToScreen(call->hwnd, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
        }
    }
    return CallNextHookEx(t_hook, code, wp, lp);
}
} // namespace

void FitMessageBoxToScreen(HWND box, int screenWidth, int screenHeight) {
    RECT window;
    GetWindowRect(box, &window);
    RECT client;
    GetClientRect(box, &client);
    int width = window.right - window.left;
    int height = window.bottom - window.top;
    HWND text = GetDlgItem(box, kTextId);
    if (width > screenWidth && text) {
        // Wrap the text in the room that is left and move the buttons under it.
        const int shrink = width - screenWidth;
        RECT textRect = ChildRect(box, text);
        const int textWidth = std::max<int>(1, (textRect.right - textRect.left) - shrink);
        std::vector<wchar_t> buffer(static_cast<size_t>(GetWindowTextLengthW(text)) + 1, L'\0');
        GetWindowTextW(text, buffer.data(), static_cast<int>(buffer.size()));
        HDC dc = GetDC(text);
        HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(text, WM_GETFONT, 0, 0)));
        RECT measure = {0, 0, textWidth, 0};
        DrawTextW(dc, buffer.data(), -1, &measure, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX | DT_EDITCONTROL);
        SelectObject(dc, old);
        ReleaseDC(text, dc);
        const int textHeight = std::max<int>(measure.bottom, textRect.bottom - textRect.top);
        const int grow = textHeight - (textRect.bottom - textRect.top);
        SetWindowPos(text, nullptr, textRect.left, textRect.top, textWidth, textHeight,
                     SWP_NOZORDER | SWP_NOACTIVATE);
        const int clientWidth = (client.right - client.left) - shrink;
        // The buttons: one row, centred anew, below the grown text.
        std::vector<HWND> buttons;
        for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
            wchar_t cls[16] = {};
            GetClassNameW(child, cls, 16);
            if (_wcsicmp(cls, L"Button") == 0 && (GetWindowLongW(child, GWL_STYLE) & WS_VISIBLE)) {
                buttons.push_back(child);
            }
        }
        if (!buttons.empty()) {
            int left = INT_MAX;
            int right = INT_MIN;
            for (HWND button : buttons) {
                RECT r = ChildRect(box, button);
                left = std::min<int>(left, r.left);
                right = std::max<int>(right, r.right);
            }
            int dx = std::max(0, (clientWidth - (right - left)) / 2) - left;
            for (HWND button : buttons) {
                RECT r = ChildRect(box, button);
                SetWindowPos(button, nullptr, r.left + dx, r.top + grow, 0, 0,
                             SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
            }
        }
        width = screenWidth;
        height += grow;
    }
    width = std::min(width, screenWidth);
    height = std::min(height, screenHeight);
    int x = std::clamp<int>(window.left, 0, screenWidth - width);
    int y = std::clamp<int>(window.top, 0, screenHeight - height);
    if (x == window.left && y == window.top && width == window.right - window.left &&
        height == window.bottom - window.top) {
        return;
    }
    // Centred across the screen when it had to shrink or move.
    x = (screenWidth - width) / 2;
    SetWindowPos(box, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

} // namespace norvane::platform

int CeMessageBox(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type) {
    using namespace norvane::platform;
    // One hook per message box; a box opened from inside another box gets its own.
    HHOOK previousHook = t_hook;
    bool previousFitted = t_fitted;
    t_hook = SetWindowsHookExW(WH_CALLWNDPROCRET, FitHook, nullptr, GetCurrentThreadId());
    t_fitted = false;
    int answer = MessageBoxW(owner, text, caption, type);
    if (t_hook) {
        UnhookWindowsHookEx(t_hook);
    }
    t_hook = previousHook;
    t_fitted = previousFitted;
    return answer;
}
