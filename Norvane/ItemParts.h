// The parts of the item that its window drives through reload, start-up and
// shutdown but that live in their own files: the power-notification thread,
// the notification-area icons, the status refresh and the meter bar. Each
// keeps a narrow interface here.
#pragma once

#include "Module.h"
#include "SoftKeys.h"
#include "WindowBase.h"

#include <windows.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace norvane {

class Bitmap32;
class Settings;
class ShortcutRecord;
class SystemStatus;
class TodayItemWindow;

// The power message queue and the thread that waits on it and posts WM_APP + 9
// to the item window; with polling, a thread that posts every 9 seconds.
class PowerThread {
public:
    PowerThread() = default;
    ~PowerThread();
    PowerThread(const PowerThread&) = delete;
    PowerThread& operator=(const PowerThread&) = delete;

    // Creates the queue (unless polling), the termination event and the thread.
    void Start(HWND itemWindow, bool polling = false);
    // Sets the event, waits up to 5 s for the thread (then ends it), closes the
    // event and both queue handles.
    void Stop();
    bool IsRunning() const { return m_thread != nullptr; }
    bool Polling() const { return m_polling; }

    // Where notifications are stored (the item's status record by default).
    void SetStatus(SystemStatus* status) { m_status = status; }

private:
    static DWORD WINAPI ThreadMain(void* self);
    void Run();

    HWND m_window = nullptr;
    bool m_polling = false;
    SystemStatus* m_status = nullptr;
    HANDLE m_writeQueue = nullptr;
    HANDLE m_readQueue = nullptr;
    HANDLE m_stopEvent = nullptr;
    HANDLE m_thread = nullptr;
};

// The Shell Tray Tab's shortcuts as notification-area icons, ids 100 + position.
class TrayIcons {
public:
    explicit TrayIcons(TodayItemWindow& item);
    ~TrayIcons();
    TrayIcons(const TrayIcons&) = delete;
    TrayIcons& operator=(const TrayIcons&) = delete;

    // Removes the old icons and adds one per shortcut of the Shell Tray Tab.
    void Rebuild(HWND itemWindow, Settings& settings);
    void RemoveAll(HWND itemWindow);
    // In the order they were added.
    const std::vector<UINT>& Ids() const { return m_ids; }
    // Draws the icons of meters that depend on the changed kinds anew and
    // hands them to the notification area; returns how many.
    int RefreshMeters(unsigned changed);
    // WM_APP + 5: wParam the icon id, lParam the stylus message.
    void OnCallback(UINT id, UINT stylusMessage);
    // The Shell Tray Tab's shortcut behind an icon id, or null.
    ShortcutRecord* ShortcutOf(UINT id) const;
    // The icon last handed over for an id (tests read its pixels), or null.
    HICON IconOf(UINT id) const;

    // Shell_NotifyIcon of the device; tests give their own.
    std::function<BOOL(DWORD message, NOTIFYICONDATAW& data)> notify;

private:
    bool Notify(DWORD message, UINT id, HICON icon);
    HICON Render(const ShortcutRecord& shortcut) const;

    TodayItemWindow& m_item;
    HWND m_window = nullptr;
    std::vector<UINT> m_ids;
    std::map<UINT, HICON> m_icons;
    // A press on an icon that may still become a tap (its id), or 0.
    UINT m_pendingTap = 0;
};

// The thin meter bar across the task bar: one status value as a strip whose
// revealed part grows with the value. Tapping it runs the TopBarMeterAction.
class MeterBarWindow : public WindowBase {
public:
    explicit MeterBarWindow(TodayItemWindow& item);
    ~MeterBarWindow() override;

    // Sets the bar up for the setting "MeterBar": none, or a child window of
    // the task bar showing the selected kind.
    void Rebuild(Settings& settings);
    void SetUp(const std::wstring& selection);
    void Destroy();
    // The status kinds the bar shows (0: none); redrawn when one changes.
    unsigned Kinds() const { return m_kind; }
    const std::wstring& StoragePath() const { return m_storagePath; }
    void Redraw();
    // Draws the bar as it shows now into a DC of the bar's size.
    void PaintTo(HDC dc);
    // Runs the TopBarMeterAction for a tap at a screen point.
    void Tap(POINT screenPoint);
    // The images' width at their last load (0: never loaded).
    int ImagesWidth() const { return m_imagesWidth; }
    // The file names of the images last asked for.
    const std::wstring& BackgroundName() const { return m_backgroundName; }

    // What tests replace: the value of the kind, the menu and the dialog.
    std::function<int(unsigned kind, const std::wstring& storagePath)> percentOf;
    std::function<int(HMENU menu, POINT at)> trackMenu;
    std::function<std::vector<std::wstring>()> storageCards;
    std::function<void(HWND owner)> showStatusDialog;

protected:
    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    void LoadImagesIfNeeded();
    bool ImagesLoaded() const;
    void HideAndRepaintTaskBar();
    void ShowSelectionMenu(POINT at);

    TodayItemWindow& m_item;
    std::wstring m_selection;
    unsigned m_kind = 0;
    std::wstring m_storagePath;
    std::unique_ptr<Bitmap32> m_background;
    std::unique_ptr<Bitmap32> m_reveal;
    std::wstring m_backgroundName;
    int m_imagesWidth = 0;
    bool m_pressed = false;
};

// The status refresh: which status sources changed, and redrawing only the
// meters that show them (the current tab's, the notification-area icons, the
// top-bar shortcut and the meter bar).
class StatusRefresh {
public:
    explicit StatusRefresh(TodayItemWindow& item);

    // Refreshes the kinds of the mask that loaded meters use; with force every
    // requested kind counts as changed.
    void Refresh(unsigned mask, bool force = false);
    // The 5-second tick: memory, plus main storage and cards (forced) after a
    // file change, plus main storage on platform version 4 and below.
    void Tick(bool& fileChangePending);
    // Reads the power status once more and redraws battery meters when it
    // moved: the power thread starts after the first read, and a change in
    // between would otherwise wait for the next one.
    void CatchUpPower();

    unsigned LastMask() const { return m_lastMask; }
    unsigned LastChanged() const { return m_lastChanged; }
    // Meters redrawn (invalidated on the item or its panel, or tray icons
    // modified) since the item started; the benchmark counts them.
    int RedrawCount() const { return m_redraws; }

    // The platform's major version (GetVersionEx); tests set their own.
    std::function<int()> platformMajorVersion;

private:
    void Redraw(unsigned changed);

    TodayItemWindow& m_item;
    unsigned m_lastMask = 0;
    unsigned m_lastChanged = 0;
    int m_redraws = 0;
    bool m_powerRead = false;
};

} // namespace norvane
