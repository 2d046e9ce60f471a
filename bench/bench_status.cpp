// Status refresh and meter drawing: the 5-second tick of an item whose tab
// holds meters of every kind, with nothing changed (its time, and how many
// meters it repaints: none is the goal) and with memory changed (to see the
// count move); and drawing one 32 x 32 meter of each type, beside the
// platform's own AlphaBlend of a 32 x 32 picture. The host build times the
// status arithmetic instead.
#include "MeterDefinition.h"
#include "SystemStatus.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#ifdef _WIN32
#include "CePower.h"
#include "DeviceContract.h"
#include "DeviceState.h"
#include "DisplayScale.h"
#include "ImageLoader.h"
#include "MeterImages.h"
#include "MeterRenderer.h"
#include "Module.h"
#include "Settings.h"
#include "SettingsEnvironment.h"
#include "StatusSources.h"
#include "TodayApi.h"
#include "TodayItemWindow.h"

#include <windows.h>
#endif

using namespace norvane;
using Clock = std::chrono::steady_clock;

namespace {

// The median of repeated timings of f, in microseconds.
template <class F> double MedianMicroseconds(F&& f, int runs, int repeat) {
    f();
    std::vector<double> times;
    for (int r = 0; r < runs; ++r) {
        auto start = Clock::now();
        for (int i = 0; i < repeat; ++i) {
            f();
        }
        times.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count() / repeat);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

#ifdef _WIN32
int g_paints = 0;
WNDPROC g_itemProc = nullptr;

LRESULT CALLBACK CountingProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_PAINT) {
        ++g_paints;
    }
    return CallWindowProcW(g_itemProc, hwnd, msg, wp, lp);
}

LRESULT CALLBACK HostProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == TODAYM_DRAWWATERMARK) {
        auto* info = reinterpret_cast<TODAYDRAWWATERMARKINFO*>(lp);
        FillRect(info->hdc, &info->rc, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        return TRUE;
    }
    if (msg == TODAYM_GETCOLOR) {
        return RGB(0, 0, 0);
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

void Pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

std::wstring ShippedMeter(const char* name) {
    std::string path = "Z:" + std::string(NORVANE_SOURCE_DIR) + "/meters/" + name + "/meter.ini";
    std::replace(path.begin(), path.end(), '/', '\\');
    return std::wstring(path.begin(), path.end());
}

// A 32 x 32 device context to draw meters into.
struct Surface {
    HDC dc = nullptr;
    HBITMAP bitmap = nullptr;
    HGDIOBJ old = nullptr;
    Surface() {
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof(info.bmiHeader);
        info.bmiHeader.biWidth = 32;
        info.bmiHeader.biHeight = -32;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        void* bits = nullptr;
        dc = CreateCompatibleDC(nullptr);
        bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        old = SelectObject(dc, bitmap);
    }
    ~Surface() {
        SelectObject(dc, old);
        DeleteObject(bitmap);
        DeleteDC(dc);
    }
};

int RunWindows() {
    Module::SetInstance(GetModuleHandleW(nullptr));
    Module::Start();
    ImagingService imaging;
    SetScreenDpi(96, 96);
    SetDisplayFlags(false, false);
    platform::WriteStateQword(device::kMemoryTotal, 64ull << 20);
    platform::WriteStateQword(device::kMemoryAvail, 38ull << 20);

    // The shell is up, as on a device: the item starts only then.
    HANDLE ready = CreateEventW(nullptr, TRUE, TRUE, device::kShellReadyEvent);
    SetEvent(ready);
    WNDCLASSW wc = {};
    wc.lpfnWndProc = HostProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"BenchStatusHost";
    RegisterClassW(&wc);
    HWND host = CreateWindowExW(0, wc.lpszClassName, L"", WS_POPUP | WS_VISIBLE, 0, 0, 240, 320, nullptr,
                                nullptr, wc.hInstance, nullptr);
    TodayItemWindow item;
    if (!item.Create(host)) {
        std::printf("error: the item window could not be created\n");
        return 1;
    }
    // The item's start-up (settings load, first view) runs from its message
    // queue: the meters are added after it, or its load would drop them.
    for (int i = 0; i < 500 && !(item.View() && item.View()->GetType() != -2); ++i) {
        Pump();
        Sleep(10);
    }
    if (!item.View() || item.View()->GetType() == -2) {
        std::printf("error: the item did not start\n");
        return 1;
    }
    // Let the start-up's second tick (change notices) run too.
    for (int i = 0; i < 20; ++i) {
        Pump();
        Sleep(10);
    }
    Settings& settings = item.GetSettings();
    settings.General.BehaviorMode = 2;
    TabRecord& tab = settings.AddTab();
    tab.Name = L"Meters";
    tab.CaptionsEnabled = 1;
    const char* meters[] = {"battery-default", "memory-default", "backup-battery", "main-storage",
                            "storage-card"};
    for (int copy = 0; copy < 2; ++copy) {
        for (const char* name : meters) {
            ShortcutRecord& shortcut = tab.AddShortcut();
            shortcut.SetTarget(L"meter");
            shortcut.SetAdditionalTarget(L"meter:" + ShippedMeter(name));
            shortcut.SetLargeIcon(true);
            settings.Environment().LoadShortcutIcon(shortcut, settings);
        }
    }
    for (int i = 0; i < 10; ++i) {
        tab.AddShortcut().SetTarget(L"\\Windows\\Program " + std::to_wstring(i) + L".exe");
    }
    // The settings may bring tabs of their own: the meters' tab is the current one.
    item.SetCurrentTab(static_cast<int>(settings.Tabs().size()) - 1);
    item.SwitchView(2);
    SetWindowPos(item.Hwnd(), nullptr, 0, 0, 240, std::max(1, item.View()->GetHeight()), SWP_NOZORDER);
    KillTimer(item.Hwnd(), 0x8007);
    g_itemProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(item.Hwnd(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CountingProc)));
    item.Status().Refresh(statuskind::kAll);
    UpdateWindow(item.Hwnd());
    Pump();

    // A tick with nothing changed.
    bool pending = false;
    const int redrawsBefore = item.Status().RedrawCount();
    g_paints = 0;
    const double tickUs = MedianMicroseconds([&] { item.Status().Tick(pending); }, 15, 20);
    UpdateWindow(item.Hwnd());
    Pump();
    const int quietRepaints = g_paints + (item.Status().RedrawCount() - redrawsBefore);

    // A tick after memory moved: the memory meters repaint.
    platform::WriteStateQword(device::kMemoryAvail, 9ull << 20);
    g_paints = 0;
    const int changedBefore = item.Status().RedrawCount();
    item.Status().Tick(pending);
    UpdateWindow(item.Hwnd());
    Pump();
    const int changedRedraws = item.Status().RedrawCount() - changedBefore;
    platform::WriteStateQword(device::kMemoryAvail, 38ull << 20);

    // The platform's own memory status call, which the tick makes once.
    const double memoryUs = MedianMicroseconds(
        [] {
            MEMORYSTATUS status = {};
            status.dwLength = sizeof(status);
            CeGlobalMemoryStatus(&status);
        },
        15, 20);
    std::printf("status_tick_ms: %.4f ms\n", tickUs / 1000.0);
    std::printf("status_memory_call_peer_ms: %.4f ms\n", memoryUs / 1000.0);
    std::printf("status_tick_ratio: %.2f x\n", tickUs / memoryUs);
    std::printf("status_tick_repaints: %d\n", quietRepaints);
    std::printf("status_tick_changed_meters: %d\n", changedRedraws);
    std::printf("status_tick_changed_paints: %d\n", g_paints);
    if (changedRedraws == 0) {
        std::printf("error: a tick after memory moved redrew no meter\n");
        return 1;
    }

    // One 32 x 32 meter of each drawing type, with its picture and value text.
    Surface surface;
    const struct {
        const char* name;
        const char* meter;
    } types[] = {{"reveal", "battery-default"}, {"fill", "memory-default"}, {"pie", "backup-battery"}};
    MeterDrawContext context;
    context.status = &ProcessStatus();
    double slowest = 0;
    for (const auto& type : types) {
        auto definition = LoadMeterDefinition(ShippedMeter(type.meter), 32, nullptr, nullptr);
        const double us =
            MedianMicroseconds([&] { DrawMeter(*definition, surface.dc, 0, 0, context); }, 15, 50);
        slowest = std::max(slowest, us);
        std::printf("meter_draw_%s_us: %.2f us\n", type.name, us);
    }
    // The platform's own alpha drawing of a 32 x 32 picture, for scale.
    Surface picture;
    BLENDFUNCTION blend = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    const double alphaBlendUs = MedianMicroseconds(
        [&] { AlphaBlend(surface.dc, 0, 0, 32, 32, picture.dc, 0, 0, 32, 32, blend); }, 15, 200);
    std::printf("meter_draw_alphablend_peer_us: %.2f us\n", alphaBlendUs);
    std::printf("meter_draw_slowest_ratio: %.1f x\n", slowest / alphaBlendUs);
    return 0;
}
#endif

int RunArithmetic() {
    volatile std::size_t sink = 0;
    std::uint64_t bytes = 1;
    const double us = MedianMicroseconds(
        [&] {
            bytes = bytes * 2862933555777941757ull + 3037000493ull;
            sink = sink + LargeSizeText(bytes >> 20).size();
        },
        15, 20000);
    std::printf("large_size_text_ns: %.1f ns\n", us * 1000.0);
    return 0;
}

} // namespace

int main() {
    RunArithmetic();
#ifdef _WIN32
    return RunWindows();
#else
    return 0;
#endif
}
