// Start-up of the Today item: from the Today screen's ordinal 240 call to the
// first painted view with the default settings, in process, repeated.
#ifdef _WIN32
#include "DeviceContract.h"
#include "TodayApi.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

int g_heightBroadcasts = 0;
UINT g_heightMessage = 0;

LRESULT CALLBACK HostProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == TODAYM_DRAWWATERMARK) {
        auto* info = reinterpret_cast<TODAYDRAWWATERMARKINFO*>(lp);
        FillRect(info->hdc, &info->rc, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        return TRUE;
    }
    if (msg == TODAYM_GETCOLOR) {
        return RGB(255, 255, 255);
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

// A top-level window that counts the item's "NorvaneCurrentHeight" broadcasts:
// the first comes with the loading view, the second with the real view.
LRESULT CALLBACK ListenerProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == g_heightMessage && msg != 0) {
        ++g_heightBroadcasts;
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

void PumpOnce() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

HWND MakeWindow(const wchar_t* cls, WNDPROC proc, DWORD style, int w, int h) {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = cls;
    RegisterClassW(&wc);
    return CreateWindowExW(0, cls, L"Desktop", style, 0, 0, w, h, nullptr, nullptr, wc.hInstance, nullptr);
}

} // namespace

int main() {
    HWND host = MakeWindow(norvane::device::kTodayClass, HostProc, WS_POPUP | WS_VISIBLE, 240, 320);
    g_heightMessage = RegisterWindowMessageW(L"NorvaneCurrentHeight");
    MakeWindow(L"BenchListener", ListenerProc, WS_OVERLAPPED, 0, 0);
    HANDLE ready = CreateEventW(nullptr, TRUE, TRUE, norvane::device::kShellReadyEvent);
    HMODULE dll = LoadLibraryW(L"Norvane.dll");
    auto create = dll ? reinterpret_cast<PFNCUSTOMINITIALIZEITEM>(GetProcAddress(dll, MAKEINTRESOURCEA(240))) : nullptr;
    if (!create) {
        std::fprintf(stderr, "bench_startup: Norvane.dll or its ordinal 240 is missing\n");
        return 1;
    }
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    std::vector<double> times;
    for (int run = 0; run < 12; ++run) {
        TODAYLISTITEM record = {};
        record.fEnabled = TRUE;
        PumpOnce();
        g_heightBroadcasts = 0;
        LARGE_INTEGER start, end;
        QueryPerformanceCounter(&start);
        HWND item = create(&record, host);
        // Start-up runs on the item's first timer and ends with the view switch.
        DWORD deadline = GetTickCount() + 5000;
        while (g_heightBroadcasts < 2 && static_cast<int>(deadline - GetTickCount()) > 0) {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 1, QS_ALLINPUT);
            PumpOnce();
        }
        // The Today screen asks for the height, sizes the item and it paints.
        SendMessageW(item, WM_TODAYCUSTOM_QUERYREFRESHCACHE, reinterpret_cast<WPARAM>(&record), 0);
        SetWindowPos(item, nullptr, 0, 0, 240, static_cast<int>(record.cyp), SWP_NOZORDER);
        RedrawWindow(item, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        QueryPerformanceCounter(&end);
        if (g_heightBroadcasts < 2) {
            std::fprintf(stderr, "bench_startup: the item did not start within 5 s\n");
            return 1;
        }
        times.push_back(1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) /
                        static_cast<double>(frequency.QuadPart));
    }
    // The first run pays for fonts, the settings folder and the change watcher;
    // the median is the figure, the first run is reported beside it.
    double first = times.front();
    std::sort(times.begin(), times.end());
    std::printf("startup_ms: %.2f ms\n", times[times.size() / 2]);
    std::printf("startup_first_ms: %.2f ms\n", first);
    CloseHandle(ready);
    return 0;
}
#else
#include <cstdio>
int main() {
    std::printf("bench_startup: the Today item runs only in the Windows build\n");
    return 0;
}
#endif
