// Smart minimize through the device shell's task bar.
#include "CeWindow.h"

#include "DeviceState.h"

namespace {

constexpr UINT kSmartMinimizeTimeoutMs = 2000;

} // namespace

BOOL CeShowWindow(HWND hWnd, int nCmdShow) {
    const bool minimize =
        nCmdShow == SW_MINIMIZE || nCmdShow == SW_SHOWMINIMIZED || nCmdShow == SW_SHOWMINNOACTIVE;
    if (!minimize || !hWnd) {
        return ShowWindow(hWnd, nCmdShow);
    }
    const BOOL wasVisible = IsWindowVisible(hWnd);
    HWND taskBar = FindWindowW(norvane::platform::TaskBarClassName().c_str(), nullptr);
    const UINT message = RegisterWindowMessageW(norvane::platform::SmartMinimizeMessageName().c_str());
    DWORD_PTR handled = 0;
    if (taskBar && message &&
        SendMessageTimeoutW(taskBar, message, reinterpret_cast<WPARAM>(hWnd), 0, SMTO_ABORTIFHUNG,
                            kSmartMinimizeTimeoutMs, &handled) &&
        handled != 0) {
        return wasVisible;
    }
    ShowWindow(hWnd, nCmdShow);
    return wasVisible;
}
