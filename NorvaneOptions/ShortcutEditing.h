// The rules of the Shortcuts page and the target browser that need no window:
// the seven special tabs with their limits, which buttons a selection allows,
// what a row shows, how many chosen targets fit, which question follows a new
// shortcut, and the browser's folder arithmetic, listing filters and results.
// Portable (no Windows header), so the tests check them natively.
#pragma once

#include "Settings.h"

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace norvane::options {

inline constexpr int kNoLimit = -1;
// The tab choice list's type of an ordinary tab.
inline constexpr int kOrdinaryTabType = -1;

// A special tab as the tab choice list offers it, after the ordinary tabs.
struct SpecialTabInfo {
    SpecialTabType type;
    unsigned nameId;
    int limit;
    unsigned infoId; // the "Special Tab" button's text; "%d" is the limit
};
std::span<const SpecialTabInfo> SpecialTabInfos();

// The tab at a position of the tab choice list: the ordinary tabs first, then
// the seven special tabs. tab is null when the position names none.
struct ShownTab {
    TabRecord* tab = nullptr;
    int type = kOrdinaryTabType; // 0 to 6 for the special tabs
    int limit = kNoLimit;
};
ShownTab TabAtChoice(Settings& settings, int position);
// " * " + name + " * ", as the special tabs are listed.
std::wstring SpecialTabChoiceText(const std::wstring& name);

// The page's buttons for n shortcuts with row s selected (-1: none).
struct ShortcutButtons {
    bool moveUp = false;
    bool moveDown = false;
    bool add = false;
    bool remove = false;
    bool additional = false;
    bool image = false;
    bool largeIcon = false;
    bool specialTab = false; // shown, not only enabled
};
ShortcutButtons ButtonStates(int count, int selected, int limit, bool specialTab, bool selectedIsMeter);

// A row's text: the caption when the shortcut has one, else its name; with
// fileNamesOnly a name holding a backslash is cut to what follows the last one.
std::wstring ShortcutRowText(const ShortcutRecord& shortcut, bool fileNamesOnly);
// The text after the last backslash (all of it when there is none).
std::wstring AfterLastBackslash(std::wstring_view text);

// How many of the chosen entries a tab takes.
int EntriesToAdd(int chosen, int limit, int present);
// The row selected after row removed went away, with countAfter rows left (-1: none).
int SelectionAfterRemoval(int removed, int countAfter);

// The question a new shortcut of a target asks.
enum class FollowUp { None, MeterPath, PhoneNumber, TabChooser };
FollowUp FollowUpOf(std::wstring_view additionalTarget);
// Targets whose path can be changed in the browser: plain files and "folder:".
bool OffersChangeTarget(std::wstring_view additionalTarget);
// The word the phone-number question uses: 0 SMS, 1 phone call, 2 "action".
int PhoneNumberSubject(std::wstring_view additionalTarget);

// The target browser's folder arithmetic. Folders always end in a backslash.
std::wstring FolderUp(std::wstring_view folder);
// "This Dir": the display name and the additional target of a folder.
struct BrowserEntry {
    std::wstring path;       // the path, or the display name
    std::wstring additional; // the additional target ("" for a file)
};
BrowserEntry ThisFolderEntry(std::wstring_view folder, std::wstring_view displayPrefix);

// One row of the browser's file mode.
enum class RowKind { File = 0, Folder = 1, Target = 2 };
struct FileRow {
    std::wstring name;
    RowKind kind = RowKind::File;
};
// Whether the file mode lists an entry ("." and ".." never; in program-only
// mode only folders and names ending in ".exe", in any case).
bool ListedInFileMode(std::wstring_view name, bool folder, bool programsOnly);
// Folders first, then files, each by name regardless of case.
void SortFileRows(std::vector<FileRow>& rows);
// Control-panel modules that are never offered.
bool IsExcludedControlPanelModule(std::wstring_view fileName);
// White space trimmed at both ends.
std::wstring TrimBlanks(std::wstring_view text);

} // namespace norvane::options
