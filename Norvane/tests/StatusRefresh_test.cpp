// The status refresh in the hosted item: which kinds a tick asks for, which
// meters are redrawn (only those whose kinds changed), the power thread's
// notifications, and the notification-area icons of the Shell Tray Tab with
// their ids, order and callbacks. The meters are the ones we ship, read from
// the source tree.
#include "TodayHost.h"

#include "DeviceContract.h"
#include "DeviceState.h"
#include "DisplayScale.h"
#include "MeterPictures.h"
#include "Module.h"
#include "Settings.h"
#include "StatusSources.h"
#include "TodayItemWindow.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace norvane;
using namespace norvane::test;

namespace {

std::wstring ShippedMeter(const std::string& name) {
    std::string path = "Z:" + std::string(NORVANE_SOURCE_DIR) + "/meters/" + name + "/meter.ini";
    for (char& c : path) {
        if (c == '/') {
            c = '\\';
        }
    }
    return std::wstring(path.begin(), path.end());
}

std::wstring SettingsText(bool reverseTray, const std::wstring& general = L"") {
    return L"[General]\r\nBehaviorMode=2\r\n" + general + L"TrayReverseOrder=" +
           std::wstring(reverseTray ? L"1" : L"0") +
           L"\r\n[Tab1]\r\nName=Home\r\nUniqueID=1\r\nCaptionsEnabled=1\r\n"
           L"Shortcut1=Battery\r\nShortcutAdditional1=meter:" +
           ShippedMeter("battery-default") +
           L"\r\nLargeIcon1=1\r\n"
           L"Shortcut2=Memory\r\nShortcutAdditional2=meter:" +
           ShippedMeter("memory-default") +
           L"\r\nLargeIcon2=1\r\n"
           L"Shortcut3=\\Windows\\calc.exe\r\n"
           L"Shortcut4=Storage\r\nShortcutAdditional4=meter:" +
           ShippedMeter("main-storage") +
           L"\r\nLargeIcon4=1\r\n"
           L"[Tab2]\r\nSpecialType=1\r\n"
           L"Shortcut1=Card\r\nShortcutAdditional1=meter:" +
           ShippedMeter("storage-card") +
           L"\r\nShortcut2=\\Windows\\notes.exe\r\n"
           L"Shortcut3=Battery\r\nShortcutAdditional3=meter:" +
           ShippedMeter("battery-default") + L"\r\n";
}

struct NotifyCall {
    DWORD message;
    UINT id;
    HWND window;
    UINT callback;
    HICON icon;
};

class StatusRefreshTest : public ::testing::Test {
protected:
    void SetUp() override {
        PrepareItemTest();
        platform::WriteStateQword(device::kMemoryTotal, 64ull << 20);
        platform::WriteStateQword(device::kMemoryAvail, 38ull << 20);
        platform::WriteStateDword(device::kBatteryPercent, 70);
        platform::WriteStateDword(device::kBatteryFlag, 1);
        platform::WriteStateDword(device::kACLine, 0);
    }
    void TearDown() override {
        item.reset();
        ResetItemRegistry();
    }

    void Start(const std::wstring& settings) {
        WriteSettingsText(settings);
        item = std::make_unique<TodayItemWindow>();
        item->Tray().notify = [this](DWORD message, NOTIFYICONDATAW& data) {
            calls.push_back({message, data.uID, data.hWnd, data.uCallbackMessage, data.hIcon});
            return TRUE;
        };
        item->GetLauncher().Services().shellExecute = [this](SHELLEXECUTEINFOW& info) {
            launched.push_back(info.lpFile ? info.lpFile : L"");
            return TRUE;
        };
        ASSERT_TRUE(item->Create(host.Hwnd()));
        ASSERT_TRUE(host.PumpUntil([this] { return item->View() && item->View()->GetType() != -2; }));
        // Ticks come when the test says.
        KillTimer(item->Hwnd(), timers::kStatus);
        SetWindowPos(item->Hwnd(), nullptr, 0, 0, 240, std::max(1, item->View()->GetHeight()), SWP_NOZORDER);
        host.Pump(30);
        ValidateRect(item->Hwnd(), nullptr);
        calls.clear();
    }

    ShortcutRecord& Home(int index) { return *item->GetSettings().Tabs()[0]->Shortcuts[index]; }

    // Whether the centre of a shortcut's picture waits to be painted.
    bool Invalid(const ShortcutRecord& shortcut) {
        const IconPlacement* placement = item->View()->PlacementOf(&shortcut);
        if (!placement) {
            return false;
        }
        HRGN region = CreateRectRgn(0, 0, 0, 0);
        GetUpdateRgn(item->Hwnd(), region, FALSE);
        const int dy = item->View()->ScrollOffset();
        const bool inside = PtInRegion(region, placement->originX + 4, placement->originY + dy + 4) != FALSE;
        DeleteObject(region);
        return inside;
    }

    std::vector<UINT> ModifiedIds() const {
        std::vector<UINT> ids;
        for (const NotifyCall& call : calls) {
            if (call.message == NIM_MODIFY) {
                ids.push_back(call.id);
            }
        }
        return ids;
    }

    TodayHost host;
    std::unique_ptr<TodayItemWindow> item;
    std::vector<NotifyCall> calls;
    std::vector<std::wstring> launched;
};

TEST_F(StatusRefreshTest, WithoutMetersNothingIsAskedOrRedrawn) {
    Start(L"[General]\r\nBehaviorMode=2\r\n[Tab1]\r\nName=Home\r\nShortcut1=\\Windows\\calc.exe\r\n");
    EXPECT_EQ(MeterKindsInUse(), 0u);
    const int before = item->Status().RedrawCount();
    platform::WriteStateQword(device::kMemoryAvail, 11ull << 20);
    item->Status().Refresh(statuskind::kAll);
    EXPECT_EQ(item->Status().LastChanged(), 0u);
    EXPECT_EQ(item->Status().RedrawCount(), before);
    RECT dirty;
    EXPECT_FALSE(GetUpdateRect(item->Hwnd(), &dirty, FALSE));
}

TEST_F(StatusRefreshTest, TicksRedrawOnlyTheMetersWhoseKindsChanged) {
    Start(SettingsText(false));
    EXPECT_EQ(MeterKindsInUse(), statuskind::kMemory | statuskind::kBattery | statuskind::kMainStorage |
                                     statuskind::kStorageCard);
    item->Status().platformMajorVersion = [] { return 5; };

    // Nothing changed: nothing is redrawn.
    bool pending = false;
    const int before = item->Status().RedrawCount();
    item->Status().Tick(pending);
    EXPECT_EQ(item->Status().LastMask(), statuskind::kMemory);
    EXPECT_EQ(item->Status().LastChanged(), 0u);
    EXPECT_EQ(item->Status().RedrawCount(), before);
    EXPECT_TRUE(calls.empty());
    RECT dirty;
    EXPECT_FALSE(GetUpdateRect(item->Hwnd(), &dirty, FALSE));

    // Memory moves: only the memory meter.
    platform::WriteStateQword(device::kMemoryAvail, 12ull << 20);
    item->Status().Tick(pending);
    EXPECT_EQ(item->Status().LastChanged(), statuskind::kMemory);
    EXPECT_TRUE(Invalid(Home(1))) << "the memory meter is redrawn";
    EXPECT_FALSE(Invalid(Home(0))) << "the battery meter is left alone";
    EXPECT_FALSE(Invalid(Home(3))) << "the storage meter is left alone";
    EXPECT_TRUE(calls.empty()) << "no tray meter shows memory";
    EXPECT_EQ(*MeterCaptionText(Home(1), 2), SizeText(12u << 20));
    EXPECT_EQ(*MeterCaptionText(Home(1), 3), L"Memory");
    EXPECT_FALSE(MeterCaptionText(Home(2), 2).has_value()) << "a program has its own caption";
    ValidateRect(item->Hwnd(), nullptr);

    // A file changed: main storage and cards at the next tick, redrawn whatever they read.
    pending = true;
    item->Status().Tick(pending);
    EXPECT_FALSE(pending);
    EXPECT_EQ(item->Status().LastMask(),
              statuskind::kMemory | statuskind::kMainStorage | statuskind::kStorageCard);
    EXPECT_EQ(item->Status().LastChanged(), item->Status().LastMask());
    EXPECT_TRUE(Invalid(Home(3)));
    EXPECT_TRUE(Invalid(Home(1)));
    EXPECT_FALSE(Invalid(Home(0)));
    EXPECT_EQ(ModifiedIds(), std::vector<UINT>{100}) << "the card meter in the tray";
    ValidateRect(item->Hwnd(), nullptr);
    calls.clear();

    // Windows Mobile 2003 looks at main storage every time.
    item->Status().platformMajorVersion = [] { return 4; };
    item->Status().Tick(pending);
    EXPECT_EQ(item->Status().LastMask(), statuskind::kMemory | statuskind::kMainStorage);
}

TEST_F(StatusRefreshTest, PowerNotificationsRedrawBatteryMetersAndTrayIcons) {
    Start(SettingsText(false));
    ASSERT_TRUE(item->Power().IsRunning());
    EXPECT_FALSE(item->Power().Polling());
    EXPECT_EQ(ProcessStatus().Percent(statuskind::kBattery), 70);
    HICON before = item->Tray().IconOf(102);
    ASSERT_NE(before, nullptr);
    const int redraws = item->Status().RedrawCount();

    platform::WriteStateDword(device::kBatteryPercent, 23);
    ASSERT_TRUE(host.PumpUntil([] { return ProcessStatus().Percent(statuskind::kBattery) == 23; }))
        << "the notification never reached the status record";
    ASSERT_TRUE(host.PumpUntil([this] { return !ModifiedIds().empty(); })) << "WM_APP + 9 never came";
    EXPECT_EQ(item->Status().LastMask(), statuskind::kBatteries);
    // A loaded device may deliver the state writes of the set-up as one more
    // notification: every one redraws the same two meters.
    for (UINT id : ModifiedIds()) {
        EXPECT_EQ(id, 102u) << "only the tray's battery meter";
    }
    const int redrawn = item->Status().RedrawCount() - redraws;
    EXPECT_EQ(redrawn, 2 * static_cast<int>(ModifiedIds().size()))
        << "the battery meter of the tab and of the tray at each notification";
    // The icon the notification area got last is the one kept (a handle freed
    // by an earlier notification may come back as a later icon's).
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(item->Tray().IconOf(102), calls.back().icon);
    if (ModifiedIds().size() == 1) {
        EXPECT_NE(item->Tray().IconOf(102), before) << "a new icon replaces the old one";
    }

    // Charging arrives with the battery flag; the notification carries no AC line.
    platform::WriteStateDword(device::kBatteryFlag, 9);
    EXPECT_TRUE(host.PumpUntil([] { return ProcessStatus().Power().charging; }));
}

// The power thread starts only after the first picture: a battery change in
// between is read when it starts, not left for the next change.
TEST_F(StatusRefreshTest, ABatteryChangeBeforeThePowerThreadStartsIsShown) {
    WriteSettingsText(SettingsText(false));
    item = std::make_unique<TodayItemWindow>();
    item->Tray().notify = [](DWORD, NOTIFYICONDATAW&) { return TRUE; };
    ASSERT_TRUE(item->Create(host.Hwnd()));
    // One message at a time, as the Today screen paints between them.
    const DWORD deadline = GetTickCount() + 8000;
    while (!(item->View() && item->View()->GetType() != -2) && static_cast<int>(deadline - GetTickCount()) > 0) {
        MSG msg;
        if (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            DispatchMessageW(&msg);
        } else {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
        }
    }
    ASSERT_TRUE(item->View() && item->View()->GetType() != -2);
    EXPECT_FALSE(item->Power().IsRunning()) << "the view is shown before the power thread starts";
    EXPECT_EQ(ProcessStatus().Percent(statuskind::kBattery), 70);
    const int redraws = item->Status().RedrawCount();

    platform::WriteStateDword(device::kBatteryPercent, 41);
    ASSERT_TRUE(host.PumpUntil([this] { return item->Power().IsRunning(); }));
    EXPECT_EQ(ProcessStatus().Percent(statuskind::kBattery), 41);
    EXPECT_GT(item->Status().RedrawCount(), redraws) << "the battery meters show the new value";
}

TEST_F(StatusRefreshTest, PollingReadsThePowerStatusAtEveryRefresh) {
    Start(SettingsText(false, L"UsePollingForBattery=1\r\n"));
    EXPECT_TRUE(item->Power().IsRunning());
    EXPECT_TRUE(item->Power().Polling());
    platform::WriteStateDword(device::kBatteryPercent, 33);
    host.Pump(300);
    EXPECT_EQ(ProcessStatus().Percent(statuskind::kBattery), 70) << "no notifications while polling";
    // What the 9-second poll posts: WM_APP + 9 with the battery kinds.
    SendMessageW(item->Hwnd(), WM_APP + 9, 0, statuskind::kBatteries);
    EXPECT_EQ(ProcessStatus().Percent(statuskind::kBattery), 33);
    EXPECT_EQ(ModifiedIds(), std::vector<UINT>{102});
}

// The pixels of a 120-pixel menu item on white after the shortcut's meter is
// drawn into its icon column.
std::vector<DWORD> MenuItemPixels(const ShortcutRecord& shortcut, bool* drawn = nullptr) {
    const int width = 120;
    const int height = ScaleY(20);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    DWORD* bits = nullptr;
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits), nullptr, 0);
    HGDIOBJ old = SelectObject(dc, bitmap);
    RECT all = {0, 0, width, height};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    DRAWITEMSTRUCT item = {};
    item.CtlType = ODT_MENU;
    item.hDC = dc;
    item.rcItem = all;
    const bool result = DrawMenuMeterPicture(item, shortcut);
    if (drawn) {
        *drawn = result;
    }
    GdiFlush();
    std::vector<DWORD> pixels(bits, bits + width * height);
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    return pixels;
}

int Green(const std::vector<DWORD>& pixels) {
    int green = 0;
    for (DWORD pixel : pixels) {
        const int r = (pixel >> 16) & 0xFF;
        const int g = (pixel >> 8) & 0xFF;
        const int b = pixel & 0xFF;
        green += g > r + 30 && g > b + 30;
    }
    return green;
}

TEST_F(StatusRefreshTest, MenusShowMetersAtTheirValue) {
    // Polling: no notification of the state writes can change the battery
    // between the pictures compared.
    Start(SettingsText(false, L"UsePollingForBattery=1\r\n"));
    platform::WriteStateDword(device::kBatteryPercent, 95);
    ProcessStatus().UpdatePower();
    bool drawn = false;
    const std::vector<DWORD> fullMenu = MenuItemPixels(Home(0), &drawn);
    EXPECT_TRUE(drawn);
    const int full = Green(fullMenu);
    platform::WriteStateDword(device::kBatteryPercent, 5);
    ProcessStatus().UpdatePower();
    const int empty = Green(MenuItemPixels(Home(0)));
    EXPECT_GT(full, 20) << "the battery in the icon column";
    EXPECT_LT(empty * 4, full);
    MenuItemPixels(Home(2), &drawn);
    EXPECT_FALSE(drawn) << "a program is no meter";

    // A large meter is drawn as its file draws it at the column's size (the
    // small battery of the tray), not squeezed from its large picture.
    platform::WriteStateDword(device::kBatteryPercent, 95);
    ProcessStatus().UpdatePower();
    const int column = ScaleX(16);
    ASSERT_EQ(Home(0).Meter()->Size, 2 * column);
    const ShortcutRecord& tray = *item->GetSettings().SpecialTab(SpecialTabType::ShellTray).Shortcuts[2];
    ASSERT_EQ(tray.Meter()->Size, column);
    HBITMAP small = RenderShortcutPicture(tray, column, RGB(255, 255, 255));
    ASSERT_NE(small, nullptr);
    std::vector<DWORD> expected(static_cast<std::size_t>(column) * column);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = column;
    info.bmiHeader.biHeight = -column;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    HDC screen = GetDC(nullptr);
    ASSERT_EQ(GetDIBits(screen, small, 0, column, expected.data(), &info, DIB_RGB_COLORS), column);
    ReleaseDC(nullptr, screen);
    DeleteObject(small);
    const std::vector<DWORD> menu = MenuItemPixels(Home(0));
    int differing = 0;
    for (int j = 0; j < column; ++j) {
        for (int i = 0; i < column; ++i) {
            differing += (menu[(j + ScaleY(2)) * 120 + i + ScaleX(2)] & 0xFFFFFF) !=
                         (expected[j * column + i] & 0xFFFFFF);
        }
    }
    EXPECT_EQ(differing, 0);
}

TEST_F(StatusRefreshTest, TrayIconsAreAddedInOrderAndAnswerTaps) {
    for (bool reverse : {false, true}) {
        SCOPED_TRACE(reverse ? "reverse order" : "normal order");
        Start(SettingsText(reverse));
        // Start cleared the calls; rebuild to watch them.
        item->Tray().Rebuild(item->Hwnd(), item->GetSettings());
        std::vector<UINT> added;
        for (const NotifyCall& call : calls) {
            if (call.message == NIM_ADD) {
                added.push_back(call.id);
                EXPECT_EQ(call.window, item->Hwnd());
                EXPECT_EQ(call.callback, static_cast<UINT>(WM_APP + 5));
                EXPECT_NE(call.icon, nullptr);
            }
        }
        EXPECT_EQ(added, reverse ? std::vector<UINT>({100, 101, 102}) : std::vector<UINT>({102, 101, 100}));
        EXPECT_EQ(item->Tray().Ids(), added);

        // A release without its press starts nothing; a press and release does.
        launched.clear();
        SendMessageW(item->Hwnd(), WM_APP + 5, 101, WM_LBUTTONUP);
        EXPECT_TRUE(launched.empty());
        SendMessageW(item->Hwnd(), WM_APP + 5, 101, WM_LBUTTONDOWN);
        SendMessageW(item->Hwnd(), WM_APP + 5, 101, WM_LBUTTONUP);
        ASSERT_EQ(launched.size(), 1u);
        EXPECT_EQ(launched[0], L"\\Windows\\notes.exe");
        item.reset();
        calls.clear();
    }
}

TEST_F(StatusRefreshTest, TrayMetersAreDrawnOverTheTrayColour) {
    Start(SettingsText(false));
    HICON icon = item->Tray().IconOf(102);
    ASSERT_NE(icon, nullptr);
    ICONINFO info = {};
    ASSERT_TRUE(GetIconInfo(icon, &info));
    BITMAP bitmap = {};
    GetObjectW(info.hbmColor, sizeof(bitmap), &bitmap);
    EXPECT_EQ(bitmap.bmWidth, 16) << "a small tray shortcut at 96 dpi";
    std::vector<DWORD> pixels(static_cast<std::size_t>(bitmap.bmWidth) * bitmap.bmHeight);
    BITMAPINFO request = {};
    request.bmiHeader.biSize = sizeof(request.bmiHeader);
    request.bmiHeader.biWidth = bitmap.bmWidth;
    request.bmiHeader.biHeight = -bitmap.bmHeight;
    request.bmiHeader.biPlanes = 1;
    request.bmiHeader.biBitCount = 32;
    HDC screen = GetDC(nullptr);
    GetDIBits(screen, info.hbmColor, 0, bitmap.bmHeight, pixels.data(), &request, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    EXPECT_EQ(pixels[0] & 0xFFFFFF, 0u) << "the corner shows the tray colour (black without a theme)";
    int lit = 0;
    for (DWORD p : pixels) {
        lit += (p & 0xFFFFFF) != 0;
    }
    EXPECT_GT(lit, 16) << "the battery is drawn over it";
}

} // namespace
