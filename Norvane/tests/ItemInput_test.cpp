// The stylus and the keys on the item hosted in the test Today screen: taps
// that launch, holds that open the caption popup, drags that move shortcuts
// (within a tab, onto another tab, to free positions) and are saved, tab-bar
// taps, the thumb tabs' popup panel and the Today screen's direction keys.
// Stylus messages are sent the way the window manager delivers them; the
// gesture recognition reads a scripted stylus.
#include "TodayHost.h"

#include "Aygshell.h"
#include "DisplayScale.h"
#include "Module.h"
#include "SettingsFile.h"
#include "TabView.h"
#include "TodayItemWindow.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace norvane;
using namespace norvane::test;

namespace {

LPARAM At(POINT pt) {
    return MAKELPARAM(pt.x, pt.y);
}

POINT Centre(const LayoutRect& r) {
    return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

std::wstring Tab(int number, const std::wstring& name, std::initializer_list<const wchar_t*> targets,
                 const std::wstring& extra = L"") {
    std::wstring text = L"[Tab" + std::to_wstring(number) + L"]\r\nName=" + name + L"\r\nUniqueID=" +
                        std::to_wstring(number) + L"\r\n" + extra;
    int i = 1;
    for (const wchar_t* target : targets) {
        text += L"Shortcut" + std::to_wstring(i++) + L"=" + target + L"\r\n";
    }
    return text;
}

const wchar_t kGeneral[] = L"\r\n[General]\r\nBehaviorMode=2\r\nBottomAlign=0\r\nIconDisplayMode=0\r\n"
                           L"HideSettingsBtn=1\r\nTabWidth=60\r\nDeferIconLoading=1\r\n";

class ItemInputTest : public ::testing::Test {
protected:
    void SetUp() override {
        PrepareItemTest();
        platform::SetStylusSource([this] { return platform::StylusSample{stylusDown, stylusAt}; });
    }

    void TearDown() override {
        item.reset();
        platform::SetStylusSource({});
        ResetItemRegistry();
    }

    void Start(const std::wstring& settings) {
        WriteSettingsText(settings);
        item = std::make_unique<TodayItemWindow>();
        LauncherServices& services = item->GetLauncher().Services();
        services.shellExecute = [this](SHELLEXECUTEINFOW& info) {
            launched.push_back(info.lpFile ? info.lpFile : L"");
            return TRUE;
        };
        services.messageBox = [this](HWND, const std::wstring& text, UINT) {
            messages.push_back(text);
            return IDNO;
        };
        services.installFolder = [] { return std::wstring(L"\\Program Files\\Norvane\\"); };
        ASSERT_TRUE(item->Create(host.Hwnd()));
        ASSERT_TRUE(host.PumpUntil([this] { return item->View() && item->View()->GetType() != -2; }));
        SetWindowPos(item->Hwnd(), nullptr, 0, 0, 240, std::max(1, item->View()->GetHeight()), SWP_NOZORDER);
        host.Pump(20);
    }

    TabView& View() { return *static_cast<TabView*>(item->View()); }
    ShortcutRecord& Shortcut(int index) { return *item->CurrentTabRecord()->Shortcuts[index]; }
    POINT IconCentre(int index) { return Centre(View().PlacementOf(&Shortcut(index))->icon); }
    POINT TabCentre(int tab) {
        for (const auto& entry : View().Strip().tabs) {
            if (entry.index == tab) {
                return Centre(entry.rect);
            }
        }
        return POINT{-1, -1};
    }

    // A tap: down and up at once (the gesture sees a lifted stylus).
    void Tap(HWND window, POINT pt) {
        stylusDown = false;
        SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, At(pt));
        SendMessageW(window, WM_LBUTTONUP, 0, At(pt));
    }
    // A hold: the stylus stays down until the gesture answers.
    void Hold(HWND window, POINT pt) {
        stylusDown = true;
        stylusAt = pt;
        ClientToScreen(window, &stylusAt);
        SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, At(pt));
        stylusDown = false;
    }
    // hoverUntil: the stylus stays at the path's end until it holds; a fixed
    // pause lost to a loaded machine, where the hover's half second came late.
    void Drag(HWND window, POINT from, const std::vector<POINT>& path,
              const std::function<bool()>& hoverUntil = nullptr) {
        stylusDown = false;
        SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, At(from));
        for (POINT pt : path) {
            SendMessageW(window, WM_MOUSEMOVE, MK_LBUTTON, At(pt));
        }
        if (hoverUntil) {
            host.PumpUntil(hoverUntil);
        }
        SendMessageW(GetCapture() ? GetCapture() : window, WM_LBUTTONUP, 0, At(path.back()));
    }

    std::string FileBytes() { return ReadFileBytes(SettingsFilePath()); }
    // The shortcut targets of an ordinary tab as a fresh load of the file sees them.
    std::vector<std::wstring> TargetsOnDisk(int tab) {
        Settings settings;
        settings.Load();
        std::vector<std::wstring> targets;
        for (const auto& shortcut : settings.Tabs().at(tab)->Shortcuts) {
            targets.push_back(shortcut->Target());
        }
        return targets;
    }

    TodayHost host;
    std::unique_ptr<TodayItemWindow> item;
    bool stylusDown = false;
    POINT stylusAt{};
    std::vector<std::wstring> launched;
    std::vector<std::wstring> messages;
};

TEST_F(ItemInputTest, TapsLaunchAndSmallMovesStayTaps) {
    Start(std::wstring(kGeneral) +
          Tab(1, L"One", {L"\\Windows\\a.exe", L"\\Windows\\b.exe", L"\\Windows\\c.exe"}));
    HWND window = item->Hwnd();
    Tap(window, IconCentre(1));
    ASSERT_EQ(launched, (std::vector<std::wstring>{L"\\Windows\\b.exe"}));
    EXPECT_EQ(item->SelectedShortcut(), &Shortcut(1)) << "a tap selects for a moment";

    // Five scaled pixels of movement keep the press a tap; one more starts a drag.
    POINT from = IconCentre(0);
    Drag(window, from, {POINT{from.x + ScaleX(5), from.y}});
    EXPECT_EQ(launched.size(), 2u) << "a small move is still a tap";
    EXPECT_EQ(launched.back(), L"\\Windows\\a.exe");
    Drag(window, from, {POINT{from.x + ScaleX(5) + 1, from.y}});
    EXPECT_EQ(launched.size(), 2u) << "a drag launches nothing";
    EXPECT_FALSE(item->IsDragging());

    // A quick second tap arrives as a double click and still launches.
    SendMessageW(window, WM_LBUTTONDBLCLK, MK_LBUTTON, At(IconCentre(2)));
    SendMessageW(window, WM_LBUTTONUP, 0, At(IconCentre(2)));
    ASSERT_EQ(launched.size(), 3u);
    EXPECT_EQ(launched.back(), L"\\Windows\\c.exe");

    // A release over empty room launches nothing; a release without a press neither.
    SendMessageW(window, WM_LBUTTONUP, 0, At(IconCentre(2)));
    EXPECT_EQ(launched.size(), 3u);
    Tap(window, POINT{230, View().GetHeight() - 3});
    EXPECT_EQ(launched.size(), 3u);
    EXPECT_TRUE(messages.empty());
}

TEST_F(ItemInputTest, WithoutDraggingAMovedPressLaunchesWhatIsUnderTheRelease) {
    Start(std::wstring(kGeneral) + L"AllowDragAndDropOnShortcuts=0\r\nFreeIconPlacement=0\r\n" +
          Tab(1, L"One", {L"\\Windows\\a.exe", L"\\Windows\\b.exe", L"\\Windows\\c.exe"}));
    const std::string before = FileBytes();
    Drag(item->Hwnd(), IconCentre(0), {IconCentre(1), IconCentre(2)});
    EXPECT_FALSE(item->IsDragging());
    EXPECT_EQ(launched, (std::vector<std::wstring>{L"\\Windows\\c.exe"}));
    EXPECT_EQ(FileBytes(), before) << "nothing moved, nothing saved";
}

TEST_F(ItemInputTest, HoldShowsTheCaptionPopupUntilTheStylusLifts) {
    Start(std::wstring(kGeneral) + L"ShowShortcutContextMenu=0\r\n" +
          Tab(1, L"One", {L"\\Windows\\Calculator.exe", L"\\Windows\\b.exe"}));
    HWND window = item->Hwnd();
    Hold(window, IconCentre(0));
    HWND popup = item->Captions().Hwnd();
    ASSERT_TRUE(IsWindowVisible(popup));
    EXPECT_EQ(item->Captions().Text(), Shortcut(0).Caption());
    EXPECT_FALSE(item->Captions().Text().empty());
    EXPECT_EQ(GetCapture(), popup) << "the popup keeps the stylus";
    RECT rc;
    GetWindowRect(popup, &rc);
    EXPECT_GE(rc.left, ScaleX(2));
    EXPECT_GE(rc.top, GetSystemMetrics(SM_CYCAPTION) + ScaleY(2));
    EXPECT_LE(rc.right, std::max<LONG>(ScaleX(240), rc.right - rc.left + 2));
    EXPECT_TRUE(launched.empty()) << "a hold is no tap";
    SendMessageW(popup, WM_LBUTTONUP, 0, 0);
    EXPECT_FALSE(IsWindowVisible(popup));
    EXPECT_NE(GetCapture(), popup);
    // The release after the hold reaches nobody else: nothing launches.
    SendMessageW(window, WM_LBUTTONUP, 0, At(IconCentre(0)));
    EXPECT_TRUE(launched.empty());
}

TEST_F(ItemInputTest, DragsReorderAndMoveToAnotherTabAndAreSaved) {
    Start(std::wstring(kGeneral) +
          Tab(1, L"One", {L"\\Windows\\a.exe", L"\\Windows\\b.exe", L"\\Windows\\c.exe"}) +
          Tab(2, L"Two", {L"\\Windows\\x.exe"}));
    HWND window = item->Hwnd();
    // a between b and c: one icon of the others comes before the drop point.
    POINT b = IconCentre(1);
    POINT c = IconCentre(2);
    POINT between{(b.x + c.x) / 2, b.y};
    Drag(window, IconCentre(0), {POINT{between.x - 10, between.y}, between});
    EXPECT_EQ(TargetsOnDisk(0),
              (std::vector<std::wstring>{L"\\Windows\\b.exe", L"\\Windows\\a.exe", L"\\Windows\\c.exe"}));
    EXPECT_TRUE(launched.empty());

    // c onto the second tab: hovering there for half a second opens it.
    POINT other = TabCentre(1);
    ASSERT_NE(other.x, -1);
    Drag(window, IconCentre(2), {POINT{other.x - 20, other.y}, other},
         [&] { return item->CurrentTab() == 1; });
    EXPECT_EQ(item->CurrentTab(), 1) << "hovering opened the tab";
    EXPECT_EQ(TargetsOnDisk(0), (std::vector<std::wstring>{L"\\Windows\\b.exe", L"\\Windows\\a.exe"}));
    EXPECT_EQ(TargetsOnDisk(1), (std::vector<std::wstring>{L"\\Windows\\x.exe", L"\\Windows\\c.exe"}));
    EXPECT_EQ(item->CurrentTabRecord()->Shortcuts.size(), 2u) << "the screen shows the moved shortcut";

    // A drop that cannot be saved is told, and the screen keeps the change.
    const std::string saved = FileBytes();
    item->GetSettings().SetPath(L"C:\\no such folder\\deeper\\Norvane.ini");
    Drag(window, IconCentre(0), {POINT{IconCentre(1).x + 12, IconCentre(1).y}});
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].find(L"no such folder"), std::wstring::npos) << messages[0];
    EXPECT_EQ(item->CurrentTabRecord()->Shortcuts[1]->Target(), L"\\Windows\\x.exe");
    EXPECT_EQ(FileBytes(), saved);
    item->GetSettings().SetPath(SettingsFilePath());

    // A drag whose stylus is taken away (a message box) moves nothing.
    const std::string before = FileBytes();
    stylusDown = false;
    SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, At(IconCentre(0)));
    SendMessageW(window, WM_MOUSEMOVE, MK_LBUTTON, At(POINT{IconCentre(0).x + 30, IconCentre(0).y}));
    ASSERT_TRUE(item->IsDragging());
    ReleaseCapture();
    EXPECT_FALSE(item->IsDragging());
    EXPECT_EQ(FileBytes(), before);
}

TEST_F(ItemInputTest, FreePlacementFollowsTheStylusInThisOrientationOnly) {
    Start(std::wstring(kGeneral) + L"FreeIconPlacement=1\r\nAllowDragAndDropOnShortcuts=0\r\n" +
          Tab(1, L"One", {L"\\Windows\\a.exe", L"\\Windows\\b.exe"}));
    const IconPlacement before = *View().PlacementOf(&Shortcut(1));
    POINT from = IconCentre(1);
    POINT to{from.x + 40, from.y + 7};
    Drag(item->Hwnd(), from, {POINT{from.x + 20, from.y}, to});
    Settings onDisk;
    onDisk.Load();
    const TabRecord& tab = *onDisk.Tabs().at(0);
    const bool landscape = GetSystemMetrics(SM_CYSCREEN) < GetSystemMetrics(SM_CXSCREEN);
    EXPECT_EQ(landscape ? tab.FreePlacedLandscape : tab.FreePlacedPortrait, true);
    EXPECT_EQ(landscape ? tab.FreePlacedPortrait : tab.FreePlacedLandscape, false);
    // Dropped past the other icon: it goes last, and stands where it was dropped.
    const ShortcutRecord& moved = *tab.Shortcuts.back();
    EXPECT_EQ(moved.Target(), L"\\Windows\\b.exe");
    SettingsPoint stored = landscape ? moved.LocationLandscape() : moved.LocationPortrait();
    EXPECT_EQ(stored.x, before.stored.x + 40);
    EXPECT_EQ(stored.y, before.stored.y + 7);
    const IconPlacement* now = View().PlacementOf(item->CurrentTabRecord()->Shortcuts.back().get());
    ASSERT_NE(now, nullptr);
    EXPECT_EQ(now->hit.left, before.hit.left + 40) << "the screen shows it there too";
}

TEST_F(ItemInputTest, DirectionKeysWalkTheIconsAndTheTabBar) {
    Start(std::wstring(kGeneral) + Tab(1, L"One", {L"\\Windows\\a.exe", L"\\Windows\\b.exe"}) +
          Tab(2, L"Two", {L"\\Windows\\x.exe"}));
    HWND window = item->Hwnd();
    auto key = [&](UINT msg, int vk) { return SendMessageW(window, msg, vk, 0); };
    // The Today selection arrives from above: the tab bar on top takes it first.
    EXPECT_EQ(key(WM_TODAYCUSTOM_RECEIVEDSELECTION, VK_DOWN), TRUE);
    EXPECT_TRUE(View().IsTabBarFocused());
    EXPECT_EQ(key(WM_TODAYCUSTOM_USERNAVIGATION, VK_RIGHT), TRUE);
    EXPECT_EQ(item->CurrentTab(), 1) << "right on the tab bar opens the next tab";
    EXPECT_EQ(key(WM_TODAYCUSTOM_USERNAVIGATION, VK_RIGHT), FALSE) << "no tab beyond the last";
    EXPECT_EQ(key(WM_TODAYCUSTOM_USERNAVIGATION, VK_LEFT), TRUE);
    EXPECT_EQ(item->CurrentTab(), 0);
    EXPECT_EQ(key(WM_TODAYCUSTOM_USERNAVIGATION, VK_DOWN), TRUE) << "down leaves the bar for the icons";
    EXPECT_FALSE(View().IsTabBarFocused());
    EXPECT_EQ(item->SelectedShortcut(), &Shortcut(0));
    EXPECT_EQ(key(WM_TODAYCUSTOM_USERNAVIGATION, VK_RIGHT), TRUE);
    EXPECT_EQ(item->SelectedShortcut(), &Shortcut(1));
    EXPECT_EQ(key(WM_TODAYCUSTOM_USERNAVIGATION, VK_RIGHT), FALSE) << "wrap-around hands the key back";
    EXPECT_EQ(item->SelectedShortcut(), &Shortcut(0));
    EXPECT_EQ(key(WM_TODAYCUSTOM_ACTION, VK_RETURN), TRUE);
    EXPECT_EQ(launched, (std::vector<std::wstring>{L"\\Windows\\a.exe"}));
    EXPECT_EQ(key(WM_TODAYCUSTOM_USERNAVIGATION, VK_UP), TRUE) << "up from the first row: the tab bar";
    EXPECT_TRUE(View().IsTabBarFocused());
    EXPECT_EQ(key(WM_TODAYCUSTOM_USERNAVIGATION, VK_UP), FALSE) << "up again leaves the item";
    EXPECT_FALSE(View().IsTabBarFocused());
}

TEST_F(ItemInputTest, TabTapsSwitchTabsAndTheStripArrowsScroll) {
    std::wstring settings = std::wstring(kGeneral);
    for (int i = 1; i <= 12; ++i) {
        settings += Tab(i, L"Tab " + std::to_wstring(i), {L"\\Windows\\a.exe"});
    }
    Start(settings);
    HWND window = item->Hwnd();
    Tap(window, TabCentre(1));
    EXPECT_EQ(item->CurrentTab(), 1);
    RECT right = View().RightTabArrowRect();
    ASSERT_FALSE(IsRectEmpty(&right)) << "twelve tabs do not fit";
    Tap(window, POINT{(right.left + right.right) / 2, (right.top + right.bottom) / 2});
    EXPECT_EQ(View().Strip().first, 1);
    RECT left = View().LeftTabArrowRect();
    ASSERT_FALSE(IsRectEmpty(&left));
    Tap(window, POINT{(left.left + left.right) / 2, (left.top + left.bottom) / 2});
    EXPECT_EQ(View().Strip().first, 0);
    // Holding the right arrow goes to the last page, holding the left one back.
    Hold(window, POINT{(right.left + right.right) / 2, (right.top + right.bottom) / 2});
    SendMessageW(window, WM_LBUTTONUP, 0, At(POINT{(right.left + right.right) / 2, right.top + 1}));
    TabStrip strip = View().Strip();
    EXPECT_GT(strip.first, 1);
    EXPECT_EQ(strip.tabs.back().index, 11) << "the last tab shows";
    left = View().LeftTabArrowRect();
    Hold(window, POINT{(left.left + left.right) / 2, (left.top + left.bottom) / 2});
    EXPECT_EQ(View().Strip().first, 0);
    EXPECT_EQ(item->CurrentTab(), 1) << "scrolling the strip opens no tab";
    EXPECT_TRUE(launched.empty());
}

TEST_F(ItemInputTest, ThumbTabsOpenTheirPanelWhichLaunches) {
    Start(L"\r\n[General]\r\nBehaviorMode=4\r\nDeferIconLoading=1\r\n" +
          Tab(1, L"One", {L"\\Windows\\a.exe", L"\\Windows\\b.exe"}) + Tab(2, L"Two", {L"\\Windows\\x.exe"}));
    HWND window = item->Hwnd();
    HWND panel = item->FloatingPanelWindow();
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(View().PopupChild(), panel);
    EXPECT_FALSE(IsWindowVisible(panel));
    Tap(window, TabCentre(0));
    ASSERT_TRUE(IsWindowVisible(panel)) << "a tap on the current thumb tab opens its panel";
    RECT itemRect;
    RECT panelRect;
    GetWindowRect(window, &itemRect);
    GetWindowRect(panel, &panelRect);
    EXPECT_EQ(panelRect.left, itemRect.left);
    EXPECT_EQ(panelRect.right, itemRect.right);
    EXPECT_TRUE(panelRect.top == itemRect.bottom || panelRect.bottom == itemRect.top) << "beside the item";
    EXPECT_GE(panelRect.bottom - panelRect.top, View().ContentHeight(item->CurrentTabRecord()));
    // The second tab: the open panel moves to it.
    Tap(window, TabCentre(1));
    EXPECT_EQ(item->CurrentTab(), 1);
    EXPECT_TRUE(IsWindowVisible(panel));
    const IconPlacement* x = View().PlacementOf(item->CurrentTabRecord()->Shortcuts[0].get());
    ASSERT_NE(x, nullptr);
    Tap(panel, Centre(x->icon));
    EXPECT_EQ(launched, (std::vector<std::wstring>{L"\\Windows\\x.exe"}));
    EXPECT_FALSE(IsWindowVisible(panel)) << "launching hides the panel";
}

} // namespace
