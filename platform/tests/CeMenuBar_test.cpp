// Full-screen dialogs, application soft-key bars and the input panel request.
#include "CeMenuBar.h"

#include "CeShell.h"
#include "DeviceState.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

namespace {

using norvane::platform::test::PumpUntil;
using norvane::platform::test::RecordingWindow;

class SoftKeys : public norvane::platform::test::ScratchDevice {
protected:
    static bool HasCommand(const RecordingWindow& window, WORD id) {
        for (const auto& m : window.messages) {
            if (m.message == WM_COMMAND && LOWORD(m.wParam) == id) {
                return true;
            }
        }
        return false;
    }
    static LPARAM Center(const RECT& r) { return MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2); }
};

// RecordingWindow records WM_USER and above only; WM_COMMAND is caught by a filter.
void RecordCommands(RecordingWindow& window) {
    window.filter = [&window](UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_COMMAND) {
            window.messages.push_back({message, wParam, lParam});
            return true;
        }
        return false;
    };
}

TEST_F(SoftKeys, MenuBarLiesOverTheDeviceBarAndSendsCommands) {
    RecordingWindow frame(L"NorvaneMenuBarFrame" + m_suffix);
    RecordCommands(frame);
    SHMENUBARINFO info{};
    info.cbSize = sizeof info;
    info.hwndParent = frame.Get();
    info.nToolBarId = 127;
    info.hInstRes = GetModuleHandleW(nullptr);
    ASSERT_TRUE(SHCreateMenuBar(&info));
    ASSERT_NE(info.hwndMB, nullptr);
    RECT bar;
    GetWindowRect(info.hwndMB, &bar);
    EXPECT_EQ(bar.bottom, GetSystemMetrics(SM_CYSCREEN));
    EXPECT_EQ(bar.bottom - bar.top, GetSystemMetrics(SM_CYMENU)) << "the bar is a menu bar's height";
    EXPECT_EQ(bar.right - bar.left, GetSystemMetrics(SM_CXSCREEN));
    EXPECT_EQ(GetWindow(info.hwndMB, GW_OWNER), frame.Get());

    HMENU popup = reinterpret_cast<HMENU>(SendMessageW(info.hwndMB, SHCMBM_GETSUBMENU, 0, 1));
    ASSERT_NE(popup, nullptr);
    EXPECT_EQ(GetMenuItemID(popup, 0), 255u);

    // Left key: a plain command.
    RECT client;
    GetClientRect(info.hwndMB, &client);
    RECT left{0, 0, client.right / 2, client.bottom};
    SendMessageW(info.hwndMB, WM_LBUTTONDOWN, MK_LBUTTON, Center(left));
    SendMessageW(info.hwndMB, WM_LBUTTONUP, 0, Center(left));
    EXPECT_TRUE(PumpUntil([&] { return HasCommand(frame, 1); })) << "Save did not arrive";

    // Right key: its popup opens; the first item is picked with the keyboard.
    SetTimer(nullptr, 0, 150, [](HWND, UINT, UINT_PTR id, DWORD) {
        KillTimer(nullptr, id);
        HWND menu = FindWindowW(L"#32768", nullptr);
        PostMessageW(menu, WM_KEYDOWN, VK_DOWN, 0);
        PostMessageW(menu, WM_KEYDOWN, VK_RETURN, 0);
    });
    RECT right{client.right / 2, 0, client.right, client.bottom};
    SendMessageW(info.hwndMB, WM_LBUTTONDOWN, MK_LBUTTON, Center(right));
    SendMessageW(info.hwndMB, WM_LBUTTONUP, 0, Center(right));
    EXPECT_TRUE(PumpUntil([&] { return HasCommand(frame, 255); })) << "the popup's command did not arrive";

    // A press that leaves the key before the release does nothing.
    frame.messages.clear();
    SendMessageW(info.hwndMB, WM_LBUTTONDOWN, MK_LBUTTON, Center(left));
    SendMessageW(info.hwndMB, WM_LBUTTONUP, 0, Center(right));
    PumpUntil([] { return false; }, 50);
    EXPECT_FALSE(HasCommand(frame, 1));

    HWND barWindow = info.hwndMB;
    DestroyWindow(frame.Get());
    EXPECT_FALSE(IsWindow(barWindow)) << "the bar goes with its owner";
}

TEST_F(SoftKeys, EmptyAndMissingMenus) {
    RecordingWindow frame(L"NorvaneMenuBarEmpty" + m_suffix);
    SHMENUBARINFO info{};
    info.cbSize = sizeof info;
    info.hwndParent = frame.Get();
    info.dwFlags = SHCMBF_EMPTYBAR | SHCMBF_HIDDEN;
    ASSERT_TRUE(SHCreateMenuBar(&info));
    EXPECT_FALSE(IsWindowVisible(info.hwndMB));
    EXPECT_EQ(SendMessageW(info.hwndMB, SHCMBM_GETMENU, 0, 0), 0);
    info.dwFlags = 0;
    info.nToolBarId = 999;
    info.hInstRes = GetModuleHandleW(nullptr);
    EXPECT_FALSE(SHCreateMenuBar(&info)) << "no such menu";
    EXPECT_EQ(info.hwndMB, nullptr);
}

TEST_F(SoftKeys, FullScreenDialogFillsTheAreaBetweenTheBars) {
    RecordingWindow taskBar(norvane::platform::TaskBarClassName());
    const int barHeight = 26;
    SetWindowPos(taskBar.Get(), nullptr, 0, 0, GetSystemMetrics(SM_CXSCREEN), barHeight,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    HWND dialog = CreateDialogParamW(
        GetModuleHandleW(nullptr), MAKEINTRESOURCEW(300), nullptr,
        [](HWND, UINT, WPARAM, LPARAM) -> INT_PTR { return FALSE; }, 0);
    ASSERT_NE(dialog, nullptr);
    EXPECT_FALSE(CeHasCaptionOkButton(dialog));
    SHINITDLGINFO info{SHIDIM_FLAGS, dialog, SHIDIF_DONEBUTTON | SHIDIF_SIZEDLGFULLSCREEN};
    ASSERT_TRUE(SHInitDialog(&info));
    RECT rect;
    GetWindowRect(dialog, &rect);
    EXPECT_EQ(rect.top, barHeight);
    EXPECT_EQ(rect.left, 0);
    EXPECT_EQ(rect.right, GetSystemMetrics(SM_CXSCREEN));
    EXPECT_EQ(rect.bottom, GetSystemMetrics(SM_CYSCREEN) - GetSystemMetrics(SM_CYMENU));
    EXPECT_EQ(GetWindowLongPtrW(dialog, GWL_STYLE) & WS_CAPTION, 0) << "the task bar shows the title";
    EXPECT_TRUE(CeHasCaptionOkButton(dialog));
    RECT client;
    GetClientRect(dialog, &client);
    EXPECT_EQ(client.bottom, rect.bottom - rect.top) << "no frame left around the client area";
    DestroyWindow(dialog);

    SHINITDLGINFO bad{0, nullptr, 0};
    EXPECT_FALSE(SHInitDialog(&bad));
}

TEST_F(SoftKeys, InputPanelRequestsGoToTheShellsMenuBar) {
    RecordingWindow asking(L"NorvaneSipAsker" + m_suffix);
    EXPECT_FALSE(SHSipPreference(asking.Get(), SIP_UP)) << "no shell menu bar";
    RecordingWindow menuBar(norvane::platform::MenuBarClassName());
    const UINT sip = RegisterWindowMessageW(norvane::platform::SipPreferenceMessageName().c_str());
    ASSERT_TRUE(SHSipPreference(asking.Get(), SIP_UP));
    ASSERT_TRUE(SHSipPreference(asking.Get(), SIP_DOWN));
    ASSERT_TRUE(PumpUntil([&] { return menuBar.messages.size() == 2; }));
    EXPECT_EQ(menuBar.messages[0].message, sip);
    EXPECT_EQ(menuBar.messages[0].wParam, static_cast<WPARAM>(SIP_UP));
    EXPECT_EQ(menuBar.messages[0].lParam, reinterpret_cast<LPARAM>(asking.Get()));
    EXPECT_EQ(menuBar.messages[1].wParam, static_cast<WPARAM>(SIP_DOWN));
}

} // namespace
