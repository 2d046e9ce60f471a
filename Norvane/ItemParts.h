// The parts of the item that its window drives through reload, start-up and
// shutdown but that grow into their own capabilities: the power-notification
// thread, the notification-area icons, the soft keys, the status refresh and the
// meter bar. Each keeps a narrow interface here; its capability fills it in.
#pragma once

#include "SoftKeys.h"

#include <windows.h>

#include <vector>

namespace norvane {

class Settings;

// Waits on the power message queue and posts WM_APP + 9 to the item window.
class PowerThread {
public:
    void Start(HWND itemWindow) { m_running = true; }
    void Stop() { m_running = false; }
    bool IsRunning() const { return m_running; }

private:
    bool m_running = false;
};

// The Shell Tray Tab's shortcuts as notification-area icons.
class TrayIcons {
public:
    void Rebuild(HWND itemWindow, Settings& settings) {}
    void RemoveAll(HWND itemWindow) { m_ids.clear(); }
    const std::vector<UINT>& Ids() const { return m_ids; }

private:
    std::vector<UINT> m_ids;
};

// The 5-second refresh of the status values that meters show.
class StatusRefresh {
public:
    void Refresh(HWND itemWindow, unsigned mask) { m_lastMask = mask; }
    unsigned LastMask() const { return m_lastMask; }

private:
    unsigned m_lastMask = 0;
};

// The thin meter bar across the task bar.
class MeterBarWindow {
public:
    void Rebuild(Settings& settings) {}
    void Destroy() { m_hwnd = nullptr; }
    HWND Hwnd() const { return m_hwnd; }

private:
    HWND m_hwnd = nullptr;
};

} // namespace norvane
