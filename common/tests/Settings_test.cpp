// The settings record: defaults, the load and save orders, legacy keys, special
// tabs, the maps, and what goes to the registry mirror and the file system.
#include "DisplayScale.h"
#include "Settings.h"
#include "SettingsEnvironment.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

namespace norvane {
namespace {

using test::Utf16File;

// The "General" section as Save writes it with every default, at 96 dpi.
constexpr wchar_t kDefaultGeneral[] = L"\r\n[General]\r\n"
                                      L"ShowBrowseIcons=1\r\n"
                                      L"BehaviorMode=4\r\n"
                                      L"IconDisplayMode=3\r\n"
                                      L"FreeIconPlacement=0\r\n"
                                      L"BottomAlign=4\r\n"
                                      L"RunMinimized=0\r\n"
                                      L"RefreshOnMinimize=0\r\n"
                                      L"RefreshOnResize=0\r\n"
                                      L"RefreshOnStorageCardChange=0\r\n"
                                      L"ShowSystemInfo=0\r\n"
                                      L"PostLoadRefresh=0\r\n"
                                      L"TrayReverseOrder=0\r\n"
                                      L"FullscreenUseDesktop=0\r\n"
                                      L"TrueVGA=0\r\n"
                                      L"TrueVGAOptions=0\r\n"
                                      L"RememberFileBrowsePath=1\r\n"
                                      L"RowCount=0\r\n"
                                      L"HeightInPixels=0\r\n"
                                      L"LandscapeHeightInPixel=0\r\n"
                                      L"TabWidth=40\r\n"
                                      L"FontSize=12\r\n"
                                      L"TabNameAlignment=1\r\n"
                                      L"IconSpacing=2\r\n"
                                      L"DeferIconLoading=0\r\n"
                                      L"AllowScrolling=1\r\n"
                                      L"HideSettingsBtn=1\r\n"
                                      L"ShowFileNamesOnly=0\r\n"
                                      L"AdditionalMeterPath=\r\n"
                                      L"AdditionalImagesPath=\r\n"
                                      L"MeterBar=Battery\r\n"
                                      L"MeterTap=0\r\n"
                                      L"DefaultLargeIcons=1\r\n"
                                      L"PreferredFolderApp=\\windows\\fexplore.exe\r\n"
                                      L"FolderAppQuotes=0\r\n"
                                      L"ShowShortcutContextMenu=1\r\n"
                                      L"AllowDragAndDropOnShortcuts=1\r\n"
                                      L"TopBarIconRightAlignment=1\r\n"
                                      L"TopBarIconLocked=0\r\n"
                                      L"CaptionAlignment=1\r\n"
                                      L"SmallIconCaptionMode=2\r\n"
                                      L"HalfHeightCaptions=0\r\n"
                                      L"ShowCaptionsForMeters=0\r\n"
                                      L"ShadowStyleForCaptions=1\r\n"
                                      L"BoldForCaptions=0\r\n"
                                      L"ShadowStyleForTabs=1\r\n"
                                      L"BoldForTabs=0\r\n"
                                      L"DPadSupport=1\r\n"
                                      L"DPadAction=0\r\n"
                                      L"CaptionColor=255,255,255\r\n"
                                      L"CaptionShadowColor=255,255,255\r\n"
                                      L"CaptionFontSize=12\r\n"
                                      L"CaptionHeight=13\r\n"
                                      L"ExtraCaptionWidth=0\r\n"
                                      L"TabTextColor=255,255,255\r\n"
                                      L"TabTextShadowColor=255,255,255\r\n"
                                      L"CurrentTabTextColor=255,255,255\r\n"
                                      L"CurrentTabTextShadowColor=255,255,255\r\n"
                                      L"SelectedCaptionColor=255,255,255\r\n"
                                      L"SelectedCaptionShadowColor=255,255,255\r\n"
                                      L"LineSeparatorsColor=255,255,255\r\n"
                                      L"HideSeparatorLines=0\r\n"
                                      L"SelectedItemColor=255,255,255\r\n"
                                      L"TabHeight=16\r\n"
                                      L"TabExtraHeight=4\r\n"
                                      L"TabBGColor=255,255,255\r\n"
                                      L"TabOpacity=0\r\n"
                                      L"CurrentTabBGColor=255,255,255\r\n"
                                      L"CurrentTabOpacity=15\r\n"
                                      L"SelectedShortcutOpacity=40\r\n"
                                      L"FloatingPanelColor=0,0,0\r\n"
                                      L"FloatingPanelOpacity=15\r\n"
                                      L"CaptionFont=\r\n"
                                      L"TabFont=\r\n"
                                      L"UsePollingForBattery=0\r\n"
                                      L"ShowTaskManager=1\r\n"
                                      L"TaskManagerCommandMask=28687\r\n"
                                      L"TopBarMeterAction=1\r\n"
                                      L"XButtonCloses=0\r\n"
                                      L"ShowRunningPrograms=0\r\n"
                                      L"RunningProgramsStart=28\r\n"
                                      L"RunningProgramsRightAlign=0\r\n"
                                      L"RunningProgramsShowDesktop=1\r\n"
                                      L"RunningProgramsLimitPortrait=10\r\n"
                                      L"RunningProgramsLimitLandscape=10\r\n"
                                      L"RunningProgramsHideTitles=0\r\n"
                                      L"RunningProgramsSpacing=2\r\n"
                                      L"UseFloatingPanels=0\r\n"
                                      L"AltTabMode=0\r\n"
                                      L"AltTabDelay=3000\r\n"
                                      L"TaskManagerShowIcons=1\r\n"
                                      L"SafeModePromptMode=2\r\n"
                                      L"AutoSafeMode=0\r\n"
                                      L"AnimateTaskManager=0\r\n"
                                      L"TopBarShortcutX=100\r\n"
                                      L"KeepTaskManagerOpen=0\r\n"
                                      L"AddTaskManagerPrefixes=1\r\n";

// Records what the record asks of its environment.
class RecordingEnvironment : public SettingsEnvironment {
public:
    std::wstring Programs = L"\\Program Files";
    std::vector<std::wstring> Folders;
    std::vector<RegistryMirror> Mirrors;
    std::vector<std::wstring> Errors;
    std::vector<std::wstring> IconsLoaded;
    int MeterResets = 0;
    FileLayer* Layer = nullptr;

    std::wstring ProgramsFolder() override { return Programs; }
    bool CreateFolder(const std::wstring& path) override {
        Folders.push_back(path);
        return true;
    }
    void WriteRegistryMirror(const RegistryMirror& mirror) override { Mirrors.push_back(mirror); }
    void ReportSaveError(const std::wstring& text) override { Errors.push_back(text); }
    void ResetMeterKindsInUse() override { ++MeterResets; }
    void LoadShortcutIcon(ShortcutRecord& shortcut, const Settings&) override {
        IconsLoaded.push_back(shortcut.Target());
        shortcut.SetIcon(std::make_unique<CachedIcon>());
    }
    FileLayer& Files() override { return Layer ? *Layer : SettingsEnvironment::Files(); }
};

class SettingsTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetScreenDpi(96, 96);
        SetDisplayFlags(false, false);
    }
    void TearDown() override {
        ResetScreenDpi();
        SetDisplayFlags(false, false);
    }
    // Loads the text as a file without a mark would be, then returns what Save writes.
    static std::wstring Saved(Settings& settings) {
        const std::string bytes = settings.SaveToBytes();
        EXPECT_GE(bytes.size(), 2u);
        return Utf16LeBytesToText(std::string_view(bytes).substr(2));
    }
    // The part of a saved file from the given section header on.
    static std::wstring From(const std::wstring& text, const std::wstring& header) {
        const std::size_t at = text.find(L"\r\n[" + header + L"]");
        return at == std::wstring::npos ? std::wstring() : text.substr(at);
    }

    RecordingEnvironment env;
};

TEST_F(SettingsTest, AnEmptyFileGivesDefaultsOneTabAndTheTaskManagerShortcuts) {
    env.DefaultSpecialProperties = [](std::wstring_view command) {
        PropertyList list;
        list.Set(L"prompt", std::wstring(command) + L"?");
        return list;
    };
    Settings settings(env);
    EXPECT_TRUE(settings.LoadFromBytes(""));
    ASSERT_EQ(settings.Tabs().size(), 1u);
    const TabRecord& tab = *settings.Tabs()[0];
    EXPECT_EQ(tab.Name, L"Norvane");
    EXPECT_EQ(tab.Image, L"");
    EXPECT_EQ(tab.UniqueID, 1);
    EXPECT_EQ(tab.Index, 0);

    const TabRecord& taskManager = settings.SpecialTab(SpecialTabType::TaskManager);
    ASSERT_EQ(taskManager.Shortcuts.size(), 3u);
    const wchar_t* expected[][2] = {{L"Power Off", L"special:poweroff"},
                                    {L"Soft-Reset", L"special:softreset"},
                                    {L"Screen Capture", L"special:screencapture"}};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(taskManager.Shortcuts[i]->Target(), expected[i][0]);
        EXPECT_EQ(taskManager.Shortcuts[i]->AdditionalTarget(), expected[i][1]);
        EXPECT_TRUE(taskManager.Shortcuts[i]->InSpecialTab());
    }
    EXPECT_EQ(taskManager.Shortcuts[1]->SpecialProperties().Get(L"prompt"), L"softreset?");
    for (SpecialTabType type :
         {SpecialTabType::ShellTray, SpecialTabType::TopBar, SpecialTabType::QuickLaunch,
          SpecialTabType::LeftSoftkey, SpecialTabType::RightSoftkey, SpecialTabType::MeterBar}) {
        EXPECT_TRUE(settings.SpecialTab(type).Shortcuts.empty());
    }

    // Every general key at its default, in table order.
    const std::wstring saved = Saved(settings);
    EXPECT_EQ(saved.substr(0, saved.find(L"\r\n[Tab1]")), kDefaultGeneral);
    EXPECT_EQ(env.Mirrors.size(), 1u);
}

TEST_F(SettingsTest, ScaledDefaultsFollowTheScreen) {
    SetScreenDpi(192, 192);
    SetDisplayFlags(false, true);
    Settings settings(env);
    EXPECT_EQ(settings.General.TabWidth, 80);
    EXPECT_EQ(settings.General.RunningProgramsStart, 56);
    EXPECT_EQ(settings.General.RunningProgramsSpacing, 4);
    EXPECT_EQ(settings.General.TopBarShortcutX, 200);
    EXPECT_EQ(settings.General.CaptionHeight, 14) << "high-resolution flag already set";
    SetScreenDpi(131, 131);
    SetDisplayFlags(false, false);
    Settings odd(env);
    EXPECT_EQ(odd.General.TabWidth, 55) << "40 * 131 / 96 = 54.58";
    EXPECT_EQ(odd.General.RunningProgramsSpacing, 3) << "2 * 131 / 96 = 2.73";
    EXPECT_EQ(odd.General.CaptionHeight, 13);
    EXPECT_EQ(ScaleX(-48), -66) << "-65.5 rounds away from zero";
}

TEST_F(SettingsTest, TrueVgaDecidesTheDisplayFlags) {
    struct Case {
        int dpi;
        int trueVga;
        bool expectTrueVga;
        bool expectHiRes;
        int scaled10;
    };
    const Case cases[] = {{96, 2, true, true, 20},   {192, 2, false, true, 20}, {96, 1, true, true, 20},
                          {192, 1, true, true, 40},  {96, 0, false, false, 10}, {192, 0, false, true, 20},
                          {120, 2, false, true, 13}, {96, 3, false, false, 10}};
    for (const Case& c : cases) {
        SetScreenDpi(c.dpi, c.dpi);
        Settings settings(env);
        settings.LoadFromBytes(Utf16File(L"[General]\r\nTrueVGA=" + std::to_wstring(c.trueVga) + L"\r\n"));
        EXPECT_EQ(TrueVga(), c.expectTrueVga) << c.dpi << " dpi, TrueVGA=" << c.trueVga;
        EXPECT_EQ(HiResDisplay(), c.expectHiRes) << c.dpi << " dpi, TrueVGA=" << c.trueVga;
        EXPECT_EQ(ScaleX(10), c.scaled10) << c.dpi << " dpi, TrueVGA=" << c.trueVga;
        EXPECT_EQ(ScaleY(10), c.scaled10);
    }
}

TEST_F(SettingsTest, TabSectionsAreReadUntilTheFirstGap) {
    Settings settings(env);
    settings.LoadFromBytes(Utf16File(L"[Tab1]\r\nName=One\r\nImage=mine.png\r\n"
                                     L"[Tab2]\r\nSpecialType=9\r\nName=Skipped\r\n"
                                     L"[Tab3]\r\nUniqueID=7\r\nHidden=1\r\nOverrideDisplayMode=2\r\n"
                                     L"[Tab4]\r\nSpecialType=4\r\nName=Quick\r\nShortcut1=q.lnk\r\n"
                                     L"[Tab5]\r\nCaptionsEnabled=3\r\nSnapBack=1\r\n"
                                     L"[Tab7]\r\nName=Never reached\r\n"));
    ASSERT_EQ(settings.Tabs().size(), 3u) << "Tab1, Tab3 and Tab5; Tab2 is skipped, Tab7 never reached";
    const TabRecord& one = *settings.Tabs()[0];
    const TabRecord& three = *settings.Tabs()[1];
    const TabRecord& five = *settings.Tabs()[2];
    EXPECT_EQ(one.Name, L"One");
    EXPECT_EQ(one.Image, L"mine.png");
    EXPECT_EQ(one.Index, 0);
    EXPECT_EQ(one.OverrideDisplayMode, -1);
    EXPECT_EQ(one.UniqueID, 8) << "IDs handed out after the largest one, in tab order";
    EXPECT_EQ(five.UniqueID, 9);
    EXPECT_EQ(three.Name, L"Shortcut tab 3");
    EXPECT_EQ(three.Image, L"builtin:0");
    EXPECT_EQ(three.Index, 2);
    EXPECT_EQ(three.UniqueID, 7);
    EXPECT_TRUE(three.Hidden);
    EXPECT_EQ(three.OverrideDisplayMode, 2);
    EXPECT_EQ(five.Image, L"builtin:2");
    EXPECT_EQ(five.CaptionsEnabled, 3);
    EXPECT_TRUE(five.SnapBack);
    const TabRecord& quick = settings.SpecialTab(SpecialTabType::QuickLaunch);
    EXPECT_EQ(quick.Name, L"Quick");
    EXPECT_EQ(quick.Index, 3);
    EXPECT_EQ(quick.Image, L"builtin:1") << "special tabs advance the image counter";
    ASSERT_EQ(quick.Shortcuts.size(), 1u);
    EXPECT_TRUE(quick.Shortcuts[0]->InSpecialTab());
    EXPECT_EQ(settings.NextUniqueTabId(), 10);

    // Visible tabs: hidden ones left out unless asked for; never empty unless asked.
    std::vector<TabRecord*> visible = settings.VisibleTabs();
    EXPECT_EQ(visible, (std::vector<TabRecord*>{settings.Tabs()[0].get(), settings.Tabs()[2].get()}));
    EXPECT_EQ(settings.VisibleTabs(kVisibleTabsIncludeHidden).size(), 3u);
    for (auto& tab : settings.Tabs()) {
        tab->Hidden = true;
    }
    ASSERT_EQ(settings.VisibleTabs().size(), 1u);
    EXPECT_EQ(settings.VisibleTabs()[0], &one) << "the first tab stands in when all are hidden";
    EXPECT_TRUE(settings.VisibleTabs(kVisibleTabsNoFallback).empty());
}

TEST_F(SettingsTest, TabsWithoutImagesTakeTheBuiltInPicturesInTurn) {
    std::wstring text;
    for (int m = 1; m <= 13; ++m) {
        text += L"[Tab" + std::to_wstring(m) + L"]\r\nName=T\r\n";
        if (m == 5) {
            text += L"Image=own.tga\r\n";
        }
    }
    Settings settings(env);
    settings.LoadFromBytes(Utf16File(text));
    ASSERT_EQ(settings.Tabs().size(), 13u);
    std::wstring images;
    for (const auto& tab : settings.Tabs()) {
        images += tab->Image + L" ";
    }
    EXPECT_EQ(images, L"builtin:0 builtin:1 builtin:2 builtin:3 own.tga builtin:4 builtin:5 builtin:6 "
                      L"builtin:7 builtin:8 builtin:9 builtin:10 builtin:11 ");
    text += L"[Tab14]\r\nName=T\r\n";
    settings.LoadFromBytes(Utf16File(text));
    EXPECT_EQ(settings.Tabs().back()->Image, L"builtin:0");
}

TEST_F(SettingsTest, ShortcutsLoadAndSaveInTheirKeyOrder) {
    Settings settings(env);
    settings.LoadFromBytes(Utf16File(
        L"[Tab1]\r\nName=Work\r\nUniqueID=3\r\nFreePlacedLandscape=1\r\n"
        L"Shortcut1=\\Windows\\Start Menu\\Programs\\Calculator.lnk\r\n"
        L"SpecialProperties1=b~#~2~#~a~#~1\r\nCaptionEnabled1=0\r\nLocationPortrait1=5,6\r\n"
        L"LocationLandscape1=7,8\r\nLargeIcon1=1\r\nToolTipTitle1=Calculator\r\n"
        L"Shortcut2=My Docs\r\nShortcutAdditional2=folder:\\My Documents\r\nShortcutBitmapIcon2=docs.tga\r\n"
        L"ToolTipTitle2=Documents\r\nCommandLine2=-x\r\nCaptionEnabled2=1\r\n"
        L"Shortcut3=\r\n"
        L"Shortcut5=never.lnk\r\n"));
    ASSERT_EQ(settings.Tabs().size(), 1u);
    const TabRecord& tab = *settings.Tabs()[0];
    ASSERT_EQ(tab.Shortcuts.size(), 3u) << "an empty Shortcut3 counts; Shortcut5 is beyond the gap";
    const ShortcutRecord& calc = *tab.Shortcuts[0];
    EXPECT_TRUE(calc.LargeIcon());
    EXPECT_EQ(calc.CaptionEnabled(), 0);
    EXPECT_EQ(calc.ToolTipTitle(), L"") << "a title equal to the derived caption is not kept";
    EXPECT_EQ(calc.Caption(), L"Calculator");
    EXPECT_EQ(calc.LocationPortrait(), (SettingsPoint{0, 0})) << "tab is not free-placed in portrait";
    EXPECT_EQ(calc.LocationLandscape(), (SettingsPoint{7, 8}));
    EXPECT_EQ(calc.SpecialProperties().Get(L"a"), L"1");
    EXPECT_FALSE(calc.InSpecialTab());
    const ShortcutRecord& docs = *tab.Shortcuts[1];
    EXPECT_EQ(docs.ToolTipTitle(), L"Documents");
    EXPECT_EQ(docs.CommandLine(), L"-x");
    EXPECT_EQ(docs.BitmapIcon(), L"docs.tga");
    EXPECT_EQ(env.IconsLoaded.size(), 6u) << "three shortcuts plus the three Task Manager defaults";

    const std::wstring saved = Saved(settings);
    EXPECT_EQ(
        From(saved, L"Tab1").substr(0, From(saved, L"Tab1").find(L"\r\n[Tab2]")),
        L"\r\n[Tab1]\r\nName=Work\r\nUniqueID=3\r\nSnapBack=0\r\nImage=builtin:0\r\n"
        L"OverrideDisplayMode=-1\r\nCaptionsEnabled=0\r\nHidden=0\r\nSpecialType=0\r\n"
        L"FreePlacedPortrait=0\r\nFreePlacedLandscape=1\r\n"
        L"Shortcut1=\\Windows\\Start Menu\\Programs\\Calculator.lnk\r\nLargeIcon1=1\r\n"
        L"CaptionEnabled1=0\r\nLocationLandscape1=7,8\r\nSpecialProperties1=a~#~1~#~b~#~2\r\n"
        L"Shortcut2=My Docs\r\nShortcutAdditional2=folder:\\My Documents\r\nShortcutBitmapIcon2=docs.tga\r\n"
        L"ToolTipTitle2=Documents\r\nLocationLandscape2=0,0\r\nCommandLine2=-x\r\n"
        L"Shortcut3=\r\nLocationLandscape3=0,0\r\n");
}

TEST_F(SettingsTest, SaveWritesEverySectionInOrder) {
    Settings settings(env);
    settings.LoadFromBytes("");
    settings.Tabs()[0]->Name = L"Main";
    settings.AddTab().Name = L"Second";
    settings.Tabs()[1]->UniqueID = 9;
    settings.SpecialTab(SpecialTabType::MeterBar).AddShortcut().SetTarget(L"\\meters\\battery.ini");
    settings.SetStorageCardPath(L"\\Meters\\Card.INI", L"\\Storage Card");
    settings.SetStorageCardPath(L"\\meters\\a.ini", L"\\SD");
    settings.ToggleExceptionFlags(L"  Calendar ", 3);
    const std::wstring saved = Saved(settings);

    std::wstring expected =
        L"\r\n[Tab1]\r\nName=Main\r\nUniqueID=1\r\nSnapBack=0\r\nImage=\r\nOverrideDisplayMode=-1\r\n"
        L"CaptionsEnabled=0\r\nHidden=0\r\nSpecialType=0\r\nFreePlacedPortrait=0\r\n"
        L"FreePlacedLandscape=0\r\n"
        L"\r\n[Tab2]\r\nName=Second\r\nUniqueID=9\r\nSnapBack=0\r\nImage=\r\nOverrideDisplayMode=-1\r\n"
        L"CaptionsEnabled=0\r\nHidden=0\r\nSpecialType=0\r\nFreePlacedPortrait=0\r\n"
        L"FreePlacedLandscape=0\r\n";
    const wchar_t* specialNames[] = {L"Shell Tray Tab",   L"Task Manager Tab", L"Top Bar Tab",
                                     L"Quick Launch Tab", L"Left Softkey Tab", L"Right Softkey Tab",
                                     L"Meter Bar Tab"};
    for (int type = 1; type <= 7; ++type) {
        expected +=
            L"\r\n[Tab" + std::to_wstring(type + 2) + L"]\r\nName=" + specialNames[type - 1] +
            L"\r\nUniqueID=0\r\nSnapBack=0\r\nImage=\r\nOverrideDisplayMode=-1\r\nCaptionsEnabled=0\r\n"
            L"Hidden=0\r\nSpecialType=" +
            std::to_wstring(type) + L"\r\nFreePlacedPortrait=0\r\nFreePlacedLandscape=0\r\n";
        if (type == 2) {
            expected += L"Shortcut1=Power Off\r\nShortcutAdditional1=special:poweroff\r\n"
                        L"Shortcut2=Soft-Reset\r\nShortcutAdditional2=special:softreset\r\n"
                        L"Shortcut3=Screen Capture\r\nShortcutAdditional3=special:screencapture\r\n";
        }
        if (type == 7) {
            expected += L"Shortcut1=\\meters\\battery.ini\r\n";
        }
    }
    expected += L"\r\n[StorageCardPaths]\r\nMeterIniPath0=\\meters\\a.ini\r\nStorageCardPath0=\\SD\r\n"
                L"MeterIniPath1=\\meters\\card.ini\r\nStorageCardPath1=\\Storage Card\r\n"
                L"\r\n[TaskManagerExceptions]\r\nCalendar=3\r\n";
    EXPECT_EQ(From(saved, L"Tab1"), expected);

    // Without exceptions the section is left out; StorageCardPaths is always there.
    settings.ToggleExceptionFlags(L"Calendar", 1);
    settings.ToggleExceptionFlags(L"Calendar", 2);
    EXPECT_EQ(settings.ExceptionFlags(L"Calendar"), 0);
    settings.SetStorageCardPath(L"\\meters\\a.ini", L"\\SD2");
    settings.Tabs().clear();
    const std::wstring bare = Saved(settings);
    EXPECT_EQ(bare.find(L"[TaskManagerExceptions]"), std::wstring::npos);
    EXPECT_NE(
        bare.find(L"\r\n[StorageCardPaths]\r\nMeterIniPath0=\\meters\\a.ini\r\nStorageCardPath0=\\SD2\r\n"),
        std::wstring::npos);
}

TEST_F(SettingsTest, LegacyKeysAreReadAndNeverWritten) {
    Settings settings(env);
    settings.LoadFromBytes(
        Utf16File(L"[General]\r\nBehaviorMode=1\r\nIconDisplayMode=2\r\nCenterIcons=5\r\n"
                  L"TopBarMeterIni=\\meters\\top.ini\r\nExcludeTrayTab=1\r\n"
                  L"[Tab1]\r\nName=Apps\r\nShortcut1=a.lnk\r\n"
                  L"[Tab2]\r\nName=Tray\r\nShellTray=1\r\n"
                  L"Shortcut1=big.lnk\r\nLargeIcon1=1\r\nShortcutBitmapIcon1=big.tga\r\n"
                  L"Shortcut2=small.lnk\r\nShortcutBitmapIcon2=small.tga\r\nToolTipTitle2=Tip\r\n"
                  L"[Tab3]\r\nName=Other\r\n"));
    EXPECT_EQ(settings.General.BehaviorMode, 2);
    EXPECT_EQ(settings.General.IconDisplayMode, 5);
    ASSERT_EQ(settings.Tabs().size(), 2u) << "the shell-tray tab leaves the ordinary tabs";
    EXPECT_EQ(settings.Tabs()[1]->Name, L"Other");
    const TabRecord& tray = settings.SpecialTab(SpecialTabType::ShellTray);
    ASSERT_EQ(tray.Shortcuts.size(), 2u);
    EXPECT_EQ(tray.Shortcuts[0]->Target(), L"big.lnk");
    EXPECT_FALSE(tray.Shortcuts[0]->LargeIcon());
    EXPECT_EQ(tray.Shortcuts[0]->BitmapIcon(), L"") << "a large icon's bitmap is not carried over";
    EXPECT_EQ(tray.Shortcuts[1]->BitmapIcon(), L"small.tga");
    EXPECT_EQ(tray.Shortcuts[1]->ToolTipTitle(), L"Tip");
    const TabRecord& topBar = settings.SpecialTab(SpecialTabType::TopBar);
    ASSERT_EQ(topBar.Shortcuts.size(), 1u);
    EXPECT_EQ(topBar.Shortcuts[0]->Target(), L"\\meters\\top.ini");
    EXPECT_EQ(topBar.Shortcuts[0]->AdditionalTarget(), L"meter:\\meters\\top.ini");

    const std::wstring saved = Saved(settings);
    EXPECT_NE(saved.find(L"\r\nBehaviorMode=2\r\n"), std::wstring::npos);
    EXPECT_NE(saved.find(L"\r\nIconDisplayMode=5\r\n"), std::wstring::npos);
    for (const wchar_t* legacy : {L"CenterIcons", L"TopBarMeterIni", L"ExcludeTrayTab", L"ShellTray"}) {
        EXPECT_EQ(saved.find(legacy), std::wstring::npos) << Utf16ToUtf8(legacy);
    }

    // A file that has its own Shell Tray and Top Bar sections keeps them as they are.
    Settings modern(env);
    modern.LoadFromBytes(Utf16File(L"[General]\r\nTopBarMeterIni=x.ini\r\nExcludeTrayTab=1\r\n"
                                   L"[Tab1]\r\nShellTray=1\r\nShortcut1=t.lnk\r\n"
                                   L"[Tab2]\r\nSpecialType=1\r\n[Tab3]\r\nSpecialType=3\r\n"));
    EXPECT_TRUE(modern.SpecialTab(SpecialTabType::ShellTray).Shortcuts.empty());
    EXPECT_TRUE(modern.SpecialTab(SpecialTabType::TopBar).Shortcuts.empty());
    ASSERT_EQ(modern.Tabs().size(), 1u);
    EXPECT_EQ(modern.Tabs()[0]->Name, L"Norvane");
}

TEST_F(SettingsTest, AtMostSixteenShortcutsMoveToTheShellTray) {
    std::wstring text = L"[General]\r\nExcludeTrayTab=1\r\n[Tab1]\r\nShellTray=1\r\n";
    for (int n = 1; n <= 20; ++n) {
        text += L"Shortcut" + std::to_wstring(n) + L"=s" + std::to_wstring(n) + L"\r\n";
    }
    Settings settings(env);
    settings.LoadFromBytes(Utf16File(text));
    const TabRecord& tray = settings.SpecialTab(SpecialTabType::ShellTray);
    ASSERT_EQ(tray.Shortcuts.size(), 16u);
    EXPECT_EQ(tray.Shortcuts[15]->Target(), L"s16");
    // ShellTray without ExcludeTrayTab is an ordinary tab.
    Settings plain(env);
    plain.LoadFromBytes(Utf16File(L"[Tab1]\r\nName=Kept\r\nShellTray=1\r\nShortcut1=a\r\n"));
    ASSERT_EQ(plain.Tabs().size(), 1u);
    EXPECT_EQ(plain.Tabs()[0]->Name, L"Kept");
}

TEST_F(SettingsTest, ARepeatedLoadKeepsWhatTheNewFileDoesNotSay) {
    Settings settings(env);
    settings.LoadFromBytes(
        Utf16File(L"[General]\r\nFontSize=20\r\nMeterBar=Memory\r\n"
                  L"[Tab1]\r\nName=A\r\n[Tab2]\r\nSpecialType=4\r\nShortcut1=q\r\n"
                  L"[StorageCardPaths]\r\nMeterIniPath0=X.ini\r\nStorageCardPath0=\\Card\r\n"
                  L"MeterIniPath1=y.ini\r\n"
                  L"[TaskManagerExceptions]\r\nNotes=2\r\n"));
    EXPECT_EQ(settings.StorageCardPath(L"x.INI"), std::optional<std::wstring>(L"\\Card"));
    EXPECT_EQ(settings.StorageCardPaths().size(), 1u) << "pairs stop at the first incomplete one";
    EXPECT_EQ(settings.ExceptionFlags(L" Notes "), 2);

    settings.LoadFromBytes(Utf16File(L"[General]\r\nFontSize=9\r\n[Tab1]\r\nName=B\r\n"));
    EXPECT_EQ(settings.General.FontSize, 9);
    EXPECT_EQ(settings.General.MeterBar, L"Memory") << "general values are not reset";
    EXPECT_EQ(settings.SpecialTab(SpecialTabType::QuickLaunch).Shortcuts.size(), 1u)
        << "a special tab without a section keeps its shortcuts";
    EXPECT_TRUE(settings.StorageCardPaths().empty());
    EXPECT_TRUE(settings.Exceptions().empty());
    ASSERT_EQ(settings.Tabs().size(), 1u);
    EXPECT_EQ(settings.Tabs()[0]->Name, L"B");
}

TEST_F(SettingsTest, IconsAreLoadedUnlessDeferredOrSkipped) {
    const std::string file =
        Utf16File(L"[Tab1]\r\nShortcut1=a.lnk\r\n[Tab2]\r\nSpecialType=2\r\nShortcut1=t\r\n");
    Settings settings(env);
    settings.LoadFromBytes(file);
    EXPECT_EQ(env.IconsLoaded, (std::vector<std::wstring>{L"a.lnk", L"t"}));
    ShortcutRecord& shortcut = *settings.Tabs()[0]->Shortcuts[0];
    ASSERT_NE(shortcut.Icon(), nullptr);
    shortcut.SetAdditionalTarget(L"special:rotate");
    EXPECT_EQ(shortcut.Icon(), nullptr) << "a new additional target drops the icon";

    env.IconsLoaded.clear();
    settings.SkipIcons = true;
    settings.LoadFromBytes(file);
    EXPECT_TRUE(env.IconsLoaded.empty());
    settings.SkipIcons = false;
    settings.LoadFromBytes(Utf16File(L"[General]\r\nDeferIconLoading=1\r\n[Tab1]\r\nShortcut1=a.lnk\r\n"));
    EXPECT_TRUE(env.IconsLoaded.empty());
}

TEST_F(SettingsTest, PathFoldersAndRegistryMirror) {
    test::ScratchDir dir;
    env.Programs = dir.WidePath("programs");
    std::filesystem::create_directories(dir.Path("programs") / "Tarsel" / "Norvane");
    Settings settings(env);
    EXPECT_TRUE(settings.Load());
    const std::wstring path = env.Programs + L"\\Tarsel\\Norvane\\Norvane.ini";
    EXPECT_EQ(settings.Path(), path);
    EXPECT_EQ(env.Folders,
              (std::vector<std::wstring>{env.Programs + L"\\Tarsel", env.Programs + L"\\Tarsel\\Norvane"}));
    EXPECT_EQ(env.MeterResets, 1);
    EXPECT_EQ(settings.Tabs().size(), 1u);
    EXPECT_FALSE(std::filesystem::exists(dir.Path("programs/Tarsel/Norvane/Norvane.ini")))
        << "Load never writes the file";
    ASSERT_EQ(env.Mirrors.size(), 1u);
    EXPECT_EQ(env.Mirrors[0].SafeModePromptMode, 2);

    settings.General.TrueVGA = 2;
    settings.General.TrueVGAOptions = 5;
    settings.General.SafeModePromptMode = 0;
    settings.General.AutoSafeMode = true;
    // The native file layer needs real separators; the device path only names the file.
    settings.SetPath(dir.WidePath("Norvane.ini"));
    EXPECT_TRUE(settings.Save());
    ASSERT_EQ(env.Mirrors.size(), 2u);
    EXPECT_EQ(env.Mirrors[1].TrueVGA, 2);
    EXPECT_EQ(env.Mirrors[1].TrueVGAOptions, 5);
    EXPECT_EQ(env.Mirrors[1].SafeModePromptMode, 0);
    EXPECT_TRUE(env.Mirrors[1].AutoSafeMode);
    EXPECT_TRUE(settings.Load());
    EXPECT_EQ(settings.General.TrueVGAOptions, 5);
    EXPECT_EQ(env.MeterResets, 1) << "the path was already set";
}

TEST_F(SettingsTest, ImportAndExportLeaveTheSettingsFileAlone) {
    test::ScratchDir dir;
    const std::wstring own = dir.WidePath("Norvane.ini");
    const std::wstring other = dir.WidePath("export.ini");
    test::WriteBytes(dir.Path("Norvane.ini"), Utf16File(L"\r\n[Tab1]\r\nName=Own\r\n"));
    const std::string ownBytes = test::ReadBytes(dir.Path("Norvane.ini"));
    Settings settings(env);
    settings.SetPath(own);
    ASSERT_TRUE(settings.Load());
    settings.Tabs()[0]->Name = L"Exported";
    EXPECT_TRUE(settings.Save(other));
    EXPECT_EQ(settings.Path(), own);
    EXPECT_EQ(test::ReadBytes(dir.Path("Norvane.ini")), ownBytes);

    Settings importer(env);
    importer.SetPath(own);
    ASSERT_TRUE(importer.Load(other));
    EXPECT_EQ(importer.Tabs()[0]->Name, L"Exported");
    EXPECT_EQ(importer.Path(), own);
    // Once normalised, a file reads back to the same bytes.
    const std::string once = importer.SaveToBytes();
    Settings again(env);
    again.LoadFromBytes(once);
    EXPECT_TRUE(again.SaveToBytes() == once);
}

TEST_F(SettingsTest, AFailedSaveKeepsTheOldFileAndSaysSo) {
    test::ScratchDir dir;
    test::WriteBytes(dir.Path("Norvane.ini"), Utf16File(L"\r\n[Tab1]\r\nName=Safe\r\n"));
    const std::string before = test::ReadBytes(dir.Path("Norvane.ini"));
    test::FailingFileLayer layer;
    env.Layer = &layer;
    Settings settings(env);
    settings.SetPath(dir.WidePath("Norvane.ini"));
    ASSERT_TRUE(settings.Load());
    settings.Tabs()[0]->Name = L"Changed";
    layer.FailWriteNumber = 40;
    EXPECT_FALSE(settings.Save());
    EXPECT_EQ(test::ReadBytes(dir.Path("Norvane.ini")), before);
    EXPECT_EQ(env.Mirrors.size(), 2u) << "the mirror is written after every save, failed or not";

    // A tab slot without a tab: told, nothing written.
    layer.FailWriteNumber = 0;
    settings.Tabs().push_back(nullptr);
    EXPECT_FALSE(settings.Save());
    EXPECT_EQ(env.Errors, (std::vector<std::wstring>{L"Failed to save Norvane settings.\nErr=3"}));
    EXPECT_EQ(test::ReadBytes(dir.Path("Norvane.ini")), before);
    settings.Tabs().pop_back();
    EXPECT_TRUE(settings.Save());
    Settings reread(env);
    reread.SetPath(dir.WidePath("Norvane.ini"));
    reread.Load();
    EXPECT_EQ(reread.Tabs()[0]->Name, L"Changed");
}

TEST(ShortcutRecord, CaptionAndTooltipTitle) {
    ShortcutRecord shortcut;
    shortcut.SetTarget(L"\\Windows\\Start Menu\\Programs\\Calculator.lnk");
    EXPECT_EQ(shortcut.Caption(), L"Calculator");
    EXPECT_EQ(shortcut.Caption(true), L"");
    shortcut.SetToolTipTitle(L"Calculator");
    EXPECT_EQ(shortcut.ToolTipTitle(), L"");
    shortcut.SetToolTipTitle(L"Calc");
    EXPECT_EQ(shortcut.ToolTipTitle(), L"Calc");
    EXPECT_EQ(shortcut.Caption(), L"Calc");
    shortcut.SetToolTipTitle(L"");
    EXPECT_EQ(shortcut.Caption(), L"Calculator");

    shortcut.SetTarget(L"Notes.LNK");
    EXPECT_EQ(shortcut.Caption(), L"Notes.LNK") << "the .lnk test is exact";
    shortcut.SetTarget(L"\\My Documents\\");
    EXPECT_EQ(shortcut.Caption(), L"");
    shortcut.SetTarget(L"My Docs\\Work");
    shortcut.SetAdditionalTarget(L"folder:\\My Documents\\Work");
    EXPECT_EQ(shortcut.Caption(), L"My Docs\\Work") << "a folder shows its target as it is";
    shortcut.SetAdditionalTarget(L"Folder:\\x");
    EXPECT_EQ(shortcut.Caption(), L"Work");

    shortcut.SetIcon(std::make_unique<CachedIcon>());
    shortcut.SpecialProperties().Set(L"k", L"v");
    shortcut.SetLocationLandscape({3, 4});
    auto copy = shortcut.CloneStored();
    EXPECT_EQ(copy->Icon(), nullptr);
    EXPECT_EQ(copy->Target(), shortcut.Target());
    EXPECT_EQ(copy->SpecialProperties(), shortcut.SpecialProperties());
    EXPECT_EQ(copy->LocationLandscape(), (SettingsPoint{3, 4}));
    for (auto change : {+[](ShortcutRecord& s) { s.SetTarget(L"x"); },
                        +[](ShortcutRecord& s) { s.SetBitmapIcon(L"y.tga"); }}) {
        shortcut.SetIcon(std::make_unique<CachedIcon>());
        change(shortcut);
        EXPECT_EQ(shortcut.Icon(), nullptr);
    }
}

} // namespace
} // namespace norvane
