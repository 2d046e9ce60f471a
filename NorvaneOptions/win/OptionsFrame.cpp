// The options frame: sheet, soft keys, saving, import and export.
#include "OptionsFrame.h"

#include "Aygshell.h"
#include "CeMenuBar.h"
#include "CePower.h"
#include "OptionsApp.h"
#include "SettingsFile.h"
#include "StartTrace.h"

#include <commctrl.h>

namespace norvane::options {

namespace {

// A file is taken for a settings file when it has the General section or a tab.
bool LooksLikeSettingsFile(const SettingsFile& file) {
    return file.FindSection(L"General") != nullptr || file.FindSection(L"Tab1") != nullptr;
}

} // namespace

OptionsFrame::OptionsFrame(OptionsApp& app, int showTab) : m_app(app), m_showTab(showTab) {}

OptionsFrame::~OptionsFrame() {
    m_quitOnDestroy = false;
    if (m_hwnd != nullptr && IsWindow(m_hwnd)) {
        DestroyWindow(m_hwnd);
    }
    if (m_accelerators != nullptr) {
        DestroyAcceleratorTable(m_accelerators);
    }
}

RECT OptionsFrame::FrameArea() {
    // Below the task bar and above the soft keys: the soft-key bar is a window
    // of its own, and on the device's window system an owned bar lying over its
    // owner can be hidden by the owner's surface when the owner comes forward.
    RECT area{0, 0, GetSystemMetrics(SM_CXSCREEN),
              GetSystemMetrics(SM_CYSCREEN) - GetSystemMetrics(SM_CYMENU)};
    RECT bar;
    if (HWND taskBar = FindWindowW(L"HHTaskBar", nullptr);
        taskBar != nullptr && GetWindowRect(taskBar, &bar)) {
        area.top = bar.bottom;
    } else if (RECT work; SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0)) {
        area.top = work.top;
    }
    return area;
}

bool OptionsFrame::Create(int showCommand) {
    static const ATOM registered = [this] {
        WNDCLASSW wc{};
        wc.lpfnWndProc = WindowProc;
        wc.hInstance = m_app.Instance();
        wc.hIcon = LoadIconW(m_app.Instance(), MAKEINTRESOURCEW(IDI_OPTIONS));
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.hbrBackground = GetSysColorBrush(COLOR_WINDOW);
        wc.lpszClassName = names::kFrameClass;
        return RegisterClassW(&wc);
    }();
    if (registered == 0) {
        return false;
    }
    HACCEL table = LoadAcceleratorsW(m_app.Instance(), MAKEINTRESOURCEW(IDA_OPTIONS));
    if (table != nullptr) {
        // A private copy, so that destroying it never touches the resource's.
        const int count = CopyAcceleratorTableW(table, nullptr, 0);
        std::vector<ACCEL> entries(static_cast<std::size_t>(std::max(count, 0)));
        CopyAcceleratorTableW(table, entries.data(), count);
        m_accelerators = CreateAcceleratorTableW(entries.data(), count);
    }
    const RECT area = FrameArea();
    m_hwnd = CreateWindowExW(0, names::kFrameClass, m_app.Title().c_str(), WS_POPUP | WS_CLIPCHILDREN,
                             area.left, area.top, area.right - area.left, area.bottom - area.top, nullptr,
                             nullptr, m_app.Instance(), this);
    if (m_hwnd == nullptr) {
        return false;
    }
    // The task bar's "ok" saves, as the frame's own OK does.
    SHINITDLGINFO done{SHIDIM_FLAGS, m_hwnd, SHIDIF_DONEBUTTON};
    SHInitDialog(&done);
    // Shown once its sheet is in place (kBuildSheetMessage), so that the empty
    // frame never flashes up first.
    m_showCommand = showCommand;
    return true;
}

LRESULT CALLBACK OptionsFrame::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    OptionsFrame* self = nullptr;
    if (message == WM_NCCREATE) {
        self = static_cast<OptionsFrame*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        self->m_hwnd = hwnd;
    } else {
        self = reinterpret_cast<OptionsFrame*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    }
    if (self == nullptr) {
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
    const LRESULT result = self->HandleMessage(message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        self->m_hwnd = nullptr;
    }
    return result;
}

LRESULT OptionsFrame::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        // The sheet is built once creation has finished.
        PostMessageW(m_hwnd, kBuildSheetMessage, 0, 0);
        return 0;
    case kBuildSheetMessage:
        BuildSheet();
        return 0;
    case WM_SIZE:
        if (wParam != SIZE_MINIMIZED) {
            LayoutSheet();
        }
        return 0;
    case WM_SETFOCUS:
        if (m_sheet && m_sheet->Handle() != nullptr) {
            SetFocus(m_sheet->Handle());
        }
        return 0;
    case WM_ERASEBKGND:
        if (m_sheet && m_sheet->Handle() != nullptr) {
            return 1; // the sheet covers everything
        }
        break;
    case WM_SETTINGCHANGE:
    case WM_DISPLAYCHANGE: {
        // The screen turned: take the new screen's place.
        const RECT area = FrameArea();
        SetWindowPos(m_hwnd, nullptr, area.left, area.top, area.right - area.left, area.bottom - area.top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
        if (m_menuBar != nullptr) {
            const int height = GetSystemMetrics(SM_CYMENU);
            SetWindowPos(m_menuBar, nullptr, 0, GetSystemMetrics(SM_CYSCREEN) - height,
                         GetSystemMetrics(SM_CXSCREEN), height, SWP_NOZORDER | SWP_NOACTIVATE);
        }
        break;
    }
    case WM_COMMAND:
        OnCommand(LOWORD(wParam));
        return 0;
    case WM_CLOSE:
        DestroyWindow(m_hwnd);
        return 0;
    case WM_DESTROY:
        if (m_sheet) {
            m_sheet->Destroy();
        }
        if (m_menuBar != nullptr && IsWindow(m_menuBar)) {
            DestroyWindow(m_menuBar);
        }
        m_menuBar = nullptr;
        if (m_quitOnDestroy && (GetWindowLongPtrW(m_hwnd, GWL_STYLE) & WS_CHILD) == 0) {
            PostQuitMessage(0);
        }
        return 0;
    default:
        break;
    }
    return DefWindowProcW(m_hwnd, message, wParam, lParam);
}

void OptionsFrame::BuildSheet() {
    if (m_sheet && m_sheet->Handle() != nullptr) {
        m_sheet->ShowPage(kOptionsPageIndex);
        return;
    }
    DWORD current = 0;
    if (!m_app.ReadDword(names::kCurrentTabValue, current)) {
        current = 0;
    }
    const int initialTab = m_showTab != -1 ? m_showTab : static_cast<int>(current);
    m_sheet = std::make_unique<OptionsSheet>(m_app, *this, initialTab);
    TraceStep("settings");
    if (m_sheet->Create(m_hwnd) == nullptr) {
        m_sheet.reset();
    } else {
        LayoutSheet();
    }
    TraceStep("sheet");
    ShowWindow(m_hwnd, m_showCommand);
    TraceStep("shown");
    UpdateWindow(m_hwnd);
    TraceStep("painted");
    TraceFlush();
    if (m_sheet) {
        SetFocus(m_sheet->Handle());
    }
}

void OptionsFrame::SheetReady(HWND sheet) {
    if (m_menuBar != nullptr) {
        return;
    }
    OSVERSIONINFOW version{};
    version.dwOSVersionInfoSize = sizeof version;
    const bool modern = !CeGetVersionEx(&version) || version.dwMajorVersion >= 5;
    const int menuId = modern ? IDM_OPTIONS_BAR : IDM_OPTIONS_BAR_OLD;
    SHMENUBARINFO bar{};
    bar.cbSize = sizeof bar;
    bar.hwndParent = m_hwnd;
    bar.nToolBarId = static_cast<UINT>(menuId);
    bar.hInstRes = m_app.ResourceModuleFor(RT_MENU, MAKEINTRESOURCEW(menuId));
    if (SHCreateMenuBar(&bar)) {
        m_menuBar = bar.hwndMB;
    }
    TraceStep("menu_bar");
}

void OptionsFrame::LayoutSheet() {
    if (!m_sheet || m_sheet->Handle() == nullptr) {
        return;
    }
    RECT client;
    GetClientRect(m_hwnd, &client);
    RECT before;
    GetWindowRect(m_sheet->Handle(), &before);
    // The frame ends where the soft keys begin, so the sheet fills it. A new
    // size lays the sheet out from its WM_SIZE; the same size needs it here.
    SetWindowPos(m_sheet->Handle(), nullptr, 0, 0, client.right, client.bottom,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    if (before.right - before.left == client.right && before.bottom - before.top == client.bottom) {
        m_sheet->Layout();
    }
}

bool OptionsFrame::PreTranslate(MSG& msg) {
    if (m_accelerators != nullptr && m_hwnd != nullptr &&
        TranslateAcceleratorW(m_hwnd, m_accelerators, &msg)) {
        return true;
    }
    return m_sheet && m_sheet->PreTranslate(msg);
}

void OptionsFrame::SheetCommand(UINT command) {
    PostMessageW(m_hwnd, WM_COMMAND, MAKEWPARAM(command, 0), 0);
}

void OptionsFrame::OnCommand(UINT command) {
    // While a dialog of the program is up the frame is disabled, but its soft
    // keys still reach it: nothing may be saved or closed under the dialog.
    if (!IsWindowEnabled(m_hwnd) || m_ending) {
        return;
    }
    switch (command) {
    case IDC_SAVE:
        EndOptions(true);
        break;
    case IDC_CLOSE_WITHOUT_SAVING:
        if (m_app.Message(m_hwnd, IDS_QUIT_WITHOUT_SAVING, MB_YESNO | MB_ICONQUESTION) != IDNO) {
            EndOptions(false);
        }
        break;
    case IDC_DISABLE_TRUE_VGA:
        if (m_app.Message(m_hwnd, IDS_DISABLE_TRUE_VGA_QUESTION, MB_YESNO | MB_ICONQUESTION) == IDNO) {
            break;
        }
        if (m_sheet) {
            m_sheet->Working().General.TrueVGA = 0;
            m_sheet->Working().General.TrueVGAOptions = 0;
        }
        EndOptions(true);
        break;
    case IDC_IMPORT_SETTINGS:
        Import();
        break;
    case IDC_EXPORT_SETTINGS:
        Export();
        break;
    default:
        break;
    }
}

bool OptionsFrame::Save(const std::wstring& path) {
    if (!m_sheet) {
        return false;
    }
    Settings& settings = m_sheet->Working();
    const bool saved = settings.Save(path);
    m_app.RestoreDisplayFlags();
    if (!saved) {
        return false;
    }
    if (settings.General.RunMinimized) {
        m_app.WriteDword(names::kMinimizeOnRefreshValue, 1);
    } else {
        m_app.DeleteValue(names::kMinimizeOnRefreshValue);
    }
    return true;
}

bool OptionsFrame::EndOptions(bool save) {
    if (m_ending) {
        return true;
    }
    if (save && m_sheet) {
        m_sheet->CommitPending();
        if (!Save()) {
            // The edits stay in the sheet: the user can free space and save again.
            m_app.Message(m_hwnd, IDS_SAVE_FAILED, MB_OK | MB_ICONSTOP, m_sheet->Working().Path());
            return false;
        }
    }
    m_ending = true;
    if (m_sheet) {
        m_sheet->Destroy();
    }
    DestroyWindow(m_hwnd);
    if (save) {
        m_app.BroadcastSettingsChanged();
    }
    return true;
}

namespace {

FileRequest SettingsFileRequest(const OptionsApp& app, bool save) {
    FileRequest request;
    request.save = save;
    request.filters = {{app.Text(IDS_FILTER_INI), app.Text(IDS_FILTER_INI_PATTERN)},
                       {app.Text(IDS_FILTER_ALL), app.Text(IDS_FILTER_ALL_PATTERN)}};
    request.fileName = app.Text(IDS_SETTINGS_FILE_NAME).substr(0, MAX_PATH);
    if (save) {
        request.defaultExtension = L"ini";
    }
    return request;
}

} // namespace

void OptionsFrame::Import() {
    if (!m_sheet) {
        return;
    }
    std::wstring path;
    if (!m_app.ChooseFile(GetActiveWindow(), SettingsFileRequest(m_app, false), path)) {
        return;
    }
    m_sheet->CommitPending();
    Settings& settings = m_sheet->Working();
    SettingsFile probe;
    probe.SetFileLayer(m_app.Environment().Files());
    probe.SetAnsiDecoder([this](std::string_view bytes) { return m_app.Environment().DecodeAnsi(bytes); });
    const bool readable = probe.Load(path);
    // A picture renamed to .ini would load as an empty record and be saved over
    // the user's settings: ask first.
    if (readable && !LooksLikeSettingsFile(probe) &&
        m_app.Message(m_hwnd, IDS_IMPORT_NOT_SETTINGS, MB_YESNO | MB_ICONEXCLAMATION | MB_DEFBUTTON2, path) !=
            IDYES) {
        return;
    }
    if (readable) {
        m_app.LoadSettings(settings, path);
        m_app.Message(m_hwnd, IDS_IMPORT_OK, MB_OK, path);
    } else {
        m_app.Message(m_hwnd, IDS_IMPORT_FAILED, MB_OK | MB_ICONINFORMATION, path);
        m_app.LoadSettings(settings);
    }
    EndOptions(true);
}

void OptionsFrame::Export() {
    if (!m_sheet) {
        return;
    }
    std::wstring path;
    if (!m_app.ChooseFile(GetActiveWindow(), SettingsFileRequest(m_app, true), path)) {
        return;
    }
    m_sheet->CommitPending();
    if (Save(path)) {
        m_app.Message(m_hwnd, IDS_EXPORT_OK, MB_OK, path);
    } else {
        m_app.Message(m_hwnd, IDS_EXPORT_FAILED, MB_OK | MB_ICONSTOP, path);
    }
}

} // namespace norvane::options
