// Painting benchmark: a full repaint of a tab with 40 icons and captions at VGA
// (480 pixels wide, true-VGA measures), and of the tab bar alone, into an
// off-screen 32-bit section as WM_PAINT's double buffer would. The host build
// times the layout arithmetic of the same tab instead.
#include "DisplayScale.h"
#include "IconLayout.h"
#include "TabBarLayout.h"

#include <chrono>
#include <cstdio>

#ifdef _WIN32
#include "ImageLoader.h"
#include "Module.h"
#include "Settings.h"
#include "TabView.h"
#include "TodayApi.h"
#include "TodayItemWindow.h"

#include <windows.h>
#endif

using namespace norvane;
using Clock = std::chrono::steady_clock;

namespace {

template <class F> double MillisecondsPer(F&& f, int repeat) {
    f();
    auto start = Clock::now();
    for (int i = 0; i < repeat; ++i) {
        f();
    }
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count() / repeat;
}

double LayoutMicroseconds() {
    std::vector<IconLayoutItem> items(40);
    for (auto& item : items) {
        item.captionShown = true;
    }
    IconLayoutOptions options;
    options.captionsEnabled = true;
    IconArea area{4, 476, 50, false};
    volatile int sink = 0;
    return 1000.0 *
           MillisecondsPer([&] { sink = sink + LayoutIcons(items, options, area).contentHeight; }, 20000);
}

#ifdef _WIN32
LRESULT CALLBACK HostProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == TODAYM_DRAWWATERMARK) {
        auto* info = reinterpret_cast<TODAYDRAWWATERMARKINFO*>(lp);
        HBRUSH brush = CreateSolidBrush(RGB(30, 60, 120));
        FillRect(info->hdc, &info->rc, brush);
        DeleteObject(brush);
        return TRUE;
    }
    if (msg == TODAYM_GETCOLOR) {
        return RGB(255, 255, 255);
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}
#endif

} // namespace

int main() {
    SetScreenDpi(96, 96);
    std::printf("layout_40_icons_us: %.2f us\n", LayoutMicroseconds());
#ifdef _WIN32
    Module::SetInstance(GetModuleHandleW(nullptr));
    Module::Start();
    ImagingService imaging;
    WNDCLASSW wc = {};
    wc.lpfnWndProc = HostProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"BenchTodayHost";
    RegisterClassW(&wc);
    HWND host = CreateWindowExW(0, wc.lpszClassName, L"", WS_POPUP, 0, 0, 480, 640, nullptr, nullptr,
                                wc.hInstance, nullptr);
    TodayItemWindow item;
    if (!item.Create(host)) {
        std::printf("error: the item window could not be created\n");
        return 1;
    }
    SetDisplayFlags(true, true);
    Settings& settings = item.GetSettings();
    settings.General.BehaviorMode = 2;
    settings.General.BottomAlign = 0;
    settings.General.HideSettingsBtn = false;
    settings.General.CurrentTabOpacity = 30;
    settings.General.CurrentTabBGColor = MakeColor(0, 0, 0);
    settings.General.TabOpacity = 15;
    settings.General.TabBGColor = MakeColor(255, 255, 255);
    settings.General.CaptionHeight = 28;
    settings.General.CaptionFontSize = 22;
    settings.General.TabWidth = 80;
    for (int t = 0; t < 4; ++t) {
        TabRecord& tab = settings.AddTab();
        tab.Name = L"Tab " + std::to_wstring(t + 1);
        tab.Image = L"builtin:" + std::to_wstring(t);
        tab.CaptionsEnabled = 1;
        for (int i = 0; i < (t == 0 ? 40 : 3); ++i) {
            ShortcutRecord& shortcut = tab.AddShortcut();
            shortcut.SetTarget(L"\\Windows\\Start Menu\\Program " + std::to_wstring(i) + L".lnk");
        }
    }
    item.SwitchView(2);
    SetWindowPos(item.Hwnd(), nullptr, 0, 0, 480, item.View()->GetHeight(), SWP_NOZORDER);
    auto* view = static_cast<TabView*>(item.View());
    RECT client;
    GetClientRect(item.Hwnd(), &client);

    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = client.right;
    bi.bmiHeader.biHeight = -client.bottom;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP dib = CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(dc, dib);

    double full = MillisecondsPer([&] { view->Paint(dc, client); }, 50);
    double bar = MillisecondsPer([&] { view->PaintTabBar(dc, client); }, 200);
    std::printf("full_repaint_vga_ms: %.3f ms\n", full);
    std::printf("tab_bar_ms: %.3f ms\n", bar);
    std::printf("full_repaint_vga_size: %ldx%ld px\n", client.right, client.bottom);

    SelectObject(dc, old);
    DeleteObject(dib);
    DeleteDC(dc);
    DestroyWindow(item.Hwnd());
    DestroyWindow(host);
#endif
    return 0;
}
