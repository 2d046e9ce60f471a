// The start-up switches that make one focused edit without the frame: the
// image of a tab or shortcut, the task-manager exceptions, the Today theme
// installation, and the shortcut switches (adding shortcuts to a tab, a
// shortcut's target, its additional properties). Each builds a
// settings record of its own, edits it and, unless the user cancelled, saves it
// and tells the item.
#pragma once

#include "OptionsCommandLine.h"

#include <windows.h>

#include <string>

namespace norvane {
class Settings;
struct TabRecord;
} // namespace norvane

namespace norvane::options {

class OptionsApp;

// What a single-edit switch ended with.
enum class EditOutcome {
    NothingDone, // a bad index, no colon, or Cancel
    Saved,       // written and broadcast
    SaveFailed,  // the dialog ended with OK but the file could not be written
};

EditOutcome RunSingleEdit(OptionsApp& app, const StartCommand& command, HWND owner);

// The tab a switch names: the ordinary tabs first, then the seven special tabs
// in type order (as the item numbers them); null when the index names none.
TabRecord* TabAtSwitchIndex(Settings& settings, int index);

// "/theme": the pending theme package (ThemePath) through the cabinet
// installer, then Skin and a Today refresh. True when the installer ran.
bool InstallPendingTheme(OptionsApp& app);
// The installer's arguments for a theme package.
std::wstring ThemeInstallerArguments(const std::wstring& themePath);

} // namespace norvane::options
