// Names, defaults and rules of the special commands.
#include "SpecialCommands.h"

#include "ShortcutRecord.h"
#include "TextCodec.h"

#include <climits>

namespace norvane {

namespace {

constexpr std::wstring_view kSpecialPrefix = L"special:";

struct CommandEntry {
    const wchar_t* name;
    SpecialCommand command;
    unsigned nameId;
};

constexpr CommandEntry kCommands[] = {
    {specialname::kSoftReset, SpecialCommand::SoftReset, 10149},
    {specialname::kPowerOff, SpecialCommand::PowerOff, 10150},
    {specialname::kScreenCapture, SpecialCommand::ScreenCapture, 10151},
    {specialname::kRotate, SpecialCommand::Rotate, 10152},
    {specialname::kTabMenu, SpecialCommand::TabMenu, 10153},
    {specialname::kSms, SpecialCommand::Sms, 10154},
    {specialname::kPhoneCall, SpecialCommand::PhoneCall, 10155},
    {specialname::kJumpToTab, SpecialCommand::JumpToTab, 10190},
    {specialname::kMinMax, SpecialCommand::MinMax, 10194},
};

std::wstring WithBackslash(std::wstring_view folder) {
    std::wstring out(folder);
    if (out.empty() || out.back() != L'\\') {
        out += L'\\';
    }
    return out;
}

} // namespace

SpecialCommand SpecialCommandOf(std::wstring_view name) {
    for (const CommandEntry& entry : kCommands) {
        if (name == entry.name) {
            return entry.command;
        }
    }
    return SpecialCommand::Unknown;
}

SpecialCommand SpecialCommandOfTarget(std::wstring_view additionalTarget) {
    if (additionalTarget.substr(0, kSpecialPrefix.size()) != kSpecialPrefix) {
        return SpecialCommand::Unknown;
    }
    return SpecialCommandOf(additionalTarget.substr(kSpecialPrefix.size()));
}

unsigned SpecialCommandNameId(SpecialCommand command) {
    for (const CommandEntry& entry : kCommands) {
        if (entry.command == command) {
            return entry.nameId;
        }
    }
    return 0;
}

PropertyList SpecialCommandDefaults(std::wstring_view command, std::wstring_view documentsFolder) {
    PropertyList list;
    switch (SpecialCommandOf(command)) {
    case SpecialCommand::SoftReset:
        list.Set(specialkey::kPromptBeforeReset, L"1");
        break;
    case SpecialCommand::Rotate:
        list.Set(specialkey::kMode, L"left-restore");
        break;
    case SpecialCommand::ScreenCapture:
        list.Set(specialkey::kColorDepth, L"0");
        list.Set(specialkey::kDelay, L"5");
        list.Set(specialkey::kCount, L"1");
        list.Set(specialkey::kRepeatDelay, L"2");
        list.Set(specialkey::kPromptBeforeStarting, L"1");
        list.Set(specialkey::kPromptAfterFinishing, L"1");
        list.Set(specialkey::kPath, WithBackslash(documentsFolder));
        list.Set(specialkey::kPrefix, L"capture_");
        list.Set(specialkey::kFormat, L"JPG");
        break;
    default:
        break;
    }
    return list;
}

void SetDefaultSpecialProperties(ShortcutRecord& shortcut, std::wstring_view documentsFolder) {
    shortcut.SpecialProperties().Clear();
    const std::wstring_view target = shortcut.AdditionalTarget();
    if (target.substr(0, kSpecialPrefix.size()) == kSpecialPrefix) {
        shortcut.SpecialProperties() =
            SpecialCommandDefaults(target.substr(kSpecialPrefix.size()), documentsFolder);
    }
}

int NextOrientation(std::wstring_view mode, int current) {
    using namespace orientation;
    // Columns: from 0, 90, 180, 270 degrees.
    struct Row {
        const wchar_t* mode;
        int to[4];
    };
    static constexpr Row kTable[] = {
        {L"left-restore", {k90, k0, k0, k0}},  {L"right-restore", {k270, k0, k0, k0}},
        {L"left-only", {k90, k180, k270, k0}}, {L"right-only", {k270, k0, k90, k180}},
        {L"180-only", {k180, k270, k0, k90}},
    };
    int column = 0;
    switch (current) {
    case k90:
        column = 1;
        break;
    case k180:
        column = 2;
        break;
    case k270:
        column = 3;
        break;
    default:
        column = 0;
        break;
    }
    std::wstring lower = LowerCase(mode);
    if (lower.empty()) {
        lower = L"left-restore";
    }
    for (const Row& row : kTable) {
        if (lower == row.mode) {
            return row.to[column];
        }
    }
    return k0; // "restore-only" and every other text
}

std::wstring SmsParameters(std::wstring_view phoneNumber, std::wstring_view body) {
    std::wstring out = L"-to \"";
    out += phoneNumber;
    out += L"\" -body \"";
    out += body;
    out += L"\" -service \"SMS\"";
    return out;
}

int PropertyInteger(std::wstring_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == L' ' || text[i] == L'\t')) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == L'-' || text[i] == L'+')) {
        negative = text[i] == L'-';
        ++i;
    }
    long long value = 0;
    for (; i < text.size() && text[i] >= L'0' && text[i] <= L'9'; ++i) {
        value = value * 10 + (text[i] - L'0');
        if (value > static_cast<long long>(INT_MAX) + 1) {
            value = static_cast<long long>(INT_MAX) + 1; // held; more digits change nothing
        }
    }
    if (negative) {
        value = -value;
    }
    if (value > INT_MAX) {
        return INT_MAX;
    }
    if (value < INT_MIN) {
        return INT_MIN;
    }
    return static_cast<int>(value);
}

} // namespace norvane
