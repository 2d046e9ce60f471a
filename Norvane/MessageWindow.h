// The item's hidden top-level window. It receives the broadcasts of the key
// stubs, the options program and screen capture, and it subclasses the shell's
// task bar ("HHTaskBar", a window of our own process and thread) to add icons
// of the running programs, a close gesture and a task-manager gesture on the
// bar's right corner, and the top-bar shortcut, which can be dragged sideways
// and tapped to launch.
#pragma once

#include "Bitmap32.h"
#include "ImageHandles.h"
#include "WindowBase.h"

#include <functional>
#include <vector>

namespace norvane {

class TodayItemWindow;
class ShortcutRecord;

// What the task-bar extensions ask of the system; tests replace these.
struct MessageWindowServices {
    // The shell's tap-and-hold recognition (SHRecognizeGesture flags).
    std::function<bool(HWND window, POINT clientPoint, DWORD flags)> isHold;
    // Shows a popup menu at a screen point and returns the chosen id.
    std::function<UINT(HMENU menu, POINT screenPoint, HWND owner)> track;
};

// One running program on the task bar.
struct RunningProgram {
    HWND window = nullptr;
    bool desktop = false;
    Bitmap32 icon; // the program's icon, drawn at its own size
};

class MessageWindow : public WindowBase {
public:
    explicit MessageWindow(TodayItemWindow& owner);
    ~MessageWindow() override;

    bool Create(HWND itemParent);
    void Destroy();
    // After every settings load: running programs and the top-bar icon afresh.
    void Reload();
    // A status value that the top-bar shortcut shows changed: the task bar
    // paints again.
    void RedrawTopBar();
    // At shutdown: the top-bar shortcut is forgotten and the extensions leave
    // the bar before the subclass goes.
    void Forget();
    MessageWindowServices& Services() { return m_services; }

    // The task bar's own procedure, which every subclassed message reaches last.
    WNDPROC TaskBarPreviousProc() const { return m_taskBarProc; }
    HWND TaskBar() const { return m_taskBar; }
    // The subclassed task bar's messages.
    LRESULT OnTaskBarMessage(HWND bar, UINT msg, WPARAM wp, LPARAM lp);

    // The running programs in icon order, and their places (task-bar client
    // coordinates; x -1 for those beyond the limit).
    const std::vector<RunningProgram>& Running() const { return m_running; }
    std::vector<RECT> RunningIconRects() const;
    // Refreshes the running programs; true when the list changed.
    bool RefreshRunning();
    // The top-bar icon's place on the task bar, and its stored x.
    RECT TopBarRect() const;
    int TopBarX() const { return m_currentX; }
    RECT CornerRect() const;

protected:
    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    void SubclassTaskBar();
    void RemoveTaskBarSubclass();
    void RepaintTaskBar();
    void InvalidateTopBar();
    ShortcutRecord* TopBarShortcut() const;
    void LoadStoredX();
    void UpdateCurrentX();

    void PaintExtensions(HWND bar);
    bool OnTaskBarPress(POINT point);
    bool OnTaskBarRelease(POINT point);
    int RunningIconAt(POINT point) const;
    void RunningIconMenu(int index, POINT barPoint);

    void OnDragMove(POINT screenPoint);
    void OnDragEnd(POINT screenPoint);

    TodayItemWindow& m_owner;
    MessageWindowServices m_services;
    HWND m_itemParent = nullptr;
    HWND m_taskBar = nullptr;
    WNDPROC m_taskBarProc = nullptr;
    std::vector<RunningProgram> m_running;
    Bitmap32 m_desktopImage;
    bool m_desktopImageLoaded = false;
    bool m_forgotten = false;
    // The top-bar icon: where it is, where the settings keep it, and a press on it.
    int m_currentX = 0;
    int m_storedX = 0;
    int m_dragStartX = 0;
    int m_grabOffset = 0;
    bool m_moved = false;
    bool m_dragging = false;
};

} // namespace norvane
