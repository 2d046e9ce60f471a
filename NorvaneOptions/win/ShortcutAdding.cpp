// Adding shortcuts and changing their targets.
#include "ShortcutAdding.h"

#include "FlashCards.h"
#include "DisplayScale.h"
#include "FollowUpDialogs.h"
#include "MeterImages.h"
#include "OptionsApp.h"
#include "OptionsPage.h"
#include "Settings.h"
#include "ShortcutEditing.h"
#include "ShortcutTarget.h"
#include "SpecialCommands.h"
#include "Win32SettingsEnvironment.h"

#include <memory>

namespace norvane::options {

void SetTargetWithDefaults(ShortcutRecord& shortcut, const ChosenTarget& entry) {
    shortcut.SetTarget(entry.path);
    shortcut.SetAdditionalTarget(entry.additional);
    SetDefaultSpecialProperties(shortcut, DocumentsFolder());
}

void ChangeTarget(OptionsApp& app, ShortcutRecord& shortcut, const ChosenTarget& entry, HWND owner) {
    shortcut.SetTarget(entry.path);
    shortcut.SetAdditionalTarget(entry.additional);
    if (app.Message(owner, IDS_PRESERVE_PROPERTIES, MB_YESNO | MB_ICONQUESTION) != IDYES) {
        SetDefaultSpecialProperties(shortcut, DocumentsFolder());
    }
}

bool MeasuresStorageCard(const ShortcutRecord& shortcut) {
    const MeterDefinition* definition = shortcut.Meter();
    return KindOf(shortcut) == TargetKind::Meter && definition != nullptr &&
           (definition->Kinds & statuskind::kStorageCard) != 0;
}

std::vector<MeterEntry> InstalledMeters(const std::wstring& root, const Settings& settings) {
    std::vector<std::wstring> folders;
    WIN32_FIND_DATAW found{};
    HANDLE search = FindFirstFileW((root + L"*.*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        return {};
    }
    do {
        const std::wstring name = found.cFileName;
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && name != L"." && name != L"..") {
            folders.push_back(name);
        }
    } while (FindNextFileW(search, &found));
    FindClose(search);
    std::vector<FileRow> rows;
    for (const std::wstring& folder : folders) {
        rows.push_back({folder, RowKind::Folder});
    }
    SortFileRows(rows);
    std::vector<MeterEntry> meters;
    for (const FileRow& row : rows) {
        const std::wstring definition = root + row.name + L"\\meter.ini";
        const auto meter = LoadMeterDefinition(definition, ScaleX(16), nullptr, &settings);
        if (meter != nullptr && meter->Kinds != 0) {
            meters.push_back({row.name, definition});
        }
    }
    return meters;
}

int AddChosenTargets(OptionsApp& app, Settings& settings, const AddRequest& request,
                     const std::vector<ChosenTarget>& chosen, HWND owner,
                     const std::function<void(int index)>& added) {
    if (request.tab == nullptr) {
        return 0;
    }
    TabRecord& tab = *request.tab;
    const int count =
        EntriesToAdd(static_cast<int>(chosen.size()), request.limit, static_cast<int>(tab.Shortcuts.size()));
    for (int i = 0; i < count; ++i) {
        const ChosenTarget& entry = chosen[static_cast<std::size_t>(i)];
        auto shortcut = std::make_unique<ShortcutRecord>();
        SetTargetWithDefaults(*shortcut, entry);
        shortcut->SetInSpecialTab(tab.SpecialType != SpecialTabType::None &&
                                  tab.SpecialType != SpecialTabType::ShellTray);
        if (request.largeIcons) {
            shortcut->SetLargeIcon(true);
        }
        switch (FollowUpOf(entry.additional)) {
        case FollowUp::MeterPath: {
            app.Environment().LoadShortcutIcon(*shortcut, settings);
            const std::wstring meter(TargetArgument(entry.additional));
            if (MeasuresStorageCard(*shortcut) && !settings.StorageCardPath(meter)) {
                MeterPathDialog dialog(app, entry.path, FlashCardNames());
                std::wstring card;
                if (dialog.Run(owner, card)) {
                    settings.SetStorageCardPath(meter, card);
                }
            }
            break;
        }
        case FollowUp::PhoneNumber: {
            PhoneNumberDialog dialog(app, entry.additional, request.fullScreenPhone);
            std::wstring number;
            if (dialog.Run(owner, number)) {
                shortcut->SpecialProperties().Set(specialkey::kPhoneNumber, number);
            }
            break;
        }
        case FollowUp::TabChooser: {
            TabChooserDialog dialog(app, settings, entry.additional == L"special:jumptotab");
            int unique = 0;
            if (dialog.Run(owner, unique)) {
                shortcut->SpecialProperties().Set(specialkey::kUniqueTabId, std::to_wstring(unique));
            }
            break;
        }
        case FollowUp::None:
            break;
        }
        tab.Shortcuts.push_back(std::move(shortcut));
        if (added) {
            added(static_cast<int>(tab.Shortcuts.size()) - 1);
        }
    }
    return count;
}

} // namespace norvane::options
