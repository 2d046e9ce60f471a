// The Options page's ten groups of options: for every option its text, the kind
// of value editor it shows and the way the editor's value maps onto the settings
// record, both ways. Portable (no Windows header): the page asks these tables
// what to offer and what to store, and the tests check every row natively.
#pragma once

#include "Settings.h"

#include <functional>
#include <span>
#include <string>
#include <vector>

namespace norvane::options {

// The value editor an option shows; the numbers are the option descriptors' own.
enum class EditorKind : int {
    CheckBox = 0,
    ChoiceList = 1,
    ProgramField = 2, // text with a "..." that picks a program
    Colour = 3,
    FolderField = 4, // text with a "..." that picks a folder
    Button = 7,      // a lone "..." button
};

// How a choice list is filled and how its choices map onto the setting.
enum class ChoiceRule {
    None,
    Fixed,          // listed texts with their values; optional fallback choice
    Range,          // numbers first..last (or up to a scaled limit), each storing itself
    BoolChoice,     // two texts storing off and on
    Height,         // "Automatically Determine" (0), then ScaleY(16) to the screen height
    Opacity,        // "0%" to "100%" in steps of 5
    TabWidth,       // nine widths ScaleX(20 + 10 i), stored scaled
    TabExtraHeight, // 21 choices showing ScaleY(i), storing i
    Font,           // "Default System Font" (empty), then the screen's font families
    SnapBack,       // "None", then the tab names; marks one tab
    MeterBar,       // five fixed texts, then one entry per storage card; stores the text
    AltTabDelay,    // "0.5 second(s)" ... "9.5 second(s)", storing milliseconds
    TrueVga,        // "No", "Yes", "Automatically Determine"; asks before a non-zero value
};

struct FixedChoice {
    unsigned textId;
    int value;
};

inline constexpr int kNoFallback = -1;

// Upper limits of number ranges that depend on the screen.
enum class RangeLimit {
    Fixed,        // OptionDescriptor::last
    ScaledX,      // ScaleX(last)
    LargerScreen, // the larger screen dimension minus 1
};

struct OptionDescriptor {
    unsigned textId; // "Title\nDescription" (or the title alone)
    EditorKind editor;
    const wchar_t* key; // the key of the General section it edits (empty: none)
    ChoiceRule rule = ChoiceRule::None;
    // The General field the editor reads and writes (one of them).
    bool GeneralOptions::*boolField = nullptr;
    int GeneralOptions::*intField = nullptr;
    ColorValue GeneralOptions::*colourField = nullptr;
    std::wstring GeneralOptions::*textField = nullptr;
    int maskBit = 0; // a check box over one bit of intField
    std::span<const FixedChoice> fixed = {};
    int first = 0;
    int last = 0;
    RangeLimit limit = RangeLimit::Fixed;
    // The index of the choice shown when the stored value names none (and, for
    // BottomAlign, only above the last value), or kNoFallback.
    int fallback = kNoFallback;
    // Choice lists headed by one extra choice storing 0 ("None") before the range.
    unsigned noneTextId = 0;
};

struct OptionGroup {
    unsigned nameId;
    std::span<const OptionDescriptor> options;
};

// The groups in the order of the group list; group 0 opens first.
std::span<const OptionGroup> OptionGroups();
inline constexpr int kCustomizedTabsGroup = 1;
inline constexpr int kCustomizedTabsMode = 2;

// One entry of a choice list: the text shown and what choosing it stores.
struct Choice {
    std::wstring text;
    int value = 0;
    std::wstring storedText; // for the rules that store text (fonts, meter bar)
};

// What the choice lists need of the world around them.
struct OptionContext {
    std::function<std::wstring(unsigned)> text; // string-table lookup
    int screenWidth = 240;
    int screenHeight = 320;
    std::vector<std::wstring> fontFamilies; // in the order the platform gives them
    std::vector<std::wstring> storageCards; // card folder names ("Storage Card")
};

std::vector<Choice> ChoicesOf(const OptionDescriptor& option, const Settings& settings,
                              const OptionContext& context);
// The index of the choice that shows the stored value, or -1 for none.
int ShownChoice(const OptionDescriptor& option, const Settings& settings, const std::vector<Choice>& choices);
// Stores the choice (BottomAlign, fonts, snap-back marks, ...).
void StoreChoice(const OptionDescriptor& option, Settings& settings, const Choice& choice);

bool ReadFlag(const OptionDescriptor& option, const Settings& settings);
void WriteFlag(const OptionDescriptor& option, Settings& settings, bool on);
std::wstring ReadText(const OptionDescriptor& option, const Settings& settings);
void WriteText(const OptionDescriptor& option, Settings& settings, const std::wstring& text);
ColorValue ReadColour(const OptionDescriptor& option, const Settings& settings);
void WriteColour(const OptionDescriptor& option, Settings& settings, ColorValue colour);

// An option's text split at its first line break: the title the list shows and
// the description line (empty when there is none).
std::wstring OptionTitle(const std::wstring& text);
std::wstring OptionDescription(const std::wstring& text);

// Folder pickers hand back a folder; the setting keeps it with a closing "\".
std::wstring WithTrailingBackslash(std::wstring folder);

} // namespace norvane::options
