// Starting the task manager's test programs and reading what they saw.
#include "TaskTestSupport.h"

#include <chrono>
#include <thread>

namespace norvane::test {

namespace {

struct Search {
    DWORD process;
    std::wstring title;
    HWND found;
};

BOOL CALLBACK FindTitled(HWND hwnd, LPARAM lp) {
    auto* search = reinterpret_cast<Search*>(lp);
    DWORD process = 0;
    GetWindowThreadProcessId(hwnd, &process);
    if (process != search->process) {
        return TRUE;
    }
    std::wstring title(static_cast<std::size_t>(GetWindowTextLengthW(hwnd)) + 1, L'\0');
    title.resize(
        static_cast<std::size_t>(GetWindowTextW(hwnd, title.data(), static_cast<int>(title.size()))));
    if (search->title == title) {
        search->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

} // namespace

std::wstring TestProgramFolder() {
    wchar_t path[MAX_PATH] = L"";
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder = path;
    return folder.substr(0, folder.find_last_of(L'\\') + 1);
}

bool IsMinimized(HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    return IsIconic(window) || rect.left <= -30000;
}

TestPrograms::TestPrograms(std::vector<ProgramWindowSpec> windows, const wchar_t* program) {
    static int counter = 0;
    wchar_t temp[MAX_PATH] = L"";
    GetTempPathW(MAX_PATH, temp);
    m_log = std::wstring(temp) + L"norvane-task-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
            std::to_wstring(++counter) + L".log";
    DeleteFileW(m_log.c_str());
    const std::wstring path = TestProgramFolder() + program;
    std::wstring commandLine = L"\"" + path + L"\" \"" + m_log + L"\"";
    for (const ProgramWindowSpec& spec : windows) {
        commandLine += L" \"" + spec.flags + L"\" \"" + spec.title + L"\"";
    }
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    if (!CreateProcessW(path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &info)) {
        return;
    }
    CloseHandle(info.hThread);
    m_process = info.hProcess;
    m_processId = info.dwProcessId;
    WaitForInputIdle(m_process, 10000);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (std::chrono::steady_clock::now() < deadline) {
        bool all = true;
        for (const ProgramWindowSpec& spec : windows) {
            all = all && Window(spec.title) != nullptr;
        }
        if (all) {
            m_started = true;
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

TestPrograms::~TestPrograms() {
    if (m_process) {
        if (WaitForSingleObject(m_process, 0) == WAIT_TIMEOUT) {
            TerminateProcess(m_process, 3);
            WaitForSingleObject(m_process, 5000);
        }
        CloseHandle(m_process);
    }
    DeleteFileW(m_log.c_str());
}

HWND TestPrograms::Window(const std::wstring& title) const {
    Search search{m_processId, title, nullptr};
    if (m_processId) {
        EnumWindows(FindTitled, reinterpret_cast<LPARAM>(&search));
    }
    return search.found;
}

std::vector<std::wstring> TestPrograms::Log() const {
    std::vector<std::wstring> lines;
    HANDLE file = CreateFileW(m_log.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return lines;
    }
    std::wstring text;
    wchar_t buffer[512];
    DWORD read = 0;
    while (ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0) {
        text.append(buffer, read / sizeof(wchar_t));
    }
    CloseHandle(file);
    std::size_t start = 0;
    for (std::size_t end; (end = text.find(L'\n', start)) != std::wstring::npos; start = end + 1) {
        lines.push_back(text.substr(start, end - start));
    }
    return lines;
}

bool TestPrograms::Running() const {
    return m_process && WaitForSingleObject(m_process, 0) == WAIT_TIMEOUT;
}

DWORD TestPrograms::ExitCode() const {
    DWORD code = STILL_ACTIVE;
    if (m_process) {
        GetExitCodeProcess(m_process, &code);
    }
    return code;
}

} // namespace norvane::test
