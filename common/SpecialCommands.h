// The nine built-in commands a shortcut runs with the additional target
// "special:" and a command name: their names, the properties a new shortcut of
// each starts with, the string ids of their display names, and the small rules
// that decide what a command does (the rotation table, the SMS parameters).
// Portable: the item and the options program share it; the commands themselves
// run in the item (Norvane/SpecialCommands).
#pragma once

#include "PropertyList.h"

#include <string>
#include <string_view>

namespace norvane {

class ShortcutRecord;

enum class SpecialCommand {
    Unknown,
    SoftReset,
    PowerOff,
    ScreenCapture,
    Rotate,
    TabMenu,
    Sms,
    PhoneCall,
    JumpToTab,
    MinMax,
};

namespace specialname {
inline constexpr wchar_t kSoftReset[] = L"softreset";
inline constexpr wchar_t kPowerOff[] = L"poweroff";
inline constexpr wchar_t kScreenCapture[] = L"screencapture";
inline constexpr wchar_t kRotate[] = L"rotate";
inline constexpr wchar_t kTabMenu[] = L"tabmenu";
inline constexpr wchar_t kSms[] = L"sms";
inline constexpr wchar_t kPhoneCall[] = L"phonecall";
inline constexpr wchar_t kJumpToTab[] = L"jumptotab";
inline constexpr wchar_t kMinMax[] = L"minmax";
} // namespace specialname

// Property keys, lower case as they are stored.
namespace specialkey {
inline constexpr wchar_t kPromptBeforeReset[] = L"promptbeforereset";
inline constexpr wchar_t kColorDepth[] = L"colordepth";
inline constexpr wchar_t kDelay[] = L"delay";
inline constexpr wchar_t kCount[] = L"count";
inline constexpr wchar_t kRepeatDelay[] = L"repeatdelay";
inline constexpr wchar_t kPromptBeforeStarting[] = L"promptbeforestarting";
inline constexpr wchar_t kPromptAfterFinishing[] = L"promptafterfinishing";
inline constexpr wchar_t kPath[] = L"path";
inline constexpr wchar_t kPrefix[] = L"prefix";
inline constexpr wchar_t kFormat[] = L"format";
inline constexpr wchar_t kMode[] = L"mode";
inline constexpr wchar_t kUniqueTabId[] = L"uniquetabid";
inline constexpr wchar_t kPhoneNumber[] = L"phonenumber";
inline constexpr wchar_t kSmsDefaultBody[] = L"smsdefaultbody";
inline constexpr wchar_t kPromptBeforeDialing[] = L"promptbeforedialing";
} // namespace specialkey

// The text after "special:" as a command; names are compared exactly, so
// "SoftReset" is no command.
SpecialCommand SpecialCommandOf(std::wstring_view name);
// The command of a shortcut whose additional target is "special:" + name;
// Unknown for any other target.
SpecialCommand SpecialCommandOfTarget(std::wstring_view additionalTarget);

// The string id of the command's display name ("Soft-Reset" is 10149, ...); 0
// for Unknown.
unsigned SpecialCommandNameId(SpecialCommand command);

// The properties a new shortcut of the command starts with: soft reset asks
// first, rotation turns left and back, screen capture has its whole set with
// the documents folder as its path. Every other command starts with none.
PropertyList SpecialCommandDefaults(std::wstring_view command, std::wstring_view documentsFolder);
// Clears the shortcut's properties and, when its additional target names a
// special command, gives it that command's defaults.
void SetDefaultSpecialProperties(ShortcutRecord& shortcut, std::wstring_view documentsFolder);

// A boolean property: only the exact text "1" is true.
inline bool IsTrueProperty(std::wstring_view value) {
    return value == L"1";
}

// Display orientations as the device numbers them (DMDO_0, _90, _180, _270).
namespace orientation {
inline constexpr int k0 = 0;
inline constexpr int k90 = 1;
inline constexpr int k180 = 2;
inline constexpr int k270 = 4;
} // namespace orientation

// The orientation the rotate command turns to from the current one, by the
// Mode property (lower-cased first; empty is "left-restore", an unknown text
// restores). An unknown current orientation counts as 0 degrees.
int NextOrientation(std::wstring_view mode, int current);

// The parameters of the messaging program for an SMS: -to "number" -body
// "body" -service "SMS".
std::wstring SmsParameters(std::wstring_view phoneNumber, std::wstring_view body);

// A decimal property as the system reads numbers: optional blanks and sign,
// then digits; anything else ends the number, and text without digits is 0.
// Values beyond the int range are held at its ends.
int PropertyInteger(std::wstring_view text);

} // namespace norvane
