// The settings record's environment on Windows: the programs folder and the
// registry mirror under HKEY_LOCAL_MACHINE, real folders, the ANSI code page, and a
// message box for a failed save.
#pragma once

#include "SettingsEnvironment.h"

#include <windows.h>

#include <string>

namespace norvane {

inline constexpr wchar_t kNorvaneRegistryKey[] = L"Software\\Tarsel\\Norvane";
inline constexpr wchar_t kSafeModeServiceKey[] = L"Services\\NVGD";
inline constexpr wchar_t kProgramFilesPathValue[] = L"ProgramFilesPath";

class Win32SettingsEnvironment : public SettingsEnvironment {
public:
    // root and keyPrefix move every registry access under another key: tests use a
    // throw-away key ("Software\\Scratch\\" + the usual path). The product uses the
    // defaults.
    explicit Win32SettingsEnvironment(HKEY root = HKEY_LOCAL_MACHINE,
                                      std::wstring keyPrefix = std::wstring());

    std::wstring ProgramsFolder() override;
    bool CreateFolder(const std::wstring& path) override;
    void WriteRegistryMirror(const RegistryMirror& mirror) override;
    void ReportSaveError(const std::wstring& text) override;

private:
    HKEY m_root;
    std::wstring m_prefix;
};

} // namespace norvane
