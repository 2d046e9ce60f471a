// Start-up of the Today item: from the Today screen's ordinal 240 call to the
// first painted view, in process, repeated (the previous run's item destroyed
// beforehand and timed on its own as the teardown); once with no settings file (the
// defaults a new user meets) and once with a realistic one (five tabs, forty
// shortcuts with system icons). The figure is the median through the real DLL.
// A second pass runs the same item code linked in, with its step trace on, and
// prints where the time goes, step by step, so that the next regression shows
// where it comes from.
#ifdef _WIN32
#include "DeviceContract.h"
#include "ImageLoader.h"
#include "Module.h"
#include "TodayApi.h"
#include "TodayItemWindow.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int kRuns = 12;
constexpr wchar_t kSettingsFolder[] = L"C:\\Program Files\\Tarsel\\Norvane";
constexpr wchar_t kSettingsPath[] = L"C:\\Program Files\\Tarsel\\Norvane\\Norvane.ini";

int g_heightBroadcasts = 0;
UINT g_heightMessage = 0;
HWND g_lastItem = nullptr;

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

double Now() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return 1000.0 * static_cast<double>(t.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// The processor time this process has used, all threads, in milliseconds: on a
// busy machine the wall clock also counts the time others had the processor,
// this does not.
double ProcessorMs() {
    FILETIME created, exited, kernel, user;
    if (!GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user)) {
        return 0.0;
    }
    auto ms = [](const FILETIME& t) {
        return static_cast<double>((static_cast<unsigned long long>(t.dwHighDateTime) << 32) |
                                   t.dwLowDateTime) /
               10000.0;
    };
    return ms(kernel) + ms(user);
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0.0 : values[values.size() / 2];
}

// Runs start-up once: create (through the given entry), pump until the item has
// left its loading view, then size and paint it as the Today screen does.
// Returns the milliseconds, or a negative value when it never started.
template <class Create>
double StartOnce(HWND host, Create create, const std::function<void(const char*)>& mark) {
    TODAYLISTITEM record = {};
    record.fEnabled = TRUE;
    PumpOnce();
    g_heightBroadcasts = 0;
    const double start = Now();
    HWND item = create(&record, host);
    g_lastItem = item;
    // Start-up runs on the item's first timer and ends with the view switch;
    // one message at a time, so that nothing after the view switch is counted.
    const DWORD deadline = GetTickCount() + 5000;
    while (item && g_heightBroadcasts < 2 && static_cast<int>(deadline - GetTickCount()) > 0) {
        MSG msg;
        if (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        } else {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 1, QS_ALLINPUT);
        }
    }
    if (!item || g_heightBroadcasts < 2) {
        return -1;
    }
    // The Today screen asks for the height, sizes the item and it paints.
    mark("host.query");
    SendMessageW(item, WM_TODAYCUSTOM_QUERYREFRESHCACHE, reinterpret_cast<WPARAM>(&record), 0);
    mark("host.size");
    SetWindowPos(item, nullptr, 0, 0, 240, static_cast<int>(record.cyp), SWP_NOZORDER);
    mark("host.paint");
    RedrawWindow(item, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    const double end = Now();
    mark("end");
    return end - start;
}

// Norvane.ini for the scenario, or none; the file that was there is put back.
class SettingsScenario {
public:
    SettingsScenario() {
        HANDLE file =
            CreateFileW(kSettingsPath, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            DWORD size = GetFileSize(file, nullptr), read = 0;
            m_saved.resize(size);
            m_had = ReadFile(file, m_saved.data(), size, &read, nullptr) && read == size;
            CloseHandle(file);
        }
    }
    ~SettingsScenario() {
        if (m_had) {
            Write(m_saved);
        } else {
            DeleteFileW(kSettingsPath);
        }
    }
    void UseNone() { DeleteFileW(kSettingsPath); }
    // Five tabs of eight shortcuts each, the first tab current, captions on,
    // every shortcut a program with an icon of its own.
    void UseRealistic() {
        const wchar_t* programs[] = {
            L"\\Windows\\notepad.exe",
            L"\\Windows\\regedit.exe",
            L"\\Windows\\explorer.exe",
            L"\\Windows\\hh.exe",
            L"\\Windows\\winhlp32.exe",
            L"\\Windows\\system32\\cmd.exe",
            L"\\Windows\\system32\\control.exe",
            L"\\Windows\\system32\\taskmgr.exe",
            L"\\Windows\\system32\\winefile.exe",
            L"\\Windows\\system32\\winecfg.exe",
            L"\\Windows\\system32\\wordpad.exe",
            L"\\Windows\\system32\\write.exe",
            L"\\Windows\\system32\\winemine.exe",
            L"\\Windows\\system32\\msiexec.exe",
            L"\\Windows\\system32\\progman.exe",
            L"\\Windows\\system32\\clock.exe",
            L"\\Windows\\system32\\oleview.exe",
            L"\\Windows\\system32\\uninstaller.exe",
            L"\\Windows\\system32\\winver.exe",
            L"\\Windows\\system32\\wineconsole.exe",
        };
        std::wstring text = L"\r\n[General]\r\n";
        for (int t = 0; t < 5; ++t) {
            text += L"\r\n[Tab" + std::to_wstring(t + 1) + L"]\r\nName=Tab " + std::to_wstring(t + 1) +
                    L"\r\nUniqueID=" + std::to_wstring(t + 1) + L"\r\nImage=builtin:" + std::to_wstring(t) +
                    L"\r\nCaptionsEnabled=1\r\n";
            for (int i = 0; i < 8; ++i) {
                text += L"Shortcut" + std::to_wstring(i + 1) + L"=" +
                        programs[(t * 8 + i) % std::size(programs)] + L"\r\n";
            }
        }
        std::vector<char> bytes = {'\xFF', '\xFE'};
        for (wchar_t c : text) {
            bytes.push_back(static_cast<char>(c & 0xFF));
            bytes.push_back(static_cast<char>(c >> 8));
        }
        Write(bytes);
    }

private:
    void Write(const std::vector<char>& bytes) {
        CreateDirectoryW(L"C:\\Program Files\\Tarsel", nullptr);
        CreateDirectoryW(kSettingsFolder, nullptr);
        HANDLE file = CreateFileW(kSettingsPath, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            DWORD written = 0;
            WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
            CloseHandle(file);
        }
    }
    std::vector<char> m_saved;
    bool m_had = false;
};

// Through the DLL, as the Today screen loads it: the median and the first run.
bool MeasureDll(HWND host, PFNCUSTOMINITIALIZEITEM create, const char* name) {
    std::vector<double> times, teardowns, processor;
    for (int run = 0; run < kRuns; ++run) {
        // The item of the run before goes first, on its own clock: a new
        // creation call would destroy it, but that is the old item's shutdown,
        // not the new one's start-up.
        if (g_lastItem && IsWindow(g_lastItem)) {
            const double start = Now();
            DestroyWindow(g_lastItem);
            teardowns.push_back(Now() - start);
            PumpOnce();
        }
        const double cpuBefore = ProcessorMs();
        const double ms = StartOnce(host, create, [](const char*) {});
        processor.push_back(ProcessorMs() - cpuBefore);
        if (ms < 0) {
            std::fprintf(stderr, "bench_startup: the item did not start within 5 s\n");
            return false;
        }
        times.push_back(ms);
    }
    // The first run pays for fonts, the settings folder and the change watcher;
    // the median is the figure, the first run is reported beside it.
    std::printf("%s_ms: %.2f ms\n", name, Median(times));
    std::printf("%s_first_ms: %.2f ms\n", name, times.front());
    std::printf("%s_teardown_ms: %.2f ms\n", name, Median(teardowns));
    // The processor time of a start-up without the first: what the median
    // would read on an idle machine (the clock's ticks are coarse, so the mean).
    double sum = 0;
    for (size_t i = 1; i < processor.size(); ++i) {
        sum += processor[i];
    }
    std::printf("%s_cpu_ms: %.2f ms\n", name, processor.size() > 1 ? sum / (processor.size() - 1) : 0.0);
    return true;
}

// The same item code linked in, its trace timed: for each step the time until
// the next one (the last step until the painted view), medians over the runs.
void MeasureSteps(HWND host, const char* name) {
    std::map<std::string, std::vector<double>> steps;
    std::vector<std::string> order;
    for (int run = 0; run < kRuns; ++run) {
        std::vector<std::pair<std::string, double>> marks;
        std::unique_ptr<norvane::TodayItemWindow> item;
        auto create = [&](TODAYLISTITEM*, HWND parent) -> HWND {
            marks.emplace_back("construct", Now());
            item = std::make_unique<norvane::TodayItemWindow>();
            item->Trace = [&](const char* step) { marks.emplace_back(step, Now()); };
            return item->Create(parent) ? item->Hwnd() : nullptr;
        };
        if (StartOnce(host, create, [&](const char* step) { marks.emplace_back(step, Now()); }) < 0) {
            return;
        }
        // A step that comes twice (the view switch: loading view, then the
        // real one) is counted as two steps.
        std::map<std::string, int> seen;
        for (size_t i = 0; i + 1 < marks.size(); ++i) {
            std::string step = marks[i].first;
            std::replace(step.begin(), step.end(), '.', '_');
            if (++seen[step] > 1) {
                step += "_" + std::to_string(seen[step]);
            }
            if (steps.find(step) == steps.end()) {
                order.push_back(step);
            }
            steps[step].push_back(marks[i + 1].second - marks[i].second);
        }
        if (item && item->Hwnd()) {
            DestroyWindow(item->Hwnd());
        }
    }
    double total = 0;
    for (const auto& step : order) {
        const double ms = Median(steps[step]);
        total += ms;
        std::printf("%s_step_%s_ms: %.2f ms\n", name, step.c_str(), ms);
    }
    std::printf("%s_steps_total_ms: %.2f ms\n", name, total);
}

} // namespace

int main() {
    // The item tests share the prefix's settings file and item registry values.
    HANDLE shared = CreateMutexW(nullptr, FALSE, L"NorvaneItemTestsSharedState");
    if (shared) {
        WaitForSingleObject(shared, INFINITE);
    }
    HWND host = MakeWindow(norvane::device::kTodayClass, HostProc, WS_POPUP | WS_VISIBLE, 240, 320);
    g_heightMessage = RegisterWindowMessageW(L"NorvaneCurrentHeight");
    MakeWindow(L"BenchListener", ListenerProc, WS_OVERLAPPED, 0, 0);
    HANDLE ready = CreateEventW(nullptr, TRUE, TRUE, norvane::device::kShellReadyEvent);
    HMODULE dll = LoadLibraryW(L"Norvane.dll");
    auto create =
        dll ? reinterpret_cast<PFNCUSTOMINITIALIZEITEM>(GetProcAddress(dll, MAKEINTRESOURCEA(240))) : nullptr;
    if (!create) {
        std::fprintf(stderr, "bench_startup: Norvane.dll or its ordinal 240 is missing\n");
        return 1;
    }
    norvane::Module::SetInstance(GetModuleHandleW(nullptr));
    norvane::Module::Start();
    int status = 0;
    {
        SettingsScenario scenario;
        scenario.UseNone();
        if (!MeasureDll(host, create, "startup")) {
            status = 1;
        }
        scenario.UseRealistic();
        if (status == 0 && !MeasureDll(host, create, "startup_realistic")) {
            status = 1;
        }
        // The same again with the item linked in and traced, for the breakdown;
        // the DLL's last item goes first so that its timers keep quiet.
        if (g_lastItem && IsWindow(g_lastItem)) {
            DestroyWindow(g_lastItem);
        }
        scenario.UseNone();
        MeasureSteps(host, "startup");
        scenario.UseRealistic();
        MeasureSteps(host, "startup_realistic");
    }
    CloseHandle(ready);
    if (shared) {
        ReleaseMutex(shared);
        CloseHandle(shared);
    }
    return status;
}
#else
#include <cstdio>
int main() {
    std::printf("bench_startup: the Today item runs only in the Windows build\n");
    return 0;
}
#endif
