// Shared helpers of the stand-in's tests: a scratch device state, names of
// their own for the shell's objects, message pumping with a deadline, and a
// second process (this test program started again with "--platform-child").
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace norvane::platform::test {

// A fresh state key and cards key under HKLM, and a name suffix for the shell's
// window classes, event and messages; all removed again afterwards.
class ScratchDevice : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    std::wstring m_stateKey;
    std::wstring m_cardsKey;
    std::wstring m_suffix;
    std::wstring m_root;
};

// Runs the message loop of this thread until done() or the deadline; true when done.
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 5000);

// Starts this program again with "--platform-child" and the arguments; waits
// for it and returns its exit code (or 0xFFFFFFFF when it could not run).
DWORD RunChild(const std::vector<std::wstring>& arguments, DWORD timeoutMs = 20000);
std::wstring ThisProgram();

// Removes a host folder with everything in it; true when it is gone.
bool RemoveTree(const std::wstring& hostPath);

// A hidden top-level window of a class of its own that records registered and
// private messages, WM_COPYDATA and stylus messages.
class RecordingWindow {
public:
    explicit RecordingWindow(const std::wstring& className, const wchar_t* title = L"");
    ~RecordingWindow();
    RecordingWindow(const RecordingWindow&) = delete;
    RecordingWindow& operator=(const RecordingWindow&) = delete;
    HWND Get() const { return m_hwnd; }
    struct Message {
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
        ULONG_PTR copyCode = 0; // WM_COPYDATA: dwData
        std::string copyBytes;  // WM_COPYDATA: the bytes
    };
    std::vector<Message> messages;
    // Answer to WM_COPYDATA, and to registered messages.
    LRESULT copyDataAnswer = TRUE;
    LRESULT registeredAnswer = 0;
    // Called first for every message; true swallows it.
    std::function<bool(UINT, WPARAM, LPARAM)> filter;

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    std::wstring m_class;
    HWND m_hwnd = nullptr;
};

} // namespace norvane::platform::test
