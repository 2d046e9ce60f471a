// The Options page's option tables and their value mappings.
#include "OptionTables.h"

#include "DisplayScale.h"
#include "OptionsResource.h"

#include <algorithm>
#include <cstdio>
#include <cwchar>

namespace norvane::options {

namespace {

using G = GeneralOptions;

constexpr OptionDescriptor Check(unsigned id, const wchar_t* key, bool G::*field) {
    OptionDescriptor d{id, EditorKind::CheckBox, key};
    d.boolField = field;
    return d;
}

constexpr OptionDescriptor MaskCheck(unsigned id, int bit) {
    OptionDescriptor d{id, EditorKind::CheckBox, L"TaskManagerCommandMask"};
    d.intField = &G::TaskManagerCommandMask;
    d.maskBit = bit;
    return d;
}

constexpr OptionDescriptor Fixed(unsigned id, const wchar_t* key, int G::*field,
                                 std::span<const FixedChoice> choices, int fallback = kNoFallback) {
    OptionDescriptor d{id, EditorKind::ChoiceList, key, ChoiceRule::Fixed};
    d.intField = field;
    d.fixed = choices;
    d.fallback = fallback;
    return d;
}

constexpr OptionDescriptor Range(unsigned id, const wchar_t* key, int G::*field, int first, int last,
                                 int fallback = kNoFallback, RangeLimit limit = RangeLimit::Fixed,
                                 unsigned noneTextId = 0) {
    OptionDescriptor d{id, EditorKind::ChoiceList, key, ChoiceRule::Range};
    d.intField = field;
    d.first = first;
    d.last = last;
    d.fallback = fallback;
    d.limit = limit;
    d.noneTextId = noneTextId;
    return d;
}

constexpr OptionDescriptor Rule(unsigned id, const wchar_t* key, ChoiceRule rule, int G::*field) {
    OptionDescriptor d{id, EditorKind::ChoiceList, key, rule};
    d.intField = field;
    return d;
}

constexpr OptionDescriptor TextRule(unsigned id, const wchar_t* key, ChoiceRule rule,
                                    std::wstring G::*field) {
    OptionDescriptor d{id, EditorKind::ChoiceList, key, rule};
    d.textField = field;
    return d;
}

constexpr OptionDescriptor BoolChoice(unsigned id, const wchar_t* key, bool G::*field,
                                      std::span<const FixedChoice> choices) {
    OptionDescriptor d{id, EditorKind::ChoiceList, key, ChoiceRule::BoolChoice};
    d.boolField = field;
    d.fixed = choices;
    return d;
}

constexpr OptionDescriptor Text(unsigned id, EditorKind kind, const wchar_t* key, std::wstring G::*field) {
    OptionDescriptor d{id, kind, key};
    d.textField = field;
    return d;
}

constexpr OptionDescriptor Colour(unsigned id, const wchar_t* key, ColorValue G::*field) {
    OptionDescriptor d{id, EditorKind::Colour, key};
    d.colourField = field;
    return d;
}

// ---------------------------------------------------------------- fixed choices

constexpr FixedChoice kDisplayModes[] = {
    {IDS_CHOICE_CUSTOMIZED_TABS, 2}, {IDS_CHOICE_THUMB_TABS, 4}, {IDS_CHOICE_NO_TABS, 3}};
constexpr FixedChoice kArrangements[] = {{IDS_CHOICE_LEFT_ALIGNED, 0},
                                         {IDS_CHOICE_CENTERED, 1},
                                         {IDS_CHOICE_RIGHT_ALIGNED, 2},
                                         {IDS_CHOICE_SPREAD, 3}};
constexpr FixedChoice kContextMenuChoices[] = {{IDS_CHOICE_SHOW_TOOLTIP, 0}, {IDS_CHOICE_CONTEXT_MENU, 1}};
constexpr FixedChoice kDPadActions[] = {{IDS_CHOICE_LAUNCH_SHORTCUT, 0}, {IDS_CHOICE_CONTEXT_MENU, 1}};
constexpr FixedChoice kTabStyles[] = {
    {IDS_CHOICE_TABS_TOP, 0},          {IDS_CHOICE_TABS_BOTTOM, 1},
    {IDS_CHOICE_TABS_TOP_NO_ICON, 2},  {IDS_CHOICE_TABS_BOTTOM_NO_ICON, 3},
    {IDS_CHOICE_TABS_TOP_NO_NAMES, 4}, {IDS_CHOICE_TABS_BOTTOM_NO_NAMES, 5}};
constexpr FixedChoice kAlignments[] = {{IDS_CHOICE_LEFT, 0}, {IDS_CHOICE_CENTER, 1}, {IDS_CHOICE_RIGHT, 2}};
constexpr FixedChoice kShadowStyles[] = {
    {IDS_CHOICE_NONE, 0}, {IDS_CHOICE_DROP_RIGHT, 1}, {IDS_CHOICE_GLOW, 2}};
constexpr FixedChoice kTopBarMeterActions[] = {{IDS_CHOICE_DO_NOTHING, 0},
                                               {IDS_CHOICE_SHOW_METER_MENU, 1},
                                               {IDS_CHOICE_SHOW_TASK_MANAGER, 2},
                                               {IDS_CHOICE_SHOW_SYSTEM_STATUS, 3},
                                               {IDS_CHOICE_LAUNCH_METER_BAR, 4}};
constexpr FixedChoice kMeterTaps[] = {{IDS_CHOICE_SYSTEM_SETTINGS_DIALOG, 0}, {IDS_CHOICE_CONTROL_PANEL, 1}};
constexpr FixedChoice kMeterCaptions[] = {{IDS_CHOICE_NO_CAPTIONS, 0},
                                          {IDS_CHOICE_CAPTIONS, 1},
                                          {IDS_CHOICE_METER_VALUE, 2},
                                          {IDS_CHOICE_METER_TYPE, 3}};
constexpr FixedChoice kCaptionAlignments[] = {{IDS_CHOICE_LEFT, 0}, {IDS_CHOICE_CENTER, 1}};
constexpr FixedChoice kSmallIconCaptions[] = {
    {IDS_CHOICE_HIDE, 0}, {IDS_CHOICE_SHOW, 1}, {IDS_CHOICE_SHOW_DOUBLE_WIDE, 2}};
constexpr FixedChoice kShowTaskManager[] = {
    {IDS_CHOICE_NEVER, 0}, {IDS_CHOICE_AFTER_HOLD, 1}, {IDS_CHOICE_AFTER_HOLD_NO_DOTS, 2}};
constexpr FixedChoice kAnimations[] = {{IDS_CHOICE_NO_ANIMATION, 0}, {IDS_CHOICE_REVEAL, 1}};
constexpr FixedChoice kSafeModePrompts[] = {
    {IDS_CHOICE_NEVER, 0}, {IDS_CHOICE_ALWAYS, 1}, {IDS_CHOICE_IF_RESET, 2}};
constexpr FixedChoice kPostLoadRefresh[] = {
    {IDS_CHOICE_DO_NOT_REFRESH, 0}, {IDS_CHOICE_HALF_SECOND, 500},    {IDS_CHOICE_ONE_SECOND, 1000},
    {IDS_CHOICE_TWO_SECONDS, 2000}, {IDS_CHOICE_THREE_SECONDS, 3000}, {IDS_CHOICE_FIVE_SECONDS, 5000}};
constexpr FixedChoice kTrueVgaChoices[] = {
    {IDS_CHOICE_NO, 0}, {IDS_CHOICE_YES, 1}, {IDS_CHOICE_AUTOMATIC, 2}};
constexpr FixedChoice kMeterBarChoices[] = {{IDS_CHOICE_NONE, 0},
                                            {IDS_CHOICE_BATTERY, 1},
                                            {IDS_CHOICE_BACKUP_BATTERY, 2},
                                            {IDS_CHOICE_MEMORY, 3},
                                            {IDS_CHOICE_MAIN_STORAGE, 4}};

// ---------------------------------------------------------------- the groups

const OptionDescriptor kGeneral[] = {
    Fixed(62000, L"BehaviorMode", &G::BehaviorMode, kDisplayModes, 0),
    Fixed(62003, L"IconDisplayMode", &G::IconDisplayMode, kArrangements),
    Rule(62037, L"HeightInPixels", ChoiceRule::Height, &G::HeightInPixels),
    Rule(62038, L"LandscapeHeightInPixel", ChoiceRule::Height, &G::LandscapeHeightInPixel),
    Range(62024, L"IconSpacing", &G::IconSpacing, 0, 6),
    Rule(62006, L"SnapBack", ChoiceRule::SnapBack, nullptr),
    Check(62013, L"TrayReverseOrder", &G::TrayReverseOrder),
    Check(62008, L"RunMinimized", &G::RunMinimized),
    Rule(62016, L"TrueVGA", ChoiceRule::TrueVga, &G::TrueVGA),
    Rule(62018, L"TrueVGAOptions", ChoiceRule::TrueVga, &G::TrueVGAOptions),
    Text(62033, EditorKind::ProgramField, L"PreferredFolderApp", &G::PreferredFolderApp),
    Check(62034, L"FolderAppQuotes", &G::FolderAppQuotes),
    BoolChoice(62035, L"ShowShortcutContextMenu", &G::ShowShortcutContextMenu, kContextMenuChoices),
    Check(62036, L"AllowDragAndDropOnShortcuts", &G::AllowDragAndDropOnShortcuts),
    Check(62046, L"DPadSupport", &G::DPadSupport),
    Fixed(62047, L"DPadAction", &G::DPadAction, kDPadActions),
    Check(62092, L"AllowScrolling", &G::AllowScrolling),
    Check(10139, L"TopBarIconRightAlignment", &G::TopBarIconRightAlignment),
    Text(62111, EditorKind::FolderField, L"AdditionalImagesPath", &G::AdditionalImagesPath),
};

const OptionDescriptor kCustomizedTabs[] = {
    Fixed(62002, L"BottomAlign", &G::BottomAlign, kTabStyles, 0),
    Rule(62020, L"TabWidth", ChoiceRule::TabWidth, &G::TabWidth),
    Rule(62125, L"TabExtraHeight", ChoiceRule::TabExtraHeight, &G::TabExtraHeight),
    Fixed(62023, L"TabNameAlignment", &G::TabNameAlignment, kAlignments),
    Range(62022, L"FontSize", &G::FontSize, 8, 16, 12 - 8),
    Fixed(62044, L"ShadowStyleForTabs", &G::ShadowStyleForTabs, kShadowStyles),
    Check(62045, L"BoldForTabs", &G::BoldForTabs),
    TextRule(62064, L"TabFont", ChoiceRule::Font, &G::TabFont),
    Check(62027, L"HideSettingsBtn", &G::HideSettingsBtn),
    Check(62121, L"UseFloatingPanels", &G::UseFloatingPanels),
};

const OptionDescriptor kOptionsProgram[] = {
    Check(62005, L"ShowBrowseIcons", &G::ShowBrowseIcons),
    Check(62017, L"RememberFileBrowsePath", &G::RememberFileBrowsePath),
    Check(62028, L"ShowFileNamesOnly", &G::ShowFileNamesOnly),
    Check(62032, L"DefaultLargeIcons", &G::DefaultLargeIcons),
};

const OptionDescriptor kMeters[] = {
    TextRule(62030, L"MeterBar", ChoiceRule::MeterBar, &G::MeterBar),
    Fixed(62110, L"TopBarMeterAction", &G::TopBarMeterAction, kTopBarMeterActions),
    Fixed(62031, L"MeterTap", &G::MeterTap, kMeterTaps),
    Fixed(62041, L"ShowCaptionsForMeters", &G::ShowCaptionsForMeters, kMeterCaptions),
    Text(62069, EditorKind::FolderField, L"AdditionalMeterPath", &G::AdditionalMeterPath),
};

const OptionDescriptor kColours[] = {
    Colour(62058, L"LineSeparatorsColor", &G::LineSeparatorsColor),
    Check(62112, L"HideSeparatorLines", &G::HideSeparatorLines),
    Colour(62059, L"SelectedItemColor", &G::SelectedItemColor),
    Rule(62062, L"SelectedShortcutOpacity", ChoiceRule::Opacity, &G::SelectedShortcutOpacity),
    Colour(62060, L"TabBGColor", &G::TabBGColor),
    Rule(62061, L"TabOpacity", ChoiceRule::Opacity, &G::TabOpacity),
    Colour(62065, L"CurrentTabBGColor", &G::CurrentTabBGColor),
    Rule(62066, L"CurrentTabOpacity", ChoiceRule::Opacity, &G::CurrentTabOpacity),
    Colour(62052, L"TabTextColor", &G::TabTextColor),
    Colour(62053, L"TabTextShadowColor", &G::TabTextShadowColor),
    Colour(62054, L"CurrentTabTextColor", &G::CurrentTabTextColor),
    Colour(62055, L"CurrentTabTextShadowColor", &G::CurrentTabTextShadowColor),
    Colour(62048, L"CaptionColor", &G::CaptionColor),
    Colour(62049, L"CaptionShadowColor", &G::CaptionShadowColor),
    Colour(62056, L"SelectedCaptionColor", &G::SelectedCaptionColor),
    Colour(62057, L"SelectedCaptionShadowColor", &G::SelectedCaptionShadowColor),
    Colour(62123, L"FloatingPanelColor", &G::FloatingPanelColor),
    Rule(62124, L"FloatingPanelOpacity", ChoiceRule::Opacity, &G::FloatingPanelOpacity),
};

const OptionDescriptor kCaptions[] = {
    Fixed(62039, L"CaptionAlignment", &G::CaptionAlignment, kCaptionAlignments),
    Fixed(62040, L"SmallIconCaptionMode", &G::SmallIconCaptionMode, kSmallIconCaptions),
    Fixed(62041, L"ShowCaptionsForMeters", &G::ShowCaptionsForMeters, kMeterCaptions),
    Fixed(62042, L"ShadowStyleForCaptions", &G::ShadowStyleForCaptions, kShadowStyles),
    Range(62050, L"CaptionFontSize", &G::CaptionFontSize, 8, 20, 12 - 8),
    Range(62051, L"CaptionHeight", &G::CaptionHeight, 8, 40, 15 - 8),
    Range(62071, L"ExtraCaptionWidth", &G::ExtraCaptionWidth, 0, 20, 0, RangeLimit::ScaledX),
    Check(62043, L"BoldForCaptions", &G::BoldForCaptions),
    TextRule(62063, L"CaptionFont", ChoiceRule::Font, &G::CaptionFont),
    Check(62067, L"HalfHeightCaptions", &G::HalfHeightCaptions),
};

const OptionDescriptor kTaskManager[] = {
    Fixed(62094, L"ShowTaskManager", &G::ShowTaskManager, kShowTaskManager),
    Check(62074, L"XButtonCloses", &G::XButtonCloses),
    Fixed(62093, L"AnimateTaskManager", &G::AnimateTaskManager, kAnimations),
    MaskCheck(62102, 0x0001),
    MaskCheck(62103, 0x0002),
    MaskCheck(62104, 0x0004),
    MaskCheck(62105, 0x0008),
    MaskCheck(62106, 0x4000),
    MaskCheck(62107, 0x2000),
    MaskCheck(62108, 0x1000),
    Check(62095, L"AltTabMode", &G::AltTabMode),
    Rule(62096, L"AltTabDelay", ChoiceRule::AltTabDelay, &G::AltTabDelay),
    Check(62097, L"TaskManagerShowIcons", &G::TaskManagerShowIcons),
    Check(62109, L"KeepTaskManagerOpen", &G::KeepTaskManagerOpen),
    Check(62113, L"AddTaskManagerPrefixes", &G::AddTaskManagerPrefixes),
    OptionDescriptor{62099, EditorKind::Button, L"TaskManagerExceptions"},
};

const OptionDescriptor kRunningPrograms[] = {
    Check(62114, L"ShowRunningPrograms", &G::ShowRunningPrograms),
    Check(62119, L"RunningProgramsShowDesktop", &G::RunningProgramsShowDesktop),
    Check(62116, L"RunningProgramsRightAlign", &G::RunningProgramsRightAlign),
    Range(62115, L"RunningProgramsStart", &G::RunningProgramsStart, 0, 0, kNoFallback,
          RangeLimit::LargerScreen),
    Range(62122, L"RunningProgramsSpacing", &G::RunningProgramsSpacing, 0, 12, kNoFallback,
          RangeLimit::ScaledX),
    Range(62117, L"RunningProgramsLimitPortrait", &G::RunningProgramsLimitPortrait, 1, 24, kNoFallback,
          RangeLimit::Fixed, IDS_CHOICE_NONE),
    Range(62118, L"RunningProgramsLimitLandscape", &G::RunningProgramsLimitLandscape, 1, 24, kNoFallback,
          RangeLimit::Fixed, IDS_CHOICE_NONE),
    Check(62120, L"RunningProgramsHideTitles", &G::RunningProgramsHideTitles),
};

const OptionDescriptor kSafeMode[] = {
    Fixed(62100, L"SafeModePromptMode", &G::SafeModePromptMode, kSafeModePrompts),
    Check(62101, L"AutoSafeMode", &G::AutoSafeMode),
};

const OptionDescriptor kTweaks[] = {
    Check(62010, L"RefreshOnMinimize", &G::RefreshOnMinimize),
    Check(62070, L"RefreshOnResize", &G::RefreshOnResize),
    Fixed(62012, L"PostLoadRefresh", &G::PostLoadRefresh, kPostLoadRefresh, 0),
    Check(62025, L"DeferIconLoading", &G::DeferIconLoading),
    Check(62072, L"UsePollingForBattery", &G::UsePollingForBattery),
    Check(62073, L"RefreshOnStorageCardChange", &G::RefreshOnStorageCardChange),
};

const OptionGroup kGroups[] = {
    {IDS_GROUP_GENERAL, kGeneral},          {IDS_GROUP_CUSTOMIZED_TABS, kCustomizedTabs},
    {IDS_GROUP_OPTIONS, kOptionsProgram},   {IDS_GROUP_METERS, kMeters},
    {IDS_GROUP_COLORS, kColours},           {IDS_GROUP_CAPTIONS, kCaptions},
    {IDS_GROUP_TASK_MANAGER, kTaskManager}, {IDS_GROUP_RUNNING_PROGRAMS, kRunningPrograms},
    {IDS_GROUP_SAFE_MODE, kSafeMode},       {IDS_GROUP_TWEAKS, kTweaks},
};

// ---------------------------------------------------------------- helpers

std::wstring Number(int value) {
    return std::to_wstring(value);
}

// printf-style formatting of one number into a format from the string table.
std::wstring FormatNumber(const std::wstring& format, double value) {
    wchar_t buffer[128] = {};
    std::swprintf(buffer, 128, format.c_str(), value);
    return buffer;
}

std::wstring FormatInt(const std::wstring& format, int value) {
    wchar_t buffer[128] = {};
    std::swprintf(buffer, 128, format.c_str(), value);
    return buffer;
}

int IndexOfValue(const std::vector<Choice>& choices, int value) {
    for (std::size_t i = 0; i < choices.size(); ++i) {
        if (choices[i].value == value) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

int IndexOfText(const std::vector<Choice>& choices, const std::wstring& text, std::size_t from = 0,
                std::size_t to = static_cast<std::size_t>(-1)) {
    for (std::size_t i = from; i < choices.size() && i < to; ++i) {
        if (choices[i].storedText == text) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

int RangeLast(const OptionDescriptor& option, const OptionContext& context) {
    switch (option.limit) {
    case RangeLimit::ScaledX:
        return ScaleX(option.last);
    case RangeLimit::LargerScreen:
        return std::max(context.screenWidth, context.screenHeight) - 1;
    case RangeLimit::Fixed:
        break;
    }
    return option.last;
}

int StoredInt(const OptionDescriptor& option, const Settings& settings) {
    if (option.intField != nullptr) {
        return settings.General.*option.intField;
    }
    if (option.boolField != nullptr) {
        return settings.General.*option.boolField ? 1 : 0;
    }
    return 0;
}

} // namespace

std::span<const OptionGroup> OptionGroups() {
    return kGroups;
}

std::vector<Choice> ChoicesOf(const OptionDescriptor& option, const Settings& settings,
                              const OptionContext& context) {
    std::vector<Choice> choices;
    auto text = [&](unsigned id) { return context.text ? context.text(id) : std::wstring(); };
    switch (option.rule) {
    case ChoiceRule::None:
        break;
    case ChoiceRule::Fixed:
    case ChoiceRule::BoolChoice:
    case ChoiceRule::TrueVga: {
        std::span<const FixedChoice> fixed =
            option.rule == ChoiceRule::TrueVga ? std::span<const FixedChoice>(kTrueVgaChoices) : option.fixed;
        for (const FixedChoice& c : fixed) {
            choices.push_back({text(c.textId), c.value, {}});
        }
        break;
    }
    case ChoiceRule::Range: {
        if (option.noneTextId != 0) {
            choices.push_back({text(option.noneTextId), 0, {}});
        }
        const int last = RangeLast(option, context);
        for (int v = option.first; v <= last; ++v) {
            choices.push_back({Number(v), v, {}});
        }
        break;
    }
    case ChoiceRule::Height:
        choices.push_back({text(IDS_CHOICE_AUTOMATIC), 0, {}});
        for (int v = ScaleY(16); v <= context.screenHeight; ++v) {
            choices.push_back({Number(v), v, {}});
        }
        break;
    case ChoiceRule::Opacity: {
        const std::wstring format = text(IDS_CHOICE_PERCENT_FORMAT);
        for (int i = 0; i <= 20; ++i) {
            choices.push_back({FormatInt(format, 5 * i), 5 * i, {}});
        }
        break;
    }
    case ChoiceRule::TabWidth:
        for (int i = 0; i < 9; ++i) {
            const int width = ScaleX(20 + 10 * i);
            choices.push_back({Number(width), width, {}});
        }
        break;
    case ChoiceRule::TabExtraHeight:
        for (int i = 0; i <= 20; ++i) {
            choices.push_back({Number(ScaleY(i)), i, {}});
        }
        break;
    case ChoiceRule::Font:
        choices.push_back({text(IDS_CHOICE_DEFAULT_FONT), 0, std::wstring()});
        for (const std::wstring& family : context.fontFamilies) {
            choices.push_back({family, 0, family});
        }
        break;
    case ChoiceRule::SnapBack:
        choices.push_back({text(IDS_CHOICE_NONE), -1, {}});
        for (std::size_t i = 0; i < settings.Tabs().size(); ++i) {
            choices.push_back({settings.Tabs()[i]->Name, static_cast<int>(i), {}});
        }
        break;
    case ChoiceRule::MeterBar:
        for (const FixedChoice& c : kMeterBarChoices) {
            std::wstring shown = text(c.textId);
            choices.push_back({shown, c.value, shown});
        }
        for (const std::wstring& card : context.storageCards) {
            std::wstring shown = L"\\" + card;
            choices.push_back({shown, 0, shown});
        }
        break;
    case ChoiceRule::AltTabDelay: {
        const std::wstring format = text(IDS_CHOICE_SECONDS_FORMAT);
        int i = 0;
        for (double seconds = 0.5; seconds < 10; seconds += 0.5, ++i) {
            choices.push_back({FormatNumber(format, seconds), 500 * (i + 1), {}});
        }
        break;
    }
    }
    return choices;
}

int ShownChoice(const OptionDescriptor& option, const Settings& settings,
                const std::vector<Choice>& choices) {
    const int count = static_cast<int>(choices.size());
    auto valid = [&](int index) { return index >= 0 && index < count ? index : -1; };
    switch (option.rule) {
    case ChoiceRule::None:
        return -1;
    case ChoiceRule::Fixed: {
        const int stored = StoredInt(option, settings);
        const int index = IndexOfValue(choices, stored);
        if (index >= 0 || option.fallback == kNoFallback) {
            return index;
        }
        // The tab styles fall back only above their last value.
        if (option.intField == &G::BottomAlign && stored < 0) {
            return -1;
        }
        return valid(option.fallback);
    }
    case ChoiceRule::BoolChoice:
    case ChoiceRule::TrueVga:
    case ChoiceRule::TabWidth:
        if (const int index = IndexOfValue(choices, StoredInt(option, settings)); index >= 0) {
            return index;
        }
        return option.rule == ChoiceRule::TabWidth ? valid(2) : -1;
    case ChoiceRule::Range: {
        const int index = IndexOfValue(choices, StoredInt(option, settings));
        return index >= 0 || option.fallback == kNoFallback ? index : valid(option.fallback);
    }
    case ChoiceRule::Height: {
        const int stored = StoredInt(option, settings);
        if (count > 0 && (stored < 1 || stored > choices.back().value)) {
            // Below 1 or above the screen height: "Automatically Determine".
            return valid(0);
        }
        return IndexOfValue(choices, stored);
    }
    case ChoiceRule::Opacity: {
        const int stored = StoredInt(option, settings);
        return valid(stored < 0 ? 0 : std::min(stored / 5, 20));
    }
    case ChoiceRule::TabExtraHeight: {
        const int stored = StoredInt(option, settings);
        return valid(stored >= 0 && stored <= 20 ? stored : 0);
    }
    case ChoiceRule::Font: {
        const int index = IndexOfText(choices, settings.General.*option.textField, 1);
        return index >= 0 ? index : valid(0);
    }
    case ChoiceRule::SnapBack:
        for (std::size_t i = 0; i < settings.Tabs().size(); ++i) {
            if (settings.Tabs()[i]->SnapBack) {
                return valid(static_cast<int>(i) + 1);
            }
        }
        return valid(0);
    case ChoiceRule::MeterBar: {
        const std::wstring& stored = settings.General.*option.textField;
        const std::size_t fixedCount = std::size(kMeterBarChoices);
        int index = IndexOfText(choices, stored, fixedCount);
        if (index < 0) {
            index = IndexOfText(choices, stored, 0, fixedCount);
        }
        return index >= 0 ? index : valid(0);
    }
    case ChoiceRule::AltTabDelay: {
        const int stored = StoredInt(option, settings);
        const int steps = stored / 500;
        return steps < 20 ? valid(steps - 1) : valid(0);
    }
    }
    return -1;
}

void StoreChoice(const OptionDescriptor& option, Settings& settings, const Choice& choice) {
    switch (option.rule) {
    case ChoiceRule::None:
        return;
    case ChoiceRule::Font:
    case ChoiceRule::MeterBar:
        settings.General.*option.textField = choice.storedText;
        return;
    case ChoiceRule::SnapBack:
        for (std::size_t i = 0; i < settings.Tabs().size(); ++i) {
            settings.Tabs()[i]->SnapBack = static_cast<int>(i) == choice.value;
        }
        return;
    case ChoiceRule::BoolChoice:
        settings.General.*option.boolField = choice.value != 0;
        return;
    default:
        if (option.intField != nullptr) {
            settings.General.*option.intField = choice.value;
        }
        return;
    }
}

bool ReadFlag(const OptionDescriptor& option, const Settings& settings) {
    if (option.maskBit != 0) {
        return (settings.General.*option.intField & option.maskBit) != 0;
    }
    return option.boolField != nullptr && settings.General.*option.boolField;
}

void WriteFlag(const OptionDescriptor& option, Settings& settings, bool on) {
    if (option.maskBit != 0) {
        int& mask = settings.General.*option.intField;
        mask = on ? (mask | option.maskBit) : (mask & ~option.maskBit);
    } else if (option.boolField != nullptr) {
        settings.General.*option.boolField = on;
    }
}

std::wstring ReadText(const OptionDescriptor& option, const Settings& settings) {
    return option.textField != nullptr ? settings.General.*option.textField : std::wstring();
}

void WriteText(const OptionDescriptor& option, Settings& settings, const std::wstring& text) {
    if (option.textField != nullptr) {
        settings.General.*option.textField = text;
    }
}

ColorValue ReadColour(const OptionDescriptor& option, const Settings& settings) {
    return option.colourField != nullptr ? settings.General.*option.colourField : kAutomaticColor;
}

void WriteColour(const OptionDescriptor& option, Settings& settings, ColorValue colour) {
    if (option.colourField != nullptr) {
        settings.General.*option.colourField = colour;
    }
}

std::wstring OptionTitle(const std::wstring& text) {
    return text.substr(0, text.find(L'\n'));
}

std::wstring OptionDescription(const std::wstring& text) {
    const std::size_t lineBreak = text.find(L'\n');
    return lineBreak == std::wstring::npos ? std::wstring() : text.substr(lineBreak + 1);
}

std::wstring WithTrailingBackslash(std::wstring folder) {
    if (folder.empty() || folder.back() != L'\\') {
        folder += L'\\';
    }
    return folder;
}

} // namespace norvane::options
