// Launching from the item hosted in the test Today screen: quick launch, soft
// keys, activation with snap-back and auto-minimize, the tab menu, jump to tab,
// execute, and the options program's switches. The shell's execute facility
// and the message boxes are replaced by recorders.
#include "TodayHost.h"

#include "DisplayScale.h"
#include "Module.h"
#include "TodayItemWindow.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

using namespace norvane;
using namespace norvane::test;

namespace {

constexpr wchar_t kInstallFolder[] = L"\\Program Files\\Norvane\\";

// Three ordinary tabs (the second snaps back, the third is hidden), two
// quick-launch shortcuts, a left soft-key shortcut and no right one.
const wchar_t kSettings[] =
    L"\r\n[General]\r\nBehaviorMode=2\r\nDeferIconLoading=1\r\n"
    L"[Tab1]\r\nName=Home\r\nUniqueID=11\r\nShortcut1=\\Windows\\home.exe\r\n"
    L"Shortcut2=\\Windows\\second.exe\r\n"
    L"[Tab2]\r\nName=Games\r\nUniqueID=12\r\nSnapBack=1\r\nShortcut1=\\Windows\\game.exe\r\n"
    L"Shortcut2=\\Windows\\cards.exe\r\nCommandLine2=-deal\r\n"
    L"[Tab3]\r\nName=Secret\r\nUniqueID=13\r\nHidden=1\r\n"
    L"[Tab4]\r\nSpecialType=4\r\nShortcut1=\\Windows\\quick1.exe\r\nCommandLine1=-one\r\n"
    L"Shortcut2=\\Windows\\quick2.exe\r\n"
    L"[Tab5]\r\nSpecialType=5\r\nShortcut1=\\Windows\\left.exe\r\nToolTipTitle1=Lefty\r\n";

struct Execution {
    std::wstring file;
    std::wstring parameters;
    HWND owner;
    POINT anchor;
};

class LauncherTest : public ::testing::Test {
protected:
    void SetUp() override { PrepareItemTest(); }

    void TearDown() override {
        item.reset();
        ResetItemRegistry();
    }

    void StartItem(const std::wstring& settings = kSettings) {
        WriteSettingsText(settings);
        item = std::make_unique<TodayItemWindow>();
        item->Trace = [this](const char* step) { steps.push_back(step); };
        LauncherServices& services = item->GetLauncher().Services();
        services.shellExecute = [this](SHELLEXECUTEINFOW& info) {
            executions.push_back({info.lpFile ? info.lpFile : L"",
                                  info.lpParameters ? info.lpParameters : L"", info.hwnd,
                                  item->GetLauncher().MenuAnchor()});
            if (onExecute) {
                onExecute();
            }
            return executeSucceeds ? TRUE : FALSE;
        };
        services.messageBox = [this](HWND, const std::wstring& text, UINT flags) {
            messages.emplace_back(text, flags);
            return answer;
        };
        services.chooseFromTabMenu = [this](HWND, TabRecord& tab, POINT at) {
            menus.emplace_back(tab.Name, at);
            return menuChoice;
        };
        services.installFolder = [] { return std::wstring(kInstallFolder); };
        ASSERT_TRUE(item->Create(host.Hwnd()));
        ASSERT_TRUE(host.PumpUntil([this] { return item->View() && item->View()->GetType() != -2; }));
    }

    ShortcutRecord& OrdinaryShortcut(size_t tab, size_t index) {
        return *item->GetSettings().Tabs().at(tab)->Shortcuts.at(index);
    }

    DWORD StoredCurrentTab() {
        DWORD value = 0xFFFF;
        ReadItemValue(L"CurrentTab", value);
        return value;
    }

    TodayHost host;
    std::unique_ptr<TodayItemWindow> item;
    std::vector<std::string> steps;
    std::vector<Execution> executions;
    std::vector<std::pair<std::wstring, UINT>> messages;
    std::vector<std::pair<std::wstring, POINT>> menus;
    std::function<void()> onExecute;
    bool executeSucceeds = true;
    int answer = IDNO;
    int menuChoice = 0;
};

TEST_F(LauncherTest, QuickLaunchCodesRunTheQuickLaunchTabsShortcuts) {
    StartItem();
    item->OnLauncherCode(1);
    ASSERT_EQ(executions.size(), 1u);
    EXPECT_EQ(executions[0].file, L"\\Windows\\quick1.exe");
    EXPECT_EQ(executions[0].parameters, L"-one") << "the shortcut's command line goes along";
    EXPECT_EQ(executions[0].owner, nullptr) << "the shell opens targets with no owner window";
    EXPECT_EQ(executions[0].anchor.x, 0);
    EXPECT_EQ(executions[0].anchor.y, 0) << "menus a quick-launch target opens appear at the corner";
    EXPECT_FALSE(item->GetLauncher().HasMenuAnchor()) << "the anchor is put back afterwards";

    // The way a key stub reaches it: a broadcast to the message window.
    PostMessageW(HWND_BROADCAST, Module::Messages().launcher, 2, 0);
    ASSERT_TRUE(host.PumpUntil([this] { return executions.size() == 2; }));
    EXPECT_EQ(executions[1].file, L"\\Windows\\quick2.exe");
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(StoredCurrentTab(), 0xFFFFu) << "quick launch is no tap: no snap-back";
}

TEST_F(LauncherTest, QuickLaunchWithoutItsShortcutOffersTheOptionsAtTheQuickLaunchTab) {
    StartItem();
    item->OnLauncherCode(3);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].first,
              L"You do not have a shortcut set up for Quick Launch 3.  Do you want to set up "
              L"your Quick Launch tab now?");
    EXPECT_EQ(messages[0].second & (MB_YESNO | MB_ICONQUESTION),
              static_cast<UINT>(MB_YESNO | MB_ICONQUESTION));
    EXPECT_TRUE(executions.empty()) << "answered No: nothing starts";

    answer = IDYES;
    item->OnLauncherCode(4);
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_NE(messages[1].first.find(L"Quick Launch 4."), std::wstring::npos);
    ASSERT_EQ(executions.size(), 1u);
    EXPECT_EQ(executions[0].file, L"\\Program Files\\Norvane\\NorvaneOptions.exe");
    EXPECT_EQ(executions[0].parameters, L"/showtab:6") << "three ordinary tabs, then the Quick Launch Tab";
    EXPECT_EQ(executions[0].owner, nullptr) << "the options program is started without a window";
}

TEST_F(LauncherTest, SoftKeyCodesActivateTheSoftkeyTabsFirstShortcutAtTheirCorner) {
    StartItem();
    item->OnLauncherCode(112);
    ASSERT_EQ(executions.size(), 1u);
    EXPECT_EQ(executions[0].file, L"\\Windows\\left.exe");
    EXPECT_EQ(executions[0].anchor.x, 0);
    EXPECT_EQ(executions[0].anchor.y, GetSystemMetrics(SM_CYSCREEN) - GetSystemMetrics(SM_CYMENU));
    EXPECT_FALSE(item->GetLauncher().HasMenuAnchor());
    item->OnLauncherCode(113);
    EXPECT_EQ(executions.size(), 1u) << "an empty Right Softkey Tab does nothing";
    EXPECT_TRUE(messages.empty());
}

TEST_F(LauncherTest, TaskManagerAndOkButtonCodesGoToTheirOwnHandlersAndOtherCodesDoNothing) {
    StartItem();
    steps.clear();
    for (int code : {0, 1000, 5, 111, 114, 999, -1}) {
        item->OnLauncherCode(code);
    }
    EXPECT_TRUE(executions.empty());
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(std::count(steps.begin(), steps.end(), "launcher.taskmanager"), 1);
    EXPECT_EQ(std::count(steps.begin(), steps.end(), "launcher.okbutton"), 1);
}

TEST_F(LauncherTest, TappingAShortcutSnapsBackToTheSnapBackTabOneSecondLater) {
    StartItem();
    ASSERT_EQ(item->CurrentTab(), 0);
    DWORD started = GetTickCount();
    ASSERT_TRUE(item->GetLauncher().Activate(OrdinaryShortcut(0, 1), true));
    EXPECT_EQ(StoredCurrentTab(), 1u) << "the snap-back tab is stored at once";
    EXPECT_EQ(item->CurrentTab(), 0) << "and becomes current only when the timer fires";
    ASSERT_TRUE(host.PumpUntil([this] { return item->CurrentTab() == 1; }, 3000));
    EXPECT_GE(GetTickCount() - started, 900u) << "about one second later";

    // Now the snap-back tab is current: tapping again starts no switch.
    ResetItemRegistry();
    ASSERT_TRUE(item->GetLauncher().Activate(OrdinaryShortcut(1, 0), true));
    EXPECT_EQ(StoredCurrentTab(), 0xFFFFu);
}

TEST_F(LauncherTest, OnlyASuccessfulTapSnapsBack) {
    StartItem();
    ASSERT_TRUE(item->GetLauncher().Activate(OrdinaryShortcut(0, 0), false));
    executeSucceeds = false;
    EXPECT_FALSE(item->GetLauncher().Activate(OrdinaryShortcut(0, 0), true));
    host.Pump(1300);
    EXPECT_EQ(item->CurrentTab(), 0);
    EXPECT_EQ(StoredCurrentTab(), 0xFFFFu);
    EXPECT_EQ(executions.size(), 2u);
}

TEST_F(LauncherTest, RunMinimizedMinimizesTheItemOneSecondAfterALaunch) {
    StartItem();
    std::wstring settings = kSettings;
    settings.insert(settings.find(L"BehaviorMode"), L"RunMinimized=1\r\n");
    WriteSettingsText(settings);
    PostMessageW(HWND_BROADCAST, Module::Messages().settingsChanged, 0, 0);
    ASSERT_TRUE(host.PumpUntil([this] { return item->GetSettings().General.RunMinimized; }));
    ASSERT_EQ(item->View()->GetType(), 2);

    executeSucceeds = false;
    item->OnLauncherCode(112);
    host.Pump(1300);
    EXPECT_EQ(item->View()->GetType(), 2) << "a failed launch leaves the item as it is";

    executeSucceeds = true;
    DWORD started = GetTickCount();
    item->OnLauncherCode(112);
    EXPECT_EQ(item->View()->GetType(), 2);
    ASSERT_TRUE(host.PumpUntil([this] { return item->View()->GetType() == -3; }, 3000));
    EXPECT_GE(GetTickCount() - started, 900u);
    DWORD stored = 0;
    EXPECT_TRUE(ReadItemValue(L"MinimizeOnRefresh", stored) && stored == 1);
}

TEST_F(LauncherTest, JumpToTabMakesItCurrentAndRefusesHiddenTabs) {
    StartItem();
    SendMessageW(item->Hwnd(), WM_APP + 16, 12, 0);
    EXPECT_EQ(item->CurrentTab(), 1);
    EXPECT_EQ(StoredCurrentTab(), 1u);
    EXPECT_TRUE(messages.empty());

    SendMessageW(item->Hwnd(), WM_APP + 16, 13, 0);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].first, L"Cannot jump to a hidden tab");
    EXPECT_TRUE(messages[0].second & MB_ICONINFORMATION);
    EXPECT_EQ(item->CurrentTab(), 1);

    SendMessageW(item->Hwnd(), WM_APP + 16, 99, 0);
    SendMessageW(item->Hwnd(), WM_APP + 16, 0, 0);
    EXPECT_EQ(item->CurrentTab(), 1) << "unknown tabs change nothing";
    EXPECT_EQ(messages.size(), 1u);
    SendMessageW(item->Hwnd(), WM_APP + 16, 11, 0);
    EXPECT_EQ(item->CurrentTab(), 0);
}

TEST_F(LauncherTest, TabMenuExecutesTheChosenShortcutAndOpensAtTheAnchorWhenSet) {
    StartItem();
    menuChoice = 2;
    SendMessageW(item->Hwnd(), WM_APP + 15, 12, MAKELPARAM(50, 60));
    ASSERT_EQ(menus.size(), 1u);
    EXPECT_EQ(menus[0].first, L"Games");
    EXPECT_EQ(menus[0].second.x, 50);
    EXPECT_EQ(menus[0].second.y, 60);
    ASSERT_EQ(executions.size(), 1u);
    EXPECT_EQ(executions[0].file, L"\\Windows\\cards.exe");
    EXPECT_EQ(executions[0].parameters, L"-deal");
    EXPECT_EQ(StoredCurrentTab(), 0xFFFFu) << "a menu choice is executed, not activated from a tap";

    menuChoice = 0;
    SendMessageW(item->Hwnd(), WM_APP + 15, 12, MAKELPARAM(50, 60));
    EXPECT_EQ(executions.size(), 1u) << "nothing chosen, nothing run";
    SendMessageW(item->Hwnd(), WM_APP + 15, 13, 0);
    SendMessageW(item->Hwnd(), WM_APP + 15, 77, 0);
    EXPECT_EQ(menus.size(), 2u) << "no menu for a tab without shortcuts or an unknown tab";

    // A quick-launch target that opens a tab menu (as the tab-menu command
    // does) opens it at the quick-launch anchor, not at the point it sends.
    onExecute = [this] {
        onExecute = nullptr;
        SendMessageW(item->Hwnd(), WM_APP + 15, 11, MAKELPARAM(50, 60));
    };
    item->OnLauncherCode(1);
    ASSERT_EQ(menus.size(), 3u);
    EXPECT_EQ(menus[2].second.x, 0);
    EXPECT_EQ(menus[2].second.y, 0);
}

TEST_F(LauncherTest, ExecuteMessageRunsTheShortcutAsItIs) {
    StartItem();
    ShortcutRecord& shortcut = OrdinaryShortcut(1, 1);
    EXPECT_EQ(SendMessageW(item->Hwnd(), WM_APP + 14, 0, reinterpret_cast<LPARAM>(&shortcut)), 0);
    ASSERT_EQ(executions.size(), 1u);
    EXPECT_EQ(executions[0].file, L"\\Windows\\cards.exe");
    EXPECT_EQ(executions[0].owner, nullptr) << "the shell opens targets with no owner window";
    EXPECT_EQ(SendMessageW(item->Hwnd(), WM_APP + 14, 0, 0), 0) << "no shortcut, no harm";
    EXPECT_EQ(executions.size(), 1u);
}

TEST_F(LauncherTest, OptionsSwitchesAreBuiltAsTheOptionsProgramReadsThem) {
    EXPECT_EQ(optionsswitch::ShowTab(9), L"/showtab:9");
    EXPECT_EQ(optionsswitch::Select(0), L"/select:0");
    EXPECT_EQ(optionsswitch::Target(2, 5), L"/target:2:5");
    EXPECT_EQ(optionsswitch::Image(1, -1), L"/image:1:-1");
    EXPECT_EQ(optionsswitch::Additional(3, 0), L"/additional:3:0");
    StartItem();
    Launcher& launcher = item->GetLauncher();
    ASSERT_TRUE(launcher.StartOptions(L""));
    ASSERT_TRUE(launcher.StartOptions(optionsswitch::kTaskManagerExceptions));
    executeSucceeds = false;
    EXPECT_FALSE(launcher.StartOptions(optionsswitch::kTheme)) << "a program that does not start is reported";
    ASSERT_EQ(executions.size(), 3u);
    for (const Execution& e : executions) {
        EXPECT_EQ(e.file, L"\\Program Files\\Norvane\\NorvaneOptions.exe");
    }
    EXPECT_EQ(executions[0].parameters, L"") << "no switch at all";
    EXPECT_EQ(executions[1].parameters, L"/taskmanagerexceptions");
    EXPECT_EQ(executions[2].parameters, L"/theme");
}

} // namespace
