// The options program's start: from starting NorvaneOptions.exe to its first
// page painted (the Options page and all its controls visible with nothing
// left to paint), the median of several starts. The platform's own property
// sheet program (winecfg) is timed the same way beside it.
//
//   options_start_ms: ...
//   peer_sheet_start_ms: ...
//   options_start_ratio: ... x   (ours / the peer's)
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
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

} // namespace

int main() {
    const std::wstring options = L"\"" + ProgramBeside(L"..\\NorvaneOptions\\NorvaneOptions.exe") + L"\"";
    const int runs = GetEnvironmentVariableW(L"BENCH_RUNS", nullptr, 0) ? 2 : 7;
    std::vector<double> ours;
    std::vector<double> peer;
    TimeStart(options, [] { return FindWindowW(L"NorvaneOptionsFrame", nullptr); }); // warm the caches
    for (int i = 0; i < runs; ++i) {
        const double ms = TimeStart(options, [] { return FindWindowW(L"NorvaneOptionsFrame", nullptr); });
        if (ms >= 0) {
            ours.push_back(ms);
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
    std::printf("options_start_ms: %.1f ms\n", Median(ours));
    if (!peer.empty()) {
        std::printf("peer_sheet_start_ms: %.1f ms\n", Median(peer));
        std::printf("options_start_ratio: %.2f x\n", Median(ours) / Median(peer));
    }
    return 0;
}
