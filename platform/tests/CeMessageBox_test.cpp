// Message boxes fitted to a device-sized screen: a long question in a box that
// would be wider than 240 pixels is wrapped, with its buttons under the text and
// the whole box on the screen.
#include "CeMessageBox.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace norvane::platform;

namespace {

struct Seen {
    RECT window{};
    RECT text{};
    std::vector<RECT> buttons;
    bool found = false;
};

Seen g_seen;

RECT InBox(HWND box, HWND child) {
    RECT r;
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, box, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

BOOL CALLBACK FindBox(HWND window, LPARAM) {
    wchar_t cls[16] = {};
    GetClassNameW(window, cls, 16);
    if (wcscmp(cls, L"#32770") != 0 || !IsWindowVisible(window)) {
        return TRUE;
    }
    FitMessageBoxToScreen(window, 240, 320);
    g_seen.found = true;
    GetWindowRect(window, &g_seen.window);
    g_seen.text = InBox(window, GetDlgItem(window, 0xFFFF));
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        wchar_t name[16] = {};
        GetClassNameW(child, name, 16);
        if (_wcsicmp(name, L"Button") == 0) {
            g_seen.buttons.push_back(InBox(window, child));
        }
    }
    PostMessageW(window, WM_COMMAND, IDNO, 0);
    return FALSE;
}

void CALLBACK Inspect(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    EnumThreadWindows(GetCurrentThreadId(), FindBox, 0);
}

TEST(ScreenSizedMessageBox, ALongQuestionIsWrappedInsideASmallScreen) {
    g_seen = Seen{};
    const std::wstring text = L"Are you sure you want to delete the shortcut Calculator with a long name?";
    SetTimer(nullptr, 0, 300, Inspect);
    int answer = MessageBoxW(nullptr, text.c_str(), L"Norvane", MB_YESNO | MB_ICONQUESTION);
    ASSERT_TRUE(g_seen.found);
    EXPECT_EQ(answer, IDNO);
    EXPECT_GE(g_seen.window.left, 0);
    EXPECT_LE(g_seen.window.right, 240) << "the box fits the screen";
    EXPECT_LE(g_seen.window.bottom, 320);
    RECT client = {0, 0, g_seen.window.right - g_seen.window.left, g_seen.window.bottom - g_seen.window.top};
    EXPECT_LE(g_seen.text.right, client.right) << "the text is wrapped inside";
    EXPECT_GT(g_seen.text.bottom - g_seen.text.top, 20) << "on more than one line";
    ASSERT_EQ(g_seen.buttons.size(), 2u);
    const int groupCentre = (g_seen.buttons[0].left + g_seen.buttons[1].right) / 2;
    EXPECT_NEAR(groupCentre, (client.right - 2 * GetSystemMetrics(SM_CXDLGFRAME)) / 2, 6)
        << "the buttons are centred";
    for (const RECT& button : g_seen.buttons) {
        EXPECT_GE(button.top, g_seen.text.bottom) << "the buttons stand below the text";
        EXPECT_GE(button.left, 0);
        EXPECT_LE(button.right, client.right);
    }
}

TEST(ScreenSizedMessageBox, CeMessageBoxAnswersLikeTheDesktopOne) {
    SetTimer(nullptr, 0, 200, [](HWND, UINT, UINT_PTR id, DWORD) {
        KillTimer(nullptr, id);
        EnumThreadWindows(
            GetCurrentThreadId(),
            [](HWND window, LPARAM) -> BOOL {
                wchar_t cls[16] = {};
                GetClassNameW(window, cls, 16);
                if (wcscmp(cls, L"#32770") == 0) {
                    PostMessageW(window, WM_COMMAND, IDYES, 0);
                    return FALSE;
                }
                return TRUE;
            },
            0);
    });
    EXPECT_EQ(CeMessageBox(nullptr, L"Short.", L"Norvane", MB_YESNO), IDYES);
}

} // namespace
