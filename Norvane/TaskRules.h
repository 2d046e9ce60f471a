// What the task manager and the task-bar extensions agree on about running
// programs: which top-level windows are programs, which belong to the shell or
// to the phone application (never listed, never closed), the exception bits of
// a window's title, and the rules by which windows are minimized and closed.
#pragma once

#include "ImageHandles.h"

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace norvane {

class Settings;

// Exception bits of a window title (settings "TaskManagerExceptions").
namespace exceptionbit {
inline constexpr int kHide = 1;
inline constexpr int kMinimizeOnly = 2;
inline constexpr int kIgnoreCloseAll = 4;
} // namespace exceptionbit

// What the rules ask of the system; tests replace these.
struct TaskServices {
    // Telephony is present: "phone.dll" loads and exports "PhoneMakeCall".
    std::function<bool()> telephonyPresent;
    // Minimizes a program the device's way (CeShowWindow SW_MINIMIZE).
    std::function<void(HWND)> minimize;
    // Restricts the windows the rules see (tests keep to their own programs);
    // empty: every window.
    std::function<bool(HWND)> windowScope;
};

// The shell's process and the phone application's, asked once for a whole
// list so that a long list does not look for the phone at every window.
struct ShellProcesses {
    DWORD shell = 0;
    DWORD phone = 0;
    HWND desktop = nullptr;
    bool Contains(HWND window) const;
};

class TaskRules {
public:
    TaskRules();
    TaskRules(const TaskRules&) = delete;
    TaskRules& operator=(const TaskRules&) = delete;
    ~TaskRules();

    TaskServices& Services() { return m_services; }

    // A program window: exists, visible, has a title, is no tool window and has
    // no owner. The shell's own windows pass this test too.
    bool IsProgramWindow(HWND window) const;
    // The program windows with their titles, top of the Z order first.
    struct Program {
        HWND window = nullptr;
        std::wstring title;
    };
    std::vector<Program> ListPrograms() const;
    std::vector<HWND> ProgramWindows() const;

    ShellProcesses CurrentShellProcesses();
    // The window belongs to the process of the desktop window (the shell) or to
    // the phone application.
    bool IsShellOrPhoneWindow(HWND window);
    // The phone application's process id, 0 when there is none (or no telephony).
    DWORD PhoneProcessId();

    // The window's title as the exceptions know it (trimmed there).
    static std::wstring TitleOf(HWND window);
    static int ExceptionBits(const Settings& settings, HWND window);
    static int ExceptionBits(const Settings& settings, const std::wstring& title);

    // Minimize: nothing for the desktop window.
    void Minimize(HWND window);
    // Close command and the running-icon menu's Close: shell and phone windows
    // are minimized instead (the desktop is left alone); others get WM_CLOSE.
    void CloseOrMinimize(HWND window);
    // Close All (skip nothing), Close All But Current / But This (skip that
    // one): shell and phone windows and windows marked "Ignore Close-All" are
    // minimized, every other one gets WM_CLOSE.
    void CloseAll(const Settings& settings, const std::vector<HWND>& windows, HWND skip);
    // The corner's and the OK button's close: WM_CLOSE to the window unless it is
    // a shell or phone window, has the OK caption button or is marked "Minimize
    // Only". True when it was closed.
    bool CloseUnlessSpared(const Settings& settings, HWND window);
    // The OK button (code 1000) on the foreground window.
    void OkButton(const Settings& settings, bool xButtonCloses, HWND foreground);

    // The small shell icon of the program file of the window's process (the
    // caller owns it); nullptr when there is none. With large, the system's
    // large-icon size.
    static HICON ProgramIcon(HWND window, bool large = false);
    // The same icon from the icons already looked up (a program's file keeps
    // its icon): a copy the caller owns.
    HICON CachedProgramIcon(HWND window, bool large = false);
    // The program file of a process, as a device path; empty when unknown.
    static std::wstring ProcessImagePath(DWORD processId);

    // Whether the window is among those the rules see (tests narrow it).
    bool InScope(HWND window) const;

private:
    bool TelephonyPresent();

    TaskServices m_services;
    struct CachedIcon {
        std::wstring path;
        bool large = false;
        UniqueIcon icon;
    };
    std::vector<CachedIcon> m_icons;
    // The phone application, once found: its id and a handle that tells when it
    // has ended (a new phone process is then looked for again).
    bool m_telephony = false;
    DWORD m_phoneId = 0;
    HANDLE m_phoneProcess = nullptr;
};

} // namespace norvane
