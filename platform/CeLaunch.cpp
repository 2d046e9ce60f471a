// Opening files and starting programs with the device's rules.
#include "CeLaunch.h"

#include <cstring>

#include "CeShortcut.h"
#include "DeviceState.h"
#include "PlatformHandles.h"

#include <string>

namespace norvane::platform {
namespace {

bool EndsWithNoCase(const std::wstring& text, const wchar_t* suffix) {
    size_t n = wcslen(suffix);
    return text.size() >= n &&
           CompareStringOrdinal(text.c_str() + text.size() - n, -1, suffix, -1, TRUE) == CSTR_EQUAL;
}

std::wstring Trimmed(const std::wstring& text) {
    size_t first = text.find_first_not_of(L" \t");
    if (first == std::wstring::npos) {
        return {};
    }
    size_t last = text.find_last_not_of(L" \t");
    return text.substr(first, last - first + 1);
}

// A device path, host path or bare name to the host path of the file it means.
std::wstring MapPath(const std::wstring& path) {
    std::wstring trimmed = Trimmed(path);
    if (trimmed.size() >= 2 && trimmed.front() == L'"' && trimmed.back() == L'"') {
        trimmed = trimmed.substr(1, trimmed.size() - 2);
    }
    if (!trimmed.empty() && trimmed.find_first_of(L"\\/:") == std::wstring::npos) {
        std::wstring found = FindInWindowsFolder(trimmed);
        if (!found.empty()) {
            return found;
        }
    }
    return ToHostPath(trimmed);
}

bool ReadShortcutFile(const std::wstring& hostPath, norvane::CeShortcut& shortcut) {
    UniqueHandle file(CreateFileW(hostPath.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        return false;
    }
    char buffer[norvane::kMaxCeShortcutBytes + 1];
    DWORD read = 0;
    if (!ReadFile(file.Get(), buffer, sizeof buffer, &read, nullptr)) {
        return false;
    }
    return norvane::ParseCeShortcutBytes(std::string_view(buffer, read), shortcut);
}

std::wstring Join(const std::wstring& a, const std::wstring& b) {
    if (a.empty()) {
        return b;
    }
    if (b.empty()) {
        return a;
    }
    return a + L" " + b;
}

} // namespace

LaunchTarget ResolveLaunchTarget(const std::wstring& file, const std::wstring& parameters) {
    LaunchTarget target{MapPath(file), parameters};
    for (int depth = 0; depth < 4 && EndsWithNoCase(target.hostPath, L".lnk"); ++depth) {
        norvane::CeShortcut shortcut;
        if (!ReadShortcutFile(target.hostPath, shortcut)) {
            break;
        }
        std::wstring program = MapPath(shortcut.target);
        std::wstring arguments = shortcut.arguments;
        if (!shortcut.quoted && !HostFileExists(program) && !HostFolderExists(program)) {
            // An unquoted target with blanks: take the longest start that names a file.
            for (size_t blank = shortcut.text.find_first_of(L" \t"); blank != std::wstring::npos;
                 blank = shortcut.text.find_first_of(L" \t", blank + 1)) {
                std::wstring candidate = MapPath(shortcut.text.substr(0, blank));
                if (HostFileExists(candidate) || HostFolderExists(candidate)) {
                    program = candidate;
                    arguments = Trimmed(shortcut.text.substr(blank + 1));
                }
            }
            std::wstring whole = MapPath(shortcut.text);
            if (HostFileExists(whole) || HostFolderExists(whole)) {
                program = whole;
                arguments.clear();
            }
        }
        target.hostPath = program;
        target.arguments = Join(arguments, target.arguments);
    }
    return target;
}

} // namespace norvane::platform

namespace {

using norvane::platform::HostFolderExists;
using norvane::platform::LaunchTarget;

constexpr wchar_t kFileExplorer[] = L"C:\\Windows\\fexplore.exe";

bool EndsWithNoCase(const std::wstring& text, const wchar_t* suffix) {
    size_t n = wcslen(suffix);
    return text.size() >= n &&
           CompareStringOrdinal(text.c_str() + text.size() - n, -1, suffix, -1, TRUE) == CSTR_EQUAL;
}

bool StartProgram(const std::wstring& hostPath, const std::wstring& arguments, int show, HANDLE* processOut,
                  DWORD* error) {
    std::wstring commandLine = L"\"" + hostPath + L"\"";
    if (!arguments.empty()) {
        commandLine += L" " + arguments;
    }
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = static_cast<WORD>(show);
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(hostPath.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, L"C:\\",
                        &startup, &info)) {
        *error = GetLastError();
        return false;
    }
    CloseHandle(info.hThread);
    if (processOut != nullptr) {
        *processOut = info.hProcess;
    } else {
        CloseHandle(info.hProcess);
    }
    return true;
}

} // namespace

BOOL CeShellExecuteEx(LPSHELLEXECUTEINFOW lpExecInfo) {
    if (lpExecInfo == nullptr || lpExecInfo->cbSize < sizeof(SHELLEXECUTEINFOW) ||
        lpExecInfo->lpFile == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    LaunchTarget target = norvane::platform::ResolveLaunchTarget(
        lpExecInfo->lpFile, lpExecInfo->lpParameters != nullptr ? lpExecInfo->lpParameters : L"");
    const int show = lpExecInfo->nShow == SW_HIDE ? SW_SHOWNORMAL : lpExecInfo->nShow;
    const bool wantProcess = (lpExecInfo->fMask & SEE_MASK_NOCLOSEPROCESS) != 0;
    const bool openVerb = lpExecInfo->lpVerb == nullptr || *lpExecInfo->lpVerb == L'\0' ||
                          _wcsicmp(lpExecInfo->lpVerb, L"open") == 0;
    lpExecInfo->hProcess = nullptr;

    auto succeed = [&](HANDLE process) {
        lpExecInfo->hInstApp = reinterpret_cast<HINSTANCE>(static_cast<INT_PTR>(33));
        if (wantProcess) {
            lpExecInfo->hProcess = process;
        } else if (process != nullptr) {
            CloseHandle(process);
        }
        return TRUE;
    };
    auto fail = [&](DWORD error) {
        lpExecInfo->hInstApp = reinterpret_cast<HINSTANCE>(static_cast<INT_PTR>(SE_ERR_FNF));
        SetLastError(error);
        return FALSE;
    };

    HANDLE process = nullptr;
    DWORD error = ERROR_SUCCESS;
    if (openVerb && norvane::platform::HostFileExists(target.hostPath) &&
        (EndsWithNoCase(target.hostPath, L".exe") || EndsWithNoCase(target.hostPath, L".com"))) {
        if (!StartProgram(target.hostPath, target.arguments, show, &process, &error)) {
            return fail(error);
        }
        return succeed(process);
    }
    if (openVerb && HostFolderExists(target.hostPath) && norvane::platform::HostFileExists(kFileExplorer)) {
        std::wstring folder = L"\"" + norvane::platform::ToDevicePath(target.hostPath) + L"\"";
        if (!StartProgram(kFileExplorer, folder, show, &process, &error)) {
            return fail(error);
        }
        return succeed(process);
    }
    if (!norvane::platform::HostFileExists(target.hostPath) && !HostFolderExists(target.hostPath)) {
        return fail(ERROR_FILE_NOT_FOUND);
    }
    // A document: the prefix's associations decide, as the device's registry would.
    SHELLEXECUTEINFOW desktop = *lpExecInfo;
    desktop.fMask =
        (lpExecInfo->fMask | SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI) & ~SEE_MASK_INVOKEIDLIST;
    desktop.lpFile = target.hostPath.c_str();
    desktop.lpParameters = target.arguments.empty() ? nullptr : target.arguments.c_str();
    desktop.lpDirectory = L"C:\\";
    desktop.nShow = show;
    if (!ShellExecuteExW(&desktop)) {
        error = GetLastError();
        return fail(error != ERROR_SUCCESS ? error : ERROR_NO_ASSOCIATION);
    }
    lpExecInfo->hInstApp = desktop.hInstApp;
    return succeed(desktop.hProcess);
}

BOOL CeCreateProcess(LPCWSTR pszImageName, LPCWSTR pszCmdLine, LPSECURITY_ATTRIBUTES psaProcess,
                     LPSECURITY_ATTRIBUTES psaThread, BOOL fInheritHandles, DWORD fdwCreate,
                     LPVOID pvEnvironment, LPCWSTR pszCurDir, LPSTARTUPINFOW psiStartInfo,
                     LPPROCESS_INFORMATION pProcInfo) {
    std::wstring arguments = pszCmdLine != nullptr ? pszCmdLine : L"";
    std::wstring program;
    std::wstring commandLine;
    if (pszImageName != nullptr && *pszImageName != L'\0') {
        program = norvane::platform::ResolveLaunchTarget(pszImageName, L"").hostPath;
        if (program.find_first_of(L"\\/:") == std::wstring::npos && !EndsWithNoCase(program, L".exe")) {
            program += L".exe";
        }
        commandLine = L"\"" + program + L"\"";
        if (!arguments.empty()) {
            commandLine += L" " + arguments;
        }
    } else {
        // No program: the command line names it, as on the desktop.
        commandLine = arguments;
    }
    std::wstring folder = pszCurDir != nullptr && *pszCurDir != L'\0'
                              ? norvane::platform::ToHostPath(pszCurDir)
                              : std::wstring(L"C:\\");
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    return CreateProcessW(program.empty() ? nullptr : program.c_str(), commandLine.data(), psaProcess,
                          psaThread, fInheritHandles, fdwCreate, pvEnvironment, folder.c_str(),
                          psiStartInfo != nullptr ? psiStartInfo : &startup, pProcInfo);
}

DWORD_PTR CeSHGetFileInfo(LPCWSTR pszPath, DWORD dwFileAttributes, SHFILEINFOW* psfi, UINT cbFileInfo,
                          UINT uFlags) {
    if (pszPath == nullptr || (uFlags & SHGFI_PIDL) != 0) {
        return SHGetFileInfoW(pszPath, dwFileAttributes, psfi, cbFileInfo, uFlags);
    }
    std::wstring host = norvane::platform::ResolveLaunchTarget(pszPath, L"").hostPath;
    if (host == L"C:\\" || host == L"C:") {
        host = L"C:\\";
    }
    // A program's (or module's) system icon is its own first icon, as on the
    // device. Wine's shell answers a generic document icon for programs in a
    // prefix without file classes, so ask the file itself first.
    const UINT iconOnly = SHGFI_ICON | SHGFI_LARGEICON | SHGFI_SMALLICON;
    if ((uFlags & SHGFI_ICON) != 0 && (uFlags & ~iconOnly) == 0 && psfi != nullptr &&
        cbFileInfo >= sizeof(SHFILEINFOW) &&
        (EndsWithNoCase(host, L".exe") || EndsWithNoCase(host, L".dll") || EndsWithNoCase(host, L".cpl") ||
         EndsWithNoCase(host, L".ico"))) {
        HICON icon = nullptr;
        const bool small = (uFlags & SHGFI_SMALLICON) != 0;
        if (ExtractIconExW(host.c_str(), 0, small ? nullptr : &icon, small ? &icon : nullptr, 1) > 0 &&
            icon != nullptr) {
            std::memset(psfi, 0, sizeof(SHFILEINFOW));
            psfi->hIcon = icon;
            return 1;
        }
    }
    return SHGetFileInfoW(host.c_str(), dwFileAttributes, psfi, cbFileInfo, uFlags);
}
