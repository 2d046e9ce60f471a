// Turning chosen targets into shortcuts: the procedure behind "Add..." on the
// Shortcuts page and the "/select:" switch (a new record per entry with its
// target's default properties, the large-icon flag, and the follow-up question
// of meters, SMS, phone calls, tab menus and jump-to-tab), and the change of a
// shortcut's target behind "Change Target" and "/target:".
#pragma once

#include "TargetBrowser.h"

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace norvane {
class Settings;
class ShortcutRecord;
struct TabRecord;
} // namespace norvane

namespace norvane::options {

class OptionsApp;

struct AddRequest {
    TabRecord* tab = nullptr;
    int limit = -1;          // kNoLimit for ordinary tabs
    bool largeIcons = false; // set the large-icon flag on each new shortcut
    bool fullScreenPhone = false;
};

// Adds the first entries that fit; added is called after each shortcut went
// into the tab (with its index). Returns how many were added.
int AddChosenTargets(OptionsApp& app, Settings& settings, const AddRequest& request,
                     const std::vector<ChosenTarget>& chosen, HWND owner,
                     const std::function<void(int index)>& added = nullptr);

// A new shortcut's target and its target's default properties.
void SetTargetWithDefaults(ShortcutRecord& shortcut, const ChosenTarget& entry);
// "Change Target": the entry's texts replace the shortcut's; unless the user
// keeps them, its properties go back to the new target's defaults.
void ChangeTarget(OptionsApp& app, ShortcutRecord& shortcut, const ChosenTarget& entry, HWND owner);

// Whether a meter shortcut's definition (loaded with its icon) measures a
// storage card, and so needs to know which card it stands for.
bool MeasuresStorageCard(const ShortcutRecord& shortcut);

// The meters below a folder (with its closing "\"): each sub-folder holding a
// readable definition "meter.ini" (one that draws at least one status value
// at the small icon size), by the sub-folder's name.
struct MeterEntry {
    std::wstring name;
    std::wstring definition; // the definition file's path
};
std::vector<MeterEntry> InstalledMeters(const std::wstring& root, const Settings& settings);

} // namespace norvane::options
