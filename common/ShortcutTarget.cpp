// Kinds, captions, applet texts, class identifiers and icon names of shortcut targets.
#include "ShortcutTarget.h"

#include "ShortcutRecord.h"
#include "TextCodec.h"

#include <climits>
#include <cstdio>

namespace norvane {

namespace {

constexpr std::wstring_view kPrefixes[] = {kMeterPrefix, kControlPanelPrefix, kFolderPrefix, kNewItemPrefix,
                                           kSpecialPrefix};

struct NamePair {
    std::wstring_view key;
    std::wstring_view name;
};

constexpr NamePair kNewItems[] = {
    {L"{FC59C090-AB3E-11d2-8442-0000F87A584A}", L"excel"},
    {L"{1D210285-ABE7-11d2-8442-0000F87A584A}", L"message"},
    {L"{42650BC2-41C1-11d2-88E3-0000F87A49DB}", L"contact"},
    {L"{42650BC1-41C1-11d2-88E3-0000F87A49DB}", L"task"},
    {L"{98E38510-41E9-11d2-88E3-0000F87A49DB}", L"appointment"},
    {L"{0FE5DCC1-5413-11d2-A53B-00C04F8ECDC8}", L"note"},
    {L"{AF10EC39-DC10-11d2-9878-00C04F8ECDC8}", L"word"},
    {L"menu", L"menu"},
};

constexpr NamePair kSpecialIcons[] = {
    {L"softreset", L"SoftReset"},  {L"rotate", L"Rotate"},       {L"screencapture", L"ScreenCapture"},
    {L"poweroff", L"PowerOff"},    {L"sms", L"SendSMS"},         {L"phonecall", L"SpeedDial"},
    {L"tabmenu", L"TabItemsMenu"}, {L"jumptotab", L"JumpToTab"}, {L"minmax", L"MinMax"},
};

std::wstring_view Lookup(const NamePair* begin, const NamePair* end, std::wstring_view key) {
    const std::wstring lowered = LowerCase(key);
    for (const NamePair* pair = begin; pair != end; ++pair) {
        if (LowerCase(pair->key) == lowered) {
            return pair->name;
        }
    }
    return {};
}

int HexValue(wchar_t c) {
    if (c >= L'0' && c <= L'9')
        return c - L'0';
    if (c >= L'a' && c <= L'f')
        return c - L'a' + 10;
    if (c >= L'A' && c <= L'F')
        return c - L'A' + 10;
    return -1;
}

bool ReadHex(std::wstring_view text, std::size_t pos, int digits, std::uint32_t& value) {
    value = 0;
    for (int i = 0; i < digits; ++i) {
        const int digit = HexValue(text[pos + i]);
        if (digit < 0)
            return false;
        value = value * 16 + static_cast<std::uint32_t>(digit);
    }
    return true;
}

} // namespace

TargetKind KindOfTarget(std::wstring_view additionalTarget) {
    static constexpr TargetKind kKinds[] = {TargetKind::Meter, TargetKind::ControlPanel, TargetKind::Folder,
                                            TargetKind::NewItem, TargetKind::SpecialCommand};
    for (std::size_t i = 0; i < std::size(kPrefixes); ++i) {
        if (additionalTarget.starts_with(kPrefixes[i])) {
            return kKinds[i];
        }
    }
    return TargetKind::File;
}

TargetKind KindOf(const ShortcutRecord& shortcut) {
    return KindOfTarget(shortcut.AdditionalTarget());
}

std::wstring_view TargetArgument(std::wstring_view additionalTarget) {
    for (std::wstring_view prefix : kPrefixes) {
        if (additionalTarget.starts_with(prefix)) {
            return additionalTarget.substr(prefix.size());
        }
    }
    return additionalTarget;
}

bool IsThemePackage(std::wstring_view target) {
    return target.ends_with(kThemePackageSuffix);
}

std::wstring TargetCaption(std::wstring_view target, std::wstring_view additionalTarget,
                           std::wstring_view toolTipTitle, bool storedOnly) {
    if (storedOnly || !toolTipTitle.empty()) {
        return std::wstring(toolTipTitle);
    }
    if (additionalTarget.starts_with(kFolderPrefix)) {
        return std::wstring(target);
    }
    std::wstring_view name = target;
    const std::size_t slash = name.rfind(L'\\');
    if (slash != std::wstring_view::npos) {
        name.remove_prefix(slash + 1);
    }
    if (name.ends_with(L".lnk")) {
        name.remove_suffix(4);
    }
    return std::wstring(name);
}

int ParseDecimal(std::wstring_view text) {
    std::size_t pos = 0;
    while (pos < text.size() && (text[pos] == L' ' || text[pos] == L'\t')) {
        ++pos;
    }
    bool negative = false;
    if (pos < text.size() && (text[pos] == L'+' || text[pos] == L'-')) {
        negative = text[pos] == L'-';
        ++pos;
    }
    long long value = 0;
    for (; pos < text.size() && text[pos] >= L'0' && text[pos] <= L'9'; ++pos) {
        value = value * 10 + (text[pos] - L'0');
        if (value > static_cast<long long>(INT_MAX) + 1) {
            value = static_cast<long long>(INT_MAX) + 1;
        }
    }
    if (negative) {
        value = -value;
    }
    if (value > INT_MAX) {
        value = INT_MAX;
    }
    return static_cast<int>(value);
}

ControlPanelTarget ParseControlPanelTarget(std::wstring_view additionalTarget) {
    ControlPanelTarget applet;
    if (additionalTarget.size() < kControlPanelPrefix.size()) {
        return applet;
    }
    const std::size_t bar = additionalTarget.find(L'|', kControlPanelPrefix.size());
    if (bar == std::wstring_view::npos) {
        return applet;
    }
    applet.file.assign(additionalTarget.substr(kControlPanelPrefix.size(), bar - kControlPanelPrefix.size()));
    applet.index = ParseDecimal(additionalTarget.substr(bar + 1));
    return applet;
}

std::wstring ControlPanelCommandLine(const ControlPanelTarget& applet) {
    return applet.file + L"," + std::to_wstring(applet.index) + L",0";
}

bool IsPowerApplet(const ControlPanelTarget& applet) {
    return applet.index == 3 && std::wstring_view(applet.file).ends_with(L"cplmain.cpl");
}

bool UsesPowerProgramIcon(const ControlPanelTarget& applet) {
    const std::wstring lowered = LowerCase(applet.file);
    return (applet.index == 3 && lowered.ends_with(L"cplmain.cpl")) ||
           (applet.index == 5 && lowered.ends_with(L"mycpl.cpl"));
}

bool ParseClassId(std::wstring_view text, ClassId& classId) {
    // {XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}: 38 characters.
    if (text.size() != 38 || text[0] != L'{' || text[37] != L'}' || text[9] != L'-' || text[14] != L'-' ||
        text[19] != L'-' || text[24] != L'-') {
        return false;
    }
    ClassId parsed;
    std::uint32_t value = 0;
    if (!ReadHex(text, 1, 8, value))
        return false;
    parsed.data1 = value;
    if (!ReadHex(text, 10, 4, value))
        return false;
    parsed.data2 = static_cast<std::uint16_t>(value);
    if (!ReadHex(text, 15, 4, value))
        return false;
    parsed.data3 = static_cast<std::uint16_t>(value);
    static constexpr std::size_t kBytePositions[] = {20, 22, 25, 27, 29, 31, 33, 35};
    for (int i = 0; i < 8; ++i) {
        if (!ReadHex(text, kBytePositions[i], 2, value))
            return false;
        parsed.data4[i] = static_cast<std::uint8_t>(value);
    }
    classId = parsed;
    return true;
}

std::wstring FormatClassId(const ClassId& id) {
    wchar_t buffer[48];
    std::swprintf(buffer, std::size(buffer), L"{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                  static_cast<unsigned>(id.data1), static_cast<unsigned>(id.data2),
                  static_cast<unsigned>(id.data3), id.data4[0], id.data4[1], id.data4[2], id.data4[3],
                  id.data4[4], id.data4[5], id.data4[6], id.data4[7]);
    return buffer;
}

std::wstring_view NewItemName(std::wstring_view classIdText) {
    return Lookup(std::begin(kNewItems), std::end(kNewItems), classIdText);
}

std::wstring_view SpecialCommandIconName(std::wstring_view command) {
    return Lookup(std::begin(kSpecialIcons), std::end(kSpecialIcons), command);
}

std::wstring TargetIconImageName(std::wstring_view additionalTarget, int iconNumber) {
    std::wstring base;
    switch (KindOfTarget(additionalTarget)) {
    case TargetKind::SpecialCommand:
        base = SpecialCommandIconName(TargetArgument(additionalTarget));
        break;
    case TargetKind::NewItem: {
        const std::wstring_view name = NewItemName(TargetArgument(additionalTarget));
        if (!name.empty()) {
            base = L"new_" + std::wstring(name);
        }
        break;
    }
    default:
        break;
    }
    if (base.empty()) {
        return base;
    }
    return base + std::to_wstring(iconNumber) + L".tga";
}

int MeterIconSize(bool large, bool highResolution, bool trueVga, bool inSpecialTab) {
    if (trueVga && inSpecialTab) {
        return 16;
    }
    if (large && highResolution) {
        return 64;
    }
    return (large || highResolution) ? 32 : 16;
}

std::wstring_view StripEnclosingQuotes(std::wstring_view path) {
    if (path.size() >= 2 && path.front() == L'"' && path.back() == L'"') {
        path.remove_prefix(1);
        path.remove_suffix(1);
    }
    return path;
}

} // namespace norvane
