// Settings: the launcher's whole configuration in memory. General options, the
// ordinary tabs with their shortcuts, the seven special tabs, the storage-card paths
// of meters and the task-manager exceptions; loaded from and saved to Norvane.ini,
// with a few values mirrored into the registry for components that cannot read the
// file.
#pragma once

#include "SettingsFile.h"
#include "TabRecord.h"

#include <array>
#include <map>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace norvane {

class SettingsEnvironment;

// Section "General", one field per key, named as the key. Scaled defaults and the
// caption height are set by the Settings constructor.
struct GeneralOptions {
    bool ShowBrowseIcons = true;
    int BehaviorMode = 4;
    int IconDisplayMode = 3;
    bool FreeIconPlacement = false;
    int BottomAlign = 4;
    bool RunMinimized = false;
    bool RefreshOnMinimize = false;
    bool RefreshOnResize = false;
    bool RefreshOnStorageCardChange = false;
    int ShowSystemInfo = 0;
    int PostLoadRefresh = 0;
    bool TrayReverseOrder = false;
    bool FullscreenUseDesktop = false;
    int TrueVGA = 0;
    int TrueVGAOptions = 0;
    bool RememberFileBrowsePath = true;
    int RowCount = 0;
    int HeightInPixels = 0;
    int LandscapeHeightInPixel = 0;
    int TabWidth = 40;
    int FontSize = 12;
    int TabNameAlignment = 1;
    int IconSpacing = 2;
    bool DeferIconLoading = false;
    bool AllowScrolling = true;
    bool HideSettingsBtn = true;
    bool ShowFileNamesOnly = false;
    std::wstring AdditionalMeterPath;
    std::wstring AdditionalImagesPath;
    std::wstring MeterBar = L"Battery";
    int MeterTap = 0;
    bool DefaultLargeIcons = true;
    std::wstring PreferredFolderApp = L"\\windows\\fexplore.exe";
    bool FolderAppQuotes = false;
    bool ShowShortcutContextMenu = true;
    bool AllowDragAndDropOnShortcuts = true;
    bool TopBarIconRightAlignment = true;
    bool TopBarIconLocked = false;
    int CaptionAlignment = 1;
    int SmallIconCaptionMode = 2;
    bool HalfHeightCaptions = false;
    int ShowCaptionsForMeters = 0;
    int ShadowStyleForCaptions = 1;
    bool BoldForCaptions = false;
    int ShadowStyleForTabs = 1;
    bool BoldForTabs = false;
    bool DPadSupport = true;
    int DPadAction = 0;
    ColorValue CaptionColor = kAutomaticColor;
    ColorValue CaptionShadowColor = kAutomaticColor;
    int CaptionFontSize = 12;
    int CaptionHeight = 13;
    int ExtraCaptionWidth = 0;
    ColorValue TabTextColor = kAutomaticColor;
    ColorValue TabTextShadowColor = kAutomaticColor;
    ColorValue CurrentTabTextColor = kAutomaticColor;
    ColorValue CurrentTabTextShadowColor = kAutomaticColor;
    ColorValue SelectedCaptionColor = kAutomaticColor;
    ColorValue SelectedCaptionShadowColor = kAutomaticColor;
    ColorValue LineSeparatorsColor = kAutomaticColor;
    bool HideSeparatorLines = false;
    ColorValue SelectedItemColor = kAutomaticColor;
    int TabHeight = 16;
    int TabExtraHeight = 4;
    ColorValue TabBGColor = kAutomaticColor;
    int TabOpacity = 0;
    ColorValue CurrentTabBGColor = kAutomaticColor;
    int CurrentTabOpacity = 15;
    int SelectedShortcutOpacity = 40;
    ColorValue FloatingPanelColor = MakeColor(0, 0, 0);
    int FloatingPanelOpacity = 15;
    std::wstring CaptionFont;
    std::wstring TabFont;
    bool UsePollingForBattery = false;
    int ShowTaskManager = 1;
    int TaskManagerCommandMask = 28687;
    int TopBarMeterAction = 1;
    bool XButtonCloses = false;
    bool ShowRunningPrograms = false;
    int RunningProgramsStart = 28;
    bool RunningProgramsRightAlign = false;
    bool RunningProgramsShowDesktop = true;
    int RunningProgramsLimitPortrait = 10;
    int RunningProgramsLimitLandscape = 10;
    bool RunningProgramsHideTitles = false;
    int RunningProgramsSpacing = 2;
    bool UseFloatingPanels = false;
    bool AltTabMode = false;
    int AltTabDelay = 3000;
    bool TaskManagerShowIcons = true;
    int SafeModePromptMode = 2;
    bool AutoSafeMode = false;
    int AnimateTaskManager = 0;
    int TopBarShortcutX = 100;
    bool KeepTaskManagerOpen = false;
    bool AddTaskManagerPrefixes = true;
};

enum class GeneralKeyType { Bool, Int, Color, String };

// One key of section "General", in the order Save writes them.
struct GeneralKey {
    const wchar_t* Name;
    GeneralKeyType Type;
    bool GeneralOptions::*BoolField = nullptr;
    int GeneralOptions::*IntField = nullptr;
    ColorValue GeneralOptions::*ColorField = nullptr;
    std::wstring GeneralOptions::*StringField = nullptr;
};
std::span<const GeneralKey> GeneralKeys();

// Names as the settings file spells them.
namespace settings_keys {
inline constexpr wchar_t kGeneral[] = L"General";
inline constexpr wchar_t kStorageCardPaths[] = L"StorageCardPaths";
inline constexpr wchar_t kTaskManagerExceptions[] = L"TaskManagerExceptions";
inline constexpr wchar_t kTabSection[] = L"Tab%d";
inline constexpr wchar_t kCenterIcons[] = L"CenterIcons";
inline constexpr wchar_t kTopBarMeterIni[] = L"TopBarMeterIni";
inline constexpr wchar_t kExcludeTrayTab[] = L"ExcludeTrayTab";
inline constexpr wchar_t kShellTray[] = L"ShellTray";
inline constexpr wchar_t kMeterIniPath[] = L"MeterIniPath";
inline constexpr wchar_t kStorageCardPath[] = L"StorageCardPath";
// Keys of a tab section in the order Save writes them.
inline constexpr const wchar_t* kTabKeys[] = {L"Name",
                                              L"UniqueID",
                                              L"SnapBack",
                                              L"Image",
                                              L"OverrideDisplayMode",
                                              L"CaptionsEnabled",
                                              L"Hidden",
                                              L"SpecialType",
                                              L"FreePlacedPortrait",
                                              L"FreePlacedLandscape"};
// Numbered keys of a shortcut ("Shortcut%d" ...), in the order Save writes them.
inline constexpr const wchar_t* kShortcutKeys[] = {
    L"Shortcut",       L"ShortcutAdditional", L"ShortcutBitmapIcon", L"LargeIcon",   L"ToolTipTitle",
    L"CaptionEnabled", L"LocationPortrait",   L"LocationLandscape",  L"CommandLine", L"SpecialProperties"};
} // namespace settings_keys

// Flags of VisibleTabs.
inline constexpr unsigned kVisibleTabsIncludeHidden = 1;
inline constexpr unsigned kVisibleTabsNoFallback = 2;

// "Shortcut tab %d" and the like: a name and a decimal number run together.
std::wstring NumberedKey(std::wstring_view prefix, int number);

class Settings {
public:
    // The platform's environment (registry, folders, display) by default. The
    // environment must outlive the record.
    Settings();
    explicit Settings(SettingsEnvironment& environment);
    ~Settings();
    Settings(const Settings&) = delete;
    Settings& operator=(const Settings&) = delete;

    GeneralOptions General;
    // Set before Load by owners that have no use for the shortcuts' icons.
    bool SkipIcons = false;

    // Reads the settings file, or path instead of it (import: the settings file's
    // path stays). Missing or unreadable files leave the values as they are and give
    // one tab "Norvane". True when at least one ordinary tab exists.
    bool Load(const std::wstring& path = std::wstring());
    // Loads from the bytes of a file as Load would, without touching any disk.
    bool LoadFromBytes(std::string_view bytes);
    // Writes the settings file, or path instead of it (export). The file on disk is
    // replaced only when the whole new text was written.
    bool Save(const std::wstring& path = std::wstring());
    // The bytes Save would write.
    std::string SaveToBytes();

    // The settings file's path, built (and its folders created) on first need.
    const std::wstring& Path() const { return m_file.Path(); }
    void SetPath(std::wstring path) { m_file.SetPath(std::move(path)); }
    std::wstring BuildPath();

    std::vector<std::unique_ptr<TabRecord>>& Tabs() { return m_tabs; }
    const std::vector<std::unique_ptr<TabRecord>>& Tabs() const { return m_tabs; }
    TabRecord& AddTab();
    TabRecord& SpecialTab(SpecialTabType type);
    const TabRecord& SpecialTab(SpecialTabType type) const;
    std::vector<TabRecord*> VisibleTabs(unsigned flags = 0) const;
    int NextUniqueTabId() const;

    // Storage cards of meters, by lower-cased meter definition path.
    std::optional<std::wstring> StorageCardPath(std::wstring_view meterPath) const;
    void SetStorageCardPath(std::wstring_view meterPath, std::wstring_view cardPath);
    const std::map<std::wstring, std::wstring, std::less<>>& StorageCardPaths() const { return m_cardPaths; }

    // Task-manager exceptions, by trimmed window title: bits 1 hide, 2 minimize
    // only, 4 ignore close-all.
    int ExceptionFlags(std::wstring_view title) const;
    // Clears the bits when any of them is set, else sets them; an entry left with no
    // bit is removed.
    void ToggleExceptionFlags(std::wstring_view title, int bits);
    const std::map<std::wstring, int, std::less<>>& Exceptions() const { return m_exceptions; }
    // Replaces the whole list (the exceptions dialog's OK); entries with no bit
    // left are dropped, as a toggle would drop them.
    void SetExceptions(const std::map<std::wstring, int, std::less<>>& exceptions);

    SettingsEnvironment& Environment() const { return m_env; }

private:
    void LoadParsedFile();
    void FillTab(TabRecord& tab, const std::wstring& section, int number, int& builtinCounter);
    void ReadShortcuts(TabRecord& tab, const std::wstring& section);
    void AddDefaultSpecialShortcuts(bool seenTaskManager, bool seenTopBar,
                                    const std::wstring& topBarMeterIni);
    void FillShellTray(bool seenShellTray, std::unique_ptr<TabRecord> keptAside);
    void ApplyDisplayFlags();
    bool FillFile();
    void WriteRegistryMirror();

    SettingsEnvironment& m_env;
    SettingsFile m_file;
    std::vector<std::unique_ptr<TabRecord>> m_tabs;
    std::array<std::unique_ptr<TabRecord>, kSpecialTabCount> m_special;
    std::map<std::wstring, std::wstring, std::less<>> m_cardPaths;
    std::map<std::wstring, int, std::less<>> m_exceptions;
};

} // namespace norvane
