// The item's small sub-windows, created hidden.
#include "SubWindows.h"

#include "Module.h"

namespace norvane {

namespace {
constexpr wchar_t kCaptionPopupClass[] = L"NorvaneCaptionPopup";
constexpr wchar_t kFloatingPanelClass[] = L"NorvaneFloatingPanel";
constexpr wchar_t kTaskManagerClass[] = L"NorvaneTaskManager";
constexpr COLORREF kCaptionPopupColour = 0xC0FFFF;

void RegisterOnce(const wchar_t* name, HBRUSH background) {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = WindowBase::StaticWindowProc;
    wc.hInstance = Module::Instance();
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = background;
    wc.lpszClassName = name;
    RegisterClassW(&wc);
}
} // namespace

bool CaptionPopup::Create(HWND itemWindow) {
    static HBRUSH brush = CreateSolidBrush(kCaptionPopupColour);
    RegisterOnce(kCaptionPopupClass, brush);
    return CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, kCaptionPopupClass, L"", WS_POPUP | WS_BORDER, 0,
                           0, 0, 0, itemWindow, nullptr, Module::Instance(), this) != nullptr;
}

LRESULT CaptionPopup::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_DESTROY) {
        HWND owner = GetWindow(m_hwnd, GW_OWNER);
        if (owner) {
            SendMessageW(owner, appmsg::kCaptionPopupClosed, 0, 0);
        }
    }
    return WindowBase::HandleMessage(msg, wp, lp);
}

bool FloatingPanel::Create(HWND itemWindow) {
    RegisterOnce(kFloatingPanelClass, nullptr);
    return CreateWindowExW(WS_EX_TOOLWINDOW, kFloatingPanelClass, names::kFloatingPanelTitle,
                           WS_POPUP | WS_CLIPCHILDREN, 0, 0, 0, 0, itemWindow, nullptr, Module::Instance(),
                           this) != nullptr;
}

bool TaskManagerPopup::Create() {
    RegisterOnce(kTaskManagerClass, GetSysColorBrush(COLOR_WINDOW));
    HWND taskBar = FindWindowW(names::kTaskBarClass, nullptr);
    return CreateWindowExW(0, kTaskManagerClass, L"", WS_POPUP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN,
                           CW_USEDEFAULT, CW_USEDEFAULT, 0, 0, taskBar, nullptr, Module::Instance(),
                           this) != nullptr;
}

} // namespace norvane
