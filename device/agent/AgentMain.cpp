// DeviceAgent.exe: the control tool's hands inside the device. It presses keys
// through SendInput (the stylus is driven from the X side, where Wine's pointer
// really lives), reports where the pointer is, takes screenshots of the whole
// device screen, posts registered messages, waits for the shell and reports the
// device state. Results go to a file given with --out (the virtual desktop does
// not pass standard output through); the exit code is 0 on success.
#include "DeviceContract.h"
#include "DeviceSupport.h"
#include "TodayApi.h"

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

BOOL CALLBACK ListTop(HWND hwnd, LPARAM lParam) {
    auto* report = reinterpret_cast<WindowReport*>(lParam);
    if (!IsWindowVisible(hwnd))
        return TRUE;
    RECT r;
    GetWindowRect(hwnd, &r);
    wchar_t cls[128] = L"", title[256] = L"";
    GetClassNameW(hwnd, cls, 128);
    GetWindowTextW(hwnd, title, 256);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    wchar_t line[600];
    swprintf(line, 600, L"window|%ls|%ls|%ld|%ld|%ld|%ld|%lu|%d", cls, title, r.left, r.top, r.right - r.left,
             r.bottom - r.top, pid, hwnd == GetForegroundWindow() ? 1 : 0);
    report->lines.push_back(line);
    return TRUE;
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
    if (command == L"windows") {
        WindowReport report;
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
        DEVMODEW mode{};
        mode.dmSize = sizeof mode;
        if (!EnumDisplaySettingsW(nullptr, ENUM_CURRENT_SETTINGS, &mode))
            return Fail(L"cannot read the display mode");
        std::swap(mode.dmPelsWidth, mode.dmPelsHeight);
        mode.dmFields = DM_PELSWIDTH | DM_PELSHEIGHT;
        const LONG result = ChangeDisplaySettingsExW(nullptr, &mode, nullptr, 0, nullptr);
        if (result != DISP_CHANGE_SUCCESSFUL)
            return Fail(L"the display cannot change to " + std::to_wstring(mode.dmPelsWidth) + L"x" +
                        std::to_wstring(mode.dmPelsHeight) + L" (" + std::to_wstring(result) + L")");
        HWND today = FindWindowW(kTodayClass, nullptr);
        if (today)
            PostMessageW(today, WM_DISPLAYCHANGE, 32, MAKELPARAM(mode.dmPelsWidth, mode.dmPelsHeight));
        return 0;
    }
    return Fail(L"unknown command " + command);
}
