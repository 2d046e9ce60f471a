// The Today item window: construction, start-up, reload, view switching, height
// negotiation, the Today selection and shutdown.
#include "TodayItemWindow.h"

#include "CeChangeNotify.h"
#include "CeShell.h"
#include "DisplayScale.h"
#include "IconNavigation.h"
#include "ImageDraw.h"
#include "ImageLoader.h"
#include "MenuPainter.h"
#include "MeterRenderer.h"
#include "Painter.h"
#include "Module.h"
#include "SpecialCommands.h"
#include "StatusSources.h"
#include "TabView.h"
#include "TodayApi.h"

#include <algorithm>
#include <cstdlib>

namespace norvane {

namespace {
constexpr COLORREF kDefaultSeparatorColour = RGB(0x73, 0x8E, 0xEF);
constexpr int kSeparatorColourIndex = 6;
constexpr unsigned kFullStatusMask = 31;
constexpr UINT kStartupRetryMs = 20;
constexpr UINT kStatusPeriodMs = 5000;
constexpr UINT kMinimizeDelayMs = 50;
constexpr UINT kTapSelectionMs = 1000;
constexpr UINT kDragHoverMs = 500;
constexpr UINT kPanelWatchMs = 250;
constexpr UINT kTaskManagerAnimationMs = 50;

bool IsMinimizeStored() {
    DWORD value = 0;
    return ReadItemDword(names::kMinimizeOnRefreshValue, value) && value == 1;
}
} // namespace

TodayItemWindow::TodayItemWindow()
    : m_messageWindow(*this), m_captionPopup(*this), m_floatingPanel(*this), m_taskManager(*this) {
    // The tab menu of WM_APP + 15 is the item's owner-drawn menu of a tab's shortcuts.
    m_launcher.Services().chooseFromTabMenu = [this](HWND owner, TabRecord& tab, POINT at) {
        return m_menus.ChooseFromTabMenu(owner, tab, at);
    };
    m_launcher.Services().launchHooks.specialCommand = [this](const std::wstring& name,
                                                              const ShortcutRecord& shortcut, HWND owner) {
        return m_specials.Run(shortcut, name, owner);
    };
    m_capture.Services().storeOptions = [this](const ShortcutRecord& shortcut, int count, int delay,
                                               int repeatDelay) {
        StoreCaptureOptions(shortcut, count, delay, repeatDelay);
    };
    m_capture.Services().openFolder = [this](const std::wstring& folder) {
        OpenFolder(folder, &m_settings, m_launcher.Services().launchHooks);
    };
    m_ceShell = LoadLibraryW(names::kCeShellDll);
    DWORD value = 0;
    if (ReadItemDword(names::kCurrentTabValue, value)) {
        m_currentTab = static_cast<int>(value & 0xFFFF);
    }
    if (ReadItemDword(names::kTrueVgaValue, value)) {
        SetDisplayFlags(value != 0, value != 0 || Module::DpiX() > 96);
    }
    m_separatorColour = SystemColour(kSeparatorColourIndex, kDefaultSeparatorColour);
}

TodayItemWindow::~TodayItemWindow() {
    DestroyOwnWindow();
    m_view.reset();
    if (m_menuFont) {
        DeleteObject(m_menuFont);
    }
    if (m_ceShell) {
        FreeLibrary(m_ceShell);
    }
    // The window is gone now, so the class can really go; a class left behind
    // would point into this DLL after the Today screen unloads it.
    UnregisterClassW(names::kWindowClass, Module::Instance());
    ReleaseImageDrawCache();
    ReleaseMeterCaches();
}

bool TodayItemWindow::Create(HWND parent) {
    m_parent = parent;
    WNDCLASSW existing = {};
    if (!GetClassInfoW(Module::Instance(), names::kWindowClass, &existing)) {
        WNDCLASSW wc = {};
        wc.style = CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS;
        wc.lpfnWndProc = WindowBase::StaticWindowProc;
        wc.hInstance = Module::Instance();
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
        wc.lpszClassName = names::kWindowClass;
        if (!RegisterClassW(&wc)) {
            return false;
        }
    }
    HWND hwnd = CreateWindowExW(0, names::kWindowClass, names::kWindowCaption, WS_CHILD | WS_VISIBLE, 0, 0,
                                GetSystemMetrics(SM_CXSCREEN), 0, parent, nullptr, Module::Instance(), this);
    return hwnd != nullptr;
}

void TodayItemWindow::SetCurrentTab(int index) {
    if (index != m_currentTab) {
        // The selection belongs to the tab that was current.
        m_selectedShortcut = nullptr;
    }
    m_currentTab = index;
    if (index >= 0) {
        WriteItemDword(names::kCurrentTabValue, static_cast<DWORD>(index & 0xFFFF));
    }
}

TabRecord* TodayItemWindow::CurrentTabRecord() const {
    if (!m_view) {
        return nullptr;
    }
    const auto& tabs = m_view->VisibleTabs();
    if (m_currentTab < 0 || m_currentTab >= static_cast<int>(tabs.size())) {
        return nullptr;
    }
    return tabs[m_currentTab];
}

LRESULT TodayItemWindow::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_CREATE:
        return OnCreate();
    case WM_DESTROY:
        Shutdown();
        return 0;
    case WM_ERASEBKGND:
        return 0;
    case WM_SIZE:
        if (m_view) {
            m_view->Relayout();
        }
        break;
    case WM_SHOWWINDOW:
        if (!wp && m_view) {
            m_view->HidePopupChild();
        }
        break;
    case WM_WINDOWPOSCHANGED:
        if ((reinterpret_cast<WINDOWPOS*>(lp)->flags & SWP_HIDEWINDOW) && m_view) {
            m_view->HidePopupChild();
        }
        break;
    case WM_TIMER:
        OnTimer(wp);
        return 0;
    case WM_MEASUREITEM: {
        auto* measure = reinterpret_cast<MEASUREITEMSTRUCT*>(lp);
        if (measure && measure->CtlType == ODT_MENU && !m_menus.MeasureItem(*measure)) {
            MeasureOwnerMenuItem(*measure, OwnerMenuText(*this, measure->itemID), m_menuFont);
        }
        return TRUE;
    }
    case WM_DRAWITEM: {
        auto* draw = reinterpret_cast<DRAWITEMSTRUCT*>(lp);
        if (draw && draw->CtlType == ODT_MENU && !m_menus.DrawItem(*draw)) {
            DrawOwnerMenuItem(*draw, OwnerMenuText(*this, draw->itemID), m_menuFont, Bitmap32());
        }
        return TRUE;
    }
    case WM_LBUTTONUP:
        if (OnStylusUp(m_hwnd, POINT{static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))})) {
            return 0;
        }
        break;
    case WM_CAPTURECHANGED:
        OnCaptureLost(m_hwnd, reinterpret_cast<HWND>(lp));
        break;
    case WM_TODAYCUSTOM_QUERYREFRESHCACHE:
        return OnQueryRefreshCache(reinterpret_cast<TODAYLISTITEM*>(wp));
    case WM_TODAYCUSTOM_RECEIVEDSELECTION:
        return OnReceivedSelection(wp);
    case WM_TODAYCUSTOM_LOSTSELECTION:
        return OnLostSelection();
    case WM_TODAYCUSTOM_USERNAVIGATION:
    case WM_TODAYCUSTOM_ACTION:
        return OnNavigationKey(static_cast<int>(wp));
    case appmsg::kExecuteShortcut:
        if (lp) {
            m_launcher.ExecuteTarget(*reinterpret_cast<ShortcutRecord*>(lp));
        }
        return 0;
    // The special commands send these three and count an answer of 0 as nothing done.
    case appmsg::kTabMenu:
        return m_launcher.ShowTabMenu(static_cast<int>(wp),
                                      POINT{static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))})
                   ? 1
                   : 0;
    case appmsg::kJumpToTab:
        return m_launcher.JumpToTab(static_cast<int>(wp)) ? 1 : 0;
    case appmsg::kMinMax:
        ToggleMinimized();
        return 1;
    case appmsg::kRebuildMeterBar:
        m_meterBar.Rebuild(m_settings);
        return 0;
    case appmsg::kStatusRefresh:
        m_status.Refresh(static_cast<unsigned>(lp));
        return 0;
    case appmsg::kTrayCallback:
        m_trayIcons.OnCallback(static_cast<UINT>(wp), static_cast<UINT>(lp));
        return 0;
    case appmsg::kCaptionPopupClosed:
        return 0;
    case WM_FILECHANGEINFO:
        OnFileChange(lp);
        return 0;
    default:
        break;
    }
    if (m_view) {
        LRESULT result = 0;
        if (m_view->ProcessWindowMessage(m_hwnd, msg, wp, lp, result)) {
            return result;
        }
    }
    return DefWindowProcW(m_hwnd, msg, wp, lp);
}

LRESULT TodayItemWindow::OnCreate() {
    Step("create");
    m_imaging = std::make_unique<ImagingService>();
    CreateMenuFont();
    SetTimer(m_hwnd, timers::kStartup, 0, nullptr);
    // The system stretches a 0 ms timer to its minimum period (10 ms), an idle
    // wait before the first real picture; the timer's message is posted at once
    // as well, and whichever comes first starts us up.
    PostMessageW(m_hwnd, WM_TIMER, timers::kStartup, 0);
    SwitchView(viewtype::kLoading);
    m_taskManager.Create();
    return 0;
}

void TodayItemWindow::OnTimer(UINT_PTR id) {
    switch (id) {
    case timers::kStartup:
        KillTimer(m_hwnd, id);
        if (!m_startedUp) {
            StartUp();
            break;
        }
        if (m_powerStartPending) {
            StartPower();
        }
        if (!m_changeNotifyRegistered) {
            RegisterChangeNotifications();
        }
        break;
    case timers::kClearSelection:
        KillTimer(m_hwnd, id);
        ClearShortcutSelection();
        break;
    case timers::kSnapBack: {
        KillTimer(m_hwnd, id);
        if (!m_view) {
            break;
        }
        const auto& tabs = m_view->VisibleTabs();
        for (size_t i = 0; i < tabs.size(); ++i) {
            if (tabs[i]->SnapBack) {
                if (static_cast<int>(i) != m_currentTab) {
                    SetCurrentTab(static_cast<int>(i));
                    m_view->HidePopupChild();
                    m_view->OnCurrentTabChanged();
                }
                break;
            }
        }
        break;
    }
    case timers::kMinimize:
        KillTimer(m_hwnd, id);
        Minimize();
        break;
    case timers::kDragHover:
        KillTimer(m_hwnd, id);
        OnDragHoverTimer();
        break;
    case timers::kStatus: {
        m_status.Tick(m_fileChangePending);
        HidePanelUnlessTodayInFront();
        break;
    }
    case timers::kPanelWatch:
        HidePanelUnlessTodayInFront();
        if (!m_view || !m_view->PopupChild() || !IsWindowVisible(m_view->PopupChild())) {
            KillTimer(m_hwnd, id);
        }
        break;
    case timers::kPostLoadRefresh:
        KillTimer(m_hwnd, id);
        Reload(false);
        break;
    case timers::kTaskManagerAnimation:
        m_taskManagerStep += 2;
        if (!m_taskManager.AnimationStep(m_taskManagerStep)) {
            KillTimer(m_hwnd, id);
        } else if (m_taskManagerStep == 2) {
            // The first step comes at once, the others every 50 ms.
            SetTimer(m_hwnd, id, kTaskManagerAnimationMs, nullptr);
        }
        break;
    case timers::kScreenCapture:
        m_capture.OnTimer(m_hwnd, id);
        break;
    default:
        // The view's own timers (scrolling the icon area).
        if (m_view) {
            LRESULT result = 0;
            m_view->ProcessWindowMessage(m_hwnd, WM_TIMER, id, 0, result);
        }
        break;
    }
}

void TodayItemWindow::StartUp() {
    if (!IsAPIReady(SH_SHELL)) {
        SetTimer(m_hwnd, timers::kStartup, kStartupRetryMs, nullptr);
        return;
    }
    Step("startup");
    m_startedUp = true;
    // The caption popup is made when a hold first needs it.
    m_messageWindow.Create(m_parent);
    m_floatingPanel.Create(m_hwnd);
    Reload(true);
    // Nothing on the screen depends on file-change or power notices (the first
    // refresh read the power status itself): registering for them, which starts
    // two threads, waits for the start-up timer's next tick, after the Today
    // screen has had the new view to show.
    SetTimer(m_hwnd, timers::kStartup, 0, nullptr);
}

void TodayItemWindow::RegisterChangeNotifications() {
    SHCHANGENOTIFYENTRY entry = {};
    entry.dwEventMask = SHCNE_ALLEVENTS;
    entry.pszWatchDir = nullptr;
    m_changeNotifyRegistered = CeSHChangeNotifyRegister(m_hwnd, &entry) != FALSE;
    Step("changenotify.register");
}

void TodayItemWindow::Reload(bool startup) {
    Step("power.stop");
    m_power.Stop();
    bool trueVgaBefore = TrueVga();

    Step("settings.load");
    // Every shortcut record is replaced: nothing may point at the old ones.
    EndDrag();
    m_press = PressState{};
    m_selectedShortcut = nullptr;
    if (!m_settings.Load() && !m_loadFailureShown) {
        // Said once: a broken file must not bury the Today screen in message boxes.
        m_loadFailureShown = true;
        Module::ShowMessage(m_hwnd, ids::kSettingsLoadFailed, MB_ICONEXCLAMATION);
    }
    UpdateSeparatorColour();
    DWORD value = 0;
    if (ReadItemDword(names::kCurrentTabValue, value)) {
        m_currentTab = static_cast<int>(value & 0xFFFF);
    }
    CreateMenuFont();
    if (TrueVga() != trueVgaBefore) {
        Step("view.destroy");
        m_view.reset();
    }
    SwitchView(m_settings.General.BehaviorMode);
    if (m_view) {
        int count = static_cast<int>(m_view->VisibleTabs().size());
        if (m_currentTab < 0 || m_currentTab >= count) {
            m_currentTab = count > 0 ? 0 : -1;
        }
    }
    if (startup && m_settings.General.RunMinimized) {
        WriteItemDword(names::kMinimizeOnRefreshValue, 1);
    }
    Step("trayicons.rebuild");
    m_trayIcons.Rebuild(m_hwnd, m_settings);
    Step("softkeys.assign");
    m_softKeys.Assign(m_settings);
    Step("messagewindow.reload");
    m_messageWindow.Reload();
    Step("status.restart");
    SetTimer(m_hwnd, timers::kStatus, kStatusPeriodMs, nullptr);
    m_status.Refresh(kFullStatusMask);
    Step("meterbar.rebuild");
    m_meterBar.Rebuild(m_settings);
    if (startup && m_settings.General.PostLoadRefresh > 0) {
        SetTimer(m_hwnd, timers::kPostLoadRefresh, static_cast<UINT>(m_settings.General.PostLoadRefresh),
                 nullptr);
    }
    if (startup) {
        m_powerStartPending = true;
    } else {
        StartPower();
    }
}

void TodayItemWindow::StartPower() {
    Step("power.start");
    m_powerStartPending = false;
    m_power.Start(m_hwnd, m_settings.General.UsePollingForBattery);
    if (!m_settings.General.UsePollingForBattery) {
        m_status.CatchUpPower();
    }
}

void TodayItemWindow::SwitchView(int type) {
    if (IsMinimizeStored()) {
        if (type == viewtype::kLoading) {
            return;
        }
        type = viewtype::kMinimized;
    }
    if (!m_view || m_view->GetType() != type) {
        m_view.reset();
        switch (type) {
        case viewtype::kMinimized:
            m_view = std::make_unique<MinimizedView>(*this);
            break;
        case viewtype::kLoading:
            m_view = std::make_unique<LoadingView>(*this);
            break;
        case viewtype::kNoTabs:
            m_view = std::make_unique<NoTabsView>(*this);
            break;
        case viewtype::kThumbTabs:
            m_view = std::make_unique<TabView>(*this, true);
            break;
        default:
            m_view = std::make_unique<TabView>(*this, false);
            break;
        }
    }
    Step("view.switch");
    m_view->SetScrollOffset(0);
    m_view->ReloadTabs();
    m_view->Relayout();
    if (m_hwnd) {
        InvalidateRect(m_hwnd, nullptr, FALSE);
        UpdateWindow(m_hwnd);
    }
    int height = m_view->GetHeight();
    PostMessageW(HWND_BROADCAST, Module::Messages().currentHeight, height == -1 ? 0 : height, 0);
}

LRESULT TodayItemWindow::OnQueryRefreshCache(TODAYLISTITEM* item) {
    if (!item) {
        return FALSE;
    }
    int desired = ScaleY(26);
    if (m_view && m_view->GetType() != viewtype::kLoading && m_view->GetType() != viewtype::kMinimized &&
        IsMinimizeStored()) {
        // Minimized through a Today refresh: a Today screen that keeps its items
        // across the refresh asks us again instead of creating us anew, so the
        // stored state has to take effect here or the item would never collapse.
        SwitchView(viewtype::kMinimized);
    }
    if (m_view && m_view->GetType() != viewtype::kLoading) {
        desired = m_view->GetHeight();
    } else if (IsMinimizeStored()) {
        desired = -1;
    } else {
        DWORD last = 0;
        if (ReadItemDword(names::kLastHeightValue, last)) {
            // A height stored at another screen resolution (the device was
            // switched from QVGA to VGA) can be too small for the loading view
            // itself; the Today screen gets at least what that needs.
            const int loading = m_view ? m_view->GetHeight() : ScaleY(26);
            desired = std::max(static_cast<int>(last), loading);
        }
    }
    int current = static_cast<int>(item->cyp);
    if (desired == current || (current == 0 && desired == -1)) {
        if (IsAPIReady(SH_SHELL) && m_meterBar.Hwnd()) {
            SetWindowPos(m_meterBar.Hwnd(), HWND_TOPMOST, 0, 0, 0, 0,
                         SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        }
        return FALSE;
    }
    item->cyp = static_cast<DWORD>(desired);
    if (current > 1 && m_settings.General.RefreshOnResize) {
        PostMessageW(CeGetDesktopWindow(), WM_WININICHANGE, TODAY_SETTINGCHANGE_CODE, 0);
    }
    WriteItemDword(names::kLastHeightValue, static_cast<DWORD>(desired));
    return TRUE;
}

LRESULT TodayItemWindow::OnReceivedSelection(WPARAM key) {
    TabRecord* tab = CurrentTabRecord();
    if (!m_settings.General.DPadSupport || !tab) {
        return FALSE;
    }
    m_todaySelection = true;
    if (m_selectionHold) {
        return TRUE;
    }
    if (m_view && m_view->HandleKey(static_cast<int>(key), true)) {
        ClearShortcutSelection();
        return TRUE;
    }
    if (tab->Shortcuts.empty()) {
        return FALSE;
    }
    SelectShortcut(tab->Shortcuts.front().get());
    return TRUE;
}

LRESULT TodayItemWindow::OnLostSelection() {
    m_todaySelection = false;
    if (m_view) {
        m_view->ClearTabBarFocus();
        m_view->HidePopupChild();
    }
    if (m_hwnd) {
        InvalidateRect(m_hwnd, nullptr, FALSE);
    }
    ClearShortcutSelection();
    return FALSE;
}

void TodayItemWindow::SelectShortcut(ShortcutRecord* shortcut, bool clearLater) {
    m_selectedShortcut = shortcut;
    if (shortcut && m_view) {
        m_view->ScrollIntoView(*shortcut);
    }
    if (m_hwnd) {
        if (clearLater && shortcut) {
            SetTimer(m_hwnd, timers::kClearSelection, kTapSelectionMs, nullptr);
        } else {
            KillTimer(m_hwnd, timers::kClearSelection);
        }
        InvalidateRect(m_hwnd, nullptr, FALSE);
        UpdateWindow(m_hwnd);
    }
    if (m_view && m_view->PopupChild() && IsWindowVisible(m_view->PopupChild())) {
        InvalidateRect(m_view->PopupChild(), nullptr, FALSE);
        UpdateWindow(m_view->PopupChild());
    }
}

void TodayItemWindow::ClearShortcutSelection() {
    SelectShortcut(nullptr);
}

void TodayItemWindow::BeginPress(HWND window, POINT point, ShortcutRecord* shortcut) {
    m_press.point = point;
    m_press.window = window;
    m_press.shortcut = shortcut;
    m_press.tapPending = true;
}

bool TodayItemWindow::TakeTap() {
    bool pending = m_press.tapPending;
    m_press.tapPending = false;
    return pending;
}

void TodayItemWindow::OnStylusMove(HWND window, POINT point) {
    if (!m_view) {
        return;
    }
    if (!m_press.dragging && m_press.point.x != -1 && window == m_press.window) {
        if (std::abs(point.x - m_press.point.x) > ScaleX(5) ||
            std::abs(point.y - m_press.point.y) > ScaleY(5)) {
            StartDrag(window, point);
            m_press.point = POINT{-1, -1};
        }
    }
    if (!m_press.dragging || window != m_press.window) {
        return;
    }
    POINT screen = point;
    ClientToScreen(window, &screen);
    m_dragImage.Move(screen);
    // Hovering over another tab for a while opens it (tab bars in the item only).
    if (m_view->GetType() != viewtype::kCustomizedTabs || m_view->PopupChild() || window != m_hwnd) {
        return;
    }
    int tab = m_view->TabAt(point);
    if (tab == m_currentTab) {
        KillTimer(m_hwnd, timers::kDragHover);
        m_press.dragHoverTab = -1;
    } else if (tab != m_press.dragHoverTab) {
        KillTimer(m_hwnd, timers::kDragHover);
        m_press.dragHoverTab = tab;
        if (tab >= 0) {
            SetTimer(m_hwnd, timers::kDragHover, kDragHoverMs, nullptr);
        }
    }
}

void TodayItemWindow::StartDrag(HWND window, POINT point) {
    const GeneralOptions& general = m_settings.General;
    ShortcutRecord* shortcut = m_press.shortcut;
    if (!shortcut || !(general.AllowDragAndDropOnShortcuts || general.FreeIconPlacement)) {
        return;
    }
    const IconPlacement* placement = m_view->PlacementOf(shortcut);
    TabRecord* source = CurrentTabRecord();
    if (!placement || !source) {
        return;
    }
    POINT pressContent = m_view->ToContent(m_press.point);
    POINT hotSpot{pressContent.x - placement->originX, pressContent.y - placement->originY};
    SIZE size{};
    HBITMAP picture = m_view->RenderPicture(*shortcut, size);
    POINT screen = point;
    ClientToScreen(window, &screen);
    if (picture) {
        m_dragImage.Begin(m_hwnd, picture, size, hotSpot, screen);
    }
    SetCapture(window);
    m_press.dragging = true;
    m_press.dragSourceTab = source;
    m_press.dragHoverTab = -1;
    m_press.pressContent = pressContent;
    m_press.hotSpot = hotSpot;
    // A drag is no tap.
    m_press.tapPending = false;
}

void TodayItemWindow::OnDragHoverTimer() {
    if (!m_press.dragging || !m_view || m_press.dragHoverTab < 0 ||
        m_press.dragHoverTab >= static_cast<int>(m_view->VisibleTabs().size())) {
        return;
    }
    m_dragImage.Show(false);
    SetCurrentTab(m_press.dragHoverTab);
    m_press.dragHoverTab = -1;
    m_view->OnCurrentTabChanged();
    UpdateWindow(m_hwnd);
    m_dragImage.Show(true);
}

bool TodayItemWindow::OnStylusUp(HWND window, POINT point) {
    if (m_press.dragging && window == m_press.window) {
        Drop(point);
        return true;
    }
    m_press.point = POINT{-1, -1};
    return false;
}

void TodayItemWindow::EndDrag() {
    if (m_hwnd) {
        KillTimer(m_hwnd, timers::kDragHover);
    }
    m_dragImage.End();
    bool wasDragging = m_press.dragging;
    m_press.dragging = false;
    if (wasDragging && m_press.window && GetCapture() == m_press.window) {
        ReleaseCapture();
    }
}

void TodayItemWindow::OnCaptureLost(HWND window, HWND newCapture) {
    if (m_press.dragging && window == m_press.window && newCapture != window) {
        // Someone else took the stylus (a message box, a menu): the drag is off
        // and nothing moves.
        EndDrag();
        m_press = PressState{};
    }
}

void TodayItemWindow::Drop(POINT point) {
    ShortcutRecord* shortcut = m_press.shortcut;
    TabRecord* source = m_press.dragSourceTab;
    POINT pressContent = m_press.pressContent;
    POINT drop = m_view->ToContent(point);
    EndDrag();
    m_press = PressState{};
    TabRecord* target = CurrentTabRecord();
    if (!shortcut || !source || !target) {
        return;
    }
    const IconPlacement* placementAtPress = m_view->PlacementOf(shortcut);
    IconPlacement pressed = placementAtPress ? *placementAtPress : IconPlacement{};
    // Take the shortcut out of its place, then put it where it was dropped.
    auto from = std::find_if(source->Shortcuts.begin(), source->Shortcuts.end(),
                             [&](const auto& entry) { return entry.get() == shortcut; });
    if (from == source->Shortcuts.end()) {
        return;
    }
    const int draggedIndex = target == source ? static_cast<int>(from - source->Shortcuts.begin()) : -1;
    int index = static_cast<int>(target->Shortcuts.size()) - (target == source ? 1 : 0);
    if (const IconLayoutResult* layout = m_view->LayoutOf(target)) {
        index = DropInsertionIndex(*layout, draggedIndex, drop.x, drop.y);
    }
    std::unique_ptr<ShortcutRecord> moving = std::move(*from);
    source->Shortcuts.erase(from);
    index = std::min(index, static_cast<int>(target->Shortcuts.size()));
    target->Shortcuts.insert(target->Shortcuts.begin() + index, std::move(moving));
    if (m_settings.General.FreeIconPlacement) {
        SettingsPoint at = FreeDropPosition(pressed, pressContent.x, pressContent.y, drop.x, drop.y);
        const bool landscape = GetSystemMetrics(SM_CYSCREEN) < GetSystemMetrics(SM_CXSCREEN);
        if (landscape) {
            shortcut->SetLocationLandscape(at);
            target->FreePlacedLandscape = true;
        } else {
            shortcut->SetLocationPortrait(at);
            target->FreePlacedPortrait = true;
        }
    }
    SaveSettings();
    m_view->Relayout();
    InvalidateRect(m_hwnd, nullptr, FALSE);
    if (m_view->PopupChild()) {
        InvalidateRect(m_view->PopupChild(), nullptr, FALSE);
    }
}

bool TodayItemWindow::SaveSettings() {
    if (m_settings.Save()) {
        return true;
    }
    // The change stays on the screen but not on disk: say so rather than let
    // the user believe it is kept.
    std::wstring text = Module::Text(ids::kSettingsSaveFailed);
    size_t at = text.find(L"%s");
    if (at != std::wstring::npos) {
        text.replace(at, 2, m_settings.Path());
    }
    m_launcher.Services().messageBox(m_hwnd, text, MB_OK | MB_ICONEXCLAMATION);
    return false;
}

void TodayItemWindow::WatchPanel() {
    if (m_hwnd) {
        SetTimer(m_hwnd, timers::kPanelWatch, kPanelWatchMs, nullptr);
    }
}

void TodayItemWindow::HidePanelUnlessTodayInFront() {
    HWND foreground = GetForegroundWindow();
    if (m_view && foreground != CeGetDesktopWindow() && foreground != m_floatingPanel.Hwnd()) {
        m_view->HidePopupChild();
    }
}

void TodayItemWindow::ShowCaption(const std::wstring& text, POINT screenPoint) {
    if (!m_captionPopup.Hwnd()) {
        m_captionPopup.Create(m_hwnd);
    }
    m_captionPopup.Show(text, screenPoint);
}

LRESULT TodayItemWindow::OnNavigationKey(int key) {
    TabRecord* tab = CurrentTabRecord();
    if (!tab || !m_view) {
        return FALSE;
    }
    if (m_view->IsTabBarFocused()) {
        switch (m_view->HandleTabBarKey(key)) {
        case tabbarkey::kNotHandled:
            return FALSE;
        case tabbarkey::kConsumed:
            return TRUE;
        default:
            tab = CurrentTabRecord();
            if (tab && !tab->Shortcuts.empty()) {
                SelectShortcut(m_selectedShortcut ? m_selectedShortcut : tab->Shortcuts.front().get());
            }
            return TRUE;
        }
    }
    ShortcutRecord* selected = m_selectedShortcut;
    if (key == VK_RETURN) {
        if (!selected) {
            return FALSE;
        }
        if (m_settings.General.DPadAction == 0) {
            m_launcher.Activate(*selected, true);
        } else {
            POINT at{0, 0};
            if (const IconPlacement* placement = m_view->PlacementOf(selected)) {
                POINT corner{placement->hit.left, placement->hit.bottom};
                if (!m_view->PopupChild()) {
                    corner.y += m_view->ScrollOffset();
                }
                at = corner;
            }
            ClientToScreen(m_view->InputWindow(), &at);
            m_menus.ShowShortcutMenu(*selected, at, true);
        }
        return TRUE;
    }
    if (key != VK_LEFT && key != VK_RIGHT && key != VK_UP && key != VK_DOWN) {
        return FALSE;
    }
    if (!selected) {
        return TRUE;
    }
    if (ShortcutRecord* next = m_view->NeighbourOf(selected, key)) {
        SelectShortcut(next);
        return TRUE;
    }
    if (m_view->HandleKey(key, false)) {
        ClearShortcutSelection();
        return TRUE;
    }
    if (key == VK_LEFT || key == VK_RIGHT) {
        SelectShortcut(key == VK_LEFT ? tab->Shortcuts.back().get() : tab->Shortcuts.front().get());
        return FALSE;
    }
    m_view->HidePopupChild();
    return FALSE;
}

void TodayItemWindow::OnFileChange(LPARAM lp) {
    auto* notification = reinterpret_cast<FILECHANGENOTIFY*>(lp);
    if (!notification) {
        return;
    }
    switch (notification->fci.wEventId) {
    case SHCNE_CREATE:
    case SHCNE_DELETE:
    case SHCNE_MKDIR:
    case SHCNE_RMDIR:
    case SHCNE_UPDATEDIR:
        m_fileChangePending = true;
        break;
    case SHCNE_MEDIAINSERTED:
    case SHCNE_MEDIAREMOVED:
    case SHCNE_DRIVEREMOVED:
    case SHCNE_DRIVEADD:
        Step("cards.refresh");
        ProcessStatus().UpdateStorageCards();
        if (m_settings.General.RefreshOnStorageCardChange) {
            Reload(false);
        }
        m_fileChangePending = true;
        break;
    default:
        break;
    }
    SHChangeNotifyFree(notification);
}

void TodayItemWindow::ToggleMinimized() {
    if (m_view && m_view->GetType() == viewtype::kMinimized) {
        DeleteItemValue(names::kMinimizeOnRefreshValue);
        SwitchView(m_settings.General.BehaviorMode);
    } else {
        SetTimer(m_hwnd, timers::kMinimize, kMinimizeDelayMs, nullptr);
    }
}

void TodayItemWindow::Minimize() {
    WriteItemDword(names::kMinimizeOnRefreshValue, 1);
    if (!m_settings.General.RefreshOnMinimize || m_settings.General.RefreshOnResize) {
        SwitchView(viewtype::kMinimized);
    } else {
        SendMessageW(CeGetDesktopWindow(), WM_WININICHANGE, TODAY_SETTINGCHANGE_CODE, 0);
    }
}

void TodayItemWindow::CreateMenuFont() {
    if (m_menuFont) {
        DeleteObject(m_menuFont);
        m_menuFont = nullptr;
    }
    LOGFONTW font = {};
    CeGetSystemFont(&font);
    font.lfWeight = FW_BOLD;
    font.lfHeight = ScaleY(13);
    m_menuFont = CreateFontIndirectW(&font);
}

void TodayItemWindow::UpdateSeparatorColour() {
    ColorValue colour = m_settings.General.LineSeparatorsColor;
    if (colour == kAutomaticColor) {
        m_separatorColour = SystemColour(kSeparatorColourIndex, kDefaultSeparatorColour);
    } else {
        m_separatorColour = ToColorRef(colour);
    }
}

void TodayItemWindow::OnLauncherCode(int code) {
    Step("launcher.code");
    switch (code) {
    case launchercode::kTaskManager:
        Step("launcher.taskmanager");
        m_taskManager.Show(m_settings.General.AltTabMode);
        break;
    case launchercode::kOkButton:
        // The same rule as the task bar's close corner.
        Step("launcher.okbutton");
        m_tasks.OkButton(m_settings, m_settings.General.XButtonCloses, GetForegroundWindow());
        break;
    default:
        m_launcher.OnCode(code);
        break;
    }
}

void TodayItemWindow::StartTaskManagerAnimation() {
    if (!m_hwnd) {
        return;
    }
    m_taskManagerStep = 0;
    SetTimer(m_hwnd, timers::kTaskManagerAnimation, 0, nullptr);
}

void TodayItemWindow::StartScreenCapture(UINT delayMs) {
    if (m_hwnd) {
        SetTimer(m_hwnd, timers::kScreenCapture, delayMs, nullptr);
    }
}

void TodayItemWindow::StoreCaptureOptions(const ShortcutRecord& shortcut, int count, int delay,
                                          int repeatDelay) {
    // The command holds the shortcut read-only; the record it names is ours.
    auto store = [&](TabRecord& tab) {
        for (auto& own : tab.Shortcuts) {
            if (own.get() == &shortcut) {
                PropertyList& properties = own->SpecialProperties();
                properties.Set(specialkey::kCount, std::to_wstring(count));
                properties.Set(specialkey::kDelay, std::to_wstring(delay));
                properties.Set(specialkey::kRepeatDelay, std::to_wstring(repeatDelay));
                return true;
            }
        }
        return false;
    };
    bool found = false;
    for (auto& tab : m_settings.Tabs()) {
        found = found || store(*tab);
    }
    for (int type = 1; type <= kSpecialTabCount && !found; ++type) {
        found = store(m_settings.SpecialTab(static_cast<SpecialTabType>(type)));
    }
    if (found) {
        SaveSettings();
    }
}

void TodayItemWindow::OnDisplaySettingChange() {
    if (m_view) {
        m_view->Relayout();
    }
    // A rotated screen wants the bar's other pictures and its new width.
    m_meterBar.Redraw();
    if (m_hwnd) {
        InvalidateRect(m_hwnd, nullptr, FALSE);
    }
}

void TodayItemWindow::Shutdown() {
    Step("imaging.release");
    m_imaging.reset();
    Step("meterbar.destroy");
    m_meterBar.Destroy();
    Step("changenotify.deregister");
    if (m_changeNotifyRegistered) {
        CeSHChangeNotifyDeregister(m_hwnd);
        m_changeNotifyRegistered = false;
    }
    Step("icons.free");
    for (auto& tab : m_settings.Tabs()) {
        for (auto& shortcut : tab->Shortcuts) {
            shortcut->DropIcon();
        }
    }
    Step("messagewindow.reload");
    m_messageWindow.Forget();
    Step("subwindows.destroy");
    m_messageWindow.Destroy();
    m_floatingPanel.Destroy();
    m_captionPopup.Destroy();
    Step("power.stop");
    m_powerStartPending = false;
    m_power.Stop();
    Step("trayicons.remove");
    m_trayIcons.RemoveAll(m_hwnd);
    Step("softkeys.restore");
    m_softKeys.Restore();
    Step("status.kill");
    KillTimer(m_hwnd, timers::kStatus);
    KillTimer(m_hwnd, timers::kScreenCapture);
    m_capture.Cancel();
    Step("taskmanager.destroy");
    m_taskManager.Destroy();
    Step("class.unregister");
    UnregisterClassW(names::kWindowClass, Module::Instance());
}

} // namespace norvane
