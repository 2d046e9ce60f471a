// The Additional Properties dialog's options and their value mappings.
#include "PropertyTables.h"

#include "OptionsResource.h"
#include "ShortcutTarget.h"
#include "SpecialCommands.h"

namespace norvane::options {

namespace {

namespace key = specialkey;
using E = PropertyEditor;
using R = PropertyRule;

constexpr PropertyOption kDisplayName{IDS_PROP_DISPLAY_NAME, E::TextField, R::Caption};
constexpr PropertyOption kCommandLine{IDS_PROP_COMMAND_LINE, E::TextField, R::CommandLine};
constexpr PropertyOption kPromptReset{IDS_PROP_PROMPT_RESET, E::CheckBox, R::Flag, key::kPromptBeforeReset};
constexpr PropertyOption kRotation{IDS_PROP_ROTATION, E::ChoiceList, R::Rotation, key::kMode};
constexpr PropertyOption kPromptStart{IDS_PROP_PROMPT_START, E::CheckBox, R::Flag,
                                      key::kPromptBeforeStarting};
constexpr PropertyOption kPromptDone{IDS_PROP_PROMPT_DONE, E::CheckBox, R::Flag, key::kPromptAfterFinishing};
constexpr PropertyOption kCount{IDS_PROP_COUNT, E::ChoiceList, R::Count, key::kCount};
constexpr PropertyOption kFormat{IDS_PROP_FORMAT, E::ChoiceList, R::Format, key::kFormat};
constexpr PropertyOption kColorDepth{IDS_PROP_COLOR_DEPTH, E::ChoiceList, R::ColorDepth, key::kColorDepth};
constexpr PropertyOption kPath{IDS_PROP_PATH, E::FolderField, R::Text, key::kPath};
constexpr PropertyOption kPrefix{IDS_PROP_PREFIX, E::TextField, R::Text, key::kPrefix, 20};
constexpr PropertyOption kDelay{IDS_PROP_DELAY, E::ChoiceList, R::Delay, key::kDelay};
constexpr PropertyOption kRepeatDelay{IDS_PROP_REPEAT_DELAY, E::ChoiceList, R::RepeatDelay,
                                      key::kRepeatDelay};
constexpr PropertyOption kSmsNumber{IDS_PROP_SMS_NUMBER, E::ContactField, R::Text, key::kPhoneNumber, 100};
constexpr PropertyOption kSmsBody{IDS_PROP_SMS_BODY, E::TextField, R::Text, key::kSmsDefaultBody, 160};
constexpr PropertyOption kPhoneNumber{IDS_PROP_PHONE_NUMBER, E::ContactField, R::Text, key::kPhoneNumber,
                                      100};
constexpr PropertyOption kPromptDial{IDS_PROP_PROMPT_DIAL, E::CheckBox, R::Flag, key::kPromptBeforeDialing};
constexpr PropertyOption kSelectedTab{IDS_PROP_SELECTED_TAB, E::ChoiceList, R::SelectedTab,
                                      key::kUniqueTabId};

struct FixedText {
    unsigned textId;
    const wchar_t* stored;
};
constexpr FixedText kRotations[] = {
    {IDS_ROTATE_LEFT_RESTORE, L"left-restore"},
    {IDS_ROTATE_RIGHT_RESTORE, L"right-restore"},
    {IDS_ROTATE_LEFT, L"left-only"},
    {IDS_ROTATE_RIGHT, L"right-only"},
    {IDS_ROTATE_180, L"180-only"},
    {IDS_ROTATE_RESTORE, L"restore-only"},
};
constexpr FixedText kDepths[] = {
    {IDS_DEFAULT, L"0"}, {IDS_DEPTH_8, L"8"}, {IDS_DEPTH_16, L"16"}, {IDS_DEPTH_24, L"24"}};

} // namespace

std::vector<const PropertyOption*> PropertyOptionsFor(std::wstring_view additionalTarget) {
    std::vector<const PropertyOption*> options{&kDisplayName, &kCommandLine};
    switch (SpecialCommandOfTarget(additionalTarget)) {
    case SpecialCommand::SoftReset:
        options.push_back(&kPromptReset);
        break;
    case SpecialCommand::Rotate:
        options.push_back(&kRotation);
        break;
    case SpecialCommand::ScreenCapture:
        options.insert(options.end(), {&kPromptStart, &kPromptDone, &kCount, &kFormat, &kColorDepth, &kPath,
                                       &kPrefix, &kDelay, &kRepeatDelay});
        break;
    case SpecialCommand::Sms:
        options.insert(options.end(), {&kSmsNumber, &kSmsBody});
        break;
    case SpecialCommand::PhoneCall:
        options.insert(options.end(), {&kPhoneNumber, &kPromptDial});
        break;
    case SpecialCommand::TabMenu:
    case SpecialCommand::JumpToTab:
        options.push_back(&kSelectedTab);
        break;
    default:
        break;
    }
    return options;
}

std::wstring DelayText(int seconds, const std::function<std::wstring(unsigned)>& text) {
    return std::to_wstring(seconds) + L" " + text(seconds == 1 ? IDS_SECOND : IDS_SECONDS);
}

std::vector<PropertyChoice> PropertyChoices(const PropertyOption& option, const Settings& settings,
                                            const std::function<std::wstring(unsigned)>& text) {
    std::vector<PropertyChoice> choices;
    switch (option.rule) {
    case R::Rotation:
        for (const FixedText& f : kRotations) {
            choices.push_back({text(f.textId), f.stored});
        }
        break;
    case R::Count:
        for (int i = 1; i <= 15; ++i) {
            choices.push_back({std::to_wstring(i), std::to_wstring(i)});
        }
        break;
    case R::Format:
        choices = {{L"BMP", L"BMP"}, {L"JPG", L"JPG"}};
        break;
    case R::ColorDepth:
        for (const FixedText& f : kDepths) {
            choices.push_back({text(f.textId), f.stored});
        }
        break;
    case R::Delay:
        choices.push_back({text(IDS_IMMEDIATELY), L"0"});
        for (int i = 1; i <= 15; ++i) {
            choices.push_back({DelayText(i, text), std::to_wstring(i)});
        }
        break;
    case R::RepeatDelay:
        for (int i = 1; i <= 15; ++i) {
            choices.push_back({DelayText(i, text), std::to_wstring(i)});
        }
        break;
    case R::SelectedTab:
        for (const auto& tab : settings.Tabs()) {
            choices.push_back({tab->Name, std::to_wstring(tab->UniqueID)});
        }
        break;
    default:
        break;
    }
    return choices;
}

int ShownPropertyChoice(const PropertyOption& option, const std::vector<PropertyChoice>& choices,
                        std::wstring_view stored) {
    if (choices.empty()) {
        return -1;
    }
    for (std::size_t i = 0; i < choices.size(); ++i) {
        const PropertyChoice& choice = choices[i];
        switch (option.rule) {
        case R::Rotation:
        case R::Format:
            if (stored == choice.stored) {
                return static_cast<int>(i);
            }
            break;
        default:
            // Numbers as the command reads them: "08" is 8.
            if (!stored.empty() && PropertyInteger(stored) == PropertyInteger(choice.stored)) {
                return static_cast<int>(i);
            }
            break;
        }
    }
    return 0;
}

std::wstring ReadProperty(const PropertyOption& option, const ShortcutRecord& shortcut) {
    switch (option.rule) {
    case R::Caption:
        return shortcut.Caption();
    case R::CommandLine:
        return shortcut.CommandLine();
    default:
        return shortcut.SpecialProperties().Get(option.key);
    }
}

void WriteProperty(const PropertyOption& option, ShortcutRecord& shortcut, std::wstring_view text) {
    if (option.limit != 0 && text.size() > option.limit) {
        text = text.substr(0, option.limit);
    }
    switch (option.rule) {
    case R::Caption:
        shortcut.SetToolTipTitle(text);
        break;
    case R::CommandLine:
        shortcut.SetCommandLine(text);
        break;
    case R::Flag:
        shortcut.SpecialProperties().Set(option.key, IsTrueProperty(text) ? L"1" : L"0");
        break;
    default:
        shortcut.SpecialProperties().Set(option.key, text);
        break;
    }
}

} // namespace norvane::options
