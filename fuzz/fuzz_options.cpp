// Fuzzes the options program's parsers: the start-up switches (the input as
// UTF-16 text), dialog templates and picture headers (the input as bytes); and
// the shortcut editor's text rules on the same text, split at its first line
// break into a folder or target and a stored property value: the target
// browser's folder arithmetic and listing filters, the follow-up each target
// asks for, and the Additional Properties mapping of stored texts onto choices.
#include "DialogTemplate.h"
#include "ImageHeader.h"
#include "OptionsCommandLine.h"
#include "PropertyTables.h"
#include "Settings.h"
#include "SettingsEnvironment.h"
#include "ShortcutEditing.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace {

std::wstring Text(unsigned id) {
    return std::to_wstring(id);
}

void CheckEditorRules(const std::wstring& text) {
    using namespace norvane;
    using namespace norvane::options;
    const std::size_t split = text.find(L'\n');
    const std::wstring first = text.substr(0, split);
    const std::wstring second = split == std::wstring::npos ? std::wstring() : text.substr(split + 1);

    // Going up always ends in a backslash and never leaves the folder's start.
    const std::wstring up = FolderUp(first);
    if (up.empty() || up.back() != L'\\' || (up != L"\\" && first.compare(0, up.size(), up) != 0)) {
        __builtin_trap();
    }
    const BrowserEntry entry = ThisFolderEntry(first, L"Folder: ");
    if (entry.additional.rfind(L"folder:", 0) != 0 || entry.additional.back() != L'\\' ||
        entry.path.rfind(L"Folder: ", 0) != 0) {
        __builtin_trap();
    }
    if (ListedInFileMode(first, false, true) && !ListedInFileMode(first, false, false)) {
        __builtin_trap();
    }
    const std::wstring trimmed = TrimBlanks(first);
    if (trimmed.size() > first.size()) {
        __builtin_trap();
    }
    const FollowUp follow = FollowUpOf(first);
    if (follow == FollowUp::MeterPath && OffersChangeTarget(first)) {
        __builtin_trap();
    }
    if (PhoneNumberSubject(first) < 0 || PhoneNumberSubject(first) > 2) {
        __builtin_trap();
    }

    SettingsEnvironment environment;
    Settings settings(environment);
    TabRecord& tab = settings.AddTab();
    tab.Name = trimmed;
    tab.UniqueID = 7;
    ShortcutRecord shortcut;
    shortcut.SetTarget(first);
    shortcut.SetAdditionalTarget(first);
    (void)ShortcutRowText(shortcut, true);
    for (const PropertyOption* option : PropertyOptionsFor(first)) {
        const auto choices = PropertyChoices(*option, settings, Text);
        const int shown = ShownPropertyChoice(*option, choices, second);
        if (shown < -1 || shown >= static_cast<int>(choices.size()) || (shown == -1 && !choices.empty())) {
            __builtin_trap();
        }
        WriteProperty(*option, shortcut, second);
        const std::wstring stored = ReadProperty(*option, shortcut);
        if (option->limit != 0 && stored.size() > option->limit) {
            __builtin_trap();
        }
    }
    // Every special command's options, whatever the target was.
    for (const wchar_t* command : {L"special:screencapture", L"special:rotate", L"special:sms",
                                   L"special:jumptotab", L"special:softreset", L"special:phonecall"}) {
        shortcut.SetAdditionalTarget(command);
        for (const PropertyOption* option : PropertyOptionsFor(command)) {
            const auto choices = PropertyChoices(*option, settings, Text);
            const int shown = ShownPropertyChoice(*option, choices, second);
            if (shown >= static_cast<int>(choices.size())) {
                __builtin_trap();
            }
            WriteProperty(*option, shortcut, second);
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    std::wstring text;
    for (std::size_t i = 0; i + 1 < size; i += 2) {
        text += static_cast<wchar_t>(data[i] | (data[i + 1] << 8));
    }
    using namespace norvane::options;
    const StartCommand command = ParseStartCommand(text);
    if (command.action == StartAction::Image && !command.hasIndices &&
        (command.tab != -1 || command.shortcut != -1)) {
        __builtin_trap();
    }
    DialogTemplateInfo info;
    if (!ReadDialogTemplate(bytes, info) && !info.items.empty()) {
        __builtin_trap();
    }
    int width = 0;
    int height = 0;
    for (ImageFileKind kind : {ImageFileKind::Png, ImageFileKind::Tga}) {
        if (ReadImageHeaderSize(bytes, kind, width, height) && (width <= 0 || height <= 0)) {
            __builtin_trap();
        }
    }
    CheckEditorRules(text);
    return 0;
}
