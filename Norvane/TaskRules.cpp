// Running programs: the program-window test, the shell-or-phone test and the
// rules for closing and minimizing.
#include "TaskRules.h"

#include "CeLaunch.h"
#include "CeShell.h"
#include "CeWindow.h"
#include "DeviceState.h"
#include "Settings.h"
#include "Telephony.h"
#include "Win32Handles.h"

#include <tlhelp32.h>

#include <algorithm>
#include <cwctype>

namespace norvane {

namespace {

constexpr wchar_t kPhoneProgramSuffix[] = L"cprog.exe";
constexpr LONG kCaptionOkButton = static_cast<LONG>(0x80000000);
constexpr int kTitleLength = 256;

bool EndsWithNoCase(const wchar_t* text, const wchar_t* suffix) {
    const std::size_t length = wcslen(text);
    const std::size_t suffixLength = wcslen(suffix);
    if (suffixLength > length) {
        return false;
    }
    for (std::size_t i = 0; i < suffixLength; ++i) {
        if (std::towlower(text[length - suffixLength + i]) != std::towlower(suffix[i])) {
            return false;
        }
    }
    return true;
}

DWORD ProcessOf(HWND window) {
    DWORD id = 0;
    if (window) {
        GetWindowThreadProcessId(window, &id);
    }
    return id;
}

bool HasCaptionOkButton(HWND window) {
    return CeHasCaptionOkButton(window) ||
           (static_cast<LONG>(GetWindowLongW(window, GWL_EXSTYLE)) & kCaptionOkButton) != 0;
}

// The title as the system keeps it: for a window of another process this asks
// no question of that process (a window that hangs cannot hold us up).
std::wstring StoredTitle(HWND window) {
    wchar_t title[kTitleLength] = L"";
    const int length = window ? GetWindowTextW(window, title, kTitleLength) : 0;
    return std::wstring(title, static_cast<std::size_t>(std::max(length, 0)));
}

struct Enumeration {
    const TaskRules* rules;
    std::vector<TaskRules::Program> programs;
};

BOOL CALLBACK CollectProgram(HWND window, LPARAM lp) {
    auto* enumeration = reinterpret_cast<Enumeration*>(lp);
    // Styles in one question: a session holds many hidden windows, and every
    // question about another process's window goes to the window server.
    WINDOWINFO info = {};
    info.cbSize = sizeof info;
    if (!GetWindowInfo(window, &info) || (info.dwStyle & WS_VISIBLE) == 0 ||
        (info.dwExStyle & WS_EX_TOOLWINDOW) != 0 || GetWindow(window, GW_OWNER)) {
        return TRUE;
    }
    std::wstring title = StoredTitle(window);
    if (!title.empty() && enumeration->rules->InScope(window)) {
        enumeration->programs.push_back(TaskRules::Program{window, std::move(title)});
    }
    return TRUE;
}

constexpr std::size_t kIconCacheSize = 64;

} // namespace

bool ShellProcesses::Contains(HWND window) const {
    const DWORD process = ProcessOf(window);
    return process != 0 && (process == shell || process == phone);
}

TaskRules::TaskRules() {
    m_services.telephonyPresent = [] { return PhoneAvailable(); };
    m_services.minimize = [](HWND window) { CeShowWindow(window, SW_MINIMIZE); };
}

TaskRules::~TaskRules() {
    if (m_phoneProcess) {
        CloseHandle(m_phoneProcess);
    }
}

bool TaskRules::InScope(HWND window) const {
    return !m_services.windowScope || m_services.windowScope(window);
}

bool TaskRules::IsProgramWindow(HWND window) const {
    if (!window || !IsWindow(window) || !IsWindowVisible(window) || StoredTitle(window).empty()) {
        return false;
    }
    if ((GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOOLWINDOW) != 0 || GetWindow(window, GW_OWNER)) {
        return false;
    }
    return InScope(window);
}

std::vector<TaskRules::Program> TaskRules::ListPrograms() const {
    Enumeration enumeration{this, {}};
    EnumWindows(CollectProgram, reinterpret_cast<LPARAM>(&enumeration));
    return std::move(enumeration.programs);
}

std::vector<HWND> TaskRules::ProgramWindows() const {
    std::vector<HWND> windows;
    for (const Program& program : ListPrograms()) {
        windows.push_back(program.window);
    }
    return windows;
}

bool TaskRules::TelephonyPresent() {
    // Once found, the phone library stays: it is not looked for again.
    if (!m_telephony) {
        m_telephony = m_services.telephonyPresent && m_services.telephonyPresent();
    }
    return m_telephony;
}

DWORD TaskRules::PhoneProcessId() {
    if (m_phoneProcess) {
        // The id is kept while that phone process lives; once it has ended the
        // id could name any other program, which would then be spared.
        if (WaitForSingleObject(m_phoneProcess, 0) == WAIT_TIMEOUT) {
            return m_phoneId;
        }
        CloseHandle(m_phoneProcess);
        m_phoneProcess = nullptr;
        m_phoneId = 0;
    } else if (m_phoneId != 0) {
        return m_phoneId;
    }
    if (!TelephonyPresent()) {
        return 0;
    }
    UniqueFileHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot) {
        return 0;
    }
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot.Get(), &entry); more;
         more = Process32NextW(snapshot.Get(), &entry)) {
        entry.szExeFile[MAX_PATH - 1] = L'\0';
        if (EndsWithNoCase(entry.szExeFile, kPhoneProgramSuffix)) {
            m_phoneId = entry.th32ProcessID;
            m_phoneProcess = OpenProcess(SYNCHRONIZE, FALSE, m_phoneId);
            break;
        }
    }
    return m_phoneId;
}

ShellProcesses TaskRules::CurrentShellProcesses() {
    ShellProcesses processes;
    processes.desktop = CeGetDesktopWindow();
    processes.shell = ProcessOf(processes.desktop);
    processes.phone = PhoneProcessId();
    return processes;
}

bool TaskRules::IsShellOrPhoneWindow(HWND window) {
    return CurrentShellProcesses().Contains(window);
}

std::wstring TaskRules::TitleOf(HWND window) {
    return StoredTitle(window);
}

int TaskRules::ExceptionBits(const Settings& settings, HWND window) {
    return ExceptionBits(settings, TitleOf(window));
}

int TaskRules::ExceptionBits(const Settings& settings, const std::wstring& title) {
    return title.empty() ? 0 : settings.ExceptionFlags(title);
}

void TaskRules::Minimize(HWND window) {
    if (!window || window == CeGetDesktopWindow()) {
        return;
    }
    if (m_services.minimize) {
        m_services.minimize(window);
    }
}

void TaskRules::CloseOrMinimize(HWND window) {
    if (IsShellOrPhoneWindow(window)) {
        Minimize(window);
    } else if (window) {
        PostMessageW(window, WM_CLOSE, 0, 0);
    }
}

void TaskRules::CloseAll(const Settings& settings, const std::vector<HWND>& windows, HWND skip) {
    const ShellProcesses spared = CurrentShellProcesses();
    for (HWND window : windows) {
        if (window == skip || !window) {
            continue;
        }
        if (spared.Contains(window) ||
            (ExceptionBits(settings, window) & exceptionbit::kIgnoreCloseAll) != 0) {
            Minimize(window);
        } else {
            // Every program gets the request at once; one that asks "save
            // changes?" keeps its window, which is its own business.
            PostMessageW(window, WM_CLOSE, 0, 0);
        }
    }
}

bool TaskRules::CloseUnlessSpared(const Settings& settings, HWND window) {
    if (!window || IsShellOrPhoneWindow(window) || HasCaptionOkButton(window) ||
        (ExceptionBits(settings, window) & exceptionbit::kMinimizeOnly) != 0) {
        return false;
    }
    PostMessageW(window, WM_CLOSE, 0, 0);
    return true;
}

void TaskRules::OkButton(const Settings& settings, bool xButtonCloses, HWND foreground) {
    if (!foreground) {
        return;
    }
    if (xButtonCloses && CloseUnlessSpared(settings, foreground)) {
        return;
    }
    if (foreground == CeGetDesktopWindow()) {
        return;
    }
    if (HasCaptionOkButton(foreground)) {
        PostMessageW(foreground, WM_COMMAND, IDOK, 0);
    } else {
        Minimize(foreground);
    }
}

std::wstring TaskRules::ProcessImagePath(DWORD processId) {
    HANDLE opened = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
    if (!opened) {
        return std::wstring();
    }
    UniqueFileHandle process(opened);
    wchar_t path[MAX_PATH] = L"";
    DWORD size = MAX_PATH;
    if (!QueryFullProcessImageNameW(process.Get(), 0, path, &size)) {
        return std::wstring();
    }
    return platform::ToDevicePath(std::wstring(path, size));
}

HICON TaskRules::CachedProgramIcon(HWND window, bool large) {
    const std::wstring path = ProcessImagePath(ProcessOf(window));
    if (path.empty()) {
        return nullptr;
    }
    for (const CachedIcon& cached : m_icons) {
        if (cached.large == large && lstrcmpiW(cached.path.c_str(), path.c_str()) == 0) {
            return cached.icon ? CopyIcon(cached.icon.get()) : nullptr;
        }
    }
    if (m_icons.size() >= kIconCacheSize) {
        m_icons.erase(m_icons.begin());
    }
    SHFILEINFOW info = {};
    if (!CeSHGetFileInfo(path.c_str(), 0, &info, sizeof info,
                         SHGFI_ICON | (large ? SHGFI_LARGEICON : SHGFI_SMALLICON))) {
        info.hIcon = nullptr;
    }
    // A program without an icon is remembered as such too.
    m_icons.push_back(CachedIcon{path, large, UniqueIcon(info.hIcon)});
    return info.hIcon ? CopyIcon(info.hIcon) : nullptr;
}

HICON TaskRules::ProgramIcon(HWND window, bool large) {
    const std::wstring path = ProcessImagePath(ProcessOf(window));
    if (path.empty()) {
        return nullptr;
    }
    SHFILEINFOW info = {};
    if (!CeSHGetFileInfo(path.c_str(), 0, &info, sizeof info,
                         SHGFI_ICON | (large ? SHGFI_LARGEICON : SHGFI_SMALLICON))) {
        return nullptr;
    }
    return info.hIcon;
}

} // namespace norvane
