// The Options page's tables: every option's key and editor, every choice list
// both ways (what a choice stores and which choice a stored value shows), and
// stored values that name no choice.
#include "DisplayScale.h"
#include "OptionTables.h"
#include "OptionsResource.h"
#include "Settings.h"
#include "SettingsEnvironment.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace norvane::options {
namespace {

// Texts as the string table gives them where the tables format them; other
// texts are named by their id.
std::wstring Text(unsigned id) {
    switch (id) {
    case IDS_CHOICE_PERCENT_FORMAT:
        return L"%d%%";
    case IDS_CHOICE_SECONDS_FORMAT:
        return L"%0.01f second(s)";
    case IDS_CHOICE_BATTERY:
        return L"Battery";
    case IDS_CHOICE_MEMORY:
        return L"Memory";
    default:
        return L"#" + std::to_wstring(id);
    }
}

class OptionTablesTest : public testing::Test {
protected:
    void SetUp() override {
        SetScreenDpi(96, 96);
        SetDisplayFlags(false, false);
        for (const char* name : {"A", "B", "C"}) {
            TabRecord& tab = settings.AddTab();
            tab.Name = std::wstring(name, name + 1);
        }
        context.text = Text;
        context.screenWidth = 240;
        context.screenHeight = 320;
        context.fontFamilies = {L"Tahoma", L"Courier New", L"Symbol"};
        context.storageCards = {L"Storage Card", L"Memory"};
    }
    void TearDown() override {
        SetDisplayFlags(false, false);
        ResetScreenDpi();
    }

    const OptionDescriptor& Option(const wchar_t* key) {
        for (const OptionGroup& group : OptionGroups()) {
            for (const OptionDescriptor& option : group.options) {
                if (std::wstring(option.key) == key) {
                    return option;
                }
            }
        }
        ADD_FAILURE() << "no option edits " << testing::PrintToString(std::wstring(key));
        return OptionGroups()[0].options[0];
    }
    int Shown(const wchar_t* key) {
        const OptionDescriptor& option = Option(key);
        return ShownChoice(option, settings, ChoicesOf(option, settings, context));
    }

    SettingsEnvironment environment;
    Settings settings{environment};
    OptionContext context;
};

TEST_F(OptionTablesTest, TenGroupsWithTheirOptionsEachEditingItsKey) {
    const auto groups = OptionGroups();
    ASSERT_EQ(groups.size(), 10u);
    const std::size_t sizes[] = {19, 10, 4, 5, 18, 10, 16, 8, 2, 6};
    const unsigned names[] = {IDS_GROUP_GENERAL,      IDS_GROUP_CUSTOMIZED_TABS,  IDS_GROUP_OPTIONS,
                              IDS_GROUP_METERS,       IDS_GROUP_COLORS,           IDS_GROUP_CAPTIONS,
                              IDS_GROUP_TASK_MANAGER, IDS_GROUP_RUNNING_PROGRAMS, IDS_GROUP_SAFE_MODE,
                              IDS_GROUP_TWEAKS};
    for (std::size_t g = 0; g < groups.size(); ++g) {
        EXPECT_EQ(groups[g].options.size(), sizes[g]) << "group " << g;
        EXPECT_EQ(groups[g].nameId, names[g]) << "group " << g;
    }
    // Each key of the General section is edited through its own field, with an
    // editor that fits the field's type.
    for (const OptionGroup& group : groups) {
        for (const OptionDescriptor& option : group.options) {
            const std::wstring key = option.key;
            SCOPED_TRACE(testing::PrintToString(key));
            if (key == L"SnapBack" || key == L"TaskManagerExceptions") {
                EXPECT_EQ(option.editor, key == L"SnapBack" ? EditorKind::ChoiceList : EditorKind::Button);
                continue;
            }
            const GeneralKey* general = nullptr;
            for (const GeneralKey& candidate : GeneralKeys()) {
                if (key == candidate.Name) {
                    general = &candidate;
                }
            }
            ASSERT_NE(general, nullptr) << "the key is one of the settings file";
            switch (option.editor) {
            case EditorKind::CheckBox:
                if (option.maskBit != 0) {
                    EXPECT_EQ(option.intField, general->IntField);
                } else {
                    EXPECT_EQ(option.boolField, general->BoolField);
                    EXPECT_NE(option.boolField, nullptr);
                }
                break;
            case EditorKind::ChoiceList:
                EXPECT_TRUE((option.intField != nullptr && option.intField == general->IntField) ||
                            (option.boolField != nullptr && option.boolField == general->BoolField) ||
                            (option.textField != nullptr && option.textField == general->StringField));
                EXPECT_NE(option.rule, ChoiceRule::None);
                break;
            case EditorKind::ProgramField:
            case EditorKind::FolderField:
                EXPECT_EQ(option.textField, general->StringField);
                EXPECT_NE(option.textField, nullptr);
                break;
            case EditorKind::Colour:
                EXPECT_EQ(option.colourField, general->ColorField);
                EXPECT_NE(option.colourField, nullptr);
                break;
            case EditorKind::Button:
                ADD_FAILURE() << "only the exceptions option is a lone button";
                break;
            }
        }
    }
    EXPECT_EQ(Option(L"PreferredFolderApp").editor, EditorKind::ProgramField);
    EXPECT_EQ(Option(L"AdditionalImagesPath").editor, EditorKind::FolderField);
    EXPECT_EQ(Option(L"AdditionalMeterPath").editor, EditorKind::FolderField);
}

TEST_F(OptionTablesTest, EveryChoiceStoresWhatShowsItAgain) {
    for (const OptionGroup& group : OptionGroups()) {
        for (const OptionDescriptor& option : group.options) {
            if (option.editor != EditorKind::ChoiceList) {
                continue;
            }
            SCOPED_TRACE(testing::PrintToString(std::wstring(option.key)));
            const std::vector<Choice> choices = ChoicesOf(option, settings, context);
            ASSERT_FALSE(choices.empty());
            for (std::size_t i = 0; i < choices.size(); ++i) {
                StoreChoice(option, settings, choices[i]);
                EXPECT_EQ(ShownChoice(option, settings, choices), static_cast<int>(i))
                    << "choice " << i << " " << testing::PrintToString(choices[i].text);
            }
        }
    }
}

TEST_F(OptionTablesTest, ChoicesAndWhatTheyStore) {
    auto texts = [&](const wchar_t* key) {
        std::vector<std::wstring> all;
        for (const Choice& c : ChoicesOf(Option(key), settings, context)) {
            all.push_back(c.text);
        }
        return all;
    };
    auto choice = [&](const wchar_t* key, std::size_t i) {
        return ChoicesOf(Option(key), settings, context).at(i);
    };

    EXPECT_EQ(choice(L"BehaviorMode", 1).value, 4) << "Thumb Tabs";
    EXPECT_EQ(choice(L"BehaviorMode", 2).value, 3) << "No Tabs";
    const auto heights = ChoicesOf(Option(L"HeightInPixels"), settings, context);
    ASSERT_EQ(heights.size(), 1u + (320 - 16 + 1)) << "Automatic, then 16 to the screen height";
    EXPECT_EQ(heights[0].value, 0);
    EXPECT_EQ(heights[1].value, 16);
    EXPECT_EQ(heights.back().text, L"320");
    EXPECT_EQ(texts(L"SelectedShortcutOpacity").size(), 21u);
    EXPECT_EQ(texts(L"SelectedShortcutOpacity")[7], L"35%");
    EXPECT_EQ(choice(L"TabOpacity", 20).value, 100);
    const auto delays = texts(L"AltTabDelay");
    ASSERT_EQ(delays.size(), 19u) << "0.5 to 9.5 seconds";
    EXPECT_EQ(delays[0], L"0.5 second(s)");
    EXPECT_EQ(delays[5], L"3.0 second(s)");
    EXPECT_EQ(choice(L"AltTabDelay", 5).value, 3000);
    EXPECT_EQ(choice(L"PostLoadRefresh", 5).value, 5000) << "Five seconds";
    EXPECT_EQ(texts(L"RunningProgramsStart").size(), 320u) << "0 to the larger screen side minus 1";
    EXPECT_EQ(texts(L"RunningProgramsSpacing").back(), L"12");
    EXPECT_EQ(texts(L"RunningProgramsLimitPortrait").size(), 25u);
    EXPECT_EQ(choice(L"RunningProgramsLimitPortrait", 0).value, 0);
    EXPECT_EQ(texts(L"ExtraCaptionWidth").back(), L"20");
    EXPECT_EQ(texts(L"TabWidth").front(), L"20");
    EXPECT_EQ(texts(L"TabWidth").back(), L"100");
    const auto fonts = ChoicesOf(Option(L"TabFont"), settings, context);
    ASSERT_EQ(fonts.size(), 4u);
    EXPECT_EQ(fonts[0].storedText, L"") << "Default System Font stores an empty name";
    EXPECT_EQ(fonts[2].storedText, L"Courier New");
    const auto meters = ChoicesOf(Option(L"MeterBar"), settings, context);
    ASSERT_EQ(meters.size(), 7u) << "five texts and one entry per card";
    EXPECT_EQ(meters[5].storedText, L"\\Storage Card");
    EXPECT_EQ(meters[1].storedText, L"Battery") << "the chosen text is stored as it stands";
    const auto snap = ChoicesOf(Option(L"SnapBack"), settings, context);
    ASSERT_EQ(snap.size(), 4u);
    EXPECT_EQ(snap[3].text, L"C");

    StoreChoice(Option(L"SnapBack"), settings, snap[2]);
    EXPECT_FALSE(settings.Tabs()[0]->SnapBack);
    EXPECT_TRUE(settings.Tabs()[1]->SnapBack);
    StoreChoice(Option(L"SnapBack"), settings, snap[0]);
    for (const auto& tab : settings.Tabs()) {
        EXPECT_FALSE(tab->SnapBack) << "None clears every mark";
    }
    StoreChoice(Option(L"ShowShortcutContextMenu"), settings, choice(L"ShowShortcutContextMenu", 0));
    EXPECT_FALSE(settings.General.ShowShortcutContextMenu) << "Show Tooltip stores off";
}

TEST_F(OptionTablesTest, StoredValuesThatNameNoChoice) {
    struct Row {
        const wchar_t* key;
        int stored;
        int shown;
    };
    const Row rows[] = {
        {L"BehaviorMode", 3, 2},
        {L"BehaviorMode", 4, 1},
        {L"BehaviorMode", 7, 0},
        {L"IconDisplayMode", 9, -1},
        {L"HeightInPixels", 0, 0},
        {L"HeightInPixels", -5, 0},
        {L"HeightInPixels", 321, 0},
        {L"HeightInPixels", 5, -1},
        {L"HeightInPixels", 100, 85},
        {L"IconSpacing", 9, -1},
        {L"BottomAlign", 6, 0},
        {L"BottomAlign", -1, -1},
        {L"BottomAlign", 3, 3},
        {L"TabWidth", 45, 2},
        {L"TabWidth", 30, 1},
        {L"TabExtraHeight", 25, 0},
        {L"TabExtraHeight", -1, 0},
        {L"TabExtraHeight", 7, 7},
        {L"FontSize", 20, 4},
        {L"FontSize", 7, 4},
        {L"FontSize", 9, 1},
        {L"CaptionFontSize", 21, 4},
        {L"CaptionHeight", 41, 7},
        {L"CaptionHeight", 13, 5},
        {L"ExtraCaptionWidth", 21, 0},
        {L"ExtraCaptionWidth", 3, 3},
        {L"PostLoadRefresh", 1500, 0},
        {L"PostLoadRefresh", 5000, 5},
        {L"AltTabDelay", 3000, 5},
        {L"AltTabDelay", 10000, 0},
        {L"AltTabDelay", 9999, 18},
        {L"AltTabDelay", 0, -1},
        {L"TabOpacity", -5, 0},
        {L"TabOpacity", 37, 7},
        {L"TabOpacity", 150, 20},
        {L"RunningProgramsLimitPortrait", 0, 0},
        {L"RunningProgramsLimitLandscape", 24, 24},
        {L"RunningProgramsLimitPortrait", 30, -1},
        {L"RunningProgramsStart", 319, 319},
        {L"RunningProgramsStart", 320, -1},
        {L"TrueVGA", 2, 2},
        {L"TrueVGAOptions", 5, -1},
        {L"SafeModePromptMode", 2, 2},
    };
    for (const Row& row : rows) {
        settings.General.*Option(row.key).intField = row.stored;
        EXPECT_EQ(Shown(row.key), row.shown)
            << testing::PrintToString(std::wstring(row.key)) << " stored " << row.stored;
    }
    // Text-valued lists.
    settings.General.TabFont = L"Courier New";
    EXPECT_EQ(Shown(L"TabFont"), 2);
    settings.General.CaptionFont = L"No Such Family";
    EXPECT_EQ(Shown(L"CaptionFont"), 0) << "an unknown face shows Default System Font";
    EXPECT_EQ(settings.General.CaptionFont, L"No Such Family")
        << "and the stored name is kept until a choice";
    settings.General.MeterBar = L"\\Memory";
    EXPECT_EQ(Shown(L"MeterBar"), 6) << "the card entries come first";
    settings.General.MeterBar = L"Memory";
    EXPECT_EQ(Shown(L"MeterBar"), 3);
    settings.General.MeterBar = L"\\Storage Card";
    EXPECT_EQ(Shown(L"MeterBar"), 5) << "the first card's entry, not Main Storage";
    settings.General.MeterBar = L"Somewhere";
    EXPECT_EQ(Shown(L"MeterBar"), 0);
    settings.Tabs()[2]->SnapBack = true;
    EXPECT_EQ(Shown(L"SnapBack"), 3);
}

TEST_F(OptionTablesTest, ScaledChoicesOnAHighResolutionScreen) {
    SetScreenDpi(192, 192);
    SetDisplayFlags(false, true);
    const auto widths = ChoicesOf(Option(L"TabWidth"), settings, context);
    ASSERT_EQ(widths.size(), 9u);
    EXPECT_EQ(widths.front().text, L"40");
    EXPECT_EQ(widths.back().text, L"200");
    EXPECT_EQ(widths[2].value, 80) << "the third choice stores the scaled width";
    settings.General.TabWidth = 45;
    EXPECT_EQ(Shown(L"TabWidth"), 2);
    settings.General.ExtraCaptionWidth = 21;
    EXPECT_EQ(Shown(L"ExtraCaptionWidth"), 21) << "up to ScaleX(20) = 40";
    const auto extra = ChoicesOf(Option(L"TabExtraHeight"), settings, context);
    EXPECT_EQ(extra[3].text, L"6");
    EXPECT_EQ(extra[3].value, 3) << "shows ScaleY(i), stores i";
    const auto heights = ChoicesOf(Option(L"LandscapeHeightInPixel"), settings, context);
    EXPECT_EQ(heights[1].value, 32) << "from ScaleY(16)";
}

TEST_F(OptionTablesTest, FlagsTextsAndColours) {
    const OptionDescriptor& close = Option(L"TaskManagerCommandMask");
    settings.General.TaskManagerCommandMask = 0;
    for (const OptionGroup& group : OptionGroups()) {
        for (const OptionDescriptor& option : group.options) {
            if (option.maskBit == 0) {
                continue;
            }
            WriteFlag(option, settings, true);
            EXPECT_TRUE(ReadFlag(option, settings));
            EXPECT_EQ(settings.General.TaskManagerCommandMask & option.maskBit, option.maskBit);
        }
    }
    EXPECT_EQ(settings.General.TaskManagerCommandMask,
              0x0001 | 0x0002 | 0x0004 | 0x0008 | 0x1000 | 0x2000 | 0x4000);
    WriteFlag(close, settings, false);
    EXPECT_EQ(settings.General.TaskManagerCommandMask & ~close.maskBit,
              settings.General.TaskManagerCommandMask)
        << "clearing one bit leaves the others";
    EXPECT_FALSE(ReadFlag(close, settings));

    const OptionDescriptor& hide = Option(L"HideSettingsBtn");
    WriteFlag(hide, settings, false);
    EXPECT_FALSE(settings.General.HideSettingsBtn);
    WriteFlag(hide, settings, true);
    EXPECT_TRUE(settings.General.HideSettingsBtn);

    WriteText(Option(L"AdditionalImagesPath"), settings, L"\\Images\\");
    EXPECT_EQ(settings.General.AdditionalImagesPath, L"\\Images\\");
    EXPECT_EQ(ReadText(Option(L"PreferredFolderApp"), settings), settings.General.PreferredFolderApp);
    WriteColour(Option(L"CaptionColor"), settings, 0xFEFFFF);
    EXPECT_EQ(settings.General.CaptionColor, 0xFEFFFFu);
    EXPECT_EQ(ReadColour(Option(L"TabBGColor"), settings), settings.General.TabBGColor);

    EXPECT_EQ(OptionTitle(L"Title\nThe description"), L"Title");
    EXPECT_EQ(OptionDescription(L"Title\nThe description"), L"The description");
    EXPECT_EQ(OptionDescription(L"Only a title"), L"");
    EXPECT_EQ(WithTrailingBackslash(L"\\Images"), L"\\Images\\");
    EXPECT_EQ(WithTrailingBackslash(L"\\Images\\"), L"\\Images\\");
    EXPECT_EQ(WithTrailingBackslash(L""), L"\\");
}

} // namespace
} // namespace norvane::options
