// The options program's start: from starting NorvaneOptions.exe to its first
// page painted (the Options page and all its controls visible with nothing
// left to paint), the median of several starts. The platform's own property
// sheet program (winecfg) is timed the same way beside it.
//
//   options_start_ms: ...
//   peer_sheet_start_ms: ...
//   options_start_ratio: ... x   (ours / the peer's)
//
// The options program marks the steps of its start when NORVANE_OPTIONS_TRACE
// names a file; the breakdown gives each step's median time since the step
// before it ("entered" counts from the process's creation), so a slower start
// shows where the time went ("seen" is what came after the program's last mark
// until this program saw the page with nothing left to paint):
//
//   options_step_entered_ms: ...
//   options_step_imaging_ms: ...
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace {

struct Painted {
    bool all = true;
};

BOOL CALLBACK CheckChild(HWND child, LPARAM param) {
    auto* painted = reinterpret_cast<Painted*>(param);
    if (IsWindowVisible(child) && GetUpdateRect(child, nullptr, FALSE)) {
        painted->all = false;
    }
    return TRUE;
}

// A window and its visible children are shown and have nothing left to paint.
bool FullyPainted(HWND window) {
    if (window == nullptr || !IsWindowVisible(window) || GetUpdateRect(window, nullptr, FALSE)) {
        return false;
    }
    Painted painted;
    EnumChildWindows(window, CheckChild, reinterpret_cast<LPARAM>(&painted));
    return painted.all;
}

// The first visible page (a dialog child) of a window's property sheet.
HWND VisiblePage(HWND top) {
    if (top == nullptr) {
        return nullptr;
    }
    // A frame holds its sheet; a modal sheet is the top window itself.
    wchar_t cls[32] = L"";
    GetClassNameW(top, cls, 32);
    HWND search = lstrcmpW(cls, L"#32770") == 0 ? top : FindWindowExW(top, nullptr, L"#32770", nullptr);
    if (search == nullptr) {
        return nullptr;
    }
    for (HWND page = FindWindowExW(search, nullptr, L"#32770", nullptr); page != nullptr;
         page = FindWindowExW(search, page, L"#32770", nullptr)) {
        if (IsWindowVisible(page)) {
            return page;
        }
    }
    return nullptr;
}

// The counter's readings when the last TimeStart created its process and when
// it saw the page painted.
LONGLONG g_startCounter = 0;
LONGLONG g_seenCounter = 0;

// Starts the program and waits until find() names a page that is painted;
// milliseconds, or a negative number when it never was.
double TimeStart(const std::wstring& commandLine, const std::function<HWND()>& findTop) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    std::wstring line = commandLine;
    LARGE_INTEGER frequency;
    LARGE_INTEGER begin;
    LARGE_INTEGER end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&begin);
    g_startCounter = begin.QuadPart;
    // Device paths of the program resolve on C:, as on the device.
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, L"C:\\", &startup,
                        &process)) {
        return -1;
    }
    double elapsed = -1;
    HWND top = nullptr;
    for (;;) {
        top = findTop();
        if (FullyPainted(VisiblePage(top))) {
            QueryPerformanceCounter(&end);
            g_seenCounter = end.QuadPart;
            elapsed = 1000.0 * static_cast<double>(end.QuadPart - begin.QuadPart) /
                      static_cast<double>(frequency.QuadPart);
            break;
        }
        if (WaitForSingleObject(process.hProcess, 1) == WAIT_OBJECT_0) {
            break;
        }
        QueryPerformanceCounter(&end);
        if (end.QuadPart - begin.QuadPart > frequency.QuadPart * 30) {
            break;
        }
    }
    if (top != nullptr) {
        PostMessageW(top, WM_CLOSE, 0, 0);
    }
    if (WaitForSingleObject(process.hProcess, 10000) != WAIT_OBJECT_0) {
        TerminateProcess(process.hProcess, 1);
        WaitForSingleObject(process.hProcess, 5000);
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return elapsed;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? -1 : values[values.size() / 2];
}

std::wstring ProgramBeside(const wchar_t* relative) {
    wchar_t path[MAX_PATH] = L"";
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder = path;
    folder = folder.substr(0, folder.rfind(L'\\') + 1);
    return folder + relative;
}

// The steps the options program wrote (in their order), each as milliseconds
// since the step before; empty when it wrote none.
std::vector<std::pair<std::string, double>> ReadSteps(const std::wstring& path) {
    std::vector<std::pair<std::string, double>> steps;
    FILE* file = _wfopen(path.c_str(), L"r");
    if (file == nullptr) {
        return steps;
    }
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    LONGLONG previous = g_startCounter;
    char step[64];
    long long counter = 0;
    while (std::fscanf(file, "%63s %lld", step, &counter) == 2) {
        steps.emplace_back(step, 1000.0 * static_cast<double>(counter - previous) /
                                     static_cast<double>(frequency.QuadPart));
        previous = counter;
    }
    std::fclose(file);
    // What came after the program's last mark until the page had nothing left
    // to paint (focus, late invalidations), as this program saw it.
    if (!steps.empty() && g_seenCounter > previous) {
        steps.emplace_back("seen", 1000.0 * static_cast<double>(g_seenCounter - previous) /
                                       static_cast<double>(frequency.QuadPart));
    }
    return steps;
}

} // namespace

int main() {
    const std::wstring options = L"\"" + ProgramBeside(L"..\\NorvaneOptions\\NorvaneOptions.exe") + L"\"";
    const int runs = GetEnvironmentVariableW(L"BENCH_RUNS", nullptr, 0) ? 2 : 7;
    std::vector<double> ours;
    std::vector<double> peer;
    wchar_t tempFolder[MAX_PATH] = L"";
    GetTempPathW(MAX_PATH, tempFolder);
    wchar_t tracePath[MAX_PATH] = L"";
    GetTempFileNameW(tempFolder, L"nvo", 0, tracePath);
    std::vector<std::string> stepOrder;
    std::map<std::string, std::vector<double>> stepTimes;
    TimeStart(options, [] { return FindWindowW(L"NorvaneOptionsFrame", nullptr); }); // warm the caches
    for (int i = 0; i < runs; ++i) {
        DeleteFileW(tracePath);
        SetEnvironmentVariableW(L"NORVANE_OPTIONS_TRACE", tracePath);
        const double ms = TimeStart(options, [] { return FindWindowW(L"NorvaneOptionsFrame", nullptr); });
        SetEnvironmentVariableW(L"NORVANE_OPTIONS_TRACE", nullptr);
        if (ms >= 0) {
            ours.push_back(ms);
            for (const auto& [step, stepMs] : ReadSteps(tracePath)) {
                if (stepTimes.find(step) == stepTimes.end()) {
                    stepOrder.push_back(step);
                }
                stepTimes[step].push_back(stepMs);
            }
        }
        const double peerMs =
            TimeStart(L"winecfg.exe", [] { return FindWindowW(nullptr, L"Wine configuration"); });
        if (peerMs >= 0) {
            peer.push_back(peerMs);
        }
    }
    if (ours.empty()) {
        std::printf("options_start_ms: failed\n");
        return 1;
    }
    DeleteFileW(tracePath);
    std::printf("options_start_ms: %.1f ms\n", Median(ours));
    for (const std::string& step : stepOrder) {
        std::printf("options_step_%s_ms: %.1f ms\n", step.c_str(), Median(stepTimes[step]));
    }
    if (!peer.empty()) {
        std::printf("peer_sheet_start_ms: %.1f ms\n", Median(peer));
        std::printf("options_start_ratio: %.2f x\n", Median(ours) / Median(peer));
    }
    return 0;
}
