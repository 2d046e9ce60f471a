#include "DeviceSupport.h"

#include "CeShortcut.h"
#include "DeviceContract.h"

#include <shellapi.h>

#include <algorithm>
#include <cwctype>

namespace norvane::device {

bool RegKey::Open(HKEY root, const std::wstring& path, REGSAM access) {
    Close();
    return RegOpenKeyExW(root, path.c_str(), 0, access, &m_key) == ERROR_SUCCESS || (m_key = nullptr, false);
}

bool RegKey::Create(HKEY root, const std::wstring& path, REGSAM access) {
    Close();
    return RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, access, nullptr, &m_key, nullptr) ==
               ERROR_SUCCESS ||
           (m_key = nullptr, false);
}

void RegKey::Close() {
    if (m_key)
        RegCloseKey(m_key);
    m_key = nullptr;
}

bool RegKey::ReadString(const wchar_t* name, std::wstring& value) const {
    if (!m_key)
        return false;
    DWORD type = 0, size = 0;
    if (RegQueryValueExW(m_key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ) || size > 64 * 1024)
        return false;
    std::wstring buffer(size / sizeof(wchar_t) + 1, L'\0');
    DWORD got = static_cast<DWORD>(buffer.size() * sizeof(wchar_t));
    if (RegQueryValueExW(m_key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &got) !=
        ERROR_SUCCESS)
        return false;
    buffer.resize(std::min<size_t>(got / sizeof(wchar_t), buffer.size()));
    while (!buffer.empty() && buffer.back() == L'\0')
        buffer.pop_back();
    value = buffer;
    return true;
}

bool RegKey::ReadDword(const wchar_t* name, DWORD& value) const {
    if (!m_key)
        return false;
    DWORD type = 0, data = 0, size = sizeof data;
    if (RegQueryValueExW(m_key, name, nullptr, &type, reinterpret_cast<BYTE*>(&data), &size) !=
            ERROR_SUCCESS ||
        type != REG_DWORD)
        return false;
    value = data;
    return true;
}

bool RegKey::ReadBinary(const wchar_t* name, std::vector<BYTE>& value) const {
    if (!m_key)
        return false;
    DWORD type = 0, size = 0;
    if (RegQueryValueExW(m_key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS || size > 64 * 1024)
        return false;
    value.resize(size);
    if (RegQueryValueExW(m_key, name, nullptr, &type, value.data(), &size) != ERROR_SUCCESS)
        return false;
    value.resize(size);
    return true;
}

bool RegKey::WriteString(const wchar_t* name, const std::wstring& value) const {
    return m_key && RegSetValueExW(m_key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                                   static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

bool RegKey::WriteDword(const wchar_t* name, DWORD value) const {
    return m_key && RegSetValueExW(m_key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                                   sizeof value) == ERROR_SUCCESS;
}

std::vector<std::wstring> RegKey::SubKeys() const {
    std::vector<std::wstring> names;
    if (!m_key)
        return names;
    for (DWORD i = 0;; ++i) {
        wchar_t name[256];
        DWORD length = 256;
        if (RegEnumKeyExW(m_key, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        names.emplace_back(name, length);
    }
    return names;
}

std::wstring ReadRegString(HKEY root, const std::wstring& path, const wchar_t* name,
                           const std::wstring& fallback) {
    RegKey key;
    std::wstring value;
    if (key.Open(root, path) && key.ReadString(name, value))
        return value;
    return fallback;
}

DWORD ReadRegDword(HKEY root, const std::wstring& path, const wchar_t* name, DWORD fallback) {
    RegKey key;
    DWORD value = 0;
    if (key.Open(root, path) && key.ReadDword(name, value))
        return value;
    return fallback;
}

std::wstring DeviceToWin32Path(const std::wstring& path) {
    if (path.size() >= 1 && (path[0] == L'\\' || path[0] == L'/') &&
        !(path.size() >= 2 && (path[1] == L'\\' || path[1] == L'/')))
        return L"C:" + path;
    return path;
}

std::wstring Win32ToDevicePath(const std::wstring& path) {
    if (path.size() >= 3 && (path[0] == L'C' || path[0] == L'c') && path[1] == L':' && path[2] == L'\\')
        return path.substr(2);
    return path;
}

std::wstring FileNameOf(const std::wstring& path) {
    const size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

std::wstring LowerCase(std::wstring text) {
    for (auto& c : text)
        c = static_cast<wchar_t>(std::towlower(c));
    return text;
}

bool EndsWithNoCase(const std::wstring& text, const std::wstring& suffix) {
    return text.size() >= suffix.size() &&
           LowerCase(text.substr(text.size() - suffix.size())) == LowerCase(suffix);
}

std::wstring DescribeError(DWORD error) {
    std::wstring text = L"error " + std::to_wstring(error);
    wchar_t* message = nullptr;
    const DWORD length = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                            FORMAT_MESSAGE_IGNORE_INSERTS,
                                        nullptr, error, 0, reinterpret_cast<wchar_t*>(&message), 0, nullptr);
    if (length && message) {
        std::wstring body(message, length);
        while (!body.empty() && (body.back() == L'\r' || body.back() == L'\n' || body.back() == L' '))
            body.pop_back();
        if (!body.empty())
            text += L" (" + body + L")";
    }
    if (message)
        LocalFree(message);
    return text;
}

void AppendDeviceLog(const std::wstring& program, const std::wstring& commandLine) {
    std::wstring line = program + L"|" + commandLine;
    for (auto& c : line)
        if (c == L'\r' || c == L'\n')
            c = L' ';
    line += L"\r\n";
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, line.c_str(), static_cast<int>(line.size()), nullptr, 0,
                                          nullptr, nullptr);
    std::string utf8(bytes, '\0');
    WideCharToMultiByte(CP_UTF8, 0, line.c_str(), static_cast<int>(line.size()), utf8.data(), bytes, nullptr,
                        nullptr);
    // Several device processes append at once; FILE_APPEND_DATA keeps lines whole.
    for (int attempt = 0; attempt < 20; ++attempt) {
        UniqueHandle file(CreateFileW(kDeviceLogPath, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                      nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (file) {
            DWORD written = 0;
            WriteFile(file.Get(), utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
            return;
        }
        Sleep(10);
    }
}

std::wstring ArgumentsOfThisProcess() {
    const wchar_t* line = GetCommandLineW();
    bool quoted = false;
    while (*line && (quoted || (*line != L' ' && *line != L'\t'))) {
        if (*line == L'"')
            quoted = !quoted;
        ++line;
    }
    while (*line == L' ' || *line == L'\t')
        ++line;
    return line;
}

bool ReadShortcutFile(const std::wstring& path, std::wstring& target, std::wstring& arguments) {
    UniqueHandle file(CreateFileW(DeviceToWin32Path(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, 0, nullptr));
    if (!file)
        return false;
    char buffer[2048];
    DWORD got = 0;
    if (!ReadFile(file.Get(), buffer, sizeof buffer, &got, nullptr))
        return false;
    norvane::CeShortcut parsed;
    if (!norvane::ParseCeShortcutBytes(std::string_view(buffer, got), parsed))
        return false;
    target = parsed.target;
    arguments = parsed.arguments;
    return true;
}

bool StartDeviceProgram(const std::wstring& path, const std::wstring& arguments, HANDLE* process) {
    if (process)
        *process = nullptr;
    std::wstring target = path, args = arguments;
    if (EndsWithNoCase(target, L".lnk")) {
        std::wstring linkArgs;
        if (!ReadShortcutFile(path, target, linkArgs))
            return false;
        args = linkArgs + (arguments.empty() || linkArgs.empty() ? L"" : L" ") + arguments;
    }
    std::wstring program = DeviceToWin32Path(target);
    if (program.find(L'\\') == std::wstring::npos)
        program = L"C:\\Windows\\" + program; // a bare name is searched in \Windows
    if (EndsWithNoCase(program, L".exe")) {
        std::wstring commandLine = L"\"" + program + L"\"";
        if (!args.empty())
            commandLine += L" " + args;
        STARTUPINFOW si{};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi{};
        if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, L"C:\\",
                            &si, &pi))
            return false;
        CloseHandle(pi.hThread);
        if (process)
            *process = pi.hProcess;
        else
            CloseHandle(pi.hProcess);
        return true;
    }
    // Documents and folders open through the prefix's associations.
    SHELLEXECUTEINFOW sei{};
    sei.cbSize = sizeof sei;
    sei.fMask = process ? SEE_MASK_NOCLOSEPROCESS : 0;
    sei.lpFile = program.c_str();
    sei.lpParameters = args.empty() ? nullptr : args.c_str();
    sei.lpDirectory = L"C:\\";
    sei.nShow = SW_SHOWNORMAL;
    if (GetFileAttributesW(program.c_str()) & FILE_ATTRIBUTE_DIRECTORY &&
        GetFileAttributesW(program.c_str()) != INVALID_FILE_ATTRIBUTES) {
        // Folders open in the device's file explorer.
        return StartDeviceProgram(L"\\Windows\\fexplore.exe", L"\"" + target + L"\"", process);
    }
    if (!ShellExecuteExW(&sei))
        return false;
    if (process)
        *process = sei.hProcess;
    return true;
}

namespace {
int DpiOf(int index) {
    HDC screen = GetDC(nullptr);
    const int dpi = screen ? GetDeviceCaps(screen, index) : 96;
    if (screen)
        ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : 96;
}
} // namespace

int ScreenDpiX() {
    static const int dpi = DpiOf(LOGPIXELSX);
    return dpi;
}

int ScreenDpiY() {
    static const int dpi = DpiOf(LOGPIXELSY);
    return dpi;
}

} // namespace norvane::device
