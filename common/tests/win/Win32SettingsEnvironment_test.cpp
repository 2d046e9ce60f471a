// The Windows environment of the settings record: programs folder, folders on the
// device's drive, and the registry mirror, all under a throw-away key.
#include "DisplayScale.h"
#include "PlatformServices.h"
#include "Settings.h"
#include "TestSupport.h"
#include "Win32Handles.h"
#include "Win32SettingsEnvironment.h"

#include <windows.h>

#include <gtest/gtest.h>

namespace norvane {
namespace {

// A fresh key under HKEY_CURRENT_USER, deleted with its subkeys afterwards.
class ScratchKey {
public:
    ScratchKey() {
        m_path = L"Software\\NorvaneTest\\Run" + std::to_wstring(GetCurrentProcessId()) + L"_" +
                 std::to_wstring(GetTickCount());
    }
    ~ScratchKey() { RegDeleteTreeW(HKEY_CURRENT_USER, m_path.c_str()); }
    // Prefix for Win32SettingsEnvironment: every key lands below the scratch key.
    std::wstring Prefix() const { return m_path + L"\\"; }
    void Create(const std::wstring& subkey) const {
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, (Prefix() + subkey).c_str(), 0, nullptr, 0,
                                  KEY_ALL_ACCESS, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        RegCloseKey(key);
    }
    bool Exists(const std::wstring& subkey) const {
        UniqueRegKey key;
        return RegOpenKeyExW(HKEY_CURRENT_USER, (Prefix() + subkey).c_str(), 0, KEY_READ, key.Receive()) ==
               ERROR_SUCCESS;
    }
    DWORD Dword(const std::wstring& subkey, const wchar_t* name) const {
        DWORD value = 0xDEADBEEF;
        DWORD size = sizeof(value);
        RegGetValueW(HKEY_CURRENT_USER, (Prefix() + subkey).c_str(), name, RRF_RT_REG_DWORD, nullptr, &value,
                     &size);
        return value;
    }
    std::wstring String(const std::wstring& subkey, const wchar_t* name) const {
        wchar_t buffer[300] = L"<missing>";
        DWORD size = sizeof(buffer);
        RegGetValueW(HKEY_CURRENT_USER, (Prefix() + subkey).c_str(), name, RRF_RT_REG_SZ, nullptr, buffer,
                     &size);
        return buffer;
    }
    void SetString(const std::wstring& subkey, const wchar_t* name, const std::wstring& value) const {
        Create(subkey);
        RegSetKeyValueW(HKEY_CURRENT_USER, (Prefix() + subkey).c_str(), name, REG_SZ, value.c_str(),
                        static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    }

private:
    std::wstring m_path;
};

TEST(Win32SettingsEnvironment, ProgramsFolderComesFromTheRegistry) {
    ScratchKey scratch;
    Win32SettingsEnvironment env(HKEY_CURRENT_USER, scratch.Prefix());
    EXPECT_EQ(env.ProgramsFolder(), L"\\Program Files");
    scratch.SetString(kNorvaneRegistryKey, L"ProgramFilesPath", L"");
    EXPECT_EQ(env.ProgramsFolder(), L"\\Program Files") << "an empty value counts as none";
    scratch.SetString(kNorvaneRegistryKey, L"ProgramFilesPath", L"\\Programme");
    EXPECT_EQ(env.ProgramsFolder(), L"\\Programme");
}

TEST(Win32SettingsEnvironment, RegistryMirrorFollowsLoadAndSave) {
    ScratchKey scratch;
    test::ScratchDir dir;
    scratch.SetString(kNorvaneRegistryKey, L"ProgramFilesPath", dir.Root().wstring());
    Win32SettingsEnvironment env(HKEY_CURRENT_USER, scratch.Prefix());
    {
        Settings settings(env);
        ASSERT_TRUE(settings.Load());
        EXPECT_EQ(settings.Path(), dir.Root().wstring() + L"\\Tarsel\\Norvane\\Norvane.ini");
        EXPECT_TRUE(std::filesystem::is_directory(dir.Root() / "Tarsel" / "Norvane"));
        EXPECT_EQ(scratch.Dword(kNorvaneRegistryKey, L"TrueVGA"), 0u);
        EXPECT_EQ(scratch.Dword(kNorvaneRegistryKey, L"TrueVGAOptions"), 0u);
        EXPECT_FALSE(scratch.Exists(kSafeModeServiceKey)) << "the service key is never created";

        settings.General.TrueVGA = 2;
        settings.General.TrueVGAOptions = 3;
        settings.General.SafeModePromptMode = 0;
        settings.General.AutoSafeMode = false;
        scratch.Create(kSafeModeServiceKey);
        ASSERT_TRUE(settings.Save());
        EXPECT_EQ(scratch.Dword(kNorvaneRegistryKey, L"TrueVGA"), 2u);
        EXPECT_EQ(scratch.Dword(kNorvaneRegistryKey, L"TrueVGAOptions"), 3u);
        EXPECT_EQ(scratch.String(kSafeModeServiceKey, L"Prefix"), L"NV_");
        EXPECT_EQ(scratch.Dword(kSafeModeServiceKey, L"PromptMode"), 0u);
        EXPECT_EQ(scratch.Dword(kSafeModeServiceKey, L"ForceResetEnabled"), 0u);
    }
    // Another process's view: the file now says prompt mode 0; make it ask for safe mode.
    const std::wstring ini = dir.Root().wstring() + L"\\Tarsel\\Norvane\\Norvane.ini";
    ASSERT_TRUE(WritePrivateProfileStringW(L"General", L"AutoSafeMode", L"1", ini.c_str()));
    WritePrivateProfileStringW(nullptr, nullptr, nullptr, ini.c_str());
    Settings reloaded(env);
    ASSERT_TRUE(reloaded.Load());
    EXPECT_TRUE(reloaded.General.AutoSafeMode);
    EXPECT_EQ(scratch.String(kSafeModeServiceKey, L"Prefix"), L"NVG");
    EXPECT_EQ(scratch.Dword(kSafeModeServiceKey, L"ForceResetEnabled"), 1u);
    SetDisplayFlags(false, false);
}

TEST(Win32SettingsEnvironment, DevicePathsLandOnTheCurrentDrive) {
    // Paths without a drive letter, as the device writes them.
    const std::wstring folder = L"\\NorvaneTest" + std::to_wstring(GetCurrentProcessId());
    Win32SettingsEnvironment env;
    ASSERT_TRUE(env.CreateFolder(folder));
    EXPECT_TRUE(env.CreateFolder(folder)) << "an existing folder is no error";
    {
        SettingsFile file;
        file.SetString(L"S", L"k", L"v");
        ASSERT_TRUE(file.Save(folder + L"\\Norvane.ini"));
        SettingsFile reread(folder + L"\\Norvane.ini");
        std::wstring value;
        EXPECT_TRUE(reread.GetString(L"S", L"k", value));
        EXPECT_EQ(value, L"v");
    }
    DeleteFileW((folder + L"\\Norvane.ini").c_str());
    RemoveDirectoryW(folder.c_str());

    int x = 0;
    int y = 0;
    ASSERT_TRUE(QueryScreenDpi(x, y));
    EXPECT_GE(x, 96);
    EXPECT_GE(y, 96);
}

} // namespace
} // namespace norvane
