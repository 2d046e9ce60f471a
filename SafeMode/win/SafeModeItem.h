// The Today item of a safe-mode start: the only item on the Today screen then.
// It says that the device is in safe mode, offers the way back ("Reset now?")
// and tells the service, through a named event, that it is there.
#pragma once

#include "TodayApi.h"

#include <windows.h>

#include <functional>
#include <string>

namespace norvane::safemode {

// The item's height at the given vertical dots per inch.
int SafeModeItemHeight(int dpiY);

class SafeModeItem {
public:
    SafeModeItem() = default;
    ~SafeModeItem();
    SafeModeItem(const SafeModeItem&) = delete;
    SafeModeItem& operator=(const SafeModeItem&) = delete;

    bool Create(HWND parent);
    HWND Hwnd() const { return m_hwnd; }
    // The title and the hint over the Today screen's background, into any DC.
    void Paint(HDC dc);

    // What asks "Reset now?" and restarts; tests answer for the user.
    std::function<int(HWND, const std::wstring&, const std::wstring&)> ask;
    std::function<void()> restart;

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    int DpiY() const;

    HWND m_hwnd = nullptr;
    HANDLE m_event = nullptr;
};

} // namespace norvane::safemode
