// The task bar at the top of the screen ("HHTaskBar"): the start flag with its
// Start menu, the foreground program's title, the notification icons, the clock
// and the corner button ("X" smart-minimizes, "ok" sends IDOK).
#pragma once

#include "Window.h"

#include <map>
#include <string>
#include <vector>

namespace norvane::device {

class ShellHost;

class TaskBar : public Window {
public:
    explicit TaskBar(ShellHost& host);
    ~TaskBar() override;

    bool Create(int width, int height);
    void Reposition(int width, int height);

    // Paints the whole bar into any DC (WM_PAINT and WM_PRINTCLIENT).
    void Paint(HDC dc);

    // The program window the bar is showing (null while Today is in front).
    HWND ForegroundProgram() const { return m_program; }
    // Smart minimize: keeps the window visible but off-screen, behind the
    // others, and brings the next program (or Today) forward.
    void SmartMinimize(HWND window);
    // Brings the top program that is not minimized forward; false when there is none.
    bool ActivateNextProgram(HWND except);

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    enum class Part { None, Start, Title, Icon, Clock, Corner };
    struct NotifyIcon {
        HWND owner = nullptr;
        UINT id = 0;
        UINT callback = 0;
        HICON icon = nullptr;
    };

    void TrackForeground();
    bool IsProgramWindow(HWND window) const;
    std::wstring TitleOf(HWND window) const;
    // The override of SHSetNavBarText for what is in front, else its title.
    std::wstring ShownTitle(HWND program) const;
    Part PartAt(POINT pt, int* iconIndex) const;
    RECT StartRect() const;
    RECT CornerRect() const;
    RECT ClockRect() const;
    RECT IconRect(int index) const;
    void OnCopyData(HWND sender, const COPYDATASTRUCT* data);
    void ShowStartMenu();
    bool CornerIsOk() const;

    ShellHost& m_host;
    int m_width = 0;
    int m_height = 0;
    HWND m_program = nullptr; // foreground program window, or null for Today
    std::wstring m_title;
    // SHSetNavBarText: the title shown instead of a window's own.
    std::map<HWND, std::wstring> m_navBarTexts;
    std::wstring m_clock;
    std::vector<NotifyIcon> m_icons;
    std::map<HWND, RECT> m_minimized; // smart-minimized windows and where they were
    Part m_pressed = Part::None;
    int m_pressedIcon = -1;
    bool m_inMenu = false;
    UINT m_smartMinimizeMessage = 0;
    int m_idleTicks = 0; // ticks in a row with nobody in front
    HFONT m_titleFont = nullptr;
    HFONT m_clockFont = nullptr;
};

} // namespace norvane::device
