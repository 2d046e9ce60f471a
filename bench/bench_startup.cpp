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

void PumpOnce() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

} // namespace

int main() {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = HostProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = norvane::device::kTodayClass;
    RegisterClassW(&wc);
    HWND host = CreateWindowExW(0, wc.lpszClassName, L"Desktop", WS_POPUP | WS_VISIBLE, 0, 0, 240, 320,
                                nullptr, nullptr, wc.hInstance, nullptr);
    HANDLE ready = CreateEventW(nullptr, TRUE, TRUE, norvane::device::kShellReadyEvent);
    HMODULE dll = LoadLibraryW(L"Norvane.dll");
    auto create =
        dll ? reinterpret_cast<PFNCUSTOMINITIALIZEITEM>(GetProcAddress(dll, MAKEINTRESOURCEA(240))) : nullptr;
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
        LARGE_INTEGER start, end;
        QueryPerformanceCounter(&start);
        HWND item = create(&record, host);
        // Start-up runs on the item's first timer; the view is up once the item
        // answers the height query with a view's height, then it paints.
        for (int spin = 0; spin < 100000; ++spin) {
            PumpOnce();
            if (SendMessageW(item, WM_TODAYCUSTOM_QUERYREFRESHCACHE, reinterpret_cast<WPARAM>(&record), 0) ||
                record.cyp != 0) {
                HWND child = FindWindowExW(host, nullptr, L"NorvaneWindowClass", nullptr);
                if (child && spin > 0) {
                    SetWindowPos(child, nullptr, 0, 0, 240, static_cast<int>(record.cyp), SWP_NOZORDER);
                    RedrawWindow(child, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
                    break;
                }
            }
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 1, QS_ALLINPUT);
        }
        QueryPerformanceCounter(&end);
        times.push_back(1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) /
                        static_cast<double>(frequency.QuadPart));
    }
    // The first run pays for loading fonts and the settings folder; report the median.
    std::sort(times.begin(), times.end());
    std::printf("startup_ms: %.2f ms\n", times[times.size() / 2]);
    std::printf("startup_first_ms: %.2f ms\n", times.back());
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
