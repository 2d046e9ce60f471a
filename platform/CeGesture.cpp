// Tap-and-hold: follow the stylus for the hold time, drawing the red dots.
#include "CeGesture.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <mutex>

namespace norvane::platform {
namespace {

std::mutex gSourceLock;
std::function<StylusSample()> gSource;

StylusSample Sample() {
    std::function<StylusSample()> source;
    {
        std::lock_guard<std::mutex> guard(gSourceLock);
        source = gSource;
    }
    return source ? source() : ReadRealStylus();
}

int ScreenDpi() {
    int dpi = 96;
    if (HDC screen = GetDC(nullptr)) {
        dpi = GetDeviceCaps(screen, LOGPIXELSX);
        ReleaseDC(nullptr, screen);
    }
    return dpi;
}

// A lifted stylus may already have queued its release.
bool ReleaseQueued() {
    MSG msg;
    return PeekMessageW(&msg, nullptr, WM_LBUTTONUP, WM_LBUTTONUP, PM_NOREMOVE | PM_NOYIELD) != 0;
}

// The red dots: a ring of dots around the press point that fills up while the
// stylus is held, in a small topmost popup that never takes the focus.
class HoldAnimation {
public:
    HoldAnimation(POINT center, int dpi) : m_center(center) {
        m_radius = MulDiv(14, dpi, 96);
        m_dot = std::max(2, MulDiv(3, dpi, 96));
        int size = 2 * (m_radius + m_dot) + 2;
        static const wchar_t* kClass = [] {
            WNDCLASSW wc{};
            wc.lpfnWndProc = DefWindowProcW;
            wc.hInstance = GetModuleHandleW(nullptr);
            wc.lpszClassName = L"NorvaneHoldDots";
            RegisterClassW(&wc);
            return L"NorvaneHoldDots";
        }();
        m_window = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_LAYERED | WS_EX_TRANSPARENT |
                                       WS_EX_NOACTIVATE,
                                   kClass, L"", WS_POPUP, center.x - size / 2, center.y - size / 2, size,
                                   size, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        if (m_window != nullptr) {
            SetLayeredWindowAttributes(m_window, RGB(255, 255, 255), 0, LWA_COLORKEY);
            ShowWindow(m_window, SW_SHOWNOACTIVATE);
        }
        m_size = size;
    }
    ~HoldAnimation() {
        if (m_window != nullptr) {
            DestroyWindow(m_window);
        }
    }
    HoldAnimation(const HoldAnimation&) = delete;
    HoldAnimation& operator=(const HoldAnimation&) = delete;

    void Show(double fraction) {
        if (m_window == nullptr) {
            return;
        }
        HDC dc = GetDC(m_window);
        if (dc == nullptr) {
            return;
        }
        RECT all{0, 0, m_size, m_size};
        FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
        HGDIOBJ oldBrush = SelectObject(dc, red);
        HGDIOBJ oldPen = SelectObject(dc, GetStockObject(NULL_PEN));
        const int kDots = 8;
        int shown = static_cast<int>(fraction * kDots + 0.5);
        for (int i = 0; i < shown && i < kDots; ++i) {
            double angle = -3.14159265358979 / 2 + i * 2 * 3.14159265358979 / kDots;
            int x = m_size / 2 + static_cast<int>(std::lround(m_radius * std::cos(angle)));
            int y = m_size / 2 + static_cast<int>(std::lround(m_radius * std::sin(angle)));
            Ellipse(dc, x - m_dot, y - m_dot, x + m_dot + 1, y + m_dot + 1);
        }
        SelectObject(dc, oldPen);
        SelectObject(dc, oldBrush);
        DeleteObject(red);
        ReleaseDC(m_window, dc);
    }

private:
    POINT m_center;
    HWND m_window = nullptr;
    int m_radius = 14;
    int m_dot = 3;
    int m_size = 0;
};

} // namespace

int GestureTolerancePixels() {
    return std::max(GetSystemMetrics(SM_CXDRAG), MulDiv(5, ScreenDpi(), 96));
}

void SetStylusSource(std::function<StylusSample()> source) {
    std::lock_guard<std::mutex> guard(gSourceLock);
    gSource = std::move(source);
}

StylusSample ReadRealStylus() {
    StylusSample sample;
    int button = GetSystemMetrics(SM_SWAPBUTTON) ? VK_RBUTTON : VK_LBUTTON;
    sample.down = (GetAsyncKeyState(button) & 0x8000) != 0;
    GetCursorPos(&sample.position);
    return sample;
}

} // namespace norvane::platform

DWORD SHRecognizeGesture(SHRGINFO* shrg) {
    using namespace norvane::platform;
    if (shrg == nullptr || shrg->cbSize < sizeof(SHRGINFO)) {
        return 0;
    }
    StylusSample start = Sample();
    if (!start.down || ReleaseQueued()) {
        return 0;
    }
    const int tolerance = GestureTolerancePixels();
    const DWORD hold = (shrg->dwFlags & SHRG_LONGDELAY) ? kGestureLongHoldMs : kGestureHoldMs;
    POINT center = shrg->ptDown;
    if (shrg->hwndClient != nullptr) {
        ClientToScreen(shrg->hwndClient, &center);
    }
    std::unique_ptr<HoldAnimation> dots;
    const ULONGLONG began = GetTickCount64();
    for (;;) {
        ULONGLONG elapsed = GetTickCount64() - began;
        if (elapsed >= hold) {
            break;
        }
        StylusSample now = Sample();
        if (!now.down || ReleaseQueued()) {
            return 0;
        }
        if (std::abs(now.position.x - start.position.x) > tolerance ||
            std::abs(now.position.y - start.position.y) > tolerance) {
            return 0;
        }
        // The dots appear only once the press is clearly not a tap.
        if ((shrg->dwFlags & SHRG_NOANIMATION) == 0 && elapsed >= hold / 5) {
            if (!dots) {
                dots = std::make_unique<HoldAnimation>(center, ScreenDpi());
            }
            dots->Show(static_cast<double>(elapsed) / hold);
        }
        // Waiting on the input, not a plain sleep: Wine reads the display's
        // events (the release among them) only while a thread waits for
        // messages, and GetAsyncKeyState learns of the release from them.
        MsgWaitForMultipleObjectsEx(0, nullptr, 10, QS_ALLINPUT, 0);
    }
    // A release in the very last moment still counts as a tap.
    StylusSample last = Sample();
    if (!last.down || ReleaseQueued()) {
        return 0;
    }
    return GN_CONTEXTMENU;
}

namespace {

constexpr UINT_PTR kTapAndHoldSubclass = 0x4E564748; // "NVGH"

LRESULT CALLBACK TapAndHoldProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
    if (message == WM_LBUTTONDOWN) {
        POINT client{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
        SHRGINFO info{sizeof info, hwnd, client, SHRG_RETURNCMD};
        if (SHRecognizeGesture(&info) == GN_CONTEXTMENU) {
            NMRGINFO notice{};
            notice.hdr.hwndFrom = hwnd;
            notice.hdr.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(hwnd));
            notice.hdr.code = static_cast<UINT>(GN_CONTEXTMENU);
            notice.ptAction = client;
            ClientToScreen(hwnd, &notice.ptAction);
            notice.dwItemSpec = static_cast<DWORD>(-1);
            wchar_t className[32] = {};
            GetClassNameW(hwnd, className, 32);
            if (_wcsicmp(className, WC_LISTVIEWW) == 0) {
                LVHITTESTINFO hit{};
                hit.pt = client;
                notice.dwItemSpec =
                    static_cast<DWORD>(SendMessageW(hwnd, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
            }
            SendMessageW(GetParent(hwnd), WM_NOTIFY, notice.hdr.idFrom, reinterpret_cast<LPARAM>(&notice));
            return 0;
        }
    } else if (message == WM_NCDESTROY) {
        RemoveWindowSubclass(hwnd, TapAndHoldProc, kTapAndHoldSubclass);
    }
    return DefSubclassProc(hwnd, message, wParam, lParam);
}

} // namespace

BOOL CeEnableTapAndHold(HWND control) {
    if (!IsWindow(control)) {
        return FALSE;
    }
    return SetWindowSubclass(control, TapAndHoldProc, kTapAndHoldSubclass, 0);
}
