// The device's small programs: the platform programs the product starts
// ("\Windows\ctlpnl.exe", "power.exe", "fexplore.exe", "tmail.exe", ...) and
// the sample applications that give the launcher something to start and list.
// One source, built once per program: PROGRAM_KIND picks the behaviour,
// PROGRAM_NAME the file name and PROGRAM_TITLE the window title. Every program
// appends "<program>|<command line>" to the device log and shows in its title
// what it was asked to do.
#include "CeWindow.h"
#include "DeviceSupport.h"
#include "Window.h"

#include <cpl.h>

#include <string>
#include <vector>

#ifndef PROGRAM_KIND
#define PROGRAM_KIND 0
#endif

using namespace norvane::device;

namespace {

enum Kind {
    kPlatform = 0, // shows its arguments
    kControlPanel = 1,
    kPlainWindow = 2,
    kDialog = 3, // OK caption button
    kToolWindow = 4,
    kOwnedWindow = 5,
    kGame = 6,
    kLogOnly = 7, // logs its start and ends (start-up folder sample)
    kPhone = 8,   // the phone application ("cprog.exe"), started in the background at boot
};

constexpr wchar_t kProgramName[] = PROGRAM_NAME;
constexpr wchar_t kProgramTitle[] = PROGRAM_TITLE;
constexpr int kDialogId = 100;
constexpr LONG kCaptionOkButton = static_cast<LONG>(0x80000000);

RECT WorkArea() {
    const int top = ScaleY(26);
    return RECT{0, top, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
}

// Opens one control-panel applet from "module,index,0".
std::wstring OpenApplet(const std::wstring& arguments) {
    std::wstring module = arguments, rest;
    const size_t comma = arguments.find(L',');
    if (comma != std::wstring::npos) {
        module = arguments.substr(0, comma);
        rest = arguments.substr(comma + 1);
    }
    while (!module.empty() && (module.front() == L'"' || module.front() == L' '))
        module.erase(module.begin());
    while (!module.empty() && (module.back() == L'"' || module.back() == L' '))
        module.pop_back();
    if (module.empty())
        return L"";
    const int index = _wtoi(rest.c_str());
    std::wstring path = module.find(L'\\') == std::wstring::npos ? L"\\Windows\\" + module : module;
    HMODULE library = LoadLibraryW(DeviceToWin32Path(path).c_str());
    if (!library)
        return L"cannot load " + module;
    auto applet = reinterpret_cast<APPLET_PROC>(GetProcAddress(library, "CPlApplet"));
    std::wstring name = module + L"," + std::to_wstring(index);
    if (applet && applet(nullptr, CPL_INIT, 0, 0)) {
        const LONG count = applet(nullptr, CPL_GETCOUNT, 0, 0);
        if (index >= 0 && index < count) {
            NEWCPLINFOW info{};
            info.dwSize = sizeof info;
            applet(nullptr, CPL_NEWINQUIRE, index, reinterpret_cast<LPARAM>(&info));
            if (info.szName[0])
                name = info.szName;
            if (info.hIcon)
                DestroyIcon(info.hIcon);
            applet(nullptr, CPL_DBLCLK, index, info.lData);
        } else {
            name = L"no applet " + std::to_wstring(index) + L" in " + module;
        }
        applet(nullptr, CPL_EXIT, 0, 0);
    }
    FreeLibrary(library);
    return name;
}

class ProgramWindow : public Window {
public:
    ProgramWindow(std::wstring title, std::wstring detail, int kind)
        : m_title(std::move(title)), m_detail(std::move(detail)), m_kind(kind) {}

    bool Create(HWND owner, const RECT& area, DWORD exStyle, bool visible = true) {
        RegisterWindowClass(L"NorvaneDeviceProgram", CS_HREDRAW | CS_VREDRAW,
                            static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)),
                            LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1)));
        return CreateWindowFor(L"NorvaneDeviceProgram", m_title.c_str(),
                               WS_POPUP | WS_BORDER | (visible ? WS_VISIBLE : 0), exStyle, area.left,
                               area.top, area.right - area.left, area.bottom - area.top, owner);
    }
    bool m_quitOnDestroy = true;

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        switch (message) {
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(m_hwnd, &ps);
            Paint(dc);
            EndPaint(m_hwnd, &ps);
            return 0;
        }
        case WM_COMMAND:
            if (LOWORD(wParam) == IDOK) {
                AppendDeviceLog(kProgramName, L"ok");
                DestroyWindow(m_hwnd);
            }
            return 0;
        case WM_LBUTTONUP:
            AppendDeviceLog(kProgramName, L"tap " + std::to_wstring(static_cast<short>(LOWORD(lParam))) +
                                              L" " + std::to_wstring(static_cast<short>(HIWORD(lParam))));
            return 0;
        case WM_KEYDOWN:
            if (wParam == VK_ESCAPE)
                DestroyWindow(m_hwnd);
            return 0;
        case WM_DESTROY:
            if (m_quitOnDestroy)
                PostQuitMessage(0);
            return 0;
        }
        return Window::HandleMessage(message, wParam, lParam);
    }

private:
    void Paint(HDC dc) {
        RECT client;
        GetClientRect(m_hwnd, &client);
        RECT header{0, 0, client.right, ScaleY(22)};
        HBRUSH band = CreateSolidBrush(RGB(222, 231, 247));
        FillRect(dc, &header, band);
        DeleteObject(band);
        SetBkMode(dc, TRANSPARENT);
        HFONT bold = CreateFontW(-ScaleY(12), 0, 0, 0, FW_BOLD, 0, 0, 0, DEFAULT_CHARSET, 0, 0,
                                 CLEARTYPE_QUALITY, 0, L"Tahoma");
        HFONT normal = CreateFontW(-ScaleY(11), 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0,
                                   CLEARTYPE_QUALITY, 0, L"Tahoma");
        HGDIOBJ old = SelectObject(dc, bold);
        SetTextColor(dc, RGB(0, 36, 115));
        RECT text = header;
        text.left += ScaleX(6);
        DrawTextW(dc, m_title.c_str(), -1, &text, DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX);
        SelectObject(dc, normal);
        SetTextColor(dc, RGB(0, 0, 0));
        RECT body{ScaleX(6), ScaleY(28), client.right - ScaleX(6), client.bottom - ScaleY(4)};
        DrawTextW(dc, m_detail.c_str(), -1, &body, DT_WORDBREAK | DT_NOPREFIX);
        if (m_kind == kGame) {
            const COLORREF colours[4] = {RGB(230, 60, 60), RGB(60, 160, 230), RGB(250, 200, 40),
                                         RGB(90, 200, 90)};
            const int size = ScaleX(20);
            for (int row = 0; row < 8; ++row)
                for (int column = 0; column * size < client.right - size; ++column) {
                    HBRUSH brush = CreateSolidBrush(colours[(row * 7 + column * 3 + row * column) % 4]);
                    HGDIOBJ oldBrush = SelectObject(dc, brush);
                    Ellipse(dc, ScaleX(4) + column * size, ScaleY(60) + row * size,
                            ScaleX(4) + column * size + size - 2, ScaleY(60) + row * size + size - 2);
                    SelectObject(dc, oldBrush);
                    DeleteObject(brush);
                }
        }
        SelectObject(dc, old);
        DeleteObject(bold);
        DeleteObject(normal);
    }

    std::wstring m_title;
    std::wstring m_detail;
    int m_kind;
};

INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG: {
        const RECT area = WorkArea();
        SetWindowPos(dialog, nullptr, area.left, area.top, area.right - area.left, area.bottom - area.top,
                     SWP_NOZORDER);
        SetWindowLongW(dialog, GWL_EXSTYLE, GetWindowLongW(dialog, GWL_EXSTYLE) | kCaptionOkButton);
        SetDlgItemTextW(dialog, 101, L"0");
        return TRUE;
    }
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
            AppendDeviceLog(kProgramName, LOWORD(wParam) == IDOK ? L"ok" : L"cancel");
            DestroyWindow(dialog);
            PostQuitMessage(0);
            return TRUE;
        }
        if (LOWORD(wParam) >= 110 && LOWORD(wParam) <= 119) {
            wchar_t text[64] = L"";
            GetDlgItemTextW(dialog, 101, text, 60);
            std::wstring value = lstrcmpW(text, L"0") == 0 ? L"" : text;
            if (value.size() < 12)
                value += static_cast<wchar_t>(L'0' + LOWORD(wParam) - 110);
            SetDlgItemTextW(dialog, 101, value.c_str());
            return TRUE;
        }
        break;
    case WM_CLOSE:
        DestroyWindow(dialog);
        PostQuitMessage(0);
        return TRUE;
    }
    return FALSE;
}

int MessageLoop(HWND dialog = nullptr) {
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (dialog && IsWindow(dialog) && IsDialogMessageW(dialog, &msg))
            continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return static_cast<int>(msg.wParam);
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    SetCurrentDirectoryW(L"C:\\");
    const std::wstring arguments = ArgumentsOfThisProcess();
    AppendDeviceLog(kProgramName, arguments);
    std::wstring title = kProgramTitle;
    std::wstring detail;
    const RECT area = WorkArea();

    switch (PROGRAM_KIND) {
    case kLogOnly:
        return 0;
    case kControlPanel: {
        const std::wstring applet = OpenApplet(arguments);
        title = applet.empty() ? L"Settings" : L"Settings: " + applet;
        detail = applet.empty() ? L"Open an applet with \"module,index,0\"." : L"Applet " + arguments;
        break;
    }
    case kDialog: {
        HWND dialog = CreateDialogParamW(instance, MAKEINTRESOURCEW(kDialogId), nullptr, DialogProc, 0);
        if (!dialog)
            return 1;
        ShowWindow(dialog, SW_SHOW);
        SetForegroundWindow(dialog);
        return MessageLoop(dialog);
    }
    case kToolWindow: {
        ProgramWindow palette(title, L"A tool window: never listed as a program.", PROGRAM_KIND);
        const int size = ScaleX(110);
        if (!palette.Create(nullptr,
                            RECT{area.right - size - ScaleX(8), area.top + ScaleY(40), area.right - ScaleX(8),
                                 area.top + ScaleY(40) + size},
                            WS_EX_TOOLWINDOW | WS_EX_TOPMOST))
            return 1;
        return MessageLoop();
    }
    case kOwnedWindow: {
        ProgramWindow main(title, L"Contacts\n\nAnna Berg\nJonas Eklund\nMaria Lind", PROGRAM_KIND);
        if (!main.Create(nullptr, area, 0))
            return 1;
        ProgramWindow owned(L"Contact Details", L"Anna Berg\n+46 8 555 0101\nOwned by the Contacts window.",
                            PROGRAM_KIND);
        owned.m_quitOnDestroy = false;
        owned.Create(main.Hwnd(),
                     RECT{area.left + ScaleX(20), area.top + ScaleY(90), area.right - ScaleX(20),
                          area.top + ScaleY(180)},
                     0);
        return MessageLoop();
    }
    case kPhone: {
        // Runs from boot on: its window stays behind the others (still a
        // running program) until the phone is wanted; started again, it comes
        // forward.
        ProgramWindow phone(title, L"Phone ready\n\nNo missed calls.", PROGRAM_KIND);
        const bool background = arguments == L"/background";
        if (!phone.Create(nullptr, area, 0, !background))
            return 1;
        if (background) {
            // Out of sight at the back, as the shell's smart minimize leaves a program.
            ShowWindow(phone.Hwnd(), SW_SHOWNOACTIVATE);
            CeShowWindow(phone.Hwnd(), SW_MINIMIZE);
        } else {
            SetForegroundWindow(phone.Hwnd());
        }
        return MessageLoop();
    }
    default:
        detail = arguments.empty() ? L"(no arguments)" : arguments;
        if (!arguments.empty() && PROGRAM_KIND == kPlatform)
            title += L": " + arguments;
        break;
    }
    ProgramWindow window(title, detail, PROGRAM_KIND);
    if (!window.Create(nullptr, area, 0))
        return 1;
    SetForegroundWindow(window.Hwnd());
    return MessageLoop();
}
