// The top meter bar in the hosted item, on a task bar of the test's own: where
// its window goes, how much of it is revealed for the battery and a card, the
// theme pictures for the screen's shape, what a tap does for each action, and
// the system status dialog with its figures and links.
#include "TodayHost.h"

#include "DeviceContract.h"
#include "CeShell.h"
#include "DeviceState.h"
#include "MeterDefinition.h"
#include "Module.h"
#include "Settings.h"
#include "StatusDialog.h"
#include "TodayItemWindow.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace norvane;
using namespace norvane::test;

namespace {

constexpr COLORREF kTaskBarColour = RGB(200, 0, 200);
constexpr int kTaskBarHeight = 26;

std::wstring SourcePath(const std::string& relative) {
    std::string path = "Z:" + std::string(NORVANE_SOURCE_DIR) + "/" + relative;
    for (char& c : path) {
        if (c == '/') {
            c = '\\';
        }
    }
    return std::wstring(path.begin(), path.end());
}

LRESULT CALLBACK TaskBarProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    auto paint = [hwnd](HDC dc) {
        RECT client;
        GetClientRect(hwnd, &client);
        HBRUSH brush = CreateSolidBrush(kTaskBarColour);
        FillRect(dc, &client, brush);
        DeleteObject(brush);
    };
    switch (msg) {
    case WM_PAINT: {
        PAINTSTRUCT ps;
        paint(BeginPaint(hwnd, &ps));
        EndPaint(hwnd, &ps);
        return 0;
    }
    case WM_PRINTCLIENT:
        paint(reinterpret_cast<HDC>(wp));
        return 0;
    default:
        return DefWindowProcW(hwnd, msg, wp, lp);
    }
}

HWND MakeWindow(const wchar_t* className, HWND parent, int width, int height) {
    WNDCLASSW wc = {};
    if (!GetClassInfoW(GetModuleHandleW(nullptr), className, &wc)) {
        wc.lpfnWndProc = TaskBarProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = className;
        RegisterClassW(&wc);
    }
    const DWORD style = (parent ? WS_CHILD : WS_POPUP) | WS_VISIBLE | WS_CLIPCHILDREN;
    return CreateWindowExW(0, className, L"", style, 0, 0, width, height, parent, nullptr,
                           GetModuleHandleW(nullptr), nullptr);
}

// The bar's picture: one row of pixels across it, as 0xRRGGBB.
std::vector<unsigned> BarRow(MeterBarWindow& bar, int row) {
    RECT client{};
    GetClientRect(bar.Hwnd(), &client);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = client.right;
    info.bmiHeader.biHeight = -client.bottom;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP section = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    ReleaseDC(nullptr, screen);
    HGDIOBJ old = SelectObject(dc, section);
    bar.PaintTo(dc);
    GdiFlush();
    std::vector<unsigned> pixels;
    if (bits && row < client.bottom) {
        const auto* line = static_cast<const unsigned*>(bits) + row * client.right;
        pixels.assign(line, line + client.right);
    }
    SelectObject(dc, old);
    DeleteObject(section);
    DeleteDC(dc);
    for (unsigned& p : pixels) {
        p &= 0xFFFFFF;
    }
    return pixels;
}

bool Greenish(unsigned pixel) {
    const int r = (pixel >> 16) & 0xFF, g = (pixel >> 8) & 0xFF, b = pixel & 0xFF;
    return g > r + 40 && g > b + 40;
}

// How many pixels from the left are green, the revealed part.
int RevealedWidth(const std::vector<unsigned>& row) {
    int width = 0;
    while (width < static_cast<int>(row.size()) && Greenish(row[width])) {
        ++width;
    }
    for (size_t x = width; x < row.size(); ++x) {
        if (Greenish(row[x])) {
            return -1; // green beyond the revealed part: a fault
        }
    }
    return width;
}

class MeterBarTest : public ::testing::Test {
protected:
    void SetUp() override {
        PrepareItemTest();
        platform::WriteStateDword(device::kBatteryPercent, 30);
        platform::WriteStateDword(device::kBatteryFlag, 1);
        platform::WriteStateDword(device::kACLine, 0);
        screenWidth = GetSystemMetrics(SM_CXSCREEN);
        taskBar = MakeWindow(L"HHTaskBar", nullptr, screenWidth, kTaskBarHeight);
        ASSERT_TRUE(taskBar);
    }
    void TearDown() override {
        item.reset();
        DestroyWindow(taskBar);
        ResetItemRegistry();
    }

    void Start(const std::wstring& general, const std::wstring& more = L"") {
        WriteSettingsText(L"[General]\r\nBehaviorMode=2\r\nAdditionalImagesPath=" +
                          SourcePath("artwork/out/theme/") + L"\r\n" + general +
                          L"[Tab1]\r\nName=Home\r\nShortcut1=\\Windows\\calc.exe\r\n" + more);
        item = std::make_unique<TodayItemWindow>();
        item->GetLauncher().Services().shellExecute = [this](SHELLEXECUTEINFOW& info) {
            launched.push_back(std::wstring(info.lpFile ? info.lpFile : L"") + L" " +
                               (info.lpParameters ? info.lpParameters : L""));
            return TRUE;
        };
        item->GetLauncher().Services().messageBox = [this](HWND, const std::wstring& text, UINT flags) {
            asked.push_back(text);
            askedFlags = flags;
            return answer;
        };
        ASSERT_TRUE(item->Create(host.Hwnd()));
        ASSERT_TRUE(host.PumpUntil([this] { return item->View() && item->View()->GetType() != -2; }));
        KillTimer(item->Hwnd(), timers::kStatus);
        host.Pump(20);
    }

    MeterBarWindow& Bar() { return item->MeterBar(); }

    TodayHost host;
    std::unique_ptr<TodayItemWindow> item;
    HWND taskBar = nullptr;
    int screenWidth = 0;
    std::vector<std::wstring> launched;
    std::vector<std::wstring> asked;
    UINT askedFlags = 0;
    int answer = IDNO;
};

TEST_F(MeterBarTest, BatteryBarSpansTheTaskBarAndRevealsThePercent) {
    Start(L"MeterBar=battery\r\n");
    ASSERT_TRUE(Bar().Hwnd()) << "the selection is compared without regard to case";
    EXPECT_EQ(Bar().Kinds(), statuskind::kBattery);
    EXPECT_TRUE(MeterKindsInUse() & statuskind::kBattery) << "the bar's kind is refreshed like a meter's";
    EXPECT_EQ(FindWindowExW(taskBar, nullptr, nullptr, L"NorvaneTopMeterBar"), Bar().Hwnd());
    EXPECT_TRUE(IsWindowVisible(Bar().Hwnd()));
    RECT bar{};
    GetWindowRect(Bar().Hwnd(), &bar);
    EXPECT_EQ(bar.left, 0);
    EXPECT_EQ(bar.top, 0);
    EXPECT_EQ(bar.right - bar.left, screenWidth);
    EXPECT_EQ(bar.bottom - bar.top, 4) << "as high as the background picture";
    const bool landscape = GetSystemMetrics(SM_CYSCREEN) < screenWidth;
    EXPECT_EQ(Bar().BackgroundName(),
              landscape ? L"top_indicator_background_ls.tga" : L"top_indicator_background.tga");

    std::vector<unsigned> row = BarRow(Bar(), 2);
    ASSERT_EQ(static_cast<int>(row.size()), screenWidth);
    EXPECT_EQ(RevealedWidth(row), 30 * screenWidth / 100);
    // Right of the revealed part the background picture lies over the task bar
    // and lets some of it through.
    const int plain = 30 * screenWidth / 100 + 1;
    if (plain < 240) {
        EXPECT_NE(row[plain], static_cast<unsigned>(0xC800C8));
        EXPECT_NE(row[plain] & 0xFF00FF, 0u);
    }

    // The battery moves: the power status arrives and the bar follows.
    platform::WriteStateDword(device::kBatteryPercent, 80);
    item->GetSettings().General.UsePollingForBattery = true;
    item->Status().Refresh(statuskind::kBattery);
    RECT dirty{};
    EXPECT_TRUE(GetUpdateRect(Bar().Hwnd(), &dirty, FALSE)) << "the bar is redrawn when its kind changes";
    EXPECT_EQ(RevealedWidth(BarRow(Bar(), 2)), 80 * screenWidth / 100);
}

TEST_F(MeterBarTest, SelectionsPlacementAndMissingPictures) {
    // A replacement title bar inside the task bar carries the bar.
    HWND other = MakeWindow(L"NorvaneTestOther", taskBar, 10, 10);
    HWND title = MakeWindow(L"WisBarAdv_FullBar", taskBar, screenWidth, kTaskBarHeight);
    Start(L"MeterBar=\\Storage Card\r\n");
    ASSERT_TRUE(Bar().Hwnd());
    EXPECT_EQ(GetParent(Bar().Hwnd()), title);
    EXPECT_EQ(Bar().Kinds(), statuskind::kStorageCard);
    EXPECT_EQ(Bar().StoragePath(), L"\\Storage Card");
    DestroyWindow(title);
    DestroyWindow(other);
    EXPECT_FALSE(Bar().Hwnd()) << "gone with its parent";

    // None removes the bar; any fixed name brings it back on the task bar.
    Bar().SetUp(L"NONE");
    EXPECT_EQ(Bar().Kinds(), 0u);
    EXPECT_FALSE(FindWindowExW(taskBar, nullptr, nullptr, L"NorvaneTopMeterBar"));
    Bar().SetUp(L"Main Storage");
    EXPECT_EQ(Bar().Kinds(), statuskind::kMainStorage);
    ASSERT_TRUE(Bar().Hwnd());
    EXPECT_EQ(GetParent(Bar().Hwnd()), taskBar);
    Bar().SetUp(L"");
    EXPECT_FALSE(Bar().Hwnd());

    // Without its pictures the bar hides rather than paint nothing over the task bar.
    item->GetSettings().General.AdditionalImagesPath = L"\\NoSuchFolder\\";
    Bar().SetUp(L"Memory");
    ASSERT_TRUE(Bar().Hwnd());
    EXPECT_FALSE(IsWindowVisible(Bar().Hwnd()));
}

TEST_F(MeterBarTest, TapActions) {
    Start(L"MeterBar=Battery\r\nTopBarMeterAction=1\r\n");
    ASSERT_TRUE(Bar().Hwnd());
    // The selection menu: the fixed choices, the cards, the current one checked.
    std::vector<std::wstring> items;
    std::vector<bool> checked;
    int choose = 4; // "Memory"
    Bar().storageCards = [] { return std::vector<std::wstring>{L"Storage Card", L"SD Card"}; };
    Bar().trackMenu = [&](HMENU menu, POINT) {
        items.clear();
        checked.clear();
        for (int i = 0; i < GetMenuItemCount(menu); ++i) {
            wchar_t text[64] = {};
            GetMenuStringW(menu, i, text, 64, MF_BYPOSITION);
            items.push_back(text);
            checked.push_back((GetMenuState(menu, i, MF_BYPOSITION) & MF_CHECKED) != 0);
        }
        return choose;
    };
    Bar().Tap(POINT{5, 5});
    EXPECT_EQ(items, (std::vector<std::wstring>{L"None", L"Battery", L"Backup Battery", L"Memory",
                                                L"Main Storage", L"\\Storage Card", L"\\SD Card"}));
    EXPECT_EQ(checked, (std::vector<bool>{false, true, false, false, false, false, false}));
    EXPECT_EQ(Bar().Kinds(), statuskind::kMemory);
    Settings saved;
    ASSERT_TRUE(saved.Load(SettingsFilePath()));
    EXPECT_EQ(saved.General.MeterBar, L"Memory") << "the choice is saved";
    // A card chosen, then a tap with no choice keeps it.
    choose = 7;
    Bar().Tap(POINT{5, 5});
    EXPECT_EQ(Bar().StoragePath(), L"\\SD Card");
    choose = 0;
    Bar().Tap(POINT{5, 5});
    EXPECT_EQ(checked.back(), true);
    EXPECT_EQ(Bar().Kinds(), statuskind::kStorageCard);

    // 3: the status dialog; 4 without a shortcut: the question, and Yes opens
    // the options on the Meter Bar Tab (one ordinary tab, then the seventh special one).
    int dialogs = 0;
    Bar().showStatusDialog = [&](HWND) { ++dialogs; };
    item->GetSettings().General.TopBarMeterAction = 3;
    Bar().Tap(POINT{5, 5});
    EXPECT_EQ(dialogs, 1);
    item->GetSettings().General.TopBarMeterAction = 4;
    answer = IDNO;
    Bar().Tap(POINT{5, 5});
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0], Module::Text(50076));
    EXPECT_EQ(askedFlags, static_cast<UINT>(MB_YESNO | MB_ICONQUESTION));
    EXPECT_TRUE(launched.empty()) << "No opens nothing";
    answer = IDYES;
    Bar().Tap(POINT{5, 5});
    ASSERT_EQ(launched.size(), 1u);
    EXPECT_NE(launched[0].find(L"/showtab:7"), std::wstring::npos) << launched[0];
    // With a shortcut on the Meter Bar Tab it is launched without a question.
    launched.clear();
    item->GetSettings().SpecialTab(SpecialTabType::MeterBar).AddShortcut().SetTarget(L"\\Windows\\calc.exe");
    Bar().Tap(POINT{5, 5});
    EXPECT_EQ(asked.size(), 2u);
    ASSERT_EQ(launched.size(), 1u);
    EXPECT_NE(launched[0].find(L"calc.exe"), std::wstring::npos);
    // 2: the task manager opens (and a second tap closes it).
    item->GetSettings().General.TopBarMeterAction = 2;
    ASSERT_FALSE(item->TaskManager().IsOpen());
    Bar().Tap(POINT{5, 5});
    EXPECT_TRUE(host.PumpUntil([this] { return item->TaskManager().IsOpen(); }, 3000));
    Bar().Tap(POINT{5, 5});
    EXPECT_TRUE(host.PumpUntil([this] { return !item->TaskManager().IsOpen(); }, 3000));
    // 0 and unknown values do nothing.
    for (int action : {0, 9}) {
        item->GetSettings().General.TopBarMeterAction = action;
        Bar().Tap(POINT{5, 5});
    }
    EXPECT_EQ(launched.size(), 1u);
    EXPECT_EQ(dialogs, 1);
}

TEST_F(MeterBarTest, StatusDialogFiguresAndLinks) {
    platform::WriteStateDword(device::kBatteryPercent, 100);
    platform::WriteStateDword(device::kACLine, 1);
    std::vector<std::wstring> started;
    LaunchHooks hooks;
    hooks.startProcess = [&](const std::wstring& program, const std::wstring& commandLine) {
        started.push_back(program + L" " + commandLine);
        return true;
    };
    hooks.fileExists = [](const std::wstring&) { return false; };
    HWND dialog = CreateStatusDialog(host.Hwnd(), hooks);
    ASSERT_TRUE(dialog);
    auto text = [dialog](int id) {
        wchar_t buffer[128] = {};
        GetDlgItemTextW(dialog, id, buffer, 128);
        return std::wstring(buffer);
    };
    EXPECT_EQ(text(statusdialog::kBatteryValue), L"Charging (100%)");
    EXPECT_EQ(text(statusdialog::kBatteryLabel), L"Battery Status:");
    EXPECT_EQ(text(statusdialog::kProgramFreeLabel), L"   Available:");
    EXPECT_EQ(text(IDOK), L"Close");
    const StatusDialogValues values = ReadStatusDialogValues();
    EXPECT_EQ(text(statusdialog::kProgramValue), values.programMemory);
    EXPECT_NE(values.programMemory, L"0M") << "the memory division comes from coredll.dll";
    EXPECT_EQ(text(statusdialog::kStorageFreeValue), values.storageAvailable);
    // Full screen from below the task bar down to the menu bar, with "ok" in
    // the task bar.
    RECT taskBar{}, window{};
    GetWindowRect(FindWindowW(L"HHTaskBar", nullptr), &taskBar);
    GetWindowRect(dialog, &window);
    EXPECT_EQ(window.left, 0);
    EXPECT_EQ(window.top, taskBar.bottom);
    EXPECT_EQ(window.right, GetSystemMetrics(SM_CXSCREEN));
    EXPECT_EQ(window.bottom, GetSystemMetrics(SM_CYSCREEN) - GetSystemMetrics(SM_CYMENU));
    EXPECT_TRUE(CeHasCaptionOkButton(dialog));

    // A tap on each link, then Enter on the power link.
    SendMessageW(GetDlgItem(dialog, statusdialog::kMemoryLink), BM_CLICK, 0, 0);
    SendMessageW(GetDlgItem(dialog, statusdialog::kPowerLink), BM_CLICK, 0, 0);
    SetFocus(GetDlgItem(dialog, statusdialog::kPowerLink));
    MSG enter{GetDlgItem(dialog, statusdialog::kPowerLink), WM_KEYDOWN, VK_RETURN, 0};
    IsDialogMessageW(dialog, &enter);
    EXPECT_EQ(started, (std::vector<std::wstring>{L"\\Windows\\ctlpnl.exe cplmain.cpl,4,0",
                                                  L"\\Windows\\ctlpnl.exe cplmain.cpl,3,0",
                                                  L"\\Windows\\ctlpnl.exe cplmain.cpl,3,0"}));
    ASSERT_TRUE(IsWindow(dialog)) << "Enter on a link does not close";
    SetFocus(GetDlgItem(dialog, IDOK));
    SendMessageW(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
    EXPECT_FALSE(IsWindow(dialog)) << "Close closes";
    EXPECT_EQ(started.size(), 3u);

    // The task bar's "ok" closes it even while a link has the focus.
    dialog = CreateStatusDialog(host.Hwnd(), hooks);
    ASSERT_TRUE(dialog);
    SetFocus(GetDlgItem(dialog, statusdialog::kMemoryLink));
    SendMessageW(dialog, WM_COMMAND, IDOK, 0);
    EXPECT_FALSE(IsWindow(dialog)) << "ok closes";
    EXPECT_EQ(started.size(), 3u) << "ok follows no link";
}

} // namespace
