// The item window hosted in a test Today screen: start-up, reload, view
// switching, height negotiation, minimize and maximize, and shutdown.
#include "TodayHost.h"

#include "DisplayScale.h"
#include "ImageLoader.h"
#include "Module.h"
#include "TodayItemWindow.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

using namespace norvane;
using namespace norvane::test;

namespace {

std::string Join(const std::vector<std::string>& steps) {
    std::ostringstream out;
    for (size_t i = 0; i < steps.size(); ++i) {
        out << (i ? " > " : "") << steps[i];
    }
    return out.str();
}

// Compares a recorded sequence with the expected one entry by entry and prints
// both whole sequences when they differ.
void ExpectSequence(const std::vector<std::string>& got, const std::vector<std::string>& expected) {
    bool same = got.size() == expected.size();
    for (size_t i = 0; same && i < got.size(); ++i) {
        same = got[i] == expected[i];
    }
    EXPECT_TRUE(same) << "expected: " << Join(expected) << "\n     got: " << Join(got);
}

class ItemTest : public ::testing::Test {
protected:
    void SetUp() override { PrepareItemTest(); }

    void TearDown() override {
        item.reset();
        ResetItemRegistry();
    }

    // Creates the item and runs it until its start-up has finished.
    void StartItem() {
        item = std::make_unique<TodayItemWindow>();
        item->Trace = [this](const char* step) { steps.push_back(step); };
        ASSERT_TRUE(item->Create(host.Hwnd()));
        ASSERT_TRUE(host.PumpUntil([this] { return item->View() && item->View()->GetType() != -2; }))
            << "the item never left its loading view";
    }

    int QueryHeight(TODAYLISTITEM& record, BOOL* changed = nullptr) {
        BOOL result = static_cast<BOOL>(SendMessageW(item->Hwnd(), WM_TODAYCUSTOM_QUERYREFRESHCACHE,
                                                     reinterpret_cast<WPARAM>(&record), 0));
        if (changed) {
            *changed = result;
        }
        return static_cast<int>(record.cyp);
    }

    // Broadcasts a settings change and waits until the reload it causes is done.
    void BroadcastSettingsChanged() {
        size_t reloads = std::count(steps.begin(), steps.end(), "power.start");
        PostMessageW(HWND_BROADCAST, Module::Messages().settingsChanged, 0, 0);
        ASSERT_TRUE(host.PumpUntil(
            [&] {
                return static_cast<size_t>(std::count(steps.begin(), steps.end(), "power.start")) > reloads;
            },
            8000))
            << "the broadcast did not reload the item";
    }

    TodayHost host;
    std::unique_ptr<TodayItemWindow> item;
    std::vector<std::string> steps;
};

TEST_F(ItemTest, WindowIsAScreenWideChildOfClassAndCaptionOfTheItem) {
    item = std::make_unique<TodayItemWindow>();
    ASSERT_TRUE(item->Create(host.Hwnd()));
    HWND hwnd = item->Hwnd();
    wchar_t cls[64] = {};
    GetClassNameW(hwnd, cls, 64);
    EXPECT_STREQ(cls, L"NorvaneWindowClass");
    wchar_t caption[64] = {};
    GetWindowTextW(hwnd, caption, 64);
    EXPECT_STREQ(caption, L"Norvane");
    LONG style = GetWindowLongW(hwnd, GWL_STYLE);
    EXPECT_TRUE((style & WS_CHILD) && (style & WS_VISIBLE));
    RECT rc;
    GetClientRect(hwnd, &rc);
    EXPECT_EQ(rc.right, GetSystemMetrics(SM_CXSCREEN));
    EXPECT_EQ(rc.bottom, 0);
    ASSERT_NE(item->View(), nullptr);
    EXPECT_EQ(item->View()->GetType(), -2) << "the item shows its loading view first";
    EXPECT_NE(ImagingService::Current(), nullptr) << "the window creates the imaging service";
}

TEST_F(ItemTest, StartUpWaitsForTheShellAndThenReloadsInOrder) {
    host.SetShellReady(false);
    item = std::make_unique<TodayItemWindow>();
    item->Trace = [this](const char* step) { steps.push_back(step); };
    ASSERT_TRUE(item->Create(host.Hwnd()));
    host.Pump(120);
    EXPECT_EQ(item->View()->GetType(), -2) << "no start-up before the shell is ready";
    ExpectSequence(steps, {"create", "view.switch"});
    host.SetShellReady(true);
    // Registering for change notices is start-up's last step, on the timer's
    // next tick after the view is there.
    ASSERT_TRUE(host.PumpUntil(
        [this] { return !steps.empty() && steps.back() == std::string("changenotify.register"); }));
    ExpectSequence(steps, {"create", "view.switch", "startup", "power.stop", "settings.load", "view.switch",
                           "trayicons.rebuild", "softkeys.assign", "messagewindow.reload", "status.restart",
                           "meterbar.rebuild", "power.start", "changenotify.register"});
    EXPECT_TRUE(item->Power().IsRunning());
    EXPECT_EQ(item->Status().LastMask(), 31u) << "reload runs one full status refresh";
}

TEST_F(ItemTest, ShutdownUndoesStartUpInOrder) {
    StartItem();
    steps.clear();
    DestroyWindow(item->Hwnd());
    ExpectSequence(steps, {"imaging.release", "meterbar.destroy", "changenotify.deregister", "icons.free",
                           "messagewindow.reload", "subwindows.destroy", "power.stop", "trayicons.remove",
                           "softkeys.restore", "status.kill", "taskmanager.destroy", "class.unregister"});
    EXPECT_FALSE(item->Power().IsRunning());
    EXPECT_EQ(ImagingService::Current(), nullptr) << "shutdown releases the imaging service";
    EXPECT_EQ(FindWindowW(nullptr, L"Norvane_FloatingPanel"), nullptr)
        << "the floating panel went with the item";
}

TEST_F(ItemTest, BehaviorModeChoosesTheViewAndASettingsBroadcastSwitchesIt) {
    StartItem();
    EXPECT_EQ(item->View()->GetType(), 4) << "the default BehaviorMode is the thumb-tabs view";
    const struct {
        const wchar_t* mode;
        int type;
    } cases[] = {{L"3", 3}, {L"2", 2}, {L"4", 4}, {L"1", 2}, {L"0", 2}, {L"7", 2}};
    for (const auto& c : cases) {
        WriteSettingsText(std::wstring(L"\r\n[General]\r\nBehaviorMode=") + c.mode + L"\r\n");
        BroadcastSettingsChanged();
        EXPECT_EQ(item->View()->GetType(), c.type) << "BehaviorMode=" << static_cast<char>(c.mode[0]);
    }
    ASSERT_FALSE(host.BroadcastHeights().empty()) << "every view switch broadcasts the height";
}

TEST_F(ItemTest, HeightQueryWhileLoadingAnswersTheStoredHeight) {
    WriteItemValue(L"LastHeight", 77);
    host.SetShellReady(false);
    item = std::make_unique<TodayItemWindow>();
    ASSERT_TRUE(item->Create(host.Hwnd()));
    TODAYLISTITEM record = {};
    BOOL changed = FALSE;
    EXPECT_EQ(QueryHeight(record, &changed), 77);
    EXPECT_TRUE(changed);
    EXPECT_EQ(QueryHeight(record, &changed), 77);
    EXPECT_FALSE(changed) << "the same height again is no change";

    // Stored at half this resolution (QVGA before a switch to VGA): too small
    // for the loading text, so the loading view's own height is asked instead.
    WriteItemValue(L"LastHeight", static_cast<DWORD>(ScaleY(26) / 2));
    TODAYLISTITEM fresh = {};
    EXPECT_EQ(QueryHeight(fresh, &changed), ScaleY(26))
        << "a stored height that cannot hold the loading view";
    EXPECT_TRUE(changed);
}

TEST_F(ItemTest, UnchangedHeightIsNotWrittenAgain) {
    StartItem();
    TODAYLISTITEM record = {};
    int height = QueryHeight(record);
    ASSERT_GT(height, 0);
    ResetItemRegistry();
    BOOL changed = TRUE;
    EXPECT_EQ(QueryHeight(record, &changed), height);
    EXPECT_FALSE(changed);
    DWORD stored = 0;
    EXPECT_FALSE(ReadItemValue(L"LastHeight", stored)) << "an unchanged height is not written again";
}

TEST_F(ItemTest, HeightQueryWhileLoadingWithoutStoredValues) {
    host.SetShellReady(false);
    item = std::make_unique<TodayItemWindow>();
    ASSERT_TRUE(item->Create(host.Hwnd()));
    TODAYLISTITEM record = {};
    EXPECT_EQ(QueryHeight(record), ScaleY(26));
    DWORD stored = 0;
    ASSERT_TRUE(ReadItemValue(L"LastHeight", stored));
    EXPECT_EQ(stored, static_cast<DWORD>(ScaleY(26)));

    WriteItemValue(L"MinimizeOnRefresh", 1);
    BOOL changed = FALSE;
    EXPECT_EQ(static_cast<int>(static_cast<DWORD>(QueryHeight(record, &changed))), -1)
        << "a minimized item collapses while loading";
    EXPECT_TRUE(changed);
    TODAYLISTITEM collapsed = {};
    QueryHeight(collapsed, &changed);
    EXPECT_FALSE(changed) << "a record with no height stays collapsed without a change";
}

TEST_F(ItemTest, MinimizeAndMaximizeToggleTheStoredState) {
    WriteSettingsText(
        L"\r\n[General]\r\nBehaviorMode=2\r\nHeightInPixels=60\r\nLandscapeHeightInPixel=60\r\n");
    StartItem();
    TODAYLISTITEM record = {};
    EXPECT_EQ(QueryHeight(record), 60);

    SendMessageW(item->Hwnd(), WM_APP + 17, 0, 0);
    ASSERT_TRUE(host.PumpUntil([this] { return item->View()->GetType() == -3; }))
        << "minimize did not happen";
    DWORD stored = 0;
    ASSERT_TRUE(ReadItemValue(L"MinimizeOnRefresh", stored));
    EXPECT_EQ(stored, 1u);
    BOOL changed = FALSE;
    EXPECT_EQ(static_cast<int>(static_cast<DWORD>(QueryHeight(record, &changed))), -1);
    EXPECT_TRUE(changed);

    // A reload keeps the item minimized.
    BroadcastSettingsChanged();
    EXPECT_EQ(item->View()->GetType(), -3);

    SendMessageW(item->Hwnd(), WM_APP + 17, 0, 0);
    EXPECT_EQ(item->View()->GetType(), 2) << "maximize returns to the BehaviorMode view";
    EXPECT_FALSE(ReadItemValue(L"MinimizeOnRefresh", stored)) << "maximize deletes the stored state";
    EXPECT_EQ(QueryHeight(record, &changed), 60);
    EXPECT_TRUE(changed);
    EXPECT_TRUE(host.PumpUntil([&] {
        return !host.BroadcastHeights().empty() && host.BroadcastHeights().back() == 60;
    })) << "the maximized view broadcasts its height";
}

TEST_F(ItemTest, MinimizeWithRefreshOnMinimizeAsksTheTodayScreenToLayOut) {
    WriteSettingsText(L"\r\n[General]\r\nBehaviorMode=2\r\nRefreshOnMinimize=1\r\n");
    StartItem();
    int before = host.SettingChangeCount();
    SendMessageW(item->Hwnd(), WM_APP + 17, 0, 0);
    ASSERT_TRUE(host.PumpUntil([&] { return host.SettingChangeCount() > before; }));
    EXPECT_EQ(item->View()->GetType(), 2) << "the view stays until the next height query";
    TODAYLISTITEM record = {};
    record.cyp = 40;
    EXPECT_EQ(static_cast<int>(static_cast<DWORD>(QueryHeight(record))), -1)
        << "the Today screen's next height query collapses the item";
    EXPECT_EQ(item->View()->GetType(), -3);
}

TEST_F(ItemTest, TrueVgaChangeRebuildsTheViewWithDoubledMeasures) {
    WriteSettingsText(L"\r\n[General]\r\nBehaviorMode=2\r\nTrueVGA=0\r\n");
    StartItem();
    EXPECT_FALSE(TrueVga());
    int small = ScaleY(26);
    steps.clear();
    WriteSettingsText(L"\r\n[General]\r\nBehaviorMode=2\r\nTrueVGA=1\r\n");
    BroadcastSettingsChanged();
    EXPECT_TRUE(TrueVga());
    EXPECT_TRUE(HiResDisplay());
    EXPECT_EQ(ScaleY(26), 2 * small);
    EXPECT_NE(std::find(steps.begin(), steps.end(), "view.destroy"), steps.end())
        << "the view is rebuilt when true VGA changes: " << Join(steps);
    DWORD mirrored = 0;
    ASSERT_TRUE(ReadItemValue(L"TrueVGA", mirrored));
    EXPECT_EQ(mirrored, 1u);
    SetDisplayFlags(false, false);
}

TEST_F(ItemTest, SeparatorColourFollowsTheSettingOrTheSystemColour) {
    WriteSettingsText(L"\r\n[General]\r\nLineSeparatorsColor=10,20,30\r\n");
    StartItem();
    EXPECT_EQ(item->SeparatorColour(), RGB(10, 20, 30));
    WriteSettingsText(L"\r\n[General]\r\nLineSeparatorsColor=255,255,255\r\n");
    BroadcastSettingsChanged();
    EXPECT_EQ(item->SeparatorColour(), SystemColour(6, RGB(0x73, 0x8E, 0xEF)));
}

TEST_F(ItemTest, KeyboardSelectionEntersTheFirstShortcutAndLeavesCleanly) {
    WriteSettingsText(
        L"\r\n[General]\r\nBehaviorMode=2\r\n\r\n[Tab1]\r\nName=A\r\nShortcut1=\\Windows\\a.lnk\r\n"
        L"Shortcut2=\\Windows\\b.lnk\r\n");
    StartItem();
    // Coming from above, the tab bar on top takes the selection first.
    EXPECT_TRUE(SendMessageW(item->Hwnd(), WM_TODAYCUSTOM_RECEIVEDSELECTION, VK_DOWN, 0));
    EXPECT_EQ(item->SelectedShortcut(), nullptr);
    EXPECT_TRUE(item->View()->IsTabBarFocused());
    EXPECT_FALSE(SendMessageW(item->Hwnd(), WM_TODAYCUSTOM_LOSTSELECTION, 0, 0));
    // Coming from below, the icons take it.
    EXPECT_TRUE(SendMessageW(item->Hwnd(), WM_TODAYCUSTOM_RECEIVEDSELECTION, VK_UP, 0));
    ASSERT_NE(item->SelectedShortcut(), nullptr);
    EXPECT_EQ(item->SelectedShortcut()->Target(), L"\\Windows\\a.lnk");
    EXPECT_TRUE(item->HoldsTodaySelection());
    EXPECT_FALSE(SendMessageW(item->Hwnd(), WM_TODAYCUSTOM_LOSTSELECTION, 0, 0));
    EXPECT_EQ(item->SelectedShortcut(), nullptr);
    EXPECT_FALSE(item->HoldsTodaySelection());

    WriteSettingsText(L"\r\n[General]\r\nDPadSupport=0\r\n");
    BroadcastSettingsChanged();
    EXPECT_FALSE(SendMessageW(item->Hwnd(), WM_TODAYCUSTOM_RECEIVEDSELECTION, VK_DOWN, 0))
        << "without D-pad support the selection is refused";
}

TEST_F(ItemTest, BadSettingsFilesNeverStopTheItem) {
    StartItem();
    std::string garbage;
    for (int i = 0; i < 5000; ++i) {
        garbage += static_cast<char>((i * 7919) % 256);
    }
    const std::string files[] = {std::string(), garbage, std::string("\xFF\xFE[", 3),
                                 std::string("\xFF\xFE[\0G\0", 6)};
    for (const std::string& bytes : files) {
        WriteSettingsBytes(bytes);
        BroadcastSettingsChanged();
        ASSERT_TRUE(IsWindow(item->Hwnd()));
        ASSERT_FALSE(item->GetSettings().Tabs().empty()) << "a broken file still gives one tab";
    }
    std::wstring many = L"\r\n[General]\r\nBehaviorMode=2\r\n";
    for (int i = 1; i <= 1000; ++i) {
        many +=
            L"[Tab" + std::to_wstring(i) + L"]\r\nName=T" + std::to_wstring(i) + L"\r\nShortcut1=x.lnk\r\n";
    }
    WriteSettingsText(many);
    BroadcastSettingsChanged();
    EXPECT_EQ(item->GetSettings().Tabs().size(), 1000u);
    EXPECT_EQ(item->View()->VisibleTabs().size(), 1000u);
    TODAYLISTITEM record = {};
    EXPECT_GT(QueryHeight(record), 0);
}

TEST_F(ItemTest, LoadingViewPaintsTheLoadingTextOverTheTodayBackground) {
    host.SetShellReady(false);
    item = std::make_unique<TodayItemWindow>();
    ASSERT_TRUE(item->Create(host.Hwnd()));
    SetWindowPos(item->Hwnd(), nullptr, 0, 0, 240, 26, SWP_NOZORDER);
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = 240;
    bi.bmiHeader.biHeight = -26;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP dib = CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(dc, dib);
    SendMessageW(item->Hwnd(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
    GdiFlush();
    const auto* pixels = static_cast<const DWORD*>(bits);
    auto rgb = [](DWORD bgra) { return RGB((bgra >> 16) & 0xFF, (bgra >> 8) & 0xFF, bgra & 0xFF); };
    EXPECT_EQ(rgb(pixels[0]), kHostBackground) << "the corner shows the Today background";
    int textPixels = 0;
    for (int i = 0; i < 240 * 26; ++i) {
        textPixels += rgb(pixels[i]) != kHostBackground;
    }
    EXPECT_GT(textPixels, 20) << "the loading text is drawn";
    bool hasTextColour = false;
    for (int i = 0; i < 240 * 26 && !hasTextColour; ++i) {
        hasTextColour = rgb(pixels[i]) == kHostTextColour;
    }
    EXPECT_TRUE(hasTextColour) << "in the Today screen's text colour";
    SelectObject(dc, old);
    DeleteObject(dib);
    DeleteDC(dc);
}

} // namespace
