// The message window: broadcasts in, hand-off to the item window, and the
// extensions of the shell's task bar.
#include "MessageWindow.h"

#include "CeGesture.h"
#include "CeShell.h"
#include "DisplayScale.h"
#include "ImageDraw.h"
#include "ImageLoader.h"
#include "ImageShortcutIcon.h"
#include "MeterPictures.h"
#include "Module.h"
#include "Painter.h"
#include "TaskItems.h"
#include "TaskLayout.h"
#include "TaskManagerPopup.h"
#include "TaskRules.h"
#include "TodayItemWindow.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>

namespace norvane {

namespace {
constexpr wchar_t kMessageWindowClass[] = L"NorvaneMessageWindow";
constexpr wchar_t kSubclassOwnerProp[] = L"NorvaneMessageWindow";
constexpr UINT_PTR kRunningTimer = 101;
constexpr UINT kRunningPeriodMs = 2500;
constexpr UINT kCloseCommand = 1;
constexpr UINT kCloseAllButThisCommand = 2;

LRESULT CALLBACK TaskBarSubclassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    auto* self = static_cast<MessageWindow*>(GetPropW(hwnd, kSubclassOwnerProp));
    if (!self || !self->TaskBarPreviousProc()) {
        return DefWindowProcW(hwnd, msg, wp, lp);
    }
    return self->OnTaskBarMessage(hwnd, msg, wp, lp);
}

POINT PointOf(LPARAM lp) {
    return POINT{static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))};
}

struct BarSearch {
    DWORD process;
    HWND found;
};

BOOL CALLBACK FindOwnTaskBar(HWND window, LPARAM lp) {
    auto* search = reinterpret_cast<BarSearch*>(lp);
    wchar_t name[32] = L"";
    GetClassNameW(window, name, 32);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (lstrcmpW(name, names::kTaskBarClass) == 0 && process == search->process) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

} // namespace

MessageWindow::MessageWindow(TodayItemWindow& owner) : m_owner(owner) {
    m_services.isHold = [](HWND window, POINT point, DWORD flags) {
        SHRGINFO info = {};
        info.cbSize = sizeof info;
        info.hwndClient = window;
        info.ptDown = point;
        info.dwFlags = flags;
        return SHRecognizeGesture(&info) == GN_CONTEXTMENU;
    };
    m_services.track = [](HMENU menu, POINT at, HWND owner) {
        return static_cast<UINT>(TrackPopupMenu(menu,
                                                TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RETURNCMD | TPM_NONOTIFY,
                                                at.x, at.y, 0, owner, nullptr));
    };
}

MessageWindow::~MessageWindow() {
    Destroy();
}

bool MessageWindow::Create(HWND itemParent) {
    m_itemParent = itemParent;
    m_forgotten = false;
    WNDCLASSW wc = {};
    wc.lpfnWndProc = WindowBase::StaticWindowProc;
    wc.hInstance = Module::Instance();
    wc.lpszClassName = kMessageWindowClass;
    RegisterClassW(&wc); // an existing registration is fine
    HWND hwnd =
        CreateWindowExW(0, kMessageWindowClass, names::kWindowCaption, WS_CLIPSIBLINGS | WS_CLIPCHILDREN, 0,
                        0, 0, 0, nullptr, nullptr, Module::Instance(), this);
    return hwnd != nullptr;
}

void MessageWindow::Destroy() {
    DestroyOwnWindow();
    m_running.clear();
}

ShortcutRecord* MessageWindow::TopBarShortcut() const {
    if (m_forgotten) {
        return nullptr;
    }
    TabRecord& tab = m_owner.GetSettings().SpecialTab(SpecialTabType::TopBar);
    return tab.Shortcuts.empty() ? nullptr : tab.Shortcuts.front().get();
}

void MessageWindow::LoadStoredX() {
    m_storedX = m_owner.GetSettings().General.TopBarShortcutX;
    UpdateCurrentX();
}

void MessageWindow::UpdateCurrentX() {
    m_currentX = TopBarCurrentX(m_storedX, m_owner.GetSettings().General.TopBarIconRightAlignment,
                                GetSystemMetrics(SM_CXSCREEN));
}

void MessageWindow::Reload() {
    if (m_hwnd) {
        KillTimer(m_hwnd, kRunningTimer);
    }
    m_running.clear();
    m_dragging = false;
    LoadStoredX();
    if (m_hwnd && !m_forgotten && m_owner.GetSettings().General.ShowRunningPrograms) {
        RefreshRunning();
        SetTimer(m_hwnd, kRunningTimer, kRunningPeriodMs, nullptr);
    }
    RepaintTaskBar();
}

void MessageWindow::Forget() {
    m_forgotten = true;
    Reload();
}

void MessageWindow::RepaintTaskBar() {
    if (m_taskBar && IsWindow(m_taskBar)) {
        InvalidateRect(m_taskBar, nullptr, TRUE);
        UpdateWindow(m_taskBar);
    }
}

void MessageWindow::RedrawTopBar() {
    InvalidateTopBar();
}

void MessageWindow::SubclassTaskBar() {
    // The bar of our own process: the subclass runs on this thread.
    BarSearch search{GetCurrentProcessId(), nullptr};
    EnumWindows(FindOwnTaskBar, reinterpret_cast<LPARAM>(&search));
    m_taskBar = search.found;
    if (!m_taskBar) {
        return;
    }
    SetPropW(m_taskBar, kSubclassOwnerProp, this);
    m_taskBarProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(m_taskBar, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TaskBarSubclassProc)));
    if (!m_taskBarProc) {
        RemovePropW(m_taskBar, kSubclassOwnerProp);
        m_taskBar = nullptr;
    }
}

void MessageWindow::RemoveTaskBarSubclass() {
    if (m_taskBar && IsWindow(m_taskBar) && m_taskBarProc) {
        SetWindowLongPtrW(m_taskBar, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_taskBarProc));
        RemovePropW(m_taskBar, kSubclassOwnerProp);
        // The bar paints itself again without us.
        InvalidateRect(m_taskBar, nullptr, TRUE);
    }
    m_taskBar = nullptr;
    m_taskBarProc = nullptr;
}

RECT MessageWindow::CornerRect() const {
    RECT client{};
    if (m_taskBar) {
        GetClientRect(m_taskBar, &client);
    }
    return RECT{client.right - ScaleX(26), client.top, client.right, client.top + ScaleY(26)};
}

RECT MessageWindow::TopBarRect() const {
    if (TrueVga()) {
        return RECT{m_currentX, 5, m_currentX + 16, 21};
    }
    return RECT{m_currentX, ScaleY(5), m_currentX + ScaleX(16), ScaleY(5) + ScaleY(16)};
}

void MessageWindow::InvalidateTopBar() {
    if (m_taskBar) {
        const RECT rect = TopBarRect();
        InvalidateRect(m_taskBar, &rect, FALSE);
    }
}

std::vector<RECT> MessageWindow::RunningIconRects() const {
    const GeneralOptions& general = m_owner.GetSettings().General;
    const int width = GetSystemMetrics(SM_CXSCREEN);
    const bool landscape = width > GetSystemMetrics(SM_CYSCREEN);
    RunningIconMetrics metrics;
    metrics.start = general.RunningProgramsStart;
    metrics.rightAlign = general.RunningProgramsRightAlign;
    metrics.spacing = general.RunningProgramsSpacing;
    metrics.limit = landscape ? general.RunningProgramsLimitLandscape : general.RunningProgramsLimitPortrait;
    metrics.iconWidth = ScaleX(16);
    metrics.y = ScaleY(5);
    metrics.screenWidth = width;
    std::vector<RECT> rects;
    for (const RunningIconPlace& place : PlaceRunningIcons(static_cast<int>(m_running.size()), metrics)) {
        rects.push_back(place.shown ? RECT{place.x, place.y, place.x + ScaleX(16), place.y + ScaleY(16)}
                                    : RECT{-1, -1, -1, -1});
    }
    return rects;
}

int MessageWindow::RunningIconAt(POINT point) const {
    const std::vector<RECT> rects = RunningIconRects();
    for (int i = 0; i < static_cast<int>(rects.size()); ++i) {
        if (rects[i].left != -1 && PtInRect(&rects[i], point)) {
            return i;
        }
    }
    return -1;
}

bool MessageWindow::RefreshRunning() {
    Settings& settings = m_owner.GetSettings();
    TaskRules& rules = m_owner.Tasks();
    std::vector<HWND> windows;
    HWND desktop = CeGetDesktopWindow();
    if (settings.General.RunningProgramsShowDesktop && desktop) {
        windows.push_back(desktop);
    }
    const ShellProcesses spared = rules.CurrentShellProcesses();
    for (const TaskRules::Program& program : rules.ListPrograms()) {
        if (!spared.Contains(program.window) &&
            (TaskRules::ExceptionBits(settings, program.title) & exceptionbit::kHide) == 0) {
            windows.push_back(program.window);
        }
    }
    // By handle: the icons keep their order whichever program is in front.
    std::sort(windows.begin(), windows.end(), [](HWND a, HWND b) {
        return reinterpret_cast<std::uintptr_t>(a) < reinterpret_cast<std::uintptr_t>(b);
    });
    const bool same =
        windows.size() == m_running.size() &&
        std::equal(windows.begin(), windows.end(), m_running.begin(),
                   [](HWND window, const RunningProgram& entry) { return window == entry.window; });
    if (same) {
        return false;
    }
    std::vector<RunningProgram> fresh;
    for (HWND window : windows) {
        RunningProgram entry;
        entry.window = window;
        entry.desktop = window == desktop;
        auto known = std::find_if(m_running.begin(), m_running.end(),
                                  [window](const RunningProgram& old) { return old.window == window; });
        if (known != m_running.end()) {
            entry.icon = std::move(known->icon);
        } else if (!entry.desktop) {
            // While true VGA doubles our measures the icon comes at the large size.
            UniqueIcon system(rules.CachedProgramIcon(window, TrueVga()));
            IconToImage(system.get(), entry.icon);
        }
        fresh.push_back(std::move(entry));
    }
    m_running = std::move(fresh);
    return true;
}

void MessageWindow::PaintExtensions(HWND bar) {
    if (m_forgotten) {
        return;
    }
    const GeneralOptions& general = m_owner.GetSettings().General;
    ShortcutRecord* topBar = TopBarShortcut();
    const bool running = general.ShowRunningPrograms && !m_running.empty();
    if (!running && !topBar) {
        return;
    }
    RECT client;
    GetClientRect(bar, &client);
    const int width = client.right - client.left;
    const int height = client.bottom - client.top;
    if (width <= 0 || height <= 0) {
        return;
    }
    HDC dc = GetDC(bar);
    if (!dc) {
        return;
    }
    // Over a copy of what the bar has just painted, then back in one piece.
    UniqueMemoryDc memory(CreateCompatibleDC(dc));
    UniqueBitmap bitmap(CreateCompatibleBitmap(dc, width, height));
    {
        SelectedObject selected(memory.get(), bitmap.get());
        BitBlt(memory.get(), 0, 0, width, height, dc, 0, 0, SRCCOPY);
        if (running) {
            const std::vector<RECT> rects = RunningIconRects();
            for (std::size_t i = 0; i < m_running.size(); ++i) {
                if (rects[i].left == -1) {
                    continue;
                }
                const RunningProgram& entry = m_running[i];
                if (entry.desktop) {
                    if (!m_desktopImageLoaded) {
                        const int size = TrueVga() ? 16 : ScaleX(16);
                        m_desktopImageLoaded =
                            LoadThemeImage(m_desktopImage, L"desktop" + std::to_wstring(size) + L".tga", 0,
                                           ItemThemeContext(m_owner.GetSettings()));
                    }
                    DrawImage(m_desktopImage, memory.get(), rects[i].left, rects[i].top);
                } else {
                    DrawImage(entry.icon, memory.get(), rects[i].left, rects[i].top);
                }
            }
        }
        if (topBar) {
            m_currentX = ClampTopBarX(m_currentX, ScaleX(0), GetSystemMetrics(SM_CXSCREEN), ScaleX(16));
            const RECT rect = TopBarRect();
            if (const ShortcutIcon* picture = PictureOf(topBar->Icon())) {
                DrawFittedPicture(memory.get(), *picture, rect.left, rect.top, rect.right - rect.left);
            }
            // A meter shows its value over its picture when it was loaded at
            // the icon's size.
            if (topBar->Meter() && topBar->Meter()->Size == rect.right - rect.left) {
                DrawShortcutMeter(*topBar, memory.get(), rect.left, rect.top);
            }
        }
        BitBlt(dc, 0, 0, width, height, memory.get(), 0, 0, SRCCOPY);
    }
    ReleaseDC(bar, dc);
}

LRESULT MessageWindow::OnTaskBarMessage(HWND bar, UINT msg, WPARAM wp, LPARAM lp) {
    const WNDPROC previous = m_taskBarProc;
    switch (msg) {
    case WM_PAINT: {
        // The title for the program in front, before the bar paints it.
        if (!m_forgotten) {
            const bool hide = m_owner.GetSettings().General.RunningProgramsHideTitles;
            SHSetNavBarText(GetForegroundWindow(), hide ? L" " : nullptr);
        }
        const LRESULT result = CallWindowProcW(previous, bar, msg, wp, lp);
        PaintExtensions(bar);
        return result;
    }
    case WM_LBUTTONDOWN:
        if (OnTaskBarPress(PointOf(lp))) {
            return 0;
        }
        break;
    case WM_LBUTTONUP:
        if (OnTaskBarRelease(PointOf(lp))) {
            return 0;
        }
        break;
    case WM_NCDESTROY: {
        // The bar goes first (the shell ends): let go of it.
        const LRESULT result = CallWindowProcW(previous, bar, msg, wp, lp);
        RemovePropW(bar, kSubclassOwnerProp);
        m_taskBar = nullptr;
        m_taskBarProc = nullptr;
        return result;
    }
    default:
        break;
    }
    return CallWindowProcW(previous, bar, msg, wp, lp);
}

bool MessageWindow::OnTaskBarPress(POINT point) {
    if (m_forgotten) {
        return false;
    }
    const GeneralOptions& general = m_owner.GetSettings().General;
    const RECT corner = CornerRect();
    if ((general.ShowTaskManager == 1 || general.ShowTaskManager == 2) && PtInRect(&corner, point)) {
        const DWORD flags = SHRG_RETURNCMD | (general.ShowTaskManager == 2 ? SHRG_NOANIMATION : 0);
        if (m_services.isHold && m_services.isHold(m_taskBar, point, flags)) {
            m_owner.TaskManager().Show(false);
            return true;
        }
        return false;
    }
    if (ShortcutRecord* shortcut = TopBarShortcut()) {
        const RECT rect = TopBarRect();
        if (PtInRect(&rect, point)) {
            if (m_services.isHold && m_services.isHold(m_taskBar, point, SHRG_RETURNCMD)) {
                POINT screen = point;
                ClientToScreen(m_taskBar, &screen);
                m_owner.Menus().ShowSpecialShortcutMenu(*shortcut,
                                                        static_cast<int>(SpecialTabType::TopBar) - 1, screen);
            } else {
                m_dragStartX = m_currentX;
                m_moved = false;
                m_grabOffset = point.x - m_currentX;
                m_dragging = true;
                SetCapture(m_hwnd);
            }
            return true;
        }
    }
    if (general.ShowRunningPrograms) {
        const int index = RunningIconAt(point);
        if (index >= 0) {
            if (m_services.isHold && m_services.isHold(m_taskBar, point, SHRG_RETURNCMD)) {
                RunningIconMenu(index, point);
            }
            return true;
        }
    }
    return false;
}

bool MessageWindow::OnTaskBarRelease(POINT point) {
    if (m_forgotten) {
        return false;
    }
    Settings& settings = m_owner.GetSettings();
    const RECT corner = CornerRect();
    if (settings.General.XButtonCloses && PtInRect(&corner, point)) {
        if (m_owner.Tasks().CloseUnlessSpared(settings, GetForegroundWindow())) {
            // The bar saw the press: it must not keep the stylus.
            if (GetCapture() == m_taskBar) {
                ReleaseCapture();
            }
            return true;
        }
        return false;
    }
    if (settings.General.ShowRunningPrograms) {
        const int index = RunningIconAt(point);
        if (index >= 0) {
            HWND window = m_running[index].window;
            if (IsIconic(window)) {
                ShowWindow(window, SW_RESTORE);
            }
            SetForegroundWindow(window);
            return true;
        }
    }
    return false;
}

void MessageWindow::RunningIconMenu(int index, POINT barPoint) {
    HMENU menu = CreatePopupMenu();
    if (!menu) {
        return;
    }
    AppendMenuW(menu, MF_STRING, kCloseCommand, Module::Text(taskids::kClose).c_str());
    AppendMenuW(menu, MF_STRING, kCloseAllButThisCommand, Module::Text(taskids::kCloseAllButThis).c_str());
    POINT screen = barPoint;
    ClientToScreen(m_taskBar, &screen);
    const HWND window = m_running[index].window;
    const UINT chosen = m_services.track ? m_services.track(menu, screen, m_hwnd) : 0;
    DestroyMenu(menu);
    TaskRules& rules = m_owner.Tasks();
    if (chosen == kCloseCommand) {
        rules.CloseOrMinimize(window);
    } else if (chosen == kCloseAllButThisCommand) {
        std::vector<HWND> others;
        for (const RunningProgram& entry : m_running) {
            others.push_back(entry.window);
        }
        rules.CloseAll(m_owner.GetSettings(), others, window);
    }
}

void MessageWindow::OnDragMove(POINT screenPoint) {
    if (!m_dragging || GetCapture() != m_hwnd || m_owner.GetSettings().General.TopBarIconLocked) {
        return;
    }
    POINT point = screenPoint;
    ScreenToClient(m_taskBar, &point);
    const int x = ClampTopBarX(point.x - m_grabOffset, ScaleX(0), GetSystemMetrics(SM_CXSCREEN), ScaleX(16));
    if (x != m_currentX) {
        InvalidateTopBar();
        m_currentX = x;
        InvalidateTopBar();
        UpdateWindow(m_taskBar);
    }
    if (std::abs(m_currentX - m_dragStartX) >= ScaleX(3)) {
        m_moved = true;
    }
}

void MessageWindow::OnDragEnd(POINT screenPoint) {
    if (!m_dragging || GetCapture() != m_hwnd) {
        return;
    }
    m_dragging = false;
    ReleaseCapture();
    Settings& settings = m_owner.GetSettings();
    if (m_moved) {
        m_storedX = TopBarStoredX(m_currentX, settings.General.TopBarIconRightAlignment,
                                  GetSystemMetrics(SM_CXSCREEN));
        settings.General.TopBarShortcutX = m_storedX;
        m_owner.SaveSettings();
    } else {
        InvalidateTopBar();
        m_currentX = m_dragStartX;
        POINT point = screenPoint;
        ScreenToClient(m_taskBar, &point);
        const RECT rect = TopBarRect();
        if (PtInRect(&rect, point)) {
            if (ShortcutRecord* shortcut = TopBarShortcut()) {
                m_owner.GetLauncher().Activate(*shortcut, false);
            }
        }
    }
    InvalidateTopBar();
}

LRESULT MessageWindow::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    const RegisteredMessages& messages = Module::Messages();
    if (msg == messages.launcher && msg != 0) {
        m_owner.OnLauncherCode(static_cast<int>(wp));
        return 0;
    }
    if (msg == messages.settingsChanged && msg != 0) {
        m_owner.Reload(false);
        return 0;
    }
    if (msg == messages.screenCapture && msg != 0) {
        m_owner.StartScreenCapture(static_cast<UINT>(wp));
        return 0;
    }
    switch (msg) {
    case WM_CREATE:
        SubclassTaskBar();
        return 0;
    case WM_DESTROY:
        KillTimer(m_hwnd, kRunningTimer);
        m_running.clear();
        RemoveTaskBarSubclass();
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_SETTINGCHANGE:
        // The screen may have turned: a right-aligned icon keeps its distance
        // from the right edge.
        if (!m_dragging) {
            InvalidateTopBar();
            UpdateCurrentX();
            InvalidateTopBar();
        }
        m_owner.OnDisplaySettingChange();
        return 0;
    case WM_TIMER:
        if (wp == kRunningTimer) {
            if (RefreshRunning()) {
                RepaintTaskBar();
            }
        }
        return 0;
    case WM_MOUSEMOVE: {
        POINT point = PointOf(lp);
        ClientToScreen(m_hwnd, &point);
        OnDragMove(point);
        return 0;
    }
    case WM_LBUTTONUP: {
        POINT point = PointOf(lp);
        ClientToScreen(m_hwnd, &point);
        OnDragEnd(point);
        return 0;
    }
    case WM_CAPTURECHANGED:
        if (m_dragging && reinterpret_cast<HWND>(lp) != m_hwnd) {
            // Someone took the stylus: the icon goes back.
            m_dragging = false;
            InvalidateTopBar();
            m_currentX = m_dragStartX;
            InvalidateTopBar();
        }
        return 0;
    default:
        return DefWindowProcW(m_hwnd, msg, wp, lp);
    }
}

} // namespace norvane
