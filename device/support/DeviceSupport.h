// Small Win32 helpers shared by the device's programs: RAII handles, registry
// reads and writes, the device log, device paths and starting programs the way
// the device does (C:\ as current folder, CE shortcuts resolved).
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace norvane::device {

// Owns a kernel handle.
class UniqueHandle {
public:
    UniqueHandle() = default;
    explicit UniqueHandle(HANDLE h) : m_handle(h == INVALID_HANDLE_VALUE ? nullptr : h) {}
    ~UniqueHandle() { Reset(); }
    UniqueHandle(UniqueHandle&& other) noexcept : m_handle(other.Release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other)
            Reset(other.Release());
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    HANDLE Get() const { return m_handle; }
    explicit operator bool() const { return m_handle != nullptr; }
    HANDLE Release() {
        HANDLE h = m_handle;
        m_handle = nullptr;
        return h;
    }
    void Reset(HANDLE h = nullptr) {
        if (m_handle)
            CloseHandle(m_handle);
        m_handle = h;
    }

private:
    HANDLE m_handle = nullptr;
};

// Owns an open registry key.
class RegKey {
public:
    RegKey() = default;
    ~RegKey() { Close(); }
    RegKey(RegKey&& other) noexcept : m_key(other.m_key) { other.m_key = nullptr; }
    RegKey& operator=(RegKey&& other) noexcept {
        if (this != &other) {
            Close();
            m_key = other.m_key;
            other.m_key = nullptr;
        }
        return *this;
    }
    RegKey(const RegKey&) = delete;
    RegKey& operator=(const RegKey&) = delete;

    bool Open(HKEY root, const std::wstring& path, REGSAM access = KEY_READ);
    bool Create(HKEY root, const std::wstring& path, REGSAM access = KEY_READ | KEY_WRITE);
    void Close();
    HKEY Get() const { return m_key; }
    explicit operator bool() const { return m_key != nullptr; }

    bool ReadString(const wchar_t* name, std::wstring& value) const;
    bool ReadDword(const wchar_t* name, DWORD& value) const;
    bool ReadBinary(const wchar_t* name, std::vector<BYTE>& value) const;
    bool WriteString(const wchar_t* name, const std::wstring& value) const;
    bool WriteDword(const wchar_t* name, DWORD value) const;
    std::vector<std::wstring> SubKeys() const;

private:
    HKEY m_key = nullptr;
};

std::wstring ReadRegString(HKEY root, const std::wstring& path, const wchar_t* name,
                           const std::wstring& fallback = {});
DWORD ReadRegDword(HKEY root, const std::wstring& path, const wchar_t* name, DWORD fallback);

// "\Windows\x.exe" -> "C:\Windows\x.exe"; paths with a drive stay as they are.
std::wstring DeviceToWin32Path(const std::wstring& path);
// "C:\Windows\x.exe" -> "\Windows\x.exe".
std::wstring Win32ToDevicePath(const std::wstring& path);
std::wstring FileNameOf(const std::wstring& path);
std::wstring LowerCase(std::wstring text);
bool EndsWithNoCase(const std::wstring& text, const std::wstring& suffix);

// "error 1400 (Invalid window handle.)": a system error code with the system's text.
std::wstring DescribeError(DWORD error);

// Appends "<program>|<command line>" to the device log.
void AppendDeviceLog(const std::wstring& program, const std::wstring& commandLine);

// The command line of this process without the program name.
std::wstring ArgumentsOfThisProcess();

// Reads a CE shortcut file; false when it is none.
bool ReadShortcutFile(const std::wstring& path, std::wstring& target, std::wstring& arguments);

// Starts a program (or opens a document or a CE shortcut) as the device does: the
// program gets the quoted path plus the arguments, C:\ as its current folder,
// shown. Returns the process handle when asked for it (else closes it).
bool StartDeviceProgram(const std::wstring& path, const std::wstring& arguments, HANDLE* process = nullptr);

// Screen scaling from 96-dpi measures to device pixels.
int ScreenDpiX();
int ScreenDpiY();
inline int ScaleX(int v) {
    return MulDiv(v, ScreenDpiX(), 96);
}
inline int ScaleY(int v) {
    return MulDiv(v, ScreenDpiY(), 96);
}

} // namespace norvane::device
