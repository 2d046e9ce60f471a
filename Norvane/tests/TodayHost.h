// A small Today screen for the item's component tests: a top-level window of
// the Today class that paints a known background, answers the item's colour
// and watermark requests, and records the messages the item sends back.
#pragma once

#include "TodayApi.h"

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace norvane::test {

inline constexpr COLORREF kHostBackground = RGB(10, 20, 30);
inline constexpr COLORREF kHostTextColour = RGB(250, 240, 5);

// Held while a test uses the state that every item test shares through the one
// test prefix: the settings file, the item's registry values and the Today
// keys. Tests run in parallel processes, so each waits for the one before.
class SharedStateLock {
public:
    SharedStateLock();
    ~SharedStateLock();
    SharedStateLock(const SharedStateLock&) = delete;
    SharedStateLock& operator=(const SharedStateLock&) = delete;

private:
    HANDLE m_mutex = nullptr;
};

class TodayHost {
public:
    TodayHost();
    ~TodayHost();
    HWND Hwnd() const { return m_hwnd; }

    // Runs the message loop until the condition holds or the deadline passes.
    bool PumpUntil(const std::function<bool()>& condition, int timeoutMs = 8000);
    void Pump(int ms);

    int SettingChangeCount() const { return m_settingChanges; }
    // Heights broadcast with "NorvaneCurrentHeight", in order.
    const std::vector<int>& BroadcastHeights() const { return m_heights; }

    // The shell's readiness event, signalled unless the test says otherwise.
    void SetShellReady(bool ready);

private:
    SharedStateLock m_lock;
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    static LRESULT CALLBACK ListenerProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    HWND m_hwnd = nullptr;
    HWND m_listener = nullptr;
    HANDLE m_ready = nullptr;
    int m_settingChanges = 0;
    std::vector<int> m_heights;
    UINT m_heightMessage = 0;
};

// Scratch state for one test: the settings file and the item's registry values.
// PrepareItemTest starts every item test alike: our own module as the item's
// (strings and pictures), 96-dpi measures, no stored values, no settings file.
void PrepareItemTest();
void ResetItemRegistry();
std::wstring SettingsFilePath();
void WriteSettingsText(const std::wstring& text);
void WriteSettingsBytes(const std::string& bytes);
void RemoveSettingsFile();
// The bytes of a file; empty when it cannot be read.
std::string ReadFileBytes(const std::wstring& path);
bool ReadItemValue(const wchar_t* name, DWORD& value);
void WriteItemValue(const wchar_t* name, DWORD value);

} // namespace norvane::test
