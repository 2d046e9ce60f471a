// The bar at the bottom of the screen that the service shows while the device
// starts: "Tap here to reset in safe mode." on a normal start, the safe-mode
// texts otherwise. It keeps itself in front, lays a cover window over every
// program that comes up on top of it, enters safe mode on a tap or Return (or
// at once, automatically) and goes away 1.5 s after the shell is ready.
#pragma once

#include "SafeModeStart.h"
#include "SafeModeSwitch.h"

#include <windows.h>

#include <map>
#include <string>

namespace norvane::safemode {

inline constexpr wchar_t kBarClassName[] = L"NorvaneSafeModeBar";

// Messages the bar posts to itself, and the one a cover window posts to it.
inline constexpr UINT kBringToFrontMessage = 0x8001;
inline constexpr UINT kCoverTappedMessage = 0x8002;
inline constexpr UINT_PTR kWatchTimer = 1;
inline constexpr UINT_PTR kLeaveTimer = 2;
inline constexpr UINT kWatchMs = 200;
inline constexpr UINT kLeaveMs = 1500;

// The colours and the text of the bar and of its covers, into any DC.
void PaintBar(HDC dc, const RECT& client, const std::wstring& text, HFONT font);

// What asks the device to restart; the service asks the shell and the power
// manager, tests count the calls.
struct RestartRequest {
    virtual ~RestartRequest() = default;
    virtual void Restart() = 0;
};

class SafeModeBar {
public:
    SafeModeBar(SafeModeSwitch& safeModeSwitch, HKEY machine, const StartDecision& decision,
                RestartRequest& restart);
    ~SafeModeBar();
    SafeModeBar(const SafeModeBar&) = delete;
    SafeModeBar& operator=(const SafeModeBar&) = delete;

    // Creates the window at the bottom of the screen, shown when the bar is
    // meant to be seen, and enters safe mode at once when that was decided.
    bool Create();
    HWND Hwnd() const { return m_hwnd; }
    // Until the window is gone.
    void RunMessageLoop();

    // manual = 1, automatic = 2. Ignored while safe mode is being entered and
    // on a safe-mode start.
    void EnterSafeMode(DWORD mode);
    std::wstring Text() const;
    DWORD EnteringMode() const { return m_entering; }
    size_t CoverCount() const { return m_covers.size(); }

private:
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    static bool RegisterClasses();
    static LRESULT CALLBACK CoverProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    static BOOL CALLBACK CoverEach(HWND window, LPARAM self);
    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    bool Visible() const { return m_decision.autoSafeMode || m_decision.showPrompt; }
    void BringToFront();
    void CoverWindows();
    void CoverOne(HWND window);
    void DestroyCovers();
    bool ShellIsUp() const;
    void Paint(HDC dc);

    SafeModeSwitch& m_switch;
    HKEY m_machine;
    StartDecision m_decision;
    RestartRequest& m_restart;
    HWND m_hwnd = nullptr;
    HFONT m_font = nullptr;
    DWORD m_entering = 0;
    bool m_coverTapped = false;
    int m_frontRetries = 0;
    std::map<HWND, HWND> m_covers; // top-level window -> our cover in it
};

} // namespace norvane::safemode
