// The task manager: a popup that drops down from the top-right corner of the
// screen and lists commands for the program that was in front, the desktop,
// every running program, a launch row with a menu of all shortcuts and the
// icons of the Task Manager Tab. Rows are tapped, chosen with the keys or by
// their digit; a tap on a close box closes that program; tap-and-hold on a
// program sets its exceptions.
#pragma once

#include "Bitmap32.h"
#include "TaskItems.h"
#include "TaskLayout.h"
#include "WindowBase.h"

#include <functional>
#include <map>
#include <string>
#include <memory>
#include <vector>

namespace norvane {

class TodayItemWindow;
class ShortcutRecord;
struct TabRecord;

// String ids of the task manager.
namespace taskids {
inline constexpr UINT kMinimize = 50050;
inline constexpr UINT kClose = 50051;
inline constexpr UINT kCloseAll = 50052;
inline constexpr UINT kLaunch = 50053;
inline constexpr UINT kHideFromTaskManager = 50054;
inline constexpr UINT kMinimizeOnly = 50055;
inline constexpr UINT kManageExceptions = 50056;
inline constexpr UINT kTerminate = 50057;
inline constexpr UINT kIgnoreCloseAll = 50073;
inline constexpr UINT kCloseAllButCurrent = 50075;
inline constexpr UINT kEmpty = 50150;
inline constexpr UINT kCloseAllButThis = 50151;
} // namespace taskids

// Command ids of the row menu and the launch menu.
namespace taskmenu {
inline constexpr UINT kHide = 1;
inline constexpr UINT kMinimizeOnly = 2;
inline constexpr UINT kIgnoreCloseAll = 3;
inline constexpr UINT kManageExceptions = 100;
inline constexpr UINT kTerminate = 101;
inline constexpr UINT kFirstShortcut = 40000;
inline constexpr ULONG_PTR kShortcutItemData = 101;
} // namespace taskmenu

// What the popup asks of the system; tests replace these.
struct TaskManagerServices {
    // Shows a popup menu at a screen point and returns the chosen id (0: none).
    std::function<UINT(HMENU menu, POINT screenPoint, UINT alignment, HWND owner)> track;
    // The shell's tap-and-hold recognition at a client point of the popup.
    std::function<bool(HWND window, POINT clientPoint)> isHold;
    // Ends a process with exit code 0.
    std::function<void(DWORD processId)> terminate;
};

class TaskManagerPopup : public WindowBase {
public:
    explicit TaskManagerPopup(TodayItemWindow& owner);
    ~TaskManagerPopup() override;

    // Creates the popup window owned by the task bar (or unowned without one).
    bool Create();
    void Destroy();
    TaskManagerServices& Services() { return m_services; }

    // Opens, advances (alt-tab) or closes the popup; true.
    bool Show(bool altTab);
    void Hide();
    bool IsOpen() const { return m_hwnd && IsWindowVisible(m_hwnd); }

    // One step of the opening animation (the item window's timer); false once
    // the animation is over.
    bool AnimationStep(int step);

    // What the list holds, for the item and for tests.
    const std::vector<std::unique_ptr<TaskItem>>& Items() const { return m_items; }
    int Selection() const { return m_selection.index; }
    bool CloseBoxSelected() const { return m_selection.closeBox; }
    HWND Target() const { return m_target; }
    int QuickLaunchCount() const { return m_quickLaunchCount; }
    const std::vector<RECT>& QuickLaunchCells() const { return m_cells; }
    // The six theme images (close box, Close, Close All, Close All But Current,
    // Minimize, desktop).
    const Bitmap32& CloseBoxImage() const { return m_closeBox; }

    // Paints the whole popup into any DC of the client's size.
    void Paint(HDC dc, const RECT& client);

protected:
    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    void LoadImages();
    void CreateFont();
    void BuildList();
    void PlaceWindow();
    void OpenNow();
    void StartAltTabTimer();
    void AdvanceAltTab();
    std::vector<TaskRowShape> Shapes() const;

    bool IsHold(POINT point);
    void OnPress(POINT point);
    void OnRelease(POINT point);
    void OnKey(WPARAM key);
    void OnChar(wchar_t character);
    // Runs a row; the popup is hidden afterwards, or built again and kept open.
    void Activate(int index, bool close);
    // The row menu of tap-and-hold; true when a command was carried out.
    bool RowMenu(int index, POINT clientPoint);
    // The launch menu; true when a shortcut was launched.
    bool LaunchMenu(int index);
    void LaunchQuickLaunch(int cell);
    void KeepOpenAfter(int previousSelection);
    void OnRefreshTimer();
    void ReleaseStylus();
    void RepaintNow();

    int RowAt(POINT point) const;
    int QuickLaunchCellAt(POINT point) const;
    TabRecord* QuickLaunchTab() const;
    ShortcutRecord* QuickLaunchShortcut(int cell) const;
    ShortcutRecord* FindMenuShortcut(UINT id) const;

    bool MeasureItem(MEASUREITEMSTRUCT& item);
    bool DrawItem(const DRAWITEMSTRUCT& item);

    TodayItemWindow& m_owner;
    TaskManagerServices m_services;
    HWND m_target = nullptr;
    std::vector<std::unique_ptr<TaskItem>> m_items;
    // The program rows' icons by window, kept from one list to the next.
    std::map<HWND, std::unique_ptr<Bitmap32>> m_icons;
    TaskSelection m_selection;
    bool m_pressed = false;
    bool m_menuOpen = false;
    bool m_prefixes = false;
    int m_commandMask = 0;
    int m_quickLaunchCount = 0;
    std::vector<RECT> m_cells;
    UINT m_altTabDelay = 3000;
    int m_refreshRounds = 0;
    HFONT m_font = nullptr;
    bool m_imagesLoaded = false;
    Bitmap32 m_closeBox;
    Bitmap32 m_closeImage;
    Bitmap32 m_closeAllImage;
    Bitmap32 m_closeAllButImage;
    Bitmap32 m_minimizeImage;
    Bitmap32 m_desktopImage;
    // The launch menu's entries while it is open: where each shortcut was
    // (visible tab, position) and what it showed.
    struct MenuEntry {
        std::size_t tab = 0;
        std::size_t shortcut = 0;
        std::wstring caption;
        std::wstring target;
        std::wstring additionalTarget;
    };
    std::vector<MenuEntry> m_menuEntries;
};

} // namespace norvane
