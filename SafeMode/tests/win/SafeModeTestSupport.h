// Scratch places for the safe-mode component tests: a registry key standing in
// for HKLM and one for HKCR, a folder standing in for the device's root, and
// snapshots of both (every key and value with its type and bytes, every file
// with its size and bytes) to compare before and after.
#pragma once

#include "SafeModeSwitch.h"
#include "Win32Handles.h"

#include <windows.h>

#include <map>
#include <string>
#include <vector>

namespace norvane::safemode::test {

class ScratchDevice {
public:
    ScratchDevice();
    ~ScratchDevice();
    ScratchDevice(const ScratchDevice&) = delete;
    ScratchDevice& operator=(const ScratchDevice&) = delete;

    HKEY Machine() const { return m_machine.Get(); }
    HKEY Classes() const { return m_classes.Get(); }
    const std::wstring& Root() const { return m_root; }
    // "\Windows\StartUp" under the scratch root.
    std::wstring Host(const std::wstring& devicePath) const { return m_root + devicePath; }
    SafeModePlaces Places() const;

    // Registry writes under a root; the key is created.
    void SetString(HKEY root, const std::wstring& key, const wchar_t* name, const std::wstring& text,
                   DWORD type = REG_SZ) const;
    void SetDword(HKEY root, const std::wstring& key, const wchar_t* name, DWORD value) const;
    void SetBinary(HKEY root, const std::wstring& key, const wchar_t* name,
                   const std::vector<BYTE>& bytes) const;
    bool HasKey(HKEY root, const std::wstring& key) const;
    std::wstring String(HKEY root, const std::wstring& key, const wchar_t* name) const;
    // 0xFFFFFFFF when missing.
    DWORD Dword(HKEY root, const std::wstring& key, const wchar_t* name) const;

    // A file with the given bytes; its folders are created.
    void WriteFile(const std::wstring& devicePath, const std::string& bytes) const;
    std::string ReadFile(const std::wstring& devicePath) const;
    bool Exists(const std::wstring& devicePath) const;

    // One line per key and value under root\key, in enumeration order.
    std::vector<std::wstring> Export(HKEY root, const std::wstring& key) const;
    // One line per folder and file under a device folder: relative path, size, bytes.
    std::vector<std::wstring> Listing(const std::wstring& devicePath) const;

private:
    std::wstring m_keyPath;
    UniqueRegKey m_machine;
    UniqueRegKey m_classes;
    std::wstring m_root;
};

// A device as the switch finds it before safe mode: Today items, services, input
// methods and a start-up folder with a sub-folder.
void PrepareDevice(const ScratchDevice& device);

// Lines that differ, for a failure message.
std::wstring Difference(const std::vector<std::wstring>& expected, const std::vector<std::wstring>& actual);

} // namespace norvane::safemode::test
