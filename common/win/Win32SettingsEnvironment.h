// The settings record's environment on Windows: the programs folder and the
// registry mirror under HKEY_LOCAL_MACHINE, real folders, the ANSI code page, and a
// message box for a failed save.
#pragma once

#include "ImageShortcutIcon.h"
#include "SettingsEnvironment.h"

#include <windows.h>

#include <functional>
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
    // Loads the shortcut's picture (bitmap icon, additional target, system icon)
    // unless it has one, and keeps it in the shortcut as a ShortcutIconCache.
    void LoadShortcutIcon(ShortcutRecord& shortcut, const Settings& settings) override;

    // Where icon resource 125 comes from (the language module when one is
    // loaded); by default the module this code is linked into.
    void SetIconResourceModule(HMODULE module) { m_iconResourceModule = module; }
    // The meters' picture of a meter definition at an icon size (16, 32, 64).
    using MeterImageHook = std::function<bool(const std::wstring& meterPath, int size, Bitmap32& image)>;
    void SetMeterImageHook(MeterImageHook hook) { m_meterImage = std::move(hook); }
    // Replaces the shell calls behind icon loading (tests); an empty
    // additionalTargetIcon is filled with LoadAdditionalTargetIcon.
    void SetIconServices(ShortcutIconServices services) { m_iconServices = std::move(services); }

private:
    HKEY m_root;
    std::wstring m_prefix;
    HMODULE m_iconResourceModule = nullptr;
    MeterImageHook m_meterImage;
    ShortcutIconServices m_iconServices = ShortcutIconServices::Platform();
};

// The device's personal-documents folder with its final "\" ("\My Documents\").
std::wstring DocumentsFolder();

// The environment Settings records use in this process (PlatformSettingsEnvironment),
// for the owner that sets its icon sources.
Win32SettingsEnvironment& PlatformWin32SettingsEnvironment();

} // namespace norvane
