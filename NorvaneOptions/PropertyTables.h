// The options of the Additional Properties dialog: the two every shortcut has
// (its display name and command line) and those of each special command, with
// the editor each shows and how the editor's value maps onto the shortcut's
// properties, both ways. Portable (no Windows header).
#pragma once

#include "Settings.h"

#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace norvane::options {

enum class PropertyEditor : int {
    CheckBox = 0,
    ChoiceList = 1,
    FolderField = 4,  // text with "..." that picks a folder
    TextField = 5,    // text alone
    ContactField = 6, // text with "..." that picks a contact's number
};

enum class PropertyRule {
    Caption,     // the shortcut's display name
    CommandLine, // the shortcut's command-line parameters
    Flag,        // "1" or "0"
    Text,        // free text, cut to limit
    Rotation,    // the six rotation modes
    Count,       // "1" to "15"
    Format,      // "BMP", "JPG"
    ColorDepth,  // "Default", 8, 16, 24 bpp
    Delay,       // "Immediately", 1 to 15 seconds (stores the choice)
    RepeatDelay, // 1 to 15 seconds (stores the choice plus one)
    SelectedTab, // the ordinary tabs' names; stores the UniqueID
};

struct PropertyOption {
    unsigned textId; // "Title\nDescription"
    PropertyEditor editor;
    PropertyRule rule;
    const wchar_t* key = L""; // the property it edits (lower case)
    std::size_t limit = 0;    // text fields: most characters kept (0: none)
};

// The options for a shortcut's additional target: the common two first.
std::vector<const PropertyOption*> PropertyOptionsFor(std::wstring_view additionalTarget);

struct PropertyChoice {
    std::wstring text;
    std::wstring stored;
};
std::vector<PropertyChoice> PropertyChoices(const PropertyOption& option, const Settings& settings,
                                            const std::function<std::wstring(unsigned)>& text);
// The choice that shows the stored value: the fallback (0) when none matches.
int ShownPropertyChoice(const PropertyOption& option, const std::vector<PropertyChoice>& choices,
                        std::wstring_view stored);

// Reading and writing text and flag editors.
std::wstring ReadProperty(const PropertyOption& option, const ShortcutRecord& shortcut);
// Stores text (cut to the option's limit); a check box stores "1" or "0".
void WriteProperty(const PropertyOption& option, ShortcutRecord& shortcut, std::wstring_view text);

// Text of a delay choice: "%d %s" with "second" or "seconds".
std::wstring DelayText(int seconds, const std::function<std::wstring(unsigned)>& text);

} // namespace norvane::options
