// The first settings file gathered from prepared folders, the device's control
// panel and the plug-in's texts; and what it never does: touch an existing file.
#include "DefaultSettingsFile.h"

#include "SetupSystem.h"
#include "SetupTestSupport.h"
#include "SettingsFile.h"
#include "Win32Handles.h"

#include <cpl.h>
#include <gtest/gtest.h>

namespace norvane::setup {
namespace {

using namespace test;

constexpr wchar_t kRoot[] = L"\\NorvaneSetupTest-defaults";

class DefaultSettingsFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_registry.Ready());
        WipeDeviceTree(kRoot);
        m_places.dataFolder = std::wstring(kRoot) + L"\\Data";
        m_places.metersFolder = std::wstring(kRoot) + L"\\Install\\meters\\";
        m_places.programsFolder = std::wstring(kRoot) + L"\\Programs";
        m_places.documentsFolder = std::wstring(kRoot) + L"\\Documents";
        m_places.personalFolder = L"\\My Documents\\";
        m_places.controlPanel = BuildPath(L"device/bin/cplmain.cpl");
        m_places.pluginModule = BuildPath(L"Norvane/Norvane.dll");
        m_files.Folder(m_places.dataFolder);
        for (int i = 1; i <= 12; ++i) {
            m_files.File(m_places.programsFolder + L"\\Program " + std::to_wstring(i) + L".lnk");
        }
        m_files.Folder(m_places.programsFolder + L"\\Tools"); // folders are left out
        m_files.File(m_places.documentsFolder + L"\\Letter.txt");
        m_files.File(m_places.documentsFolder + L"\\Plan.txt");
        SetString(HKEY_LOCAL_MACHINE, std::wstring(kNewMenuKey) + L"\\{0FE5DCC1-5413-11d2-A53B-00C04F8ECDC8}",
                  nullptr, L"Note");
    }
    void TearDown() override { WipeDeviceTree(kRoot); }

    void LoadWritten(SettingsFile& file) {
        EXPECT_TRUE(file.Load(JoinPath(m_places.dataFolder, L"Norvane.ini")));
    }
    static int Count(const SettingsFile& file, int tab) {
        const SettingsSection* section = file.FindSection(L"Tab" + std::to_wstring(tab));
        int n = 0;
        while (section && section->Find(L"Shortcut" + std::to_wstring(n + 1))) {
            ++n;
        }
        return n;
    }
    static std::wstring Value(const SettingsFile& file, int tab, const std::wstring& key) {
        const std::wstring* value = file.FindValue(L"Tab" + std::to_wstring(tab), key);
        return value ? *value : L"<missing>";
    }

    ScratchRegistry m_registry;
    DeviceFiles m_files;
    DefaultSettingsPlaces m_places;
};

TEST_F(DefaultSettingsFileTest, GatheredFromTheDevice) {
    ASSERT_TRUE(WriteDefaultSettings(true, m_places));
    SettingsFile file;
    LoadWritten(file);
    EXPECT_EQ(Count(file, 1), 10) << "two meters and eight programs";
    EXPECT_EQ(Count(file, 2), 0) << "no Games folder";
    EXPECT_EQ(Count(file, 3), 2);
    EXPECT_EQ(Count(file, 4), 8);
    EXPECT_EQ(Count(file, 5), 5) << "four special commands and the one new-item class";
    for (int n = 3; n <= 10; ++n) {
        EXPECT_EQ(
            Value(file, 1, L"Shortcut" + std::to_wstring(n)).find(m_places.programsFolder + L"\\Program "),
            0u);
    }
    EXPECT_EQ(Value(file, 3, L"Shortcut1").find(m_places.documentsFolder + L"\\"), 0u);

    // The applets' names are the control panel's own.
    UniqueModule cpl(LoadLibraryW(m_places.controlPanel.c_str()));
    auto entry = reinterpret_cast<APPLET_PROC>(GetProcAddress(cpl.Get(), "CPlApplet"));
    ASSERT_NE(entry, nullptr);
    ASSERT_NE(entry(nullptr, CPL_INIT, 0, 0), 0);
    const int applets[] = {2, 4, 7, 10, 9, 12, 13, 16};
    for (int n = 1; n <= 8; ++n) {
        NEWCPLINFOW info{};
        info.dwSize = sizeof info;
        ASSERT_EQ(entry(nullptr, CPL_NEWINQUIRE, applets[n - 1], reinterpret_cast<LPARAM>(&info)), 0);
        EXPECT_EQ(Value(file, 4, L"Shortcut" + std::to_wstring(n)), info.szName);
        EXPECT_EQ(Value(file, 4, L"ShortcutAdditional" + std::to_wstring(n)),
                  L"cpl:\\Windows\\cplmain.cpl|" + std::to_wstring(applets[n - 1]));
    }
    entry(nullptr, CPL_EXIT, 0, 0);
    EXPECT_EQ(Value(file, 5, L"Shortcut5"), L"Note");
    EXPECT_EQ(Value(file, 5, L"ShortcutAdditional5"), L"new:{0FE5DCC1-5413-11d2-A53B-00C04F8ECDC8}");
}

TEST_F(DefaultSettingsFileTest, AnExistingFileOrFolderIsNeverTouched) {
    const std::wstring path = JoinPath(m_places.dataFolder, L"Norvane.ini");
    m_files.File(path, "mine");
    EXPECT_FALSE(WriteDefaultSettings(true, m_places));
    EXPECT_EQ(ReadDeviceFile(path), "mine");
    WipeDeviceTree(path);
    m_files.Folder(path);
    EXPECT_FALSE(WriteDefaultSettings(true, m_places));
    EXPECT_FALSE(DeviceExists(path + L".new"));
}

TEST_F(DefaultSettingsFileTest, SourcesThatCannotBeReadContributeNothing) {
    m_places.controlPanel = std::wstring(kRoot) + L"\\missing.cpl";
    m_places.pluginModule = std::wstring(kRoot) + L"\\missing.dll";
    m_places.programsFolder = std::wstring(kRoot) + L"\\NoPrograms";
    m_places.documentsFolder = std::wstring(kRoot) + L"\\NoDocuments";
    ASSERT_TRUE(WriteDefaultSettings(false, m_places));
    SettingsFile file;
    LoadWritten(file);
    for (int tab = 1; tab <= 4; ++tab) {
        EXPECT_EQ(Count(file, tab), 0) << tab;
        EXPECT_NE(Value(file, tab, L"Name"), L"<missing>");
    }
    EXPECT_EQ(Count(file, 5), 1);
    EXPECT_EQ(Value(file, 5, L"Shortcut1"), L"Note") << "new-item commands numbered from 1";
}

TEST_F(DefaultSettingsFileTest, TheLanguageModuleNamesTheSpecialCommands) {
    m_files.Copy(BuildPath(L"Setup/tests/SetupTestLanguage.dll"),
                 JoinPath(m_places.dataFolder, L"NorvaneLang.dll"));
    m_places.pluginModule = std::wstring(kRoot) + L"\\missing.dll";
    ASSERT_TRUE(WriteDefaultSettings(false, m_places));
    SettingsFile file;
    LoadWritten(file);
    EXPECT_EQ(Value(file, 5, L"Shortcut1"), L"Weicher Neustart");
    EXPECT_EQ(Value(file, 5, L"Shortcut2"), L"") << "neither module has it";
    EXPECT_EQ(Value(file, 5, L"Shortcut3"), L"Bildschirmfoto");
    EXPECT_EQ(Value(file, 5, L"ShortcutAdditional2"), L"special:poweroff");
}

} // namespace
} // namespace norvane::setup
