// TabRecord: one tab, ordinary or special, with the shortcuts it owns.
#pragma once

#include "ShortcutRecord.h"

#include <memory>
#include <string>
#include <vector>

namespace norvane {

// SpecialType of a tab section; 0 is an ordinary tab.
enum class SpecialTabType : int {
    None = 0,
    ShellTray = 1,
    TaskManager = 2,
    TopBar = 3,
    QuickLaunch = 4,
    LeftSoftkey = 5,
    RightSoftkey = 6,
    MeterBar = 7,
};
inline constexpr int kSpecialTabCount = 7;

struct TabRecord {
    std::wstring Name;
    std::wstring Image;
    // The tab's section number minus 1 when it was loaded.
    int Index = 0;
    int UniqueID = 0;
    bool SnapBack = false;
    int CaptionsEnabled = 0;
    bool Hidden = false;
    int OverrideDisplayMode = -1;
    bool FreePlacedPortrait = false;
    bool FreePlacedLandscape = false;
    SpecialTabType SpecialType = SpecialTabType::None;
    std::vector<std::unique_ptr<ShortcutRecord>> Shortcuts;

    ShortcutRecord& AddShortcut() { return *Shortcuts.emplace_back(std::make_unique<ShortcutRecord>()); }
};

} // namespace norvane
