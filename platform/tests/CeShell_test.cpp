// The shell's device meanings: readiness, the Today window as the desktop, the
// system font, the task bar's title and icons, folders, registry and rotation.
#include "CeShell.h"

#include "DeviceContract.h"
#include "DeviceState.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <shlobj.h>

#include <cstring>

namespace {

using norvane::platform::test::RecordingWindow;
namespace device = norvane::device;

class Shell : public norvane::platform::test::ScratchDevice {};

TEST_F(Shell, ShellApiIsReadyOnlyOnceTheShellSignals) {
    EXPECT_FALSE(IsAPIReady(SH_SHELL)) << "no shell yet";
    EXPECT_TRUE(IsAPIReady(SH_GDI));
    EXPECT_TRUE(IsAPIReady(SH_WMGR));
    HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, norvane::platform::ShellReadyEventName().c_str());
    ASSERT_NE(ready, nullptr);
    EXPECT_FALSE(IsAPIReady(SH_SHELL)) << "event exists but is not set";
    SetEvent(ready);
    EXPECT_TRUE(IsAPIReady(SH_SHELL));
    ResetEvent(ready);
    EXPECT_FALSE(IsAPIReady(SH_SHELL)) << "a reset clears readiness";
    CloseHandle(ready);
    EXPECT_FALSE(IsAPIReady(40));
}

TEST_F(Shell, DesktopWindowIsTheTodayScreen) {
    EXPECT_EQ(CeGetDesktopWindow(), nullptr) << "never Wine's root window";
    RecordingWindow today(norvane::platform::TodayClassName(), device::kTodayTitle);
    ASSERT_NE(today.Get(), nullptr);
    EXPECT_EQ(CeGetDesktopWindow(), today.Get());
    EXPECT_NE(CeGetDesktopWindow(), GetDesktopWindow());
}

TEST_F(Shell, SystemFontIsTahomaAtDeviceSize) {
    LOGFONTW font{};
    ASSERT_EQ(GetObjectW(CeGetStockObject(SYSTEM_FONT), sizeof font, &font), static_cast<int>(sizeof font));
    EXPECT_STREQ(font.lfFaceName, L"Tahoma");
    HDC screen = GetDC(nullptr);
    int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    EXPECT_EQ(font.lfHeight, -MulDiv(12, dpi, 96));
    EXPECT_EQ(font.lfWeight, FW_NORMAL);
    EXPECT_EQ(CeGetStockObject(SYSTEM_FONT), CeGetStockObject(SYSTEM_FONT)) << "one object per process";
    EXPECT_EQ(CeGetStockObject(WHITE_BRUSH), GetStockObject(WHITE_BRUSH));

    // The face really is Tahoma in the prefix, not a substitute.
    HFONT made = CreateFontIndirectW(&font);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, made);
    wchar_t face[LF_FACESIZE] = {};
    GetTextFaceW(dc, LF_FACESIZE, face);
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(made);
    EXPECT_STREQ(face, L"Tahoma");
}

TEST_F(Shell, NavBarTextAndNotifyIconsGoToTheTaskBar) {
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof data;
    EXPECT_FALSE(CeShell_NotifyIcon(NIM_ADD, &data)) << "no task bar";
    EXPECT_FALSE(SHSetNavBarText(nullptr, L"x"));

    RecordingWindow taskBar(norvane::platform::TaskBarClassName());
    RecordingWindow owner(L"NorvaneNotifyOwner" + m_suffix);
    ASSERT_TRUE(SHSetNavBarText(owner.Get(), L"Calendar"));
    ASSERT_TRUE(SHSetNavBarText(owner.Get(), nullptr));
    ASSERT_EQ(taskBar.messages.size(), 2u);
    EXPECT_EQ(taskBar.messages[0].copyCode, device::kCopyDataNavBarText);
    EXPECT_EQ(taskBar.messages[0].wParam, reinterpret_cast<WPARAM>(owner.Get()));
    EXPECT_EQ(taskBar.messages[0].copyBytes, std::string(reinterpret_cast<const char*>(L"Calendar"), 18));
    EXPECT_EQ(taskBar.messages[1].copyBytes, std::string(2, '\0')) << "no text: just the terminator";

    HICON icon = LoadIconW(nullptr, IDI_APPLICATION);
    data.hWnd = owner.Get();
    data.uID = 101;
    data.uFlags = NIF_ICON; // no NIF_MESSAGE: the callback is still delivered
    data.uCallbackMessage = WM_APP + 5;
    data.hIcon = icon;
    EXPECT_TRUE(CeShell_NotifyIcon(NIM_ADD, &data));
    taskBar.copyDataAnswer = FALSE;
    EXPECT_FALSE(CeShell_NotifyIcon(NIM_DELETE, &data)) << "the task bar's refusal is reported";
    ASSERT_EQ(taskBar.messages.size(), 4u);
    const auto& add = taskBar.messages[2];
    EXPECT_EQ(add.copyCode, device::kCopyDataNotifyIcon);
    ASSERT_EQ(add.copyBytes.size(), sizeof(device::NotifyIconRecord));
    device::NotifyIconRecord record;
    std::memcpy(&record, add.copyBytes.data(), sizeof record);
    EXPECT_EQ(record.message, static_cast<unsigned long>(NIM_ADD));
    EXPECT_EQ(record.hwnd, reinterpret_cast<ULONG_PTR>(owner.Get()));
    EXPECT_EQ(record.id, 101u);
    EXPECT_EQ(record.flags, static_cast<unsigned>(NIF_ICON));
    EXPECT_EQ(record.callbackMessage, static_cast<unsigned>(WM_APP + 5));
    EXPECT_EQ(record.icon, reinterpret_cast<ULONG_PTR>(icon));
}

TEST_F(Shell, SpecialFoldersAreDevicePaths) {
    struct {
        int csidl;
        const wchar_t* path;
    } const expected[] = {
        {CSIDL_PERSONAL, L"\\My Documents"},
        {CSIDL_STARTMENU, L"\\Windows\\Start Menu"},
        {CSIDL_PROGRAMS, L"\\Windows\\Start Menu\\Programs"},
        {CSIDL_STARTUP, L"\\Windows\\StartUp"},
        {CSIDL_PROGRAM_FILES, L"\\Program Files"},
        {CSIDL_WINDOWS, L"\\Windows"},
    };
    for (const auto& e : expected) {
        wchar_t path[MAX_PATH] = L"sentinel";
        ASSERT_TRUE(CeSHGetSpecialFolderPath(nullptr, path, e.csidl, FALSE)) << e.csidl;
        EXPECT_STREQ(path, e.path);
    }
    wchar_t path[MAX_PATH];
    EXPECT_FALSE(CeSHGetSpecialFolderPath(nullptr, path, CSIDL_NETWORK, FALSE));
    ASSERT_TRUE(CeSHGetSpecialFolderPath(nullptr, path, CSIDL_STARTUP, TRUE));
    EXPECT_NE(GetFileAttributesW(L"C:\\Windows\\StartUp"), INVALID_FILE_ATTRIBUTES) << "created on request";

    ASSERT_TRUE(SHGetDocumentsFolder(L"\\", path));
    EXPECT_STREQ(path, L"\\My Documents");
    ASSERT_TRUE(SHGetDocumentsFolder(L"\\Storage Card\\", path));
    EXPECT_STREQ(path, L"\\Storage Card");
}

TEST_F(Shell, RegistryKeysGoWithTheirSubkeys) {
    std::wstring key = m_root + L"\\Doomed";
    HKEY h = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, (key + L"\\Child\\Grandchild").c_str(), 0, nullptr, 0,
                              KEY_WRITE, nullptr, &h, nullptr),
              ERROR_SUCCESS);
    DWORD one = 1;
    RegSetValueExW(h, L"v", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&one), sizeof one);
    RegCloseKey(h);
    EXPECT_EQ(CeRegDeleteKey(HKEY_LOCAL_MACHINE, key.c_str()), ERROR_SUCCESS);
    EXPECT_NE(RegOpenKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_READ, &h), ERROR_SUCCESS)
        << "key survived";
    EXPECT_NE(CeRegDeleteKey(HKEY_LOCAL_MACHINE, key.c_str()), ERROR_SUCCESS) << "deleting twice";
    EXPECT_EQ(CeRegDeleteKey(HKEY_LOCAL_MACHINE, L""), ERROR_INVALID_PARAMETER);
}

TEST_F(Shell, RotationIsStoredInTheDeviceState) {
    DEVMODEW mode{};
    mode.dmSize = sizeof mode;
    mode.dmFields = DM_DISPLAYORIENTATION;
    ASSERT_EQ(CeChangeDisplaySettingsEx(nullptr, &mode, nullptr, CDS_TEST, nullptr), DISP_CHANGE_SUCCESSFUL);
    EXPECT_EQ(mode.dmDisplayOrientation, static_cast<DWORD>(DMDO_0));

    mode.dmDisplayOrientation = DMDO_270;
    EXPECT_EQ(DMDO_270, 4) << "the device's value";
    ASSERT_EQ(CeChangeDisplaySettingsEx(nullptr, &mode, nullptr, CDS_RESET, nullptr), DISP_CHANGE_SUCCESSFUL);
    EXPECT_EQ(norvane::platform::ReadStateDword(device::kOrientation, 99), 4u);

    mode.dmDisplayOrientation = 0;
    mode.dmFields = DM_DISPLAYORIENTATION_CE;
    ASSERT_EQ(CeChangeDisplaySettingsEx(nullptr, &mode, nullptr, CDS_TEST, nullptr), DISP_CHANGE_SUCCESSFUL);
    EXPECT_EQ(mode.dmDisplayOrientation, 4u) << "the device's own field bit works too";

    mode.dmDisplayOrientation = 3; // the desktop's 270, not a device value
    EXPECT_EQ(CeChangeDisplaySettingsEx(nullptr, &mode, nullptr, CDS_RESET, nullptr), DISP_CHANGE_BADMODE);
    EXPECT_EQ(norvane::platform::ReadStateDword(device::kOrientation, 99), 4u)
        << "a bad mode changed the state";

    mode.dmFields = DM_DISPLAYQUERYORIENTATION;
    ASSERT_EQ(CeChangeDisplaySettingsEx(nullptr, &mode, nullptr, CDS_TEST, nullptr), DISP_CHANGE_SUCCESSFUL);
    EXPECT_EQ(mode.dmDisplayOrientation, static_cast<DWORD>(DMDO_90 | DMDO_180 | DMDO_270));
}

TEST_F(Shell, RotationAsksTheShellToTurnTheScreenBeforeItReturns) {
    RecordingWindow today(norvane::platform::TodayClassName(), device::kTodayTitle);
    ASSERT_NE(today.Get(), nullptr);
    const UINT rotate = RegisterWindowMessageW(norvane::platform::RotateMessageName().c_str());
    today.registeredAnswer = 1;
    DEVMODEW mode{};
    mode.dmSize = sizeof mode;
    mode.dmFields = DM_DISPLAYORIENTATION;
    mode.dmDisplayOrientation = DMDO_90;
    ASSERT_EQ(CeChangeDisplaySettingsEx(nullptr, &mode, nullptr, CDS_RESET, nullptr), DISP_CHANGE_SUCCESSFUL);
    ASSERT_EQ(today.messages.size(), 1u) << "sent, so it has arrived when the call returns";
    EXPECT_EQ(today.messages[0].message, rotate);
    EXPECT_EQ(today.messages[0].wParam, static_cast<WPARAM>(DMDO_90));
    EXPECT_EQ(norvane::platform::ReadStateDword(device::kOrientation, 99), static_cast<DWORD>(DMDO_90));

    // A shell that cannot turn: the call fails and the orientation stays the shown one.
    today.registeredAnswer = 0;
    mode.dmDisplayOrientation = DMDO_180;
    EXPECT_EQ(CeChangeDisplaySettingsEx(nullptr, &mode, nullptr, CDS_RESET, nullptr), DISP_CHANGE_FAILED);
    EXPECT_EQ(norvane::platform::ReadStateDword(device::kOrientation, 99), static_cast<DWORD>(DMDO_90));
    EXPECT_EQ(today.messages.size(), 2u);
    // Reading the orientation sends nothing.
    mode.dmFields = DM_DISPLAYORIENTATION;
    ASSERT_EQ(CeChangeDisplaySettingsEx(nullptr, &mode, nullptr, CDS_TEST, nullptr), DISP_CHANGE_SUCCESSFUL);
    EXPECT_EQ(mode.dmDisplayOrientation, static_cast<DWORD>(DMDO_90));
    EXPECT_EQ(today.messages.size(), 2u);
}

TEST_F(Shell, BitmapFilesLoadFromDevicePaths) {
    // A 2x1 24-bit bitmap written by hand.
    const wchar_t* file = L"C:\\NvTestBitmap.bmp";
    BYTE bytes[62] = {'B', 'M', 62, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0, 40,
                      0,   0,   0,  2, 0, 0, 0, 1, 0, 0, 0,  1, 0, 24};
    bytes[34] = 8; // image size
    BYTE* pixels = bytes + 54;
    pixels[0] = 0xFF; // blue
    pixels[5] = 0xFF; // red
    HANDLE h = CreateFileW(file, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(h, bytes, sizeof bytes, &written, nullptr);
    CloseHandle(h);
    HBITMAP bitmap = SHLoadDIBitmap(L"\\NvTestBitmap.bmp");
    ASSERT_NE(bitmap, nullptr);
    BITMAP info{};
    GetObjectW(bitmap, sizeof info, &info);
    EXPECT_EQ(info.bmWidth, 2);
    EXPECT_EQ(info.bmHeight, 1);
    DeleteObject(bitmap);
    DeleteFileW(file);
    EXPECT_EQ(SHLoadDIBitmap(L"\\NoSuchBitmap.bmp"), nullptr);
}

TEST_F(Shell, NewItemIsLoggedWithoutAFormProgram) {
    if (GetFileAttributesW(L"C:\\Windows\\newitem.exe") != INVALID_FILE_ATTRIBUTES) {
        GTEST_SKIP() << "the device's form program is installed in this prefix";
    }
    // {42650BC1-41C1-11d2-88E3-0000F87A49DB}: a task.
    const CLSID task = {0x42650BC1, 0x41C1, 0x11d2, {0x88, 0xE3, 0x00, 0x00, 0xF8, 0x7A, 0x49, 0xDB}};
    ASSERT_EQ(SHCreateNewItem(nullptr, task), S_OK);
    HANDLE h = CreateFileW(device::kDeviceLogPath, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    std::string text(GetFileSize(h, nullptr), '\0');
    DWORD read = 0;
    ReadFile(h, text.data(), static_cast<DWORD>(text.size()), &read, nullptr);
    CloseHandle(h);
    EXPECT_NE(text.find("SHCreateNewItem|{42650BC1-41C1-11D2-88E3-0000F87A49DB}"), std::string::npos) << text;
}

} // namespace
