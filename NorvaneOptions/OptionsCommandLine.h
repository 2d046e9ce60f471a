// What NorvaneOptions.exe makes of its command line. The launcher starts it with
// at most one switch; each switch opens one focused editor, anything else opens
// the full options frame. Portable (no Windows header), so the rules are built
// natively and tested and fuzzed under the sanitizers.
#pragma once

#include <string>
#include <string_view>

namespace norvane::options {

enum class StartAction {
    Frame,                 // the options frame (with "/showtab:" a preselected tab)
    Theme,                 // "/theme": install the pending Today theme
    Select,                // "/select:%d": add shortcuts to a tab
    Image,                 // "/image:%d:%d": change a tab's or a shortcut's image
    Target,                // "/target:%d:%d": change a shortcut's target
    Additional,            // "/additional:%d:%d": a shortcut's additional properties
    TaskManagerExceptions, // "/taskmanagerexceptions"
};

struct StartCommand {
    StartAction action = StartAction::Frame;
    // Zero-based positions in the settings record. "/select:" gives only the tab;
    // the two-index switches give -1 for both when their text has no colon.
    int tab = -1;
    int shortcut = -1;
    // The two-index switches: whether the text had the colon that makes them act.
    bool hasIndices = false;
    // The launcher tab to preselect in the frame, -1 when none was given.
    int showTab = -1;
};

// The switch texts as the launcher writes them.
namespace switches {
inline constexpr std::wstring_view kTheme = L"/theme";
inline constexpr std::wstring_view kSelect = L"/select:";
inline constexpr std::wstring_view kImage = L"/image:";
inline constexpr std::wstring_view kTarget = L"/target:";
inline constexpr std::wstring_view kAdditional = L"/additional:";
inline constexpr std::wstring_view kTaskManagerExceptions = L"/taskmanagerexceptions";
inline constexpr std::wstring_view kShowTab = L"/showtab:";
} // namespace switches

// The whole argument string, tested in the launcher's order: the exact words
// first, then the prefixes, each compared on exactly its own length and with
// regard to case. Anything else opens the frame.
StartCommand ParseStartCommand(std::wstring_view arguments);

// A decimal number as the C library's atoi reads one: leading blanks, an
// optional sign, then digits up to the first non-digit; no digits read as 0.
// Out-of-range numbers are held at the int's limits instead of overflowing.
int DecimalPrefix(std::wstring_view text);

} // namespace norvane::options
