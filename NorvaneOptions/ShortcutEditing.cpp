// The Shortcuts page's and the target browser's rules.
#include "ShortcutEditing.h"

#include "OptionsResource.h"
#include "ShortcutTarget.h"
#include "SpecialCommands.h"

#include <algorithm>
#include <cwctype>

namespace norvane::options {

namespace {

constexpr SpecialTabInfo kSpecialTabs[] = {
    {SpecialTabType::ShellTray, IDS_TAB_SHELL_TRAY, 16, IDS_INFO_SHELL_TRAY},
    {SpecialTabType::TaskManager, IDS_TAB_TASK_MANAGER, 6, IDS_INFO_TASK_MANAGER},
    {SpecialTabType::TopBar, IDS_TAB_TOP_BAR, 1, IDS_INFO_TOP_BAR},
    {SpecialTabType::QuickLaunch, IDS_TAB_QUICK_LAUNCH, 4, IDS_INFO_QUICK_LAUNCH},
    {SpecialTabType::LeftSoftkey, IDS_TAB_LEFT_SOFTKEY, 1, IDS_INFO_LEFT_SOFTKEY},
    {SpecialTabType::RightSoftkey, IDS_TAB_RIGHT_SOFTKEY, 1, IDS_INFO_RIGHT_SOFTKEY},
    {SpecialTabType::MeterBar, IDS_TAB_METER_BAR, 1, IDS_INFO_METER_BAR},
};

wchar_t Lower(wchar_t c) {
    return static_cast<wchar_t>(std::towlower(static_cast<wint_t>(c)));
}

bool EqualNoCase(std::wstring_view a, std::wstring_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [](wchar_t x, wchar_t y) { return Lower(x) == Lower(y); });
}

bool LessNoCase(const std::wstring& a, const std::wstring& b) {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                        [](wchar_t x, wchar_t y) { return Lower(x) < Lower(y); });
}

bool EndsWith(std::wstring_view text, std::wstring_view end) {
    return text.size() >= end.size() && text.substr(text.size() - end.size()) == end;
}

} // namespace

std::span<const SpecialTabInfo> SpecialTabInfos() {
    return kSpecialTabs;
}

ShownTab TabAtChoice(Settings& settings, int position) {
    ShownTab shown;
    const int ordinary = static_cast<int>(settings.Tabs().size());
    if (position >= 0 && position < ordinary) {
        shown.tab = settings.Tabs()[static_cast<std::size_t>(position)].get();
    } else if (position >= ordinary && position < ordinary + kSpecialTabCount) {
        const SpecialTabInfo& info = kSpecialTabs[position - ordinary];
        shown.tab = &settings.SpecialTab(info.type);
        shown.type = position - ordinary;
        shown.limit = info.limit;
    }
    return shown;
}

std::wstring SpecialTabChoiceText(const std::wstring& name) {
    return L" * " + name + L" * ";
}

ShortcutButtons ButtonStates(int count, int selected, int limit, bool specialTab, bool selectedIsMeter) {
    ShortcutButtons b;
    const bool rowSelected = count > 0 && selected >= 0 && selected < count;
    b.moveUp = count >= 2 && rowSelected && selected != 0;
    b.moveDown = count >= 2 && rowSelected && selected != count - 1;
    b.add = limit == kNoLimit || count < limit;
    b.remove = rowSelected;
    b.additional = rowSelected;
    b.image = rowSelected && !selectedIsMeter;
    b.largeIcon = rowSelected && !specialTab;
    b.specialTab = specialTab;
    return b;
}

std::wstring AfterLastBackslash(std::wstring_view text) {
    const std::size_t slash = text.rfind(L'\\');
    return std::wstring(slash == std::wstring_view::npos ? text : text.substr(slash + 1));
}

std::wstring ShortcutRowText(const ShortcutRecord& shortcut, bool fileNamesOnly) {
    const std::wstring caption = shortcut.Caption(true);
    if (!caption.empty()) {
        return caption;
    }
    const std::wstring& name = shortcut.Target();
    if (fileNamesOnly && name.find(L'\\') != std::wstring::npos) {
        return AfterLastBackslash(name);
    }
    return name;
}

int EntriesToAdd(int chosen, int limit, int present) {
    if (chosen <= 0) {
        return 0;
    }
    if (limit == kNoLimit) {
        return chosen;
    }
    return std::clamp(limit - present, 0, chosen);
}

int SelectionAfterRemoval(int removed, int countAfter) {
    if (countAfter <= 0) {
        return -1;
    }
    return std::min(removed, countAfter - 1);
}

FollowUp FollowUpOf(std::wstring_view additionalTarget) {
    if (KindOfTarget(additionalTarget) == TargetKind::Meter) {
        return FollowUp::MeterPath;
    }
    if (additionalTarget == L"special:sms" || additionalTarget == L"special:phonecall") {
        return FollowUp::PhoneNumber;
    }
    if (additionalTarget == L"special:tabmenu" || additionalTarget == L"special:jumptotab") {
        return FollowUp::TabChooser;
    }
    return FollowUp::None;
}

bool OffersChangeTarget(std::wstring_view additionalTarget) {
    const TargetKind kind = KindOfTarget(additionalTarget);
    return kind == TargetKind::File || kind == TargetKind::Folder;
}

int PhoneNumberSubject(std::wstring_view additionalTarget) {
    if (EndsWith(additionalTarget, L"phonecall")) {
        return 1;
    }
    if (EndsWith(additionalTarget, L"sms")) {
        return 0;
    }
    return 2;
}

std::wstring FolderUp(std::wstring_view folder) {
    if (folder.empty() || folder == L"\\") {
        return L"\\";
    }
    std::wstring_view trimmed = folder;
    if (trimmed.back() == L'\\') {
        trimmed.remove_suffix(1);
    }
    const std::size_t slash = trimmed.rfind(L'\\');
    if (slash == std::wstring_view::npos) {
        return L"\\";
    }
    return std::wstring(trimmed.substr(0, slash + 1));
}

BrowserEntry ThisFolderEntry(std::wstring_view folder, std::wstring_view displayPrefix) {
    std::wstring full(folder);
    if (full.empty() || full.back() != L'\\') {
        full += L'\\';
    }
    std::wstring_view trimmed = full;
    std::wstring last = L"\\";
    if (trimmed.size() > 1) {
        trimmed.remove_suffix(1);
        last = AfterLastBackslash(trimmed);
    }
    return {std::wstring(displayPrefix) + last, L"folder:" + full};
}

bool ListedInFileMode(std::wstring_view name, bool folder, bool programsOnly) {
    if (name.empty() || name == L"." || name == L"..") {
        return false;
    }
    if (!programsOnly || folder) {
        return true;
    }
    return name.size() >= 4 && EqualNoCase(name.substr(name.size() - 4), L".exe");
}

void SortFileRows(std::vector<FileRow>& rows) {
    std::stable_sort(rows.begin(), rows.end(), [](const FileRow& a, const FileRow& b) {
        const bool aFolder = a.kind == RowKind::Folder;
        const bool bFolder = b.kind == RowKind::Folder;
        if (aFolder != bFolder) {
            return aFolder;
        }
        return LessNoCase(a.name, b.name);
    });
}

bool IsExcludedControlPanelModule(std::wstring_view fileName) {
    for (std::wstring_view excluded : {L"cgrcpl.cpl", L"Cellbroadcast.cpl", L"GPSSettings.cpl"}) {
        if (EqualNoCase(fileName, excluded)) {
            return true;
        }
    }
    return false;
}

std::wstring TrimBlanks(std::wstring_view text) {
    const auto blank = [](wchar_t c) { return std::iswspace(static_cast<wint_t>(c)) != 0; };
    while (!text.empty() && blank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && blank(text.back())) {
        text.remove_suffix(1);
    }
    return std::wstring(text);
}

} // namespace norvane::options
