// The task-manager popup with real windows of other processes: what it lists
// for several command masks and exceptions, alt-tab stepping, keys and
// accelerators, the width limits, the commands with the exception rules and
// the phone application, the row and launch menus, and its picture.
#include "TaskTestSupport.h"
#include "TodayHost.h"

#include "DisplayScale.h"
#include "Module.h"
#include "Settings.h"
#include "SettingsFile.h"
#include "TaskManagerPopup.h"
#include "TaskRules.h"
#include "TextCodec.h"
#include "TodayItemWindow.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

using namespace norvane;
using namespace norvane::test;

namespace {

const wchar_t kSettings[] =
    L"[General]\r\nBehaviorMode=2\r\nDeferIconLoading=1\r\nAltTabDelay=150\r\n"
    L"[Tab1]\r\nName=Home\r\nUniqueID=1\r\nShortcut1=\\Windows\\calc.exe\r\n"
    L"Shortcut2=\\Windows\\notes.exe\r\n"
    L"[Tab2]\r\nName=Odds & Ends\r\nUniqueID=2\r\n"
    L"[Tab3]\r\nName=Secret\r\nUniqueID=3\r\nHidden=1\r\nShortcut1=\\Windows\\secret.exe\r\n";

std::string Narrow(const std::wstring& text) {
    return Utf16ToUtf8(text);
}

// The rows as text: "-" separators, captions, and for windows the digit, the
// title and "[x]" for a close box.
std::wstring Describe(const TaskManagerPopup& popup) {
    std::wstring out;
    for (const auto& item : popup.Items()) {
        if (!out.empty()) {
            out += L"|";
        }
        switch (item->Kind()) {
        case TaskRowKind::Separator:
            out += L"-";
            break;
        case TaskRowKind::Window:
            if (item->Accelerator()) {
                out += std::wstring(1, item->Accelerator()) + L" ";
            }
            out += item->Text() + (item->HasCloseBox() ? L"[x]" : L"");
            break;
        default:
            out += item->Text();
            break;
        }
    }
    return out;
}

// A menu as text: "-" separators, "<id>" owner-drawn entries, "text:id",
// "[x]" checked, "(g)" greyed, "{...}" submenus.
std::wstring DescribeMenu(HMENU menu) {
    std::wstring out;
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        MENUITEMINFOW info = {};
        info.cbSize = sizeof info;
        info.fMask = MIIM_ID | MIIM_FTYPE | MIIM_STATE | MIIM_SUBMENU;
        GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info);
        if (!out.empty()) {
            out += L"|";
        }
        if (info.fType & MFT_SEPARATOR) {
            out += L"-";
            continue;
        }
        if (info.fType & MFT_OWNERDRAW) {
            out += L"<" + std::to_wstring(info.wID) + L">";
        } else {
            wchar_t text[128] = L"";
            GetMenuStringW(menu, static_cast<UINT>(i), text, 128, MF_BYPOSITION);
            out += text;
            if (!info.hSubMenu) {
                out += L":" + std::to_wstring(info.wID);
            }
        }
        if (info.fState & MFS_CHECKED) {
            out += L"[x]";
        }
        if (info.fState & MFS_GRAYED) {
            out += L"(g)";
        }
        if (info.hSubMenu) {
            out += L"{" + DescribeMenu(info.hSubMenu) + L"}";
        }
    }
    return out;
}

// Stacks the windows so that the first of the list is on top.
void Stack(const std::vector<HWND>& topFirst) {
    for (auto it = topFirst.rbegin(); it != topFirst.rend(); ++it) {
        SetWindowPos(*it, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
}

// Whether the first window lies above the second in the Z order.
bool Above(HWND upper, HWND lower) {
    for (HWND w = GetWindow(lower, GW_HWNDPREV); w != nullptr; w = GetWindow(w, GW_HWNDPREV)) {
        if (w == upper) {
            return true;
        }
    }
    return false;
}

class TaskManagerTest : public ::testing::Test {
protected:
    void SetUp() override { PrepareItemTest(); }

    void TearDown() override {
        item.reset();
        ResetItemRegistry();
    }

    void StartItem(const std::wstring& general = L"") {
        std::wstring text = kSettings;
        text.insert(text.find(L"[Tab1]"), general);
        WriteSettingsText(text);
        item = std::make_unique<TodayItemWindow>();
        LauncherServices& launcher = item->GetLauncher().Services();
        launcher.shellExecute = [this](SHELLEXECUTEINFOW& info) {
            executions.push_back(std::wstring(info.lpFile ? info.lpFile : L"") + L" " +
                                 (info.lpParameters ? info.lpParameters : L""));
            return TRUE;
        };
        launcher.messageBox = [](HWND, const std::wstring&, UINT) { return IDNO; };
        launcher.installFolder = [] { return std::wstring(L"\\Windows\\"); };
        TaskServices& rules = item->Tasks().Services();
        rules.telephonyPresent = [this] { return telephony; };
        rules.windowScope = [this](HWND window) {
            DWORD process = 0;
            GetWindowThreadProcessId(window, &process);
            return process == GetCurrentProcessId() || scope.count(process) != 0;
        };
        rules.minimize = [this](HWND window) {
            minimized.push_back(window);
            ShowWindow(window, SW_MINIMIZE);
        };
        TaskManagerServices& popup = item->TaskManager().Services();
        popup.track = [this](HMENU menu, POINT at, UINT alignment, HWND) {
            menus.push_back(DescribeMenu(menu));
            menuPoints.push_back(at);
            menuAlignments.push_back(alignment);
            return choice;
        };
        popup.isHold = [this](HWND, POINT) { return hold; };
        popup.terminate = [this](DWORD process) {
            terminated.push_back(process);
            if (HANDLE handle = OpenProcess(PROCESS_TERMINATE, FALSE, process)) {
                TerminateProcess(handle, 0);
                CloseHandle(handle);
            }
        };
        ASSERT_TRUE(item->Create(host.Hwnd()));
        ASSERT_TRUE(host.PumpUntil([this] { return item->View() && item->View()->GetType() != -2; }));
    }

    std::unique_ptr<TestPrograms> Programs(std::vector<ProgramWindowSpec> windows,
                                           const wchar_t* program = L"task_programs.exe") {
        auto programs = std::make_unique<TestPrograms>(std::move(windows), program);
        EXPECT_TRUE(programs->Started());
        scope.insert(programs->ProcessId());
        return programs;
    }

    TaskManagerPopup& Popup() { return item->TaskManager(); }
    GeneralOptions& General() { return item->GetSettings().General; }

    // Opens the popup over a program.
    void OpenOver(HWND front, bool altTab = false) {
        if (Popup().IsOpen()) {
            Popup().Hide();
        }
        SetForegroundWindow(front);
        host.PumpUntil([front] { return GetForegroundWindow() == front; }, 2000);
        Popup().Show(altTab);
        ASSERT_TRUE(Popup().IsOpen());
    }

    int RowOf(HWND window) {
        const auto& items = Popup().Items();
        for (int i = 0; i < static_cast<int>(items.size()); ++i) {
            if (items[i]->Kind() == TaskRowKind::Window && items[i]->Window() == window) {
                return i;
            }
        }
        return -1;
    }

    int RowNamed(const std::wstring& text) {
        const auto& items = Popup().Items();
        for (int i = 0; i < static_cast<int>(items.size()); ++i) {
            if (items[i]->Text() == text) {
                return i;
            }
        }
        return -1;
    }

    void Key(UINT key) { SendMessageW(Popup().Hwnd(), WM_KEYDOWN, key, 0); }
    void Char(wchar_t character) { SendMessageW(Popup().Hwnd(), WM_CHAR, character, 0); }
    void Tap(POINT point) {
        SendMessageW(Popup().Hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(point.x, point.y));
        SendMessageW(Popup().Hwnd(), WM_LBUTTONUP, 0, MAKELPARAM(point.x, point.y));
    }
    static POINT Centre(const RECT& r) { return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }

    TodayHost host;
    std::unique_ptr<TodayItemWindow> item;
    std::set<DWORD> scope;
    bool telephony = false;
    bool hold = false;
    UINT choice = 0;
    std::vector<HWND> minimized;
    std::vector<DWORD> terminated;
    std::vector<std::wstring> executions;
    std::vector<std::wstring> menus;
    std::vector<POINT> menuPoints;
    std::vector<UINT> menuAlignments;
};

TEST_F(TaskManagerTest, ListFollowsTheCommandMaskAndTheZOrder) {
    StartItem();
    auto programs = Programs({{L"-", L"Alpha"},
                              {L"-", L"Beta & Co"},
                              {L"-", L"Gamma"},
                              {L"o", L"Gamma Details"},
                              {L"t", L"Palette"},
                              {L"h", L"Ghost"},
                              {L"-", L""}});
    ASSERT_TRUE(programs->Started());
    const HWND alpha = programs->Window(L"Alpha");
    const HWND beta = programs->Window(L"Beta & Co");
    const HWND gamma = programs->Window(L"Gamma");
    Stack({gamma, alpha, beta});

    OpenOver(gamma);
    EXPECT_EQ(Popup().Target(), gamma);
    EXPECT_EQ(Narrow(Describe(Popup())), "&Minimize|&Close|Close &All|Close All &But Current|-|1 Desktop|"
                                         "2 Gamma[x]|3 Alpha[x]|4 Beta & Co[x]|-|&Launch")
        << "owned, tool, hidden and untitled windows stay out";
    EXPECT_EQ(Popup().QuickLaunchCount(), 3) << "the Task Manager Tab's three shortcuts";
    EXPECT_EQ(Popup().Items()[RowOf(beta)]->ShownText(true), L"&4 Beta && Co");
    EXPECT_EQ(Popup().Items()[0]->Accelerator(), L'M');
    EXPECT_EQ(Popup().Items()[3]->Accelerator(), L'B');

    // No commands: no separator before the desktop; no programs: none before
    // the launch row either.
    General().TaskManagerCommandMask = 0x6000;
    OpenOver(gamma);
    EXPECT_EQ(Narrow(Describe(Popup())), "1 Desktop|2 Gamma[x]|3 Alpha[x]|4 Beta & Co[x]|-|&Launch");
    EXPECT_EQ(Popup().QuickLaunchCount(), 0);
    scope.clear();
    OpenOver(host.Hwnd());
    EXPECT_EQ(Narrow(Describe(Popup())), "1 Desktop|&Launch");
    General().TaskManagerCommandMask = 0x0003;
    General().AddTaskManagerPrefixes = false;
    scope.insert(programs->ProcessId());
    // Alpha in front but not on top: its own process raises it when it takes
    // the activation, whenever it gets to it, so the order is set once that
    // is done.
    Popup().Hide();
    SetForegroundWindow(alpha);
    host.PumpUntil([&] { return GetForegroundWindow() == alpha && Above(alpha, gamma); }, 2000);
    Stack({gamma, alpha, beta});
    ASSERT_EQ(GetForegroundWindow(), alpha);
    Popup().Show(false);
    ASSERT_TRUE(Popup().IsOpen());
    EXPECT_EQ(Narrow(Describe(Popup())), "&Minimize|&Close|-|Gamma[x]|Alpha[x]|Beta & Co[x]")
        << "without prefixes no digits; the list follows the Z order, not the foreground";

    // A second Show without alt-tab closes it.
    Popup().Show(false);
    EXPECT_FALSE(Popup().IsOpen());
    EXPECT_TRUE(Popup().Items().empty());
}

TEST_F(TaskManagerTest, DigitsRunOneToNineThenZeroThenNone) {
    StartItem();
    std::vector<ProgramWindowSpec> specs;
    for (int i = 0; i < 11; ++i) {
        specs.push_back({L"-", L"Program " + std::to_wstring(i)});
    }
    auto programs = Programs(specs);
    ASSERT_TRUE(programs->Started());
    std::vector<HWND> order;
    for (int i = 0; i < 11; ++i) {
        order.push_back(programs->Window(L"Program " + std::to_wstring(i)));
    }
    Stack(order);
    OpenOver(order[0]);
    std::wstring digits;
    for (const auto& row : Popup().Items()) {
        if (row->Kind() == TaskRowKind::Window) {
            digits += row->Accelerator() ? row->Accelerator() : L'.';
        }
    }
    EXPECT_EQ(Narrow(digits), "1234567890..") << "the desktop has 1, then 2 to 9, 0, then nothing";
}

TEST_F(TaskManagerTest, HiddenTitlesTheShellAndThePhoneStayOut) {
    StartItem();
    auto programs = Programs({{L"-", L"Alpha"}, {L"-", L"Report = Draft; [1]"}});
    auto phone = Programs({{L"-", L"Phone"}}, L"testcprog.exe");
    ASSERT_TRUE(programs->Started() && phone->Started());
    const HWND alpha = programs->Window(L"Alpha");
    Stack({alpha, programs->Window(L"Report = Draft; [1]"), phone->Window(L"Phone")});
    item->GetSettings().ToggleExceptionFlags(L"Report = Draft; [1]", exceptionbit::kHide);
    General().TaskManagerCommandMask = 0x4000;

    OpenOver(alpha);
    EXPECT_EQ(Narrow(Describe(Popup())), "1 Desktop|2 Alpha[x]|3 Phone[x]")
        << "without telephony the phone program is an ordinary one";
    telephony = true;
    OpenOver(alpha);
    EXPECT_EQ(Narrow(Describe(Popup())), "1 Desktop|2 Alpha[x]");
    EXPECT_TRUE(item->Tasks().IsShellOrPhoneWindow(phone->Window(L"Phone")));
    EXPECT_TRUE(item->Tasks().IsShellOrPhoneWindow(host.Hwnd()));
    EXPECT_FALSE(item->Tasks().IsShellOrPhoneWindow(alpha));

    // The phone ends and a new one starts: the new one is found, and the old
    // id no longer spares anyone.
    const DWORD oldPhone = item->Tasks().PhoneProcessId();
    phone.reset();
    auto newPhone = Programs({{L"-", L"Phone 2"}}, L"testcprog.exe");
    ASSERT_TRUE(newPhone->Started());
    EXPECT_NE(item->Tasks().PhoneProcessId(), oldPhone);
    EXPECT_EQ(item->Tasks().PhoneProcessId(), newPhone->ProcessId());
}

TEST_F(TaskManagerTest, WidthStaysBetweenHalfAndFiveSixthsOfTheScreen) {
    StartItem();
    const int screen = GetSystemMetrics(SM_CXSCREEN);
    auto programs = Programs({{L"-", L"Short"}});
    ASSERT_TRUE(programs->Started());
    OpenOver(programs->Window(L"Short"));
    RECT rect;
    GetWindowRect(Popup().Hwnd(), &rect);
    EXPECT_EQ(rect.right - rect.left, screen / 2);
    EXPECT_EQ(rect.right, screen) << "it hangs from the top-right corner";
    EXPECT_EQ(rect.top, ScaleY(2));
    // 2 + 4 commands + separator + desktop + 1 program + separator + launch + the icon row.
    EXPECT_EQ(rect.bottom - rect.top, 2 + 4 * 18 + 8 + 18 + 18 + 8 + 18 + 21);

    auto wide = Programs({{L"-", std::wstring(300, L'W')}});
    ASSERT_TRUE(wide->Started());
    OpenOver(programs->Window(L"Short"));
    GetWindowRect(Popup().Hwnd(), &rect);
    EXPECT_EQ(rect.right - rect.left, screen * 5 / 6);
    EXPECT_EQ(rect.right, screen);
}

TEST_F(TaskManagerTest, AltTabStepsThroughTheWindowsAndSwitchesWhenTheTimerFires) {
    StartItem();
    auto programs = Programs({{L"-", L"Alpha"}, {L"-", L"Beta"}, {L"-", L"Gamma"}});
    ASSERT_TRUE(programs->Started());
    const HWND alpha = programs->Window(L"Alpha");
    const HWND beta = programs->Window(L"Beta");
    const HWND gamma = programs->Window(L"Gamma");
    Stack({alpha, beta, gamma});
    General().AltTabDelay = 60000; // no switch while stepping

    OpenOver(alpha, true);
    EXPECT_EQ(Popup().Selection(), RowOf(beta)) << "the window after the one in front";
    Popup().Show(true);
    EXPECT_EQ(Popup().Selection(), RowOf(gamma));
    Popup().Show(true);
    EXPECT_EQ(Popup().Selection(), RowOf(host.Hwnd())) << "wraps to the first window row, the desktop";
    Popup().Show(true);
    EXPECT_EQ(Popup().Selection(), RowOf(alpha));
    Popup().Show(true);
    EXPECT_EQ(Popup().Selection(), RowOf(beta));
    // A key ends the pending switch.
    Key(VK_UP);
    EXPECT_EQ(Popup().Selection(), RowOf(alpha));

    General().AltTabDelay = 100;
    OpenOver(alpha, true);
    ASSERT_TRUE(host.PumpUntil([this] { return !Popup().IsOpen(); }, 5000)) << "the timer activates the row";
    EXPECT_TRUE(host.PumpUntil([beta] { return GetForegroundWindow() == beta; }, 3000));
}

TEST_F(TaskManagerTest, KeysMoveTheSelectionAndAcceleratorsActivate) {
    StartItem();
    auto programs = Programs({{L"-", L"Alpha"}, {L"-", L"Beta"}});
    ASSERT_TRUE(programs->Started());
    const HWND alpha = programs->Window(L"Alpha");
    const HWND beta = programs->Window(L"Beta");
    Stack({alpha, beta});

    OpenOver(alpha);
    EXPECT_EQ(Popup().Selection(), 0);
    for (int i = 0; i < 5; ++i) {
        Key(VK_DOWN);
    }
    EXPECT_EQ(Popup().Selection(), RowOf(alpha)) << "four commands, the separator, the desktop, Alpha";
    Key(VK_RIGHT);
    EXPECT_TRUE(Popup().CloseBoxSelected());
    Key(VK_DOWN);
    EXPECT_EQ(Popup().Selection(), RowOf(beta));
    EXPECT_TRUE(Popup().CloseBoxSelected());
    Key(VK_RETURN);
    EXPECT_TRUE(host.PumpUntil([&] { return !IsWindow(beta); }, 5000)) << "Return on the close box closes it";
    EXPECT_FALSE(Popup().IsOpen());
    EXPECT_EQ(programs->Log(), std::vector<std::wstring>{L"Beta|close"});

    OpenOver(alpha);
    Key(VK_LEFT);
    EXPECT_FALSE(Popup().IsOpen()) << "Left with nothing to unselect closes";
    OpenOver(alpha);
    Key(VK_ESCAPE);
    EXPECT_FALSE(Popup().IsOpen());
    EXPECT_TRUE(host.PumpUntil([alpha] { return GetForegroundWindow() == alpha; }, 3000))
        << "the program opened over comes back";

    // Digits switch, letters run their command.
    OpenOver(alpha);
    Char(L'1');
    EXPECT_FALSE(Popup().IsOpen());
    EXPECT_TRUE(host.PumpUntil([this] { return GetForegroundWindow() == host.Hwnd(); }, 3000));
    OpenOver(alpha);
    Char(L'm');
    EXPECT_FALSE(Popup().IsOpen());
    ASSERT_EQ(minimized.size(), 1u);
    EXPECT_EQ(minimized[0], alpha) << "Minimize acts on the program the popup opened over";
}

TEST_F(TaskManagerTest, CloseAllSparesThePhoneAndIgnoreCloseAll) {
    StartItem();
    telephony = true;
    auto programs = Programs({{L"-", L"Alpha"}, {L"-", L"Beta"}, {L"-", L"Gamma"}});
    auto phone = Programs({{L"-", L"Phone"}}, L"testcprog.exe");
    ASSERT_TRUE(programs->Started() && phone->Started());
    const HWND alpha = programs->Window(L"Alpha");
    const HWND beta = programs->Window(L"Beta");
    const HWND gamma = programs->Window(L"Gamma");
    item->GetSettings().ToggleExceptionFlags(L"Beta", exceptionbit::kIgnoreCloseAll);

    OpenOver(gamma);
    Char(L'b'); // Close All But Current
    ASSERT_TRUE(host.PumpUntil([&] { return !IsWindow(alpha); }, 5000));
    EXPECT_TRUE(IsWindow(gamma)) << "the current program stays";
    EXPECT_TRUE(IsWindow(beta));
    EXPECT_TRUE(std::find(minimized.begin(), minimized.end(), beta) != minimized.end());
    EXPECT_TRUE(std::find(minimized.begin(), minimized.end(), phone->Window(L"Phone")) != minimized.end());

    minimized.clear();
    OpenOver(gamma);
    Char(L'a'); // Close All
    ASSERT_TRUE(host.PumpUntil([&] { return !IsWindow(gamma); }, 5000));
    EXPECT_TRUE(IsWindow(beta) && IsMinimized(beta)) << "Ignore Close-All: minimized, not closed";
    EXPECT_TRUE(phone->Running()) << "the phone application is never closed";
    EXPECT_TRUE(IsMinimized(phone->Window(L"Phone")));
    EXPECT_TRUE(IsWindowVisible(host.Hwnd())) << "the shell is left alone";
    EXPECT_EQ(std::count(minimized.begin(), minimized.end(), host.Hwnd()), 0)
        << "the desktop is never minimized";
    EXPECT_TRUE(phone->Log().empty());
}

TEST_F(TaskManagerTest, CloseBoxTapClosesAndKeepOpenFollowsThePrograms) {
    StartItem(L"KeepTaskManagerOpen=1\r\n");
    auto programs = Programs({{L"-", L"Alpha"}, {L"-", L"Beta"}});
    ASSERT_TRUE(programs->Started());
    const HWND alpha = programs->Window(L"Alpha");
    const HWND beta = programs->Window(L"Beta");
    Stack({alpha, beta});

    OpenOver(alpha);
    const int row = RowOf(beta);
    ASSERT_GE(row, 0);
    Tap(Centre(Popup().Items()[row]->CloseBoxRect()));
    EXPECT_TRUE(Popup().IsOpen()) << "KeepTaskManagerOpen";
    // The selection stays where it was (one up when that is now a separator:
    // the closed program may be gone already).
    EXPECT_TRUE(Popup().Selection() == row ||
                (Popup().Items()[row]->Kind() == TaskRowKind::Separator && Popup().Selection() == row - 1))
        << Popup().Selection();
    ASSERT_TRUE(host.PumpUntil([&] { return !IsWindow(beta); }, 5000));
    EXPECT_TRUE(host.PumpUntil([&] { return RowOf(beta) < 0 && RowOf(alpha) >= 0; }, 5000))
        << "the closed program's row goes with it";

    // A tap on a row's text brings the program forward and closes the popup.
    Tap(Centre(Popup().Items()[RowOf(alpha)]->RowRect()));
    EXPECT_FALSE(Popup().IsOpen());
    EXPECT_TRUE(host.PumpUntil([alpha] { return GetForegroundWindow() == alpha; }, 3000));
    // A tap outside closes it.
    OpenOver(alpha);
    Tap(POINT{-20, 5});
    EXPECT_FALSE(Popup().IsOpen());
}

TEST_F(TaskManagerTest, RowMenuKeepsHostileTitlesInTheFileAndSparesTheShell) {
    StartItem();
    const std::wstring hostile = L"[Draft] a=b; 50%";
    auto programs = Programs({{L"-", hostile}, {L"-", L"Victim"}});
    ASSERT_TRUE(programs->Started());
    const HWND draft = programs->Window(hostile);
    Stack({draft, programs->Window(L"Victim")});
    hold = true;

    OpenOver(draft);
    choice = taskmenu::kIgnoreCloseAll;
    const POINT at = Centre(Popup().Items()[RowOf(draft)]->RowRect());
    SendMessageW(Popup().Hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(at.x, at.y));
    ASSERT_EQ(menus.size(), 1u);
    EXPECT_EQ(Narrow(menus[0]), "Hide From Task Manager:1|Minimize Only:2|Ignore Close-All:3|-|"
                                "Forcibly terminate application:101|Manage Task Manager Exceptions:100");
    EXPECT_FALSE(Popup().IsOpen()) << "a chosen command closes the popup";
    EXPECT_EQ(item->GetSettings().ExceptionFlags(hostile), exceptionbit::kIgnoreCloseAll);
    // The file holds one exception key and loads to the same record.
    Settings fromDisk;
    fromDisk.SkipIcons = true;
    fromDisk.SetPath(SettingsFilePath());
    ASSERT_TRUE(fromDisk.Load());
    EXPECT_EQ(fromDisk.Exceptions(), item->GetSettings().Exceptions());
    SettingsFile file;
    file.LoadFromBytes(ReadFileBytes(SettingsFilePath()));
    const SettingsSection* section = file.FindSection(settings_keys::kTaskManagerExceptions);
    ASSERT_NE(section, nullptr);
    EXPECT_EQ(section->KeyCount(), 1u);
    EXPECT_EQ(file.SectionNameAt(file.SectionCount() - 1), settings_keys::kTaskManagerExceptions);

    // Checked the next time; nothing chosen leaves the popup open.
    OpenOver(draft);
    choice = 0;
    SendMessageW(Popup().Hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(at.x, at.y));
    EXPECT_NE(menus.back().find(L"Ignore Close-All:3[x]"), std::wstring::npos);
    EXPECT_TRUE(Popup().IsOpen());

    // The desktop row: the exceptions but no terminate.
    const POINT desktop = Centre(Popup().Items()[RowOf(host.Hwnd())]->RowRect());
    SendMessageW(Popup().Hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(desktop.x, desktop.y));
    EXPECT_EQ(
        Narrow(menus.back()),
        "Hide From Task Manager:1|Minimize Only:2|Ignore Close-All:3|-|Manage Task Manager Exceptions:100");
    // A command row offers only the exceptions dialog.
    SendMessageW(Popup().Hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, ScaleY(1) + 5));
    EXPECT_EQ(Narrow(menus.back()), "Manage Task Manager Exceptions:100");

    // Terminate ends the program with exit code 0 ...
    choice = taskmenu::kTerminate;
    const POINT victim = Centre(Popup().Items()[RowOf(programs->Window(L"Victim"))]->RowRect());
    SendMessageW(Popup().Hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(victim.x, victim.y));
    ASSERT_TRUE(host.PumpUntil([&] { return !programs->Running(); }, 5000));
    EXPECT_EQ(programs->ExitCode(), 0u);
    // ... but never the phone, even when it turns out to be the phone only now.
    auto phone = Programs({{L"-", L"Phone"}}, L"testcprog.exe");
    ASSERT_TRUE(phone->Started());
    OpenOver(phone->Window(L"Phone"));
    telephony = true;
    const POINT phoneRow = Centre(Popup().Items()[RowOf(phone->Window(L"Phone"))]->RowRect());
    terminated.clear();
    SendMessageW(Popup().Hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(phoneRow.x, phoneRow.y));
    EXPECT_TRUE(terminated.empty());
    EXPECT_TRUE(phone->Running());
    hold = false;
}

TEST_F(TaskManagerTest, LaunchMenuListsTheTabsAndLaunchesTheChosenShortcut) {
    StartItem();
    auto programs = Programs({{L"-", L"Alpha"}});
    ASSERT_TRUE(programs->Started());
    OpenOver(programs->Window(L"Alpha"));
    const int launch = RowNamed(L"&Launch");
    ASSERT_GE(launch, 0);
    choice = taskmenu::kFirstShortcut + 1;
    Key(VK_UP); // from the first row to the last quick-launch icon
    EXPECT_EQ(Popup().Selection(), kQuickLaunchSelection + 2);
    Key(VK_UP);
    EXPECT_EQ(Popup().Selection(), launch);
    Key(VK_RIGHT); // Right on the launch row opens its menu
    ASSERT_EQ(menus.size(), 1u);
    EXPECT_EQ(Narrow(menus[0]), "Home{<40000>|<40001>}|Odds && Ends{Empty:0(g)}") << "hidden tabs stay out";
    EXPECT_EQ(menuAlignments[0] & TPM_RIGHTALIGN, static_cast<UINT>(TPM_RIGHTALIGN));
    ASSERT_EQ(executions.size(), 1u);
    EXPECT_EQ(Narrow(executions[0]), "\\Windows\\notes.exe ");
    EXPECT_FALSE(Popup().IsOpen());

    // Nothing chosen: nothing launched, and the popup still closes.
    choice = 0;
    OpenOver(programs->Window(L"Alpha"));
    Tap(Centre(Popup().Items()[RowNamed(L"&Launch")]->RowRect()));
    EXPECT_EQ(executions.size(), 1u);
    EXPECT_FALSE(Popup().IsOpen());
}

TEST_F(TaskManagerTest, QuickLaunchIconsLaunchAndHoldForTheirMenu) {
    StartItem();
    std::wstring text = kSettings;
    text +=
        L"[Tab4]\r\nSpecialType=2\r\nShortcut1=\\Windows\\first.exe\r\nShortcut2=\\Windows\\second.exe\r\n";
    WriteSettingsText(text);
    item->Reload(false);
    std::vector<std::wstring> specialMenus;
    item->Menus().Services().track = [&specialMenus](HMENU menu, POINT, HWND) {
        specialMenus.push_back(DescribeMenu(menu));
        return 0u;
    };
    auto programs = Programs({{L"-", L"Alpha"}});
    ASSERT_TRUE(programs->Started());
    OpenOver(programs->Window(L"Alpha"));
    ASSERT_EQ(Popup().QuickLaunchCount(), 2);
    const RECT first = Popup().QuickLaunchCells().at(0);
    const RECT second = Popup().QuickLaunchCells().at(1);
    EXPECT_EQ(second.right, first.left) << "the next icon one cell further left";
    RECT client;
    GetClientRect(Popup().Hwnd(), &client);
    EXPECT_EQ(first.right, client.right - ScaleX(1)) << "the first icon at the right edge";
    EXPECT_EQ(first.bottom, client.bottom - ScaleX(1));

    Tap(Centre(second));
    ASSERT_EQ(executions.size(), 1u);
    EXPECT_EQ(Narrow(executions[0]), "\\Windows\\second.exe ");
    EXPECT_FALSE(Popup().IsOpen()) << "a launch closes the popup";

    // A hold opens the shortcut's menu of the Task Manager Tab; the popup goes.
    OpenOver(programs->Window(L"Alpha"));
    hold = true;
    const POINT at = Centre(Popup().QuickLaunchCells().at(0));
    SendMessageW(Popup().Hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(at.x, at.y));
    hold = false;
    ASSERT_EQ(specialMenus.size(), 1u);
    EXPECT_NE(specialMenus[0].find(L"Configure Task Manager Tab"), std::wstring::npos)
        << Narrow(specialMenus[0]);
    EXPECT_FALSE(Popup().IsOpen());
    EXPECT_EQ(executions.size(), 1u);

    // Return on a selected icon launches it too.
    OpenOver(programs->Window(L"Alpha"));
    Key(VK_UP); // to the last icon
    Key(VK_RETURN);
    ASSERT_EQ(executions.size(), 2u);
    EXPECT_EQ(Narrow(executions[1]), "\\Windows\\second.exe ");
}

TEST_F(TaskManagerTest, PaintsTheFrameTheSelectionAndTheQuickLaunchBand) {
    StartItem();
    auto programs = Programs({{L"-", L"Alpha"}});
    ASSERT_TRUE(programs->Started());
    OpenOver(programs->Window(L"Alpha"));
    RECT client;
    GetClientRect(Popup().Hwnd(), &client);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = client.right;
    info.bmiHeader.biHeight = -client.bottom;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    ASSERT_NE(bitmap, nullptr);
    HGDIOBJ old = SelectObject(dc, bitmap);
    Popup().Paint(dc, client);
    GdiFlush();
    auto pixel = [&](int x, int y) {
        const DWORD value = static_cast<const DWORD*>(bits)[y * client.right + x];
        return RGB((value >> 16) & 0xFF, (value >> 8) & 0xFF, value & 0xFF);
    };
    const COLORREF highlight = GetSysColor(COLOR_HIGHLIGHT);
    const auto lighten = [](COLORREF c, int p) {
        return RGB(GetRValue(c) + (255 - GetRValue(c)) * p / 100,
                   GetGValue(c) + (255 - GetGValue(c)) * p / 100,
                   GetBValue(c) + (255 - GetBValue(c)) * p / 100);
    };
    EXPECT_EQ(pixel(0, 0), RGB(0, 0, 0)) << "the frame";
    EXPECT_EQ(pixel(client.right - 1, client.bottom / 2), RGB(0, 0, 0));
    // Row 0 (Minimize) is selected: its right part (no text there) is highlighted.
    EXPECT_EQ(pixel(client.right - 6, ScaleY(1) + 9), highlight);
    // The menu colour below it, where no text is.
    EXPECT_EQ(pixel(client.right - 6, ScaleY(1) + 18 + 9), GetSysColor(COLOR_MENU));
    // The quick-launch band: lighter upper half, black top line, highlight below.
    const int bandTop = client.bottom - 1 - 20;
    EXPECT_EQ(pixel(4, bandTop), RGB(0, 0, 0));
    EXPECT_EQ(pixel(4, bandTop + 4), lighten(highlight, 15));
    EXPECT_EQ(pixel(4, bandTop + 16), highlight);
    // A selected icon cell is lightened by 45 %.
    Key(VK_UP);
    Popup().Paint(dc, client);
    GdiFlush();
    const RECT cell = Popup().QuickLaunchCells().at(2);
    EXPECT_EQ(pixel(cell.left + 1, cell.bottom - 2), lighten(highlight, 45));
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
}

TEST_F(TaskManagerTest, OpensGrowingFromTheTopRightCorner) {
    StartItem(L"AnimateTaskManager=1\r\n");
    auto programs = Programs({{L"-", L"Alpha"}});
    ASSERT_TRUE(programs->Started());
    SetForegroundWindow(programs->Window(L"Alpha"));
    Popup().Show(false);
    EXPECT_FALSE(Popup().IsOpen()) << "the first step comes from the item's timer";
    auto region = [this](RECT& box) {
        HRGN rgn = CreateRectRgn(0, 0, 0, 0);
        const int kind = GetWindowRgn(Popup().Hwnd(), rgn);
        GetRgnBox(rgn, &box);
        DeleteObject(rgn);
        return kind != ERROR;
    };
    RECT box{};
    ASSERT_TRUE(host.PumpUntil([&] { return Popup().IsOpen() && !region(box); }, 5000))
        << "the timer's steps end with the whole popup shown";

    // Each step shows a larger part anchored at the top-right corner.
    RECT window;
    GetWindowRect(Popup().Hwnd(), &window);
    const int width = window.right - window.left;
    const int height = window.bottom - window.top;
    for (int step = 2; step < 10; step += 2) {
        ASSERT_TRUE(Popup().AnimationStep(step));
        ASSERT_TRUE(region(box)) << "step " << step;
        EXPECT_EQ(box.left, width - step * width * 10 / 100) << "step " << step;
        EXPECT_EQ(box.right, width);
        EXPECT_EQ(box.top, 0);
        EXPECT_EQ(box.bottom, step * height * 10 / 100);
    }
    EXPECT_FALSE(Popup().AnimationStep(10)) << "the last step ends it";
    EXPECT_FALSE(region(box));
    EXPECT_TRUE(Popup().IsOpen());
    Popup().Hide();
    EXPECT_FALSE(Popup().AnimationStep(4)) << "a closed popup stops growing";
}

} // namespace
