// The single-edit switches and the theme installation.
#include "SingleEdits.h"

#include "Aygshell.h"
#include "AdditionalProperties.h"
#include "ExceptionsDialog.h"
#include "ImageChooser.h"
#include "OptionsApp.h"
#include "Settings.h"
#include "ShortcutAdding.h"
#include "Win32Handles.h"

namespace norvane::options {

namespace {

EditOutcome SaveAndBroadcast(OptionsApp& app, Settings& settings, HWND owner) {
    const bool saved = settings.Save();
    app.RestoreDisplayFlags();
    if (!saved) {
        app.Message(owner, IDS_SAVE_FAILED, MB_OK | MB_ICONSTOP, settings.Path());
        return EditOutcome::SaveFailed;
    }
    app.BroadcastSettingsChanged();
    return EditOutcome::Saved;
}

EditOutcome ChangeImage(OptionsApp& app, const StartCommand& command, HWND owner) {
    if (!command.hasIndices) {
        return EditOutcome::NothingDone;
    }
    Settings settings(app.Environment());
    settings.SkipIcons = true;
    app.LoadSettings(settings);
    TabRecord* tab = TabAtSwitchIndex(settings, command.tab);
    if (tab == nullptr) {
        return EditOutcome::NothingDone;
    }
    if (command.shortcut == -1) {
        ImageChooser chooser(app, ImageMode::TabImages);
        std::wstring reference;
        if (!chooser.Run(owner, reference)) {
            return EditOutcome::NothingDone;
        }
        tab->Image = reference;
    } else {
        if (command.shortcut < 0 || command.shortcut >= static_cast<int>(tab->Shortcuts.size())) {
            return EditOutcome::NothingDone;
        }
        ImageChooser chooser(app, ImageMode::ShortcutImages);
        std::wstring reference;
        if (!chooser.Run(owner, reference)) {
            return EditOutcome::NothingDone;
        }
        tab->Shortcuts[static_cast<std::size_t>(command.shortcut)]->SetBitmapIcon(reference);
    }
    return SaveAndBroadcast(app, settings, owner);
}

EditOutcome EditExceptions(OptionsApp& app, HWND owner) {
    Settings settings(app.Environment());
    settings.SkipIcons = true;
    app.LoadSettings(settings);
    ExceptionsDialog dialog(app, settings.Exceptions());
    if (!dialog.Run(owner)) {
        return EditOutcome::NothingDone;
    }
    settings.SetExceptions(dialog.Result());
    return SaveAndBroadcast(app, settings, owner);
}

// The shortcut a switch names, or null.
ShortcutRecord* ShortcutAt(Settings& settings, const StartCommand& command) {
    TabRecord* tab = command.hasIndices ? TabAtSwitchIndex(settings, command.tab) : nullptr;
    if (tab == nullptr || command.shortcut < 0 ||
        command.shortcut >= static_cast<int>(tab->Shortcuts.size())) {
        return nullptr;
    }
    return tab->Shortcuts[static_cast<std::size_t>(command.shortcut)].get();
}

EditOutcome AddShortcuts(OptionsApp& app, const StartCommand& command, HWND owner) {
    Settings settings(app.Environment());
    settings.SkipIcons = true;
    app.LoadSettings(settings);
    SHSipPreference(owner, SIP_DOWN);
    TargetBrowserSetup setup;
    setup.multipleSelection = true;
    std::vector<ChosenTarget> chosen;
    if (!BrowseTargets(app, settings, owner, setup, chosen)) {
        return EditOutcome::NothingDone;
    }
    // Only ordinary tabs take shortcuts this way; another index adds nothing,
    // but the record is still saved.
    const int ordinary = static_cast<int>(settings.Tabs().size());
    if (command.tab >= 0 && command.tab < ordinary) {
        AddRequest request;
        request.tab = settings.Tabs()[static_cast<std::size_t>(command.tab)].get();
        request.largeIcons = settings.General.DefaultLargeIcons;
        request.fullScreenPhone = true;
        AddChosenTargets(app, settings, request, chosen, owner);
    }
    return SaveAndBroadcast(app, settings, owner);
}

EditOutcome ChangeShortcutTarget(OptionsApp& app, const StartCommand& command, HWND owner) {
    Settings settings(app.Environment());
    settings.SkipIcons = true;
    app.LoadSettings(settings);
    ShortcutRecord* shortcut = ShortcutAt(settings, command);
    if (shortcut == nullptr) {
        return EditOutcome::NothingDone;
    }
    SHSipPreference(owner, SIP_DOWN);
    std::vector<ChosenTarget> chosen;
    if (!BrowseTargets(app, settings, owner, TargetBrowserSetup{}, chosen)) {
        return EditOutcome::NothingDone;
    }
    if (!chosen.empty()) {
        ChangeTarget(app, *shortcut, chosen.front(), owner);
    }
    return SaveAndBroadcast(app, settings, owner);
}

EditOutcome EditAdditionalProperties(OptionsApp& app, const StartCommand& command, HWND owner) {
    Settings settings(app.Environment());
    settings.SkipIcons = true;
    app.LoadSettings(settings);
    ShortcutRecord* shortcut = ShortcutAt(settings, command);
    if (shortcut == nullptr) {
        return EditOutcome::NothingDone;
    }
    AdditionalPropertiesDialog dialog(app, settings, *shortcut);
    if (!dialog.Run(owner)) {
        return EditOutcome::NothingDone;
    }
    return SaveAndBroadcast(app, settings, owner);
}

} // namespace

TabRecord* TabAtSwitchIndex(Settings& settings, int index) {
    const int ordinary = static_cast<int>(settings.Tabs().size());
    if (index >= 0 && index < ordinary) {
        return settings.Tabs()[static_cast<std::size_t>(index)].get();
    }
    if (index >= ordinary && index < ordinary + kSpecialTabCount) {
        return &settings.SpecialTab(static_cast<SpecialTabType>(index - ordinary + 1));
    }
    return nullptr;
}

EditOutcome RunSingleEdit(OptionsApp& app, const StartCommand& command, HWND owner) {
    switch (command.action) {
    case StartAction::Image:
        return ChangeImage(app, command, owner);
    case StartAction::TaskManagerExceptions:
        return EditExceptions(app, owner);
    case StartAction::Select:
        return AddShortcuts(app, command, owner);
    case StartAction::Target:
        return ChangeShortcutTarget(app, command, owner);
    case StartAction::Additional:
        return EditAdditionalProperties(app, command, owner);
    case StartAction::Theme:
        InstallPendingTheme(app);
        return EditOutcome::NothingDone;
    case StartAction::Frame:
        break;
    }
    return EditOutcome::NothingDone;
}

std::wstring ThemeInstallerArguments(const std::wstring& themePath) {
    return L"/safe /noui /nouninstall /delete 0 \"" + themePath + L"\"";
}

bool InstallPendingTheme(OptionsApp& app) {
    HCURSOR old = SetCursor(LoadCursorW(nullptr, IDC_WAIT));
    struct CursorBack {
        HCURSOR cursor;
        ~CursorBack() { SetCursor(cursor); }
    } back{old};

    std::wstring themePath;
    const bool hasTheme = app.ReadString(names::kThemePathValue, themePath);
    app.DeleteValue(names::kThemePathValue);
    if (!hasTheme || themePath.empty()) {
        return false;
    }
    UniqueRegKey today;
    if (RegOpenKeyExW(app.TodayRoot(), app.TodayKey().c_str(), 0, KEY_READ | KEY_WRITE, today.Receive()) !=
        ERROR_SUCCESS) {
        return false;
    }
    wchar_t skin[MAX_PATH + 1] = L"";
    DWORD type = 0;
    DWORD size = MAX_PATH * sizeof(wchar_t);
    if (RegQueryValueExW(today.Get(), names::kSkinValue, nullptr, &type, reinterpret_cast<BYTE*>(skin),
                         &size) == ERROR_SUCCESS &&
        type == REG_SZ && themePath == skin) {
        return false; // already installed
    }
    RegDeleteValueW(today.Get(), names::kUseStartImageValue);
    std::wstring arguments = ThemeInstallerArguments(themePath);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    const bool started = CeCreateProcess(names::kCabinetInstaller, arguments.data(), nullptr, nullptr, FALSE,
                                         0, nullptr, nullptr, &startup, &process) != FALSE;
    if (started) {
        WaitForSingleObject(process.hProcess, INFINITE);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
        RegSetValueExW(today.Get(), names::kSkinValue, 0, REG_SZ,
                       reinterpret_cast<const BYTE*>(themePath.c_str()),
                       static_cast<DWORD>((themePath.size() + 1) * sizeof(wchar_t)));
    }
    // The Today screen reloads its theme.
    if (HWND desktop = CeGetDesktopWindow()) {
        DWORD_PTR result = 0;
        SendMessageTimeoutW(desktop, WM_WININICHANGE, 0xF2, 0, SMTO_NORMAL, 30000, &result);
    }
    return started;
}

} // namespace norvane::options
