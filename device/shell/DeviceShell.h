// The device shell: one process, one UI thread, holding the Today screen, the
// task bar and the menu bar. It boots them in the device's order, binds the
// hardware buttons, runs the start-up folder and ends with a reboot or
// shutdown request for the boot program.
#pragma once

#include "DeviceSupport.h"
#include "MenuBar.h"
#include "ShellHost.h"
#include "TaskBar.h"
#include "Theme.h"
#include "TodayScreen.h"

#include <memory>

namespace norvane::device {

class ScreenOffWindow;

class DeviceShell : public ShellHost {
public:
    DeviceShell();
    ~DeviceShell() override;

    // Creates the windows, loads the items and runs the message loop; returns
    // the process exit code.
    int Run();

    // ShellHost
    const Theme& GetTheme() const override { return m_theme; }
    HWND TodayWindow() const override { return m_today.Hwnd(); }
    void ShowToday() override;
    void CornerButtonAction() override;
    void OnHotKey(int id) override;
    void OnReset() override;
    void OnPowerOff() override;
    void OnShutdown() override;
    void OnDisplayChange() override;
    bool OnRotate(DWORD orientation) override;
    bool InNestedLoop(HWND hwnd, UINT message, WPARAM wParam) const override {
        return m_dispatching && !(m_dispatching->hwnd == hwnd && m_dispatching->message == message &&
                                  m_dispatching->wParam == wParam);
    }

private:
    struct Geometry {
        int width, height, taskBar, menuBar;
    };
    Geometry ComputeGeometry() const;
    bool CreateWindows();
    // Logs which window could not be made and why; returns false.
    bool LogWindowFailure(const wchar_t* part);
    void RegisterButtons();
    void ShellReady();
    void StartPhoneApplication();
    void RunStartUpFolder();
    void Quit(int code);
    // Gives the screen the size of the orientation (the profile's size, turned
    // for 90 and 270 degrees) and records it in the device state.
    bool TurnScreen(DWORD orientation);

    Theme m_theme;
    TodayScreen m_today;
    TaskBar m_taskBar;
    MenuBar m_menuBar;
    std::unique_ptr<ScreenOffWindow> m_screenOff;
    UniqueHandle m_readyEvent;
    bool m_quitting = false;
    const MSG* m_dispatching = nullptr; // the message the shell's loop is dispatching
};

} // namespace norvane::device
