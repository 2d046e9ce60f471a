// The Today item's window: a child of the Today screen that owns the settings,
// the current display view and every sub-window of the item, negotiates its
// height with the Today screen and reloads when the settings change.
#pragma once

#include "ImageLoader.h"
#include "ItemMenus.h"
#include "ItemParts.h"
#include "ItemView.h"
#include "Launcher.h"
#include "MessageWindow.h"
#include "ScreenCapture.h"
#include "Settings.h"
#include "SpecialCommandDispatcher.h"
#include "SubWindows.h"
#include "TaskManagerPopup.h"
#include "TaskRules.h"
#include "WindowBase.h"

#include <functional>
#include <memory>

struct _TODAYLISTITEM;

namespace norvane {

class ImagingService;

class TodayItemWindow : public WindowBase {
public:
    TodayItemWindow();
    ~TodayItemWindow() override;

    // Creates the window as a child of the Today screen: screen-wide, 0 high.
    bool Create(HWND parent);

    Settings& GetSettings() { return m_settings; }
    const Settings& GetSettings() const { return m_settings; }
    ItemView* View() const { return m_view.get(); }
    HWND Parent() const { return m_parent; }

    // Index of the current tab in the view's visible tabs; -1 when there is none.
    int CurrentTab() const { return m_currentTab; }
    void SetCurrentTab(int index);
    TabRecord* CurrentTabRecord() const;

    COLORREF SeparatorColour() const { return m_separatorColour; }
    HFONT MenuFont() const { return m_menuFont; }
    HWND FloatingPanelWindow() const { return m_floatingPanel.Hwnd(); }
    FloatingPanel& Panel() { return m_floatingPanel; }
    CaptionPopup& Captions() { return m_captionPopup; }
    bool HoldsTodaySelection() const { return m_todaySelection; }
    bool FileChangePending() const { return m_fileChangePending; }

    // Reloads the settings and rebuilds everything that depends on them.
    void Reload(bool startup);
    // Switches to the view of the given type (see viewtype), honouring a stored
    // minimized state.
    void SwitchView(int type);

    // Activation, quick launch, soft keys, tab menu, jump to tab, options program.
    Launcher& GetLauncher() { return m_launcher; }
    // The shortcut, special shortcut and tab context menus.
    ItemMenus& Menus() { return m_menus; }
    // The special commands and the screen capture they may start.
    SpecialCommandDispatcher& Specials() { return m_specials; }
    ScreenCapture& Capture() { return m_capture; }

    // The task manager and the rules for running programs it shares with the
    // task-bar extensions.
    TaskManagerPopup& TaskManager() { return m_taskManager; }
    TaskRules& Tasks() { return m_tasks; }
    MessageWindow& Messages() { return m_messageWindow; }
    // Opens the task manager through its growing animation (timer 0x800D).
    void StartTaskManagerAnimation();

    // Hand-offs from the message window.
    void OnLauncherCode(int code);
    void StartScreenCapture(UINT delayMs);
    void OnDisplaySettingChange();

    // What the parts behind the window did last; read by tests and by later parts.
    const PowerThread& Power() const { return m_power; }
    const StatusRefresh& Status() const { return m_status; }
    StatusRefresh& Status() { return m_status; }
    TrayIcons& Tray() { return m_trayIcons; }
    MeterBarWindow& MeterBar() { return m_meterBar; }
    // The message window, which draws the top-bar shortcut on the task bar.
    MessageWindow& TopBarHost() { return m_messageWindow; }
    ShortcutRecord* SelectedShortcut() const { return m_selectedShortcut; }
    // Selects a shortcut of the current tab (nullptr clears), scrolls it into
    // view and redraws; a selection made by a tap clears itself after a second.
    void SelectShortcut(ShortcutRecord* shortcut, bool clearLater = false);

    // The stylus in the icon area. window is where it happens (the item window,
    // or the popup panel that carries the icons); points are in its client
    // coordinates.
    void BeginPress(HWND window, POINT point, ShortcutRecord* shortcut);
    void OnStylusMove(HWND window, POINT point);
    // A release: a drop when a drag is under way (true: consumed). Otherwise the
    // press ends and the view decides.
    bool OnStylusUp(HWND window, POINT point);
    // True once for the release of a press that may still be a tap.
    bool TakeTap();
    void OnCaptureLost(HWND window, HWND newCapture);
    bool IsDragging() const { return m_press.dragging; }
    // While the popup panel shows, checks often that the Today screen is still
    // in front, and hides the panel when it is not.
    void WatchPanel();
    // Shows a text in the caption popup near a screen point.
    void ShowCaption(const std::wstring& text, POINT screenPoint);

    // Saves the settings file; says so to the user when that fails.
    bool SaveSettings();
    // The Today screen's direction and action keys while we hold its selection.
    LRESULT OnNavigationKey(int key);

    // Receives a short name for each step of start-up, reload, view switching and
    // shutdown as it runs, so that their order can be checked.
    std::function<void(const char* step)> Trace;

protected:
    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    LRESULT OnCreate();
    void OnTimer(UINT_PTR id);
    void StartUp();
    void RegisterChangeNotifications();
    void StartPower();
    void Shutdown();
    LRESULT OnQueryRefreshCache(_TODAYLISTITEM* item);
    LRESULT OnReceivedSelection(WPARAM key);
    LRESULT OnLostSelection();
    void OnFileChange(LPARAM notification);
    void ToggleMinimized();
    void Minimize();
    void CreateMenuFont();
    void UpdateSeparatorColour();
    void ClearShortcutSelection();
    void StartDrag(HWND window, POINT point);
    void Drop(POINT point);
    void EndDrag();
    void OnDragHoverTimer();
    void HidePanelUnlessTodayInFront();
    void StoreCaptureOptions(const ShortcutRecord& shortcut, int count, int delay, int repeatDelay);
    void Step(const char* step) {
        if (Trace) {
            Trace(step);
        }
    }

    Settings m_settings;
    std::unique_ptr<ItemView> m_view;
    HWND m_parent = nullptr;
    int m_currentTab = 0;
    COLORREF m_separatorColour = 0;
    HFONT m_menuFont = nullptr;
    HMODULE m_ceShell = nullptr;
    // COM for the thread and the imaging service the image loaders use.
    std::unique_ptr<ImagingService> m_imaging;
    bool m_fileChangePending = false;
    bool m_todaySelection = false;
    bool m_selectionHold = false;
    bool m_changeNotifyRegistered = false;
    bool m_powerStartPending = false;
    // The stylus in the icon area and a drag under way.
    struct PressState {
        POINT point{-1, -1}; // where a press that may become a drag went down
        HWND window = nullptr;
        ShortcutRecord* shortcut = nullptr;
        bool tapPending = false;
        bool dragging = false;
        TabRecord* dragSourceTab = nullptr;
        int dragHoverTab = -1;
        POINT pressContent{}; // the press in content coordinates
        POINT hotSpot{};      // the press point's offset from the icon's origin
    };
    PressState m_press;
    DragImage m_dragImage;
    int m_taskManagerStep = 0;
    ShortcutRecord* m_selectedShortcut = nullptr;
    bool m_loadFailureShown = false;
    bool m_startedUp = false;

    TaskRules m_tasks;
    MessageWindow m_messageWindow;
    CaptionPopup m_captionPopup;
    FloatingPanel m_floatingPanel;
    TaskManagerPopup m_taskManager;
    PowerThread m_power;
    TrayIcons m_trayIcons{*this};
    SoftKeys m_softKeys;
    StatusRefresh m_status{*this};
    MeterBarWindow m_meterBar{*this};
    Launcher m_launcher{*this};
    ItemMenus m_menus{*this};
    ScreenCapture m_capture;
    SpecialCommandDispatcher m_specials{m_capture};
};

} // namespace norvane
