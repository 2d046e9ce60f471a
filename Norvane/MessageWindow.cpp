// The message window: broadcasts in, hand-off to the item window.
#include "MessageWindow.h"

#include "Module.h"
#include "TodayItemWindow.h"

namespace norvane {

namespace {
constexpr wchar_t kMessageWindowClass[] = L"NorvaneMessageWindow";
constexpr wchar_t kSubclassOwnerProp[] = L"NorvaneMessageWindow";

LRESULT CALLBACK TaskBarSubclassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    auto* self = static_cast<MessageWindow*>(GetPropW(hwnd, kSubclassOwnerProp));
    WNDPROC previous = self ? self->TaskBarPreviousProc() : nullptr;
    if (!previous) {
        return DefWindowProcW(hwnd, msg, wp, lp);
    }
    return CallWindowProcW(previous, hwnd, msg, wp, lp);
}
} // namespace

MessageWindow::MessageWindow(TodayItemWindow& owner) : m_owner(owner) {}

MessageWindow::~MessageWindow() {
    Destroy();
}

bool MessageWindow::Create(HWND itemParent) {
    m_itemParent = itemParent;
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
}

void MessageWindow::Reload() {
    if (m_taskBar) {
        InvalidateRect(m_taskBar, nullptr, TRUE);
        UpdateWindow(m_taskBar);
    }
}

void MessageWindow::RedrawTopBar() {
    if (m_taskBar) {
        InvalidateRect(m_taskBar, nullptr, FALSE);
    }
}

void MessageWindow::SubclassTaskBar() {
    m_taskBar = FindWindowW(names::kTaskBarClass, nullptr);
    if (!m_taskBar) {
        return;
    }
    SetPropW(m_taskBar, kSubclassOwnerProp, this);
    m_taskBarProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(m_taskBar, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TaskBarSubclassProc)));
}

void MessageWindow::RemoveTaskBarSubclass() {
    if (m_taskBar && IsWindow(m_taskBar) && m_taskBarProc) {
        SetWindowLongPtrW(m_taskBar, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_taskBarProc));
        RemovePropW(m_taskBar, kSubclassOwnerProp);
    }
    m_taskBar = nullptr;
    m_taskBarProc = nullptr;
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
        RemoveTaskBarSubclass();
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_SETTINGCHANGE:
        m_owner.OnDisplaySettingChange();
        return 0;
    default:
        return DefWindowProcW(m_hwnd, msg, wp, lp);
    }
}

} // namespace norvane
