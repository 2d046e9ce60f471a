#include "TaskBar.h"

#include "DeviceContract.h"
#include "DeviceSupport.h"
#include "ShellHost.h"
#include "StartMenu.h"
#include "Theme.h"

#include <shellapi.h>

#include <algorithm>

namespace norvane::device {

namespace {

constexpr UINT_PTR kTrackTimer = 1;
constexpr UINT kTrackMs = 250;
constexpr LONG_PTR kCaptionOkButton = 0x80000000; // WS_EX_CAPTIONOKBTN on the device

bool IsWineDesktop(HWND window) {
    if (!window || window == GetDesktopWindow())
        return true;
    wchar_t name[64] = L"";
    GetClassNameW(window, name, 64);
    return lstrcmpW(name, L"#32769") == 0 || lstrcmpW(name, L"Shell_TrayWnd") == 0;
}

} // namespace

TaskBar::TaskBar(ShellHost& host) : m_host(host) {}

TaskBar::~TaskBar() {
    if (m_titleFont)
        DeleteObject(m_titleFont);
    if (m_clockFont)
        DeleteObject(m_clockFont);
}

bool TaskBar::Create(int width, int height) {
    m_width = width;
    m_height = height;
    m_titleFont = CreateFontW(-ScaleY(12), 0, 0, 0, FW_BOLD, 0, 0, 0, DEFAULT_CHARSET, 0, 0,
                              CLEARTYPE_QUALITY, 0, L"Tahoma");
    m_clockFont = CreateFontW(-ScaleY(11), 0, 0, 0, FW_BOLD, 0, 0, 0, DEFAULT_CHARSET, 0, 0,
                              CLEARTYPE_QUALITY, 0, L"Tahoma");
    if (!RegisterWindowClass(kTaskBarClass, 0, nullptr))
        return false;
    if (!CreateWindowFor(kTaskBarClass, L"", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN,
                         WS_EX_TOPMOST | WS_EX_TOOLWINDOW, 0, 0, width, height, nullptr))
        return false;
    SetTimer(m_hwnd, kTrackTimer, kTrackMs, nullptr);
    m_smartMinimizeMessage = RegisterWindowMessageW(kSmartMinimizeMessage);
    TrackForeground();
    return true;
}

void TaskBar::Reposition(int width, int height) {
    m_width = width;
    m_height = height;
    SetWindowPos(m_hwnd, HWND_TOPMOST, 0, 0, width, height, SWP_NOACTIVATE);
    InvalidateRect(m_hwnd, nullptr, FALSE);
}

RECT TaskBar::StartRect() const {
    return RECT{0, 0, m_height, m_height};
}

RECT TaskBar::CornerRect() const {
    return RECT{m_width - ScaleX(26), 0, m_width, m_height};
}

RECT TaskBar::ClockRect() const {
    HDC dc = GetDC(m_hwnd);
    HGDIOBJ old = SelectObject(dc, m_clockFont);
    SIZE size{0, 0};
    GetTextExtentPoint32W(dc, m_clock.c_str(), static_cast<int>(m_clock.size()), &size);
    SelectObject(dc, old);
    ReleaseDC(m_hwnd, dc);
    const RECT corner = CornerRect();
    return RECT{corner.left - size.cx - ScaleX(6), 0, corner.left - ScaleX(2), m_height};
}

RECT TaskBar::IconRect(int index) const {
    const int slot = ScaleX(20);
    const RECT clock = ClockRect();
    const int count = static_cast<int>(m_icons.size());
    const int left = clock.left - slot * (count - index);
    return RECT{left, 0, left + slot, m_height};
}

TaskBar::Part TaskBar::PartAt(POINT pt, int* iconIndex) const {
    *iconIndex = -1;
    const RECT corner = CornerRect();
    if (PtInRect(&corner, pt))
        return Part::Corner;
    for (int i = 0; i < static_cast<int>(m_icons.size()); ++i) {
        RECT r = IconRect(i);
        if (PtInRect(&r, pt)) {
            *iconIndex = i;
            return Part::Icon;
        }
    }
    RECT clock = ClockRect();
    if (PtInRect(&clock, pt))
        return Part::Clock;
    // The mark and the title together are the start button, as on the device.
    return pt.x < clock.left ? Part::Start : Part::None;
}

bool TaskBar::CornerIsOk() const {
    return m_program && IsWindow(m_program) &&
           (static_cast<LONG_PTR>(static_cast<LONG>(GetWindowLongW(m_program, GWL_EXSTYLE))) &
            kCaptionOkButton);
}

void TaskBar::Paint(HDC target) {
    RECT all{0, 0, m_width, m_height};
    HDC dc = CreateCompatibleDC(target);
    HBITMAP bitmap = CreateCompatibleBitmap(target, m_width, m_height);
    HGDIOBJ oldBitmap = SelectObject(dc, bitmap);

    Theme::FillVerticalGradient(dc, all, RGB(36, 84, 186), RGB(4, 30, 110));
    HPEN light = CreatePen(PS_SOLID, 1, RGB(90, 140, 230));
    HGDIOBJ oldPen = SelectObject(dc, light);
    MoveToEx(dc, 0, 0, nullptr);
    LineTo(dc, m_width, 0);
    SelectObject(dc, oldPen);
    DeleteObject(light);

    const int flagSize = m_height - ScaleY(8);
    RECT flag{ScaleX(5), (m_height - flagSize) / 2, ScaleX(5) + flagSize,
              (m_height - flagSize) / 2 + flagSize};
    m_host.GetTheme().DrawStartMark(dc, flag);

    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(255, 255, 255));
    const RECT clock = ClockRect();
    int iconsLeft = clock.left;
    const int iconSize = GetSystemMetrics(SM_CXSMICON);
    for (int i = 0; i < static_cast<int>(m_icons.size()); ++i) {
        RECT r = IconRect(i);
        iconsLeft = std::min<int>(iconsLeft, r.left);
        if (m_icons[i].icon)
            DrawIconEx(dc, r.left + (r.right - r.left - iconSize) / 2, (m_height - iconSize) / 2,
                       m_icons[i].icon, iconSize, iconSize, 0, nullptr, DI_NORMAL);
    }

    HGDIOBJ oldFont = SelectObject(dc, m_titleFont);
    RECT title{flag.right + ScaleX(6), 0, iconsLeft - ScaleX(2), m_height};
    DrawTextW(dc, m_title.c_str(), -1, &title,
              DT_SINGLELINE | DT_VCENTER | DT_LEFT | DT_END_ELLIPSIS | DT_NOPREFIX);

    SelectObject(dc, m_clockFont);
    RECT clockText = clock;
    DrawTextW(dc, m_clock.c_str(), -1, &clockText, DT_SINGLELINE | DT_VCENTER | DT_RIGHT | DT_NOPREFIX);

    if (m_program) {
        // The corner button: a round button with "X" or "ok".
        RECT corner = CornerRect();
        InflateRect(&corner, -ScaleX(3), -ScaleY(4));
        const bool pressed = m_pressed == Part::Corner;
        HBRUSH face = CreateSolidBrush(pressed ? RGB(10, 40, 120) : RGB(56, 108, 214));
        HPEN edge = CreatePen(PS_SOLID, 1, RGB(200, 220, 255));
        HGDIOBJ oldBrush = SelectObject(dc, face);
        oldPen = SelectObject(dc, edge);
        Ellipse(dc, corner.left, corner.top, corner.right, corner.bottom);
        SelectObject(dc, oldBrush);
        SelectObject(dc, oldPen);
        DeleteObject(face);
        DeleteObject(edge);
        SelectObject(dc, CornerIsOk() ? m_clockFont : m_titleFont);
        DrawTextW(dc, CornerIsOk() ? L"ok" : L"X", -1, &corner, DT_SINGLELINE | DT_VCENTER | DT_CENTER);
    }
    SelectObject(dc, oldFont);

    BitBlt(target, 0, 0, m_width, m_height, dc, 0, 0, SRCCOPY);
    SelectObject(dc, oldBitmap);
    DeleteObject(bitmap);
    DeleteDC(dc);
}

bool TaskBar::IsProgramWindow(HWND window) const {
    if (!window || !IsWindow(window) || IsWineDesktop(window))
        return false;
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    return pid != GetCurrentProcessId();
}

std::wstring TaskBar::ShownTitle(HWND program) const {
    // The Today screen's override counts while it is in front.
    const HWND front = program ? program : m_host.TodayWindow();
    for (HWND w = front; w; w = GetWindow(w, GW_OWNER)) {
        auto it = m_navBarTexts.find(w);
        if (it != m_navBarTexts.end())
            return it->second;
    }
    return program ? TitleOf(program) : L"Start";
}

std::wstring TaskBar::TitleOf(HWND window) const {
    for (HWND w = window; w; w = GetWindow(w, GW_OWNER)) {
        wchar_t text[256] = L"";
        if (GetWindowTextW(w, text, 256) > 0)
            return text;
    }
    return L"";
}

void TaskBar::TrackForeground() {
    if (m_inMenu)
        return;
    HWND foreground = GetForegroundWindow();
    DWORD pid = 0;
    if (foreground)
        GetWindowThreadProcessId(foreground, &pid);
    HWND program = m_program;
    if (IsWineDesktop(foreground) && ++m_idleTicks < 2) {
        // While the foreground passes from one program to another (activation
        // reaches the other process a moment later) nobody is in front: wait a
        // tick before deciding that the program went away.
        return;
    }
    if (IsWineDesktop(foreground)) {
        m_idleTicks = 0;
        // The program in front went away: the next one comes forward, or
        // Today after the last, as on the device.
        if (ActivateNextProgram(nullptr)) {
            foreground = GetForegroundWindow();
            program = foreground;
        } else {
            program = nullptr;
            m_host.ShowToday();
        }
    } else if (pid == GetCurrentProcessId()) {
        m_idleTicks = 0;
        // Today, an item's popup, or one of the bars. The bars never keep the
        // activation: it goes back to the program or to Today.
        wchar_t name[64] = L"";
        GetClassNameW(foreground, name, 64);
        const bool bar = foreground == m_hwnd || lstrcmpW(name, kMenuBarClass) == 0;
        // A popup the bar owns (an item's task manager) or a menu opened over
        // the program leaves the program in front as far as the bar goes.
        const bool overProgram = GetWindow(foreground, GW_OWNER) == m_hwnd || lstrcmpW(name, L"#32768") == 0;
        // An item's full-screen dialog with "ok" (SHInitDialog's Done button)
        // is in front as a program is: the bar shows its title and "ok".
        const bool okDialog =
            !bar && (static_cast<LONG_PTR>(static_cast<LONG>(GetWindowLongW(foreground, GWL_EXSTYLE))) &
                     kCaptionOkButton) != 0;
        if (okDialog)
            program = foreground;
        else if (!bar && !overProgram)
            program = nullptr;
        if (program && (!IsWindow(program) || m_minimized.count(GetAncestor(program, GA_ROOTOWNER))))
            program = nullptr;
        if (bar) {
            if (program)
                SetForegroundWindow(program);
            else
                m_host.ShowToday();
        }
    } else {
        m_idleTicks = 0;
        program = foreground;
        const HWND root = GetAncestor(foreground, GA_ROOTOWNER);
        if (m_minimized.count(root)) {
            // A smart-minimized program comes back where it was, with its
            // owned windows.
            for (auto it = m_minimized.begin(); it != m_minimized.end();) {
                if (it->first == root || GetAncestor(it->first, GA_ROOTOWNER) == root) {
                    const RECT r = it->second;
                    SetWindowPos(it->first, nullptr, r.left, r.top, 0, 0,
                                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
                    it = m_minimized.erase(it);
                } else {
                    ++it;
                }
            }
        }
        if (IsIconic(foreground))
            ShowWindow(foreground, SW_RESTORE);
    }
    for (auto it = m_minimized.begin(); it != m_minimized.end();)
        it = IsWindow(it->first) ? std::next(it) : m_minimized.erase(it);

    std::wstring title = ShownTitle(program);
    wchar_t clock[32] = L"";
    GetTimeFormatW(LOCALE_USER_DEFAULT, TIME_NOSECONDS, nullptr, nullptr, clock, 32);
    if (program != m_program || title != m_title || clock != m_clock) {
        m_program = program;
        m_title = title;
        m_clock = clock;
        InvalidateRect(m_hwnd, nullptr, FALSE);
    }
}

namespace {

struct OwnedWindows {
    HWND root;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectOwned(HWND hwnd, LPARAM lParam) {
    auto* owned = reinterpret_cast<OwnedWindows*>(lParam);
    if (hwnd != owned->root && IsWindowVisible(hwnd) && GetAncestor(hwnd, GA_ROOTOWNER) == owned->root)
        owned->found.push_back(hwnd);
    return TRUE;
}

} // namespace

void TaskBar::SmartMinimize(HWND window) {
    window = GetAncestor(window, GA_ROOTOWNER);
    if (!IsProgramWindow(window))
        return;
    // The program and the windows it owns leave the screen together.
    OwnedWindows owned{window, {}};
    EnumWindows(CollectOwned, reinterpret_cast<LPARAM>(&owned));
    owned.found.insert(owned.found.begin(), window);
    for (HWND w : owned.found) {
        RECT rect;
        GetWindowRect(w, &rect);
        if (rect.left <= -30000)
            continue;
        m_minimized[w] = rect;
        SetWindowPos(w, HWND_BOTTOM, -32000, -32000, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
    }
    if (!ActivateNextProgram(window)) {
        m_host.ShowToday();
        m_program = nullptr;
    }
    TrackForeground();
}

bool TaskBar::ActivateNextProgram(HWND except) {
    // The next program in Z order that is not out of sight.
    for (HWND w = GetTopWindow(nullptr); w; w = GetWindow(w, GW_HWNDNEXT)) {
        if (w == except || !IsWindowVisible(w) || !IsProgramWindow(w) || GetWindow(w, GW_OWNER) ||
            (GetWindowLongW(w, GWL_EXSTYLE) & WS_EX_TOOLWINDOW) || GetWindowTextLengthW(w) == 0 ||
            m_minimized.count(w) || IsIconic(w))
            continue;
        SetForegroundWindow(w);
        return true;
    }
    return false;
}

void TaskBar::OnCopyData(HWND sender, const COPYDATASTRUCT* data) {
    if (!data)
        return;
    if (data->dwData == kCopyDataNavBarText) {
        std::wstring text;
        if (data->lpData)
            text.assign(static_cast<const wchar_t*>(data->lpData), data->cbData / sizeof(wchar_t));
        while (!text.empty() && text.back() == L'\0')
            text.pop_back();
        if (text.empty())
            m_navBarTexts.erase(sender);
        else
            m_navBarTexts[sender] = text;
        for (auto it = m_navBarTexts.begin(); it != m_navBarTexts.end();)
            it = IsWindow(it->first) ? std::next(it) : m_navBarTexts.erase(it);
        // The call may come from the bar's own WM_PAINT: only mark it dirty,
        // and only when the title shown changes.
        const std::wstring title = ShownTitle(m_program);
        if (title != m_title) {
            m_title = title;
            InvalidateRect(m_hwnd, nullptr, FALSE);
        }
        return;
    }
    if (data->dwData != kCopyDataNotifyIcon || data->cbData < sizeof(NotifyIconRecord) || !data->lpData)
        return;
    const auto* record = static_cast<const NotifyIconRecord*>(data->lpData);
    const HWND owner = reinterpret_cast<HWND>(static_cast<UINT_PTR>(record->hwnd));
    auto it = std::find_if(m_icons.begin(), m_icons.end(), [&](const NotifyIcon& icon) {
        return icon.owner == owner && icon.id == record->id;
    });
    const HICON icon = reinterpret_cast<HICON>(static_cast<UINT_PTR>(record->icon));
    switch (record->message) {
    case NIM_ADD:
    case NIM_MODIFY:
        if (it == m_icons.end()) {
            if (record->message == NIM_MODIFY)
                return;
            m_icons.push_back(NotifyIcon{owner, record->id, record->callbackMessage, icon});
        } else {
            if (record->flags & NIF_ICON)
                it->icon = icon;
            if (record->callbackMessage)
                it->callback = record->callbackMessage;
        }
        break;
    case NIM_DELETE:
        if (it != m_icons.end())
            m_icons.erase(it);
        break;
    default:
        return;
    }
    InvalidateRect(m_hwnd, nullptr, FALSE);
}

void TaskBar::ShowStartMenu() {
    m_inMenu = true;
    HWND before = GetForegroundWindow();
    StartMenu menu;
    const bool chosen = menu.Run(m_hwnd, 0, m_height, [this] { m_host.ShowToday(); });
    m_inMenu = false;
    if (!chosen && before && IsWindow(before))
        SetForegroundWindow(before);
    TrackForeground();
}

LRESULT TaskBar::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == m_smartMinimizeMessage && message != 0) {
        // ShowWindow(SW_MINIMIZE) on the device (CeShowWindow): a window of the
        // shell itself is left as it is, but the request counts as handled.
        SmartMinimize(reinterpret_cast<HWND>(wParam));
        return 1;
    }
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(m_hwnd, &ps);
        Paint(dc);
        EndPaint(m_hwnd, &ps);
        return 0;
    }
    case WM_PRINTCLIENT:
        Paint(reinterpret_cast<HDC>(wParam));
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_MOUSEACTIVATE:
        return MA_NOACTIVATE;
    case WM_TIMER:
        if (wParam == kTrackTimer)
            TrackForeground();
        return 0;
    case WM_COPYDATA:
        OnCopyData(reinterpret_cast<HWND>(wParam), reinterpret_cast<const COPYDATASTRUCT*>(lParam));
        return TRUE;
    case WM_CAPTURECHANGED:
        // Someone else took the stylus (or the item ended the press): the
        // corner button comes up again.
        if (m_pressed != Part::None && reinterpret_cast<HWND>(lParam) != m_hwnd) {
            m_pressed = Part::None;
            m_pressedIcon = -1;
            InvalidateRect(m_hwnd, nullptr, FALSE);
        }
        return 0;
    case WM_LBUTTONDOWN: {
        POINT pt{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
        int icon = -1;
        m_pressed = PartAt(pt, &icon);
        m_pressedIcon = icon;
        if (m_pressed == Part::Icon) {
            SetCapture(m_hwnd);
            // At press, so that the owner can time a hold while the stylus is down.
            const NotifyIcon& n = m_icons[icon];
            if (n.callback && IsWindow(n.owner))
                PostMessageW(n.owner, n.callback, n.id, WM_LBUTTONDOWN);
        } else if (m_pressed == Part::Start) {
            m_pressed = Part::None;
            ShowStartMenu();
        } else if (m_pressed == Part::Corner) {
            SetCapture(m_hwnd);
            InvalidateRect(m_hwnd, nullptr, FALSE);
        }
        return 0;
    }
    case WM_LBUTTONUP: {
        POINT pt{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
        const Part pressed = m_pressed;
        const int pressedIcon = m_pressedIcon;
        m_pressed = Part::None;
        m_pressedIcon = -1;
        if (GetCapture() == m_hwnd)
            ReleaseCapture();
        int icon = -1;
        const Part released = PartAt(pt, &icon);
        if (pressed == Part::Icon && pressedIcon >= 0 && pressedIcon < static_cast<int>(m_icons.size())) {
            const NotifyIcon& n = m_icons[pressedIcon];
            if (n.callback && IsWindow(n.owner))
                PostMessageW(n.owner, n.callback, n.id, WM_LBUTTONUP);
        } else if (pressed == Part::Corner) {
            InvalidateRect(m_hwnd, nullptr, FALSE);
            if (released == Part::Corner)
                m_host.CornerButtonAction();
        }
        return 0;
    }
    case WM_DESTROY:
        KillTimer(m_hwnd, kTrackTimer);
        return 0;
    }
    return Window::HandleMessage(message, wParam, lParam);
}

} // namespace norvane::device
