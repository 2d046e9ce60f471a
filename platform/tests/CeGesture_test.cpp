// Tap-and-hold: a held stylus is the context-menu gesture; a lift or a move is
// not, and leaves the stylus messages queued for the caller.
#include "CeGesture.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <commctrl.h>

namespace {

using norvane::platform::StylusSample;
using norvane::platform::test::PumpUntil;
using norvane::platform::test::RecordingWindow;

// A scripted stylus: down at (100, 100), changing after a given time.
class ScriptedStylus {
public:
    enum class Then { StayStill, Lift, MoveFar, Jitter };
    ScriptedStylus(Then then, DWORD afterMs) : m_then(then), m_after(afterMs) {
        norvane::platform::SetStylusSource([this] { return Sample(); });
    }
    ~ScriptedStylus() { norvane::platform::SetStylusSource({}); }
    // Samples read after the stylus lifted or moved away: an answer that
    // comes at once reads none.
    int samplesAfterChange() const { return m_afterChange; }
    ScriptedStylus(const ScriptedStylus&) = delete;
    ScriptedStylus& operator=(const ScriptedStylus&) = delete;

private:
    StylusSample Sample() {
        if (m_start == 0) {
            m_start = GetTickCount64();
        }
        StylusSample s{true, {100, 100}};
        bool late = GetTickCount64() - m_start >= m_after;
        if (late && (m_then == Then::Lift || m_then == Then::MoveFar)) {
            if (m_changed) {
                ++m_afterChange;
            }
            m_changed = true;
        }
        switch (m_then) {
        case Then::StayStill:
            break;
        case Then::Lift:
            s.down = !late;
            break;
        case Then::MoveFar:
            if (late) {
                s.position.x += norvane::platform::GestureTolerancePixels() + 1;
            }
            break;
        case Then::Jitter:
            s.position.y += (GetTickCount64() / 10) % 2 == 0 ? 1 : -1;
            break;
        }
        return s;
    }
    Then m_then;
    DWORD m_after;
    ULONGLONG m_start = 0;
    bool m_changed = false;
    int m_afterChange = 0;
};

DWORD Recognize(HWND hwnd, DWORD flags, ULONGLONG* elapsed = nullptr) {
    SHRGINFO info{sizeof info, hwnd, {10, 10}, flags};
    ULONGLONG began = GetTickCount64();
    DWORD result = SHRecognizeGesture(&info);
    if (elapsed != nullptr) {
        *elapsed = GetTickCount64() - began;
    }
    return result;
}

TEST(Gesture, HoldingStillIsTheContextMenuGesture) {
    ScriptedStylus stylus(ScriptedStylus::Then::StayStill, 0);
    ULONGLONG elapsed = 0;
    EXPECT_EQ(Recognize(nullptr, SHRG_RETURNCMD | SHRG_NOANIMATION, &elapsed),
              static_cast<DWORD>(GN_CONTEXTMENU));
    EXPECT_GE(elapsed, norvane::platform::kGestureHoldMs) << "recognized before the hold time";
}

TEST(Gesture, SmallJitterStillCountsAsHolding) {
    ScriptedStylus stylus(ScriptedStylus::Then::Jitter, 0);
    EXPECT_EQ(Recognize(nullptr, SHRG_RETURNCMD | SHRG_NOANIMATION), static_cast<DWORD>(GN_CONTEXTMENU));
}

TEST(Gesture, EarlyLiftIsATap) {
    ScriptedStylus stylus(ScriptedStylus::Then::Lift, 100);
    ULONGLONG elapsed = 0;
    EXPECT_EQ(Recognize(nullptr, SHRG_RETURNCMD | SHRG_NOANIMATION, &elapsed), 0u);
    EXPECT_LT(elapsed, norvane::platform::kGestureHoldMs)
        << "a tap must answer at once, not after the hold time";
}

TEST(Gesture, MovingAwayIsADrag) {
    ScriptedStylus stylus(ScriptedStylus::Then::MoveFar, 100);
    EXPECT_EQ(Recognize(nullptr, SHRG_RETURNCMD), 0u);
    EXPECT_EQ(stylus.samplesAfterChange(), 0) << "a drag must answer at once";
}

TEST(Gesture, LongDelayWaitsLonger) {
    ScriptedStylus stylus(ScriptedStylus::Then::Lift, norvane::platform::kGestureHoldMs + 150);
    EXPECT_EQ(Recognize(nullptr, SHRG_RETURNCMD | SHRG_NOANIMATION | SHRG_LONGDELAY), 0u);
}

TEST(Gesture, AnimationDoesNotChangeTheAnswer) {
    ScriptedStylus stylus(ScriptedStylus::Then::StayStill, 0);
    RecordingWindow window(L"NorvaneGestureAnim");
    EXPECT_EQ(Recognize(window.Get(), SHRG_RETURNCMD), static_cast<DWORD>(GN_CONTEXTMENU));
}

TEST(Gesture, QueuedStylusMessagesStayForTheCaller) {
    // The stylus looks down, but its release is already queued: a tap, and the
    // caller still gets the move and the release, in order.
    ScriptedStylus stylus(ScriptedStylus::Then::StayStill, 0);
    RecordingWindow window(L"NorvaneGestureQueue");
    PostMessageW(window.Get(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(12, 12));
    PostMessageW(window.Get(), WM_LBUTTONUP, 0, MAKELPARAM(12, 12));
    EXPECT_EQ(Recognize(window.Get(), SHRG_RETURNCMD | SHRG_NOANIMATION), 0u);
    // Only the stylus messages: tests running beside this one broadcast to
    // every top-level window, and their messages may come first.
    MSG msg;
    ASSERT_TRUE(PeekMessageW(&msg, window.Get(), WM_MOUSEFIRST, WM_MOUSELAST, PM_REMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_MOUSEMOVE));
    ASSERT_TRUE(PeekMessageW(&msg, window.Get(), WM_MOUSEFIRST, WM_MOUSELAST, PM_REMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_LBUTTONUP));
}

TEST(Gesture, UpStylusOrBadRecordIsNoGesture) {
    norvane::platform::SetStylusSource([] { return StylusSample{false, {0, 0}}; });
    EXPECT_EQ(Recognize(nullptr, SHRG_RETURNCMD), 0u);
    norvane::platform::SetStylusSource({});
    EXPECT_EQ(SHRecognizeGesture(nullptr), 0u);
    SHRGINFO small{sizeof(SHRGINFO) - 4, nullptr, {0, 0}, SHRG_RETURNCMD};
    EXPECT_EQ(SHRecognizeGesture(&small), 0u);
}

// The real stylus: mouse input injected into the display.
class InjectedStylus : public ::testing::Test {
protected:
    void SetUp() override {
        m_window = std::make_unique<RecordingWindow>(L"NorvaneGestureReal");
        SetWindowPos(m_window->Get(), HWND_TOPMOST, 100, 100, 200, 200, SWP_SHOWWINDOW);
        SetForegroundWindow(m_window->Get());
        PumpUntil([] { return false; }, 50);
        if (!SetCursorPos(200, 200)) {
            GTEST_SKIP() << "no display to inject into";
        }
    }
    void TearDown() override {
        Press(MOUSEEVENTF_LEFTUP);
        m_window.reset();
    }
    static void Press(DWORD flags) {
        INPUT input{};
        input.type = INPUT_MOUSE;
        input.mi.dwFlags = flags;
        SendInput(1, &input, sizeof input);
    }
    // Lifts the stylus from another thread after a delay.
    static HANDLE LiftLater(DWORD delayMs) {
        return CreateThread(
            nullptr, 0,
            [](void* delay) -> DWORD {
                Sleep(static_cast<DWORD>(reinterpret_cast<ULONG_PTR>(delay)));
                Press(MOUSEEVENTF_LEFTUP);
                return 0;
            },
            reinterpret_cast<void*>(static_cast<ULONG_PTR>(delayMs)), 0, nullptr);
    }
    std::unique_ptr<RecordingWindow> m_window;
};

TEST_F(InjectedStylus, HoldAndTapWithTheRealStylus) {
    Press(MOUSEEVENTF_LEFTDOWN);
    if (!PumpUntil([] { return (GetAsyncKeyState(VK_LBUTTON) & 0x8000) != 0; }, 2000)) {
        GTEST_SKIP() << "injected input does not reach the key state here";
    }
    HANDLE lifter = LiftLater(norvane::platform::kGestureHoldMs + 300);
    EXPECT_EQ(Recognize(m_window->Get(), SHRG_RETURNCMD), static_cast<DWORD>(GN_CONTEXTMENU));
    WaitForSingleObject(lifter, 5000);
    CloseHandle(lifter);

    m_window->messages.clear();
    Press(MOUSEEVENTF_LEFTDOWN);
    ASSERT_TRUE(PumpUntil([] { return (GetAsyncKeyState(VK_LBUTTON) & 0x8000) != 0; }, 2000));
    lifter = LiftLater(100);
    EXPECT_EQ(Recognize(m_window->Get(), SHRG_RETURNCMD | SHRG_NOANIMATION), 0u);
    WaitForSingleObject(lifter, 5000);
    CloseHandle(lifter);
    EXPECT_TRUE(PumpUntil([&] {
        for (const auto& m : m_window->messages) {
            if (m.message == WM_LBUTTONUP) {
                return true;
            }
        }
        return false;
    })) << "the release must still reach the window";
}

} // namespace

namespace {

// A list view's parent hears of a held stylus as the device's controls tell it.
TEST(Gesture, HeldListViewRowNotifiesTheParent) {
    INITCOMMONCONTROLSEX init{sizeof init, ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&init);
    RecordingWindow parent(L"NorvaneGestureParent");
    NMRGINFO seen{};
    int notices = 0;
    parent.filter = [&](UINT message, WPARAM, LPARAM lParam) {
        auto* header = reinterpret_cast<NMHDR*>(lParam);
        if (message == WM_NOTIFY && header->code == static_cast<UINT>(GN_CONTEXTMENU)) {
            seen = *reinterpret_cast<NMRGINFO*>(lParam);
            ++notices;
            return true;
        }
        return false;
    };
    HWND list =
        CreateWindowExW(0, WC_LISTVIEWW, L"", WS_CHILD | WS_VISIBLE | LVS_REPORT, 0, 0, 200, 200,
                        parent.Get(), reinterpret_cast<HMENU>(1007), GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(list, nullptr);
    LVCOLUMNW column{LVCF_WIDTH, 0, 150};
    ListView_InsertColumn(list, 0, &column);
    wchar_t text[] = L"Calculator";
    LVITEMW item{LVIF_TEXT, 0, 0, 0, 0, text};
    ListView_InsertItem(list, &item);
    RECT row;
    ListView_GetItemRect(list, 0, &row, LVIR_BOUNDS);
    ASSERT_TRUE(CeEnableTapAndHold(list));

    ScriptedStylus stylus(ScriptedStylus::Then::StayStill, 0);
    POINT press{row.left + 5, (row.top + row.bottom) / 2};
    SendMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(press.x, press.y));
    ASSERT_EQ(notices, 1);
    EXPECT_EQ(seen.hdr.hwndFrom, list);
    EXPECT_EQ(seen.hdr.idFrom, 1007u);
    EXPECT_EQ(seen.dwItemSpec, 0u) << "the row under the stylus";
    POINT screen = press;
    ClientToScreen(list, &screen);
    EXPECT_EQ(seen.ptAction.x, screen.x);
    EXPECT_EQ(seen.ptAction.y, screen.y);
    DestroyWindow(list);
}

} // namespace
