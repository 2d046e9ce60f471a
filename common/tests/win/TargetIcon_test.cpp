// Pictures of additional targets: applets asked through CPlApplet (the device's
// own cplmain.cpl from the build tree), folders, special-command and new-item
// theme images, meters through their hook; and the settings environment that
// loads a shortcut's picture while the settings load.
#include "ImageTestData.h"
#include "Settings.h"
#include "ShortcutRecord.h"
#include "TargetIcon.h"
#include "TestSupport.h"
#include "Win32SettingsEnvironment.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace norvane {
namespace {

struct IconCalls {
    std::vector<std::wstring> systemIcons;
};

TargetIconServices Recording(IconCalls& calls) {
    TargetIconServices services;
    services.systemIcon = [&calls](const std::wstring& path, bool large) -> HICON {
        calls.systemIcons.push_back(path + (large ? L" large" : L" small"));
        return CopyIcon(LoadIconW(nullptr, IDI_APPLICATION));
    };
    return services;
}

// The device's control-panel module as the build tree has it.
std::wstring DeviceControlPanel() {
    wchar_t exe[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, exe, MAX_PATH);
    const std::filesystem::path path = std::filesystem::path(exe).parent_path().parent_path().parent_path() /
                                       L"device" / L"bin" / L"cplmain.cpl";
    return std::filesystem::exists(path) ? path.wstring() : std::wstring();
}

ShortcutIconRequest Request(const std::wstring& additional, bool large = true) {
    ShortcutIconRequest request;
    request.additionalTarget = additional;
    request.target = L"Caption";
    request.large = large;
    return request;
}

TEST(TargetIcon, AppletIconsComeFromTheModule) {
    const std::wstring module = DeviceControlPanel();
    if (module.empty()) {
        GTEST_SKIP() << "the device's cplmain.cpl is not built";
    }
    IconCalls calls;
    const TargetIconServices services = Recording(calls);
    ShortcutIcon icon;
    // CPL_NEWINQUIRE answers with an icon: neither the power program nor the file is asked.
    ASSERT_TRUE(LoadAdditionalTargetIcon(Request(L"cpl:" + module + L"|4"), IconDisplay{}, services, icon));
    EXPECT_TRUE(icon.icon);
    EXPECT_TRUE(calls.systemIcons.empty());
    // An applet the module does not have: the module file's system icon.
    ShortcutIcon fallback;
    ASSERT_TRUE(LoadAdditionalTargetIcon(Request(L"cpl:" + module + L"|40", false), IconDisplay{}, services,
                                         fallback));
    ASSERT_EQ(calls.systemIcons.size(), 1u);
    EXPECT_EQ(calls.systemIcons[0], module + L" small");
    // The module is released: it can be deleted once copied and asked again.
    const std::filesystem::path copy = std::filesystem::temp_directory_path() / L"norvane-icon-test.cpl";
    std::filesystem::copy_file(module, copy, std::filesystem::copy_options::overwrite_existing);
    EXPECT_TRUE(LoadAppletIcon({copy.wstring(), 3}, true, services) != nullptr);
    EXPECT_TRUE(std::filesystem::remove(copy));
}

TEST(TargetIcon, BrokenAppletTargetsGiveNoIcon) {
    IconCalls calls;
    const TargetIconServices services = Recording(calls);
    const wchar_t* targets[] = {
        L"cpl:cplmain.cpl",              // no "|": no module to ask
        L"cpl:\\Windows\\nothere.cpl|3", // no such module
        L"cpl:kernel32.dll|0",           // a library without CPlApplet
    };
    for (const wchar_t* target : targets) {
        ShortcutIcon icon;
        EXPECT_FALSE(LoadAdditionalTargetIcon(Request(target), IconDisplay{}, services, icon))
            << Utf16ToUtf8(target);
    }
    EXPECT_TRUE(calls.systemIcons.empty());
}

TEST(TargetIcon, FoldersShowTheRootFolderAndUnknownKindsTheTarget) {
    IconCalls calls;
    const TargetIconServices services = Recording(calls);
    ShortcutIcon folder;
    EXPECT_TRUE(LoadAdditionalTargetIcon(Request(L"folder:\\My Documents", false),
                                         IconDisplay{96, true, true}, services, folder));
    ShortcutIcon other;
    EXPECT_TRUE(LoadAdditionalTargetIcon(Request(L"Folder:\\x"), IconDisplay{}, services, other));
    EXPECT_EQ(calls.systemIcons, (std::vector<std::wstring>{L"\\ large", L"Caption large"}));
}

class ThemeFolder : public ::testing::Test {
protected:
    void SetUp() override {
        m_services.theme.additionalImagesPath = m_dir.Root().wstring() + L"\\";
        m_services.theme.installFolder = m_dir.Root().wstring() + L"\\install\\";
        m_services.theme.shellReady = true;
    }
    void WriteTga(const std::string& name, int size) {
        std::vector<std::uint8_t> bytes = norvane::testing::TgaHeader(2, size, size, 24, 0);
        for (int i = 0; i < size * size; ++i) {
            norvane::testing::AppendPixel(bytes, {10, 20, 30, 255}, 24);
        }
        std::ofstream(m_dir.Path(name), std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
    test::ScratchDir m_dir;
    TargetIconServices m_services;
};

TEST_F(ThemeFolder, SpecialCommandsAndNewItemsUseTheirThemeImages) {
    WriteTga("softreset32.tga", 32);
    WriteTga("new_note64.tga", 64);
    WriteTga("minmax16.tga", 16);
    struct Case {
        const wchar_t* additional;
        bool large;
        IconDisplay display;
        int width; // 0: no theme image
    };
    const Case cases[] = {
        {L"special:SoftReset", true, IconDisplay{}, 32},
        {L"special:softreset", false, IconDisplay{}, 0}, // looks for SoftReset16.tga
        {L"new:{0FE5DCC1-5413-11D2-A53B-00C04F8ECDC8}", true, IconDisplay{192, false, true}, 64},
        {L"special:minmax", false, IconDisplay{}, 16},
        {L"special:nosuchcommand", true, IconDisplay{}, 0},
    };
    for (const Case& c : cases) {
        ShortcutIcon icon;
        LoadAdditionalTargetIcon(Request(c.additional, c.large), c.display, m_services, icon);
        EXPECT_EQ(icon.image.Width(), c.width) << Utf16ToUtf8(c.additional);
    }
    // Before the shell is ready nothing is loaded, not even the fallback.
    m_services.theme.shellReady = false;
    ShortcutIcon early;
    EXPECT_FALSE(LoadAdditionalTargetIcon(Request(L"special:SoftReset"), IconDisplay{}, m_services, early));
}

TEST_F(ThemeFolder, MetersAskTheMetersCodeAtTheirSize) {
    std::vector<std::pair<std::wstring, int>> asked;
    m_services.meterImage = [&asked](const std::wstring& path, int size, Bitmap32& image) {
        asked.emplace_back(path, size);
        image.CreateFilled(size, size, 0, 255);
        return true;
    };
    ShortcutIcon large;
    EXPECT_TRUE(LoadAdditionalTargetIcon(Request(L"meter:\\m\\battery.ini"), IconDisplay{192, false, true},
                                         m_services, large));
    ShortcutIconRequest special = Request(L"meter:\\m\\memory.ini");
    special.inSpecialTab = true;
    ShortcutIcon small;
    EXPECT_TRUE(LoadAdditionalTargetIcon(special, IconDisplay{192, true, true}, m_services, small));
    ASSERT_EQ(asked.size(), 2u);
    EXPECT_EQ(asked[0], std::make_pair(std::wstring(L"\\m\\battery.ini"), 64));
    EXPECT_EQ(asked[1], std::make_pair(std::wstring(L"\\m\\memory.ini"), 16));
    m_services.meterImage = nullptr;
    ShortcutIcon none;
    EXPECT_FALSE(LoadAdditionalTargetIcon(Request(L"meter:x.ini"), IconDisplay{}, m_services, none));
}

TEST(TargetIcon, PlatformServicesUseTheDeviceCalls) {
    const ShortcutIconServices services = ShortcutIconServices::Platform();
    UniqueIcon root(services.systemIcon(L"\\", true));
    EXPECT_TRUE(root) << "the device root's icon";
    EXPECT_EQ(services.loadBitmapFile(L"\\Windows\\no-such-picture.bmp"), nullptr);
    EXPECT_FALSE(services.additionalTargetIcon);
}

TEST(TargetIcon, SettingsLoadKeepsEachShortcutsPicture) {
    Win32SettingsEnvironment environment(HKEY_CURRENT_USER, L"Software\\NorvaneTest\\Icons\\");
    std::vector<std::wstring> asked;
    ShortcutIconServices services;
    services.systemIcon = [&asked](const std::wstring& path, bool) -> HICON {
        asked.push_back(path);
        return CopyIcon(LoadIconW(nullptr, IDI_APPLICATION));
    };
    environment.SetIconServices(services);
    Settings settings(environment);
    settings.LoadFromBytes(
        test::Utf16File(L"[Tab1]\r\nName=One\r\n"
                        L"Shortcut1=\\Windows\\Start Menu\\Programs\\Calculator.lnk\r\n"
                        L"Shortcut2=Docs\r\nShortcutAdditional2=folder:\\My Documents\r\n"
                        L"Shortcut3=Nothing\r\nShortcutAdditional3=cpl:missing.cpl|1\r\n"));
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\NorvaneTest\\Icons");
    ASSERT_FALSE(settings.Tabs().empty());
    const auto& shortcuts = settings.Tabs()[0]->Shortcuts;
    ASSERT_EQ(shortcuts.size(), 3u);
    EXPECT_TRUE(LoadedShortcutIcon(*shortcuts[0]));
    EXPECT_TRUE(LoadedShortcutIcon(*shortcuts[1]));
    EXPECT_FALSE(LoadedShortcutIcon(*shortcuts[2]));
    EXPECT_EQ(asked, (std::vector<std::wstring>{L"\\Windows\\Start Menu\\Programs\\Calculator.lnk", L"\\"}));
    // Loading again keeps the picture it has.
    environment.LoadShortcutIcon(*shortcuts[0], settings);
    EXPECT_EQ(asked.size(), 2u);
    // A changed target drops it.
    shortcuts[0]->SetTarget(L"\\Windows\\Notes.exe");
    EXPECT_FALSE(LoadedShortcutIcon(*shortcuts[0]));
}

} // namespace
} // namespace norvane
