// The built key stubs: each one posts "NorvaneLauncherMsg" with its code to the
// top-level windows and ends with 0, with or without anyone listening.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::wstring StubPath(const wchar_t* name) {
    std::string dir = NORVANE_STUB_DIR;
    std::wstring path = L"Z:";
    for (char c : dir) {
        path += c == '/' ? L'\\' : static_cast<wchar_t>(c);
    }
    return path + L"\\" + name + L".exe";
}

// Starts a stub with the argument string and returns its exit code (-1 when it
// did not start or did not end).
int RunStub(const wchar_t* name, const std::wstring& arguments) {
    std::wstring commandLine = L"\"" + StubPath(name) + L"\"";
    if (!arguments.empty()) {
        commandLine += L" " + arguments;
    }
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info = {};
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &info)) {
        return -1;
    }
    DWORD code = static_cast<DWORD>(-1);
    if (WaitForSingleObject(info.hProcess, 20000) == WAIT_OBJECT_0) {
        GetExitCodeProcess(info.hProcess, &code);
    }
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
    return static_cast<int>(code);
}

// The stubs broadcast to every top-level window of the test prefix, the item
// tests' items among them: take the lock those tests hold while an item runs.
class ItemTestsLock {
public:
    ItemTestsLock() : m_mutex(CreateMutexW(nullptr, FALSE, L"NorvaneItemTestsSharedState")) {
        if (m_mutex) {
            WaitForSingleObject(m_mutex, INFINITE);
        }
    }
    ~ItemTestsLock() {
        if (m_mutex) {
            ReleaseMutex(m_mutex);
            CloseHandle(m_mutex);
        }
    }
    ItemTestsLock(const ItemTestsLock&) = delete;
    ItemTestsLock& operator=(const ItemTestsLock&) = delete;

private:
    HANDLE m_mutex;
};

// A top-level window that records every "NorvaneLauncherMsg" it receives.
class Listener {
public:
    Listener() {
        m_message = RegisterWindowMessageW(L"NorvaneLauncherMsg");
        WNDCLASSW wc = {};
        wc.lpfnWndProc = Proc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"NorvaneKeyStubListener";
        RegisterClassW(&wc);
        m_hwnd = CreateWindowExW(0, wc.lpszClassName, L"listener", WS_OVERLAPPED, 0, 0, 0, 0, nullptr,
                                 nullptr, wc.hInstance, nullptr);
        SetWindowLongPtrW(m_hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    ~Listener() { DestroyWindow(m_hwnd); }

    // Pumps until count codes arrived or two seconds passed.
    std::vector<std::pair<WPARAM, LPARAM>> Receive(size_t count) {
        DWORD deadline = GetTickCount() + 2000;
        while (m_received.size() < count && static_cast<int>(deadline - GetTickCount()) > 0) {
            MSG msg;
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
                DispatchMessageW(&msg);
            }
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        }
        auto received = m_received;
        m_received.clear();
        return received;
    }

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
        auto* self = reinterpret_cast<Listener*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        if (self && msg == self->m_message && msg != 0) {
            self->m_received.emplace_back(wp, lp);
            return 0;
        }
        return DefWindowProcW(hwnd, msg, wp, lp);
    }
    HWND m_hwnd = nullptr;
    UINT m_message = 0;
    std::vector<std::pair<WPARAM, LPARAM>> m_received;
};

TEST(KeyStubs, EachFixedStubPostsItsCode) {
    ItemTestsLock lock;
    Listener listener;
    const struct {
        const wchar_t* name;
        WPARAM code;
    } stubs[] = {{L"NorvaneApp1", 1},      {L"NorvaneApp2", 2},        {L"NorvaneApp3", 3},
                 {L"NorvaneApp4", 4},      {L"NorvaneOKButton", 1000}, {L"NorvaneLeftKey", 112},
                 {L"NorvaneRightKey", 113}};
    for (const auto& stub : stubs) {
        // Arguments mean nothing to the fixed stubs.
        ASSERT_EQ(RunStub(stub.name, L"/launch:2"), 0) << "exit code of " << stub.name;
        auto received = listener.Receive(1);
        ASSERT_EQ(received.size(), 1u) << "one message from stub with code " << stub.code;
        EXPECT_EQ(received[0].first, stub.code);
        EXPECT_EQ(received[0].second, 0);
    }
}

TEST(KeyStubs, TaskManagerStubTakesItsCodeFromTheCommandLine) {
    ItemTestsLock lock;
    Listener listener;
    const struct {
        const wchar_t* arguments;
        WPARAM code;
    } cases[] = {{L"/launch:0", 1}, {L"/LAUNCH:2", 3},  {L"/launch:3", 4},   {L"", 0},
                 {L"/launch:7", 0}, {L"/launch:1x", 0}, {L"/launch:1 -q", 0}};
    for (const auto& c : cases) {
        ASSERT_EQ(RunStub(L"NorvaneTaskManager", c.arguments), 0);
        auto received = listener.Receive(1);
        ASSERT_EQ(received.size(), 1u) << "expected code " << c.code;
        EXPECT_EQ(received[0].first, c.code) << "for the switch of code " << c.code;
    }
}

TEST(KeyStubs, TwoRunsPostTwoMessagesAndNobodyListeningIsFine) {
    ItemTestsLock lock;
    EXPECT_EQ(RunStub(L"NorvaneApp2", L""), 0) << "no listener: still exit code 0";
    Listener listener;
    ASSERT_EQ(RunStub(L"NorvaneApp2", L""), 0);
    ASSERT_EQ(RunStub(L"NorvaneApp2", L""), 0);
    auto received = listener.Receive(2);
    ASSERT_EQ(received.size(), 2u);
    EXPECT_EQ(received[0].first, 2u);
    EXPECT_EQ(received[1].first, 2u);
}

TEST(KeyStubs, StubsCarryTheHighResolutionMarkerAndAnIcon) {
    HMODULE module =
        LoadLibraryExW(StubPath(L"NorvaneTaskManager").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(module, nullptr);
    HRSRC marker = FindResourceW(module, L"HI_RES_AWARE", L"CEUX");
    ASSERT_NE(marker, nullptr);
    ASSERT_GE(SizeofResource(module, marker), 2u);
    const auto* value = static_cast<const WORD*>(LockResource(LoadResource(module, marker)));
    ASSERT_NE(value, nullptr);
    EXPECT_EQ(*value, 1);
    EXPECT_NE(FindResourceW(module, MAKEINTRESOURCEW(1), RT_GROUP_ICON), nullptr);
    FreeLibrary(module);
}

} // namespace
