// ShortcutTarget: what a shortcut's two texts mean. The additional target
// decides the kind by its prefix (compared exactly, in a fixed order); the
// target is a file to open, or the caption for most other kinds. Everything
// here is text work, so it builds everywhere; launching and icons live in
// common/win/ (ShortcutLaunch, TargetIcon).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace norvane {

class ShortcutRecord;

inline constexpr std::wstring_view kMeterPrefix = L"meter:";
inline constexpr std::wstring_view kControlPanelPrefix = L"cpl:";
// kFolderPrefix ("folder:") lives in ShortcutRecord.h, which needs it for captions.
inline constexpr std::wstring_view kNewItemPrefix = L"new:";
inline constexpr std::wstring_view kSpecialPrefix = L"special:";
inline constexpr std::wstring_view kThemePackageSuffix = L".tsk";
// The New menu's own entry: "new:Menu" opens the menu of the classes the shell knows.
inline constexpr std::wstring_view kNewMenuName = L"Menu";

// In the order the prefixes are tried; File is everything else (usually an empty
// additional target).
enum class TargetKind { Meter, ControlPanel, Folder, NewItem, SpecialCommand, File };

// The kind by the additional target's prefix: case-sensitive, "Folder:\x" is a file.
TargetKind KindOfTarget(std::wstring_view additionalTarget);
TargetKind KindOf(const ShortcutRecord& shortcut);

// The text after the kind's prefix (the whole text for File).
std::wstring_view TargetArgument(std::wstring_view additionalTarget);

// A target whose last four characters are exactly ".tsk" is a theme package: it
// is installed, never opened as a file, whatever the additional target says.
bool IsThemePackage(std::wstring_view target);

// The caption: with storedOnly the stored tooltip title; otherwise the title
// when set, the target as it is for a folder, else the target's file name (after
// the last "\") without a final ".lnk" (exact, lower case only).
std::wstring TargetCaption(std::wstring_view target, std::wstring_view additionalTarget,
                           std::wstring_view toolTipTitle, bool storedOnly);

// A control-panel applet, "cpl:" file "|" index. Without "|" the file is empty
// and the index 0, as the control panel has always been started then.
struct ControlPanelTarget {
    std::wstring file;
    int index = 0;
};
ControlPanelTarget ParseControlPanelTarget(std::wstring_view additionalTarget);
// "%s,%d,%d": file, index, 0.
std::wstring ControlPanelCommandLine(const ControlPanelTarget& applet);
// Applet 3 of a file whose last 11 characters are exactly "cplmain.cpl" is the
// power page, which the power program replaces.
bool IsPowerApplet(const ControlPanelTarget& applet);
// The applets whose icon is the power program's: 3 of "...cplmain.cpl" and 5
// of "...mycpl.cpl", the file compared in lower case.
bool UsesPowerProgramIcon(const ControlPanelTarget& applet);

// A decimal number as the C library reads one: leading blanks, a sign, digits up
// to the first other character; 0 when there are none. Clamped to the int range.
int ParseDecimal(std::wstring_view text);

// A class identifier in registry text form, "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}".
struct ClassId {
    std::uint32_t data1 = 0;
    std::uint16_t data2 = 0;
    std::uint16_t data3 = 0;
    std::uint8_t data4[8] = {};
    friend bool operator==(const ClassId&, const ClassId&) = default;
};
// False (and classId untouched) for anything but the braced form with hex digits.
bool ParseClassId(std::wstring_view text, ClassId& classId);
// The registry text form, upper-case hex digits.
std::wstring FormatClassId(const ClassId& classId);

// The name of a New-menu class for its icon files ("excel", "note", ..., "menu"
// for "Menu"), compared without regard to case; empty for an unknown class.
std::wstring_view NewItemName(std::wstring_view classIdText);
// The theme image base name of a special command ("softreset" -> "SoftReset"),
// compared without regard to case; empty for an unknown name.
std::wstring_view SpecialCommandIconName(std::wstring_view command);
// The theme image of a special-command or new-item shortcut for the icon number
// (16, 32, 64), e.g. "SoftReset32.tga" or "new_note16.tga"; empty when the name
// is unknown, so that the fallback picture is used instead of a file "32.tga".
std::wstring TargetIconImageName(std::wstring_view additionalTarget, int iconNumber);

// The image size a meter's definition is loaded with: 64 for a large shortcut on
// a high-resolution screen, 32 for a large one or a small one on a
// high-resolution screen, else 16; always 16 in a special tab under true-VGA.
int MeterIconSize(bool large, bool highResolution, bool trueVga, bool inSpecialTab);

// Removes one pair of double quotes around a whole path ("\"\My Documents\"").
std::wstring_view StripEnclosingQuotes(std::wstring_view path);

} // namespace norvane
