#include "SafeModeBar.h"

#include "CeShell.h"
#include "SafeModeKeys.h"
#include "SafeModeModule.h"
#include "SafeModeResources.h"

#include <vector>

namespace norvane::safemode {

namespace {

constexpr COLORREF kUpperColour = RGB(0x29, 0x52, 0x98);
constexpr COLORREF kLowerColour = RGB(0x12, 0x3D, 0x86);
constexpr wchar_t kCoverClass[] = L"NorvaneSafeModeCover";
// The bar's own dialog class, named in its template, so that it can be told apart.
constexpr const wchar_t* kBarClass = kBarClassName;
// Taking the front back may fail while another program starts; the watch timer
// tries again on its next tick, so the posts in between stay few.
constexpr int kMaxFrontRetries = 8;

void FillColour(HDC dc, const RECT& rect, COLORREF colour) {
    const COLORREF previous = SetBkColor(dc, colour);
    ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &rect, nullptr, 0, nullptr);
    SetBkColor(dc, previous);
}

} // namespace

bool SafeModeBar::RegisterClasses() {
    WNDCLASSW bar{};
    if (!GetClassInfoW(ResourceModule(), kBarClass, &bar)) {
        bar = WNDCLASSW{};
        bar.lpfnWndProc = DefDlgProcW;
        bar.cbWndExtra = DLGWINDOWEXTRA;
        bar.hInstance = ResourceModule();
        bar.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        bar.lpszClassName = kBarClass;
        if (!RegisterClassW(&bar)) {
            return false;
        }
    }
    WNDCLASSW cls{};
    if (GetClassInfoW(ResourceModule(), kCoverClass, &cls)) {
        return true;
    }
    cls = WNDCLASSW{};
    cls.lpfnWndProc = SafeModeBar::CoverProc;
    cls.hInstance = ResourceModule();
    cls.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    cls.lpszClassName = kCoverClass;
    return RegisterClassW(&cls) != 0;
}

void PaintBar(HDC dc, const RECT& client, const std::wstring& text, HFONT font) {
    const LONG middle = client.top + (client.bottom - client.top) / 2;
    FillColour(dc, RECT{client.left, client.top, client.right, middle}, kUpperColour);
    FillColour(dc, RECT{client.left, middle, client.right, client.bottom}, kLowerColour);
    if (client.bottom > client.top) {
        FillColour(dc, RECT{client.left, client.top, client.right, client.top + 1}, RGB(0, 0, 0));
        FillColour(dc, RECT{client.left, client.bottom - 1, client.right, client.bottom}, RGB(0, 0, 0));
    }
    HGDIOBJ previousFont = font ? SelectObject(dc, font) : nullptr;
    const int previousMode = SetBkMode(dc, TRANSPARENT);
    const COLORREF previousColour = SetTextColor(dc, RGB(0xFF, 0xFF, 0xFF));
    RECT box = client;
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &box,
              DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    SetTextColor(dc, previousColour);
    SetBkMode(dc, previousMode);
    if (previousFont) {
        SelectObject(dc, previousFont);
    }
}

SafeModeBar::SafeModeBar(SafeModeSwitch& safeModeSwitch, HKEY machine, const StartDecision& decision,
                         RestartRequest& restart)
    : m_switch(safeModeSwitch), m_machine(machine), m_decision(decision), m_restart(restart) {}

SafeModeBar::~SafeModeBar() {
    if (m_hwnd && IsWindow(m_hwnd)) {
        DestroyWindow(m_hwnd);
    }
}

bool SafeModeBar::Create() {
    if (!RegisterClasses()) {
        return false;
    }
    m_hwnd = CreateDialogParamW(ResourceModule(), MAKEINTRESOURCEW(IDD_SAFEMODE_BAR), nullptr, DialogProc,
                                reinterpret_cast<LPARAM>(this));
    if (!m_hwnd) {
        return false;
    }
    HDC screen = GetDC(nullptr);
    const int dpiY = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
    if (screen) {
        ReleaseDC(nullptr, screen);
    }
    const int width = GetSystemMetrics(SM_CXSCREEN);
    const int height = MulDiv(40, dpiY, 96);
    SetWindowPos(m_hwnd, HWND_TOPMOST, 0, GetSystemMetrics(SM_CYSCREEN) - height, width, height,
                 SWP_NOACTIVATE | (Visible() ? SWP_SHOWWINDOW : 0));
    if (Visible()) {
        BringToFront();
    }
    if (m_decision.autoSafeMode) {
        EnterSafeMode(2);
    }
    return true;
}

void SafeModeBar::RunMessageLoop() {
    MSG msg;
    while (m_hwnd && GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

std::wstring SafeModeBar::Text() const {
    if (m_entering == 1 || m_coverTapped) {
        return LoadText(IDS_BAR_ABOUT_TO_RESTART);
    }
    if (m_entering == 2) {
        return LoadText(IDS_BAR_AUTO_RESTARTING);
    }
    if (m_decision.startMode == 1) {
        return LoadText(IDS_BAR_STARTING_SAFE);
    }
    if (m_decision.startMode == 2) {
        return LoadText(IDS_BAR_STARTING_AUTO);
    }
    return LoadText(IDS_BAR_TAP_TO_RESET);
}

void SafeModeBar::EnterSafeMode(DWORD mode) {
    if (m_entering != 0 || m_decision.startMode != 0) {
        return;
    }
    // Written first: a start cut short from here on is a safe-mode start, and
    // the normal start after it puts back whatever was switched off.
    WriteSafeMode(m_machine, mode);
    // The user sees at once that the tap was taken; switching off may take a moment.
    m_entering = mode;
    if (m_hwnd) {
        RedrawWindow(m_hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ERASE);
        for (const auto& [parent, cover] : m_covers) {
            RedrawWindow(cover, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        }
    }
    m_switch.DisableAll();
    m_restart.Restart();
    if (m_hwnd) {
        DestroyWindow(m_hwnd);
    }
}

INT_PTR CALLBACK SafeModeBar::DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrW(hwnd, DWLP_USER, lParam);
        reinterpret_cast<SafeModeBar*>(lParam)->m_hwnd = hwnd;
    }
    auto* self = reinterpret_cast<SafeModeBar*>(GetWindowLongPtrW(hwnd, DWLP_USER));
    return self ? self->HandleMessage(message, wParam, lParam) : FALSE;
}

INT_PTR SafeModeBar::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        m_font = reinterpret_cast<HFONT>(SendMessageW(m_hwnd, WM_GETFONT, 0, 0));
        if (Visible()) {
            BringToFront();
        }
        SetTimer(m_hwnd, kWatchTimer, kWatchMs, nullptr);
        return TRUE;
    case WM_ERASEBKGND:
        SetWindowLongPtrW(m_hwnd, DWLP_MSGRESULT, 1);
        return TRUE;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(m_hwnd, &ps);
        Paint(dc);
        EndPaint(m_hwnd, &ps);
        return TRUE;
    }
    case WM_PRINTCLIENT:
        Paint(reinterpret_cast<HDC>(wParam));
        return TRUE;
    case WM_LBUTTONDOWN:
        EnterSafeMode(1);
        return TRUE;
    case WM_KEYDOWN:
        if (wParam == VK_RETURN) {
            EnterSafeMode(1);
            return TRUE;
        }
        return FALSE;
    case WM_ACTIVATE:
        if (LOWORD(wParam) == WA_INACTIVE) {
            PostMessageW(m_hwnd, kBringToFrontMessage, 0, 0);
        }
        return FALSE;
    case WM_KILLFOCUS:
        PostMessageW(m_hwnd, kBringToFrontMessage, 0, 0);
        return FALSE;
    case kBringToFrontMessage:
        if (!Visible()) {
            return TRUE;
        }
        BringToFront();
        InvalidateRect(m_hwnd, nullptr, FALSE);
        if (GetForegroundWindow() != m_hwnd && ++m_frontRetries < kMaxFrontRetries) {
            PostMessageW(m_hwnd, kBringToFrontMessage, 0, 0);
        } else {
            m_frontRetries = 0;
        }
        return TRUE;
    case kCoverTappedMessage:
        EnterSafeMode(1);
        return TRUE;
    case WM_TIMER:
        if (wParam == kWatchTimer) {
            CoverWindows();
            if (ShellIsUp()) {
                KillTimer(m_hwnd, kWatchTimer);
                SetTimer(m_hwnd, kLeaveTimer, kLeaveMs, nullptr);
            }
        } else if (wParam == kLeaveTimer) {
            KillTimer(m_hwnd, kLeaveTimer);
            DestroyWindow(m_hwnd);
        }
        return TRUE;
    case WM_DESTROY:
        DestroyCovers();
        m_hwnd = nullptr;
        PostQuitMessage(0);
        return TRUE;
    default:
        return FALSE;
    }
}

void SafeModeBar::Paint(HDC dc) {
    RECT client{};
    GetClientRect(m_hwnd, &client);
    PaintBar(dc, client, Text(), m_font);
}

void SafeModeBar::BringToFront() {
    HWND foreground = GetForegroundWindow();
    if (foreground && foreground != m_hwnd) {
        SetWindowPos(foreground, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
    SetForegroundWindow(m_hwnd);
    SetWindowPos(m_hwnd, HWND_TOPMOST, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | (Visible() ? SWP_SHOWWINDOW : 0));
}

bool SafeModeBar::ShellIsUp() const {
    if (!IsAPIReady(SH_SHELL)) {
        return false;
    }
    HWND taskBar = FindWindowW(L"HHTaskBar", nullptr);
    HWND desktop = CeGetDesktopWindow();
    return taskBar && IsWindowVisible(taskBar) && desktop && IsWindowVisible(desktop);
}

BOOL CALLBACK SafeModeBar::CoverEach(HWND window, LPARAM self) {
    reinterpret_cast<SafeModeBar*>(self)->CoverOne(window);
    return TRUE;
}

void SafeModeBar::CoverWindows() {
    // A hidden bar has nothing to keep in sight, and a child window in every
    // program would only tie their input to this thread.
    if (!Visible()) {
        return;
    }
    // Covers whose window has gone go with it.
    for (auto it = m_covers.begin(); it != m_covers.end();) {
        it = IsWindow(it->first) ? std::next(it) : m_covers.erase(it);
    }
    EnumWindows(CoverEach, reinterpret_cast<LPARAM>(this));
}

void SafeModeBar::CoverOne(HWND window) {
    if (window == m_hwnd || !IsWindowVisible(window) || window == GetDesktopWindow() ||
        window == CeGetDesktopWindow()) {
        return;
    }
    RECT bar{};
    GetWindowRect(m_hwnd, &bar);
    POINT origin{bar.left, bar.top};
    ScreenToClient(window, &origin);
    const int width = bar.right - bar.left;
    const int height = bar.bottom - bar.top;
    auto found = m_covers.find(window);
    if (found == m_covers.end()) {
        HWND cover =
            CreateWindowExW(0, kCoverClass, kCoverWindowName,
                            WS_CHILD | WS_CLIPSIBLINGS | (IsWindowVisible(m_hwnd) ? WS_VISIBLE : 0), origin.x,
                            origin.y, width, height, window, nullptr, ResourceModule(), this);
        if (!cover) {
            return;
        }
        found = m_covers.emplace(window, cover).first;
    }
    SetWindowPos(found->second, HWND_TOP, origin.x, origin.y, width, height, SWP_NOACTIVATE);
}

void SafeModeBar::DestroyCovers() {
    for (const auto& [parent, cover] : m_covers) {
        if (IsWindow(cover)) {
            DestroyWindow(cover);
        }
    }
    m_covers.clear();
}

LRESULT CALLBACK SafeModeBar::CoverProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<SafeModeBar*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!self) {
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
    switch (message) {
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        RECT client{};
        GetClientRect(hwnd, &client);
        PaintBar(dc, client, self->Text(), self->m_font);
        EndPaint(hwnd, &ps);
        return 0;
    }
    case WM_PRINTCLIENT: {
        RECT client{};
        GetClientRect(hwnd, &client);
        PaintBar(reinterpret_cast<HDC>(wParam), client, self->Text(), self->m_font);
        return 0;
    }
    case WM_LBUTTONDOWN:
        self->m_coverTapped = true;
        InvalidateRect(hwnd, nullptr, FALSE);
        if (self->m_hwnd) {
            PostMessageW(self->m_hwnd, kCoverTappedMessage, 0, 0);
        }
        return 0;
    default:
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
}

} // namespace norvane::safemode
