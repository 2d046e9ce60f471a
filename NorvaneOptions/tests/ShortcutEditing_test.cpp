// The Shortcuts page's and the target browser's rules that need no window:
// special tabs and their limits, the button table, row texts, how many chosen
// targets fit, the follow-up of each target, the browser's folder arithmetic,
// its listing filters and sorting; and the Additional Properties options with
// their choices both ways.
#include "OptionsResource.h"
#include "PropertyTables.h"
#include "Settings.h"
#include "SettingsEnvironment.h"
#include "ShortcutEditing.h"
#include "SpecialCommands.h"

#include <gtest/gtest.h>

namespace norvane::options {
namespace {

class ShortcutEditingTest : public testing::Test {
protected:
    void SetUp() override {
        for (const wchar_t* name : {L"Home", L"Games"}) {
            TabRecord& tab = settings.AddTab();
            tab.Name = name;
            tab.UniqueID = static_cast<int>(settings.Tabs().size()) * 10;
        }
    }
    SettingsEnvironment environment;
    Settings settings{environment};
};

TEST_F(ShortcutEditingTest, TheChoiceListNamesOrdinaryTabsThenTheSevenSpecialTabsWithTheirLimits) {
    EXPECT_EQ(TabAtChoice(settings, 0).tab, settings.Tabs()[0].get());
    EXPECT_EQ(TabAtChoice(settings, 1).type, kOrdinaryTabType);
    EXPECT_EQ(TabAtChoice(settings, 1).limit, kNoLimit);
    const struct {
        SpecialTabType type;
        int limit;
    } expected[] = {{SpecialTabType::ShellTray, 16},  {SpecialTabType::TaskManager, 6},
                    {SpecialTabType::TopBar, 1},      {SpecialTabType::QuickLaunch, 4},
                    {SpecialTabType::LeftSoftkey, 1}, {SpecialTabType::RightSoftkey, 1},
                    {SpecialTabType::MeterBar, 1}};
    for (int i = 0; i < 7; ++i) {
        const ShownTab shown = TabAtChoice(settings, 2 + i);
        EXPECT_EQ(shown.tab, &settings.SpecialTab(expected[i].type)) << i;
        EXPECT_EQ(shown.type, i);
        EXPECT_EQ(shown.limit, expected[i].limit) << i;
    }
    EXPECT_EQ(TabAtChoice(settings, 9).tab, nullptr);
    EXPECT_EQ(TabAtChoice(settings, -1).tab, nullptr);
    EXPECT_EQ(SpecialTabChoiceText(L"Top Bar Tab"), L" * Top Bar Tab * ");
    EXPECT_EQ(SpecialTabInfos()[6].infoId, static_cast<unsigned>(IDS_INFO_METER_BAR));
}

TEST(ShortcutButtons, FollowTheCountTheSelectionTheLimitAndTheKind) {
    // No shortcut: only Add.
    ShortcutButtons b = ButtonStates(0, -1, kNoLimit, false, false);
    EXPECT_TRUE(b.add);
    EXPECT_FALSE(b.moveUp || b.moveDown || b.remove || b.additional || b.image || b.largeIcon ||
                 b.specialTab);
    // One shortcut: no moving.
    b = ButtonStates(1, 0, kNoLimit, false, false);
    EXPECT_FALSE(b.moveUp || b.moveDown);
    EXPECT_TRUE(b.remove && b.additional && b.image && b.largeIcon);
    // First, middle, last of three.
    EXPECT_FALSE(ButtonStates(3, 0, kNoLimit, false, false).moveUp);
    EXPECT_TRUE(ButtonStates(3, 0, kNoLimit, false, false).moveDown);
    EXPECT_TRUE(ButtonStates(3, 1, kNoLimit, false, false).moveUp);
    EXPECT_TRUE(ButtonStates(3, 1, kNoLimit, false, false).moveDown);
    EXPECT_FALSE(ButtonStates(3, 2, kNoLimit, false, false).moveDown);
    // Nothing selected: nothing that needs a row.
    b = ButtonStates(3, -1, kNoLimit, false, false);
    EXPECT_FALSE(b.moveUp || b.moveDown || b.remove || b.additional || b.image || b.largeIcon);
    // A meter takes no image.
    b = ButtonStates(2, 1, kNoLimit, false, true);
    EXPECT_FALSE(b.image);
    EXPECT_TRUE(b.remove);
    // Special tabs: Add up to the limit, never Large Icon, the information button shown.
    b = ButtonStates(0, -1, 1, true, false);
    EXPECT_TRUE(b.add && b.specialTab);
    b = ButtonStates(1, 0, 1, true, false);
    EXPECT_FALSE(b.add || b.largeIcon);
    EXPECT_TRUE(b.specialTab && b.remove);
    EXPECT_TRUE(ButtonStates(5, 0, 6, true, false).add);
    EXPECT_FALSE(ButtonStates(6, 0, 6, true, false).add);
}

TEST(ShortcutRows, ShowTheCaptionElseTheNameCutToTheFileNameWhenAsked) {
    ShortcutRecord file;
    file.SetTarget(L"\\Windows\\Start Menu\\Notes.lnk");
    EXPECT_EQ(ShortcutRowText(file, false), L"\\Windows\\Start Menu\\Notes.lnk");
    EXPECT_EQ(ShortcutRowText(file, true), L"Notes.lnk");
    file.SetToolTipTitle(L"My Notes");
    EXPECT_EQ(ShortcutRowText(file, true), L"My Notes");
    ShortcutRecord named;
    named.SetTarget(L"Soft-Reset");
    named.SetAdditionalTarget(L"special:softreset");
    EXPECT_EQ(ShortcutRowText(named, true), L"Soft-Reset");
    EXPECT_EQ(AfterLastBackslash(L"\\a\\b"), L"b");
    EXPECT_EQ(AfterLastBackslash(L"plain"), L"plain");
    EXPECT_EQ(AfterLastBackslash(L"ends\\"), L"");
}

TEST(ShortcutAdding, TakesWhatFitsAndAsksWhatEachTargetNeeds) {
    EXPECT_EQ(EntriesToAdd(3, 1, 0), 1) << "three targets for the Top Bar Tab";
    EXPECT_EQ(EntriesToAdd(3, 1, 1), 0);
    EXPECT_EQ(EntriesToAdd(5, 4, 2), 2);
    EXPECT_EQ(EntriesToAdd(5, kNoLimit, 40), 5);
    EXPECT_EQ(EntriesToAdd(0, kNoLimit, 0), 0);
    EXPECT_EQ(EntriesToAdd(2, 1, 3), 0) << "an over-full tab takes nothing";

    EXPECT_EQ(SelectionAfterRemoval(2, 2), 1) << "the last row went: the new last";
    EXPECT_EQ(SelectionAfterRemoval(0, 2), 0) << "the row that moved up";
    EXPECT_EQ(SelectionAfterRemoval(0, 0), -1);

    EXPECT_EQ(FollowUpOf(L"meter:\\Program Files\\Norvane\\meters\\card\\meter.ini"), FollowUp::MeterPath);
    EXPECT_EQ(FollowUpOf(L"special:sms"), FollowUp::PhoneNumber);
    EXPECT_EQ(FollowUpOf(L"special:phonecall"), FollowUp::PhoneNumber);
    EXPECT_EQ(FollowUpOf(L"special:tabmenu"), FollowUp::TabChooser);
    EXPECT_EQ(FollowUpOf(L"special:jumptotab"), FollowUp::TabChooser);
    EXPECT_EQ(FollowUpOf(L"special:smsx"), FollowUp::None);
    EXPECT_EQ(FollowUpOf(L"Meter:x"), FollowUp::None);
    EXPECT_EQ(FollowUpOf(L""), FollowUp::None);

    EXPECT_TRUE(OffersChangeTarget(L""));
    EXPECT_TRUE(OffersChangeTarget(L"folder:\\My Documents\\"));
    for (const wchar_t* other :
         {L"meter:x", L"cpl:\\Windows\\cplmain.cpl|3", L"new:Menu", L"special:rotate"}) {
        EXPECT_FALSE(OffersChangeTarget(other)) << testing::PrintToString(std::wstring(other));
    }
    EXPECT_EQ(PhoneNumberSubject(L"special:sms"), 0);
    EXPECT_EQ(PhoneNumberSubject(L"special:phonecall"), 1);
    EXPECT_EQ(PhoneNumberSubject(L"special:rotate"), 2);
}

TEST(TargetBrowserRules, FolderArithmeticListingAndSorting) {
    EXPECT_EQ(FolderUp(L"\\"), L"\\") << "up at the root stays";
    EXPECT_EQ(FolderUp(L"\\My Documents\\Photos\\"), L"\\My Documents\\");
    EXPECT_EQ(FolderUp(L"\\My Documents\\"), L"\\");
    EXPECT_EQ(FolderUp(L""), L"\\");

    BrowserEntry entry = ThisFolderEntry(L"\\Storage Card\\Photos\\", L"Folder: ");
    EXPECT_EQ(entry.path, L"Folder: Photos");
    EXPECT_EQ(entry.additional, L"folder:\\Storage Card\\Photos\\");
    entry = ThisFolderEntry(L"\\", L"Folder: ");
    EXPECT_EQ(entry.path, L"Folder: \\");
    EXPECT_EQ(entry.additional, L"folder:\\");

    EXPECT_TRUE(ListedInFileMode(L"GAME.EXE", false, true));
    EXPECT_FALSE(ListedInFileMode(L"readme.txt", false, true));
    EXPECT_TRUE(ListedInFileMode(L"Games", true, true));
    EXPECT_FALSE(ListedInFileMode(L"exe", false, true));
    EXPECT_TRUE(ListedInFileMode(L"readme.txt", false, false));
    EXPECT_FALSE(ListedInFileMode(L".", true, false));
    EXPECT_FALSE(ListedInFileMode(L"..", true, false));

    std::vector<FileRow> rows{{L"b.txt", RowKind::File},
                              {L"Zeta", RowKind::Folder},
                              {L"A.exe", RowKind::File},
                              {L"alpha", RowKind::Folder}};
    SortFileRows(rows);
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[0].name, L"alpha");
    EXPECT_EQ(rows[1].name, L"Zeta");
    EXPECT_EQ(rows[2].name, L"A.exe");
    EXPECT_EQ(rows[3].name, L"b.txt");

    EXPECT_TRUE(IsExcludedControlPanelModule(L"CGRCPL.CPL"));
    EXPECT_TRUE(IsExcludedControlPanelModule(L"cellbroadcast.cpl"));
    EXPECT_TRUE(IsExcludedControlPanelModule(L"GPSSettings.cpl"));
    EXPECT_FALSE(IsExcludedControlPanelModule(L"cplmain.cpl"));
    EXPECT_EQ(TrimBlanks(L"  Power \t"), L"Power");
    EXPECT_EQ(TrimBlanks(L"   "), L"");
}

std::wstring Text(unsigned id) {
    return L"#" + std::to_wstring(id);
}

std::vector<unsigned> Ids(std::wstring_view target) {
    std::vector<unsigned> ids;
    for (const PropertyOption* option : PropertyOptionsFor(target)) {
        ids.push_back(option->textId);
    }
    return ids;
}

TEST(PropertyTables, EachSpecialCommandHasItsOptionsAfterTheCommonTwo) {
    EXPECT_EQ(Ids(L""), (std::vector<unsigned>{62076, 62077}));
    EXPECT_EQ(Ids(L"cpl:x|1"), (std::vector<unsigned>{62076, 62077}));
    EXPECT_EQ(Ids(L"special:softreset"), (std::vector<unsigned>{62076, 62077, 62078}));
    EXPECT_EQ(Ids(L"special:rotate"), (std::vector<unsigned>{62076, 62077, 62079}));
    EXPECT_EQ(Ids(L"special:screencapture"), (std::vector<unsigned>{62076, 62077, 62080, 62081, 62082, 62126,
                                                                    62091, 62083, 62084, 62085, 62086}));
    EXPECT_EQ(Ids(L"special:sms"), (std::vector<unsigned>{62076, 62077, 62087, 62088}));
    EXPECT_EQ(Ids(L"special:phonecall"), (std::vector<unsigned>{62076, 62077, 62089, 62090}));
    EXPECT_EQ(Ids(L"special:tabmenu"), (std::vector<unsigned>{62076, 62077, 62098}));
    EXPECT_EQ(Ids(L"special:jumptotab"), (std::vector<unsigned>{62076, 62077, 62098}));
    EXPECT_EQ(Ids(L"special:poweroff"), (std::vector<unsigned>{62076, 62077}));
}

const PropertyOption& OptionOf(std::wstring_view target, unsigned id) {
    for (const PropertyOption* option : PropertyOptionsFor(target)) {
        if (option->textId == id) {
            return *option;
        }
    }
    ADD_FAILURE() << id;
    return *PropertyOptionsFor(target).front();
}

TEST_F(ShortcutEditingTest, PropertyChoicesStoreTheirValuesAndShowStoredOnes) {
    const std::wstring capture = L"special:screencapture";
    const auto check = [&](unsigned id, std::size_t count, std::size_t index, const wchar_t* stored) {
        const PropertyOption& option = OptionOf(capture, id);
        const auto choices = PropertyChoices(option, settings, Text);
        ASSERT_EQ(choices.size(), count) << id;
        EXPECT_EQ(choices[index].stored, stored) << id << " choice " << index;
        EXPECT_EQ(ShownPropertyChoice(option, choices, stored), static_cast<int>(index)) << id;
    };
    check(62082, 15, 0, L"1"); // Count: choice i stores i + 1
    check(62082, 15, 14, L"15");
    check(62126, 2, 1, L"JPG");
    check(62091, 4, 3, L"24");
    check(62085, 16, 0, L"0"); // "Immediately"
    check(62085, 16, 15, L"15");
    check(62086, 15, 0, L"1"); // the first repeat delay: one second
    // Stored values that name no choice show the fallback.
    const PropertyOption& depth = OptionOf(capture, 62091);
    EXPECT_EQ(ShownPropertyChoice(depth, PropertyChoices(depth, settings, Text), L"32"), 0);
    const PropertyOption& format = OptionOf(capture, 62126);
    EXPECT_EQ(ShownPropertyChoice(format, PropertyChoices(format, settings, Text), L"png"), 0);
    EXPECT_EQ(ShownPropertyChoice(format, PropertyChoices(format, settings, Text), L"jpg"), 0);
    const PropertyOption& rotation = OptionOf(L"special:rotate", 62079);
    const auto modes = PropertyChoices(rotation, settings, Text);
    ASSERT_EQ(modes.size(), 6u);
    EXPECT_EQ(modes[4].stored, L"180-only");
    EXPECT_EQ(modes[4].text, L"#10100");
    // Delay texts: one second, else seconds.
    const PropertyOption& delay = OptionOf(capture, 62085);
    const auto delays = PropertyChoices(delay, settings, Text);
    EXPECT_EQ(delays[1].text, L"1 #1007");
    EXPECT_EQ(delays[2].text, L"2 #1008");
    // Selected Tab: the tabs' ids; a deleted tab's id shows the first.
    const PropertyOption& tab = OptionOf(L"special:jumptotab", 62098);
    const auto tabs = PropertyChoices(tab, settings, Text);
    ASSERT_EQ(tabs.size(), 2u);
    EXPECT_EQ(tabs[1].text, L"Games");
    EXPECT_EQ(tabs[1].stored, L"20");
    EXPECT_EQ(ShownPropertyChoice(tab, tabs, L"20"), 1);
    EXPECT_EQ(ShownPropertyChoice(tab, tabs, L"99"), 0);
}

TEST(PropertyTables, TextsAreCutToTheirLimitsAndWrittenWhereTheyBelong) {
    ShortcutRecord shortcut;
    shortcut.SetTarget(L"Screen Capture");
    shortcut.SetAdditionalTarget(L"special:screencapture");
    const PropertyOption& prefix = OptionOf(L"special:screencapture", 62084);
    WriteProperty(prefix, shortcut, L"abcdefghijklmnopqrstuvwxy");
    EXPECT_EQ(shortcut.SpecialProperties().Get(specialkey::kPrefix), L"abcdefghijklmnopqrst");
    const PropertyOption& prompt = OptionOf(L"special:screencapture", 62080);
    WriteProperty(prompt, shortcut, L"1");
    EXPECT_EQ(shortcut.SpecialProperties().Get(specialkey::kPromptBeforeStarting), L"1");
    WriteProperty(prompt, shortcut, L"yes");
    EXPECT_EQ(shortcut.SpecialProperties().Get(specialkey::kPromptBeforeStarting), L"0");
    const PropertyOption& name = OptionOf(L"special:screencapture", 62076);
    WriteProperty(name, shortcut, L"Snap");
    EXPECT_EQ(shortcut.Caption(), L"Snap");
    EXPECT_EQ(ReadProperty(name, shortcut), L"Snap");
    const PropertyOption& line = OptionOf(L"special:screencapture", 62077);
    WriteProperty(line, shortcut, L"-quiet");
    EXPECT_EQ(shortcut.CommandLine(), L"-quiet");
    const PropertyOption& body = OptionOf(L"special:sms", 62088);
    WriteProperty(body, shortcut, std::wstring(200, L'x'));
    EXPECT_EQ(shortcut.SpecialProperties().Get(specialkey::kSmsDefaultBody).size(), 160u);
    const PropertyOption& number = OptionOf(L"special:sms", 62087);
    WriteProperty(number, shortcut, std::wstring(120, L'5'));
    EXPECT_EQ(shortcut.SpecialProperties().Get(specialkey::kPhoneNumber).size(), 100u);
}

} // namespace
} // namespace norvane::options
