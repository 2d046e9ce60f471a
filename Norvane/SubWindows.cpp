// The item's small sub-windows.
#include "SubWindows.h"

#include "CeShell.h"
#include "DisplayScale.h"
#include "ImageHandles.h"
#include "Module.h"
#include "Painter.h"
#include "TabView.h"
#include "TodayItemWindow.h"

#include <algorithm>

namespace norvane {

namespace {
constexpr wchar_t kCaptionPopupClass[] = L"NorvaneCaptionPopup";
constexpr wchar_t kFloatingPanelClass[] = L"NorvaneFloatingPanel";
constexpr wchar_t kDragImageClass[] = L"NorvaneDragImage";
constexpr COLORREF kCaptionPopupColour = 0xC0FFFF;
constexpr COLORREF kDragKeyColour = 0xFF0000;

void RegisterOnce(const wchar_t* name, HBRUSH background) {
    WNDCLASSW existing = {};
    if (GetClassInfoW(Module::Instance(), name, &existing)) {
        return;
    }
    WNDCLASSW wc = {};
    wc.lpfnWndProc = WindowBase::StaticWindowProc;
    wc.hInstance = Module::Instance();
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = background;
    wc.lpszClassName = name;
    RegisterClassW(&wc);
}

POINT PointOf(LPARAM lp) {
    return POINT{static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))};
}
} // namespace

// The caption popup.

CaptionPopup::~CaptionPopup() {
    if (m_font) {
        DeleteObject(m_font);
    }
}

bool CaptionPopup::Create(HWND itemWindow) {
    RegisterOnce(kCaptionPopupClass, nullptr);
    return CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, kCaptionPopupClass, L"", WS_POPUP, -500, -500,
                           ScaleX(100), ScaleY(16), itemWindow, nullptr, Module::Instance(), this) != nullptr;
}

void CaptionPopup::Show(const std::wstring& text, POINT at) {
    if (!m_hwnd) {
        return;
    }
    if (!m_font) {
        LOGFONTW font = {};
        CeGetSystemFont(&font);
        font.lfWeight = FW_BOLD;
        font.lfHeight = ScaleY(12);
        m_font = CreateFontIndirectW(&font);
    }
    m_text = text;
    SIZE size = {};
    {
        ScreenDc screen;
        SelectedObject font(screen.Get(), m_font);
        GetTextExtentPoint32W(screen.Get(), m_text.c_str(), static_cast<int>(m_text.size()), &size);
    }
    const int width = size.cx + 6;
    const int height = size.cy + 6;
    int x = std::max<int>(at.x, ScaleX(2));
    int y = std::max<int>(at.y, GetSystemMetrics(SM_CYCAPTION) + ScaleY(2));
    y = std::min(y, ScaleY(300));
    if (x + width > ScaleX(240)) {
        x = std::max(2, ScaleX(240) - width);
    }
    SetWindowPos(m_hwnd, HWND_TOPMOST, x, y, width, height, SWP_NOACTIVATE);
    ShowWindow(m_hwnd, SW_SHOWNOACTIVATE);
    UpdateWindow(m_hwnd);
    SetCapture(m_hwnd);
}

void CaptionPopup::Close() {
    if (GetCapture() == m_hwnd) {
        ReleaseCapture();
    }
    if (IsWindowVisible(m_hwnd)) {
        ShowWindow(m_hwnd, SW_HIDE);
        HWND owner = GetWindow(m_hwnd, GW_OWNER);
        if (owner) {
            SendMessageW(owner, appmsg::kCaptionPopupClosed, 0, 0);
        }
    }
}

LRESULT CaptionPopup::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(m_hwnd, &ps);
        RECT client;
        GetClientRect(m_hwnd, &client);
        HBRUSH background = CreateSolidBrush(kCaptionPopupColour);
        FillRect(dc, &client, background);
        DeleteObject(background);
        FrameRect(dc, &client, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        SelectedObject font(dc, m_font);
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, RGB(0, 0, 0));
        TextOutW(dc, 2, 2, m_text.c_str(), static_cast<int>(m_text.size()));
        EndPaint(m_hwnd, &ps);
        return 0;
    }
    case WM_ERASEBKGND:
        return 1;
    case WM_MOUSEACTIVATE:
        return MA_NOACTIVATE;
    case WM_LBUTTONUP:
    case WM_CANCELMODE:
        Close();
        return 0;
    case WM_CAPTURECHANGED:
        // Capture taken by someone else (a message box): the stylus is gone.
        if (reinterpret_cast<HWND>(lp) != m_hwnd) {
            Close();
        }
        return 0;
    default:
        break;
    }
    return WindowBase::HandleMessage(msg, wp, lp);
}

// The floating panel.

bool FloatingPanel::Create(HWND itemWindow) {
    RegisterOnce(kFloatingPanelClass, nullptr);
    return CreateWindowExW(WS_EX_TOOLWINDOW, kFloatingPanelClass, names::kFloatingPanelTitle,
                           WS_POPUP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_TABSTOP, 0, 0, 0, 0, itemWindow,
                           nullptr, Module::Instance(), this) != nullptr;
}

void FloatingPanel::Bind(TabView* view, bool above) {
    m_view = view;
    m_above = above;
    if (!view && m_hwnd) {
        ShowWindow(m_hwnd, SW_HIDE);
    }
}

LRESULT FloatingPanel::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_PAINT:
        PaintDoubleBuffered(m_hwnd, [this](HDC memory, const RECT& client) {
            if (m_view) {
                m_view->PaintPanel(memory, client, m_hwnd, m_above);
            }
        });
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_MOUSEACTIVATE:
        // The Today screen keeps the focus (and its keys) while the panel is used.
        return MA_NOACTIVATE;
    case WM_LBUTTONDOWN:
        if (m_view) {
            m_view->OnPress(PointOf(lp));
        }
        return 0;
    case WM_MOUSEMOVE:
        if (m_view) {
            m_view->OnMouseMove(PointOf(lp));
        }
        return 0;
    case WM_LBUTTONUP:
        if (!m_owner.OnStylusUp(m_hwnd, PointOf(lp)) && m_view) {
            m_view->OnTapUp(PointOf(lp));
        }
        return 0;
    case WM_CAPTURECHANGED:
        m_owner.OnCaptureLost(m_hwnd, reinterpret_cast<HWND>(lp));
        return 0;
    default:
        break;
    }
    return WindowBase::HandleMessage(msg, wp, lp);
}

// The drag picture.

DragImage::~DragImage() {
    End();
}

bool DragImage::Begin(HWND owner, HBITMAP picture, SIZE size, POINT hotSpot, POINT at) {
    End();
    m_picture = picture;
    m_size = size;
    m_hotSpot = hotSpot;
    RegisterOnce(kDragImageClass, nullptr);
    if (!CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_LAYERED | WS_EX_TRANSPARENT |
                             WS_EX_NOACTIVATE,
                         kDragImageClass, L"", WS_POPUP, at.x - hotSpot.x, at.y - hotSpot.y, size.cx, size.cy,
                         owner, nullptr, Module::Instance(), this)) {
        return false;
    }
    SetLayeredWindowAttributes(m_hwnd, kDragKeyColour, 0, LWA_COLORKEY);
    ShowWindow(m_hwnd, SW_SHOWNOACTIVATE);
    UpdateWindow(m_hwnd);
    return true;
}

void DragImage::Move(POINT at) {
    if (m_hwnd) {
        SetWindowPos(m_hwnd, HWND_TOPMOST, at.x - m_hotSpot.x, at.y - m_hotSpot.y, 0, 0,
                     SWP_NOSIZE | SWP_NOACTIVATE);
    }
}

void DragImage::Show(bool show) {
    if (m_hwnd) {
        ShowWindow(m_hwnd, show ? SW_SHOWNOACTIVATE : SW_HIDE);
    }
}

void DragImage::End() {
    DestroyOwnWindow();
    if (m_picture) {
        DeleteObject(m_picture);
        m_picture = nullptr;
    }
}

LRESULT DragImage::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(m_hwnd, &ps);
        HDC memory = CreateCompatibleDC(dc);
        HGDIOBJ old = SelectObject(memory, m_picture);
        BitBlt(dc, 0, 0, m_size.cx, m_size.cy, memory, 0, 0, SRCCOPY);
        SelectObject(memory, old);
        DeleteDC(memory);
        EndPaint(m_hwnd, &ps);
        return 0;
    }
    case WM_ERASEBKGND:
        return 1;
    case WM_NCHITTEST:
        return HTTRANSPARENT;
    default:
        break;
    }
    return WindowBase::HandleMessage(msg, wp, lp);
}

} // namespace norvane
