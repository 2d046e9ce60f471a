// Loading and saving the settings record, and its lookups.
#include "Settings.h"

#include "DisplayScale.h"
#include "ExceptionKey.h"
#include "PlatformServices.h"
#include "SettingsEnvironment.h"
#include "SettingsParser.h"
#include "TextCodec.h"

#include <algorithm>

namespace norvane {

namespace {

using namespace settings_keys;

constexpr GeneralKey Key(const wchar_t* name, bool GeneralOptions::*field) {
    return GeneralKey{name, GeneralKeyType::Bool, field, nullptr, nullptr, nullptr};
}
constexpr GeneralKey Key(const wchar_t* name, int GeneralOptions::*field) {
    return GeneralKey{name, GeneralKeyType::Int, nullptr, field, nullptr, nullptr};
}
constexpr GeneralKey Key(const wchar_t* name, ColorValue GeneralOptions::*field) {
    return GeneralKey{name, GeneralKeyType::Color, nullptr, nullptr, field, nullptr};
}
GeneralKey Key(const wchar_t* name, std::wstring GeneralOptions::*field) {
    return GeneralKey{name, GeneralKeyType::String, nullptr, nullptr, nullptr, field};
}

const GeneralKey kGeneralKeys[] = {
    Key(L"ShowBrowseIcons", &GeneralOptions::ShowBrowseIcons),
    Key(L"BehaviorMode", &GeneralOptions::BehaviorMode),
    Key(L"IconDisplayMode", &GeneralOptions::IconDisplayMode),
    Key(L"FreeIconPlacement", &GeneralOptions::FreeIconPlacement),
    Key(L"BottomAlign", &GeneralOptions::BottomAlign),
    Key(L"RunMinimized", &GeneralOptions::RunMinimized),
    Key(L"RefreshOnMinimize", &GeneralOptions::RefreshOnMinimize),
    Key(L"RefreshOnResize", &GeneralOptions::RefreshOnResize),
    Key(L"RefreshOnStorageCardChange", &GeneralOptions::RefreshOnStorageCardChange),
    Key(L"ShowSystemInfo", &GeneralOptions::ShowSystemInfo),
    Key(L"PostLoadRefresh", &GeneralOptions::PostLoadRefresh),
    Key(L"TrayReverseOrder", &GeneralOptions::TrayReverseOrder),
    Key(L"FullscreenUseDesktop", &GeneralOptions::FullscreenUseDesktop),
    Key(L"TrueVGA", &GeneralOptions::TrueVGA),
    Key(L"TrueVGAOptions", &GeneralOptions::TrueVGAOptions),
    Key(L"RememberFileBrowsePath", &GeneralOptions::RememberFileBrowsePath),
    Key(L"RowCount", &GeneralOptions::RowCount),
    Key(L"HeightInPixels", &GeneralOptions::HeightInPixels),
    Key(L"LandscapeHeightInPixel", &GeneralOptions::LandscapeHeightInPixel),
    Key(L"TabWidth", &GeneralOptions::TabWidth),
    Key(L"FontSize", &GeneralOptions::FontSize),
    Key(L"TabNameAlignment", &GeneralOptions::TabNameAlignment),
    Key(L"IconSpacing", &GeneralOptions::IconSpacing),
    Key(L"DeferIconLoading", &GeneralOptions::DeferIconLoading),
    Key(L"AllowScrolling", &GeneralOptions::AllowScrolling),
    Key(L"HideSettingsBtn", &GeneralOptions::HideSettingsBtn),
    Key(L"ShowFileNamesOnly", &GeneralOptions::ShowFileNamesOnly),
    Key(L"AdditionalMeterPath", &GeneralOptions::AdditionalMeterPath),
    Key(L"AdditionalImagesPath", &GeneralOptions::AdditionalImagesPath),
    Key(L"MeterBar", &GeneralOptions::MeterBar),
    Key(L"MeterTap", &GeneralOptions::MeterTap),
    Key(L"DefaultLargeIcons", &GeneralOptions::DefaultLargeIcons),
    Key(L"PreferredFolderApp", &GeneralOptions::PreferredFolderApp),
    Key(L"FolderAppQuotes", &GeneralOptions::FolderAppQuotes),
    Key(L"ShowShortcutContextMenu", &GeneralOptions::ShowShortcutContextMenu),
    Key(L"AllowDragAndDropOnShortcuts", &GeneralOptions::AllowDragAndDropOnShortcuts),
    Key(L"TopBarIconRightAlignment", &GeneralOptions::TopBarIconRightAlignment),
    Key(L"TopBarIconLocked", &GeneralOptions::TopBarIconLocked),
    Key(L"CaptionAlignment", &GeneralOptions::CaptionAlignment),
    Key(L"SmallIconCaptionMode", &GeneralOptions::SmallIconCaptionMode),
    Key(L"HalfHeightCaptions", &GeneralOptions::HalfHeightCaptions),
    Key(L"ShowCaptionsForMeters", &GeneralOptions::ShowCaptionsForMeters),
    Key(L"ShadowStyleForCaptions", &GeneralOptions::ShadowStyleForCaptions),
    Key(L"BoldForCaptions", &GeneralOptions::BoldForCaptions),
    Key(L"ShadowStyleForTabs", &GeneralOptions::ShadowStyleForTabs),
    Key(L"BoldForTabs", &GeneralOptions::BoldForTabs),
    Key(L"DPadSupport", &GeneralOptions::DPadSupport),
    Key(L"DPadAction", &GeneralOptions::DPadAction),
    Key(L"CaptionColor", &GeneralOptions::CaptionColor),
    Key(L"CaptionShadowColor", &GeneralOptions::CaptionShadowColor),
    Key(L"CaptionFontSize", &GeneralOptions::CaptionFontSize),
    Key(L"CaptionHeight", &GeneralOptions::CaptionHeight),
    Key(L"ExtraCaptionWidth", &GeneralOptions::ExtraCaptionWidth),
    Key(L"TabTextColor", &GeneralOptions::TabTextColor),
    Key(L"TabTextShadowColor", &GeneralOptions::TabTextShadowColor),
    Key(L"CurrentTabTextColor", &GeneralOptions::CurrentTabTextColor),
    Key(L"CurrentTabTextShadowColor", &GeneralOptions::CurrentTabTextShadowColor),
    Key(L"SelectedCaptionColor", &GeneralOptions::SelectedCaptionColor),
    Key(L"SelectedCaptionShadowColor", &GeneralOptions::SelectedCaptionShadowColor),
    Key(L"LineSeparatorsColor", &GeneralOptions::LineSeparatorsColor),
    Key(L"HideSeparatorLines", &GeneralOptions::HideSeparatorLines),
    Key(L"SelectedItemColor", &GeneralOptions::SelectedItemColor),
    Key(L"TabHeight", &GeneralOptions::TabHeight),
    Key(L"TabExtraHeight", &GeneralOptions::TabExtraHeight),
    Key(L"TabBGColor", &GeneralOptions::TabBGColor),
    Key(L"TabOpacity", &GeneralOptions::TabOpacity),
    Key(L"CurrentTabBGColor", &GeneralOptions::CurrentTabBGColor),
    Key(L"CurrentTabOpacity", &GeneralOptions::CurrentTabOpacity),
    Key(L"SelectedShortcutOpacity", &GeneralOptions::SelectedShortcutOpacity),
    Key(L"FloatingPanelColor", &GeneralOptions::FloatingPanelColor),
    Key(L"FloatingPanelOpacity", &GeneralOptions::FloatingPanelOpacity),
    Key(L"CaptionFont", &GeneralOptions::CaptionFont),
    Key(L"TabFont", &GeneralOptions::TabFont),
    Key(L"UsePollingForBattery", &GeneralOptions::UsePollingForBattery),
    Key(L"ShowTaskManager", &GeneralOptions::ShowTaskManager),
    Key(L"TaskManagerCommandMask", &GeneralOptions::TaskManagerCommandMask),
    Key(L"TopBarMeterAction", &GeneralOptions::TopBarMeterAction),
    Key(L"XButtonCloses", &GeneralOptions::XButtonCloses),
    Key(L"ShowRunningPrograms", &GeneralOptions::ShowRunningPrograms),
    Key(L"RunningProgramsStart", &GeneralOptions::RunningProgramsStart),
    Key(L"RunningProgramsRightAlign", &GeneralOptions::RunningProgramsRightAlign),
    Key(L"RunningProgramsShowDesktop", &GeneralOptions::RunningProgramsShowDesktop),
    Key(L"RunningProgramsLimitPortrait", &GeneralOptions::RunningProgramsLimitPortrait),
    Key(L"RunningProgramsLimitLandscape", &GeneralOptions::RunningProgramsLimitLandscape),
    Key(L"RunningProgramsHideTitles", &GeneralOptions::RunningProgramsHideTitles),
    Key(L"RunningProgramsSpacing", &GeneralOptions::RunningProgramsSpacing),
    Key(L"UseFloatingPanels", &GeneralOptions::UseFloatingPanels),
    Key(L"AltTabMode", &GeneralOptions::AltTabMode),
    Key(L"AltTabDelay", &GeneralOptions::AltTabDelay),
    Key(L"TaskManagerShowIcons", &GeneralOptions::TaskManagerShowIcons),
    Key(L"SafeModePromptMode", &GeneralOptions::SafeModePromptMode),
    Key(L"AutoSafeMode", &GeneralOptions::AutoSafeMode),
    Key(L"AnimateTaskManager", &GeneralOptions::AnimateTaskManager),
    Key(L"TopBarShortcutX", &GeneralOptions::TopBarShortcutX),
    Key(L"KeepTaskManagerOpen", &GeneralOptions::KeepTaskManagerOpen),
    Key(L"AddTaskManagerPrefixes", &GeneralOptions::AddTaskManagerPrefixes),
};

constexpr const wchar_t* kSpecialTabNames[kSpecialTabCount] = {
    L"Shell Tray Tab",   L"Task Manager Tab",  L"Top Bar Tab",  L"Quick Launch Tab",
    L"Left Softkey Tab", L"Right Softkey Tab", L"Meter Bar Tab"};

// Tabs without an image of their own take the built-in pictures in turn.
constexpr int kBuiltinTabImages = 12;
// At most this many shortcuts move over from a legacy shell-tray tab.
constexpr std::size_t kMaxLegacyTrayShortcuts = 16;

constexpr wchar_t kDefaultTabName[] = L"Norvane";
constexpr wchar_t kSaveErrorText[] = L"Failed to save Norvane settings.\nErr=3";

struct DefaultSpecial {
    const wchar_t* Caption;
    const wchar_t* Command;
};
constexpr DefaultSpecial kTaskManagerDefaults[] = {
    {L"Power Off", L"poweroff"}, {L"Soft-Reset", L"softreset"}, {L"Screen Capture", L"screencapture"}};

bool IsSpecialType(int type) {
    return type >= 1 && type <= kSpecialTabCount;
}

} // namespace

std::span<const GeneralKey> GeneralKeys() {
    return kGeneralKeys;
}

std::wstring NumberedKey(std::wstring_view prefix, int number) {
    std::wstring key(prefix);
    key += IntToSettingsText(number);
    return key;
}

Settings::Settings() : Settings(PlatformSettingsEnvironment()) {}

Settings::Settings(SettingsEnvironment& environment) : m_env(environment) {
    General.TabWidth = ScaleX(40);
    General.RunningProgramsStart = ScaleX(28);
    General.RunningProgramsSpacing = ScaleX(2);
    General.TopBarShortcutX = ScaleX(100);
    General.CaptionHeight = HiResDisplay() ? 14 : 13;
    for (int i = 0; i < kSpecialTabCount; ++i) {
        m_special[i] = std::make_unique<TabRecord>();
        m_special[i]->Name = kSpecialTabNames[i];
        m_special[i]->Index = -1;
        m_special[i]->SpecialType = static_cast<SpecialTabType>(i + 1);
    }
    m_file.SetFileLayer(m_env.Files());
    m_file.SetAnsiDecoder([this](std::string_view bytes) { return m_env.DecodeAnsi(bytes); });
}

Settings::~Settings() = default;

std::wstring Settings::BuildPath() {
    std::wstring folder = m_env.ProgramsFolder() + L"\\Tarsel";
    m_env.CreateFolder(folder);
    folder += L"\\Norvane";
    m_env.CreateFolder(folder);
    m_file.SetPath(folder + L"\\Norvane.ini");
    return m_file.Path();
}

bool Settings::Load(const std::wstring& path) {
    if (m_file.Path().empty()) {
        BuildPath();
        m_env.ResetMeterKindsInUse();
    }
    if (path.empty()) {
        m_file.Load();
    } else {
        const std::wstring own = m_file.Path();
        m_file.Load(path);
        m_file.SetPath(own);
    }
    LoadParsedFile();
    return !m_tabs.empty();
}

bool Settings::LoadFromBytes(std::string_view bytes) {
    m_file.LoadFromBytes(bytes);
    LoadParsedFile();
    return !m_tabs.empty();
}

void Settings::LoadParsedFile() {
    m_tabs.clear();
    m_cardPaths.clear();
    m_exceptions.clear();

    for (const GeneralKey& key : kGeneralKeys) {
        switch (key.Type) {
        case GeneralKeyType::Bool:
            m_file.GetBool(kGeneral, key.Name, General.*key.BoolField);
            break;
        case GeneralKeyType::Int:
            m_file.GetInt(kGeneral, key.Name, General.*key.IntField);
            break;
        case GeneralKeyType::Color:
            m_file.GetColor(kGeneral, key.Name, General.*key.ColorField);
            break;
        case GeneralKeyType::String:
            m_file.GetString(kGeneral, key.Name, General.*key.StringField);
            break;
        }
    }
    if (General.BehaviorMode == 0 || General.BehaviorMode == 1) {
        General.BehaviorMode = 2;
    }
    m_file.GetInt(kGeneral, kCenterIcons, General.IconDisplayMode);
    std::wstring topBarMeterIni;
    m_file.GetString(kGeneral, kTopBarMeterIni, topBarMeterIni);
    bool excludeTrayTab = false;
    m_file.GetBool(kGeneral, kExcludeTrayTab, excludeTrayTab);

    ApplyDisplayFlags();

    for (int n = 0;; ++n) {
        std::wstring meter;
        std::wstring card;
        if (!m_file.GetString(kStorageCardPaths, NumberedKey(kMeterIniPath, n), meter) ||
            !m_file.GetString(kStorageCardPaths, NumberedKey(kStorageCardPath, n), card)) {
            break;
        }
        m_cardPaths.insert_or_assign(LowerCase(meter), std::move(card));
    }

    if (const SettingsSection* exceptions = m_file.FindSection(kTaskManagerExceptions)) {
        for (std::size_t i = 0; i < exceptions->KeyCount(); ++i) {
            m_exceptions.insert_or_assign(DecodeExceptionKey(TrimSettingsText(exceptions->KeyAt(i))),
                                          SettingsTextToInt(TrimSettingsText(exceptions->ValueAt(i))));
        }
    }

    bool seen[kSpecialTabCount + 1] = {};
    std::unique_ptr<TabRecord> keptAside;
    int builtinCounter = 0;
    for (int m = 1;; ++m) {
        const std::wstring section = NumberedKey(L"Tab", m);
        if (!m_file.FindSection(section)) {
            break;
        }
        int type = 0;
        m_file.GetInt(section, L"SpecialType", type);
        if (type == 0) {
            auto tab = std::make_unique<TabRecord>();
            FillTab(*tab, section, m, builtinCounter);
            ReadShortcuts(*tab, section);
            bool shellTray = false;
            if (excludeTrayTab && m_file.GetBool(section, kShellTray, shellTray) && shellTray) {
                keptAside = std::move(tab);
            } else {
                m_tabs.push_back(std::move(tab));
            }
        } else if (IsSpecialType(type)) {
            TabRecord& tab = SpecialTab(static_cast<SpecialTabType>(type));
            tab.Shortcuts.clear();
            seen[type] = true;
            FillTab(tab, section, m, builtinCounter);
            ReadShortcuts(tab, section);
        }
    }

    AddDefaultSpecialShortcuts(seen[2], seen[3], topBarMeterIni);
    FillShellTray(seen[1], std::move(keptAside));

    WriteRegistryMirror();

    if (m_tabs.empty()) {
        TabRecord& tab = AddTab();
        tab.Name = kDefaultTabName;
    }
    int next = NextUniqueTabId();
    for (auto& tab : m_tabs) {
        if (tab->UniqueID == 0) {
            tab->UniqueID = next++;
        }
    }
    // Nothing stays behind in the file object, so destroying it writes nothing.
    m_file.Clear();
}

void Settings::FillTab(TabRecord& tab, const std::wstring& section, int number, int& builtinCounter) {
    tab.Index = number - 1;
    if (!m_file.GetString(section, L"Name", tab.Name)) {
        tab.Name = NumberedKey(L"Shortcut tab ", number);
    }
    tab.UniqueID = 0;
    m_file.GetInt(section, L"UniqueID", tab.UniqueID);
    tab.SnapBack = false;
    m_file.GetBool(section, L"SnapBack", tab.SnapBack);
    tab.Image.clear();
    m_file.GetString(section, L"Image", tab.Image);
    if (tab.Image.empty()) {
        tab.Image = NumberedKey(L"builtin:", builtinCounter);
        builtinCounter = (builtinCounter + 1) % kBuiltinTabImages;
    }
    tab.OverrideDisplayMode = -1;
    m_file.GetInt(section, L"OverrideDisplayMode", tab.OverrideDisplayMode);
    tab.CaptionsEnabled = 0;
    m_file.GetInt(section, L"CaptionsEnabled", tab.CaptionsEnabled);
    tab.Hidden = false;
    m_file.GetBool(section, L"Hidden", tab.Hidden);
    tab.FreePlacedPortrait = false;
    m_file.GetBool(section, L"FreePlacedPortrait", tab.FreePlacedPortrait);
    tab.FreePlacedLandscape = false;
    m_file.GetBool(section, L"FreePlacedLandscape", tab.FreePlacedLandscape);
}

void Settings::ReadShortcuts(TabRecord& tab, const std::wstring& section) {
    const int type = static_cast<int>(tab.SpecialType);
    const bool inSpecialTab = type >= 2 && type <= kSpecialTabCount;
    const bool loadIcons = !General.DeferIconLoading && !SkipIcons;
    std::wstring text;
    for (int n = 1;; ++n) {
        if (!m_file.GetString(section, NumberedKey(L"Shortcut", n), text)) {
            break;
        }
        auto shortcut = std::make_unique<ShortcutRecord>();
        bool large = false;
        if (m_file.GetBool(section, NumberedKey(L"LargeIcon", n), large) && large) {
            shortcut->SetLargeIcon(true);
        }
        shortcut->SetTarget(text);
        shortcut->SetInSpecialTab(inSpecialTab);
        if (m_file.GetString(section, NumberedKey(L"ShortcutAdditional", n), text)) {
            shortcut->SetAdditionalTarget(text);
        }
        if (m_file.GetString(section, NumberedKey(L"ShortcutBitmapIcon", n), text)) {
            shortcut->SetBitmapIcon(text);
        }
        if (m_file.GetString(section, NumberedKey(L"ToolTipTitle", n), text)) {
            shortcut->SetToolTipTitle(text);
        }
        if (m_file.GetString(section, NumberedKey(L"CommandLine", n), text)) {
            shortcut->SetCommandLine(text);
        }
        if (m_file.GetString(section, NumberedKey(L"SpecialProperties", n), text)) {
            shortcut->SpecialProperties().Parse(text);
        }
        int captionEnabled = 1;
        if (m_file.GetInt(section, NumberedKey(L"CaptionEnabled", n), captionEnabled)) {
            shortcut->SetCaptionEnabled(captionEnabled);
        }
        SettingsPoint point;
        if (tab.FreePlacedPortrait) {
            m_file.GetPoint(section, NumberedKey(L"LocationPortrait", n), point);
            shortcut->SetLocationPortrait(point);
        }
        if (tab.FreePlacedLandscape) {
            m_file.GetPoint(section, NumberedKey(L"LocationLandscape", n), point);
            shortcut->SetLocationLandscape(point);
        }
        if (loadIcons) {
            m_env.LoadShortcutIcon(*shortcut, *this);
        }
        tab.Shortcuts.push_back(std::move(shortcut));
    }
}

void Settings::AddDefaultSpecialShortcuts(bool seenTaskManager, bool seenTopBar,
                                          const std::wstring& topBarMeterIni) {
    const bool loadIcons = !General.DeferIconLoading && !SkipIcons;
    TabRecord& taskManager = SpecialTab(SpecialTabType::TaskManager);
    if (!seenTaskManager && taskManager.Shortcuts.empty()) {
        for (const DefaultSpecial& item : kTaskManagerDefaults) {
            ShortcutRecord& shortcut = taskManager.AddShortcut();
            shortcut.SetTarget(item.Caption);
            shortcut.SetAdditionalTarget(std::wstring(L"special:") + item.Command);
            shortcut.SetInSpecialTab(true);
            if (m_env.DefaultSpecialProperties) {
                shortcut.SpecialProperties() = m_env.DefaultSpecialProperties(item.Command);
            }
            if (loadIcons) {
                m_env.LoadShortcutIcon(shortcut, *this);
            }
        }
    }
    TabRecord& topBar = SpecialTab(SpecialTabType::TopBar);
    if (!seenTopBar && topBar.Shortcuts.empty() && !topBarMeterIni.empty()) {
        ShortcutRecord& shortcut = topBar.AddShortcut();
        shortcut.SetTarget(topBarMeterIni);
        shortcut.SetAdditionalTarget(L"meter:" + topBarMeterIni);
        shortcut.SetInSpecialTab(true);
        if (loadIcons) {
            m_env.LoadShortcutIcon(shortcut, *this);
        }
    }
}

void Settings::FillShellTray(bool seenShellTray, std::unique_ptr<TabRecord> keptAside) {
    TabRecord& tray = SpecialTab(SpecialTabType::ShellTray);
    if (!keptAside || seenShellTray || !tray.Shortcuts.empty()) {
        return;
    }
    const bool loadIcons = !General.DeferIconLoading && !SkipIcons;
    const std::size_t count = std::min(keptAside->Shortcuts.size(), kMaxLegacyTrayShortcuts);
    for (std::size_t i = 0; i < count; ++i) {
        const ShortcutRecord& original = *keptAside->Shortcuts[i];
        std::unique_ptr<ShortcutRecord> copy = original.CloneStored();
        if (original.LargeIcon()) {
            copy->SetBitmapIcon(L"");
        }
        copy->SetLargeIcon(false);
        copy->SetInSpecialTab(false);
        if (loadIcons) {
            m_env.LoadShortcutIcon(*copy, *this);
        }
        tray.Shortcuts.push_back(std::move(copy));
    }
}

void Settings::ApplyDisplayFlags() {
    const int dpi = ScreenDpiX();
    const bool trueVga = General.TrueVGA == 1 || (General.TrueVGA == 2 && dpi == 96);
    const bool hiRes = trueVga || General.TrueVGA == 2 || dpi > 96;
    SetDisplayFlags(trueVga, hiRes);
}

void Settings::WriteRegistryMirror() {
    RegistryMirror mirror;
    mirror.TrueVGA = General.TrueVGA;
    mirror.TrueVGAOptions = General.TrueVGAOptions;
    mirror.SafeModePromptMode = General.SafeModePromptMode;
    mirror.AutoSafeMode = General.AutoSafeMode;
    m_env.WriteRegistryMirror(mirror);
}

bool Settings::FillFile() {
    for (const auto& tab : m_tabs) {
        if (!tab) {
            m_env.ReportSaveError(kSaveErrorText);
            return false;
        }
    }
    m_file.Clear();
    m_file.AddSection(kGeneral);
    for (const GeneralKey& key : kGeneralKeys) {
        switch (key.Type) {
        case GeneralKeyType::Bool:
            m_file.SetBool(kGeneral, key.Name, General.*key.BoolField);
            break;
        case GeneralKeyType::Int:
            m_file.SetInt(kGeneral, key.Name, General.*key.IntField);
            break;
        case GeneralKeyType::Color:
            m_file.SetColor(kGeneral, key.Name, General.*key.ColorField);
            break;
        case GeneralKeyType::String:
            m_file.SetString(kGeneral, key.Name, General.*key.StringField);
            break;
        }
    }

    std::vector<const TabRecord*> order;
    order.reserve(m_tabs.size() + kSpecialTabCount);
    for (const auto& tab : m_tabs) {
        order.push_back(tab.get());
    }
    for (const auto& tab : m_special) {
        order.push_back(tab.get());
    }
    for (std::size_t t = 0; t < order.size(); ++t) {
        const TabRecord& tab = *order[t];
        const std::wstring section = NumberedKey(L"Tab", static_cast<int>(t + 1));
        m_file.SetString(section, L"Name", tab.Name);
        m_file.SetInt(section, L"UniqueID", tab.UniqueID);
        m_file.SetBool(section, L"SnapBack", tab.SnapBack);
        m_file.SetString(section, L"Image", tab.Image);
        m_file.SetInt(section, L"OverrideDisplayMode", tab.OverrideDisplayMode);
        m_file.SetInt(section, L"CaptionsEnabled", tab.CaptionsEnabled);
        m_file.SetBool(section, L"Hidden", tab.Hidden);
        m_file.SetInt(section, L"SpecialType", t < m_tabs.size() ? 0 : static_cast<int>(tab.SpecialType));
        m_file.SetBool(section, L"FreePlacedPortrait", tab.FreePlacedPortrait);
        m_file.SetBool(section, L"FreePlacedLandscape", tab.FreePlacedLandscape);
        for (std::size_t s = 0; s < tab.Shortcuts.size(); ++s) {
            const ShortcutRecord& shortcut = *tab.Shortcuts[s];
            const int n = static_cast<int>(s + 1);
            m_file.SetString(section, NumberedKey(L"Shortcut", n), shortcut.Target());
            if (!shortcut.AdditionalTarget().empty()) {
                m_file.SetString(section, NumberedKey(L"ShortcutAdditional", n), shortcut.AdditionalTarget());
            }
            if (!shortcut.BitmapIcon().empty()) {
                m_file.SetString(section, NumberedKey(L"ShortcutBitmapIcon", n), shortcut.BitmapIcon());
            }
            if (shortcut.LargeIcon()) {
                m_file.SetBool(section, NumberedKey(L"LargeIcon", n), true);
            }
            if (!shortcut.ToolTipTitle().empty()) {
                m_file.SetString(section, NumberedKey(L"ToolTipTitle", n), shortcut.ToolTipTitle());
            }
            if (shortcut.CaptionEnabled() == 0) {
                m_file.SetInt(section, NumberedKey(L"CaptionEnabled", n), 0);
            }
            if (tab.FreePlacedPortrait) {
                m_file.SetPoint(section, NumberedKey(L"LocationPortrait", n), shortcut.LocationPortrait());
            }
            if (tab.FreePlacedLandscape) {
                m_file.SetPoint(section, NumberedKey(L"LocationLandscape", n), shortcut.LocationLandscape());
            }
            if (!shortcut.CommandLine().empty()) {
                m_file.SetString(section, NumberedKey(L"CommandLine", n), shortcut.CommandLine());
            }
            const std::wstring properties = shortcut.SpecialProperties().ToText();
            if (!properties.empty()) {
                m_file.SetString(section, NumberedKey(L"SpecialProperties", n), properties);
            }
        }
    }

    m_file.AddSection(kStorageCardPaths);
    int pair = 0;
    for (const auto& [meter, card] : m_cardPaths) {
        m_file.SetString(kStorageCardPaths, NumberedKey(kMeterIniPath, pair), meter);
        m_file.SetString(kStorageCardPaths, NumberedKey(kStorageCardPath, pair), card);
        ++pair;
    }
    for (const auto& [title, bits] : m_exceptions) {
        // Titles the key syntax cannot carry are escaped, so that no title can
        // end the key early, open a section or start a comment.
        m_file.SetInt(kTaskManagerExceptions, EncodeExceptionKey(title), bits);
    }
    return true;
}

bool Settings::Save(const std::wstring& path) {
    if (!FillFile()) {
        return false;
    }
    bool ok;
    if (path.empty()) {
        if (m_file.Path().empty()) {
            BuildPath();
        }
        ok = m_file.Save();
    } else {
        const std::wstring own = m_file.Path();
        ok = m_file.Save(path);
        m_file.SetPath(own);
    }
    m_file.Clear();
    WriteRegistryMirror();
    return ok;
}

std::string Settings::SaveToBytes() {
    if (!FillFile()) {
        return std::string();
    }
    std::string bytes = m_file.ToBytes();
    m_file.Clear();
    return bytes;
}

TabRecord& Settings::AddTab() {
    auto& tab = m_tabs.emplace_back(std::make_unique<TabRecord>());
    tab->Index = static_cast<int>(m_tabs.size()) - 1;
    return *tab;
}

TabRecord& Settings::SpecialTab(SpecialTabType type) {
    return *m_special[static_cast<std::size_t>(static_cast<int>(type) - 1) % kSpecialTabCount];
}

const TabRecord& Settings::SpecialTab(SpecialTabType type) const {
    return *m_special[static_cast<std::size_t>(static_cast<int>(type) - 1) % kSpecialTabCount];
}

std::vector<TabRecord*> Settings::VisibleTabs(unsigned flags) const {
    std::vector<TabRecord*> visible;
    for (const auto& tab : m_tabs) {
        if ((flags & kVisibleTabsIncludeHidden) || !tab->Hidden) {
            visible.push_back(tab.get());
        }
    }
    if (visible.empty() && !(flags & kVisibleTabsNoFallback) && !m_tabs.empty()) {
        visible.push_back(m_tabs.front().get());
    }
    return visible;
}

int Settings::NextUniqueTabId() const {
    // Never below 1: IDs handed out from here must not be 0, the "no ID yet" value.
    int largest = 0;
    for (const auto& tab : m_tabs) {
        largest = std::max(largest, tab->UniqueID);
    }
    return largest == 2147483647 ? largest : largest + 1;
}

std::optional<std::wstring> Settings::StorageCardPath(std::wstring_view meterPath) const {
    auto it = m_cardPaths.find(LowerCase(meterPath));
    if (it == m_cardPaths.end()) {
        return std::nullopt;
    }
    return it->second;
}

void Settings::SetStorageCardPath(std::wstring_view meterPath, std::wstring_view cardPath) {
    m_cardPaths.insert_or_assign(LowerCase(meterPath), std::wstring(cardPath));
}

int Settings::ExceptionFlags(std::wstring_view title) const {
    auto it = m_exceptions.find(TrimSettingsText(title));
    return it == m_exceptions.end() ? 0 : it->second;
}

void Settings::ToggleExceptionFlags(std::wstring_view title, int bits) {
    const std::wstring key(TrimSettingsText(title));
    const int current = ExceptionFlags(key);
    const int updated = (current & bits) ? (current & ~bits) : (current | bits);
    if (updated == 0) {
        m_exceptions.erase(key);
    } else {
        m_exceptions.insert_or_assign(key, updated);
    }
}

void Settings::SetExceptions(const std::map<std::wstring, int, std::less<>>& exceptions) {
    m_exceptions.clear();
    for (const auto& [title, bits] : exceptions) {
        if (bits != 0) {
            m_exceptions.insert_or_assign(std::wstring(TrimSettingsText(title)), bits);
        }
    }
}

} // namespace norvane
