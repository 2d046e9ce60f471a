// The four entry points on prepared registries and folders, as the cabinet
// installer calls them: first installation, reinstallation, the other product's
// tab, uninstallation with Yes and No, missing language modules.
#include "SetupHooks.h"

#include "DefaultSettingsFile.h"
#include "SetupSystem.h"
#include "SetupTestSupport.h"
#include "SettingsFile.h"
#include "StringLookup.h"

#include "CeSetup.h"

#include <gtest/gtest.h>

extern "C" {
codeINSTALL_INIT WINAPI Install_Init(HWND, BOOL, BOOL, LPCWSTR);
codeINSTALL_EXIT WINAPI Install_Exit(HWND, LPCWSTR, WORD, WORD, WORD, WORD, WORD);
codeUNINSTALL_INIT WINAPI Uninstall_Init(HWND, LPCWSTR);
codeUNINSTALL_EXIT WINAPI Uninstall_Exit(HWND);
}

namespace norvane::setup {
namespace {

using namespace test;

constexpr wchar_t kInstallDir[] = L"\\Program Files\\Tarsel\\Norvane";
constexpr wchar_t kData[] = L"\\Program Files\\Tarsel\\Norvane\\";
constexpr wchar_t kPrograms[] = L"\\Windows\\Start Menu\\Programs";
const std::wstring kItem = kTodayItemKey;
const std::wstring kNorvane = kNorvaneKey;
const std::wstring kService = kSafeModeServiceKey;
const std::wstring kKeys = L"Software\\Microsoft\\Today\\Keys";

// The string of the built plug-in's table ("" when it has none yet).
std::wstring PluginString(UINT id) {
    UniqueModule plugin(
        LoadLibraryExW(BuildPath(L"Norvane/Norvane.dll").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
    std::wstring text;
    LoadModuleString(plugin.Get(), id, text);
    return text;
}

class SetupHooksTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_registry.Ready()) << "RegOverridePredefKey";
        WipeDeviceTree(L"\\Program Files\\Tarsel");
        // The device: platform services, soft keys, new-item classes, programs,
        // documents, the control panel and the plug-in.
        SetString(HKEY_LOCAL_MACHINE, L"Services\\Batt", L"Prefix", L"BAG");
        SetDword(HKEY_LOCAL_MACHINE, L"Services\\Batt", L"Index", 0);
        SetString(HKEY_LOCAL_MACHINE, L"Services\\Notify", L"Prefix", L"NFY");
        SetDword(HKEY_LOCAL_MACHINE, L"Services\\Notify", L"Index", 1);
        SetString(HKEY_LOCAL_MACHINE, L"Services\\Cards", L"Prefix", L"CRD");
        SetDword(HKEY_LOCAL_MACHINE, L"Services\\Cards", L"Index", 3);
        SetString(HKEY_LOCAL_MACHINE, L"Services\\NoIndex", L"Prefix", L"NIX");
        SetDword(HKEY_LOCAL_MACHINE, L"Services\\WrongType", L"Prefix", 7);
        SetDword(HKEY_LOCAL_MACHINE, L"Services\\WrongType", L"Index", 0);
        SetString(HKEY_CURRENT_USER, kKeys + L"\\112", nullptr, L"Notes");
        SetString(HKEY_CURRENT_USER, kKeys + L"\\112", L"Open", L"\\Windows\\Notes.exe");
        SetString(HKEY_CURRENT_USER, kKeys + L"\\113", nullptr, L"Contacts");
        SetString(HKEY_CURRENT_USER, kKeys + L"\\113", L"Open", L"\\Windows\\Contacts.exe");
        const std::wstring newMenu = kNewMenuKey;
        SetString(HKEY_LOCAL_MACHINE, newMenu + L"\\{42650BC2-41C1-11d2-88E3-0000F87A49DB}", nullptr,
                  L"Contact");
        SetString(HKEY_LOCAL_MACHINE, newMenu + L"\\{FC59C090-AB3E-11d2-8442-0000F87A584A}", nullptr,
                  L"Workbook");
        SetString(HKEY_LOCAL_MACHINE, newMenu + L"\\menu", nullptr, L"New");
        SetString(HKEY_LOCAL_MACHINE, newMenu + L"\\{00000000-0000-0000-0000-000000000000}", nullptr,
                  L"Unlisted");
        m_files.File(std::wstring(kPrograms) + L"\\Setup Test Calculator.lnk", "22#\"\\Windows\\calc.exe\"");
        m_files.Folder(std::wstring(kPrograms) + L"\\Setup Test Folder");
        m_files.File(L"\\My Documents\\Setup Test Notes.txt", "notes");
        m_files.Copy(BuildPath(L"device/bin/cplmain.cpl"), L"\\Windows\\cplmain.cpl");
        m_files.Copy(BuildPath(L"Norvane/Norvane.dll"), L"\\Windows\\Norvane.dll");
    }
    void TearDown() override { WipeDeviceTree(L"\\Program Files\\Tarsel"); }

    // What the cabinet copies between the two install calls.
    void CopyProductFiles(bool withGerman = true) {
        for (const wchar_t* meter : {L"battery-default", L"memory-default"}) {
            const std::wstring folder = std::wstring(kData) + L"meters_temp\\" + meter;
            m_cab.File(folder + L"\\meter.ini", "[General]\r\n");
            m_cab.File(folder + L"\\meter32.tga", std::string(meter, meter + 3));
        }
        if (withGerman) {
            m_cab.Copy(BuildPath(L"Setup/tests/SetupTestLanguage.dll"), std::wstring(kData) + L"German.dll");
        }
        m_cab.File(std::wstring(kData) + L"NorvaneOptions.exe", "program");
    }

    // Install_Init, the copy, Install_Exit with the dialog answered.
    void Install(DialogAnswerer& answer, bool withGerman = true) {
        EXPECT_EQ(Install_Init(nullptr, TRUE, FALSE, kInstallDir), codeINSTALL_INIT_CONTINUE);
        CopyProductFiles(withGerman);
        EXPECT_EQ(Install_Exit(nullptr, kInstallDir, 0, 0, 0, 0, 0), codeINSTALL_EXIT_DONE);
        EXPECT_TRUE(answer.install.shown) << "the install dialog was shown";
    }
    void Install(int meters, int language, bool withGerman = true) {
        DialogAnswerer answer;
        answer.meters = meters;
        answer.languageIndex = language;
        Install(answer, withGerman);
    }

    // A value of the installed settings file.
    static std::wstring Installed(int tab, const std::wstring& key) {
        SettingsFile file;
        file.Load(std::wstring(kData) + L"Norvane.ini");
        return Value(file, tab, key);
    }
    static std::wstring Value(const SettingsFile& file, int tab, const std::wstring& key) {
        const std::wstring* value = file.FindValue(L"Tab" + std::to_wstring(tab), key);
        return value ? *value : L"<missing>";
    }

    ScratchRegistry m_registry;
    DeviceFiles m_files;
    DeviceFiles m_cab;
    RecordingToday m_today;
};

TEST_F(SetupHooksTest, FirstInstallation) {
    bool dllAtInit = true;
    m_today.onRefresh = [&] { dllAtInit = GetValue(HKEY_LOCAL_MACHINE, kItem, L"DLL") != L"<none>"; };
    SetString(HKEY_LOCAL_MACHINE, kItem, L"DLL", L"\\Windows\\Norvane.dll");
    SetString(HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\Today\\Items\\NorvaneSafeMode", L"DLL", L"x.dll");
    ASSERT_EQ(Install_Init(nullptr, TRUE, FALSE, kInstallDir), codeINSTALL_INIT_CONTINUE);
    EXPECT_EQ(m_today.refreshes, 1);
    EXPECT_FALSE(dllAtInit) << "the Today screen lets go of the plug-in before its file is replaced";
    EXPECT_EQ(GetValue(HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\Today\\Items\\NorvaneSafeMode", L"DLL"),
              L"<none>");
    EXPECT_EQ(GetValue(HKEY_LOCAL_MACHINE, kNorvane, L"InstallPath"), kInstallDir);
    EXPECT_EQ(GetValue(HKEY_LOCAL_MACHINE, kNorvane, L"WindowsStartUpPath"), L"\\Windows\\StartUp");
    EXPECT_EQ(GetValue(HKEY_LOCAL_MACHINE, kNorvane, L"ProgramFilesPath"), L"\\Program Files");
    // Subkeys in the registry's order; those without a string prefix and an index are left out.
    EXPECT_EQ(GetValue(HKEY_LOCAL_MACHINE, kNorvane, L"SafeServices"), L"BAG0,CRD3,NFY1");
    EXPECT_EQ(GetValue(HKEY_LOCAL_MACHINE, L"Software\\Tarsel", L"NorvaneRefreshInCal"), L"<none>");

    CopyProductFiles();
    bool settingsAtExit = false;
    m_today.onRefresh = [&] {
        dllAtInit = GetValue(HKEY_LOCAL_MACHINE, kItem, L"DLL") != L"<none>";
        settingsAtExit = DeviceExists(std::wstring(kData) + L"Norvane.ini");
    };
    DialogAnswerer answer;
    answer.languageIndex = 1;
    ASSERT_EQ(Install_Exit(nullptr, kInstallDir, 0, 0, 0, 0, 0), codeINSTALL_EXIT_DONE);
    EXPECT_EQ(m_today.refreshes, 2);
    EXPECT_TRUE(dllAtInit && settingsAtExit)
        << "the Today screen is refreshed once the item and its settings are in";

    // The dialog: full screen with a Done button, picture, bold title, meters on,
    // English first, each language under its module's own name or "English".
    ASSERT_TRUE(answer.install.shown);
    EXPECT_TRUE(answer.install.metersChecked);
    EXPECT_EQ(answer.install.selectedLanguage, 0);
    EXPECT_TRUE(answer.install.pictureShown) << "the picture is decoded through Imgdecmp.dll";
    EXPECT_TRUE(answer.install.doneButton);
    EXPECT_TRUE(answer.install.boldTitle);
    const std::vector<std::wstring> languages = {L"English", L"Testsprache", L"English", L"English",
                                                 L"English", L"English",     L"English", L"English"};
    EXPECT_EQ(answer.install.languages, languages);

    // The Today item and the service, first registration.
    EXPECT_EQ(GetValue(HKEY_LOCAL_MACHINE, kItem, L"DLL"), L"\\Windows\\Norvane.dll");
    EXPECT_EQ(GetValue(HKEY_LOCAL_MACHINE, kItem, L"Type"), L"4");
    EXPECT_EQ(GetValue(HKEY_LOCAL_MACHINE, kItem, L"Order"), L"100");
    EXPECT_EQ(GetValue(HKEY_LOCAL_MACHINE, kItem, L"Enabled"), L"1");
    EXPECT_EQ(GetValue(HKEY_LOCAL_MACHINE, kItem, L"Options"), L"0");
    EXPECT_EQ(GetValue(HKEY_LOCAL_MACHINE, kItem, L"Selectability"), L"2");
    const std::pair<const wchar_t*, const wchar_t*> service[] = {
        {L"Order", L"0"},   {L"Dll", L"NorvaneSafeMode.dll"},
        {L"Keep", L"1"},    {L"Prefix", L"NV_"},
        {L"Index", L"0"},   {L"DisplayName", L"NorvaneSafeMode"},
        {L"Context", L"0"}, {L"Description", L"NorvaneSafeMode"},
    };
    for (const auto& [name, value] : service) {
        EXPECT_EQ(GetValue(HKEY_LOCAL_MACHINE, kService, name), value) << name;
    }
    // The soft keys' backup, the choices, the meters and the language module.
    const std::wstring backup = kKeysBackupKey;
    EXPECT_EQ(GetValue(HKEY_LOCAL_MACHINE, backup + L"\\112", nullptr), L"Notes");
    EXPECT_EQ(GetValue(HKEY_LOCAL_MACHINE, backup + L"\\112", L"Open"), L"\\Windows\\Notes.exe");
    EXPECT_EQ(GetValue(HKEY_LOCAL_MACHINE, backup + L"\\113", L"Open"), L"\\Windows\\Contacts.exe");
    EXPECT_EQ(GetValue(HKEY_LOCAL_MACHINE, kNorvane, L"InstalledMeters"), L"1");
    EXPECT_EQ(GetValue(HKEY_LOCAL_MACHINE, kNorvane, L"Language"), L"German");
    EXPECT_TRUE(DeviceExists(std::wstring(kData) + L"meters\\battery-default\\meter.ini"));
    EXPECT_EQ(ReadDeviceFile(std::wstring(kData) + L"meters\\memory-default\\meter32.tga"), "mem");
    EXPECT_FALSE(DeviceExists(std::wstring(kData) + L"meters_temp"));
    EXPECT_TRUE(DeviceExists(std::wstring(kData) + L"NorvaneLang.dll"));
    EXPECT_FALSE(DeviceExists(std::wstring(kData) + L"German.dll"));

    // The first settings file.
    SettingsFile file;
    file.Load(std::wstring(kData) + L"Norvane.ini");
    EXPECT_EQ(Value(file, 1, L"Name"), L"Home");
    EXPECT_EQ(Value(file, 1, L"ShortcutAdditional1"),
              L"meter:\\Program Files\\Tarsel\\Norvane\\meters\\battery-default\\meter.ini");
    EXPECT_EQ(Value(file, 1, L"Shortcut3"), std::wstring(kPrograms) + L"\\Setup Test Calculator.lnk");
    EXPECT_EQ(Value(file, 3, L"Shortcut1"), L"\\My Documents\\Setup Test Notes.txt");
    EXPECT_EQ(Value(file, 4, L"ShortcutAdditional1"), L"cpl:\\Windows\\cplmain.cpl|2");
    EXPECT_NE(Value(file, 4, L"Shortcut1"), L"") << "named by the control panel";
    EXPECT_EQ(Value(file, 4, L"ShortcutAdditional8"), L"cpl:\\Windows\\cplmain.cpl|16");
    EXPECT_EQ(Value(file, 5, L"Shortcut1"), L"Weicher Neustart") << "from the language module";
    EXPECT_EQ(Value(file, 5, L"Shortcut2"), PluginString(10150))
        << "a text the module lacks comes from the plug-in";
    EXPECT_EQ(Value(file, 5, L"Shortcut3"), L"Bildschirmfoto");
    EXPECT_EQ(Value(file, 5, L"ShortcutAdditional4"), L"special:rotate");
    EXPECT_EQ(Value(file, 5, L"Shortcut5"), L"Workbook");
    EXPECT_EQ(Value(file, 5, L"ShortcutAdditional6"), L"new:{42650BC2-41C1-11d2-88E3-0000F87A49DB}");
    EXPECT_EQ(Value(file, 5, L"Shortcut7"), L"New");
    EXPECT_EQ(Value(file, 5, L"Shortcut8"), L"<missing>");
}

TEST_F(SetupHooksTest, ReinstallationKeepsWhatTheUserChose) {
    Install(/*meters*/ 0, /*language*/ 1);
    EXPECT_EQ(GetValue(HKEY_LOCAL_MACHINE, kNorvane, L"InstalledMeters"), L"0");
    EXPECT_FALSE(DeviceExists(std::wstring(kData) + L"meters_temp")) << "unwanted meters are deleted";
    EXPECT_FALSE(DeviceExists(std::wstring(kData) + L"meters\\battery-default"));
    EXPECT_EQ(Installed(1, L"Shortcut1"), std::wstring(kPrograms) + L"\\Setup Test Calculator.lnk")
        << "no meter shortcuts without the meters";

    // The user's own item place, switches, service and settings.
    SetDword(HKEY_LOCAL_MACHINE, kItem, L"Order", 7);
    SetDword(HKEY_LOCAL_MACHINE, kItem, L"Enabled", 0);
    SetDword(HKEY_LOCAL_MACHINE, kItem, L"Options", 1);
    SetDword(HKEY_LOCAL_MACHINE, kService, L"Order", 5);
    SetString(HKEY_LOCAL_MACHINE, kService, L"Prefix", L"NVG");
    const std::string own = "\xFF\xFE[\0T\0a\0b\0\x31\0]\0\r\0\n\0";
    m_cab.File(std::wstring(kData) + L"Norvane.ini", own);

    DialogAnswerer keep; // the dialog as it comes up
    Install(keep);
    EXPECT_FALSE(keep.install.metersChecked) << "the earlier answer is shown again";
    EXPECT_EQ(keep.install.selectedLanguage, 1);
    EXPECT_EQ(GetValue(HKEY_LOCAL_MACHINE, kItem, L"DLL"), L"\\Windows\\Norvane.dll");
    EXPECT_EQ(GetValue(HKEY_LOCAL_MACHINE, kItem, L"Order"), L"7");
    EXPECT_EQ(GetValue(HKEY_LOCAL_MACHINE, kItem, L"Enabled"), L"0");
    EXPECT_EQ(GetValue(HKEY_LOCAL_MACHINE, kItem, L"Options"), L"1");
    EXPECT_EQ(GetValue(HKEY_LOCAL_MACHINE, kService, L"Order"), L"5");
    EXPECT_EQ(GetValue(HKEY_LOCAL_MACHINE, kService, L"Prefix"), L"NVG");
    EXPECT_EQ(ReadDeviceFile(std::wstring(kData) + L"Norvane.ini"), own)
        << "the user's settings file is not touched";
    EXPECT_EQ(GetValue(HKEY_LOCAL_MACHINE, kNorvane, L"Language"), L"German");
    EXPECT_TRUE(DeviceExists(std::wstring(kData) + L"NorvaneLang.dll"));

    // A reinstallation that ships no module for the language in use keeps the installed one.
    DialogAnswerer again;
    Install(again, /*withGerman*/ false);
    EXPECT_EQ(again.install.languages[1], L"English");
    EXPECT_EQ(GetValue(HKEY_LOCAL_MACHINE, kNorvane, L"Language"), L"German");
    EXPECT_TRUE(DeviceExists(std::wstring(kData) + L"NorvaneLang.dll"));
    // Choosing English removes it.
    Install(/*meters*/ 1, /*language*/ 0);
    EXPECT_FALSE(DeviceExists(std::wstring(kData) + L"NorvaneLang.dll"));
    EXPECT_FALSE(DeviceExists(std::wstring(kData) + L"German.dll")) << "the shipped modules are cleared away";
}

TEST_F(SetupHooksTest, InstallingWhileTheOtherProductShowsThePlugin) {
    const std::wstring tab = L"Software\\Tarsel\\Calimbra\\TabSettings\\Norvane";
    SetDword(HKEY_CURRENT_USER, tab, L"Enabled", 1);
    ASSERT_EQ(Install_Init(nullptr, TRUE, FALSE, kInstallDir), codeINSTALL_INIT_CONTINUE);
    EXPECT_EQ(GetValue(HKEY_CURRENT_USER, tab, L"Enabled"), L"0") << "switched off while the files change";
    EXPECT_EQ(GetValue(HKEY_LOCAL_MACHINE, L"Software\\Tarsel", L"NorvaneRefreshInCal"), L"1");
    CopyProductFiles();
    DialogAnswerer answer;
    ASSERT_EQ(Install_Exit(nullptr, kInstallDir, 0, 0, 0, 0, 0), codeINSTALL_EXIT_DONE);
    EXPECT_EQ(GetValue(HKEY_CURRENT_USER, tab, L"Enabled"), L"1");
    EXPECT_EQ(GetValue(HKEY_LOCAL_MACHINE, L"Software\\Tarsel", L"NorvaneRefreshInCal"), L"<none>");
    EXPECT_EQ(GetValue(HKEY_LOCAL_MACHINE, kItem, L"Enabled"), L"0") << "the Today item starts switched off";

    // With the tab switched off in the other product nothing there changes.
    DeleteKeyTree(HKEY_LOCAL_MACHINE, kItem);
    SetDword(HKEY_CURRENT_USER, tab, L"Enabled", 0);
    Install(-1, -1);
    EXPECT_EQ(GetValue(HKEY_CURRENT_USER, tab, L"Enabled"), L"0");
    EXPECT_EQ(GetValue(HKEY_LOCAL_MACHINE, kItem, L"Enabled"), L"1");
}

TEST_F(SetupHooksTest, UninstallingWithYesKeepsTheSettingsAndRestoresTheSoftKeys) {
    Install(1, 1);
    // The plug-in bound the soft keys to its stubs; another binding sits beside them.
    SetString(HKEY_CURRENT_USER, kKeys + L"\\112", nullptr, L"Norvane");
    SetString(HKEY_CURRENT_USER, kKeys + L"\\112", L"Open",
              L"\\Program Files\\Tarsel\\Norvane\\NorvaneLeftKey.exe");
    DeleteKeyTree(HKEY_CURRENT_USER, kKeys + L"\\113");
    SetString(HKEY_CURRENT_USER, kKeys + L"\\114", L"Open", L"\\Windows\\Other.exe");
    SetDword(HKEY_LOCAL_MACHINE, kKeysBackupKey, L"Modified", 1);
    SetDword(HKEY_CURRENT_USER, L"Software\\Microsoft\\Today\\Keys_nv", L"x", 1);
    const std::string settings = ReadDeviceFile(std::wstring(kData) + L"Norvane.ini");

    int refreshes = m_today.refreshes;
    ASSERT_EQ(Uninstall_Init(nullptr, kInstallDir), codeUNINSTALL_INIT_CONTINUE);
    EXPECT_EQ(GetValue(HKEY_LOCAL_MACHINE, kItem, L"DLL"), L"<none>");
    EXPECT_EQ(m_today.refreshes, refreshes + 1);
    DialogAnswerer answer;
    answer.questionButton = IDYES;
    ASSERT_EQ(Uninstall_Exit(nullptr), codeUNINSTALL_EXIT_DONE);
    ASSERT_TRUE(answer.question.shown);
    EXPECT_EQ(answer.question.caption, L"Uninstall Norvane");
    EXPECT_EQ(answer.question.text,
              L"Do you want to preserve Norvane settings on your Pocket PC for future installation?");

    EXPECT_EQ(ReadDeviceFile(std::wstring(kData) + L"Norvane.ini"), settings);
    EXPECT_EQ(GetValue(HKEY_LOCAL_MACHINE, kNorvane, L"Language"), L"German");
    EXPECT_EQ(GetValue(HKEY_LOCAL_MACHINE, kItem, L"Order"), L"100") << "the item key stays, without its DLL";
    EXPECT_EQ(GetValue(HKEY_CURRENT_USER, kKeys + L"\\112", nullptr), L"Notes");
    EXPECT_EQ(GetValue(HKEY_CURRENT_USER, kKeys + L"\\112", L"Open"), L"\\Windows\\Notes.exe");
    EXPECT_EQ(GetValue(HKEY_CURRENT_USER, kKeys + L"\\113", L"Open"), L"\\Windows\\Contacts.exe");
    EXPECT_EQ(GetValue(HKEY_CURRENT_USER, kKeys + L"\\114", L"Open"), L"\\Windows\\Other.exe")
        << "bindings of other keys are kept";
    EXPECT_FALSE(KeyPresent(HKEY_CURRENT_USER, L"Software\\Microsoft\\Today\\Keys_nv"));
    EXPECT_EQ(GetValue(HKEY_LOCAL_MACHINE, kKeysBackupKey, L"Modified"), L"0");

    // Installed again over the kept settings: the file stays as it was.
    Install(-1, -1);
    EXPECT_EQ(ReadDeviceFile(std::wstring(kData) + L"Norvane.ini"), settings);
}

TEST_F(SetupHooksTest, UninstallingWithNoRemovesTheProductAndNothingElse) {
    Install(1, 1);
    m_cab.File(L"\\Program Files\\Tarsel\\Other\\keep.txt", "another product of the vendor");
    SetString(HKEY_CURRENT_USER, kKeys + L"\\112", L"Open",
              L"\\Program Files\\Tarsel\\Norvane\\NorvaneLeftKey.exe");
    SetDword(HKEY_LOCAL_MACHINE, kKeysBackupKey, L"Modified", 1);
    ASSERT_EQ(Uninstall_Init(nullptr, kInstallDir), codeUNINSTALL_INIT_CONTINUE);
    DialogAnswerer answer;
    answer.questionButton = IDNO;
    ASSERT_EQ(Uninstall_Exit(nullptr), codeUNINSTALL_EXIT_DONE);
    ASSERT_TRUE(answer.question.shown);
    EXPECT_FALSE(DeviceExists(L"\\Program Files\\Tarsel\\Norvane"));
    EXPECT_TRUE(DeviceExists(L"\\Program Files\\Tarsel\\Other\\keep.txt"));
    EXPECT_FALSE(KeyPresent(HKEY_LOCAL_MACHINE, kNorvane));
    EXPECT_FALSE(KeyPresent(HKEY_LOCAL_MACHINE, kItem));
    EXPECT_FALSE(KeyPresent(HKEY_LOCAL_MACHINE, kService));
    EXPECT_FALSE(KeyPresent(HKEY_LOCAL_MACHINE, L"Software\\Tarsel")) << "left empty, it goes too";
    EXPECT_EQ(GetValue(HKEY_CURRENT_USER, kKeys + L"\\112", L"Open"), L"\\Windows\\Notes.exe")
        << "the soft keys come back although their backup is deleted";
    EXPECT_TRUE(DeviceExists(L"\\Windows\\cplmain.cpl"));
    EXPECT_TRUE(DeviceExists(L"\\My Documents\\Setup Test Notes.txt"));
}

TEST_F(SetupHooksTest, UninstallingWithNoNeverDeletesAFolderThatIsNotOurs) {
    struct Case {
        const wchar_t* installPath; // "" = no InstallPath value
        bool folderGoes;
    } cases[] = {
        {L"", false},                          // "\Windows\": only our files
        {L"\\Windows", false},                 // the same
        {L"\\", false},                        // the root
        {L"\\My Documents", false},            // the user's documents
        {L"\\Setup Test Card\\Norvane", true}, // elsewhere, holding only our files
        {L"\\Setup Test Card\\Mixed", false},  // elsewhere, with the user's file
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.installPath, c.installPath + wcslen(c.installPath)));
        DeviceFiles files;
        const std::wstring folder = c.installPath[0] ? c.installPath : L"\\Windows";
        const std::wstring prefix = folder == L"\\" ? L"" : folder;
        files.File(prefix + L"\\NorvaneOptions.exe", "ours");
        if (c.folderGoes) {
            files.File(prefix + L"\\German.dll", "module");
            files.File(prefix + L"\\meters\\battery-default\\meter.ini", "[General]");
        } else {
            files.File(prefix + L"\\NorvaneSetupTest-keep.txt", "not a program of ours");
        }
        SetString(HKEY_LOCAL_MACHINE, kNorvane, L"ProgramFilesPath", L"\\Program Files");
        if (c.installPath[0]) {
            SetString(HKEY_LOCAL_MACHINE, kNorvane, L"InstallPath", c.installPath);
        }
        DialogAnswerer answer;
        answer.questionButton = IDNO;
        Uninstall_Exit(nullptr);
        ASSERT_TRUE(answer.question.shown);
        EXPECT_EQ(!DeviceExists(folder), c.folderGoes);
        EXPECT_FALSE(DeviceExists(prefix + L"\\NorvaneOptions.exe")) << "our own program goes in any case";
        if (!c.folderGoes) {
            EXPECT_TRUE(DeviceExists(prefix + L"\\NorvaneSetupTest-keep.txt"));
        }
        EXPECT_TRUE(DeviceExists(L"\\Windows\\cplmain.cpl"));
    }
    WipeDeviceTree(L"\\Setup Test Card");
}

TEST_F(SetupHooksTest, MissingLanguageModulesAreListedAsEnglishButKeepTheirName) {
    DialogAnswerer answer;
    answer.languageIndex = 3;
    Install(answer, /*withGerman*/ false);
    EXPECT_EQ(answer.install.languages, std::vector<std::wstring>(8, L"English"));
    EXPECT_EQ(GetValue(HKEY_LOCAL_MACHINE, kNorvane, L"Language"), L"Dutch");
    EXPECT_FALSE(DeviceExists(std::wstring(kData) + L"NorvaneLang.dll"));
    EXPECT_EQ(Installed(5, L"Shortcut1"), PluginString(10149)) << "named by the plug-in";
}

TEST_F(SetupHooksTest, NoServicesKeyWritesNoList) {
    DeleteKeyTree(HKEY_LOCAL_MACHINE, L"Services");
    RecordSafeServices();
    EXPECT_EQ(GetValue(HKEY_LOCAL_MACHINE, kNorvane, L"SafeServices"), L"<none>");
    SetString(HKEY_LOCAL_MACHINE, L"Services\\Only", L"Prefix", L"ONE");
    RecordSafeServices();
    EXPECT_EQ(GetValue(HKEY_LOCAL_MACHINE, kNorvane, L"SafeServices"), L"") << "present but without an index";
}

} // namespace
} // namespace norvane::setup
