// The seam to the target browser, the dialog in which the user picks programs,
// documents, folders, control-panel pages, new-item forms, special commands and
// meters as shortcut targets. The shortcut editor that comes with it replaces
// BrowseTargets; until then the one set-up the Options page needs (a single
// program, for "Folders Open With App") goes through the platform's open
// dialog, and every other set-up says that the browser is not there yet.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace norvane::options {

class OptionsApp;

struct TargetBrowserSetup {
    bool multipleSelection = false; // several rows ("/select:")
    bool programsOnly = false;      // only programs ("Folders Open With App")
};

struct ChosenTarget {
    std::wstring path;       // the file, or the name of the target
    std::wstring additional; // its additional target text ("meter:...", ...)
};

// Runs the browser modally; false when the user cancels (or it cannot run).
bool BrowseTargets(OptionsApp& app, HWND owner, const TargetBrowserSetup& setup,
                   std::vector<ChosenTarget>& chosen);

} // namespace norvane::options
