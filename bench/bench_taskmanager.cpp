// Task-manager benchmark: opening the popup with 20 running programs (each a
// process of its own, as on the device), from Show to the painted popup, with
// the program icons on. The host build times the selection rules and the icon
// places instead.
//
//   bench_taskmanager            the benchmark
//   bench_taskmanager --program  one program window (started by the benchmark)
#include "TaskLayout.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <vector>

#ifdef _WIN32
#include "DeviceContract.h"
#include "DisplayScale.h"
#include "ImageLoader.h"
#include "Module.h"
#include "TaskManagerPopup.h"
#include "TaskRules.h"
#include "TodayApi.h"
#include "TodayItemWindow.h"

#include <windows.h>

#include <set>
#include <string>
#endif

using namespace norvane;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int kPrograms = 20;
constexpr int kRepeat = 15;

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

double SelectionMicroseconds() {
    std::vector<TaskRowShape> rows(4, TaskRowShape{TaskRowKind::Command, false});
    rows.push_back({TaskRowKind::Separator, false});
    for (int i = 0; i < kPrograms; ++i) {
        rows.push_back({TaskRowKind::Window, i > 0});
    }
    rows.push_back({TaskRowKind::Separator, false});
    rows.push_back({TaskRowKind::Launch, false});
    TaskSelection selection;
    const int repeat = 200000;
    const auto start = Clock::now();
    for (int i = 0; i < repeat; ++i) {
        MoveTaskSelection(rows, 3, selection, i % 7 < 4 ? TaskKey::Down : TaskKey::Up);
    }
    volatile int sink = selection.index;
    (void)sink;
    return std::chrono::duration<double, std::micro>(Clock::now() - start).count() / repeat;
}

#ifdef _WIN32
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

LRESULT CALLBACK ProgramProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

// One program: a titled window until it is closed.
int RunProgram(const char* number) {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = ProgramProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    wc.lpszClassName = L"BenchProgram";
    RegisterClassW(&wc);
    const std::wstring title = L"Program " + std::wstring(number, number + std::strlen(number));
    HWND hwnd = CreateWindowExW(0, wc.lpszClassName, title.c_str(), WS_POPUP | WS_VISIBLE, 0, 26, 240, 294,
                                nullptr, nullptr, wc.hInstance, nullptr);
    if (!hwnd) {
        return 1;
    }
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        DispatchMessageW(&msg);
    }
    return 0;
}

struct Programs {
    std::vector<PROCESS_INFORMATION> processes;
    std::set<DWORD> ids;
    ~Programs() {
        for (auto& process : processes) {
            TerminateProcess(process.hProcess, 0);
            WaitForSingleObject(process.hProcess, 5000);
            CloseHandle(process.hProcess);
            CloseHandle(process.hThread);
        }
    }
};

struct Count {
    std::set<DWORD>* ids;
    int found;
};

BOOL CALLBACK CountWindows(HWND hwnd, LPARAM lp) {
    auto* count = reinterpret_cast<Count*>(lp);
    DWORD process = 0;
    GetWindowThreadProcessId(hwnd, &process);
    if (count->ids->count(process) && IsWindowVisible(hwnd)) {
        ++count->found;
    }
    return TRUE;
}

void Pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}
#endif

} // namespace

int main(int argc, char** argv) {
#ifdef _WIN32
    if (argc > 2 && std::strcmp(argv[1], "--program") == 0) {
        return RunProgram(argv[2]);
    }
#endif
    std::printf("taskmanager_selection_us: %.3f us\n", SelectionMicroseconds());
#ifdef _WIN32
    SetScreenDpi(96, 96);
    Module::SetInstance(GetModuleHandleW(nullptr));
    Module::Start();
    ImagingService imaging;

    Programs programs;
    wchar_t self[MAX_PATH] = L"";
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    for (int i = 0; i < kPrograms; ++i) {
        std::wstring command = L"\"" + std::wstring(self) + L"\" --program " + std::to_wstring(i + 1);
        STARTUPINFOW startup = {};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION info = {};
        if (!CreateProcessW(self, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                            &info)) {
            std::printf("error: cannot start the programs\n");
            return 1;
        }
        programs.processes.push_back(info);
        programs.ids.insert(info.dwProcessId);
    }
    const auto deadline = Clock::now() + std::chrono::seconds(60);
    Count count{&programs.ids, 0};
    while (Clock::now() < deadline) {
        count.found = 0;
        EnumWindows(CountWindows, reinterpret_cast<LPARAM>(&count));
        if (count.found == kPrograms) {
            break;
        }
        Sleep(20);
    }
    if (count.found != kPrograms) {
        std::printf("error: the programs did not open their windows\n");
        return 1;
    }

    // The shell is up, as on a device where the task manager is opened.
    HANDLE ready = CreateEventW(nullptr, TRUE, TRUE, device::kShellReadyEvent);
    SetEvent(ready);
    WNDCLASSW wc = {};
    wc.lpfnWndProc = HostProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = device::kTodayClass;
    RegisterClassW(&wc);
    HWND host = CreateWindowExW(0, wc.lpszClassName, device::kTodayTitle, WS_POPUP | WS_VISIBLE, 0, 26, 240,
                                275, nullptr, nullptr, wc.hInstance, nullptr);
    {
        TodayItemWindow item;
        if (!item.Create(host)) {
            std::printf("error: the item window could not be created\n");
            return 1;
        }
        // Only our programs count (the benchmark may share its session).
        item.Tasks().Services().windowScope = [&programs](HWND window) {
            DWORD process = 0;
            GetWindowThreadProcessId(window, &process);
            return process == GetCurrentProcessId() || programs.ids.count(process) != 0;
        };
        const auto ready = Clock::now() + std::chrono::seconds(10);
        while (Clock::now() < ready && (!item.View() || item.View()->GetType() == viewtype::kLoading)) {
            Pump();
            Sleep(5);
        }
        item.GetSettings().General.AnimateTaskManager = 0;
        item.GetSettings().General.TaskManagerShowIcons = true;
        TaskManagerPopup& popup = item.TaskManager();

        std::vector<double> open;
        std::size_t rows = 0;
        for (int i = 0; i < kRepeat + 1; ++i) {
            SetForegroundWindow(host);
            Pump();
            const auto start = Clock::now();
            popup.Show(false); // builds, places, shows and paints before it returns
            const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
            rows = popup.Items().size();
            popup.Hide();
            Pump();
            if (i > 0) { // the first opening loads the images
                open.push_back(ms);
            }
        }
        // Painting alone, into a bitmap of the popup's size.
        SetForegroundWindow(host);
        popup.Show(false);
        RECT client;
        GetClientRect(popup.Hwnd(), &client);
        HDC screen = GetDC(nullptr);
        HDC dc = CreateCompatibleDC(screen);
        HBITMAP bitmap = CreateCompatibleBitmap(screen, client.right, client.bottom);
        HGDIOBJ old = SelectObject(dc, bitmap);
        std::vector<double> paints;
        for (int i = 0; i < kRepeat; ++i) {
            const auto start = Clock::now();
            popup.Paint(dc, client);
            paints.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
        }
        SelectObject(dc, old);
        DeleteObject(bitmap);
        DeleteDC(dc);
        ReleaseDC(nullptr, screen);
        popup.Hide();
        std::printf("taskmanager_open_ms: %.2f ms\n", Median(open));
        std::printf("taskmanager_paint_ms: %.2f ms\n", Median(paints));
        std::printf("taskmanager_rows: %zu rows\n", rows);
        int windows = 0;
        EnumWindows([](HWND, LPARAM count) { return ++*reinterpret_cast<int*>(count), TRUE; },
                    reinterpret_cast<LPARAM>(&windows));
        std::printf("taskmanager_session_windows: %d windows\n", windows);
        DestroyWindow(item.Hwnd());
    }
    DestroyWindow(host);
    CloseHandle(ready);
#endif
    return 0;
}
