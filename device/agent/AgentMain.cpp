// DeviceAgent.exe: the control tool's hands inside the device. It presses keys
// through SendInput (the stylus is driven from the X side, where Wine's pointer
// really lives), reports where the pointer is, takes screenshots of the whole
// device screen, posts registered messages, waits for the shell and reports the
// device state. Results go to a file given with --out (the virtual desktop does
// not pass standard output through); the exit code is 0 on success.
#include "CeShell.h"
#include "DeviceContract.h"
#include "DeviceSupport.h"
#include "TodayApi.h"

#include <commctrl.h>
#include <tlhelp32.h>

#include <cstdio>
#include <cwchar>
#include <map>
#include <string>
#include <vector>

using namespace norvane::device;

namespace {

std::wstring g_out;

void Report(const std::wstring& text) {
    if (g_out.empty())
        return;
    UniqueHandle file(
        CreateFileW(g_out.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS, 0, nullptr));
    if (!file)
        return;
    const std::wstring line = text + L"\n";
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, line.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string utf8(bytes > 0 ? bytes - 1 : 0, '\0');
    WideCharToMultiByte(CP_UTF8, 0, line.c_str(), -1, utf8.data(), bytes, nullptr, nullptr);
    DWORD written = 0;
    WriteFile(file.Get(), utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
}

int Fail(const std::wstring& text) {
    Report(L"error: " + text);
    return 2;
}

void Key(UINT vk, bool down) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = static_cast<WORD>(vk);
    input.ki.wScan = static_cast<WORD>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC));
    input.ki.dwFlags = down ? 0 : KEYEVENTF_KEYUP;
    if (vk == VK_UP || vk == VK_DOWN || vk == VK_LEFT || vk == VK_RIGHT)
        input.ki.dwFlags |= KEYEVENTF_EXTENDEDKEY;
    SendInput(1, &input, sizeof input);
}

UINT KeyByName(const std::wstring& name) {
    static const std::map<std::wstring, UINT> keys = {
        {L"app1", VK_F1},         {L"app2", VK_F2},          {L"app3", VK_F3},       {L"app4", VK_F4},
        {L"softkey-left", VK_F5}, {L"softkey-right", VK_F6}, {L"ok", VK_F7},         {L"taskmanager", VK_F8},
        {L"up", VK_UP},           {L"down", VK_DOWN},        {L"left", VK_LEFT},     {L"right", VK_RIGHT},
        {L"action", VK_RETURN},   {L"enter", VK_RETURN},     {L"escape", VK_ESCAPE}, {L"tab", VK_TAB},
        {L"space", VK_SPACE},     {L"backspace", VK_BACK},
    };
    auto it = keys.find(LowerCase(name));
    if (it != keys.end())
        return it->second;
    if (name.size() == 1 && iswalnum(name[0]))
        return towupper(name[0]);
    return 0;
}

int Screenshot(const std::wstring& path) {
    const int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, w, h, screen, 0, 0, SRCCOPY);
    GdiFlush();
    // A plain top-down 32-bit BMP; the control tool turns it into a PNG.
    BITMAPFILEHEADER fh{};
    fh.bfType = 0x4D42;
    fh.bfOffBits = sizeof fh + sizeof bi.bmiHeader;
    fh.bfSize = fh.bfOffBits + w * h * 4;
    bool ok = false;
    {
        UniqueHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
        DWORD written = 0;
        ok = file && WriteFile(file.Get(), &fh, sizeof fh, &written, nullptr) &&
             WriteFile(file.Get(), &bi.bmiHeader, sizeof bi.bmiHeader, &written, nullptr) &&
             WriteFile(file.Get(), bits, w * h * 4, &written, nullptr);
    }
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return ok ? 0 : Fail(L"cannot write " + path);
}

bool ShellIsReady() {
    UniqueHandle ready(OpenEventW(SYNCHRONIZE, FALSE, kShellReadyEvent));
    if (!ready || WaitForSingleObject(ready.Get(), 0) != WAIT_OBJECT_0)
        return false;
    HWND today = FindWindowW(kTodayClass, nullptr);
    return today && IsWindowVisible(today) && FindWindowW(kTaskBarClass, nullptr);
}

struct WindowReport {
    std::vector<std::wstring> lines;
    std::map<DWORD, std::wstring> processNames;
};

BOOL CALLBACK ListChild(HWND hwnd, LPARAM lParam) {
    auto* report = reinterpret_cast<WindowReport*>(lParam);
    if (GetParent(hwnd) != FindWindowW(kTodayClass, nullptr))
        return TRUE;
    RECT r;
    GetWindowRect(hwnd, &r);
    wchar_t cls[128] = L"", title[256] = L"";
    GetClassNameW(hwnd, cls, 128);
    GetWindowTextW(hwnd, title, 256);
    wchar_t line[600];
    swprintf(line, 600, L"item|%ls|%ls|%ld|%ld|%ld|%ld|%d", cls, title, r.left, r.top, r.right - r.left,
             r.bottom - r.top, IsWindowVisible(hwnd) ? 1 : 0);
    report->lines.push_back(line);
    return TRUE;
}

// Every top-level window, front first: class, title, place, process id,
// foreground, then the process's program name, whether it is visible and
// whether it is minimized (iconic, or moved out of sight by the shell's smart
// minimize), so that hidden and minimized programs can be told apart.
BOOL CALLBACK ListTop(HWND hwnd, LPARAM lParam) {
    auto* report = reinterpret_cast<WindowReport*>(lParam);
    RECT r;
    GetWindowRect(hwnd, &r);
    wchar_t cls[128] = L"", title[256] = L"";
    GetClassNameW(hwnd, cls, 128);
    GetWindowTextW(hwnd, title, 256);
    for (wchar_t* c = title; *c; ++c)
        if (*c == L'|' || *c == L'\r' || *c == L'\n')
            *c = L' ';
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    const auto name = report->processNames.find(pid);
    const bool minimized = IsIconic(hwnd) || r.left <= -30000 || r.top <= -30000;
    wchar_t line[800];
    swprintf(line, 800, L"window|%ls|%ls|%ld|%ld|%ld|%ld|%lu|%d|%ls|%d|%d", cls, title, r.left, r.top,
             r.right - r.left, r.bottom - r.top, pid, hwnd == GetForegroundWindow() ? 1 : 0,
             name == report->processNames.end() ? L"?" : name->second.c_str(), IsWindowVisible(hwnd) ? 1 : 0,
             minimized ? 1 : 0);
    report->lines.push_back(line);
    return TRUE;
}

// Program names of the running processes, as the process snapshot gives them.
std::map<DWORD, std::wstring> ProcessNames() {
    std::map<DWORD, std::wstring> names;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return names;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry))
        names[entry.th32ProcessID] = entry.szExeFile;
    CloseHandle(snapshot);
    return names;
}

int Broadcast(const std::wstring& name, WPARAM wParam, bool toToday) {
    const UINT message = RegisterWindowMessageW(name.c_str());
    if (!message)
        return Fail(L"cannot register " + name);
    HWND target = HWND_BROADCAST;
    if (toToday) {
        target = FindWindowW(kTodayClass, nullptr);
        if (!target)
            return Fail(L"no Today window");
    }
    return PostMessageW(target, message, wParam, 0) ? 0 : Fail(L"cannot post " + name);
}

// Posts a message to the first window of a class: a top-level window, or a
// child of the Today screen (a Today item). The message is a number ("0x8011")
// or the name of a registered message.
int PostToClass(const std::wstring& cls, const std::wstring& message, WPARAM wParam) {
    HWND target = FindWindowW(cls.c_str(), nullptr);
    if (!target) {
        HWND today = FindWindowW(kTodayClass, nullptr);
        target = today ? FindWindowExW(today, nullptr, cls.c_str(), nullptr) : nullptr;
    }
    if (!target)
        return Fail(L"no window of class " + cls);
    wchar_t* end = nullptr;
    UINT id = static_cast<UINT>(wcstoul(message.c_str(), &end, 0));
    if (message.empty() || (end && *end != 0))
        id = RegisterWindowMessageW(message.c_str());
    if (!id)
        return Fail(L"no message " + message);
    return PostMessageW(target, id, wParam, 0) ? 0 : Fail(L"cannot post to " + cls);
}

// ---------------------------------------------------------------- menus and dialogs

std::wstring ClassOf(HWND hwnd) {
    wchar_t cls[128] = L"";
    GetClassNameW(hwnd, cls, 128);
    return cls;
}

// The text of a window of any process (WM_GETTEXT is carried across), on one line.
std::wstring TextOf(HWND hwnd) {
    wchar_t text[1024] = L"";
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(hwnd, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 2000,
                             &result))
        GetWindowTextW(hwnd, text, 1024);
    std::wstring line = text;
    for (auto& c : line)
        if (c == L'\r' || c == L'\n')
            c = L' ';
    return line;
}

std::wstring RectFields(const RECT& r) {
    return std::to_wstring(r.left) + L"|" + std::to_wstring(r.top) + L"|" + std::to_wstring(r.right) + L"|" +
           std::to_wstring(r.bottom);
}

std::wstring HandleText(HWND hwnd) {
    return std::to_wstring(static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(hwnd)));
}

struct ClassWindows {
    const wchar_t* cls;
    std::vector<HWND> found; // top of the Z order first
};

BOOL CALLBACK CollectClass(HWND hwnd, LPARAM lParam) {
    auto* windows = reinterpret_cast<ClassWindows*>(lParam);
    if (IsWindowVisible(hwnd) && ClassOf(hwnd) == windows->cls)
        windows->found.push_back(hwnd);
    return TRUE;
}

std::vector<HWND> VisibleWindowsOfClass(const wchar_t* cls) {
    ClassWindows windows{cls, {}};
    EnumWindows(CollectClass, reinterpret_cast<LPARAM>(&windows));
    return windows.found;
}

// Reads a file the hook wrote (UTF-8 lines) and deletes it.
std::vector<std::wstring> TakeLines(const std::wstring& path) {
    std::vector<std::wstring> lines;
    std::string bytes;
    {
        UniqueHandle file(
            CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
        if (!file)
            return lines;
        char chunk[4096];
        DWORD got = 0;
        while (ReadFile(file.Get(), chunk, sizeof chunk, &got, nullptr) && got > 0)
            bytes.append(chunk, got);
    }
    DeleteFileW(path.c_str());
    size_t start = 0;
    while (start < bytes.size()) {
        size_t end = bytes.find('\n', start);
        if (end == std::string::npos)
            end = bytes.size();
        const std::string line = bytes.substr(start, end - start);
        const int count =
            MultiByteToWideChar(CP_UTF8, 0, line.data(), static_cast<int>(line.size()), nullptr, 0);
        std::wstring wide(count, L'\0');
        MultiByteToWideChar(CP_UTF8, 0, line.data(), static_cast<int>(line.size()), wide.data(), count);
        lines.push_back(wide);
        start = end + 1;
    }
    return lines;
}

// Every open popup menu, the first opened first (level 0), with its items:
//   menu|LEVEL|HWND|LEFT|TOP|RIGHT|BOTTOM|ITEMS
//   item|LEVEL|INDEX|ID|FLAGS|LEFT|TOP|RIGHT|BOTTOM|TEXT   (screen coordinates)
int ListMenus() {
    std::vector<HWND> menus = VisibleWindowsOfClass(L"#32768");
    if (menus.empty())
        return 0;
    // Menus open above their parents: the bottom one is the first level.
    std::vector<HWND> levels(menus.rbegin(), menus.rend());
    HMODULE hook = LoadLibraryW(L"C:\\Windows\\DeviceAgentHook.dll");
    auto proc = hook ? reinterpret_cast<HOOKPROC>(GetProcAddress(hook, "AgentMenuHook")) : nullptr;
    if (!proc)
        return Fail(L"cannot load DeviceAgentHook.dll");
    const UINT query = RegisterWindowMessageW(L"NorvaneDeviceAgent_MenuQuery");
    for (size_t level = 0; level < levels.size(); ++level) {
        HWND window = levels[level];
        RECT r{};
        GetWindowRect(window, &r);
        const DWORD thread = GetWindowThreadProcessId(window, nullptr);
        const unsigned long request = GetCurrentProcessId() * 16 + static_cast<unsigned long>(level);
        const std::wstring answer = L"C:\\Windows\\Temp\\agent-menu-" + std::to_wstring(request) + L".txt";
        DeleteFileW(answer.c_str());
        HHOOK installed = SetWindowsHookExW(WH_CALLWNDPROC, proc, hook, thread);
        if (!installed)
            return Fail(L"cannot hook the menu's thread");
        DWORD_PTR result = 0;
        const bool answered =
            SendMessageTimeoutW(window, query, request, 0, SMTO_ABORTIFHUNG, 5000, &result) != 0;
        UnhookWindowsHookEx(installed);
        std::vector<std::wstring> lines = TakeLines(answer);
        if (!answered && !IsWindow(window))
            continue; // closed meanwhile
        if (lines.empty())
            return Fail(L"the menu window did not answer the query");
        const std::wstring lv = std::to_wstring(level);
        int items = 0;
        for (const auto& line : lines)
            items += line.rfind(L"item|", 0) == 0 ? 1 : 0;
        Report(L"menu|" + lv + L"|" + HandleText(window) + L"|" + RectFields(r) + L"|" +
               std::to_wstring(items));
        for (const auto& line : lines)
            if (line.rfind(L"item|", 0) == 0)
                Report(L"item|" + lv + L"|" + line.substr(5));
    }
    return 0;
}

struct DialogParts {
    std::vector<std::wstring> lines;
    std::wstring index;
};

BOOL CALLBACK ListDialogChild(HWND hwnd, LPARAM lParam) {
    auto* parts = reinterpret_cast<DialogParts*>(lParam);
    if (!IsWindowVisible(hwnd))
        return TRUE;
    const std::wstring cls = LowerCase(ClassOf(hwnd));
    RECT r{};
    GetWindowRect(hwnd, &r);
    if (cls == L"button") {
        parts->lines.push_back(L"button|" + parts->index + L"|" + HandleText(hwnd) + L"|" +
                               std::to_wstring(GetDlgCtrlID(hwnd)) + L"|" + RectFields(r) + L"|" +
                               (IsWindowEnabled(hwnd) ? L"1" : L"0") + L"|" + TextOf(hwnd));
    } else if (cls == L"static" || cls == L"edit") {
        const std::wstring text = TextOf(hwnd);
        if (!text.empty())
            parts->lines.push_back(L"text|" + parts->index + L"|" + text);
    }
    return TRUE;
}

// Every open dialog (message boxes too), the front one first:
//   dialog|INDEX|HWND|LEFT|TOP|RIGHT|BOTTOM|FOREGROUND|TITLE
//   text|INDEX|TEXT
//   button|INDEX|HWND|ID|LEFT|TOP|RIGHT|BOTTOM|ENABLED|TEXT
int ListDialogs() {
    const std::vector<HWND> dialogs = VisibleWindowsOfClass(L"#32770");
    for (size_t i = 0; i < dialogs.size(); ++i) {
        HWND dialog = dialogs[i];
        RECT r{};
        GetWindowRect(dialog, &r);
        DialogParts parts{{}, std::to_wstring(i)};
        EnumChildWindows(dialog, ListDialogChild, reinterpret_cast<LPARAM>(&parts));
        Report(L"dialog|" + parts.index + L"|" + HandleText(dialog) + L"|" + RectFields(r) + L"|" +
               (dialog == GetForegroundWindow() ? L"1" : L"0") + L"|" + TextOf(dialog));
        for (const auto& line : parts.lines)
            Report(line);
    }
    return 0;
}

HWND HandleFromText(const std::wstring& text) {
    return reinterpret_cast<HWND>(static_cast<UINT_PTR>(wcstoull(text.c_str(), nullptr, 10)));
}

// The controls of a window (the foreground window by default) with their items,
// read by the hook from inside the window's process; see AgentHook.cpp for the
// lines.
int ListControls(HWND window) {
    if (!window)
        window = GetForegroundWindow();
    if (!window || !IsWindow(window))
        return Fail(L"no foreground window");
    HMODULE hook = LoadLibraryW(L"C:\\Windows\\DeviceAgentHook.dll");
    auto proc = hook ? reinterpret_cast<HOOKPROC>(GetProcAddress(hook, "AgentDialogHook")) : nullptr;
    if (!proc)
        return Fail(L"cannot load DeviceAgentHook.dll");
    const UINT query = RegisterWindowMessageW(L"NorvaneDeviceAgent_DialogQuery");
    const DWORD thread = GetWindowThreadProcessId(window, nullptr);
    const unsigned long request = GetCurrentProcessId();
    const std::wstring answer = L"C:\\Windows\\Temp\\agent-dialog-" + std::to_wstring(request) + L".txt";
    DeleteFileW(answer.c_str());
    HHOOK installed = SetWindowsHookExW(WH_CALLWNDPROC, proc, hook, thread);
    if (!installed)
        return Fail(L"cannot hook the window's thread");
    DWORD_PTR result = 0;
    SendMessageTimeoutW(window, query, request, 0, SMTO_ABORTIFHUNG, 5000, &result);
    UnhookWindowsHookEx(installed);
    const std::vector<std::wstring> lines = TakeLines(answer);
    if (lines.empty())
        return Fail(L"the window did not answer the query");
    for (const auto& line : lines)
        if (!line.empty())
            Report(line);
    return 0;
}

// Types text as the keyboard would, one character at a time.
void TypeText(const std::wstring& text) {
    for (wchar_t c : text) {
        INPUT input[2]{};
        input[0].type = INPUT_KEYBOARD;
        input[0].ki.wScan = c;
        input[0].ki.dwFlags = KEYEVENTF_UNICODE;
        input[1] = input[0];
        input[1].ki.dwFlags = KEYEVENTF_UNICODE | KEYEVENTF_KEYUP;
        SendInput(2, input, sizeof(INPUT));
        Sleep(15);
    }
}

} // namespace

namespace {

int RunCommand(const std::vector<std::wstring>& args);

// The agent as a server: every command of the control tool costs a Wine
// process start otherwise. Requests are files in a folder: NAME.req holds the
// arguments (UTF-8, one a line); the answer goes to NAME.out and the exit code
// to NAME.done. A file "alive" is touched every second; "quit.req" ends it.
int Serve(const std::wstring& folder) {
    CreateDirectoryW(folder.c_str(), nullptr);
    const std::wstring alive = folder + L"\\alive";
    DWORD lastBeat = 0;
    for (;;) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        if (GetTickCount() - lastBeat >= 1000) {
            UniqueHandle beat(CreateFileW(alive.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE,
                                          nullptr, CREATE_ALWAYS, 0, nullptr));
            const std::string pid = std::to_string(GetCurrentProcessId());
            DWORD written = 0;
            if (beat)
                WriteFile(beat.Get(), pid.data(), static_cast<DWORD>(pid.size()), &written, nullptr);
            lastBeat = GetTickCount();
        }
        WIN32_FIND_DATAW found{};
        HANDLE search = FindFirstFileW((folder + L"\\*.req").c_str(), &found);
        std::vector<std::wstring> requests;
        if (search != INVALID_HANDLE_VALUE) {
            do {
                requests.push_back(found.cFileName);
            } while (FindNextFileW(search, &found));
            FindClose(search);
        }
        for (const std::wstring& name : requests) {
            const std::wstring base = folder + L"\\" + name.substr(0, name.size() - 4);
            std::vector<std::wstring> lines = TakeLines(folder + L"\\" + name);
            if (name == L"quit.req") {
                DeleteFileW(alive.c_str());
                return 0;
            }
            while (!lines.empty() && lines.back().empty())
                lines.pop_back();
            g_out = base + L".out";
            DeleteFileW(g_out.c_str());
            const int code = lines.empty() ? Fail(L"no command") : RunCommand(lines);
            g_out.clear();
            const std::wstring done = base + L".done";
            UniqueHandle file(
                CreateFileW((done + L".tmp").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
            const std::string text = std::to_string(code);
            DWORD written = 0;
            if (file)
                WriteFile(file.Get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
            file.Reset();
            MoveFileExW((done + L".tmp").c_str(), done.c_str(), MOVEFILE_REPLACE_EXISTING);
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, requests.empty() ? 10 : 0, QS_ALLINPUT);
    }
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    std::vector<std::wstring> args;
    for (int i = 1; i < argc; ++i) {
        if (std::wstring(argv[i]) == L"--out" && i + 1 < argc) {
            g_out = argv[++i];
            continue;
        }
        args.push_back(argv[i]);
    }
    if (args.size() == 2 && args[0] == L"--serve")
        return Serve(args[1]);
    return RunCommand(args);
}

namespace {

int RunCommand(const std::vector<std::wstring>& args) {
    if (args.empty())
        return Fail(L"no command");
    const std::wstring command = args[0];
    // A window of our own loads the display driver, without which pointer
    // moves never reach the screen.
    HWND anchor = CreateWindowExW(WS_EX_TOOLWINDOW, L"STATIC", L"", WS_POPUP, -10, -10, 1, 1, nullptr,
                                  nullptr, GetModuleHandleW(nullptr), nullptr);
    struct AnchorGuard {
        HWND hwnd;
        ~AnchorGuard() {
            if (hwnd)
                DestroyWindow(hwnd);
        }
    } anchorGuard{anchor};
    auto number = [&](size_t i) { return i < args.size() ? _wtoi(args[i].c_str()) : 0; };

    if (command == L"where") {
        POINT pt;
        GetCursorPos(&pt);
        HWND under = WindowFromPoint(pt);
        wchar_t cls[128] = L"";
        GetClassNameW(under, cls, 128);
        Report(L"cursor|" + std::to_wstring(pt.x) + L"|" + std::to_wstring(pt.y) + L"|" + cls);
        return 0;
    }
    if (command == L"key") {
        if (args.size() < 2)
            return Fail(L"usage: key NAME");
        const UINT vk = KeyByName(args[1]);
        if (!vk)
            return Fail(L"unknown key " + args[1]);
        Key(vk, true);
        Sleep(40);
        Key(vk, false);
        Sleep(40);
        return 0;
    }
    if (command == L"screenshot") {
        if (args.size() < 2)
            return Fail(L"usage: screenshot FILE.bmp");
        return Screenshot(args[1]);
    }
    if (command == L"broadcast")
        return Broadcast(args.size() > 1 ? args[1] : L"",
                         args.size() > 2 ? wcstoull(args[2].c_str(), nullptr, 0) : 0, false);
    if (command == L"post") {
        if (args.size() < 3)
            return Fail(L"usage: post CLASS MESSAGE [WPARAM]");
        return PostToClass(args[1], args[2], args.size() > 3 ? wcstoull(args[3].c_str(), nullptr, 0) : 0);
    }
    if (command == L"close") {
        // close TITLE: WM_CLOSE to the top-level window with that title, as a
        // program's own close button would.
        if (args.size() < 2)
            return Fail(L"usage: close TITLE");
        HWND target = FindWindowW(nullptr, args[1].c_str());
        if (!target)
            return Fail(L"no window titled " + args[1]);
        return PostMessageW(target, WM_CLOSE, 0, 0) ? 0 : Fail(L"cannot post to " + args[1]);
    }
    if (command == L"post-today")
        return Broadcast(args.size() > 1 ? args[1] : L"",
                         args.size() > 2 ? wcstoull(args[2].c_str(), nullptr, 0) : 0, true);
    if (command == L"settingchange") {
        // Sent, so that the Today screen has re-read its items when this returns.
        HWND today = FindWindowW(kTodayClass, nullptr);
        if (!today)
            return Fail(L"no Today window");
        DWORD_PTR result = 0;
        return SendMessageTimeoutW(today, WM_SETTINGCHANGE, TODAY_SETTINGCHANGE_CODE, 0, SMTO_NORMAL, 10000,
                                   &result)
                   ? 0
                   : Fail(L"the Today screen did not answer");
    }
    if (command == L"wait-ready") {
        const DWORD timeout = args.size() > 1 ? number(1) : 30000;
        const DWORD start = GetTickCount();
        while (!ShellIsReady()) {
            if (GetTickCount() - start > timeout)
                return Fail(L"the shell did not become ready");
            Sleep(50);
        }
        return 0;
    }
    if (command == L"ready")
        return ShellIsReady() ? 0 : 1;
    if (command == L"start") {
        // start PROGRAM [ARGS...]: as the shell starts a program; returns at once.
        if (args.size() < 2)
            return Fail(L"usage: start PROGRAM [ARGS...]");
        std::wstring arguments;
        for (size_t i = 2; i < args.size(); ++i) {
            const bool quote = args[i].empty() || args[i].find_first_of(L" \t") != std::wstring::npos;
            arguments += (i > 2 ? L" " : L"") + (quote ? L"\"" + args[i] + L"\"" : args[i]);
        }
        return StartDeviceProgram(args[1], arguments) ? 0 : Fail(L"cannot start " + args[1]);
    }
    if (command == L"settled") {
        // 0 once the shell is ready and its Today screen has settled (see
        // kSettledQueryMessage), 1 while it has not.
        if (!ShellIsReady())
            return 1;
        // The safe-mode bar lies over the bottom of the screen until shortly
        // after the shell is up; a tap meant for the menu bar would land on it.
        HWND bar = FindWindowW(L"NorvaneSafeModeBar", nullptr);
        if (bar && IsWindowVisible(bar))
            return 1;
        HWND today = FindWindowW(kTodayClass, nullptr);
        DWORD_PTR answer = 0;
        if (!today || !SendMessageTimeoutW(today, RegisterWindowMessageW(kSettledQueryMessage), 0, 0,
                                           SMTO_NORMAL, 10000, &answer))
            return 1;
        return answer == 1 ? 0 : 1;
    }
    if (command == L"windows") {
        WindowReport report;
        report.processNames = ProcessNames();
        EnumWindows(ListTop, reinterpret_cast<LPARAM>(&report));
        HWND today = FindWindowW(kTodayClass, nullptr);
        if (today)
            EnumChildWindows(today, ListChild, reinterpret_cast<LPARAM>(&report));
        wchar_t metrics[200];
        HDC dc = GetDC(nullptr);
        swprintf(metrics, 200, L"screen|%d|%d|%d|%d|%d", GetSystemMetrics(SM_CXSCREEN),
                 GetSystemMetrics(SM_CYSCREEN), GetDeviceCaps(dc, LOGPIXELSX), GetDeviceCaps(dc, LOGPIXELSY),
                 GetSystemMetrics(SM_CYMENU));
        ReleaseDC(nullptr, dc);
        report.lines.push_back(metrics);
        for (const auto& line : report.lines)
            Report(line);
        return 0;
    }
    if (command == L"card") {
        // card insert|remove NAME: the root folder with the temporary attribute.
        if (args.size() < 3)
            return Fail(L"usage: card insert|remove NAME");
        const std::wstring folder = L"C:\\" + args[2];
        if (args[1] == L"insert") {
            CreateDirectoryW(folder.c_str(), nullptr);
            const DWORD attributes = GetFileAttributesW(folder.c_str());
            if (attributes == INVALID_FILE_ATTRIBUTES)
                return Fail(L"cannot create " + folder);
            SetFileAttributesW(folder.c_str(), attributes | FILE_ATTRIBUTE_TEMPORARY);
            Report((GetFileAttributesW(folder.c_str()) & FILE_ATTRIBUTE_TEMPORARY) ? L"temporary" : L"plain");
        }
        return 0;
    }
    if (command == L"rotate") {
        // rotate [DMDO value]: as a program turns the screen (the next quarter
        // turn when no value is given); reports the orientation and the size.
        DEVMODEW mode{};
        mode.dmSize = sizeof mode;
        mode.dmFields = DM_DISPLAYORIENTATION;
        if (CeChangeDisplaySettingsEx(nullptr, &mode, nullptr, CDS_TEST, nullptr) != DISP_CHANGE_SUCCESSFUL)
            return Fail(L"cannot read the orientation");
        DWORD next = mode.dmDisplayOrientation == DMDO_0     ? DMDO_90
                     : mode.dmDisplayOrientation == DMDO_90  ? DMDO_180
                     : mode.dmDisplayOrientation == DMDO_180 ? DMDO_270
                                                             : DMDO_0;
        if (args.size() > 1)
            next = static_cast<DWORD>(number(1));
        mode.dmFields = DM_DISPLAYORIENTATION;
        mode.dmDisplayOrientation = next;
        const LONG result = CeChangeDisplaySettingsEx(nullptr, &mode, nullptr, CDS_RESET, nullptr);
        if (result != DISP_CHANGE_SUCCESSFUL)
            return Fail(L"the screen did not turn (" + std::to_wstring(result) + L"); see the device log");
        Report(L"orientation|" + std::to_wstring(next) + L"|" +
               std::to_wstring(GetSystemMetrics(SM_CXSCREEN)) + L"|" +
               std::to_wstring(GetSystemMetrics(SM_CYSCREEN)));
        return 0;
    }
    if (command == L"menus")
        return ListMenus();
    if (command == L"dialogs")
        return ListDialogs();
    if (command == L"controls")
        return ListControls(args.size() > 1 ? HandleFromText(args[1]) : nullptr);
    if (command == L"scroll-to") {
        // scroll-to HWND INDEX: brings an item of a list into view (no selection).
        HWND control = args.size() > 1 ? HandleFromText(args[1]) : nullptr;
        if (!control || !IsWindow(control))
            return Fail(L"no such control");
        const int index = number(2);
        wchar_t cls[64] = L"";
        GetClassNameW(control, cls, 64);
        const std::wstring name = LowerCase(cls);
        if (name == L"syslistview32")
            SendMessageW(control, LVM_ENSUREVISIBLE, index, FALSE);
        else if (name == L"combobox")
            SendMessageW(control, CB_SETTOPINDEX, index, 0);
        else
            SendMessageW(control, LB_SETTOPINDEX, index, 0);
        return 0;
    }
    if (command == L"select-all") {
        HWND control = args.size() > 1 ? HandleFromText(args[1]) : nullptr;
        if (!control || !IsWindow(control))
            return Fail(L"no such control");
        SendMessageW(control, EM_SETSEL, 0, -1);
        return 0;
    }
    if (command == L"type") {
        if (args.size() < 2)
            return Fail(L"usage: type TEXT");
        TypeText(args[1]);
        return 0;
    }
    if (command == L"click") {
        // click HWND: BM_CLICK to a button of any process.
        HWND button = args.size() > 1 ? HandleFromText(args[1]) : nullptr;
        if (!button || !IsWindow(button))
            return Fail(L"no such button");
        return PostMessageW(button, BM_CLICK, 0, 0) ? 0 : Fail(L"cannot click the button");
    }
    if (command == L"dlgitem") {
        // dlgitem DIALOG ID MESSAGE WPARAM LPARAM: a message with plain numbers to
        // a control of a dialog of any process (BM_SETCHECK, CB_SETCURSEL, ...);
        // reports "result|N".
        HWND dialog = args.size() > 1 ? HandleFromText(args[1]) : nullptr;
        HWND control = dialog && args.size() > 5
                           ? GetDlgItem(dialog, static_cast<int>(wcstol(args[2].c_str(), nullptr, 0)))
                           : nullptr;
        if (!control)
            return Fail(L"usage: dlgitem DIALOG ID MESSAGE WPARAM LPARAM, with a control of that id");
        DWORD_PTR result = 0;
        if (!SendMessageTimeoutW(control, static_cast<UINT>(wcstoul(args[3].c_str(), nullptr, 0)),
                                 static_cast<WPARAM>(wcstoull(args[4].c_str(), nullptr, 0)),
                                 static_cast<LPARAM>(wcstoll(args[5].c_str(), nullptr, 0)), SMTO_ABORTIFHUNG,
                                 5000, &result))
            return Fail(L"the control did not answer");
        Report(L"result|" + std::to_wstring(static_cast<LONG_PTR>(result)));
        return 0;
    }
    return Fail(L"unknown command " + command);
}

} // namespace
