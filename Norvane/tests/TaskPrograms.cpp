// Programs for the task manager's tests: one process with the top-level
// windows its command line asks for, so that the tests meet real windows of
// another process, as on the device.
//
//   task_programs.exe LOG [FLAGS TITLE]...
//
// FLAGS is "-" or letters: t a tool window, o owned by the window before, k the
// OK caption button (0x80000000), h hidden. Each window appends "TITLE|close"
// or "TITLE|ok" to LOG when asked to close or sent IDOK, then goes; the process
// ends with its last window.
#include <windows.h>

#include <string>
#include <vector>

namespace {

std::wstring g_log;
int g_windows = 0;

void Append(const std::wstring& line) {
    HANDLE file = CreateFileW(g_log.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return;
    }
    const std::wstring text = line + L"\n";
    DWORD written = 0;
    WriteFile(file, text.c_str(), static_cast<DWORD>(text.size() * sizeof(wchar_t)), &written, nullptr);
    CloseHandle(file);
}

std::wstring TitleOf(HWND hwnd) {
    wchar_t title[256] = L"";
    GetWindowTextW(hwnd, title, 256);
    return title;
}

LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_CLOSE:
        Append(TitleOf(hwnd) + L"|close");
        DestroyWindow(hwnd);
        return 0;
    case WM_COMMAND:
        if (LOWORD(wp) == IDOK) {
            Append(TitleOf(hwnd) + L"|ok");
            DestroyWindow(hwnd);
        }
        return 0;
    case WM_DESTROY:
        if (--g_windows == 0) {
            PostQuitMessage(0);
        }
        return 0;
    default:
        return DefWindowProcW(hwnd, msg, wp, lp);
    }
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (!argv || argc < 2) {
        return 2;
    }
    g_log = argv[1];
    WNDCLASSW wc = {};
    wc.lpfnWndProc = Proc;
    wc.hInstance = instance;
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    wc.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
    wc.lpszClassName = L"NorvaneTaskProgram";
    RegisterClassW(&wc);
    HWND previous = nullptr;
    for (int i = 2; i + 1 < argc; i += 2) {
        const std::wstring flags = argv[i];
        const bool tool = flags.find(L't') != std::wstring::npos;
        const bool owned = flags.find(L'o') != std::wstring::npos;
        const bool ok = flags.find(L'k') != std::wstring::npos;
        const bool hidden = flags.find(L'h') != std::wstring::npos;
        DWORD exStyle = (tool ? WS_EX_TOOLWINDOW : 0);
        HWND hwnd =
            CreateWindowExW(exStyle, wc.lpszClassName, argv[i + 1], WS_POPUP | WS_BORDER, 40 + 4 * i,
                            60 + 4 * i, 160, 120, owned ? previous : nullptr, nullptr, instance, nullptr);
        if (!hwnd) {
            return 1;
        }
        if (ok) {
            SetWindowLongW(hwnd, GWL_EXSTYLE,
                           GetWindowLongW(hwnd, GWL_EXSTYLE) | static_cast<LONG>(0x80000000));
        }
        if (!hidden) {
            ShowWindow(hwnd, SW_SHOWNOACTIVATE);
        }
        ++g_windows;
        previous = hwnd;
    }
    LocalFree(argv);
    if (g_windows == 0) {
        return 0;
    }
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return 0;
}
