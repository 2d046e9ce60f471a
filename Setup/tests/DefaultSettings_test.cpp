// The keys of the first settings file: tabs, meters, the folder tabs' limit,
// applets, special commands and new-item commands, and that the launcher reads
// the result back as five tabs.
#include "DefaultSettings.h"

#include "Settings.h"
#include "SettingsEnvironment.h"
#include "SettingsFile.h"

#include <gtest/gtest.h>

namespace norvane::setup {
namespace {

std::wstring Value(const SettingsFile& file, int tab, const std::wstring& key) {
    const std::wstring* value = file.FindValue(L"Tab" + std::to_wstring(tab), key);
    return value ? *value : L"<missing>";
}

std::vector<std::wstring> Files(int count) {
    std::vector<std::wstring> names;
    for (int i = 1; i <= count; ++i) {
        names.push_back(L"Program " + std::to_wstring(i) + L".lnk");
    }
    return names;
}

TEST(DefaultSettings, FiveTabsWithTheirNamesAndImages) {
    SettingsFile file;
    DefaultSettingsWriter writer(file);
    writer.AddTabs();
    ASSERT_EQ(file.SectionCount(), 5u);
    const wchar_t* names[] = {L"Home", L"Games", L"Documents", L"Settings", L"Tools"};
    const wchar_t* images[] = {L"builtin:6", L"builtin:1", L"builtin:2", L"builtin:10", L"builtin:0"};
    for (int tab = 1; tab <= 5; ++tab) {
        EXPECT_EQ(file.SectionNameAt(tab - 1), L"Tab" + std::to_wstring(tab));
        EXPECT_EQ(Value(file, tab, L"Name"), names[tab - 1]);
        EXPECT_EQ(Value(file, tab, L"Image"), images[tab - 1]);
        EXPECT_EQ(Value(file, tab, L"CaptionsEnabled"), tab == 3 ? L"1" : L"<missing>") << tab;
        EXPECT_EQ(writer.ShortcutCount(tab), 0);
    }
}

TEST(DefaultSettings, FolderTabsStopAtTenShortcutsCountingTheMeters) {
    SettingsFile file;
    DefaultSettingsWriter writer(file);
    writer.AddTabs();
    writer.AddMeters(L"\\Program Files\\Tarsel\\Norvane\\meters\\");
    writer.AddFolderShortcuts(kHomeTab, L"\\Windows\\Start Menu\\Programs", Files(12));
    EXPECT_EQ(writer.ShortcutCount(kHomeTab), 10) << "two meters and eight programs";
    EXPECT_EQ(Value(file, 1, L"Shortcut1"), L"Battery-Default");
    EXPECT_EQ(Value(file, 1, L"ShortcutAdditional1"),
              L"meter:\\Program Files\\Tarsel\\Norvane\\meters\\battery-default\\meter.ini");
    EXPECT_EQ(Value(file, 1, L"Shortcut2"), L"Memory-Default");
    EXPECT_EQ(Value(file, 1, L"ShortcutAdditional2"),
              L"meter:\\Program Files\\Tarsel\\Norvane\\meters\\memory-default\\meter.ini");
    EXPECT_EQ(Value(file, 1, L"LargeIcon2"), L"1");
    EXPECT_EQ(Value(file, 1, L"Shortcut3"), L"\\Windows\\Start Menu\\Programs\\Program 1.lnk");
    EXPECT_EQ(Value(file, 1, L"LargeIcon3"), L"1");
    EXPECT_EQ(Value(file, 1, L"ShortcutAdditional3"), L"<missing>");
    EXPECT_EQ(Value(file, 1, L"Shortcut10"), L"\\Windows\\Start Menu\\Programs\\Program 8.lnk");
    EXPECT_EQ(Value(file, 1, L"Shortcut11"), L"<missing>");

    // Without meters the programs take all ten places; a folder ending in "\" gets no second one.
    writer.AddFolderShortcuts(kGamesTab, L"\\Games\\", Files(11));
    EXPECT_EQ(writer.ShortcutCount(kGamesTab), 10);
    EXPECT_EQ(Value(file, 2, L"Shortcut1"), L"\\Games\\Program 1.lnk");
    EXPECT_EQ(Value(file, 2, L"Shortcut10"), L"\\Games\\Program 10.lnk");
    // An empty folder leaves its tab empty; a second call adds up to the limit only.
    writer.AddFolderShortcuts(kDocumentsTab, L"\\My Documents", {});
    EXPECT_EQ(writer.ShortcutCount(kDocumentsTab), 0);
    writer.AddFolderShortcuts(kGamesTab, L"\\Games", Files(3));
    EXPECT_EQ(writer.ShortcutCount(kGamesTab), 10);
    writer.AddFolderShortcuts(0, L"\\x", Files(1));
    writer.AddFolderShortcuts(6, L"\\x", Files(1));
    EXPECT_EQ(file.SectionCount(), 5u) << "no tab outside the five";
}

TEST(DefaultSettings, SettingsAndToolsTabs) {
    SettingsFile file;
    DefaultSettingsWriter writer(file);
    writer.AddTabs();
    writer.AddApplet(2, L"Owner Information");
    writer.AddApplet(4, L"");
    EXPECT_EQ(Value(file, 4, L"Shortcut1"), L"Owner Information");
    EXPECT_EQ(Value(file, 4, L"ShortcutAdditional1"), L"cpl:\\Windows\\cplmain.cpl|2");
    EXPECT_EQ(Value(file, 4, L"LargeIcon1"), L"1");
    EXPECT_EQ(Value(file, 4, L"Shortcut2"), L"") << "an applet that gave no name keeps its place";
    EXPECT_EQ(Value(file, 4, L"ShortcutAdditional2"), L"cpl:\\Windows\\cplmain.cpl|4");

    writer.AddSpecialCommands({L"Soft-Reset", L"Power Off", L"Screen Capture", L"Rotate"},
                              L"\\My Documents\\");
    writer.AddNewItemCommand(L"{42650BC2-41C1-11d2-88E3-0000F87A49DB}", L"Contact");
    const struct {
        const wchar_t* name;
        const wchar_t* additional;
        const wchar_t* properties;
    } expected[] = {
        {L"Soft-Reset", L"special:softreset", L"promptbeforereset~#~1"},
        {L"Power Off", L"special:poweroff", L"<missing>"},
        {L"Screen Capture", L"special:screencapture",
         L"colordepth~#~0~#~count~#~1~#~delay~#~5~#~path~#~\\My Documents\\~#~prefix~#~capture_~#~"
         L"promptafterfinishing~#~1~#~promptbeforestarting~#~1~#~repeatdelay~#~2~#~format~#~JPG"},
        {L"Rotate", L"special:rotate", L"<missing>"},
        {L"Contact", L"new:{42650BC2-41C1-11d2-88E3-0000F87A49DB}", L"<missing>"},
    };
    for (int n = 1; n <= 5; ++n) {
        const std::wstring index = std::to_wstring(n);
        EXPECT_EQ(Value(file, 5, L"Shortcut" + index), expected[n - 1].name) << n;
        EXPECT_EQ(Value(file, 5, L"ShortcutAdditional" + index), expected[n - 1].additional) << n;
        EXPECT_EQ(Value(file, 5, L"SpecialProperties" + index), expected[n - 1].properties) << n;
        EXPECT_EQ(Value(file, 5, L"LargeIcon" + index), L"1") << n;
    }

    // Without the special commands the new-item commands are numbered from 1.
    SettingsFile other;
    DefaultSettingsWriter plain(other);
    plain.AddTabs();
    plain.AddNewItemCommand(L"menu", L"New");
    EXPECT_EQ(Value(other, 5, L"Shortcut1"), L"New");
    EXPECT_EQ(Value(other, 5, L"ShortcutAdditional1"), L"new:menu");
}

TEST(DefaultSettings, TheLauncherReadsTheFileBackAsFiveTabs) {
    SettingsFile file;
    DefaultSettingsWriter writer(file);
    writer.AddTabs();
    writer.AddMeters(L"\\M\\");
    writer.AddFolderShortcuts(kHomeTab, L"\\P", Files(3));
    writer.AddApplet(9, L"Sounds");
    writer.AddSpecialCommands({L"a", L"b", L"c", L"d"}, L"\\D\\");

    SettingsEnvironment environment;
    Settings settings(environment);
    ASSERT_TRUE(settings.LoadFromBytes(file.ToBytes()));
    const auto& tabs = settings.Tabs();
    ASSERT_EQ(tabs.size(), 5u);
    EXPECT_EQ(tabs[0]->Name, L"Home");
    ASSERT_EQ(tabs[0]->Shortcuts.size(), 5u);
    EXPECT_EQ(tabs[0]->Shortcuts[0]->AdditionalTarget(), L"meter:\\M\\battery-default\\meter.ini");
    EXPECT_TRUE(tabs[0]->Shortcuts[4]->LargeIcon());
    EXPECT_EQ(tabs[2]->CaptionsEnabled, 1);
    ASSERT_EQ(tabs[4]->Shortcuts.size(), 4u);
    EXPECT_EQ(tabs[4]->Shortcuts[2]->SpecialProperties().Get(L"path"), L"\\D\\");
    EXPECT_EQ(tabs[4]->Shortcuts[2]->SpecialProperties().Get(L"format"), L"JPG");
}

} // namespace
} // namespace norvane::setup
