// Real programs for the task manager's tests: task_programs.exe (or its copy
// testcprog.exe, which plays the phone application) with the top-level windows
// a test asks for, each reporting WM_CLOSE and IDOK to a log file.
#pragma once

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

namespace norvane::test {

struct ProgramWindowSpec {
    std::wstring flags; // "-" or letters: t tool window, o owned by the one before, k OK caption, h hidden
    std::wstring title;
};

class TestPrograms {
public:
    explicit TestPrograms(std::vector<ProgramWindowSpec> windows,
                          const wchar_t* program = L"task_programs.exe");
    ~TestPrograms();
    TestPrograms(const TestPrograms&) = delete;
    TestPrograms& operator=(const TestPrograms&) = delete;

    // True once the process runs and every window exists.
    bool Started() const { return m_started; }
    DWORD ProcessId() const { return m_processId; }
    // The process's top-level window with this title (hidden ones too).
    HWND Window(const std::wstring& title) const;
    // "TITLE|close" and "TITLE|ok" lines in order.
    std::vector<std::wstring> Log() const;
    bool Running() const;
    // The exit code once the process has ended; STILL_ACTIVE while it runs.
    DWORD ExitCode() const;

private:
    HANDLE m_process = nullptr;
    DWORD m_processId = 0;
    std::wstring m_log;
    bool m_started = false;
};

// The folder of the running test program, with "\" at its end.
std::wstring TestProgramFolder();
// Whether a window has left the screen the way minimizing takes it.
bool IsMinimized(HWND window);

} // namespace norvane::test
