// The task-bar extensions on a task bar of our own ("HHTaskBar" in the test
// process, as the shell's bar is in the item's process on the device): the
// running-program icons, the corner's close and task-manager gestures, the OK
// button's rule, the running-icon menu, the top-bar icon's drag and tap, and
// the navigation-bar title.
#include "TaskTestSupport.h"
#include "TodayHost.h"

#include "CeGesture.h"
#include "DeviceContract.h"
#include "DisplayScale.h"
#include "Launcher.h"
#include "MessageWindow.h"
#include "Module.h"
#include "Settings.h"
#include "TaskManagerPopup.h"
#include "TaskRules.h"
#include "TextCodec.h"
#include "TodayItemWindow.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <vector>

using namespace norvane;
using namespace norvane::test;

namespace {

constexpr COLORREF kBarColour = RGB(20, 40, 80);
constexpr int kBarHeight = 26;

// A task bar that paints one colour and notes what reaches its own procedure.
class FakeTaskBar {
public:
    FakeTaskBar() {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = Proc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = device::kTaskBarClass;
        RegisterClassW(&wc);
        s_current = this;
        m_hwnd = CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, device::kTaskBarClass, L"",
                                 WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, GetSystemMetrics(SM_CXSCREEN),
                                 kBarHeight, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        m_proc = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(m_hwnd, GWLP_WNDPROC));
    }
    ~FakeTaskBar() {
        DestroyWindow(m_hwnd);
        UnregisterClassW(device::kTaskBarClass, GetModuleHandleW(nullptr));
        s_current = nullptr;
    }
    HWND Hwnd() const { return m_hwnd; }
    WNDPROC OwnProc() const { return m_proc; }

    int presses = 0;
    int releases = 0;
    std::vector<std::wstring> navTexts;

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
        FakeTaskBar* self = s_current;
        switch (msg) {
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(hwnd, &ps);
            RECT client;
            GetClientRect(hwnd, &client);
            HBRUSH brush = CreateSolidBrush(kBarColour);
            FillRect(dc, &client, brush);
            DeleteObject(brush);
            EndPaint(hwnd, &ps);
            return 0;
        }
        case WM_LBUTTONDOWN:
            if (self) {
                ++self->presses;
            }
            return 0;
        case WM_LBUTTONUP:
            if (self) {
                ++self->releases;
            }
            return 0;
        case WM_COPYDATA: {
            const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lp);
            if (self && data && data->dwData == device::kCopyDataNavBarText) {
                std::wstring text(static_cast<const wchar_t*>(data->lpData), data->cbData / sizeof(wchar_t));
                text = text.substr(0, text.find(L'\0'));
                self->navTexts.push_back(text);
            }
            return TRUE;
        }
        default:
            return DefWindowProcW(hwnd, msg, wp, lp);
        }
    }

    static FakeTaskBar* s_current;
    HWND m_hwnd = nullptr;
    WNDPROC m_proc = nullptr;
};

FakeTaskBar* FakeTaskBar::s_current = nullptr;

const wchar_t kSettings[] = L"[General]\r\nBehaviorMode=2\r\nDeferIconLoading=1\r\n"
                            L"[Tab1]\r\nName=Home\r\nUniqueID=1\r\nShortcut1=\\Windows\\calc.exe\r\n"
                            L"[Tab2]\r\nSpecialType=3\r\nShortcut1=\\Windows\\top.exe\r\n";

class TaskBarTest : public ::testing::Test {
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
            executions.push_back(info.lpFile ? info.lpFile : L"");
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
        item->TaskManager().Services().isHold = [](HWND, POINT) { return false; };
        ASSERT_TRUE(item->Create(host.Hwnd()));
        ASSERT_TRUE(host.PumpUntil([this] { return item->View() && item->View()->GetType() != -2; }));
        MessageWindowServices& messages = item->Messages().Services();
        messages.isHold = [this](HWND, POINT, DWORD flags) {
            holdFlags.push_back(flags);
            return hold;
        };
        messages.track = [this](HMENU menu, POINT, HWND) {
            ++menusShown;
            return choice;
        };
        ASSERT_EQ(item->Messages().TaskBar(), bar.Hwnd()) << "the bar of our own process is subclassed";
    }

    std::unique_ptr<TestPrograms> Programs(std::vector<ProgramWindowSpec> windows,
                                           const wchar_t* program = L"task_programs.exe") {
        auto programs = std::make_unique<TestPrograms>(std::move(windows), program);
        EXPECT_TRUE(programs->Started());
        scope.insert(programs->ProcessId());
        return programs;
    }

    void Front(HWND window) {
        if (IsIconic(window)) {
            ShowWindow(window, SW_RESTORE);
        }
        SetForegroundWindow(window);
        host.PumpUntil([window] { return GetForegroundWindow() == window; }, 2000);
    }
    void Press(POINT at) { SendMessageW(bar.Hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(at.x, at.y)); }
    void Release(POINT at) { SendMessageW(bar.Hwnd(), WM_LBUTTONUP, 0, MAKELPARAM(at.x, at.y)); }
    // The stylus while the message window holds it: its client coordinates.
    void StylusToMessageWindow(UINT msg, POINT screen) {
        HWND window = item->Messages().Hwnd();
        POINT client = screen;
        ScreenToClient(window, &client);
        SendMessageW(window, msg, msg == WM_MOUSEMOVE ? MK_LBUTTON : 0,
                     MAKELPARAM(static_cast<short>(client.x), static_cast<short>(client.y)));
    }
    POINT Corner() const {
        const RECT corner = item->Messages().CornerRect();
        return POINT{(corner.left + corner.right) / 2, (corner.top + corner.bottom) / 2};
    }
    static POINT Centre(const RECT& r) { return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }
    GeneralOptions& General() { return item->GetSettings().General; }

    TodayHost host;
    FakeTaskBar bar;
    std::unique_ptr<TodayItemWindow> item;
    std::set<DWORD> scope;
    bool telephony = false;
    bool hold = false;
    UINT choice = 0;
    int menusShown = 0;
    std::vector<DWORD> holdFlags;
    std::vector<HWND> minimized;
    std::vector<std::wstring> executions;
};

TEST_F(TaskBarTest, RunningIconsKeepTheirOrderWhateverIsInFrontUpToTheLimit) {
    auto programs = Programs({{L"-", L"Alpha"}, {L"-", L"Beta"}, {L"-", L"Gamma"}, {L"t", L"Palette"}});
    ASSERT_TRUE(programs->Started());
    StartItem(
        L"ShowRunningPrograms=1\r\nRunningProgramsLimitLandscape=3\r\nRunningProgramsLimitPortrait=3\r\n");
    const MessageWindow& messages = item->Messages();
    const auto& running = messages.Running();
    ASSERT_EQ(running.size(), 4u) << "the desktop and three programs; no tool window, no shell window";
    EXPECT_TRUE(std::is_sorted(running.begin(), running.end(), [](const auto& a, const auto& b) {
        return reinterpret_cast<std::uintptr_t>(a.window) < reinterpret_cast<std::uintptr_t>(b.window);
    }));
    std::vector<HWND> order;
    for (const auto& entry : running) {
        order.push_back(entry.window);
    }
    EXPECT_EQ(std::count_if(running.begin(), running.end(), [](const auto& e) { return e.desktop; }), 1);

    for (const wchar_t* title : {L"Gamma", L"Alpha", L"Beta"}) {
        Front(programs->Window(title));
        EXPECT_FALSE(item->Messages().RefreshRunning()) << "nothing changed";
        std::vector<HWND> now;
        for (const auto& entry : running) {
            now.push_back(entry.window);
        }
        EXPECT_EQ(now, order);
    }
    const std::vector<RECT> rects = messages.RunningIconRects();
    ASSERT_EQ(rects.size(), 4u);
    EXPECT_EQ(rects[0].left, 28);
    EXPECT_EQ(rects[1].left, 28 + 18);
    EXPECT_EQ(rects[2].top, ScaleY(5));
    EXPECT_EQ(rects[3].left, -1) << "beyond the limit";

    // A tap on an icon brings its program forward; the bar never sees it.
    const int index =
        static_cast<int>(std::find(order.begin(), order.end(), programs->Window(L"Gamma")) - order.begin());
    ASSERT_LT(index, 3);
    Front(programs->Window(L"Alpha"));
    Press(Centre(rects[index]));
    Release(Centre(rects[index]));
    EXPECT_TRUE(host.PumpUntil([&] { return GetForegroundWindow() == programs->Window(L"Gamma"); }, 3000));
    EXPECT_EQ(bar.presses + bar.releases, 0);
    // The icon beyond the limit cannot be hit: that place is the bar's.
    Press(POINT{28 + 3 * 18 + 8, ScaleY(5) + 8});
    EXPECT_EQ(bar.presses, 1);

    // A program that goes is dropped at the next refresh.
    PostMessageW(programs->Window(L"Beta"), WM_CLOSE, 0, 0);
    ASSERT_TRUE(host.PumpUntil(
        [&] { return !IsWindow(programs->Window(L"Beta")) && programs->Window(L"Beta") == nullptr; }, 5000));
    EXPECT_TRUE(item->Messages().RefreshRunning());
    EXPECT_EQ(item->Messages().Running().size(), 3u);

    General().RunningProgramsRightAlign = true;
    const std::vector<RECT> right = messages.RunningIconRects();
    const int width = GetSystemMetrics(SM_CXSCREEN);
    EXPECT_EQ(right[0].left, width - 28 - 16 - 2) << "the first icon's left edge";
    EXPECT_EQ(right[1].left, right[0].left - 18) << "further icons extend to the left";
}

TEST_F(TaskBarTest, CornerClosesTheProgramInFrontUnlessItIsSpared) {
    telephony = true;
    auto programs = Programs({{L"-", L"Plain"}, {L"-", L"Keep"}, {L"k", L"Dialog"}});
    auto phone = Programs({{L"-", L"Phone"}}, L"testcprog.exe");
    ASSERT_TRUE(programs->Started() && phone->Started());
    StartItem(L"XButtonCloses=1\r\n");
    item->GetSettings().ToggleExceptionFlags(L"Keep", exceptionbit::kMinimizeOnly);

    for (const wchar_t* spared : {L"Keep", L"Dialog"}) {
        Front(programs->Window(spared));
        const int before = bar.releases;
        Release(Corner());
        EXPECT_EQ(bar.releases, before + 1) << "left to the bar's own button: " << Utf16ToUtf8(spared);
    }
    Front(phone->Window(L"Phone"));
    Release(Corner());
    EXPECT_TRUE(phone->Log().empty()) << "the phone is never closed by the corner";

    Front(programs->Window(L"Plain"));
    const int before = bar.releases;
    Release(Corner());
    EXPECT_EQ(bar.releases, before) << "the release is ours";
    EXPECT_TRUE(host.PumpUntil([&] { return programs->Window(L"Plain") == nullptr; }, 5000));
    EXPECT_EQ(programs->Log(), std::vector<std::wstring>{L"Plain|close"});

    // Without XButtonCloses the corner is the bar's.
    General().XButtonCloses = false;
    Front(programs->Window(L"Keep"));
    Release(Corner());
    EXPECT_TRUE(IsWindow(programs->Window(L"Keep")));
}

TEST_F(TaskBarTest, CornerHoldOpensTheTaskManager) {
    auto programs = Programs({{L"-", L"Alpha"}});
    ASSERT_TRUE(programs->Started());
    StartItem(L"ShowTaskManager=2\r\n");
    Front(programs->Window(L"Alpha"));
    hold = true;
    Press(Corner());
    EXPECT_TRUE(item->TaskManager().IsOpen());
    EXPECT_EQ(bar.presses, 0) << "the press is swallowed";
    ASSERT_FALSE(holdFlags.empty());
    EXPECT_EQ(holdFlags.back(), static_cast<DWORD>(SHRG_RETURNCMD | SHRG_NOANIMATION));
    EXPECT_EQ(item->TaskManager().Target(), programs->Window(L"Alpha"));
    item->TaskManager().Hide();

    hold = false;
    Press(Corner());
    EXPECT_EQ(bar.presses, 1) << "a tap goes on to the bar";
    EXPECT_FALSE(item->TaskManager().IsOpen());
    General().ShowTaskManager = 0;
    hold = true;
    Press(Corner());
    EXPECT_EQ(bar.presses, 2);
    EXPECT_FALSE(item->TaskManager().IsOpen());
}

TEST_F(TaskBarTest, TheKeyStubsCodesOpenTheTaskManagerAndPressOk) {
    auto programs =
        Programs({{L"-", L"Plain"}, {L"-", L"Keep"}, {L"k", L"Dialog"}, {L"k", L"Second dialog"}});
    ASSERT_TRUE(programs->Started());
    StartItem();
    item->GetSettings().ToggleExceptionFlags(L"Keep", exceptionbit::kMinimizeOnly);

    Front(programs->Window(L"Plain"));
    item->OnLauncherCode(0);
    EXPECT_TRUE(item->TaskManager().IsOpen());
    item->OnLauncherCode(0);
    EXPECT_FALSE(item->TaskManager().IsOpen()) << "a second press closes it";

    // Without XButtonCloses: OK to a dialog with the OK button, minimize others.
    Front(programs->Window(L"Dialog"));
    item->OnLauncherCode(1000);
    EXPECT_TRUE(host.PumpUntil([&] { return programs->Window(L"Dialog") == nullptr; }, 5000));
    Front(programs->Window(L"Plain"));
    item->OnLauncherCode(1000);
    ASSERT_EQ(minimized.size(), 1u);
    EXPECT_EQ(minimized[0], programs->Window(L"Plain"));
    Front(host.Hwnd());
    item->OnLauncherCode(1000);
    EXPECT_EQ(minimized.size(), 1u) << "the desktop is left alone";

    // With XButtonCloses: close, unless minimize-only or the OK button.
    General().XButtonCloses = true;
    Front(programs->Window(L"Keep"));
    item->OnLauncherCode(1000);
    EXPECT_EQ(minimized.back(), programs->Window(L"Keep"));
    Front(programs->Window(L"Second dialog"));
    item->OnLauncherCode(1000);
    Front(programs->Window(L"Plain"));
    item->OnLauncherCode(1000);
    EXPECT_TRUE(host.PumpUntil([&] { return programs->Log().size() == 3; }, 5000));
    EXPECT_EQ(programs->Log(),
              (std::vector<std::wstring>{L"Dialog|ok", L"Second dialog|ok", L"Plain|close"}));
    EXPECT_TRUE(IsWindow(programs->Window(L"Keep")));
}

TEST_F(TaskBarTest, RunningIconMenuClosesOrClosesAllButThis) {
    auto programs = Programs({{L"-", L"Alpha"}, {L"-", L"Beta"}, {L"-", L"Gamma"}});
    ASSERT_TRUE(programs->Started());
    StartItem(L"ShowRunningPrograms=1\r\n");
    item->GetSettings().ToggleExceptionFlags(L"Gamma", exceptionbit::kIgnoreCloseAll);
    const HWND alpha = programs->Window(L"Alpha");
    const auto& running = item->Messages().Running();
    auto iconOf = [&](HWND window) {
        const auto rects = item->Messages().RunningIconRects();
        for (std::size_t i = 0; i < running.size(); ++i) {
            if (running[i].window == window) {
                return Centre(rects[i]);
            }
        }
        return POINT{-100, -100};
    };
    hold = true;
    choice = 2; // Close All But This
    Press(iconOf(alpha));
    EXPECT_EQ(menusShown, 1);
    EXPECT_TRUE(host.PumpUntil([&] { return programs->Window(L"Beta") == nullptr; }, 5000));
    EXPECT_TRUE(IsWindow(alpha));
    EXPECT_TRUE(IsWindow(programs->Window(L"Gamma")));
    EXPECT_EQ(minimized, std::vector<HWND>{programs->Window(L"Gamma")}) << "the desktop is never minimized";

    choice = 1; // Close
    Press(iconOf(alpha));
    EXPECT_TRUE(host.PumpUntil([&] { return programs->Window(L"Alpha") == nullptr; }, 5000));
    choice = 0;
    Press(iconOf(programs->Window(L"Gamma")));
    EXPECT_TRUE(IsWindow(programs->Window(L"Gamma"))) << "nothing chosen, nothing done";
    EXPECT_EQ(bar.presses, 0);
}

TEST_F(TaskBarTest, TopBarIconDragsStoresItsPlaceAndATapLaunches) {
    StartItem(L"TopBarShortcutX=100\r\nTopBarIconRightAlignment=1\r\n");
    MessageWindow& messages = item->Messages();
    const int width = GetSystemMetrics(SM_CXSCREEN);
    EXPECT_EQ(messages.TopBarX(), width - 100) << "counted from the right edge";
    const RECT icon = messages.TopBarRect();
    EXPECT_EQ(icon.top, ScaleY(5));
    EXPECT_EQ(icon.right - icon.left, ScaleX(16));

    // A drag of 40 pixels to the left moves the icon and stores its place.
    Press(POINT{icon.left + 6, icon.top + 6});
    EXPECT_EQ(GetCapture(), messages.Hwnd()) << "the message window follows the stylus";
    StylusToMessageWindow(WM_MOUSEMOVE, POINT{icon.left + 6 - 20, 10});
    StylusToMessageWindow(WM_MOUSEMOVE, POINT{icon.left + 6 - 40, 10});
    EXPECT_EQ(messages.TopBarX(), width - 100 - 40);
    StylusToMessageWindow(WM_LBUTTONUP, POINT{icon.left + 6 - 40, 10});
    EXPECT_NE(GetCapture(), messages.Hwnd());
    EXPECT_EQ(General().TopBarShortcutX, 140);
    Settings fromDisk;
    fromDisk.SkipIcons = true;
    fromDisk.SetPath(SettingsFilePath());
    ASSERT_TRUE(fromDisk.Load());
    EXPECT_EQ(fromDisk.General.TopBarShortcutX, 140);
    EXPECT_TRUE(executions.empty()) << "a drag launches nothing";

    // Two pixels are a tap: the shortcut launches and the icon stays.
    const RECT moved = messages.TopBarRect();
    Press(POINT{moved.left + 6, moved.top + 6});
    StylusToMessageWindow(WM_MOUSEMOVE, POINT{moved.left + 8, 10});
    StylusToMessageWindow(WM_LBUTTONUP, POINT{moved.left + 8, 10});
    EXPECT_EQ(messages.TopBarX(), moved.left);
    ASSERT_EQ(executions.size(), 1u);
    EXPECT_EQ(Utf16ToUtf8(executions[0]), "\\Windows\\top.exe");

    // Dragged off the screen, it stays on it.
    Press(POINT{moved.left + 6, moved.top + 6});
    StylusToMessageWindow(WM_MOUSEMOVE, POINT{-300, 10});
    EXPECT_EQ(messages.TopBarX(), 0);
    StylusToMessageWindow(WM_LBUTTONUP, POINT{-300, 10});
    EXPECT_EQ(General().TopBarShortcutX, width);

    // Locked, it does not move; a tap still launches.
    General().TopBarIconLocked = true;
    const RECT locked = messages.TopBarRect();
    Press(POINT{locked.left + 6, locked.top + 6});
    StylusToMessageWindow(WM_MOUSEMOVE, POINT{locked.left + 80, 10});
    StylusToMessageWindow(WM_LBUTTONUP, POINT{locked.left + 6, 10});
    EXPECT_EQ(messages.TopBarX(), locked.left);
    EXPECT_EQ(executions.size(), 2u);
    EXPECT_EQ(bar.presses, 0);

    // Kept from the left edge when not right-aligned.
    General().TopBarIconRightAlignment = false;
    General().TopBarShortcutX = 50;
    ASSERT_TRUE(item->SaveSettings());
    item->Reload(false);
    EXPECT_EQ(item->Messages().TopBarX(), 50);
}

TEST_F(TaskBarTest, TheTitleIsHiddenOrGivenBackAtEveryPaint) {
    auto programs = Programs({{L"-", L"Alpha"}});
    ASSERT_TRUE(programs->Started());
    StartItem(L"RunningProgramsHideTitles=1\r\n");
    Front(programs->Window(L"Alpha"));
    bar.navTexts.clear();
    InvalidateRect(bar.Hwnd(), nullptr, FALSE);
    UpdateWindow(bar.Hwnd());
    ASSERT_FALSE(bar.navTexts.empty());
    EXPECT_EQ(Utf16ToUtf8(bar.navTexts.back()), " ");
    General().RunningProgramsHideTitles = false;
    InvalidateRect(bar.Hwnd(), nullptr, FALSE);
    UpdateWindow(bar.Hwnd());
    EXPECT_EQ(Utf16ToUtf8(bar.navTexts.back()), "") << "the program's own title again";
}

TEST_F(TaskBarTest, TheSubclassLeavesWithTheItem) {
    StartItem();
    EXPECT_NE(reinterpret_cast<WNDPROC>(GetWindowLongPtrW(bar.Hwnd(), GWLP_WNDPROC)), bar.OwnProc());
    item.reset();
    EXPECT_EQ(reinterpret_cast<WNDPROC>(GetWindowLongPtrW(bar.Hwnd(), GWLP_WNDPROC)), bar.OwnProc());
    Press(POINT{5, 5});
    EXPECT_EQ(bar.presses, 1);
}

} // namespace
