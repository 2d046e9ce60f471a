#include "DeviceShell.h"

#include "DeviceContract.h"

#include <string>
#include <utility>
#include <vector>

namespace norvane::device {

namespace {

struct ButtonInfo {
    const wchar_t* name;
    UINT defaultKey;
};

// Hot key id = index + 1.
const ButtonInfo kButtons[] = {
    {kButtonApp1, VK_F1}, {kButtonApp2, VK_F2},        {kButtonApp3, VK_F3},
    {kButtonApp4, VK_F4}, {kButtonSoftKeyLeft, VK_F5}, {kButtonSoftKeyRight, VK_F6},
    {kButtonOK, VK_F7},   {kButtonTaskManager, VK_F8},
};

constexpr wchar_t kScreenOffClass[] = L"NorvaneScreenOff";
// WM_SETTINGCHANGE's wParam after a rotation (SETTINGCHANGE_RESET).
constexpr WPARAM kSettingChangeReset = 0x3002;

} // namespace

// The screen while the device is suspended: black, above everything, gone at
// the first key or tap.
class ScreenOffWindow : public Window {
public:
    bool Show(int width, int height) {
        if (!m_hwnd) {
            RegisterWindowClass(kScreenOffClass, 0, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
            if (!CreateWindowFor(kScreenOffClass, L"", WS_POPUP, WS_EX_TOPMOST | WS_EX_TOOLWINDOW, 0, 0,
                                 width, height, nullptr))
                return false;
        }
        SetWindowPos(m_hwnd, HWND_TOPMOST, 0, 0, width, height, SWP_SHOWWINDOW);
        SetForegroundWindow(m_hwnd);
        SetFocus(m_hwnd);
        SetState(1);
        return true;
    }
    bool IsOn() const { return m_hwnd && IsWindowVisible(m_hwnd); }
    void Wake() {
        const bool wasOff = IsOn();
        if (m_hwnd)
            ShowWindow(m_hwnd, SW_HIDE);
        SetState(0);
        if (wasOff)
            AppendDeviceLog(L"shell", L"power on");
    }

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        switch (message) {
        case WM_LBUTTONDOWN:
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN:
            Wake();
            return 0;
        }
        return Window::HandleMessage(message, wParam, lParam);
    }

private:
    static void SetState(DWORD off) {
        RegKey state;
        if (state.Create(HKEY_LOCAL_MACHINE, kStateKey))
            state.WriteDword(kScreenOff, off);
    }
};

DeviceShell::DeviceShell()
    : m_today(*this), m_taskBar(*this), m_screenOff(std::make_unique<ScreenOffWindow>()) {}

DeviceShell::~DeviceShell() = default;

DeviceShell::Geometry DeviceShell::ComputeGeometry() const {
    Geometry g;
    g.width = GetSystemMetrics(SM_CXSCREEN);
    g.height = GetSystemMetrics(SM_CYSCREEN);
    g.taskBar = ScaleY(26);
    g.menuBar = GetSystemMetrics(SM_CYMENU);
    return g;
}

bool DeviceShell::CreateWindows() {
    const Geometry g = ComputeGeometry();
    m_theme.Rebuild(g.width, g.height);
    // The Today screen first (the menu bar is owned by it), then the task bar,
    // then the menu bar; the items load once all three exist.
    // The Today screen stays hidden until its items have told their heights.
    const RECT todayArea{0, g.taskBar, g.width, g.height - g.menuBar};
    if (!m_today.Create(todayArea))
        return LogWindowFailure(L"the Today screen");
    if (!m_taskBar.Create(g.width, g.taskBar))
        return LogWindowFailure(L"the task bar");
    const RECT menuArea{0, g.height - g.menuBar, g.width, g.height};
    if (!m_menuBar.Create(m_today.Hwnd(), menuArea))
        return LogWindowFailure(L"the menu bar");
    return true;
}

bool DeviceShell::LogWindowFailure(const wchar_t* part) {
    // Which call failed and why, with what the window system was given: a shell
    // without windows usually means the desktop or its X display is not there.
    std::wstring text =
        std::wstring(L"cannot create the shell windows: ") + part + L": " + Window::LastFailure();
    wchar_t display[128] = L"";
    if (!GetEnvironmentVariableW(L"DISPLAY", display, 128))
        lstrcpynW(display, L"(none)", 128);
    text += std::wstring(L"; DISPLAY ") + display;
    wchar_t desktop[128] = L"";
    DWORD needed = 0;
    if (!GetUserObjectInformationW(GetThreadDesktop(GetCurrentThreadId()), UOI_NAME, desktop, sizeof desktop,
                                   &needed))
        lstrcpynW(desktop, L"(unknown)", 128);
    text += std::wstring(L", desktop ") + desktop;
    text += GetDesktopWindow() ? L", desktop window present" : L", no desktop window";
    AppendDeviceLog(L"shell", text);
    return false;
}

void DeviceShell::ShowToday() {
    HWND today = m_today.Hwnd();
    if (!today)
        return;
    SetWindowPos(today, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
    SetForegroundWindow(today);
    SetWindowPos(m_menuBar.Hwnd(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void DeviceShell::CornerButtonAction() {
    HWND program = m_taskBar.ForegroundProgram();
    if (!program || !IsWindow(program))
        return;
    if (static_cast<DWORD>(GetWindowLongW(program, GWL_EXSTYLE)) & 0x80000000u)
        PostMessageW(program, WM_COMMAND, IDOK, 0);
    else
        m_taskBar.SmartMinimize(program);
}

void DeviceShell::RegisterButtons() {
    RegKey buttons;
    buttons.Open(HKEY_LOCAL_MACHINE, kButtonsKey);
    for (int i = 0; i < static_cast<int>(std::size(kButtons)); ++i) {
        DWORD key = kButtons[i].defaultKey;
        RegKey binding;
        if (buttons && binding.Open(buttons.Get(), kButtons[i].name))
            binding.ReadDword(L"HostKey", key);
        if (!RegisterHotKey(m_today.Hwnd(), i + 1, 0, key))
            AppendDeviceLog(L"shell", std::wstring(L"cannot bind host key for ") + kButtons[i].name);
    }
}

void DeviceShell::OnHotKey(int id) {
    if (m_screenOff->IsOn()) {
        m_screenOff->Wake();
        return;
    }
    if (id < 1 || id > static_cast<int>(std::size(kButtons)))
        return;
    const ButtonInfo& button = kButtons[id - 1];
    // Read at every press, so that a new binding acts at once.
    const std::wstring path = std::wstring(kButtonsKey) + L"\\" + button.name;
    const std::wstring program = ReadRegString(HKEY_LOCAL_MACHINE, path, L"Program");
    const std::wstring arguments = ReadRegString(HKEY_LOCAL_MACHINE, path, L"Arguments");
    if (!program.empty()) {
        if (!StartDeviceProgram(program, arguments))
            AppendDeviceLog(L"shell", L"cannot start " + program + L" for button " + button.name);
        return;
    }
    const int index = id - 1; // 4, 5: soft keys; 6: OK
    if (index == 4 || index == 5) {
        if (!m_taskBar.ForegroundProgram())
            m_menuBar.PressSoftKey(index - 4);
    } else if (index == 6) {
        CornerButtonAction();
    }
}

void DeviceShell::OnReset() {
    Quit(static_cast<int>(kShellExitReboot));
}

void DeviceShell::OnShutdown() {
    Quit(static_cast<int>(kShellExitShutdown));
}

void DeviceShell::OnPowerOff() {
    if (m_screenOff->IsOn())
        return;
    const Geometry g = ComputeGeometry();
    if (m_screenOff->Show(g.width, g.height))
        AppendDeviceLog(L"shell", L"power off (screen off until a key or a tap)");
}

namespace {

bool IsSideways(DWORD orientation) {
    return orientation == 1 || orientation == 4; // DMDO_90, DMDO_270
}

int Degrees(DWORD orientation) {
    switch (orientation) {
    case 1:
        return 90;
    case 2:
        return 180;
    case 4:
        return 270;
    default:
        return 0;
    }
}

} // namespace

bool DeviceShell::TurnScreen(DWORD orientation) {
    RegKey state;
    if (!state.Create(HKEY_LOCAL_MACHINE, kStateKey))
        return false;
    const int screenWidth = GetSystemMetrics(SM_CXSCREEN), screenHeight = GetSystemMetrics(SM_CYSCREEN);
    // The size recorded last and the orientation it was recorded for give the
    // profile's own size; the new orientation turns that.
    DWORD width = 0, height = 0, shown = 0;
    if (!state.ReadDword(kScreenWidth, width) || !state.ReadDword(kScreenHeight, height) || !width ||
        !height) {
        width = static_cast<DWORD>(screenWidth);
        height = static_cast<DWORD>(screenHeight);
    }
    state.ReadDword(kScreenOrientation, shown);
    if (IsSideways(shown) != IsSideways(orientation))
        std::swap(width, height);
    if (static_cast<int>(width) != screenWidth || static_cast<int>(height) != screenHeight) {
        DEVMODEW mode{};
        mode.dmSize = sizeof mode;
        EnumDisplaySettingsW(nullptr, ENUM_CURRENT_SETTINGS, &mode);
        mode.dmPelsWidth = width;
        mode.dmPelsHeight = height;
        mode.dmFields = DM_PELSWIDTH | DM_PELSHEIGHT;
        const LONG result = ChangeDisplaySettingsExW(nullptr, &mode, nullptr, 0, nullptr);
        if (result != DISP_CHANGE_SUCCESSFUL) {
            AppendDeviceLog(L"shell", L"cannot turn the screen to " + std::to_wstring(width) + L"x" +
                                          std::to_wstring(height) + L" (" + std::to_wstring(result) + L")");
            return false;
        }
    }
    state.WriteDword(kScreenWidth, width);
    state.WriteDword(kScreenHeight, height);
    state.WriteDword(kScreenOrientation, orientation);
    state.WriteDword(kOrientation, orientation);
    return true;
}

bool DeviceShell::OnRotate(DWORD orientation) {
    if (!TurnScreen(orientation))
        return false;
    OnDisplayChange();
    // Every top-level window hears of it, as from the device's display driver.
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(HWND_BROADCAST, WM_SETTINGCHANGE, kSettingChangeReset, 0,
                        SMTO_ABORTIFHUNG | SMTO_NORMAL, 2000, &ignored);
    AppendDeviceLog(L"shell", L"rotated to " + std::to_wstring(Degrees(orientation)) + L" degrees (" +
                                  std::to_wstring(GetSystemMetrics(SM_CXSCREEN)) + L"x" +
                                  std::to_wstring(GetSystemMetrics(SM_CYSCREEN)) + L")");
    return true;
}

void DeviceShell::OnDisplayChange() {
    const Geometry g = ComputeGeometry();
    m_theme.Rebuild(g.width, g.height);
    m_taskBar.Reposition(g.width, g.taskBar);
    m_menuBar.Reposition(RECT{0, g.height - g.menuBar, g.width, g.height});
    m_today.Reposition(RECT{0, g.taskBar, g.width, g.height - g.menuBar});
}

void DeviceShell::Quit(int code) {
    if (m_quitting)
        return;
    m_quitting = true;
    // The shell's API set is no longer ready once it starts going down.
    if (m_readyEvent)
        ResetEvent(m_readyEvent.Get());
    PostQuitMessage(code);
}

void DeviceShell::ShellReady() {
    if (m_readyEvent)
        SetEvent(m_readyEvent.Get());
    AppendDeviceLog(L"shell", L"ready");
    StartPhoneApplication();
    RunStartUpFolder();
}

void DeviceShell::StartPhoneApplication() {
    // A phone edition runs its phone application from boot on, in the background.
    const std::wstring phone = L"\\Windows\\cprog.exe";
    if (ReadRegDword(HKEY_LOCAL_MACHINE, kStateKey, kPhoneEdition, 0) != 1 ||
        GetFileAttributesW(DeviceToWin32Path(phone).c_str()) == INVALID_FILE_ATTRIBUTES)
        return;
    if (!StartDeviceProgram(phone, L"/background"))
        AppendDeviceLog(L"shell", L"cannot start " + phone);
}

void DeviceShell::RunStartUpFolder() {
    const std::wstring folder = L"\\Windows\\StartUp";
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((DeviceToWin32Path(folder) + L"\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE)
        return;
    std::vector<std::wstring> files;
    do {
        if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            files.push_back(folder + L"\\" + data.cFileName);
    } while (FindNextFileW(find, &data));
    FindClose(find);
    for (const auto& file : files)
        if (!StartDeviceProgram(file, L""))
            AppendDeviceLog(L"shell", L"cannot start " + file);
}

int DeviceShell::Run() {
    SetCurrentDirectoryW(L"C:\\");
    m_readyEvent.Reset(CreateEventW(nullptr, TRUE, FALSE, kShellReadyEvent));
    if (m_readyEvent)
        ResetEvent(m_readyEvent.Get());
    // Minimized programs keep out of sight instead of leaving icons on the screen.
    MINIMIZEDMETRICS metrics{sizeof metrics};
    metrics.iArrange = ARW_HIDE;
    SystemParametersInfoW(SPI_SETMINIMIZEDMETRICS, sizeof metrics, &metrics, 0);

    // The shell's colour table, unless a theme has written one.
    {
        RegKey colours;
        std::vector<BYTE> existing;
        if (colours.Create(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Color") &&
            !colours.ReadBinary(L"SHColor", existing)) {
            const auto table = Theme::ShColorTable();
            RegSetValueExW(colours.Get(), L"SHColor", 0, REG_BINARY, table.data(),
                           static_cast<DWORD>(table.size()));
        }
    }
    // The screen keeps the orientation it had before the reset.
    const DWORD orientation = ReadRegDword(HKEY_LOCAL_MACHINE, kStateKey, kOrientation, 0);
    if (!TurnScreen(orientation))
        AppendDeviceLog(L"shell", L"cannot restore the screen's orientation");
    if (!CreateWindows())
        return 1;
    // The items are asked for their heights before the Today screen first shows.
    m_today.LoadItems();
    ShowWindow(m_today.Hwnd(), SW_SHOW);
    ShowToday();
    RegisterButtons();

    const DWORD delay = ReadRegDword(HKEY_LOCAL_MACHINE, kStateKey, kShellReadyDelayMs, 0);
    UINT_PTR readyTimer = 0;
    if (delay == 0)
        ShellReady();
    else
        readyTimer = SetTimer(nullptr, 0, delay, nullptr);

    MSG msg;
    int code = 0;
    while (true) {
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0) {
            code = static_cast<int>(msg.wParam);
            break;
        }
        if (got < 0)
            break;
        if (!msg.hwnd && msg.message == WM_TIMER && readyTimer && msg.wParam == readyTimer) {
            KillTimer(nullptr, readyTimer);
            readyTimer = 0;
            ShellReady();
            continue;
        }
        // D-pad keys reach the Today screen even when an item window holds the focus.
        if (msg.message == WM_KEYDOWN && msg.hwnd && msg.hwnd != m_today.Hwnd() &&
            IsChild(m_today.Hwnd(), msg.hwnd) &&
            (msg.wParam == VK_UP || msg.wParam == VK_DOWN || msg.wParam == VK_RETURN)) {
            // The item sees the key first; the Today screen navigates as well only
            // when the item does not keep it (it returns non-zero from WM_GETDLGCODE).
            if (!(SendMessageW(msg.hwnd, WM_GETDLGCODE, msg.wParam, reinterpret_cast<LPARAM>(&msg)) &
                  (DLGC_WANTARROWS | DLGC_WANTALLKEYS))) {
                SendMessageW(m_today.Hwnd(), WM_KEYDOWN, msg.wParam, msg.lParam);
                continue;
            }
        }
        TranslateMessage(&msg);
        m_dispatching = &msg;
        DispatchMessageW(&msg);
        m_dispatching = nullptr;
    }
    for (int i = 0; i < static_cast<int>(std::size(kButtons)); ++i)
        UnregisterHotKey(m_today.Hwnd(), i + 1);
    m_today.UnloadItems();
    if (m_readyEvent)
        ResetEvent(m_readyEvent.Get());
    return code;
}

} // namespace norvane::device
