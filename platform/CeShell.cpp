// The device shell's meanings of desktop calls, and aygshell's small services.
#include "CeShell.h"

#include "DeviceContract.h"
#include "DeviceState.h"
#include "PlatformHandles.h"

#include <shlobj.h>
#include <shlwapi.h>

#include <algorithm>
#include <cwchar>
#include <string>

BOOL IsAPIReady(DWORD hAPI) {
    if (hAPI >= 32) {
        return FALSE;
    }
    if (hAPI != SH_SHELL) {
        return TRUE;
    }
    norvane::platform::UniqueHandle ready(
        OpenEventW(SYNCHRONIZE, FALSE, norvane::platform::ShellReadyEventName().c_str()));
    if (!ready) {
        return FALSE;
    }
    return WaitForSingleObject(ready.Get(), 0) == WAIT_OBJECT_0 ? TRUE : FALSE;
}

HWND CeGetDesktopWindow() {
    return FindWindowW(norvane::platform::TodayClassName().c_str(), nullptr);
}

BOOL CeGetSystemFont(LOGFONTW* font) {
    if (font == nullptr) {
        return FALSE;
    }
    int dpi = 96;
    if (HDC screen = GetDC(nullptr)) {
        dpi = GetDeviceCaps(screen, LOGPIXELSY);
        ReleaseDC(nullptr, screen);
    }
    *font = LOGFONTW{};
    font->lfHeight = -MulDiv(12, dpi, 96);
    font->lfWeight = FW_NORMAL;
    font->lfCharSet = DEFAULT_CHARSET;
    font->lfOutPrecision = OUT_DEFAULT_PRECIS;
    font->lfClipPrecision = CLIP_DEFAULT_PRECIS;
    font->lfQuality = DEFAULT_QUALITY;
    font->lfPitchAndFamily = VARIABLE_PITCH | FF_SWISS;
    wcscpy_s(font->lfFaceName, L"Tahoma");
    return TRUE;
}

HGDIOBJ CeGetStockObject(int object) {
    if (object != SYSTEM_FONT) {
        return GetStockObject(object);
    }
    // Like a stock object it lives as long as the process; nobody deletes it.
    static HFONT systemFont = [] {
        LOGFONTW font;
        CeGetSystemFont(&font);
        return CreateFontIndirectW(&font);
    }();
    return systemFont;
}

namespace {

// How long a rotation may take the shell before the change counts as failed.
constexpr UINT kRotateTimeoutMs = 15000;

HWND FindTaskBar() {
    return FindWindowW(norvane::platform::TaskBarClassName().c_str(), nullptr);
}

} // namespace

BOOL SHSetNavBarText(HWND hwnd, LPCWSTR pszTitle) {
    HWND taskBar = FindTaskBar();
    if (taskBar == nullptr) {
        return FALSE;
    }
    std::wstring text = pszTitle != nullptr ? pszTitle : L"";
    COPYDATASTRUCT data{};
    data.dwData = norvane::device::kCopyDataNavBarText;
    data.cbData = static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t));
    data.lpData = text.data();
    SendMessageW(taskBar, WM_COPYDATA, reinterpret_cast<WPARAM>(hwnd), reinterpret_cast<LPARAM>(&data));
    return TRUE;
}

BOOL CeShell_NotifyIcon(DWORD dwMessage, PNOTIFYICONDATAW lpData) {
    if (lpData == nullptr) {
        return FALSE;
    }
    HWND taskBar = FindTaskBar();
    if (taskBar == nullptr) {
        return FALSE;
    }
    norvane::device::NotifyIconRecord record{};
    record.message = dwMessage;
    record.hwnd = reinterpret_cast<ULONG_PTR>(lpData->hWnd);
    record.id = lpData->uID;
    record.flags = lpData->uFlags;
    record.callbackMessage = lpData->uCallbackMessage;
    record.icon = reinterpret_cast<ULONG_PTR>(lpData->hIcon);
    COPYDATASTRUCT data{};
    data.dwData = norvane::device::kCopyDataNotifyIcon;
    data.cbData = sizeof record;
    data.lpData = &record;
    LRESULT answer = SendMessageW(taskBar, WM_COPYDATA, reinterpret_cast<WPARAM>(lpData->hWnd),
                                  reinterpret_cast<LPARAM>(&data));
    return answer != 0 ? TRUE : FALSE;
}

namespace {

const wchar_t* SpecialFolder(int folder) {
    switch (folder & 0xFF) {
    case CSIDL_PERSONAL:
        return L"\\My Documents";
    case CSIDL_STARTMENU:
        return L"\\Windows\\Start Menu";
    case CSIDL_PROGRAMS:
        return L"\\Windows\\Start Menu\\Programs";
    case CSIDL_STARTUP:
        return L"\\Windows\\StartUp";
    case CSIDL_PROGRAM_FILES:
        return L"\\Program Files";
    case CSIDL_WINDOWS:
        return L"\\Windows";
    case CSIDL_FONTS:
        return L"\\Windows\\Fonts";
    case CSIDL_DESKTOPDIRECTORY:
        return L"\\Windows\\Desktop";
    case CSIDL_FAVORITES:
        return L"\\Windows\\Favorites";
    case CSIDL_RECENT:
        return L"\\Windows\\Recent";
    case CSIDL_APPDATA:
        return L"\\Application Data";
    default:
        return nullptr;
    }
}

bool CreateFolderChain(const std::wstring& hostPath) {
    if (norvane::platform::HostFolderExists(hostPath)) {
        return true;
    }
    size_t slash = hostPath.find_last_of(L'\\');
    if (slash != std::wstring::npos && slash > 2) {
        CreateFolderChain(hostPath.substr(0, slash));
    }
    return CreateDirectoryW(hostPath.c_str(), nullptr) != 0 || GetLastError() == ERROR_ALREADY_EXISTS;
}

} // namespace

BOOL CeSHGetSpecialFolderPath(HWND, LPWSTR lpszPath, int nFolder, BOOL fCreate) {
    const wchar_t* path = SpecialFolder(nFolder);
    if (lpszPath == nullptr || path == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (fCreate && !CreateFolderChain(norvane::platform::ToHostPath(path))) {
        return FALSE;
    }
    wcscpy_s(lpszPath, MAX_PATH, path);
    return TRUE;
}

BOOL SHGetDocumentsFolder(LPCWSTR pszVolume, LPWSTR pszDocs) {
    if (pszVolume == nullptr || pszDocs == nullptr) {
        return FALSE;
    }
    std::wstring volume = norvane::platform::ToDevicePath(pszVolume);
    while (volume.size() > 1 && volume.back() == L'\\') {
        volume.pop_back();
    }
    const wchar_t* docs = volume == L"\\" ? L"\\My Documents" : volume.c_str();
    if (wcslen(docs) >= MAX_PATH) {
        return FALSE;
    }
    wcscpy_s(pszDocs, MAX_PATH, docs);
    return TRUE;
}

HBITMAP SHLoadDIBitmap(LPCWSTR szFileName) {
    if (szFileName == nullptr) {
        return nullptr;
    }
    std::wstring host = norvane::platform::ToHostPath(szFileName);
    return static_cast<HBITMAP>(
        LoadImageW(nullptr, host.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION));
}

HRESULT SHCreateNewItem(HWND, REFCLSID clsid) {
    wchar_t clsidText[64] = {};
    if (StringFromGUID2(clsid, clsidText, 64) == 0) {
        return E_INVALIDARG;
    }
    std::wstring program = norvane::platform::ToHostPath(norvane::device::kNewItemProgram);
    if (norvane::platform::HostFileExists(program)) {
        std::wstring commandLine = L"\"" + program + L"\" " + clsidText;
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION info{};
        if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, L"C:\\",
                            &startup, &info)) {
            return HRESULT_FROM_WIN32(GetLastError());
        }
        CloseHandle(info.hThread);
        CloseHandle(info.hProcess);
        return S_OK;
    }
    // No form program on this device: leave a trace where the device's programs log.
    norvane::platform::UniqueHandle log(CreateFileW(norvane::device::kDeviceLogPath, FILE_APPEND_DATA,
                                                    FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                                                    FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!log) {
        return HRESULT_FROM_WIN32(GetLastError());
    }
    char line[128];
    int length = snprintf(line, sizeof line, "SHCreateNewItem|%ls\r\n", clsidText);
    DWORD written = 0;
    if (length <= 0 || !WriteFile(log.Get(), line, static_cast<DWORD>(length), &written, nullptr)) {
        return E_FAIL;
    }
    return S_OK;
}

LONG CeRegDeleteKey(HKEY hKey, LPCWSTR lpSubKey) {
    if (lpSubKey == nullptr || *lpSubKey == L'\0') {
        // Deleting a key's own contents is not what the device call does.
        return ERROR_INVALID_PARAMETER;
    }
    LONG rc = RegDeleteTreeW(hKey, lpSubKey);
    if (rc != ERROR_SUCCESS) {
        return rc;
    }
    // RegDeleteTree leaves the key itself when it had values only on some versions.
    LONG last = RegDeleteKeyW(hKey, lpSubKey);
    return last == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : last;
}

LONG CeChangeDisplaySettingsEx(LPCWSTR lpszDeviceName, LPDEVMODEW lpDevMode, HWND hwnd, DWORD dwflags,
                               LPVOID lParam) {
    const DWORD orientationBits = DM_DISPLAYORIENTATION | DM_DISPLAYORIENTATION_CE;
    if (lpDevMode == nullptr || (lpDevMode->dmFields & (orientationBits | DM_DISPLAYQUERYORIENTATION)) == 0) {
        return ChangeDisplaySettingsExW(lpszDeviceName, lpDevMode, hwnd, dwflags, lParam);
    }
    if (dwflags & CDS_TEST) {
        if (lpDevMode->dmFields & DM_DISPLAYQUERYORIENTATION) {
            lpDevMode->dmDisplayOrientation = DMDO_0 | DMDO_90 | DMDO_180 | DMDO_270;
        } else {
            lpDevMode->dmDisplayOrientation =
                norvane::platform::ReadStateDword(norvane::device::kOrientation, DMDO_0);
        }
        return DISP_CHANGE_SUCCESSFUL;
    }
    DWORD orientation = lpDevMode->dmDisplayOrientation;
    if (orientation != DMDO_0 && orientation != DMDO_90 && orientation != DMDO_180 &&
        orientation != DMDO_270) {
        return DISP_CHANGE_BADMODE;
    }
    const DWORD previous = norvane::platform::ReadStateDword(norvane::device::kOrientation, DMDO_0);
    if (!norvane::platform::WriteStateDword(norvane::device::kOrientation, orientation)) {
        return DISP_CHANGE_FAILED;
    }
    // The shell turns the screen before the call returns, as the device's display
    // driver does; without a shell the orientation waits for the next boot.
    HWND today = FindWindowW(norvane::platform::TodayClassName().c_str(), nullptr);
    const UINT rotate = RegisterWindowMessageW(norvane::platform::RotateMessageName().c_str());
    if (today != nullptr && rotate != 0) {
        DWORD_PTR turned = 0;
        if (!SendMessageTimeoutW(today, rotate, orientation, 0, SMTO_NORMAL, kRotateTimeoutMs, &turned) ||
            turned == 0) {
            // The screen did not turn: the orientation read back stays the one it shows.
            norvane::platform::WriteStateDword(norvane::device::kOrientation, previous);
            return DISP_CHANGE_FAILED;
        }
    }
    return DISP_CHANGE_SUCCESSFUL;
}

namespace {

constexpr wchar_t kCaptionOkProperty[] = L"NorvaneCaptionOkButton";

// The screen area a full-screen dialog gets: below the task bar, above the
// menu bar unless it has none.
RECT FullScreenArea(bool withMenuBar) {
    RECT area{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    RECT work;
    if (SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0)) {
        area.top = work.top;
    }
    RECT bar;
    if (HWND taskBar = FindTaskBar(); taskBar != nullptr && GetWindowRect(taskBar, &bar)) {
        area.top = std::max(area.top, bar.bottom);
    }
    if (withMenuBar) {
        area.bottom -= GetSystemMetrics(SM_CYMENU);
    }
    return area;
}

} // namespace

BOOL SHInitDialog(PSHINITDLGINFO pshidi) {
    if (pshidi == nullptr || (pshidi->dwMask & SHIDIM_FLAGS) == 0 || !IsWindow(pshidi->hDlg)) {
        return FALSE;
    }
    HWND dialog = pshidi->hDlg;
    HWND top = GetAncestor(dialog, GA_ROOT);
    const DWORD flags = pshidi->dwFlags;
    if (flags & SHIDIF_DONEBUTTON) {
        SetWindowLongPtrW(top, GWL_EXSTYLE, GetWindowLongPtrW(top, GWL_EXSTYLE) | WS_EX_CAPTIONOKBTN);
        SetPropW(top, kCaptionOkProperty, reinterpret_cast<HANDLE>(1));
    }
    const bool child = (GetWindowLongPtrW(dialog, GWL_STYLE) & WS_CHILD) != 0;
    if ((flags & (SHIDIF_SIZEDLGFULLSCREEN | SHIDIF_SIZEDLG | SHIDIF_FULLSCREENNOMENUBAR)) && !child) {
        RECT area = FullScreenArea((flags & SHIDIF_FULLSCREENNOMENUBAR) == 0);
        LONG_PTR style = GetWindowLongPtrW(dialog, GWL_STYLE);
        style &= ~static_cast<LONG_PTR>(WS_CAPTION | WS_THICKFRAME | WS_BORDER | WS_DLGFRAME);
        SetWindowLongPtrW(dialog, GWL_STYLE, style);
        LONG_PTR exStyle = GetWindowLongPtrW(dialog, GWL_EXSTYLE);
        exStyle &= ~static_cast<LONG_PTR>(WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE | WS_EX_CLIENTEDGE);
        SetWindowLongPtrW(dialog, GWL_EXSTYLE, exStyle);
        SetWindowPos(dialog, nullptr, area.left, area.top, area.right - area.left, area.bottom - area.top,
                     SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    }
    if (flags & SHIDIF_SIPDOWN) {
        SHSipPreference(dialog, SIP_DOWN);
    }
    return TRUE;
}

BOOL CeHasCaptionOkButton(HWND hwnd) {
    if (hwnd == nullptr) {
        return FALSE;
    }
    return (static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_EXSTYLE)) & WS_EX_CAPTIONOKBTN) != 0 ||
           GetPropW(hwnd, kCaptionOkProperty) != nullptr;
}

BOOL SHSipPreference(HWND hwnd, SIPSTATE st) {
    if (st == SIP_UNCHANGED) {
        return TRUE;
    }
    HWND menuBar = FindWindowW(norvane::platform::MenuBarClassName().c_str(), nullptr);
    UINT message = RegisterWindowMessageW(norvane::platform::SipPreferenceMessageName().c_str());
    if (menuBar == nullptr || message == 0) {
        return FALSE;
    }
    return PostMessageW(menuBar, message, static_cast<WPARAM>(st), reinterpret_cast<LPARAM>(hwnd));
}
