// The bar, its cover windows and the safe-mode Today item, driven by messages
// in the test's own process: sizes, texts, pixels read from off-screen DIBs, and
// the paths from a tap to the restart.
#include "SafeModeBar.h"
#include "SafeModeItem.h"
#include "SafeModeRegistration.h"
#include "SafeModeTestSupport.h"

#include <gtest/gtest.h>

using namespace norvane::safemode;
using namespace norvane::safemode::test;

namespace {

struct CountingRestart : RestartRequest {
    int count = 0;
    void Restart() override { ++count; }
};

void Pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

int ScreenDpiY() {
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi;
}

// A top-down 32-bit section to paint into and read back.
class Canvas {
public:
    Canvas(int width, int height) : m_width(width), m_height(height) {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        m_dc = CreateCompatibleDC(nullptr);
        m_bitmap =
            CreateDIBSection(m_dc, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&m_bits), nullptr, 0);
        m_old = SelectObject(m_dc, m_bitmap);
    }
    ~Canvas() {
        SelectObject(m_dc, m_old);
        DeleteObject(m_bitmap);
        DeleteDC(m_dc);
    }
    HDC Dc() const { return m_dc; }
    COLORREF At(int x, int y) const {
        GdiFlush();
        const DWORD bgra = m_bits[y * m_width + x];
        return RGB((bgra >> 16) & 0xFF, (bgra >> 8) & 0xFF, bgra & 0xFF);
    }
    int Count(int top, int bottom, COLORREF colour) const {
        int count = 0;
        for (int y = top; y < bottom && y < m_height; ++y) {
            for (int x = 0; x < m_width; ++x) {
                count += At(x, y) == colour ? 1 : 0;
            }
        }
        return count;
    }

private:
    int m_width;
    int m_height;
    HDC m_dc = nullptr;
    HBITMAP m_bitmap = nullptr;
    HGDIOBJ m_old = nullptr;
    DWORD* m_bits = nullptr;
};

// A stand-in for the Today screen: paints its watermark green and hands out a
// red text colour.
LRESULT CALLBACK TodayProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == TODAYM_GETCOLOR) {
        return wParam == TODAYCOLOR_TEXT ? RGB(200, 0, 0) : RGB(0, 0, 0);
    }
    if (message == TODAYM_DRAWWATERMARK) {
        const auto* info = reinterpret_cast<const TODAYDRAWWATERMARKINFO*>(lParam);
        HBRUSH green = CreateSolidBrush(RGB(0, 200, 0));
        FillRect(info->hdc, &info->rc, green);
        DeleteObject(green);
        return TRUE;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

HWND CreateTopLevel(const wchar_t* title) {
    static bool registered = false;
    if (!registered) {
        WNDCLASSW cls{};
        cls.lpfnWndProc = TodayProc;
        cls.hInstance = GetModuleHandleW(nullptr);
        cls.lpszClassName = L"SafeModeTestToday";
        RegisterClassW(&cls);
        registered = true;
    }
    return CreateWindowExW(0, L"SafeModeTestToday", title, WS_POPUP | WS_VISIBLE, 0, 0,
                           GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), nullptr, nullptr,
                           GetModuleHandleW(nullptr), nullptr);
}

class SafeModeBarTest : public ::testing::Test {
protected:
    void SetUp() override { PrepareDevice(device); }
    ScratchDevice device;
    SafeModeSwitch safeModeSwitch{device.Places()};
    CountingRestart restart;
};

} // namespace

TEST(SafeModePaintTest, BarColoursLinesAndText) {
    Canvas canvas(240, 40);
    PaintBar(canvas.Dc(), RECT{0, 0, 240, 40}, L"Tap here to reset in safe mode.", nullptr);
    EXPECT_EQ(canvas.At(5, 0), RGB(0, 0, 0));
    EXPECT_EQ(canvas.At(5, 39), RGB(0, 0, 0));
    EXPECT_EQ(canvas.At(5, 1), RGB(0x29, 0x52, 0x98));
    EXPECT_EQ(canvas.At(5, 19), RGB(0x29, 0x52, 0x98));
    EXPECT_EQ(canvas.At(5, 20), RGB(0x12, 0x3D, 0x86));
    EXPECT_EQ(canvas.At(5, 38), RGB(0x12, 0x3D, 0x86));
    EXPECT_GT(canvas.Count(1, 39, RGB(255, 255, 255)), 40) << "white text in the middle";
    EXPECT_EQ(canvas.Count(0, 1, RGB(255, 255, 255)), 0);
}

TEST_F(SafeModeBarTest, TapOnACoverEntersSafeModeOnce) {
    StartDecision decision;
    decision.showPrompt = true;
    SafeModeBar bar(safeModeSwitch, device.Machine(), decision, restart);
    ASSERT_TRUE(bar.Create());
    RECT rect{};
    GetWindowRect(bar.Hwnd(), &rect);
    const int height = MulDiv(40, ScreenDpiY(), 96);
    EXPECT_EQ(rect.left, 0);
    EXPECT_EQ(rect.right, GetSystemMetrics(SM_CXSCREEN));
    EXPECT_EQ(rect.bottom, GetSystemMetrics(SM_CYSCREEN));
    EXPECT_EQ(rect.bottom - rect.top, height);
    EXPECT_TRUE(IsWindowVisible(bar.Hwnd()));
    EXPECT_EQ(bar.Text(), L"Tap here to reset in safe mode.");

    // A program comes up over the bar: the next tick lays a cover on it.
    HWND program = CreateTopLevel(L"Program");
    ASSERT_TRUE(program);
    SendMessageW(bar.Hwnd(), WM_TIMER, kWatchTimer, 0);
    HWND cover = FindWindowExW(program, nullptr, nullptr, L"NVGS_Child_Service_Wnd");
    ASSERT_TRUE(cover) << "no cover window in the program";
    EXPECT_TRUE(IsWindowVisible(cover));
    RECT coverRect{};
    GetWindowRect(cover, &coverRect);
    EXPECT_TRUE(EqualRect(&coverRect, &rect)) << coverRect.top << " " << rect.top;
    SendMessageW(bar.Hwnd(), WM_TIMER, kWatchTimer, 0);
    EXPECT_EQ(bar.CoverCount(), 1u) << "one cover per window, made once";

    // The cover paints like the bar.
    Canvas canvas(rect.right - rect.left, height);
    SendMessageW(cover, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(canvas.Dc()), PRF_CLIENT);
    EXPECT_EQ(canvas.At(3, 2), RGB(0x29, 0x52, 0x98));
    EXPECT_EQ(canvas.At(3, height - 2), RGB(0x12, 0x3D, 0x86));

    SendMessageW(cover, WM_LBUTTONDOWN, 0, MAKELPARAM(5, 5));
    EXPECT_EQ(bar.Text(), L"About to restart in safe mode...");
    Pump();
    EXPECT_EQ(restart.count, 1);
    EXPECT_EQ(bar.EnteringMode(), 1u);
    EXPECT_EQ(bar.Hwnd(), nullptr) << "the bar is gone once the restart is asked for";
    EXPECT_FALSE(IsWindow(cover)) << "covers go with the bar";
    EXPECT_EQ(device.Dword(device.Machine(), L"Services\\NVGD", L"SafeMode"), 1u);
    EXPECT_TRUE(device.HasKey(device.Machine(), L"Software\\Microsoft\\Today_nv_disable"));
    EXPECT_FALSE(device.Exists(L"\\Windows\\StartUp\\Check.lnk"));

    bar.EnterSafeMode(2);
    EXPECT_EQ(restart.count, 1) << "entered once only";
    EXPECT_EQ(device.Dword(device.Machine(), L"Services\\NVGD", L"SafeMode"), 1u);
    DestroyWindow(program);
}

TEST_F(SafeModeBarTest, ReturnKeyAutomaticAndSafeModeStarts) {
    {
        StartDecision decision;
        decision.showPrompt = true;
        SafeModeBar bar(safeModeSwitch, device.Machine(), decision, restart);
        ASSERT_TRUE(bar.Create());
        SendMessageW(bar.Hwnd(), WM_KEYDOWN, VK_ESCAPE, 0);
        EXPECT_EQ(restart.count, 0);
        SendMessageW(bar.Hwnd(), WM_KEYDOWN, VK_RETURN, 0);
        EXPECT_EQ(restart.count, 1);
    }
    safeModeSwitch.RestoreAll();
    {
        StartDecision decision;
        decision.autoSafeMode = true;
        SafeModeBar bar(safeModeSwitch, device.Machine(), decision, restart);
        ASSERT_TRUE(bar.Create());
        EXPECT_EQ(restart.count, 2) << "automatic safe mode needs no tap";
        EXPECT_EQ(bar.Text(), L"Automatically restarting in safe mode...");
        EXPECT_EQ(device.Dword(device.Machine(), L"Services\\NVGD", L"SafeMode"), 2u);
    }
    for (DWORD mode : {1u, 2u}) {
        StartDecision decision;
        decision.startMode = mode;
        decision.showPrompt = true;
        SafeModeBar bar(safeModeSwitch, device.Machine(), decision, restart);
        ASSERT_TRUE(bar.Create());
        EXPECT_EQ(bar.Text(), mode == 1 ? L"Starting in safe mode." : L"Starting in automatic safe mode.");
        SendMessageW(bar.Hwnd(), WM_LBUTTONDOWN, 0, 0);
        EXPECT_EQ(restart.count, 2) << "a safe-mode start is not entered again";
        EXPECT_TRUE(IsWindow(bar.Hwnd()));
    }
    {
        StartDecision hidden;
        SafeModeBar bar(safeModeSwitch, device.Machine(), hidden, restart);
        ASSERT_TRUE(bar.Create());
        EXPECT_FALSE(IsWindowVisible(bar.Hwnd()));
        HWND program = CreateTopLevel(L"Program");
        SendMessageW(bar.Hwnd(), WM_TIMER, kWatchTimer, 0);
        EXPECT_EQ(bar.CoverCount(), 0u) << "a hidden bar covers nothing";
        DestroyWindow(program);
    }
}

TEST(SafeModeItemTest, HeightEventPaintingAndTheResetQuestion) {
    EXPECT_EQ(SafeModeItemHeight(96), 100);
    EXPECT_EQ(SafeModeItemHeight(192), 200);
    EXPECT_EQ(SafeModeItemHeight(131), 136);

    HWND today = CreateTopLevel(L"Today");
    ASSERT_TRUE(today);
    std::wstring asked;
    int answer = IDNO;
    int restarts = 0;
    {
        SafeModeItem item;
        item.ask = [&](HWND, const std::wstring& question, const std::wstring& caption) {
            asked = caption + L": " + question;
            return answer;
        };
        item.restart = [&] { ++restarts; };
        ASSERT_TRUE(item.Create(today));
        wchar_t name[64] = L"";
        GetWindowTextW(item.Hwnd(), name, 64);
        EXPECT_STREQ(name, L"NorvaneSafeMode");
        EXPECT_EQ(GetParent(item.Hwnd()), today);
        HANDLE event = OpenEventW(SYNCHRONIZE, FALSE, L"Norvane_Safe_Mode_Today_Plugin_Running");
        EXPECT_TRUE(event) << "the service waits for this event";
        if (event) {
            CloseHandle(event);
        }

        TODAYLISTITEM record{};
        const DWORD height = static_cast<DWORD>(SafeModeItemHeight(ScreenDpiY()));
        EXPECT_EQ(
            SendMessageW(item.Hwnd(), WM_TODAYCUSTOM_QUERYREFRESHCACHE, reinterpret_cast<WPARAM>(&record), 0),
            TRUE);
        EXPECT_EQ(record.cyp, height);
        EXPECT_EQ(
            SendMessageW(item.Hwnd(), WM_TODAYCUSTOM_QUERYREFRESHCACHE, reinterpret_cast<WPARAM>(&record), 0),
            FALSE);
        SetWindowPos(item.Hwnd(), nullptr, 0, 0, GetSystemMetrics(SM_CXSCREEN), static_cast<int>(height),
                     SWP_NOZORDER);

        // Title and hint in the Today text colour over the watermark, nothing outside their lines.
        const int width = GetSystemMetrics(SM_CXSCREEN);
        const auto s = [](int n) { return MulDiv(n, ScreenDpiY(), 96); };
        Canvas canvas(width, static_cast<int>(height));
        SendMessageW(item.Hwnd(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(canvas.Dc()), PRF_CLIENT);
        EXPECT_EQ(canvas.At(1, 1), RGB(0, 200, 0)) << "the Today screen's background";
        EXPECT_GT(canvas.Count(s(20), s(40), RGB(200, 0, 0)), 60) << "the title";
        EXPECT_GT(canvas.Count(s(45), s(65), RGB(200, 0, 0)), 60) << "the hint";
        EXPECT_EQ(canvas.Count(0, s(20), RGB(200, 0, 0)), 0);
        EXPECT_EQ(canvas.Count(s(65), static_cast<int>(height), RGB(200, 0, 0)), 0);

        SendMessageW(item.Hwnd(), WM_LBUTTONUP, 0, MAKELPARAM(10, 10));
        EXPECT_EQ(asked, L"Norvane: Reset now?");
        EXPECT_EQ(restarts, 0) << "No keeps the device in safe mode";
        answer = IDYES;
        SendMessageW(item.Hwnd(), WM_LBUTTONUP, 0, MAKELPARAM(10, 10));
        EXPECT_EQ(restarts, 1);
    }
    HANDLE event = OpenEventW(SYNCHRONIZE, FALSE, L"Norvane_Safe_Mode_Today_Plugin_Running");
    EXPECT_FALSE(event) << "the event lives as long as the item window";
    if (event) {
        CloseHandle(event);
    }
    DestroyWindow(today);
}

TEST(SafeModeRegistrationTest, OnlyTheApplicationId) {
    ScratchDevice device;
    ASSERT_EQ(RegisterAppId(device.Classes()), S_OK);
    const std::wstring id = L"AppID\\{39445973-2431-4013-AE3D-38EF3DBB0F3B}";
    EXPECT_EQ(device.String(device.Classes(), id, L""), L"NorvaneSafeMode");
    EXPECT_EQ(device.String(device.Classes(), L"AppID\\NorvaneSafeMode.DLL", L"AppID"),
              L"{39445973-2431-4013-AE3D-38EF3DBB0F3B}");
    EXPECT_EQ(device.Export(device.Classes(), L"AppID").size(), 5u) << "two keys, two values, nothing else";
    ASSERT_EQ(UnregisterAppId(device.Classes()), S_OK);
    EXPECT_FALSE(device.HasKey(device.Classes(), id));
    EXPECT_FALSE(device.HasKey(device.Classes(), L"AppID\\NorvaneSafeMode.DLL"));
    EXPECT_EQ(UnregisterAppId(device.Classes()), S_OK) << "nothing left to remove is no failure";
}
